// pdf_bench [--rows N] [--big N] [--sparse N] [--keep]: the 10,000-line
// ledger of engine_bench printed as PDF, in pages a second, side by side:
//   (a) the whole report in one document, as `quillet --pdf` writes it: our
//       PDF canvas (streamed to its file; at several zlib levels) against
//       Qt's PDF writer;
//   (b) one document a page, as the PDF folder printer writes print jobs:
//       the printer itself (our canvas) against Qt's PDF writer a job.
//   (c) `quillet --pdf --jobs N` for N = 1, 2 and the number of cores, each a
//       process of its own with its peak memory, on the ledger and on one of
//       --big lines (1,000,000), against LibreOffice converting the same
//       lines from CSV to PDF (the ledger only; both with --lo-big); each
//       the fastest of three runs;
//   (d) the peak memory of --pdf on a report of --sparse pages (100,000).
// The folder printer runs first, in a fresh program state (no face read, no
// font program kept), then again with what the program kept.
// Build it in a Release tree; figures from a sanitizer build mean nothing.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

#include <QProcess>
#include <QStandardPaths>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "bench/BenchRig.h"
#include "platform/GbkCodec.h"
#include "platform/pdf/FontPrograms.h"
#include "platform/pdf/PdfFileHost.h"
#include "platform/qt/FontSubstitutions.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/PdfPrinter.h"
#include "platform/qt/QtCanvas.h"

using namespace quillet;

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The document the next PdfBenchHost draws into, at the zlib level asked for.
int gCompression = pdf::PdfDocument::kDefaultCompression;

struct DocumentHolder {
    std::unique_ptr<pdf::PdfDocument> document = std::make_unique<pdf::PdfDocument>(gCompression);
};

// Made before the host that draws into it.
struct PdfBenchHost : DocumentHolder, pdf::PdfFileHost {
    PdfBenchHost()
        : pdf::PdfFileHost(*document)
    {
    }
};

// The one fixed printer, "PDF" on A4 portrait, that both of Qt's writers
// stand for.
class QtBenchHost : public PrinterHost {
public:
    std::vector<std::string> Printers() const override { return { "PDF" }; }
    int CurrentIndex() const override { return 0; }
    void SetCurrentIndex(int) override { }
    bool GetSettings(PrinterSettings& out) const override
    {
        out = PrinterSettings {};
        out.fields = DM_ORIENTATION | DM_PAPERSIZE;
        return true;
    }
    void SetSettings(const PrinterSettings&) override { }
    bool Landscape() const override { return false; }
};

// Qt's PDF writer a job, one file each in the PDF folder, as the PDF folder
// printer wrote them before it drew on our canvas.
class QtDocumentPerPageHost : public QtBenchHost {
public:
    QtDocumentPerPageHost()
        : printer_(QPrinter::HighResolution)
        , files_(LocalPath(Folder()))
    {
        PdfPrinter::Prepare(printer_);
    }
    static QString& Folder()
    {
        static QString folder;
        return folder;
    }
    int DpiX() const override { return printer_.resolution(); }
    int DpiY() const override { return printer_.resolution(); }
    int PageWidthPixels() const override { return qRound(printer_.pageRect(QPrinter::DevicePixel).width()); }
    int PageHeightPixels() const override
    {
        return qRound(printer_.pageRect(QPrinter::DevicePixel).height());
    }
    std::unique_ptr<PrintJob> BeginJob(const std::string& title) override
    {
        const QString name = QString::fromStdString(GbkToUtf8(title));
        printer_.setDocName(name);
        // Every page's title differs: its own file, as the PDF printer names it.
        const QString file = FromLocalPath(files_.FileName(name, 1));
        if (!files_.PrepareFolder())
            return nullptr;
        printer_.setOutputFileName(file);
        auto painter = std::make_unique<QPainter>();
        if (!painter->begin(&printer_))
            return nullptr;
        return std::make_unique<Job>(std::move(painter));
    }
    bool SetupDialog() override { return false; }

private:
    struct Job : PrintJob {
        explicit Job(std::unique_ptr<QPainter> p)
            : painter(std::move(p))
            , canvas(*painter)
        {
        }
        Canvas& GetCanvas() override { return canvas; }
        bool End() override { return painter->end(); }
        void Abort() override { painter->end(); }
        std::unique_ptr<QPainter> painter;
        QtCanvas canvas;
    };
    QPrinter printer_;
    PdfPrinter files_;
};

// Qt's PDF writer with every job a page of one document, on the sheet of the
// PDF printer (A4, 1200 dpi, 10-point edge).
class QtOneDocumentHost : public QtBenchHost {
public:
    QtOneDocumentHost()
        : writer_(Path())
    {
        writer_.setResolution(pdf::PdfFileHost::kDpi);
        writer_.setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Point));
    }
    static QString& Path()
    {
        static QString path;
        return path;
    }
    int DpiX() const override { return pdf::PdfFileHost::kDpi; }
    int DpiY() const override { return pdf::PdfFileHost::kDpi; }
    int PageWidthPixels() const override { return writer_.width(); }
    int PageHeightPixels() const override { return writer_.height(); }
    std::unique_ptr<PrintJob> BeginJob(const std::string&) override
    {
        if (!painter_) {
            painter_ = std::make_unique<QPainter>(&writer_);
            canvas_ = std::make_unique<QtCanvas>(*painter_);
        } else {
            writer_.newPage();
        }
        return std::make_unique<Job>(*canvas_);
    }
    bool SetupDialog() override { return false; }
    void Finish()
    {
        canvas_.reset();
        if (painter_)
            painter_->end();
    }

private:
    struct Job : PrintJob {
        explicit Job(Canvas& c)
            : canvas(c)
        {
        }
        Canvas& GetCanvas() override { return canvas; }
        bool End() override { return true; }
        void Abort() override { }
        Canvas& canvas;
    };
    QPdfWriter writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtCanvas> canvas_;
};

void Report(const char* what, int pages, double seconds, long long bytes)
{
    std::printf("%-58s %8.1f pages/s %7.2f ms/page %9.0f KB\n", what, pages / seconds, seconds * 1000 / pages,
        bytes / 1024.0);
}

long long SizeOf(const QString& path)
{
    return QFileInfo(path).size();
}

// Runs the program with `arguments`; its wall time and peak resident memory
// (KB), seconds -1 when it failed.
std::pair<double, long> RunProgram(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    static std::string program = QUILLET_BINARY;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status)
        || WEXITSTATUS(status) != 0)
        return { -1, 0 };
    return { Seconds(start), usage.ru_maxrss };
}

// The ledger's lines as CSV, as LibreOffice reads them.
bool WriteLedgerCsv(const std::string& path, long long lines)
{
    std::ofstream out(path);
    out << "日期,单据号,客户名称,商品名称,数量,单价,金额,备注\n";
    for (long long i = 0; i < lines && out; ++i) {
        const std::vector<std::string> cells = ExampleRowCells(static_cast<int>(i));
        for (std::size_t c = 0; c < cells.size(); ++c)
            out << (c ? "," : "") << GbkToUtf8(cells[c]);
        out << (i % 7 == 0 ? ",补单\n" : ",\n");
    }
    return static_cast<bool>(out);
}

// LibreOffice converting the CSV file to PDF, warm; seconds, or -1.
// Each export of (c) is timed this many times.
constexpr int kRuns = 3;

double LibreOfficePdf(const QTemporaryDir& temp, const std::string& csv)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        return -1;
    const QString profile
        = QStringLiteral("-env:UserInstallation=file://") + temp.filePath(QStringLiteral("lo"));
    QProcess::execute(soffice, { profile, QStringLiteral("--headless"), QStringLiteral("--version") });
    // The fastest of a few runs, as for our own: a busy moment of the machine
    // is no property of either program.
    double best = -1;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const int status = QProcess::execute(soffice,
            { profile, QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:44,34,76"),
                QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"),
                temp.filePath(QStringLiteral("lo-out")), QString::fromStdString(csv) });
        if (status != 0)
            return -1;
        const double seconds = Seconds(start);
        best = best < 0 ? seconds : std::min(best, seconds);
    }
    return best;
}

// (c): --pdf on `jobs` threads for each count asked; the pages a second of
// the fastest.
double ExportRuns(const QTemporaryDir& temp, const char* name, long long lines, const std::vector<int>& jobs)
{
    const long long cells
        = (lines + kLinesPerBlock - 1) / kLinesPerBlock * (kRowsPerBlock - kHeadRows) * kColumns;
    const std::string data = temp.filePath(QStringLiteral("%1.dat").arg(QLatin1String(name))).toStdString();
    const std::string format = temp.filePath(QStringLiteral("%1.fmt").arg(QLatin1String(name))).toStdString();
    TMyPrintFormat f;
    BuildBenchFormat(f);
    TMyPaperSpec paper;
    if (!WriteLedgerData(data, cells, kLinesPerBlock, kFootRows, true) || f.SaveToFile(format, paper) != 0)
        return -1;
    const long long pages = (lines + kLinesPerBlock - 1) / kLinesPerBlock;
    double one = -1, best = -1;
    for (int n : jobs) {
        const std::string out
            = temp.filePath(QStringLiteral("%1-%2.pdf").arg(QLatin1String(name)).arg(n)).toStdString();
        // The fastest of a few runs, with the largest peak memory of them.
        double seconds = -1;
        long kb = 0;
        for (int run = 0; run < kRuns; ++run) {
            const auto [s, k] = RunProgram({ "--jobs", std::to_string(n), "--pdf", out, data, format, "NotDef" });
            if (s < 0)
                return -1;
            seconds = seconds < 0 ? s : std::min(seconds, s);
            kb = std::max(kb, k);
        }
        if (n == 1)
            one = pages / seconds;
        best = std::max(best, pages / seconds);
        char what[96];
        std::snprintf(what, sizeof what, "(c) --pdf --jobs %d, %lld lines", n, lines);
        std::printf("%-58s %8.1f pages/s %7.2f s %7.1f MB peak %9.0f KB", what, pages / seconds, seconds,
            kb / 1024.0, SizeOf(QString::fromStdString(out)) / 1024.0);
        if (n > 1 && one > 0)
            std::printf("  %.2fx --jobs 1", pages / seconds / one);
        std::printf("\n");
        std::fflush(stdout);
        std::remove(out.c_str());
    }
    if (temp.autoRemove()) // --keep keeps the report for a profiler
        std::remove(data.c_str());
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    int reportLines = 10000;
    long long bigLines = 1000000, sparsePages = 100000;
    bool keep = false, loBig = false, onlyJobs = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rows" && i + 1 < argc)
            reportLines = std::atoi(argv[++i]);
        else if (arg == "--big" && i + 1 < argc)
            bigLines = std::atoll(argv[++i]);
        else if (arg == "--sparse" && i + 1 < argc)
            sparsePages = std::atoll(argv[++i]);
        else if (arg == "--lo-big")
            loBig = true;
        else if (arg == "--jobs-only")
            onlyJobs = true;
        else if (arg == "--keep")
            keep = true;
    }
    QTemporaryDir temp;
    temp.setAutoRemove(!keep);
    if (keep)
        std::printf("files in %s\n", qPrintable(temp.path()));
    QApplication app(argc, argv);
    InstallFontSubstitutions();

    // (c) and (d): the program as a person runs it, a process each.
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<int> jobs = { 1, 2 };
    if (cores > 2)
        jobs.push_back(cores);
    std::printf("(c) %d cores, load average at start: ", cores);
    std::fflush(stdout);
    std::system("cut -d' ' -f1-3 /proc/loadavg");
    const double small = ExportRuns(temp, "ledger", reportLines, jobs);
    if (small < 0)
        return 1;
    const std::string csv = temp.filePath(QStringLiteral("ledger.csv")).toStdString();
    if (WriteLedgerCsv(csv, reportLines)) {
        const double lo = LibreOfficePdf(temp, csv);
        const double pages = (reportLines + kLinesPerBlock - 1) / kLinesPerBlock;
        if (lo < 0)
            std::printf("LibreOffice (soffice) not found or failed: no comparison\n");
        else
            std::printf("%-58s %8.2f s   (%.1fx the fastest --jobs; target >= 20x)\n",
                "(c) LibreOffice CSV -> PDF, same lines", lo, lo * small / pages);
        std::remove(csv.c_str());
    }
    const double big = bigLines > 0 ? ExportRuns(temp, "big", bigLines, jobs) : 0;
    if (big < 0)
        return 1;
    if (loBig && bigLines > 0) {
        const std::string bigCsv = temp.filePath(QStringLiteral("big.csv")).toStdString();
        if (WriteLedgerCsv(bigCsv, bigLines)) {
            const double lo = LibreOfficePdf(temp, bigCsv);
            const double pages = (bigLines + kLinesPerBlock - 1) / kLinesPerBlock;
            std::printf("%-58s %8.2f s   (%.1fx the fastest --jobs)\n",
                "(c) LibreOffice CSV -> PDF, --big lines", lo, lo * big / pages);
            std::remove(bigCsv.c_str());
        }
    }
    if (sparsePages > 0) {
        const QString folder = temp.filePath(QStringLiteral("sparse"));
        if (!WriteSparseReport(folder.toStdString(), sparsePages))
            return 1;
        const std::string data = (folder + QLatin1Char('/') + QLatin1String(kSparseDataName)).toStdString();
        const std::string format
            = (folder + QLatin1Char('/') + QLatin1String(kSparseFormatName)).toStdString();
        const std::string out = temp.filePath(QStringLiteral("sparse.pdf")).toStdString();
        for (int n : jobs) {
            const auto [seconds, kb]
                = RunProgram({ "--jobs", std::to_string(n), "--pdf", out, data, format, "NotDef" });
            char what[96];
            std::snprintf(what, sizeof what, "(d) --pdf --jobs %d, %lld pages", n, sparsePages);
            std::printf("%-58s %8.1f pages/s %7.2f s %7.1f MB peak  (target < 80 MB)\n", what,
                sparsePages / seconds, seconds, kb / 1024.0);
            std::fflush(stdout);
            std::remove(out.c_str());
        }
    }
    if (onlyJobs)
        return 0;

    const long long cells = static_cast<long long>((reportLines + kLinesPerBlock - 1) / kLinesPerBlock)
        * (kRowsPerBlock - kHeadRows) * kColumns;
    const std::string dataPath = temp.filePath(QStringLiteral("report.dat")).toStdString();
    if (!WriteLedgerData(dataPath, cells, kLinesPerBlock, kFootRows, true))
        return 1;

    const auto folderBytes = [](const QString& folder) {
        long long bytes = 0;
        for (const QFileInfo& f : QDir(folder).entryInfoList({ QStringLiteral("*.pdf") }, QDir::Files))
            bytes += f.size();
        return bytes;
    };
    // (b) The PDF folder printer first, while the program has read no face
    // and kept no font program; then again.
    for (int run = 1; run <= 2; ++run) {
        const QString folder = temp.filePath(QStringLiteral("ours-pages-%1").arg(run));
        qputenv("QUILLET_PDF_DIR", folder.toUtf8());
        EngineRig rig;
        BuildBenchFormat(rig.format);
        if (!rig.Start(dataPath) || !rig.printerHost.CurrentIsPdf())
            return 1;
        const int madeBefore = pdf::FontPrograms::Shared().Made();
        const int reusedBefore = pdf::FontPrograms::Shared().Reused();
        const auto start = std::chrono::steady_clock::now();
        rig.buffer->PrintPages(1, rig.buffer->PageCount);
        const double seconds = Seconds(start);
        char what[96];
        std::snprintf(what, sizeof what, "(b) PDF folder printer, our canvas, a document a page%s",
            run == 1 ? " (fresh)" : "");
        Report(what, rig.buffer->PageCount, seconds, folderBytes(folder));
        std::printf("    font programs made %d, taken again %d\n",
            pdf::FontPrograms::Shared().Made() - madeBefore,
            pdf::FontPrograms::Shared().Reused() - reusedBefore);
    }
    {
        QtDocumentPerPageHost::Folder() = temp.filePath(QStringLiteral("qt-pages"));
        BasicEngineRig<QtDocumentPerPageHost> rig;
        BuildBenchFormat(rig.format);
        if (!rig.Start(dataPath))
            return 1;
        const auto start = std::chrono::steady_clock::now();
        rig.buffer->PrintPages(1, rig.buffer->PageCount);
        Report("(b) Qt's PDF writer, a document a page", rig.buffer->PageCount, Seconds(start),
            folderBytes(QtDocumentPerPageHost::Folder()));
    }

    // (a) One document, streamed to its file as `quillet --pdf` writes it.
    for (int level : { 1, 0, 6 }) {
        gCompression = level;
        BasicEngineRig<PdfBenchHost> rig;
        BuildBenchFormat(rig.format);
        if (!rig.Start(dataPath))
            return 1;
        const std::string path = temp.filePath(QStringLiteral("ours-%1.pdf").arg(level)).toStdString();
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        if (!rig.printerHost.document->StreamTo(path, &error)) {
            std::fprintf(stderr, "pdf_bench: %s\n", error.c_str());
            return 1;
        }
        rig.buffer->PrintPages(1, rig.buffer->PageCount);
        if (!rig.printerHost.document->Save(path, &error)) {
            std::fprintf(stderr, "pdf_bench: %s\n", error.c_str());
            return 1;
        }
        const double seconds = Seconds(start);
        char what[96];
        std::snprintf(what, sizeof what, "(a) our canvas, one document, zlib level %d", level);
        Report(what, rig.buffer->PageCount, seconds, SizeOf(QString::fromStdString(path)));
    }
    {
        QtOneDocumentHost::Path() = temp.filePath(QStringLiteral("qt-one.pdf"));
        BasicEngineRig<QtOneDocumentHost> rig;
        BuildBenchFormat(rig.format);
        if (!rig.Start(dataPath))
            return 1;
        const auto start = std::chrono::steady_clock::now();
        rig.buffer->PrintPages(1, rig.buffer->PageCount);
        rig.printerHost.Finish();
        Report("(a) Qt's PDF writer, one document", rig.buffer->PageCount, Seconds(start),
            SizeOf(QtOneDocumentHost::Path()));
    }
    return 0;
}
