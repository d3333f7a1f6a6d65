#include "platform/pdf/PdfNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quillet::pdf {

void AppendInt(std::string& s, long long v)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

namespace {

// The general way: the exact decimal expansion, trailing zeros taken off.
void AppendRealExactly(std::string& s, double v, int digits)
{
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
    char* end = r.ptr;
    if (std::find(buf, end, '.') != end) {
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
    }
    if (end - buf == 2 && buf[0] == '-' && buf[1] == '0')
        s += '0';
    else
        s.append(buf, end);
}

} // namespace

void AppendReal(std::string& s, double v, int digits)
{
    static constexpr double kScale[] = { 1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6 };
    // Every glyph of a page writes a number: most go through whole numbers,
    // which the exact conversion is many times slower at. Below 1e12 the
    // product is off by less than 1/4096 of a unit, so a value not within
    // 0.001 of a rounding boundary rounds to the same number either way;
    // one that is takes the exact way.
    if (digits < 0 || digits > 6 || !(std::abs(v) * kScale[digits] < 1e12)) {
        AppendRealExactly(s, v, digits);
        return;
    }
    const double scaled = v * kScale[digits];
    const double whole = std::nearbyint(scaled);
    if (std::abs(scaled - whole) > 0.499) {
        AppendRealExactly(s, v, digits);
        return;
    }
    long long n = static_cast<long long>(whole);
    if (n == 0) {
        s += '0';
        return;
    }
    int decimals = digits;
    while (decimals > 0 && n % 10 == 0) {
        n /= 10;
        --decimals;
    }
    if (n < 0) {
        s += '-';
        n = -n;
    }
    long long unit = 1;
    for (int i = 0; i < decimals; ++i)
        unit *= 10;
    AppendInt(s, n / unit);
    if (decimals == 0)
        return;
    s += '.';
    char frac[8];
    long long rest = n % unit;
    for (int i = decimals - 1; i >= 0; --i, rest /= 10)
        frac[i] = static_cast<char>('0' + rest % 10);
    s.append(frac, static_cast<std::size_t>(decimals));
}

} // namespace quillet::pdf
