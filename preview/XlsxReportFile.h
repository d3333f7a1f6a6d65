#pragma once
// What the window and `quillet --xlsx` need around the workbook writer: the
// report's pages counted as printing counts them, and the messages.
#include <QString>
#include <string>

#include "export/XlsxReport.h"
#include "preview/PdfReport.h"

namespace quillet {

// Counts the report's pages on the layout's page (or takes them from
// layout.counted), as the PDF export lays them out.
XlsxPagination CountReportPages(TMyPrintFormat& format, TMyPrintData& data, const TMyScreen& screen,
    BitmapFactory& bitmaps, const PdfReportPages& layout);

// What a person is told about an export that did not succeed (empty for
// one that was written or cancelled): "无法写入Excel文件“path”，磁盘已满", a
// refused target, or a cell that is no number.
QString XlsxFailureText(const XlsxReportResult& result, const std::string& path);
// The same for the CSV file: "无法写入CSV文件“path”，磁盘已满".
QString CsvFailureText(const XlsxReportResult& result, const std::string& path);

} // namespace quillet
