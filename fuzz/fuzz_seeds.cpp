// fuzz_seeds <format corpus> <data corpus> <engine corpus>: writes valid
// inputs for each fuzz target from the example report and from a small
// ledger made like the tests make theirs: format files from our writer, data
// files with their table shape in front (one of them with its rows repeated
// past the 1 MB piece the totals are summed in), and format and data pairs for
// the page engine (most with the format cut short: the engine target lays it
// over the example's layout).
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "model/PrnData.h"
#include "tools/ExampleReport.h"

using namespace quillet;

namespace {

std::string Le16(int v)
{
    return { static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF) };
}

std::string Le32(std::size_t v)
{
    return Le16(static_cast<int>(v & 0xFFFF)) + Le16(static_cast<int>((v >> 16) & 0xFFFF));
}

bool Write(const std::string& path, const std::string& bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (!out || std::fclose(out) != 0 || !ok) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

std::string FormatBytes(TMyPrintFormat& f, TMyPaperSpec paper = {})
{
    std::vector<std::uint8_t> image;
    f.SaveToBytes(paper, image);
    return std::string(image.begin(), image.end());
}

// A four-column ledger with a caption and a grand total, as the tests build.
void BuildLedger(TMyPrintFormat& f)
{
    constexpr int kCols = 4, kRows = 6;
    f.ColCount = kCols;
    f.RowCount = kRows;
    f.HeadRowCount = 1;
    f.FootRowCount = 1;
    for (int i = 1; i <= kCols; ++i) {
        f.ColWidth[i] = 25;
        f.ColDecimals[i] = i == 1 ? kTextColumn : 2;
        f.ColItem[i].FontName.SetText("Arial");
        f.ColItem[i].FontSize = 10;
        f.ColLine[i].Style = 1;
    }
    for (int i = 1; i <= kRows; ++i)
        f.RowHeight[i] = 8;
    f.Title.Text.SetText("Ledger");
    f.MergedCells[1] = { 2, kRows, kCols, kRows, {}, kMergedGrandTotal, {} };
    f.MergedCells[1].Item.Text.SetText("3");
    f.MergedCells[2] = { 1, 1, kCols, 1, {}, kMergedText, {} };
    f.MergedCells[2].Item.Text.SetText("Caption");
}

// The same file without its trailing zeros (never shorter than its head):
// the loader fills the rest from the record, and the fuzzer mutates a few
// hundred bytes instead of 140,108.
std::string Trimmed(std::string bytes)
{
    std::size_t end = bytes.find_last_not_of('\0');
    bytes.resize(std::max<std::size_t>(end == std::string::npos ? 0 : end + 1, 98));
    return bytes;
}

std::string LedgerData(int rows)
{
    std::string bytes = DataFileHead({ "Head 1", "Head 2", "", "Foot 1", "", "Foot 3" });
    for (int row = 0; row < rows; ++row) {
        AppendCell(bytes, "Item " + std::to_string(row));
        AppendCell(bytes, std::to_string(row * 3));
        AppendCell(bytes, row % 4 == 0 ? "1,234.50" : "-12.5");
        AppendCell(bytes, row % 5 == 0 ? "abc" : "");
    }
    return bytes;
}

std::string ExampleData(int rows)
{
    std::array<std::string, 6> headFoot = ExampleHeadFootTexts();
    std::string bytes = DataFileHead(headFoot);
    for (int i = 0; i < rows; ++i)
        for (const std::string& cell : ExampleRowCells(i))
            AppendCell(bytes, cell);
    return bytes;
}

std::string Shape(int cols, int rows, int headRows, int pick)
{
    return Le16(cols) + Le16(rows) + Le16(headRows) + Le16(pick);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: fuzz_seeds <format corpus> <data corpus> <engine corpus>\n");
        return 2;
    }
    const std::string formats = argv[1], datas = argv[2], engines = argv[3];

    TMyPrintFormat ledger;
    BuildLedger(ledger);
    TMyPrintFormat example;
    BuildExampleFormat(example);
    const std::string ledgerFormat = FormatBytes(ledger);
    const std::string exampleFormat = FormatBytes(example);
    TMyPaperSpec landscape { 9, 290, 210, 2 };
    const std::string exampleLandscape = FormatBytes(example, landscape);
    const std::string ledgerShort = Trimmed(ledgerFormat);
    const std::string exampleShort = Trimmed(exampleFormat);

    const std::string ledgerData = LedgerData(12);
    const std::string exampleData = ExampleData(40);

    bool ok = Write(formats + "/ledger.fmt", ledgerFormat) && Write(formats + "/example.fmt", exampleFormat)
        && Write(formats + "/example-landscape.fmt", exampleLandscape)
        && Write(formats + "/ledger-short.fmt", ledgerShort)
        && Write(formats + "/example-short.fmt", exampleShort)
        && Write(datas + "/ledger.dat", Shape(4, 6, 1, 7) + ledgerData)
        && Write(datas + "/ledger-repeated.dat", Shape(4, 6, 1, 0xF000 | 200) + ledgerData)
        && Write(datas + "/example.dat",
            Shape(kExampleColumns, kExampleRowsPerBlock, kExampleHeadRows, 3) + exampleData)
        && Write(engines + "/ledger", Le32(ledgerShort.size()) + ledgerShort + ledgerData)
        && Write(engines + "/example-head", Le32(400) + exampleFormat.substr(0, 400) + exampleData)
        && Write(engines + "/example-columns", Le32(3000) + exampleFormat.substr(0, 3000) + exampleData)
        && Write(engines + "/example-landscape", Le32(400) + exampleLandscape.substr(0, 400) + exampleData)
        && Write(engines + "/example-full", Le32(exampleFormat.size()) + exampleFormat + ExampleData(20));
    return ok ? 0 : 1;
}
