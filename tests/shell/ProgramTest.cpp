// The program as a process, unattended: every start-up failure message with
// its exit status, the print modes through the PDF printer and a real CUPS
// queue, and the saved layout preferred or ignored by mode.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "model/PrnData.h"
#include "platform/GbkCodec.h"
#include "tests/FullDisk.h"
#include "tests/shell/ProgramRun.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

const QString kProgram = QStringLiteral(QUILLET_BINARY);

using test::ProgramRun;

// prefix: a program that runs the program with its arguments after its own
// (setpriv, prlimit), or none.
ProgramRun Start(const QStringList& arguments, const QStringList& extraEnv = {},
    const QStringList& prefix = {}, const QString& program = kProgram)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLET_NONINTERACTIVE"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    // The toolkit warns without it; the error output must hold our lines all the same.
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    for (const QString& pair : extraEnv) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq < 0)
            env.remove(pair); // a name alone: unset
        else
            env.insert(pair.left(eq), pair.mid(eq + 1));
    }
    return test::RunProgram(program, arguments, env, prefix);
}

QString PdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The PDF of page n: its name is the title followed by "(n" and "N)" with the
// "/" of the document title made safe.
QString PageFile(const QStringList& pdfs, int n, int pages)
{
    const QRegularExpression pattern(
        QStringLiteral("^2024年3月销售明细账\\(%1[^0-9]%2\\)\\.pdf$").arg(n).arg(pages));
    for (const QString& name : pdfs)
        if (pattern.match(name).hasMatch())
            return name;
    return {};
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(WriteExampleReport(dir_.path().toStdString(), 60));
        data_ = dir_.filePath(QString::fromLatin1(kExampleDataName));
        format_ = dir_.filePath(QString::fromLatin1(kExampleFormatName));
    }

    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QByteArray Read(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QStringList Pdfs(const QString& folder)
    {
        QStringList names = QDir(folder).entryList({ QStringLiteral("*.pdf") }, QDir::Files, QDir::Name);
        return names;
    }

    QTemporaryDir dir_;
    QString data_;
    QString format_;
};

const QString kTitle = QStringLiteral("打印预览窗体: ");

// Each start-up failure writes its one message, and nothing else, and ends with a non-zero status.
TEST_F(ProgramTest, StartupFailuresEndWithTheirMessage)
{
    QByteArray badFormat = Read(format_);
    badFormat[5] = 'X';
    QByteArray oldFormat = Read(format_);
    oldFormat[24] = 4; // version 1.4
    QByteArray badData = Read(data_);
    badData[0] = 20;
    QByteArray oldData = Read(data_);
    oldData[22] = 2; // version 2.5
    const QString bf = WriteFile(QStringLiteral("bad.fmt"), badFormat);
    const QString of = WriteFile(QStringLiteral("old.fmt"), oldFormat);
    const QString bd = WriteFile(QStringLiteral("bad.dat"), badData);
    const QString od = WriteFile(QStringLiteral("old.dat"), oldData);
    const QString missing = dir_.filePath(QStringLiteral("missing.dat"));

    struct Case {
        QStringList args;
        QString line;
    };
    const Case cases[] = {
        { {}, QStringLiteral("提示: 传递参数不正确!") },
        { { data_ }, QStringLiteral("提示: 传递参数不正确!") },
        { { missing, format_ }, kTitle + QStringLiteral("数据文件\"%1\"不存在!").arg(missing) },
        { { data_, missing }, kTitle + QStringLiteral("格式文件\"%1\"不存在!").arg(missing) },
        { { data_, bf }, kTitle + QStringLiteral("格式文件\"%1\"格式不对!").arg(bf) },
        { { data_, of }, kTitle + QStringLiteral("此程序不支持这个版的格式文件%1").arg(of) },
        { { bd, format_ }, kTitle + QStringLiteral("数据文件\"%1\"格式不对!").arg(bd) },
        { { od, format_ }, kTitle + QStringLiteral("此程序不支持这个版的数据文件%1").arg(od) },
    };
    for (const Case& c : cases) {
        const ProgramRun run = Start(c.args);
        EXPECT_NE(run.status, 0) << c.line.toStdString();
        EXPECT_EQ(run.err.toStdString(), c.line.toStdString() + "\n");
    }
}

// A cell of the example data written over with text (its length byte first).
void PutCell(const QString& dataPath, std::uint64_t offset, const QByteArray& cell)
{
    QFile file(dataPath);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(static_cast<qint64>(offset)));
    ASSERT_EQ(file.write(cell), cell.size());
}

// In English, asked for with --lang en or by the locale, every answer and
// complaint of the command line, the start-up, the data files, the layouts
// and the exports is English: no Chinese but the report's own ("x").
TEST_F(ProgramTest, EnglishEverywhereOutsideTheWindow)
{
    const QString missing = dir_.filePath(QStringLiteral("missing.dat"));
    const QString out = dir_.filePath(QStringLiteral("out"));
    const QString damaged = WriteFile(QStringLiteral("damaged.dat"), Read(data_));
    PutCell(damaged, ExampleCellOffset(30, 5), QByteArray(1, static_cast<char>(250)));
    const QString notNumber = WriteFile(QStringLiteral("x.dat"), Read(data_));
    PutCell(notNumber, ExampleCellOffset(45, 5), QByteArrayLiteral("\x01x"));
    const QString csv = WriteFile(QStringLiteral("open.csv"), "a,b\n1,\"2\n");
    const QString json
        = WriteFile(QStringLiteral("bad.json"), "{ \"columns\": [ { \"width\": \"wide\" } ] }\n");

    struct Case {
        QStringList args;
        int status;
        QString expected; // the whole output, when given
    };
    const Case cases[] = {
        { { QStringLiteral("--help") }, 0, {} },
        { { QStringLiteral("--version") }, 0, {} },
        { { QStringLiteral("--bogus"), data_, format_ }, 2,
            QStringLiteral("quillet: unknown option \"--bogus\"\nSee quillet --help for usage; write a data "
                           "file whose name starts with \"-\" after --.\n") },
        { { QStringLiteral("--db"), QStringLiteral("sqlite:a.db"), format_ }, 2, {} },
        { { QStringLiteral("--jobs"), QStringLiteral("0"), data_, format_ }, 2, {} },
        { { QStringLiteral("--pdf"), out, missing, format_ }, 1,
            QStringLiteral("Print Preview: Data file \"%1\" does not exist!\n").arg(missing) },
        { { QStringLiteral("--pdf"), out, damaged, format_ }, 1, {} },
        { { QStringLiteral("--pdf"), out, notNumber, format_ }, 1,
            QStringLiteral("Print Preview: \"x\" is not a valid number (page 2, row 20, column 5)\n") },
        { { QStringLiteral("--csv"), out, csv }, 1, {} },
        { { QStringLiteral("--xlsx"), out, notNumber, format_ }, 1,
            QStringLiteral("Print Preview: \"x\" is not a valid number (page 2, row 20, column 5)\n") },
        { { QStringLiteral("--convert"), json, out }, 1, {} },
    };
    const QRegularExpression chinese(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    const QStringList byLocale = { QStringLiteral("LANGUAGE"), QStringLiteral("LC_ALL"),
        QStringLiteral("LC_MESSAGES"), QStringLiteral("LANG=en_US.UTF-8") };
    for (const bool forced : { true, false }) {
        for (const Case& c : cases) {
            const std::string line
                = (forced ? "--lang en " : "LANG=en_US.UTF-8 ") + c.args.join(u' ').toStdString();
            const ProgramRun run = forced
                ? Start(QStringList { QStringLiteral("--lang"), QStringLiteral("en") } + c.args)
                : Start(c.args, byLocale);
            const QString said = run.out + run.err;
            EXPECT_EQ(run.status, c.status) << line << "\n" << said.toStdString();
            EXPECT_FALSE(said.trimmed().isEmpty()) << line;
            EXPECT_FALSE(chinese.match(said).hasMatch()) << line << "\n" << said.toStdString();
            if (!c.expected.isEmpty()) {
                EXPECT_EQ(said.toStdString(), c.expected.toStdString()) << line;
            }
        }
    }
    EXPECT_FALSE(QFile::exists(out));
}

// The bytes of a path as a word the shell's printf turns back into them, so
// that names no toolkit string can hold reach the program as they are.
QString Escaped(const std::string& bytes)
{
    QString word;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 || c == '\\')
            word += QStringLiteral("\\0%1").arg(b, 3, 8, QLatin1Char('0'));
        else
            word += QLatin1Char(c);
    }
    return word;
}

// Runs the program on the arguments given as bytes.
ProgramRun StartWithBytes(const std::vector<std::string>& arguments, const QStringList& extraEnv)
{
    QStringList words;
    for (const std::string& argument : arguments)
        words << Escaped(argument);
    const QString decode = QStringLiteral("p=\"$0\"; for a in \"$@\"; do set -- \"$@\" \"$(printf '%b' "
                                          "\"$a\")\"; shift; done; exec \"$p\" \"$@\"");
    return Start(words, extraEnv, { QStringLiteral("/bin/sh"), QStringLiteral("-c"), decode });
}

// Files whose names are GBK bytes, as archives made on Chinese Windows unpack them, open under a UTF-8 and
// under a C locale: printed, written as a PDF under a GBK name of its own, and preferred as a saved layout
// by their base name; a missing one is named in readable Chinese.
TEST_F(ProgramTest, GbkFileNamesOpenUnderAnyLocale)
{
    const std::string folder = dir_.path().toStdString() + "/";
    const std::string shanghai = "\xC9\xCF\xBA\xA3"; // 上海
    const std::string data = folder + shanghai + ".dat";
    const std::string format = folder + shanghai + "_gbk_layout.fmt";
    const std::string missing = folder + "\xB1\xA8\xB1\xED.dat"; // 报表.dat
    const std::string pdf = folder + shanghai + ".pdf";
    // A saved layout for the GBK base name, beside the program.
    const std::string saved
        = QFileInfo(kProgram).absolutePath().toStdString() + "/Format/" + shanghai + "_gbk_layout.PFD";
    // The temporary folder cannot name these files to remove them.
    struct RemoveAll {
        std::vector<std::string> paths;
        ~RemoveAll()
        {
            for (const std::string& path : paths)
                std::filesystem::remove(path);
        }
    } cleanup { { data, format, pdf, saved } };
    std::filesystem::copy_file(data_.toStdString(), data);
    std::filesystem::copy_file(format_.toStdString(), format);
    std::filesystem::create_directories(std::filesystem::path(saved).parent_path());
    TMyPrintFormat layout;
    ASSERT_EQ(layout.LoadFromFile(format_.toStdString()), kFileOk);
    layout.Title.Text.SetText(Utf8ToGbk("已保存的格式"));
    TMyPaperSpec paper;
    ASSERT_EQ(layout.SaveToFile(saved, paper), kFileOk);

    for (const QString& locale : { QStringLiteral("C.UTF-8"), QStringLiteral("C") }) {
        const QStringList env { QStringLiteral("LC_ALL=") + locale, QStringLiteral("LANG=") + locale };
        QTemporaryDir out;
        ProgramRun run = StartWithBytes(
            { data, format, "Print" }, env + QStringList { QStringLiteral("QUILLET_PDF_DIR=") + out.path() });
        EXPECT_EQ(run.status, 0) << locale.toStdString() << run.err.toStdString();
        const QStringList pdfs = Pdfs(out.path());
        ASSERT_FALSE(pdfs.isEmpty()) << locale.toStdString();
        EXPECT_TRUE(pdfs.first().startsWith(QStringLiteral("已保存的格式("))) << pdfs.first().toStdString();

        std::filesystem::remove(pdf);
        run = StartWithBytes({ "--pdf", pdf, data, format, "NotDef" }, env);
        EXPECT_EQ(run.status, 0) << locale.toStdString() << run.err.toStdString();
        EXPECT_EQ(run.err, QString());
        EXPECT_TRUE(std::filesystem::is_regular_file(pdf)) << locale.toStdString();

        run = StartWithBytes({ missing, format }, env);
        EXPECT_EQ(run.err,
            kTitle + QStringLiteral("数据文件\"") + dir_.path() + QStringLiteral("/报表.dat\"不存在!\n"))
            << locale.toStdString();
    }
}

// Print and NotDefPrint through the PDF printer: one PDF per page, each
// named after the title with (n/N), each with its page number line.
TEST_F(ProgramTest, PrintModesWriteOnePdfPerPage)
{
    for (const QString& mode : { QStringLiteral("print"), QStringLiteral("NotDefPrint") }) {
        QTemporaryDir out;
        const ProgramRun run
            = Start({ data_, format_, mode }, { QStringLiteral("QUILLET_PDF_DIR=") + out.path() });
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QStringList pdfs = Pdfs(out.path());
        ASSERT_GE(pdfs.size(), 2);
        const int pages = static_cast<int>(pdfs.size());
        for (int n = 1; n <= pages; ++n)
            EXPECT_FALSE(PageFile(pdfs, n, pages).isEmpty()) << "page " << n;
        const QString first = PageFile(pdfs, 1, pages);
        const QString text = PdfText(out.filePath(first));
        EXPECT_TRUE(text.contains(QStringLiteral("第1页 共%1页").arg(pages))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("2024年3月销售明细账"))) << text.toStdString();
    }
}

// A saved layout beside the program is printed in Print mode and ignored in NotDefPrint.
TEST_F(ProgramTest, SavedLayoutPreferredOrIgnoredByMode)
{
    const QString folder = QFileInfo(kProgram).absolutePath() + QStringLiteral("/Format");
    QDir().mkpath(folder);
    const QString ownFormat = dir_.filePath(QStringLiteral("e2e_saved_layout.fmt"));
    ASSERT_TRUE(QFile::copy(format_, ownFormat));
    const QString saved = folder + QStringLiteral("/e2e_saved_layout.PFD");
    struct Remove {
        QString path;
        ~Remove() { QFile::remove(path); }
    } cleanup { saved };
    TMyPrintFormat layout;
    ASSERT_EQ(layout.LoadFromFile(format_.toStdString()), kFileOk);
    layout.Title.Text.SetText(Utf8ToGbk("已保存的格式"));
    TMyPaperSpec paper;
    ASSERT_EQ(layout.SaveToFile(saved.toStdString(), paper), kFileOk);

    QTemporaryDir preferred;
    ASSERT_EQ(Start({ data_, ownFormat, QStringLiteral("Print") },
                  { QStringLiteral("QUILLET_PDF_DIR=") + preferred.path() })
                  .status,
        0);
    const QStringList a = Pdfs(preferred.path());
    ASSERT_FALSE(a.isEmpty());
    EXPECT_TRUE(a.first().startsWith(QStringLiteral("已保存的格式("))) << a.first().toStdString();

    QTemporaryDir ignored;
    ASSERT_EQ(Start({ data_, ownFormat, QStringLiteral("NotDefPrint") },
                  { QStringLiteral("QUILLET_PDF_DIR=") + ignored.path() })
                  .status,
        0);
    const QStringList b = Pdfs(ignored.path());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_TRUE(b.first().startsWith(QStringLiteral("2024年3月销售明细账("))) << b.first().toStdString();

    // The saved layout is used only when the passed format file exists.
    const QString gone = dir_.filePath(QStringLiteral("e2e_saved_layout_gone.fmt"));
    const ProgramRun run = Start({ data_, gone, QStringLiteral("Print") });
    EXPECT_EQ(run.Message().toStdString(),
        (kTitle + QStringLiteral("格式文件\"%1\"不存在!").arg(gone)).toStdString());
}

// The numbers of the queue's jobs that CUPS still knows, done or not. It
// keeps so many done ones and drops the oldest, so tests count the numbers
// past the highest one seen before rather than how many there are.
std::vector<int> JobNumbers(const QString& queue)
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"),
        { QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o"), queue });
    lpstat.waitForFinished(30000);
    std::vector<int> numbers;
    for (const QString& line :
        QString::fromUtf8(lpstat.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString job = line.section(QLatin1Char(' '), 0, 0);
        numbers.push_back(job.section(QLatin1Char('-'), -1).toInt());
    }
    return numbers;
}

// Print mode through the real CUPS queue: one job per page.
TEST_F(ProgramTest, PrintModeSendsOneCupsJobPerPage)
{
    QProcess probe;
    probe.start(QStringLiteral("lpstat"), { QStringLiteral("-p"), QStringLiteral("QuilletPDF") });
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        GTEST_SKIP() << "no CUPS queue QuilletPDF (scripts/setup-cups.sh sets it up)";
    QTemporaryDir pdfOut;
    ASSERT_EQ(Start({ data_, format_, QStringLiteral("NotDefPrint") },
                  { QStringLiteral("QUILLET_PDF_DIR=") + pdfOut.path() })
                  .status,
        0);
    const int pages = static_cast<int>(Pdfs(pdfOut.path()).size());
    ASSERT_GE(pages, 2);

    const std::vector<int> known = JobNumbers(QStringLiteral("QuilletPDF"));
    const int last = known.empty() ? 0 : *std::max_element(known.begin(), known.end());
    auto jobsSince = [last] {
        const std::vector<int> now = JobNumbers(QStringLiteral("QuilletPDF"));
        return static_cast<int>(std::count_if(now.begin(), now.end(), [last](int n) { return n > last; }));
    };
    const ProgramRun run = Start({ data_, format_, QStringLiteral("NotDefPrint") },
        { QStringLiteral("PRINTER=QuilletPDF"), QStringLiteral("LPDEST=QuilletPDF") });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    int after = 0;
    for (int i = 0; i < 120; ++i) {
        after = jobsSince();
        if (after >= pages)
            break;
        QThread::msleep(250);
    }
    EXPECT_EQ(after, pages);
}

bool HaveProgram(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// The example report in a folder anyone may read, for runs as another user.
class PrintFailureTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (HasFatalFailure())
            return;
        const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
        QFile::setPermissions(dir_.path(), open);
        for (const QString& f : { data_, format_ })
            QFile::setPermissions(f,
                QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                    | QFileDevice::ReadOther);
    }
    // Every file in folder, hidden ones too: no page and no piece of one.
    static QStringList Files(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    // Runs Print mode into the PDF folder and checks the run failed with status 1 and a message that starts
    // with `starts` and ends with `ends`, leaving no file in the folder.
    void ExpectFailure(const QString& folder, const QStringList& prefix, const QString& starts,
        const QString& ends, const QString& program = kProgram)
    {
        const ProgramRun run = Start({ data_, format_, QStringLiteral("NotDefPrint") },
            { QStringLiteral("QUILLET_PDF_DIR=") + folder }, prefix, program);
        EXPECT_EQ(run.status, 1) << run.err.toStdString();
        EXPECT_TRUE(run.Message().startsWith(kTitle + starts)) << run.Message().toStdString();
        EXPECT_TRUE(run.Message().endsWith(ends)) << run.Message().toStdString();
        EXPECT_EQ(Files(folder), QStringList()) << run.err.toStdString();
    }
};

// A PDF folder that cannot be made (a file stands where its parent should be) ends the print run with the
// reason and status 1.
TEST_F(PrintFailureTest, MissingPdfFolder)
{
    QFile blocker(dir_.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString folder = dir_.filePath(QStringLiteral("blocker/pdf"));
    const ProgramRun run = Start(
        { data_, format_, QStringLiteral("NotDefPrint") }, { QStringLiteral("QUILLET_PDF_DIR=") + folder });
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(run.Message(),
        kTitle + QStringLiteral("无法开始打印作业：无法在PDF文件夹“") + folder
            + QStringLiteral("”中建立文件，文件夹不存在，也无法建立"));
}

// A read-only PDF folder, for a user who may not write there (the run is made as "nobody", as root may
// write anywhere), ends the print run with the reason and status 1, leaving nothing in it.
TEST_F(PrintFailureTest, ReadOnlyPdfFolder)
{
    QTemporaryDir outer;
    QFile::setPermissions(outer.path(),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
            | QFileDevice::ExeOther);
    const QString folder = outer.filePath(QStringLiteral("pdf"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder,
        QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther);
    QStringList prefix;
    if (geteuid() == 0) {
        if (!HaveProgram(QStringLiteral("setpriv")))
            GTEST_SKIP() << "running as root, and setpriv (util-linux) is missing to run as nobody";
        prefix = { QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
            QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups") };
    }
    // Where the build lies out of nobody's reach (a home folder), a copy of
    // the program in the open folder runs instead.
    QString program = kProgram;
    if (!prefix.isEmpty()
        && QProcess::execute(prefix.first(),
               prefix.mid(1) + QStringList { QStringLiteral("test"), QStringLiteral("-x"), program })
            != 0) {
        program = outer.filePath(QStringLiteral("quillet"));
        ASSERT_TRUE(QFile::copy(kProgram, program));
        QFile::setPermissions(program,
            QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther);
    }
    ExpectFailure(folder, prefix, QStringLiteral("无法开始打印作业：无法在PDF文件夹“") + folder,
        QStringLiteral("中建立文件，没有写入的权限"), program);
}

// A file-size limit (RLIMIT_FSIZE) smaller than a page: the write fails instead of the program being
// killed, the run ends with the reason and status 1, and no piece of the page stays.
TEST_F(PrintFailureTest, FileSizeLimit)
{
    if (!HaveProgram(QStringLiteral("prlimit")))
        GTEST_SKIP() << "prlimit (util-linux) is missing to set a file-size limit on the run";
    QTemporaryDir folder;
    ExpectFailure(folder.path(), { QStringLiteral("prlimit"), QStringLiteral("--fsize=4096") },
        QStringLiteral("打印作业没有正常结束：无法写入PDF文件“") + folder.path(),
        QStringLiteral("，文件超出了允许的大小"));
}

// A full disk (a small file system of its own, filled up) ends the run with the reason and status 1.
TEST_F(PrintFailureTest, FullDisk)
{
    // Room for a little, not for a page.
    const test::FullDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root in a system that allows mounts): "
                     << disk.Why().toStdString();
    const QString folder = disk.Path();
    const ProgramRun run = Start(
        { data_, format_, QStringLiteral("NotDefPrint") }, { QStringLiteral("QUILLET_PDF_DIR=") + folder });
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(
        run.Message().startsWith(kTitle + QStringLiteral("打印作业没有正常结束：无法写入PDF文件“") + folder))
        << run.Message().toStdString();
    EXPECT_TRUE(run.Message().endsWith(QStringLiteral("，磁盘已满"))) << run.Message().toStdString();
    EXPECT_EQ(Files(folder), QStringList({ QStringLiteral(".filler") }));
}

// A print run into the PDF printer stopped by Ctrl+C leaves only whole pages under page names and no
// temporary file; one killed outright leaves no empty page either, and its temporary file goes with the
// next run into that folder.
TEST_F(PrintFailureTest, InterruptedRunsLeaveOnlyWholePages)
{
    ASSERT_TRUE(WriteExampleReport(dir_.path().toStdString(), 3000));
    const auto hidden = [](const QString& folder) {
        return QDir(folder)
            .entryList(QDir::Files | QDir::Hidden | QDir::System)
            .filter(QRegularExpression(QStringLiteral("^\\.")));
    };
    for (int sig : { SIGINT, SIGKILL }) {
        QTemporaryDir out;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLET_NONINTERACTIVE"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        env.insert(QStringLiteral("QUILLET_PDF_DIR"), out.path());
        process.setProcessEnvironment(env);
        process.start(kProgram, { data_, format_, QStringLiteral("NotDefPrint") });
        // Stopped in the middle of a page, after a few.
        bool midPage = false;
        for (int i = 0; i < 1200 && !midPage; ++i) {
            QThread::msleep(10);
            midPage = Pdfs(out.path()).size() >= 3 && !hidden(out.path()).isEmpty();
        }
        ASSERT_TRUE(midPage) << "the run never got to its fourth page";
        ::kill(static_cast<pid_t>(process.processId()), sig);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
        for (const QString& pdf : Pdfs(out.path()))
            EXPECT_TRUE(PdfText(out.filePath(pdf)).contains(QStringLiteral("2024年3月销售明细账")))
                << pdf.toStdString();
        if (sig == SIGKILL) {
            // The next run into the folder takes the piece away.
            const ProgramRun again = Start({ data_, format_, QStringLiteral("NotDefPrint") },
                { QStringLiteral("QUILLET_PDF_DIR=") + out.path() });
            EXPECT_EQ(again.status, 0) << again.err.toStdString();
        }
        EXPECT_EQ(hidden(out.path()), QStringList()) << sig;
    }
}

// A stopped CUPS queue (one of the test's own, made and removed here) ends a print run with the reason
// and status 1; no job reaches the queue.
TEST_F(PrintFailureTest, StoppedCupsQueue)
{
    QProcess probe;
    probe.start(QStringLiteral("lpstat"), { QStringLiteral("-r") });
    if (!probe.waitForFinished(30000) || !probe.readAllStandardOutput().contains("scheduler is running"))
        GTEST_SKIP() << "no CUPS scheduler reachable; run scripts/setup-cups.sh first";
    const QString queue = QStringLiteral("QuilletRun%1").arg(QCoreApplication::applicationPid());
    QString ppd;
    for (const char* candidate :
        { "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd", "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd" })
        if (QFile::exists(QString::fromLatin1(candidate)))
            ppd = QString::fromLatin1(candidate);
    if (ppd.isEmpty())
        GTEST_SKIP() << "no cups-pdf PPD (printer-driver-cups-pdf)";
    ASSERT_EQ(QProcess::execute(QStringLiteral("lpadmin"),
                  { QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                      QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), ppd }),
        0);
    struct Remove {
        QString queue;
        ~Remove()
        {
            QProcess::execute(QStringLiteral("cancel"), { QStringLiteral("-a"), queue });
            QProcess::execute(QStringLiteral("lpadmin"), { QStringLiteral("-x"), queue });
        }
    } remove { queue };
    ASSERT_EQ(QProcess::execute(QStringLiteral("cupsdisable"), { queue }), 0);
    const ProgramRun run = Start({ data_, format_, QStringLiteral("NotDefPrint") },
        { QStringLiteral("PRINTER=") + queue, QStringLiteral("LPDEST=") + queue });
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(run.Message(),
        kTitle + QStringLiteral("无法开始打印作业：打印机“") + queue + QStringLiteral("”已停止，不能打印"));
    EXPECT_TRUE(JobNumbers(queue).empty());
}

} // namespace
} // namespace quillet

namespace quillet {
namespace {

// The help command opens the manual beside the program: it is there after a
// build and names every command of the menus and the run modes.
TEST(ProgramManual, LiesBesideTheProgramAndNamesEveryCommand)
{
    QFile manual(QFileInfo(kProgram).absolutePath() + QStringLiteral("/Quillet.html"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(manual.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    const char* names[] = { "保存打印格式", "删除保存的打印格式", "保存到图片", "导出PDF...", "退出程序",
        "前一页", "下一页", "第一页", "最后一页", "浏览指定页...", "修改标题...", "修改公司...",
        "修改打印行数...", "修改页头...", "修改页尾...", "设置统一行高...", "恢复合并的列宽...",
        "恢复合并的行高...", "水平居左", "水平居中", "水平居右", "垂直居顶", "垂直居中", "垂直居底",
        "页面设置...", "字体设置...", "预览比率50%", "预览比率100%", "打印比率50%", "打印比率100%", "刷新",
        "打印...", "设置打印机...", "开始打印", "帮助...", "写信...", "Quillet的主页", "关于...", "预览状态",
        "设计状态", "标准风格", "XP风格", "Print", "OnlyView", "NotDef", "NotDefPrint", "NotDefOnlyView",
        "Format", ".PFD" };
    for (const char* name : names)
        EXPECT_TRUE(text.contains(QString::fromUtf8(name))) << name;
}

} // namespace
} // namespace quillet
