#include "controls/NumSpin.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QValidator>
#include <climits>
#include <cmath>
#include <functional>

#include "controls/Beep.h"
#include "controls/Resources.h"
#include "controls/SystemColors.h"
#include "platform/Arith.h"
#include "platform/NumberLocale.h"

namespace quillet {

namespace {

constexpr double kLongLongLimit = 9223372036854775807.0; // 2^63, as a double

long long TruncToLongLong(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= kLongLongLimit)
        return LLONG_MAX;
    if (v <= -kLongLongLimit)
        return LLONG_MIN;
    return static_cast<long long>(std::trunc(v));
}

QChar DecimalSeparator()
{
    return QLatin1Char(CurrentNumberLocale().decimalSeparator);
}

// The glyph's shape in one colour, so it follows the palette and greys out.
QImage Tinted(const QImage& glyph, const QColor& color)
{
    QImage out = glyph.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(out.rect(), color);
    return out;
}

// Refuses texts that typing could not have produced (pasted or dropped).
class TCharValidator : public QValidator {
public:
    TCharValidator(std::function<bool(const QString&)> accepts, QObject* parent)
        : QValidator(parent)
        , accepts_(std::move(accepts))
    {
    }
    State validate(QString& input, int&) const override { return accepts_(input) ? Acceptable : Invalid; }

private:
    std::function<bool(const QString&)> accepts_;
};

} // namespace

// ---- TSpinButtonBase ------------------------------------------------------

TSpinButtonBase::TSpinButtonBase(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    connect(&repeat_, &QTimer::timeout, this, &TSpinButtonBase::RepeatTick);
}

TSpinButtonBase::~TSpinButtonBase()
{
    repeat_.stop();
}

void TSpinButtonBase::SetRepeatIntervals(int firstMs, int repeatMs)
{
    firstRepeatMs_ = qMax(1, firstMs);
    repeatMs_ = qMax(1, repeatMs);
}

void TSpinButtonBase::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const TSpinHalf half = HalfAt(event->position().toPoint());
    if (half == TSpinHalf::None || !isEnabled())
        return;
    if (focusTarget_ && !focusTarget_->hasFocus())
        focusTarget_->setFocus(Qt::OtherFocusReason);
    held_ = half;
    shownPressed_ = true;
    PressedChanged();
    repeat_.start(firstRepeatMs_);
    // The step may disable or hide the button, which ends the press.
    Fire();
}

void TSpinButtonBase::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void TSpinButtonBase::mouseMoveEvent(QMouseEvent* event)
{
    if (held_ == TSpinHalf::None)
        return;
    const bool over = HalfAt(event->position().toPoint()) == held_;
    if (over != shownPressed_) {
        shownPressed_ = over;
        PressedChanged();
    }
}

void TSpinButtonBase::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Stop();
}

void TSpinButtonBase::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        Stop();
}

void TSpinButtonBase::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    Stop();
}

void TSpinButtonBase::Fire()
{
    if (held_ == TSpinHalf::Up)
        emit UpClick();
    else if (held_ == TSpinHalf::Down)
        emit DownClick();
}

void TSpinButtonBase::RepeatTick()
{
    repeat_.setInterval(repeatMs_);
    if (held_ != TSpinHalf::None && shownPressed_)
        Fire();
}

void TSpinButtonBase::Stop()
{
    repeat_.stop();
    const bool wasPressed = shownPressed_;
    held_ = TSpinHalf::None;
    shownPressed_ = false;
    if (wasPressed)
        PressedChanged();
}

// ---- TNumSpinButton -------------------------------------------------------

TNumSpinButton::TNumSpinButton(QWidget* parent)
    : TSpinButtonBase(parent)
    , upGlyph_(LoadResourceBitmap("NUMSPINUP"))
    , downGlyph_(LoadResourceBitmap("NUMSPINDOWN"))
{
    PreparePictures();
}

TSpinHalf TNumSpinButton::HalfAt(const QPoint& pos) const
{
    const long long w = width();
    const long long h = height();
    if (!rect().contains(pos) || w <= 0 || h <= 0)
        return TSpinHalf::None;
    // Pixel centre against the line from the lower-left to the upper-right
    // corner: x/w + y/h < 1 lies above it.
    const long long lhs = (2LL * pos.y() + 1) * w + (2LL * pos.x() + 1) * h;
    return lhs < 2 * w * h ? TSpinHalf::Up : TSpinHalf::Down;
}

QPoint TNumSpinButton::UpGlyphPos(TSpinHalf pressed) const
{
    const long double w = width();
    const long double h = height();
    const int shift = pressed == TSpinHalf::Up ? 1 : 0;
    return QPoint(Round(w / 4 - upGlyph_.width() / 2.0L + 1) + shift,
        Round(h / 4 - upGlyph_.height() / 2.0L + 1) + shift);
}

QPoint TNumSpinButton::DownGlyphPos() const
{
    const long double w = width();
    const long double h = height();
    return QPoint(
        Round(3 * w / 4 - downGlyph_.width() / 2.0L - 1), Round(3 * h / 4 - downGlyph_.height() / 2.0L - 1));
}

const QImage& TNumSpinButton::Picture(TSpinHalf pressed) const
{
    // A hidden button gets no resize event; its pictures follow its size anyway.
    if (picturesSize_ != size() || picturesEnabled_ != isEnabled())
        PreparePictures();
    return pictures_[static_cast<int>(pressed)];
}

void TNumSpinButton::PreparePictures() const
{
    picturesSize_ = size();
    picturesEnabled_ = isEnabled();
    for (TSpinHalf half : { TSpinHalf::None, TSpinHalf::Up, TSpinHalf::Down })
        pictures_[static_cast<int>(half)] = DrawPicture(half);
}

QImage TNumSpinButton::DrawPicture(TSpinHalf pressed) const
{
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0)
        return QImage();
    const QPalette& pal = palette();
    const QColor face = SysColor(pal, TSysColor::BtnFace);
    const QColor frame = SysColor(pal, TSysColor::WindowFrame);
    const QColor light = SysColor(pal, TSysColor::BtnHighlight);
    const QColor shadow = SysColor(pal, TSysColor::BtnShadow);

    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(face);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    auto line = [&](int x1, int y1, int x2, int y2, const QColor& c) {
        p.setPen(c);
        p.drawLine(x1, y1, x2, y2);
    };
    if (w >= 6 && h >= 6) {
        // Upper half: outer top and left, and the side along the diagonal.
        const bool upDown = pressed == TSpinHalf::Up;
        const QColor upOuter = upDown ? shadow : light;
        const QColor upInner = upDown ? light : shadow;
        line(1, 1, w - 3, 1, upOuter);
        line(1, 1, 1, h - 3, upOuter);
        line(1, h - 3, w - 3, 1, upInner);
        // Lower half: the side along the diagonal, and outer bottom and right.
        const bool downDown = pressed == TSpinHalf::Down;
        const QColor downOuter = downDown ? light : shadow;
        const QColor downInner = downDown ? shadow : light;
        line(2, h - 2, w - 2, 2, downInner);
        line(2, h - 2, w - 2, h - 2, downOuter);
        line(w - 2, 2, w - 2, h - 2, downOuter);
    }
    p.setPen(frame);
    p.drawRect(0, 0, w - 1, h - 1);
    p.drawLine(0, h - 1, w - 1, 0);

    const QColor glyphColor = isEnabled() ? SysColor(pal, TSysColor::BtnText) : shadow;
    if (!isEnabled()) {
        p.drawImage(UpGlyphPos(pressed) + QPoint(1, 1), Tinted(upGlyph_, light));
        p.drawImage(DownGlyphPos() + QPoint(1, 1), Tinted(downGlyph_, light));
    }
    p.drawImage(UpGlyphPos(pressed), Tinted(upGlyph_, glyphColor));
    p.drawImage(DownGlyphPos(), Tinted(downGlyph_, glyphColor));
    return image;
}

void TNumSpinButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, Picture(PressedHalf()));
}

void TNumSpinButton::resizeEvent(QResizeEvent* event)
{
    TSpinButtonBase::resizeEvent(event);
    PreparePictures();
}

void TNumSpinButton::changeEvent(QEvent* event)
{
    TSpinButtonBase::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
        PreparePictures();
        update();
    }
}

// ---- TNumUpDown -----------------------------------------------------------

TNumUpDown::TNumUpDown(QWidget* parent)
    : TSpinButtonBase(parent)
{
}

TSpinHalf TNumUpDown::HalfAt(const QPoint& pos) const
{
    if (!rect().contains(pos))
        return TSpinHalf::None;
    return pos.y() < height() / 2 ? TSpinHalf::Up : TSpinHalf::Down;
}

void TNumUpDown::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int half = height() / 2;
    const QRect parts[2] = { QRect(0, 0, width(), half), QRect(0, half, width(), height() - half) };
    for (int i = 0; i < 2; ++i) {
        const TSpinHalf which = i == 0 ? TSpinHalf::Up : TSpinHalf::Down;
        QStyleOption option;
        option.initFrom(this);
        option.rect = parts[i];
        option.state |= PressedHalf() == which ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &p, this);
        option.rect = parts[i].adjusted(2, 1, -2, -1);
        style()->drawPrimitive(
            i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &option, &p, this);
    }
}

// ---- TNumSpinEdit ---------------------------------------------------------

TNumSpinEdit::TNumSpinEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setText(QStringLiteral("0"));
    setValidator(new TCharValidator([this](const QString& text) { return IsValidText(text); }, this));
    CreateButton();
}

double TNumSpinEdit::Value() const
{
    const QString t = text().trimmed();
    bool ok = false;
    switch (valueType_) {
    case TNumValueType::Integer: {
        const long long v = t.toLongLong(&ok, 10);
        return ok ? static_cast<double>(v) : std::trunc(minValue_);
    }
    case TNumValueType::Hex: {
        const long long v = t.toLongLong(&ok, 16);
        return ok ? static_cast<double>(v) : std::trunc(minValue_);
    }
    case TNumValueType::Float: {
        QString c = t;
        c.replace(DecimalSeparator(), QLatin1Char('.'));
        const double v = c.toDouble(&ok);
        return ok && std::isfinite(v) ? v : minValue_;
    }
    }
    return minValue_;
}

void TNumSpinEdit::SetValue(double value)
{
    if (!std::isfinite(value) && !(std::isinf(value) && minValue_ != maxValue_))
        value = minValue_;
    setText(FormatValue(CheckValue(value)));
}

void TNumSpinEdit::SetMinValue(double value)
{
    minValue_ = std::isfinite(value) ? value : 0;
}

void TNumSpinEdit::SetMaxValue(double value)
{
    maxValue_ = std::isfinite(value) ? value : 0;
}

void TNumSpinEdit::SetValueType(TNumValueType type)
{
    if (type == valueType_)
        return;
    const double v = Value();
    valueType_ = type;
    SetValue(v);
}

void TNumSpinEdit::SetDecimal(int decimals)
{
    decimals = qBound(0, decimals, 18);
    if (decimals == decimal_)
        return;
    const double v = Value();
    decimal_ = decimals;
    if (valueType_ == TNumValueType::Float)
        SetValue(v);
}

void TNumSpinEdit::SetButtonKind(TNumSpinButtonKind kind)
{
    if (kind == buttonKind_)
        return;
    buttonKind_ = kind;
    CreateButton();
}

long long TNumSpinEdit::AsInteger() const
{
    return TruncToLongLong(Value());
}

double TNumSpinEdit::CheckValue(double value) const
{
    if (minValue_ == maxValue_)
        return value;
    if (value < minValue_)
        return minValue_;
    if (value > maxValue_)
        return maxValue_;
    return value;
}

void TNumSpinEdit::StepUp()
{
    Step(increment_);
}

void TNumSpinEdit::StepDown()
{
    Step(-increment_);
}

void TNumSpinEdit::Step(double delta)
{
    if (isReadOnly()) {
        Beep();
        return;
    }
    const QString before = text();
    SetValue(Value() + delta);
    if (text() != before)
        setModified(true);
}

QString TNumSpinEdit::FormatValue(double value) const
{
    switch (valueType_) {
    case TNumValueType::Integer: {
        double r = std::nearbyint(value); // halves to even
        if (r == 0)
            r = 0; // no "-0"
        return QString::number(r, 'f', 0);
    }
    case TNumValueType::Hex: {
        const long long n = TruncToLongLong(std::nearbyint(value));
        if (n < 0) {
            const unsigned long long magnitude = 0ULL - static_cast<unsigned long long>(n);
            return QStringLiteral("-") + QString::number(magnitude, 16).toUpper();
        }
        return QString::number(n, 16).toUpper();
    }
    case TNumValueType::Float: {
        QString s = QString::number(value, 'f', decimal_);
        s.replace(QLatin1Char('.'), DecimalSeparator());
        return s;
    }
    }
    return QString();
}

bool TNumSpinEdit::IsValidChar(QChar c) const
{
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return editorEnabled_;
    if (!editorEnabled_)
        return false;
    if (c == QLatin1Char('+') || c == QLatin1Char('-') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
        return true;
    const QString t = text();
    switch (valueType_) {
    case TNumValueType::Integer:
        return false;
    case TNumValueType::Float:
        if (c == DecimalSeparator())
            return !t.contains(DecimalSeparator());
        if (c == QLatin1Char('E') || c == QLatin1Char('e'))
            return !t.contains(QLatin1Char('E'), Qt::CaseInsensitive);
        return false;
    case TNumValueType::Hex:
        return (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    }
    return false;
}

bool TNumSpinEdit::IsValidText(const QString& text) const
{
    int separators = 0;
    int exponents = 0;
    for (QChar c : text) {
        if (c == QLatin1Char('+') || c == QLatin1Char('-')
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            continue;
        if (valueType_ == TNumValueType::Float) {
            if (c == DecimalSeparator() && ++separators == 1)
                continue;
            if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && ++exponents == 1)
                continue;
        } else if (valueType_ == TNumValueType::Hex) {
            if ((c >= QLatin1Char('A') && c <= QLatin1Char('F'))
                || (c >= QLatin1Char('a') && c <= QLatin1Char('f')))
                continue;
        }
        return false;
    }
    return true;
}

void TNumSpinEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (arrowKeys_ && event->modifiers() == Qt::NoModifier) {
            event->key() == Qt::Key_Up ? StepUp() : StepDown();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // The dialog's default or cancel button answers; the box keeps its text.
        event->ignore();
        return;
    default:
        break;
    }
    if (event->matches(QKeySequence::Paste)) {
        const QString pasted = QApplication::clipboard()->text();
        QString result = text();
        const int start = hasSelectedText() ? selectionStart() : cursorPosition();
        result.replace(start, selectedText().size(), pasted);
        if (!isReadOnly() && (!editorEnabled_ || !IsValidText(result))) {
            Beep();
            event->accept();
            return;
        }
    }
    const bool edits = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete
        || event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Undo)
        || event->matches(QKeySequence::Redo);
    if (!editorEnabled_ && edits && !isReadOnly()) {
        Beep();
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        for (QChar c : typed) {
            if (!IsValidChar(c)) {
                Beep();
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TNumSpinEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason)
        return;
    if (autoSelect_)
        selectAll();
    else
        deselect();
}

void TNumSpinEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu or another program taking over is not leaving the box.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (minValue_ != maxValue_) {
        const double v = Value();
        if (v < minValue_ || v > maxValue_)
            SetValue(v);
    }
}

void TNumSpinEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

void TNumSpinEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange || event->type() == QEvent::StyleChange)
        PlaceButton();
}

bool TNumSpinEdit::event(QEvent* event)
{
    // Up and Down belong to the box even where a shortcut would take them.
    if (event->type() == QEvent::ShortcutOverride && arrowKeys_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && key->modifiers() == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

QSize TNumSpinEdit::sizeHint() const
{
    QSize s = QLineEdit::sizeHint();
    return QSize(s.width() + s.height(), s.height());
}

void TNumSpinEdit::CreateButton()
{
    delete button_;
    if (buttonKind_ == TNumSpinButtonKind::Diagonal)
        button_ = new TNumSpinButton(this);
    else
        button_ = new TNumUpDown(this);
    button_->SetFocusTarget(this);
    connect(button_, &TSpinButtonBase::UpClick, this, &TNumSpinEdit::StepUp);
    connect(button_, &TSpinButtonBase::DownClick, this, &TNumSpinEdit::StepDown);
    PlaceButton();
    button_->show();
}

void TNumSpinEdit::PlaceButton()
{
    if (!button_)
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this) : 0;
    const int side = qMax(0, height() - 2 * frame);
    const int buttonWidth = buttonKind_ == TNumSpinButtonKind::Diagonal ? side : qMax(12, side * 3 / 4);
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const int x = rtl ? frame : width() - frame - buttonWidth;
    button_->setGeometry(x, frame, buttonWidth, side);
    // Text never runs under the button.
    setTextMargins(rtl ? buttonWidth : 0, 0, rtl ? 0 : buttonWidth, 0);
}

} // namespace quillet
