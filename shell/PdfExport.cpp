#include "shell/PdfExport.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <utility>

#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "platform/Arith.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFiles.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtMessageService.h"
#include "preview/PdfReport.h"
#include "shell/Startup.h"

namespace quillet {
namespace {

int Fail(const QString& message)
{
    const std::string line = QtMessageService::UnattendedLine(
        QCoreApplication::applicationName().toStdString(), message.toStdString());
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return 1;
}

} // namespace

int ExportPdf(const std::string& pdfPath, const CommandArguments& arguments)
{
    if (arguments.size() < 2 || pdfPath.empty())
        return Fail(QStringLiteral("传递参数不正确!"));
    // The paths stay in the bytes they were given, down to the file calls.
    const std::string& dataPath = arguments[0];
    std::string formatPath = arguments[1];
    if (!FileExists(dataPath))
        return Fail(DataOpenMessage(kFileMissing, dataPath));
    if (!FileExists(formatPath))
        return Fail(FormatLoadMessage(kFileMissing, formatPath));
    const RunMode mode = ModeFromArguments(arguments);
    if (mode.preferSaved) {
        if (std::string saved = FindSavedLayout(CurrentLayoutFolders(), FormatBaseName(formatPath));
            !saved.empty())
            formatPath = std::move(saved);
    }

    TMyPrintFormat format;
    TMyPrintData data(format);
    if (const QString failure = FormatLoadMessage(format.LoadFromFile(formatPath), formatPath);
        !failure.isEmpty())
        return Fail(failure);
    if (const QString failure = DataOpenMessage(data.Open(dataPath), dataPath); !failure.isEmpty())
        return Fail(failure);
    try {
        data.ReadHeadFoot();
    } catch (const std::exception& error) {
        return Fail(QString::fromUtf8(error.what()));
    } catch (...) {
        return Fail(QStringLiteral("发生了未知的错误"));
    }

    QtDisplay display;
    TMyScreen screen(display);
    QtBitmapFactory bitmaps;
    // The format's own paper, laid out in whole centimetres as at a start.
    PdfReportPages layout;
    layout.sheet = { format.PaperSize, format.PaperWidth, format.PaperLength, format.Orientation };
    layout.pageWidth = Round(format.PaperWidth / 10.0L) * 10;
    layout.pageHeight = Round(format.PaperLength / 10.0L) * 10;
    // The files read are never written over, under whatever name.
    const std::vector<std::string> inUse { dataPath, arguments[1], formatPath };
    const PdfReportResult result = WriteReportPdf(format, data, screen, bitmaps, layout, pdfPath, inUse);
    if (result.outcome != PdfReportResult::Written)
        return Fail(result.message);
    return 0;
}

} // namespace quillet
