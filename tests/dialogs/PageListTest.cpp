// The page lists of a report of any length: a bounded list that still reaches
// every page, and page numbers typed into the page-selection and print dialogs.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/LumButton.h"
#include "dialogs/PageList.h"
#include "dialogs/PrintDlg.h"
#include "dialogs/SelectPage.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

constexpr int kHuge = 320'000'000;
constexpr int kMostEntries = 2 * TPageList::kNeighbours + 3;

// Types text over the list's text, as an input method hands it over.
void Type(TPageList& list, const QString& text)
{
    list.lineEdit()->selectAll();
    QKeyEvent press(
        QEvent::KeyPress, text.isEmpty() ? Qt::Key_Delete : Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(list.lineEdit(), &press);
}

// A 320-million-page report lists a bounded stretch of pages that opens on
// the chosen page, keeps the first and last, and follows the arrow keys.
TEST(PageListTest, HugeReportListsAStretchThatFollowsTheChoice)
{
    TPageList list;
    list.SetPages(kHuge, 160'000'000);
    EXPECT_LE(list.count(), kMostEntries);
    EXPECT_EQ(list.currentText(), QStringLiteral("第160000000页"));
    EXPECT_EQ(list.itemText(0), QStringLiteral("第1页"));
    EXPECT_EQ(list.itemText(list.count() - 1), QStringLiteral("第320000000页"));
    for (int i = 0; i < 3 * TPageList::kNeighbours; ++i)
        QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.currentText(), QStringLiteral("第%1页").arg(160'000'000 + 3 * TPageList::kNeighbours));
    EXPECT_LE(list.count(), kMostEntries);
    list.ChoosePage(kHuge);
    EXPECT_EQ(list.TypedPage(), kHuge);
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(list.TypedPage(), kHuge - 1);
    // A short report still lists every page.
    list.SetPages(TPageList::kFullListPages, 3);
    EXPECT_EQ(list.count(), TPageList::kFullListPages);
    EXPECT_EQ(list.currentIndex(), 2);
}

// Typed numbers, bare, as "第n页" or in full-width digits, turn to that page;
// text that is no number or names no page is refused in a message and the
// dialog stays open on the page it had.
TEST(PageListTest, SelectPageTakesATypedNumber)
{
    struct Case {
        const char* typed;
        int page; // 0: refused
        const char* message;
    };
    const Case cases[] = {
        { "319999999", 319'999'999, "" },
        { "第8页", 8, "" },
        { " 9 ", 9, "" },
        { "１０", 10, "" },
        { "0", 0, "没有第0页，请输入1到320000000之间的页号" },
        { "320000001", 0, "没有第320000001页，请输入1到320000000之间的页号" },
        { "99999999999999", 0, "没有第99999999999999页，请输入1到320000000之间的页号" },
        { "第x页", 0, "“第x页”不是有效的整数值" },
        { "", 0, "“”不是有效的整数值" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ExampleDialogRig rig;
        rig.buffer.PageCount = kHuge;
        rig.buffer.CurrentPage = 2;
        TFrmSelectPage dialog(rig.Context());
        dialog.show();
        Type(*dialog.ComboBox1, QString::fromUtf8(c.typed));
        EXPECT_TRUE(dialog.Changed);
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        if (c.page > 0) {
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(rig.buffer.CurrentPage, c.page);
            EXPECT_TRUE(rig.messages.shown.empty());
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(rig.buffer.CurrentPage, 2);
            ASSERT_EQ(rig.messages.shown.size(), 1u);
            EXPECT_EQ(rig.messages.shown[0].text, c.message);
        }
    }
}

// A range typed into the print dialog prints it in order; a range end beyond
// the report prints nothing and keeps the dialog open.
TEST(PageListTest, PrintDialogTakesATypedRange)
{
    ExampleDialogRig rig;
    const int pages = rig.buffer.PageCount;
    TFrmPrintDlg dialog(rig.Context());
    dialog.show();
    QTest::mouseClick(dialog.RadioButton3, Qt::LeftButton);
    Type(*dialog.ComboBox1, QStringLiteral("%1").arg(pages + 1));
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_TRUE(rig.printerHost.jobs.empty());
    Type(*dialog.ComboBox1, QStringLiteral("3"));
    Type(*dialog.ComboBox2, QStringLiteral("第2页"));
    EXPECT_EQ(dialog.ChosenPages(), std::make_pair(2, 3));
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(rig.printerHost.jobs.size(), 2u);
}

} // namespace
} // namespace quillet::test
