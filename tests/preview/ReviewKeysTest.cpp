// Reading a report from the keyboard, and a report of hundreds of millions of
// pages opened, turned to its end and shown in the tab row and status bar.
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

using ReviewKeysTest = WindowFixture;

// The page area has the focus and shows it; the arrows scroll by a line,
// PgDn scrolls by a screen and at the bottom turns to the next page at its
// top, PgUp at the top turns back to the previous page at its bottom, and
// Ctrl+End / Ctrl+Home go to the last and first page.
TEST_F(ReviewKeysTest, KeysScrollAndTurnPages)
{
    TFrmPrintReview& w = Open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QWidget* area = w.ScrollBox_Main;
    EXPECT_TRUE(area->hasFocus());
    EXPECT_TRUE(w.PageFocusFrame->isVisible());
    QScrollBar* bar = w.ScrollBox_Main->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the page must be taller than the view";
    const int last = w.BuffPaper->PageCount;
    ASSERT_GE(last, 3);

    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page;
        int scroll;
    };
    const int bottom = bar->maximum();
    const Step steps[] = {
        { Qt::Key_Down, Qt::NoModifier, 1, bar->singleStep() },
        { Qt::Key_Up, Qt::NoModifier, 1, 0 },
        { Qt::Key_PageUp, Qt::NoModifier, 1, 0 }, // the first page at its top: nothing
        { Qt::Key_PageDown, Qt::NoModifier, 1, std::min(bottom, bar->pageStep()) },
        { Qt::Key_End, Qt::NoModifier, 1, bottom },
        { Qt::Key_PageDown, Qt::NoModifier, 2, 0 },
        { Qt::Key_PageUp, Qt::NoModifier, 1, bottom },
        { Qt::Key_End, Qt::ControlModifier, last, bottom },
        { Qt::Key_PageDown, Qt::NoModifier, last, bottom }, // the last page at its bottom: nothing
        { Qt::Key_PageUp, Qt::NoModifier, last, std::max(0, bottom - bar->pageStep()) },
        { Qt::Key_Home, Qt::ControlModifier, 1, 0 },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(QKeySequence(step.key | step.modifiers).toString().toStdString());
        QTest::keyClick(area, step.key, step.modifiers);
        EXPECT_EQ(w.BuffPaper->CurrentPage, step.page);
        EXPECT_EQ(w.StatusPanels[3]->text(), QStringLiteral("第%1页").arg(step.page));
        EXPECT_EQ(w.TabSetPage->currentIndex(), step.page - 1);
        EXPECT_EQ(bar->value(), step.scroll);
    }
    // Leaving the area hides its highlight.
    area->clearFocus();
    EXPECT_FALSE(w.PageFocusFrame->isVisible());
}

// A sparse data file of 320 million pages opens, its status panels show the
// nine-digit numbers whole, and Ctrl+End reaches the last page, whose tab is
// in view and turns to it when clicked.
TEST_F(ReviewKeysTest, HugeReportOpensAndTurnsToItsLastPage)
{
    constexpr int kPages = 320'000'000;
    QTemporaryDir folder;
    ASSERT_TRUE(WriteSparseReport(folder.path().toStdString(), kPages));
    TFrmPrintReview& w = Open({ folder.filePath(QString::fromLatin1(kSparseDataName)),
        folder.filePath(QString::fromLatin1(kSparseFormatName)), QStringLiteral("NotDef") });
    ASSERT_FALSE(w.EndRequested());
    ASSERT_EQ(w.BuffPaper->PageCount, kPages);
    EXPECT_EQ(w.TabSetPage->count(), kPages);
    QTest::keyClick(w.ScrollBox_Main, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.BuffPaper->CurrentPage, kPages);
    for (int panel : { 2, 3 }) {
        const QLabel* label = w.StatusPanels[panel];
        EXPECT_EQ(
            label->text(), (panel == 2 ? QStringLiteral("共%1页") : QStringLiteral("第%1页")).arg(kPages));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
    }
    const QRect lastTab = w.TabSetPage->tabRect(kPages - 1);
    ASSERT_FALSE(lastTab.isEmpty());
    EXPECT_EQ(w.TabSetPage->tabText(kPages - 1), QStringLiteral("\u3000第320000000页\u3000"));
    QTest::keyClick(w.ScrollBox_Main, Qt::Key_PageUp);
    QTest::mouseClick(w.TabSetPage, Qt::LeftButton, {}, lastTab.center());
    EXPECT_EQ(w.BuffPaper->CurrentPage, kPages);
}

} // namespace
} // namespace quillet::testing
