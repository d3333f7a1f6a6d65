#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <string>

#include "QtTestSupport.h"
#include "platform/GbkCodec.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/PdfPrinter.h"
#include "platform/qt/PrinterSetupDialog.h"
#include "platform/qt/QtPrinterHost.h"

namespace quillet {
namespace {

using test::CustomPaper;
using test::HaveTool;
using test::Paper;
using test::RunTool;

QString Q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList PdfFiles(const QString& folder)
{
    return QDir(folder).entryList({ QStringLiteral("*.pdf") }, QDir::Files, QDir::Name);
}

// Titles become file names without "/", control characters or leading dots; Chinese stays.
TEST(PdfPrinter, SafeFileNames)
{
    struct Case {
        const char* title;
        const char* name;
    } cases[] = {
        { "销售月报(1/3)", "销售月报(1-3)" },
        { "销售月报(第1-3页)", "销售月报(第1-3页)" }, // a run of pages as one job
        { "a\\b", "a-b" },
        { "..hidden", "hidden" },
        { " . .x", "x" },
        { "a.b.", "a.b." },
        { "tab\there\nnew\x7F", "tabherenew" },
        { "\xC2\x85"
          "c1",
            "c1" }, // U+0085, a C1 control
        { "...", "untitled" },
        { "", "untitled" },
        { "  报表  ", "报表" },
        { "../../etc/passwd", "-..-etc-passwd" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(PdfPrinter::SafeFileName(Q(c.title)), Q(c.name)) << c.title;
}

// A very long title is cut at a character boundary to at most 200 bytes of UTF-8.
TEST(PdfPrinter, LongTitlesAreCut)
{
    QString title;
    for (int i = 0; i < 150; ++i)
        title += QStringLiteral("报");
    const QString name = PdfPrinter::SafeFileName(title);
    EXPECT_LE(name.toUtf8().size(), PdfPrinter::kMaxNameBytes);
    EXPECT_EQ(name.toUtf8().size(), 198); // 66 characters of 3 bytes
    EXPECT_EQ(name, QString(66, QChar(u'报')));
}

// A long title gives way to the page part at its end, cut on a character, so the jobs of a run keep apart.
TEST(PdfPrinter, LongTitleKeepsPagePart)
{
    const QString title = QString(150, QChar(u'报')) + QStringLiteral("(3/9)");
    const QString name = PdfPrinter::SafeFileName(title);
    EXPECT_LE(name.toUtf8().size(), PdfPrinter::kMaxNameBytes);
    EXPECT_EQ(name, QString(65, QChar(u'报')) + QStringLiteral("(3-9)")); // 195 + 5 bytes
    const QString big = QString(300, QLatin1Char('a')) + QStringLiteral("(100000/320000000)");
    EXPECT_TRUE(PdfPrinter::SafeFileName(big).endsWith(QStringLiteral("a(100000-320000000)")));
    const QString run = QString(150, QChar(u'报')) + QStringLiteral("(第1-9页)");
    EXPECT_EQ(PdfPrinter::SafeFileName(run), QString(63, QChar(u'报')) + QStringLiteral("(第1-9页)"));
}

// A missing folder is made for the first job.
TEST(PdfPrinter, MissingFolderIsMade)
{
    QTemporaryDir dir;
    EXPECT_TRUE(PdfPrinter(LocalPath(dir.filePath(QStringLiteral("out/sub")))).PrepareFolder());
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("out/sub"))).isDir());
}

class PdfHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        host_ = std::make_unique<QtPrinterHost>(dir_.path());
    }
    QTemporaryDir dir_;
    std::unique_ptr<QtPrinterHost> host_;
};

// The folder printer is listed last as "PDF" and is current; it starts on A4 portrait at 1200 dpi.
TEST_F(PdfHostTest, ListedCurrentAndA4)
{
    const auto printers = host_->Printers();
    ASSERT_FALSE(printers.empty());
    EXPECT_EQ(printers.back(), "PDF");
    EXPECT_EQ(host_->CurrentIndex(), static_cast<int>(printers.size()) - 1);
    EXPECT_TRUE(host_->CurrentIsPdf());
    test::ExpectA4PortraitAt1200(*host_);
}

// Paper codes, a custom size and the orientation read back as they were set, and the printable area turns
// with the sheet.
TEST_F(PdfHostTest, SettingsReadBack)
{
    constexpr int kA3 = 8, kA5 = 11, kLetter = 1;
    struct Case {
        PrinterSettings in;
        PrinterSettings out;
    } cases[] = {
        { Paper(DMPAPER_A4, DMORIENT_LANDSCAPE), Paper(DMPAPER_A4, DMORIENT_LANDSCAPE) },
        { Paper(kA5, DMORIENT_PORTRAIT), Paper(kA5, DMORIENT_PORTRAIT) },
        { Paper(kA3, DMORIENT_PORTRAIT), Paper(kA3, DMORIENT_PORTRAIT) },
        { CustomPaper(1500, 2000, DMORIENT_PORTRAIT), CustomPaper(1500, 2000, DMORIENT_PORTRAIT) },
        { CustomPaper(2000, 1500, DMORIENT_LANDSCAPE), CustomPaper(2000, 1500, DMORIENT_LANDSCAPE) },
        // A custom size that is exactly Letter becomes Letter.
        { CustomPaper(2159, 2794, DMORIENT_PORTRAIT), Paper(kLetter, DMORIENT_PORTRAIT) },
    };
    for (const auto& c : cases) {
        host_->SetSettings(c.in);
        PrinterSettings s;
        ASSERT_TRUE(host_->GetSettings(s));
        EXPECT_EQ(s, c.out) << "code " << c.in.paperSize << " " << c.in.paperWidth << "x" << c.in.paperLength;
        EXPECT_EQ(host_->Landscape(), c.in.orientation == DMORIENT_LANDSCAPE);
        const bool wide = host_->PageWidthPixels() > host_->PageHeightPixels();
        const bool sheetWide
            = (c.out.paperSize == DMPAPER_USER ? c.out.paperWidth > c.out.paperLength : false)
            != (c.out.orientation == DMORIENT_LANDSCAPE);
        EXPECT_EQ(wide, sheetWide);
    }
}

// Unknown codes, empty custom sizes and unflagged fields leave the paper as it was.
TEST_F(PdfHostTest, BadSettingsKeepThePaper)
{
    const PrinterSettings a5 = Paper(11, DMORIENT_PORTRAIT);
    PrinterSettings unflagged = Paper(8, DMORIENT_PORTRAIT);
    unflagged.fields = DM_ORIENTATION;
    const PrinterSettings bad[] = {
        Paper(0, DMORIENT_PORTRAIT),
        Paper(30000, DMORIENT_PORTRAIT),
        Paper(-4, DMORIENT_PORTRAIT),
        CustomPaper(0, 2000, DMORIENT_PORTRAIT),
        CustomPaper(-10, -10, DMORIENT_PORTRAIT),
        unflagged,
    };
    for (const auto& s : bad) {
        host_->SetSettings(a5);
        host_->SetSettings(s);
        PrinterSettings now;
        ASSERT_TRUE(host_->GetSettings(now));
        EXPECT_EQ(now, a5) << s.paperSize;
    }
}

// A sheet far too small or far too large still prints, and going back to A4 restores the printable area.
TEST_F(PdfHostTest, HostileCustomSizesAreHarmless)
{
    const int width = host_->PageWidthPixels();
    const int height = host_->PageHeightPixels();
    for (const auto& paper :
        { CustomPaper(1, 1, DMORIENT_PORTRAIT), CustomPaper(655350, 655350, DMORIENT_LANDSCAPE) }) {
        host_->SetSettings(paper);
        EXPECT_GE(host_->PageWidthPixels(), 0);
        auto job = host_->BeginJob("big");
        ASSERT_NE(job, nullptr);
        job->GetCanvas().FillRect({ 0, 0, 100000, 100000 });
        EXPECT_TRUE(job->End());
    }
    host_->SetSettings(Paper(DMPAPER_A4, DMORIENT_PORTRAIT));
    EXPECT_EQ(host_->PageWidthPixels(), width);
    EXPECT_EQ(host_->PageHeightPixels(), height);
}

// Two jobs of the same title give two searchable PDF files: the Chinese text drawn in 宋体 and the title come
// back out.
TEST_F(PdfHostTest, JobsBecomeSearchablePdfFiles)
{
    if (!HaveTool(QStringLiteral("pdftotext")) || !HaveTool(QStringLiteral("pdfinfo")))
        GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) not installed";
    const std::string title = Utf8ToGbk("销售月报(1/2)");
    for (int i = 0; i < 2; ++i) {
        auto job = host_->BeginJob(title);
        ASSERT_NE(job, nullptr);
        Canvas& canvas = job->GetCanvas();
        EXPECT_EQ(canvas.DpiY(), 1200);
        EXPECT_EQ(canvas.ClipRect(), (Rect { 0, 0, host_->PageWidthPixels(), host_->PageHeightPixels() }));
        canvas.SetFont("\xCB\xCE\xCC\xE5", 12, kBlack); // 宋体
        canvas.TextOut(500, 500, Utf8ToGbk("页小计 第1页 合计12345"));
        canvas.SetPen(PenStyle::Solid, 1, kBlack);
        canvas.MoveTo(500, 800);
        canvas.LineTo(5000, 800);
        EXPECT_TRUE(job->End());
    }
    const QStringList files = PdfFiles(dir_.path());
    ASSERT_EQ(
        files, QStringList({ QStringLiteral("销售月报(1-2) (2).pdf"), QStringLiteral("销售月报(1-2).pdf") }));
    for (const QString& f : files) {
        const QString path = dir_.filePath(f);
        const auto text = RunTool(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
        ASSERT_TRUE(text.started);
        EXPECT_TRUE(text.out.contains(QStringLiteral("页小计 第1页 合计12345"))) << test::Utf8(text.out);
        const auto info = RunTool(QStringLiteral("pdfinfo"), { path });
        EXPECT_TRUE(info.out.contains(QStringLiteral("销售月报(1/2)"))) << test::Utf8(info.out);
        EXPECT_TRUE(info.out.contains(QStringLiteral("(A4)"))) << test::Utf8(info.out);
    }
}

// A landscape A5 job writes a page of that size turned sideways.
TEST_F(PdfHostTest, PageSizeReachesTheFile)
{
    if (!HaveTool(QStringLiteral("pdfinfo")))
        GTEST_SKIP() << "poppler-utils (pdfinfo) not installed";
    host_->SetSettings(Paper(11, DMORIENT_LANDSCAPE));
    auto job = host_->BeginJob("A5");
    ASSERT_NE(job, nullptr);
    job->GetCanvas().TextOut(0, 0, "x");
    ASSERT_TRUE(job->End());
    const auto info = RunTool(QStringLiteral("pdfinfo"), { dir_.filePath(QStringLiteral("A5.pdf")) });
    EXPECT_TRUE(info.out.contains(QStringLiteral("595 x 420 pts (A5)"))) << test::Utf8(info.out);
}

// An aborted job, or one dropped without End, leaves no file; the printer can start the next job.
TEST_F(PdfHostTest, AbortLeavesNoFile)
{
    {
        auto job = host_->BeginJob("gone");
        ASSERT_NE(job, nullptr);
        job->GetCanvas().TextOut(0, 0, "x");
        job->Abort();
        job->Abort();
        EXPECT_FALSE(job->End());
    }
    {
        auto job = host_->BeginJob("dropped");
        ASSERT_NE(job, nullptr);
    }
    EXPECT_TRUE(PdfFiles(dir_.path()).isEmpty());
    auto job = host_->BeginJob("kept");
    ASSERT_NE(job, nullptr);
    // A second job cannot start while one is open.
    EXPECT_EQ(host_->BeginJob("second"), nullptr);
    EXPECT_TRUE(job->End());
    EXPECT_EQ(PdfFiles(dir_.path()), QStringList({ QStringLiteral("kept.pdf") }));
}

// Each job writes its own file through a file beside it that takes its name only when complete: while a
// job is open no file holds a job's name, a finished job leaves only its PDF, an aborted one nothing, and
// jobs of one title never replace a file (a dangling link counts as taken and stays).
TEST_F(PdfHostTest, JobsLeaveOnlyTheirFiles)
{
    const QDir dir(dir_.path());
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("nowhere")), dir.filePath(QStringLiteral("报表.pdf"))));
    for (const char* title : { "first", "aborted", "\xB1\xA8\xB1\xED", "\xB1\xA8\xB1\xED" }) {
        const QStringList before = dir.entryList({ QStringLiteral("*.pdf") }, QDir::Files);
        auto job = host_->BeginJob(title);
        ASSERT_NE(job, nullptr);
        job->GetCanvas().TextOut(0, 0, "x");
        EXPECT_EQ(dir.entryList({ QStringLiteral("*.pdf") }, QDir::Files), before);
        if (std::string(title) == "aborted")
            job->Abort();
        else
            EXPECT_TRUE(job->End());
        EXPECT_TRUE(host_->FailureText().empty()) << host_->FailureText();
    }
    QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    files.sort();
    EXPECT_EQ(files,
        QStringList({ QStringLiteral("first.pdf"), QStringLiteral("报表 (2).pdf"),
            QStringLiteral("报表 (3).pdf"), QStringLiteral("报表.pdf") }));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("报表.pdf"))).isSymLink());
}

// Jobs sent while the next one is drawn go out in the order sent: five jobs of one title take "报表.pdf",
// "报表 (2).pdf", ... each holding its own page. A sent job whose folder went away is told by WaitForSent
// in End's words, and the next job still goes out once the folder is back.
TEST_F(PdfHostTest, SentJobsKeepTheirOrder)
{
    if (!HaveTool(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "poppler-utils (pdftotext) not installed";
    const std::string title = Utf8ToGbk("报表");
    std::unique_ptr<PrintJob> job;
    for (int n = 1; n <= 5; ++n) {
        job = host_->BeginJob(title);
        ASSERT_NE(job, nullptr) << n << ": " << host_->FailureText();
        job->GetCanvas().TextOut(500, 500, "job " + std::to_string(n));
        if (n > 1) {
            ASSERT_TRUE(host_->WaitForSent()) << host_->FailureText();
        }
        ASSERT_TRUE(job->Send());
    }
    ASSERT_TRUE(host_->WaitForSent()) << host_->FailureText();
    for (int n = 1; n <= 5; ++n) {
        const QString name = n == 1 ? QStringLiteral("报表.pdf") : QStringLiteral("报表 (%1).pdf").arg(n);
        const auto text = RunTool(QStringLiteral("pdftotext"), { dir_.filePath(name), QStringLiteral("-") });
        EXPECT_TRUE(text.out.contains(QStringLiteral("job %1").arg(n))) << name.toStdString();
    }

    job = host_->BeginJob(title);
    ASSERT_NE(job, nullptr);
    ASSERT_TRUE(QDir(dir_.path()).removeRecursively());
    ASSERT_TRUE(job->Send());
    EXPECT_FALSE(host_->WaitForSent());
    EXPECT_EQ(host_->FailureText(),
        "无法写入PDF文件“" + dir_.path().toStdString() + "/报表.pdf”，文件夹不存在，也无法建立");
    job = host_->BeginJob(title);
    ASSERT_NE(job, nullptr) << host_->FailureText();
    ASSERT_TRUE(job->Send());
    EXPECT_TRUE(host_->WaitForSent()) << host_->FailureText();
    EXPECT_EQ(PdfFiles(dir_.path()), QStringList({ QStringLiteral("报表.pdf") }));
}

// A folder that cannot be made says so: the job does not start, and the reason names the folder.
TEST(PdfPrinterFailures, MissingFolderIsNamed)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString folder = dir.filePath(QStringLiteral("file/sub"));
    QtPrinterHost host(folder);
    EXPECT_EQ(host.BeginJob("t"), nullptr);
    EXPECT_EQ(host.FailureText(),
        ("无法在PDF文件夹“" + folder.toStdString() + "”中建立文件，文件夹不存在，也无法建立"));
}

// An unattended run never opens the printer setup dialog: it answers as if cancelled.
TEST_F(PdfHostTest, SetupDialogUnattendedIsCancelled)
{
    const QByteArray saved = qgetenv("QUILLET_NONINTERACTIVE");
    qputenv("QUILLET_NONINTERACTIVE", "1");
    const bool confirmed = host_->SetupDialog();
    if (saved.isNull())
        qunsetenv("QUILLET_NONINTERACTIVE");
    else
        qputenv("QUILLET_NONINTERACTIVE", saved);
    EXPECT_FALSE(confirmed);
    EXPECT_TRUE(host_->CurrentIsPdf());
}

// A whole run as one job of the PDF printer is one file of all its pages, asking its viewer for the
// copies and sides chosen; one-sided single copies ask for nothing.
TEST_F(PdfHostTest, RunAsOneJobIsOneFileWithItsPrintPreferences)
{
    struct Case {
        JobPreferences preferences;
        const char* asked; // in the catalog, empty for no viewer preferences
    } const cases[] = {
        { { 3, Sides::LongEdge, true }, "/ViewerPreferences << /NumCopies 3 /Duplex /DuplexFlipLongEdge >>" },
        { { 1, Sides::ShortEdge, true }, "/NumCopies 1 /Duplex /DuplexFlipShortEdge" },
        { { 1, Sides::OneSided, true }, "" },
    };
    for (const Case& c : cases) {
        QTemporaryDir out;
        QtPrinterHost host(out.path());
        host.SetPreferences(c.preferences);
        auto job = host.BeginJob(Utf8ToGbk("报表(1-5)"));
        ASSERT_NE(job, nullptr);
        for (int page = 1; page <= 5; ++page) {
            if (page > 1) {
                ASSERT_TRUE(job->NextPage());
            }
            job->GetCanvas().Rectangle({ 100, 100, 2000, 900 });
        }
        ASSERT_TRUE(job->End());
        const QStringList files = QDir(out.path()).entryList(QDir::Files);
        ASSERT_EQ(files, QStringList { QStringLiteral("报表(1-5).pdf") });
        QFile file(out.filePath(files[0]));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        EXPECT_TRUE(pdf.contains("/Type /Pages /Count 5"));
        // /NumCopies and /Duplex came with PDF 1.7.
        if (*c.asked) {
            EXPECT_TRUE(pdf.contains(c.asked)) << c.asked;
            EXPECT_TRUE(pdf.startsWith("%PDF-1.7\n"));
            EXPECT_TRUE(pdf.contains("/Version /1.7"));
        } else {
            EXPECT_FALSE(pdf.contains("/ViewerPreferences"));
            EXPECT_TRUE(pdf.startsWith("%PDF-1.4\n"));
        }
    }
}

// The setup dialog opens on the current printer ("PDF" among the others) with its paper, orientation and
// job preferences; OK without a change keeps all of them, and what is changed reaches the host. It offers
// only the sides the printer prints.
TEST(PrinterSetupDialog, OpensOnTheCurrentPrinterAndKeepsItOnOk)
{
    for (int current : { 0, 1, 2 }) {
        FakePrinterHost host;
        host.printers = { "Office", "Laser", "PDF" };
        host.current = current;
        host.settings = { DM_PAPERSIZE | DM_ORIENTATION | DM_PAPERWIDTH | DM_PAPERLENGTH, DMORIENT_LANDSCAPE,
            DMPAPER_USER, 1500, 2000 };
        host.preferences = { 2, Sides::ShortEdge, true };
        const PrinterSettings settings = host.settings;
        PrinterSetupDialog dialog(host);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("打印设置"));
        EXPECT_EQ(dialog.PrinterBox->count(), 3);
        EXPECT_EQ(dialog.PrinterBox->currentIndex(), current);
        EXPECT_TRUE(dialog.Landscape->isChecked());
        EXPECT_EQ(dialog.Copies->value(), 2);
        EXPECT_TRUE(dialog.OneJob->isChecked());
        EXPECT_TRUE(dialog.Collate->isChecked());
        EXPECT_TRUE(dialog.Collate->isEnabled());
        EXPECT_EQ(dialog.SidesBox->count(), 3);
        dialog.Apply();
        EXPECT_EQ(host.current, current);
        EXPECT_EQ(host.settings, settings);
        EXPECT_EQ(host.preferences, (JobPreferences { 2, Sides::ShortEdge, true }));
    }
    // Another printer, A5 portrait, 3 copies two-sided on the long edge, one job a page.
    FakePrinterHost host;
    host.printers = { "Office", "PDF" };
    host.current = 1;
    PrinterSetupDialog dialog(host);
    EXPECT_FALSE(dialog.OneJob->isChecked());
    EXPECT_TRUE(dialog.Collate->isChecked()); // collated unless the user says otherwise
    EXPECT_FALSE(dialog.Collate->isEnabled()); // only a run as one job has copies to collate
    dialog.PrinterBox->setCurrentIndex(0);
    dialog.PaperBox->setCurrentIndex(dialog.PaperBox->findData(11));
    dialog.Portrait->setChecked(true);
    dialog.Copies->setValue(3);
    dialog.SidesBox->setCurrentIndex(1);
    dialog.Apply();
    EXPECT_EQ(host.current, 0);
    EXPECT_EQ(host.settings.paperSize, 11);
    EXPECT_EQ(host.settings.orientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(host.preferences, (JobPreferences { 3, Sides::LongEdge, false }));

    // A printer of one side offers nothing else, whatever was chosen before; uncollated copies.
    FakePrinterHost oneSided;
    oneSided.sides = { Sides::OneSided };
    oneSided.preferences = { 2, Sides::LongEdge, true, true };
    PrinterSetupDialog plain(oneSided);
    ASSERT_EQ(plain.SidesBox->count(), 1);
    EXPECT_EQ(plain.SidesBox->currentText(), QStringLiteral("单面"));
    EXPECT_FALSE(plain.SidesBox->isEnabled());
    plain.Collate->setChecked(false);
    plain.Apply();
    EXPECT_EQ(oneSided.preferences, (JobPreferences { 2, Sides::OneSided, true, false }));
}

// Preferences survive in their file; a damaged or missing file gives the defaults, never a bad value.
TEST(PrinterPreferences, KeptInTheirFile)
{
    QTemporaryDir dir;
    const std::string file = LocalPath(dir.filePath(QStringLiteral("quillet/printing.ini")));
    EXPECT_EQ(QtPrinterHost::LoadPreferences(file), JobPreferences {});
    const JobPreferences chosen { 7, Sides::ShortEdge, true, false };
    ASSERT_EQ(QtPrinterHost::SavePreferences(file, chosen), QString());
    EXPECT_EQ(QtPrinterHost::LoadPreferences(file), chosen);
    QFile damaged(FromLocalPath(file));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("[print]\ncopies=-4\nsides=both\none-job-per-run=maybe\n");
    damaged.close();
    EXPECT_EQ(QtPrinterHost::LoadPreferences(file), JobPreferences {});
}

} // namespace
} // namespace quillet
