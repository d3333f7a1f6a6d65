// pdf_bench [--rows N] [--keep]: the 10,000-line ledger of engine_bench
// printed as PDF, in pages a second, side by side:
//   (a) the whole report in one document, as `quillet --pdf` writes it: our
//       PDF canvas (streamed to its file; at several zlib levels) against
//       Qt's PDF writer;
//   (b) one document a page, as the PDF folder printer writes print jobs:
//       the printer itself (our canvas) against Qt's PDF writer a job.
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

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    int reportLines = 10000;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rows" && i + 1 < argc)
            reportLines = std::atoi(argv[++i]);
        else if (arg == "--keep")
            keep = true;
    }
    QTemporaryDir temp;
    temp.setAutoRemove(!keep);
    if (keep)
        std::printf("files in %s\n", qPrintable(temp.path()));
    QApplication app(argc, argv);
    InstallFontSubstitutions();

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
