#pragma once
// Makes QtBitmaps for the page engine and the preview.
#include "platform/Bitmap.h"

namespace quillet {

class QtBitmapFactory : public BitmapFactory {
public:
    std::unique_ptr<Bitmap> CreateBitmap(int dpiX, int dpiY) override;
};

} // namespace quillet
