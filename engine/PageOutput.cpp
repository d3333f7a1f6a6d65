// Whole pages: onto any canvas, into the preview, and onto the printer.
#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "engine/BuffPaper.h"
#include "engine/EngineError.h"
#include "platform/Texts.h"

namespace quillet {
namespace {

constexpr char kJobNotStarted[] = QUILLET_TEXT("PageOutput", "无法开始打印作业");
constexpr char kJobNotEnded[] = QUILLET_TEXT("PageOutput", "打印作业没有正常结束");

// The engine's words, followed by the printing system's reason when it gave one.
std::string JobMessage(const char* words, const PrinterHost& host)
{
    const std::string reason = host.FailureText();
    const std::string text = Tr("PageOutput", words);
    return reason.empty() ? text : FillIn(Tr("PageOutput", "%1：%2"), { text, reason });
}

} // namespace

void TMyBuffPaper::RenderBlocks(Canvas& canvas, double fx, double fy)
{
    const TMyPrintFormat& f = format_;
    // Only this render draws on the canvas until it returns, so the font it
    // set last is the canvas's font.
    fontInUse_ = FontInUse {};
    fontInUse_.tracking = true;
    // A page at another resolution than the screen's takes its lengths from
    // texts measured on the page bitmap, as the preview does.
    reference_
        = fx == screen_.PixelsPerMmX && fy == screen_.PixelsPerMmY ? nullptr : &PageImage().GetCanvas();
    struct StopTracking {
        FontInUse& font;
        Canvas*& reference;
        ~StopTracking()
        {
            font = FontInUse {};
            reference = nullptr;
        }
    } stopTracking { fontInUse_, reference_ };

    canvas.SetBrushColor(kWhite);
    LayoutBlock(canvas, fy);

    const int savedLeft = TableLeft;
    const int savedTop = TableTop;
    const int savedRight = TableRight;
    const int savedBottom = TableBottom;
    auto restoreEdges = [&] {
        TableLeft = savedLeft;
        TableTop = savedTop;
        TableRight = savedRight;
        TableBottom = savedBottom;
    };
    const int blockHeight = TableBottom - TableTop;
    const int blocks = IsOn(f.MultiTables) ? BlocksPerPage : 1;
    CurrentBlock = FirstBlockOfPage();

    try {
        for (int k = 1; k <= blocks; ++k) {
            const int hc = DrawCompany(canvas, fx, fy).Height;
            const int ht = DrawTitle(canvas, hc, fx, fy).Height;
            const int hh = DrawPageHead(canvas, hc + ht, fx, fy).Height;
            const int hb = DrawTableBody(canvas, hc + ht + hh, fx, fy).Height;
            DrawPageFoot(canvas, hc + ht + hh + hb, fx, fy);
            // The next block starts one reserved block height plus the gap
            // lower, whatever the drawn parts took.
            TableTop = TableBottom + f.TableGap;
            TableBottom = TableTop + blockHeight;
            if (IsOn(f.MultiTables) && IsOn(f.TableGapLine) && k < blocks) {
                TMyLineSpec separator;
                separator.Style = 5;
                separator.Color = kBlack;
                const int y = TableTop - f.TableGap / 2;
                DrawRule(canvas, f.MarginLeft, y, PageWidth - f.MarginRight, y, separator, fx, fy);
            }
            ++CurrentBlock;
        }
    } catch (...) {
        // Design-state editing hit-tests the first block: keep its edges.
        restoreEdges();
        throw;
    }
    restoreEdges();
    if (IsOn(f.PrintPageNumber))
        DrawPageNumber(canvas, fx, fy);
}

void TMyBuffPaper::RenderPage(Canvas& canvas, bool toPrinter)
{
    if (!toPrinter) {
        RenderBlocks(canvas, screen_.PixelsPerMmX, screen_.PixelsPerMmY);
        return;
    }
    std::unique_ptr<PrintJob> job = printer_.Host().BeginJob(jobTitle_);
    if (!job)
        throw EngineError(JobMessage(kJobNotStarted, printer_.Host()));
    try {
        RenderBlocks(job->GetCanvas(), printer_.PixelsPerMmX, printer_.PixelsPerMmY);
    } catch (...) {
        // A half-drawn page never reaches the paper.
        job->Abort();
        throw;
    }
    if (!job->End())
        throw EngineError(JobMessage(kJobNotEnded, printer_.Host()));
}

void TMyBuffPaper::ShowCurrentPage()
{
    ClearPageImage();
    paper_.DrawBlankPage();
    Bitmap& preview = paper_.Host().PreviewPicture();
    const Rect target { 1, 1, preview.Width() - 6, preview.Height() - 6 };
    try {
        if (ViewRate == 100.0) {
            // At full size the page is drawn straight into the preview. The
            // page bitmap would only be read to shrink it for a smaller zoom,
            // so drawing it too would be wasted; it stays cleared.
            RenderPage(preview.GetCanvas(), false);
        } else {
            RenderPage(pageImage_->GetCanvas(), false);
            preview.GetCanvas().StretchDraw(target, *pageImage_);
        }
    } catch (...) {
        // The user sees the page as far as it was drawn.
        paper_.Host().PreviewPictureChanged();
        throw;
    }
    paper_.Host().PreviewPictureChanged();
}

int TMyBuffPaper::PrintPages(int first, int last, PrintProgress* progress)
{
    const int saved = CurrentPage;
    const int total = PagesInRange(first, last);
    int done = 0;
    if (PrintsRunAsOneJob()) {
        done = PrintRunAsOneJob(first, last, total, progress);
        CurrentPage = saved;
        return done;
    }
    PrinterHost& host = printer_.Host();
    // The page whose job was sent last and may still be on its way to the
    // printer while the next page is drawn; 0 when none.
    int sent = 0;
    // Learns how the sent page went. A failure stops the run at that page,
    // as if it had been reported before the next page began.
    auto settle = [&] {
        const int page = std::exchange(sent, 0);
        if (page == 0 || host.WaitForSent())
            return;
        CurrentPage = page;
        throw EngineError(JobMessage(kJobNotEnded, host));
    };
    for (long long n = first; n <= last; ++n) {
        if (progress && !progress->BeforePage(done, total))
            break;
        CurrentPage = static_cast<int>(n);
        jobTitle_
            = format_.Title.Text.Text() + "(" + std::to_string(n) + "/" + std::to_string(PageCount) + ")";
        std::unique_ptr<PrintJob> job = host.BeginJob(jobTitle_);
        if (!job) {
            const std::string why = JobMessage(kJobNotStarted, host);
            settle();
            throw EngineError(why);
        }
        try {
            RenderBlocks(job->GetCanvas(), printer_.PixelsPerMmX, printer_.PixelsPerMmY);
        } catch (...) {
            // A half-drawn page never reaches the paper; the page before it
            // is told first.
            job->Abort();
            settle();
            throw;
        }
        try {
            settle();
        } catch (...) {
            job->Abort();
            throw;
        }
        if (!job->Send())
            throw EngineError(JobMessage(kJobNotEnded, host));
        sent = static_cast<int>(n);
        ++done;
    }
    settle();
    CurrentPage = saved;
    return done;
}

int TMyBuffPaper::PrintRunAsOneJob(int first, int last, int total, PrintProgress* progress)
{
    if (total <= 0)
        return 0;
    if (progress && !progress->BeforePage(0, total))
        return 0;
    // "(第2-6页)" says pages 2 to 6: a job of one page is titled "(2/6)",
    // and the PDF printer names that job's file "(2-6)". The title names
    // files, so it is the same in every language.
    jobTitle_ = format_.Title.Text.Text() + "(\xB5\xDA" + std::to_string(first) + "-" + std::to_string(last)
        + "\xD2\xB3)";
    std::unique_ptr<PrintJob> job = printer_.Host().BeginJob(jobTitle_);
    if (!job)
        throw EngineError(JobMessage(kJobNotStarted, printer_.Host()));
    int done = 0;
    try {
        for (long long n = first; n <= last; ++n) {
            // Stopped between pages, the whole job is thrown away: half a
            // two-sided, collated run is of no use on paper.
            if (done > 0 && progress && !progress->BeforePage(done, total)) {
                job->Abort();
                return 0;
            }
            if (done > 0 && !job->NextPage())
                throw EngineError(JobMessage(kJobNotEnded, printer_.Host()));
            CurrentPage = static_cast<int>(n);
            RenderBlocks(job->GetCanvas(), printer_.PixelsPerMmX, printer_.PixelsPerMmY);
            ++done;
        }
    } catch (...) {
        job->Abort();
        throw;
    }
    if (!job->End())
        throw EngineError(JobMessage(kJobNotEnded, printer_.Host()));
    return done;
}

} // namespace quillet
