#include "engine/ReportSearch.h"

#include <algorithm>
#include <climits>

#include "engine/BuffPaper.h"
#include "model/PrnFunction.h"
#include "platform/GbkCodec.h"
#include "platform/NumberLocale.h"

namespace quillet {
namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letters, digits and the underscore of ASCII make words; Chinese text has
// no spaces between its words, so every other character ends one.
bool WordByte(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// A number as the page shows it: digits with the user's thousands
// separators, decimal separator and a sign, and at least one separator.
bool GroupedNumber(std::string_view text, const NumberLocale& locale)
{
    bool grouped = false;
    for (char c : text) {
        if (c == locale.thousandsSeparator)
            grouped = true;
        else if (!((c >= '0' && c <= '9') || c == locale.decimalSeparator || c == '-'))
            return false;
    }
    return grouped;
}

bool Ascii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The length of the GBK character at text[i]: a lead byte takes the next.
std::size_t GbkLength(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
}

// Lower-cases the ASCII letters of a GBK text, leaving the second bytes of
// its double-byte characters alone.
void LowerGbk(std::string& text)
{
    for (std::size_t i = 0; i < text.size(); i += GbkLength(text, i))
        text[i] = Lower(text[i]);
}

} // namespace

TextMatcher::TextMatcher(std::string_view utf8Query, SearchOptions options)
    : query_(utf8Query)
    , options_(options)
{
    if (!options_.matchCase)
        std::transform(query_.begin(), query_.end(), query_.begin(), Lower);
    const NumberLocale& locale = CurrentNumberLocale();
    digits_ = query_;
    std::erase(digits_, locale.thousandsSeparator);
    numberLike_ = !query_.empty() && std::all_of(query_.begin(), query_.end(), [&locale](char c) {
        return (c >= '0' && c <= '9') || c == locale.thousandsSeparator || c == locale.decimalSeparator
            || c == '-';
    });
    // A character GBK lacks is in no GBK text.
    const std::string gbk = Utf8ToGbk(utf8Query);
    if (GbkToUtf8(gbk) == utf8Query) {
        gbkQuery_ = gbk;
        if (!options_.matchCase)
            LowerGbk(gbkQuery_);
    }
}

int TextMatcher::CountGbk(std::string_view text) const
{
    if (query_.empty() || text.empty())
        return 0;
    if (Ascii(text))
        return Count(text); // the same bytes in UTF-8
    return CountIn(text, gbkQuery_, true);
}

int TextMatcher::CountIn(std::string_view text, const std::string& query, bool gbk) const
{
    if (query.empty())
        return 0;
    if (!options_.matchCase) {
        folded_.assign(text);
        if (gbk)
            LowerGbk(folded_);
        else
            std::transform(folded_.begin(), folded_.end(), folded_.begin(), Lower);
        text = folded_;
    }
    int count = 0;
    std::size_t from = 0;
    // In GBK a match must start on a character: `start` walks the characters
    // up to it, `before` is the one before it.
    std::size_t start = 0;
    std::size_t before = std::string_view::npos;
    while (from + query.size() <= text.size()) {
        const std::size_t at = text.find(query, from);
        if (at == std::string_view::npos)
            break;
        if (gbk) {
            while (start < at) {
                before = start;
                start += GbkLength(text, start);
            }
            if (start != at) {
                from = at + 1;
                continue;
            }
        }
        const std::size_t end = at + query.size();
        const bool previousIsWord = at > 0
            && (gbk ? before != std::string_view::npos && at - before == 1 && WordByte(text[before])
                    : WordByte(text[at - 1]));
        const bool whole = !options_.wholeWord
            || ((!previousIsWord || !WordByte(query.front()))
                && (end == text.size() || !WordByte(text[end]) || !WordByte(query.back())));
        if (whole) {
            ++count;
            from = end;
        } else {
            // UTF-8 never starts a character inside another, so one byte on is safe.
            from = at + 1;
        }
    }
    return count;
}

int TextMatcher::Count(std::string_view text) const
{
    if (query_.empty() || text.empty())
        return 0;
    const NumberLocale& locale = CurrentNumberLocale();
    if (!GroupedNumber(text, locale))
        return CountIn(text, query_, false);
    // The separators only group the digits: words are the whole number.
    std::string digits(text);
    std::erase(digits, locale.thousandsSeparator);
    const int bare = CountIn(digits, digits_, false);
    return options_.wholeWord ? bare : std::max(bare, CountIn(text, query_, false));
}

ReportSearch::ReportSearch(
    const TMyPrintFormat& format, TMyPrintData& data, const TMyBuffPaper& paper, TextMatcher matcher)
    : format_(format)
    , data_(data)
    , paper_(paper)
    , matcher_(std::move(matcher))
{
    const TMyPrintFormat& f = format_;
    auto count = [this](const TMyTextItem& item) { return matcher_.CountGbk(item.Text.View()); };
    if (IsOn(f.PrintCompany))
        before_ += count(f.Company);
    if (IsOn(f.PrintTitle))
        before_ += count(f.Title);
    for (int i = 1; i <= kHeadFootLines; ++i) {
        if (IsOn(f.PrintPageHead))
            before_ += count(f.Head[i]);
        if (IsOn(f.PrintPageFoot))
            after_ += count(f.Foot[i]);
    }
    const int cols = f.Cols();
    const int rows = f.Rows();
    widths_.assign(static_cast<std::size_t>(cols) + 1, 0);
    for (int j = 1; j <= cols; ++j)
        widths_[j] = paper_.Scaled(f.ColWidth[j]);
    covered_.assign(static_cast<std::size_t>(rows + 1) * (cols + 1), 0);
    for (int s = 1; s <= kMaxMergedCells; ++s) {
        const TMyMergedCell& m = f.MergedCells[s];
        if (m.Top == 0 || m.Top > rows || m.Left > cols)
            continue;
        for (int r = std::max<int>(m.Top, 1); r <= std::clamp<int>(m.Bottom, 0, rows); ++r)
            for (int c = std::max<int>(m.Left, 1); c <= std::clamp<int>(m.Right, 0, cols); ++c)
                covered_[static_cast<std::size_t>(r) * (cols + 1) + c] = 1;
    }
}

int ReportSearch::HitsOnPage(int page)
{
    if (page < 1 || page > paper_.PageCount || matcher_.Empty())
        return 0;
    const int perPage = std::max(1, paper_.BlocksPerPage);
    const int blocks = IsOn(format_.MultiTables) ? perPage : 1;
    const long long first = (static_cast<long long>(page) - 1) * perPage + 1;
    if (first > INT_MAX - blocks)
        return 0;
    int hits = 0;
    for (int k = 0; k < blocks; ++k)
        hits += HitsInBlock(static_cast<int>(first) + k);
    return hits;
}

int ReportSearch::HitsInBlock(int block)
{
    const TMyPrintFormat& f = format_;
    const int cols = f.Cols();
    const int rows = f.Rows();
    const std::vector<int> h = paper_.BlockRowHeights(block);
    int hits = before_;
    for (int r = 1; r <= rows; ++r) {
        if (h[r] <= 0 || r <= f.HeadRows())
            continue;
        data_.ReadRow(block, r);
        const int available = std::min<int>(cols, static_cast<int>(data_.Cells.size()) - 1);
        for (int j = 1; j <= available; ++j) {
            const TextString& cell = data_.Cells[j];
            if (cell.Empty() || widths_[j] <= 0 || covered_[static_cast<std::size_t>(r) * (cols + 1) + j])
                continue;
            double v = 0;
            if (f.ColDecimals[j] != kTextColumn && !matcher_.MayMatchNumber())
                continue; // shown as a number, which cannot hold the query
            if (f.ColDecimals[j] != kTextColumn && StrToFloatStrict(cell.View(), v)) {
                if (v < 0 && IsOn(f.NegativeRed))
                    v = -v; // shown in red without its sign
                hits += matcher_.Count(FormatNumber(f.ColDecimals[j], v));
            } else {
                hits += matcher_.CountGbk(cell.View());
            }
        }
    }
    // Merged cells as the page draws them, in the order of their slots.
    std::vector<int> rowEdge(static_cast<std::size_t>(rows) + 1, 0);
    for (int r = 1; r <= rows; ++r)
        rowEdge[r] = rowEdge[r - 1] + h[r];
    std::vector<int> colEdge(static_cast<std::size_t>(cols) + 1, 0);
    for (int j = 1; j <= cols; ++j)
        colEdge[j] = colEdge[j - 1] + widths_[j];
    for (int s = 1; s <= kMaxMergedCells; ++s) {
        const TMyMergedCell& m = f.MergedCells[s];
        if (m.Top == 0 || m.Top > rows || m.Left > cols)
            continue;
        const int firstCol = std::max<int>(m.Left, 1);
        const int top = std::max<int>(m.Top, 1);
        const int lastCol = std::clamp<int>(m.Right, 0, cols);
        const int bottom = std::clamp<int>(m.Bottom, 0, rows);
        if (colEdge[firstCol - 1] == colEdge[lastCol] || rowEdge[top - 1] == rowEdge[bottom])
            continue;
        if (m.Kind == kMergedText) {
            hits += matcher_.CountGbk(m.Item.Text.View());
        } else if ((m.Kind == kMergedSubtotal || m.Kind == kMergedGrandTotal) && matcher_.MayMatchNumber()) {
            const int col = TextToInt(m.Item.Text.View());
            if (col == kNotANumber || col < 1 || col > cols || f.ColDecimals[col] == kTextColumn)
                continue;
            double v = m.Kind == kMergedSubtotal ? data_.BlockTotal(col, block) : data_.ColumnTotal(col);
            if (v < 0 && IsOn(f.NegativeRed))
                v = -v;
            hits += matcher_.Count(FormatNumber(f.ColDecimals[col], v));
        }
    }
    return hits + after_;
}

} // namespace quillet
