#pragma once
// Rounding and division rules shared by every layer that turns millimetres,
// points and percentages into device pixels.
#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdint>

namespace quillet {

// Nearest integer, halves to the even neighbour, computed on the exact
// (extended-precision) value. Values outside int range saturate so a hostile
// size from a file can never produce undefined behaviour.
inline int Round(long double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<long double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<long double>(INT_MIN))
        return INT_MIN;
    // nearbyint honours the current rounding mode, which is round-to-nearest-even
    // unless someone changed it; be explicit about halves regardless.
    long double fl = std::floor(v);
    long double diff = v - fl;
    long long r = static_cast<long long>(fl);
    if (diff > 0.5L)
        ++r;
    else if (diff == 0.5L && (r % 2 != 0))
        ++r;
    return static_cast<int>(r);
}

// Windows MulDiv: a * b / c rounded half away from zero, -1 when c is 0.
inline int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    long long p = static_cast<long long>(a) * b;
    long long q = p / c;
    long long rem = p % c;
    if (rem != 0 && 2 * std::llabs(rem) >= std::llabs(static_cast<long long>(c)))
        q += ((p < 0) != (c < 0)) ? -1 : 1;
    if (q > INT_MAX)
        return INT_MAX;
    if (q < INT_MIN)
        return INT_MIN;
    return static_cast<int>(q);
}

} // namespace quillet
