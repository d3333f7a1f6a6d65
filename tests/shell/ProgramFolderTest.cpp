// A copy of the program in a folder its user cannot write, run as that user
// (nobody, when the tests run as root): --help names the user's data folder,
// the window saves there, start-up and --pdf prefer that layout to the one
// beside the program, deleting removes the one in use; a copy in a folder the
// user owns keeps everything beside the program.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "model/PrnData.h"
#include "platform/GbkCodec.h"
#include "tests/shell/ProgramRun.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

const QString kProgram = QStringLiteral(QUILLET_BINARY);
const QString kProbe = QStringLiteral(LAYOUT_PROBE_BINARY);
constexpr uid_t kNobody = 65534;

using Outcome = test::ProgramRun;

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = ::geteuid() == 0;
        if (root_) {
            runner_ = { QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                QStringLiteral("--clear-groups") };
            QProcess probe;
            probe.start(QStringLiteral("setpriv"), runner_ + QStringList { QStringLiteral("true") });
            if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit
                || probe.exitCode() != 0)
                GTEST_SKIP() << "cannot run as the user nobody here (setpriv --reuid=nobody failed: "
                             << probe.readAllStandardError().toStdString() << ")";
        }
        char pattern[] = "/tmp/quillet-installed-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        top_ = QString::fromLocal8Bit(pattern);
        ::chmod(pattern, 0755);
        bin_ = top_ + QStringLiteral("/bin");
        own_ = top_ + QStringLiteral("/own");
        home_ = top_ + QStringLiteral("/home");
        work_ = top_ + QStringLiteral("/work");
        for (const QString& folder : { bin_, own_, home_, work_ })
            ASSERT_TRUE(QDir().mkpath(folder));
        for (const QString& folder : { bin_, own_ }) {
            for (const auto& [from, name] : { std::pair { kProgram, QStringLiteral("quillet") },
                     std::pair { kProbe, QStringLiteral("layout_probe") } }) {
                ASSERT_TRUE(QFile::copy(from, folder + QLatin1Char('/') + name));
                ::chmod(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), 0755);
            }
        }
        ASSERT_TRUE(WriteExampleReport(work_.toStdString(), 60));
        data_ = work_ + QLatin1Char('/') + QString::fromLatin1(kExampleDataName);
        format_ = work_ + QLatin1Char('/') + QString::fromLatin1(kExampleFormatName);
        GiveToUser(home_);
        GiveToUser(work_);
        GiveToUser(own_);
        ReadOnly(bin_);
    }
    void TearDown() override
    {
        if (top_.isEmpty())
            return;
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(top_.toStdString(), ec))
            if (entry.is_directory())
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(top_.toStdString(), ec);
    }

    // Owned by the user the program runs as (already so without root).
    void GiveToUser(const QString& path)
    {
        if (root_) {
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0);
        }
    }
    // Not writable by that user: a root-owned folder already is not for
    // nobody; without root, the permission bits say so.
    void ReadOnly(const QString& path)
    {
        if (!root_)
            ::chmod(QFile::encodeName(path).constData(), 0555);
    }

    // bare: without the offscreen platform, as a shell without a display runs it.
    Outcome Run(const QString& program, const QStringList& arguments, bool bare = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home_);
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (bare) {
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        } else {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            env.insert(QStringLiteral("QUILLET_NONINTERACTIVE"), QStringLiteral("1"));
        }
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        const QStringList prefix
            = root_ ? QStringList { QStringLiteral("setpriv") } + runner_ : QStringList();
        return test::RunProgram(program, arguments, env, prefix, work_);
    }

    // The title of the PDF that --pdf writes from a copy of the program.
    QString PdfTitle(const QString& folder, const QStringList& modeWord = {})
    {
        const QString pdf = work_ + QStringLiteral("/out.pdf");
        QFile::remove(pdf);
        const Outcome run = Run(folder + QStringLiteral("/quillet"),
            QStringList { QStringLiteral("--pdf"), pdf, data_, format_ } + modeWord);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), { pdf });
        info.waitForFinished(60000);
        for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split(QLatin1Char('\n')))
            if (line.startsWith(QStringLiteral("Title:")))
                return line.mid(6).trimmed();
        return {};
    }

    bool root_ = false;
    QStringList runner_;
    QString top_, bin_, own_, home_, work_, data_, format_;
};

// --help and --version answer on standard output with status 0, an unknown
// option on standard error with status 2, all without a display; --pdf also
// runs without one.
TEST_F(ProgramFolderTest, OptionsAnswerWithoutDisplay)
{
    const QString program = bin_ + QStringLiteral("/quillet");
    const Outcome version = Run(program, { QStringLiteral("--version") }, true);
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("Quillet 1.5.0.601\n"))) << version.out.toStdString();
    EXPECT_TRUE(version.err.isEmpty()) << version.err.toStdString();
    const Outcome help = Run(program, { QStringLiteral("--help") }, true);
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("用法: quillet"))) << help.out.toStdString();
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();
    const Outcome unknown = Run(program, { QStringLiteral("--pfd"), data_, format_ }, true);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_TRUE(unknown.err.startsWith(QStringLiteral("quillet: 不认识的选项“--pfd”")))
        << unknown.err.toStdString();
    const Outcome pdf = Run(
        program, { QStringLiteral("--pdf"), work_ + QStringLiteral("/bare.pdf"), data_, format_ }, true);
    EXPECT_EQ(pdf.status, 0) << pdf.err.toStdString();
    EXPECT_TRUE(QFile::exists(work_ + QStringLiteral("/bare.pdf")));
}

TEST_F(ProgramFolderTest, ReadOnlyProgramFolderSavesForTheUser)
{
    const QString userFolder = home_ + QStringLiteral("/.local/share/quillet/Format");
    const QString userLayout = userFolder + QStringLiteral("/example.PFD");
    const QString besideLayout = bin_ + QStringLiteral("/Format/example.PFD");

    const Outcome help = Run(bin_ + QStringLiteral("/quillet"), { QStringLiteral("--help") });
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(
        help.out.contains(QStringLiteral("程序文件夹不能写入，保存到 ") + userFolder + QLatin1Char('\n')))
        << help.out.toStdString();

    // The window saves into the user's folder, made on the way.
    const Outcome save = Run(bin_ + QStringLiteral("/layout_probe"),
        { QStringLiteral("save"), QStringLiteral("用户的格式"), data_, format_ });
    ASSERT_EQ(save.status, 0) << save.err.toStdString();
    EXPECT_EQ(save.out.toStdString(), "loaded 2024年3月销售明细账\nsaved " + userLayout.toStdString() + "\n");
    EXPECT_TRUE(QFile::exists(userLayout));
    EXPECT_FALSE(QFile::exists(bin_ + QStringLiteral("/Format")));
    EXPECT_EQ(PdfTitle(bin_), QStringLiteral("用户的格式"));

    // A layout beside the program too (put there by whoever installed it):
    // the user's wins; NotDef takes neither.
    ::chmod(QFile::encodeName(bin_).constData(), 0755);
    TMyPrintFormat layout;
    ASSERT_EQ(layout.LoadFromFile(format_.toStdString()), kFileOk);
    layout.Title.Text.SetText(Utf8ToGbk("程序旁的格式"));
    TMyPaperSpec paper;
    ASSERT_EQ(layout.SaveToFile(besideLayout.toStdString(), paper), kFileOk);
    ReadOnly(bin_ + QStringLiteral("/Format"));
    ReadOnly(bin_);
    EXPECT_EQ(PdfTitle(bin_), QStringLiteral("用户的格式"));
    EXPECT_EQ(PdfTitle(bin_, { QStringLiteral("NotDef") }), QStringLiteral("2024年3月销售明细账"));

    // Deleting removes the user's layout; the one beside the program is then
    // in use, and deleting that fails, as the folder is not the user's.
    const Outcome removed
        = Run(bin_ + QStringLiteral("/layout_probe"), { QStringLiteral("delete"), data_, format_ });
    EXPECT_EQ(removed.out.toStdString(),
        "loaded 用户的格式\nmessage 是否真的要删除当前保存的打印格式？\nmessage 删除成功！\n");
    EXPECT_FALSE(QFile::exists(userLayout));
    EXPECT_EQ(PdfTitle(bin_), QStringLiteral("程序旁的格式"));
    const Outcome refused
        = Run(bin_ + QStringLiteral("/layout_probe"), { QStringLiteral("delete"), data_, format_ });
    EXPECT_EQ(refused.out.toStdString(),
        "loaded 程序旁的格式\nmessage 是否真的要删除当前保存的打印格式？\nmessage "
        "删除保存的打印格式时出错!\n");
    EXPECT_TRUE(QFile::exists(besideLayout));
}

TEST_F(ProgramFolderTest, WritableProgramFolderKeepsLayoutsBesideIt)
{
    const QString userLayout = home_ + QStringLiteral("/.local/share/quillet/Format/example.PFD");
    const Outcome help = Run(own_ + QStringLiteral("/quillet"), { QStringLiteral("--help") });
    EXPECT_TRUE(
        help.out.contains(QStringLiteral("程序文件夹可以写入，保存到 ") + own_ + QStringLiteral("/Format\n")))
        << help.out.toStdString();

    // A layout in the user's folder (from an installed copy) is not looked at.
    ASSERT_EQ(Run(bin_ + QStringLiteral("/layout_probe"),
                  { QStringLiteral("save"), QStringLiteral("用户的格式"), data_, format_ })
                  .status,
        0);
    ASSERT_TRUE(QFile::exists(userLayout));
    const Outcome save = Run(own_ + QStringLiteral("/layout_probe"),
        { QStringLiteral("save"), QStringLiteral("自己的格式"), data_, format_ });
    EXPECT_EQ(save.out.toStdString(),
        "loaded 2024年3月销售明细账\nsaved " + own_.toStdString() + "/Format/example.PFD\n");
    EXPECT_EQ(PdfTitle(own_), QStringLiteral("自己的格式"));
    const Outcome removed
        = Run(own_ + QStringLiteral("/layout_probe"), { QStringLiteral("delete"), data_, format_ });
    EXPECT_TRUE(removed.out.endsWith(QStringLiteral("message 删除成功！\n"))) << removed.out.toStdString();
    EXPECT_FALSE(QFile::exists(own_ + QStringLiteral("/Format/example.PFD")));
    EXPECT_TRUE(QFile::exists(userLayout));
    EXPECT_EQ(PdfTitle(own_), QStringLiteral("2024年3月销售明细账"));
}

// A copy under /opt run by root, who could write beside it, still keeps its layouts in root's own data
// folder and says so in --help: a removed package leaves nothing behind for other users to load.
TEST(InstalledCopyTest, RootNeverWritesBesideAnInstalledProgram)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to put a copy under /opt";
    char pattern[] = "/opt/quillet-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const QString top = QString::fromLocal8Bit(pattern);
    const QString home = top + QStringLiteral("/home");
    ASSERT_TRUE(QDir().mkpath(home));
    for (const auto& [from, name] : { std::pair { kProgram, QStringLiteral("quillet") },
             std::pair { kProbe, QStringLiteral("layout_probe") } }) {
        ASSERT_TRUE(QFile::copy(from, top + QLatin1Char('/') + name));
        ::chmod(QFile::encodeName(top + QLatin1Char('/') + name).constData(), 0755);
    }
    ASSERT_TRUE(WriteExampleReport(home.toStdString(), 30));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUILLET_NONINTERACTIVE"), QStringLiteral("1"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    const QString userFolder = home + QStringLiteral("/.local/share/quillet/Format");
    const Outcome help
        = test::RunProgram(top + QStringLiteral("/quillet"), { QStringLiteral("--help") }, env);
    EXPECT_TRUE(help.out.contains(QStringLiteral("保存到 ") + userFolder + QLatin1Char('\n')))
        << help.out.toStdString();
    const Outcome save = test::RunProgram(top + QStringLiteral("/layout_probe"),
        { QStringLiteral("save"), QStringLiteral("root的格式"),
            home + QLatin1Char('/') + QString::fromLatin1(kExampleDataName),
            home + QLatin1Char('/') + QString::fromLatin1(kExampleFormatName) },
        env);
    EXPECT_EQ(save.out.toStdString(),
        "loaded 2024年3月销售明细账\nsaved " + userFolder.toStdString() + "/example.PFD\n");
    EXPECT_FALSE(QFile::exists(top + QStringLiteral("/Format")));
    std::error_code ec;
    fs::remove_all(pattern, ec);
}

} // namespace
} // namespace quillet
