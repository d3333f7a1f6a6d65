#include "controls/LumEdit.h"

#include <QApplication>
#include <QPainter>
#include <QValidator>

#include "controls/Beep.h"
#include "controls/SystemColors.h"
#include "platform/GbkCodec.h"

namespace quillet {

namespace {

// The line along the outer left and top edges of a hot box.
const QColor kHotLine(21, 0, 0);

// Refuses a text with a character that GBK cannot hold. The replacement
// character stands for stored bytes that did not decode; it is let through so
// that a text loaded with such bytes can still be edited.
class GbkValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        QString held = input;
        held.remove(QChar::ReplacementCharacter);
        return GbkHolds(held.toStdString()) ? Acceptable : Invalid;
    }
};

} // namespace

TLumEdit::TLumEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setFrame(false);
    setAttribute(Qt::WA_Hover);
    setTextMargins(kBorder, kBorder, kBorder, kBorder);
    FollowFont();
    FollowEnabled();
    // Whether a hovered box looks hot depends on which control has the focus.
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this] {
        if (hover_)
            update();
    });
}

// The focus moves while the widget base tears the box down; by then this
// part of the object is gone and must not be reached.
TLumEdit::~TLumEdit()
{
    disconnect(focusWatch_);
}

void TLumEdit::SetGbkOnly(bool on)
{
    if (on == gbkOnly_)
        return;
    gbkOnly_ = on;
    if (on) {
        // The box undoes a refused change and says so; the beep tells the user.
        setValidator(new GbkValidator(this));
        rejectBeep_ = connect(this, &QLineEdit::inputRejected, this, [] { Beep(); });
    } else {
        QObject::disconnect(rejectBeep_);
        delete validator();
        setValidator(nullptr);
    }
}

bool TLumEdit::Hot() const
{
    if (hasFocus())
        return true;
    if (!hover_)
        return false;
    auto* focused = qobject_cast<TLumEdit*>(QApplication::focusWidget());
    return focused == nullptr || focused == this;
}

int TLumEdit::TextHeight() const
{
    return fontMetrics().height();
}

QSize TLumEdit::sizeHint() const
{
    return QSize(QLineEdit::sizeHint().width(), TextHeight() + 2 * kBorder);
}

QSize TLumEdit::minimumSizeHint() const
{
    return QSize(QLineEdit::minimumSizeHint().width(), TextHeight() + 2 * kBorder);
}

void TLumEdit::FollowFont()
{
    resize(width(), TextHeight() + 2 * kBorder);
    updateGeometry();
}

void TLumEdit::FollowEnabled()
{
    // A disabled box takes the face colour, whatever palette it is given.
    const QColor face = palette().color(QPalette::Active, QPalette::Button);
    if (palette().color(QPalette::Disabled, QPalette::Base) != face) {
        QPalette pal = palette();
        pal.setColor(QPalette::Disabled, QPalette::Base, face);
        setPalette(pal);
    }
    update();
}

void TLumEdit::paintEvent(QPaintEvent* event)
{
    const QPalette& pal = palette();
    const QColor face = SysColor(pal, TSysColor::BtnFace);
    const QColor back = isEnabled() ? pal.color(QPalette::Active, QPalette::Base) : face;
    {
        QPainter p(this);
        p.fillRect(rect(), back);
    }
    QLineEdit::paintEvent(event);

    QPainter p(this);
    const int w = width();
    const int h = height();
    if (w < 2 * kBorder || h < 2 * kBorder)
        return;
    const QColor light = SysColor(pal, TSysColor::BtnHighlight);
    // Outer ring: a sunken edge whose left and top lines are face (or the dark
    // hot line), highlight on the right and bottom.
    const QColor topLeft = Hot() ? kHotLine : face;
    p.fillRect(QRect(0, 0, w - 1, 1), topLeft);
    p.fillRect(QRect(0, 0, 1, h - 1), topLeft);
    p.fillRect(QRect(0, h - 1, w, 1), light);
    p.fillRect(QRect(w - 1, 0, 1, h), light);
    // Second ring: the inner sunken edge's light lines on the right and
    // bottom, which on this desktop are the face colour, as is the rest.
    p.fillRect(QRect(1, 1, w - 2, 1), face);
    p.fillRect(QRect(1, 1, 1, h - 2), face);
    p.fillRect(QRect(1, h - 2, w - 2, 1), face);
    p.fillRect(QRect(w - 2, 1, 1, h - 2), face);
    // Third ring: a frame in the box's own background.
    p.setPen(back);
    p.drawRect(QRect(2, 2, w - 5, h - 5));
}

void TLumEdit::enterEvent(QEnterEvent* event)
{
    QLineEdit::enterEvent(event);
    hover_ = true;
    update();
}

void TLumEdit::leaveEvent(QEvent* event)
{
    QLineEdit::leaveEvent(event);
    hover_ = false;
    update();
}

void TLumEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    update();
}

void TLumEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    update();
}

void TLumEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FollowFont();
    else if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        FollowEnabled();
}

} // namespace quillet
