#include "shell/PdfExport.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <exception>

#include "engine/BuffPaper.h"
#include "geometry/HeadlessPaperHost.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "platform/Arith.h"
#include "platform/FileSystem.h"
#include "platform/GbkCodec.h"
#include "platform/ProgramFiles.h"
#include "platform/pdf/PdfFileHost.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtMessageService.h"
#include "platform/qt/QtPrinterHost.h"
#include "shell/Startup.h"

namespace quillet {
namespace {

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

int Fail(const QString& message)
{
    const std::string line = QtMessageService::UnattendedLine(
        QCoreApplication::applicationName().toStdString(), message.toStdString());
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return 1;
}

} // namespace

int ExportPdf(const QString& pdfPath, const QStringList& arguments)
{
    if (arguments.size() < 2 || pdfPath.isEmpty())
        return Fail(QStringLiteral("传递参数不正确!"));
    const QString dataPath = arguments[0];
    QString formatPath = arguments[1];
    if (!FileExists(LocalPath(dataPath)))
        return Fail(DataOpenMessage(kFileMissing, dataPath));
    if (!FileExists(LocalPath(formatPath)))
        return Fail(FormatLoadMessage(kFileMissing, formatPath));
    const RunMode mode = ModeFromArguments(arguments);
    if (mode.preferSaved) {
        const std::string saved = FindSavedLayout(CurrentLayoutFolders(), LocalPath(FormatBaseName(formatPath)));
        if (!saved.empty())
            formatPath = QFile::decodeName(QByteArray::fromStdString(saved));
    }

    TMyPrintFormat format;
    TMyPrintData data(format);
    if (const QString failure = FormatLoadMessage(format.LoadFromFile(LocalPath(formatPath)), formatPath);
        !failure.isEmpty())
        return Fail(failure);
    if (const QString failure = DataOpenMessage(data.Open(LocalPath(dataPath)), dataPath); !failure.isEmpty())
        return Fail(failure);

    // Size-0 fonts take the size they take on the screen; pictures are the
    // toolkit's.
    QtPrinterHost::PreparePdfCanvas();
    pdf::PdfDocument document;
    document.SetTitle(GbkToUtf8(format.Title.Text.Text()));
    // Pages go out to a file beside the PDF as they end: a long report needs
    // little memory. Save renames it into place; a failure removes it.
    std::string error;
    if (!document.StreamTo(LocalPath(pdfPath), &error))
        return Fail(QStringLiteral("无法写入PDF文件") + QString::fromUtf8(error.c_str()));
    pdf::PdfFileHost host(document);
    QtDisplay display;
    TMyScreen screen(display);
    TMyPrinter printer(host);
    HeadlessPaperHost<QtBitmap> paperHost;
    TMyPaper paper(paperHost, screen);
    QtBitmapFactory bitmaps;
    try {
        printer.PaperSize = format.PaperSize;
        printer.PaperWidth = format.PaperWidth;
        printer.PaperLength = format.PaperLength;
        printer.Orientation = format.Orientation;
        printer.ApplySettings();
        TMyBuffPaper pages(format, data, screen, printer, paper, bitmaps);
        pages.SetPageSize(Round(format.PaperWidth / 10.0L) * 10, Round(format.PaperLength / 10.0L) * 10);
        data.ReadHeadFoot();
        pages.Paginate();
        pages.PrintPages(1, pages.PageCount);
    } catch (const std::exception& error) {
        return Fail(QString::fromUtf8(error.what()));
    } catch (...) {
        return Fail(QStringLiteral("发生了未知的错误"));
    }
    if (!document.Save(LocalPath(pdfPath), &error))
        return Fail(QStringLiteral("无法写入PDF文件") + QString::fromUtf8(error.c_str()));
    return 0;
}

} // namespace quillet
