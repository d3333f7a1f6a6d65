#pragma once
// An off-screen picture in a QImage (32-bit RGB) whose dots-per-metre carry
// the resolution it was made for, with a QtCanvas drawing on it.
#include <QImage>

#include "platform/Bitmap.h"
#include "platform/qt/QtCanvas.h"

namespace quillet {

class QtBitmap : public Bitmap {
public:
    QtBitmap(int dpiX, int dpiY);

    // Sizes outside 0..kMaxSide or above kMaxPixels leave an empty picture:
    // a hostile page size must not exhaust memory.
    void SetSize(int width, int height) override;
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    Canvas& GetCanvas() override { return canvas_; }
    QtCanvas& GetQtCanvas() { return canvas_; }

    // The picture as drawn so far; ends the canvas's painter first.
    const QImage& Image();

    static constexpr int kMaxSide = 32767;
    static constexpr long long kMaxPixels = 100LL * 1000 * 1000;

private:
    void ApplyDpi();

    int dpiX_;
    int dpiY_;
    QImage image_;
    QtCanvas canvas_;
};

} // namespace quillet
