#include "platform/qt/QtPrinterHost.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdlib>

#include "platform/Arith.h"
#include "platform/GbkCodec.h"
#include "platform/qt/PdfPrinter.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtMessageService.h"

namespace quillet {
namespace {

QString FromUtf8(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string ToUtf8(const QString& s)
{
    const QByteArray bytes = s.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString PdfFolderFromEnvironment()
{
    const char* value = std::getenv("QUILLET_PDF_DIR");
    return value ? QString::fromLocal8Bit(value) : QString();
}

// How the finished document reaches its destination.
enum class Delivery {
    PdfFile, // the "PDF" printer: the file is the result
    Spool, // a CUPS queue: drawn into a temporary file, handed to lp at the end
    Direct, // a CUPS queue without lp: Qt hands the document to CUPS itself
};

// Sends a finished document to a CUPS queue with the options Qt's own CUPS
// path would give it; true when lp accepted the job.
bool SubmitToQueue(const QPrinter& printer, const QString& file)
{
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty())
        return false;
    const QPageLayout layout = printer.pageLayout();
    QStringList args { QStringLiteral("-d"), printer.printerName(), QStringLiteral("-t"), printer.docName(),
        QStringLiteral("-o"), QStringLiteral("media=") + layout.pageSize().key() };
    if (layout.orientation() == QPageLayout::Landscape)
        args << QStringLiteral("-o") << QStringLiteral("landscape");
    switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
        args << QStringLiteral("-o") << QStringLiteral("sides=two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        args << QStringLiteral("-o") << QStringLiteral("sides=two-sided-short-edge");
        break;
    default:
        args << QStringLiteral("-o") << QStringLiteral("sides=one-sided");
        break;
    }
    if (printer.copyCount() > 1)
        args << QStringLiteral("-n") << QString::number(printer.copyCount());
    args << QStringLiteral("--") << file;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(lp, args);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

class QtPrintJob : public PrintJob {
public:
    QtPrintJob(QPrinter& printer, std::unique_ptr<QPainter> painter, Delivery delivery, QString file)
        : printer_(printer)
        , painter_(std::move(painter))
        , canvas_(*painter_)
        , delivery_(delivery)
        , file_(std::move(file))
    {
    }
    ~QtPrintJob() override
    {
        // A job dropped without End() is thrown away.
        if (!finished_)
            Abort();
    }

    Canvas& GetCanvas() override { return canvas_; }

    bool End() override
    {
        if (finished_)
            return false;
        finished_ = true;
        bool ok = painter_->end() && printer_.printerState() != QPrinter::Error;
        if (delivery_ == Delivery::Spool) {
            ok = ok && SubmitToQueue(printer_, file_);
            QFile::remove(file_);
        } else if (delivery_ == Delivery::PdfFile && !ok) {
            QFile::remove(file_);
        }
        Reset();
        return ok;
    }

    void Abort() override
    {
        if (finished_)
            return;
        finished_ = true;
        if (!printer_.abort()) {
            // Qt's PDF and CUPS writers cannot abort: end the document and
            // throw the file away instead (a direct CUPS job, which Qt sends
            // when the painter ends, is the only one that still goes out).
            painter_->end();
        }
        if (delivery_ != Delivery::Direct)
            QFile::remove(file_);
        Reset();
    }

private:
    void Reset()
    {
        if (painter_->isActive())
            painter_->end();
        // An empty file name would switch the PDF printer to the CUPS format
        // and the next job back again, each switch asking CUPS for its
        // printers; the next job names its own file anyway.
        if (delivery_ == Delivery::Spool)
            printer_.setOutputFileName(QString());
    }

    QPrinter& printer_;
    std::unique_ptr<QPainter> painter_;
    QtCanvas canvas_;
    Delivery delivery_;
    QString file_;
    bool finished_ = false;
};

} // namespace

QtPrinterHost::QtPrinterHost()
{
    Init(PdfFolderFromEnvironment());
}

QtPrinterHost::QtPrinterHost(const QString& pdfFolder)
{
    Init(pdfFolder);
}

QtPrinterHost::~QtPrinterHost() = default;

void QtPrinterHost::Init(const QString& pdfFolder)
{
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    for (const QString& name : queues)
        names_.push_back(ToUtf8(name));
    if (!pdfFolder.isEmpty()) {
        pdf_ = std::make_unique<PdfPrinter>(pdfFolder);
        pdfIndex_ = static_cast<int>(names_.size());
        names_.push_back(ToUtf8(PdfPrinter::Name()));
    }
    int start = pdfIndex_;
    if (start < 0 && !queues.isEmpty()) {
        start = static_cast<int>(queues.indexOf(QPrinterInfo::defaultPrinterName()));
        if (start < 0)
            start = 0;
    }
    OpenPrinter(start);
}

void QtPrinterHost::OpenPrinter(int index)
{
    current_ = index;
    if (index >= 0 && index == pdfIndex_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        PdfPrinter::Prepare(*printer_);
        return;
    }
    if (index >= 0) {
        const QPrinterInfo info
            = QPrinterInfo::printerInfo(FromUtf8(names_[static_cast<std::size_t>(index)]));
        if (!info.isNull()) {
            printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
            return;
        }
    }
    // No printer: a PDF writer keeps resolution and page size answerable.
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    PdfPrinter::Prepare(*printer_);
}

void QtPrinterHost::SetCurrentIndex(int index)
{
    if (index < 0 || index >= static_cast<int>(names_.size()) || index == current_)
        return;
    OpenPrinter(index);
}

bool QtPrinterHost::GetSettings(PrinterSettings& out) const
{
    if (current_ < 0)
        return false;
    const QPageLayout layout = printer_->pageLayout();
    const QPageSize size = layout.pageSize();
    if (!size.isValid())
        return false;
    PrinterSettings s;
    s.fields = DM_ORIENTATION | DM_PAPERSIZE;
    s.orientation = layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    const int code = size.windowsId();
    if (code == 0 || code == DMPAPER_USER || size.id() == QPageSize::Custom) {
        // The sheet as defined (portrait), whatever the orientation.
        const QSizeF mm = size.size(QPageSize::Millimeter);
        s.paperSize = DMPAPER_USER;
        s.paperWidth = Round(static_cast<long double>(mm.width()) * 10);
        s.paperLength = Round(static_cast<long double>(mm.height()) * 10);
        s.fields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
    } else {
        s.paperSize = code;
    }
    out = s;
    return true;
}

void QtPrinterHost::SetSettings(const PrinterSettings& settings)
{
    if (current_ < 0)
        return;
    const QPageLayout old = printer_->pageLayout();
    QPageSize size = old.pageSize();
    if (settings.fields & DM_PAPERSIZE) {
        if (settings.paperSize == DMPAPER_USER) {
            if (settings.paperWidth > 0 && settings.paperLength > 0)
                size = QPageSize(QSizeF(settings.paperWidth / 10.0, settings.paperLength / 10.0),
                    QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
        } else {
            const QPageSize coded(QPageSize::id(settings.paperSize));
            // Codes without a Qt size (0 and unknown ones) leave the paper as it is.
            if (coded.isValid() && coded.id() != QPageSize::Custom)
                size = coded;
        }
    }
    QPageLayout::Orientation orientation = old.orientation();
    if (settings.fields & DM_ORIENTATION)
        orientation
            = settings.orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait;
    // One layout, size and orientation together: separately set, CUPS
    // printers can end up printing portrait. A CUPS printer puts its own
    // printable margins on it; the PDF printer keeps its fixed ones (a tiny
    // sheet shrinks them, the next sheet must not inherit that).
    QPageLayout layout = CurrentIsPdf()
        ? QPageLayout(size, orientation, PdfPrinter::Margins(), QPageLayout::Point)
        : QPageLayout(size, orientation, old.margins(), old.units());
    layout.setMode(old.mode());
    printer_->setPageLayout(layout);
}

bool QtPrinterHost::Landscape() const
{
    return printer_->pageLayout().orientation() == QPageLayout::Landscape;
}

int QtPrinterHost::DpiX() const
{
    return printer_->resolution();
}

int QtPrinterHost::DpiY() const
{
    return printer_->resolution();
}

int QtPrinterHost::PageWidthPixels() const
{
    return qRound(printer_->pageRect(QPrinter::DevicePixel).width());
}

int QtPrinterHost::PageHeightPixels() const
{
    return qRound(printer_->pageRect(QPrinter::DevicePixel).height());
}

std::unique_ptr<PrintJob> QtPrinterHost::BeginJob(const std::string& gbkTitle)
{
    if (current_ < 0 || printer_->printerState() == QPrinter::Active)
        return nullptr;
    const QString title = FromUtf8(GbkToUtf8(gbkTitle));
    printer_->setDocName(title);

    Delivery delivery = Delivery::Direct;
    QString file;
    if (CurrentIsPdf()) {
        delivery = Delivery::PdfFile;
        file = pdf_->ClaimFile(title);
        if (file.isEmpty())
            return nullptr;
    } else if (!QStandardPaths::findExecutable(QStringLiteral("lp")).isEmpty()) {
        // Drawn into a file first so that an aborted job never reaches the
        // printer and a refused one is reported. Not ".pdf": that would switch
        // the printer to the plain PDF writer and lose the queue's margins.
        QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/quillet-job-XXXXXX.prn"));
        temp.setAutoRemove(false);
        if (temp.open()) {
            delivery = Delivery::Spool;
            file = temp.fileName();
        }
    }
    if (delivery != Delivery::Direct)
        printer_->setOutputFileName(file);
    else
        printer_->setOutputFileName(QString());

    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(printer_.get())) {
        if (delivery != Delivery::Direct) {
            QFile::remove(file);
            printer_->setOutputFileName(QString());
        }
        return nullptr;
    }
    return std::make_unique<QtPrintJob>(*printer_, std::move(painter), delivery, file);
}

bool QtPrinterHost::SetupDialog()
{
    if (QtMessageService::Unattended())
        return false;
    QPrintDialog dialog(printer_.get());
    dialog.setOption(QAbstractPrintDialog::PrintToFile, CurrentIsPdf());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (printer_->outputFormat() == QPrinter::NativeFormat) {
        const std::string chosen = ToUtf8(printer_->printerName());
        for (int i = 0; i < static_cast<int>(names_.size()); ++i) {
            if (i != pdfIndex_ && names_[static_cast<std::size_t>(i)] == chosen) {
                current_ = i;
                break;
            }
        }
    } else if (pdfIndex_ >= 0) {
        current_ = pdfIndex_;
        // The file name comes from each job's title, not from the dialog.
        printer_->setOutputFileName(QString());
    }
    return true;
}

} // namespace quillet
