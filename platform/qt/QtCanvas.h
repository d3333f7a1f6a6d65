#pragma once
// A Canvas on a QPainter. It keeps the font, pen, brush and pen position in
// its own members, as a GDI device context does, and applies them to the
// painter at each call, so the state survives the painter being ended and
// begun again (a bitmap ends it whenever its picture is read).
#include <QColor>
#include <QFont>
#include <QString>

#include <memory>

#include "platform/Canvas.h"

class QPaintDevice;
class QPainter;

namespace quillet {

class QtCanvas : public Canvas {
public:
    // Draws on device with a painter of its own, begun at the first drawing
    // call and ended by End().
    explicit QtCanvas(QPaintDevice& device);
    // Draws with a painter that someone else has begun and will end (a print
    // job, a widget while it paints).
    explicit QtCanvas(QPainter& painter);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    int DpiX() const override;
    int DpiY() const override;
    Rect ClipRect() const override;

    void SetFont(std::string_view gbkName, int points, Color color) override;
    void SetFontSize(int points) override;
    void SetFontColor(Color color) override;
    Size TextExtent(std::string_view gbkText) override;
    void TextOut(int x, int y, std::string_view gbkText) override;
    void TextRect(const Rect& clip, int x, int y, std::string_view gbkText) override;

    void SetPen(PenStyle style, int width, Color color) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

    void SetBrushColor(Color color) override;
    void FillRect(const Rect& r) override;
    void Rectangle(const Rect& r) override;
    void StretchDraw(const Rect& dest, Bitmap& source) override;

    // Ends the own painter so the device can be read or resized; the next
    // drawing call begins a new one. Does nothing for a borrowed painter.
    void End();
    // Fixes the resolution the canvas reports instead of the device's (a
    // bitmap keeps its resolution even while it holds no picture).
    void SetDpi(int dpiX, int dpiY);
    // The font as it is applied to the device (family after decoding, pixel size).
    const QFont& Font() const { return font_; }
    QPaintDevice& Device() const { return *device_; }

    // Largest font height in pixels: a hostile size can neither hang the
    // text engine nor exhaust memory.
    static constexpr int kMaxFontPixels = 4096;
    // Widest pen in pixels.
    static constexpr int kMaxPenWidth = 1024;

private:
    QPainter* Painter();
    void UpdateFontPixels();
    void DrawLineSegment(QPainter& p, int x0, int y0, int x1, int y1);

    QPaintDevice* device_;
    QPainter* borrowed_ = nullptr;
    int fixedDpiX_ = 0;
    int fixedDpiY_ = 0;
    std::unique_ptr<QPainter> own_;

    QFont font_;
    int fontPoints_ = 9;
    QColor fontColor_ { Qt::black };
    PenStyle penStyle_ = PenStyle::Solid;
    int penWidth_ = 1;
    QColor penColor_ { Qt::black };
    QColor brushColor_ { Qt::white };
    Point pen_;
};

} // namespace quillet
