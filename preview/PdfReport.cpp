#include "preview/PdfReport.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include "engine/EngineError.h"
#include "geometry/HeadlessPaperHost.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "platform/FileSystem.h"
#include "platform/GbkCodec.h"
#include "platform/NumberLocale.h"
#include "platform/pdf/FaceLibrary.h"
#include "platform/pdf/PdfCanvas.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfFileHost.h"
#include "platform/qt/Language.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/OutputMessages.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtPrinterHost.h"

namespace quillet {
namespace {

// The sheet's picture on the screen, never shown in an export: it keeps no
// pixels.
class UnshownPicture : public QtBitmap {
public:
    using QtBitmap::QtBitmap;
    void SetSize(int, int) override { }
};

// The page buffer's own picture, which an export only measures texts on:
// a page takes its lengths from texts measured at the screen's resolution.
// The PDF canvas measures as the screen's canvas does (the same faces and
// hinting), so a thread drawing pages keeps no screen-sized sheet and loads
// no toolkit fonts of its own.
class MeasuringPicture : public Bitmap {
public:
    MeasuringPicture(pdf::FaceLibrary& faces, int dpiX, int dpiY)
        : document_(pdf::PdfDocument::kDefaultCompression, &faces)
        , canvas_(document_.BeginPage(Sheet(dpiX, dpiY)))
    {
    }
    void SetSize(int, int) override { }
    int Width() const override { return 1; }
    int Height() const override { return 1; }
    Canvas& GetCanvas() override { return canvas_; }

private:
    static pdf::PageSetup Sheet(int dpiX, int dpiY)
    {
        pdf::PageSetup sheet;
        sheet.dpiX = dpiX > 0 ? dpiX : 96;
        sheet.dpiY = dpiY > 0 ? dpiY : 96;
        sheet.widthPixels = sheet.heightPixels = 1;
        sheet.widthPoints = 72.0 / sheet.dpiX;
        sheet.heightPoints = 72.0 / sheet.dpiY;
        return sheet;
    }

    pdf::PdfDocument document_;
    Canvas& canvas_;
};

class MeasuringPictures : public BitmapFactory {
public:
    explicit MeasuringPictures(pdf::FaceLibrary& faces)
        : faces_(faces)
    {
    }
    std::unique_ptr<Bitmap> CreateBitmap(int dpiX, int dpiY) override
    {
        return std::make_unique<MeasuringPicture>(faces_, dpiX, dpiY);
    }

private:
    pdf::FaceLibrary& faces_;
};

std::atomic<int> gJobs { 0 };

PdfReportResult Failure(const QString& message, int pages = 0)
{
    return { PdfReportResult::Failed, pages, message };
}

// What a page that failed says. A whole report runs without its pages on
// the screen: a bad cell says where it lies.
QString FailureText(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const EngineError& error) {
        return QString::fromStdString(MessageWithPlace(error));
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QTr("PdfReport", "发生了未知的错误");
    }
}

// The pages' drawing tools: a printer on a PDF host whose sheet is the
// preview's, a paper and a page buffer laid out as `layout` says.
struct PageDrawer {
    PageDrawer(pdf::PdfDocument& document, TMyPrintFormat& format, TMyPrintData& data,
        const TMyScreen& screen, const PdfReportPages& layout)
        : host(document)
        , printer((host.UseWholeSheet(layout.pageWidth, layout.pageHeight), host))
        , paper(paperHost, screen)
        , measuring(document.Faces())
    {
        static_cast<TMyPaperSpec&>(printer) = layout.sheet;
        printer.ApplySettings();
        pages.emplace(format, data, screen, printer, paper, measuring);
        pages->SetPageSize(layout.pageWidth, layout.pageHeight);
        pages->PrintRate = layout.printRate;
    }
    void CountAs(const TMyBuffPaper& counted)
    {
        pages->PageCount = counted.PageCount;
        pages->BlocksPerPage = counted.BlocksPerPage;
        pages->BlockCount = counted.BlockCount;
        pages->LastBlockRows = counted.LastBlockRows;
    }

    // The pages are the preview on paper: the sheet the preview shows, every
    // line at the millimetre it has there (not on a printer's printable area).
    pdf::PdfFileHost host;
    TMyPrinter printer;
    HeadlessPaperHost<UnshownPicture> paperHost;
    TMyPaper paper;
    MeasuringPictures measuring;
    std::optional<TMyBuffPaper> pages;
};

// Pages drawn on several threads and written in order by the one that made
// them, which draws pages too while the next one to write is not ready. Each
// other thread has its own copy of the layout, view of the data file, faces,
// printer and page buffer, and hands each page over drawn and compressed;
// only a few pages wait at a time, so memory stays small however long the
// report.
class ParallelPages {
public:
    using Draw = std::function<pdf::PageRecord(int)>;

    ParallelPages(int last, int threads)
        : limit_(last)
        , window_(2 * threads + 2)
    {
    }
    ~ParallelPages() { Stop(); }

    // Starts a thread drawing pages with `draw`.
    void Start(Draw draw)
    {
        threads_.emplace_back([this, draw] { Run(draw); });
    }

    // Page n: its record, or the failure that stopped it. Meanwhile pages
    // are drawn here with `draw`.
    bool Take(int n, const Draw& draw, pdf::PageRecord& page, std::exception_ptr& failure)
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (auto f = failures_.find(n); f != failures_.end()) {
                failure = f->second;
                return false;
            }
            if (auto it = done_.find(n); it != done_.end()) {
                page = std::move(it->second);
                done_.erase(it);
                written_ = n;
                room_.notify_all();
                return true;
            }
            if (!Claim(lock, draw))
                ready_.wait(lock);
        }
    }

    // No page more is begun; the threads end after the pages they draw.
    void Stop()
    {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        room_.notify_all();
        for (std::thread& t : threads_)
            t.join();
        threads_.clear();
    }

private:
    bool CanBegin() const { return !stopped_ && next_ <= limit_ && next_ <= written_ + window_; }

    // Draws the next page not begun, when there is one and room for it.
    bool Claim(std::unique_lock<std::mutex>& lock, const Draw& draw)
    {
        if (!CanBegin())
            return false;
        const int n = next_++;
        lock.unlock();
        std::optional<pdf::PageRecord> page;
        std::exception_ptr failure;
        try {
            page = draw(n);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure) {
            // The pages before it are still wanted: the first page that
            // fails is the one the run reports.
            failures_.emplace(n, failure);
            limit_ = std::min(limit_, n);
        } else {
            done_.emplace(n, std::move(*page));
        }
        ready_.notify_all();
        return true;
    }

    void Run(const Draw& draw)
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            room_.wait(lock, [&] { return stopped_ || next_ > limit_ || CanBegin(); });
            if (!CanBegin())
                return;
            Claim(lock, draw);
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_; // a page is drawn
    std::condition_variable room_; // a page is written, or the run stops
    std::vector<std::thread> threads_;
    int next_ = 1;
    int limit_; // no page after it is begun
    int written_ = 0;
    const int window_;
    bool stopped_ = false;
    std::map<int, pdf::PageRecord> done_;
    std::map<int, std::exception_ptr> failures_;
};

// The threads' own copies of the layout and views of the data file; none
// when the file cannot be read twice.
struct ThreadData {
    TMyPrintFormat format;
    std::unique_ptr<TMyPrintData> data; // a twin of the report's, over format
};

// One thread's faces, document and page buffer; each page it draws ends as
// a record instead of in the document.
struct PageWorker {
    PageWorker(ThreadData& own, const TMyBuffPaper& counted, const TMyScreen& screen,
        const PdfReportPages& layout)
        : document(pdf::PdfDocument::kDefaultCompression, &faces)
        , drawer(document, own.format, *own.data, screen, layout)
    {
        document.SendPagesTo([this](pdf::PageRecord&& drawn) { page = std::move(drawn); });
        drawer.CountAs(counted);
    }
    pdf::PageRecord Draw(int n)
    {
        page.reset();
        drawer.pages->PrintPages(n, n);
        if (!page)
            throw std::runtime_error(QTr("PdfReport", "发生了未知的错误").toStdString());
        return std::move(*page);
    }

    pdf::FaceLibrary faces;
    pdf::PdfDocument document;
    PageDrawer drawer;
    std::optional<pdf::PageRecord> page;
};

std::vector<std::unique_ptr<ThreadData>> ShareData(
    const TMyPrintFormat& format, TMyPrintData& data, int threads)
{
    // The grand totals are summed once over the whole file, here, and
    // handed on, rather than once more by every thread.
    for (int slot = 1; slot <= kMaxMergedCells; ++slot) {
        const TMyMergedCell& cell = format.MergedCells[static_cast<std::size_t>(slot)];
        if (cell.Top != 0 && cell.Kind == kMergedGrandTotal) {
            data.ColumnTotal(1);
            break;
        }
    }
    std::vector<std::unique_ptr<ThreadData>> copies;
    for (int i = 0; i < threads; ++i) {
        auto copy = std::make_unique<ThreadData>();
        copy->format = format;
        copy->data = data.Twin(copy->format);
        if (!copy->data)
            return {};
        copies.push_back(std::move(copy));
    }
    return copies;
}

} // namespace

int PdfJobs()
{
    const int set = gJobs.load();
    if (set > 0)
        return set;
    return static_cast<int>(
        std::clamp(std::thread::hardware_concurrency(), 1u, static_cast<unsigned>(kMaxPdfJobs)));
}

void SetPdfJobs(int jobs)
{
    gJobs = std::clamp(jobs, 0, kMaxPdfJobs);
}

QString PdfWriteFailure(const QString& path, int number, const std::string& file)
{
    return QTr("PdfReport", "无法写入PDF文件“%1”，%2").arg(path, FileFailure(number, file));
}

PdfReportResult WriteReportPdf(TMyPrintFormat& format, TMyPrintData& data, const TMyScreen& screen,
    const PdfReportPages& layout, const std::string& path, const std::vector<std::string>& inUse, PrintProgress* progress, int jobs)
{
    QtPrinterHost::PreparePdfCanvas();
    pdf::PdfDocument document;
    document.SetTitle(GbkToUtf8(format.Title.Text.Text()));
    // Pages go into a file beside the PDF as they end, so a long report needs
    // little memory, and a folder that cannot take the file is known before
    // the first page is drawn. Save renames it into place; a document left
    // unsaved (cancel, failure) takes its file with it.
    const OutputTarget target = CheckOutputTarget(path, inUse);
    if (target.refusal != OutputRefusal::None)
        return Failure(OutputRefusalText(target.refusal, PathForMessage(path)));
    if (!document.StreamTo(path))
        return Failure(PdfWriteFailure(PathForMessage(path), document.ErrorNumber(), target.file));
    int drawn = 0;
    try {
        PageDrawer drawer(document, format, data, screen, layout);
        TMyBuffPaper& pages = *drawer.pages;
        if (layout.counted)
            drawer.CountAs(*layout.counted);
        else
            pages.Paginate();
        const int threads = std::min(jobs > 0 ? std::min(jobs, kMaxPdfJobs) : PdfJobs(), pages.PageCount);
        std::vector<std::unique_ptr<ThreadData>> copies;
        if (threads > 1)
            copies = ShareData(format, data, threads - 1); // this thread draws too
        if (copies.empty()) {
            drawn = pages.PrintPages(1, pages.PageCount, progress);
            if (drawn < pages.PageCount)
                return { PdfReportResult::Cancelled, drawn, QString() };
        } else {
            // Set before the threads start: they only read it.
            CurrentNumberLocale();
            std::vector<std::unique_ptr<PageWorker>> workers;
            for (auto& copy : copies)
                workers.push_back(std::make_unique<PageWorker>(*copy, pages, screen, layout));
            // Pages drawn here go the way of the others, to be added in turn.
            std::optional<pdf::PageRecord> drawnHere;
            document.SendPagesTo([&drawnHere](pdf::PageRecord&& page) { drawnHere = std::move(page); });
            const ParallelPages::Draw drawHere = [&](int n) {
                drawnHere.reset();
                pages.PrintPages(n, n);
                if (!drawnHere)
                    throw std::runtime_error(QTr("PdfReport", "发生了未知的错误").toStdString());
                return std::move(*drawnHere);
            };
            ParallelPages run(pages.PageCount, threads);
            for (auto& worker : workers)
                run.Start([w = worker.get()](int n) { return w->Draw(n); });
            for (int n = 1; n <= pages.PageCount; ++n) {
                if (progress && !progress->BeforePage(drawn, pages.PageCount))
                    return { PdfReportResult::Cancelled, drawn, QString() };
                pdf::PageRecord page;
                std::exception_ptr failure;
                if (!run.Take(n, drawHere, page, failure))
                    return Failure(FailureText(failure), drawn);
                document.AddPage(std::move(page));
                ++drawn;
            }
            document.SendPagesTo(nullptr);
        }
    } catch (const std::exception&) {
        return Failure(FailureText(std::current_exception()), drawn);
    } catch (...) {
        return Failure(FailureText(std::current_exception()), drawn);
    }
    if (!document.Save(path))
        return Failure(PdfWriteFailure(PathForMessage(path), document.ErrorNumber(), target.file), drawn);
    return { PdfReportResult::Written, drawn, QString() };
}

} // namespace quillet
