#pragma once
// The desktop colours the flat controls paint with, named as Windows names
// them, and the one place where each maps to a role of the widget's palette,
// so that every control of the dialogs paints the same.
#include <QColor>
#include <QPalette>

#include "platform/Types.h"

namespace quillet {

enum class TSysColor {
    BtnFace, // QPalette::Button
    BtnHighlight, // QPalette::Light
    BtnShadow, // QPalette::Dark
    Window, // QPalette::Base
    WindowText, // QPalette::WindowText
    BtnText, // QPalette::ButtonText
    WindowFrame, // QPalette::Shadow
    Highlight, // QPalette::Highlight
    HighlightText, // QPalette::HighlightedText
};

QPalette::ColorRole PaletteRole(TSysColor color);

// The colour of the active group of the palette (the flat controls draw their
// disabled state themselves).
QColor SysColor(const QPalette& palette, TSysColor color);

// A stored colour value (0x00BBGGRR, red in the low byte) for drawing.
QColor ToQColor(Color color);
Color FromQColor(const QColor& color);

} // namespace quillet
