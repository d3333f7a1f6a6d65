#include "shell/Startup.h"

#include <utility>

#include "platform/Arith.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFiles.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/QtMessageService.h"
#include "preview/PrintReview.h"
#include "sources/CsvData.h"
#include "sources/LayoutJson.h"

namespace quillet {
namespace {

std::string AsciiLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return text;
}

QString Quoted(const std::string& path)
{
    return QStringLiteral("\"") + PathForMessage(path) + QStringLiteral("\"");
}

// Ends the run after a failure message: status 0 for a person, who saw the
// message; non-zero for an unattended caller, who can only see the status.
void Fail(TFrmPrintReview& window)
{
    window.RequestEnd(Unattended() ? 1 : 0);
}

CsvEncoding dataEncoding = CsvEncoding::Detect;

} // namespace

QString FormatLoadMessage(int result, const std::string& path)
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
        return QStringLiteral("此程序不支持这个版的格式文件") + PathForMessage(path);
    default:
        return QStringLiteral("对格式文件") + Quoted(path) + QStringLiteral("操作时发生错误!");
    }
}

QString LoadFormatFile(TMyPrintFormat& format, const std::string& path)
{
    if (IsJsonLayoutPath(path))
        return QString::fromStdString(LoadJsonLayout(path, format));
    return FormatLoadMessage(format.LoadFromFile(path), path);
}

QString DataOpenMessage(int result, const std::string& path)
{
    switch (result) {
    case kFileOk:
        return {};
    case kFileMissing:
        return QStringLiteral("数据文件") + Quoted(path) + QStringLiteral("不存在!");
    case kFileBadSignature:
        return QStringLiteral("数据文件") + Quoted(path) + QStringLiteral("格式不对!");
    case kFileBadVersion:
        return QStringLiteral("此程序不支持这个版的数据文件") + PathForMessage(path);
    default:
        return QStringLiteral("对数据文件") + Quoted(path) + QStringLiteral("操作时发生错误!");
    }
}

void SetDataEncoding(CsvEncoding encoding)
{
    dataEncoding = encoding;
}

QString OpenDataFile(TMyPrintData& data, const TMyPrintFormat& format, const std::string& path)
{
    if (IsCsvDataPath(path))
        return QString::fromStdString(OpenCsvData(data, format, path, dataEncoding));
    return DataOpenMessage(data.Open(path), path);
}

bool Unattended()
{
    return QtMessageService::Unattended();
}

RunMode ModeFromArguments(const CommandArguments& arguments)
{
    RunMode mode;
    if (arguments.size() != 3)
        return mode;
    const std::string word = AsciiLower(arguments[2]);
    if (word == "print") {
        mode.print = true;
    } else if (word == "onlyview") {
        mode.onlyView = true;
    } else if (word == "notdef") {
        mode.preferSaved = false;
    } else if (word == "notdefprint") {
        mode.preferSaved = false;
        mode.print = true;
    } else if (word == "notdefonlyview") {
        mode.preferSaved = false;
        mode.onlyView = true;
    }
    return mode;
}

std::string FormatBaseName(const std::string& formatPath)
{
    const std::size_t slash = formatPath.rfind('/');
    const std::string name = slash == std::string::npos ? formatPath : formatPath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void RunStartup(TFrmPrintReview& w, const CommandArguments& arguments)
{
    w.ExePath = FromLocalPath(ProgramFolder()) + QStringLiteral("/");
    if (arguments.size() < 2) {
        w.ShowHintMessage(QStringLiteral("传递参数不正确!"));
        return Fail(w);
    }
    // The paths stay in the bytes they were given, down to the file calls.
    const std::string& dataPath = arguments[0];
    std::string formatPath = arguments[1];
    if (!FileExists(dataPath)) {
        w.ShowPlainMessage(DataOpenMessage(kFileMissing, dataPath));
        return Fail(w);
    }
    if (!FileExists(formatPath)) {
        w.ShowPlainMessage(FormatLoadMessage(kFileMissing, formatPath));
        return Fail(w);
    }
    const RunMode mode = ModeFromArguments(arguments);
    const LayoutFolders folders = CurrentLayoutFolders();
    const std::string baseName = FormatBaseName(formatPath);
    w.SavedFormatPath = SaveFile(folders, baseName);
    w.SavedFormatFallback = FallbackFile(folders, baseName);
    if (mode.preferSaved) {
        if (std::string saved = FindSavedLayout(folders, baseName); !saved.empty())
            formatPath = std::move(saved);
    }

    const QString formatFailure = LoadFormatFile(*w.PrintFormat, formatPath);
    if (!formatFailure.isEmpty()) {
        w.ShowPlainMessage(formatFailure);
        return Fail(w);
    }
    w.FormatArgument = arguments[1];
    w.LoadedLayout = formatPath;
    const QString dataFailure = OpenDataFile(*w.PrintData, *w.PrintFormat, dataPath);
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
        const TMyPrintFormat& f = *w.PrintFormat;
        const TMyPaperSpec paper { f.PaperSize, f.PaperWidth, f.PaperLength, f.Orientation };
        pages.SetPageSize(Round(paper.LyingWidth() / 10.0L) * 10, Round(paper.LyingLength() / 10.0L) * 10);
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
