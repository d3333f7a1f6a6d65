#include <gtest/gtest.h>

#include "platform/fake/FakeMessageService.h"
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

// Every recorded call carries the font, pen and brush in force at that moment, and lines run from the pen
// position.
TEST(RecordingCanvas, RecordsStateWithEachCall)
{
    RecordingCanvas canvas;
    canvas.SetFont("Arial", 10, kRed);
    canvas.SetBrushColor(kGray);
    canvas.TextOut(3, 4, "ab");
    canvas.SetPen(PenStyle::Dot, 2, kRed);
    canvas.MoveTo(1, 1);
    canvas.LineTo(9, 1);
    canvas.LineTo(9, 5);
    ASSERT_EQ(canvas.Texts().size(), 1u);
    EXPECT_EQ(canvas.Texts()[0].fontColor, kRed);
    EXPECT_EQ(canvas.Texts()[0].brushColor, kGray);
    const auto lines = canvas.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].from, (Point { 9, 1 }));
    EXPECT_EQ(lines[1].to, (Point { 9, 5 }));
    EXPECT_EQ(lines[1].penStyle, PenStyle::Dot);
    EXPECT_EQ(lines[1].penWidth, 2);
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

// Queued answers come first; then Yes/No questions get the safe No.
TEST(FakeMessageService, AnswersFromQueueThenSafeDefault)
{
    FakeMessageService messages;
    messages.answers.push_back(MessageResult::Yes);
    EXPECT_EQ(messages.Show("提示", "a", MessageButtons::YesNo), MessageResult::Yes);
    EXPECT_EQ(messages.Show("提示", "b", MessageButtons::YesNo), MessageResult::No);
    EXPECT_EQ(messages.Show("c", "d", MessageButtons::Ok), MessageResult::Ok);
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[1].text, "b");
}

} // namespace
} // namespace quillet
