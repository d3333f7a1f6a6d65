#include "shell/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Product.h"
#include "platform/ProgramFiles.h"
#include "platform/qt/LocalPath.h"
#include "preview/PdfReport.h"

namespace quillet {
namespace {

// The toolkit's options that take a value, and those that do not; it accepts
// them with one dash or two and removes them itself.
const char* const kToolkitWithValue[]
    = { "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
          "qwindowtitle", "display", "geometry", "title", "name", "style", "stylesheet", "session" };
const char* const kToolkitAlone[] = { "reverse", "widgetcount", "nograb", "dograb", "sync", "testability" };

std::string AsciiLowerWord(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return text;
}

// 0: not the toolkit's; 1: an option alone; 2: an option with a value.
int ToolkitOption(std::string_view word)
{
    const std::string_view name = word.substr(word.starts_with("--") ? 2 : 1);
    if (name.starts_with("qmljsdebugger=") || name.starts_with("style=") || name.starts_with("stylesheet="))
        return 1;
    for (const char* option : kToolkitWithValue)
        if (name == option)
            return 2;
    for (const char* option : kToolkitAlone)
        if (name == option)
            return 1;
    return 0;
}

// A number of threads as given: 1 to kMaxPdfJobs in decimal digits; 0 for anything else.
int JobsNumber(std::string_view text)
{
    if (text.empty() || text.size() > 3
        || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const int n = std::stoi(std::string(text));
    return n >= 1 && n <= kMaxPdfJobs ? n : 0;
}

void Write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

CommandArguments ArgumentsOf(int argc, char** argv)
{
    CommandArguments arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

StartOptions TakeStartOptions(CommandArguments& arguments)
{
    StartOptions options;
    std::size_t i = 0;
    auto take = [&arguments](std::size_t at) {
        std::string word = std::move(arguments[at]);
        arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(at));
        return word;
    };
    while (i < arguments.size()) {
        const std::string word = arguments[i];
        if (word == "--") {
            take(i);
            break;
        }
        if (word.size() < 2 || word[0] != '-')
            break;
        const bool output = word == "--pdf" || word == "--xlsx" || word == "--csv" || word == "--convert";
        if (output && (options.pdf || options.xlsx || options.csv || options.convert)) {
            // One run writes one file: a second one asked for would be
            // left unwritten without a word.
            options.repeated = word;
            break;
        }
        if (word == "--pdf") {
            take(i);
            if (i >= arguments.size()) {
                options.valid = false;
                break;
            }
            options.pdf = true;
            options.pdfPath = take(i);
        } else if (word == "--xlsx") {
            take(i);
            if (i >= arguments.size()) {
                options.valid = false;
                break;
            }
            options.xlsx = true;
            options.xlsxPath = take(i);
        } else if (word == "--csv") {
            take(i);
            if (i >= arguments.size()) {
                options.valid = false;
                break;
            }
            options.csv = true;
            options.csvPath = take(i);
        } else if (word == "--convert") {
            take(i);
            options.convert = true;
            if (i + 1 >= arguments.size()) {
                options.valid = false;
                break;
            }
            options.convertIn = take(i);
            options.convertOut = take(i);
        } else if (word == "--encoding") {
            // The encoding of a CSV data file, when its bytes would be taken
            // for the other one.
            take(i);
            const std::string name = i < arguments.size() ? AsciiLowerWord(arguments[i]) : std::string();
            if (name == "utf-8" || name == "utf8") {
                options.encoding = CsvEncoding::Utf8;
            } else if (name == "gbk") {
                options.encoding = CsvEncoding::Gbk;
            } else {
                options.unknown = i < arguments.size() ? word + " " + arguments[i] : word;
                break;
            }
            take(i);
        } else if (word == "--db" || word == "--query") {
            take(i);
            std::string& value = word == "--db" ? options.db : options.query;
            if (i >= arguments.size() || !value.empty()) {
                options.halfQuery = word;
                break;
            }
            value = take(i);
        } else if (word == "--jobs") {
            take(i);
            const std::string value = i < arguments.size() ? take(i) : std::string();
            options.jobs = JobsNumber(value);
            if (options.jobs == 0) {
                options.badJobs = value.empty() ? word : word + " " + value;
                break;
            }
        } else if (word == "--lang") {
            take(i);
            const std::string name = i < arguments.size() ? AsciiLowerWord(arguments[i]) : std::string();
            if (name == "zh" || name == "en") {
                options.language = LanguageNamed(name);
            } else {
                options.unknown = i < arguments.size() ? word + " " + arguments[i] : word;
                break;
            }
            take(i);
        } else if (word == "--help" || word == "-h") {
            take(i);
            options.help = true;
        } else if (word == "--version") {
            take(i);
            options.version = true;
        } else if (const int toolkit = ToolkitOption(word); toolkit > 0) {
            // The toolkit's own: left for it to take.
            i += static_cast<std::size_t>(toolkit);
        } else {
            options.unknown = word;
            break;
        }
    }
    // A query needs both its database and its text.
    if (options.halfQuery.empty() && options.db.empty() != options.query.empty())
        options.halfQuery = options.db.empty() ? "--query" : "--db";
    options.fromQuery = options.halfQuery.empty() && !options.db.empty();
    if (const char* jobs = std::getenv("QUILLET_JOBS");
        options.jobs == 0 && options.badJobs.empty() && jobs) {
        options.jobs = JobsNumber(jobs);
        if (options.jobs == 0)
            options.badJobs = std::string("QUILLET_JOBS=") + jobs;
    }
    return options;
}

QString VersionText()
{
    return QTr("CommandLine", "%1 %2\n主页：%3\n技术支持：%4\n")
        .arg(QString::fromUtf8(product::kName), QString::fromUtf8(product::kVersion),
            QString::fromUtf8(product::kHomePage), QString::fromUtf8(product::kSupportMail));
}

QString UnknownOptionText(const QString& option)
{
    return QTr("CommandLine",
        "quillet: 不认识的选项“%1”\n用 quillet --help 查看用法；以“-”开头的数据文件请写在 -- 后面。\n")
        .arg(option);
}

QString RepeatedOutputText(const QString& option)
{
    return QTr("CommandLine",
        "quillet: 选项“%1”重复：一次只能写一个文件，--pdf、--xlsx、--csv 和 --convert "
        "只能给出其中一个，且只能给出一次\n"
        "用 quillet --help 查看用法。\n")
        .arg(option);
}

QString HalfQueryText(const QString& option)
{
    return QTr("CommandLine",
        "quillet: 选项“%1”不完整：--db 和 --query 要一起给出，各给出一次，各带一个值：\n"
        "  quillet --db 数据库地址 --query 查询语句 [格式文件] [运行方式]\n"
        "用 quillet --help 查看用法。\n")
        .arg(option);
}

QString UsageText(const LayoutFolders& folders, const QString& manual)
{
    QString text;
    text += QTr("CommandLine",
        "用法: quillet [选项] 数据文件 格式文件 [运行方式]\n"
        "      quillet --pdf PDF文件 数据文件 格式文件 [运行方式]\n"
        "      quillet --xlsx Excel文件 数据文件 格式文件 [运行方式]\n"
        "      quillet --csv CSV文件 数据文件 格式文件 [运行方式]\n"
        "      quillet --convert 格式文件 新格式文件\n"
        "      quillet [--encoding utf-8|gbk] 数据.csv [格式文件 [运行方式]]\n"
        "      quillet [--pdf PDF文件] --db 数据库地址 --query 查询语句 [格式文件] [运行方式]\n"
        "\n"
        "按格式文件把数据文件中的报表排成一页一页的表格，在预览窗口中显示或直接打印。\n"
        "\n"
        "参数:\n"
        "  数据文件    表格各单元格的文字和页头、页尾的文字（只读，从不改写）；\n"
        "              名字以 .csv 或 .tsv 结尾的是逗号或制表符分隔的文字，第一行是列标题；\n"
        "              只给这样一个文件时按数据排出一个格式（有按它的名字保存的格式时用保存的）\n"
        "  格式文件    完整的打印格式；有同名的保存格式时优先使用保存的格式；\n"
        "              名字以 .json 结尾的是 JSON 形式的格式（见手册）\n"
        "  运行方式    可省略；只有恰好给出三个参数时才读取，不区分大小写:\n"
        "    （不写）         优先使用保存的格式，打开预览窗口\n"
        "    Print            优先使用保存的格式，打印全部页后结束\n"
        "    OnlyView         优先使用保存的格式，打开预览窗口，只能预览不能打印\n"
        "    NotDef           使用给出的格式文件，打开预览窗口\n"
        "    NotDefPrint      使用给出的格式文件，打印全部页后结束\n"
        "    NotDefOnlyView   使用给出的格式文件，打开预览窗口，只能预览不能打印\n"
        "    其他任何词按不写处理。\n"
        "\n");
    text += QTr("CommandLine",
        "选项（写在数据文件前面）:\n"
        "  --pdf PDF文件  不打开窗口（不需要显示器），把整个报表写成一个 PDF 文件；\n"
        "                 运行方式只决定是否使用保存的格式。写成时退出状态为 0，\n"
        "                 否则提示写到标准错误输出，退出状态为 1，已有的同名文件不变。\n"
        "                 正在读取的数据文件、格式文件，设备、管道、文件夹，没有写入\n"
        "                 权限的文件，都不会被改写；指向普通文件的链接保留，改写它指向的文件\n"
        "  --xlsx Excel文件  同 --pdf，但把报表写成一个 Excel 工作簿（.xlsx）：数字仍是数字，\n"
        "                 表头行冻结并在每个打印页重复，打印时按报表分页；\n"
        "                 小计、总计是 SUBTOTAL 公式，各块数据行分级在小计之下，日期列是日期；\n"
        "                 另一张工作表“数据”只有表头和数据行，可以筛选\n"
        "  --csv CSV文件  同 --pdf，但把工作表“数据”的各行（表头一行和数据行）写成 CSV 文件：\n"
        "                 UTF-8 带 BOM，数字不带千位分隔符、按列的小数位数；\n"
        "                 --pdf、--xlsx 和 --csv 只能给出其中一个，且只能给出一次\n"
        "  --jobs 线程数  --pdf 和窗口的“导出PDF...”同时用几个线程画页（1 到 256；\n"
        "                 不写时用 QUILLET_JOBS，再不然用处理器的核数）；1 是一页接一页地画。\n"
        "                 不论几个线程，写出的文件一字节不差；--xlsx 和“导出Excel...”\n"
        "                 压缩工作簿时也用这么多线程\n"
        "  --convert 格式文件 新格式文件\n"
        "                 不打开窗口，把格式文件转换为 JSON 形式，或把 JSON 形式转换为格式文件：\n"
        "                 新格式文件名以 .json 结尾时写 JSON，否则写格式文件；第一个文件是 CSV 时\n"
        "                 转换按它的数据排出的格式。写成时退出状态为 0；\n"
        "                 JSON 有错时提示写明文件、行、列和字段（例如 columns[3].width），退出状态为 1\n"
        "  --encoding utf-8|gbk\n"
        "                 CSV、TSV 数据文件的编码；不写时自动判断（有 BOM 或全是 UTF-8 时按 UTF-8，否则按 "
        "GBK）\n"
        "  --lang zh|en   程序文字（窗口、对话框、提示、本说明）的语言：zh 中文，en 英文；\n"
        "                 不写时按区域设置（LANGUAGE、LC_ALL、LC_MESSAGES、LANG），en_* 为英文，\n"
        "                 否则为中文。报表本身的文字从不翻译\n"
        "  --db 数据库地址 --query 查询语句\n"
        "                 报表的数据取自一条 SQL 查询（例如 "
        "SELECT），不用数据文件；列标题是查询结果的列名，\n"
        "                 空值（NULL）显示为空，日期为 yyyy-MM-dd，是非值为 是/否。两个选项要一起给出。\n"
        "                 这时其余的参数是 [格式文件] [运行方式]；不给格式文件时按数据排出一个格式。\n"
        "                 数据库地址:\n"
        "                   sqlite:文件   SQLite 数据库文件，只读打开，不需要数据库服务器\n"
        "                   postgresql://用户:密码@主机:端口/数据库?参数=值\n"
        "                                 PostgreSQL（也可写 postgres://），各部分都可省略；特殊字符写成 "
        "%XX；\n"
        "                                 Unix 套接字文件夹作主机时写成 %2Frun%2Fpostgresql，或写成参数\n"
        "                                 ?host=/run/postgresql；其他参数（sslmode 等）交给 libpq；\n"
        "                                 地址中不写密码时 libpq 读取 ~/.pgpass 或环境变量 PGPASSWORD\n"
        "                 连接最多等待 10 秒；连接失败、查询出错时提示中有数据库给出的原因，退出状态为 1\n"
        "  -h, --help     显示本说明后退出\n"
        "  --version      显示版本号后退出\n"
        "  --             选项到此为止，后面以“-”开头的参数也是文件\n"
        "\n");
    text += QTr("CommandLine",
        "环境变量:\n"
        "  QUILLET_NONINTERACTIVE=1  不显示提示框：每条提示作为一行写到标准错误输出，\n"
        "                            并按安全的默认值回答（确定；是否问题回答“否”）；\n"
        "                            出错结束时退出状态不为 0\n"
        "  QUILLET_PDF_DIR=文件夹    打印机列表中加一台名为“PDF”的打印机并设为当前打印机，\n"
        "                            每个打印任务成为这个文件夹中的一个 PDF 文件\n"
        "  XDG_DATA_HOME             用户的数据文件夹（默认 ~/.local/share），见下面\n"
        "  QUILLET_JOBS=线程数       同 --jobs，没有给出 --jobs 时使用\n"
        "  PRINTER, LPDEST           CUPS 的默认打印机\n"
        "  QT_QPA_PLATFORM           Qt 的显示平台，例如 offscreen 可在没有显示器时运行\n"
        "\n");
    text += QTr("CommandLine",
        "退出状态:\n"
        "  0 正常结束；1 无人值守运行或 --pdf、--xlsx、--csv、--convert 失败，或以 Print、NotDefPrint "
        "方式运行而打印失败；\n"
        "  2 选项不认识，或 --pdf、--xlsx、--csv、--convert 给出了不止一个，或 --db、--query 只给出了一个，\n"
        "    或 --jobs、QUILLET_JOBS 不是 1 到 256 之间的整数\n"
        "\n");
    text += QTr("CommandLine",
        "保存的打印格式:\n"
        "  窗口中的“保存打印格式”把格式保存为 <文件夹>/Format/<格式文件名去掉扩展名>.PFD。\n"
        "  程序文件夹可以写入、又不在 /usr 或 /opt 之下时（解压在自己文件夹中的程序、编译目录），\n"
        "  <文件夹>就是程序文件夹；否则（例如安装在 /usr/bin 的程序，不论哪个用户运行，root 也一样）\n"
        "  是 $XDG_DATA_HOME/quillet（默认 ~/.local/share/quillet），启动时先在那里找\n"
        "  保存的格式，再到程序文件夹中找。“删除保存的打印格式”删除启动时会使用的那个文件。\n");
    const std::vector<std::string> order = folders.LookupOrder();
    const QString saveFolder = folders.SaveFolder().empty() ? QTr("CommandLine", "（找不到用户的数据文件夹）")
                                                            : FromLocalPath(folders.SaveFolder());
    if (folders.programWritable) {
        text += QTr("CommandLine", "  现在：程序文件夹可以写入，保存到 %1\n").arg(saveFolder);
    } else {
        QString lookup;
        for (std::size_t i = 0; i < order.size(); ++i)
            lookup += (i ? QTr("CommandLine", "、") : QString()) + FromLocalPath(order[i]);
        text += (folders.installed
                ? QTr("CommandLine",
                    "  现在：程序安装在 /usr 或 /opt 之下，不在程序文件夹中保存，保存到 %1\n"
                    "  启动时依次查找：%2\n")
                : QTr("CommandLine", "  现在：程序文件夹不能写入，保存到 %1\n  启动时依次查找：%2\n"))
                    .arg(saveFolder, lookup);
    }
    text += QTr("CommandLine", "\n手册: %1（窗口中按 F1 打开）\n主页: %2  技术支持: %3\n")
                .arg(manual, QString::fromUtf8(product::kHomePage), QString::fromUtf8(product::kSupportMail));
    return text;
}

QString BadJobsText(const QString& given)
{
    return QTr("CommandLine",
        "quillet: 线程数“%1”不正确：--jobs 和 QUILLET_JOBS 要给出 1 到 %2 之间的整数\n"
        "用 quillet --help 查看用法。\n")
        .arg(given, QString::number(kMaxPdfJobs));
}

StartOptions EarlyOptions(int argc, char** argv)
{
    CommandArguments arguments = ArgumentsOf(argc, argv);
    return TakeStartOptions(arguments);
}

int AnswerWithoutWindow(const StartOptions& options)
{
    if (!options.unknown.empty()) {
        Write(stderr, UnknownOptionText(PathForMessage(options.unknown)));
        return 2;
    }
    if (!options.repeated.empty()) {
        Write(stderr, RepeatedOutputText(QString::fromStdString(options.repeated)));
        return 2;
    }
    if (!options.halfQuery.empty()) {
        Write(stderr, HalfQueryText(QString::fromStdString(options.halfQuery)));
        return 2;
    }
    if (!options.badJobs.empty()) {
        Write(stderr, BadJobsText(PathForMessage(options.badJobs)));
        return 2;
    }
    if (options.help) {
        Write(stdout,
            UsageText(CurrentLayoutFolders(),
                FromLocalPath(ManualFile(ProgramFolder(), DocFolderFromProgram(), ManualName()))));
        return 0;
    }
    if (options.version) {
        Write(stdout, VersionText());
        return 0;
    }
    return -1;
}

} // namespace quillet
