#include "platform/qt/QtBitmapFactory.h"

#include "platform/qt/QtBitmap.h"

namespace quillet {

std::unique_ptr<Bitmap> QtBitmapFactory::CreateBitmap(int dpiX, int dpiY)
{
    return std::make_unique<QtBitmap>(dpiX, dpiY);
}

} // namespace quillet
