// The flat edit box: its 3-pixel border in the plain and hot looks, the face
// colour when disabled, its height from the font, and the rule that a hovered
// box does not look hot while another flat edit box has the focus.
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

#include "ControlsTestUtil.h"
#include "controls/Beep.h"
#include "controls/LumEdit.h"

namespace quillet {
namespace {

using namespace test;

const QColor kHotLine(21, 0, 0);

// The plain border: face on the outer left and top, highlight outer right and
// bottom, face in the second ring, a frame of the window colour inside it.
TEST(LumEdit, PlainBorder)
{
    TLumEdit edit;
    edit.setPalette(TestPalette());
    edit.setFont(CrispFont());
    edit.resize(100, edit.height());
    EXPECT_EQ(edit.height(), QFontMetrics(CrispFont()).height() + 6);
    const int h = edit.height();
    const QImage img = Render(edit);
    EXPECT_EQ(At(img, 0, 0), Hex(kFace));
    EXPECT_EQ(At(img, 0, 5), Hex(kFace));
    EXPECT_EQ(At(img, 50, 0), Hex(kFace));
    EXPECT_EQ(At(img, 99, 5), Hex(kLight));
    EXPECT_EQ(At(img, 50, h - 1), Hex(kLight));
    EXPECT_EQ(At(img, 99, 0), Hex(kLight));
    EXPECT_EQ(At(img, 0, h - 1), Hex(kLight));
    EXPECT_EQ(At(img, 1, 5), Hex(kFace));
    EXPECT_EQ(At(img, 98, 5), Hex(kFace));
    EXPECT_EQ(At(img, 50, h - 2), Hex(kFace));
    EXPECT_EQ(At(img, 2, 5), Hex(kBase));
    EXPECT_EQ(At(img, 97, 5), Hex(kBase));
    EXPECT_EQ(At(img, 50, 2), Hex(kBase));
    EXPECT_EQ(At(img, 50, h - 3), Hex(kBase));
    EXPECT_EQ(At(img, 50, h / 2), Hex(kBase));
}

// The mouse over the box adds the dark line along the outer left and top
// edges; the rest of the border stays.
TEST(LumEdit, HotLineWhileHovered)
{
    TLumEdit edit;
    edit.setPalette(TestPalette());
    edit.resize(100, edit.height());
    SendEnter(edit);
    EXPECT_TRUE(edit.Hot());
    QImage img = Render(edit);
    EXPECT_EQ(At(img, 0, 5), Hex(kHotLine));
    EXPECT_EQ(At(img, 50, 0), Hex(kHotLine));
    EXPECT_EQ(At(img, 0, 0), Hex(kHotLine));
    EXPECT_EQ(At(img, 99, 5), Hex(kLight));
    EXPECT_EQ(At(img, 1, 5), Hex(kFace));
    SendLeave(edit);
    EXPECT_FALSE(edit.Hot());
    img = Render(edit);
    EXPECT_EQ(At(img, 0, 5), Hex(kFace));
}

// A disabled box (the company box) is painted in button face inside its border.
TEST(LumEdit, DisabledIsFace)
{
    TLumEdit edit;
    edit.setPalette(TestPalette());
    edit.resize(100, edit.height());
    edit.setEnabled(false);
    const QImage img = Render(edit);
    EXPECT_EQ(At(img, 50, edit.height() / 2), Hex(kFace));
    EXPECT_EQ(At(img, 2, 5), Hex(kFace));
    EXPECT_EQ(At(img, 99, 5), Hex(kLight));
}

// Two flat boxes: while one has the focus, hovering the other leaves it plain;
// with the focus on a button, hovering makes it hot. The focused box is hot.
TEST(LumEdit, HoverDoesNotStealTheHotLook)
{
    QWidget window;
    window.setPalette(TestPalette());
    auto* first = new TLumEdit(&window);
    auto* second = new TLumEdit(&window);
    auto* button = new QPushButton(QStringLiteral("x"), &window);
    second->move(0, 40);
    button->move(0, 80);
    first->resize(100, first->height());
    second->resize(100, second->height());
    ShowActive(window);
    SendLeave(*first);
    first->setFocus();
    ASSERT_TRUE(first->hasFocus());
    SendEnter(*second);
    EXPECT_TRUE(second->Hover());
    EXPECT_FALSE(second->Hot());
    EXPECT_TRUE(first->Hot());
    EXPECT_EQ(At(Render(*second), 0, 5), Hex(kFace));
    EXPECT_EQ(At(Render(*first), 0, 5), Hex(kHotLine));

    button->setFocus();
    EXPECT_TRUE(second->Hot());
    EXPECT_FALSE(first->Hot());
    EXPECT_EQ(At(Render(*second), 0, 5), Hex(kHotLine));
}

// The height follows the font: text height plus 6 after every font change.
TEST(LumEdit, HeightFollowsFont)
{
    TLumEdit edit;
    for (int size : { 9, 12, 20 }) {
        edit.setFont(CrispFont(size));
        EXPECT_EQ(edit.height(), QFontMetrics(CrispFont(size)).height() + 6) << size;
        EXPECT_EQ(edit.sizeHint().height(), edit.height());
    }
}

// A box for layout texts refuses, with a beep each, what GBK cannot hold,
// whether committed by an input method or pasted (typing is the dialogs'
// test); a text the program put in with undecodable bytes (shown as U+FFFD)
// can still be edited.
TEST(LumEdit, GbkOnlyRefusesWhatGbkCannotHold)
{
    int beeps = 0;
    SetBeepHook([&beeps] { ++beeps; });
    struct Reset {
        ~Reset() { SetBeepHook({}); }
    } reset;
    TLumEdit edit;
    edit.SetGbkOnly(true);
    auto commit = [&edit](const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(&edit, &event);
    };
    auto paste = [&edit](const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        edit.paste();
    };
    struct Case {
        std::function<void()> input;
        QString text;
        int beeps;
    };
    const Case cases[] = {
        { [&] { commit(QStringLiteral("😀")); }, QString(), 1 },
        { [&] { commit(QStringLiteral("公司")); }, QStringLiteral("公司"), 0 },
        { [&] { paste(QStringLiteral("销售Ä")); }, QString(), 1 },
        { [&] { paste(QStringLiteral("销售·一")); }, QStringLiteral("销售·一"), 0 },
    };
    for (const Case& c : cases) {
        edit.clear();
        beeps = 0;
        c.input();
        EXPECT_EQ(edit.text(), c.text);
        EXPECT_EQ(beeps, c.beeps);
    }

    const QString loaded = QStringLiteral("坏") + QChar(QChar::ReplacementCharacter);
    edit.setText(loaded);
    edit.end(false);
    commit(QStringLiteral("表"));
    EXPECT_EQ(edit.text(), loaded + QStringLiteral("表"));
}

} // namespace
} // namespace quillet
