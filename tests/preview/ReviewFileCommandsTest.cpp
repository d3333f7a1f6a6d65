// The saved layout, the page picture, printing and printer setup of the
// preview window.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <climits>

#include "controls/LumButton.h"
#include "controls/PageProgress.h"
#include "dialogs/PrintDlg.h"
#include "platform/Arith.h"
#include "platform/GbkCodec.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtPrinterHost.h"
#include "tests/FullDisk.h"
#include "tests/platform/QtTestSupport.h"
#include "sources/LayoutJson.h"
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
    const QString saved = FromLocalPath(w.SavedFormatPath);
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
    const QByteArray before = Bytes(FromLocalPath(w.SavedFormatPath));
    ASSERT_FALSE(before.isEmpty());
    const QString folder = QFileInfo(FromLocalPath(w.SavedFormatPath)).absolutePath();
    {
        LockedFolder lock(folder);
        if (!lock.Locked())
            GTEST_SKIP() << "the folder cannot be made unwritable here";
        w.PrintFormat->ColWidth[1] = 99;
        w.PrintFormat->PaperSize = 5;
        const TMyFormatRecord memory = *w.PrintFormat;
        w.ActionSaveFormat->trigger();
        ASSERT_EQ(messages_.shown.size(), 1u);
        EXPECT_EQ(QString::fromStdString(messages_.shown[0].text).section(QLatin1Char('\n'), 0, 0),
            QStringLiteral("保存格式文件时出错!"));
        EXPECT_EQ(messages_.shown[0].caption, "打印预览窗体");
        EXPECT_EQ(Bytes(FromLocalPath(w.SavedFormatPath)), before);
        EXPECT_TRUE(static_cast<const TMyFormatRecord&>(*w.PrintFormat) == memory);

        messages_.answers.push_back(MessageResult::Yes);
        w.ActionDeleteFormat->trigger();
        ASSERT_EQ(messages_.shown.size(), 3u);
        EXPECT_EQ(messages_.shown[2].text, "删除保存的打印格式时出错!");
        EXPECT_TRUE(QFile::exists(FromLocalPath(w.SavedFormatPath)));
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

// Saving the picture over the files being read is refused under any name, and a save that does not fit on a
// full disk keeps the old picture whole and says why; neither leaves anything beside the target.
TEST_F(ReviewFileCommandsTest, FailedPictureSaveKeepsWhatWasThere)
{
    TFrmPrintReview& w = Open();
    QString answer;
    w.Hook.pictureFile = [&](const QString&, QString&) { return answer; };
    const QString link = saved_.filePath(QStringLiteral("data.bmp"));
    ASSERT_TRUE(QFile::link(DataPath(), link));
    for (const QString& target : { DataPath(), FormatPath(), link }) {
        const QByteArray before = Bytes(target);
        answer = target;
        messages_.shown.clear();
        w.ActionSavePicture->trigger();
        ASSERT_EQ(messages_.shown.size(), 1u);
        EXPECT_EQ(QString::fromStdString(messages_.shown[0].text),
            QStringLiteral("不能写入“") + target + QStringLiteral("”：这是正在使用的数据文件或格式文件"));
        EXPECT_EQ(Bytes(target), before);
    }

    const test::FullDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << disk.Why().toStdString();
    answer = disk.Path() + QStringLiteral("/keep.bmp");
    QFile keep(answer);
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("old");
    keep.close();
    messages_.shown.clear();
    w.ActionSavePicture->trigger();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(QString::fromStdString(messages_.shown[0].text),
        QStringLiteral("无法把图片保存到“") + answer + QStringLiteral("”，磁盘已满"));
    EXPECT_EQ(Bytes(answer), QByteArray("old"));
    EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files | QDir::Hidden),
        QStringList({ QStringLiteral(".filler"), QStringLiteral("keep.bmp") }));
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
// out anew and the status bar follows, for A4 as for a custom sheet; cancel changes nothing.
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

    // A4 and a custom sheet, each turned to landscape: the pages are laid out on the sheet as it lies, in
    // whole centimetres.
    struct Sheet {
        int code, width, length; // tenths of a millimetre for the custom size
        int pageWidth, pageHeight; // of the landscape layout, 0: the printer's printable area
    };
    for (const Sheet& sheet :
        { Sheet { DMPAPER_A4, 0, 0, 0, 0 }, Sheet { DMPAPER_USER, 2150, 2790, 280, 220 } }) {
        SCOPED_TRACE(sheet.code);
        PrinterSettings upright;
        host.GetSettings(upright);
        upright.paperSize = sheet.code;
        upright.paperWidth = sheet.width;
        upright.paperLength = sheet.length;
        upright.orientation = DMORIENT_PORTRAIT;
        upright.fields |= DM_PAPERSIZE | DM_ORIENTATION | (sheet.width ? DM_PAPERWIDTH | DM_PAPERLENGTH : 0);
        host.SetSettings(upright);
        w.Hook.printerSetup = [] { return true; };
        w.ActionSetPrinter->trigger();
        EXPECT_LT(w.BuffPaper->PageWidth, w.BuffPaper->PageHeight);
        const int uprightPages = w.BuffPaper->PageCount;

        w.ActionLastPage->trigger();
        w.Hook.printerSetup = TurnToLandscape(host);
        w.ActionSetPrinter->trigger();
        EXPECT_EQ(w.Printer->Orientation, DMORIENT_LANDSCAPE);
        const int width = sheet.pageWidth ? sheet.pageWidth : Round(w.Printer->PaperWidth / 10.0L) * 10;
        const int height = sheet.pageHeight ? sheet.pageHeight : Round(w.Printer->PaperLength / 10.0L) * 10;
        EXPECT_GT(width, height);
        EXPECT_EQ(w.BuffPaper->PageWidth, width);
        EXPECT_EQ(w.BuffPaper->PageHeight, height);
        EXPECT_EQ(w.Label_PaperSize->text(), QStringLiteral("纸张 %1*%2(毫米)").arg(width).arg(height));
        EXPECT_GT(w.BuffPaper->PageCount, uprightPages);
        EXPECT_EQ(w.StatusPanels[2]->text(), QStringLiteral("共%1页").arg(w.BuffPaper->PageCount));
        EXPECT_EQ(w.StatusPanels[4]->text(), printerPanel);
        EXPECT_EQ(w.TabSetPage->count(), w.BuffPaper->PageCount);
    }
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

namespace quillet::testing {
namespace {

// The PDF export and the long print runs, on the example shortened to six
// pages, so that the progress box is up, with the files in a folder of the
// test's own.
class PageRunTest : public WindowFixture {
protected:
    TFrmPrintReview& OpenSixPages(const QString& mode = QStringLiteral("NotDef"))
    {
        EXPECT_TRUE(WriteExampleReport(saved_.path().toStdString(), 150));
        TFrmPrintReview& w = Open({ saved_.filePath(QStringLiteral("example.dat")),
            saved_.filePath(QStringLiteral("example.fmt")), mode });
        EXPECT_EQ(w.BuffPaper->PageCount, 6);
        w.Hook.pdfFile = [this](const QString& name) {
            proposed_ = name;
            return answer_;
        };
        return w;
    }
    // Presses the box's cancel button before page n.
    void CancelBeforePage(TFrmPrintReview& w, int n)
    {
        w.Hook.progress = [this, n](TPageProgress& box) {
            if (++asked_ == n)
                QTest::mouseClick(box.CancelButton, Qt::LeftButton);
        };
    }
    QStringList Files() const { return QDir(out_.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir out_;
    QString answer_;
    QString proposed_;
    int asked_ = 0;
};

// Top-left corner of what is drawn in a picture: the least column and row with ink, inside the box
// (which leaves out the preview sheet's border line and shadow).
QPoint InkCorner(const QImage& image, const QRect& box)
{
    QPoint corner(INT_MAX, INT_MAX);
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                corner.setX(std::min(corner.x(), x));
                corner.setY(std::min(corner.y(), y));
            }
    return corner;
}

// The exported page is the preview on paper: the preview sheet's size, and what is drawn at the same
// millimetres, within half a millimetre.
TEST_F(PageRunTest, ExportedPageLiesWhereThePreviewSheetShowsIt)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    TFrmPrintReview& w = OpenSixPages();
    ASSERT_EQ(w.BuffPaper->ViewRate, 100.0);
    const QImage preview = dynamic_cast<QtBitmap&>(w.PreviewPicture()).Image().copy();
    answer_ = out_.filePath(QStringLiteral("sheet.pdf"));
    w.ActionExportPdf->trigger();
    ASSERT_EQ(Files(), QStringList { QStringLiteral("sheet.pdf") });
    const QString stem = out_.filePath(QStringLiteral("page"));
    ASSERT_EQ(test::RunTool(QStringLiteral("pdftoppm"),
                  { QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-f"), QStringLiteral("1"),
                      QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"),
                      QStringLiteral("-png"), answer_, stem })
                  .exitCode,
        0);
    const QImage page(stem + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    const double mmPerPixel = 25.4 / 96;
    const double sheetWidth = w.BuffPaper->PageWidth, sheetHeight = w.BuffPaper->PageHeight;
    EXPECT_NEAR(page.width() * mmPerPixel, sheetWidth, 0.5);
    EXPECT_NEAR(page.height() * mmPerPixel, sheetHeight, 0.5);
    const QPoint drawn = InkCorner(preview, QRect(2, 2, preview.width() - 12, preview.height() - 12));
    const QPoint exported = InkCorner(page, QRect(2, 2, page.width() - 12, page.height() - 12));
    ASSERT_NE(drawn.x(), INT_MAX);
    EXPECT_NEAR(exported.x() * mmPerPixel, drawn.x() * mmPerPixel, 0.5);
    EXPECT_NEAR(exported.y() * mmPerPixel, drawn.y() * mmPerPixel, 0.5);
}

// The export writes the pages the window shows, its unsaved edits included,
// as one valid PDF with a page for each, under the title as the proposed
// name; the window is held still while it runs and afterwards shows the same
// page, picture and printer as before.
TEST_F(PageRunTest, ExportWritesEveryPageAsTheWindowLaysItOut)
{
    TFrmPrintReview& w = OpenSixPages();
    w.PrintFormat->Title.Text.SetText(Utf8ToGbk("三月明细/未保存"));
    w.RepaginateAndShow();
    w.ActionNextPage->trigger();
    const int pages = w.BuffPaper->PageCount;
    const QImage picture = dynamic_cast<QtBitmap&>(w.PreviewPicture()).Image().copy();
    const TMyPaperSpec printerPaper = *w.Printer;
    const PrinterSettings printerSettings = fakePrinters_.settings;
    answer_ = out_.filePath(QStringLiteral("报表"));
    bool held = true;
    w.Hook.progress = [&](TPageProgress& box) {
        ++asked_;
        held = held && box.isVisible() && box.isModal() && w.PageRunActive()
            && !w.ActionSaveFormat->isEnabled() && !w.ActionExportPdf->isEnabled()
            && !w.ActionStartPrint->isEnabled();
    };
    w.ActionExportPdf->trigger();

    EXPECT_EQ(proposed_, QStringLiteral("三月明细_未保存"));
    EXPECT_EQ(asked_, pages);
    EXPECT_TRUE(held);
    EXPECT_TRUE(messages_.shown.empty());
    const QString file = out_.filePath(QStringLiteral("报表.pdf"));
    EXPECT_EQ(Files(), QStringList { QStringLiteral("报表.pdf") });
    // The window as it was: commands back (the rates stay locked in design
    // state), page, picture, printer, no print job.
    EXPECT_FALSE(w.PageRunActive());
    EXPECT_TRUE(w.ActionSaveFormat->isEnabled());
    EXPECT_TRUE(w.ActionExportPdf->isEnabled());
    EXPECT_FALSE(w.ActionViewRate50->isEnabled());
    EXPECT_EQ(w.BuffPaper->CurrentPage, 2);
    EXPECT_EQ(w.BuffPaper->PageCount, pages);
    EXPECT_TRUE(dynamic_cast<QtBitmap&>(w.PreviewPicture()).Image() == picture);
    EXPECT_TRUE(*w.Printer == printerPaper);
    EXPECT_TRUE(fakePrinters_.settings == printerSettings);
    EXPECT_TRUE(fakePrinters_.jobs.empty());

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty())
        GTEST_SKIP() << "poppler-utils or qpdf is not installed";
    EXPECT_EQ(test::RunTool(QStringLiteral("qpdf"), { QStringLiteral("--check"), file }).exitCode, 0);
    const QStringList texts
        = test::RunTool(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), file, QStringLiteral("-") })
              .out.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(texts.size(), pages);
    for (int n = 1; n <= pages; ++n) {
        EXPECT_TRUE(texts[n - 1].contains(QStringLiteral("第%1页 共%2页").arg(n).arg(pages))) << n;
        EXPECT_TRUE(texts[n - 1].contains(QStringLiteral("三月明细/未保存"))) << n;
    }
}

// A word in a numeric column stops "导出PDF..." with the place of its cell
// after the engine's words, and no file; turning to that page shows the
// engine's words alone.
TEST_F(PageRunTest, BadNumberInTheExportSaysWhereItLies)
{
    TFrmPrintReview& w = OpenSixPages();
    // Ledger line 61 is the fifth of page 3, row 7 of its table; column 5 holds the quantity.
    QFile data(saved_.filePath(QStringLiteral("example.dat")));
    ASSERT_TRUE(data.open(QIODevice::ReadWrite));
    ASSERT_TRUE(data.seek(static_cast<qint64>(ExampleCellOffset(60, 5))));
    ASSERT_EQ(data.write(QByteArray("\x01x", 2)), 2);
    data.close();
    answer_ = out_.filePath(QStringLiteral("ledger.pdf"));
    w.ActionExportPdf->trigger();
    EXPECT_EQ(
        Texts(messages_), (std::vector<std::string> { "打印预览窗体|“x”不是有效的数值（第3页第7行第5列）" }));
    EXPECT_TRUE(Files().isEmpty());

    messages_.shown.clear();
    w.ActionNextPage->trigger();
    w.ActionNextPage->trigger();
    EXPECT_EQ(Texts(messages_), (std::vector<std::string> { "打印预览窗体|“x”不是有效的数值" }));
}

// Cancel before page 3 writes nothing: no file when there was none, the old
// file as it was when there was one, nothing beside it, and no message. An
// export let through then replaces the old file.
TEST_F(PageRunTest, CancelledExportLeavesNoFileAndKeepsTheOldOne)
{
    TFrmPrintReview& w = OpenSixPages();
    answer_ = out_.filePath(QStringLiteral("ledger.pdf"));
    CancelBeforePage(w, 3);
    w.ActionExportPdf->trigger();
    EXPECT_EQ(asked_, 3);
    EXPECT_TRUE(Files().isEmpty());

    QFile old(answer_);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    asked_ = 0;
    w.ActionExportPdf->trigger();
    EXPECT_EQ(Bytes(answer_), QByteArray("old"));
    EXPECT_EQ(Files(), QStringList { QStringLiteral("ledger.pdf") });
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_TRUE(w.ActionExportPdf->isEnabled());

    w.Hook.progress = {};
    w.ActionExportPdf->trigger();
    EXPECT_TRUE(Bytes(answer_).startsWith("%PDF-"));
    EXPECT_EQ(Files(), QStringList { QStringLiteral("ledger.pdf") });
}

// A file that cannot be written is reported in the program's words before
// any page is drawn, and an old file in a folder that cannot be written
// stays as it was.
TEST_F(PageRunTest, UnwritableFileIsReported)
{
    TFrmPrintReview& w = OpenSixPages();
    w.Hook.progress = [this](TPageProgress&) { ++asked_; };
    answer_ = out_.filePath(QStringLiteral("no/such/folder/x.pdf"));
    w.ActionExportPdf->trigger();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].caption, "打印预览窗体");
    EXPECT_EQ(QString::fromStdString(messages_.shown[0].text),
        QStringLiteral("无法写入PDF文件“%1”，文件夹不存在，也无法建立").arg(answer_));
    EXPECT_EQ(asked_, 0);
    EXPECT_TRUE(w.ActionExportPdf->isEnabled());

    answer_ = out_.filePath(QStringLiteral("kept.pdf"));
    QFile old(answer_);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    LockedFolder lock(out_.path());
    if (!lock.Locked())
        GTEST_SKIP() << "the folder cannot be made unwritable here";
    w.ActionExportPdf->trigger();
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_TRUE(
        QString::fromStdString(messages_.shown[1].text).startsWith(QStringLiteral("无法写入PDF文件")));
    EXPECT_EQ(Bytes(answer_), QByteArray("old"));
    EXPECT_EQ(Files(), QStringList { QStringLiteral("kept.pdf") });
}

// Each failure to write says which file and why in the program's words: a
// name too long, a link that loops, a writable file in a folder that is not
// (the folder named), a layout saved onto a full disk.
TEST_F(PageRunTest, FailuresNameTheFileAndTheReason)
{
    TFrmPrintReview& w = OpenSixPages();
    const QString out = out_.path();
    const auto exportTo = [&](const QString& path) {
        answer_ = path;
        w.ActionExportPdf->trigger();
    };
    struct Case {
        const char* what;
        // Makes the case, runs the command and gives the message expected;
        // empty when this machine cannot make the case.
        std::function<QString()> run;
    } const cases[] = {
        { "name too long",
            [&] {
                exportTo(out + QStringLiteral("/") + QString(300, QLatin1Char('a')) + QStringLiteral(".pdf"));
                return QStringLiteral("无法写入PDF文件“%1”，文件名或路径太长").arg(answer_);
            } },
        { "link that loops",
            [&] {
                const QString loop = out + QStringLiteral("/loop.pdf");
                QFile::link(loop, loop);
                exportTo(loop);
                return QStringLiteral("不能写入“%1”：这是一个绕成圈的链接，最终指向它自己").arg(loop);
            } },
        { "writable file, folder not",
            [&] {
                const QString kept = out + QStringLiteral("/kept.pdf");
                QFile old(kept);
                if (!old.open(QIODevice::WriteOnly))
                    return QString();
                old.close();
                LockedFolder lock(out);
                if (!lock.Locked())
                    return QString();
                exportTo(kept);
                return QStringLiteral("无法写入PDF文件“%1”，没有在文件夹“%2”中写入的权限").arg(kept, out);
            } },
        { "layout on a full disk",
            [&] {
                const test::FullDisk disk(4096);
                if (!disk.Mounted())
                    return QString();
                const QString layout = disk.Path() + QStringLiteral("/quillet/Format/example.PFD");
                w.SavedFormatPath = LocalPath(layout);
                w.ActionSaveFormat->trigger();
                return QStringLiteral("保存格式文件时出错!\n无法写入“%1”，磁盘已满").arg(layout);
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages_.shown.clear();
        const QString expected = c.run();
        if (expected.isEmpty())
            continue;
        ASSERT_EQ(messages_.shown.size(), 1u);
        EXPECT_EQ(QString::fromStdString(messages_.shown[0].text), expected);
    }
}

// Printing all pages cancelled before page 3 has sent exactly two jobs and
// says so; the current page and the commands come back.
TEST_F(PageRunTest, CancelledPrintRunSaysHowManyPagesWentOut)
{
    TFrmPrintReview& w = OpenSixPages();
    w.ActionLastPage->trigger();
    CancelBeforePage(w, 3);
    w.ActionStartPrint->trigger();
    ASSERT_EQ(fakePrinters_.jobs.size(), 2u);
    for (const FakeJob& job : fakePrinters_.jobs)
        EXPECT_TRUE(job.ended && !job.aborted);
    EXPECT_EQ(Texts(messages_), (std::vector<std::string> { "提示|打印已取消，已送出2页，共6页。" }));
    EXPECT_EQ(w.BuffPaper->CurrentPage, 6);
    EXPECT_TRUE(w.ActionStartPrint->isEnabled());

    // Through the print dialog, the same hook and the same message.
    fakePrinters_.jobs.clear();
    messages_.shown.clear();
    asked_ = 0;
    QTimer::singleShot(0, &w, [] {
        if (auto* dialog = qobject_cast<TFrmPrintDlg*>(QApplication::activeModalWidget()))
            dialog->LumButton1->click();
    });
    w.ActionSetPrint->trigger();
    EXPECT_EQ(fakePrinters_.jobs.size(), 2u);
    EXPECT_EQ(Texts(messages_), (std::vector<std::string> { "提示|打印已取消，已送出2页，共6页。" }));
}

// Closing the window in the middle of a run stops the run first (no file, the
// pages sent so far), and the window closes once it has stopped.
TEST_F(PageRunTest, CloseDuringARunCancelsItFirst)
{
    for (bool print : { false, true }) {
        SCOPED_TRACE(print);
        TFrmPrintReview& w = OpenSixPages();
        answer_ = out_.filePath(QStringLiteral("closed.pdf"));
        asked_ = 0;
        fakePrinters_.jobs.clear();
        messages_.shown.clear();
        bool stayedOpen = false;
        w.Hook.progress = [&](TPageProgress&) {
            if (++asked_ == 2) {
                w.close();
                stayedOpen = w.isVisible();
            }
        };
        (print ? w.ActionStartPrint : w.ActionExportPdf)->trigger();
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(asked_, 2);
        EXPECT_TRUE(Files().isEmpty());
        EXPECT_EQ(fakePrinters_.jobs.size(), print ? 1u : 0u);
        QApplication::processEvents();
        EXPECT_FALSE(w.isVisible());
    }
}

// Preview-only mode refuses the export as it refuses printing; an unattended
// run without a test's answer cancels the file dialog and writes nothing.
TEST_F(PageRunTest, PreviewOnlyAndUnattendedExportWriteNothing)
{
    TFrmPrintReview& v = OpenSixPages(QStringLiteral("OnlyView"));
    answer_ = out_.filePath(QStringLiteral("x.pdf"));
    v.ActionExportPdf->trigger();
    EXPECT_TRUE(proposed_.isEmpty());
    EXPECT_EQ(Texts(messages_), (std::vector<std::string> { "打印预览窗体|对不起！只能预览不能打印" }));

    messages_.shown.clear();
    TFrmPrintReview& w = OpenSixPages();
    w.Hook.pdfFile = {};
    w.ActionExportPdf->trigger();
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_TRUE(Files().isEmpty());
}

// "导出Excel..." writes the window's report as a workbook under the name
// chosen (its suffix added), cancels leaving no file, and is refused in
// preview-only mode as the PDF export is.
TEST_F(PageRunTest, WorkbookExportFollowsThePdfExport)
{
    const auto ask = [this](const QString& name) {
        proposed_ = name;
        return answer_;
    };
    TFrmPrintReview& w = OpenSixPages();
    w.Hook.xlsxFile = ask;
    answer_ = out_.filePath(QStringLiteral("book"));
    CancelBeforePage(w, 3);
    w.ActionExportXlsx->trigger();
    EXPECT_EQ(proposed_, QStringLiteral("2024年3月销售明细账"));
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_TRUE(w.ActionExportXlsx->isEnabled());

    w.Hook.progress = {};
    w.ActionStateReview->trigger();
    w.ActionPrintRate50->trigger(); // the sheet prints at the window's print scale
    w.ActionExportXlsx->trigger();
    EXPECT_EQ(Files(), QStringList { QStringLiteral("book.xlsx") });
    EXPECT_TRUE(messages_.shown.empty());
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"),
        { QStringLiteral("-p"), out_.filePath(QStringLiteral("book.xlsx")),
            QStringLiteral("xl/worksheets/sheet1.xml") });
    ASSERT_TRUE(unzip.waitForFinished());
    EXPECT_TRUE(unzip.readAllStandardOutput().contains(" scale=\"50\""));

    TFrmPrintReview& v = OpenSixPages(QStringLiteral("OnlyView"));
    v.Hook.xlsxFile = ask;
    answer_ = out_.filePath(QStringLiteral("x.xlsx"));
    v.ActionExportXlsx->trigger();
    EXPECT_EQ(Texts(messages_), (std::vector<std::string> { "打印预览窗体|对不起！只能预览不能打印" }));
    EXPECT_EQ(Files(), QStringList { QStringLiteral("book.xlsx") });
}

// "导出CSV..." as "导出Excel...": a cancel leaves no file, the data rows
// go under the name chosen (".csv" added), preview-only mode refuses it.
TEST_F(PageRunTest, CsvExportFollowsTheWorkbookExport)
{
    const auto ask = [this](const QString& name) {
        proposed_ = name;
        return answer_;
    };
    TFrmPrintReview& w = OpenSixPages();
    w.Hook.csvFile = ask;
    answer_ = out_.filePath(QStringLiteral("lines"));
    CancelBeforePage(w, 3);
    w.ActionExportCsv->trigger();
    EXPECT_EQ(proposed_, QStringLiteral("2024年3月销售明细账"));
    EXPECT_TRUE(Files().isEmpty());

    w.Hook.progress = {};
    w.ActionExportCsv->trigger();
    EXPECT_EQ(Files(), QStringList { QStringLiteral("lines.csv") });
    EXPECT_TRUE(messages_.shown.empty());
    QFile csv(out_.filePath(QStringLiteral("lines.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(bytes.contains("本页小计"));

    TFrmPrintReview& v = OpenSixPages(QStringLiteral("OnlyView"));
    v.Hook.csvFile = ask;
    v.ActionExportCsv->trigger();
    EXPECT_EQ(Texts(messages_), (std::vector<std::string> { "打印预览窗体|对不起！只能预览不能打印" }));
}

// "导出格式为JSON..." writes the layout in use, its unsaved edits included,
// under the name chosen (".json" added), also in preview-only mode, and
// never over the layout file being read.
TEST_F(PageRunTest, LayoutExportWritesTheLayoutInUse)
{
    TFrmPrintReview& w = OpenSixPages(QStringLiteral("OnlyView"));
    w.Hook.jsonFile = [this](const QString& name) {
        proposed_ = name;
        return answer_;
    };
    w.ActionWhereHorLeft->trigger();
    answer_ = out_.filePath(QStringLiteral("layout"));
    w.ActionExportJson->trigger();
    EXPECT_EQ(proposed_, QStringLiteral("example"));
    EXPECT_TRUE(messages_.shown.empty());
    ASSERT_EQ(Files(), QStringList { QStringLiteral("layout.json") });
    TMyPrintFormat exported;
    ASSERT_EQ(LoadJsonLayout(out_.filePath(QStringLiteral("layout.json")).toStdString(), exported), "");
    EXPECT_EQ(exported.HorPlace, 1);
    EXPECT_EQ(exported.ColCount, w.PrintFormat->ColCount);
    EXPECT_EQ(exported.Title.Text.Text(), w.PrintFormat->Title.Text.Text());

    answer_ = saved_.filePath(QStringLiteral("example.fmt"));
    const QByteArray before = [&] {
        QFile f(answer_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    w.ActionExportJson->trigger();
    ASSERT_EQ(messages_.shown.size(), 1u);
    QFile layout(answer_);
    ASSERT_TRUE(layout.open(QIODevice::ReadOnly));
    EXPECT_EQ(layout.readAll(), before);
}

} // namespace
} // namespace quillet::testing
