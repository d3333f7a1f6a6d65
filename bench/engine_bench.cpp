// engine_bench [--rows N] [--cells N] [--keep]: figures of the page engine on a report
// with the example's layout widened to 8 columns and 50 rows a block:
//   - Paginate on a data file of a million cells (about 200 MB),
//   - RenderPage of one full page onto the screen's page bitmap (96 dpi),
//     again and again, and of each page once in turn,
//   - ShowCurrentPage at 100 % and at 50 %,
//   - PrintPages of every page of a 10,000-line report to the PDF printer,
//   - peak resident memory (VmHWM) after working on the 200 MB file.
// Build it in a Release tree; figures from a sanitizer build mean nothing.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchRig.h"
#include "platform/qt/FontSubstitutions.h"
#include "tools/ExampleReport.h"

using namespace quillet;

namespace {

double Ms(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Median wall time of `runs` calls, in milliseconds.
double MedianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(Ms(std::chrono::steady_clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A canvas that times every drawing call of the canvas it wraps, to show
// where the time of a page goes.
class TimedCanvas : public Canvas {
public:
    explicit TimedCanvas(Canvas& inner)
        : inner_(inner)
    {
    }
    struct Tally {
        double us = 0;
        long calls = 0;
    };
    std::map<std::string, Tally> tallies;

    int DpiX() const override { return inner_.DpiX(); }
    int DpiY() const override { return inner_.DpiY(); }
    Rect ClipRect() const override { return inner_.ClipRect(); }
    void SetFont(std::string_view n, int p, Color c) override
    {
        Time("SetFont", [&] { inner_.SetFont(n, p, c); });
    }
    void SetFontSize(int p) override
    {
        Time("SetFontSize", [&] { inner_.SetFontSize(p); });
    }
    void SetFontColor(Color c) override
    {
        Time("SetFontColor", [&] { inner_.SetFontColor(c); });
    }
    Size TextExtent(std::string_view t) override
    {
        Size s;
        Time("TextExtent", [&] { s = inner_.TextExtent(t); });
        return s;
    }
    void TextOut(int x, int y, std::string_view t) override
    {
        Time("TextOut", [&] { inner_.TextOut(x, y, t); });
    }
    void TextRect(const Rect& r, int x, int y, std::string_view t) override
    {
        Time("TextRect", [&] { inner_.TextRect(r, x, y, t); });
    }
    void SetPen(PenStyle st, int w, Color c) override { inner_.SetPen(st, w, c); }
    void MoveTo(int x, int y) override { inner_.MoveTo(x, y); }
    void LineTo(int x, int y) override
    {
        Time("LineTo", [&] { inner_.LineTo(x, y); });
    }
    void SetBrushColor(Color c) override { inner_.SetBrushColor(c); }
    void FillRect(const Rect& r) override
    {
        Time("FillRect", [&] { inner_.FillRect(r); });
    }
    void Rectangle(const Rect& r) override
    {
        Time("Rectangle", [&] { inner_.Rectangle(r); });
    }
    void StretchDraw(const Rect& r, Bitmap& b) override
    {
        Time("StretchDraw", [&] { inner_.StretchDraw(r, b); });
    }
    void ExcludeClipRect(const Rect& r) override
    {
        Time("ExcludeClipRect", [&] { inner_.ExcludeClipRect(r); });
    }
    void ResetClip() override
    {
        Time("ResetClip", [&] { inner_.ResetClip(); });
    }

private:
    void Time(const char* what, const std::function<void()>& call)
    {
        const auto start = std::chrono::steady_clock::now();
        call();
        Tally& t = tallies[what];
        t.us += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        ++t.calls;
    }
    Canvas& inner_;
};

void Report(const char* what, double value, const char* unit, const char* target)
{
    std::printf("%-52s %10.2f %-8s (target %s)\n", what, value, unit, target);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    long long bigCells = 1000000;
    int reportLines = 10000;
    bool keep = false; // leave the data and PDF files behind for a look
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--cells" && i + 1 < argc)
            bigCells = std::atoll(argv[++i]);
        else if (arg == "--rows" && i + 1 < argc)
            reportLines = std::atoi(argv[++i]);
        else if (arg == "--keep")
            keep = true;
    }

    QTemporaryDir temp;
    const QString pdfFolder = PrepareScratch(temp, keep);
    QApplication app(argc, argv);
    InstallFontSubstitutions();

    // A million cells: pagination, a cold first page (grand totals read the
    // whole file once), and the memory this takes.
    const std::string bigPath = temp.filePath(QStringLiteral("big.dat")).toStdString();
    if (!WriteLedgerData(bigPath, bigCells, kLinesPerBlock, kFootRows, true)) {
        std::fprintf(stderr, "engine_bench: cannot write %s\n", bigPath.c_str());
        return 1;
    }
    {
        EngineRig rig;
        BuildBenchFormat(rig.format);
        if (!rig.Start(bigPath))
            return 1;
        std::printf("data file: %lld cells, %.1f MB, %d pages\n", bigCells, (1232.0 + 201.0 * bigCells) / 1e6,
            rig.buffer->PageCount);
        Report("Paginate (1,000,000 cells)", MedianMs(50, [&] { rig.buffer->Paginate(); }), "ms", "-");
        const auto cold = std::chrono::steady_clock::now();
        rig.buffer->ShowCurrentPage();
        Report("ShowCurrentPage, first time (grand totals read)", Ms(std::chrono::steady_clock::now() - cold),
            "ms", "-");
        rig.buffer->CurrentPage = rig.buffer->PageCount;
        Report("ShowCurrentPage, last page of the big file",
            MedianMs(10, [&] { rig.buffer->ShowCurrentPage(); }), "ms", "< 15 ms");
        Report(
            "peak resident memory (VmHWM) with the 200 MB file", PeakResidentKb() / 1024.0, "MB", "< 60 MB");
    }

    // A 10,000-line report: one page drawn, shown and printed.
    const long long reportCells = static_cast<long long>((reportLines + kLinesPerBlock - 1) / kLinesPerBlock)
        * (kRowsPerBlock - kHeadRows) * kColumns;
    const std::string reportPath = temp.filePath(QStringLiteral("report.dat")).toStdString();
    if (!WriteLedgerData(reportPath, reportCells, kLinesPerBlock, kFootRows, true))
        return 1;
    EngineRig rig;
    BuildBenchFormat(rig.format);
    if (!rig.Start(reportPath))
        return 1;
    std::printf("report: %d lines, %d pages of %d rows x %d columns\n", reportLines, rig.buffer->PageCount,
        kRowsPerBlock, kColumns);
    Canvas& pageCanvas = rig.buffer->PageImage().GetCanvas();
    rig.buffer->RenderPage(pageCanvas, false); // warm the grand totals and the font caches
    Report("RenderPage, one full page at 96 dpi",
        MedianMs(100, [&] { rig.buffer->RenderPage(pageCanvas, false); }), "ms", "< 5 ms");
    {
        // Each page once, as when paging through the report: the canvas has
        // met few of the page's texts before.
        const int pages = std::min(rig.buffer->PageCount, 100);
        int page = 0;
        Report("RenderPage, successive pages at 96 dpi",
            MedianMs(pages,
                [&] {
                    rig.buffer->CurrentPage = ++page;
                    rig.buffer->RenderPage(pageCanvas, false);
                }),
            "ms", "-");
        rig.buffer->CurrentPage = 1;
    }
    {
        TimedCanvas timed(pageCanvas);
        constexpr int kRuns = 20;
        const double total = MedianMs(kRuns, [&] { rig.buffer->RenderPage(timed, false); }) * 1000;
        std::printf("  where one RenderPage goes (%.0f us with the timing):\n", total);
        double drawing = 0;
        for (const auto& [what, t] : timed.tallies) {
            std::printf("    %-14s %6ld calls %8.0f us %6.2f us a call\n", what.c_str(), t.calls / kRuns,
                t.us / kRuns, t.us / t.calls);
            drawing += t.us / kRuns;
        }
        std::printf("    %-14s %23.0f us\n", "the rest", total - drawing);
    }
    Report("ShowCurrentPage at 100 %", MedianMs(50, [&] { rig.buffer->ShowCurrentPage(); }), "ms", "< 15 ms");
    rig.buffer->SetViewRate(50);
    Report("ShowCurrentPage at 50 %", MedianMs(50, [&] { rig.buffer->ShowCurrentPage(); }), "ms", "< 15 ms");
    rig.buffer->SetViewRate(100);

    if (!rig.printerHost.CurrentIsPdf()) {
        std::fprintf(stderr, "engine_bench: the PDF printer is missing\n");
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    rig.buffer->PrintPages(1, rig.buffer->PageCount);
    const double seconds = Ms(std::chrono::steady_clock::now() - start) / 1000.0;
    const int files
        = static_cast<int>(QDir(pdfFolder).entryList({ QStringLiteral("*.pdf") }, QDir::Files).size());
    std::printf("printed %d pages into %d PDF files in %.2f s\n", rig.buffer->PageCount, files, seconds);
    Report("PrintPages to PDF", rig.buffer->PageCount / seconds, "pages/s", ">= 400 pages/s");
    return 0;
}
