#include "controls/LumButton.h"

#include <QCursor>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>

#include "controls/SystemColors.h"

namespace quillet {

namespace {

constexpr int kDefaultWidth = 75;
constexpr int kDefaultHeight = 23;

// The two-colour frame of a thin edge: `topLeft` on the left and top lines,
// `bottomRight` on the right and bottom lines (which own the corners there).
void DrawThinEdge(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

// The dotted focus rectangle: the edge pixels of one colour of a checkerboard.
void DrawFocusRect(QPainter& p, const QRect& r, const QColor& color)
{
    if (r.width() < 1 || r.height() < 1)
        return;
    auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0)
            p.fillRect(QRect(x, y, 1, 1), color);
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        dot(x, r.top());
        dot(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        dot(r.left(), y);
        dot(r.right(), y);
    }
}

} // namespace

TLumButton::TLumButton(QWidget* parent)
    : TLumButton(QString(), parent)
{
}

TLumButton::TLumButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent)
{
    setAttribute(Qt::WA_Hover);
    resize(kDefaultWidth, kDefaultHeight);
    WatchWindow();
}

TLumButton::~TLumButton()
{
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
}

void TLumButton::SetCancel(bool cancel)
{
    cancel_ = cancel;
    WatchWindow();
}

bool TLumButton::DefaultStyle() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return (option.features & QStyleOptionButton::DefaultButton) != 0;
}

QSize TLumButton::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text()) + 16;
    return QSize(qMax(kDefaultWidth, textWidth), qMax(kDefaultHeight, fontMetrics().height() + 8));
}

QSize TLumButton::minimumSizeHint() const
{
    return QSize(16, fontMetrics().height() + 4);
}

void TLumButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    QRect r = rect();
    const bool focused = hasFocus();
    const bool defaultStyle = DefaultStyle();

    if (defaultStyle || focused) {
        p.setPen(SysColor(pal, TSysColor::WindowText));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    const QColor face = SysColor(pal, TSysColor::BtnFace);
    const QColor light = SysColor(pal, TSysColor::BtnHighlight);
    const QColor shadow = SysColor(pal, TSysColor::BtnShadow);
    p.fillRect(r, face);
    if (hot_ && isEnabled()) {
        DrawThinEdge(p, r, light, SysColor(pal, TSysColor::WindowText));
        const QRect inner = r.adjusted(1, 1, -1, -1);
        p.fillRect(QRect(inner.left(), inner.bottom(), inner.width(), 1), shadow);
        p.fillRect(QRect(inner.right(), inner.top(), 1, inner.height()), shadow);
    } else {
        DrawThinEdge(p, r, light, shadow);
    }

    QRect captionRect = r;
    if (isDown()) {
        p.fillRect(r, face);
        DrawThinEdge(p, r, shadow, light);
        captionRect.translate(1, 1);
    }
    if (defaultStyle && focused)
        DrawFocusRect(p, r.adjusted(3, 3, -3, -3), SysColor(pal, TSysColor::BtnText));

    p.setFont(font());
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (isEnabled()) {
        p.setPen(SysColor(pal, TSysColor::BtnText));
        p.drawText(captionRect, flags, text());
    } else {
        p.setPen(light);
        p.drawText(captionRect.translated(1, 1), flags, text());
        p.setPen(shadow);
        p.drawText(captionRect, flags, text());
    }
}

void TLumButton::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    if (!hot_) {
        hot_ = true;
        update();
    }
}

void TLumButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    if (hot_) {
        hot_ = false;
        update();
    }
}

void TLumButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A quick second click is one more press, not something else.
    mousePressEvent(event);
}

void TLumButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        update();
}

bool TLumButton::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange)
        WatchWindow();
    else if (event->type() == QEvent::Show) {
        // Shown under a resting cursor: no enter event will come.
        const bool over = rect().contains(mapFromGlobal(QCursor::pos()));
        if (over != hot_) {
            hot_ = over;
            update();
        }
    }
    return QPushButton::event(event);
}

bool TLumButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == watchedWindow_ && cancel_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && isVisible()
            && isEnabled()) {
            click();
            return true;
        }
    }
    return QPushButton::eventFilter(watched, event);
}

void TLumButton::WatchWindow()
{
    QWidget* top = window();
    QObject* wanted = (cancel_ && top != this) ? top : nullptr;
    if (wanted == watchedWindow_)
        return;
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
    watchedWindow_ = wanted;
    if (watchedWindow_)
        watchedWindow_->installEventFilter(this);
}

} // namespace quillet
