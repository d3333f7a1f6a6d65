#pragma once
// Millimetres to device pixels and back, rounded half to even on the exact
// (extended-precision) value, as every drawing of the page engine does it.
#include <cmath>

#include "platform/Arith.h"

namespace quillet {

// Round(mm * f): a layout length on a device with f pixels per millimetre.
inline int MmToPixels(int mm, double f)
{
    return Round(static_cast<long double>(mm) * f);
}

// Round(px / f): a measured extent in millimetres. A device without a
// resolution measures nothing.
inline int PixelsToMm(int px, double f)
{
    if (!(f > 0) || !std::isfinite(f))
        return 0;
    return Round(static_cast<long double>(px) / f);
}

} // namespace quillet
