// The print and page-selection dialogs: the page lists, the three print
// choices and their range controls, the jobs printed through the engine
// (counted with their titles on a fake printer), and the changed flag of
// page selection.
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/LumButton.h"
#include "controls/PageProgress.h"
#include "dialogs/PrintDlg.h"
#include "dialogs/SelectPage.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

std::vector<std::string> JobTitles(const FakePrinterHost& host)
{
    std::vector<std::string> titles;
    for (const FakeJob& job : host.jobs) {
        EXPECT_TRUE(job.ended && !job.aborted);
        titles.push_back(GbkToUtf8(job.title));
    }
    return titles;
}

std::vector<std::string> Titles(const ExampleDialogRig& rig, int first, int last)
{
    std::vector<std::string> titles;
    for (int page = first; page <= last; ++page)
        titles.push_back(GbkToUtf8(rig.format.Title.Text.Text()) + "(" + std::to_string(page) + "/"
            + std::to_string(rig.buffer.PageCount) + ")");
    return titles;
}

// The lists hold 第1页 .. 第n页 with page 1 chosen and start disabled; only
// "打印指定页" enables them, and switching away keeps their entries.
TEST(PrintDialogTest, PageListsAndTheirEnabledState)
{
    ExampleDialogRig rig;
    ASSERT_TRUE(rig.started);
    const int pages = rig.buffer.PageCount;
    ASSERT_GE(pages, 5);
    TFrmPrintDlg dialog(rig.Context());
    dialog.show();
    for (QComboBox* list : { dialog.ComboBox1, dialog.ComboBox2 }) {
        ASSERT_EQ(list->count(), pages);
        EXPECT_EQ(list->itemText(0), QStringLiteral("第1页"));
        EXPECT_EQ(list->itemText(pages - 1), QStringLiteral("第%1页").arg(pages));
        EXPECT_EQ(list->currentIndex(), 0);
    }
    EXPECT_TRUE(dialog.RadioButton1->isChecked());
    auto rangeEnabled = [&] {
        const bool on = dialog.ComboBox1->isEnabled();
        EXPECT_EQ(dialog.Label1->isEnabled(), on);
        EXPECT_EQ(dialog.Label2->isEnabled(), on);
        EXPECT_EQ(dialog.ComboBox2->isEnabled(), on);
        return on;
    };
    EXPECT_FALSE(rangeEnabled());
    QTest::mouseClick(dialog.RadioButton3, Qt::LeftButton);
    EXPECT_TRUE(rangeEnabled());
    dialog.ComboBox1->setCurrentIndex(3);
    dialog.ComboBox2->setCurrentIndex(1);
    QTest::mouseClick(dialog.RadioButton2, Qt::LeftButton);
    EXPECT_FALSE(rangeEnabled());
    QTest::mouseClick(dialog.RadioButton3, Qt::LeftButton);
    EXPECT_TRUE(rangeEnabled());
    EXPECT_EQ(dialog.ComboBox1->currentIndex(), 3);
    EXPECT_EQ(dialog.ComboBox2->currentIndex(), 1);
    EXPECT_TRUE(rig.printerHost.jobs.empty());
}

// All pages, the current page, and a range chosen from 第5页 to 第2页 print
// one job per page in page order, titled "title(page/count)", and leave the
// current page where it was.
TEST(PrintDialogTest, EachChoicePrintsItsPages)
{
    ExampleDialogRig rig;
    ASSERT_TRUE(rig.started);
    const int pages = rig.buffer.PageCount;
    rig.buffer.CurrentPage = 3;
    {
        TFrmPrintDlg dialog(rig.Context());
        dialog.show();
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        EXPECT_TRUE(dialog.Confirmed);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(JobTitles(rig.printerHost), Titles(rig, 1, pages));
    }
    rig.printerHost.jobs.clear();
    {
        TFrmPrintDlg dialog(rig.Context());
        dialog.show();
        QTest::mouseClick(dialog.RadioButton2, Qt::LeftButton);
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        EXPECT_EQ(JobTitles(rig.printerHost), Titles(rig, 3, 3));
    }
    rig.printerHost.jobs.clear();
    {
        TFrmPrintDlg dialog(rig.Context());
        EXPECT_EQ(ExecWith(dialog,
                      [&] {
                          QTest::mouseClick(dialog.RadioButton3, Qt::LeftButton);
                          dialog.ComboBox1->setCurrentIndex(4);
                          dialog.ComboBox2->setCurrentIndex(1);
                          QTest::keyClick(dialog.ComboBox2, Qt::Key_Return);
                      }),
            QDialog::Accepted);
        EXPECT_EQ(JobTitles(rig.printerHost), Titles(rig, 2, 5));
    }
    EXPECT_EQ(rig.buffer.CurrentPage, 3);
    EXPECT_TRUE(rig.messages.shown.empty());
}

// With a single page both lists hold only 第1页 and every choice prints
// page 1 once.
TEST(PrintDialogTest, OnePagePrintsPageOneWhateverTheChoice)
{
    ExampleDialogRig rig;
    rig.buffer.PageCount = 1;
    rig.buffer.CurrentPage = 1;
    for (int choice = 0; choice < 3; ++choice) {
        rig.printerHost.jobs.clear();
        TFrmPrintDlg dialog(rig.Context());
        dialog.show();
        EXPECT_EQ(dialog.ComboBox1->count(), 1);
        EXPECT_EQ(dialog.ComboBox2->count(), 1);
        QRadioButton* buttons[] = { dialog.RadioButton1, dialog.RadioButton2, dialog.RadioButton3 };
        QTest::mouseClick(buttons[choice], Qt::LeftButton);
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        EXPECT_EQ(JobTitles(rig.printerHost), Titles(rig, 1, 1)) << choice;
    }
}

// Cancel and Esc print nothing.
TEST(PrintDialogTest, CancelAndEscPrintNothing)
{
    ExampleDialogRig rig;
    TFrmPrintDlg dialog(rig.Context());
    dialog.show();
    QTest::mouseClick(dialog.LumButton2, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    TFrmPrintDlg second(rig.Context());
    EXPECT_EQ(
        ExecWith(second, [&] { QTest::keyClick(second.RadioButton1, Qt::Key_Escape); }), QDialog::Rejected);
    EXPECT_TRUE(rig.printerHost.jobs.empty());
    EXPECT_FALSE(second.Confirmed);
}

// A printing system that refuses the job gives the engine's message under
// the program's title, closes the dialog, and the current page stays the
// one the preview shows.
TEST(PrintDialogTest, RefusedJobIsReportedAndTheCurrentPageKept)
{
    ExampleDialogRig rig;
    rig.printerHost.refuseJobs = true;
    rig.buffer.CurrentPage = 2;
    TFrmPrintDlg dialog(rig.Context());
    dialog.show();
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Confirmed);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].caption, "打印预览窗体");
    EXPECT_EQ(rig.messages.shown[0].text, "无法开始打印作业");
    EXPECT_EQ(rig.buffer.CurrentPage, 2);
}

// A run of all five pages cancelled from its progress box before page 3 has
// sent exactly two whole jobs and says so; one stopped by the printing system
// before page 3 gives its error and the pages sent, also when the printer takes
// each job while the next page is drawn and page 2 fails on its way. Either
// way the current page stays and the box is gone.
TEST(PrintDialogTest, CancelledOrFailedRunTellsThePagesSent)
{
    const struct {
        const char* what;
        bool cancel;
        bool sendsAhead;
        int refused; // the job (from 0) the printer refuses to begin; -1 none
        int failSent; // the job (from 0) that fails on its way; -1 none
        int jobs;
        const char* caption;
        const char* text;
    } cases[] = {
        { "cancelled", true, false, -1, -1, 2, "提示", "打印已取消，已送出2页，共5页。" },
        { "refused", false, false, 2, -1, 2, "打印预览窗体", "无法开始打印作业\n已送出2页，共5页。" },
        { "sent ahead, cancelled", true, true, -1, -1, 2, "提示", "打印已取消，已送出2页，共5页。" },
        { "sent ahead, page 2 fails", false, true, -1, 1, 3, "打印预览窗体",
            "打印作业没有正常结束\n已送出1页，共5页。" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExampleDialogRig rig;
        ASSERT_EQ(rig.buffer.PageCount, 5);
        rig.buffer.CurrentPage = 4;
        DialogContext context = rig.Context();
        int asked = 0;
        TPageProgress* seen = nullptr;
        context.progress = [&](TPageProgress& box) {
            seen = &box;
            EXPECT_TRUE(box.isVisible());
            if (++asked == 3 && c.cancel)
                QTest::mouseClick(box.CancelButton, Qt::LeftButton);
        };
        rig.printerHost.sendsAhead = c.sendsAhead;
        rig.printerHost.failSent = c.failSent;
        rig.printerHost.beforeJob
            = [&](std::size_t job) { rig.printerHost.refuseJobs = static_cast<int>(job) + 1 == c.refused; };
        TFrmPrintDlg dialog(context);
        dialog.show();
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        if (c.failSent < 0) {
            EXPECT_EQ(JobTitles(rig.printerHost), Titles(rig, 1, 2));
        }
        EXPECT_EQ(static_cast<int>(rig.printerHost.jobs.size()), c.jobs);
        EXPECT_EQ(asked, 3);
        ASSERT_NE(seen, nullptr);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(dialog.findChildren<TPageProgress*>().isEmpty());
        ASSERT_EQ(rig.messages.shown.size(), 1u);
        EXPECT_EQ(rig.messages.shown[0].caption, c.caption);
        EXPECT_EQ(rig.messages.shown[0].text, c.text);
        EXPECT_EQ(rig.buffer.CurrentPage, 4);
    }
}

// The list opens on the current page; OK without touching it keeps the page
// and reports no change; picking another page and OK turns to it.
TEST(SelectPageDialogTest, OpensOnTheCurrentPageAndTurnsOnlyWhenPicked)
{
    ExampleDialogRig rig;
    ASSERT_GE(rig.buffer.PageCount, 4);
    rig.buffer.CurrentPage = 2;
    {
        TFrmSelectPage dialog(rig.Context());
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("选择指定页"));
        EXPECT_EQ(dialog.ComboBox1->count(), rig.buffer.PageCount);
        EXPECT_EQ(dialog.ComboBox1->currentText(), QStringLiteral("第2页"));
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        EXPECT_FALSE(dialog.Changed);
        EXPECT_EQ(rig.buffer.CurrentPage, 2);
    }
    TFrmSelectPage dialog(rig.Context());
    EXPECT_EQ(ExecWith(dialog,
                  [&] {
                      QTest::keyClick(dialog.ComboBox1, Qt::Key_Down);
                      QTest::keyClick(dialog.ComboBox1, Qt::Key_Down);
                      QTest::keyClick(dialog.ComboBox1, Qt::Key_Return);
                  }),
        QDialog::Accepted);
    EXPECT_TRUE(dialog.Changed);
    EXPECT_EQ(rig.buffer.CurrentPage, 4);
}

// Picking another page and cancelling keeps the page and clears the flag.
TEST(SelectPageDialogTest, CancelAfterPickingKeepsThePage)
{
    ExampleDialogRig rig;
    rig.buffer.CurrentPage = 1;
    TFrmSelectPage dialog(rig.Context());
    dialog.show();
    QTest::keyClick(dialog.ComboBox1, Qt::Key_Down);
    EXPECT_TRUE(dialog.Changed);
    QTest::mouseClick(dialog.LumButton2, Qt::LeftButton);
    EXPECT_FALSE(dialog.Changed);
    EXPECT_EQ(rig.buffer.CurrentPage, 1);
}

} // namespace
} // namespace quillet::test
