#include "shell/PdfExport.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "platform/Arith.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFiles.h"
#include "platform/qt/Language.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtMessageService.h"
#include "dialogs/DialogFrame.h"
#include "preview/PdfReport.h"
#include "preview/XlsxReportFile.h"
#include "shell/Startup.h"

namespace quillet {
namespace {

int Fail(const QString& message)
{
    // The caption a message box would have, in the language in use.
    const std::string line = QtMessageService::UnattendedLine(
        ProgramTitle().toStdString(), message.toStdString());
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return 1;
}

// Loads the format (a saved layout first unless the mode says NotDef) and
// the data as a normal start does; the files read go to inUse. Returns the
// message of a failure, empty when both are ready.
QString LoadReport(const std::string& outPath, const CommandArguments& arguments, TMyPrintFormat& format,
    TMyPrintData& data, std::vector<std::string>& inUse)
{
    if (outPath.empty())
        return QTr("PdfExport", "传递参数不正确!");
    OpenedReport opened;
    if (const QString failure = OpenReport(arguments, format, data, opened); !failure.isEmpty())
        return failure;
    try {
        data.ReadHeadFoot();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QTr("PdfExport", "发生了未知的错误");
    }
    // The files read are never written over, under whatever name.
    inUse = { opened.dataPath, opened.formatArgument, opened.layoutPath };
    return QString();
}

// The format's own paper, laid out in whole centimetres as at a start.
PdfReportPages FormatPages(const TMyPrintFormat& format)
{
    PdfReportPages layout;
    layout.sheet = { format.PaperSize, format.PaperWidth, format.PaperLength, format.Orientation };
    layout.pageWidth = Round(layout.sheet.LyingWidth() / 10.0L) * 10;
    layout.pageHeight = Round(layout.sheet.LyingLength() / 10.0L) * 10;
    return layout;
}

} // namespace

int ExportPdf(const std::string& pdfPath, const CommandArguments& arguments)
{
    TMyPrintFormat format;
    TMyPrintData data(format);
    std::vector<std::string> inUse;
    if (const QString failure = LoadReport(pdfPath, arguments, format, data, inUse); !failure.isEmpty())
        return Fail(failure);
    QtDisplay display;
    TMyScreen screen(display);
    const PdfReportResult result = WriteReportPdf(format, data, screen, FormatPages(format), pdfPath, inUse);
    if (result.outcome != PdfReportResult::Written)
        return Fail(result.message);
    return 0;
}

namespace {

// The workbook and the CSV file are paginated and written alike; only the
// writer and its failure text differ.
using SheetWriter = XlsxReportResult (*)(const TMyPrintFormat&, TMyPrintData&, const XlsxPagination&,
    const std::string&, const std::vector<std::string>&);
using SheetFailureText = QString (*)(const XlsxReportResult&, const std::string&);

int ExportSheets(
    const std::string& path, const CommandArguments& arguments, SheetWriter write, SheetFailureText failureText)
{
    TMyPrintFormat format;
    TMyPrintData data(format);
    std::vector<std::string> inUse;
    if (const QString failure = LoadReport(path, arguments, format, data, inUse); !failure.isEmpty())
        return Fail(failure);
    QtDisplay display;
    TMyScreen screen(display);
    QtBitmapFactory bitmaps;
    XlsxReportResult result;
    try {
        const XlsxPagination pages = CountReportPages(format, data, screen, bitmaps, FormatPages(format));
        result = write(format, data, pages, path, inUse);
    } catch (const std::exception& error) {
        return Fail(QString::fromUtf8(error.what()));
    }
    if (result.outcome != XlsxReportResult::Written)
        return Fail(failureText(result, path));
    return 0;
}

} // namespace

int ExportXlsx(const std::string& xlsxPath, const CommandArguments& arguments)
{
    return ExportSheets(
        xlsxPath, arguments,
        [](const TMyPrintFormat& format, TMyPrintData& data, const XlsxPagination& pages, const std::string& path,
            const std::vector<std::string>& inUse) { return WriteReportXlsx(format, data, pages, path, inUse); },
        XlsxFailureText);
}

int ExportCsv(const std::string& csvPath, const CommandArguments& arguments)
{
    return ExportSheets(
        csvPath, arguments,
        [](const TMyPrintFormat& format, TMyPrintData& data, const XlsxPagination& pages, const std::string& path,
            const std::vector<std::string>& inUse) { return WriteReportCsv(format, data, pages, path, inUse); },
        CsvFailureText);
}

} // namespace quillet
