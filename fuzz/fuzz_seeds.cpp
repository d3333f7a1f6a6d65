// fuzz_seeds <format corpus> <data corpus>: writes one valid input for each
// fuzz target: a format file from our writer and a data file with its table
// shape in front.
#include <cstdio>
#include <string>
#include <vector>

#include "model/PrnData.h"

using namespace quillet;

namespace {

constexpr int kCols = 4;
constexpr int kRows = 6;
constexpr int kHeadRows = 1;

void AppendText(std::string& out, const std::string& text)
{
    out.push_back(static_cast<char>(text.size()));
    out += text;
    out.append(200 - text.size(), '\0');
}

std::string Le16(int v)
{
    return { static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF) };
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds <format corpus> <data corpus>\n");
        return 2;
    }
    TMyPrintFormat f;
    f.ColCount = kCols;
    f.RowCount = kRows;
    f.HeadRowCount = kHeadRows;
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
    TMyPaperSpec paper;
    if (f.SaveToFile(std::string(argv[1]) + "/seed.fmt", paper) != kFileOk) {
        std::fprintf(stderr, "fuzz_seeds: cannot write the format seed\n");
        return 1;
    }

    std::string bytes = Le16(kCols) + Le16(kRows) + Le16(kHeadRows) + Le16(7);
    bytes += DataSignatureBytes() + Le16(1) + Le16(5);
    for (const char* text : { "Head 1", "Head 2", "", "Foot 1", "", "Foot 3" })
        AppendText(bytes, text);
    for (int row = 0; row < 12; ++row) {
        AppendText(bytes, "Item " + std::to_string(row));
        AppendText(bytes, std::to_string(row * 3));
        AppendText(bytes, row % 4 == 0 ? "1,234.50" : "-12.5");
        AppendText(bytes, row % 5 == 0 ? "abc" : "");
    }
    std::FILE* out = std::fopen((std::string(argv[2]) + "/seed.dat").c_str(), "wb");
    bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (!out || std::fclose(out) != 0 || !ok) {
        std::fprintf(stderr, "fuzz_seeds: cannot write the data seed\n");
        return 1;
    }
    return 0;
}
