#pragma once
// Pixels per millimetre and centimetre of the display, read once.
#include "platform/Display.h"

namespace quillet {

class TMyScreen {
public:
    explicit TMyScreen(const Display& display);

    double PixelsPerMmX = 0;
    double PixelsPerMmY = 0;
    double PixelsPerCmX = 0;
    double PixelsPerCmY = 0;
    double DpiX = 0;
    double DpiY = 0;
};

} // namespace quillet
