#include "preview/ThumbnailPanel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "engine/BuffPaper.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"

namespace quillet {
namespace {

// The frame that marks the page shown.
constexpr int kMark = 3;
// DrawAllInView gives up after this long: a worker that never answers
// must not hang a test.
constexpr qint64 kWaitAllMs = 120000;

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
    ask_.setSingleShot(true);
    ask_.setInterval(0);
    connect(&ask_, &QTimer::timeout, this, [this] { AskForMissing(); });
    connect(&worker_, &ThumbnailWorker::Drawn, this, &TThumbnailPanel::Arrived, Qt::QueuedConnection);
}

TThumbnailPanel::~TThumbnailPanel()
{
    // Before the panel goes: the thread sends it pictures.
    worker_.Stop();
}

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
    // The pictures asked for and those on their way are of the old layout;
    // the new one is taken when pictures are next asked for, once the window
    // has counted its pages.
    ++generation_;
    worker_.SetReport(nullptr, generation_);
    reportSent_ = false;
    asked_.clear();
    cache_.Clear();
    viewport()->update();
}

double TThumbnailPanel::Ratio() const
{
    return std::max(1.0, devicePixelRatioF());
}

std::unique_ptr<ThumbnailReport> TThumbnailPanel::Snapshot()
{
    TFrmPrintReview& w = window_;
    if (!w.BuffPaper || !w.PrintFormat || !w.PrintData || !w.Screen || !w.Printer)
        return nullptr;
    auto report = std::make_unique<ThumbnailReport>();
    report->format = *w.PrintFormat;
    report->data = worker_.DataFor(*w.PrintData, report->format);
    if (!report->data)
        return nullptr;
    report->screen = std::make_unique<TMyScreen>(*w.Screen);
    report->printer = std::make_unique<TMyPrinter>(*w.Printer);
    const TMyBuffPaper& b = *w.BuffPaper;
    report->pageWidth = b.PageWidth;
    report->pageHeight = b.PageHeight;
    report->printRate = b.PrintRate;
    report->pageCount = b.PageCount;
    report->blocksPerPage = b.BlocksPerPage;
    report->blockCount = b.BlockCount;
    report->lastBlockRows = b.LastBlockRows;
    return report;
}

std::vector<int> TThumbnailPanel::MissingInView()
{
    std::vector<int> missing;
    if (!window_.BuffPaper)
        return missing;
    const int last = std::min(window_.BuffPaper->PageCount, FirstPage() + PagesInView() - 1);
    const int current = window_.BuffPaper->CurrentPage;
    if (current >= FirstPage() && current <= last && !cache_.Find(current))
        missing.push_back(current);
    for (int page = FirstPage(); page <= last; ++page)
        if (page != current && !cache_.Find(page))
            missing.push_back(page);
    return missing;
}

int TThumbnailPanel::NextMissing()
{
    const std::vector<int> missing = MissingInView();
    return missing.empty() ? 0 : missing.front();
}

void TThumbnailPanel::AskForMissing()
{
    if (!isVisible() || window_.PageRunActive())
        return;
    UsePictureSize();
    const std::vector<int> missing = MissingInView();
    if (missing == asked_)
        return;
    if (!missing.empty() && !reportSent_) {
        std::unique_ptr<ThumbnailReport> report = Snapshot();
        if (!report) {
            // The data cannot be read a second time: plain frames.
            for (const int page : missing)
                cache_.Put(page, QImage());
            viewport()->update();
            return;
        }
        worker_.SetReport(std::move(report), generation_);
        reportSent_ = true;
    }
    worker_.Want(generation_, missing, pictureFor_, Ratio(), seen_);
    asked_ = missing;
}

void TThumbnailPanel::Arrived(quint64 generation, int page, QImage picture, quint64 sequence)
{
    seen_ = std::max(seen_, sequence);
    if (generation != generation_) {
        ++dropped_;
        return;
    }
    cache_.Put(page, std::move(picture));
    ++drawn_;
    std::erase(asked_, page);
    viewport()->update();
}

void TThumbnailPanel::UsePictureSize()
{
    const QSize device = PictureSize() * Ratio();
    if (device == pictureFor_)
        return;
    cache_.Clear();
    pictureFor_ = device;
    // Pictures of the old size on their way are dropped.
    ++generation_;
    asked_.clear();
    const std::size_t bytes = static_cast<std::size_t>(device.width()) * device.height() * 4;
    const std::size_t least = 2 * static_cast<std::size_t>(PagesInView());
    cache_.SetLimit(std::clamp(kMaxKeptBytes / std::max<std::size_t>(1, bytes), least, kMaxKept));
}

void TThumbnailPanel::DrawAllInView()
{
    if (!isVisible())
        return;
    QElapsedTimer time;
    time.start();
    // Wakes the wait below now and then, so the time limit holds.
    QTimer tick;
    tick.start(50);
    AskForMissing();
    while ((NextMissing() || !worker_.Idle() || seen_ < worker_.Sent()) && time.elapsed() < kWaitAllMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        AskForMissing();
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
            if (image) {
                // A page that could not be drawn: a plain frame.
                painter.setPen(palette().dark().color());
                painter.drawRect(picture.adjusted(0, 0, -1, -1));
            }
            missing = missing || !image;
        }
        painter.setPen(page == current ? palette().highlightedText().color() : QColor(Qt::white));
        const QRect label(0, picture.bottom() + kMark + 1, viewport()->width(), kLabel);
        if (page == current)
            painter.fillRect(label.adjusted(picture.left() - kMark, 0, -(picture.left() - kMark), 0),
                palette().highlight());
        painter.drawText(label, Qt::AlignCenter, QString::number(page));
    }
    if (missing && !ask_.isActive())
        ask_.start();
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
    // Pages asked for that left the view are dropped, even when every page
    // now in view is there.
    if (!asked_.empty() && !ask_.isActive())
        ask_.start();
}

void TThumbnailPanel::hideEvent(QHideEvent* event)
{
    // The panel or the window closed: the page being drawn is left at once.
    worker_.Stop();
    asked_.clear();
    reportSent_ = false;
    QAbstractScrollArea::hideEvent(event);
}

} // namespace quillet
