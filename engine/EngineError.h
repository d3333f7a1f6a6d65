#pragma once
// An error that ends the drawing or printing of a page. The message is UTF-8,
// in the program's own words; the window shows it to the user:
//   “<cell text>”不是有效的数值  a numeric column holds a cell that is no number
//   无法开始打印作业              the printing system refused to start a job
//   打印作业没有正常结束          the printing system reported a failure at its end
// (both followed by "：" and the printing system's reason when it gave one)
#include <stdexcept>
#include <string>

namespace quillet {

class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& utf8Message)
        : std::runtime_error(utf8Message)
    {
    }
};

} // namespace quillet
