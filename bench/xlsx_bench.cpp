// xlsx_bench [--rows N] [--big N] [--keep]: the bench ledger exported as an
// Excel workbook (the report sheet with its formulas and outline, and the
// data sheet) and as CSV.
//   (a) 10,000 ledger lines: our export against LibreOffice converting the
//       same table from CSV to XLSX (soffice --headless, one run each);
//   (b) 1,000,000 lines: time and peak memory (constant-memory mode: flat
//       with the row count).
// Each export runs in a child process of its own, so its peak memory is its
// own.
// Build it in a Release tree; figures from a sanitizer build mean nothing.
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/BenchRig.h"
#include "export/XlsxReport.h"
#include "platform/GbkCodec.h"

using namespace quillet;

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long long CellsFor(long long lines)
{
    return (lines + kLinesPerBlock - 1) / kLinesPerBlock * (kRowsPerBlock - kHeadRows) * kColumns;
}

// The ledger's pages as pagination counts them: one block a sheet.
XlsxPagination PagesFor(const TMyPrintFormat& f, long long cells)
{
    const long long perBlock = static_cast<long long>(f.DataRowsPerBlock()) * f.Cols();
    XlsxPagination p;
    p.blockCount = static_cast<int>((cells + perBlock - 1) / perBlock);
    p.pageCount = std::max(1, p.blockCount);
    const long long rest = cells % perBlock;
    p.lastBlockRows = rest == 0 && cells > 0
        ? f.Rows()
        : f.HeadRows() + static_cast<int>((rest + f.Cols() - 1) / f.Cols());
    return p;
}

// Processor time this process has used, in all its threads: on a busy
// machine it tells more than the wall clock.
double ProcessorSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double gProcessorAtStart = 0;

// Exports `lines` ledger lines as a workbook, or as CSV; seconds taken, or -1.
double Export(const QTemporaryDir& temp, long long lines, const char* name, int* sheets = nullptr,
    int* dataSheets = nullptr, bool csv = false)
{
    const std::string dataPath
        = temp.filePath(QStringLiteral("%1.dat").arg(QLatin1String(name))).toStdString();
    const long long cells = CellsFor(lines);
    if (!WriteLedgerData(dataPath, cells, kLinesPerBlock, kFootRows, true))
        return -1;
    TMyPrintFormat format;
    BuildBenchFormat(format);
    TMyPrintData data(format);
    if (data.Open(dataPath) != kFileOk)
        return -1;
    data.ReadHeadFoot();
    gProcessorAtStart = ProcessorSeconds();
    const auto start = std::chrono::steady_clock::now();
    const std::string out
        = temp.filePath(QStringLiteral("%1.%2").arg(QLatin1String(name), QLatin1String(csv ? "csv" : "xlsx")))
              .toStdString();
    const XlsxReportResult result = csv
        ? WriteReportCsv(format, data, PagesFor(format, cells), out, { dataPath })
        : WriteReportXlsx(format, data, PagesFor(format, cells), out, { dataPath });
    if (result.outcome != XlsxReportResult::Written) {
        std::fprintf(
            stderr, "xlsx_bench: export failed: %s (%d)\n", result.message.c_str(), result.errorNumber);
        return -1;
    }
    if (sheets)
        *sheets = result.sheets;
    if (dataSheets)
        *dataSheets = result.dataSheets;
    return Seconds(start);
}

// One export in a child process: prints its time and peak memory; the
// seconds taken, or -1.
double ExportInChild(const QTemporaryDir& temp, long long lines, const char* name, bool csv)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return -1;
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        int sheets = 0, dataSheets = 0;
        const double s = Export(temp, lines, name, &sheets, &dataSheets, csv);
        const QString what
            = QStringLiteral("%1, %2 lines").arg(QLatin1String(csv ? "CSV" : "workbook")).arg(lines);
        if (csv)
            std::printf("%-52s %10.3f s\n", what.toUtf8().constData(), s);
        else
            std::printf("%-52s %10.3f s   (%d report sheets, %d data sheets; %.3f s of processor time)\n",
                what.toUtf8().constData(), s, sheets, dataSheets, ProcessorSeconds() - gProcessorAtStart);
        std::printf("%-52s %10.1f MB%s\n", "  peak resident memory (VmHWM)", PeakResidentKb() / 1024.0,
            lines >= 1000000 ? "  (target < 80 MB)" : "");
        std::fflush(stdout);
        const bool sent = ::write(channel[1], &s, sizeof s) == static_cast<ssize_t>(sizeof s);
        ::_exit(s < 0 || !sent ? 1 : 0);
    }
    ::close(channel[1]);
    double s = -1;
    if (child < 0 || ::read(channel[0], &s, sizeof s) != static_cast<ssize_t>(sizeof s))
        s = -1;
    ::close(channel[0]);
    int status = 0;
    if (child > 0)
        ::waitpid(child, &status, 0);
    return status == 0 ? s : -1;
}

// The same table as CSV, converted by LibreOffice; seconds, or -1.
double LibreOfficeCsv(const QTemporaryDir& temp, long long lines)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        return -1;
    const QString csv = temp.filePath(QStringLiteral("ledger.csv"));
    std::ofstream out(csv.toStdString());
    for (long long i = 0; i < lines; ++i) {
        const std::vector<std::string> cells = ExampleRowCells(static_cast<int>(i));
        for (std::size_t c = 0; c < cells.size(); ++c)
            out << (c ? "," : "") << GbkToUtf8(cells[c]);
        out << '\n';
    }
    out.close();
    const QString profile
        = QStringLiteral("-env:UserInstallation=file://") + temp.filePath(QStringLiteral("lo"));
    // Once to make its profile, so the timed run is a warm start.
    QProcess::execute(soffice, { profile, QStringLiteral("--headless"), QStringLiteral("--version") });
    const auto start = std::chrono::steady_clock::now();
    const int status = QProcess::execute(soffice,
        { profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("xlsx"),
            QStringLiteral("--outdir"), temp.filePath(QStringLiteral("lo-out")), csv });
    return status == 0 ? Seconds(start) : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    long long lines = 10000, big = 1000000;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rows" && i + 1 < argc)
            lines = std::atoll(argv[++i]);
        else if (arg == "--big" && i + 1 < argc)
            big = std::atoll(argv[++i]);
        else if (arg == "--keep")
            keep = true;
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    temp.setAutoRemove(!keep);
    if (keep)
        std::printf("files in %s\n", qPrintable(temp.path()));

    const double ours = ExportInChild(temp, lines, "report", false);
    const double csv = ExportInChild(temp, lines, "report", true);
    const double large = ExportInChild(temp, big, "big", false);
    const double largeCsv = ExportInChild(temp, big, "big", true);
    const double theirs = LibreOfficeCsv(temp, lines);
    if (theirs < 0)
        std::printf("LibreOffice (soffice) not found or failed: no comparison\n");
    else
        std::printf("%-52s %10.3f s   (%.1fx our workbook; target >= 10x)\n",
            "LibreOffice CSV -> XLSX, same lines", theirs, theirs / ours);
    return ours < 0 || csv < 0 || large < 0 || largeCsv < 0 ? 1 : 0;
}
