#pragma once
// An error that ends the drawing or printing of a page. The message is UTF-8,
// in the program's own words; the window shows it to the user.
#include <stdexcept>
#include <string>

namespace quillet {

class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& utf8Message) : std::runtime_error(utf8Message) {}
};

} // namespace quillet
