// The row and column dialogs: rows per block with its range, the uniform row
// height with its key filter and refusals, and the two restore lists.
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/LumButton.h"
#include "controls/LumEdit.h"
#include "controls/NumSpin.h"
#include "dialogs/EditColWidth.h"
#include "dialogs/EditRowHeight.h"
#include "dialogs/SetRowCount.h"
#include "dialogs/UnitSetAllRowHeight.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

// With three heading rows the range reads (4...500); a typed 2 is stored as
// 4, a typed 900 confirmed with Enter as 500, and nothing else changes.
TEST(RowCountDialogTest, StoresTheCountInsideItsRange)
{
    ExampleDialogRig rig;
    rig.format.HeadRowCount = 3;
    rig.format.RowCount = 32;
    const TMyPrintFormat before = rig.format;
    {
        TFrmSetRowCount dialog(rig.Context());
        dialog.show();
        EXPECT_EQ(dialog.Label_Range->text(), QStringLiteral("(4...500)"));
        EXPECT_EQ(dialog.NumSpinEditRow->Value(), 32);
        EXPECT_EQ(dialog.NumSpinEditRow->MinValue(), 4);
        EXPECT_EQ(dialog.NumSpinEditRow->MaxValue(), 500);
        dialog.NumSpinEditRow->setText(QStringLiteral("2"));
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        EXPECT_TRUE(dialog.Confirmed);
    }
    TMyPrintFormat expected = before;
    expected.RowCount = 4;
    EXPECT_TRUE(SameRecord(rig.format, expected));

    TFrmSetRowCount dialog(rig.Context());
    EXPECT_EQ(ExecWith(dialog,
                  [&] {
                      dialog.NumSpinEditRow->setFocus();
                      dialog.NumSpinEditRow->selectAll();
                      QTest::keyClicks(dialog.NumSpinEditRow, QStringLiteral("900"));
                      QTest::keyClick(dialog.NumSpinEditRow, Qt::Key_Return);
                  }),
        QDialog::Accepted);
    EXPECT_EQ(rig.format.RowCount, 500);
}

// Cancel and Esc keep the count; heading rows filling all 500 rows give the
// range (500...500) rather than a lower bound above the upper one.
TEST(RowCountDialogTest, CancelKeepsTheCountAndFullHeadingsStayInRange)
{
    ExampleDialogRig rig;
    const TMyPrintFormat before = rig.format;
    TFrmSetRowCount dialog(rig.Context());
    EXPECT_EQ(ExecWith(dialog,
                  [&] {
                      dialog.NumSpinEditRow->setText(QStringLiteral("40"));
                      QTest::keyClick(dialog.NumSpinEditRow, Qt::Key_Escape);
                  }),
        QDialog::Rejected);
    EXPECT_FALSE(dialog.Confirmed);
    EXPECT_TRUE(SameRecord(rig.format, before));

    rig.format.HeadRowCount = 600;
    TFrmSetRowCount full(rig.Context());
    full.show();
    EXPECT_EQ(full.Label_Range->text(), QStringLiteral("(500...500)"));
    QTest::mouseClick(full.LumButton1, Qt::LeftButton);
    EXPECT_EQ(rig.format.RowCount, 500);
}

// Heights 1 and 51 are refused with "数值范围不符合要求", an empty box with
// the program's own conversion message; the dialog stays open and nothing
// changes.
TEST(AllRowHeightDialogTest, RefusesHeightsOutsideTwoToFifty)
{
    ExampleDialogRig rig;
    const TMyPrintFormat before = rig.format;
    TFrmSetAllRowHeight dialog(rig.Context());
    dialog.show();
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("5"));
    EXPECT_EQ(dialog.Edit1->maxLength(), 2);
    for (const char* typed : { "1", "51", "0", "" }) {
        dialog.Edit1->setText(QString::fromUtf8(typed));
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible()) << typed;
    }
    ASSERT_EQ(rig.messages.shown.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rig.messages.shown[i].caption, "打印预览窗体");
        EXPECT_EQ(rig.messages.shown[i].text, "数值范围不符合要求");
    }
    EXPECT_EQ(rig.messages.shown[3].caption, "打印预览窗体");
    EXPECT_EQ(rig.messages.shown[3].text, "“”不是有效的整数值");
    EXPECT_FALSE(dialog.Confirmed);
    EXPECT_TRUE(SameRecord(rig.format, before));
}

// 2 and 50 are accepted; every row of the block, hidden ones included, gets
// the height and rows past the block keep theirs.
TEST(AllRowHeightDialogTest, SetsEveryRowOfTheBlockIncludingHiddenOnes)
{
    for (int height : { 2, 50 }) {
        ExampleDialogRig rig;
        rig.format.RowHeight[3] = 0;
        rig.format.RowHeight[rig.format.RowCount + 1] = 9;
        const TMyPrintFormat before = rig.format;
        TFrmSetAllRowHeight dialog(rig.Context());
        dialog.show();
        dialog.Edit1->setText(QString::number(height));
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        EXPECT_TRUE(dialog.Confirmed);
        EXPECT_FALSE(dialog.isVisible());
        TMyPrintFormat expected = before;
        for (int row = 1; row <= before.RowCount; ++row)
            expected.RowHeight[row] = static_cast<std::uint8_t>(height);
        EXPECT_TRUE(SameRecord(rig.format, expected)) << height;
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

// Only digits can be typed: letters, signs and Backspace are discarded,
// Delete still erases; Enter and Esc neither confirm nor close.
TEST(AllRowHeightDialogTest, KeyFilterAndNoDialogKeys)
{
    ExampleDialogRig rig;
    const TMyPrintFormat before = rig.format;
    TFrmSetAllRowHeight dialog(rig.Context());
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.Edit1->setFocus();
    dialog.Edit1->clear();
    QTest::keyClicks(dialog.Edit1, QStringLiteral("a-1"));
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("1"));
    QTest::keyClick(dialog.Edit1, Qt::Key_Backspace);
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("1"));
    QTest::keyClicks(dialog.Edit1, QStringLiteral("23"));
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("12"));
    QTest::keyClick(dialog.Edit1, Qt::Key_Home);
    // The X server gives Delete the character DEL.
    QTest::sendKeyEvent(QTest::Click, dialog.Edit1, Qt::Key_Delete, QString(QChar(0x7F)), Qt::NoModifier);
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("2"));
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    QTest::keyClick(dialog.Edit1, Qt::Key_Escape);
    QTest::keyClick(dialog.LumButton1, Qt::Key_Return);
    QTest::keyClick(dialog.LumButton2, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.Confirmed);
    EXPECT_TRUE(SameRecord(rig.format, before));
    QTest::mouseClick(dialog.LumButton2, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(SameRecord(rig.format, before));
}

// In a 20-column table with columns 3 and 12 hidden the list reads 第3列,
// 第12列; restoring 第12列 makes it 10 mm wide and leaves column 3 hidden.
TEST(RestoreDialogsTest, RestoresTheChosenHiddenColumn)
{
    ExampleDialogRig rig;
    rig.format.ColCount = 20;
    for (int col = 1; col <= 20; ++col)
        rig.format.ColWidth[col] = 15;
    rig.format.ColWidth[3] = 0;
    rig.format.ColWidth[12] = 0;
    rig.format.ColWidth[21] = 0; // past the table: never listed
    const TMyPrintFormat before = rig.format;
    TFrmEditColWidth dialog(rig.Context());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("恢复列宽"));
    ASSERT_EQ(dialog.ComboBoxCol->count(), 2);
    EXPECT_EQ(dialog.ComboBoxCol->itemText(0), QStringLiteral("第3列"));
    EXPECT_EQ(dialog.ComboBoxCol->itemText(1), QStringLiteral("第12列"));
    EXPECT_EQ(dialog.ComboBoxCol->currentIndex(), 0);
    dialog.ComboBoxCol->setCurrentIndex(1);
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    EXPECT_TRUE(dialog.Confirmed);
    TMyPrintFormat expected = before;
    expected.ColWidth[12] = 10;
    EXPECT_TRUE(SameRecord(rig.format, expected));
}

// A hidden row comes back 5 mm high; with nothing hidden the list is empty
// and OK still confirms without changing anything; cancel confirms nothing.
TEST(RestoreDialogsTest, RowsAndTheEmptyListAndCancel)
{
    ExampleDialogRig rig;
    rig.format.RowHeight[2] = 0;
    TMyPrintFormat expected = rig.format;
    {
        TFrmEditRowHeight dialog(rig.Context());
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("恢复行高"));
        ASSERT_EQ(dialog.ComboBoxRow->count(), 1);
        EXPECT_EQ(dialog.ComboBoxRow->itemText(0), QStringLiteral("第2行"));
        QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
        EXPECT_TRUE(dialog.Confirmed);
    }
    expected.RowHeight[2] = 5;
    EXPECT_TRUE(SameRecord(rig.format, expected));

    TFrmEditColWidth none(rig.Context());
    none.show();
    EXPECT_EQ(none.ComboBoxCol->count(), 0);
    QTest::mouseClick(none.LumButton1, Qt::LeftButton);
    EXPECT_TRUE(none.Confirmed);
    EXPECT_TRUE(SameRecord(rig.format, expected));

    rig.format.RowHeight[4] = 0;
    expected = rig.format;
    TFrmEditRowHeight cancelled(rig.Context());
    EXPECT_EQ(ExecWith(cancelled, [&] { QTest::keyClick(cancelled.ComboBoxRow, Qt::Key_Escape); }),
        QDialog::Rejected);
    EXPECT_FALSE(cancelled.Confirmed);
    EXPECT_TRUE(SameRecord(rig.format, expected));
}

} // namespace
} // namespace quillet::test
