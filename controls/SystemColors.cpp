#include "controls/SystemColors.h"

namespace quillet {

QPalette::ColorRole PaletteRole(TSysColor color)
{
    switch (color) {
    case TSysColor::BtnFace:
        return QPalette::Button;
    case TSysColor::BtnHighlight:
        return QPalette::Light;
    case TSysColor::BtnShadow:
        return QPalette::Dark;
    case TSysColor::Window:
        return QPalette::Base;
    case TSysColor::WindowText:
        return QPalette::WindowText;
    case TSysColor::BtnText:
        return QPalette::ButtonText;
    case TSysColor::WindowFrame:
        return QPalette::Shadow;
    case TSysColor::Highlight:
        return QPalette::Highlight;
    case TSysColor::HighlightText:
        return QPalette::HighlightedText;
    }
    return QPalette::Button;
}

QColor SysColor(const QPalette& palette, TSysColor color)
{
    return palette.color(QPalette::Active, PaletteRole(color));
}

QColor ToQColor(Color color)
{
    return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

Color FromQColor(const QColor& color)
{
    return RgbColor(color.red(), color.green(), color.blue());
}

} // namespace quillet
