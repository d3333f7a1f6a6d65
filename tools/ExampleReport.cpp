#include "tools/ExampleReport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/GbkCodec.h"
#include "platform/Types.h"

namespace quillet {
namespace {

std::string Gbk(const char* utf8)
{
    return Utf8ToGbk(utf8);
}

void SetItem(TMyTextItem& item, const char* fontUtf8, int points, int align, const char* textUtf8 = "")
{
    item.FontName.SetText(Gbk(fontUtf8));
    item.FontSize = static_cast<std::uint16_t>(points);
    item.FontColor = kBlack;
    item.Align = static_cast<std::uint8_t>(align);
    item.Wrap = 0;
    item.Text.SetText(Gbk(textUtf8));
}

void SetMerged(TMyMergedCell& m, int left, int top, int right, int bottom, std::uint8_t kind,
    const char* fontUtf8, int points, int align, const char* textUtf8)
{
    m.Left = left;
    m.Top = top;
    m.Right = right;
    m.Bottom = bottom;
    m.Kind = kind;
    SetItem(m.Item, fontUtf8, points, align, textUtf8);
}

struct Product {
    const char* name;
    int priceCents;
};

constexpr Product kProducts[] = {
    { "晨光中性笔", 150 },
    { "得力订书机", 1800 },
    { "A4复印纸", 2650 },
    { "牛皮档案盒", 680 },
    { "塑料文件夹", 320 },
    { "桌面计算器", 4500 },
    { "白板笔", 250 },
    { "便利贴", 460 },
    { "长尾夹", 890 },
    { "软面笔记本", 550 },
};

constexpr const char* kCustomers[] = {
    "华联超市",
    "新华书店",
    "育才中学",
    "明德小学",
    "东方办公用品",
    "开元酒店",
    "市第一医院",
    "恒信会计事务所",
};

// A fixed scramble of the line number, so every line looks random but the
// example is the same on every build.
std::uint64_t Mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

bool IsLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// The calendar date `days` days after 1 March 2024.
void DateAfter(int days, int& year, int& month, int& day)
{
    static constexpr int kMonthDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    year = 2024;
    month = 3;
    day = 1 + days;
    for (;;) {
        int inMonth = kMonthDays[month - 1] + ((month == 2 && IsLeap(year)) ? 1 : 0);
        if (day <= inMonth)
            return;
        day -= inMonth;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
}

// Cents as plain decimal text with two decimals: what the data file's
// producer writes (no thousands separators, "." as decimal point).
std::string Money(long long cents)
{
    const char* sign = cents < 0 ? "-" : "";
    long long a = cents < 0 ? -cents : cents;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%lld.%02lld", sign, a / 100, a % 100);
    return buf;
}

} // namespace

void BuildExampleFormat(TMyPrintFormat& f)
{
    f = TMyPrintFormat();

    f.PrintCompany = 1;
    f.PrintTitle = 1;
    f.PrintPageHead = 1;
    f.PrintPageFoot = 1;
    f.PrintPageNumber = 1;
    f.MultiTables = 0;
    f.NegativeRed = 1;
    // The last sheet keeps its empty ledger lines, so the subtotal and total
    // rows stay at the foot of a full-height grid.
    f.KeepEmptyGrid = 1;
    f.HeadRowCount = kExampleHeadRows;
    f.HorPlace = 2;
    f.VerPlace = 1;
    f.MarginTop = 25;
    f.MarginBottom = 25;
    f.MarginLeft = 30;
    f.MarginRight = 30;

    SetItem(f.Company, "楷体", 12, 2, "华东文具贸易有限公司");
    f.CompanyLine = {};
    SetItem(f.Title, "黑体", 18, 2, "2024年3月销售明细账");
    f.TitleLine.Style = 2;
    f.TitleLine.Color = kBlack;

    f.HeadMultiLine = 0;
    SetItem(f.Head[1], "宋体", 10, 1, "部门：销售一部");
    SetItem(f.Head[2], "宋体", 10, 2, "期间：2024年3月1日至2024年3月31日");
    SetItem(f.Head[3], "宋体", 10, 3, "单位：元");
    f.FootMultiLine = 0;
    SetItem(f.Foot[1], "宋体", 10, 1, "制表：王丽");
    SetItem(f.Foot[2], "宋体", 10, 2, "审核：张强");
    SetItem(f.Foot[3], "宋体", 10, 3, "财务主管：李明");

    f.ColCount = kExampleColumns;
    f.RowCount = kExampleRowsPerBlock;
    f.FootRowCount = kExampleFootRows;
    f.FrameLine.Style = 2;
    f.FrameLine.Color = kBlack;

    // Widths add up to 150 mm, the room between the side margins of A4.
    static constexpr int kWidths[kExampleColumns] = { 19, 21, 29, 25, 13, 18, 25 };
    static constexpr int kDecimals[kExampleColumns]
        = { kTextColumn, kTextColumn, kTextColumn, kTextColumn, 0, 2, 2 };
    static constexpr int kAligns[kExampleColumns] = { 2, 1, 1, 1, 3, 3, 3 };
    for (int c = 1; c <= kExampleColumns; ++c) {
        f.ColWidth[c] = static_cast<std::uint8_t>(kWidths[c - 1]);
        f.ColDecimals[c] = static_cast<std::uint8_t>(kDecimals[c - 1]);
        SetItem(f.ColItem[c], "宋体", 9, kAligns[c - 1]);
    }
    for (int c = 1; c < kExampleColumns; ++c)
        f.ColLine[c] = { 1, {}, kBlack };

    const int subtotalRow = kExampleHeadRows + kExampleDataRowsPerBlock + 1;
    const int totalRow = subtotalRow + 1;
    for (int r = 1; r <= kExampleRowsPerBlock; ++r)
        f.RowHeight[r] = (r <= kExampleHeadRows || r >= subtotalRow) ? 7 : 6;
    for (int r = 1; r < kExampleRowsPerBlock; ++r)
        f.RowLine[r] = { 1, {}, kBlack };
    f.RowLine[kExampleHeadRows].Style = 3; // thick rule under the captions
    f.RowLine[subtotalRow - 1].Style = 2; // double rule above the sums

    auto& m = f.MergedCells;
    SetMerged(m[1], 1, 1, 1, 2, kMergedText, "黑体", 10, 2, "日期");
    SetMerged(m[2], 2, 1, 2, 2, kMergedText, "黑体", 10, 2, "单据号");
    SetMerged(m[3], 3, 1, 3, 2, kMergedText, "黑体", 10, 2, "客户名称");
    SetMerged(m[4], 4, 1, 4, 2, kMergedText, "黑体", 10, 2, "商品名称");
    SetMerged(m[5], 5, 1, 7, 1, kMergedText, "黑体", 10, 2, "销售情况");
    SetMerged(m[6], 5, 2, 5, 2, kMergedText, "黑体", 10, 2, "数量");
    SetMerged(m[7], 6, 2, 6, 2, kMergedText, "黑体", 10, 2, "单价");
    SetMerged(m[8], 7, 2, 7, 2, kMergedText, "黑体", 10, 2, "金额");
    SetMerged(m[9], 1, subtotalRow, 4, subtotalRow, kMergedText, "黑体", 10, 2, "本页小计");
    SetMerged(m[10], 5, subtotalRow, 5, subtotalRow, kMergedSubtotal, "宋体", 9, 3, "5");
    SetMerged(m[11], 7, subtotalRow, 7, subtotalRow, kMergedSubtotal, "宋体", 9, 3, "7");
    SetMerged(m[12], 1, totalRow, 4, totalRow, kMergedText, "黑体", 10, 2, "总    计");
    SetMerged(m[13], 5, totalRow, 5, totalRow, kMergedGrandTotal, "宋体", 9, 3, "5");
    SetMerged(m[14], 7, totalRow, 7, totalRow, kMergedGrandTotal, "宋体", 9, 3, "7");
}

std::array<std::string, 6> ExampleHeadFootTexts()
{
    return { Gbk("部门：销售一部"), Gbk("期间：2024年3月1日至2024年3月31日"), Gbk("单位：元"),
        Gbk("制表：王丽"), Gbk("审核：张强"), Gbk("财务主管：李明") };
}

std::vector<std::string> ExampleRowCells(int index)
{
    if (index < 0)
        index = 0;
    std::uint64_t h = Mix(static_cast<std::uint64_t>(index));
    const Product& product = kProducts[h % std::size(kProducts)];
    const char* customer = kCustomers[(h >> 8) % std::size(kCustomers)];
    long long quantity = 10 + static_cast<long long>((h >> 16) % 191);
    const bool isReturn = (h >> 32) % 13 == 0;
    if (isReturn)
        quantity = -(1 + static_cast<long long>((h >> 40) % 20));

    int year, month, day;
    DateAfter(index / 10, year, month, day); // about ten lines a day
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
    char number[24];
    std::snprintf(number, sizeof number, "%s%02d%02d-%04d", isReturn ? "TH" : "XS", year % 100, month,
        index % 10000 + 1);
    char qty[24];
    std::snprintf(qty, sizeof qty, "%lld", quantity);

    return { date, number, Gbk(customer), Gbk(product.name), qty, Money(product.priceCents),
        Money(quantity * product.priceCents) };
}

std::string DataFileHead(const std::array<std::string, 6>& headFoot)
{
    // Length byte 21, then the signature text in GBK; versions 1 and 5.
    std::string bytes = std::string(1, '\x15') + Gbk(".Brellisk.-打印用数据");
    bytes.append("\x01\x00\x05\x00", 4);
    for (const std::string& text : headFoot)
        AppendCell(bytes, text);
    return bytes;
}

void AppendCell(std::string& out, std::string_view gbk)
{
    const std::size_t n = std::min<std::size_t>(gbk.size(), kCellSize - 1);
    out.push_back(static_cast<char>(n));
    out.append(gbk.data(), n);
    out.append(kCellSize - 1 - n, '\0');
}

std::uint64_t ExampleCellOffset(int index, int column)
{
    // Each block's ledger lines are followed by its empty foot rows.
    const std::uint64_t row = static_cast<std::uint64_t>(index)
        + static_cast<std::uint64_t>(index / kExampleDataRowsPerBlock) * kExampleFootRows;
    return kDataHeadSize + (row * kExampleColumns + static_cast<std::uint64_t>(column - 1)) * kCellSize;
}

bool WriteExampleData(const std::string& path, int rows)
{
    // Written beside the target and renamed over it, so a reader never sees
    // half a file.
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        std::string bytes = DataFileHead(ExampleHeadFootTexts());
        for (int i = 0; i < rows; ++i) {
            if (i > 0 && i % kExampleDataRowsPerBlock == 0)
                for (int k = 0; k < kExampleFootRows * kExampleColumns; ++k)
                    AppendCell(bytes, {});
            for (const std::string& cell : ExampleRowCells(i))
                AppendCell(bytes, cell);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

bool WriteExampleReport(const std::string& folder, int rows)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
        return false;
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";

    TMyPrintFormat format;
    BuildExampleFormat(format);
    TMyPaperSpec a4Portrait { 9, 210, 290, 1 }; // A4, portrait
    if (format.SaveToFile(base + kExampleFormatName, a4Portrait) != kFileOk)
        return false;
    return WriteExampleData(base + kExampleDataName, rows);
}

bool WriteSparseReport(const std::string& folder, long long pages)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec) || pages < 0)
        return false;
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";

    TMyPrintFormat format;
    BuildExampleFormat(format);
    format.ColCount = 1;
    format.RowCount = kExampleHeadRows + 1;
    format.FootRowCount = 0;
    format.MultiTables = 0;
    for (TMyMergedCell& cell : format.MergedCells) {
        if (cell.Right > format.ColCount || cell.Bottom > format.RowCount)
            cell = TMyMergedCell {};
    }
    TMyPaperSpec a4Portrait { 9, 210, 290, 1 };
    if (format.SaveToFile(base + kSparseFormatName, a4Portrait) != kFileOk)
        return false;

    const std::string data = base + kSparseDataName;
    {
        std::ofstream out(data, std::ios::binary | std::ios::trunc);
        const std::string head = DataFileHead(ExampleHeadFootTexts());
        out.write(head.data(), static_cast<std::streamsize>(head.size()));
        if (!out)
            return false;
    }
    const auto size
        = static_cast<std::uintmax_t>(kDataHeadSize) + static_cast<std::uintmax_t>(pages) * kCellSize;
    std::filesystem::resize_file(data, size, ec);
    return !ec;
}

} // namespace quillet
