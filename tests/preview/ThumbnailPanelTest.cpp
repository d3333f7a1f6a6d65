// The thumbnail panel: which page lies under a point, a click that turns to
// it, the page shown kept in view, the pictures kept within their bound over
// a long report, and the panel's place in the window's settings.
#include <QDockWidget>
#include <QScrollBar>

#include "preview/ThumbnailPanel.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

// The most recently used pictures stay, up to the limit.
TEST(ThumbnailCacheTest, KeepsTheMostRecentlyUsed)
{
    struct Case {
        std::size_t limit;
        std::vector<int> puts; // negative: a Find of that page
        std::vector<int> kept;
        std::vector<int> gone;
    } cases[] = {
        { 3, { 1, 2, 3 }, { 1, 2, 3 }, {} },
        { 3, { 1, 2, 3, 4 }, { 2, 3, 4 }, { 1 } },
        { 3, { 1, 2, 3, -1, 4 }, { 1, 3, 4 }, { 2 } },
        { 2, { 5, 5, 6, 7 }, { 6, 7 }, { 5 } },
        { 1, { 1, 2, 3 }, { 3 }, { 1, 2 } },
    };
    for (const Case& c : cases) {
        ThumbnailCache cache(c.limit);
        for (int p : c.puts) {
            if (p < 0)
                cache.Find(-p);
            else
                cache.Put(p, QImage(2, 2, QImage::Format_RGB32));
        }
        EXPECT_EQ(cache.Size(), c.kept.size());
        for (int p : c.kept)
            EXPECT_NE(cache.Find(p), nullptr) << p;
        for (int p : c.gone)
            EXPECT_EQ(cache.Find(p), nullptr) << p;
    }
}

using ThumbnailPanelTest = WindowFixture;

TEST_F(ThumbnailPanelTest, PointsMapToPagesAndAClickTurnsThere)
{
    TFrmPrintReview& w = Open();
    QTest::keyClick(&w, Qt::Key_F4);
    QApplication::processEvents();
    ASSERT_TRUE(w.ThumbnailDock->isVisible());
    TThumbnailPanel& panel = *w.Thumbnails;
    const int row = panel.RowHeight();
    const int count = w.BuffPaper->PageCount;
    const int top = panel.verticalScrollBar()->maximum();
    ASSERT_GT(top, 0);
    struct Case {
        int scrolled;
        int y;
        int page; // 0: none
    } cases[] = { { 0, 0, 1 }, { 0, row - 1, 1 }, { 0, row, 2 }, { 3, 0, 4 }, { 3, 2 * row + 5, 6 },
        { top, 0, top + 1 }, { top, (count - top) * row, 0 }, { 0, -1, 0 } };
    for (const Case& c : cases) {
        panel.verticalScrollBar()->setValue(c.scrolled);
        if (c.y < panel.viewport()->height())
            EXPECT_EQ(panel.PageAt(QPoint(20, c.y)), c.page) << c.scrolled << " " << c.y;
    }
    // A click turns to the page as a jump 后退 returns from.
    panel.verticalScrollBar()->setValue(3);
    QTest::mouseClick(panel.viewport(), Qt::LeftButton, {}, QPoint(20, row + 10));
    EXPECT_EQ(w.BuffPaper->CurrentPage, 5);
    w.ActionBack->trigger();
    EXPECT_EQ(w.BuffPaper->CurrentPage, 1);
    // The page turned to comes into view; a page drawn again leaves the panel where it was.
    EXPECT_EQ(panel.FirstPage(), 1);
    w.JumpToPage(count);
    EXPECT_GE(count, panel.FirstPage());
    EXPECT_LT(count, panel.FirstPage() + panel.PagesInView());
    panel.verticalScrollBar()->setValue(2);
    w.SetZoom(150);
    EXPECT_EQ(panel.FirstPage(), 3);
    // Only the pages in view are drawn, each once (and maybe one that was
    // on its way when the view moved).
    const int before = panel.Drawn();
    panel.DrawAllInView();
    EXPECT_LE(panel.Drawn() - before, panel.PagesInView() + 1);
    EXPECT_GE(panel.Kept(), static_cast<std::size_t>(std::min(count - 2, panel.PagesInView())));
    const int after = panel.Drawn();
    panel.DrawAllInView();
    EXPECT_EQ(panel.Drawn(), after);
    // A change of the layout, and its undo, leave no stale picture.
    w.ActionWhereHorRight->trigger();
    EXPECT_EQ(panel.Kept(), 0u);
    panel.DrawAllInView();
    w.ActionUndo->trigger();
    EXPECT_EQ(panel.Kept(), 0u);

    // Hidden by F4 and shown again at the width the settings keep.
    QTest::keyClick(&w, Qt::Key_F4);
    EXPECT_FALSE(w.ThumbnailDock->isVisible());
    EXPECT_FALSE(w.CurrentViewSettings().thumbnails);
    ViewSettings settings = w.CurrentViewSettings();
    settings.thumbnails = true;
    settings.thumbnailWidth = 230;
    w.ApplyViewSettings(settings);
    QApplication::processEvents();
    EXPECT_TRUE(w.ThumbnailDock->isVisible());
    EXPECT_TRUE(w.ActionThumbnails->isChecked());
    EXPECT_EQ(w.ThumbnailDock->width(), 230);
    EXPECT_EQ(w.CurrentViewSettings().thumbnailWidth, 230);
    EXPECT_EQ(w.BuffPaper->CurrentPage, count);
}

// Scrolled through every page of a long report, the panel draws each page
// once and keeps no more than its bound.
TEST_F(ThumbnailPanelTest, ScrollingThroughALongReportKeepsTheBound)
{
    QTemporaryDir folder;
    ASSERT_TRUE(WriteExampleReport(folder.path().toStdString(), 300 * kExampleDataRowsPerBlock));
    TFrmPrintReview& w = Open({ folder.filePath(QString::fromLatin1(kExampleDataName)),
        folder.filePath(QString::fromLatin1(kExampleFormatName)), QStringLiteral("NotDef") });
    ASSERT_GE(w.BuffPaper->PageCount, 300);
    w.SetThumbnailsShown(true);
    QApplication::processEvents();
    TThumbnailPanel& panel = *w.Thumbnails;
    std::size_t most = 0;
    for (int first = 0; first <= panel.verticalScrollBar()->maximum(); first += panel.PagesInView()) {
        panel.verticalScrollBar()->setValue(first);
        panel.DrawAllInView();
        most = std::max(most, panel.Kept());
    }
    // At most kMaxKept, and no more than their memory bound allows.
    const QSize device = panel.PictureSize() * panel.devicePixelRatioF();
    const std::size_t bytes = static_cast<std::size_t>(device.width()) * device.height() * 4;
    EXPECT_EQ(most, std::min(TThumbnailPanel::kMaxKept,
                        std::max(TThumbnailPanel::kMaxKeptBytes / bytes, std::size_t { 2 } * static_cast<std::size_t>(panel.PagesInView()))));
    // A wider panel keeps fewer of its larger pictures.
    w.resize(1400, 800);
    w.resizeDocks({ w.ThumbnailDock }, { 400 }, Qt::Horizontal);
    QApplication::processEvents();
    panel.DrawAllInView();
    EXPECT_LT(panel.Kept() * 4 * panel.PictureSize().width() * panel.PictureSize().height(),
        TThumbnailPanel::kMaxKeptBytes + 1);
    EXPECT_GE(panel.Drawn(), w.BuffPaper->PageCount);
    EXPECT_LE(panel.Drawn(), w.BuffPaper->PageCount + panel.PagesInView());
    // The window's own page is as it was.
    EXPECT_EQ(w.BuffPaper->CurrentPage, 1);
}

} // namespace
} // namespace quillet::testing
