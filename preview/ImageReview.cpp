#include "preview/ImageReview.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <algorithm>
#include <utility>
#include <vector>
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
    continuation_.setSingleShot(true);
    continuation_.setInterval(0);
    connect(&continuation_, &QTimer::timeout, this, [this] {
        pending_ &= visibleRegion();
        if (!pending_.isEmpty())
            update(pending_);
    });
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
    tiles_.clear();
    pending_ = QRegion();
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
    renderedArea_ += static_cast<long long>(area.width()) * area.height();
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
    tiles_.clear();
    pending_ = QRegion();
}

quint64 TImageReview::TileKey(int column, int row)
{
    return (static_cast<quint64>(static_cast<quint32>(column)) << 32) | static_cast<quint32>(row);
}

QRect TImageReview::TileRect(int column, int row) const
{
    return QRect(column * kTile, row * kTile, kTile, kTile) & rect();
}

void TImageReview::DropFarTiles(const QRect& seen)
{
    const double ratio = keptRatio_ > 0 ? keptRatio_ : 1.0;
    const long long perTile = static_cast<long long>(kTile * ratio) * static_cast<long long>(kTile * ratio);
    if (static_cast<long long>(tiles_.size()) * perTile <= kMaxKeptPixels)
        return;
    // Keep what is seen and a view's width and height around it.
    const QRect near = seen.adjusted(-seen.width(), -seen.height(), seen.width(), seen.height());
    for (auto it = tiles_.begin(); it != tiles_.end();) {
        const int column = static_cast<int>(static_cast<qint32>(it.key() >> 32));
        const int row = static_cast<int>(static_cast<qint32>(it.key() & 0xFFFFFFFFu));
        if (TileRect(column, row).intersects(near))
            ++it;
        else
            it = tiles_.erase(it);
    }
}

void TImageReview::DrawEnlarged(QPainter& painter, const QRect& tile, const QImage& page)
{
    const QColor grey = QColor::fromRgb(kAreaGrey);
    const QRect sheet(0, 0, width() - kShadow, height() - kShadow);
    painter.fillRect(tile, grey);
    painter.fillRect(tile & sheet, Qt::white);
    if (page.isNull() || !(view_.sx > 0) || !(view_.sy > 0))
        return;
    const QRectF target = QRectF(tile & sheet);
    const QRectF source((target.left() - view_.ox) / view_.sx, (target.top() - view_.oy) / view_.sy,
        target.width() / view_.sx, target.height() / view_.sy);
    painter.drawImage(target, page, source);
}

void TImageReview::paintEvent(QPaintEvent* event)
{
    const double ratio = devicePixelRatioF();
    if (keptRatio_ != ratio) {
        tiles_.clear();
        pending_ = QRegion();
        keptRatio_ = ratio;
    }
    const QRect needed = event->rect() & rect();
    QPainter painter(this);
    painter.setClipRegion(event->region());
    if (needed.isEmpty())
        return;
    const int firstColumn = needed.left() / kTile;
    const int lastColumn = needed.right() / kTile;
    const int firstRow = needed.top() / kTile;
    const int lastRow = needed.bottom() / kTile;
    // The missing tiles, nearest the middle of what is seen first.
    const QPoint middle = visibleRegion().boundingRect().united(needed).center();
    std::vector<std::pair<long long, QPoint>> missing;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            if (tiles_.contains(TileKey(column, row)))
                continue;
            const QPoint d = TileRect(column, row).center() - middle;
            missing.push_back({ static_cast<long long>(d.x()) * d.x() + static_cast<long long>(d.y()) * d.y(),
                QPoint(column, row) });
        }
    }
    std::sort(missing.begin(), missing.end(),
        [](const auto& a, const auto& b) { return a.first < b.first; });
    // Without the engine's picture to stand in, everything is drawn now.
    const QImage page = missing.empty() || !picture_ ? QImage() : picture_();
    QElapsedTimer clock;
    clock.start();
    for (const auto& [distance, at] : missing) {
        const QRect tile = TileRect(at.x(), at.y());
        if (!page.isNull() && clock.elapsed() >= kPaintBudgetMs) {
            pending_ |= tile;
            continue;
        }
        tiles_.insert(TileKey(at.x(), at.y()), Render(tile, ratio));
        pending_ -= tile;
    }
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const QRect tile = TileRect(column, row);
            const auto found = tiles_.constFind(TileKey(column, row));
            if (found == tiles_.constEnd())
                DrawEnlarged(painter, tile, page);
            else if (found->isNull())
                painter.fillRect(tile, QColor::fromRgb(kAreaGrey));
            else
                painter.drawImage(tile.topLeft(), *found);
        }
    }
    if (!marks_.empty()) {
        // Every hit of the page lightly, the current one stronger.
        QColor light = palette().color(QPalette::Highlight);
        QColor strong = light;
        light.setAlpha(60);
        strong.setAlpha(130);
        for (std::size_t i = 0; i < marks_.size(); ++i) {
            const QRectF& m = marks_[i];
            const QRectF onScreen(
                m.x() * view_.sx + view_.ox, m.y() * view_.sy + view_.oy, m.width() * view_.sx, m.height() * view_.sy);
            painter.fillRect(onScreen.adjusted(-1, -1, 1, 1),
                static_cast<int>(i) == currentMark_ ? strong : light);
        }
    }
    DropFarTiles(visibleRegion().boundingRect().united(needed));
    if (!pending_.isEmpty() && !continuation_.isActive()) {
        // The rest in the following paints, once the window has answered
        // what is waiting (a timer: its turn comes after the input).
        continuation_.start();
    }
}

void TImageReview::SetMarks(std::vector<QRectF> marks, int current)
{
    if (marks == marks_ && current == currentMark_)
        return;
    marks_ = std::move(marks);
    currentMark_ = current;
    update();
}

} // namespace quillet
