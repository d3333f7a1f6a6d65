#include "preview/TabSet.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

namespace quillet {
namespace {
constexpr int kPadding = 8; // on each side of a label
constexpr int kButtonWidth = 16;
} // namespace

TTabSet::TTabSet(QWidget* parent)
    : QWidget(parent)
{
    back_ = new QToolButton(this);
    back_->setArrowType(Qt::LeftArrow);
    forward_ = new QToolButton(this);
    forward_->setArrowType(Qt::RightArrow);
    for (QToolButton* button : { back_, forward_ }) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(back_, &QToolButton::clicked, this, [this] { ScrollTo(first_ - 1); });
    connect(forward_, &QToolButton::clicked, this, [this] { ScrollTo(first_ + 1); });
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Only the keyboard brings the focus here: a click on a tab turns the
    // page and leaves the keys with the page area.
    setFocusPolicy(Qt::TabFocus);
    UpdateButtons();
}

void TTabSet::SetTabs(const QStringList& labels)
{
    SetTabs(static_cast<int>(labels.size()), [labels](int index) { return labels[index]; });
}

void TTabSet::SetTabs(int count, LabelSource label)
{
    count_ = label ? std::max(0, count) : 0;
    label_ = std::move(label);
    current_ = -1;
    first_ = 0;
    UpdateButtons();
    update();
}

QString TTabSet::tabText(int index) const
{
    return index >= 0 && index < count() ? label_(index) : QString();
}

void TTabSet::setCurrentIndex(int index)
{
    const int before = current_;
    current_ = index >= 0 && index < count() ? index : -1;
    if (current_ >= 0)
        MakeVisible(current_);
    update();
    if (current_ != before)
        emit currentChanged(current_);
}

int TTabSet::TabWidth(int index) const
{
    // Only the tabs in view are ever measured, and the font keeps its own
    // cache of glyph advances, so nothing is stored here.
    return fontMetrics().horizontalAdvance(label_(index)) + 2 * kPadding;
}

int TTabSet::RowWidth() const
{
    return std::max(0, width() - 2 * kButtonWidth);
}

QRect TTabSet::tabRect(int index) const
{
    if (index < first_ || index >= count())
        return {};
    int x = 0;
    for (int i = first_; i < index; ++i) {
        x += TabWidth(i);
        if (x >= RowWidth())
            return {};
    }
    if (x >= RowWidth())
        return {};
    return QRect(x, 0, TabWidth(index), height());
}

int TTabSet::tabAt(const QPoint& pos) const
{
    if (pos.y() < 0 || pos.y() >= height() || pos.x() < 0 || pos.x() >= RowWidth())
        return -1;
    int x = 0;
    for (int i = first_; i < count() && x < RowWidth(); ++i) {
        x += TabWidth(i);
        if (pos.x() < x)
            return i;
    }
    return -1;
}

int TTabSet::LastFullyVisible() const
{
    int x = 0;
    int last = first_ - 1;
    for (int i = first_; i < count(); ++i) {
        x += TabWidth(i);
        if (x > RowWidth())
            break;
        last = i;
    }
    return last;
}

void TTabSet::ScrollTo(int first)
{
    first = std::clamp(first, 0, std::max(0, count() - 1));
    if (first == first_)
        return;
    first_ = first;
    UpdateButtons();
    update();
}

void TTabSet::MakeVisible(int index)
{
    if (index < first_) {
        ScrollTo(index);
        return;
    }
    // Move right until the tab fits, never past it.
    int first = first_;
    int x = 0;
    for (int i = index; i >= first_; --i) {
        x += TabWidth(i);
        if (x > RowWidth()) {
            first = i + 1;
            break;
        }
    }
    ScrollTo(std::min(first, index));
}

void TTabSet::UpdateButtons()
{
    back_->setGeometry(width() - 2 * kButtonWidth, 0, kButtonWidth, height());
    forward_->setGeometry(width() - kButtonWidth, 0, kButtonWidth, height());
    back_->setEnabled(first_ > 0);
    forward_->setEnabled(count() > 0 && LastFullyVisible() < count() - 1);
}

QSize TTabSet::sizeHint() const
{
    return QSize(200, fontMetrics().height() + 8);
}
QSize TTabSet::minimumSizeHint() const
{
    return QSize(2 * kButtonWidth + 20, fontMetrics().height() + 8);
}

void TTabSet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setClipRect(0, 0, RowWidth(), height());
    int x = 0;
    // With the focus, the current tab (or the first in view) shows the dotted mark.
    const int marked = current_ >= first_ ? current_ : first_;
    for (int i = first_; i < count() && x < RowWidth(); ++i) {
        QStyleOptionTab option;
        option.initFrom(this);
        option.shape = QTabBar::TriangularSouth;
        option.text = label_(i);
        option.rect = QRect(x, 0, TabWidth(i), height());
        option.position = QStyleOptionTab::Middle;
        if (i == current_)
            option.state |= QStyle::State_Selected;
        else
            option.state &= ~QStyle::State_Selected;
        // The row's focus belongs to the marked tab alone, else the style tints every tab.
        if (i != marked)
            option.state &= ~QStyle::State_HasFocus;
        style()->drawControl(QStyle::CE_TabBarTab, &option, &painter, this);
        if (hasFocus() && i == marked) {
            // Dotted in the text colour, so every style shows it.
            painter.save();
            painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
            painter.drawRect(option.rect.adjusted(4, 3, -5, -4));
            painter.restore();
        }
        x += option.rect.width();
    }
}

void TTabSet::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = tabAt(event->position().toPoint());
    if (index >= 0)
        emit tabBarClicked(index);
}

void TTabSet::keyPressEvent(QKeyEvent* event)
{
    if (count() == 0 || (event->modifiers() & ~Qt::KeypadModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Left:
        target = std::max(0, current_ - 1);
        break;
    case Qt::Key_Right:
        target = current_ < 0 ? 0 : std::min(count() - 1, current_ + 1);
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = count() - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (target != current_)
        emit tabBarClicked(target);
}

void TTabSet::wheelEvent(QWheelEvent* event)
{
    const int steps = wheel_.Add(event->angleDelta().y());
    if (steps != 0)
        ScrollTo(first_ - steps);
    event->accept();
}

void TTabSet::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateButtons();
}

void TTabSet::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateButtons();
}

} // namespace quillet
