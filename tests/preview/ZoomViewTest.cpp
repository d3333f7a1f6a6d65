// The page at every zoom: the sheet's size and proportions, where borders
// are found against where they are drawn, fitting, the view kept on its spot
// through zooms, resizes and paper changes, and wheels with fine steps.
#include <QMenu>
#include <QScrollArea>
#include <QLabel>
#include <QScrollBar>
#include <QWheelEvent>
#include <functional>
#include <cmath>

#include "platform/Arith.h"
#include "preview/ImageReview.h"
#include "preview/ZtRuler.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

using ZoomViewTest = WindowFixture;

QPoint Scrolled(const TFrmPrintReview& w)
{
    return { w.ScrollBox_Main->horizontalScrollBar()->value(), w.ScrollBox_Main->verticalScrollBar()->value() };
}

// The page pixel under a point of the viewport.
QPointF PagePoint(const TFrmPrintReview& w, const QPoint& at)
{
    const TImageReview::PageView v = w.Image_Review->View();
    const QPointF local = QPointF(at + Scrolled(w) - w.Image_Review->pos());
    return { (local.x() - v.ox) / v.sx, (local.y() - v.oy) / v.sy };
}

// Every zoom but 100 % and 50 % shows the paper at exactly its scale: the
// sheet is the paper's millimetres at the zoom, its proportions kept, the
// page drawn through that scale, the rulers' bands as long as the sheet and
// numbered in the paper's centimetres.
TEST_F(ZoomViewTest, SheetIsThePaperAtTheZoom)
{
    TFrmPrintReview& w = Open();
    w.ActionStateReview->trigger();
    const double ppm = w.Screen->PixelsPerMmX;
    struct Case {
        double zoom;
        int lastNumber; // the top ruler's last number: 21 cm of paper
    } cases[] = { { 10, 20 }, { 25, 20 }, { 33, 20 }, { 67, 20 }, { 75, 20 }, { 125, 20 }, { 150, 20 },
        { 200, 20 }, { 400, 20 }, { 800, 20 } };
    for (const Case& c : cases) {
        w.SetZoom(c.zoom);
        const int width = Round(210 * ppm * c.zoom / 100);
        const int height = Round(290 * w.Screen->PixelsPerMmY * c.zoom / 100);
        EXPECT_EQ(w.Image_Review->width(), width + 5) << c.zoom;
        EXPECT_EQ(w.Image_Review->height(), height + 5) << c.zoom;
        EXPECT_NEAR(static_cast<double>(width) / height, 210.0 / 290.0, 0.01) << c.zoom;
        EXPECT_EQ(w.Image_Review->View().sx, c.zoom / 100) << c.zoom;
        EXPECT_EQ(w.Image_Review->View().sy, c.zoom / 100) << c.zoom;
        const RulerLayout top = w.ZtRuler_Top->Layout();
        EXPECT_EQ(top.band.Width(), width) << c.zoom;
        EXPECT_EQ(w.Image_Review->x(), top.startWhere) << c.zoom;
        EXPECT_EQ(w.Image_Review->y(), w.ZtRuler_Left->StartWhere()) << c.zoom;
        ASSERT_FALSE(top.labels.empty());
        EXPECT_LE(top.labels.back().number, c.lastNumber) << c.zoom;
        EXPECT_GT(top.labels.back().number, c.lastNumber - 10) << c.zoom;
    }
    // 100 % and 50 % keep their whole centimetres.
    w.SetZoom(50);
    EXPECT_EQ(w.Image_Review->width(), 378 + 5);
    EXPECT_EQ(w.ZtRuler_Top->LengthNumber(), 9);
    w.SetZoom(100);
    EXPECT_EQ(w.Image_Review->width(), 794 + 5);
    EXPECT_EQ(w.ZtRuler_Top->LengthNumber(), 20);
}

// Design state at zooms from 50 % to 800 %, at the screen's pixel ratio (the
// tests run again at QT_SCALE_FACTOR 2): the column border is found exactly
// on the pixels the screen draws its rule on and the tolerance either side;
// a drag of d pixels changes the width by Round(d / (pixels per mm x zoom)).
TEST_F(ZoomViewTest, BorderIsFoundWhereItIsDrawn)
{
    TFrmPrintReview& w = OpenLaidOut();
    ASSERT_FALSE(w.BuffPaper->ReviewState);
    for (double zoom : { 50.0, 67.0, 125.0, 200.0, 300.0, 400.0, 800.0 }) {
        {
            const double ratio = w.Image_Review->devicePixelRatioF();
            w.SetZoom(zoom);
            const TImageReview::PageView v = w.Image_Review->View();
            const int y = static_cast<int>(std::floor(v.oy + RowMiddle(3) * v.sy + 0.5));
            const int expected = static_cast<int>(std::floor(v.ox + 189 * v.sx + 0.5));
            // The drawn rule: the run of pixel columns from near where it
            // should be that are dark in four rows of different cells.
            auto darkAt = [&](const QImage& seen, int d) {
                for (int r = 0; r < seen.height(); ++r)
                    if (qGray(seen.pixel(d, r)) >= 96)
                        return false;
                return true;
            };
            QImage seen(static_cast<int>(121 * ratio), 4, QImage::Format_RGB32);
            for (int r = 0; r < 4; ++r) {
                const int rowY = static_cast<int>(std::floor(v.oy + RowMiddle(3 + 2 * r) * v.sy + 0.5));
                const QImage line = w.Image_Review->Render(QRect(expected - 60, rowY, 121, 1), ratio);
                for (int d = 0; d < seen.width(); ++d)
                    seen.setPixel(d, r, line.pixel(d, static_cast<int>(ratio / 2)));
            }
            int first = -1;
            int last = -1;
            for (int d = 0; d < seen.width(); ++d) {
                const int at = expected - 60 + static_cast<int>(std::floor(d / ratio));
                if (darkAt(seen, d) && (first >= 0 ? at <= last + 1 : std::abs(at - expected) <= 3)) {
                    if (first < 0)
                        first = at;
                    last = at;
                }
            }
            ASSERT_GE(first, 0) << zoom << " " << ratio;
            for (int x = first - 6; x <= last + 6; ++x) {
                Move(x, y);
                const bool inZone = x >= first - 2 && x <= last + 2;
                EXPECT_EQ(Cursor(), inZone ? Qt::SizeHorCursor : Qt::ArrowCursor)
                    << "zoom " << zoom << " ratio " << ratio << " x " << x << " rule " << first << ".." << last;
            }
        }
        const int width = w.PrintFormat->ColWidth[1];
        const TImageReview::PageView v = w.Image_Review->View();
        const int y = static_cast<int>(std::floor(v.oy + RowMiddle(3) * v.sy + 0.5));
        const int x = static_cast<int>(std::floor(v.ox + 189 * v.sx + 0.5)) + 1;
        Drag(x, y, 37, 0);
        EXPECT_EQ(w.PrintFormat->ColWidth[1], width + Round(37 / (w.Screen->PixelsPerMmX * v.sx)))
            << zoom;
        w.PrintFormat->ColWidth[1] = static_cast<std::uint8_t>(width);
        w.RepaginateAndShow();
    }
}

// Fit to the page and to the width fill the area up to the sheet's small
// margins, in windows large and small.
TEST_F(ZoomViewTest, FitFillsTheArea)
{
    TFrmPrintReview& w = Open();
    const int margin = 2 * TMyPaper::kSheetMargin + 5 + 2;
    for (const QSize size : { QSize(800, 600), QSize(1000, 800), QSize(1400, 1000), QSize(1600, 500) }) {
        w.resize(size);
        QApplication::processEvents();
        w.ActionFitPage->trigger();
        QApplication::processEvents();
        const QSize area = w.ScrollBox_Main->size();
        const QRect sheet = w.Image_Review->geometry();
        EXPECT_LE(sheet.right() + 1, area.width()) << size.width();
        EXPECT_LE(sheet.bottom() + 1, area.height()) << size.width();
        EXPECT_TRUE(sheet.width() >= area.width() - margin || sheet.height() >= area.height() - margin)
            << size.width() << "x" << size.height() << ": " << sheet.width() << "x" << sheet.height();
        EXPECT_EQ(w.ScrollBox_Main->verticalScrollBar()->maximum(), 0);

        w.ActionFitWidth->trigger();
        QApplication::processEvents();
        const int view = w.ScrollBox_Main->viewport()->width();
        EXPECT_LE(w.Image_Review->geometry().right() + 1, view) << size.width();
        EXPECT_GE(w.Image_Review->width(), view - margin) << size.width();
        EXPECT_EQ(w.ScrollBox_Main->horizontalScrollBar()->maximum(), 0) << size.width();
    }
}

// Zooming in and out, by command or Ctrl+wheel's fine parts, and fitting
// keep the middle of the view on the same spot of the page; the wheel adds
// parts of a step up to whole steps.
TEST_F(ZoomViewTest, ZoomKeepsTheMiddleOfTheView)
{
    TFrmPrintReview& w = Open();
    w.ActionStateReview->trigger();
    struct Case {
        const char* what;
        std::function<void()> run;
        double zoom; // after it
    } cases[] = {
        { "zoom in", [&w] { w.ActionZoomIn->trigger(); }, 300 },
        { "zoom out", [&w] { w.ActionZoomOut->trigger(); }, 150 },
        { "fit width", [&w] { w.ActionFitWidth->trigger(); }, -1 },
        { "wheel 3 x 40", [&w] { for (int i = 0; i < 3; ++i) w.WheelZoom(40, w.ScrollBox_Main->viewport()->rect().center()); }, 300 },
        { "wheel 2 x 15", [&w] { for (int i = 0; i < 2; ++i) w.WheelZoom(15, w.ScrollBox_Main->viewport()->rect().center()); }, 200 },
        { "wheel 240", [&w] { w.WheelZoom(240, w.ScrollBox_Main->viewport()->rect().center()); }, 400 },
        { "wheel 60, -60, 60", [&w] { for (int d : { 60, -60, 60 }) w.WheelZoom(d, w.ScrollBox_Main->viewport()->rect().center()); }, 200 },
    };
    for (const Case& c : cases) {
        w.SetZoom(200);
        w.ScrollBox_Main->horizontalScrollBar()->setValue(500);
        w.ScrollBox_Main->verticalScrollBar()->setValue(900);
        const QPoint centre = w.ScrollBox_Main->viewport()->rect().center();
        const QPointF before = PagePoint(w, centre);
        c.run();
        if (c.zoom > 0) {
            EXPECT_EQ(w.Zoom(), c.zoom) << c.what;
        }
        const QPointF after = PagePoint(w, centre);
        if (c.zoom > 0 || w.ScrollBox_Main->horizontalScrollBar()->maximum() > 0) {
            EXPECT_NEAR(after.x(), before.x(), 1.0) << c.what;
        }
        EXPECT_NEAR(after.y(), before.y(), 1.0) << c.what;
    }
}

// A resize lays the sheet out again: a small sheet stays in the middle of
// the larger view, and the middle of the view of a large one stays on its
// spot of the page.
TEST_F(ZoomViewTest, ResizeLaysTheSheetOutAgain)
{
    TFrmPrintReview& w = Open();
    w.ActionStateReview->trigger();
    w.resize(800, 600);
    QApplication::processEvents();
    w.SetZoom(25);
    w.resize(1400, 1000);
    QApplication::processEvents();
    QApplication::processEvents();
    const QRect view = w.ScrollBox_Main->viewport()->rect();
    EXPECT_NEAR(w.Image_Review->geometry().center().x() - Scrolled(w).x(), view.center().x(), 30);
    EXPECT_EQ(w.Image_Review->x(), w.ZtRuler_Top->StartWhere());

    w.SetZoom(300);
    w.ScrollBox_Main->horizontalScrollBar()->setValue(600);
    w.ScrollBox_Main->verticalScrollBar()->setValue(1200);
    const QPointF before = PagePoint(w, view.center());
    w.resize(900, 700);
    QApplication::processEvents();
    QApplication::processEvents();
    const QPointF after = PagePoint(w, w.ScrollBox_Main->viewport()->rect().center());
    EXPECT_NEAR(after.x(), before.x(), 1.0);
    EXPECT_NEAR(after.y(), before.y(), 1.0);
}

// A paper change by the printer setup, and its undoing, keep the zoom and
// the fit: the new sheet is drawn at the zoom the panel shows.
TEST_F(ZoomViewTest, PaperChangeKeepsTheZoom)
{
    for (const bool fit : { false, true }) {
        FakePrinterHost host;
        TFrmPrintReview& w = Open({}, &host);
        w.ActionStateReview->trigger();
        if (fit)
            w.ActionFitPage->trigger();
        else
            w.SetZoom(150);
        w.Hook.printerSetup = TurnToLandscape(host);
        for (QAction* step : { w.ActionSetPrinter, w.ActionUndo, w.ActionRedo }) {
            step->trigger();
            const double zoom = fit ? w.FitZoom(TFrmPrintReview::FitMode::Page) : 150.0;
            EXPECT_EQ(w.Zoom(), zoom) << step->text().toStdString();
            EXPECT_EQ(w.Image_Review->width(), Round(w.BuffPaper->PageWidth * w.Screen->PixelsPerMmX * zoom / 100) + 5)
                << step->text().toStdString();
            EXPECT_EQ(w.StatusZoom->text().startsWith(QString::number(std::lround(zoom)) + QStringLiteral("%")), true);
        }
        window_.reset();
    }
}

// The tab row scrolls by whole wheel steps, its parts added up.
TEST_F(ZoomViewTest, TabRowAddsUpFineWheelSteps)
{
    TFrmPrintReview& w = Open();
    TTabSet& tabs = *w.TabSetPage;
    tabs.SetTabs(50, [](int i) { return QString::number(i); });
    auto wheel = [&tabs](int delta) {
        QWheelEvent e(QPointF(5, 5), tabs.mapToGlobal(QPointF(5, 5)), {}, QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&tabs, &e);
    };
    const int start = tabs.FirstVisible();
    for (int i = 0; i < 4; ++i)
        wheel(-30);
    EXPECT_EQ(tabs.FirstVisible(), start + 1);
    wheel(-60);
    EXPECT_EQ(tabs.FirstVisible(), start + 1);
    wheel(-60);
    EXPECT_EQ(tabs.FirstVisible(), start + 2);
}

// At high zoom a page turn draws the tiles the view shows and no more, and
// a scroll step only those that come into view; until they are drawn the
// engine's picture stands in, and the view ends sharp.
TEST_F(ZoomViewTest, HighZoomDrawsOnlyWhatIsSeen)
{
    TFrmPrintReview& w = Open();
    w.ActionStateReview->trigger();
    TImageReview& image = *w.Image_Review;
    auto settle = [&image] {
        for (int i = 0; i < 1000 && (i < 3 || image.TilesPending()); ++i)
            QApplication::processEvents();
    };
    for (double zoom : { 300.0, 800.0 }) {
        w.SetZoom(zoom);
        w.ScrollBox_Main->verticalScrollBar()->setValue(w.ScrollBox_Main->verticalScrollBar()->maximum() / 2);
        settle();
        const QSize view = w.ScrollBox_Main->viewport()->size();
        const int tile = TImageReview::kTile;
        // The tiles that reach into the view: a tile more each way at most.
        const long long seen = static_cast<long long>(view.width() + 2 * tile) * (view.height() + 2 * tile);
        const long long before = image.RenderedArea();
        w.ActionNextPage->trigger();
        settle();
        EXPECT_FALSE(image.TilesPending()) << zoom;
        EXPECT_LE(image.RenderedArea() - before, seen) << zoom;
        EXPECT_GT(image.RenderedArea() - before, 0) << zoom;

        const long long turned = image.RenderedArea();
        w.ScrollBox_Main->verticalScrollBar()->setValue(w.ScrollBox_Main->verticalScrollBar()->value() + 20);
        settle();
        EXPECT_LE(image.RenderedArea() - turned, static_cast<long long>(view.width() + 2 * tile) * tile) << zoom;
    }
}

// A click on the zoom panel offers the ladder's zooms and the fit commands;
// each entry sets the zoom (and fit) it names and the panel says so.
TEST_F(ZoomViewTest, ZoomPanelOffersStepsAndFits)
{
    TFrmPrintReview& w = Open();
    QTest::mouseClick(w.StatusZoom, Qt::LeftButton);
    EXPECT_TRUE(w.ZoomPanelMenu->isVisible());
    w.ZoomPanelMenu->hide();
    struct Case {
        const char* entry;
        TFrmPrintReview::FitMode fit;
        double zoom; // 0: the fitted zoom
        const char* panel;
    } cases[] = {
        { "200%", TFrmPrintReview::FitMode::None, 200, "200%" },
        { "适合页宽", TFrmPrintReview::FitMode::Width, 0, " 适合页宽" },
        { "33%", TFrmPrintReview::FitMode::None, 33, "33%" },
        { "适合整页", TFrmPrintReview::FitMode::Page, 0, " 适合整页" },
        { "800%", TFrmPrintReview::FitMode::None, 800, "800%" },
    };
    for (const Case& c : cases) {
        QAction* entry = nullptr;
        for (QAction* a : w.ZoomPanelMenu->actions())
            if (a->text() == QString::fromUtf8(c.entry))
                entry = a;
        ASSERT_NE(entry, nullptr) << c.entry;
        entry->trigger();
        EXPECT_EQ(w.Fit(), c.fit) << c.entry;
        EXPECT_EQ(w.Zoom(), c.zoom ? c.zoom : w.FitZoom(c.fit)) << c.entry;
        EXPECT_TRUE(w.StatusZoom->text().endsWith(QString::fromUtf8(c.panel))) << c.entry;
        // Shown again, the menu ticks the ladder's zoom in use, none when fitted.
        emit w.ZoomPanelMenu->aboutToShow();
        int ticked = 0;
        for (QAction* a : w.ZoomPanelMenu->actions())
            if (a->isChecked() && a->data().isValid()) {
                ++ticked;
                EXPECT_EQ(a->text(), QString::fromUtf8(c.entry));
            }
        EXPECT_EQ(ticked, c.zoom ? 1 : 0) << c.entry;
    }
}

// A border held past an edge of the view scrolls the view that way, by the
// distance past the edge up to a step, and the line stays under the mouse.
TEST_F(ZoomViewTest, BorderHeldPastTheEdgeScrollsTheView)
{
    const QSize view(300, 200);
    struct Case {
        QPoint at;
        QPoint delta;
    } cases[] = { { { 10, 10 }, { 0, 0 } }, { { 299, 199 }, { 0, 0 } }, { { 300, 50 }, { 1, 0 } },
        { { 310, 50 }, { 11, 0 } }, { { 900, 50 }, { 40, 0 } }, { { -1, 50 }, { -1, 0 } },
        { { -500, -3 }, { -40, -3 } }, { { 50, 230 }, { 0, 31 } } };
    for (const Case& c : cases)
        EXPECT_EQ(TFrmPrintReview::EdgeScrollDelta(c.at, view), c.delta) << c.at.x() << "," << c.at.y();

    TFrmPrintReview& w = OpenLaidOut();
    w.resize(700, 600);
    w.SetZoom(400);
    QScrollBar* h = w.ScrollBox_Main->horizontalScrollBar();
    const TImageReview::PageView v = w.Image_Review->View();
    const int y = static_cast<int>(std::floor(v.oy + RowMiddle(3) * v.sy + 0.5));
    const int x = static_cast<int>(std::floor(v.ox + 189 * v.sx + 0.5)) + 1;
    // The border 50 pixels into the view, the row too.
    h->setValue(w.Image_Review->x() + x - 50);
    w.ScrollBox_Main->verticalScrollBar()->setValue(w.Image_Review->y() + y - 50);
    const int start = h->value();
    const int width = w.PrintFormat->ColWidth[1];
    Move(x, y);
    ASSERT_EQ(Cursor(), Qt::SizeHorCursor);
    Press(x, y);
    // 25 pixels past the right edge of the view.
    const int edge = w.ScrollBox_Main->viewport()->width() - w.Image_Review->mapTo(w.ScrollBox_Main->viewport(), QPoint(0, 0)).x();
    Move(edge + 24, y, Qt::LeftButton);
    EXPECT_EQ(h->value(), start + 25);
    for (int i = 0; i < 3; ++i)
        w.EdgeScrollTick();
    EXPECT_EQ(h->value(), start + 100);
    // The line is where the mouse now points on the page.
    EXPECT_EQ(w.ChangeSizePanel->x(), w.Image_Review->x() + edge + 24 + 100);
    Release(edge + 24 + 100, y);
    EXPECT_EQ(w.PrintFormat->ColWidth[1], width + Round((edge + 124 - x) / (w.Screen->PixelsPerMmX * v.sx)));
    // Back within the view nothing scrolls.
    w.EdgeScrollTick();
    EXPECT_EQ(h->value(), start + 100);
}

} // namespace
} // namespace quillet::testing
