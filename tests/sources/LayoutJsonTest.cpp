// The layout as JSON: a format file through JSON and back draws every page
// as before, JSON through a format file and back is the same text, the
// manual's example reads as it says, and a bad text is named to the field.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/GbkCodec.h"
#include "platform/qt/QtBitmap.h"
#include "sources/LayoutJson.h"
#include "tools/EngineRig.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

std::string Gbk(const char* utf8) { return Utf8ToGbk(utf8); }

// Every page of the example data drawn with layout.
std::vector<QImage> DrawPages(const TMyPrintFormat& layout, const std::string& dataPath)
{
    EngineRig rig;
    rig.format = layout;
    if (!rig.Start(dataPath))
        return {};
    std::vector<QImage> pages;
    for (int page = 1; page <= rig.buffer->PageCount; ++page) {
        rig.buffer->CurrentPage = page;
        rig.buffer->ClearPageImage();
        rig.buffer->RenderPage(rig.buffer->PageImage().GetCanvas(), false);
        pages.push_back(static_cast<QtBitmap&>(rig.buffer->PageImage()).Image().copy());
    }
    return pages;
}

// The record as a format file holds it, read back.
TMyPrintFormat ThroughBinary(const TMyPrintFormat& layout)
{
    std::vector<std::uint8_t> image;
    layout.RecordImage(image);
    TMyPrintFormat back;
    EXPECT_EQ(back.LoadFromBytes(image.data(), image.size()), kFileOk);
    return back;
}

struct RoundTripCase {
    const char* family;
    std::function<void(TMyPrintFormat&)> change;
};

const RoundTripCase kRoundTrips[] = {
    { "paper, margins and placement",
        [](TMyPrintFormat& f) {
            f.PaperSize = 256;
            f.PaperWidth = 250;
            f.PaperLength = 300;
            f.Orientation = 2;
            f.MarginTop = 12;
            f.MarginBottom = 40;
            f.MarginLeft = 8;
            f.MarginRight = 50;
            f.HorPlace = 3;
            f.VerPlace = 2;
        } },
    { "print switches, stacked tables and their gap",
        [](TMyPrintFormat& f) {
            f.PrintCompany = f.PrintTitle = f.PrintPageHead = f.PrintPageFoot = f.PrintPageNumber = 1;
            f.MultiTables = 1;
            f.TableGap = 7;
            f.TableGapLine = 1;
            f.NegativeRed = 1;
            f.KeepEmptyGrid = 1;
            f.InterfaceStyle = 1;
        } },
    { "company, title and their rules",
        [](TMyPrintFormat& f) {
            f.Company.Text.SetText(Gbk("华东文具批发公司"));
            f.Company.FontName.SetText(Gbk("楷体"));
            f.Company.FontSize = 14;
            f.Company.FontColor = 0x00336699;
            f.Company.Align = 3;
            f.CompanyLine = { 2, {}, 0x000000FF };
            f.Title.Align = 1;
            f.TitleLine = { 5, {}, 0x00FF0000 };
            f.PrintCompany = 1;
        } },
    { "page head and foot on one line and on several",
        [](TMyPrintFormat& f) {
            f.HeadMultiLine = 1;
            f.Foot[2].Align = 2;
            f.Foot[3].Align = 3;
            f.Foot[3].FontColor = 0x0000AA00;
            f.FootMultiLine = 0;
        } },
    { "columns: widths, decimals, fonts, alignment, wrapping, rules",
        [](TMyPrintFormat& f) {
            f.ColWidth[2] = 0; // hidden
            f.ColWidth[3] = 60;
            f.ColDecimals[5] = 3;
            f.ColDecimals[6] = kTextColumn;
            f.ColItem[3].Wrap = 1;
            f.ColItem[3].Align = 3;
            f.ColItem[4].FontName.SetText(Gbk("黑体"));
            f.ColItem[4].FontSize = 13;
            f.ColItem[7].FontColor = 0x00800080;
            f.ColLine[1] = { 3, {}, 0x00008000 };
            f.ColLine[4] = { 4, {}, 0 };
            f.FrameLine = { 2, {}, 0x00404040 };
        } },
    { "rows: heights, rules, head and foot rows",
        [](TMyPrintFormat& f) {
            f.RowHeight[1] = 15;
            f.RowHeight[4] = 0;
            f.RowLine[2] = { 2, {}, 0x000000FF };
            f.RowLine[10] = { 5, {}, 0 };
            f.HeadRowCount = 3;
            f.FootRowCount = 1;
        } },
    { "merged cells of every kind, empty slots between",
        [](TMyPrintFormat& f) {
            f.MergedCells[7] = f.MergedCells[1];
            f.MergedCells[1] = {};
            f.MergedCells[9].Left = 1;
            f.MergedCells[9].Top = 3;
            f.MergedCells[9].Right = 3;
            f.MergedCells[9].Bottom = 4;
            f.MergedCells[9].Kind = kMergedText;
            f.MergedCells[9].Item.Text.SetText(Gbk("合并的说明"));
            f.MergedCells[9].Item.Wrap = 1;
            f.MergedCells[9].Item.Align = 2;
        } },
    { "bytes the program never writes draw as their neighbours",
        [](TMyPrintFormat& f) {
            f.PrintTitle = 2; // a bool that is not 1 is off
            f.ColItem[1].Align = 7; // an alignment past right draws as none
            f.Head[2].Align = 9;
            f.ColLine[2] = { 9, {}, 0x00FF00FF }; // a style past the last draws nothing
            f.HorPlace = 5; // a placement past 3 puts the table at the paper's edge
            f.MergedCells[12] = f.MergedCells[2];
            f.MergedCells[12].Kind = 9; // a kind that shows nothing, yet blanks the rules under it
            f.Title.Text.Bytes[150] = 'x'; // bytes past a text's length
            f.Company.FontColor = 0x80000005; // the high byte of a colour is not drawn
        } },
};

TEST(LayoutJsonTest, ThroughJsonAndBackDrawsEveryPageAlikeAndJsonComesBackAsItWas)
{
    QTemporaryDir folder;
    const std::string dataPath = folder.filePath(QStringLiteral("ledger.dat")).toStdString();
    ASSERT_TRUE(WriteExampleData(dataPath, 70));
    for (const RoundTripCase& c : kRoundTrips) {
        SCOPED_TRACE(c.family);
        TMyPrintFormat layout;
        BuildExampleFormat(layout);
        layout.PaperWidth = 210;
        layout.PaperLength = 290;
        c.change(layout);
        const TMyPrintFormat binary = ThroughBinary(layout);

        const std::string json = LayoutToJson(binary);
        TMyPrintFormat fromJson;
        LayoutJsonError error;
        ASSERT_TRUE(LayoutFromJson(json, fromJson, error)) << error.line << ':' << error.column << ' '
                                                           << error.path << ' ' << error.reason;
        const TMyPrintFormat back = ThroughBinary(fromJson);

        std::vector<QImage> before;
        try {
            before = DrawPages(binary, dataPath);
        } catch (const std::exception& e) {
            FAIL() << e.what();
        }
        const std::vector<QImage> after = DrawPages(back, dataPath);
        ASSERT_FALSE(before.empty());
        ASSERT_EQ(before.size(), after.size());
        for (std::size_t page = 0; page < before.size(); ++page)
            EXPECT_TRUE(before[page] == after[page]) << "page " << page + 1;
        EXPECT_EQ(LayoutToJson(back), json);
        // The head and foot texts are the layout's until a data file gives its own.
        for (int i = 1; i <= kHeadFootLines; ++i) {
            EXPECT_EQ(back.Head[i].Text.Text(), binary.Head[i].Text.Text());
            EXPECT_EQ(back.Foot[i].Text.Text(), binary.Foot[i].Text.Text());
        }
    }
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(LayoutJsonTest, TheManualsExampleReadsAsItSays)
{
    const std::string path = QUILLET_TEST_SOURCE_DIR "/../../doc/layout-example.json";
    const std::string text = ReadFile(path);
    ASSERT_FALSE(text.empty());
    TMyPrintFormat f;
    ASSERT_EQ(LoadJsonLayout(path, f), "");
    EXPECT_EQ(f.PaperSize, 9);
    EXPECT_EQ(f.Orientation, 1);
    EXPECT_EQ(f.MarginLeft, 20);
    EXPECT_EQ(f.HorPlace, 2);
    EXPECT_EQ(f.PrintTitle, 1);
    EXPECT_EQ(f.PrintPageNumber, 1);
    EXPECT_EQ(f.PrintCompany, 0);
    EXPECT_EQ(f.Title.Text.Text(), Gbk("文具销售月报"));
    EXPECT_EQ(f.Title.FontName.Text(), Gbk("黑体"));
    EXPECT_EQ(f.Title.FontSize, 18);
    EXPECT_EQ(f.Title.Align, 2);
    EXPECT_EQ(f.TitleLine.Style, 2);
    EXPECT_EQ(f.Foot[1].Text.Text(), Gbk("制表：张三"));
    EXPECT_EQ(f.HeadRowCount, 1);
    EXPECT_EQ(f.FootRowCount, 1);
    EXPECT_EQ(f.FrameLine.Style, 3);
    ASSERT_EQ(f.ColCount, 3);
    EXPECT_EQ(f.ColWidth[1], 40);
    EXPECT_EQ(f.ColDecimals[1], kTextColumn);
    EXPECT_EQ(f.ColDecimals[3], 2);
    EXPECT_EQ(f.ColItem[3].Align, 3);
    EXPECT_EQ(f.ColItem[3].FontColor, 0x000000CCu); // #cc0000: red is the low byte
    EXPECT_EQ(f.ColLine[1].Style, 1);
    ASSERT_EQ(f.RowCount, 6);
    EXPECT_EQ(f.RowHeight[1], 10);
    EXPECT_EQ(f.RowLine[1].Style, 2);
    EXPECT_EQ(f.MergedCells[1].Kind, kMergedText);
    EXPECT_EQ(f.MergedCells[1].Item.Text.Text(), Gbk("合计"));
    EXPECT_EQ(f.MergedCells[2].Kind, kMergedGrandTotal);
    EXPECT_EQ(f.MergedCells[2].Left, 3);
    EXPECT_EQ(f.MergedCells[2].Top, 6);
    EXPECT_EQ(f.MergedCells[2].Item.Text.Text(), "3");
    EXPECT_EQ(f.MergedCells[3].Top, 0);
    // The example is written as the program writes it.
    EXPECT_EQ(LayoutToJson(f), text);

    // Whatever is left out is as in a new layout, on A4 portrait.
    LayoutJsonError error;
    ASSERT_TRUE(LayoutFromJson("{}", f, error));
    TMyPrintFormat fresh;
    fresh.PaperWidth = 210;
    fresh.PaperLength = 290;
    fresh.Orientation = 1;
    EXPECT_TRUE(f == fresh);
}

struct BadCase {
    const char* what;
    std::string text;
    int line;
    int column;
    const char* path;
    const char* reason; // a part of the message
};

std::string ManyColumns(int n)
{
    std::string text = "{\"columns\": [";
    for (int i = 0; i < n; ++i)
        text += i ? ",{}" : "{}";
    return text + "]}";
}

TEST(LayoutJsonTest, ABadTextIsNamedByLineColumnAndField)
{
    const BadCase cases[] = {
        { "a width of 300 mm", "{\n  \"columns\": [\n    {\"width\": 10},\n    {\"width\": 12},\n    {\"width\": 300}\n  ]\n}\n",
            5, 15, "columns[3].width", "300超出范围0..255" },
        { "a colour #zzz", "{\n  \"title\": {\"text\": \"月报\", \"colour\": \"#zzz\"}\n}", 2, 37, "title.colour",
            "#rrggbb" },
        { "an unknown key", "{\n  \"paper\": {\"size\": 9, \"colur\": 1}\n}", 2, 24, "paper.colur",
            "不认识的字段“colur”" },
        { "a text GBK cannot hold", "{\"company\": {\"text\": \"한국\"}}", 1, 22, "company.text", "GBK" },
        { "501 columns", ManyColumns(501), 1, 13, "columns", "最多500列" },
        { "a text past 200 bytes", "{\"title\": {\"text\": \"" + std::string(201, 'x') + "\"}}", 1, 20, "title.text",
            "最多200字节" },
        { "a decimals word", "{\"columns\": [{\"decimals\": \"two\"}]}", 1, 27, "columns[1].decimals", "\"text\"" },
        { "a rule style", "{\"rows\": [{}, {\"ruleAfter\": {\"style\": \"thin\"}}]}", 1, 39, "rows[2].ruleAfter.style",
            "dashDot" },
        { "a merged-cell kind", "{\"mergedCells\": [{\"top\": 1, \"kind\": \"sum\"}]}", 1, 37, "mergedCells[1].kind",
            "blank、subtotal、total、text" },
        { "a fraction", "{\"margins\": {\"top\": 2.5}}", 1, 21, "margins.top", "应为整数" },
        { "a key given twice, the last one bad", "{\"tableGap\": 1,\n \"tableGap\": -1}", 2, 14, "tableGap",
            "-1超出范围0..65535" },
        { "a list instead of a layout", "[1]", 1, 1, "", "应为对象" },
        { "a missing comma", "{\n  \"tableGap\": 10\n  \"headRows\": 1\n}", 3, 4, "", "缺少“}”或“,”" },
        { "bytes that are not UTF-8", "{\"title\": {\"text\": \"\xD4\xC2\"}}", 1, 21, "", "UTF-8" },
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        TMyPrintFormat f;
        f.TableGap = 33;
        LayoutJsonError error;
        EXPECT_FALSE(LayoutFromJson(c.text, f, error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.column, c.column);
        EXPECT_EQ(error.path, c.path);
        EXPECT_NE(error.reason.find(c.reason), std::string::npos) << error.reason;
        EXPECT_EQ(f.TableGap, 33); // the layout in use is kept
    }
}

} // namespace
} // namespace quillet
