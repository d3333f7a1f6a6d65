#pragma once
// Numbers as a page's content stream writes them.
#include <string>

namespace quillet::pdf {

void AppendInt(std::string& s, long long v);

// A number with at most `digits` (0 to 6) decimals, correctly rounded from
// the exact value, and no trailing zeros; "0" for a negative zero.
void AppendReal(std::string& s, double v, int digits = 4);

} // namespace quillet::pdf
