#include "dialogs/DialogKeyboard.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <limits>

namespace quillet {
namespace {

// Controls Tab stops at: they take the focus themselves, not through another.
bool TakesTab(const QWidget& w)
{
    return (w.focusPolicy() & Qt::TabFocus) && w.focusProxy() == nullptr;
}

QRect InDialog(const QWidget& w, const QDialog& dialog)
{
    return QRect(w.mapTo(&dialog, QPoint(0, 0)), w.size());
}

// A run of controls that keeps together in the order: one control, or a tab
// control's tab row followed by its pages' controls.
struct Block {
    QRect rect;
    QList<QWidget*> widgets;
};

QList<QWidget*> Arrange(QWidget& container, const QDialog& dialog);

QList<Block> Blocks(QWidget& container, const QDialog& dialog)
{
    QList<Block> blocks;
    for (QObject* object : container.children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow())
            continue;
        if (auto* tabs = qobject_cast<QTabWidget*>(child)) {
            Block block { InDialog(*tabs, dialog), { tabs->tabBar() } };
            for (int i = 0; i < tabs->count(); ++i)
                block.widgets += Arrange(*tabs->widget(i), dialog);
            blocks.append(block);
        } else if (TakesTab(*child)) {
            // A control with inner parts (a combo box's edit field) is one stop.
            blocks.append({ InDialog(*child, dialog), { child } });
        } else {
            for (Block& inner : Blocks(*child, dialog))
                blocks.append(std::move(inner));
        }
    }
    return blocks;
}

// Lines from top to bottom: a block joins the line whose first block's middle
// it starts above; each line from left to right.
QList<QWidget*> Arrange(QWidget& container, const QDialog& dialog)
{
    QList<Block> blocks = Blocks(container, dialog);
    std::stable_sort(blocks.begin(), blocks.end(),
        [](const Block& a, const Block& b) { return a.rect.top() < b.rect.top(); });
    QList<QWidget*> order;
    for (qsizetype first = 0; first < blocks.size();) {
        qsizetype end = first + 1;
        while (end < blocks.size() && blocks[end].rect.top() <= blocks[first].rect.center().y())
            ++end;
        std::stable_sort(blocks.begin() + first, blocks.begin() + end,
            [](const Block& a, const Block& b) { return a.rect.left() < b.rect.left(); });
        for (qsizetype i = first; i < end; ++i)
            order += blocks[i].widgets;
        first = end;
    }
    return order;
}

bool IsInput(const QWidget& w)
{
    return qobject_cast<const QLineEdit*>(&w) || qobject_cast<const QComboBox*>(&w)
        || qobject_cast<const QAbstractSpinBox*>(&w);
}

// What a caption says without its colon.
QString CaptionName(const QString& caption)
{
    QString name = caption.simplified();
    while (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0xFF1A)))
        name.chop(1);
    return name;
}

// The tab page a control lies on, or the dialog: the pages of a tab control
// lie over one another, so a caption names only controls of its own page.
const QWidget* PageOf(const QWidget& w, const QDialog& dialog)
{
    const QWidget* at = &w;
    while (at != &dialog && at->parentWidget() && !qobject_cast<const QStackedWidget*>(at->parentWidget()))
        at = at->parentWidget();
    return at;
}

// The caption at the control's left on its line, the nearest; else the one
// just above it.
QLabel* CaptionOf(const QWidget& input, const QList<QLabel*>& labels, const QDialog& dialog)
{
    const QRect at = InDialog(input, dialog);
    const QWidget* page = PageOf(input, dialog);
    QLabel* best = nullptr;
    int bestGap = std::numeric_limits<int>::max();
    for (QLabel* label : labels) {
        if (PageOf(*label, dialog) != page)
            continue;
        const QRect r = InDialog(*label, dialog);
        const int gap = at.left() - r.right();
        if (gap >= -1 && gap < bestGap && r.center().y() >= at.top() && r.center().y() <= at.bottom()) {
            best = label;
            bestGap = gap;
        }
    }
    if (best)
        return best;
    for (QLabel* label : labels) {
        if (PageOf(*label, dialog) != page)
            continue;
        const QRect r = InDialog(*label, dialog);
        const int gap = at.top() - r.bottom();
        if (gap >= -1 && gap < 24 && gap < bestGap && r.left() < at.right() && r.right() > at.left()) {
            best = label;
            bestGap = gap;
        }
    }
    return best;
}

void NameInputs(QDialog& dialog, const QList<QWidget*>& order)
{
    QList<QLabel*> labels;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!CaptionName(label->text()).isEmpty() && label->buddy() == nullptr)
            labels.append(label);
    }
    for (QWidget* input : order) {
        if (!IsInput(*input) || !input->accessibleName().isEmpty())
            continue;
        if (QLabel* label = CaptionOf(*input, labels, dialog)) {
            label->setBuddy(input);
            input->setAccessibleName(CaptionName(label->text()));
            labels.removeOne(label);
        }
    }
    // A drop-down list's entries are heard under the list's name.
    for (QWidget* input : order) {
        auto* combo = qobject_cast<QComboBox*>(input);
        if (!combo)
            continue;
        if (combo->view() && combo->view()->accessibleName().isEmpty())
            combo->view()->setAccessibleName(combo->accessibleName());
        if (combo->lineEdit() && combo->lineEdit()->accessibleName().isEmpty())
            combo->lineEdit()->setAccessibleName(combo->accessibleName());
    }
}

} // namespace

QList<QWidget*> ReadingOrder(QDialog& dialog)
{
    return Arrange(dialog, dialog);
}

void ArrangeDialogForKeyboard(QDialog& dialog)
{
    // The style shows the focus from the opening on, not only after a first key.
    dialog.setAttribute(Qt::WA_KeyboardFocusChange);
    const QList<QWidget*> order = ReadingOrder(dialog);
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    NameInputs(dialog, order);
}

} // namespace quillet
