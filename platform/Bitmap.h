#pragma once
// An off-screen picture with a canvas of its own (the page bitmap, the
// preview image's picture).
#include <memory>

#include "platform/Canvas.h"

namespace quillet {

class Bitmap {
public:
    virtual ~Bitmap() = default;
    // Resizes the picture; its contents become undefined until painted.
    virtual void SetSize(int width, int height) = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The canvas that draws on this picture; valid as long as the bitmap.
    virtual Canvas& GetCanvas() = 0;
};

// Makes bitmaps whose canvases report the given logical resolution.
class BitmapFactory {
public:
    virtual ~BitmapFactory() = default;
    virtual std::unique_ptr<Bitmap> CreateBitmap(int dpiX, int dpiY) = 0;
};

} // namespace quillet
