#include "platform/NumberLocale.h"

#include <clocale>

namespace quillet {
namespace {
NumberLocale& Current()
{
    // Made once, on whichever thread formats a number first: pages are
    // drawn on more than one thread.
    static NumberLocale current = SystemNumberLocale();
    return current;
}
} // namespace

NumberLocale SystemNumberLocale()
{
    NumberLocale result;
    const std::lconv* lc = std::localeconv();
    // Multi-byte separators (narrow no-break space and the like) cannot be used
    // byte by byte on GBK text; keep the defaults then.
    if (lc && lc->decimal_point && lc->decimal_point[0] && !lc->decimal_point[1])
        result.decimalSeparator = lc->decimal_point[0];
    if (lc && lc->thousands_sep && lc->thousands_sep[0] && !lc->thousands_sep[1])
        result.thousandsSeparator = lc->thousands_sep[0];
    if (result.thousandsSeparator == result.decimalSeparator)
        result.thousandsSeparator = result.decimalSeparator == ',' ? '.' : ',';
    return result;
}

const NumberLocale& CurrentNumberLocale()
{
    return Current();
}

void SetCurrentNumberLocale(const NumberLocale& locale) { Current() = locale; }

} // namespace quillet
