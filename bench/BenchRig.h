#pragma once
// The ledger data files of the benchmark and the page renderer, of any size
// and block period, from the example report's lines.
#include <QtGlobal>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "model/PrnData.h"
#include "tools/EngineRig.h"
#include "tools/ExampleReport.h"

namespace quillet {

// A data file of the example's ledger lines, cut after `cells` cells: blocks
// of `linesPerBlock` lines, each followed by `footRows` empty rows for the
// sums to lie over. With remarks every line has an eighth cell.
inline bool WriteLedgerData(
    const std::string& path, long long cells, int linesPerBlock, int footRows, bool remarks)
{
    std::string bytes = DataFileHead(ExampleHeadFootTexts());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const int columns = kExampleColumns + (remarks ? 1 : 0);
    const int period = std::max(1, linesPerBlock + footRows);
    long long written = 0;
    int line = 0;
    for (long long row = 0; written < cells && out; ++row) {
        std::vector<std::string> rowCells(static_cast<std::size_t>(columns));
        if (row % period < linesPerBlock) {
            rowCells = ExampleRowCells(line);
            if (remarks)
                rowCells.push_back(line % 7 == 0 ? "\xB2\xB9\xB5\xA5" : ""); // 补单
            ++line;
        }
        for (int c = 0; c < columns && written < cells; ++c, ++written)
            AppendCell(bytes, rowCells[static_cast<std::size_t>(c)]);
        if (bytes.size() > (1u << 22)) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            bytes.clear();
        }
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}


} // namespace quillet
