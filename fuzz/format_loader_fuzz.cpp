// Feeds arbitrary bytes to the format loader from memory, walks every part of
// the record that its counts drive, saves it into memory and reads it back.
#include <cstddef>
#include <cstdint>

#include <vector>

#include "fuzz/FuzzCheck.h"
#include "model/PrnData.h"
#include "model/PrnFunction.h"

using namespace quillet;
using namespace quillet::fuzz;

namespace {

volatile std::size_t sink;

// Reads what layout code reads, through checked access so an index past an
// array stops the fuzzer.
void TouchCountDrivenParts(const TMyPrintFormat& f)
{
    const int cols = f.Cols(), rows = f.Rows();
    Require(cols <= kMaxCols && rows <= kMaxRows && f.HeadRows() <= rows, "counts within capacity");
    Require(f.DataRowsPerBlock() >= 0 && f.DataRowsPerBlock() == rows - f.HeadRows(), "data rows per block");
    Require(f.FootRows() >= 0 && f.FootRows() <= rows, "foot rows");
    std::size_t sum = 0;
    for (int i = 1; i <= cols; ++i) {
        sum += f.ColWidth.at(i) + f.ColDecimals.at(i) + f.ColItem.at(i).Text.View().size();
        sum += f.ColItem.at(i).FontName.View().size();
        if (i < cols)
            sum += f.ColLine.at(i).Style;
    }
    for (int i = 1; i <= rows; ++i) {
        sum += f.RowHeight.at(i);
        if (i < rows)
            sum += f.RowLine.at(i).Style;
    }
    for (int i = 1; i <= kHeadFootLines; ++i)
        sum += f.Head.at(i).Text.View().size() + f.Foot.at(i).Text.View().size();
    for (int i = 1; i <= kMaxMergedCells; ++i) {
        const TMyMergedCell& m = f.MergedCells.at(i);
        if (m.Top == 0 || m.Top > rows || m.Left > cols)
            continue;
        int n = TextToInt(m.Item.Text.View());
        if ((m.Kind == kMergedSubtotal || m.Kind == kMergedGrandTotal) && n >= 1 && n <= cols
            && f.ColDecimals.at(n) != kTextColumn)
            sum += FormatNumber(f.ColDecimals.at(n), TextToNumber(m.Item.Text.View())).size();
    }
    sink = sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Reused from input to input: the saved image is always the same size.
    static std::vector<std::uint8_t> saved;
    static const TMyPrintFormat untouched;

    TMyPrintFormat f;
    int result = f.LoadFromBytes(data, size);
    Require(result == kFileOk || result == kFileBadSignature || result == kFileIoError
            || result == kFileBadVersion,
        "known load result");
    if (result != kFileOk) {
        // Refused at the signature, the record cannot have been reached.
        if (result != kFileBadSignature)
            Require(f == untouched, "a refused file leaves the record alone");
        return 0;
    }
    TouchCountDrivenParts(f);

    TMyPaperSpec paper { f.PaperSize, f.PaperWidth, f.PaperLength, f.Orientation };
    f.SaveToBytes(paper, saved);
    Require(saved.size() == kFormatFileSize, "saved size");
    TMyPrintFormat again;
    Require(again.LoadFromBytes(saved.data(), saved.size()) == kFileOk, "saved file loads");
    // Every field is compared: the record read back is the record as saved
    // (with the paper the save put into it).
    Require(again == f, "saved file loads as saved");
    return 0;
}
