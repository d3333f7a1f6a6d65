#include "platform/qt/QtBitmap.h"

#include <QtMath>

namespace quillet {
namespace {

int DotsPerMetre(int dpi)
{
    return qRound(dpi / 0.0254);
}

} // namespace

QtBitmap::QtBitmap(int dpiX, int dpiY)
    : dpiX_(dpiX > 0 ? dpiX : 96)
    , dpiY_(dpiY > 0 ? dpiY : 96)
    , image_(1, 1, QImage::Format_RGB32)
    , canvas_(image_)
{
    image_.fill(Qt::white);
    ApplyDpi();
    canvas_.SetDpi(dpiX_, dpiY_);
}

void QtBitmap::ApplyDpi()
{
    image_.setDotsPerMeterX(DotsPerMetre(dpiX_));
    image_.setDotsPerMeterY(DotsPerMetre(dpiY_));
}

void QtBitmap::SetSize(int width, int height)
{
    canvas_.End();
    if (width == image_.width() && height == image_.height())
        return;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide
        || static_cast<long long>(width) * height > kMaxPixels) {
        image_ = QImage();
    } else {
        image_ = QImage(width, height, QImage::Format_RGB32);
        if (!image_.isNull())
            image_.fill(Qt::white);
    }
    ApplyDpi();
}

const QImage& QtBitmap::Image()
{
    canvas_.End();
    return image_;
}

} // namespace quillet
