#include <gtest/gtest.h>

#include "tests/engine/EngineTestSupport.h"

namespace quillet::test {
namespace {

// Decorations are drawn with 10 px/mm on a 72 dpi recording canvas (a font of
// p points is p pixels high, p / 2 per byte), over a table from 20 to 120 mm
// across whose block starts at 30 mm.
constexpr double kF = 10.0;

class Decorations : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.buffer.TableLeft = 20;
        rig.buffer.TableRight = 120;
        rig.buffer.TableTop = 30;
        rig.buffer.TableBottom = 200;
    }
    EngineRig rig;
    RecordingCanvas canvas { 72, 72 };
};

struct CompanyCase {
    int align;
    int offsetMm;
};

class CompanyAlignment : public Decorations, public ::testing::WithParamInterface<CompanyCase> { };

// The company text sits at the block's top, placed by its alignment, with its rule 1 mm under it and as wide
// as it.
TEST_P(CompanyAlignment, PlacesTextAndRule)
{
    TMyPrintFormat& f = rig.format;
    f.PrintCompany = 1;
    SetItem(f.Company, "ABCD", 20, GetParam().align, 0x00112233); // 4 x 2 mm
    f.CompanyLine.Style = 1;
    f.CompanyLine.Color = 0x00445566;
    TMyExtent e = rig.buffer.DrawCompany(canvas, kF, kF);
    EXPECT_EQ(e, (TMyExtent { 4, 4 }));
    EXPECT_EQ(rig.buffer.CompanyHeight, 4);
    const int x = (20 + GetParam().offsetMm) * 10;
    ASSERT_EQ(canvas.Texts().size(), 1u);
    EXPECT_EQ(canvas.Texts()[0].kind, CanvasOp::Kind::TextOut);
    EXPECT_EQ(canvas.Texts()[0].from, (Point { x, 300 }));
    EXPECT_EQ(canvas.Texts()[0].fontColor, 0x00112233u);
    ASSERT_EQ(canvas.Lines().size(), 1u);
    EXPECT_EQ(canvas.Lines()[0].from, (Point { x, 330 }));
    EXPECT_EQ(canvas.Lines()[0].to, (Point { x + 40, 330 }));
    EXPECT_EQ(canvas.Lines()[0].penColor, 0x00445566u);
}

INSTANTIATE_TEST_SUITE_P(Engine, CompanyAlignment,
    ::testing::Values(
        CompanyCase { 1, 0 }, CompanyCase { 2, 48 }, CompanyCase { 3, 96 }, CompanyCase { 0, 0 }));

TEST_F(Decorations, SwitchedOffPartsTakeNoHeightAndDrawNothing)
{
    // A part switched off (a flag of 2 included) reports 0 and resets its recorded height.
    TMyPrintFormat& f = rig.format;
    SetItem(f.Company, "ACME", 20);
    SetItem(f.Title, "Title", 20);
    SetItem(f.Head[1], "head", 20);
    SetItem(f.Foot[1], "foot", 20);
    f.PrintCompany = 2;
    rig.buffer.CompanyHeight = rig.buffer.TitleHeight = rig.buffer.HeadHeight = rig.buffer.FootHeight = 9;
    EXPECT_EQ(rig.buffer.DrawCompany(canvas, kF, kF), (TMyExtent { 0, 0 }));
    EXPECT_EQ(rig.buffer.DrawTitle(canvas, 0, kF, kF), (TMyExtent { 0, 0 }));
    EXPECT_EQ(rig.buffer.DrawPageHead(canvas, 0, kF, kF), (TMyExtent { 0, 0 }));
    EXPECT_EQ(rig.buffer.DrawPageFoot(canvas, 0, kF, kF), (TMyExtent { 0, 0 }));
    EXPECT_EQ(
        rig.buffer.CompanyHeight + rig.buffer.TitleHeight + rig.buffer.HeadHeight + rig.buffer.FootHeight, 0);
    EXPECT_TRUE(canvas.ops.empty());
}

TEST_F(Decorations, TitleTakesFiveMillimetresBeyondItsText)
{
    // The title starts yOff below the block top and takes Round(cy / fy) + 5 even with an invisible rule.
    TMyPrintFormat& f = rig.format;
    f.PrintTitle = 1;
    SetItem(f.Title, "ABCD", 20, 1);
    TMyExtent e = rig.buffer.DrawTitle(canvas, 4, kF, kF);
    EXPECT_EQ(e, (TMyExtent { 4, 7 }));
    EXPECT_EQ(rig.buffer.TitleHeight, 7);
    EXPECT_EQ(canvas.Texts()[0].from, (Point { 200, 340 }));
    ASSERT_EQ(canvas.Lines().size(), 1u);
    EXPECT_EQ(canvas.Lines()[0].penStyle, PenStyle::Null);
    EXPECT_EQ(canvas.Lines()[0].from, (Point { 200, 370 }));
}

TEST_F(Decorations, TitleWiderThanTheTable)
{
    // A 120 mm title over a 100 mm table: right alignment starts it 20 mm left of the table, centre at the
    // table's edge.
    TMyPrintFormat& f = rig.format;
    f.PrintTitle = 1;
    SetItem(f.Title, std::string(120, 'x'), 20, 3);
    rig.buffer.DrawTitle(canvas, 0, kF, kF);
    f.Title.Align = 2;
    rig.buffer.DrawTitle(canvas, 0, kF, kF);
    ASSERT_EQ(canvas.Texts().size(), 2u);
    EXPECT_EQ(canvas.Texts()[0].from.x, 0);
    EXPECT_EQ(canvas.Texts()[1].from.x, 200);
}

TEST_F(Decorations, OneLineHeadSharesTheBottomEdge)
{
    // Items of 20, 30 and 20 points aligned left, centre and right end on one bottom edge; the tallest sets
    // the height.
    TMyPrintFormat& f = rig.format;
    f.PrintPageHead = 1;
    SetItem(f.Head[1], "AB", 20, 1);
    SetItem(f.Head[2], "CD", 30, 2);
    SetItem(f.Head[3], "EF", 20, 3);
    TMyExtent e = rig.buffer.DrawPageHead(canvas, 5, kF, kF);
    EXPECT_EQ(e, (TMyExtent { 100, 5 }));
    EXPECT_EQ(rig.buffer.HeadHeight, 5);
    auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].from, (Point { 200, 360 }));
    EXPECT_EQ(texts[1].from, (Point { 200 + (1000 - 30) / 2, 350 }));
    EXPECT_EQ(texts[2].from, (Point { 200 + 1000 - 20, 360 }));
    for (const auto& t : texts)
        EXPECT_EQ(t.from.y + t.fontPixels, 380);
}

TEST_F(Decorations, UnknownAlignmentKeepsThePreviousItemsOffset)
{
    // An item with alignment 0 lands where the item before it started; a first such item at the table's left.
    TMyPrintFormat& f = rig.format;
    f.PrintPageHead = 1;
    SetItem(f.Head[1], "AB", 20, 0);
    SetItem(f.Head[2], "CD", 20, 3);
    SetItem(f.Head[3], "EFGH", 20, 0);
    rig.buffer.DrawPageHead(canvas, 0, kF, kF);
    auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].from.x, 200);
    EXPECT_EQ(texts[1].from.x, 200 + 980);
    EXPECT_EQ(texts[2].from.x, 200 + 980);
}

TEST_F(Decorations, SeveralLineHeadSkipsEmptyLines)
{
    // With an empty item 2, item 3 follows item 1 directly; three full lines add up Round(h / fy + 1) each
    // plus 1.
    TMyPrintFormat& f = rig.format;
    f.PrintPageHead = 1;
    f.HeadMultiLine = 1;
    SetItem(f.Head[1], "AB", 20, 1);
    SetItem(f.Head[2], "", 24, 1);
    SetItem(f.Head[3], "CD", 30, 3);
    EXPECT_EQ(rig.buffer.DrawPageHead(canvas, 5, kF, kF).Height, 3 + 4 + 1);
    EXPECT_EQ(TextsOf(canvas), (std::vector<std::string> { "AB", "CD" }));
    EXPECT_EQ(canvas.Texts()[0].from, (Point { 200, 350 }));
    EXPECT_EQ(canvas.Texts()[1].from, (Point { 200 + 1000 - 30, 380 }));

    f.Head[2].Text.SetText("X");
    canvas.Clear();
    EXPECT_EQ(rig.buffer.DrawPageHead(canvas, 5, kF, kF).Height, 3 + 3 + 4 + 1); // 24 px: Round(3.4) = 3

    // An empty first line is still drawn and still advances.
    f.Head[1].Text.Clear();
    canvas.Clear();
    EXPECT_EQ(rig.buffer.DrawPageHead(canvas, 5, kF, kF).Height, 3 + 3 + 4 + 1);
    EXPECT_EQ(TextsOf(canvas), (std::vector<std::string> { "", "X", "CD" }));
}

TEST_F(Decorations, SeveralLineFootKeepsAGapForEmptyLines)
{
    // The foot leaves room for an empty item 2, as high as an empty text of its font measures.
    TMyPrintFormat& f = rig.format;
    f.PrintPageFoot = 1;
    f.FootMultiLine = 1;
    SetItem(f.Foot[1], "AB", 20, 1);
    SetItem(f.Foot[2], "", 24, 1);
    SetItem(f.Foot[3], "CD", 30, 1);
    TMyExtent e = rig.buffer.DrawPageFoot(canvas, 5, kF, kF);
    EXPECT_EQ(e, (TMyExtent { 100, 3 + 3 + 4 + 1 }));
    EXPECT_EQ(rig.buffer.FootHeight, 11);
    auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1].from.y, 380);
    EXPECT_EQ(texts[2].from.y, 410);
}

TEST_F(Decorations, PageNumberIsCentredTenMillimetresAboveTheBottom)
{
    // "第2页 共5页" in 10-point 宋体, black and unscaled, centred between the margins at 280 mm.
    rig.buffer.CurrentPage = 2;
    rig.buffer.PageCount = 5;
    rig.buffer.PrintRate = 50;
    canvas.SetFont("Arial", 30, kRed);
    rig.buffer.DrawPageNumber(canvas, kF, kF);
    auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text,
        "\xB5\xDA"
        "2"
        "\xD2\xB3"
        " "
        "\xB9\xB2"
        "5"
        "\xD2\xB3");
    EXPECT_EQ(texts[0].fontName, "\xCB\xCE\xCC\xE5");
    EXPECT_EQ(texts[0].fontPoints, 10);
    EXPECT_EQ(texts[0].fontColor, kBlack);
    // 11 bytes of 5 px: 5.5 mm, rounded to 6; (210 - 60 - 6) div 2 = 72.
    EXPECT_EQ(texts[0].from, (Point { 1020, 2800 }));

    rig.buffer.CurrentPage = 1;
    rig.buffer.PageCount = 1;
    rig.format.MarginLeft = 100;
    rig.format.MarginRight = 108; // 2 mm between the margins: the number starts at the left margin
    canvas.Clear();
    rig.buffer.DrawPageNumber(canvas, kF, kF);
    EXPECT_EQ(canvas.Texts()[0].text,
        "\xB5\xDA"
        "1"
        "\xD2\xB3"
        " "
        "\xB9\xB2"
        "1"
        "\xD2\xB3");
    EXPECT_EQ(canvas.Texts()[0].from.x, 1000);
}

} // namespace
} // namespace quillet::test
