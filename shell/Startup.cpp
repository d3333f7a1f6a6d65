#include "shell/Startup.h"

#include <QFile>
#include <QFileInfo>

#include "platform/Arith.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFiles.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/QtMessageService.h"
#include "preview/PrintReview.h"

namespace quillet {
namespace {

QString AsciiLower(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return out;
}

QString Quoted(const QString& path)
{
    return QStringLiteral("\"") + path + QStringLiteral("\"");
}

// Ends the run after a failure message: status 0 for a person, who saw the
// message; non-zero for an unattended caller, who can only see the status.
void Fail(TFrmPrintReview& window)
{
    window.RequestEnd(Unattended() ? 1 : 0);
}

} // namespace

QString FormatLoadMessage(int result, const QString& path)
{
    switch (result) {
    case kFileOk:
        return {};
    case kFileMissing:
        return QStringLiteral("格式文件") + Quoted(path) + QStringLiteral("不存在!");
    case kFileBadSignature:
        return QStringLiteral("格式文件") + Quoted(path) + QStringLiteral("格式不对!");
    case kFileIoError:
        return QStringLiteral("对格式文件") + Quoted(path) + QStringLiteral("读时发生错误!");
    case kFileBadVersion:
        return QStringLiteral("此程序不支持这个版的格式文件") + path;
    default:
        return QStringLiteral("对格式文件") + Quoted(path) + QStringLiteral("操作时发生错误!");
    }
}

QString DataOpenMessage(int result, const QString& path)
{
    switch (result) {
    case kFileOk:
        return {};
    case kFileMissing:
        return QStringLiteral("数据文件") + Quoted(path) + QStringLiteral("不存在!");
    case kFileBadSignature:
        return QStringLiteral("数据文件") + Quoted(path) + QStringLiteral("格式不对!");
    case kFileBadVersion:
        return QStringLiteral("此程序不支持这个版的数据文件") + path;
    default:
        return QStringLiteral("对数据文件") + Quoted(path) + QStringLiteral("操作时发生错误!");
    }
}

bool Unattended()
{
    return QtMessageService::Unattended();
}

RunMode ModeFromArguments(const QStringList& arguments)
{
    RunMode mode;
    if (arguments.size() != 3)
        return mode;
    const QString word = AsciiLower(arguments[2]);
    if (word == QStringLiteral("print")) {
        mode.print = true;
    } else if (word == QStringLiteral("onlyview")) {
        mode.onlyView = true;
    } else if (word == QStringLiteral("notdef")) {
        mode.preferSaved = false;
    } else if (word == QStringLiteral("notdefprint")) {
        mode.preferSaved = false;
        mode.print = true;
    } else if (word == QStringLiteral("notdefonlyview")) {
        mode.preferSaved = false;
        mode.onlyView = true;
    }
    return mode;
}

QString FormatBaseName(const QString& formatPath)
{
    const QString name = QFileInfo(formatPath).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

void RunStartup(TFrmPrintReview& w, const QStringList& arguments)
{
    w.ExePath = FromLocalPath(ProgramFolder()) + QStringLiteral("/");
    if (arguments.size() < 2) {
        w.ShowHintMessage(QStringLiteral("传递参数不正确!"));
        return Fail(w);
    }
    const QString dataPath = arguments[0];
    QString formatPath = arguments[1];
    if (!FileExists(LocalPath(dataPath))) {
        w.ShowPlainMessage(DataOpenMessage(kFileMissing, dataPath));
        return Fail(w);
    }
    if (!FileExists(LocalPath(formatPath))) {
        w.ShowPlainMessage(FormatLoadMessage(kFileMissing, formatPath));
        return Fail(w);
    }
    const RunMode mode = ModeFromArguments(arguments);
    const LayoutFolders folders = CurrentLayoutFolders();
    const std::string baseName = LocalPath(FormatBaseName(formatPath));
    w.SavedFormatPath = FromLocalPath(SaveFile(folders, baseName));
    w.SavedFormatFallback = FromLocalPath(FallbackFile(folders, baseName));
    if (mode.preferSaved) {
        if (const std::string saved = FindSavedLayout(folders, baseName); !saved.empty())
            formatPath = FromLocalPath(saved);
    }

    const QString formatFailure
        = FormatLoadMessage(w.PrintFormat->LoadFromFile(LocalPath(formatPath)), formatPath);
    if (!formatFailure.isEmpty()) {
        w.ShowPlainMessage(formatFailure);
        return Fail(w);
    }
    w.FormatArgument = LocalPath(arguments[1]);
    w.LoadedLayout = LocalPath(formatPath);
    const QString dataFailure = DataOpenMessage(w.PrintData->Open(LocalPath(dataPath)), dataPath);
    if (!dataFailure.isEmpty()) {
        w.ShowPlainMessage(dataFailure);
        return Fail(w);
    }

    if (w.PrintFormat->InterfaceStyle == 1)
        w.ActionIFXpExecute();
    else
        w.ActionIFStandExecute();

    TMyPrinter& printer = *w.Printer;
    printer.PaperSize = w.PrintFormat->PaperSize;
    printer.PaperWidth = w.PrintFormat->PaperWidth;
    printer.PaperLength = w.PrintFormat->PaperLength;
    printer.Orientation = w.PrintFormat->Orientation;
    printer.ApplySettings();

    TMyBuffPaper& pages = *w.BuffPaper;
    const bool ok = w.RunEngine([&] {
        pages.SetPageSize(
            Round(w.PrintFormat->PaperWidth / 10.0L) * 10, Round(w.PrintFormat->PaperLength / 10.0L) * 10);
        w.PrintData->ReadHeadFoot();
        pages.Paginate();
    });
    if (!ok)
        return Fail(w);

    if (mode.print) {
        if (!w.Services.printers.HasPrinter()) {
            w.ShowHintMessage(QStringLiteral("没有安装打印机"));
            return Fail(w);
        }
        // A run that prints and ends has no one to read the message later:
        // its status says the pages were not all printed.
        if (!w.RunEngine([&] { pages.PrintPages(1, pages.PageCount); }))
            return w.RequestEnd(1);
        w.RequestEnd(0);
        return;
    }
    w.RunEngine([&] { pages.ShowCurrentPage(); });
    if (mode.onlyView)
        w.OnlyView = true;
    w.RefreshStatus();
}

} // namespace quillet
