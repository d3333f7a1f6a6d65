#include <gtest/gtest.h>

#include <filesystem>

#include "tests/engine/EngineTestSupport.h"

namespace quillet::test {
namespace {

std::vector<std::string> Cells(int n)
{
    std::vector<std::string> cells;
    for (int i = 0; i < n; ++i)
        cells.push_back(std::to_string(i));
    return cells;
}

// At 254 dpi a font of p points is MulDiv(p, 254, 72) pixels high: 7 pt is
// 25 px (2.5 mm, rounded to 2), 9 pt 32 px, 10 pt 35 px (3.5 mm, rounded to
// 4), 12 pt 42 px.
TEST(LayoutBlock, ReservesEachDecorationWithItsFixedMargin)
{
    // A block with every decoration on measures each text on the target canvas and adds 2, 2, 4 and 4 mm.
    EngineRig rig;
    TMyPrintFormat& f = rig.format;
    SimpleTable(f, 2, 3, 1);
    f.PrintCompany = f.PrintTitle = f.PrintPageHead = f.PrintPageFoot = 1;
    SetItem(f.Company, "ACME", 7);
    SetItem(f.Title, "Report", 12);
    SetItem(f.Head[1], "left", 9);
    SetItem(f.Head[2], "centre", 12);
    SetItem(f.Foot[3], "foot", 10);

    f.HeadMultiLine = 1; // 32 + 42 px = 7.4 mm
    RecordingCanvas canvas(254, 254);
    rig.buffer.LayoutBlock(canvas, 10.0);
    EXPECT_EQ(rig.buffer.TableBottom - rig.buffer.TableTop, 30 + (2 + 2) + (4 + 2) + (7 + 4) + (4 + 4));

    f.HeadMultiLine = 2; // not 1: one line, the tallest item counts
    rig.buffer.LayoutBlock(canvas, 10.0);
    EXPECT_EQ(rig.buffer.TableBottom - rig.buffer.TableTop, 30 + 4 + 6 + (4 + 4) + 8);

    // Switched off, nothing is measured and the block is its rows plus 12 mm.
    f.PrintCompany = f.PrintTitle = f.PrintPageHead = f.PrintPageFoot = 0;
    RecordingCanvas off(254, 254);
    rig.buffer.LayoutBlock(off, 10.0);
    EXPECT_EQ(rig.buffer.TableBottom - rig.buffer.TableTop, 30 + 12);
    EXPECT_EQ(off.extentCalls, 0);
}

TEST(LayoutBlock, HalfScaleRoundsEachSizeBeforeSumming)
{
    // At 50 % every width and height is rounded half to even on its own: 5 -> 2, 3 -> 2, 7 -> 4.
    EngineRig rig;
    TMyPrintFormat& f = rig.format;
    SimpleTable(f, 3, 3, 1, 5, 3);
    f.ColWidth[3] = 7;
    f.HorPlace = 1;
    rig.buffer.PrintRate = 50;
    RecordingCanvas canvas(254, 254);
    rig.buffer.LayoutBlock(canvas, 10.0);
    EXPECT_EQ(rig.buffer.TableRight - rig.buffer.TableLeft, 2 + 2 + 4);
    EXPECT_EQ(rig.buffer.TableBottom - rig.buffer.TableTop, 2 + 2 + 2 + 12);
}

struct PlaceCase {
    int horPlace;
    int verPlace;
    int colWidth; // five columns
    bool multiTables;
    int left;
    int top;
};

class Placement : public ::testing::TestWithParam<PlaceCase> { };

// The block sits left, centred or right between the side margins (never left
// of the left margin), and top, centred or bottom between the top and bottom
// margins; stacked blocks always start at the top margin.
TEST_P(Placement, PlacesTheBlockOnThePaper)
{
    const PlaceCase& c = GetParam();
    EngineRig rig; // paper 210 x 290 mm, margins 30/30 and 25/25
    SimpleTable(rig.format, 5, 10, 1, c.colWidth, 10); // height 100 + 12
    rig.format.HorPlace = static_cast<std::uint8_t>(c.horPlace);
    rig.format.VerPlace = static_cast<std::uint8_t>(c.verPlace);
    rig.format.MultiTables = c.multiTables ? 1 : 0;
    RecordingCanvas canvas(254, 254);
    rig.buffer.LayoutBlock(canvas, 10.0);
    EXPECT_EQ(rig.buffer.TableLeft, c.left);
    EXPECT_EQ(rig.buffer.TableRight, c.left + 5 * c.colWidth);
    EXPECT_EQ(rig.buffer.TableTop, c.top);
    EXPECT_EQ(rig.buffer.TableBottom, c.top + 112);
}

INSTANTIATE_TEST_SUITE_P(Engine, Placement,
    ::testing::Values(PlaceCase { 1, 1, 20, false, 30, 25 }, // left, top
        PlaceCase { 2, 2, 20, false, 55, 25 + (290 - 50 - 112) / 2 }, // centred both ways
        PlaceCase { 3, 3, 20, false, 210 - 30 - 100, 290 - 25 - 112 }, // right, bottom
        PlaceCase { 0, 0, 20, false, 0, 0 }, // unknown values: the paper's edges
        PlaceCase { 2, 1, 40, false, 30, 25 }, // wider than the space: at the left margin
        PlaceCase { 3, 1, 40, false, 30, 25 }, // right placement is not allowed left of it either
        PlaceCase { 2, 3, 20, true, 55, 25 })); // stacked blocks ignore the vertical placement

struct PaginateCase {
    const char* name;
    int cols;
    int rows;
    int headRows;
    int cells;
    int blocks;
    int pages;
    int lastBlockRows;
};

class Pagination : public ::testing::TestWithParam<PaginateCase> { };

// Blocks, pages and the rows of the last block follow from the data file's
// size; an empty table layout never divides by zero.
TEST_P(Pagination, CountsBlocksAndPages)
{
    const PaginateCase& c = GetParam();
    EngineRig rig;
    SimpleTable(rig.format, c.cols, c.rows, c.headRows);
    DataFileSpec spec;
    spec.cells = Cells(c.cells);
    spec.trailing = std::string(200, 'x'); // a cut-off cell does not count
    rig.UseData(spec);
    EXPECT_EQ(rig.buffer.BlocksPerPage, 1);
    EXPECT_EQ(rig.buffer.BlockCount, c.blocks);
    EXPECT_EQ(rig.buffer.PageCount, c.pages);
    EXPECT_EQ(rig.buffer.LastBlockRows, c.lastBlockRows);
}

INSTANTIATE_TEST_SUITE_P(Engine, Pagination,
    ::testing::Values(PaginateCase { "FullSingleBlock", 5, 10, 1, 45, 1, 1, 10 },
        PaginateCase { "OneCellOver", 5, 10, 1, 46, 2, 2, 2 },
        PaginateCase { "EmptyFile", 5, 10, 1, 0, 0, 1, 1 },
        PaginateCase { "PartRowCounts", 3, 4, 1, 7, 1, 1, 4 },
        PaginateCase { "TwoHeadingRows", 2, 6, 2, 17, 3, 3, 3 },
        PaginateCase { "NoDataRows", 3, 2, 2, 9, 1, 1, 2 },
        PaginateCase { "HeadingRowsBeyondRows", 3, 2, 7, 9, 1, 1, 2 },
        PaginateCase { "NoColumns", 0, 5, 1, 9, 1, 1, 1 }),
    [](const ::testing::TestParamInfo<PaginateCase>& info) { return std::string(info.param.name); });

TEST(Paginate, StacksAsManyBlocksAsFitWhenMultiTablesIsOn)
{
    // Paper 300 mm, margins 25 + 25, gap 10, block 70 mm: 260 div 80 = 3 blocks a sheet; 7 blocks make 3
    // pages.
    EngineRig rig;
    TMyPrintFormat& f = rig.format;
    SimpleTable(f, 1, 2, 1, 20, 29);
    f.MultiTables = 1;
    rig.buffer.SetPageSize(210, 300);
    rig.UseCells(Cells(7));
    EXPECT_EQ(rig.buffer.TableBottom - rig.buffer.TableTop, 70);
    EXPECT_EQ(rig.buffer.BlocksPerPage, 3);
    EXPECT_EQ(rig.buffer.BlockCount, 7);
    EXPECT_EQ(rig.buffer.PageCount, 3);

    // A block taller than the space between the margins still gets a sheet.
    f.RowHeight[1] = 255;
    rig.buffer.Paginate();
    EXPECT_EQ(rig.buffer.BlocksPerPage, 1);
    EXPECT_EQ(rig.buffer.PageCount, 7);
}

TEST(Paginate, WithoutADataFileThePreviousPaginationStays)
{
    // Before a data file is opened nothing is counted: a fresh buffer stays at 0 pages. A data file removed
    // after it was opened is still there for the program, which holds it open: it paginates as before.
    EngineRig fresh;
    SimpleTable(fresh.format, 2, 3, 1);
    fresh.buffer.Paginate();
    EXPECT_EQ(fresh.buffer.PageCount, 0);
    EXPECT_EQ(fresh.buffer.BlockCount, 0);

    EngineRig rig;
    SimpleTable(rig.format, 2, 3, 1);
    rig.UseCells(Cells(9)); // 4 cells a block: 3 blocks
    ASSERT_EQ(rig.buffer.PageCount, 3);
    std::filesystem::remove(rig.data.FileName);
    rig.format.RowCount = 2; // 2 cells a block: 5 blocks
    rig.buffer.Paginate();
    EXPECT_EQ(rig.buffer.PageCount, 5);
    EXPECT_EQ(rig.buffer.BlockCount, 5);
    EXPECT_EQ(rig.buffer.LastBlockRows, 2);
}

TEST(Paginate, FileCutInsideItsHeadIsOnePageWithItsTable)
{
    // A data file whose good head ends inside the page-foot texts holds no cells: one page, one block of
    // heading rows, like a file of exactly 1232 bytes; its texts that arrived are taken.
    for (std::size_t size : { std::size_t { 26 }, std::size_t { 26 + 4 * 201 + 17 }, kDataHeadSize }) {
        EngineRig rig;
        SimpleTable(rig.format, 2, 3, 1);
        DataFileSpec spec;
        spec.head = { "H1", "H2", "H3" };
        spec.foot = { "F1", "F2", "F3" };
        const auto path = rig.temp.Path("cut.dat");
        WriteDataFile(path, spec);
        std::filesystem::resize_file(path, size);
        ASSERT_EQ(rig.data.Open(path.string()), kFileOk);
        rig.data.ReadHeadFoot();
        rig.buffer.Paginate();
        EXPECT_EQ(rig.buffer.PageCount, 1) << size;
        EXPECT_EQ(rig.buffer.BlockCount, 0) << size;
        EXPECT_EQ(rig.buffer.LastBlockRows, 1) << size;
        if (size > 26) {
            EXPECT_EQ(rig.format.Foot[1].Text.Text(), "F1");
        }
    }
}

TEST(PageBuffer, PageImageFollowsThePaperAtScreenResolution)
{
    // At 96 dpi a 210 x 290 mm sheet is a 794 x 1096 pixel bitmap, cleared white; the paper view gets whole
    // centimetres.
    EngineRig rig(96);
    Bitmap& image = rig.buffer.PageImage();
    EXPECT_EQ(image.Width(), 794);
    EXPECT_EQ(image.Height(), 1096);
    EXPECT_EQ(rig.buffer.PageWidth, 210);
    EXPECT_EQ(rig.buffer.PageHeight, 290);

    rig.buffer.SetPageSize(300, 219);
    EXPECT_EQ(rig.buffer.PageImage().Width(), 1134);
    EXPECT_EQ(rig.buffer.PageImage().Height(), 828);
    ASSERT_FALSE(rig.paperHost.topRulers.empty());
    EXPECT_EQ(rig.paperHost.topRulers.back().lengthNumber, 29);
    EXPECT_EQ(rig.paperHost.leftRulers.back().lengthNumber, 20); // 219 div 10 = 21 cm
    auto fills = rig.PageCanvas().OfKind(CanvasOp::Kind::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, (Rect { 0, 0, 1134, 828 }));
    EXPECT_EQ(fills[0].brushColor, kWhite);
}

TEST(PageBuffer, HostilePaperSizeDoesNotClaimAHugeBitmap)
{
    // A paper size of 65 m from a damaged format file keeps the page bitmap bounded.
    EngineRig rig(96);
    rig.buffer.SetPageSize(65540, 65540);
    EXPECT_LE(rig.buffer.PageImage().Width(), 8192);
    EXPECT_LE(rig.buffer.PageImage().Height(), 8192);
    EXPECT_EQ(rig.buffer.PageWidth, 65540);
}

TEST(PageBuffer, ViewRateResizesThePreviewAndRedraws)
{
    // Switching to 50 % scrolls to the origin, shows a sheet of half the centimetres and stretches the page
    // into it.
    EngineRig rig;
    SimpleTable(rig.format, 2, 3, 1);
    rig.UseCells(Cells(4));
    rig.buffer.SetViewRate(50);
    EXPECT_EQ(rig.paperHost.scrolls, 1);
    EXPECT_EQ(rig.buffer.ViewRate, 50);
    EXPECT_EQ(rig.paperHost.topRulers.back().lengthNumber, 9); // Round(105) div 10 = 10 cm
    EXPECT_EQ(rig.paperHost.leftRulers.back().lengthNumber, 13); // Round(145) div 10 = 14 cm
    EXPECT_EQ(rig.PreviewCanvas().OfKind(CanvasOp::Kind::StretchDraw).size(), 1u);
}

} // namespace
} // namespace quillet::test
