#include "preview/XlsxReportFile.h"

#include "engine/BuffPaper.h"
#include "geometry/HeadlessPaperHost.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfFileHost.h"
#include "platform/qt/Language.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/OutputMessages.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtPrinterHost.h"

namespace quillet {

XlsxPagination CountReportPages(TMyPrintFormat& format, TMyPrintData& data, const TMyScreen& screen,
    BitmapFactory& bitmaps, const PdfReportPages& layout)
{
    if (const TMyBuffPaper* counted = layout.counted)
        return { counted->BlocksPerPage, counted->BlockCount, counted->LastBlockRows, counted->PageCount,
            counted->PrintRate };
    // The blocks stacked on a sheet depend on the texts measured on the
    // page, so the pages are counted on the same sheet the PDF export uses.
    QtPrinterHost::PreparePdfCanvas();
    pdf::PdfDocument document;
    pdf::PdfFileHost host(document);
    host.UseWholeSheet(layout.pageWidth, layout.pageHeight);
    TMyPrinter printer(host);
    HeadlessPaperHost<QtBitmap> paperHost;
    TMyPaper paper(paperHost, screen);
    static_cast<TMyPaperSpec&>(printer) = layout.sheet;
    printer.ApplySettings();
    TMyBuffPaper pages(format, data, screen, printer, paper, bitmaps);
    pages.SetPageSize(layout.pageWidth, layout.pageHeight);
    pages.PrintRate = layout.printRate;
    pages.Paginate();
    return { pages.BlocksPerPage, pages.BlockCount, pages.LastBlockRows, pages.PageCount, pages.PrintRate };
}

namespace {

QString FailureText(const XlsxReportResult& result, const std::string& path, const QString& kind)
{
    const QString shown = PathForMessage(path);
    switch (result.outcome) {
    case XlsxReportResult::Written:
    case XlsxReportResult::Cancelled:
        return QString();
    case XlsxReportResult::Refused:
        return OutputRefusalText(result.refusal, shown);
    case XlsxReportResult::Failed:
        break;
    }
    if (!result.message.empty())
        return QString::fromStdString(result.message);
    return QTr("XlsxReportFile", "无法写入%1文件“%2”，%3").arg(kind, shown, FileFailure(result.errorNumber, path));
}

} // namespace

QString XlsxFailureText(const XlsxReportResult& result, const std::string& path)
{
    return FailureText(result, path, QStringLiteral("Excel"));
}

QString CsvFailureText(const XlsxReportResult& result, const std::string& path)
{
    return FailureText(result, path, QStringLiteral("CSV"));
}

} // namespace quillet
