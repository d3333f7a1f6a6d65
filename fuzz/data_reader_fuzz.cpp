// Feeds arbitrary bytes to the data reader from memory. The first eight bytes
// shape the table (ColCount, RowCount, HeadRowCount) and pick blocks, rows,
// columns and how far the file shrinks in place after Open; the rest is the
// data file.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>

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

    TMyPrintData d(f);
    auto owned = std::make_unique<MemoryByteSource>(data + 8, size - 8);
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
    const std::size_t cut = (size - 8) * static_cast<std::size_t>(pick & 0xFF) / 256;
    source.Shrink(cut);
    Exercise(d, f, pick);
    const std::uint64_t expected = cut < kDataHeadSize ? 0 : (cut - kDataHeadSize) / kCellSize;
    Require(d.CellCount() == expected, "cells of the file as it now is");
    return 0;
}
