#include "preview/ImageReview.h"

#include <QPaintEvent>
#include <QPainter>

namespace quillet {

TImageReview::TImageReview(PictureSource picture, QWidget* parent)
    : QWidget(parent)
    , picture_(std::move(picture))
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TImageReview::paintEvent(QPaintEvent* event)
{
    const QImage* image = picture_ ? picture_() : nullptr;
    if (!image || image->isNull())
        return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(0, 0, *image);
}

} // namespace quillet
