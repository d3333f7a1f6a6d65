#pragma once
// A canvas that records every drawing call that can show within its clip
// (drawing wholly outside it is dropped, as a device drops it), with fixed
// text metrics so tests can check exact pixel numbers: a font of P points is
// h = MulDiv(P, DpiY, 72) pixels high (a size of 0 stands for the default of
// kDefaultPoints), every byte of a text is h / 2 pixels wide (so a
// double-byte character is h wide), and a text measures h high, even an
// empty one.
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"

namespace quillet {

struct CanvasOp {
    enum class Kind { TextOut, TextRect, Line, FillRect, Rectangle, StretchDraw };
    Kind kind = Kind::TextOut;
    Point from; // TextOut/TextRect: text position; Line: start
    Point to; // Line: end (not drawn)
    Rect rect; // TextRect: clip; FillRect/Rectangle/StretchDraw: area
    std::string text; // GBK
    // State in force when the call was made.
    std::string fontName; // GBK
    int fontPoints = 0;
    int fontPixels = 0;
    Color fontColor = 0;
    PenStyle penStyle = PenStyle::Solid;
    int penWidth = 1;
    Color penColor = 0;
    Color brushColor = 0;
    std::vector<Rect> excluded; // rectangles left out by ExcludeClipRect
};

class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(int dpiX = 96, int dpiY = 96, Rect clip = { 0, 0, 10000, 10000 });

    int DpiX() const override { return dpiX_; }
    int DpiY() const override { return dpiY_; }
    Rect ClipRect() const override { return clip_; }

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
    void ExcludeClipRect(const Rect& r) override { excluded_.push_back(r); }
    void ResetClip() override { excluded_.clear(); }

    // The fake window system's default font size, taken for a size of 0.
    static constexpr int kDefaultPoints = 12;
    // Metrics of the fake font.
    int FontPixels() const { return fontPixels_; }
    static int PixelsFor(int points, int dpiY);

    std::vector<CanvasOp> ops;
    int extentCalls = 0;
    std::vector<CanvasOp> OfKind(CanvasOp::Kind kind) const;
    std::vector<CanvasOp> Texts() const; // TextOut and TextRect, in order
    std::vector<CanvasOp> Lines() const;
    void Clear() { ops.clear(); }

private:
    CanvasOp Make(CanvasOp::Kind kind) const;
    bool Shows(const Rect& bounds) const;
    int dpiX_;
    int dpiY_;
    Rect clip_;
    std::string fontName_;
    int fontPoints_ = 0;
    int fontPixels_ = 0;
    Color fontColor_ = 0;
    PenStyle penStyle_ = PenStyle::Solid;
    int penWidth_ = 1;
    Color penColor_ = 0;
    Color brushColor_ = kWhite;
    Point pen_;
    std::vector<Rect> excluded_;
};

// A bitmap whose canvas records.
class RecordingBitmap : public Bitmap {
public:
    RecordingBitmap(int dpiX = 96, int dpiY = 96)
        : dpiX_(dpiX)
        , dpiY_(dpiY)
        , canvas_(dpiX, dpiY, { 0, 0, 0, 0 })
    {
    }
    void SetSize(int width, int height) override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    Canvas& GetCanvas() override { return canvas_; }
    RecordingCanvas& Recorder() { return canvas_; }

private:
    int dpiX_;
    int dpiY_;
    int width_ = 0;
    int height_ = 0;
    RecordingCanvas canvas_;
};

class RecordingBitmapFactory : public BitmapFactory {
public:
    std::unique_ptr<Bitmap> CreateBitmap(int dpiX, int dpiY) override
    {
        return std::make_unique<RecordingBitmap>(dpiX, dpiY);
    }
};

} // namespace quillet
