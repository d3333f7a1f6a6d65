// The page head and page foot dialogs: loading the three items and the
// multi-line switch, the first tab on opening, what OK writes (and only
// that), empty and over-long texts, cancelling.
#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/LumButton.h"
#include "controls/LumEdit.h"
#include "dialogs/SetPageFoot.h"
#include "dialogs/SetPageHead.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

using Items = std::array<TMyTextItem, kHeadFootLines + 1>;

// What tells the two dialogs apart in these tests.
struct PageLinesCase {
    const char* name;
    std::function<std::unique_ptr<TPageLinesDialog>(const DialogContext&)> make;
    Items TMyFormatRecord::*items;
    std::uint8_t TMyFormatRecord::*multiLine;
    QString caption;
    QString firstTab;
};

class PageLinesDialogTest : public ::testing::TestWithParam<PageLinesCase> { };

// Items with texts and alignments 1, 7 (unknown) and 3 and the switch on
// load into the three tabs; the dialog opens on the first tab.
TEST_P(PageLinesDialogTest, LoadsTheThreeItemsOnTheFirstTab)
{
    const PageLinesCase& c = GetParam();
    ExampleDialogRig rig;
    Items& items = rig.format.*c.items;
    items[1].Text.SetText(Gbk("制表人：张三"));
    items[1].Align = 1;
    items[2].Text.SetText(Gbk("第二项"));
    items[2].Align = 7;
    items[3].Text.Clear();
    items[3].Align = 3;
    rig.format.*c.multiLine = 1;
    std::unique_ptr<TPageLinesDialog> dialog = c.make(rig.Context());
    dialog->PageControl1->setCurrentIndex(2);
    dialog->show();
    EXPECT_EQ(dialog->windowTitle(), c.caption);
    EXPECT_EQ(dialog->PageControl1->count(), 3);
    EXPECT_EQ(dialog->PageControl1->tabText(0), c.firstTab);
    EXPECT_EQ(dialog->PageControl1->currentIndex(), 0);
    EXPECT_EQ(dialog->EditStr1->text(), QStringLiteral("制表人：张三"));
    EXPECT_EQ(dialog->EditStr2->text(), QStringLiteral("第二项"));
    EXPECT_EQ(dialog->EditStr3->text(), QString());
    EXPECT_TRUE(dialog->RadioButton_Left->isChecked());
    EXPECT_TRUE(dialog->RadioButton2->isChecked());
    EXPECT_TRUE(dialog->RadioButton6->isChecked());
    EXPECT_TRUE(dialog->CheckBoxMoreLine->isChecked());

    // Only the value 1 counts as on.
    rig.format.*c.multiLine = 2;
    std::unique_ptr<TPageLinesDialog> again = c.make(rig.Context());
    again->show();
    EXPECT_FALSE(again->CheckBoxMoreLine->isChecked());
}

// OK stores the three texts (empty ones too), their alignments and the
// switch as 0 or 1, and touches nothing else of the layout.
TEST_P(PageLinesDialogTest, OkWritesOnlyItsItemsAndSwitch)
{
    const PageLinesCase& c = GetParam();
    ExampleDialogRig rig;
    rig.format.*c.multiLine = 2;
    (rig.format.*c.items)[1].Align = 3;
    const TMyPrintFormat before = rig.format;
    std::unique_ptr<TPageLinesDialog> dialog = c.make(rig.Context());
    dialog->show();
    dialog->EditStr1->clear();
    dialog->EditStr2->clear();
    dialog->EditStr3->setText(QStringLiteral("页尾说明"));
    dialog->RadioButton1->setChecked(true);
    dialog->RadioButton6->setChecked(true);
    QTest::mouseClick(dialog->LumButton1, Qt::LeftButton);
    EXPECT_TRUE(dialog->Confirmed);
    TMyPrintFormat expected = before;
    Items& items = expected.*c.items;
    items[1].Text.Clear();
    items[2].Text.Clear();
    items[2].Align = 1;
    items[3].Text.SetText(Gbk("页尾说明"));
    items[3].Align = 3;
    expected.*c.multiLine = 0;
    EXPECT_TRUE(SameRecord(rig.format, expected));
}

// A 250-byte text keeps at most 200 bytes and never half a character;
// ticking "是否多行显示" stores 1.
TEST_P(PageLinesDialogTest, LongTextsAreCutOnACharacterBoundary)
{
    const PageLinesCase& c = GetParam();
    ExampleDialogRig rig;
    std::unique_ptr<TPageLinesDialog> dialog = c.make(rig.Context());
    dialog->show();
    dialog->EditStr1->setText(QString(250, QLatin1Char('x')));
    dialog->EditStr2->setText(QStringLiteral("x") + QString(124, QChar(0x9875))); // 页
    dialog->CheckBoxMoreLine->setChecked(true);
    QTest::mouseClick(dialog->LumButton1, Qt::LeftButton);
    const Items& items = rig.format.*c.items;
    EXPECT_EQ(items[1].Text.Text(), std::string(200, 'x'));
    EXPECT_EQ(items[2].Text.Length, 199);
    EXPECT_EQ(items[2].Text.Text(), "x" + Utf8ToGbk(QString(99, QChar(0x9875)).toStdString()));
    EXPECT_EQ(rig.format.*c.multiLine, 1);
}

// Cancel and Esc leave the layout as it was.
TEST_P(PageLinesDialogTest, CancelAndEscWriteNothing)
{
    const PageLinesCase& c = GetParam();
    ExampleDialogRig rig;
    const TMyPrintFormat before = rig.format;
    std::unique_ptr<TPageLinesDialog> dialog = c.make(rig.Context());
    dialog->show();
    dialog->EditStr2->setText(QStringLiteral("改过"));
    dialog->CheckBoxMoreLine->toggle();
    QTest::mouseClick(dialog->LumButton2, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->Confirmed);

    std::unique_ptr<TPageLinesDialog> second = c.make(rig.Context());
    EXPECT_EQ(ExecWith(*second,
                  [&] {
                      second->EditStr1->setText(QStringLiteral("改过"));
                      QTest::keyClick(second->EditStr1, Qt::Key_Escape);
                  }),
        QDialog::Rejected);
    EXPECT_TRUE(SameRecord(rig.format, before));
}

INSTANTIATE_TEST_SUITE_P(HeadAndFoot, PageLinesDialogTest,
    ::testing::Values(PageLinesCase { "Head",
                          [](const DialogContext& c) -> std::unique_ptr<TPageLinesDialog> {
                              return std::make_unique<TFrmSetPageHead>(c);
                          },
                          &TMyFormatRecord::Head, &TMyFormatRecord::HeadMultiLine, QStringLiteral("修改页头"),
                          QStringLiteral("页头一") },
        PageLinesCase { "Foot",
            [](const DialogContext& c) -> std::unique_ptr<TPageLinesDialog> {
                return std::make_unique<TFrmSetPageFoot>(c);
            },
            &TMyFormatRecord::Foot, &TMyFormatRecord::FootMultiLine, QStringLiteral("修改页尾"),
            QStringLiteral("页尾一") }),
    [](const ::testing::TestParamInfo<PageLinesCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet::test
