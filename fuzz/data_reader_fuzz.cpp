// Feeds arbitrary bytes to the data reader from memory. The first eight bytes
// shape the table (ColCount, RowCount, HeadRowCount) and pick blocks, rows,
// columns, how far the file shrinks in place after Open and whether its rows
// repeat; the rest is the data file.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "model/DataFileError.h"
#include "model/PrnData.h"

using namespace quillet;
using namespace quillet::fuzz;

namespace {

volatile double sink;

void CheckRow(const TMyPrintData& d, const TMyPrintFormat& f)
{
    Require(d.Cells.size() == static_cast<std::size_t>(f.Cols()) + 1, "one cell per column");
    for (const TextString& cell : d.Cells)
        Require(cell.Length <= TextString::Capacity, "cell length within capacity");
}

// Runs one read; a read that finds the file cut in place may only throw
// DataFileError, and leaves the row buffer well formed.
template <class F> void Try(F read)
{
    try {
        read();
    } catch (const DataFileError&) {
    }
}

void Exercise(TMyPrintData& d, const TMyPrintFormat& f, int pick)
{
    const int rows = f.Rows();
    for (int block : { 1, 2, 3, pick, 0, -1, INT_MAX }) {
        for (int row = -1; row <= std::min(rows, 6) + 1; ++row) {
            Try([&] {
                int result = d.ReadRow(block, row);
                Require(result == 0 || result == 1, "known row result");
            });
            CheckRow(d, f);
        }
        if (rows > 0) {
            Try([&] { d.ReadRow(block, 1 + pick % rows); });
            CheckRow(d, f);
        }
    }
    const int cols = f.Cols();
    double total = 0;
    for (int col : { 1, cols, pick % (cols + 2), 0, cols + 1 }) {
        Try([&] { total += d.ColumnTotal(col); });
        for (int block : { 1, 2, pick, 0, INT_MAX })
            Try([&] { total += d.BlockTotal(col, block); });
    }
    std::optional<std::uint64_t> cells = d.CellCount();
    Require(cells.has_value(), "an open data file always has a cell count");
    sink = total + static_cast<double>(*cells);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;

    TMyPrintFormat f;
    f.ColCount = U16(data);
    f.RowCount = U16(data + 2);
    f.HeadRowCount = U16(data + 4);
    const int pick = U16(data + 6);

    // With the top four bits of the pick word set, the rows after the head
    // are repeated until the file passes 1.1 MB: a small input reaches the
    // sums over more than one 1 MB piece. The buffer is kept from input to
    // input.
    static std::vector<std::uint8_t> file;
    file.assign(data + 8, data + size);
    const bool repeated = (pick & 0xF000) == 0xF000 && file.size() >= kDataHeadSize + kCellSize;
    if (repeated) {
        const std::uint8_t* rows = data + 8 + kDataHeadSize;
        while (file.size() < 1100000)
            file.insert(file.end(), rows, data + size);
    }

    TMyPrintData d(f);
    auto owned = std::make_unique<MemoryByteSource>(file.data(), file.size());
    MemoryByteSource& source = *owned;
    int result = d.Open(std::move(owned), "in.dat");
    Require(result == kFileOk || result == kFileBadSignature || result == kFileIoError
            || result == kFileBadVersion,
        "known open result");
    if (result != kFileOk) {
        Require(d.FileName.empty(), "file name only after a successful open");
        return 0;
    }
    d.ReadHeadFoot();
    for (int i = 1; i <= kHeadFootLines; ++i)
        Require(f.Head[i].Text.Length <= 200 && f.Foot[i].Text.Length <= 200, "head and foot lengths");
    Exercise(d, f, pick);

    // The file shrinks in place while the reader holds it open: reads throw
    // or give what the file now holds.
    const std::size_t cut = file.size() * static_cast<std::size_t>(pick & 0xFF) / 256;
    source.Shrink(cut);
    if (repeated)
        Try([&] { sink = d.ColumnTotal(1 + pick % std::max(1, f.Cols())); }); // one more pass is enough
    else
        Exercise(d, f, pick);
    const std::uint64_t expected = cut < kDataHeadSize ? 0 : (cut - kDataHeadSize) / kCellSize;
    Require(d.CellCount() == expected, "cells of the file as it now is");
    return 0;
}
