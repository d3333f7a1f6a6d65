#pragma once
// The report as an Excel workbook: the path of both "导出Excel..." in the
// window and `quillet --xlsx`. One sheet holds the report as printed: the
// top texts and the heading rows once (frozen, and repeated on every printed
// page), then every row of the report block by block with its foot rows (the
// grand totals only in the last block, so that they are counted once) and
// the page-foot texts below; numbers stay numbers, subtotals and totals are
// SUBTOTAL formulas with the data rows outlined under them, columns of dates
// hold dates. A sheet "数据" ("Data" in English) after it holds the heading
// captions and the data rows alone, with a filter.
// No widget and no Qt: the caller counts the pages and shows the messages.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/PrintProgress.h"
#include "model/PrnData.h"
#include "platform/OutputFile.h"

namespace quillet {

// The pagination the sheet follows, as the page buffer counted it.
struct XlsxPagination {
    int blocksPerPage = 1;
    int blockCount = 0;
    int lastBlockRows = 0;
    int pageCount = 1;
    double printRate = 100.0; // the print scale in per cent
};

struct XlsxOptions {
    // Excel's rows per sheet; a longer report goes on in further sheets.
    std::uint32_t maxSheetRows = 1048576;
};

struct XlsxReportResult {
    enum Outcome { Written, Cancelled, Refused, Failed };
    Outcome outcome = Failed;
    int pages = 0; // report pages written
    int sheets = 0; // of the report
    int dataSheets = 0;
    OutputRefusal refusal = OutputRefusal::None; // why a target was Refused
    int errorNumber = 0; // errno of a write that Failed
    std::string message; // UTF-8: a cell that is no number, with its place
};

// Writes the workbook to path (bytes, as the file system takes them). The
// file appears only when complete: a cancelled or failed export leaves no
// file under that name and one that was there stays as it was; a target that
// is one of the files inUse, or no regular file, is refused before anything
// is written. Only the data object's row buffer changes.
XlsxReportResult WriteReportXlsx(const TMyPrintFormat& format, TMyPrintData& data,
    const XlsxPagination& pages, const std::string& path, const std::vector<std::string>& inUse,
    PrintProgress* progress = nullptr, const XlsxOptions& options = {});

// The data sheet's rows (the heading captions and the data rows) as CSV in
// UTF-8 with a byte-order mark: the path of "导出CSV..." and `quillet --csv`.
// The same output-file rules, progress and cancel as the workbook; sheets
// stay 0.
XlsxReportResult WriteReportCsv(const TMyPrintFormat& format, TMyPrintData& data, const XlsxPagination& pages,
    const std::string& path, const std::vector<std::string>& inUse, PrintProgress* progress = nullptr);

// The sheet name for a report title (UTF-8): characters Excel forbids in a
// sheet name replaced, cut so that `suffix` still fits in 31 characters.
std::string XlsxSheetName(const std::string& utf8Title, const std::string& suffix = {});

// An Excel column width (characters of the default font) for millimetres.
double XlsxColumnWidth(int mm);

// The Excel number format of a numeric column: thousands separators,
// `decimals` decimals, negatives in red when negativeRed.
std::string XlsxNumberFormat(int decimals, bool negativeRed);

// A text the report shows as a date (GBK: 2024-03-01, 2024/3/1 or
// 2024年3月1日, a real day from 1 March 1900 on): its spreadsheet day number
// and a number format that shows it as written. False for any other text.
bool XlsxDate(std::string_view gbk, double& serial, std::string& numberFormat);

} // namespace quillet
