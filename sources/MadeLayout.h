#pragma once
// A layout for rows that come without one (a CSV file, a query): the title,
// the headings as the heading row, columns as wide as their texts and cut to
// fit the sheet, numbers right-aligned with their decimals, a 本页小计 and a
// 总计 row for the number columns, page numbers at the foot.
#include <string>
#include <vector>

#include "model/PrnData.h"
#include "sources/CsvData.h"

namespace quillet {

// Replaces format with the layout made for the rows: headings (GBK) and
// what was learnt of each column, under title (GBK). Only the first 50
// headings can be shown (a heading takes one of the 50 merged cells); sums
// go to as many number columns as the cells left over allow, left to right.
void MakeLayout(TMyPrintFormat& format, const std::vector<std::string>& headings,
    const std::vector<CsvColumnFacts>& columns, const std::string& title);

} // namespace quillet
