// `quillet --pdf FILE DATA FORMAT [mode]` as a process: the whole report in
// one PDF without a window, and on failure a message, a non-zero status and
// no file under the name asked for.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "platform/GbkCodec.h"
#include "tests/FullDisk.h"
#include "tests/platform/QtTestSupport.h"
#include "tests/shell/ProgramRun.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

const QString kProgram = QStringLiteral(QUILLET_BINARY);

test::ProgramRun Start(const QStringList& arguments, const std::function<void()>& inChild = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display and no platform asked for: the PDF needs neither.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QUILLET_NONINTERACTIVE"));
    // The toolkit warns without it; the error output must hold our lines all the same.
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    return test::RunProgram(kProgram, arguments, env, {}, {}, inChild);
}

// The text of a PDF file as pdftotext lays it out.
QString PdfText(const QString& pdf)
{
    return test::RunTool(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") }).out;
}

// Overwrites one cell of a data file with a short text.
void PutCell(const QString& dataPath, std::uint64_t offset, const QByteArray& text)
{
    QByteArray cell(201, '\0');
    cell[0] = static_cast<char>(text.size());
    cell.replace(1, text.size(), text);
    QFile file(dataPath);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(static_cast<qint64>(offset)));
    ASSERT_EQ(file.write(cell), cell.size());
}

class PdfExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(WriteExampleReport(dir_.path().toStdString(), 120));
        data_ = dir_.filePath(QString::fromLatin1(kExampleDataName));
        format_ = dir_.filePath(QString::fromLatin1(kExampleFormatName));
        out_ = dir_.filePath(QStringLiteral("报表.pdf"));
    }
    QTemporaryDir dir_;
    QString data_;
    QString format_;
    QString out_;
};

// The whole report lands in one valid file, titled as the report, whose pages
// number themselves "n of N", with a mode word after the files as in a normal
// start, and the error output stays empty.
TEST_F(PdfExportTest, WholeReportInOneFile)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty())
        GTEST_SKIP() << "poppler-utils or qpdf is not installed";
    for (const QString& mode : { QString(), QStringLiteral("NotDefPrint") }) {
        QStringList arguments { QStringLiteral("--pdf"), out_, data_, format_ };
        if (!mode.isEmpty())
            arguments << mode;
        const test::ProgramRun run = Start(arguments);
        ASSERT_EQ(run.status, 0) << run.Message().toStdString();
        EXPECT_EQ(run.err, QString());
        EXPECT_EQ(test::RunTool(QStringLiteral("qpdf"), { QStringLiteral("--check"), out_ }).exitCode, 0);
        const QString text = test::RunTool(
            QStringLiteral("pdftotext"), { QStringLiteral("-layout"), out_, QStringLiteral("-") })
                                 .out;
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        ASSERT_GE(pages.size(), 2);
        const int count = static_cast<int>(pages.size());
        for (int n = 1; n <= count; ++n) {
            EXPECT_TRUE(pages[n - 1].contains(QStringLiteral("第%1页 共%2页").arg(n).arg(count)))
                << "page " << n;
            EXPECT_TRUE(pages[n - 1].contains(QStringLiteral("2024年3月销售明细账"))) << "page " << n;
        }
        EXPECT_TRUE(test::RunTool(QStringLiteral("pdfinfo"), { out_ })
                        .out.contains(QStringLiteral("Title:           2024年3月销售明细账\n")));
        // Nothing beside it: no pages of their own, no half-written files.
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 3);
    }
}

// Failures say why in one line of the error output and nothing else, end with
// a non-zero status and leave what was under the file's name as it was.
TEST_F(PdfExportTest, FailuresLeaveNoFile)
{
    const QString missing = dir_.filePath(QStringLiteral("missing.dat"));
    const QString title = QStringLiteral("打印预览窗体: ");
    struct Case {
        QStringList arguments;
        QString message;
    };
    const Case cases[] = {
        { { QStringLiteral("--pdf") }, title + QStringLiteral("传递参数不正确!") },
        { { QStringLiteral("--pdf"), out_, data_ }, title + QStringLiteral("传递参数不正确!") },
        { { QStringLiteral("--pdf"), out_, missing, format_ },
            title + QStringLiteral("数据文件\"%1\"不存在!").arg(missing) },
        { { QStringLiteral("--pdf"), out_, data_, data_ },
            title + QStringLiteral("格式文件\"%1\"格式不对!").arg(data_) },
    };
    for (const Case& c : cases) {
        const test::ProgramRun run = Start(c.arguments);
        EXPECT_NE(run.status, 0) << c.message.toStdString();
        EXPECT_EQ(run.err.toStdString(), c.message.toStdString() + "\n");
        EXPECT_FALSE(QFile::exists(out_));
    }

    QFile old(out_);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    EXPECT_NE(Start({ QStringLiteral("--pdf"), out_, missing, format_ }).status, 0);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));

    const QString unwritable = dir_.filePath(QStringLiteral("no/such/folder/out.pdf"));
    const test::ProgramRun run = Start({ QStringLiteral("--pdf"), unwritable, data_, format_ });
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.Message().startsWith(title + QStringLiteral("无法写入PDF文件")))
        << run.Message().toStdString();
    EXPECT_FALSE(QFile::exists(unwritable));
}

// Whatever stands at the output path and is not ours stays as it was: the files being read (by any name),
// folders, pipes, devices, links to nothing or to no regular file, and a file the user may not write; each
// refusal names the file and ends with status 1. A link to a regular file writes that file and stays a link.
TEST_F(PdfExportTest, TargetsThatAreNotOursAreRefused)
{
    const bool root = ::geteuid() == 0;
    const auto path = [this](const char* name) { return dir_.filePath(QString::fromUtf8(name)); };
    const auto local = [](const QString& p) { return QFile::encodeName(p).toStdString(); };
    ::chmod(local(dir_.path()).c_str(), 0755); // reachable by nobody
    ASSERT_EQ(::link(local(format_).c_str(), local(path("hard.fmt")).c_str()), 0);
    ASSERT_EQ(::mkfifo(local(path("fifo")).c_str(), 0600), 0);
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder")));
    ASSERT_TRUE(QFile::link(path("nowhere"), path("dangling.pdf")));
    ASSERT_TRUE(QFile::link(path("fifo"), path("to-fifo.pdf")));
    ASSERT_TRUE(QFile::link(data_, path("to-data.pdf")));
    // A character device like /dev/full, made where it harms nothing.
    const bool device = root && ::mknod(local(path("full")).c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    QFile readOnly(path("ro.pdf"));
    ASSERT_TRUE(readOnly.open(QIODevice::WriteOnly));
    readOnly.write("old");
    readOnly.close();
    ::chmod(local(path("ro.pdf")).c_str(), 0444);
    ::chmod(local(data_).c_str(), 0644);
    ::chmod(local(format_).c_str(), 0644);

    struct Case {
        QString target;
        QString why;
        bool asNobody = false;
    };
    std::vector<Case> cases = {
        { data_, QStringLiteral("这是正在使用的数据文件或格式文件") },
        { path("hard.fmt"), QStringLiteral("这是正在使用的数据文件或格式文件") },
        { path("to-data.pdf"), QStringLiteral("这是正在使用的数据文件或格式文件") },
        { path("folder"), QStringLiteral("这是一个文件夹") },
        { path("fifo"), QStringLiteral("这不是普通文件(是设备、管道或套接字)") },
        { path("dangling.pdf"), QStringLiteral("这是一个指向不存在的文件的链接") },
        { path("to-fifo.pdf"), QStringLiteral("这是一个链接，指向的不是普通文件") },
        { path("ro.pdf"), QStringLiteral("没有写入这个文件的权限"), root },
    };
    if (device)
        cases.push_back({ path("full"), QStringLiteral("这不是普通文件(是设备、管道或套接字)") });
    const auto stateOf = [&](const QString& p) {
        struct stat st { };
        ::lstat(local(p).c_str(), &st);
        QFile f(p);
        const QByteArray bytes = QFileInfo(p).isFile() && f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
                && !S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode)
            ? f.readAll()
            : QByteArray();
        return std::tuple(st.st_mode, st.st_ino, st.st_size, bytes);
    };
    for (const Case& c : cases) {
        const auto before = stateOf(c.target);
        const QStringList arguments { QStringLiteral("--pdf"), c.target, data_, format_ };
        test::ProgramRun run;
        if (c.asNobody) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
            run = test::RunProgram(kProgram, arguments, env,
                { QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                    QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups") });
        } else {
            run = Start(arguments);
        }
        EXPECT_EQ(run.status, 1) << c.target.toStdString();
        EXPECT_EQ(run.Message(),
            QStringLiteral("打印预览窗体: 不能写入“") + c.target + QStringLiteral("”：") + c.why);
        EXPECT_EQ(stateOf(c.target), before) << c.target.toStdString();
    }

    // Through a link to a regular file: the file is replaced, the link stays.
    QFile plain(path("plain.pdf"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("old");
    plain.close();
    ASSERT_TRUE(QFile::link(path("plain.pdf"), path("link.pdf")));
    const test::ProgramRun run = Start({ QStringLiteral("--pdf"), path("link.pdf"), data_, format_ });
    EXPECT_EQ(run.status, 0) << run.Message().toStdString();
    EXPECT_TRUE(QFileInfo(path("link.pdf")).isSymLink());
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    EXPECT_TRUE(plain.read(5).startsWith("%PDF-"));
}

// An export stopped by SIGINT, SIGTERM or SIGHUP ends as the signal ends a program and leaves nothing of its
// work behind: no temporary file, no file under the name asked for.
TEST_F(PdfExportTest, SignalsLeaveNoTemporaryFile)
{
    ASSERT_TRUE(WriteExampleReport(dir_.path().toStdString(), 20000));
    const QStringList inputs = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
    for (int sig : { SIGINT, SIGTERM, SIGHUP }) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(env);
        process.start(kProgram, { QStringLiteral("--pdf"), out_, data_, format_ });
        ASSERT_TRUE(process.waitForStarted());
        // Signalled once its temporary file is there and growing.
        bool writing = false;
        for (int i = 0; i < 600 && !writing; ++i) {
            QThread::msleep(50);
            const QStringList now = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
            writing = now.size() > inputs.size();
        }
        ASSERT_TRUE(writing) << "no temporary file appeared";
        ::kill(static_cast<pid_t>(process.processId()), sig);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << sig;
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), inputs) << sig;
    }
}

// One word among the numbers of a long report stops the export with the place of its cell after the
// engine's words, as the only line of the error output, and leaves no file.
TEST_F(PdfExportTest, BadNumberSaysWhereItLies)
{
    // Ledger line 61 is the fifth of page 3, row 7 of its table; column 5 holds the quantity.
    PutCell(data_, ExampleCellOffset(60, 5), "x");
    const test::ProgramRun run = Start({ QStringLiteral("--pdf"), out_, data_, format_ });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, QStringLiteral("打印预览窗体: “x”不是有效的数值（第3页第7行第5列）\n"));
    EXPECT_FALSE(QFile::exists(out_));
}

// `--xlsx`: LibreOffice opens the workbook without complaint and prints it
// on as many pages as the report has; a missing data file leaves no file.
TEST_F(PdfExportTest, WorkbookPrintsAsTheReport)
{
    const QString xlsx = dir_.filePath(QStringLiteral("报表.xlsx"));
    const QString missing = dir_.filePath(QStringLiteral("missing.dat"));
    test::ProgramRun run = Start({ QStringLiteral("--xlsx"), xlsx, missing, format_ });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.Message(), QStringLiteral("打印预览窗体: 数据文件\"%1\"不存在!").arg(missing));
    EXPECT_FALSE(QFileInfo::exists(xlsx));

    run = Start({ QStringLiteral("--xlsx"), xlsx, data_, format_, QStringLiteral("NotDef") });
    ASSERT_EQ(run.status, 0) << run.Message().toStdString();
    EXPECT_EQ(run.err, QString());
    ASSERT_TRUE(QFileInfo(xlsx).size() > 0);
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        GTEST_SKIP() << "LibreOffice or poppler-utils is not installed";
    const QString profile
        = QStringLiteral("-env:UserInstallation=file://") + dir_.filePath(QStringLiteral("lo"));
    // LibreOffice takes the values stored with the formulas unless told to
    // compute them on loading: then the subtotals below are its own sums.
    ASSERT_TRUE(QDir().mkpath(dir_.filePath(QStringLiteral("lo/user"))));
    QFile settings(dir_.filePath(QStringLiteral("lo/user/registrymodifications.xcu")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
)");
    settings.close();
    const auto converted = test::RunTool(QStringLiteral("soffice"),
        { profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
            QStringLiteral("--outdir"), dir_.path(), xlsx });
    ASSERT_EQ(converted.exitCode, 0);
    // 120 ledger lines, 28 a page; then the data sheet's pages, the lines under their heading row alone.
    const QStringList pages = test::RunTool(QStringLiteral("pdftotext"),
        { QStringLiteral("-layout"), dir_.filePath(QStringLiteral("报表.pdf")), QStringLiteral("-") })
                                  .out.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    const auto reportPages = std::count_if(pages.begin(), pages.end(),
        [](const QString& page) { return page.contains(QStringLiteral("本页小计")); });
    EXPECT_EQ(reportPages, 5);
    EXPECT_EQ(pages.size() - reportPages, 3);
    for (qsizetype p = reportPages; p < pages.size(); ++p)
        EXPECT_TRUE(pages[p].contains(QStringLiteral("日期")) && pages[p].contains(QStringLiteral("2024-03")))
            << pages[p].toStdString();

    // The numbers as LibreOffice reads them: each page's subtotals add up its lines, the grand totals (once,
    // in the last page's total row) add up the subtotals.
    ASSERT_EQ(test::RunTool(QStringLiteral("soffice"),
                  { profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                      QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"),
                      dir_.path(), xlsx })
                  .exitCode,
        0);
    QFile csv(dir_.filePath(QStringLiteral("报表.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    double page[2] = {}, all[2] = {};
    int subtotals = 0, totalRows = 0, filledTotals = 0;
    for (const QString& line : QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'))) {
        // Fields split at commas outside quotes; numbers lose their thousands separators.
        QStringList fields { QString() };
        bool quoted = false;
        for (const QChar c : line) {
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (c == QLatin1Char(',') && !quoted)
                fields << QString();
            else if (c != QLatin1Char(',') && c != QLatin1Char('\r'))
                fields.last() += c;
        }
        if (fields.size() < 7)
            continue;
        const double quantity = fields[4].toDouble(), amount = fields[6].toDouble();
        if (fields[0].startsWith(QStringLiteral("2024-"))) {
            page[0] += quantity;
            page[1] += amount;
        } else if (fields[0] == QStringLiteral("本页小计")) {
            ++subtotals;
            EXPECT_NEAR(quantity, page[0], 0.001) << line.toStdString();
            EXPECT_NEAR(amount, page[1], 0.001) << line.toStdString();
            all[0] += page[0];
            all[1] += page[1];
            page[0] = page[1] = 0;
        } else if (fields[0] == QStringLiteral("总    计")) {
            ++totalRows;
            if (!fields[6].isEmpty()) {
                ++filledTotals;
                EXPECT_EQ(subtotals, 5);
                EXPECT_NEAR(quantity, all[0], 0.001) << line.toStdString();
                EXPECT_NEAR(amount, all[1], 0.001) << line.toStdString();
            }
        }
    }
    EXPECT_EQ(subtotals, 5);
    EXPECT_EQ(totalRows, 5);
    EXPECT_EQ(filledTotals, 1);
}

// `--csv`: the ledger's lines under one heading row, in UTF-8 after a
// byte-order mark.
TEST_F(PdfExportTest, CsvHoldsTheLedgerLines)
{
    const QString csv = dir_.filePath(QStringLiteral("报表.csv"));
    const test::ProgramRun run
        = Start({ QStringLiteral("--csv"), csv, data_, format_, QStringLiteral("NotDef") });
    ASSERT_EQ(run.status, 0) << run.Message().toStdString();
    EXPECT_EQ(run.err, QString());
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 122) << bytes.left(400).toStdString(); // heading, 120 lines, the empty end
    EXPECT_EQ(lines.last(), QString());
    for (int i = 1; i <= 120; ++i) {
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("2024-"))) << lines[i].toStdString();
        EXPECT_FALSE(lines[i].contains(QStringLiteral("小计"))) << lines[i].toStdString();
    }
}

// A workbook that cannot be written whole leaves the old file as it was and no file of its own, says why in
// the program's own words only, and ends with status 1: a file-size limit (as `ulimit -f` sets) that the
// rows staged beside the workbook run into, a full disk. Two output files asked for are refused (status 2)
// before anything is written.
TEST_F(PdfExportTest, WorkbookNotWrittenWholeKeepsTheOldFile)
{
    const QString a = dir_.filePath(QStringLiteral("a.xlsx")), b = dir_.filePath(QStringLiteral("b.pdf"));
    const QStringList twice[] = { { QStringLiteral("--pdf"), b, QStringLiteral("--xlsx"), a },
        { QStringLiteral("--xlsx"), a, QStringLiteral("--xlsx"), b },
        { QStringLiteral("--xlsx"), a, QStringLiteral("--pdf"), b },
        { QStringLiteral("--csv"), a, QStringLiteral("--xlsx"), b } };
    for (const QStringList& options : twice) {
        const test::ProgramRun run = Start(options + QStringList { data_, format_ });
        EXPECT_EQ(run.status, 2) << options.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(
            run.err.startsWith(QStringLiteral("quillet: 选项“") + options[2] + QStringLiteral("”重复")))
            << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(a));
        EXPECT_FALSE(QFileInfo::exists(b));
    }

    // 330 ledger lines: a sheet of some 137 KB, staged in the workbook's folder.
    ASSERT_TRUE(WriteExampleReport(dir_.path().toStdString(), 330));
    const auto expectOldKept = [](const QString& folder, const QString& xlsx, const QStringList& arguments,
                                   const std::function<void()>& inChild, const QString& why) {
        QFile old(xlsx);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("OLD");
        old.close();
        const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        const test::ProgramRun run
            = Start(QStringList { QStringLiteral("--xlsx"), xlsx } + arguments, inChild);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.toStdString(),
            (QStringLiteral("打印预览窗体: 无法写入Excel文件“") + xlsx + QStringLiteral("”，") + why
                + QLatin1Char('\n'))
                .toStdString());
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("OLD"));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), before);
    };
    const QString xlsx = dir_.filePath(QStringLiteral("s.xlsx"));
    // The sheet's size when nothing stops it, from the package's listing.
    ASSERT_EQ(Start({ QStringLiteral("--xlsx"), xlsx, data_, format_, QStringLiteral("NotDef") }).status, 0);
    const QString listing = test::RunTool(
        QStringLiteral("unzip"), { QStringLiteral("-l"), xlsx, QStringLiteral("xl/worksheets/sheet1.xml") })
                                .out;
    const rlim_t sheet
        = listing.section(QLatin1Char('\n'), 3, 3).trimmed().section(QLatin1Char(' '), 0, 0).toULong();
    ASSERT_GT(sheet, 100000u) << listing.toStdString();
    // Cut among the rows staged for the sheet; cut in the sheet's last lines, once the rows are in.
    for (const rlim_t limit : { rlim_t { 64 * 1024 }, sheet - 20 }) {
        expectOldKept(
            dir_.path(), xlsx, { data_, format_, QStringLiteral("NotDef") },
            [limit] {
                const rlimit fsize { limit, limit };
                ::setrlimit(RLIMIT_FSIZE, &fsize);
            },
            QStringLiteral("文件超出了允许的大小"));
    }

    for (const qint64 room :
        { 8 * 1024, 200 * 1024 }) { // full among the rows; full while the package is made
        const test::FullDisk disk(room);
        if (!disk.Mounted())
            GTEST_SKIP() << "cannot mount a small tmpfs here (needs root in a system that allows mounts): "
                         << disk.Why().toStdString();
        expectOldKept(disk.Path(), disk.Path() + QStringLiteral("/s.xlsx"),
            { data_, format_, QStringLiteral("NotDef") }, {}, QStringLiteral("磁盘已满"));
    }
}

} // namespace
} // namespace quillet

namespace quillet {
namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every kind of data source is read by each thread through a view of its own:
// the data file, a CSV file and the rows of a query make on three threads the
// file they make on one.
TEST_F(PdfExportTest, EverySourceGivesTheSameFileOnThreads)
{
    const QString csv = dir_.filePath(QStringLiteral("ledger.csv"));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("日期,单据号,客户名称,商品名称,数量,单价,金额\n");
    for (int i = 0; i < 120; ++i) {
        QStringList cells;
        for (const std::string& cell : ExampleRowCells(i))
            cells << QString::fromStdString(GbkToUtf8(cell));
        file.write((cells.join(QLatin1Char(',')) + QLatin1Char('\n')).toUtf8());
    }
    file.close();
    const QString db = QStringLiteral("sqlite:" QUILLET_EXAMPLES "/sales.db");
    const std::vector<QStringList> sources = {
        { data_, format_ },
        { csv },
        { QStringLiteral("--db"), db, QStringLiteral("--query"), QStringLiteral("SELECT * FROM sales") },
    };
    for (const QStringList& source : sources) {
        SCOPED_TRACE(source.join(QLatin1Char(' ')).toStdString());
        QByteArray one;
        for (const char* jobs : { "1", "3" }) {
            const test::ProgramRun run = Start(QStringList { QStringLiteral("--jobs"),
                                                   QString::fromLatin1(jobs), QStringLiteral("--pdf"), out_ }
                + source);
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            const QByteArray bytes = FileBytes(out_);
            ASSERT_GT(bytes.count("/Type /Page "), 1);
            if (one.isEmpty())
                one = bytes;
            EXPECT_TRUE(bytes == one) << jobs << " threads";
        }
    }
}

// `--convert` turns a format file into JSON and back, the JSON coming back
// as it was; a JSON layout prints the same report as its format file; a bad
// one is named to its line, column and field, with status 1 and no file.
TEST_F(PdfExportTest, JsonLayoutConvertsBothWaysAndPrintsAsTheFormatFile)
{
    const QString json = dir_.filePath(QStringLiteral("月报.json"));
    const QString back = dir_.filePath(QStringLiteral("back.fmt"));
    const QString again = dir_.filePath(QStringLiteral("again.json"));
    for (const auto& [in, out] : { std::pair { format_, json }, { json, back }, { back, again } }) {
        const test::ProgramRun run = Start({ QStringLiteral("--convert"), in, out });
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.err, QString());
    }
    EXPECT_TRUE(FileBytes(json).startsWith("{\n"));
    EXPECT_EQ(FileBytes(back).size(), 140108);
    EXPECT_EQ(FileBytes(again), FileBytes(json));

    // Never over the file being read.
    const test::ProgramRun over = Start({ QStringLiteral("--convert"), json, json });
    EXPECT_EQ(over.status, 1);
    EXPECT_EQ(FileBytes(again), FileBytes(json));

    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        const QString fromJson = dir_.filePath(QStringLiteral("json.pdf"));
        ASSERT_EQ(Start({ QStringLiteral("--pdf"), out_, data_, format_, QStringLiteral("NotDef") }).status, 0);
        ASSERT_EQ(Start({ QStringLiteral("--pdf"), fromJson, data_, json, QStringLiteral("NotDef") }).status, 0);
        EXPECT_FALSE(PdfText(out_).isEmpty());
        EXPECT_EQ(PdfText(fromJson), PdfText(out_));
    }

    QByteArray bad = FileBytes(json);
    const qsizetype width = bad.indexOf("\"width\": 29");
    ASSERT_GT(width, 0);
    bad.replace(width, 11, "\"width\": 300");
    const int line = static_cast<int>(bad.left(width).count('\n')) + 1;
    // The column of the value, after `"width": `.
    const int column = static_cast<int>(width - bad.lastIndexOf('\n', width)) + 9;
    const QString badPath = dir_.filePath(QStringLiteral("bad.json"));
    QFile file(badPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bad);
    file.close();
    const QString fmt = dir_.filePath(QStringLiteral("bad.fmt"));
    const QString where = QStringLiteral("格式文件“%1”第%2行第%3列，columns[3].width：300超出范围0..255")
                              .arg(badPath)
                              .arg(line)
                              .arg(column);
    const test::ProgramRun convert = Start({ QStringLiteral("--convert"), badPath, fmt });
    EXPECT_EQ(convert.status, 1);
    EXPECT_EQ(convert.err.toStdString(), (QStringLiteral("quillet: ") + where).toStdString() + "\n");
    EXPECT_FALSE(QFile::exists(fmt));
    const test::ProgramRun pdf = Start({ QStringLiteral("--pdf"), fmt, data_, badPath, QStringLiteral("NotDef") });
    EXPECT_EQ(pdf.status, 1);
    EXPECT_EQ(pdf.Message().toStdString(), (QStringLiteral("打印预览窗体: ") + where).toStdString());
    EXPECT_FALSE(QFile::exists(fmt));
}

// A CSV file where a data file goes: its cells in the PDF, with a JSON
// layout; a bad line named with its file and number, status 1, no PDF.
TEST_F(PdfExportTest, CsvDataPrintsItsCells)
{
    const QString json = dir_.filePath(QStringLiteral("layout.json"));
    ASSERT_EQ(Start({ QStringLiteral("--convert"), format_, json }).status, 0);
    const QString csv = dir_.filePath(QStringLiteral("数据.csv"));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF日期,单据号,客户名称,商品名称,数量,单价,金额\r\n"
               "3-01,\"A,01\",\"说\"\"好\"\"\",橡皮,3,2.5,7.5\r\n"
               "3-02,B02,华北公司,铅笔,4,1,4\r\n");
    file.close();
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        const test::ProgramRun run = Start({ QStringLiteral("--pdf"), out_, csv, json, QStringLiteral("NotDef") });
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QString text = PdfText(out_);
        for (const char* cell : { "A,01", "说\"好\"", "橡皮", "华北公司", "7.50", "11.50" })
            EXPECT_TRUE(text.contains(QString::fromUtf8(cell))) << cell << "\n" << text.toStdString();
        // Alone, the file gets a layout of its own: its name as the title,
        // its headings, its sums.
        const test::ProgramRun made = Start({ QStringLiteral("--pdf"), out_, csv });
        ASSERT_EQ(made.status, 0) << made.err.toStdString();
        const QString madeText = PdfText(out_);
        for (const char* cell : { "数据", "客户名称", "华北公司", "本页小计", "总计", "11.5" })
            EXPECT_TRUE(madeText.contains(QString::fromUtf8(cell))) << cell << "\n" << madeText.toStdString();
    }
    const QString bad = dir_.filePath(QStringLiteral("bad.tsv"));
    QFile badFile(bad);
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write("a\tb\n1\t2\n\"3\t4\n");
    badFile.close();
    const QString badPdf = dir_.filePath(QStringLiteral("bad.pdf"));
    const test::ProgramRun run = Start({ QStringLiteral("--pdf"), badPdf, bad, json, QStringLiteral("NotDef") });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.Message(), QStringLiteral("打印预览窗体: 数据文件“%1”第3行：引号没有结束").arg(bad));
    EXPECT_FALSE(QFile::exists(badPdf));
}

// The rows of a query where a data file goes: alone they get a layout of
// their own, with a format file they take it; the database's faults and the
// database file itself are refused.
TEST_F(PdfExportTest, QueryRowsMakeTheReport)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is missing";
    const QString database = QStringLiteral(QUILLET_EXAMPLES "/sales.db");
    const QString db = QStringLiteral("sqlite:") + database;
    const QString json = dir_.filePath(QStringLiteral("layout.json"));
    ASSERT_EQ(Start({ QStringLiteral("--convert"), format_, json }).status, 0);
    const QString byCustomer
        = QStringLiteral("SELECT 客户名称, SUM(数量) AS 数量, SUM(金额) AS 金额 FROM sales GROUP BY 客户名称");
    struct Case {
        QStringList arguments;
        int status;
        std::vector<const char*> texts; // in the PDF, or the message
    };
    const std::vector<Case> cases = {
        { { QStringLiteral("--query"), byCustomer }, 0,
            { "查询结果", "客户名称", "南京大学书店", "本页小计", "总计", "25,844", "326,576.1" } },
        { { QStringLiteral("--query"), QStringLiteral("SELECT * FROM sales"), json, QStringLiteral("NotDef") }, 0,
            { "XS2611240", "326,576.10" } },
        { { QStringLiteral("--query"), QStringLiteral("SELECT * FROM nosuch") }, 1,
            { "打印预览窗体: 查询出错：no such table: nosuch" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        QFile::remove(out_);
        const test::ProgramRun run = Start(QStringList { QStringLiteral("--pdf"), out_, QStringLiteral("--db"), db } + c.arguments);
        ASSERT_EQ(run.status, c.status) << run.err.toStdString();
        const QString text = c.status != 0
            ? run.Message()
            : PdfText(out_);
        for (const char* piece : c.texts)
            EXPECT_TRUE(text.contains(QString::fromUtf8(piece))) << piece << "\n" << text.toStdString();
        EXPECT_EQ(QFile::exists(out_), c.status == 0);
    }
    // The database read is never the output.
    const test::ProgramRun onto = Start({ QStringLiteral("--pdf"), database, QStringLiteral("--db"), db,
        QStringLiteral("--query"), QStringLiteral("SELECT 1") });
    EXPECT_EQ(onto.status, 1);
    EXPECT_TRUE(onto.Message().contains(QStringLiteral("这是正在使用的数据文件或格式文件"))) << onto.err.toStdString();
}

} // namespace
} // namespace quillet
