// startup_bench [--lines N] [--folder F] [--keep]: how long the preview
// window takes to show its first page on a ledger of N lines (10,000,000
// unless given; about 17 GB on disk), and what of it the page count takes.
// The ledger is the bench's (46 lines a sheet, subtotals and grand totals
// under every block); it is opened twice, cold from the file just written
// and again, once with its grand totals and once with them taken out of the
// layout, so that the count, the first page and the sums are told apart.
// Build it in a Release tree; figures from a sanitizer build mean nothing.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/BenchRig.h"
#include "bench/BenchWindow.h"
#include "platform/qt/FontSubstitutions.h"

using namespace quillet;

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Opens the window on the two files and shows it; the seconds until the
// first page is on the screen, or a negative number when it did not open.
double OpenWindow(const std::string& data, const std::string& format, int& pages, double& countMs)
{
    BenchServices services;
    const CommandArguments arguments { data, format, "NotDef" };
    const auto start = std::chrono::steady_clock::now();
    TFrmPrintReview window(
        services.Services(), [&arguments](TFrmPrintReview& w) { RunStartup(w, arguments); });
    if (window.EndRequested())
        return -1;
    window.resize(1200, 900);
    window.show();
    QApplication::processEvents();
    const double seconds = Seconds(start);
    pages = window.BuffPaper->PageCount;
    const auto counting = std::chrono::steady_clock::now();
    window.BuffPaper->Paginate();
    countMs = Seconds(counting) * 1000;
    window.close();
    QApplication::processEvents();
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    qputenv("QUILLET_NONINTERACTIVE", QByteArrayLiteral("1"));
    long long lines = 10'000'000;
    bool keep = false;
    QString folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--lines" && i + 1 < argc)
            lines = std::atoll(argv[++i]);
        else if (arg == "--folder" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--keep")
            keep = true;
    }
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    QTemporaryDir temp(folder.isEmpty() ? QDir::tempPath() + QStringLiteral("/startup-XXXXXX")
                                        : folder + QStringLiteral("/startup-XXXXXX"));
    temp.setAutoRemove(!keep);
    const std::string data = temp.filePath(QStringLiteral("ledger.dat")).toStdString();
    const long long cells
        = (lines + kLinesPerBlock - 1) / kLinesPerBlock * (kRowsPerBlock - kHeadRows) * kColumns;
    const auto writing = std::chrono::steady_clock::now();
    if (!WriteLedgerData(data, cells, kLinesPerBlock, kFootRows, true)) {
        std::fprintf(stderr, "startup_bench: cannot write %s\n", data.c_str());
        return 1;
    }
    std::printf("ledger of %lld lines: %.1f GB written in %.1f s\n", lines, (1232.0 + 201.0 * cells) / 1e9,
        Seconds(writing));

    TMyPrintFormat withTotals;
    BuildBenchFormat(withTotals);
    TMyPrintFormat withoutTotals = withTotals;
    for (TMyMergedCell& m : withoutTotals.MergedCells)
        if (m.Kind == kMergedGrandTotal)
            m = TMyMergedCell {};
    const struct {
        const char* name;
        TMyPrintFormat& format;
    } layouts[] = { { "without grand totals", withoutTotals }, { "with grand totals", withTotals } };
    int failures = 0;
    for (const auto& layout : layouts) {
        const std::string format = temp.filePath(QStringLiteral("ledger.fmt")).toStdString();
        TMyPaperSpec a4 { 9, 210, 290, 1 };
        if (layout.format.SaveToFile(format, a4) != kFileOk)
            return 1;
        for (int run = 1; run <= 2; ++run) {
            int pages = 0;
            double countMs = 0;
            const double seconds = OpenWindow(data, format, pages, countMs);
            if (seconds < 0)
                ++failures;
            std::printf("%-22s run %d: %d pages, first page shown after %7.3f s, page count %.3f ms\n",
                layout.name, run, pages, seconds, countMs);
            std::fflush(stdout);
        }
    }
    return failures == 0 ? 0 : 1;
}
