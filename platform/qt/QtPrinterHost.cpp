#include "platform/qt/QtPrinterHost.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/Arith.h"
#include "platform/GbkCodec.h"
#include "platform/pdf/PdfCanvas.h"
#include "platform/qt/CupsQueue.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/OutputMessages.h"
#include "platform/qt/PdfPrinter.h"
#include "platform/qt/PrinterSetupDialog.h"
#include "platform/qt/QtBitmap.h"
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

QString Quoted(const QString& s)
{
    return QStringLiteral("“") + s + QStringLiteral("”");
}

QString QueueFailure(CupsQueue::State state, const QString& queue)
{
    switch (state) {
    case CupsQueue::State::Gone:
        return QStringLiteral("打印机") + Quoted(queue) + QStringLiteral("已不存在");
    case CupsQueue::State::Stopped:
        return QStringLiteral("打印机") + Quoted(queue) + QStringLiteral("已停止，不能打印");
    case CupsQueue::State::Rejecting:
        return QStringLiteral("打印机") + Quoted(queue) + QStringLiteral("不接受新的打印作业");
    case CupsQueue::State::Unreachable:
        return QStringLiteral("无法连接打印服务");
    default:
        return {};
    }
}

// Sends a finished document to a CUPS queue with lp, the same options the
// libcups path gives; true when lp accepted the job.
bool SubmitWithLp(const QString& queue, const CupsJobOptions& options, const QString& file)
{
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty())
        return false;
    QStringList args { QStringLiteral("-d"), queue, QStringLiteral("-t"),
        QString::fromStdString(options.title), QStringLiteral("-o"),
        QStringLiteral("media=") + QString::fromStdString(options.media) };
    if (options.landscape)
        args << QStringLiteral("-o") << QStringLiteral("landscape");
    args << QStringLiteral("-o") << QStringLiteral("sides=") + QString::fromStdString(options.sides);
    if (options.copies > 1)
        args << QStringLiteral("-n") << QString::number(options.copies);
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

// IPP's name for the sides.
const char* SidesKeyword(Sides sides)
{
    switch (sides) {
    case Sides::LongEdge:
        return "two-sided-long-edge";
    case Sides::ShortEdge:
        return "two-sided-short-edge";
    case Sides::OneSided:
        break;
    }
    return "one-sided";
}

// The options a job asks of the queue: the printer's sheet and the user's
// copies and sides.
CupsJobOptions JobOptions(const QPrinter& printer, const JobPreferences& preferences)
{
    CupsJobOptions o;
    const QPageLayout layout = printer.pageLayout();
    o.title = ToUtf8(printer.docName());
    o.media = ToUtf8(layout.pageSize().key());
    o.landscape = layout.orientation() == QPageLayout::Landscape;
    o.sides = SidesKeyword(preferences.sides);
    o.copies = std::max(preferences.copies, 1);
    return o;
}

pdf::PdfDocument::Duplex FileDuplex(Sides sides)
{
    switch (sides) {
    case Sides::LongEdge:
        return pdf::PdfDocument::Duplex::LongEdge;
    case Sides::ShortEdge:
        return pdf::PdfDocument::Duplex::ShortEdge;
    case Sides::OneSided:
        break;
    }
    return pdf::PdfDocument::Duplex::Simplex;
}

} // namespace

QtPrinterHost::QtPrinterHost()
{
    Init(PdfFolderFromEnvironment());
    preferencesFile_ = PreferencesFile();
    preferences_ = LoadPreferences(preferencesFile_);
}

QtPrinterHost::QtPrinterHost(const QString& pdfFolder)
{
    Init(pdfFolder);
}

QtPrinterHost::~QtPrinterHost() = default;

void QtPrinterHost::Init(const QString& pdfFolder)
{
    PreparePdfCanvas();
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
    requested_.reset();
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
    requested_ = size;
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

// One job: a PDF document of one page, saved as the PDF printer's file or
// handed to the CUPS queue when it ends.
class QtPrinterHost::Job : public PrintJob {
public:
    Job(QtPrinterHost& host, QString title, std::optional<CupsQueue> queue)
        : host_(host)
        , title_(std::move(title))
        , queue_(std::move(queue))
        , options_(JobOptions(*host.printer_, host.preferences_))
        , canvas_(&document_.BeginPage(host.Setup()))
    {
        document_.SetTitle(options_.title);
        // A file asks its viewer for the copies and sides a queue is given.
        if (!queue_)
            document_.SetPrintPreferences(options_.copies, FileDuplex(host.preferences_.sides));
        host_.jobOpen_ = true;
    }
    ~Job() override
    {
        // A job dropped without End() is thrown away.
        if (!finished_)
            Abort();
    }
    bool Start()
    {
        if (queue_ || document_.StreamInto(LocalPath(host_.pdf_->Folder())))
            return true;
        host_.failure_ = ToUtf8(QStringLiteral("无法在PDF文件夹") + Quoted(host_.pdf_->Folder())
            + QStringLiteral("中建立文件，") + FileFailure(document_.ErrorNumber()));
        return false;
    }

    Canvas& GetCanvas() override { return *canvas_; }

    bool NextPage() override
    {
        if (finished_)
            return false;
        canvas_ = &document_.BeginPage(host_.Setup());
        return true;
    }

    bool End() override
    {
        if (finished_)
            return false;
        finished_ = true;
        host_.jobOpen_ = false;
        if (!queue_) {
            // The file takes its name only now, complete: a run stopped
            // before leaves no file under a job's name.
            std::string chosen;
            const PdfPrinter& pdf = *host_.pdf_;
            if (document_.SaveNew(
                    [&](int n) { return LocalPath(pdf.FileName(title_, n)); }, PdfPrinter::kMaxTries, chosen))
                return true;
            host_.failure_ = ToUtf8(QStringLiteral("无法写入PDF文件") + Quoted(pdf.FileName(title_, 1))
                + QStringLiteral("，") + FileFailure(document_.ErrorNumber()));
            return false;
        }
        return Submit(document_.Finish());
    }

    void Abort() override
    {
        if (finished_)
            return;
        finished_ = true;
        host_.jobOpen_ = false;
        document_.Discard();
    }

private:
    bool Submit(const std::string& pdf)
    {
        const QString name = FromUtf8(queue_->Name());
        std::string detail;
        int id = 0;
        const CupsQueue::Result result = queue_->Submit(pdf, options_, detail, id);
        const QString why
            = detail.empty() ? QString() : QStringLiteral("(") + FromUtf8(detail) + QStringLiteral(")");
        switch (result) {
        case CupsQueue::Result::Printed:
            return true;
        case CupsQueue::Result::Held:
            host_.failure_ = ToUtf8(QStringLiteral("打印作业%1已送到打印机").arg(id) + Quoted(name)
                + QStringLiteral("，但打印机已停止，作业在队列中等待，没有打印") + why);
            return false;
        case CupsQueue::Result::Gone:
        case CupsQueue::Result::Rejecting:
            host_.failure_ = ToUtf8(QueueFailure(
                result == CupsQueue::Result::Gone ? CupsQueue::State::Gone : CupsQueue::State::Rejecting,
                name));
            return false;
        case CupsQueue::Result::Refused:
            host_.failure_
                = ToUtf8(QStringLiteral("打印机") + Quoted(name) + QStringLiteral("拒绝了打印作业") + why);
            return false;
        case CupsQueue::Result::Unreachable:
            break;
        }
        // Without the scheduler's ear, lp may still reach it (another server,
        // a client configuration libcups does not read).
        QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/quillet-job-XXXXXX.pdf"));
        bool ok = temp.open()
            && temp.write(pdf.data(), static_cast<qint64>(pdf.size())) == static_cast<qint64>(pdf.size())
            && temp.flush();
        ok = ok && SubmitWithLp(name, options_, temp.fileName());
        if (!ok)
            host_.failure_ = ToUtf8(QueueFailure(CupsQueue::State::Unreachable, name) + why);
        return ok;
    }

    QtPrinterHost& host_;
    QString title_; // the PDF printer's file is named after it
    std::optional<CupsQueue> queue_;
    CupsJobOptions options_;
    pdf::PdfDocument document_;
    Canvas* canvas_;
    bool finished_ = false;
};

pdf::PageSetup QtPrinterHost::Setup() const
{
    const QPageLayout layout = printer_->pageLayout();
    const QRectF sheet = layout.fullRect(QPageLayout::Point);
    const QRectF printable = layout.paintRect(QPageLayout::Point);
    pdf::PageSetup s;
    s.widthPoints = sheet.width();
    s.heightPoints = sheet.height();
    s.originXPoints = printable.left();
    s.originYPoints = printable.top();
    s.dpiX = DpiX();
    s.dpiY = DpiY();
    s.widthPixels = PageWidthPixels();
    s.heightPixels = PageHeightPixels();
    return s;
}

void QtPrinterHost::PreparePdfCanvas()
{
    pdf::PdfCanvas::SetDefaultFontPoints(QtCanvas::DefaultFontPoints());
    pdf::PdfCanvas::SetPictureReader(
        [](Bitmap& bitmap, int& width, int& height, std::vector<std::uint32_t>& pixels) {
            auto* picture = dynamic_cast<QtBitmap*>(&bitmap);
            if (!picture)
                return false;
            const QImage image = picture->Image().convertToFormat(QImage::Format_RGB32);
            width = image.width();
            height = image.height();
            pixels.clear();
            pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
            for (int y = 0; y < height; ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = 0; x < width; ++x)
                    pixels.push_back(line[x] & 0xFFFFFFu);
            }
            return !image.isNull();
        });
}

std::unique_ptr<PrintJob> QtPrinterHost::BeginJob(const std::string& gbkTitle)
{
    failure_.clear();
    if (current_ < 0 || jobOpen_)
        return nullptr;
    const QString title = FromUtf8(GbkToUtf8(gbkTitle));
    printer_->setDocName(title);

    std::unique_ptr<Job> job;
    if (CurrentIsPdf()) {
        int error = 0;
        if (!pdf_->PrepareFolder(&error)) {
            failure_ = ToUtf8(QStringLiteral("无法在PDF文件夹") + Quoted(pdf_->Folder())
                + QStringLiteral("中建立文件，") + FileFailure(error));
            return nullptr;
        }
        job = std::make_unique<Job>(*this, title, std::nullopt);
    } else {
        // The queue is asked first, so that a job it cannot print is never drawn.
        CupsQueue queue(names_[static_cast<std::size_t>(current_)]);
        const CupsQueue::Status status = queue.Query();
        const QString name = FromUtf8(queue.Name());
        if (status.state != CupsQueue::State::Ready && status.state != CupsQueue::State::Unreachable) {
            failure_ = ToUtf8(QueueFailure(status.state, name));
            return nullptr;
        }
        // Asked for, as the queue may have kept its old sheet instead.
        const QPageSize size = requested_ ? *requested_ : printer_->pageLayout().pageSize();
        const QSizeF mm = size.size(QPageSize::Millimeter);
        if (!CupsQueue::Takes(status, qRound(mm.width() * 100), qRound(mm.height() * 100))) {
            failure_ = ToUtf8(QStringLiteral("打印机") + Quoted(name) + QStringLiteral("不能使用这种纸张(")
                + QString::number(mm.width(), 'f', 1) + QStringLiteral("×")
                + QString::number(mm.height(), 'f', 1) + QStringLiteral("毫米)"));
            return nullptr;
        }
        job = std::make_unique<Job>(*this, QString(), std::move(queue));
    }
    if (!job->Start())
        return nullptr;
    return job;
}

bool QtPrinterHost::SetupDialog()
{
    if (QtMessageService::Unattended() || jobOpen_)
        return false;
    PrinterSetupDialog dialog(*this, QtMessageService::Owner());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.Apply();
    return true;
}

void QtPrinterHost::SetPreferences(const JobPreferences& preferences)
{
    JobPreferences p = preferences;
    // The queue says how many copies it takes; a job asking too many is refused in its words.
    p.copies = std::max(p.copies, 1);
    preferences_ = p;
    // Kept for the next start; a folder that cannot take the file only
    // loses that, not this session's choice.
    if (!preferencesFile_.isEmpty())
        SavePreferences(preferencesFile_, preferences_);
}

QString QtPrinterHost::PreferencesFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/quillet/printing.ini");
}

JobPreferences QtPrinterHost::LoadPreferences(const QString& file)
{
    JobPreferences p;
    if (file.isEmpty() || !QFile::exists(file))
        return p;
    QSettings settings(file, QSettings::IniFormat);
    bool ok = false;
    const int copies = settings.value(QStringLiteral("print/copies")).toInt(&ok);
    if (ok && copies >= 1 && copies <= JobPreferences::kMaxCopies)
        p.copies = copies;
    const QString sides = settings.value(QStringLiteral("print/sides")).toString();
    if (sides == QLatin1String("two-sided-long-edge"))
        p.sides = Sides::LongEdge;
    else if (sides == QLatin1String("two-sided-short-edge"))
        p.sides = Sides::ShortEdge;
    p.oneJobPerRun
        = settings.value(QStringLiteral("print/one-job-per-run")).toString() == QLatin1String("true");
    return p;
}

bool QtPrinterHost::SavePreferences(const QString& file, const JobPreferences& preferences)
{
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(QStringLiteral("print/copies"), preferences.copies);
    settings.setValue(QStringLiteral("print/sides"), QString::fromLatin1(SidesKeyword(preferences.sides)));
    settings.setValue(QStringLiteral("print/one-job-per-run"),
        preferences.oneJobPerRun ? QStringLiteral("true") : QStringLiteral("false"));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace quillet
