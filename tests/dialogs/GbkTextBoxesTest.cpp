// Every text box that writes a text into the layout refuses, with a beep,
// what GBK cannot hold, so OK stores exactly what the box shows.
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/Beep.h"
#include "controls/LumButton.h"
#include "controls/LumEdit.h"
#include "dialogs/SetCompany.h"
#include "dialogs/SetPageFoot.h"
#include "dialogs/SetPageHead.h"
#include "dialogs/SetTitle.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

// Types Chinese, an umlaut, Korean and Latin into the box, one key a
// character as a keyboard layout sends them, and confirms the dialog.
int TypeAndConfirm(TLumEdit& edit, TLumButton& ok)
{
    int beeps = 0;
    SetBeepHook([&beeps] { ++beeps; });
    edit.setEnabled(true); // the company box opens locked
    edit.clear();
    for (char32_t c : QStringLiteral("销售Ä한ab").toUcs4()) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
        QApplication::sendEvent(&edit, &press);
    }
    SetBeepHook({});
    EXPECT_EQ(edit.text(), QStringLiteral("销售ab"));
    QTest::mouseClick(&ok, Qt::LeftButton);
    return beeps;
}

// The title, company, three page-head and three page-foot boxes each take
// only the Chinese and Latin, beep twice and store them in the layout.
TEST(GbkTextBoxesTest, LayoutTextBoxesStoreWhatTheyShow)
{
    const std::string stored = Gbk("销售ab");
    {
        ExampleDialogRig rig;
        TFrmSetTitle d(rig.Context());
        d.show();
        EXPECT_EQ(TypeAndConfirm(*d.Edit_Title, *d.LumButton1), 2);
        EXPECT_EQ(rig.format.Title.Text.Text(), stored);
    }
    {
        ExampleDialogRig rig;
        TFrmSetCompany d(rig.Context());
        d.show();
        EXPECT_EQ(TypeAndConfirm(*d.Edit_Company, *d.LumButton1), 2);
        EXPECT_EQ(rig.format.Company.Text.Text(), stored);
    }
    for (int i = 1; i <= kHeadFootLines; ++i) {
        ExampleDialogRig rig;
        TFrmSetPageHead head(rig.Context());
        TFrmSetPageFoot foot(rig.Context());
        for (TPageLinesDialog* d :
            { static_cast<TPageLinesDialog*>(&head), static_cast<TPageLinesDialog*>(&foot) }) {
            d->show();
            TLumEdit* edits[] = { d->EditStr1, d->EditStr2, d->EditStr3 };
            EXPECT_EQ(TypeAndConfirm(*edits[i - 1], *d->LumButton1), 2) << i;
        }
        EXPECT_EQ(rig.format.Head[i].Text.Text(), stored) << i;
        EXPECT_EQ(rig.format.Foot[i].Text.Text(), stored) << i;
    }
}

} // namespace
} // namespace quillet::test
