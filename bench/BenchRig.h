#pragma once
// The ledger data files of the benchmark and the page renderer, of any size
// and block period, from the example report's lines.
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

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

inline constexpr int kColumns = 8;
inline constexpr int kHeadRows = 2;
inline constexpr int kLinesPerBlock = 46;
inline constexpr int kFootRows = 2;
inline constexpr int kRowsPerBlock = kHeadRows + kLinesPerBlock + kFootRows;

// The example's ledger with a remarks column and 46 lines a sheet.
inline void BuildBenchFormat(TMyPrintFormat& f)
{
    BuildExampleFormat(f);
    static constexpr int kWidths[kColumns] = { 17, 19, 26, 22, 12, 16, 22, 16 };
    f.ColCount = kColumns;
    for (int c = 1; c <= kColumns; ++c)
        f.ColWidth[c] = kWidths[c - 1];
    f.ColDecimals[8] = kTextColumn;
    f.ColItem[8] = f.ColItem[4];
    f.ColLine[7] = f.ColLine[6];
    for (int c = 1; c <= kColumns; ++c)
        f.ColItem[c].FontSize = 8;

    f.RowCount = kRowsPerBlock;
    f.FootRowCount = kFootRows;
    const int subtotalRow = kHeadRows + kLinesPerBlock + 1;
    for (int r = 1; r <= kRowsPerBlock; ++r) {
        f.RowHeight[r] = (r <= kHeadRows || r >= subtotalRow) ? 6 : 4;
        f.RowLine[r] = { 1, {}, kBlack };
    }
    f.RowLine[kHeadRows].Style = 3;
    f.RowLine[subtotalRow - 1].Style = 2;

    auto& m = f.MergedCells;
    for (int s : { 9, 10, 11 })
        m[s].Top = m[s].Bottom = subtotalRow;
    for (int s : { 12, 13, 14 })
        m[s].Top = m[s].Bottom = subtotalRow + 1;
    m[15] = m[4];
    m[15].Left = m[15].Right = 8;
    m[15].Item.Text.SetText("\xB1\xB8\xD7\xA2"); // 备注
}

// The bench ledger widened to `columns` columns (at most kMaxCols), its
// eight columns repeated across: an A4 sheet shows the first few, the rest
// runs off it.
inline void BuildWideFormat(TMyPrintFormat& f, int columns)
{
    BuildBenchFormat(f);
    columns = std::clamp(columns, kColumns, kMaxCols);
    f.ColCount = static_cast<decltype(f.ColCount)>(columns);
    for (int c = kColumns + 1; c <= columns; ++c) {
        const int like = (c - 1) % kColumns + 1;
        f.ColWidth[c] = f.ColWidth[like];
        f.ColDecimals[c] = f.ColDecimals[like];
        f.ColItem[c] = f.ColItem[like];
        if (c < columns)
            f.ColLine[c] = f.ColLine[like];
    }
}

// A data file of `blocks` full blocks of the wide ledger: each row the eight
// cells of a ledger line repeated across `columns` columns.
inline bool WriteWideData(const std::string& path, int blocks, int columns)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string bytes = DataFileHead(ExampleHeadFootTexts());
    int line = 0;
    for (int b = 0; b < blocks && out; ++b) {
        for (int r = 0; r < kLinesPerBlock + kFootRows; ++r) {
            std::vector<std::string> cells(kColumns);
            if (r < kLinesPerBlock) {
                cells = ExampleRowCells(line++);
                cells.push_back(line % 7 == 0 ? "\xB2\xB9\xB5\xA5" : ""); // 补单
            }
            for (int c = 0; c < columns; ++c)
                AppendCell(bytes, cells[static_cast<std::size_t>(c % kColumns)]);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.clear();
    }
    return static_cast<bool>(out);
}

// The scratch folder of a benchmark's files, left behind (and named) with
// --keep; its "pdf" folder becomes the PDF printer's, which must be set
// before the application reads the printers. Returns that folder.
inline QString PrepareScratch(QTemporaryDir& temp, bool keep)
{
    temp.setAutoRemove(!keep);
    if (keep)
        std::printf("files in %s\n", qPrintable(temp.path()));
    const QString pdfFolder = temp.filePath(QStringLiteral("pdf"));
    qputenv("QUILLET_PDF_DIR", pdfFolder.toUtf8());
    return pdfFolder;
}

// The peak resident memory of this process so far (VmHWM), in KB; -1 when
// it cannot be read.
inline long PeakResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

} // namespace quillet
