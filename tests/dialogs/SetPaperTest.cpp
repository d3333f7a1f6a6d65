// The page setup dialog on the example report: what it shows, what OK
// writes into the layout (and what it leaves alone), cancel, and the drawn
// sample page.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/LumButton.h"
#include "controls/NumSpin.h"
#include "controls/SystemColors.h"
#include "dialogs/SetPaper.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

// Replaces the text of a box as the user would: select all, type.
void Retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// The paper label gives length then width of the laid-out sheet and the
// orientation follows the printer; OK is the default button, cancel answers Esc.
TEST(SetPaperTest, PaperTextsAndButtons)
{
    ExampleDialogRig rig;
    {
        TFrmSetPaper dialog(rig.Context());
        EXPECT_EQ(dialog.size(), QSize(426, 301));
        EXPECT_EQ(dialog.Label11->text(), QStringLiteral("长300毫米    宽210毫米"));
        EXPECT_EQ(dialog.Label14->text(), QStringLiteral("纵向"));
        EXPECT_TRUE(dialog.LumButton1->isDefault());
        EXPECT_TRUE(dialog.LumButton2->Cancel());
        EXPECT_FALSE(dialog.Confirmed);
    }
    rig.printer.Orientation = 2;
    rig.buffer.PageWidth = 300;
    rig.buffer.PageHeight = 210;
    TFrmSetPaper dialog(rig.Context());
    EXPECT_EQ(dialog.Label11->text(), QStringLiteral("长210毫米    宽300毫米"));
    EXPECT_EQ(dialog.Label14->text(), QStringLiteral("横向"));
}

// Showing loads every control from the layout: a stored switch of 2 shows
// unticked, a margin above 99 shows 99, and the gap controls follow
// "一张纸放多个表格" when shown and when clicked.
TEST(SetPaperTest, ShowLoadsControlsAndGapEnabling)
{
    ExampleDialogRig rig;
    rig.format.MarginTop = 12;
    rig.format.MarginBottom = 150;
    rig.format.MarginLeft = 0;
    rig.format.MarginRight = 7;
    rig.format.TableGap = 33;
    rig.format.TableGapLine = 1;
    rig.format.PrintTitle = 2;
    rig.format.KeepEmptyGrid = 0;
    rig.format.MultiTables = 0;
    TFrmSetPaper dialog(rig.Context());
    dialog.show();
    EXPECT_EQ(dialog.NumSpinEdit1->text(), QStringLiteral("12"));
    EXPECT_EQ(dialog.NumSpinEdit2->text(), QStringLiteral("99"));
    EXPECT_EQ(dialog.NumSpinEdit3->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog.NumSpinEdit4->text(), QStringLiteral("7"));
    EXPECT_EQ(dialog.NumSpinEdit5->text(), QStringLiteral("33"));
    EXPECT_TRUE(dialog.CheckBoxCompany->isChecked());
    EXPECT_FALSE(dialog.CheckBoxTitle->isChecked());
    EXPECT_FALSE(dialog.CheckBox2->isChecked());
    EXPECT_TRUE(dialog.CheckBox1->isChecked());
    EXPECT_TRUE(dialog.CheckBox4->isChecked());

    const auto gapControls
        = { static_cast<QWidget*>(dialog.NumSpinEdit5), static_cast<QWidget*>(dialog.CheckBox4),
              static_cast<QWidget*>(dialog.LabelGap), static_cast<QWidget*>(dialog.LabelGapUnit) };
    for (QWidget* w : gapControls)
        EXPECT_FALSE(w->isEnabled());
    dialog.PageControl1->setCurrentIndex(1);
    QTest::mouseClick(dialog.CheckBox3, Qt::LeftButton);
    ASSERT_TRUE(dialog.CheckBox3->isChecked());
    for (QWidget* w : gapControls)
        EXPECT_TRUE(w->isEnabled());
    QTest::mouseClick(dialog.CheckBox3, Qt::LeftButton);
    for (QWidget* w : gapControls)
        EXPECT_FALSE(w->isEnabled());
    dialog.reject();
}

// OK without changes still confirms, and writes back only what the dialog
// owns: switches that held 2 become 0, nothing else of the record moves.
TEST(SetPaperTest, OkWithoutChangesConfirmsAndNormalisesSwitches)
{
    ExampleDialogRig rig;
    rig.format.PrintPageFoot = 2;
    rig.format.NegativeRed = 7;
    const TMyPrintFormat before = rig.format;
    TFrmSetPaper dialog(rig.Context());
    dialog.show();
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    EXPECT_TRUE(dialog.Confirmed);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    TMyPrintFormat expected = before;
    expected.PrintPageFoot = 0;
    expected.NegativeRed = 0;
    EXPECT_TRUE(rig.format == expected);
    EXPECT_TRUE(rig.messages.shown.empty());
}

// OK stores margins as whole millimetres in 0..99 and the switches; with
// "一张纸放多个表格" unticked the stored gap and rule switch keep their
// values, whatever the greyed boxes say.
TEST(SetPaperTest, OkStoresMarginsAndSwitchesButNotAGreyedGap)
{
    ExampleDialogRig rig;
    rig.format.MultiTables = 1;
    rig.format.TableGap = 15;
    rig.format.TableGapLine = 0;
    const TMyPrintFormat before = rig.format;
    TFrmSetPaper dialog(rig.Context());
    dialog.show();
    Retype(dialog.NumSpinEdit1, QStringLiteral("40"));
    Retype(dialog.NumSpinEdit3, QStringLiteral("5"));
    dialog.NumSpinEdit2->setText(QStringLiteral("-")); // reads as no number: 0
    dialog.NumSpinEdit4->setText(QStringLiteral("-7")); // below the range: 0
    dialog.NumSpinEdit5->SetValue(60);
    dialog.CheckBox4->setChecked(true);
    dialog.CheckBox3->setChecked(false);
    dialog.CheckBoxHead->setChecked(false);
    dialog.CheckBox2->setChecked(false);
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    ASSERT_TRUE(dialog.Confirmed);
    TMyPrintFormat expected = before;
    expected.MarginTop = 40;
    expected.MarginLeft = 5;
    expected.MarginBottom = 0;
    expected.MarginRight = 0;
    expected.MultiTables = 0;
    expected.PrintPageHead = 0;
    expected.KeepEmptyGrid = 0;
    EXPECT_TRUE(rig.format == expected);
}

// With several tables on a sheet, a gap of 250 typed and confirmed with
// Enter in the gap box is stored as 99, and the rule switch is stored.
TEST(SetPaperTest, EnterInTheGapBoxStoresTheGapBroughtIntoRange)
{
    ExampleDialogRig rig;
    rig.format.MultiTables = 1;
    rig.format.TableGapLine = 0;
    const TMyPrintFormat before = rig.format;
    TFrmSetPaper dialog(rig.Context());
    ExecWith(dialog, [&dialog] {
        dialog.PageControl1->setCurrentIndex(1);
        dialog.CheckBox4->setChecked(true);
        dialog.NumSpinEdit5->setFocus();
        Retype(dialog.NumSpinEdit5, QStringLiteral("250"));
        QTest::keyClick(dialog.NumSpinEdit5, Qt::Key_Return);
    });
    ASSERT_TRUE(dialog.Confirmed);
    TMyPrintFormat expected = before;
    expected.TableGap = 99;
    expected.TableGapLine = 1;
    EXPECT_TRUE(rig.format == expected);
}

// Esc and the cancel button close without touching the layout, even after
// every box was changed.
TEST(SetPaperTest, CancelAndEscWriteNothing)
{
    ExpectCancelWritesNothing<TFrmSetPaper>([](TFrmSetPaper& dialog) {
        Retype(dialog.NumSpinEdit1, QStringLiteral("3"));
        dialog.CheckBoxCompany->setChecked(false);
        dialog.CheckBox3->setChecked(true);
        return dialog.NumSpinEdit1;
    });
}

// The sample of an A4 sheet laid out as 210 x 300 mm is 55 x 78 pixels,
// centred in its group: white sheet, black left and top edges, a 3-pixel
// black shadow, and text lines every second row between the margins.
TEST(SetPaperTest, SamplePageOfA4WithTheExampleMargins)
{
    ExampleDialogRig rig; // margins 25, 25, 30, 30
    TFrmSetPaper dialog(rig.Context());
    dialog.show();
    const QImage& s = dialog.SamplePicture();
    ASSERT_EQ(s.size(), QSize(55, 78));
    EXPECT_EQ(dialog.Image1->geometry(), QRect((185 - 55) / 2, (201 - 78) / 2, 55, 78));
    const QRgb face = SysColor(dialog.palette(), TSysColor::BtnFace).rgb();
    const QRgb shadow = SysColor(dialog.palette(), TSysColor::BtnShadow).rgb();
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    // Button face in the two corners the shadow leaves free.
    EXPECT_TRUE(IsRgb(s, 54, 0, face));
    EXPECT_TRUE(IsRgb(s, 52, 2, face));
    EXPECT_TRUE(IsRgb(s, 1, 77, face));
    // Shadow right (from row 3) and below (from column 3).
    EXPECT_TRUE(IsRgb(s, 52, 3, black));
    EXPECT_TRUE(IsRgb(s, 54, 77, black));
    EXPECT_TRUE(IsRgb(s, 3, 75, black));
    // Left edge down to the shadow's row, top edge up to the shadow.
    EXPECT_TRUE(IsRgb(s, 0, 0, black));
    EXPECT_TRUE(IsRgb(s, 0, 75, black));
    EXPECT_TRUE(IsRgb(s, 51, 0, black));
    EXPECT_TRUE(IsRgb(s, 1, 1, white));
    EXPECT_TRUE(IsRgb(s, 51, 74, white));
    // Lines: y = 25 div 4 = 6 .. 78 - 6 - 1 = 71 in steps of 2; x = 7 .. 47 (end left out).
    for (int y = 1; y < 75; ++y) {
        const bool line = y >= 6 && y <= 71 && y % 2 == 0;
        EXPECT_TRUE(IsRgb(s, 7, y, line ? shadow : white)) << y;
        EXPECT_TRUE(IsRgb(s, 46, y, line ? shadow : white)) << y;
        EXPECT_TRUE(IsRgb(s, 6, y, white)) << y;
        EXPECT_TRUE(IsRgb(s, 47, y, white)) << y;
    }
}

// Every change of a margin box redraws the sample at once; margins that
// leave no room show the blank sheet without text lines.
TEST(SetPaperTest, SampleFollowsMarginEditsAndCanBeBlank)
{
    ExampleDialogRig rig;
    TFrmSetPaper dialog(rig.Context());
    dialog.show();
    const QRgb shadow = SysColor(dialog.palette(), TSysColor::BtnShadow).rgb();
    Retype(dialog.NumSpinEdit1, QStringLiteral("9")); // 9 div 4 = 2
    Retype(dialog.NumSpinEdit3, QStringLiteral("0"));
    EXPECT_TRUE(IsRgb(dialog.SamplePicture(), 1, 2, shadow));
    EXPECT_TRUE(IsRgb(dialog.SamplePicture(), 1, 4, shadow));
    EXPECT_FALSE(IsRgb(dialog.SamplePicture(), 1, 3, shadow));

    // A short sheet (40 mm gives H = 13) with 99 mm margins: 24 > 13 - 24 - 1.
    rig.buffer.PageHeight = 40;
    TFrmSetPaper shortSheet(rig.Context());
    shortSheet.show();
    Retype(shortSheet.NumSpinEdit1, QStringLiteral("99"));
    Retype(shortSheet.NumSpinEdit2, QStringLiteral("99"));
    const QImage& s = shortSheet.SamplePicture();
    ASSERT_EQ(s.size(), QSize(55, 13));
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            EXPECT_FALSE(IsRgb(s, x, y, shadow)) << x << "," << y;
}

} // namespace
} // namespace quillet::test
