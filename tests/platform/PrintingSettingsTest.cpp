// The printing settings file, printing.ini, kept by the printer setup: read
// and written by the rules of every output file, named in bytes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/SettingsFile.h"
#include "platform/qt/QtPrinterHost.h"
#include "tests/TempDir.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

using test::Read;
using test::Write;

// What a start and an OK of the printer setup did with a settings file, run in a child process so that
// a start hanging on a pipe fails the test instead of hanging it.
struct SettingsRun {
    bool finished = false;
    int copiesRead = 0;
    std::string message; // of the OK
};

SettingsRun LoadAndSave(const std::string& file, const std::vector<std::string>& inUse, bool unprivileged)
{
    int out[2];
    if (::pipe(out) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        ::alarm(10);
        if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(255);
        const int copies = QtPrinterHost::LoadPreferences(file).copies;
        const QByteArray why
            = QtPrinterHost::SavePreferences(file, { 4, Sides::LongEdge, true }, inUse).toUtf8();
        if (::write(out[1], why.constData(), static_cast<std::size_t>(why.size())) < 0)
            ::_exit(254);
        ::_exit(copies);
    }
    ::close(out[1]);
    SettingsRun run;
    char buffer[1024];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        run.message.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.finished = WIFEXITED(status) && WEXITSTATUS(status) < 254;
    run.copiesRead = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    return run;
}

// Whatever stands where printing.ini goes, the start reads nothing that is not a regular file, and an OK
// never writes over the data file, a device or a folder, never makes a link's target and never waits on
// a pipe: it says once why the settings are not kept, naming the file.
TEST(PrintingSettingsFile, EveryKindInItsPlace)
{
    test::TempDir dir("quillet-ini");
    const std::string folder = dir.File("quillet");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string file = folder + "/printing.ini";
    const std::string data = dir.File("report.dat");
    Write(data, "[print]\ncopies=9\n"); // even a data file that reads as settings stays as it is
    struct Case {
        const char* kind;
        std::function<bool()> make; // false: this machine cannot make it
        const char* reason;
        std::function<bool()> kept; // what was there is still there
        int copiesRead;
        bool unprivileged = false;
    } const cases[] = {
        { "link to the data file", [&] { return ::symlink(data.c_str(), file.c_str()) == 0; },
            "这是正在使用的数据文件或格式文件",
            [&] { return Read(data) == "[print]\ncopies=9\n" && fs::is_symlink(file); }, 9 },
        { "link to a device",
            [&] {
                return ::mknod(dir.File("device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0
                    && ::symlink(dir.File("device").c_str(), file.c_str()) == 0;
            },
            "这是一个链接，指向的不是普通文件",
            [&] { return fs::is_character_file(dir.File("device")) && fs::is_symlink(file); }, 1 },
        { "dangling link", [&] { return ::symlink(dir.File("made.ini").c_str(), file.c_str()) == 0; },
            "这是一个指向不存在的文件的链接", [&] { return !fs::exists(dir.File("made.ini")); }, 1 },
        { "pipe", [&] { return ::mkfifo(file.c_str(), 0644) == 0; }, "这不是普通文件(是设备、管道或套接字)",
            [&] { return fs::is_fifo(file); }, 1 },
        { "folder", [&] { return ::mkdir(file.c_str(), 0755) == 0; }, "这是一个文件夹",
            [&] { return fs::is_directory(file) && fs::is_empty(file); }, 1 },
        { "not writable",
            [&] {
                Write(file, "[print]\ncopies=2\n");
                return ::chmod(file.c_str(), 0644) == 0;
            },
            "没有写入这个文件的权限", [&] { return Read(file) == "[print]\ncopies=2\n"; }, 2, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        std::error_code ec;
        fs::remove(file, ec);
        fs::remove(dir.File("device"), ec);
        if (!c.make()) {
            ADD_FAILURE() << "cannot make " << c.kind;
            continue;
        }
        const SettingsRun run = LoadAndSave(file, { data }, c.unprivileged);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.copiesRead, c.copiesRead);
        EXPECT_EQ(run.message,
            "无法把打印设置保存到“" + file + "”，" + c.reason + "。份数和双面打印的设置只在这次运行中有效");
        EXPECT_TRUE(c.kept());
    }
}

// Folders named in GBK bytes in QUILLET_PDF_DIR and XDG_CONFIG_HOME are those folders, not new ones
// named in replacement characters; a settings file that cannot be written is told of once, not at
// every OK.
TEST(PrintingSettingsFile, GbkFoldersAndOneMessage)
{
    test::TempDir dir("quillet-gbk");
    const std::string config = dir.File("\xC5\xE4\xD6\xC3"); // 配置
    const std::string pdf = dir.File("\xB1\xA8\xB1\xED"); // 报表, made by the first job
    ASSERT_EQ(::mkdir(config.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((config + "/quillet").c_str(), 0755), 0);
    const std::string file = config + "/quillet/printing.ini";
    Write(file, "[print]\ncopies=3\n");
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("QUILLET_PDF_DIR", pdf.c_str(), 1);
    QtPrinterHost host;
    ::unsetenv("QUILLET_PDF_DIR");
    EXPECT_EQ(QtPrinterHost::PreferencesFile(), file);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(host.Preferences().copies, 3);
    ASSERT_TRUE(host.CurrentIsPdf());
    std::unique_ptr<PrintJob> job = host.BeginJob("t");
    ASSERT_NE(job, nullptr) << host.FailureText();
    ASSERT_TRUE(job->End()) << host.FailureText();
    EXPECT_TRUE(fs::exists(pdf + "/t.pdf"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 2); // no third folder

    ASSERT_TRUE(fs::remove(file));
    ASSERT_EQ(::mkdir(file.c_str(), 0755), 0);
    host.SetPreferences({ 2, Sides::OneSided, false });
    EXPECT_NE(host.TakePreferencesFailure().find("这是一个文件夹"), std::string::npos);
    EXPECT_EQ(host.TakePreferencesFailure(), "");
    host.SetPreferences({ 5, Sides::OneSided, false });
    EXPECT_EQ(host.TakePreferencesFailure(), ""); // the same reason again
    EXPECT_EQ(host.Preferences().copies, 5); // this session keeps the choice
}

} // namespace
} // namespace quillet
