#pragma once
// Shared helpers of the controls' tests: a palette whose roles all differ, so
// a pixel tells which system colour painted it, and pixel reading.
#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QPalette>
#include <QWidget>
#include <string>

namespace quillet::test {

inline const QColor kFace(200, 200, 200);
inline const QColor kLight(250, 250, 250);
inline const QColor kDark(100, 100, 100);
inline const QColor kBase(255, 255, 240);
inline const QColor kWindowText(10, 20, 30);
inline const QColor kButtonText(40, 50, 60);
inline const QColor kFrame(5, 5, 5);
inline const QColor kHighlight(0, 0, 200);
inline const QColor kHighlightText(255, 255, 0);
inline const QColor kText(30, 30, 30);

inline QPalette TestPalette()
{
    QPalette pal;
    for (auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        pal.setColor(group, QPalette::Button, kFace);
        pal.setColor(group, QPalette::Light, kLight);
        pal.setColor(group, QPalette::Dark, kDark);
        pal.setColor(group, QPalette::Base, kBase);
        pal.setColor(group, QPalette::WindowText, kWindowText);
        pal.setColor(group, QPalette::ButtonText, kButtonText);
        pal.setColor(group, QPalette::Shadow, kFrame);
        pal.setColor(group, QPalette::Highlight, kHighlight);
        pal.setColor(group, QPalette::HighlightedText, kHighlightText);
        pal.setColor(group, QPalette::Text, kText);
        pal.setColor(group, QPalette::Window, QColor(210, 210, 210));
    }
    return pal;
}

// A font drawn without smoothing, so text pixels carry the pen colour exactly.
inline QFont CrispFont(int pixelSize = 12)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

inline QImage Render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

inline std::string Hex(QRgb rgb)
{
    return QColor(rgb).name().toStdString();
}
inline std::string Hex(const QColor& color)
{
    return color.name().toStdString();
}
inline std::string At(const QImage& image, int x, int y)
{
    return Hex(image.pixel(x, y));
}

// The bounding box of the pixels of one colour inside `area`.
inline QRect BoxOf(const QImage& image, const QColor& color, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == color.rgb())
                box |= QRect(x, y, 1, 1);
    return box;
}

inline void SendEnter(QWidget& widget)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), widget.mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(&widget, &enter);
}

inline void SendLeave(QWidget& widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

// Shows a window and makes it the active one, so focus changes are real.
inline void ShowActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
}

} // namespace quillet::test
