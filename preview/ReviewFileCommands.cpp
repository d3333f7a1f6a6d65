// Commands that act on files, on the printer or outside the program: the
// saved layout, the page picture, the PDF of the whole report, printing,
// help, mail, home page, closing.
#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <cerrno>
#include <utility>

#include "dialogs/DialogFrame.h"
#include "platform/Arith.h"
#include "platform/FileSystem.h"
#include "platform/GbkCodec.h"
#include "platform/OutputFile.h"
#include "platform/Product.h"
#include "platform/ProgramFiles.h"
#include "platform/Texts.h"
#include "platform/qt/Language.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/OutputMessages.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtMessageService.h"
#include "preview/HelpWindow.h"
#include "preview/PdfReport.h"
#include "preview/PrintReview.h"
#include "preview/XlsxReportFile.h"
#include "sources/LayoutJson.h"

namespace quillet {
namespace {

QString BmpFilter()
{
    return QTr("ReviewFileCommands", "位图格式 (*.bmp)");
}
QString PngFilter()
{
    return QTr("ReviewFileCommands", "PNG 图片 (*.png)");
}
QString OnlyViewText()
{
    return QTr("ReviewFileCommands", "对不起！只能预览不能打印");
}

// The save-picture dialog of the desktop; an unattended run cancels it.
QString AskPictureFile(QWidget* parent, const QString& proposed, QString& filter)
{
    if (QtMessageService::Unattended())
        return {};
    QFileDialog dialog(parent, QTr("ReviewFileCommands", "保存到图片"), QString(),
        BmpFilter() + QStringLiteral(";;") + PngFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    dialog.selectFile(proposed);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
        dialog.setDefaultSuffix(chosen == PngFilter() ? QStringLiteral("png") : QStringLiteral("bmp"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    filter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

// The export dialog of the desktop; an unattended run cancels it.
QString AskExportFile(QWidget* parent, const QString& caption, const QString& filter, const QString& suffix,
    const QString& proposed, const std::function<QString(const QString&)>& hook)
{
    QString path;
    if (hook) {
        path = hook(proposed);
    } else if (!QtMessageService::Unattended()) {
        QFileDialog dialog(parent, caption, QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(suffix);
        dialog.selectFile(proposed);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    // A name typed without an ending gets the export's own.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + suffix;
    return path;
}

// The report's title as a file name: a title is no path, so its slashes
// would point into other folders.
QString TitleAsFileName(const TMyPrintFormat& format)
{
    QString title = QString::fromStdString(GbkToUtf8(format.Title.Text.Text()));
    title.replace(QLatin1Char('/'), QLatin1Char('_'));
    title.replace(QChar(0), QLatin1Char('_'));
    return title;
}

} // namespace

// Every command of the window is off while the run lasts and comes back as it
// was; a close asked for meanwhile cancels the run and happens after it. The
// box itself holds mouse and keys away from the window while it is up.
class TFrmPrintReview::PageRunScope {
public:
    PageRunScope(TFrmPrintReview& window, TPageProgress& box)
        : window_(window)
    {
        window_.runBox_ = &box;
        for (QAction* action : window_.Actions) {
            if (action->isEnabled()) {
                action->setEnabled(false);
                disabled_.append(action);
            }
        }
    }
    ~PageRunScope()
    {
        for (QAction* action : disabled_)
            action->setEnabled(true);
        window_.runBox_ = nullptr;
        if (std::exchange(window_.closeAfterRun_, false))
            QMetaObject::invokeMethod(&window_, &QWidget::close, Qt::QueuedConnection);
    }
    PageRunScope(const PageRunScope&) = delete;
    PageRunScope& operator=(const PageRunScope&) = delete;

private:
    TFrmPrintReview& window_;
    QList<QAction*> disabled_;
};

void TFrmPrintReview::ActionSaveFormatExecute()
{
    // The writer stamps the paper of the printer into the record; it is
    // written from a copy so that a failed save leaves the record as it was.
    TMyPrintFormat copy = *PrintFormat;
    TMyPaperSpec paper = *Printer;
    const std::string& path = SavedFormatPath;
    // The saved layout loaded at start is ours to replace; the files the
    // caller handed over are not, even through a link put in its place.
    if (const OutputTarget target = CheckOutputTarget(path, { PrintData->FileName, FormatArgument });
        target.refusal != OutputRefusal::None) {
        ShowPlainMessage(QTr("ReviewFileCommands", "保存格式文件时出错!\n%1")
                .arg(OutputRefusalText(target.refusal, PathForMessage(SavedFormatPath))));
        return;
    }
    int error = 0;
    errno = 0;
    if (!PrepareLayoutFolder(path))
        error = errno != 0 ? errno : ENOENT;
    else
        copy.SaveToFile(path, paper, &error);
    if (error != 0) {
        ShowPlainMessage(QTr("ReviewFileCommands", "保存格式文件时出错!\n无法写入“%1”，%2")
                .arg(PathForMessage(path), FileFailure(error, CheckOutputTarget(path).file)));
        return;
    }
    *PrintFormat = copy;
    static_cast<TMyPaperSpec&>(*Printer) = paper;
}

void TFrmPrintReview::ActionDeleteFormatExecute()
{
    // The layout start-up would load: the user's own before the one beside a
    // read-only program.
    const std::string path = SavedLayoutInUse(SavedFormatPath, SavedFormatFallback);
    if (path.empty()) {
        ShowHintMessage(QTr("ReviewFileCommands", "没有保存过当前的打印格式"));
        return;
    }
    const MessageResult answer = Services.messages.Show(HintTitle().toStdString(),
        QTr("ReviewFileCommands", "是否真的要删除当前保存的打印格式？").toStdString(), MessageButtons::YesNo);
    if (answer != MessageResult::Yes)
        return;
    if (!DeleteFile(path)) {
        ShowHintMessage(QTr("ReviewFileCommands", "删除保存的打印格式时出错!"));
        return;
    }
    ShowHintMessage(QTr("ReviewFileCommands", "删除成功！"));
}

QString TFrmPrintReview::ProposedPictureName() const
{
    return TitleAsFileName(*PrintFormat) + QStringLiteral("(") + QString::number(BuffPaper->CurrentPage)
        + QStringLiteral(")");
}

void TFrmPrintReview::ActionSavePictureExecute()
{
    QString filter = BmpFilter();
    const QString proposed = ProposedPictureName();
    const QString path
        = Hook.pictureFile ? Hook.pictureFile(proposed, filter) : AskPictureFile(this, proposed, filter);
    if (path.isEmpty())
        return;
    QString target = path;
    // A name without an extension takes the one of the chosen filter.
    if (QFileInfo(target).suffix().isEmpty())
        target += filter == PngFilter() ? QStringLiteral(".png") : QStringLiteral(".bmp");
    SavePictureTo(target);
}

bool TFrmPrintReview::SavePictureTo(const QString& path)
{
    const QString failed = QTr("ReviewFileCommands", "无法把图片保存到“%1”").arg(path);
    // The sheet as the engine shows it at 100 % and 50 %; at other zooms the
    // page as the engine drew it at the screen's 96 dpi.
    auto* picture = dynamic_cast<QtBitmap*>(LegacyZoom() ? previewPicture_.get() : &BuffPaper->PageImage());
    const bool png = QFileInfo(path).suffix().compare(QStringLiteral("png"), Qt::CaseInsensitive) == 0;
    // Made in memory first, so that the file is written whole or not at all.
    QByteArray bytes;
    if (picture && !picture->Image().isNull()) {
        // The page image holds no transparency: a 24-bit picture, as a bitmap file stores it.
        const QImage image = picture->Image().convertToFormat(QImage::Format_RGB888);
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, png ? "PNG" : "BMP"))
            bytes.clear();
    }
    if (bytes.isEmpty()) {
        ShowPlainMessage(QTr("ReviewFileCommands", "无法把图片保存到“%1”，没有可以保存的页面图像").arg(path));
        return false;
    }
    OutputFile file;
    if (!file.Open(LocalPath(path), FilesInUse())) {
        ShowPlainMessage(file.Refusal() != OutputRefusal::None ? OutputRefusalText(file.Refusal(), path)
                                                               : OutputFailureText(failed, file));
        return false;
    }
    if (!file.Write(bytes.constData(), static_cast<std::size_t>(bytes.size())) || !file.Commit()) {
        ShowPlainMessage(OutputFailureText(failed, file));
        return false;
    }
    return true;
}

std::vector<std::string> TFrmPrintReview::FilesInUse() const
{
    return { PrintData->FileName, FormatArgument, LoadedLayout };
}

QString TFrmPrintReview::ProposedPdfName() const
{
    const QString title = TitleAsFileName(*PrintFormat);
    return title.isEmpty() ? QTr("ReviewFileCommands", "报表") : title;
}

void TFrmPrintReview::ActionExportPdfExecute()
{
    // The whole report in a file is as good as printed.
    if (OnlyView) {
        ShowPlainMessage(OnlyViewText());
        return;
    }
    const QString proposed = ProposedPdfName();
    const QString path = AskExportFile(
this, QTr("ReviewFileCommands", "导出PDF"),
        QTr("ReviewFileCommands", "PDF 文件 (*.pdf)"), QStringLiteral("pdf"), proposed, Hook.pdfFile);
    if (path.isEmpty())
        return;
    ExportPdfTo(path);
}

bool TFrmPrintReview::ExportPdfTo(const QString& path)
{
    // The pages as the window prints them: its layout with the edits not yet
    // saved, the printer's sheet, the page size, print scale and page count
    // of its page buffer. None of them is changed.
    PdfReportPages layout;
    layout.sheet = static_cast<const TMyPaperSpec&>(*Printer);
    layout.pageWidth = BuffPaper->PageWidth;
    layout.pageHeight = BuffPaper->PageHeight;
    layout.printRate = BuffPaper->PrintRate;
    layout.counted = BuffPaper.get();
    PdfReportResult result;
    {
        TPageProgress box(
            QTr("ReviewFileCommands", "导出PDF"), QTr("ReviewFileCommands", "正在导出第%1页，共%2页"), this);
        PageRunScope scope(*this, box);
        BoxProgress progress(box, Hook.progress);
        result = WriteReportPdf(*PrintFormat, *PrintData, *Screen, layout, LocalPath(path),
            FilesInUse(), &progress);
    }
    if (result.outcome == PdfReportResult::Failed)
        ShowPlainMessage(result.message);
    return result.outcome == PdfReportResult::Written;
}

void TFrmPrintReview::ActionExportXlsxExecute()
{
    // The whole report in a workbook is as good as printed.
    if (OnlyView) {
        ShowPlainMessage(OnlyViewText());
        return;
    }
    const QString proposed = ProposedPdfName();
    const QString path = AskExportFile(
this, QTr("ReviewFileCommands", "导出Excel"),
        QTr("ReviewFileCommands", "Excel 工作簿 (*.xlsx)"), QStringLiteral("xlsx"), proposed, Hook.xlsxFile);
    if (path.isEmpty())
        return;
    ExportXlsxTo(path);
}

void TFrmPrintReview::ActionExportJsonExecute()
{
    // A layout is no printed report: preview-only mode exports it too.
    // A layout made for a CSV file goes by the file's name.
    QString proposed = QString::fromStdString(FileNameToUtf8(FormatArgument.empty() ? PrintData->FileName : FormatArgument));
    proposed = QFileInfo(proposed).completeBaseName();
    if (proposed.isEmpty())
        proposed = QTr("ReviewFileCommands", "格式");
    const QString path = AskExportFile(
this, QTr("ReviewFileCommands", "导出格式为JSON"),
        QTr("ReviewFileCommands", "JSON 格式文件 (*.json)"), QStringLiteral("json"), proposed, Hook.jsonFile);
    if (path.isEmpty())
        return;
    ExportJsonTo(path);
}

bool TFrmPrintReview::ExportJsonTo(const QString& path)
{
    // The paper as saving the layout would stamp it, on a copy: the window's
    // layout and printer stay as they are.
    TMyPrintFormat layout = *PrintFormat;
    TMyPaperSpec paper = *Printer;
    std::vector<std::uint8_t> image;
    layout.SaveToBytes(paper, image);
    OutputFile file;
    if (SaveJsonLayout(file, LocalPath(path), layout, FilesInUse()))
        return true;
    ShowPlainMessage(file.Refusal() != OutputRefusal::None
            ? OutputRefusalText(file.Refusal(), path)
            : OutputFailureText(QTr("ReviewFileCommands", "无法写入JSON文件“%1”").arg(path), file));
    return false;
}

bool TFrmPrintReview::ExportXlsxTo(const QString& path)
{
    return ExportSheetsTo(path, false);
}

bool TFrmPrintReview::ExportSheetsTo(const QString& path, bool csv)
{
    // The pages as the window counted them, with the edits not yet saved.
    PdfReportPages layout;
    layout.counted = BuffPaper.get();
    const std::string target = LocalPath(path);
    XlsxReportResult result;
    {
        TPageProgress box(csv ? QTr("ReviewFileCommands", "导出CSV") : QTr("ReviewFileCommands", "导出Excel"),
            QTr("ReviewFileCommands", "正在导出第%1页，共%2页"), this);
        PageRunScope scope(*this, box);
        BoxProgress progress(box, Hook.progress);
        const XlsxPagination pages
            = CountReportPages(*PrintFormat, *PrintData, *Screen, Services.bitmaps, layout);
        result = csv ? WriteReportCsv(*PrintFormat, *PrintData, pages, target, FilesInUse(), &progress)
                     : WriteReportXlsx(*PrintFormat, *PrintData, pages, target, FilesInUse(), &progress);
    }
    const QString failure = csv ? CsvFailureText(result, target) : XlsxFailureText(result, target);
    if (!failure.isEmpty())
        ShowPlainMessage(failure);
    return result.outcome == XlsxReportResult::Written;
}

void TFrmPrintReview::ActionExportCsvExecute()
{
    // The report's data in a file is as good as printed.
    if (OnlyView) {
        ShowPlainMessage(OnlyViewText());
        return;
    }
    const QString path = AskExportFile(
this, QTr("ReviewFileCommands", "导出CSV"),
        QTr("ReviewFileCommands", "CSV 文件 (*.csv)"), QStringLiteral("csv"), ProposedPdfName(), Hook.csvFile);
    if (path.isEmpty())
        return;
    ExportCsvTo(path);
}

bool TFrmPrintReview::ExportCsvTo(const QString& path)
{
    return ExportSheetsTo(path, true);
}

void TFrmPrintReview::ActionStartPrintExecute()
{
    if (OnlyView) {
        ShowPlainMessage(OnlyViewText());
        return;
    }
    if (!Services.printers.HasPrinter()) {
        ShowPlainMessage(QTr("ReviewFileCommands", "没有安装打印机!"));
        return;
    }
    PrintRunResult run;
    {
        const std::unique_ptr<TPageProgress> box = NewPrintProgress(this);
        PageRunScope scope(*this, *box);
        run = PrintPageRun(*BuffPaper, 1, BuffPaper->PageCount, *box, Hook.progress);
    }
    ReportPrintRun(Services.messages, run);
}

void TFrmPrintReview::ActionSetPrinterExecute()
{
    if (!Services.printers.HasPrinter()) {
        ShowPlainMessage(QTr("ReviewFileCommands", "没有安装打印机!"));
        return;
    }
    Services.printers.SetFilesInUse(FilesInUse());
    const bool confirmed = Hook.printerSetup ? Hook.printerSetup() : Services.printers.SetupDialog();
    if (!confirmed)
        return;
    if (const std::string failure = Services.printers.TakePreferencesFailure(); !failure.empty())
        ShowPlainMessage(QString::fromStdString(failure));
    // The new paper and the texts read again are one step, paper and all.
    History->Begin(true);
    ScrollToOrigin();
    Printer->ReadSettings();
    RunEngine([this] {
        // The layout paper is the printer's, in whole centimetres.
        BuffPaper->SetPageSize(
            Round(Printer->LyingWidth() / 10.0L) * 10, Round(Printer->LyingLength() / 10.0L) * 10);
        PrintData->ReadHeadFoot();
    });
    History->Record("ReviewFileCommands", QUILLET_TEXT("ReviewFileCommands", "设置打印机"), StepRefresh::Repaginate);
    RepaginateAndShow();
    ApplyFit();
}

void TFrmPrintReview::ActionHelpExecute()
{
    // Beside the program in a build or unpacked copy, among the installed
    // documentation otherwise; the one of the language in use.
    const std::string manual
        = ManualFile(LocalPath(QDir::cleanPath(ExePath)), DocFolderFromProgram(), ManualName());
    // A desktop without a browser cannot show it: the program shows it itself.
    Services.shell.OpenDocument(manual, [window = QPointer<TFrmPrintReview>(this), manual] {
        if (!window)
            return;
        if (!window->HelpWindow)
            window->HelpWindow = new THelpWindow(window->Services.shell, window);
        window->HelpWindow->ShowManual(FromLocalPath(manual));
    });
}

void TFrmPrintReview::ActionMailExecute()
{
    Services.shell.Open(std::string("mailto:") + product::kSupportMail);
}

void TFrmPrintReview::ActionHomePageExecute()
{
    Services.shell.Open(product::kHomePage);
}

void TFrmPrintReview::ActionCloseExecute()
{
    close();
}

} // namespace quillet
