#pragma once
// The preview window for a screen reader and for the keyboard alone: the
// rulers say the stretch they show, the page tabs are a tab list whose tabs
// in view are its children, the page area says its page and zoom and gives
// the page's text in reading order; Tab goes from the search bar through the
// thumbnails, the page area and the page field to the page tabs.
#include <QString>

namespace quillet {

class TFrmPrintReview;

// Names the window's controls, sets their Tab order and keeps a screen
// reader told of the page shown. Called once, when the window is built.
void MakeWindowAccessible(TFrmPrintReview& window);

// The texts of the page shown, in reading order: lines from top to bottom,
// the texts of a line from left to right, a line break between lines.
QString PageTextInReadingOrder(TFrmPrintReview& window);

} // namespace quillet
