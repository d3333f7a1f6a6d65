// wide_bench [--columns N] [--pages N] [--keep]: the bench ledger widened to
// 500 columns, of which an A4 sheet shows the first eight or so; the rest
// lies beyond the paper's right edge and must cost (almost) nothing:
//   - RenderPage of one page onto the screen's page bitmap (96 dpi),
//   - the report as one PDF through our PDF canvas, as `quillet --pdf`
//     writes it, in pages a second and bytes a page,
//   - PrintPages to the PDF folder printer (a document a page),
//   - peak resident memory (VmHWM).
// Build it in a Release tree; figures from a sanitizer build mean nothing.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchRig.h"
#include "platform/pdf/PdfFileHost.h"
#include "platform/qt/FontSubstitutions.h"

using namespace quillet;

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Made before the host that draws into it.
struct DocumentHolder {
    std::unique_ptr<pdf::PdfDocument> document = std::make_unique<pdf::PdfDocument>();
};
struct OneDocumentHost : DocumentHolder, pdf::PdfFileHost {
    OneDocumentHost()
        : pdf::PdfFileHost(*document)
    {
    }
};

void Report(const char* what, double value, const char* unit)
{
    std::printf("%-58s %10.2f %s\n", what, value, unit);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    int columns = kMaxCols;
    int pages = 20;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--columns" && i + 1 < argc)
            columns = std::atoi(argv[++i]);
        else if (arg == "--pages" && i + 1 < argc)
            pages = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--keep")
            keep = true;
    }
    QTemporaryDir temp;
    const QString pdfFolder = PrepareScratch(temp, keep);
    QApplication app(argc, argv);
    InstallFontSubstitutions();

    const std::string dataPath = temp.filePath(QStringLiteral("wide.dat")).toStdString();
    if (!WriteWideData(dataPath, pages, columns)) {
        std::fprintf(stderr, "wide_bench: cannot write %s\n", dataPath.c_str());
        return 1;
    }
    if (keep) {
        // The layout beside its data, for a run of the program itself.
        TMyPrintFormat format;
        BuildWideFormat(format, columns);
        TMyPaperSpec a4Portrait { 9, 210, 290, 1 };
        if (format.SaveToFile(temp.filePath(QStringLiteral("wide.fmt")).toStdString(), a4Portrait) != kFileOk)
            return 1;
    }
    std::printf("wide ledger: %d columns, %d rows, %d pages, data %.1f MB\n", columns, kRowsPerBlock, pages,
        QFileInfo(QString::fromStdString(dataPath)).size() / 1e6);

    {
        EngineRig rig;
        BuildWideFormat(rig.format, columns);
        if (!rig.Start(dataPath))
            return 1;
        Canvas& canvas = rig.buffer->PageImage().GetCanvas();
        rig.buffer->RenderPage(canvas, false); // grand totals and font caches warm
        std::vector<double> times;
        for (int page = 1; page <= rig.buffer->PageCount; ++page) {
            rig.buffer->CurrentPage = page;
            const auto start = std::chrono::steady_clock::now();
            rig.buffer->RenderPage(canvas, false);
            times.push_back(Seconds(start) * 1000);
        }
        std::sort(times.begin(), times.end());
        Report("RenderPage at 96 dpi, median of the pages", times[times.size() / 2], "ms");
    }
    {
        BasicEngineRig<OneDocumentHost> rig;
        BuildWideFormat(rig.format, columns);
        if (!rig.Start(dataPath))
            return 1;
        TMyBuffPaper& buffer = *rig.buffer;
        OneDocumentHost& host = rig.printerHost;
        const std::string path = temp.filePath(QStringLiteral("wide.pdf")).toStdString();
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        if (!host.document->StreamTo(path, &error)) {
            std::fprintf(stderr, "wide_bench: %s\n", error.c_str());
            return 1;
        }
        buffer.PrintPages(1, buffer.PageCount);
        if (!host.document->Save(path, &error)) {
            std::fprintf(stderr, "wide_bench: %s\n", error.c_str());
            return 1;
        }
        const double seconds = Seconds(start);
        Report("one PDF as --pdf writes it", seconds * 1000 / buffer.PageCount, "ms/page");
        Report("  its size", QFileInfo(QString::fromStdString(path)).size() / 1024.0 / buffer.PageCount,
            "KB/page");
        Report("peak resident memory (VmHWM) so far", PeakResidentKb() / 1024.0, "MB");
    }
    {
        EngineRig rig;
        BuildWideFormat(rig.format, columns);
        if (!rig.Start(dataPath) || !rig.printerHost.CurrentIsPdf()) {
            std::fprintf(stderr, "wide_bench: the PDF printer is missing\n");
            return 1;
        }
        const auto start = std::chrono::steady_clock::now();
        rig.buffer->PrintPages(1, rig.buffer->PageCount);
        const double seconds = Seconds(start);
        long long bytes = 0;
        for (const QFileInfo& f : QDir(pdfFolder).entryInfoList({ QStringLiteral("*.pdf") }, QDir::Files))
            bytes += f.size();
        Report("PrintPages to the PDF folder printer", seconds * 1000 / rig.buffer->PageCount, "ms/page");
        Report("  its files", bytes / 1024.0 / rig.buffer->PageCount, "KB/page");
    }
    Report("peak resident memory (VmHWM)", PeakResidentKb() / 1024.0, "MB");
    return 0;
}
