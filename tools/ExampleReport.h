#pragma once
// The bundled example report: a monthly sales ledger of a stationery
// wholesaler. Its layout and its data file are built in code so that the
// example, the tests and the benchmark all see the same report and no binary
// file has to be kept in the repository.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/PrnData.h"

namespace quillet {

constexpr int kExampleColumns = 7; // date, number, customer, product, quantity, price, amount
constexpr int kExampleHeadRows = 2; // two rows of column captions
constexpr int kExampleDataRowsPerBlock = 28; // ledger lines on one sheet
constexpr int kExampleFootRows = 2; // block subtotal and grand total
constexpr int kExampleRowsPerBlock = kExampleHeadRows + kExampleDataRowsPerBlock + kExampleFootRows;
constexpr int kExampleDefaultRows = 300;

// File names inside the example folder.
inline constexpr char kExampleDataName[] = "example.dat";
inline constexpr char kExampleFormatName[] = "example.fmt";

// Fills f with the ledger layout (everything but the paper, which the format
// file takes from the printer when it is saved).
void BuildExampleFormat(TMyPrintFormat& f);

// The three page-head and three page-foot texts of the data file, GBK.
std::array<std::string, 6> ExampleHeadFootTexts();

// The seven GBK cell texts of ledger line `index` (from 0). The same index
// always gives the same line; every thirteenth line or so is a return with a
// negative quantity and amount.
std::vector<std::string> ExampleRowCells(int index);

// The 1232 bytes that open every data file: signature, version 1.5 and the
// six head and foot texts.
std::string DataFileHead(const std::array<std::string, 6>& headFoot);
// Appends one cell of the data file (a short string of 200 bytes) to out.
void AppendCell(std::string& out, std::string_view gbk);

// Writes a data file with `rows` ledger lines. After every
// kExampleDataRowsPerBlock lines come kExampleFootRows empty lines, which the
// subtotal and total rows at the bottom of each block lie over. A negative
// count writes no lines. False when the file could not be written.
bool WriteExampleData(const std::string& path, int rows);

// Where cell `column` (from 1) of ledger line `index` (from 0) starts in a
// data file WriteExampleData wrote: 201 bytes a cell, so that a test can
// put a text of its own there.
std::uint64_t ExampleCellOffset(int index, int column);

// Writes example.fmt (A4 portrait) and example.dat into folder, creating the
// folder when it is missing. False when anything could not be written.
bool WriteExampleReport(const std::string& folder, int rows = kExampleDefaultRows);

// A report of `pages` pages that costs no disk: the example layout cut to one
// column and one data row a page, and a sparse data file of one (empty) cell
// a page, made by extending the file rather than writing it. Writes
// sparse.fmt and sparse.dat into folder. False when they could not be made.
inline constexpr char kSparseDataName[] = "sparse.dat";
inline constexpr char kSparseFormatName[] = "sparse.fmt";
bool WriteSparseReport(const std::string& folder, long long pages);

} // namespace quillet
