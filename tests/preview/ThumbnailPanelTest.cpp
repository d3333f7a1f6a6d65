// The thumbnail panel: which page lies under a point, a click that turns to
// it, the page shown kept in view, the pictures kept within their bound over
// a long report, and the panel's place in the window's settings.
#include <QDockWidget>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QThread>

#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>

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
        if (c.y < panel.viewport()->height()) {
            EXPECT_EQ(panel.PageAt(QPoint(20, c.y)), c.page) << c.scrolled << " " << c.y;
        }
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
    panel.DrawAllInView();
    panel.verticalScrollBar()->setValue(2);
    w.SetZoom(150);
    EXPECT_EQ(panel.FirstPage(), 3);
    // Only the pages in view are drawn, each once.
    const int before = panel.Drawn();
    panel.DrawAllInView();
    EXPECT_LE(panel.Drawn() - before, panel.PagesInView());
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

// The example's data in memory; the readers the thumbnail thread makes of it
// are counted and may be slowed down, the window's own reads are not.
struct SlowBytes {
    std::string bytes;
    std::atomic<int> reads { 0 };
    std::atomic<int> delayMs { 0 };
};

class SlowSource : public ByteSource {
public:
    SlowSource(std::shared_ptr<SlowBytes> bytes, bool twin)
        : bytes_(std::move(bytes))
        , twin_(twin)
    {
    }
    long long ReadAt(std::uint64_t offset, char* buf, std::size_t size) override
    {
        if (twin_) {
            ++bytes_->reads;
            QThread::msleep(static_cast<unsigned long>(bytes_->delayMs.load()));
        }
        if (offset >= bytes_->bytes.size())
            return 0;
        const std::size_t n = std::min<std::size_t>(size, bytes_->bytes.size() - offset);
        std::memcpy(buf, bytes_->bytes.data() + offset, n);
        return static_cast<long long>(n);
    }
    std::optional<FileStamp> Stamp() const override { return FileStamp { bytes_->bytes.size(), 0 }; }
    std::unique_ptr<ByteSource> Twin(const TMyPrintFormat&) const override
    {
        return std::make_unique<SlowSource>(bytes_, true);
    }

private:
    std::shared_ptr<SlowBytes> bytes_;
    bool twin_;
};

class ThumbnailThreadTest : public WindowFixture {
protected:
    // The example window reading its data from bytes, with the panel shown.
    TFrmPrintReview& OpenOn(const std::shared_ptr<SlowBytes>& bytes)
    {
        TFrmPrintReview& w = Open();
        w.PrintData->Open(std::make_unique<SlowSource>(bytes, false), DataPath().toStdString());
        w.RepaginateAndShow();
        w.SetThumbnailsShown(true);
        return w;
    }
    static std::shared_ptr<SlowBytes> ExampleBytes()
    {
        auto bytes = std::make_shared<SlowBytes>();
        std::ifstream in(DataPath().toStdString(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        bytes->bytes = s.str();
        return bytes;
    }
    // Lets the window work until the thread has read for a picture.
    static bool UntilRead(const SlowBytes& bytes)
    {
        QElapsedTimer time;
        time.start();
        while (bytes.reads == 0 && time.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        return bytes.reads > 0;
    }
};

// A page half drawn when the layout changes, the panel is hidden or the
// window closes is left: no stale picture is kept, and the thread stops at
// its next read without finishing the page.
TEST_F(ThumbnailThreadTest, APageInDrawingIsLeftAtOnce)
{
    struct Case {
        const char* name;
        std::function<void(std::unique_ptr<TFrmPrintReview>&)> action;
        bool stops; // the thread ends; else it draws on for the new layout
    } cases[] = {
        { "layout changed", [](auto& w) { w->ActionWhereHorRight->trigger(); }, false },
        { "undone", [](auto& w) { w->ActionUndo->trigger(); }, false },
        { "panel hidden", [](auto& w) { QTest::keyClick(w.get(), Qt::Key_F4); }, true },
        { "window closed", [](auto& w) { w->close(); }, true },
        { "window destroyed", [](auto& w) { w.reset(); }, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::shared_ptr<SlowBytes> bytes = ExampleBytes();
        TFrmPrintReview& w = OpenOn(bytes);
        if (std::string_view(c.name) == "undone")
            w.ActionWhereHorRight->trigger();
        // Each row of a page is one read: a page takes a second or more.
        bytes->delayMs = 40;
        ASSERT_TRUE(UntilRead(*bytes));
        const int before = bytes->reads;
        c.action(window_);
        const int after = bytes->reads;
        if (c.stops) {
            EXPECT_LE(after - before, 1);
            if (window_) {
                EXPECT_FALSE(w.Thumbnails->Worker().Running());
            }
            QThread::msleep(100);
            EXPECT_EQ(bytes->reads, after);
            continue;
        }
        // The pictures then kept are those of the new layout.
        EXPECT_EQ(w.Thumbnails->Kept(), 0u);
        bytes->delayMs = 0;
        TThumbnailPanel& panel = *w.Thumbnails;
        panel.DrawAllInView();
        ASSERT_TRUE(panel.Picture(1) && !panel.Picture(1)->isNull());
        const QImage kept = *panel.Picture(1);
        panel.ReportChanged();
        panel.DrawAllInView();
        ASSERT_TRUE(panel.Picture(1));
        EXPECT_TRUE(*panel.Picture(1) == kept);
    }
}

// A page whose data cannot be drawn shows as a plain frame; the pages
// around it are drawn, and the thread shows no message.
TEST_F(ThumbnailThreadTest, APageThatCannotBeDrawnIsAPlainFrame)
{
    // Line 31 of the ledger lies on page 2.
    const std::uint64_t at = ExampleCellOffset(kExampleDataRowsPerBlock + 3, kExampleColumns);
    struct Case {
        const char* name;
        std::string cell; // the cell's length byte and text
    } cases[] = {
        { "a length past the cell", std::string(1, '\xFA') },
        { "no number in the amount", std::string("\x03" "abc") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::shared_ptr<SlowBytes> bytes = ExampleBytes();
        bytes->bytes.replace(static_cast<std::size_t>(at), c.cell.size(), c.cell);
        TFrmPrintReview& w = OpenOn(bytes);
        TThumbnailPanel& panel = *w.Thumbnails;
        panel.DrawAllInView();
        for (int page = 1; page <= 3; ++page) {
            ASSERT_TRUE(panel.Picture(page)) << page;
            EXPECT_EQ(panel.Picture(page)->isNull(), page == 2) << page;
        }
        EXPECT_TRUE(messages_.shown.empty());
        // The window still says what is wrong when the page is turned to.
        w.JumpToPage(2);
        EXPECT_EQ(messages_.shown.size(), 1u);
        messages_.shown.clear();
    }
}

} // namespace
} // namespace quillet::testing
