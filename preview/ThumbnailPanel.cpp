#include "preview/ThumbnailPanel.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "engine/BuffPaper.h"
#include "geometry/HeadlessPaperHost.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtCanvas.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"

namespace quillet {
namespace {

// Drawing stops for the window's other work after this long.
constexpr qint64 kSliceMs = 15;
// The frame that marks the page shown.
constexpr int kMark = 3;

int DotsPerMetre(double dpi)
{
    return static_cast<int>(std::lround(dpi / 0.0254));
}

} // namespace

const QImage* ThumbnailCache::Find(int page)
{
    const auto found = images_.find(page);
    if (found == images_.end())
        return nullptr;
    order_.splice(order_.begin(), order_, found->second.second);
    return &found->second.first;
}

void ThumbnailCache::Put(int page, QImage image)
{
    const auto found = images_.find(page);
    if (found != images_.end()) {
        found->second.first = std::move(image);
        order_.splice(order_.begin(), order_, found->second.second);
        return;
    }
    order_.push_front(page);
    images_.emplace(page, std::make_pair(std::move(image), order_.begin()));
    SetLimit(limit_);
}

void ThumbnailCache::SetLimit(std::size_t limit)
{
    limit_ = std::max<std::size_t>(1, limit);
    while (images_.size() > limit_) {
        images_.erase(order_.back());
        order_.pop_back();
    }
}

void ThumbnailCache::Clear()
{
    images_.clear();
    order_.clear();
}

TThumbnailPanel::TThumbnailPanel(TFrmPrintReview& window, QWidget* parent)
    : QAbstractScrollArea(parent)
    , window_(window)
{
    setObjectName(QStringLiteral("ThumbnailPanel"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMinimumWidth(ViewSettings::kMinThumbnailWidth);
    viewport()->setCursor(Qt::PointingHandCursor);
    slice_.setSingleShot(true);
    slice_.setInterval(0);
    connect(&slice_, &QTimer::timeout, this, [this] { DrawSome(); });
}

TThumbnailPanel::~TThumbnailPanel() = default;

QSize TThumbnailPanel::PictureSize() const
{
    const int width = std::max(16, viewport()->width() - 2 * kMargin);
    const TMyBuffPaper* b = window_.BuffPaper.get();
    if (!b || b->PageWidth <= 0 || b->PageHeight <= 0)
        return { width, width * 290 / 210 };
    const double height = static_cast<double>(width) * b->PageHeight / b->PageWidth;
    return { width, std::clamp(static_cast<int>(std::lround(height)), 8, 8 * width) };
}

int TThumbnailPanel::RowHeight() const
{
    return PictureSize().height() + 2 * kMargin + kLabel;
}

int TThumbnailPanel::FirstPage() const
{
    return verticalScrollBar()->value() + 1;
}

int TThumbnailPanel::PagesInView() const
{
    const int row = RowHeight();
    return (viewport()->height() + row - 1) / row;
}

int TThumbnailPanel::PageAt(const QPoint& at) const
{
    if (!window_.BuffPaper || at.y() < 0 || !viewport()->rect().contains(at))
        return 0;
    const long long page = FirstPage() + static_cast<long long>(at.y() / RowHeight());
    return page <= window_.BuffPaper->PageCount ? static_cast<int>(page) : 0;
}

void TThumbnailPanel::UpdateRange()
{
    const int count = window_.BuffPaper ? std::max(0, window_.BuffPaper->PageCount) : 0;
    const int whole = std::max(1, viewport()->height() / RowHeight());
    verticalScrollBar()->setRange(0, std::max(0, count - whole));
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(whole);
}

void TThumbnailPanel::ShowPage(int page)
{
    UpdateRange();
    const int whole = std::max(1, viewport()->height() / RowHeight());
    if (page < FirstPage())
        verticalScrollBar()->setValue(page - 1);
    else if (page >= FirstPage() + whole)
        verticalScrollBar()->setValue(page - whole);
}

void TThumbnailPanel::PageShown()
{
    if (!window_.BuffPaper)
        return;
    // A page drawn again (a new zoom, a resized window) leaves the panel
    // where the user scrolled it; a page turned to comes into view.
    const int current = window_.BuffPaper->CurrentPage;
    if (current != lastShown_ || !isVisible())
        ShowPage(current);
    lastShown_ = isVisible() ? current : 0;
    viewport()->update();
}

void TThumbnailPanel::ReportChanged()
{
    pages_.reset();
    paper_.reset();
    paperHost_.reset();
    cache_.Clear();
    viewport()->update();
}

bool TThumbnailPanel::MakePages()
{
    TFrmPrintReview& w = window_;
    if (!w.BuffPaper || !w.PrintFormat || !w.PrintData)
        return false;
    try {
        auto host = std::make_unique<HeadlessPaperHost<QtBitmap>>();
        auto paper = std::make_unique<TMyPaper>(*host, *w.Screen);
        auto pages = std::make_unique<TMyBuffPaper>(
            *w.PrintFormat, *w.PrintData, *w.Screen, *w.Printer, *paper, w.Services.bitmaps);
        const TMyBuffPaper& b = *w.BuffPaper;
        pages->SetPageSize(b.PageWidth, b.PageHeight);
        pages->PrintRate = b.PrintRate;
        // The window's pages, counted already.
        pages->PageCount = b.PageCount;
        pages->BlocksPerPage = b.BlocksPerPage;
        pages->BlockCount = b.BlockCount;
        pages->LastBlockRows = b.LastBlockRows;
        paperHost_ = std::move(host);
        paper_ = std::move(paper);
        pages_ = std::move(pages);
    } catch (...) {
        // The window tells what is wrong with the layout; the panel stays grey.
        return false;
    }
    return true;
}

QImage TThumbnailPanel::DrawPage(int page)
{
    const double ratio = std::max(1.0, devicePixelRatioF());
    const QSize size = PictureSize();
    QImage image(QSize(static_cast<int>(std::ceil(size.width() * ratio)),
                     static_cast<int>(std::ceil(size.height() * ratio))),
        QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(Qt::white);
    if (!pages_ && !MakePages())
        return image;
    const TMyScreen& screen = *window_.Screen;
    // Measured at the screen's resolution, as the page in the window is.
    image.setDotsPerMeterX(DotsPerMetre(screen.DpiX));
    image.setDotsPerMeterY(DotsPerMetre(screen.DpiY));
    {
        QtCanvas canvas(image);
        canvas.SetDpi(static_cast<int>(screen.DpiX), static_cast<int>(screen.DpiY));
        const double pageX = pages_->PageWidth * screen.PixelsPerMmX;
        const double pageY = pages_->PageHeight * screen.PixelsPerMmY;
        if (pageX > 0 && pageY > 0)
            canvas.SetDeviceMap({ image.width() / pageX, image.height() / pageY, 0, 0 });
        pages_->CurrentPage = page;
        try {
            pages_->RenderPage(canvas, false);
        } catch (...) {
            // A page the engine cannot draw shows as far as it went; the
            // window says why when the page is turned to.
        }
        canvas.End();
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

int TThumbnailPanel::NextMissing()
{
    if (!window_.BuffPaper)
        return 0;
    const int last = std::min(window_.BuffPaper->PageCount, FirstPage() + PagesInView() - 1);
    // The page shown first, then the others from the top.
    const int current = window_.BuffPaper->CurrentPage;
    if (current >= FirstPage() && current <= last && !cache_.Find(current))
        return current;
    for (int page = FirstPage(); page <= last; ++page)
        if (!cache_.Find(page))
            return page;
    return 0;
}

void TThumbnailPanel::DrawSome()
{
    if (!isVisible() || window_.PageRunActive())
        return;
    UsePictureSize();
    QElapsedTimer time;
    time.start();
    while (const int page = NextMissing()) {
        cache_.Put(page, DrawPage(page));
        ++drawn_;
        if (time.elapsed() >= kSliceMs)
            break;
    }
    viewport()->update();
    if (NextMissing())
        slice_.start();
}

void TThumbnailPanel::UsePictureSize()
{
    const double ratio = std::max(1.0, devicePixelRatioF());
    const QSize device = PictureSize() * ratio;
    if (device == pictureFor_)
        return;
    cache_.Clear();
    pictureFor_ = device;
    const std::size_t bytes = static_cast<std::size_t>(device.width()) * device.height() * 4;
    const std::size_t least = 2 * static_cast<std::size_t>(PagesInView());
    cache_.SetLimit(std::clamp(kMaxKeptBytes / std::max<std::size_t>(1, bytes), least, kMaxKept));
}

void TThumbnailPanel::DrawAllInView()
{
    UsePictureSize();
    while (const int page = NextMissing()) {
        cache_.Put(page, DrawPage(page));
        ++drawn_;
    }
}

void TThumbnailPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor::fromRgb(TImageReview::kAreaGrey));
    if (!window_.BuffPaper)
        return;
    const int count = window_.BuffPaper->PageCount;
    const int current = window_.BuffPaper->CurrentPage;
    const QSize size = PictureSize();
    const int row = RowHeight();
    const double ratio = std::max(1.0, devicePixelRatioF());
    const bool fresh = pictureFor_ == size * ratio;
    bool missing = false;
    for (int i = 0; i < PagesInView(); ++i) {
        const int page = FirstPage() + i;
        if (page > count)
            break;
        const QRect picture(QPoint((viewport()->width() - size.width()) / 2, i * row + kMargin), size);
        if (page == current)
            painter.fillRect(picture.adjusted(-kMark, -kMark, kMark, kMark), palette().highlight());
        const QImage* image = fresh ? cache_.Find(page) : nullptr;
        if (image && !image->isNull()) {
            painter.drawImage(picture, *image);
        } else {
            painter.fillRect(picture, Qt::white);
            missing = true;
        }
        painter.setPen(page == current ? palette().highlightedText().color() : QColor(Qt::white));
        const QRect label(0, picture.bottom() + kMark + 1, viewport()->width(), kLabel);
        if (page == current)
            painter.fillRect(label.adjusted(picture.left() - kMark, 0, -(picture.left() - kMark), 0),
                palette().highlight());
        painter.drawText(label, Qt::AlignCenter, QString::number(page));
    }
    if (missing && !slice_.isActive())
        slice_.start();
}

void TThumbnailPanel::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateRange();
}

void TThumbnailPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int page = PageAt(event->position().toPoint());
    if (page > 0 && page != window_.BuffPaper->CurrentPage)
        window_.JumpToPage(page);
}

void TThumbnailPanel::scrollContentsBy(int, int)
{
    viewport()->update();
}

} // namespace quillet
