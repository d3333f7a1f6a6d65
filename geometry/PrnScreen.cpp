#include "geometry/PrnScreen.h"

namespace quillet {
namespace {

// A display that reports no resolution would make every millimetre zero
// pixels wide and later divisions by the factors meaningless; take the usual
// desktop resolution instead.
constexpr int kFallbackDpi = 96;

} // namespace

TMyScreen::TMyScreen(const Display& display)
{
    DpiX = display.LogicalDpiX() > 0 ? display.LogicalDpiX() : kFallbackDpi;
    DpiY = display.LogicalDpiY() > 0 ? display.LogicalDpiY() : kFallbackDpi;
    PixelsPerCmX = DpiX / 2.54;
    PixelsPerCmY = DpiY / 2.54;
    PixelsPerMmX = DpiX / 25.4;
    PixelsPerMmY = DpiY / 25.4;
}

} // namespace quillet
