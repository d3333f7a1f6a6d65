#include "sources/MadeLayout.h"

#include <algorithm>
#include <cmath>

#include "model/PrnFunction.h"
#include "platform/GbkCodec.h"

namespace quillet {
namespace {

constexpr char kSongTi[] = "\xCB\xCE\xCC\xE5"; // 宋体
constexpr char kHeiTi[] = "\xBA\xDA\xCC\xE5"; // 黑体
constexpr char kPageSubtotal[] = "\xB1\xBE\xD2\xB3\xD0\xA1\xBC\xC6"; // 本页小计
constexpr char kGrandTotal[] = "\xD7\xDC\xBC\xC6"; // 总计

constexpr int kCellPoints = 10;
constexpr int kTitlePoints = 16;
constexpr int kMargin = 20;
constexpr int kHeadingHeight = 8;
constexpr int kRowHeight = 7;
// What a block takes beyond its rows: 12 mm for its parts, about 10 for a
// 16-point title, 1 for the frame.
constexpr int kBlockExtra = 23;
constexpr int kMinWidth = 10;
constexpr int kMaxWidth = 80; // a longer text is cut in its cell
constexpr int kNarrowest = 4; // when even kMinWidth is too wide for the sheet
constexpr int kMostDecimals = 10;
// A4 as the program stamps it into a layout, upright and turned.
constexpr int kA4Width = 210;
constexpr int kA4Length = 290;

// Millimetres a cell needs for `bytes` GBK bytes at the cell size: half an
// em a byte, and the 1 mm the text keeps from each side.
int WidthFor(std::size_t bytes)
{
    constexpr double kMmPerByte = kCellPoints * 25.4 / 72 / 2;
    return static_cast<int>(std::ceil(static_cast<double>(bytes) * kMmPerByte)) + 3;
}

void SetItem(TMyTextItem& item, const char* font, int points, std::uint8_t align, std::string_view text = {})
{
    item.FontName.SetText(font);
    item.FontSize = static_cast<std::uint16_t>(points);
    item.FontColor = 0;
    item.Align = align;
    item.Wrap = 0;
    item.Text.SetText(text.substr(0, GbkCut(text, TextString::Capacity)));
}

// The widths cut so that they add up to no more than `room`: the widest
// columns are cut first, none below kMinWidth; when that is still too wide
// every column gets an equal share.
void FitWidths(std::vector<int>& widths, int room)
{
    auto total = [&](int cap) {
        long sum = 0;
        for (int w : widths)
            sum += std::min(w, cap);
        return sum;
    };
    if (total(kMaxWidth) <= room)
        return;
    if (total(kMinWidth) > room) {
        const int share = std::max(kNarrowest, room / static_cast<int>(widths.size()));
        std::fill(widths.begin(), widths.end(), share);
        return;
    }
    int cap = kMaxWidth;
    while (cap > kMinWidth && total(cap) > room)
        --cap;
    for (int& w : widths)
        w = std::min(w, cap);
}

} // namespace

void MakeLayout(TMyPrintFormat& format, const std::vector<std::string>& headings,
    const std::vector<CsvColumnFacts>& columns, const std::string& title)
{
    format = TMyPrintFormat();
    TMyPrintFormat& f = format;
    const int cols = static_cast<int>(std::min<std::size_t>(columns.size(), kMaxCols));

    f.PrintTitle = 1;
    f.PrintPageNumber = 1;
    SetItem(f.Title, kHeiTi, kTitlePoints, 2, title);
    SetItem(f.Company, kSongTi, kCellPoints, 2);
    for (int i = 1; i <= kHeadFootLines; ++i) {
        SetItem(f.Head[i], kSongTi, kCellPoints, 1);
        SetItem(f.Foot[i], kSongTi, kCellPoints, 1);
    }
    f.MarginTop = f.MarginBottom = f.MarginLeft = f.MarginRight = kMargin;
    f.FrameLine.Style = 1;

    std::vector<int> widths(static_cast<std::size_t>(cols));
    for (int j = 1; j <= cols; ++j) {
        const CsvColumnFacts& c = columns[static_cast<std::size_t>(j - 1)];
        const std::size_t heading = j <= static_cast<int>(headings.size()) ? headings[j - 1].size() : 0;
        std::size_t bytes = std::max(heading, c.widest);
        if (c.numeric) {
            const int decimals = std::min(c.decimals, kMostDecimals);
            f.ColDecimals[j] = static_cast<std::uint8_t>(decimals);
            // Thousands separators, and a total as wide as the numbers' sum.
            bytes = std::max({ heading, c.widest + c.widest / 3, FormatNumber(decimals, c.absSum).size() });
        } else {
            f.ColDecimals[j] = kTextColumn;
        }
        SetItem(f.ColItem[j], kSongTi, kCellPoints, c.numeric ? 3 : 1);
        widths[j - 1] = std::clamp(WidthFor(bytes), kMinWidth, kMaxWidth);
        if (j < cols)
            f.ColLine[j].Style = 1;
    }
    long wanted = 0;
    for (int w : widths)
        wanted += w;
    const bool turned = wanted > kA4Width - 2 * kMargin;
    f.PaperSize = 9;
    f.PaperWidth = turned ? kA4Length : kA4Width;
    f.PaperLength = turned ? kA4Width : kA4Length;
    f.Orientation = turned ? 2 : 1;
    if (cols > 0)
        FitWidths(widths, f.PaperWidth - 2 * kMargin);
    f.ColCount = static_cast<std::uint16_t>(cols);
    for (int j = 1; j <= cols; ++j)
        f.ColWidth[j] = static_cast<std::uint8_t>(widths[j - 1]);

    // The merged cells: a heading over each column, then the sums of the
    // number columns while cells are left, two to a column and two for the
    // captions over the columns before the first summed one.
    const int shown = std::min(cols, kMaxMergedCells);
    std::vector<int> summed;
    int firstNumber = 0;
    // A first column of numbers is the rows' key (a number, a year): it
    // takes the captions instead of sums.
    for (int j = cols > 1 ? 2 : 1; j <= cols; ++j) {
        if (!columns[j - 1].numeric)
            continue;
        if (firstNumber == 0)
            firstNumber = j;
        const int captions = firstNumber > 1 ? 2 : 0;
        if (shown + captions + 2 * (static_cast<int>(summed.size()) + 1) > kMaxMergedCells)
            break;
        summed.push_back(j);
    }
    const int footRows = summed.empty() ? 0 : 2;

    // As many data rows as one sheet holds below the title and the heading.
    const int room = f.PaperLength - 2 * kMargin - kBlockExtra - kHeadingHeight - footRows * kRowHeight;
    const int dataRows = std::clamp(room / kRowHeight, 1, kMaxRows - 1 - footRows);
    const int rows = 1 + dataRows + footRows;
    f.HeadRowCount = 1;
    f.FootRowCount = static_cast<std::uint16_t>(footRows);
    f.RowCount = static_cast<std::uint16_t>(rows);
    f.RowHeight[1] = kHeadingHeight;
    for (int r = 2; r <= rows; ++r)
        f.RowHeight[r] = kRowHeight;
    for (int r = 1; r < rows; ++r)
        f.RowLine[r].Style = 1;
    if (footRows > 0)
        f.RowLine[rows - footRows].Style = 2;

    int slot = 0;
    auto merged = [&](int left, int right, int row, std::uint8_t kind, const char* font, std::uint8_t align,
                      std::string_view text) {
        TMyMergedCell& m = f.MergedCells[++slot];
        m.Left = left;
        m.Right = right;
        m.Top = m.Bottom = row;
        m.Kind = kind;
        SetItem(m.Item, font, kCellPoints, align, text);
    };
    for (int j = 1; j <= shown; ++j)
        merged(j, j, 1, kMergedText, kHeiTi, 2, j <= static_cast<int>(headings.size()) ? headings[j - 1] : "");
    if (footRows == 0)
        return;
    const int subtotalRow = rows - 1;
    if (firstNumber > 1) {
        merged(1, firstNumber - 1, subtotalRow, kMergedText, kHeiTi, 2, kPageSubtotal);
        merged(1, firstNumber - 1, rows, kMergedText, kHeiTi, 2, kGrandTotal);
    }
    for (int j : summed) {
        merged(j, j, subtotalRow, kMergedSubtotal, kSongTi, 3, std::to_string(j));
        merged(j, j, rows, kMergedGrandTotal, kSongTi, 3, std::to_string(j));
    }
}

} // namespace quillet
