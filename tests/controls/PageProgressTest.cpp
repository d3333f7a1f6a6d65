// The progress box of page runs: hidden with the hourglass for a short run,
// up with the page numbers and a bar for a long one, and stopped by its
// cancel button, by Esc or by closing it.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/LumButton.h"
#include "controls/PageProgress.h"

namespace quillet {
namespace {

const QString kPattern = QStringLiteral("正在打印第%1页，共%2页");

bool Hourglass()
{
    return QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

// Three pages stay under the hourglass without a box; more show the box, its
// line and bar following the pages, with the ordinary cursor over it.
TEST(PageProgress, ShortRunsShowTheHourglassLongRunsTheBox)
{
    {
        TPageProgress box(QStringLiteral("打印"), kPattern);
        EXPECT_TRUE(Hourglass());
        for (int done = 0; done < 3; ++done)
            EXPECT_TRUE(box.Step(done, 3));
        EXPECT_FALSE(box.isVisible());
        EXPECT_TRUE(Hourglass());
    }
    EXPECT_FALSE(Hourglass());
    {
        TPageProgress box(QStringLiteral("打印"), kPattern);
        EXPECT_TRUE(box.Step(0, 10));
        EXPECT_TRUE(box.isVisible());
        EXPECT_TRUE(box.isModal());
        EXPECT_FALSE(Hourglass());
        EXPECT_EQ(box.windowTitle(), QStringLiteral("打印"));
        EXPECT_EQ(box.size(), QSize(TPageProgress::kClientWidth, TPageProgress::kClientHeight));
        EXPECT_EQ(box.Label->text(), QStringLiteral("正在打印第1页，共10页"));
        EXPECT_TRUE(box.Step(4, 10));
        EXPECT_EQ(box.Label->text(), QStringLiteral("正在打印第5页，共10页"));
        EXPECT_EQ(box.Bar->maximum(), 10);
        EXPECT_EQ(box.Bar->value(), 4);
    }
    EXPECT_FALSE(Hourglass());
}

// The cancel button, Esc and the window's close each stop the run before its
// next page; the box stays up until the run takes it down.
TEST(PageProgress, CancelEscAndCloseStopTheRun)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        TPageProgress box(QStringLiteral("导出PDF"), kPattern);
        ASSERT_TRUE(box.Step(0, 8));
        if (way == 0)
            QTest::mouseClick(box.CancelButton, Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            box.close();
        EXPECT_TRUE(box.Cancelled());
        EXPECT_TRUE(box.isVisible());
        EXPECT_FALSE(box.CancelButton->isEnabled());
        EXPECT_EQ(box.Label->text(), QStringLiteral("正在取消…"));
        EXPECT_FALSE(box.Step(1, 8));
        EXPECT_EQ(box.Label->text(), QStringLiteral("正在取消…"));
    }
}

} // namespace
} // namespace quillet
