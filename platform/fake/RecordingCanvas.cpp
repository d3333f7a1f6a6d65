#include "platform/fake/RecordingCanvas.h"

#include <algorithm>
#include <climits>

#include "platform/Arith.h"

namespace quillet {
namespace {

Rect Normalized(const Rect& r)
{
    return { std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
        std::max(r.top, r.bottom) };
}

} // namespace

RecordingCanvas::RecordingCanvas(int dpiX, int dpiY, Rect clip)
    : dpiX_(dpiX)
    , dpiY_(dpiY)
    , clip_(clip)
{
}

int RecordingCanvas::PixelsFor(int points, int dpiY)
{
    return MulDiv(points == 0 ? kDefaultPoints : points, dpiY, 72);
}

void RecordingCanvas::SetFont(std::string_view gbkName, int points, Color color)
{
    fontName_ = std::string(gbkName);
    SetFontSize(points);
    fontColor_ = color;
}

void RecordingCanvas::SetFontSize(int points)
{
    fontPoints_ = points;
    fontPixels_ = PixelsFor(points, dpiY_);
}

void RecordingCanvas::SetFontColor(Color color)
{
    fontColor_ = color;
}

Size RecordingCanvas::TextExtent(std::string_view gbkText)
{
    ++extentCalls;
    long long w = static_cast<long long>(gbkText.size()) * (fontPixels_ / 2);
    return { static_cast<int>(w), fontPixels_ };
}

CanvasOp RecordingCanvas::Make(CanvasOp::Kind kind) const
{
    CanvasOp op;
    op.kind = kind;
    op.fontName = fontName_;
    op.fontPoints = fontPoints_;
    op.fontPixels = fontPixels_;
    op.fontColor = fontColor_;
    op.penStyle = penStyle_;
    op.penWidth = penWidth_;
    op.penColor = penColor_;
    op.brushColor = brushColor_;
    op.excluded = excluded_;
    return op;
}

bool RecordingCanvas::Shows(const Rect& bounds) const
{
    return bounds.Meets(clip_);
}

void RecordingCanvas::TextOut(int x, int y, std::string_view gbkText)
{
    // Glyphs may reach a little beyond the measured box, as on a device.
    const long long w = static_cast<long long>(gbkText.size()) * (fontPixels_ / 2);
    const int h = fontPixels_;
    if (!Shows({ x - h, y - h, static_cast<int>(std::min<long long>(x + w + h, INT_MAX)), y + 2 * h }))
        return;
    CanvasOp op = Make(CanvasOp::Kind::TextOut);
    op.from = { x, y };
    op.text = std::string(gbkText);
    ops.push_back(std::move(op));
}

void RecordingCanvas::TextRect(const Rect& clip, int x, int y, std::string_view gbkText)
{
    if (!Shows(clip))
        return;
    CanvasOp op = Make(CanvasOp::Kind::TextRect);
    op.from = { x, y };
    op.rect = clip;
    op.text = std::string(gbkText);
    ops.push_back(std::move(op));
}

void RecordingCanvas::SetPen(PenStyle style, int width, Color color)
{
    penStyle_ = style;
    penWidth_ = width;
    penColor_ = color;
}

void RecordingCanvas::MoveTo(int x, int y)
{
    pen_ = { x, y };
}

void RecordingCanvas::LineTo(int x, int y)
{
    const Point from = pen_;
    pen_ = { x, y };
    if (!Shows({ std::min(from.x, x) - penWidth_, std::min(from.y, y) - penWidth_,
            std::max(from.x, x) + penWidth_, std::max(from.y, y) + penWidth_ }))
        return;
    CanvasOp op = Make(CanvasOp::Kind::Line);
    op.from = from;
    op.to = { x, y };
    ops.push_back(std::move(op));
}

void RecordingCanvas::SetBrushColor(Color color)
{
    brushColor_ = color;
}

void RecordingCanvas::FillRect(const Rect& r)
{
    if (!Shows(Normalized(r)))
        return;
    CanvasOp op = Make(CanvasOp::Kind::FillRect);
    op.rect = r;
    ops.push_back(std::move(op));
}

void RecordingCanvas::Rectangle(const Rect& r)
{
    if (!Shows(Normalized(r)))
        return;
    CanvasOp op = Make(CanvasOp::Kind::Rectangle);
    op.rect = r;
    ops.push_back(std::move(op));
}

void RecordingCanvas::StretchDraw(const Rect& dest, Bitmap&)
{
    if (!Shows(dest))
        return;
    CanvasOp op = Make(CanvasOp::Kind::StretchDraw);
    op.rect = dest;
    ops.push_back(std::move(op));
}

std::vector<CanvasOp> RecordingCanvas::OfKind(CanvasOp::Kind kind) const
{
    std::vector<CanvasOp> out;
    for (const auto& op : ops)
        if (op.kind == kind)
            out.push_back(op);
    return out;
}

std::vector<CanvasOp> RecordingCanvas::Texts() const
{
    std::vector<CanvasOp> out;
    for (const auto& op : ops)
        if (op.kind == CanvasOp::Kind::TextOut || op.kind == CanvasOp::Kind::TextRect)
            out.push_back(op);
    return out;
}

std::vector<CanvasOp> RecordingCanvas::Lines() const
{
    return OfKind(CanvasOp::Kind::Line);
}

void RecordingBitmap::SetSize(int width, int height)
{
    width_ = width;
    height_ = height;
    canvas_ = RecordingCanvas(dpiX_, dpiY_, { 0, 0, width, height });
}

} // namespace quillet
