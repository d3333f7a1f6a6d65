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
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>

#include "platform/Arith.h"
#include "platform/GbkCodec.h"
#include "platform/OutputFile.h"
#include "platform/SettingsFile.h"
#include "platform/pdf/PdfCanvas.h"
#include "platform/qt/CupsQueue.h"
#include "platform/qt/JobSender.h"
#include "platform/qt/Language.h"
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

// Bytes as the environment holds them: a folder named in GBK is that folder.
std::string PdfFolderFromEnvironment()
{
    const char* value = std::getenv("QUILLET_PDF_DIR");
    return value ? std::string(value) : std::string();
}


QString QueueFailure(CupsQueue::State state, const QString& queue)
{
    switch (state) {
    case CupsQueue::State::Gone:
        return QTr("QtPrinterHost", "打印机“%1”已不存在").arg(queue);
    case CupsQueue::State::Stopped:
        return QTr("QtPrinterHost", "打印机“%1”已停止，不能打印").arg(queue);
    case CupsQueue::State::Rejecting:
        return QTr("QtPrinterHost", "打印机“%1”不接受新的打印作业").arg(queue);
    case CupsQueue::State::Unreachable:
        return QTr("QtPrinterHost", "无法连接打印服务");
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
    if (options.copies > 1) {
        args << QStringLiteral("-n") << QString::number(options.copies) << QStringLiteral("-o")
             << (options.collate ? QStringLiteral("collate=true") : QStringLiteral("collate=false"));
    }
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

const Sides kAllSides[] = { Sides::OneSided, Sides::LongEdge, Sides::ShortEdge };

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

// The sides of a queue's IPP names; all of them when it named none.
std::vector<Sides> SidesOf(const std::vector<std::string>& keywords)
{
    std::vector<Sides> out;
    for (Sides side : kAllSides)
        if (keywords.empty()
            || std::find(keywords.begin(), keywords.end(), SidesKeyword(side)) != keywords.end())
            out.push_back(side);
    return out.empty() ? std::vector<Sides> { Sides::OneSided } : out;
}

// The options a job asks of the queue: the printer's sheet and the user's
// copies and sides, one-sided where the queue prints no other.
CupsJobOptions JobOptions(const QPrinter& printer, const JobPreferences& preferences,
    const std::vector<Sides>& sides = { std::begin(kAllSides), std::end(kAllSides) })
{
    CupsJobOptions o;
    const QPageLayout layout = printer.pageLayout();
    o.title = ToUtf8(printer.docName());
    o.media = ToUtf8(layout.pageSize().key());
    o.landscape = layout.orientation() == QPageLayout::Landscape;
    const bool printable = std::find(sides.begin(), sides.end(), preferences.sides) != sides.end();
    o.sides = SidesKeyword(printable ? preferences.sides : Sides::OneSided);
    o.copies = std::max(preferences.copies, 1);
    o.collate = preferences.collate;
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
    Init(LocalPath(pdfFolder));
}

QtPrinterHost::QtPrinterHost(const std::string& pdfFolder)
{
    Init(pdfFolder);
}

QtPrinterHost::~QtPrinterHost() = default;

void QtPrinterHost::Init(const std::string& pdfFolder)
{
    PreparePdfCanvas();
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    for (const QString& name : queues)
        names_.push_back(ToUtf8(name));
    if (!pdfFolder.empty()) {
        pdf_ = std::make_unique<PdfPrinter>(pdfFolder);
        pdfIndex_ = static_cast<int>(names_.size());
        names_.push_back(ToUtf8(PdfPrinter::Name()));
    }
    OpenPrinter(pdfIndex_ >= 0 ? pdfIndex_ : DefaultQueue(queues));
}

int QtPrinterHost::DefaultQueue(const QStringList& queues)
{
    if (queues.isEmpty())
        return -1;
    const int asked = static_cast<int>(queues.indexOf(QPrinterInfo::defaultPrinterName()));
    if (asked >= 0)
        return asked;
    // PRINTER or LPDEST may name a queue that is not there: the scheduler's
    // own default then, and the user is told.
    const int system = static_cast<int>(queues.indexOf(FromUtf8(CupsQueue::SchedulerDefault())));
    const int chosen = std::max(system, 0);
    QString named;
    for (const char* variable : { "LPDEST", "PRINTER" }) {
        named = qEnvironmentVariable(variable);
        if (!named.isEmpty())
            break;
    }
    if (!named.isEmpty() && !queues.contains(named.section(QLatin1Char('/'), 0, 0))) {
        notice_ = ToUtf8(system >= 0
                ? QTr("QtPrinterHost", "打印机“%1”不存在，改用系统默认打印机“%2”").arg(named, queues[chosen])
                : QTr("QtPrinterHost", "打印机“%1”不存在，改用打印机“%2”").arg(named, queues[chosen]));
    }
    return chosen;
}

void QtPrinterHost::RefreshPrinters()
{
    const bool wasPdf = CurrentIsPdf();
    const std::string current = current_ >= 0 ? names_[static_cast<std::size_t>(current_)] : std::string();
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    names_.clear();
    for (const QString& name : queues)
        names_.push_back(ToUtf8(name));
    // A current queue removed since stays in the list: its jobs say it is gone.
    if (!wasPdf && !current.empty() && std::find(names_.begin(), names_.end(), current) == names_.end())
        names_.push_back(current);
    pdfIndex_ = -1;
    if (pdf_) {
        pdfIndex_ = static_cast<int>(names_.size());
        names_.push_back(ToUtf8(PdfPrinter::Name()));
    }
    if (wasPdf) {
        current_ = pdfIndex_;
    } else if (!current.empty()) {
        current_ = static_cast<int>(std::find(names_.begin(), names_.end(), current) - names_.begin());
    } else if (!queues.isEmpty()) {
        OpenPrinter(DefaultQueue(queues)); // the first queue installed since the start
    }
}

std::vector<Sides> QtPrinterHost::SidesSupported(int index) const
{
    if (index < 0 || index >= static_cast<int>(names_.size()) || index == pdfIndex_)
        return PrinterHost::SidesSupported(index);
    const CupsQueue::Status status = CupsQueue(names_[static_cast<std::size_t>(index)]).Query();
    return SidesOf(status.sides);
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

namespace {

// Hands a finished document to a CUPS queue as one job; why it failed, in
// the program's words (UTF-8), empty when the queue took it.
std::string SubmitDocument(const CupsQueue& queue, const CupsJobOptions& options, const std::string& pdf)
{
    const QString name = FromUtf8(queue.Name());
    std::string detail;
    int id = 0;
    const CupsQueue::Result result = queue.Submit(pdf, options, detail, id);
    const QString why
        = detail.empty() ? QString() : QStringLiteral("(") + FromUtf8(detail) + QStringLiteral(")");
    switch (result) {
    case CupsQueue::Result::Printed:
        return {};
    case CupsQueue::Result::Held:
        return ToUtf8(
            QTr("QtPrinterHost", "打印作业%1已送到打印机“%2”，但打印机已停止，作业在队列中等待，没有打印%3")
                .arg(QString::number(id), name, why));
    case CupsQueue::Result::Gone:
    case CupsQueue::Result::Rejecting:
        return ToUtf8(QueueFailure(
            result == CupsQueue::Result::Gone ? CupsQueue::State::Gone : CupsQueue::State::Rejecting, name));
    case CupsQueue::Result::Refused:
        return ToUtf8(QTr("QtPrinterHost", "打印机“%1”拒绝了打印作业%2").arg(name, why));
    case CupsQueue::Result::Unreachable:
        break;
    }
    // Without the scheduler's ear, lp may still reach it (another server,
    // a client configuration libcups does not read).
    QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/quillet-job-XXXXXX.pdf"));
    bool ok = temp.open()
        && temp.write(pdf.data(), static_cast<qint64>(pdf.size())) == static_cast<qint64>(pdf.size())
        && temp.flush();
    ok = ok && SubmitWithLp(name, options, temp.fileName());
    return ok ? std::string() : ToUtf8(QueueFailure(CupsQueue::State::Unreachable, name) + why);
}

// Writes a finished document as the PDF printer's file of a job titled
// title, under the first free name; why it failed (UTF-8), empty when written.
std::string SaveJobFile(
    OutputFile& file, const std::string& pdf, const PdfPrinter& printer, const QString& title)
{
    std::string chosen;
    if (file.Write(pdf.data(), pdf.size())
        && file.CommitNew([&](int n) { return printer.FileName(title, n); }, PdfPrinter::kMaxTries, chosen))
        return {};
    file.Discard();
    return ToUtf8(QTr("QtPrinterHost", "无法写入PDF文件“%1”，%2")
            .arg(PathForMessage(printer.FileName(title, 1)), FileFailure(file.Error())));
}

} // namespace

// One job: a PDF document, saved as the PDF printer's file or handed to the
// CUPS queue when it ends. A job of one page is kept in memory until then;
// one that grows a second page goes into its file as its pages end.
class QtPrinterHost::Job : public PrintJob {
public:
    Job(QtPrinterHost& host, QString title, std::optional<CupsQueue> queue,
        const std::vector<Sides>& sides = { std::begin(kAllSides), std::end(kAllSides) })
        : host_(host)
        , title_(std::move(title))
        , queue_(std::move(queue))
        , options_(JobOptions(*host.printer_, host.preferences_, sides))
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
        if (queue_)
            return true;
        // The file is made now, so that a folder that takes none stops the
        // job before it is drawn.
        file_ = std::make_shared<OutputFile>();
        if (file_->OpenInFolder(host_.pdf_->Folder()))
            return true;
        return FolderFailure(file_->Error());
    }

    Canvas& GetCanvas() override { return *canvas_; }

    bool NextPage() override
    {
        if (finished_)
            return false;
        if (file_) {
            // A run of many pages in one job would not fit in memory.
            std::exchange(file_, nullptr)->Discard();
            if (!document_.StreamInto(host_.pdf_->Folder()))
                return FolderFailure(document_.ErrorNumber());
        }
        canvas_ = &document_.BeginPage(host_.Setup());
        return true;
    }

    bool End() override
    {
        if (finished_)
            return false;
        finished_ = true;
        host_.jobOpen_ = false;
        std::string failure;
        if (queue_) {
            failure = SubmitDocument(*queue_, options_, document_.Finish());
        } else if (file_) {
            failure = SaveJobFile(*file_, document_.Finish(), *host_.pdf_, title_);
        } else {
            // The file takes its name only now, complete: a run stopped
            // before leaves no file under a job's name.
            std::string chosen;
            const PdfPrinter& pdf = *host_.pdf_;
            if (!document_.SaveNew(
                    [&](int n) { return pdf.FileName(title_, n); }, PdfPrinter::kMaxTries, chosen))
                failure = ToUtf8(QTr("QtPrinterHost", "无法写入PDF文件“%1”，%2")
                        .arg(PathForMessage(pdf.FileName(title_, 1)), FileFailure(document_.ErrorNumber())));
        }
        host_.failure_ = failure;
        return failure.empty();
    }

    bool Send() override
    {
        if (finished_ || (!queue_ && !file_))
            return End();
        finished_ = true;
        host_.jobOpen_ = false;
        // The fonts are written here: the faces serve one thread only. What
        // goes on the other thread owns all it needs.
        auto pdf = std::make_shared<const std::string>(document_.Finish());
        JobSender& sender = host_.Sender();
        if (queue_) {
            sender.Send(
                [queue = *queue_, options = options_, pdf] { return SubmitDocument(queue, options, *pdf); });
        } else {
            sender.Send([file = file_, printer = *host_.pdf_, title = title_, pdf] {
                return SaveJobFile(*file, *pdf, printer, title);
            });
        }
        return true;
    }

    void Abort() override
    {
        if (finished_)
            return;
        finished_ = true;
        host_.jobOpen_ = false;
        if (file_)
            file_->Discard();
        document_.Discard();
    }

private:
    bool FolderFailure(int error)
    {
        host_.failure_ = ToUtf8(QTr("QtPrinterHost", "无法在PDF文件夹“%1”中建立文件，%2")
                .arg(PathForMessage(host_.pdf_->Folder()), FileFailure(error)));
        return false;
    }

    QtPrinterHost& host_;
    QString title_; // the PDF printer's file is named after it
    std::optional<CupsQueue> queue_;
    CupsJobOptions options_;
    pdf::PdfDocument document_;
    // The PDF printer's file while the document is kept in memory; null
    // once it streams into its own.
    std::shared_ptr<OutputFile> file_;
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
            failure_ = ToUtf8(QTr("QtPrinterHost", "无法在PDF文件夹“%1”中建立文件，%2")
                    .arg(PathForMessage(pdf_->Folder()), FileFailure(error)));
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
            failure_ = ToUtf8(QTr("QtPrinterHost", "打印机“%1”不能使用这种纸张(%2×%3毫米)")
                    .arg(name, QString::number(mm.width(), 'f', 1), QString::number(mm.height(), 'f', 1)));
            return nullptr;
        }
        job = std::make_unique<Job>(*this, QString(), std::move(queue), SidesOf(status.sides));
    }
    if (!job->Start())
        return nullptr;
    return job;
}

JobSender& QtPrinterHost::Sender()
{
    if (!sender_)
        sender_ = std::make_unique<JobSender>();
    return *sender_;
}

bool QtPrinterHost::WaitForSent()
{
    if (!sender_)
        return true;
    std::string failure = sender_->Wait();
    if (failure.empty())
        return true;
    failure_ = std::move(failure);
    return false;
}

bool QtPrinterHost::SetupDialog()
{
    if (QtMessageService::Unattended() || jobOpen_)
        return false;
    // Queues come and go while the program runs.
    RefreshPrinters();
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
    // Kept for the next start; a file that cannot be written loses only
    // that, not this session's choice, and the user is told.
    if (!preferencesFile_.empty())
        preferencesFailure_ = SavePreferences(preferencesFile_, preferences_, filesInUse_);
}

std::string QtPrinterHost::TakePreferencesFailure()
{
    const QString failure = std::exchange(preferencesFailure_, QString());
    // The same reason at every OK would only nag: it is told once.
    if (failure.isEmpty() || failure == preferencesTold_)
        return {};
    preferencesTold_ = failure;
    return ToUtf8(failure);
}

std::string QtPrinterHost::PreferencesFile()
{
    const std::string folder = UserConfigFolder();
    return folder.empty() ? std::string() : folder + "/quillet/printing.ini";
}

JobPreferences QtPrinterHost::LoadPreferences(const std::string& file)
{
    JobPreferences p;
    const std::optional<std::map<std::string, std::string>> values = ReadSettingsFile(file);
    if (!values)
        return p;
    auto value = [&values](const char* key) {
        const auto found = values->find(key);
        return found == values->end() ? QString() : FromUtf8(found->second);
    };
    bool ok = false;
    const int copies = value("print/copies").toInt(&ok);
    if (ok && copies >= 1 && copies <= JobPreferences::kMaxCopies)
        p.copies = copies;
    const QString sides = value("print/sides");
    if (sides == QLatin1String("two-sided-long-edge"))
        p.sides = Sides::LongEdge;
    else if (sides == QLatin1String("two-sided-short-edge"))
        p.sides = Sides::ShortEdge;
    p.oneJobPerRun = value("print/one-job-per-run") == QLatin1String("true");
    p.collate = value("print/collate") != QLatin1String("false");
    return p;
}

QString QtPrinterHost::SavePreferences(
    const std::string& file, const JobPreferences& preferences, const std::vector<std::string>& inUse)
{
    const SettingsWrite written = WriteSettingsFile(file,
        { { "print/copies", std::to_string(preferences.copies) },
            { "print/sides", SidesKeyword(preferences.sides) },
            { "print/one-job-per-run", preferences.oneJobPerRun ? "true" : "false" },
            { "print/collate", preferences.collate ? "true" : "false" } },
        inUse);
    if (written.Written())
        return {};
    const QString why = written.refusal != OutputRefusal::None ? OutputRefusalReason(written.refusal)
                                                               : FileFailure(written.error, file);
    return QTr("QtPrinterHost", "无法把打印设置保存到“%1”，%2。份数和双面打印的设置只在这次运行中有效")
        .arg(PathForMessage(file), why);
}

} // namespace quillet
