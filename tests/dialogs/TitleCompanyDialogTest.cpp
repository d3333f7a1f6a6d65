// The title and company dialogs: loading, what OK writes, cancelling, the
// empty-text messages, texts cut on a GBK character boundary and the
// company's unlock gesture.
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/LumButton.h"
#include "controls/LumEdit.h"
#include "controls/PickCombos.h"
#include "dialogs/DialogFrame.h"
#include "dialogs/SetCompany.h"
#include "dialogs/SetTitle.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

// The stored title, right alignment, dashed rule and an unlisted colour show
// in the controls.
TEST(TitleDialogTest, ShowsTheStoredTitleAndRule)
{
    ExampleDialogRig rig;
    rig.format.Title.Text.SetText(Gbk("三月份销售台账"));
    rig.format.Title.Align = 3;
    rig.format.TitleLine = { 4, {}, RgbColor(1, 2, 3) };
    TFrmSetTitle dialog(rig.Context());
    dialog.show();
    EXPECT_EQ(dialog.Edit_Title->text(), QStringLiteral("三月份销售台账"));
    EXPECT_TRUE(dialog.RadioButton_Right->isChecked());
    EXPECT_EQ(dialog.ComboBoxLine->currentText(), QStringLiteral("虚线"));
    EXPECT_EQ(dialog.ColorComboBoxLine->ColorValue(), RgbColor(1, 2, 3));
    EXPECT_FALSE(dialog.Confirmed);
}

// OK writes the title's text, alignment, rule style and rule colour and
// nothing else of the layout; a stored alignment of 0 becomes 2.
TEST(TitleDialogTest, OkWritesOnlyTheTitleFields)
{
    ExampleDialogRig rig;
    rig.format.Title.Align = 0;
    const TMyPrintFormat before = rig.format;
    TFrmSetTitle dialog(rig.Context());
    dialog.show();
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    TMyPrintFormat expected = before;
    expected.Title.Align = 2;
    EXPECT_TRUE(SameRecord(rig.format, expected));
    EXPECT_TRUE(dialog.Confirmed);
    EXPECT_FALSE(dialog.isVisible());

    TFrmSetTitle edit(rig.Context());
    edit.show();
    edit.Edit_Title->setText(QStringLiteral("年度汇总"));
    QTest::mouseClick(edit.RadioButton_Left, Qt::LeftButton);
    edit.ComboBoxLine->setCurrentIndex(5);
    edit.ColorComboBoxLine->SetColorValue(RgbColor(255, 0, 0));
    QTest::mouseClick(edit.LumButton1, Qt::LeftButton);
    expected.Title.Text.SetText(Gbk("年度汇总"));
    expected.Title.Align = 1;
    expected.TitleLine.Style = 5;
    expected.TitleLine.Color = RgbColor(255, 0, 0);
    EXPECT_TRUE(SameRecord(rig.format, expected));
    EXPECT_TRUE(rig.messages.shown.empty());
}

// Cancel, Esc and closing the window leave the layout as it was, whatever
// the controls were changed to.
TEST(TitleDialogTest, CancelEscAndCloseWriteNothing)
{
    ExampleDialogRig rig;
    const TMyPrintFormat before = rig.format;
    auto change = [](TFrmSetTitle& d) {
        d.Edit_Title->setText(QStringLiteral("别的标题"));
        d.RadioButton_Left->setChecked(true);
        d.ComboBoxLine->setCurrentIndex(0);
    };
    {
        TFrmSetTitle dialog(rig.Context());
        dialog.show();
        change(dialog);
        QTest::mouseClick(dialog.LumButton2, Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(dialog.Confirmed);
    }
    {
        TFrmSetTitle dialog(rig.Context());
        EXPECT_EQ(ExecWith(dialog,
                      [&] {
                          change(dialog);
                          QTest::keyClick(dialog.Edit_Title, Qt::Key_Escape);
                      }),
            QDialog::Rejected);
        EXPECT_FALSE(dialog.Confirmed);
    }
    {
        TFrmSetTitle dialog(rig.Context());
        dialog.show();
        change(dialog);
        dialog.close();
        EXPECT_FALSE(dialog.Confirmed);
    }
    EXPECT_TRUE(SameRecord(rig.format, before));
}

// An emptied title is refused with "请输入标题" under "提示"; the dialog
// stays open with the focus in the box and nothing is stored.
TEST(TitleDialogTest, EmptyTitleIsRefused)
{
    ExampleDialogRig rig;
    const TMyPrintFormat before = rig.format;
    TFrmSetTitle dialog(rig.Context());
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.Edit_Title->clear();
    dialog.LumButton1->setFocus();
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].caption, "提示");
    EXPECT_EQ(rig.messages.shown[0].text, "请输入标题");
    EXPECT_EQ(rig.messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.Confirmed);
    EXPECT_EQ(QApplication::focusWidget(), dialog.Edit_Title);
    EXPECT_TRUE(SameRecord(rig.format, before));
}

// A title longer than 200 bytes is cut on a character boundary: one ASCII
// letter and 100 Chinese characters keep 199 bytes, never a half character.
TEST(TitleDialogTest, LongTitleIsCutOnACharacterBoundary)
{
    ExampleDialogRig rig;
    TFrmSetTitle dialog(rig.Context());
    dialog.show();
    dialog.Edit_Title->setText(QStringLiteral("A") + QString(100, QChar(0x8D26))); // 账
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    EXPECT_EQ(rig.format.Title.Text.Length, 199);
    EXPECT_EQ(rig.format.Title.Text.Text(), "A" + Utf8ToGbk(QString(99, QChar(0x8D26)).toStdString()));
}

// A title whose bytes are no valid GBK and a rule style the list does not
// know come back unchanged when the user only changes the alignment.
TEST(TitleDialogTest, UntouchedOddBytesAndStyleSurviveOk)
{
    ExampleDialogRig rig;
    const std::string odd = std::string("Q3 ") + '\x81' + '\x20' + "end";
    rig.format.Title.Text.SetText(odd);
    rig.format.TitleLine.Style = 9;
    TFrmSetTitle dialog(rig.Context());
    dialog.show();
    EXPECT_EQ(dialog.ComboBoxLine->currentIndex(), -1);
    QTest::mouseClick(dialog.RadioButton_Left, Qt::LeftButton);
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    EXPECT_EQ(rig.format.Title.Text.Text(), odd);
    EXPECT_EQ(rig.format.TitleLine.Style, 9);
    EXPECT_EQ(rig.format.Title.Align, 1);
}

// The company dialog opens with its box locked; OK still stores the company
// fields, and only those.
TEST(CompanyDialogTest, LockedBoxStillStoresTheCompanyOnOk)
{
    ExampleDialogRig rig;
    rig.format.CompanyLine = { 1, {}, RgbColor(0, 0, 128) };
    const TMyPrintFormat before = rig.format;
    TFrmSetCompany dialog(rig.Context());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("修改公司"));
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("公司："));
    EXPECT_FALSE(dialog.Edit_Company->isEnabled());
    EXPECT_EQ(dialog.Edit_Company->text(), FromGbk(before.Company.Text.Text()));
    EXPECT_EQ(dialog.ComboBoxLine->currentText(), QStringLiteral("单线"));
    QTest::mouseClick(dialog.RadioButton_Right, Qt::LeftButton);
    dialog.ComboBoxLine->setCurrentIndex(3);
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    TMyPrintFormat expected = before;
    expected.Company.Align = 3;
    expected.CompanyLine.Style = 3;
    EXPECT_TRUE(SameRecord(rig.format, expected));
    EXPECT_TRUE(dialog.Confirmed);
}

// Double-clicking "公司：" without Ctrl does nothing; with Ctrl held it
// unlocks the box and a second Ctrl double click locks it again; releasing
// Ctrl away from the box disarms the gesture.
TEST(CompanyDialogTest, CtrlDoubleClickTogglesTheLock)
{
    ExampleDialogRig rig;
    TFrmSetCompany dialog(rig.Context());
    dialog.show();
    QTest::mouseDClick(dialog.Label1, Qt::LeftButton);
    EXPECT_FALSE(dialog.Edit_Company->isEnabled());

    QTest::keyPress(dialog.ComboBoxLine, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(dialog.Unlock());
    QTest::mouseDClick(dialog.Label1, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(dialog.Edit_Company->isEnabled());
    QTest::mouseDClick(dialog.Label1, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(dialog.Edit_Company->isEnabled());

    QTest::keyRelease(dialog.ComboBoxLine, Qt::Key_Control);
    EXPECT_FALSE(dialog.Unlock());
    QTest::mouseDClick(dialog.Label1, Qt::LeftButton);
    EXPECT_FALSE(dialog.Edit_Company->isEnabled());

    // Ctrl pressed while Shift or Alt is already held does not arm it.
    QTest::keyPress(&dialog, Qt::Key_Control, Qt::ShiftModifier);
    EXPECT_FALSE(dialog.Unlock());
    QTest::keyPress(&dialog, Qt::Key_Control, Qt::AltModifier);
    EXPECT_FALSE(dialog.Unlock());
}

// An empty company name with the box locked is refused with
// "请输入公司名称"; once unlocked a name can be typed and stored.
TEST(CompanyDialogTest, EmptyNameIsRefusedUntilOneIsTyped)
{
    ExampleDialogRig rig;
    rig.format.Company.Text.Clear();
    const TMyPrintFormat before = rig.format;
    TFrmSetCompany dialog(rig.Context());
    dialog.show();
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].caption, "提示");
    EXPECT_EQ(rig.messages.shown[0].text, "请输入公司名称");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(SameRecord(rig.format, before));

    QTest::keyPress(&dialog, Qt::Key_Control, Qt::ControlModifier);
    QTest::mouseDClick(dialog.Label1, Qt::LeftButton, Qt::ControlModifier);
    QTest::keyRelease(&dialog, Qt::Key_Control);
    ASSERT_TRUE(dialog.Edit_Company->isEnabled());
    QTest::keyClicks(dialog.Edit_Company, QStringLiteral("Acme"));
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    EXPECT_EQ(rig.format.Company.Text.Text(), "Acme");
    EXPECT_TRUE(dialog.Confirmed);
}

} // namespace
} // namespace quillet::test
