// The format dialogs opened from the window's commands: cancel changes
// nothing, a confirmed dialog brings the page, the page count and the status
// bar up to date.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "controls/NumSpin.h"
#include "dialogs/EditColWidth.h"
#include "dialogs/PrintDlg.h"
#include "dialogs/SelectPage.h"
#include "dialogs/SetRowCount.h"
#include "dialogs/UnitAbout.h"
#include "platform/qt/QtPrinterHost.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

class ReviewDialogsTest : public WindowFixture {
protected:
    // Triggers the command and hands the dialog it opens to `answer` once it
    // is shown; fails when no dialog came up.
    template <typename Dialog> void Answer(QAction* command, std::function<void(Dialog&)> answer)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            // The hourglass is gone before the dialog shows.
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
            answer(*dialog);
        });
        command->trigger();
        EXPECT_TRUE(seen) << command->objectName().toStdString();
    }

    // What the user sees of the page: the record, the page count, the current page and the status texts.
    struct Seen {
        QByteArray record;
        int pages = 0;
        int current = 0;
        QStringList status;
        bool operator==(const Seen&) const = default;
    };
    Seen Look() const
    {
        const TFrmPrintReview& w = *window_;
        Seen s;
        s.record = QByteArray(
            reinterpret_cast<const char*>(static_cast<const TMyFormatRecord*>(w.PrintFormat.get())),
            sizeof(TMyFormatRecord));
        s.pages = w.BuffPaper->PageCount;
        s.current = w.BuffPaper->CurrentPage;
        for (const QLabel* panel : w.StatusPanels)
            s.status.append(panel->text());
        s.status.append(w.Label_PaperSize->text());
        return s;
    }
};

// Cancelling any dialog leaves the layout, the pages and the status bar as they were.
TEST_F(ReviewDialogsTest, CancelChangesNothing)
{
    TFrmPrintReview& w = Open();
    w.ActionNextPage->trigger();
    const Seen before = Look();
    for (QAction* command : { w.ActionEditCompany, w.ActionEditTitle, w.ActionEditPageHead,
             w.ActionEditPageFoot, w.ActionEditRowCount, w.ActionEditAllRowHeight, w.ActionEditColWidth,
             w.ActionEditRowHeight, w.ActionSetPage, w.ActionSetFont, w.ActionSelPage, w.ActionSetPrint }) {
        Answer<QDialog>(command, [](QDialog& d) { d.reject(); });
        EXPECT_TRUE(Look() == before) << command->objectName().toStdString();
    }
    Answer<TFrmAbout>(w.ActionAbout, [](TFrmAbout& d) { d.reject(); });
    EXPECT_TRUE(Look() == before);
    EXPECT_TRUE(fakePrinters_.jobs.empty());
    EXPECT_TRUE(messages_.shown.empty());
}

// A column dragged to nothing is listed by "恢复合并的列宽..." and comes back
// when confirmed; its border can be found again.
TEST_F(ReviewDialogsTest, HiddenColumnIsListedAndRestored)
{
    TFrmPrintReview& w = OpenLaidOut();
    // Column 2 (30 mm, border at x = 301) dragged further left than it is wide.
    Drag(301, RowMiddle(3), -200, 0);
    ASSERT_EQ(w.PrintFormat->ColWidth[2], 0);
    QStringList listed;
    Answer<TFrmEditColWidth>(w.ActionEditColWidth, [&](TFrmEditColWidth& d) {
        auto* list = d.findChild<QComboBox*>();
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->count(); ++i)
            listed.append(list->itemText(i));
        list->setCurrentIndex(0);
        d.LumButton1Click();
    });
    EXPECT_EQ(listed, QStringList { QStringLiteral("第2列") });
    EXPECT_GT(w.PrintFormat->ColWidth[2], 0);
    Move(ColumnBorder(2), RowMiddle(3));
    EXPECT_EQ(w.HitIndex, 2);
}

// More rows per block make fewer pages; the window then shows the new last page.
TEST_F(ReviewDialogsTest, FewerPagesPullTheCurrentPageBack)
{
    TFrmPrintReview& w = Open();
    w.ActionLastPage->trigger();
    const int pages = w.BuffPaper->PageCount;
    ASSERT_GT(pages, 3);
    Answer<TFrmSetRowCount>(w.ActionEditRowCount, [](TFrmSetRowCount& d) {
        d.NumSpinEditRow->SetValue(200);
        d.LumButton1Click();
    });
    EXPECT_EQ(w.PrintFormat->RowCount, 200);
    EXPECT_LT(w.BuffPaper->PageCount, pages);
    EXPECT_EQ(w.BuffPaper->CurrentPage, w.BuffPaper->PageCount);
    EXPECT_EQ(w.StatusPanels[2]->text(), QStringLiteral("共%1页").arg(w.BuffPaper->PageCount));
    EXPECT_EQ(w.StatusPanels[3]->text(), QStringLiteral("第%1页").arg(w.BuffPaper->PageCount));
    EXPECT_EQ(w.TabSetPage->count(), w.BuffPaper->PageCount);
}

// "浏览指定页..." turns to the chosen page.
TEST_F(ReviewDialogsTest, SelectPageTurnsToTheChosenPage)
{
    TFrmPrintReview& w = Open();
    Answer<TFrmSelectPage>(w.ActionSelPage, [](TFrmSelectPage& d) {
        d.ComboBox1->setCurrentIndex(4);
        d.ComboBox1Change();
        d.LumButton1Click();
    });
    EXPECT_EQ(w.BuffPaper->CurrentPage, 5);
    EXPECT_EQ(w.StatusPanels[3]->text(), QStringLiteral("第5页"));
    EXPECT_EQ(w.TabSetPage->currentIndex(), 4);
}

// "打印..." prints the current page or a range through the PDF printer.
TEST_F(ReviewDialogsTest, PrintDialogPrintsCurrentPageAndRange)
{
    QTemporaryDir pdfs;
    QtPrinterHost host(pdfs.path());
    TFrmPrintReview& w = Open({}, &host);
    w.ActionNextPage->trigger();
    Answer<TFrmPrintDlg>(w.ActionSetPrint, [](TFrmPrintDlg& d) {
        d.RadioButton2->setChecked(true);
        d.LumButton1Click();
    });
    QStringList files = QDir(pdfs.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].contains(QStringLiteral("(2")));

    Answer<TFrmPrintDlg>(w.ActionSetPrint, [](TFrmPrintDlg& d) {
        d.RadioButton3->setChecked(true);
        d.RadioButton3Click();
        d.ComboBox1->setCurrentIndex(2);
        d.ComboBox2->setCurrentIndex(4);
        d.LumButton1Click();
    });
    files = QDir(pdfs.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files);
    EXPECT_EQ(files.size(), 1 + 3);
    EXPECT_EQ(w.BuffPaper->CurrentPage, 2);
    window_.reset();
}

} // namespace
} // namespace quillet::testing
