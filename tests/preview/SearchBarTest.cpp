// The search bar on the example and on a sparse report of millions of pages.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "platform/GbkCodec.h"
#include "preview/SearchBar.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

using SearchBarTest = WindowFixture;

// A search turns to its first hit from the page shown, F3 and Shift+F3 walk
// the hits round the report, the count says where we are, and the page shows
// a mark for each of its hits, the current one among them and in view.
TEST_F(SearchBarTest, HitsTurnPagesAndAreMarked)
{
    TFrmPrintReview& w = Open();
    w.SetZoom(200.0);
    QTest::keyClick(w.ScrollBox_Main, Qt::Key_Slash);
    TSearchBar& bar = *w.SearchBar;
    ASSERT_TRUE(bar.isVisible());
    struct Case {
        const char* query;
        bool matchCase;
        bool wholeWord;
        long long total;
    };
    // The example's customers, an amount shown as "3,825.00", the company line.
    const Case cases[] = {
        { "华联超市", false, false, -1 },
        { "3825", false, false, -1 },
        { "华东文具", false, false, w.BuffPaper->PageCount },
        { "xs2403-0001", true, false, 0 },
        { "xs2403-0001", false, false, 1 },
        { "XS2403-000", false, true, 0 },
    };
    for (const Case& c : cases) {
      // From the first page, and from the middle: the search reads on from
      // the page shown and comes round to the report's start.
      for (const int from : { 1, w.BuffPaper->PageCount / 2 }) {
        SCOPED_TRACE(std::string(c.query) + " from page " + std::to_string(from));
        w.JumpToPage(from);
        bar.MatchCase->setChecked(c.matchCase);
        bar.WholeWord->setChecked(c.wholeWord);
        bar.Box->clear(); // a new search, not the next hit of the last one
        bar.Box->setText(QString::fromUtf8(c.query));
        QTest::keyClick(bar.Box, Qt::Key_Return);
        bar.RunToEnd();
        ASSERT_TRUE(bar.Finished());
        if (bar.Total() > 0) { // the first hit is on the page the search began at or after it
            EXPECT_TRUE(bar.CurrentPage() >= from || bar.Current() == 0);
        }
        if (c.total >= 0) {
            EXPECT_EQ(bar.Total(), c.total);
        }
        if (bar.Total() == 0) {
            EXPECT_EQ(bar.CountLabel->text(), QStringLiteral("没有找到"));
            EXPECT_TRUE(w.Image_Review->Marks().empty());
            continue;
        }
        // Round the report once forward and once back, one hit at a time.
        for (const bool forward : { true, false }) {
            for (long long step = 0; step < bar.Total(); ++step) {
                const long long at = bar.Current();
                EXPECT_EQ(bar.CountLabel->text(), QStringLiteral("第%1个，共%2个").arg(at + 1).arg(bar.Total()));
                ASSERT_GE(bar.CurrentMark(), 0) << "hit " << at;
                ASSERT_LT(bar.CurrentMark(), static_cast<int>(bar.Marks().size()));
                EXPECT_EQ(w.Image_Review->Marks(), bar.Marks());
                // The current mark is in view.
                const auto& view = w.Image_Review->View();
                const QRectF box = bar.Marks()[static_cast<std::size_t>(bar.CurrentMark())];
                const QPoint centre = w.Image_Review->mapTo(w.ScrollBox_Main->viewport(),
                    QPointF(view.ox + box.center().x() * view.sx, view.oy + box.center().y() * view.sy).toPoint());
                EXPECT_TRUE(w.ScrollBox_Main->viewport()->rect().contains(centre)) << "hit " << at;
                QTest::keyClick(&w, Qt::Key_F3, forward ? Qt::NoModifier : Qt::ShiftModifier);
                const long long total = bar.Total();
                EXPECT_EQ(bar.Current(), forward ? (at + 1) % total : (at + total - 1) % total);
            }
        }
      }
    }
    // The marks are the screen's: the window shows them, its picture of the
    // page (as saved and printed) does not.
    bar.WholeWord->setChecked(false);
    bar.Box->setText(QStringLiteral("华联超市"));
    QTest::keyClick(bar.Box, Qt::Key_Return);
    bar.RunToEnd();
    ASSERT_FALSE(bar.Marks().empty());
    const auto& view = w.Image_Review->View();
    const QRectF box = bar.Marks().front();
    const QRect area = QRectF(view.ox + box.x() * view.sx, view.oy + box.y() * view.sy, box.width() * view.sx,
        box.height() * view.sy)
                           .toAlignedRect();
    auto shown = [&] { return w.Image_Review->grab(area).toImage().convertToFormat(QImage::Format_RGB32); };
    auto picture = [&] { return w.Image_Review->Render(area, 1.0).convertToFormat(QImage::Format_RGB32); };
    const QImage markedScreen = shown();
    const QImage markedPicture = picture();
    w.Image_Review->SetMarks({}, -1);
    EXPECT_NE(shown(), markedScreen);
    EXPECT_EQ(picture(), markedPicture);
    bar.PageShown();
    // Esc closes the bar and takes the marks away.
    QTest::keyClick(bar.Box, Qt::Key_Escape);
    EXPECT_FALSE(bar.isVisible());
    EXPECT_TRUE(w.Image_Review->Marks().empty());
}

// On a sparse report of millions of pages the search shows its progress,
// turns to a hit as soon as it finds one, and stops at Esc keeping what it found.
TEST_F(SearchBarTest, SparseReportSearchIsCancelled)
{
    constexpr int kPages = 2'000'000;
    QTemporaryDir folder;
    ASSERT_TRUE(WriteSparseReport(folder.path().toStdString(), kPages));
    TFrmPrintReview& w = Open({ folder.filePath(QString::fromLatin1(kSparseDataName)),
        folder.filePath(QString::fromLatin1(kSparseFormatName)), QStringLiteral("NotDef") });
    ASSERT_EQ(w.BuffPaper->PageCount, kPages);
    TSearchBar& bar = *w.SearchBar;
    w.JumpToPage(1000);
    w.ActionFind->trigger();
    // Nothing of the report holds it: every page must be read.
    bar.Box->setText(QStringLiteral("没有的文字"));
    QTest::keyClick(bar.Box, Qt::Key_Return);
    EXPECT_TRUE(bar.Running());
    EXPECT_LT(bar.ScannedPages(), kPages);
    EXPECT_TRUE(bar.CountLabel->text().contains(QStringLiteral("正在查找第")));
    QTest::keyClick(bar.Box, Qt::Key_Escape);
    EXPECT_FALSE(bar.Running());
    EXPECT_TRUE(bar.isVisible());
    EXPECT_TRUE(bar.CountLabel->text().contains(QStringLiteral("已停止查找")));
    EXPECT_EQ(w.BuffPaper->CurrentPage, 1000);
    // The title is on every page: the first hit from the page shown comes at once.
    bar.Box->setText(QString::fromUtf8(GbkToUtf8(w.PrintFormat->Title.Text.View())));
    QTest::keyClick(bar.Box, Qt::Key_Return);
    EXPECT_EQ(w.BuffPaper->CurrentPage, 1000);
    EXPECT_EQ(bar.CurrentPage(), 1000);
    // Its number from the report's start is known once the search comes round.
    EXPECT_EQ(bar.Current(), -1);
    EXPECT_TRUE(bar.CountLabel->text().startsWith(QStringLiteral("已找到")));
    EXPECT_FALSE(bar.Marks().empty());
    bar.Cancel();
}

} // namespace
} // namespace quillet::testing
