#include "preview/ImageReview.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <cmath>

#include "platform/qt/QtCanvas.h"

namespace quillet {
namespace {

constexpr int kShadow = 5; // the control is one shadow wider and taller than its sheet

int DotsPerMetre(int dpi)
{
    return static_cast<int>(std::lround(dpi / 0.0254));
}

// The blank sheet on the control's picture of width x height: white, a black
// edge on the left and top, a shadow 5 pixels deep on the right and bottom.
void DrawBlankSheet(Canvas& c, int width, int height)
{
    const Rect r { 0, 0, width, height };
    c.SetBrushColor(kWhite);
    c.FillRect(r);
    c.SetBrushColor(kBlack);
    c.FillRect({ r.right - kShadow, r.top, r.right, r.bottom });
    c.SetBrushColor(kGray);
    c.FillRect({ r.right - kShadow, r.top, r.right, r.top + kShadow });
    c.SetBrushColor(kBlack);
    c.FillRect({ r.left, r.bottom - kShadow, r.right, r.bottom });
    c.SetBrushColor(kGray);
    c.FillRect({ r.left, r.bottom - kShadow, r.left + kShadow, r.bottom });
    c.SetPen(PenStyle::Solid, 1, kBlack);
    c.MoveTo(0, r.bottom - kShadow);
    c.LineTo(0, 0);
    c.LineTo(r.right - kShadow, 0);
}

} // namespace

TImageReview::TImageReview(int dpiX, int dpiY, PageRenderer render, QWidget* parent)
    : QWidget(parent)
    , dpiX_(dpiX > 0 ? dpiX : 96)
    , dpiY_(dpiY > 0 ? dpiY : 96)
    , render_(std::move(render))
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TImageReview::SetPageView(const PageView& view)
{
    if (view == view_)
        return;
    view_ = view;
    PageChanged();
}

void TImageReview::PageChanged()
{
    kept_ = QImage();
    update();
}

QImage TImageReview::Render(const QRect& area, double ratio)
{
    if (area.isEmpty() || !(ratio > 0))
        return {};
    const QSize pixels(static_cast<int>(std::ceil(area.width() * ratio)),
        static_cast<int>(std::ceil(area.height() * ratio)));
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    ++renders_;
    // The resolution the engine measures its text at, whatever the density.
    image.setDotsPerMeterX(DotsPerMetre(dpiX_));
    image.setDotsPerMeterY(DotsPerMetre(dpiY_));
    image.fill(kAreaGrey);
    const int sheetWidth = width() - kShadow;
    const int sheetHeight = height() - kShadow;
    {
        QtCanvas canvas(image);
        canvas.SetDpi(dpiX_, dpiY_);
        const double dx = -area.x() * ratio;
        const double dy = -area.y() * ratio;
        canvas.SetDeviceMap({ ratio, ratio, dx, dy });
        DrawBlankSheet(canvas, sheetWidth, sheetHeight);
        canvas.SetDeviceMap(
            { view_.sx * ratio, view_.sy * ratio, view_.ox * ratio + dx, view_.oy * ratio + dy });
        if (render_) {
            try {
                render_(canvas);
            } catch (...) {
                // The engine has reported the error when it drew the page;
                // the screen shows the page as far as it goes.
            }
        }
        canvas.End();
    }
    // The page stops at the sheet's edge, as on the picture the engine draws.
    QPainter painter(&image);
    const int right = static_cast<int>(std::floor(sheetWidth * ratio - area.x() * ratio + 0.5));
    const int bottom = static_cast<int>(std::floor(sheetHeight * ratio - area.y() * ratio + 0.5));
    const QColor grey = QColor::fromRgb(kAreaGrey);
    if (right < image.width())
        painter.fillRect(QRect(std::max(0, right), 0, image.width(), image.height()), grey);
    if (bottom < image.height())
        painter.fillRect(QRect(0, std::max(0, bottom), image.width(), image.height()), grey);
    painter.end();
    image.setDevicePixelRatio(ratio);
    return image;
}

bool TImageReview::event(QEvent* event)
{
    // Moved to a screen of another density: draw again for it.
    if (event->type() == QEvent::ScreenChangeInternal)
        PageChanged();
    return QWidget::event(event);
}

void TImageReview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    kept_ = QImage();
}

void TImageReview::paintEvent(QPaintEvent* event)
{
    const double ratio = devicePixelRatioF();
    const QRect needed = event->rect();
    if (kept_.isNull() || keptRatio_ != ratio || !keptArea_.contains(needed)) {
        QRect area = rect();
        if (static_cast<double>(area.width()) * area.height() * ratio * ratio > kMaxKeptPixels) {
            // Too large to keep whole: what is seen and half as much again around it.
            QRect seen = visibleRegion().boundingRect().united(needed);
            seen.adjust(-seen.width() / 2, -seen.height() / 2, seen.width() / 2, seen.height() / 2);
            area = seen & rect();
        }
        kept_ = Render(area, ratio);
        keptArea_ = area;
        keptRatio_ = ratio;
    }
    QPainter painter(this);
    if (kept_.isNull()) {
        painter.fillRect(needed, QColor::fromRgb(kAreaGrey));
        return;
    }
    painter.setClipRegion(event->region());
    painter.drawImage(keptArea_.topLeft(), kept_);
}

} // namespace quillet
