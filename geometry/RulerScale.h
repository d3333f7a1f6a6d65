#pragma once
// Where a centimetre ruler's white band lies inside the ruler control, and
// where its numbers and ticks go. Shared by the ruler control, which paints
// them, and the paper view, which lines the page image up with the band.
#include <vector>

#include "platform/Types.h"

namespace quillet {

enum class TMyOrientation { trHorizontal, trVertical };

struct RulerTick {
    Point from;
    Point to; // not drawn itself
};

struct RulerLabel {
    Point at;
    int number = 0;
};

struct RulerLayout {
    Rect band;           // white band
    Rect barBefore;      // grey bar before the band
    Rect barAfter;       // grey bar after the band
    int startWhere = 0;  // band left (horizontal) or top (vertical)
    int endWhere = 0;    // band right or bottom
    std::vector<RulerLabel> labels;
    std::vector<RulerTick> ticks;
    // Ticks drawn after each number (the rest after the last): the
    // centimetre before it. A paper ruler draws all of them after the numbers.
    int ticksPerLabel = 3;
};

// A ruler that measures the paper at a zoom: its band is the sheet as the
// screen shows it, numbered in the paper's centimetres. A zoom of 0 keeps
// the plain ruler, which counts centimetres of the screen.
struct RulerPaper {
    double zoom = 0;   // 1 = 100 %
    int lengthMm = 0;  // the paper's side along the ruler
    bool operator==(const RulerPaper&) const = default;
};

// The sheet's side on the screen: lengthMm at the zoom, in whole pixels. The
// paper view sizes the page image by it, the ruler its band.
int RulerSheetPixels(int lengthMm, double dpi, double zoom);

// width, height: the control's size; clip: its clip rectangle (normally
// 0, 0, width, height); dpiX, dpiY: the display's logical resolution.
RulerLayout ComputeRulerLayout(TMyOrientation orientation, int width, int height, const Rect& clip,
                               int startNumber, int lengthNumber, double dpiX, double dpiY,
                               const RulerPaper& paper = {});

} // namespace quillet
