#include <gtest/gtest.h>

#include "platform/fake/FakePrinterHost.h"
#include "platform/fake/RecordingCanvas.h"

namespace quillet {
namespace {

// The fake font is MulDiv(points, dpiY, 72) high and half that wide per byte, so one Chinese character is
// square.
TEST(RecordingCanvas, FixedTextMetrics)
{
    struct Case {
        int dpi;
        int points;
        int pixels;
    } cases[] = { { 96, 12, 16 }, { 96, 9, 12 }, { 96, 10, 13 }, { 600, 12, 100 }, { 600, 9, 75 } };
    for (const auto& c : cases) {
        RecordingCanvas canvas(c.dpi, c.dpi);
        canvas.SetFont("\xCB\xCE\xCC\xE5", c.points, kBlack);
        EXPECT_EQ(canvas.FontPixels(), c.pixels) << c.dpi << " dpi " << c.points << " pt";
        EXPECT_EQ(canvas.TextExtent("\xCB\xCE"), (Size { c.pixels / 2 * 2, c.pixels }));
        EXPECT_EQ(canvas.TextExtent("").cy, c.pixels);
    }
}

// A fake printer in landscape swaps its printable area and records each job under its title.
TEST(FakePrinterHost, LandscapeAndJobs)
{
    FakePrinterHost host;
    EXPECT_EQ(host.PageWidthPixels(), 4760);
    PrinterSettings s;
    ASSERT_TRUE(host.GetSettings(s));
    s.orientation = DMORIENT_LANDSCAPE;
    host.SetSettings(s);
    EXPECT_TRUE(host.Landscape());
    EXPECT_EQ(host.PageWidthPixels(), 6779);
    auto job = host.BeginJob("T(1/2)");
    ASSERT_NE(job, nullptr);
    job->GetCanvas().TextOut(0, 0, "x");
    EXPECT_TRUE(job->End());
    ASSERT_EQ(host.jobs.size(), 1u);
    EXPECT_EQ(host.jobs[0].title, "T(1/2)");
    EXPECT_TRUE(host.jobs[0].ended);
    EXPECT_EQ(host.jobs[0].canvas->ClipRect(), (Rect { 0, 0, 6779, 4760 }));

    host.refuseJobs = true;
    EXPECT_EQ(host.BeginJob("x"), nullptr);
    host.printers.clear();
    EXPECT_FALSE(host.HasPrinter());
    EXPECT_EQ(host.CurrentIndex(), -1);
    EXPECT_FALSE(host.GetSettings(s));
}

} // namespace
} // namespace quillet
