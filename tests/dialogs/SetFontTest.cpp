// The font setup dialog on the example report: selectors and loading, the
// rules of the size boxes, face names cut to the stored width, copies kept
// per item until OK, cancel, and the drawn samples.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <iterator>

#include "controls/LumButton.h"
#include "controls/PickCombos.h"
#include "controls/SystemColors.h"
#include "dialogs/GbkText.h"
#include "dialogs/SetFont.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

int ColorIndex(Color c)
{
    const auto& colors = TColorComboBox::kStandardColors;
    return static_cast<int>(std::find(std::begin(colors), std::end(colors), c) - std::begin(colors));
}

// Lists exactly these faces in a face list.
void ListFaces(TFontComboBox* box, const QStringList& names)
{
    box->SetFamilySource([names](TFontDevice) {
        QList<TFontFamilyInfo> list;
        for (const QString& n : names)
            list.append({ n, kTrueTypeFontType, false, false });
        return list;
    });
}

// Cuts fall on character boundaries at or below the limit; texts that fit
// are kept whole, even when they end in a stray lead byte.
TEST(GbkTextTest, CutsOnCharacterBoundaries)
{
    const std::string song = Gbk("宋"); // two bytes
    EXPECT_EQ(CutGbk("", 20), "");
    EXPECT_EQ(CutGbk("abc", 2), "ab");
    EXPECT_EQ(CutGbk(song + song, 4), song + song);
    EXPECT_EQ(CutGbk(song + song, 3), song);
    EXPECT_EQ(CutGbk("a" + song + song, 4), "a" + song);
    EXPECT_EQ(CutGbk(std::string(19, 'x') + song, 20), std::string(19, 'x'));
    EXPECT_EQ(CutGbk(std::string(18, 'x') + song + "y", 20), std::string(18, 'x') + song);
    // A second byte in the ASCII range (GBK allows 0x40..0x7E) is not taken for a character.
    EXPECT_EQ(CutGbk("\x81\x40\x81\x40", 3), "\x81\x40");
    EXPECT_EQ(CutGbk("ab\x81", 3), "ab\x81");
}

// The window, its six tabs and the selectors built from the layout:
// columns "第n列", head and foot items "第n项", merged cells "nn.text".
TEST(SetFontTest, FrameTabsAndSelectors)
{
    ExampleDialogRig rig;
    TFrmSetFont dialog(rig.Context());
    EXPECT_EQ(dialog.size(), QSize(435, 221));
    ASSERT_EQ(dialog.PageControl1->count(), 6);
    EXPECT_EQ(dialog.PageControl1->tabText(0), QStringLiteral(" 公司字体 "));
    EXPECT_EQ(dialog.PageControl1->tabText(5), QStringLiteral("特殊项字体"));
    EXPECT_TRUE(dialog.LumButton1->isDefault());
    ASSERT_EQ(dialog.ComboBox2->count(), 7);
    EXPECT_EQ(dialog.ComboBox2->itemText(0), QStringLiteral("第1列"));
    EXPECT_EQ(dialog.ComboBox2->itemText(6), QStringLiteral("第7列"));
    EXPECT_FALSE(dialog.ComboBox2->isEditable());
    for (QComboBox* items : { dialog.ComboBox4, dialog.ComboBox6 }) {
        ASSERT_EQ(items->count(), 3);
        EXPECT_EQ(items->itemText(2), QStringLiteral("第3项"));
    }
    ASSERT_EQ(dialog.ComboBox9->count(), 14);
    EXPECT_EQ(dialog.ComboBox9->itemText(0), QStringLiteral("01.日期"));
    EXPECT_EQ(dialog.ComboBox9->itemText(11), QStringLiteral("12.总    计"));
    EXPECT_TRUE(dialog.ComboBox10->isEditable());
    EXPECT_EQ(dialog.ComboBox10->count(), 16);
}

// Every tab starts from its item: company and title directly, the others
// from the first entry of their selector; program face names drawn through
// a substitute family show selected.
TEST(SetFontTest, TabsLoadFromTheirFirstItems)
{
    ExampleDialogRig rig;
    rig.format.Title.FontColor = 0x0000FF;
    rig.format.Foot[1].FontSize = 11;
    rig.format.ColItem[1].FontSize = 13;
    TFrmSetFont dialog(rig.Context());
    dialog.show();
    EXPECT_EQ(dialog.PageControl1->currentIndex(), 0);
    EXPECT_EQ(dialog.FontComboBox5->FontName(), QStringLiteral("楷体"));
    EXPECT_EQ(dialog.ComboBox8->currentText(), QStringLiteral("12"));
    EXPECT_EQ(dialog.FontComboBox1->FontName(), QStringLiteral("黑体"));
    EXPECT_EQ(dialog.ComboBox1->currentText(), QStringLiteral("18"));
    EXPECT_EQ(dialog.ColorComboBox1->ColorValue(), 0x0000FFu);
    EXPECT_EQ(dialog.ComboBox3->currentText(), QStringLiteral("13"));
    EXPECT_EQ(dialog.FontComboBox2->FontName(), QStringLiteral("宋体"));
    EXPECT_EQ(dialog.ComboBox7->currentText(), QStringLiteral("11"));
    EXPECT_EQ(dialog.ComboBox10->currentText(), QStringLiteral("10"));
    EXPECT_EQ(dialog.FontComboBox6->FontName(), QStringLiteral("黑体"));
    for (int tab = 0; tab < TFrmSetFont::kTabCount; ++tab)
        EXPECT_FALSE(dialog.SamplePicture(static_cast<TFrmSetFont::Tab>(tab)).isNull()) << tab;
    dialog.reject();
}

// Merged cells without text get no entry: with cell 1 empty the first entry
// is "03." and its text, and the special tab starts from cell 3.
TEST(SetFontTest, SpecialItemsSkipEmptyCells)
{
    ExampleDialogRig rig;
    for (int i = 1; i <= kMaxMergedCells; ++i)
        rig.format.MergedCells[i].Item.Text.Clear();
    rig.format.MergedCells[3].Item.Text.SetText(Gbk("客户名称"));
    rig.format.MergedCells[3].Item.FontSize = 15;
    rig.format.MergedCells[3].Item.FontColor = 0x008000;
    rig.format.MergedCells[12].Item.Text.SetText(Gbk("总计"));
    TFrmSetFont dialog(rig.Context());
    ASSERT_EQ(dialog.ComboBox9->count(), 2);
    EXPECT_EQ(dialog.ComboBox9->itemText(0), QStringLiteral("03.客户名称"));
    EXPECT_EQ(dialog.ComboBox9->itemText(1), QStringLiteral("12.总计"));
    EXPECT_EQ(dialog.ComboBox10->currentText(), QStringLiteral("15"));
    EXPECT_EQ(dialog.ColorComboBox6->ColorValue(), 0x008000u);
}

// Emptying a size box puts "9" into it at once, and OK stores size 9 and
// nothing else.
TEST(SetFontTest, EmptiedSizeBoxBecomesNine)
{
    ExampleDialogRig rig;
    const TMyPrintFormat before = rig.format;
    TFrmSetFont dialog(rig.Context());
    dialog.show();
    dialog.ComboBox1->lineEdit()->selectAll();
    QTest::keyClick(dialog.ComboBox1, Qt::Key_Backspace);
    EXPECT_EQ(dialog.ComboBox1->currentText(), QStringLiteral("9"));
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    ASSERT_TRUE(dialog.Confirmed);
    TMyPrintFormat expected = before;
    expected.Title.FontSize = 9;
    EXPECT_TRUE(rig.format == expected);
}

// Switching the column selector keeps each column's own values in its copy;
// OK writes both columns and leaves every other field as it was.
TEST(SetFontTest, ColumnSelectorKeepsEachColumnsEdits)
{
    ExampleDialogRig rig;
    rig.format.ColItem[2].FontSize = 11;
    const TMyPrintFormat before = rig.format;
    TFrmSetFont dialog(rig.Context());
    dialog.show();
    dialog.PageControl1->setCurrentIndex(TFrmSetFont::kColumnTab);
    dialog.ComboBox3->setEditText(QStringLiteral("20"));
    dialog.ComboBox2->setCurrentIndex(1);
    EXPECT_EQ(dialog.ComboBox3->currentText(), QStringLiteral("11"));
    dialog.ColorComboBox2->setCurrentIndex(ColorIndex(0x0000FF));
    dialog.ComboBox2->setCurrentIndex(0);
    EXPECT_EQ(dialog.ComboBox3->currentText(), QStringLiteral("20"));
    EXPECT_EQ(dialog.ColorComboBox2->ColorValue(), 0u);
    dialog.ComboBox2->setCurrentIndex(1);
    EXPECT_EQ(dialog.ColorComboBox2->ColorValue(), 0x0000FFu);
    // The same rule holds on the foot tab.
    dialog.ComboBox6->setCurrentIndex(2);
    dialog.ComboBox7->setEditText(QStringLiteral("16"));
    QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
    TMyPrintFormat expected = before;
    expected.ColItem[1].FontSize = 20;
    expected.ColItem[2].FontColor = 0x0000FF;
    expected.Foot[3].FontSize = 16;
    EXPECT_TRUE(rig.format == expected);
}

// Cancel and Esc discard every edited copy.
TEST(SetFontTest, CancelAndEscWriteNothing)
{
    ExpectCancelWritesNothing<TFrmSetFont>([](TFrmSetFont& dialog) {
        dialog.ComboBox8->setEditText(QStringLiteral("30"));
        dialog.ColorComboBox3->setCurrentIndex(ColorIndex(0xFF0000));
        dialog.ComboBox9->setCurrentIndex(4);
        dialog.ComboBox10->setEditText(QStringLiteral("8"));
        return dialog.ComboBox10;
    });
}

// Typed characters other than digits never reach a size box, backspace
// does, and Enter in the box confirms the dialog with the typed size without
// adding it to the box's list.
TEST(SetFontTest, SizeBoxTakesDigitsAndEnterConfirms)
{
    ExampleDialogRig rig;
    TFrmSetFont dialog(rig.Context());
    ExecWith(dialog, [&dialog] {
        dialog.ComboBox8->setFocus();
        dialog.ComboBox8->lineEdit()->selectAll();
        QTest::keyClicks(dialog.ComboBox8, QStringLiteral("2x4 .-"));
        EXPECT_EQ(dialog.ComboBox8->currentText(), QStringLiteral("24"));
        QTest::keyClick(dialog.ComboBox8, Qt::Key_Backspace);
        QTest::keyClicks(dialog.ComboBox8, QStringLiteral("6"));
        QTest::keyClick(dialog.ComboBox8, Qt::Key_Return);
    });
    EXPECT_TRUE(dialog.Confirmed);
    EXPECT_EQ(rig.format.Company.FontSize, 26);
    EXPECT_EQ(dialog.ComboBox8->count(), 16);
}

// A pasted size that is no integer gives the program's message, keeps the
// dialog open and the copy as it was; sizes beyond what the page draws are
// held at 1000 points instead of wrapping round the 16-bit field.
TEST(SetFontTest, SizeTextValidationAndLimits)
{
    ExampleDialogRig rig;
    const TMyPrintFormat before = rig.format;
    TFrmSetFont dialog(rig.Context());
    dialog.show();
    for (const char* bad : { "12a", "99999999999", "-" }) {
        rig.messages.shown.clear();
        dialog.ComboBox1->setEditText(QString::fromUtf8(bad));
        ASSERT_EQ(rig.messages.shown.size(), 1u) << bad;
        EXPECT_EQ(rig.messages.shown[0].caption, "打印预览窗体");
        EXPECT_EQ(rig.messages.shown[0].text, std::string("“") + bad + "”不是有效的整数值");
        EXPECT_EQ(dialog.ComboBox1->currentText(), QStringLiteral("18"));
    }
    EXPECT_TRUE(dialog.isVisible());
    rig.messages.shown.clear();
    dialog.ComboBox8->setEditText(QStringLiteral("70000"));
    EXPECT_EQ(dialog.ComboBox8->currentText(), QStringLiteral("1000"));
    dialog.ComboBox5->setEditText(QStringLiteral("-5"));
    EXPECT_EQ(dialog.ComboBox5->currentText(), QStringLiteral("0"));
    EXPECT_TRUE(rig.messages.shown.empty());
    dialog.LumButton1Click();
    TMyPrintFormat expected = before;
    expected.Company.FontSize = 1000;
    expected.Head[1].FontSize = 0;
    EXPECT_TRUE(rig.format == expected);
}

// A picked face name longer than 20 bytes is stored cut on a character
// boundary; a stored face the list does not offer is kept, not blanked.
TEST(SetFontTest, FaceNamesCutAndUnlistedFacesKept)
{
    ExampleDialogRig rig;
    TFrmSetFont dialog(rig.Context());
    dialog.show();
    const QString longLatin = QStringLiteral("ABCDEFGHIJKLMNOPQRS宋体"); // 19 + 4 bytes
    const QString longMixed = QStringLiteral("ABCDEFGHIJKLMNOPQR宋体"); // 18 + 4 bytes
    ListFaces(dialog.FontComboBox1, { longLatin, longMixed });
    ListFaces(dialog.FontComboBox5, { QStringLiteral("DejaVu Sans") });
    EXPECT_EQ(dialog.FontComboBox5->FontName(), QString());
    dialog.FontComboBox1->SetFontName(longLatin);
    dialog.ComboBox8->setEditText(QStringLiteral("20")); // company: face not listed
    dialog.LumButton1Click();
    EXPECT_EQ(rig.format.Title.FontName.Text(), "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(rig.format.Company.FontName.Text(), Gbk("楷体"));
    EXPECT_EQ(rig.format.Company.FontSize, 20);

    TFrmSetFont again(rig.Context());
    ListFaces(again.FontComboBox1, { longLatin, longMixed });
    again.FontComboBox1->SetFontName(longMixed);
    again.LumButton1Click();
    EXPECT_EQ(rig.format.Title.FontName.Text(), Gbk("ABCDEFGHIJKLMNOPQR宋"));
}

// A layout without columns and merged-cell texts leaves those selectors
// empty, their controls disabled and their samples blank; changing the
// boxes stores nothing, and OK writes the records back unchanged.
TEST(SetFontTest, NoColumnsAndNoSpecialItems)
{
    ExampleDialogRig rig;
    rig.format.ColCount = 0;
    for (int i = 1; i <= kMaxMergedCells; ++i)
        rig.format.MergedCells[i].Item.Text.Clear();
    const TMyPrintFormat before = rig.format;
    TFrmSetFont dialog(rig.Context());
    dialog.show();
    EXPECT_EQ(dialog.ComboBox2->count(), 0);
    EXPECT_EQ(dialog.ComboBox9->count(), 0);
    for (QWidget* w : std::initializer_list<QWidget*> { dialog.FontComboBox2, dialog.ComboBox3,
             dialog.ColorComboBox2, dialog.FontComboBox6, dialog.ComboBox10, dialog.ColorComboBox6 })
        EXPECT_FALSE(w->isEnabled());
    EXPECT_TRUE(dialog.ComboBox1->isEnabled());
    EXPECT_TRUE(dialog.SamplePicture(TFrmSetFont::kSpecialTab).isNull());
    EXPECT_TRUE(dialog.SamplePicture(TFrmSetFont::kColumnTab).isNull());
    dialog.ComboBox3->setEditText(QStringLiteral("30"));
    dialog.ComboBox10->setEditText(QString());
    dialog.LumButton1Click();
    EXPECT_TRUE(dialog.Confirmed);
    EXPECT_TRUE(rig.format == before);
}

// The 169 x 89 sample: the sheet with its shadow, and "字体效果" in the
// item's colour centred on it.
TEST(SetFontTest, SampleShowsTheTextCentredInItsColour)
{
    ExampleDialogRig rig;
    rig.format.Company.FontColor = 0xFF0000; // blue
    rig.format.Company.FontSize = 12;
    TFrmSetFont dialog(rig.Context());
    dialog.show();
    const QImage& s = dialog.SamplePicture(TFrmSetFont::kCompanyTab);
    ASSERT_EQ(s.size(), QSize(169, 89));
    const QRgb face = SysColor(dialog.palette(), TSysColor::BtnFace).rgb() & 0xFFFFFF;
    EXPECT_EQ(s.pixel(168, 0) & 0xFFFFFF, face);
    EXPECT_EQ(s.pixel(0, 88) & 0xFFFFFF, face);
    EXPECT_EQ(s.pixel(166, 3) & 0xFFFFFF, 0u);
    EXPECT_EQ(s.pixel(3, 86) & 0xFFFFFF, 0u);
    EXPECT_EQ(s.pixel(0, 40) & 0xFFFFFF, 0u);
    EXPECT_EQ(s.pixel(80, 0) & 0xFFFFFF, 0u);
    int left = s.width(), right = -1, top = s.height(), bottom = -1;
    bool blueInk = false;
    for (int y = 1; y < 86; ++y) {
        for (int x = 1; x < 166; ++x) {
            if (IsWhite(s, x, y))
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            const QColor c = QColor::fromRgb(s.pixel(x, y));
            blueInk = blueInk || (c.blue() > 200 && c.red() < 60 && c.green() < 60);
        }
    }
    ASSERT_GE(right, 0);
    EXPECT_TRUE(blueInk);
    // Four characters of 16 pixels (12 pt at 96 dpi), centred in the picture.
    EXPECT_NEAR(right - left + 1, 64, 6);
    EXPECT_NEAR((left + right) / 2.0, 169 / 2.0, 3);
    EXPECT_NEAR((top + bottom) / 2.0, 89 / 2.0, 6);
}

// Each change redraws the tab's sample at once; text too large for the
// sheet starts at (2, 2) and stays inside (2, 2, W-4, H-4).
TEST(SetFontTest, LargeSampleTextIsClippedInsideTheSheet)
{
    ExampleDialogRig rig;
    TFrmSetFont dialog(rig.Context());
    dialog.show();
    const QImage small = dialog.SamplePicture(TFrmSetFont::kTitleTab);
    dialog.ComboBox1->setEditText(QStringLiteral("72"));
    const QImage& s = dialog.SamplePicture(TFrmSetFont::kTitleTab);
    ASSERT_NE(small, s);
    int ink = 0;
    for (int y = 1; y <= 85; ++y) {
        EXPECT_TRUE(IsWhite(s, 1, y)) << y;
        EXPECT_TRUE(IsWhite(s, 165, y)) << y;
        for (int x = 2; x < 165; ++x)
            ink += IsWhite(s, x, y) ? 0 : 1;
    }
    for (int x = 1; x <= 165; ++x) {
        EXPECT_TRUE(IsWhite(s, x, 1)) << x;
        EXPECT_TRUE(IsWhite(s, x, 85)) << x;
    }
    EXPECT_GT(ink, 500);
}

} // namespace
} // namespace quillet::test
