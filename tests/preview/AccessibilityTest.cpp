// What a screen reader and the keyboard get of the window and of every
// dialog: each control that takes the focus has a name and a role, the page
// tabs select the page shown, spin edits tell their value and range, and
// Tab goes once through every control in reading order.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QTabWidget>
#include <QTimer>
#include <functional>

#include "controls/LumButton.h"
#include "dialogs/DialogKeyboard.h"
#include "preview/AccessibleWindow.h"
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include "preview/SearchBar.h"
#include "preview/ZtRuler.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

// Every interface under root, depth first.
void Walk(QAccessibleInterface* root, const std::function<void(QAccessibleInterface&)>& visit, int depth = 0)
{
    if (!root || depth > 40)
        return;
    visit(*root);
    for (int i = 0; i < root->childCount(); ++i)
        Walk(root->child(i), visit, depth + 1);
}

// Focusable controls a screen reader could not name, as "class role".
QStringList Unnamed(QWidget& top)
{
    QStringList unnamed;
    Walk(QAccessible::queryAccessibleInterface(&top), [&](QAccessibleInterface& node) {
        // A control whose focus goes to another (a tab control's tab row) is no stop itself.
        auto* widget = qobject_cast<QWidget*>(node.object());
        if (!node.state().focusable || (widget && widget->focusProxy()))
            return;
        if (node.text(QAccessible::Name).trimmed().isEmpty() || node.role() == QAccessible::NoRole
            || node.role() == QAccessible::Client)
            unnamed << (node.object() ? QString::fromLatin1(node.object()->metaObject()->className())
                                      : QStringLiteral("?"))
                    + QLatin1Char(' ') + QString::number(node.role());
    });
    return unnamed;
}

// Spin boxes that tell no value within a range, as their names.
QStringList SpinsWithoutRange(QWidget& top, int& spins)
{
    QStringList bad;
    Walk(QAccessible::queryAccessibleInterface(&top), [&](QAccessibleInterface& node) {
        if (node.role() != QAccessible::SpinBox)
            return;
        ++spins;
        QAccessibleValueInterface* value = node.valueInterface();
        if (!value || !(value->minimumValue().toDouble() <= value->currentValue().toDouble())
            || !(value->currentValue().toDouble() <= value->maximumValue().toDouble())
            || !(value->minimumValue().toDouble() < value->maximumValue().toDouble())
            || node.text(QAccessible::Value).isEmpty())
            bad << node.text(QAccessible::Name);
    });
    return bad;
}

// The controls Tab goes through from the focus round to it again (at most limit).
QList<QWidget*> TabCycle(int limit = 80)
{
    QList<QWidget*> seen;
    QWidget* start = QApplication::focusWidget();
    if (!start)
        return seen;
    seen << start;
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (now == start || !now)
            break;
        seen << now;
    }
    return seen;
}

// b follows a in reading order: on a lower line, or further right on the same line.
bool ReadsAfter(const QWidget& a, const QWidget& b)
{
    const QRect ra(a.mapTo(a.window(), QPoint(0, 0)), a.size());
    const QRect rb(b.mapTo(b.window(), QPoint(0, 0)), b.size());
    return rb.top() > ra.center().y() || (rb.left() > ra.left() && rb.top() > ra.top() - ra.height() / 2);
}

class AccessibilityTest : public WindowFixture {
protected:
    // Runs check on the dialog that command opens, then cancels it.
    void OnDialog(QAction* command, const std::function<void(QDialog&)>& check)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            check(*dialog);
            dialog->reject();
        });
        command->trigger();
        EXPECT_TRUE(seen) << command->objectName().toStdString();
    }
    QList<QAction*> DialogCommands() const
    {
        TFrmPrintReview& w = *window_;
        return { w.ActionEditCompany, w.ActionEditTitle, w.ActionEditPageHead, w.ActionEditPageFoot,
            w.ActionEditRowCount, w.ActionEditAllRowHeight, w.ActionEditColWidth, w.ActionEditRowHeight,
            w.ActionSetPage, w.ActionSetFont, w.ActionSelPage, w.ActionSetPrint, w.ActionAbout };
    }
};

// The window: named controls, the tab list following the page from clicks
// and keys alike, the page area telling its page, zoom and text.
TEST_F(AccessibilityTest, WindowTreeNamesEveryControlAndFollowsThePage)
{
    TFrmPrintReview& w = Open();
    w.ActionFind->trigger(); // the search bar's parts too
    EXPECT_EQ(Unnamed(w), QStringList {});

    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(w.TabSetPage);
    ASSERT_EQ(list->role(), QAccessible::PageTabList);
    auto selectedTab = [&] {
        QStringList selected;
        for (int i = 0; i < list->childCount(); ++i) {
            if (list->child(i)->state().selected)
                selected << list->child(i)->text(QAccessible::Name);
        }
        return selected;
    };
    struct Step {
        std::function<void()> act;
        int page;
    };
    const int last = w.BuffPaper->PageCount;
    ASSERT_GT(last, 3);
    const Step steps[] = {
        { [&] { w.ActionNextPage->trigger(); }, 2 },
        { [&] { QTest::keyClick(w.TabSetPage, Qt::Key_Right); }, 3 },
        { [&] { QTest::keyClick(w.TabSetPage, Qt::Key_Left); }, 2 },
        { [&] { QTest::keyClick(w.TabSetPage, Qt::Key_End); }, last },
        { [&] { QTest::keyClick(w.TabSetPage, Qt::Key_Home); }, 1 },
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(w.BuffPaper->CurrentPage, step.page);
        EXPECT_EQ(selectedTab(), QStringList { QStringLiteral("第%1页").arg(step.page) });
        // Only the tabs in view are children, whatever the report's length.
        EXPECT_LT(list->childCount(), 60);
    }

    QAccessibleInterface* page = QAccessible::queryAccessibleInterface(w.Image_Review);
    EXPECT_EQ(page->text(QAccessible::Value), QStringLiteral("第1页 共%1页 100%").arg(last));
    ASSERT_NE(page->textInterface(), nullptr);
    const QString text = page->textInterface()->text(0, page->textInterface()->characterCount());
    EXPECT_EQ(text, PageTextInReadingOrder(w));
    for (const DrawnText& drawn : DrawnTextsOfPage(w))
        EXPECT_TRUE(text.contains(QString::fromStdString(drawn.utf8).simplified())) << drawn.utf8;
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.ZtRuler_Top)->text(QAccessible::Name),
        QStringLiteral("上标尺"));
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(w.ZtRuler_Top)
                    ->text(QAccessible::Value)
                    .startsWith(QStringLiteral("0至")));
}

// Every dialog: each control that takes the focus is named, each spin edit
// tells its value and range.
TEST_F(AccessibilityTest, DialogTreesNameEveryControl)
{
    Open();
    int spins = 0;
    for (QAction* command : DialogCommands()) {
        OnDialog(command, [&](QDialog& d) {
            EXPECT_EQ(Unnamed(d), QStringList {}) << d.windowTitle().toStdString();
            EXPECT_EQ(SpinsWithoutRange(d, spins), QStringList {}) << d.windowTitle().toStdString();
            // The flat buttons say their captions without the spaces that spread them.
            for (TLumButton* button : d.findChildren<TLumButton*>()) {
                const QString name = QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name);
                EXPECT_TRUE(name == QStringLiteral("确定") || name == QStringLiteral("取消"))
                    << name.toStdString();
            }
        });
    }
    EXPECT_GE(spins, 4); // the row count, row height and the page margins
}

// Tab goes once through every enabled control of each dialog (each tab page
// of it), in reading order, and of the window with and without the search bar.
TEST_F(AccessibilityTest, TabReachesEachControlOnceInReadingOrder)
{
    TFrmPrintReview& w = Open();
    for (QAction* command : DialogCommands()) {
        OnDialog(command, [&](QDialog& d) {
            QList<QTabWidget*> tabs = d.findChildren<QTabWidget*>();
            const int pages = tabs.isEmpty() ? 1 : tabs.front()->count();
            d.activateWindow();
            ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &d; }));
            for (int p = 0; p < pages; ++p) {
                if (!tabs.isEmpty())
                    tabs.front()->setCurrentIndex(p);
                // A caption names a control seen with it, never one on another tab page.
                for (QLabel* label : d.findChildren<QLabel*>()) {
                    if (label->buddy()) {
                        EXPECT_EQ(label->isVisibleTo(&d), label->buddy()->isVisibleTo(&d))
                            << label->text().toStdString();
                    }
                }
                QList<QWidget*> expected;
                for (QWidget* control : ReadingOrder(d)) {
                    // A group of radio buttons is one stop, at its first; the
                    // arrows move within the group.
                    auto* radio = qobject_cast<QRadioButton*>(control);
                    auto* before
                        = expected.isEmpty() ? nullptr : qobject_cast<QRadioButton*>(expected.back());
                    if (radio && before && before->parentWidget() == radio->parentWidget())
                        continue;
                    if (control->isVisibleTo(&d) && control->isEnabled())
                        expected << control;
                }
                if (expected.isEmpty())
                    continue;
                expected.front()->setFocus(Qt::TabFocusReason);
                const QList<QWidget*> cycle = TabCycle();
                EXPECT_EQ(cycle, expected) << d.windowTitle().toStdString() << " page " << p;
                for (qsizetype i = 0; i + 1 < cycle.size(); ++i)
                    EXPECT_TRUE(ReadsAfter(*cycle[i], *cycle[i + 1]))
                        << d.windowTitle().toStdString() << ": " << i << " "
                        << cycle[i]->metaObject()->className() << " -> "
                        << cycle[i + 1]->metaObject()->className();
            }
        });
    }

    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.ScrollBox_Main->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(TabCycle(), (QList<QWidget*> { w.ScrollBox_Main, w.PageNumberField, w.TabSetPage }));
    w.ActionFind->trigger();
    TSearchBar& s = *w.SearchBar;
    const QList<QWidget*> withSearch { s.Box, s.PriorButton, s.NextButton, s.MatchCase, s.WholeWord,
        s.CloseButton, w.ScrollBox_Main, w.PageNumberField, w.TabSetPage };
    EXPECT_EQ(TabCycle(), withSearch);
}

} // namespace
} // namespace quillet::testing
