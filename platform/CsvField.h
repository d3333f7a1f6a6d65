#pragma once
// One field of a CSV line as RFC 4180 writes it: in quotes, with its quotes
// doubled, when it holds a comma, a quote or a line break.
#include <string>
#include <string_view>

namespace quillet {

// Appends text to line; quoteEmpty quotes an empty field too (a line of one
// empty field would otherwise be an empty line, which readers pass over).
inline void AppendCsvField(std::string& line, std::string_view text, bool quoteEmpty = false)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos && !(quoteEmpty && text.empty())) {
        line += text;
        return;
    }
    line.push_back('"');
    for (char c : text) {
        if (c == '"')
            line.push_back('"');
        line.push_back(c);
    }
    line.push_back('"');
}

} // namespace quillet
