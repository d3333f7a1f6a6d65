// Every format dialog of the set shares the program's dialog frame: its
// caption, fixed client size, a title bar without icons, the font "宋体" at
// 12 pixels, a place in the centre of the screen, and the two buttons with
// their spaced captions.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include "controls/LumButton.h"
#include "controls/NumSpin.h"
#include "dialogs/EditColWidth.h"
#include "dialogs/EditRowHeight.h"
#include "dialogs/PrintDlg.h"
#include "dialogs/SelectPage.h"
#include "dialogs/SetCompany.h"
#include "dialogs/SetPageFoot.h"
#include "dialogs/SetPageHead.h"
#include "dialogs/SetRowCount.h"
#include "dialogs/SetTitle.h"
#include "dialogs/UnitSetAllRowHeight.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

struct FrameCase {
    const char* name;
    std::function<std::unique_ptr<QDialog>(const DialogContext&)> make;
    QString caption;
    QSize size;
};

template <class Dialog> std::unique_ptr<QDialog> Make(const DialogContext& context)
{
    return std::make_unique<Dialog>(context);
}

class DialogFrameTest : public ::testing::TestWithParam<FrameCase> { };

// Each dialog shows its caption at its fixed size in the centre of the
// screen, without title-bar icons, in 宋体 12 px, with OK and cancel.
TEST_P(DialogFrameTest, CaptionSizeFlagsFontPlaceAndButtons)
{
    const FrameCase& c = GetParam();
    ExampleDialogRig rig;
    std::unique_ptr<QDialog> dialog = c.make(rig.Context());
    dialog->show();
    EXPECT_EQ(dialog->windowTitle(), c.caption);
    EXPECT_EQ(dialog->size(), c.size);
    EXPECT_EQ(dialog->minimumSize(), c.size);
    EXPECT_EQ(dialog->maximumSize(), c.size);
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(
        flags & (Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint));
    EXPECT_EQ(dialog->font().family(), QStringLiteral("宋体"));
    EXPECT_EQ(dialog->font().pixelSize(), 12);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(dialog->pos(),
        area.topLeft() + QPoint((area.width() - c.size.width()) / 2, (area.height() - c.size.height()) / 2));
    QStringList captions;
    for (TLumButton* button : dialog->findChildren<TLumButton*>())
        captions << button->text();
    EXPECT_EQ(captions, (QStringList { QStringLiteral("确  定"), QStringLiteral("取  消") }));
}

INSTANTIATE_TEST_SUITE_P(FormatDialogs, DialogFrameTest,
    ::testing::Values(FrameCase { "SetTitle", Make<TFrmSetTitle>, QStringLiteral("修改标题"), { 353, 157 } },
        FrameCase { "SetCompany", Make<TFrmSetCompany>, QStringLiteral("修改公司"), { 353, 157 } },
        FrameCase { "SetPageHead", Make<TFrmSetPageHead>, QStringLiteral("修改页头"), { 370, 167 } },
        FrameCase { "SetPageFoot", Make<TFrmSetPageFoot>, QStringLiteral("修改页尾"), { 370, 167 } },
        FrameCase { "SetRowCount", Make<TFrmSetRowCount>, QStringLiteral("修改打印行数"), { 234, 99 } },
        FrameCase {
            "SetAllRowHeight", Make<TFrmSetAllRowHeight>, QStringLiteral("设置统一行高"), { 250, 102 } },
        FrameCase { "EditColWidth", Make<TFrmEditColWidth>, QStringLiteral("恢复列宽"), { 267, 100 } },
        FrameCase { "EditRowHeight", Make<TFrmEditRowHeight>, QStringLiteral("恢复行高"), { 267, 100 } },
        FrameCase { "PrintDlg", Make<TFrmPrintDlg>, QStringLiteral("打印..."), { 371, 132 } },
        FrameCase { "SelectPage", Make<TFrmSelectPage>, QStringLiteral("选择指定页"), { 225, 92 } }),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

// A dialog reads the layout again each time it is opened, but not when the
// window system shows it again after giving a minimised dialog back: the
// user's edit in progress stays.
TEST(DialogOpeningTest, ReopeningReadsTheLayoutAndRestoringDoesNot)
{
    ExampleDialogRig rig;
    rig.format.RowCount = 32;
    TFrmSetRowCount dialog(rig.Context());
    dialog.show();
    EXPECT_EQ(dialog.NumSpinEditRow->Value(), 32);
    dialog.NumSpinEditRow->setText(QStringLiteral("40"));
    QShowEvent restored;
    QSpontaneKeyEvent::setSpontaneous(&restored);
    // sendEvent would clear the flag; the window system hands it over as is.
    qApp->notify(&dialog, &restored);
    EXPECT_EQ(dialog.NumSpinEditRow->Value(), 40);
    dialog.hide();
    rig.format.RowCount = 12;
    dialog.show();
    EXPECT_EQ(dialog.NumSpinEditRow->Value(), 12);
}

} // namespace
} // namespace quillet::test
