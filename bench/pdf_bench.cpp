// pdf_bench [--rows N] [--keep]: the 10,000-line ledger of engine_bench
// printed as PDF three ways, in pages a second:
//   - Qt's PDF writer, one document a page (the PDF folder printer today),
//   - Qt's PDF writer, the whole report in one document,
//   - our PDF canvas, the whole report in one document, at several zlib
//     levels, each first in a fresh program state (faces unread) and then
//     again (what the program learnt of the faces kept).
// Build it in a Release tree; figures from a sanitizer build mean nothing.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/BenchRig.h"
#include "platform/pdf/PdfFileHost.h"
#include "platform/qt/FontSubstitutions.h"
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

// Our canvas with every job a document of its own, as a print job a page
// will be: each file saved when its job ends.
struct OurDocumentPerPageHost : DocumentHolder, pdf::PdfFileHost {
    OurDocumentPerPageHost()
        : pdf::PdfFileHost(*document)
    {
    }
    static QString& Folder()
    {
        static QString folder;
        return folder;
    }
    std::unique_ptr<PrintJob> BeginJob(const std::string& title) override
    {
        auto job = pdf::PdfFileHost::BeginJob(title);
        return job ? std::make_unique<Job>(*this, std::move(job)) : nullptr;
    }
    long long bytes = 0;

private:
    struct Job : PrintJob {
        Job(OurDocumentPerPageHost& host, std::unique_ptr<PrintJob> inner)
            : host(host)
            , inner(std::move(inner))
        {
        }
        Canvas& GetCanvas() override { return inner->GetCanvas(); }
        bool End() override
        {
            if (!inner->End())
                return false;
            const std::string path
                = (Folder() + QStringLiteral("/page-%1.pdf").arg(host.JobsEnded())).toStdString();
            const bool saved = host.document->Save(path);
            host.bytes += static_cast<long long>(std::filesystem::file_size(path));
            host.document = std::make_unique<pdf::PdfDocument>(gCompression);
            host.SetDocument(*host.document);
            return saved;
        }
        void Abort() override { inner->Abort(); }
        OurDocumentPerPageHost& host;
        std::unique_ptr<PrintJob> inner;
    };
};

// Qt's PDF writer with every job a page of one document, on the sheet of the
// PDF printer (A4, 1200 dpi, 10-point edge).
class QtOneDocumentHost : public PrinterHost {
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
    const QString pdfFolder = temp.filePath(QStringLiteral("pages"));
    qputenv("QUILLET_PDF_DIR", pdfFolder.toUtf8());
    QApplication app(argc, argv);
    InstallFontSubstitutions();

    const long long cells = static_cast<long long>((reportLines + kLinesPerBlock - 1) / kLinesPerBlock)
        * (kRowsPerBlock - kHeadRows) * kColumns;
    const std::string dataPath = temp.filePath(QStringLiteral("report.dat")).toStdString();
    if (!WriteLedgerData(dataPath, cells, kLinesPerBlock, kFootRows, true))
        return 1;

    // Our canvas first, while the program has read no face yet.
    for (int level : { 1, 1, 0, 6 }) {
        static int run = 0;
        gCompression = level;
        BasicEngineRig<PdfBenchHost> rig;
        BuildBenchFormat(rig.format);
        if (!rig.Start(dataPath))
            return 1;
        const QString path = temp.filePath(QStringLiteral("ours-%1.pdf").arg(++run));
        const auto start = std::chrono::steady_clock::now();
        rig.buffer->PrintPages(1, rig.buffer->PageCount);
        std::string error;
        if (!rig.printerHost.document->Save(path.toStdString(), &error)) {
            std::fprintf(stderr, "pdf_bench: %s\n", error.c_str());
            return 1;
        }
        const double seconds = Seconds(start);
        char what[96];
        std::snprintf(what, sizeof what, "our canvas, one document, zlib level %d%s", level,
            run == 1 ? " (faces unread)" : "");
        Report(what, rig.buffer->PageCount, seconds, SizeOf(path));
    }
    for (int level : { 1, 0 }) {
        gCompression = level;
        OurDocumentPerPageHost::Folder() = temp.filePath(QStringLiteral("ours-pages-%1").arg(level));
        QDir().mkpath(OurDocumentPerPageHost::Folder());
        BasicEngineRig<OurDocumentPerPageHost> rig;
        BuildBenchFormat(rig.format);
        if (!rig.Start(dataPath))
            return 1;
        const auto start = std::chrono::steady_clock::now();
        rig.buffer->PrintPages(1, rig.buffer->PageCount);
        char what[96];
        std::snprintf(what, sizeof what, "our canvas, one document a page, zlib level %d", level);
        Report(what, rig.buffer->PageCount, Seconds(start), rig.printerHost.bytes);
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
        Report("Qt's PDF writer, one document", rig.buffer->PageCount, Seconds(start),
            SizeOf(QtOneDocumentHost::Path()));
    }
    {
        EngineRig rig;
        BuildBenchFormat(rig.format);
        if (!rig.Start(dataPath) || !rig.printerHost.CurrentIsPdf())
            return 1;
        const auto start = std::chrono::steady_clock::now();
        rig.buffer->PrintPages(1, rig.buffer->PageCount);
        const double seconds = Seconds(start);
        long long bytes = 0;
        for (const QFileInfo& f : QDir(pdfFolder).entryInfoList({ QStringLiteral("*.pdf") }, QDir::Files))
            bytes += f.size();
        Report("Qt's PDF writer, one document a page (today)", rig.buffer->PageCount, seconds, bytes);
    }
    return 0;
}
