#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <string>

#include "QtTestSupport.h"
#include "platform/GbkCodec.h"
#include "platform/qt/QtPrinterHost.h"

namespace quillet {
namespace {

using test::CustomPaper;
using test::HaveTool;
using test::Paper;
using test::RunTool;

const char* const kQueue = "QuilletPDF";

// CUPS tests run against the queue scripts/setup-cups.sh makes; they are
// skipped only when no scheduler can be reached at all.
class CupsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveTool(QStringLiteral("lpstat")))
            GTEST_SKIP() << "no CUPS client (lpstat) installed; run scripts/setup-cups.sh";
        const auto status = RunTool(QStringLiteral("lpstat"), { QStringLiteral("-r") });
        if (!status.out.contains(QStringLiteral("scheduler is running")))
            GTEST_SKIP() << "no CUPS scheduler reachable; run scripts/setup-cups.sh first";
        host_ = std::make_unique<QtPrinterHost>(QString()); // no PDF folder printer
        const auto printers = host_->Printers();
        queueIndex_
            = static_cast<int>(std::find(printers.begin(), printers.end(), kQueue) - printers.begin());
        ASSERT_LT(queueIndex_, static_cast<int>(printers.size()))
            << "queue QuilletPDF missing; run scripts/setup-cups.sh";
    }

    // Job ids that CUPS lists for the queue in the given state ("completed", "not-completed", "all").
    static QStringList Jobs(const char* which)
    {
        const auto out = RunTool(QStringLiteral("lpstat"),
            { QStringLiteral("-W"), QString::fromLatin1(which), QStringLiteral("-o"),
                QString::fromLatin1(kQueue) });
        QStringList ids;
        for (const QString& line : out.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            ids << line.section(QLatin1Char(' '), 0, 0);
        return ids;
    }

    std::unique_ptr<QtPrinterHost> host_;
    int queueIndex_ = -1;
};

// The default queue is listed and current when the host starts.
TEST_F(CupsTest, QueueIsListedAndCurrent)
{
    EXPECT_EQ(host_->CurrentIndex(), queueIndex_);
    EXPECT_FALSE(host_->CurrentIsPdf());
    EXPECT_EQ(host_->Printer().printerName(), QString::fromLatin1(kQueue));
}

// The queue starts on A4 portrait at 1200 dpi with a printable area a little inside the sheet.
TEST_F(CupsTest, DefaultSettingsAreA4)
{
    test::ExpectA4PortraitAt1200(*host_);
}

// Landscape, A5 and a custom 200 x 150 mm sheet read back from the queue as they were set.
TEST_F(CupsTest, SettingsReadBack)
{
    const PrinterSettings cases[] = {
        Paper(DMPAPER_A4, DMORIENT_LANDSCAPE),
        Paper(11, DMORIENT_PORTRAIT), // A5
        CustomPaper(2000, 1500, DMORIENT_PORTRAIT),
        Paper(DMPAPER_A4, DMORIENT_PORTRAIT),
    };
    for (const auto& in : cases) {
        host_->SetSettings(in);
        PrinterSettings s;
        ASSERT_TRUE(host_->GetSettings(s));
        EXPECT_EQ(s, in) << "code " << in.paperSize;
        EXPECT_EQ(host_->Landscape(), in.orientation == DMORIENT_LANDSCAPE);
        const int w = host_->PageWidthPixels();
        const int h = host_->PageHeightPixels();
        EXPECT_GT(w, 0);
        EXPECT_GT(h, 0);
        if (in.paperSize == 11) {
            EXPECT_LE(w, 6993); // A5 at 1200 dpi: 6993 x 9921
            EXPECT_GT(w, 6000);
        }
        if (in.paperSize == DMPAPER_USER) {
            EXPECT_LE(w, 9449); // 200 mm
            EXPECT_GT(w, 8500);
            EXPECT_LE(h, 7087); // 150 mm
        }
        if (in.orientation == DMORIENT_LANDSCAPE) {
            EXPECT_GT(w, h);
        }
    }
}

// A printed page reaches CUPS and completes; an aborted one never reaches it.
TEST_F(CupsTest, PrintedJobReachesCupsAndAbortedJobDoesNot)
{
    const QStringList before = Jobs("all");
    {
        auto job = host_->BeginJob(Utf8ToGbk("取消的页(1/1)"));
        ASSERT_NE(job, nullptr);
        job->GetCanvas().TextOut(100, 100, "aborted");
        job->Abort();
    }
    EXPECT_EQ(Jobs("all"), before);

    auto job = host_->BeginJob(Utf8ToGbk("测试页(1/1)"));
    ASSERT_NE(job, nullptr);
    Canvas& canvas = job->GetCanvas();
    EXPECT_EQ(canvas.DpiX(), 1200);
    canvas.SetFont("\xCB\xCE\xCC\xE5", 12, kBlack);
    canvas.TextOut(100, 100, Utf8ToGbk("打印测试"));
    canvas.Rectangle({ 100, 300, 2000, 900 });
    ASSERT_TRUE(job->End());

    QStringList added;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        added.clear();
        for (const QString& id : Jobs("completed"))
            if (!before.contains(id))
                added << id;
        if (!added.isEmpty())
            break;
        QThread::msleep(200);
    }
    EXPECT_EQ(added.size(), 1) << "the job did not complete in CUPS within 60 s";
}

// Swaps the lp on PATH for a script that records its arguments and the
// document it got, and answers with the given exit code.
class FakeLp {
public:
    explicit FakeLp(int exitCode)
        : savedPath_(qgetenv("PATH"))
    {
        const QString script = dir_.filePath(QStringLiteral("lp"));
        QFile file(script);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n");
            file.write("for last; do :; done\ncp \"$last\" \"$(dirname \"$0\")/document\"\n");
            file.write("exit " + QByteArray::number(exitCode) + "\n");
            file.close();
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        }
        qputenv("PATH", dir_.path().toLocal8Bit() + ':' + savedPath_);
    }
    ~FakeLp() { qputenv("PATH", savedPath_); }
    QStringList Args() const
    {
        QFile file(dir_.filePath(QStringLiteral("args")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QByteArray Document() const
    {
        QFile file(dir_.filePath(QStringLiteral("document")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
    QByteArray savedPath_;
};

// A job goes to lp with the queue, the title, the paper and the orientation; the spooled file is removed
// afterwards.
TEST_F(CupsTest, JobIsHandedToLpWithItsSettings)
{
    host_->SetSettings(Paper(11, DMORIENT_LANDSCAPE)); // A5
    FakeLp lp(0);
    auto job = host_->BeginJob(Utf8ToGbk("月报(2/5)"));
    ASSERT_NE(job, nullptr);
    const QString spooled = host_->Printer().outputFileName();
    EXPECT_FALSE(spooled.isEmpty());
    job->GetCanvas().TextOut(10, 10, "x");
    EXPECT_TRUE(job->End());
    const QStringList args = lp.Args();
    EXPECT_EQ(args.mid(0, 4),
        QStringList({ QStringLiteral("-d"), QString::fromLatin1(kQueue), QStringLiteral("-t"),
            QStringLiteral("月报(2/5)") }));
    EXPECT_TRUE(args.contains(QStringLiteral("media=A5"))) << test::Utf8(args.join(QLatin1Char(' ')));
    EXPECT_TRUE(args.contains(QStringLiteral("landscape")));
    EXPECT_TRUE(lp.Document().startsWith("%PDF"));
    EXPECT_FALSE(QFile::exists(spooled));
    EXPECT_TRUE(host_->Printer().outputFileName().isEmpty());
}

// When lp refuses the job, End reports the failure instead of success.
TEST_F(CupsTest, RefusedJobReportsFailure)
{
    FakeLp lp(1);
    auto job = host_->BeginJob("refused");
    ASSERT_NE(job, nullptr);
    const QString spooled = host_->Printer().outputFileName();
    EXPECT_FALSE(job->End());
    EXPECT_FALSE(QFile::exists(spooled));
    // The next job starts normally.
    auto next = host_->BeginJob("next");
    ASSERT_NE(next, nullptr);
    next->Abort();
}

} // namespace
} // namespace quillet
