#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <unistd.h>

#include "engine/EngineError.h"
#include "model/DataFileError.h"
#include "tests/engine/EngineTestSupport.h"

namespace quillet::test {
namespace {

const std::string kMonthly = "\xD4\xC2\xB1\xA8"; // 月报

std::vector<std::string> Numbered(const std::string& prefix, int n)
{
    std::vector<std::string> cells;
    for (int i = 1; i <= n; ++i)
        cells.push_back(prefix + std::to_string(i));
    return cells;
}

// One column of 20 mm, two rows of 29 mm (one heading row): a block takes
// 58 + 12 = 70 mm. With MultiTables on a 300 mm sheet, margins 25 + 25 and a
// 10 mm gap, three blocks fit a page; seven data rows make three pages.
class Pages : public ::testing::Test {
protected:
    void Build(bool multiTables, int gap = 10)
    {
        TMyPrintFormat& f = rig.format;
        SimpleTable(f, 1, 2, 1, 20, 29);
        f.MultiTables = multiTables ? 1 : 0;
        f.TableGap = static_cast<std::uint16_t>(gap);
        f.TableGapLine = 1;
        f.PrintPageNumber = 1;
        f.Title.Text.SetText(kMonthly);
        rig.buffer.SetPageSize(210, 300);
        rig.UseCells(Numbered("b", 7));
    }
    EngineRig rig;
};

TEST_F(Pages, StackedBlocksFollowOneAnotherByTheReservedHeight)
{
    // Page 2 of a three-blocks-a-sheet report draws blocks 4, 5 and 6 one pitch (70 + 10 mm) apart, rules
    // between them, one page number.
    Build(true);
    ASSERT_EQ(rig.buffer.PageCount, 3);
    rig.buffer.CurrentPage = 2;
    RecordingCanvas canvas(254, 254);
    rig.buffer.RenderPage(canvas, false);

    auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 4u);
    // Row 2 of a block at top T: inset from T + 30 mm, 270 px high, 71 px text.
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(texts[k].text, "b" + std::to_string(4 + k));
        EXPECT_EQ(texts[k].from.y, (25 + 80 * k + 30) * 10 + (270 - 71) / 2);
    }
    EXPECT_EQ(texts[3].text,
        "\xB5\xDA"
        "2"
        "\xD2\xB3 \xB9\xB2"
        "3"
        "\xD2\xB3");
    EXPECT_EQ(texts[3].from.y, 2900);

    std::vector<CanvasOp> separators;
    for (const auto& op : canvas.Lines())
        if (op.penStyle == PenStyle::DashDot)
            separators.push_back(op);
    ASSERT_EQ(separators.size(), 2u);
    // 5 mm below the first block's 95 mm: a pen of 3 pixels (1/96 inch at 254 dpi) from there down.
    EXPECT_EQ(separators[0].from, (Point { 300, 1001 }));
    EXPECT_EQ(separators[0].to, (Point { 1800, 1001 }));
    EXPECT_EQ(separators[0].penWidth, 3);
    EXPECT_EQ(separators[0].penColor, kBlack);
    EXPECT_EQ(separators[1].from.y, 1801);

    // The edges describe the page's first block again.
    EXPECT_EQ(rig.buffer.TableTop, 25);
    EXPECT_EQ(rig.buffer.TableBottom, 95);
    EXPECT_EQ(rig.buffer.CurrentBlock, 7);
}

TEST_F(Pages, SeparatorSitsInTheMiddleOfAnOddGap)
{
    // With a 7 mm gap the rule lies 7 - 7 div 2 = 4 mm below the upper block's reserved bottom.
    Build(true, 7);
    RecordingCanvas canvas(254, 254);
    rig.buffer.RenderPage(canvas, false);
    for (const auto& op : canvas.Lines())
        if (op.penStyle == PenStyle::DashDot) {
            EXPECT_EQ(op.from.y, (95 + 4) * 10 + 1); // the middle of a 3-pixel pen
            break;
        }
}

TEST_F(Pages, PageNumbersFarPastTheEndDrawEmptyBlocks)
{
    // A page number near the largest int does not overflow the block number; its blocks simply find no data.
    Build(true);
    rig.buffer.CurrentPage = INT_MAX;
    RecordingCanvas canvas(254, 254);
    rig.buffer.RenderPage(canvas, false);
    EXPECT_EQ(TextsOf(canvas).size(), 1u); // the page number only
}

TEST_F(Pages, LastPageCarriesAFullSetOfBlocks)
{
    // Page 3 draws blocks 7, 8 and 9; the two beyond the data stay empty.
    Build(true);
    rig.buffer.CurrentPage = 3;
    RecordingCanvas canvas(254, 254);
    rig.buffer.RenderPage(canvas, false);
    auto texts = TextsOf(canvas);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "b7");
    EXPECT_EQ(rig.buffer.CurrentBlock, 10);
    // Three frames were drawn: 3 x 4 solid sides, plus one row rule each.
    EXPECT_EQ(canvas.Lines().size(), 3u * 5u + 2u);
}

TEST(RenderPage, PartsOfABlockStackByTheHeightsTheyReport)
{
    // Company (4 mm), title (3 + 5), head (4) and body (58 + 1) follow each other; the next block keeps the
    // reserved pitch.
    EngineRig rig;
    TMyPrintFormat& f = rig.format;
    SimpleTable(f, 1, 2, 1, 20, 29);
    f.PrintCompany = f.PrintTitle = f.PrintPageHead = f.PrintPageFoot = 1;
    SetItem(f.Company, "ACME", 20);
    SetItem(f.Title, "TITLE", 30);
    SetItem(f.Head[1], "H", 20);
    SetItem(f.Foot[1], "F", 20);
    rig.UseCells({ "x" });
    RecordingCanvas canvas(72, 72); // fonts in pixels = points; 10 px/mm from the screen
    rig.buffer.RenderPage(canvas, false);

    EXPECT_EQ(rig.buffer.CompanyHeight, 4);
    EXPECT_EQ(rig.buffer.TitleHeight, 8);
    EXPECT_EQ(rig.buffer.HeadHeight, 4);
    EXPECT_EQ(rig.buffer.BodyHeight, 59);
    EXPECT_EQ(rig.buffer.FootHeight, 4);
    EXPECT_EQ(rig.buffer.TableTop, 25);
    EXPECT_EQ(rig.buffer.TableBottom, 25 + 58 + (2 + 2) + (3 + 2) + (2 + 4) + (2 + 4));

    auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 9u); // company, title, 3 head items, the cell, 3 foot items
    EXPECT_EQ(texts[0].from.y, 250); // company at the block top
    EXPECT_EQ(texts[1].from.y, 290); // title 4 mm lower
    EXPECT_EQ(texts[2].from.y, 370); // head after 4 + 8 mm
    EXPECT_EQ(
        canvas.Lines()[2].from, (Point { rig.buffer.TableLeft * 10, 410 })); // frame top after 4 + 8 + 4 mm
    EXPECT_EQ(texts.back().text, "");
    EXPECT_EQ(texts[texts.size() - 3].text, "F");
    EXPECT_EQ(texts[texts.size() - 3].from.y, 1000); // foot after the 59 mm body
}

TEST(RenderPage, FontsStayRightAcrossCellsAndRenders)
{
    // A red negative cell does not colour the next cell, the page number gets its own font, and a font
    // changed between renders is set again.
    EngineRig rig;
    TMyPrintFormat& f = rig.format;
    SimpleTable(f, 2, 3, 1);
    f.ColDecimals[1] = 0;
    f.ColItem[2].FontColor = 0x00AB0000;
    f.NegativeRed = 1;
    f.PrintPageNumber = 1;
    rig.UseCells({ "-1", "a", "2", "b" });
    RecordingCanvas canvas(254, 254);
    rig.buffer.RenderPage(canvas, false);
    auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0].fontColor, kRed);
    EXPECT_EQ(texts[1].fontColor, 0x00AB0000u);
    EXPECT_EQ(texts[2].fontColor, 0u);
    EXPECT_EQ(texts[4].fontName, "\xCB\xCE\xCC\xE5");
    EXPECT_EQ(texts[4].fontPoints, 10);

    canvas.Clear();
    canvas.SetFont("Other", 5, kRed);
    rig.buffer.RenderPage(canvas, false);
    EXPECT_EQ(canvas.Texts()[0].fontName, "Arial");
    EXPECT_EQ(canvas.Texts()[0].fontPoints, 20);
}

TEST_F(Pages, PreviewAtFullSizeIsDrawnDirectly)
{
    // At 100 % the page is drawn once, straight into the preview picture; the page bitmap is only cleared.
    Build(false);
    rig.PageCanvas().Clear();
    rig.PreviewCanvas().Clear();
    const int changes = rig.paperHost.pictureChanges;
    rig.buffer.ShowCurrentPage();

    auto page = rig.PageCanvas().ops;
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page[0].kind, CanvasOp::Kind::FillRect);
    EXPECT_EQ(page[0].rect, (Rect { 0, 0, 2100, 3000 }));

    auto& preview = rig.PreviewCanvas();
    EXPECT_EQ(preview.ops[0].kind, CanvasOp::Kind::FillRect); // the blank sheet first
    ASSERT_FALSE(TextsOf(preview).empty());
    EXPECT_EQ(TextsOf(preview)[0], "b1");
    EXPECT_TRUE(preview.OfKind(CanvasOp::Kind::StretchDraw).empty());
    EXPECT_GT(rig.paperHost.pictureChanges, changes);
}

TEST_F(Pages, PreviewAtHalfSizeStretchesThePageBitmap)
{
    // At 50 % the page bitmap is stretched into the picture inside its 1-pixel edge and 5-pixel shadow.
    Build(false);
    rig.buffer.SetViewRate(50);
    rig.PreviewCanvas().Clear();
    rig.buffer.ShowCurrentPage();
    auto& preview = rig.PreviewCanvas();
    EXPECT_TRUE(preview.Texts().empty());
    auto stretches = preview.OfKind(CanvasOp::Kind::StretchDraw);
    ASSERT_EQ(stretches.size(), 1u);
    const Bitmap& picture = rig.paperHost.picture;
    EXPECT_EQ(picture.Width(), 1000); // 10 cm at 100 px/cm
    EXPECT_EQ(stretches[0].rect, (Rect { 1, 1, picture.Width() - 6, picture.Height() - 6 }));
    EXPECT_FALSE(rig.PageCanvas().Texts().empty());
}

TEST_F(Pages, PrintingOnePageMakesOneTitledJob)
{
    // Printing page 2 alone gives one finished job titled "<title>(2/7)" and leaves the current page alone.
    Build(false);
    rig.buffer.PrintPages(2, 2);
    ASSERT_EQ(rig.printerHost.jobs.size(), 1u);
    EXPECT_EQ(rig.printerHost.jobs[0].title, kMonthly + "(2/7)");
    EXPECT_TRUE(rig.printerHost.jobs[0].ended);
    EXPECT_FALSE(rig.printerHost.jobs[0].aborted);
    EXPECT_EQ(TextsOf(*rig.printerHost.jobs[0].canvas)[0], "b2");
    EXPECT_EQ(rig.buffer.CurrentPage, 1);
}

TEST_F(Pages, PrintingARangeMakesOneJobPerPage)
{
    // Pages 3 to 5 are three jobs in order; a reversed range prints nothing.
    Build(false);
    rig.buffer.CurrentPage = 4;
    rig.buffer.PrintPages(5, 3);
    EXPECT_TRUE(rig.printerHost.jobs.empty());
    rig.buffer.PrintPages(3, 5);
    ASSERT_EQ(rig.printerHost.jobs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rig.printerHost.jobs[i].title, kMonthly + "(" + std::to_string(3 + i) + "/7)");
        EXPECT_EQ(TextsOf(*rig.printerHost.jobs[i].canvas)[0], "b" + std::to_string(3 + i));
    }
    EXPECT_EQ(rig.buffer.CurrentPage, 4);
}

// Stops a run before page stopAt + 1 and remembers what it was told.
struct StoppingProgress : PrintProgress {
    int stopAt = 0;
    std::vector<std::pair<int, int>> asked;
    bool BeforePage(int done, int total) override
    {
        asked.emplace_back(done, total);
        return done < stopAt;
    }
};

TEST_F(Pages, ProgressIsAskedBeforeEachPageAndCanStopTheRun)
{
    // Pages 2 to 6 with a progress that stops after three: it was asked with 0, 1, 2 and 3 of 5 pages done,
    // exactly three jobs went out whole, the run says so, and the current page is the one before the run.
    Build(false);
    rig.buffer.CurrentPage = 4;
    StoppingProgress progress;
    progress.stopAt = 3;
    EXPECT_EQ(rig.buffer.PrintPages(2, 6, &progress), 3);
    EXPECT_EQ(progress.asked, (std::vector<std::pair<int, int>> { { 0, 5 }, { 1, 5 }, { 2, 5 }, { 3, 5 } }));
    ASSERT_EQ(rig.printerHost.jobs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rig.printerHost.jobs[i].title, kMonthly + "(" + std::to_string(2 + i) + "/7)");
        EXPECT_TRUE(rig.printerHost.jobs[i].ended);
    }
    EXPECT_EQ(rig.buffer.CurrentPage, 4);

    // Stopped before the first page, nothing goes out; a run let through prints every page; an empty range
    // never asks.
    rig.printerHost.jobs.clear();
    progress.stopAt = 0;
    EXPECT_EQ(rig.buffer.PrintPages(1, 7, &progress), 0);
    EXPECT_TRUE(rig.printerHost.jobs.empty());
    progress.stopAt = 100;
    EXPECT_EQ(rig.buffer.PrintPages(1, 7, &progress), 7);
    EXPECT_EQ(rig.printerHost.jobs.size(), 7u);
    progress.asked.clear();
    EXPECT_EQ(rig.buffer.PrintPages(5, 3, &progress), 0);
    EXPECT_TRUE(progress.asked.empty());
    EXPECT_EQ(rig.buffer.CurrentPage, 4);
}

TEST_F(Pages, RunAsOneJobIsOneJobOfAllItsPagesOrNothing)
{
    // With one job a run, pages 2 to 6 are one ended job of 5 pages titled with the range; stopped between
    // pages, or by a page that fails, the job is thrown away and no page counts as sent.
    Build(false);
    rig.printerHost.preferences.oneJobPerRun = true;
    rig.buffer.CurrentPage = 4;
    EXPECT_EQ(rig.buffer.PrintPages(2, 6), 5);
    ASSERT_EQ(rig.printerHost.jobs.size(), 1u);
    EXPECT_EQ(rig.printerHost.jobs[0].title,
        kMonthly
            + "(\xB5\xDA"
              "2-6\xD2\xB3)"); // (第2-6页)
    EXPECT_EQ(rig.printerHost.jobs[0].pages, 5);
    EXPECT_TRUE(rig.printerHost.jobs[0].ended);
    EXPECT_EQ(TextsOf(*rig.printerHost.jobs[0].canvas)[0], "b2");
    EXPECT_EQ(rig.buffer.CurrentPage, 4);

    rig.printerHost.jobs.clear();
    StoppingProgress progress;
    progress.stopAt = 3;
    EXPECT_EQ(rig.buffer.PrintPages(2, 6, &progress), 0);
    ASSERT_EQ(rig.printerHost.jobs.size(), 1u);
    EXPECT_TRUE(rig.printerHost.jobs[0].aborted);
    EXPECT_FALSE(rig.printerHost.jobs[0].ended);
    EXPECT_EQ(rig.buffer.CurrentPage, 4);

    rig.printerHost.jobs.clear();
    rig.printerHost.failEnd = true;
    EXPECT_THROW(rig.buffer.PrintPages(1, 7), EngineError);
    ASSERT_EQ(rig.printerHost.jobs.size(), 1u);
    EXPECT_EQ(rig.printerHost.jobs[0].pages, 7);
}

TEST_F(Pages, SentJobsGoOutWhileTheNextPageIsDrawn)
{
    // On a printer that takes each finished job on its own time, page n + 1 begins while page n is still out,
    // and whatever happens the run reports as if each page had gone out before the next began: a page that
    // fails on its way stops the run at that page with the printing system's words, even when the page after
    // it failed to draw or to begin, and a stopped run counts the page that was out.
    struct Case {
        const char* what;
        int first, last;
        int stopAt; // the progress stops the run when that many pages are done; -1 never
        int failSent; // the job (from 0) that fails on its way; -1 none
        int badPage; // the page whose number does not convert; 0 none
        int refused; // the job (from 0) the printer refuses to begin; -1 none
        int result; // pages sent, or -1 for an error
        const char* message;
        int jobs, ended, currentPage;
    } cases[] = {
        { "whole run", 1, 7, -1, -1, 0, -1, 7, "", 7, 7, 4 },
        { "stopped after three", 2, 6, 3, -1, 0, -1, 3, "", 3, 3, 4 },
        { "page 3 fails on its way", 1, 7, -1, 2, 0, -1, -1, "打印作业没有正常结束", 4, 3, 3 },
        { "bad number on page 4", 1, 7, -1, -1, 4, -1, -1, "“x”不是有效的数值", 4, 3, 4 },
        { "bad page 4, page 3 fails", 1, 7, -1, 2, 4, -1, -1, "打印作业没有正常结束", 4, 3, 3 },
        { "page 4 refused", 1, 7, -1, -1, 0, 3, -1, "无法开始打印作业", 3, 3, 4 },
        { "page 4 refused, page 3 fails", 1, 7, -1, 2, 0, 3, -1, "打印作业没有正常结束", 3, 3, 3 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rig.printerHost.jobs.clear();
        rig.printerHost.refuseJobs = false;
        Build(false);
        rig.format.ColDecimals[1] = 0;
        std::vector<std::string> cells = Numbered("", 7);
        if (c.badPage > 0)
            cells[static_cast<std::size_t>(c.badPage - 1)] = "x";
        rig.UseCells(cells);
        rig.printerHost.sendsAhead = true;
        rig.printerHost.failSent = c.failSent;
        rig.printerHost.beforeJob
            = [&](std::size_t next) { rig.printerHost.refuseJobs = static_cast<int>(next) + 1 == c.refused; };
        rig.buffer.CurrentPage = 4;
        StoppingProgress progress;
        progress.stopAt = c.stopAt < 0 ? INT_MAX : c.stopAt;
        int result = -1;
        std::string message;
        try {
            result = rig.buffer.PrintPages(c.first, c.last, &progress);
        } catch (const EngineError& e) {
            message = e.what();
        }
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(rig.buffer.CurrentPage, c.currentPage);
        EXPECT_TRUE(rig.printerHost.sending.empty()) << "a job was left on its way";
        ASSERT_EQ(static_cast<int>(rig.printerHost.jobs.size()), c.jobs);
        for (int i = 0; i < c.jobs; ++i) {
            const FakeJob& job = rig.printerHost.jobs[static_cast<std::size_t>(i)];
            EXPECT_EQ(job.title, kMonthly + "(" + std::to_string(c.first + i) + "/7)") << i;
            EXPECT_EQ(job.ended, i < c.ended) << i;
            EXPECT_EQ(job.aborted, i >= c.ended) << i;
            // Drawn while the page before was on its way.
            EXPECT_EQ(job.sendingBefore, i > 0 ? 1 : 0) << i;
        }
        if (c.stopAt >= 0) {
            std::vector<std::pair<int, int>> asked;
            for (int done = 0; done <= c.stopAt; ++done)
                asked.emplace_back(done, c.last - c.first + 1);
            EXPECT_EQ(progress.asked, asked);
        }
    }
}

TEST(PrintPages, DrawsAtThePrintersResolution)
{
    // On a 600 dpi printer millimetres become Round(mm * 600 / 25.4) pixels, also for the page number.
    EngineRig rig(254, 600);
    SimpleTable(rig.format, 1, 2, 1, 20, 29);
    rig.format.PrintPageNumber = 1;
    rig.UseCells({ "x" });
    rig.buffer.PrintPages(1, 1);
    ASSERT_EQ(rig.printerHost.jobs.size(), 1u);
    const RecordingCanvas& c = *rig.printerHost.jobs[0].canvas;
    EXPECT_EQ(c.DpiY(), 600);
    // 95 and 25 mm; the rule's 6 pixels (1/96 inch) from there down.
    EXPECT_EQ(c.Lines()[0].from, (Point { 2244, 591 + 3 }));
    EXPECT_EQ(c.Lines()[0].penWidth, 6);
    EXPECT_EQ(c.Texts().back().from.y, 6614); // 280 mm
}

TEST_F(Pages, AFailingPageAbortsItsJobAndStopsThere)
{
    // A bad number on page 2 aborts that job, prints nothing after it, and leaves the current page at 2.
    TMyPrintFormat& f = rig.format;
    SimpleTable(f, 1, 2, 1, 20, 29);
    f.ColDecimals[1] = 0;
    rig.UseCells({ "1", "abc", "3" });
    const int top = rig.buffer.TableTop;
    EXPECT_THROW(rig.buffer.PrintPages(1, 3), EngineError);
    ASSERT_EQ(rig.printerHost.jobs.size(), 2u);
    EXPECT_TRUE(rig.printerHost.jobs[0].ended);
    EXPECT_FALSE(rig.printerHost.jobs[1].ended);
    EXPECT_TRUE(rig.printerHost.jobs[1].aborted);
    EXPECT_EQ(rig.buffer.CurrentPage, 2);
    EXPECT_EQ(rig.buffer.TableTop, top);
}

TEST_F(Pages, ABadNumberSaysOnWhichPageRowAndColumnItLies)
{
    // A word in the numeric second column of the fifth block stops a run with the cell's place: page 5 with
    // one block a sheet, the second block of page 2 with three; the message itself stays as it was.
    struct Case {
        bool multiTables;
        CellPlace place;
        const char* text;
    } cases[] = {
        { false, { 5, 1, 1, 2, 2 }, "（第5页第2行第2列）" },
        { true, { 2, 2, 3, 2, 2 }, "（第2页第2个表格第2行第2列）" },
    };
    for (const Case& c : cases) {
        Build(c.multiTables);
        SimpleTable(rig.format, 2, 2, 1, 20, 29);
        rig.format.ColDecimals[2] = 0;
        std::vector<std::string> cells;
        for (int i = 1; i <= 7; ++i)
            cells.insert(cells.end(), { "b" + std::to_string(i), i == 5 ? "x" : std::to_string(i) });
        rig.UseCells(cells);
        try {
            rig.buffer.PrintPages(1, rig.buffer.PageCount);
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), "“x”不是有效的数值");
            ASSERT_TRUE(e.Place().has_value());
            EXPECT_EQ(*e.Place(), c.place);
            EXPECT_EQ(MessageWithPlace(e), std::string("“x”不是有效的数值") + c.text);
        }
    }
    EXPECT_FALSE(EngineError("无法开始打印作业").Place().has_value());
    EXPECT_EQ(MessageWithPlace(EngineError("无法开始打印作业")), "无法开始打印作业");
}

TEST_F(Pages, PrintingSystemFailuresAreReported)
{
    // A job that cannot start, or cannot finish, ends printing with an error at that page.
    Build(false);
    rig.printerHost.refuseJobs = true;
    try {
        rig.buffer.PrintPages(3, 4);
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "无法开始打印作业");
    }
    EXPECT_EQ(rig.buffer.CurrentPage, 3);

    rig.buffer.CurrentPage = 1;
    rig.printerHost.refuseJobs = false;
    rig.printerHost.failEnd = true;
    EXPECT_THROW(rig.buffer.PrintPages(2, 4), EngineError);
    EXPECT_EQ(rig.printerHost.jobs.size(), 1u);
    EXPECT_EQ(rig.buffer.CurrentPage, 2);
}

TEST_F(Pages, PreviewErrorShowsThePartlyDrawnPage)
{
    // A bad number while previewing reports the error and leaves the page drawn up to the bad cell, at full
    // size in the preview picture, at half size in the page bitmap.
    TMyPrintFormat& f = rig.format;
    SimpleTable(f, 1, 2, 1, 20, 29);
    f.ColDecimals[1] = 0;
    rig.UseCells({ "abc" });
    rig.PreviewCanvas().Clear();
    EXPECT_THROW(rig.buffer.ShowCurrentPage(), EngineError);
    EXPECT_EQ(rig.PreviewCanvas().Lines().size(), 2u + 5u); // the sheet's edge, then frame and row rule
    EXPECT_TRUE(rig.PreviewCanvas().Texts().empty());

    rig.PageCanvas().Clear();
    EXPECT_THROW(rig.buffer.SetViewRate(50), EngineError);
    EXPECT_EQ(rig.PageCanvas().Lines().size(), 5u);
    EXPECT_TRUE(rig.PageCanvas().Texts().empty());
}

// One numeric column; a block is a heading row, one ledger row and a
// subtotal row whose merged cell sums the block. Five blocks of data, one a
// page.
class PrintRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        TMyPrintFormat& f = rig.format;
        SimpleTable(f, 1, 3, 1, 20, 20);
        f.ColDecimals[1] = 0;
        TMyMergedCell& m = f.MergedCells[1];
        m.Left = 1, m.Top = 3, m.Right = 1, m.Bottom = 3;
        m.Kind = kMergedSubtotal;
        SetItem(m.Item, "1", 20);
        std::vector<std::string> cells;
        for (int b = 1; b <= 5; ++b)
            cells.insert(cells.end(), { std::to_string(b * 10), "" });
        rig.UseCells(cells);
        ASSERT_EQ(rig.buffer.PageCount, 5);
    }
    EngineRig rig;
};

TEST_F(PrintRun, DataFileRemovedDuringThePrintRunLeavesEveryPageComplete)
{
    // The host application removes the data file, or puts another in its place, after the first page has
    // gone to the printer: every page still shows its ledger row and its subtotal.
    const std::string path = rig.data.FileName;
    rig.printerHost.beforeJob = [&](std::size_t job) {
        if (job == 1)
            std::filesystem::remove(path);
        if (job == 3) {
            DataFileSpec other;
            other.cells = { "7" };
            WriteDataFile(path, other);
        }
    };
    rig.buffer.PrintPages(1, 5);
    ASSERT_EQ(rig.printerHost.jobs.size(), 5u);
    for (int b = 1; b <= 5; ++b) {
        const FakeJob& job = rig.printerHost.jobs[static_cast<std::size_t>(b - 1)];
        EXPECT_TRUE(job.ended);
        const std::string value = std::to_string(b * 10);
        EXPECT_EQ(TextsOf(*job.canvas), (std::vector<std::string> { value, value })) << "page " << b;
    }
}

TEST_F(PrintRun, DataFileCutInPlaceStopsTheRunWithAMessage)
{
    // The data file cut in place after two pages: page 3 finds its rows missing; the run stops there with a
    // message naming the file, and that page never reaches the printer.
    const std::string path = rig.data.FileName;
    rig.printerHost.beforeJob = [&](std::size_t job) {
        if (job == 2) {
            ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kDataHeadSize + 4 * kCellSize + 50)), 0);
        }
    };
    try {
        rig.buffer.PrintPages(1, 5);
        FAIL() << "no error";
    } catch (const DataFileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    ASSERT_EQ(rig.printerHost.jobs.size(), 3u);
    EXPECT_TRUE(rig.printerHost.jobs[0].ended);
    EXPECT_TRUE(rig.printerHost.jobs[1].ended);
    EXPECT_EQ(TextsOf(*rig.printerHost.jobs[1].canvas), (std::vector<std::string> { "20", "20" }));
    EXPECT_TRUE(rig.printerHost.jobs[2].aborted);
    EXPECT_FALSE(rig.printerHost.jobs[2].ended);
    EXPECT_EQ(rig.buffer.CurrentPage, 3);
}

} // namespace
} // namespace quillet::test
