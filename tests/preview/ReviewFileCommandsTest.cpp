// The saved layout, the page picture, printing and printer setup of the
// preview window.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPrinterInfo>
#include <QProcess>
#include <unistd.h>

#include "platform/Arith.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtPrinterHost.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes a folder unwritable even for root (immutable), and writable again on
// destruction. False when the file system does not allow it.
class LockedFolder {
public:
    explicit LockedFolder(QString path)
        : path_(std::move(path))
    {
        if (::geteuid() == 0)
            locked_ = QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("+i"), path_ }) == 0;
        else
            locked_ = QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    ~LockedFolder()
    {
        if (::geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("-i"), path_ });
        else
            QFile::setPermissions(
                path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    bool Locked() const { return locked_; }

private:
    QString path_;
    bool locked_ = false;
};

using ReviewFileCommandsTest = WindowFixture;

std::vector<std::string> Texts(const FakeMessageService& m)
{
    std::vector<std::string> texts;
    for (const ShownMessage& s : m.shown)
        texts.push_back(s.caption + "|" + s.text);
    return texts;
}

// Save, delete, save again and delete twice, with their messages; the layout
// saved holds the edits of this run.
TEST_F(ReviewFileCommandsTest, SaveAndDeleteTheLayout)
{
    TFrmPrintReview& w = Open();
    const QString saved = w.SavedFormatPath;
    w.PrintFormat->ColWidth[2] = 7;
    w.ActionSaveFormat->trigger();
    ASSERT_TRUE(QFile::exists(saved));
    TMyPrintFormat back;
    ASSERT_EQ(back.LoadFromFile(saved.toStdString()), kFileOk);
    EXPECT_EQ(back.ColWidth[2], 7);
    // Saving again overwrites.
    w.PrintFormat->ColWidth[2] = 9;
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(back.LoadFromFile(saved.toStdString()), kFileOk);
    EXPECT_EQ(back.ColWidth[2], 9);
    EXPECT_TRUE(messages_.shown.empty());

    // Answering No keeps the file.
    w.ActionDeleteFormat->trigger();
    EXPECT_TRUE(QFile::exists(saved));
    messages_.answers.push_back(MessageResult::Yes);
    w.ActionDeleteFormat->trigger();
    EXPECT_FALSE(QFile::exists(saved));
    w.ActionDeleteFormat->trigger();
    EXPECT_EQ(Texts(messages_),
        (std::vector<std::string> { "提示|是否真的要删除当前保存的打印格式？",
            "提示|是否真的要删除当前保存的打印格式？", "提示|删除成功！", "提示|没有保存过当前的打印格式" }));
    EXPECT_EQ(messages_.shown[0].buttons, MessageButtons::YesNo);
    // The page and the record in memory are untouched; saving again recreates the file.
    EXPECT_EQ(w.PrintFormat->ColWidth[2], 9);
    w.ActionSaveFormat->trigger();
    EXPECT_TRUE(QFile::exists(saved));
}

// A save into a folder that cannot be written says so and leaves both the
// layout saved before and the record in memory as they were; a failed
// deletion is reported as such.
TEST_F(ReviewFileCommandsTest, FailedSaveKeepsTheOldLayout)
{
    TFrmPrintReview& w = Open();
    w.ActionSaveFormat->trigger();
    const QByteArray before = Bytes(w.SavedFormatPath);
    ASSERT_FALSE(before.isEmpty());
    const QString folder = QFileInfo(w.SavedFormatPath).absolutePath();
    {
        LockedFolder lock(folder);
        if (!lock.Locked())
            GTEST_SKIP() << "the folder cannot be made unwritable here";
        w.PrintFormat->ColWidth[1] = 99;
        w.PrintFormat->PaperSize = 5;
        const TMyFormatRecord memory = *w.PrintFormat;
        w.ActionSaveFormat->trigger();
        ASSERT_EQ(messages_.shown.size(), 1u);
        EXPECT_EQ(messages_.shown[0].text, "保存格式文件时出错!");
        EXPECT_EQ(messages_.shown[0].caption, "打印预览窗体");
        EXPECT_EQ(Bytes(w.SavedFormatPath), before);
        EXPECT_TRUE(static_cast<const TMyFormatRecord&>(*w.PrintFormat) == memory);

        messages_.answers.push_back(MessageResult::Yes);
        w.ActionDeleteFormat->trigger();
        ASSERT_EQ(messages_.shown.size(), 3u);
        EXPECT_EQ(messages_.shown[2].text, "删除保存的打印格式时出错!");
        EXPECT_TRUE(QFile::exists(w.SavedFormatPath));
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList { QStringLiteral("example.PFD") });
}

// The page picture is written as a bitmap and as PNG with the page image's
// size and pixels, under the proposed name title(n).
TEST_F(ReviewFileCommandsTest, SavePictureWritesThePageImage)
{
    TFrmPrintReview& w = Open();
    w.ActionNextPage->trigger();
    EXPECT_EQ(w.ProposedPictureName(), QStringLiteral("2024年3月销售明细账(2)"));
    QString proposed;
    QString answer;
    QString chosenFilter;
    w.Hook.pictureFile = [&](const QString& name, QString& filter) {
        proposed = name;
        filter = chosenFilter;
        return answer;
    };
    const QImage shown
        = dynamic_cast<QtBitmap&>(w.PreviewPicture()).Image().convertToFormat(QImage::Format_RGB888);
    ASSERT_GT(shown.width(), 700);

    answer = saved_.filePath(QStringLiteral("page"));
    chosenFilter = QStringLiteral("位图格式 (*.bmp)");
    w.ActionSavePicture->trigger();
    EXPECT_EQ(proposed, QStringLiteral("2024年3月销售明细账(2)"));
    const QString bmp = saved_.filePath(QStringLiteral("page.bmp"));
    EXPECT_TRUE(Bytes(bmp).startsWith("BM"));
    QImage fromBmp(bmp);
    EXPECT_EQ(fromBmp.size(), shown.size());
    EXPECT_EQ(fromBmp.convertToFormat(QImage::Format_RGB888), shown);

    chosenFilter = QStringLiteral("PNG 图片 (*.png)");
    w.ActionSavePicture->trigger();
    const QString png = saved_.filePath(QStringLiteral("page.png"));
    EXPECT_TRUE(Bytes(png).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB888), shown);

    // Cancel writes nothing and says nothing; a folder that does not exist is reported.
    answer.clear();
    w.ActionSavePicture->trigger();
    EXPECT_TRUE(messages_.shown.empty());
    answer = saved_.filePath(QStringLiteral("no/such/folder/x.bmp"));
    w.ActionSavePicture->trigger();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_NE(messages_.shown[0].text.find("无法把图片保存到"), std::string::npos);

    // An empty title proposes the bracketed page number alone; slashes never make a path.
    w.PrintFormat->Title.Text.SetText("");
    EXPECT_EQ(w.ProposedPictureName(), QStringLiteral("(2)"));
    w.PrintFormat->Title.Text.SetText("a/b");
    EXPECT_EQ(w.ProposedPictureName(), QStringLiteral("a_b(2)"));
}

// Printing all pages through the PDF printer writes one file per page;
// preview-only mode refuses it.
TEST_F(ReviewFileCommandsTest, PrintAllThroughThePdfPrinter)
{
    QTemporaryDir pdfs;
    QtPrinterHost host(pdfs.path());
    {
        TFrmPrintReview& w = Open({ DataPath(), FormatPath(), QStringLiteral("NotDefOnlyView") }, &host);
        w.ActionStartPrint->trigger();
        w.ActionSetPrint->trigger();
        EXPECT_EQ(Texts(messages_),
            (std::vector<std::string> {
                "打印预览窗体|对不起！只能预览不能打印", "打印预览窗体|对不起！只能预览不能打印" }));
        EXPECT_TRUE(QDir(pdfs.path()).entryList(QDir::Files).isEmpty());
    }
    {
        // Fewer pages keep the run short.
        ASSERT_TRUE(WriteExampleReport(saved_.path().toStdString(), 70));
        TFrmPrintReview& w
            = Open({ saved_.filePath(QStringLiteral("example.dat")),
                       saved_.filePath(QStringLiteral("example.fmt")), QStringLiteral("NotDef") },
                &host);
        ASSERT_EQ(w.StatusPanels[4]->text(), QStringLiteral("打印机:PDF"));
        const int pages = w.BuffPaper->PageCount;
        ASSERT_GE(pages, 2);
        w.ActionNextPage->trigger();
        w.ActionStartPrint->trigger();
        EXPECT_EQ(QDir(pdfs.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files).size(), pages);
        EXPECT_EQ(w.BuffPaper->CurrentPage, 2);
    }
    window_.reset();
}

// Printer setup on the system's print queue: landscape paper lays the pages
// out anew and the status bar follows; cancel changes nothing.
TEST_F(ReviewFileCommandsTest, PrinterSetupOnTheSystemQueue)
{
    if (QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "no print queue on this machine";
    QtPrinterHost host { QString() };
    TFrmPrintReview& w = Open({}, &host);
    // Short rows and several blocks to a sheet: a lower sheet holds fewer blocks.
    w.PrintFormat->MultiTables = 1;
    for (int r = 1; r <= w.PrintFormat->Rows(); ++r)
        w.PrintFormat->RowHeight[r] = 2;
    w.RunEngine([&w] { w.BuffPaper->Paginate(); });
    const int portraitPages = w.BuffPaper->PageCount;
    const QString printerPanel = w.StatusPanels[4]->text();
    EXPECT_TRUE(printerPanel.startsWith(QStringLiteral("打印机:")));
    w.PrintFormat->Head[1].Text.SetText("edited");

    w.Hook.printerSetup = [] { return false; };
    w.ActionSetPrinter->trigger();
    EXPECT_EQ(w.BuffPaper->PageCount, portraitPages);
    EXPECT_EQ(w.PrintFormat->Head[1].Text.Text(), "edited");

    w.ActionLastPage->trigger();
    w.Hook.printerSetup = [&host] {
        PrinterSettings s;
        host.GetSettings(s);
        s.orientation = DMORIENT_LANDSCAPE;
        s.fields |= DM_ORIENTATION;
        host.SetSettings(s);
        return true;
    };
    w.ActionSetPrinter->trigger();
    EXPECT_EQ(w.Printer->Orientation, DMORIENT_LANDSCAPE);
    // The printer's paper in whole centimetres, now wider than high.
    const int width = Round(w.Printer->PaperWidth / 10.0L) * 10;
    const int height = Round(w.Printer->PaperLength / 10.0L) * 10;
    EXPECT_GT(width, height);
    EXPECT_EQ(w.BuffPaper->PageWidth, width);
    EXPECT_EQ(w.BuffPaper->PageHeight, height);
    EXPECT_EQ(w.Label_PaperSize->text(), QStringLiteral("纸张 %1*%2(毫米)").arg(width).arg(height));
    EXPECT_GT(w.BuffPaper->PageCount, portraitPages);
    EXPECT_EQ(w.StatusPanels[2]->text(), QStringLiteral("共%1页").arg(w.BuffPaper->PageCount));
    EXPECT_EQ(w.StatusPanels[4]->text(), printerPanel);
    EXPECT_EQ(w.TabSetPage->count(), w.BuffPaper->PageCount);
    // The head texts come again from the data file.
    EXPECT_NE(w.PrintFormat->Head[1].Text.Text(), "edited");
    window_.reset();
}

} // namespace
} // namespace quillet::testing

namespace quillet::testing {
namespace {

// Without any printer the print commands, reached for all that they are
// disabled, say so and change nothing; printer setup stays open in
// preview-only mode.
TEST_F(ReviewFileCommandsTest, NoPrinterAndPreviewOnlyRefusals)
{
    fakePrinters_.printers.clear();
    TFrmPrintReview& w = Open();
    const int pages = w.BuffPaper->PageCount;
    w.ActionStartPrintExecute();
    w.ActionSetPrinterExecute();
    EXPECT_EQ(Texts(messages_),
        (std::vector<std::string> { "打印预览窗体|没有安装打印机!", "打印预览窗体|没有安装打印机!" }));
    EXPECT_EQ(w.BuffPaper->PageCount, pages);

    fakePrinters_.printers = { "Fake" };
    messages_.shown.clear();
    TFrmPrintReview& v = Open({ DataPath(), FormatPath(), QStringLiteral("OnlyView") });
    bool asked = false;
    v.Hook.printerSetup = [&asked] {
        asked = true;
        return false;
    };
    v.ActionSetPrinter->trigger();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(messages_.shown.empty());
}

} // namespace
} // namespace quillet::testing
