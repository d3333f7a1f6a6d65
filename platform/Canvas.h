#pragma once
// The drawing surface of a page, a ruler or a control, in device pixels.
// It keeps state like a GDI device context: a current font, pen, brush and
// pen position survive between calls until changed.
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace quillet {

class Bitmap;

enum class PenStyle { Solid, Dot, DashDot, Null };

class Canvas {
public:
    virtual ~Canvas() = default;

    // Logical resolution of the device; font pixel heights come from DpiY.
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    // The whole drawable area (the clip rectangle of the device).
    virtual Rect ClipRect() const = 0;
    // The pixels where drawing can leave a mark: the picture, or the whole
    // sheet of a printed page, which may reach past the drawable area. Every
    // canvas drops drawing that lies wholly outside it, and the page engine
    // leaves such drawing out before it measures anything for it.
    virtual Rect VisibleRect() const { return ClipRect(); }

    // Font by face name (GBK bytes), size in points and colour; the pixel
    // height is MulDiv(points, DpiY, 72). Size 0 asks for the window
    // system's default size, at the device's own resolution (as a font of
    // height 0 does on Windows).
    virtual void SetFont(std::string_view gbkName, int points, Color color) = 0;
    virtual void SetFontSize(int points) = 0;
    virtual void SetFontColor(Color color) = 0;
    // Width and height of a GBK text measured as one line: the sum of its
    // characters' advances, no kerning (neither is it drawn kerned).
    virtual Size TextExtent(std::string_view gbkText) = 0;
    // Text with its top-left corner at (x, y), opaque on the brush colour.
    virtual void TextOut(int x, int y, std::string_view gbkText) = 0;
    // Fills clip with the brush, then draws the text at (x, y) clipped to it.
    virtual void TextRect(const Rect& clip, int x, int y, std::string_view gbkText) = 0;

    virtual void SetPen(PenStyle style, int width, Color color) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // Line from the pen position to (x, y), leaving out the end pixel.
    virtual void LineTo(int x, int y) = 0;

    virtual void SetBrushColor(Color color) = 0;
    // Fills r with the brush; no outline.
    virtual void FillRect(const Rect& r) = 0;
    // Outline with the pen and inside with the brush, leaving out the right
    // and bottom edge of r.
    virtual void Rectangle(const Rect& r) = 0;
    // Draws the whole of source scaled into dest. A shrunk picture keeps its
    // dark lines on a white page: each pixel of dest takes the darkest of the
    // source pixels it covers (the described system's black-on-white mode).
    virtual void StretchDraw(const Rect& dest, Bitmap& source) = 0;

    // Leaves r out of every later drawing call until ResetClip (GDI's
    // ExcludeClipRect). What lies in r already stays.
    virtual void ExcludeClipRect(const Rect& r) = 0;
    // Drops every rectangle left out by ExcludeClipRect.
    virtual void ResetClip() = 0;
};

} // namespace quillet
