#include "preview/ThumbnailWorker.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "engine/BuffPaper.h"
#include "geometry/HeadlessPaperHost.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtCanvas.h"

namespace quillet {
namespace {

// Thrown through the page engine to leave a page that is no longer wanted.
struct Abandoned { };

int DotsPerMetre(double dpi)
{
    return static_cast<int>(std::lround(dpi / 0.0254));
}

// A canvas that leaves the page at its next drawing step once told to.
class StoppableCanvas : public QtCanvas {
public:
    StoppableCanvas(QImage& image, const std::function<bool()>& abandon)
        : QtCanvas(image)
        , abandon_(abandon)
    {
    }
    Size TextExtent(std::string_view text) override
    {
        Check();
        return QtCanvas::TextExtent(text);
    }
    void TextOut(int x, int y, std::string_view text) override
    {
        Check();
        QtCanvas::TextOut(x, y, text);
    }
    void TextRect(const Rect& clip, int x, int y, std::string_view text) override
    {
        Check();
        QtCanvas::TextRect(clip, x, y, text);
    }
    void LineTo(int x, int y) override
    {
        Check();
        QtCanvas::LineTo(x, y);
    }
    void FillRect(const Rect& r) override
    {
        Check();
        QtCanvas::FillRect(r);
    }
    void Rectangle(const Rect& r) override
    {
        Check();
        QtCanvas::Rectangle(r);
    }

private:
    void Check()
    {
        if (abandon_())
            throw Abandoned {};
    }
    const std::function<bool()>& abandon_;
};

// The data read for a page that is no longer wanted fails at its next read:
// a grand total over a long file does not hold the page up.
class StoppableSource : public ByteSource {
public:
    StoppableSource(std::unique_ptr<ByteSource> source, std::function<bool()> abandon)
        : source_(std::move(source))
        , abandon_(std::move(abandon))
    {
    }
    long long ReadAt(std::uint64_t offset, char* buf, std::size_t size) override
    {
        return abandon_() ? -1 : source_->ReadAt(offset, buf, size);
    }
    std::optional<FileStamp> Stamp() const override { return source_->Stamp(); }

private:
    std::unique_ptr<ByteSource> source_;
    std::function<bool()> abandon_;
};

} // namespace

// The thread's page buffer over the report, with what it draws through.
struct ThumbnailWorker::Pages {
    HeadlessPaperHost<QtBitmap> host;
    QtBitmapFactory bitmaps;
    std::unique_ptr<TMyPaper> paper;
    std::unique_ptr<TMyBuffPaper> buffer;
};

ThumbnailWorker::ThumbnailWorker() = default;

ThumbnailWorker::~ThumbnailWorker()
{
    Stop();
}

std::unique_ptr<TMyPrintData> ThumbnailWorker::DataFor(const TMyPrintData& data, TMyPrintFormat& format)
{
    return data.Twin(format, [this](std::unique_ptr<ByteSource> source) -> std::unique_ptr<ByteSource> {
        return std::make_unique<StoppableSource>(std::move(source), [this] { return Abandon(); });
    });
}

bool ThumbnailWorker::Abandon() const
{
    return stopNow_.load(std::memory_order_relaxed) || leftView_.load(std::memory_order_relaxed)
        || generation_.load(std::memory_order_relaxed) != drawingFor_;
}

void ThumbnailWorker::Start()
{
    if (thread_.joinable())
        return;
    stop_ = false;
    stopNow_ = false;
    thread_ = std::thread([this] { Run(); });
}

void ThumbnailWorker::SetReport(std::unique_ptr<ThumbnailReport> report, quint64 generation)
{
    std::lock_guard lock(mutex_);
    next_ = std::move(report);
    reportChanged_ = true;
    generation_ = generation;
    wanted_.clear();
    sent_.clear();
    // A thread that is not running takes the report when it starts.
    wake_.notify_all();
}

void ThumbnailWorker::Want(
    quint64 generation, const std::vector<int>& pages, QSize size, double ratio, quint64 seen)
{
    std::lock_guard lock(mutex_);
    while (!sent_.empty() && sent_.front().first <= seen)
        sent_.pop_front();
    const bool fresh = generation != generation_;
    if (fresh) {
        // A new picture size: the page being drawn is of no use any more.
        generation_ = generation;
        sent_.clear();
    }
    size_ = size;
    ratio_ = ratio;
    // The page being drawn that left the view is left too.
    if (!fresh && drawing_ != 0 && std::find(pages.begin(), pages.end(), drawing_) == pages.end())
        leftView_ = true;
    wanted_.clear();
    for (const int page : pages) {
        // The page being drawn comes only if it is drawn for this generation and still in view.
        const bool underway = (page == drawing_ && drawingFor_ == generation_ && !leftView_)
            || std::any_of(sent_.begin(), sent_.end(), [page](const auto& s) { return s.second == page; });
        if (!underway)
            wanted_.push_back(page);
    }
    if (!wanted_.empty())
        Start();
    wake_.notify_all();
}

bool ThumbnailWorker::Idle()
{
    std::lock_guard lock(mutex_);
    return wanted_.empty() && drawing_ == 0;
}

quint64 ThumbnailWorker::Sent()
{
    std::lock_guard lock(mutex_);
    return sequence_;
}

void ThumbnailWorker::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        stopNow_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    stop_ = false;
    stopNow_ = false;
    wanted_.clear();
    sent_.clear();
    drawing_ = 0;
    // What the pictures were drawn from goes too; a new start gets a new report.
    pages_.reset();
    report_.reset();
    next_.reset();
    reportChanged_ = false;
}

void ThumbnailWorker::Run()
{
    for (;;) {
        int page = 0;
        QSize size;
        double ratio = 1.0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || reportChanged_ || (!wanted_.empty() && report_); });
            if (stop_)
                return;
            if (reportChanged_) {
                pages_.reset();
                report_ = std::move(next_);
                reportChanged_ = false;
                continue;
            }
            page = wanted_.front();
            wanted_.pop_front();
            drawing_ = page;
            drawingFor_ = generation_;
            leftView_ = false;
            size = size_;
            ratio = ratio_;
        }
        QImage picture = Draw(page, size, ratio);
        quint64 sequence = 0;
        const quint64 generation = drawingFor_;
        {
            std::lock_guard lock(mutex_);
            drawing_ = 0;
            if (stop_)
                return;
            if (generation != generation_ || (picture.isNull() && leftView_))
                continue; // drawn for a layout or a size gone since, or left
            sequence = ++sequence_;
            sent_.emplace_back(sequence, page);
        }
        emit Drawn(generation, page, picture, sequence);
    }
}

QImage ThumbnailWorker::Draw(int page, QSize size, double ratio)
{
    ThumbnailReport& report = *report_;
    const std::function<bool()> abandon = [this] { return Abandon(); };
    try {
        if (!pages_) {
            auto pages = std::make_unique<Pages>();
            pages->paper = std::make_unique<TMyPaper>(pages->host, *report.screen);
            pages->buffer = std::make_unique<TMyBuffPaper>(
                report.format, *report.data, *report.screen, *report.printer, *pages->paper, pages->bitmaps);
            TMyBuffPaper& b = *pages->buffer;
            b.SetPageSize(report.pageWidth, report.pageHeight);
            b.PrintRate = report.printRate;
            b.PageCount = report.pageCount;
            b.BlocksPerPage = report.blocksPerPage;
            b.BlockCount = report.blockCount;
            b.LastBlockRows = report.lastBlockRows;
            pages_ = std::move(pages);
        }
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull())
            return {};
        image.fill(Qt::white);
        const TMyScreen& screen = *report.screen;
        // Measured at the screen's resolution, as the page in the window is.
        image.setDotsPerMeterX(DotsPerMetre(screen.DpiX));
        image.setDotsPerMeterY(DotsPerMetre(screen.DpiY));
        TMyBuffPaper& b = *pages_->buffer;
        {
            StoppableCanvas canvas(image, abandon);
            canvas.SetDpi(static_cast<int>(screen.DpiX), static_cast<int>(screen.DpiY));
            const double pageX = b.PageWidth * screen.PixelsPerMmX;
            const double pageY = b.PageHeight * screen.PixelsPerMmY;
            if (pageX > 0 && pageY > 0)
                canvas.SetDeviceMap({ image.width() / pageX, image.height() / pageY, 0, 0 });
            b.CurrentPage = page;
            b.RenderPage(canvas, false);
            canvas.End();
        }
        image.setDevicePixelRatio(ratio);
        return image;
    } catch (...) {
        // A bad cell, a data file cut short, a layout the engine refuses, or
        // a page no longer wanted: no picture. The window tells the user
        // what is wrong when the page is turned to.
        return {};
    }
}

} // namespace quillet
