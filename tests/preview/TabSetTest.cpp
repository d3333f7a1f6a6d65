// The page tab row: thousands of tabs, the current one scrolled into view,
// clicks reported by tab, and the arrow buttons scrolling the row.
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "preview/TabSet.h"

namespace quillet {
namespace {

QStringList Labels(int n)
{
    QStringList labels;
    for (int i = 1; i <= n; ++i)
        labels.append(QStringLiteral("\u3000第%1页\u3000").arg(i));
    return labels;
}

// A report of 5000 pages: selecting a far page brings its tab into view, and a
// click on it reports that page's index.
TEST(TabSet, FarTabComesIntoViewAndReportsItsClick)
{
    TTabSet tabs;
    tabs.resize(600, 23);
    tabs.SetTabs(Labels(5000));
    EXPECT_EQ(tabs.count(), 5000);
    EXPECT_EQ(tabs.currentIndex(), -1);
    EXPECT_EQ(tabs.tabText(4999), QStringLiteral("\u3000第5000页\u3000"));
    EXPECT_TRUE(tabs.tabRect(4000).isEmpty());

    tabs.setCurrentIndex(4000);
    const QRect r = tabs.tabRect(4000);
    ASSERT_FALSE(r.isEmpty());
    EXPECT_LE(r.right(), 600 - 32);
    EXPECT_EQ(tabs.tabAt(r.center()), 4000);

    QSignalSpy clicked(&tabs, &TTabSet::tabBarClicked);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, r.center());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 4000);
    // Other buttons do nothing.
    QTest::mouseClick(&tabs, Qt::RightButton, {}, r.center());
    EXPECT_EQ(clicked.count(), 1);

    // Going back to the first tab scrolls the row back to its start.
    tabs.setCurrentIndex(0);
    EXPECT_EQ(tabs.FirstVisible(), 0);
    EXPECT_EQ(tabs.tabAt(QPoint(2, 10)), 0);
}

// Replacing the tabs clears the selection and starts the row at the first tab;
// out-of-range indexes select nothing.
TEST(TabSet, ReplacingTabsAndBadIndexes)
{
    TTabSet tabs;
    tabs.resize(300, 23);
    tabs.SetTabs(Labels(50));
    tabs.setCurrentIndex(40);
    EXPECT_GT(tabs.FirstVisible(), 0);
    tabs.SetTabs(Labels(3));
    EXPECT_EQ(tabs.currentIndex(), -1);
    EXPECT_EQ(tabs.FirstVisible(), 0);
    tabs.setCurrentIndex(7);
    EXPECT_EQ(tabs.currentIndex(), -1);
    EXPECT_EQ(tabs.tabText(-1), QString());
    EXPECT_EQ(tabs.tabAt(QPoint(299, 10)), -1); // on the arrow buttons
}

} // namespace
} // namespace quillet
