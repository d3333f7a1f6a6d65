// xlsx_bench [--rows N] [--big N] [--keep]: the bench ledger exported as an
// Excel workbook.
//   (a) 10,000 ledger lines: our export against LibreOffice converting the
//       same table from CSV to XLSX (soffice --headless, one run each);
//   (b) 1,000,000 lines in a child process: time and its peak memory
//       (constant-memory mode: flat with the row count).
// Build it in a Release tree; figures from a sanitizer build mean nothing.
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fstream>
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

// Exports `lines` ledger lines; seconds taken, or -1.
double Export(const QTemporaryDir& temp, long long lines, const char* name, int* sheets = nullptr)
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
    const auto start = std::chrono::steady_clock::now();
    const XlsxReportResult result = WriteReportXlsx(format, data, PagesFor(format, cells),
        temp.filePath(QStringLiteral("%1.xlsx").arg(QLatin1String(name))).toStdString(), { dataPath });
    if (result.outcome != XlsxReportResult::Written) {
        std::fprintf(
            stderr, "xlsx_bench: export failed: %s (%d)\n", result.message.c_str(), result.errorNumber);
        return -1;
    }
    if (sheets)
        *sheets = result.sheets;
    return Seconds(start);
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

    // The big export runs in a child of its own, so its peak memory is its own.
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        int sheets = 0;
        const double s = Export(temp, big, "big", &sheets);
        std::printf("%-52s %10.2f s   (%d sheets)\n",
            QStringLiteral("export, %1 lines").arg(big).toUtf8().constData(), s, sheets);
        std::printf("%-52s %10.1f MB  (target < 80 MB)\n", "peak resident memory (VmHWM) of that export",
            PeakResidentKb() / 1024.0);
        std::fflush(stdout);
        ::_exit(s < 0 ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);

    const double ours = Export(temp, lines, "report");
    const double theirs = LibreOfficeCsv(temp, lines);
    std::printf("%-52s %10.3f s\n", QStringLiteral("export, %1 lines").arg(lines).toUtf8().constData(), ours);
    if (theirs < 0)
        std::printf("LibreOffice (soffice) not found or failed: no comparison\n");
    else
        std::printf("%-52s %10.3f s   (%.1fx ours; target >= 5x)\n", "LibreOffice CSV -> XLSX, same lines",
            theirs, theirs / ours);
    return ours < 0 || status != 0 ? 1 : 0;
}
