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

// Lengths given in pixels of the screen (1/96 inch) on a device of dpi dots
// per inch: the same on a screen or a coarser device, in proportion on a
// finer one.
class ScreenPixels {
public:
    explicit ScreenPixels(int dpi)
        : scale_(dpi > kScreenDpi ? static_cast<long double>(dpi) / kScreenDpi : 1.0L)
    {
    }
    int Length(int screenPixels) const { return Round(screenPixels * scale_); }
    static constexpr int kScreenDpi = 96;

private:
    long double scale_;
};

} // namespace quillet
