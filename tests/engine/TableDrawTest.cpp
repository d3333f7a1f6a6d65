#include <gtest/gtest.h>

#include "engine/EngineError.h"
#include "tests/engine/EngineTestSupport.h"

namespace quillet::test {
namespace {

// Drawing primitives are called with 10 pixels per millimetre on a 72 dpi
// recording canvas, where a font of p points is p pixels high and every byte
// is p / 2 pixels wide.
constexpr double kF = 10.0;

TMyLineSpec Spec(int style, Color color = 0)
{
    TMyLineSpec s;
    s.Style = static_cast<std::uint8_t>(style);
    s.Color = color;
    return s;
}

struct Seg {
    Point from;
    Point to;
    PenStyle pen;
    int width;
};

std::vector<Seg> Segments(const RecordingCanvas& c)
{
    std::vector<Seg> out;
    for (const auto& op : c.Lines())
        out.push_back({ op.from, op.to, op.penStyle, op.penWidth });
    return out;
}

void ExpectSegments(const RecordingCanvas& c, const std::vector<Seg>& expected)
{
    auto got = Segments(c);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].from, expected[i].from) << "segment " << i;
        EXPECT_EQ(got[i].to, expected[i].to) << "segment " << i;
        EXPECT_EQ(got[i].pen, expected[i].pen) << "segment " << i;
        EXPECT_EQ(got[i].width, expected[i].width) << "segment " << i;
    }
}

struct RuleCase {
    int style;
    std::vector<Seg> horizontal; // (10, 20) to (30, 20) mm
    std::vector<Seg> vertical; // (10, 20) to (10, 40) mm
};

class RuleStyles : public ::testing::TestWithParam<RuleCase> { };

// Each of the six rule styles draws its pen and second line; unknown styles draw nothing.
TEST_P(RuleStyles, DrawsTheStyle)
{
    const RuleCase& c = GetParam();
    EngineRig rig;
    RecordingCanvas h(72, 72);
    rig.buffer.DrawRule(h, 10, 20, 30, 20, Spec(c.style, 0x123456), kF, kF);
    ExpectSegments(h, c.horizontal);
    for (const auto& op : h.Lines())
        EXPECT_EQ(op.penColor, 0x123456u);
    RecordingCanvas v(72, 72);
    rig.buffer.DrawRule(v, 10, 20, 10, 40, Spec(c.style), kF, kF);
    ExpectSegments(v, c.vertical);
}

const Point kH1 { 100, 200 }, kH2 { 300, 200 }, kV1 { 100, 200 }, kV2 { 100, 400 };
INSTANTIATE_TEST_SUITE_P(Engine, RuleStyles,
    ::testing::Values(
        RuleCase { 0, { { kH1, kH2, PenStyle::Null, 1 } }, { { kV1, kV2, PenStyle::Null, 1 } } },
        RuleCase { 1, { { kH1, kH2, PenStyle::Solid, 1 } }, { { kV1, kV2, PenStyle::Solid, 1 } } },
        RuleCase { 2,
            { { kH1, kH2, PenStyle::Solid, 1 }, { { 100, 198 }, { 300, 198 }, PenStyle::Solid, 1 } },
            { { kV1, kV2, PenStyle::Solid, 1 }, { { 98, 200 }, { 98, 400 }, PenStyle::Solid, 1 } } },
        RuleCase { 3, { { kH1, kH2, PenStyle::Solid, 2 } }, { { kV1, kV2, PenStyle::Solid, 2 } } },
        RuleCase { 4, { { kH1, kH2, PenStyle::Dot, 1 } }, { { kV1, kV2, PenStyle::Dot, 1 } } },
        RuleCase { 5, { { kH1, kH2, PenStyle::DashDot, 1 } }, { { kV1, kV2, PenStyle::DashDot, 1 } } },
        RuleCase { 6, {}, {} }, RuleCase { 255, {}, {} }));

TEST(DrawRule, PointsAndSlantedSegmentsDrawNothing)
{
    // Only horizontal and vertical rules exist.
    EngineRig rig;
    RecordingCanvas c(72, 72);
    rig.buffer.DrawRule(c, 10, 20, 10, 20, Spec(1), kF, kF);
    rig.buffer.DrawRule(c, 10, 20, 30, 40, Spec(1), kF, kF);
    EXPECT_TRUE(c.Lines().empty());
}

class FrameStyles : public ::testing::TestWithParam<int> { };

// The frame is a thin solid rectangle whatever its style; only style 2 adds a second one 1 mm outside.
TEST_P(FrameStyles, DrawsSingleOrDouble)
{
    const int style = GetParam();
    EngineRig rig;
    RecordingCanvas c(72, 72);
    rig.buffer.DrawFrame(c, 10, 20, 30, 40, Spec(style, 0xFF00), kF, kF);
    std::vector<Seg> expected { { { 100, 200 }, { 300, 200 }, PenStyle::Solid, 1 },
        { { 100, 200 }, { 100, 400 }, PenStyle::Solid, 1 },
        { { 300, 200 }, { 300, 400 }, PenStyle::Solid, 1 },
        { { 100, 400 }, { 300, 400 }, PenStyle::Solid, 1 } };
    if (style == 2) {
        expected.push_back({ { 90, 190 }, { 310, 190 }, PenStyle::Solid, 1 });
        expected.push_back({ { 90, 190 }, { 90, 410 }, PenStyle::Solid, 1 });
        expected.push_back({ { 310, 190 }, { 310, 410 }, PenStyle::Solid, 1 });
        expected.push_back({ { 90, 410 }, { 310, 410 }, PenStyle::Solid, 1 });
    }
    ExpectSegments(c, expected);
    for (const auto& op : c.Lines())
        EXPECT_EQ(op.penColor, 0xFF00u);
}

INSTANTIATE_TEST_SUITE_P(Engine, FrameStyles, ::testing::Values(0, 1, 2, 3, 4, 5));

// A table running off the sheet: cells and merged sums wholly beyond the canvas are neither measured nor
// drawn, but a wrapped right-aligned cell, whose lines may start left of its box, is still measured; a bad
// number beyond the sheet still stops the page.
TEST(DrawTableBody, CellsBeyondTheSheetAreLeftOut)
{
    struct Case {
        const char* name;
        Rect clip;
        bool wrapFifth;
        std::vector<std::string> texts;
        int measured;
    };
    // Six 20 mm columns at 10 px/mm, a heading row and the data row "a".."e", 7 (100..200 px); over column 5
    // of the heading row the block subtotal of column 6.
    const Case cases[] = {
        { "whole table", { 0, 0, 10000, 10000 }, false, { "a", "b", "c", "d", "e", "7", "7" }, 7 },
        { "sheet ends in column 3", { 0, 0, 500, 10000 }, false, { "a", "b", "c" }, 3 },
        { "wrapped right-aligned column 5", { 0, 0, 500, 10000 }, true, { "a", "b", "c" }, 4 },
        { "sheet ends above the data row", { 0, 0, 10000, 105 }, false, { "7" }, 1 },
        { "no picture", { 0, 0, 0, 0 }, false, {}, 0 },
    };
    for (const Case& c : cases) {
        EngineRig rig;
        TMyPrintFormat& f = rig.format;
        SimpleTable(f, 6, 2, 1);
        f.ColDecimals[6] = 0;
        f.ColItem[5].Wrap = c.wrapFifth ? 1 : 0;
        f.ColItem[5].Align = c.wrapFifth ? 3 : 1;
        TMyMergedCell& m = f.MergedCells[1];
        m = { 5, 1, 5, 1, {}, kMergedSubtotal, {} };
        SetItem(m.Item, "6", 20);
        rig.UseCells({ "a", "b", "c", "d", "e", "7" });
        rig.buffer.TableLeft = rig.buffer.TableTop = 0;
        RecordingCanvas canvas(72, 72, c.clip);
        rig.buffer.DrawTableBody(canvas, 0, kF, kF);
        EXPECT_EQ(TextsOf(canvas), c.texts) << c.name;
        EXPECT_EQ(canvas.extentCalls, c.measured) << c.name;

        rig.UseCells({ "a", "b", "c", "d", "e", "x" });
        RecordingCanvas again(72, 72, c.clip);
        EXPECT_THROW(rig.buffer.DrawTableBody(again, 0, kF, kF), EngineError) << c.name;
    }
}

TEST(DrawTableBody, RulesOfHiddenColumnsAndRowsFallOnTheirNeighbours)
{
    // Column widths 20, 0, 30 and row heights 10, 0, 10 put two rules on one place each way; the body adds 1
    // mm (2 for a double frame).
    EngineRig rig;
    TMyPrintFormat& f = rig.format;
    SimpleTable(f, 3, 3, 1);
    f.ColWidth[2] = 0;
    f.ColWidth[3] = 30;
    f.RowHeight[2] = 0;
    f.ColLine[1] = Spec(1);
    f.ColLine[2] = Spec(4);
    f.RowLine[1] = Spec(3);
    f.RowLine[2] = Spec(5);
    f.FrameLine = Spec(0);
    f.KeepEmptyGrid = 1;
    rig.buffer.TableLeft = 10;
    rig.buffer.TableTop = 20;
    RecordingCanvas c(72, 72);
    TMyExtent e = rig.buffer.DrawTableBody(c, 5, kF, kF);
    EXPECT_EQ(e, (TMyExtent { 50, 21 }));
    EXPECT_EQ(rig.buffer.BodyHeight, 21);
    auto segs = Segments(c);
    ASSERT_EQ(segs.size(), 4u + 2u + 2u);
    // Frame (10, 25)-(60, 45), then the rules.
    EXPECT_EQ(segs[0].from, (Point { 100, 250 }));
    EXPECT_EQ(segs[3].to, (Point { 600, 450 }));
    EXPECT_EQ(segs[4].from, (Point { 300, 250 }));
    EXPECT_EQ(segs[4].pen, PenStyle::Solid);
    EXPECT_EQ(segs[5].from, (Point { 300, 250 }));
    EXPECT_EQ(segs[5].pen, PenStyle::Dot);
    EXPECT_EQ(segs[6].from, (Point { 100, 350 }));
    EXPECT_EQ(segs[6].width, 2);
    EXPECT_EQ(segs[7].from, (Point { 100, 350 }));
    EXPECT_EQ(segs[7].to, (Point { 600, 350 }));
    EXPECT_EQ(segs[7].pen, PenStyle::DashDot);

    f.FrameLine = Spec(2);
    RecordingCanvas d(72, 72);
    EXPECT_EQ(rig.buffer.DrawTableBody(d, 5, kF, kF).Height, 22);
}

struct AlignCase {
    int align;
    int x;
};

class OneLineAlignment : public ::testing::TestWithParam<AlignCase> { };

// A one-line cell centres its text vertically inside the 1 mm inset and places it by its alignment.
TEST_P(OneLineAlignment, PlacesTheText)
{
    EngineRig rig;
    TMyTextItem item;
    SetItem(item, "abcd", 20, GetParam().align, 0x00FF00);
    RecordingCanvas c(72, 72);
    rig.buffer.DrawCellText(c, 10, 20, 50, 30, item, kF, kF); // inset 110..490 x 210..290
    auto texts = c.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].kind, CanvasOp::Kind::TextRect);
    EXPECT_EQ(texts[0].text, "abcd");
    EXPECT_EQ(texts[0].from, (Point { GetParam().x, 240 }));
    EXPECT_EQ(texts[0].rect, (Rect { 110, 210, 490, 290 }));
    EXPECT_EQ(texts[0].fontColor, 0x00FF00u);
    EXPECT_EQ(texts[0].fontPoints, 20);
}

INSTANTIATE_TEST_SUITE_P(Engine, OneLineAlignment,
    ::testing::Values(AlignCase { 1, 110 }, AlignCase { 2, 110 + (380 - 40) / 2 }, AlignCase { 3, 490 - 40 },
        AlignCase { 0, 110 }, AlignCase { 9, 110 }));

TEST(DrawCellText, OneLineShowsTheFirstPieceAndCutsWideTexts)
{
    // A 55 px wide inset takes Round(5.5) = 6 bytes: right alignment then starts left of the inset, centre
    // does not.
    EngineRig rig;
    TMyTextItem item;
    SetItem(item, "abcdefghij", 20, 3);
    RecordingCanvas c(72, 72);
    rig.buffer.DrawCellText(c, 0, 0, 7, 4, item, 11.0, kF); // inset 11..66 x 10..30
    ASSERT_EQ(c.Texts().size(), 1u);
    EXPECT_EQ(c.Texts()[0].text, "abcdef");
    EXPECT_EQ(c.Texts()[0].from, (Point { 6, 10 }));
    EXPECT_EQ(c.Texts()[0].rect, (Rect { 11, 10, 66, 30 }));

    item.Align = 2;
    RecordingCanvas centre(72, 72);
    rig.buffer.DrawCellText(centre, 0, 0, 7, 4, item, 11.0, kF);
    EXPECT_EQ(centre.Texts()[0].from, (Point { 11, 10 }));

    // 45 px: Round(4.5) = 4 bytes.
    RecordingCanvas narrow(72, 72);
    rig.buffer.DrawCellText(narrow, 0, 0, 7, 4, item, 9.0, kF);
    EXPECT_EQ(narrow.Texts()[0].text, "abcd");

    // Not clamped vertically: a 20 px text in a 10 px high inset starts 5 px above it.
    RecordingCanvas flat(72, 72);
    rig.buffer.DrawCellText(flat, 0, 0, 10, 3, item, kF, kF); // inset 10..90 x 10..20
    ASSERT_EQ(flat.Texts().size(), 1u);
    EXPECT_EQ(flat.Texts()[0].from.y, 5);
    EXPECT_EQ(flat.Texts()[0].rect, (Rect { 10, 10, 90, 20 }));
}

struct WrapCase {
    int align;
    std::vector<int> xs;
};

class WrappedAlignment : public ::testing::TestWithParam<WrapCase> { };

// A wrapped cell stacks its pieces, centred as a block, each placed by its own width and clipped from its own
// corner.
TEST_P(WrappedAlignment, StacksThePieces)
{
    EngineRig rig;
    TMyTextItem item;
    SetItem(item, "abcdefghij", 20, GetParam().align);
    item.Wrap = 1;
    RecordingCanvas c(72, 72);
    rig.buffer.DrawCellText(c, 0, 0, 6, 10, item, kF, kF); // inset 10..50 x 10..90: 4 bytes a piece
    auto texts = c.Texts();
    ASSERT_EQ(texts.size(), 3u);
    const std::vector<std::string> pieces { "abcd", "efgh", "ij" };
    for (std::size_t i = 0; i < 3; ++i) {
        const int y = 20 + 20 * static_cast<int>(i);
        EXPECT_EQ(texts[i].text, pieces[i]);
        EXPECT_EQ(texts[i].from, (Point { GetParam().xs[i], y }));
        EXPECT_EQ(texts[i].rect, (Rect { GetParam().xs[i], y, 50, 90 }));
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, WrappedAlignment,
    ::testing::Values(WrapCase { 1, { 10, 10, 10 } }, WrapCase { 2, { 10, 10, 20 } },
        WrapCase { 3, { 10, 10, 30 } }, WrapCase { 4, { 10, 10, 10 } }));

TEST(DrawCellText, FontSizesAreScaledOnceAndCapped)
{
    // A zero-size font is drawn at the canvas's default size, a 50 % scale halves the size, and an absurd
    // size stops at 1000 points.
    EngineRig rig;
    TMyTextItem item;
    SetItem(item, "abc", 0, 1);
    RecordingCanvas zero(72, 72);
    rig.buffer.DrawCellText(zero, 0, 0, 50, 10, item, kF, kF);
    ASSERT_EQ(zero.Texts().size(), 1u);
    EXPECT_EQ(zero.Texts()[0].text, "abc");
    EXPECT_EQ(zero.Texts()[0].fontPoints, 0);
    EXPECT_EQ(zero.Texts()[0].fontPixels, RecordingCanvas::kDefaultPoints);

    item.FontSize = 20;
    rig.buffer.PrintRate = 50;
    RecordingCanvas half(72, 72);
    rig.buffer.DrawCellText(half, 0, 0, 50, 10, item, kF, kF);
    EXPECT_EQ(half.Texts()[0].fontPoints, 10);

    item.FontSize = 65535;
    item.Wrap = 1;
    rig.buffer.PrintRate = 100;
    RecordingCanvas huge(72, 72);
    rig.buffer.DrawCellText(huge, 0, 0, 5, 255, item, kF, kF);
    ASSERT_EQ(huge.Texts().size(), 3u); // one byte a piece, never more pieces than bytes
    EXPECT_EQ(huge.Texts()[0].fontPoints, kMaxFontPoints);
    EXPECT_EQ(huge.Texts()[0].from.y, 10); // more pieces than fit start at the inset's top
}

class DataCells : public ::testing::Test {
protected:
    // Three columns of 30 mm (text, 2 decimals, 0 decimals), four rows of
    // 10 mm with one heading row; the table at (10, 20) mm.
    void SetUp() override
    {
        TMyPrintFormat& f = rig.format;
        SimpleTable(f, 3, 4, 1, 30, 10);
        f.ColDecimals[2] = 2;
        f.ColDecimals[3] = 0;
        f.ColItem[2].FontColor = 0x0000AA00;
        f.KeepEmptyGrid = 1;
    }
    std::vector<CanvasOp> Draw(std::vector<std::string> cells)
    {
        rig.UseCells(std::move(cells));
        rig.buffer.TableLeft = 10; // pagination placed the table; draw it at (10, 20) mm
        rig.buffer.TableTop = 20;
        rig.buffer.CurrentBlock = 1;
        canvas.Clear();
        rig.buffer.DrawTableBody(canvas, 0, kF, kF);
        return canvas.Texts();
    }
    EngineRig rig;
    RecordingCanvas canvas { 72, 72 };
};

TEST_F(DataCells, NumbersAreFormattedAndNegativesShownRedWhenAsked)
{
    // Numeric columns show their decimals and thousands separators; NegativeRed drops the sign and paints
    // red.
    rig.format.NegativeRed = 1;
    auto texts = Draw({ "name", "-12.5", "1234567", "", "0.004", "-5", "x", "", "" });
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0].text, "name");
    EXPECT_EQ(texts[1].text, "12.50");
    EXPECT_EQ(texts[1].fontColor, kRed);
    EXPECT_EQ(texts[1].from, (Point { 410, 340 })); // row 2, column 2: inset (41, 31) mm
    EXPECT_EQ(texts[2].text, "1,234,567");
    EXPECT_EQ(texts[3].text, "0.00");
    EXPECT_EQ(texts[3].fontColor, 0x0000AA00u);
    EXPECT_EQ(texts[4].text, "5");
    EXPECT_EQ(texts[4].fontColor, kRed);
    EXPECT_EQ(texts[5].text, "x");
    EXPECT_EQ(texts[5].from.y, 540);

    rig.format.NegativeRed = 2; // only 1 counts as on
    texts = Draw({ "name", "-12.5", "1234567" });
    EXPECT_EQ(texts[1].text, "-12.50");
    EXPECT_EQ(texts[1].fontColor, 0x0000AA00u);
}

TEST_F(DataCells, CellTextIsCutTo200Bytes)
{
    // A number with 254 decimals is cut to the 200 bytes a cell text holds.
    rig.format.ColWidth[3] = 255;
    rig.format.ColDecimals[3] = 254;
    auto texts = Draw({ "", "", "1" });
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text.size(), 200u);
    EXPECT_EQ(texts[0].text.substr(0, 4), "1.00");
}

TEST_F(DataCells, NonNumericTextInANumericColumnEndsTheDrawing)
{
    // A word, or a number with a thousands separator, in a numeric column stops the page with an error naming
    // it.
    try {
        Draw({ "a", "abc", "1" });
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "“abc”不是有效的数值");
    }
    EXPECT_EQ(canvas.Texts().size(), 1u); // the page stays drawn up to the bad cell
    EXPECT_THROW(Draw({ "a", "1,234", "1" }), EngineError);
}

TEST_F(DataCells, HiddenCellsAreNeitherDrawnNorConverted)
{
    // A column of width 0 and a row of height 0 show nothing, so their texts are never read as numbers.
    rig.format.ColWidth[2] = 0;
    rig.format.RowHeight[3] = 0;
    auto texts = Draw({ "a", "abc", "1", "b", "c", "xyz" });
    EXPECT_EQ(TextsOf(canvas), (std::vector<std::string> { "a", "1" }));
}

TEST(DataCellsBlocks, EachBlockReadsItsOwnRows)
{
    // Block 2 of a 2-column table with 2 data rows a block shows data rows 2 and 3.
    EngineRig rig;
    SimpleTable(rig.format, 2, 3, 1);
    rig.UseCells({ "a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7" });
    rig.buffer.CurrentBlock = 2;
    RecordingCanvas c(72, 72);
    rig.buffer.DrawTableBody(c, 0, kF, kF);
    EXPECT_EQ(TextsOf(c), (std::vector<std::string> { "a4", "a5", "a6", "a7" }));
}

class MergedCells : public ::testing::Test {
protected:
    // Three columns of 20 mm (text, 1 decimal, 1 decimal), 4 rows of 10 mm
    // with one heading row, two blocks of data; origin (10, 20) mm.
    void SetUp() override
    {
        TMyPrintFormat& f = rig.format;
        SimpleTable(f, 3, 4, 1);
        f.ColDecimals[2] = 1;
        f.ColDecimals[3] = 1;
        rig.UseCells({ "t", "1.5", "", "t", "-4", "", "t", "abc", "", "t", "1,000", "", "t", "", "", "t",
            "-999", "" });
    }
    TMyMergedCell& Slot(
        int s, int left, int top, int right, int bottom, std::uint8_t kind, const std::string& text)
    {
        TMyMergedCell& m = rig.format.MergedCells[s];
        m.Left = left;
        m.Top = top;
        m.Right = right;
        m.Bottom = bottom;
        m.Kind = kind;
        SetItem(m.Item, text, 20, 1, 0x00CC0000);
        return m;
    }
    void Draw(int block)
    {
        rig.buffer.CurrentBlock = block;
        canvas.Clear();
        rig.buffer.DrawMergedCells(canvas, 10, 20, kF, kF);
    }
    EngineRig rig;
    RecordingCanvas canvas { 72, 72 };
};

TEST_F(MergedCells, BlanksTheRangeAndShowsTextOverIt)
{
    // The blanking rectangles start one pixel inside their ranges and are white, all drawn before any text;
    // each text is left out of the ranges of the slots after it; an empty text becomes an ideographic space.
    Slot(1, 1, 1, 3, 1, kMergedText, "Head");
    Slot(2, 2, 2, 2, 3, kMergedText, "");
    Draw(1);
    ASSERT_EQ(canvas.ops.size(), 4u);
    EXPECT_EQ(canvas.ops[0].kind, CanvasOp::Kind::Rectangle);
    EXPECT_EQ(canvas.ops[0].rect, (Rect { 101, 201, 700, 300 }));
    EXPECT_EQ(canvas.ops[0].penColor, kWhite);
    EXPECT_EQ(canvas.ops[0].brushColor, kWhite);
    EXPECT_EQ(canvas.ops[1].kind, CanvasOp::Kind::Rectangle);
    EXPECT_EQ(canvas.ops[1].rect, (Rect { 301, 301, 500, 500 }));
    EXPECT_EQ(canvas.ops[2].kind, CanvasOp::Kind::TextRect);
    EXPECT_EQ(canvas.ops[2].text, "Head");
    EXPECT_EQ(canvas.ops[2].rect, (Rect { 110, 210, 690, 290 }));
    EXPECT_EQ(canvas.ops[2].brushColor, kWhite); // opaque on white
    EXPECT_EQ(canvas.ops[2].excluded, (std::vector<Rect> { { 301, 301, 500, 500 } }));
    EXPECT_EQ(canvas.ops[3].text, "\xA1\xA1");
    EXPECT_TRUE(canvas.ops[3].excluded.empty());
    // Nothing stays left out after the merged cells.
    canvas.FillRect({ 0, 0, 1, 1 });
    EXPECT_TRUE(canvas.ops.back().excluded.empty());
}

TEST_F(MergedCells, TableBodyLeavesTheRangesOutOfRulesAndCells)
{
    // In a whole table body the ranges are blanked before the frame, and the frame, the rules and the data
    // cells are drawn with every range left out, so no white is laid over a rule afterwards; the outline
    // rules lie outside the left-out rectangles.
    rig.format.ColDecimals[2] = kTextColumn; // its cells need no conversion
    Slot(1, 1, 1, 3, 1, kMergedText, "Head");
    Slot(2, 2, 2, 3, 2, kMergedSubtotal, "3");
    rig.buffer.CurrentBlock = 1;
    rig.buffer.TableLeft = 10;
    rig.buffer.TableTop = 20;
    canvas.Clear();
    rig.buffer.DrawTableBody(canvas, 0, kF, kF);
    const std::vector<Rect> ranges { { 101, 201, 700, 300 }, { 301, 301, 700, 400 } };
    ASSERT_GE(canvas.ops.size(), 3u);
    EXPECT_EQ(canvas.ops[0].kind, CanvasOp::Kind::Rectangle);
    EXPECT_EQ(canvas.ops[0].rect, ranges[0]);
    EXPECT_EQ(canvas.ops[1].rect, ranges[1]);
    const auto lines = canvas.Lines();
    ASSERT_FALSE(lines.empty());
    for (const CanvasOp& line : lines) {
        EXPECT_EQ(line.excluded, ranges);
        EXPECT_NE(line.penColor, kWhite);
    }
    EXPECT_EQ(canvas.OfKind(CanvasOp::Kind::Rectangle).size(), 2u);
    // The data cells, then the caption left out of the later subtotal's range, then the subtotal.
    auto texts = canvas.Texts();
    ASSERT_GE(texts.size(), 3u);
    for (std::size_t i = 0; i + 2 < texts.size(); ++i)
        EXPECT_EQ(texts[i].excluded, ranges) << texts[i].text;
    EXPECT_EQ(texts[texts.size() - 2].text, "Head");
    EXPECT_EQ(texts[texts.size() - 2].excluded, (std::vector<Rect> { ranges[1] }));
    EXPECT_EQ(texts.back().text, "0.0");
    EXPECT_TRUE(texts.back().excluded.empty());
    canvas.FillRect({ 0, 0, 1, 1 });
    EXPECT_TRUE(canvas.ops.back().excluded.empty());
}

TEST_F(MergedCells, BlankingOffsetIsAddedBeforeRounding)
{
    // At 2.5 px/mm the range (1, 1)-(61, 11) mm blanks from Round(3.5) = 4, not Round(2.5) + 1 = 3.
    Slot(1, 1, 1, 3, 1, kMergedText, "x");
    rig.buffer.CurrentBlock = 1;
    rig.buffer.DrawMergedCells(canvas, 1, 1, 2.5, 2.5);
    auto rects = canvas.OfKind(CanvasOp::Kind::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].rect, (Rect { 4, 4, 152, 28 }));
}

TEST_F(MergedCells, SubtotalsAndTotalsSumLenientlyAndHonourNegativeRed)
{
    // Block sums skip words and -999 and read "1,000"; NegativeRed shows -2.5 as a red 2.5.
    Slot(1, 2, 4, 3, 4, kMergedSubtotal, "2");
    Slot(2, 1, 4, 1, 4, kMergedGrandTotal, "2");
    rig.format.NegativeRed = 1;
    Draw(1);
    auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "2.5");
    EXPECT_EQ(texts[0].fontColor, kRed);
    EXPECT_EQ(texts[1].text, "997.5");
    EXPECT_EQ(texts[1].fontColor, 0x00CC0000u);

    Draw(2);
    EXPECT_EQ(TextsOf(canvas), (std::vector<std::string> { "1,000.0", "997.5" }));

    rig.format.NegativeRed = 0;
    Draw(1);
    EXPECT_EQ(canvas.Texts()[0].text, "-2.5");
    EXPECT_EQ(canvas.Texts()[0].fontColor, 0x00CC0000u);
}

TEST_F(MergedCells, UnusableSlotsAreSkippedOrOnlyBlanked)
{
    // Bad column numbers and unknown kinds blank their range only; empty, out-of-table and zero-width slots
    // do nothing.
    Slot(1, 1, 2, 1, 2, kMergedSubtotal, "abc");
    Slot(2, 1, 2, 1, 2, kMergedSubtotal, "1"); // a text column
    Slot(3, 1, 2, 1, 2, kMergedGrandTotal, "4"); // no such column
    Slot(4, 1, 2, 1, 2, 7, "kind 7");
    Slot(5, 1, 0, 3, 4, kMergedText, "empty slot");
    Slot(6, 1, 5, 3, 5, kMergedText, "below the table");
    Slot(7, 4, 1, 4, 1, kMergedText, "right of the table");
    Slot(8, 2, 1, 1, 1, kMergedText, "no width");
    Slot(9, 1, 3, 1, 2, kMergedText, "no height");
    Slot(10, 3, 3, 3, 3, kMergedText, "after them");
    Draw(1);
    EXPECT_EQ(canvas.OfKind(CanvasOp::Kind::Rectangle).size(), 5u);
    EXPECT_EQ(TextsOf(canvas), (std::vector<std::string> { "after them" }));
}

TEST_F(MergedCells, RangesAreCutToTheTable)
{
    // Left and top below 1 count as 1; right and bottom past the table stop at its edge.
    Slot(1, -3, -1, 1, 1, kMergedText, "a");
    Slot(2, 3, 4, 99, 99, kMergedText, "b");
    Draw(1);
    auto rects = canvas.OfKind(CanvasOp::Kind::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].rect, (Rect { 101, 201, 300, 300 }));
    EXPECT_EQ(rects[1].rect, (Rect { 501, 501, 700, 600 }));
}

class CollapsedBlocks : public ::testing::Test {
protected:
    // 46 cells in a 10-row, 5-column layout with one heading row: block 2
    // holds one data row (LastBlockRows 2).
    void SetUp() override
    {
        SimpleTable(rig.format, 5, 10, 1);
        std::vector<std::string> cells;
        for (int i = 0; i < 46; ++i)
            cells.push_back("c" + std::to_string(i));
        rig.UseCells(cells);
        rig.buffer.TableLeft = 10;
        rig.buffer.TableTop = 20;
    }
    TMyExtent Draw(int block)
    {
        rig.buffer.CurrentBlock = block;
        canvas.Clear();
        return rig.buffer.DrawTableBody(canvas, 0, kF, kF);
    }
    std::vector<int> RowRuleYs() const
    {
        std::vector<int> ys;
        auto lines = canvas.Lines();
        for (std::size_t i = 4 + 4; i < lines.size(); ++i) // after the frame and the 4 column rules
            ys.push_back(lines[i].from.y);
        return ys;
    }
    EngineRig rig;
    RecordingCanvas canvas { 72, 72 };
};

TEST_F(CollapsedBlocks, LastBlockDropsItsEmptyRows)
{
    // The frame encloses rows 1 and 2 only and the rules of rows 2..9 fall on its bottom edge.
    ASSERT_EQ(rig.buffer.BlockCount, 2);
    ASSERT_EQ(rig.buffer.LastBlockRows, 2);
    EXPECT_EQ(Draw(2), (TMyExtent { 100, 21 }));
    EXPECT_EQ(canvas.Lines()[3].from, (Point { 100, 400 })); // frame bottom at 40 mm
    EXPECT_EQ(RowRuleYs(), (std::vector<int> { 300, 400, 400, 400, 400, 400, 400, 400, 400 }));
    EXPECT_EQ(TextsOf(canvas), (std::vector<std::string> { "c45" }));

    EXPECT_EQ(Draw(1).Height, 101); // an earlier block keeps every row
    EXPECT_EQ(Draw(3).Height, 21); // a block beyond the data collapses like the last one
    EXPECT_TRUE(canvas.Texts().empty());

    rig.format.KeepEmptyGrid = 1;
    EXPECT_EQ(Draw(2).Height, 101);
}

TEST_F(CollapsedBlocks, KeptBottomRowsCarryTheirMergedCellsOnTheCollapsedRules)
{
    // With one foot row, row 10 stays 10 mm high right under row 2, and a merged cell on it is drawn there.
    rig.format.FootRowCount = 1;
    TMyMergedCell& m = rig.format.MergedCells[1];
    m.Left = 1;
    m.Top = 10;
    m.Right = 5;
    m.Bottom = 10;
    m.Kind = kMergedText;
    SetItem(m.Item, "Sum", 20);
    EXPECT_EQ(Draw(2).Height, 31);
    EXPECT_EQ(RowRuleYs(), (std::vector<int> { 300, 400, 400, 400, 400, 400, 400, 400, 400 }));
    auto rects = canvas.OfKind(CanvasOp::Kind::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].rect, (Rect { 101, 401, 1100, 500 }));
    auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].text, "Sum");
    EXPECT_EQ(texts[1].rect, (Rect { 110, 410, 1090, 490 }));
}

} // namespace
} // namespace quillet::test
