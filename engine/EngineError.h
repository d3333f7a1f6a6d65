#pragma once
// An error that ends the drawing or printing of a page. The message is UTF-8,
// in the program's own words; the window shows it to the user:
//   “<cell text>”不是有效的数值  a numeric column holds a cell that is no number
//   无法开始打印作业              the printing system refused to start a job
//   打印作业没有正常结束          the printing system reported a failure at its end
// (both followed by "：" and the printing system's reason when it gave one)
// A cell that is no number also says where it lies, for runs over many pages
// that report it without the page on the screen (PlaceText).
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/Texts.h"

namespace quillet {

// Where a data cell lies in the report: the page, the table block on that
// page (1 unless several blocks share the sheet) and the row and column of
// the table, all counted from 1 as the window counts them.
struct CellPlace {
    int page = 1;
    int block = 1;
    int blocksOnPage = 1;
    int row = 1;
    int column = 1;
    bool operator==(const CellPlace&) const = default;
};

class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& utf8Message)
        : std::runtime_error(utf8Message)
    {
    }
    EngineError(const std::string& utf8Message, const CellPlace& place)
        : std::runtime_error(utf8Message)
        , place_(place)
    {
    }
    // The cell the error is about, when it is about one.
    const std::optional<CellPlace>& Place() const { return place_; }

private:
    std::optional<CellPlace> place_;
};

// "（第12页第3行第5列）", or "（第12页第2个表格第3行第5列）" when several
// blocks share the page: the place in the program's words, UTF-8.
inline std::string PlaceText(const CellPlace& p)
{
    if (p.blocksOnPage > 1)
        return FillIn(Tr("EngineError", "（第%1页第%2个表格第%3行第%4列）"),
            { std::to_string(p.page), std::to_string(p.block), std::to_string(p.row),
                std::to_string(p.column) });
    return FillIn(Tr("EngineError", "（第%1页第%2行第%3列）"),
        { std::to_string(p.page), std::to_string(p.row), std::to_string(p.column) });
}

// The error's message followed by the place of its cell, when it has one.
inline std::string MessageWithPlace(const EngineError& error)
{
    return error.Place() ? error.what() + PlaceText(*error.Place()) : std::string(error.what());
}

} // namespace quillet
