#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>

#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cups/cups.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "QtTestSupport.h"
#include "platform/GbkCodec.h"
#include "platform/qt/PrinterSetupDialog.h"
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
// Job ids that CUPS lists for a queue in the given state ("completed", "not-completed", "all").
QStringList JobsOf(const QString& queue, const char* which)
{
    const auto out = RunTool(QStringLiteral("lpstat"),
        { QStringLiteral("-W"), QString::fromLatin1(which), QStringLiteral("-o"), queue });
    QStringList ids;
    for (const QString& line : out.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        ids << line.section(QLatin1Char(' '), 0, 0);
    return ids;
}

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

    static QStringList Jobs(const char* which) { return JobsOf(QString::fromLatin1(kQueue), which); }

    std::unique_ptr<QtPrinterHost> host_;
    int queueIndex_ = -1;
};

// The default queue is listed and current when the host starts.
// Every attribute CUPS keeps of a job named "<queue>-<id>" (ippDelete it), or nullptr.
ipp_t* JobAttributes(const QString& job, const QString& queue = QString::fromLatin1(kQueue))
{
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    // As the job's owner, who alone sees its name.
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
        (QStringLiteral("ipp://localhost/printers/") + queue).toUtf8().constData());
    ippAddInteger(
        request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job.section(QLatin1Char('-'), -1).toInt());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "all");
    return cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
}

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
    ASSERT_EQ(added.size(), 1) << "the job did not complete in CUPS within 60 s";

    // libcups handed it over as a PDF with the paper and sides (its title is private to its owner).
    ipp_t* response = JobAttributes(added.first());
    ASSERT_NE(response, nullptr) << cupsLastErrorString();
    auto text = [response](const char* name) {
        ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ZERO);
        const char* value = a ? ippGetString(a, 0, nullptr) : nullptr;
        return std::string(value ? value : "");
    };
    EXPECT_EQ(text("document-format"), "application/pdf");
    EXPECT_EQ(text("media"), "A4");
    EXPECT_EQ(text("sides"), "one-sided");
    ippDelete(response);
}

// Jobs sent while the next one is drawn reach the queue in the order sent, under their titles: five jobs
// get rising job numbers whose names are the titles 1 to 5.
TEST_F(CupsTest, SentJobsKeepTheirOrderAndNames)
{
    const QStringList before = Jobs("all");
    std::unique_ptr<PrintJob> job;
    for (int n = 1; n <= 5; ++n) {
        job = host_->BeginJob(Utf8ToGbk("顺序(" + std::to_string(n) + "/5)"));
        ASSERT_NE(job, nullptr) << n << ": " << host_->FailureText();
        job->GetCanvas().TextOut(100, 100, "page " + std::to_string(n));
        if (n > 1) {
            ASSERT_TRUE(host_->WaitForSent()) << host_->FailureText();
        }
        ASSERT_TRUE(job->Send());
    }
    ASSERT_TRUE(host_->WaitForSent()) << host_->FailureText();

    std::vector<int> ids;
    for (const QString& id : Jobs("all"))
        if (!before.contains(id))
            ids.push_back(id.section(QLatin1Char('-'), -1).toInt());
    std::sort(ids.begin(), ids.end());
    ASSERT_EQ(ids.size(), 5u);
    for (int n = 1; n <= 5; ++n) {
        ipp_t* response = JobAttributes(QString::number(ids[static_cast<std::size_t>(n - 1)]));
        ASSERT_NE(response, nullptr) << cupsLastErrorString();
        ipp_attribute_t* name = ippFindAttribute(response, "job-name", IPP_TAG_NAME);
        const char* value = name ? ippGetString(name, 0, nullptr) : nullptr;
        EXPECT_EQ(std::string(value ? value : ""), "顺序(" + std::to_string(n) + "/5)");
        ippDelete(response);
    }
}

// Points libcups at a scheduler that is not there, so that jobs take the lp
// path, as where libcups cannot reach the scheduler lp is asked instead.
class NoScheduler {
public:
    NoScheduler() { cupsSetServer("/nonexistent/quillet-no-scheduler.sock"); }
    ~NoScheduler() { cupsSetServer(nullptr); }
};

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

// Without the scheduler's ear a job goes to lp with the queue, the title, the paper, the orientation and the
// copies, collated; the spooled file is removed afterwards.
TEST_F(CupsTest, JobIsHandedToLpWithItsSettings)
{
    host_->SetSettings(Paper(11, DMORIENT_LANDSCAPE)); // A5
    host_->SetPreferences({ 2, Sides::OneSided, true, true });
    FakeLp lp(0);
    NoScheduler away;
    const QStringList before = QDir::temp().entryList({ QStringLiteral("quillet-job-*") });
    auto job = host_->BeginJob(Utf8ToGbk("月报(2/5)"));
    ASSERT_NE(job, nullptr);
    job->GetCanvas().TextOut(10, 10, "x");
    EXPECT_TRUE(job->End());
    const QStringList args = lp.Args();
    EXPECT_EQ(args.mid(0, 4),
        QStringList({ QStringLiteral("-d"), QString::fromLatin1(kQueue), QStringLiteral("-t"),
            QStringLiteral("月报(2/5)") }));
    EXPECT_TRUE(args.contains(QStringLiteral("media=A5"))) << test::Utf8(args.join(QLatin1Char(' ')));
    EXPECT_TRUE(args.contains(QStringLiteral("landscape")));
    EXPECT_TRUE(args.contains(QStringLiteral("sides=one-sided")));
    EXPECT_EQ(args.mid(args.indexOf(QStringLiteral("-n")), 4),
        QStringList({ QStringLiteral("-n"), QStringLiteral("2"), QStringLiteral("-o"),
            QStringLiteral("collate=true") }));
    EXPECT_TRUE(lp.Document().startsWith("%PDF"));
    EXPECT_EQ(QDir::temp().entryList({ QStringLiteral("quillet-job-*") }), before);
}

// When neither libcups nor lp reaches the scheduler, End reports the failure instead of success.
TEST_F(CupsTest, RefusedJobReportsFailure)
{
    FakeLp lp(1);
    NoScheduler away;
    const QStringList before = QDir::temp().entryList({ QStringLiteral("quillet-job-*") });
    auto job = host_->BeginJob("refused");
    ASSERT_NE(job, nullptr);
    EXPECT_FALSE(job->End());
    EXPECT_EQ(host_->FailureText().rfind("无法连接打印服务", 0), 0u) << host_->FailureText();
    EXPECT_EQ(QDir::temp().entryList({ QStringLiteral("quillet-job-*") }), before);
    // The next job starts normally.
    auto next = host_->BeginJob("next");
    ASSERT_NE(next, nullptr);
    next->Abort();
}

// A PPD in dir for a PostScript printer of A4 only, no custom sizes, two-sided if asked; its path, empty
// when it cannot be written.
QString A4Ppd(const QTemporaryDir& dir, bool twoSided)
{
    const QString ppd = dir.filePath(twoSided ? QStringLiteral("duplex.ppd") : QStringLiteral("a4only.ppd"));
    QFile file(ppd);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(
        "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
        "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"A4ONLY.PPD\"\n"
        "*Manufacturer: \"Quillet\"\n*Product: \"(A4 Only)\"\n*ModelName: \"Quillet A4 Only\"\n"
        "*ShortNickName: \"Quillet A4 Only\"\n*NickName: \"Quillet A4 Only\"\n"
        "*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: False\n"
        "*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n"
        "*LandscapeOrientation: Plus90\n*TTRasterizer: Type42\n"
        "*OpenUI *PageSize/Media Size: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n"
        "*DefaultPageSize: A4\n*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
        "*CloseUI: *PageSize\n*OpenUI *PageRegion: PickOne\n*OrderDependency: 10 AnySetup *PageRegion\n"
        "*DefaultPageRegion: A4\n*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
        "*CloseUI: *PageRegion\n*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 18 577 824\"\n"
        "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n");
    if (twoSided)
        file.write("*OpenUI *Duplex/2-Sided Printing: PickOne\n*OrderDependency: 10 AnySetup *Duplex\n"
                   "*DefaultDuplex: None\n*Duplex None/Off: \"<</Duplex false>>setpagedevice\"\n"
                   "*Duplex DuplexNoTumble/Long Edge: \"<</Duplex true/Tumble false>>setpagedevice\"\n"
                   "*Duplex DuplexTumble/Short Edge: \"<</Duplex true/Tumble true>>setpagedevice\"\n"
                   "*CloseUI: *Duplex\n");
    return file.error() == QFileDevice::NoError ? ppd : QString();
}

// A queue of this test's own, made with lpadmin and removed afterwards, so
// that the shared queue is never stopped, rejecting or gone.
class CupsFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveTool(QStringLiteral("lpadmin")) || !HaveTool(QStringLiteral("lpstat")))
            GTEST_SKIP() << "no CUPS administration tools (lpadmin, lpstat); install cups and cups-client";
        if (!RunTool(QStringLiteral("lpstat"), { QStringLiteral("-r") })
                 .out.contains(QStringLiteral("scheduler is running")))
            GTEST_SKIP() << "no CUPS scheduler reachable; run scripts/setup-cups.sh first";
        // Before "QuilletPDF" in the list: the first queue is not the default one.
        queue_ = QStringLiteral("AaQuilletTest%1").arg(QCoreApplication::applicationPid());
    }
    void TearDown() override
    {
        if (created_) {
            RunTool(QStringLiteral("cancel"), { QStringLiteral("-a"), queue_ });
            RunTool(QStringLiteral("lpadmin"), { QStringLiteral("-x"), queue_ });
        }
    }

    // Makes the queue with the cups-pdf backend and the given PPD (empty:
    // the one cups-pdf ships), enabled and accepting, and a host on it.
    void MakeQueue(const QString& ppd = {})
    {
        QString file = ppd;
        if (file.isEmpty()) {
            for (const char* candidate : { "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd",
                     "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd", "/usr/share/ppd/cups-pdf/CUPS-PDF.ppd" })
                if (QFile::exists(QString::fromLatin1(candidate))) {
                    file = QString::fromLatin1(candidate);
                    break;
                }
        }
        ASSERT_FALSE(file.isEmpty()) << "no cups-pdf PPD (printer-driver-cups-pdf)";
        const auto made = RunTool(QStringLiteral("lpadmin"),
            { QStringLiteral("-p"), queue_, QStringLiteral("-E"), QStringLiteral("-v"),
                QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), file });
        ASSERT_EQ(made.exitCode, 0) << test::Utf8(made.out);
        created_ = true;
        host_ = std::make_unique<QtPrinterHost>(QString());
        const auto printers = host_->Printers();
        const auto at = std::find(printers.begin(), printers.end(), queue_.toStdString());
        ASSERT_NE(at, printers.end()) << "the new queue is not listed";
        host_->SetCurrentIndex(static_cast<int>(at - printers.begin()));
        ASSERT_EQ(host_->Printer().printerName(), queue_);
    }
    void Admin(const char* tool, const QStringList& args)
    {
        const auto r = RunTool(QString::fromLatin1(tool), args);
        ASSERT_EQ(r.exitCode, 0) << tool << " " << test::Utf8(r.out);
    }
    std::string Named(const char* before, const char* after) const
    {
        return std::string(before) + "“" + queue_.toStdString() + "”" + after;
    }
    static void Draw(PrintJob& job)
    {
        job.GetCanvas().SetFont("\xCB\xCE\xCC\xE5", 12, kBlack);
        job.GetCanvas().TextOut(100, 100, Utf8ToGbk("打印测试"));
    }

    QString queue_;
    bool created_ = false;
    std::unique_ptr<QtPrinterHost> host_;
};

// A stopped queue (cupsdisable) starts no job and says why; enabled again, it prints.
TEST_F(CupsFailureTest, StoppedQueueSaysSo)
{
    MakeQueue();
    Admin("cupsdisable", { queue_ });
    EXPECT_EQ(host_->BeginJob("stopped"), nullptr);
    EXPECT_EQ(host_->FailureText(), Named("打印机", "已停止，不能打印"));
    Admin("cupsenable", { queue_ });
    auto job = host_->BeginJob("enabled");
    ASSERT_NE(job, nullptr);
    Draw(*job);
    EXPECT_TRUE(job->End()) << host_->FailureText();
}

// A queue that rejects jobs (cupsreject) starts none and says why.
TEST_F(CupsFailureTest, RejectingQueueSaysSo)
{
    MakeQueue();
    Admin("cupsreject", { queue_ });
    EXPECT_EQ(host_->BeginJob("rejected"), nullptr);
    EXPECT_EQ(host_->FailureText(), Named("打印机", "不接受新的打印作业"));
    // Rejecting after the job began: the scheduler refuses it at the end.
    Admin("cupsaccept", { queue_ });
    auto job = host_->BeginJob("late");
    ASSERT_NE(job, nullptr);
    Draw(*job);
    Admin("cupsreject", { queue_ });
    EXPECT_FALSE(job->End());
    EXPECT_EQ(host_->FailureText(), Named("打印机", "不接受新的打印作业"));
}

// A queue removed (lpadmin -x) while the program runs: before a job and during one, each says it is gone.
TEST_F(CupsFailureTest, RemovedQueueSaysSo)
{
    MakeQueue();
    auto job = host_->BeginJob("during");
    ASSERT_NE(job, nullptr);
    Draw(*job);
    Admin("lpadmin", { QStringLiteral("-x"), queue_ });
    created_ = false;
    EXPECT_FALSE(job->End());
    EXPECT_EQ(host_->FailureText(), Named("打印机", "已不存在"));
    EXPECT_EQ(host_->BeginJob("after"), nullptr);
    EXPECT_EQ(host_->FailureText(), Named("打印机", "已不存在"));
}

// A queue stopped while the job is drawn takes the job but holds it: End says so instead of success.
TEST_F(CupsFailureTest, HeldJobIsNotReportedPrinted)
{
    MakeQueue();
    auto job = host_->BeginJob("held");
    ASSERT_NE(job, nullptr);
    Draw(*job);
    Admin("cupsdisable", { queue_ });
    EXPECT_FALSE(job->End());
    const std::string text = host_->FailureText();
    EXPECT_NE(
        text.find(Named("已送到打印机", "，但打印机已停止，作业在队列中等待，没有打印")), std::string::npos)
        << text;
    // The job really waits in the queue.
    const auto waiting = RunTool(QStringLiteral("lpstat"), { QStringLiteral("-o"), queue_ });
    EXPECT_TRUE(waiting.out.contains(queue_)) << test::Utf8(waiting.out);
}

// A job the scheduler refuses (more copies than it allows) ends with the scheduler's refusal.
TEST_F(CupsFailureTest, RefusedJobSaysSo)
{
    MakeQueue();
    host_->SetPreferences({ 100000, Sides::OneSided, false });
    auto job = host_->BeginJob("denied");
    ASSERT_NE(job, nullptr);
    Draw(*job);
    EXPECT_FALSE(job->End());
    EXPECT_EQ(host_->FailureText().rfind(Named("打印机", "拒绝了打印作业"), 0), 0u) << host_->FailureText();
}

// A sheet the queue cannot take (its PPD knows A4 only, no custom sizes) starts no job and names the sheet.
TEST_F(CupsFailureTest, PaperTheQueueCannotTakeSaysSo)
{
    QTemporaryDir dir;
    const QString ppd = A4Ppd(dir, false);
    ASSERT_FALSE(ppd.isEmpty());
    MakeQueue(ppd);
    auto a4 = host_->BeginJob("a4");
    ASSERT_NE(a4, nullptr) << host_->FailureText();
    a4->Abort();
    host_->SetSettings(Paper(8, DMORIENT_PORTRAIT)); // A3
    EXPECT_EQ(host_->BeginJob("a3"), nullptr);
    EXPECT_EQ(host_->FailureText(), Named("打印机", "不能使用这种纸张(297.0×420.0毫米)"));
}

// A run as one job asks the queue for its copies, collated or not, and for the sides chosen where the queue
// prints them, one-sided where it prints nothing else; the setup offers the queue's sides alone.
TEST_F(CupsFailureTest, RunAsksForCopiesCollationAndTheSidesTheQueuePrints)
{
    QTemporaryDir dir;
    struct Case {
        bool twoSided; // the queue's PPD
        bool collate;
        const char* sides; // asked of the job
        const char* handling;
        std::size_t offered; // sides
    } const cases[] = {
        { false, true, "one-sided", "separate-documents-collated-copies", 1 },
        { true, true, "two-sided-long-edge", "separate-documents-collated-copies", 3 },
        { true, false, "two-sided-long-edge", "separate-documents-uncollated-copies", 3 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            testing::Message() << (c.twoSided ? "two-sided" : "one-sided") << " collate " << c.collate);
        const QString ppd = A4Ppd(dir, c.twoSided);
        ASSERT_FALSE(ppd.isEmpty());
        MakeQueue(ppd);
        EXPECT_EQ(host_->SidesSupported(host_->CurrentIndex()).size(), c.offered);
        host_->SetPreferences({ 2, Sides::LongEdge, true, c.collate });
        const QStringList before = JobsOf(queue_, "all");
        auto job = host_->BeginJob(Utf8ToGbk("月报(第1-3页)"));
        ASSERT_NE(job, nullptr) << host_->FailureText();
        for (int page = 1; page <= 3; ++page) {
            if (page > 1) {
                ASSERT_TRUE(job->NextPage());
            }
            Draw(*job);
        }
        EXPECT_TRUE(job->End()) << host_->FailureText();
        QStringList added;
        for (const QString& id : JobsOf(queue_, "all"))
            if (!before.contains(id))
                added << id;
        ASSERT_EQ(added.size(), 1);
        ipp_t* response = JobAttributes(added.first(), queue_);
        ASSERT_NE(response, nullptr) << cupsLastErrorString();
        auto keyword = [response](const char* name) {
            ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_KEYWORD);
            const char* value = a ? ippGetString(a, 0, nullptr) : nullptr;
            return std::string(value ? value : "");
        };
        ipp_attribute_t* copies = ippFindAttribute(response, "copies", IPP_TAG_INTEGER);
        EXPECT_EQ(copies ? ippGetInteger(copies, 0) : 0, 2);
        EXPECT_EQ(keyword("sides"), c.sides);
        EXPECT_EQ(keyword("multiple-document-handling"), c.handling);
        ippDelete(response);
    }
}

// PRINTER naming no queue: the program starts on the scheduler's default queue, not on the first of the
// list, and says so; PRINTER naming a queue is followed without a word.
TEST_F(CupsFailureTest, PrinterOfTheEnvironmentThatIsNotThereGivesTheDefault)
{
    MakeQueue(); // listed before the default queue
    const QByteArray saved = qgetenv("PRINTER");
    const QByteArray savedDest = qgetenv("LPDEST");
    qunsetenv("LPDEST");
    qputenv("PRINTER", "QuilletNoSuchQueue");
    auto missing = std::make_unique<QtPrinterHost>(QString());
    qputenv("PRINTER", queue_.toUtf8());
    auto named = std::make_unique<QtPrinterHost>(QString());
    saved.isNull() ? qunsetenv("PRINTER") : qputenv("PRINTER", saved);
    if (!savedDest.isNull())
        qputenv("LPDEST", savedDest);

    ASSERT_GE(missing->CurrentIndex(), 0);
    EXPECT_EQ(missing->Printers()[static_cast<std::size_t>(missing->CurrentIndex())], kQueue);
    EXPECT_EQ(missing->StartNotice(), "打印机“QuilletNoSuchQueue”不存在，改用系统默认打印机“QuilletPDF”");
    ASSERT_GE(named->CurrentIndex(), 0);
    EXPECT_EQ(named->Printers()[static_cast<std::size_t>(named->CurrentIndex())], queue_.toStdString());
    EXPECT_EQ(named->StartNotice(), "");
}

// The setup dialog reads the printer list again each time it opens: a queue added since the start is
// offered, and the current printer stays current.
TEST_F(CupsFailureTest, SetupDialogOffersQueuesAddedSinceTheStart)
{
    QtPrinterHost host { QString() };
    ASSERT_GE(host.CurrentIndex(), 0);
    const QString current
        = QString::fromStdString(host.Printers()[static_cast<std::size_t>(host.CurrentIndex())]);
    MakeQueue();
    const QByteArray unattended = qgetenv("QUILLET_NONINTERACTIVE");
    qunsetenv("QUILLET_NONINTERACTIVE");
    QStringList offered;
    QString shown;
    std::function<void()> look = [&] {
        auto* dialog = dynamic_cast<PrinterSetupDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(20, look);
            return;
        }
        for (int i = 0; i < dialog->PrinterBox->count(); ++i)
            offered << dialog->PrinterBox->itemText(i);
        shown = dialog->PrinterBox->currentText();
        dialog->reject();
    };
    QTimer::singleShot(0, look);
    const bool confirmed = host.SetupDialog();
    if (!unattended.isNull())
        qputenv("QUILLET_NONINTERACTIVE", unattended);
    EXPECT_FALSE(confirmed);
    EXPECT_TRUE(offered.contains(queue_)) << test::Utf8(offered.join(QLatin1Char(' ')));
    EXPECT_EQ(shown, current);
    EXPECT_EQ(
        QString::fromStdString(host.Printers()[static_cast<std::size_t>(host.CurrentIndex())]), current);
}

} // namespace
} // namespace quillet
