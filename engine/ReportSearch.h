#pragma once
// Searching a report as its pages show it, without drawing them: the cells
// of the data file read row by row, numbers formatted as the page formats
// them, the texts and sums of merged cells, and the company line, title,
// page head and foot of every table block. Hits are counted per page in the
// order the page draws its texts, so the n-th hit of a page is the n-th
// matching text drawn on it.
#include <string>
#include <string_view>
#include <vector>

#include "model/PrnData.h"

namespace quillet {

class TMyBuffPaper;

struct SearchOptions {
    bool matchCase = false; // 区分大小写
    bool wholeWord = false; // 全字匹配: letters and digits may not go on either side
};

// A query and how it is matched against a shown text (UTF-8). A number shown
// with thousands separators (the user's, as numbers are formatted) is also
// found by its digits alone: "3,825.00" by "3825".
class TextMatcher {
public:
    TextMatcher(std::string_view utf8Query, SearchOptions options);
    bool Empty() const { return query_.empty(); }
    // How many times the query occurs in the text, without overlaps.
    int Count(std::string_view utf8Text) const;
    // The same for a GBK text, matched as it is (the query in GBK).
    int CountGbk(std::string_view gbkText) const;
    // Whether a number as the page formats it can hold the query at all.
    bool MayMatchNumber() const { return numberLike_; }

private:
    int CountIn(std::string_view text, const std::string& query, bool gbk) const;

    std::string query_; // folded to lower case unless the case counts
    std::string digits_; // the same without thousands separators
    std::string gbkQuery_; // query_ in GBK; empty when GBK cannot hold it
    bool numberLike_ = false;
    mutable std::string folded_; // the text folded, kept to save allocations
    SearchOptions options_;
};

class ReportSearch {
public:
    // The paper gives the pagination (blocks per page, row heights of the
    // last block); both it and the data must outlive the search.
    ReportSearch(const TMyPrintFormat& format, TMyPrintData& data, const TMyBuffPaper& paper,
        TextMatcher matcher);
    // The hits on one page, 0 for a page outside the report. Reads the data
    // file; its errors are thrown as the page would throw them.
    int HitsOnPage(int page);

private:
    int HitsInBlock(int block);

    const TMyPrintFormat& format_;
    TMyPrintData& data_;
    const TMyBuffPaper& paper_;
    TextMatcher matcher_;
    // The same on every block: hits before the body (company, title, head)
    // and after it (foot).
    int before_ = 0;
    int after_ = 0;
    // Data cells that a merged cell covers: not shown, not found.
    std::vector<char> covered_; // (row * (cols + 1) + col)
    std::vector<int> widths_;
};

} // namespace quillet
