#include "preview/PdfReport.h"

#include <exception>

#include "engine/EngineError.h"
#include "geometry/HeadlessPaperHost.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "platform/FileSystem.h"
#include "platform/GbkCodec.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfFileHost.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/OutputMessages.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtPrinterHost.h"

namespace quillet {
namespace {

PdfReportResult Failure(const QString& message, int pages = 0)
{
    return { PdfReportResult::Failed, pages, message };
}

} // namespace

QString PdfWriteFailure(const QString& path, int number, const std::string& file)
{
    return QStringLiteral("无法写入PDF文件“") + path + QStringLiteral("”，") + FileFailure(number, file);
}

PdfReportResult WriteReportPdf(TMyPrintFormat& format, TMyPrintData& data, const TMyScreen& screen,
    BitmapFactory& bitmaps, const PdfReportPages& layout, const std::string& path,
    const std::vector<std::string>& inUse, PrintProgress* progress)
{
    QtPrinterHost::PreparePdfCanvas();
    pdf::PdfDocument document;
    document.SetTitle(GbkToUtf8(format.Title.Text.Text()));
    // Pages go into a file beside the PDF as they end, so a long report needs
    // little memory, and a folder that cannot take the file is known before
    // the first page is drawn. Save renames it into place; a document left
    // unsaved (cancel, failure) takes its file with it.
    const OutputTarget target = CheckOutputTarget(path, inUse);
    if (target.refusal != OutputRefusal::None)
        return Failure(OutputRefusalText(target.refusal, PathForMessage(path)));
    if (!document.StreamTo(path))
        return Failure(PdfWriteFailure(PathForMessage(path), document.ErrorNumber(), target.file));
    pdf::PdfFileHost host(document);
    // The pages are the preview on paper: the sheet the preview shows, every
    // line at the millimetre it has there (not on a printer's printable area).
    host.UseWholeSheet(layout.pageWidth, layout.pageHeight);
    TMyPrinter printer(host);
    HeadlessPaperHost<QtBitmap> paperHost;
    TMyPaper paper(paperHost, screen);
    int drawn = 0;
    try {
        static_cast<TMyPaperSpec&>(printer) = layout.sheet;
        printer.ApplySettings();
        TMyBuffPaper pages(format, data, screen, printer, paper, bitmaps);
        pages.SetPageSize(layout.pageWidth, layout.pageHeight);
        pages.PrintRate = layout.printRate;
        if (layout.counted) {
            pages.PageCount = layout.counted->PageCount;
            pages.BlocksPerPage = layout.counted->BlocksPerPage;
            pages.BlockCount = layout.counted->BlockCount;
            pages.LastBlockRows = layout.counted->LastBlockRows;
        } else {
            pages.Paginate();
        }
        drawn = pages.PrintPages(1, pages.PageCount, progress);
        if (drawn < pages.PageCount)
            return { PdfReportResult::Cancelled, drawn, QString() };
    } catch (const EngineError& error) {
        // A whole report runs without its pages on the screen: a bad cell
        // says where it lies.
        return Failure(QString::fromStdString(MessageWithPlace(error)), drawn);
    } catch (const std::exception& error) {
        return Failure(QString::fromUtf8(error.what()), drawn);
    } catch (...) {
        return Failure(QStringLiteral("发生了未知的错误"), drawn);
    }
    if (!document.Save(path))
        return Failure(PdfWriteFailure(PathForMessage(path), document.ErrorNumber(), target.file), drawn);
    return { PdfReportResult::Written, drawn, QString() };
}

} // namespace quillet
