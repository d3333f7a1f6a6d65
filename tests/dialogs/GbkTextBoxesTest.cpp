// Every text box that writes a text into the layout refuses, with a beep,
// what GBK cannot hold, so OK stores exactly what the box shows.
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

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

// One box of one dialog and the layout text it writes.
struct TextBox {
    const char* name;
    std::function<std::unique_ptr<QDialog>(const DialogContext&)> make;
    std::function<TLumEdit*(QDialog&)> box;
    std::function<TMyTextItem&(TMyFormatRecord&)> item;
    std::function<TLumButton*(QDialog&)> ok;
};

template <class D> std::function<TLumButton*(QDialog&)> OkOf()
{
    return [](QDialog& d) { return static_cast<D&>(d).LumButton1; };
}

// The user types Latin, Korean, an emoji and an umlaut among Chinese into
// each box; only the Chinese and Latin arrive, one beep per refused character.
TEST(GbkTextBoxesTest, LayoutTextBoxesStoreWhatTheyShow)
{
    int beeps = 0;
    SetBeepHook([&beeps] { ++beeps; });
    struct Reset {
        ~Reset() { SetBeepHook({}); }
    } reset;

    const auto lines = [](auto edit, auto items, int i) {
        return std::pair {
            std::function<TLumEdit*(QDialog&)>(
                [edit](QDialog& d) { return static_cast<TPageLinesDialog&>(d).*edit; }),
            std::function<TMyTextItem&(TMyFormatRecord&)>(
                [items, i](TMyFormatRecord& f) -> TMyTextItem& { return (f.*items)[i]; }),
        };
    };
    std::vector<TextBox> boxes = {
        { "title", [](const DialogContext& c) { return std::make_unique<TFrmSetTitle>(c); },
            [](QDialog& d) { return static_cast<TFrmSetTitle&>(d).Edit_Title; },
            [](TMyFormatRecord& f) -> TMyTextItem& { return f.Title; }, OkOf<TFrmSetTitle>() },
        { "company", [](const DialogContext& c) { return std::make_unique<TFrmSetCompany>(c); },
            [](QDialog& d) {
                TLumEdit* e = static_cast<TFrmSetCompany&>(d).Edit_Company;
                e->setEnabled(true);
                return e;
            },
            [](TMyFormatRecord& f) -> TMyTextItem& { return f.Company; }, OkOf<TFrmSetCompany>() },
    };
    TLumEdit* TPageLinesDialog::*const edits[]
        = { &TPageLinesDialog::EditStr1, &TPageLinesDialog::EditStr2, &TPageLinesDialog::EditStr3 };
    for (int i = 1; i <= kHeadFootLines; ++i) {
        auto [headBox, headItem] = lines(edits[i - 1], &TMyFormatRecord::Head, i);
        boxes.push_back({ "head", [](const DialogContext& c) { return std::make_unique<TFrmSetPageHead>(c); },
            headBox, headItem, OkOf<TPageLinesDialog>() });
        auto [footBox, footItem] = lines(edits[i - 1], &TMyFormatRecord::Foot, i);
        boxes.push_back({ "foot", [](const DialogContext& c) { return std::make_unique<TFrmSetPageFoot>(c); },
            footBox, footItem, OkOf<TPageLinesDialog>() });
    }

    for (const TextBox& b : boxes) {
        ExampleDialogRig rig;
        std::unique_ptr<QDialog> dialog = b.make(rig.Context());
        dialog->show();
        TLumEdit* edit = b.box(*dialog);
        edit->clear();
        beeps = 0;
        // Keys carrying the characters, as a keyboard layout sends them.
        for (char32_t c : QStringLiteral("销售Ä한ab").toUcs4()) {
            const QString one = QString::fromUcs4(&c, 1);
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, one);
            QApplication::sendEvent(edit, &press);
        }
        EXPECT_EQ(edit->text(), QStringLiteral("销售ab")) << b.name;
        EXPECT_EQ(beeps, 2) << b.name;
        QTest::mouseClick(b.ok(*dialog), Qt::LeftButton);
        EXPECT_EQ(b.item(rig.format).Text.Text(), Gbk("销售ab")) << b.name;
    }
}

} // namespace
} // namespace quillet::test
