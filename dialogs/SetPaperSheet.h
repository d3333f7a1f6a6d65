#pragma once
// The small white sheet with a drop shadow that the page setup and font
// dialogs draw their samples on.
#include <QImage>

#include "platform/Canvas.h"

namespace quillet {

// A picture for a sample, in the screen's 32-bit format.
QImage NewSamplePicture(int width, int height);

// Fills the whole width x height area with the button face, the sheet
// (0, 0, width - 3, height - 3) white, a 3-pixel black shadow to the right and
// below, and draws the sheet's left and top edges black.
void DrawSampleSheet(Canvas& canvas, int width, int height, Color buttonFace);

} // namespace quillet
