#include "shell/Startup.h"

#include <utility>

#include "platform/Arith.h"
#include "platform/FileSystem.h"
#include "platform/GbkCodec.h"
#include "platform/ProgramFiles.h"
#include "platform/qt/Language.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/QtMessageService.h"
#include "preview/PrintReview.h"
#include "sources/CsvData.h"
#include "sources/LayoutJson.h"
#include "sources/MadeLayout.h"
#include "sources/SqlData.h"

namespace quillet {
namespace {

std::string AsciiLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return text;
}

// Ends the run after a failure message: status 0 for a person, who saw the
// message; non-zero for an unattended caller, who can only see the status.
void Fail(TFrmPrintReview& window)
{
    window.RequestEnd(Unattended() ? 1 : 0);
}

CsvEncoding dataEncoding = CsvEncoding::Detect;

// --db and --query: the rows of this query take the data file's place.
struct DataQuery {
    bool active = false;
    std::string url, query;
};
DataQuery dataQuery;

// The title of a layout made for a query, and the name it is saved under:
// the report's own text and a file's name, the same in every language.
const char kQueryTitle[] = "查询结果";

} // namespace

QString FormatLoadMessage(int result, const std::string& path)
{
    switch (result) {
    case kFileOk:
        return {};
    case kFileMissing:
        return QTr("Startup", "格式文件\"%1\"不存在!").arg(PathForMessage(path));
    case kFileBadSignature:
        return QTr("Startup", "格式文件\"%1\"格式不对!").arg(PathForMessage(path));
    case kFileIoError:
        return QTr("Startup", "对格式文件\"%1\"读时发生错误!").arg(PathForMessage(path));
    case kFileBadVersion:
        return QTr("Startup", "此程序不支持这个版的格式文件%1").arg(PathForMessage(path));
    default:
        return QTr("Startup", "对格式文件\"%1\"操作时发生错误!").arg(PathForMessage(path));
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
        return QTr("Startup", "数据文件\"%1\"不存在!").arg(PathForMessage(path));
    case kFileBadSignature:
        return QTr("Startup", "数据文件\"%1\"格式不对!").arg(PathForMessage(path));
    case kFileBadVersion:
        return QTr("Startup", "此程序不支持这个版的数据文件%1").arg(PathForMessage(path));
    default:
        return QTr("Startup", "对数据文件\"%1\"操作时发生错误!").arg(PathForMessage(path));
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

bool ArgumentsEnough(const CommandArguments& arguments)
{
    if (dataQuery.active)
        return arguments.size() <= 2;
    return arguments.size() >= 2 || (arguments.size() == 1 && IsCsvDataPath(arguments[0]));
}

void SetDataQuery(const std::string& url, const std::string& query)
{
    dataQuery = { true, url, query };
}

namespace {

std::string TitleOf(const std::string& baseName)
{
    return Utf8ToGbk(FileNameToUtf8(baseName));
}

// Reads a CSV file through for a layout to be made from it.
QString OpenCsvForLayout(const std::string& path, std::unique_ptr<CsvByteSource>& source)
{
    std::string message;
    source = CsvByteSource::Open(path, dataEncoding, message);
    if (!source)
        return QString::fromStdString(message);
    return {};
}

// The layout made for the rows of name, or the one saved under the report's
// name when that still has their columns. Rows without a column make none.
QString MakeOrFindLayout(
    TMyPrintFormat& format, const CsvByteSource& source, const std::string& name, const OpenedReport& opened)
{
    if (source.Columns().empty())
        return QTr("Startup", "数据\"%1\"没有一列，排不出表格!").arg(PathForMessage(name));
    if (opened.mode.preferSaved) {
        if (std::string saved = FindSavedLayout(CurrentLayoutFolders(), opened.baseName); !saved.empty()) {
            TMyPrintFormat layout;
            if (QString failure = LoadFormatFile(layout, saved); !failure.isEmpty())
                return failure;
            if (layout.Cols() == static_cast<int>(source.Columns().size())) {
                format = layout;
                return {};
            }
        }
    }
    MakeLayout(format, source.Headings(), source.Columns(), TitleOf(opened.baseName));
    return {};
}

} // namespace

QString MakeLayoutFromCsv(const std::string& path, TMyPrintFormat& format)
{
    std::unique_ptr<CsvByteSource> source;
    if (QString failure = OpenCsvForLayout(path, source); !failure.isEmpty())
        return failure;
    OpenedReport made;
    made.mode.preferSaved = false;
    made.baseName = FormatBaseName(path);
    return MakeOrFindLayout(format, *source, path, made);
}

QString OpenReport(
    const CommandArguments& arguments, TMyPrintFormat& format, TMyPrintData& data, OpenedReport& opened)
{
    if (!ArgumentsEnough(arguments))
        return QTr("Startup", "传递参数不正确!");
    // A query takes the data file's place: the format file comes first.
    const bool query = dataQuery.active;
    const std::size_t formatAt = query ? 0 : 1;
    const bool made = arguments.size() <= formatAt;
    // The paths stay in the bytes they were given, down to the file calls.
    if (query) {
        // An SQLite file is read: no output may take its place.
        std::string ignored;
        if (const std::optional<DatabaseUrl> url = ParseDatabaseUrl(dataQuery.url, ignored);
            url && url->kind == DatabaseUrl::Kind::Sqlite)
            opened.dataPath = url->path;
    } else {
        opened.dataPath = arguments[0];
        if (!FileExists(opened.dataPath))
            return DataOpenMessage(kFileMissing, opened.dataPath);
    }
    if (arguments.size() == formatAt + 2)
        opened.mode = ModeFromWord(arguments[formatAt + 1]);
    if (made) {
        opened.baseName = query ? kQueryTitle : FormatBaseName(opened.dataPath);
    } else {
        opened.formatArgument = arguments[formatAt];
        if (!FileExists(opened.formatArgument))
            return FormatLoadMessage(kFileMissing, opened.formatArgument);
        opened.baseName = FormatBaseName(opened.formatArgument);
        opened.layoutPath = opened.formatArgument;
        if (opened.mode.preferSaved) {
            if (std::string saved = FindSavedLayout(CurrentLayoutFolders(), opened.baseName); !saved.empty())
                opened.layoutPath = std::move(saved);
        }
        if (QString failure = LoadFormatFile(format, opened.layoutPath); !failure.isEmpty())
            return failure;
        if (!query)
            return OpenDataFile(data, format, opened.dataPath);
    }

    // Rows that take the layout's shape: a query's, or a CSV file's.
    std::unique_ptr<CsvByteSource> source;
    std::string name = opened.dataPath;
    if (query) {
        std::string message;
        source = OpenQuery(dataQuery.url, dataQuery.query, message);
        if (!source)
            return QString::fromStdString(message);
        if (name.empty())
            name = kQueryTitle;
    } else if (QString failure = OpenCsvForLayout(opened.dataPath, source); !failure.isEmpty()) {
        return failure;
    }
    if (made) {
        if (QString failure = MakeOrFindLayout(format, *source, name, opened); !failure.isEmpty())
            return failure;
    }
    source->UseLayout(format);
    if (data.Open(std::move(source), name) != kFileOk)
        return QTr("Startup", "对数据文件\"%1\"读时发生错误!").arg(PathForMessage(name));
    return {};
}

bool Unattended()
{
    return QtMessageService::Unattended();
}

RunMode ModeFromArguments(const CommandArguments& arguments)
{
    return arguments.size() == 3 ? ModeFromWord(arguments[2]) : RunMode {};
}

RunMode ModeFromWord(const std::string& given)
{
    RunMode mode;
    const std::string word = AsciiLower(given);
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
    if (!ArgumentsEnough(arguments)) {
        w.ShowHintMessage(QTr("Startup", "传递参数不正确!"));
        return Fail(w);
    }
    OpenedReport opened;
    if (const QString failure = OpenReport(arguments, *w.PrintFormat, *w.PrintData, opened); !failure.isEmpty()) {
        w.ShowPlainMessage(failure);
        return Fail(w);
    }
    const RunMode mode = opened.mode;
    const LayoutFolders folders = CurrentLayoutFolders();
    w.SavedFormatPath = SaveFile(folders, opened.baseName);
    w.SavedFormatFallback = FallbackFile(folders, opened.baseName);
    w.FormatArgument = opened.formatArgument;
    w.LoadedLayout = opened.layoutPath;

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
            w.ShowHintMessage(QTr("Startup", "没有安装打印机"));
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
