// The flat push button: its edges in each look, the pressed caption shift,
// the default frame and focus dots, the embossed disabled caption, hover,
// double click and the Esc key of a cancel button.
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ControlsTestUtil.h"
#include "controls/LumButton.h"

namespace quillet {
namespace {

using namespace test;

struct ButtonRig {
    TLumButton button { QStringLiteral("OK") };
    ButtonRig()
    {
        button.setPalette(TestPalette());
        button.setFont(CrispFont());
        button.resize(75, 23);
    }
};

// A resting button: thin raised edge (highlight left and top, shadow right and
// bottom) round a face-coloured body with the caption in button text.
TEST(LumButton, ThinEdgeAtRest)
{
    ButtonRig rig;
    EXPECT_EQ(rig.button.size(), QSize(75, 23));
    const QImage img = Render(rig.button);
    EXPECT_EQ(At(img, 0, 0), Hex(kLight));
    EXPECT_EQ(At(img, 0, 21), Hex(kLight));
    EXPECT_EQ(At(img, 73, 0), Hex(kLight));
    EXPECT_EQ(At(img, 74, 0), Hex(kDark));
    EXPECT_EQ(At(img, 0, 22), Hex(kDark));
    EXPECT_EQ(At(img, 74, 22), Hex(kDark));
    EXPECT_EQ(At(img, 1, 1), Hex(kFace));
    EXPECT_EQ(At(img, 73, 21), Hex(kFace));
    const QRect text = BoxOf(img, kButtonText);
    ASSERT_FALSE(text.isEmpty());
    // Centred both ways, give or take the odd pixel.
    EXPECT_LE(std::abs(text.left() - (74 - text.right())), 2);
    EXPECT_LE(std::abs(text.top() - (22 - text.bottom())), 3);
}

// The mouse over the button gives the raised edge (window text outside right
// and bottom, shadow just inside); leaving brings the thin edge back.
TEST(LumButton, HotEdgeFollowsTheMouse)
{
    ButtonRig rig;
    SendEnter(rig.button);
    EXPECT_TRUE(rig.button.Hot());
    QImage img = Render(rig.button);
    EXPECT_EQ(At(img, 0, 0), Hex(kLight));
    EXPECT_EQ(At(img, 74, 22), Hex(kWindowText));
    EXPECT_EQ(At(img, 74, 5), Hex(kWindowText));
    EXPECT_EQ(At(img, 5, 22), Hex(kWindowText));
    EXPECT_EQ(At(img, 73, 5), Hex(kDark));
    EXPECT_EQ(At(img, 5, 21), Hex(kDark));
    EXPECT_EQ(At(img, 1, 1), Hex(kFace));

    SendLeave(rig.button);
    EXPECT_FALSE(rig.button.Hot());
    img = Render(rig.button);
    EXPECT_EQ(At(img, 74, 22), Hex(kDark));
    EXPECT_EQ(At(img, 73, 21), Hex(kFace));
}

// A pressed button shows the thin edge reversed and its caption one pixel
// further right and down, even while hot.
TEST(LumButton, PressedReversesEdgeAndShiftsCaption)
{
    ButtonRig rig;
    const QRect restText = BoxOf(Render(rig.button), kButtonText);
    SendEnter(rig.button);
    rig.button.setDown(true);
    const QImage img = Render(rig.button);
    EXPECT_EQ(At(img, 0, 0), Hex(kDark));
    EXPECT_EQ(At(img, 0, 10), Hex(kDark));
    EXPECT_EQ(At(img, 74, 22), Hex(kLight));
    EXPECT_EQ(At(img, 74, 10), Hex(kLight));
    EXPECT_EQ(At(img, 73, 21), Hex(kFace));
    EXPECT_EQ(BoxOf(img, kButtonText), restText.translated(1, 1));
}

// The default button of a dialog is framed in window text; with the focus it
// also shows the dotted focus rectangle 3 pixels inside the frame.
TEST(LumButton, DefaultFrameAndFocusDots)
{
    QDialog dialog;
    dialog.setPalette(TestPalette());
    auto* edit = new QLineEdit(&dialog);
    edit->move(0, 60);
    auto* other = new TLumButton(QStringLiteral("No"), &dialog);
    other->move(0, 30);
    auto* button = new TLumButton(QStringLiteral("OK"), &dialog);
    button->setFont(CrispFont());
    button->setDefault(true);
    ShowActive(dialog);
    SendLeave(*button);
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_TRUE(button->DefaultStyle());
    QImage img = Render(*button);
    EXPECT_EQ(At(img, 0, 0), Hex(kWindowText));
    EXPECT_EQ(At(img, 74, 22), Hex(kWindowText));
    EXPECT_EQ(At(img, 1, 1), Hex(kLight));
    EXPECT_EQ(At(img, 73, 21), Hex(kDark));
    EXPECT_EQ(At(img, 4, 4), Hex(kFace)); // no focus, no dots

    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    img = Render(*button);
    EXPECT_EQ(At(img, 0, 0), Hex(kWindowText));
    EXPECT_EQ(At(img, 4, 4), Hex(kButtonText));
    EXPECT_EQ(At(img, 5, 4), Hex(kFace));
    EXPECT_EQ(At(img, 6, 4), Hex(kButtonText));
    EXPECT_EQ(At(img, 4, 6), Hex(kButtonText));
    EXPECT_EQ(At(img, 70, 18), Hex(kButtonText));
    EXPECT_EQ(At(img, 3, 3), Hex(kFace));

    // The focus on another button makes that one act as the default; the
    // default button loses its frame until the focus leaves the buttons.
    other->setFocus();
    EXPECT_TRUE(other->DefaultStyle());
    EXPECT_FALSE(button->DefaultStyle());
    EXPECT_EQ(At(Render(*other), 4, 4), Hex(kButtonText));
    EXPECT_EQ(At(Render(*button), 0, 0), Hex(kLight));
    edit->setFocus();
    EXPECT_TRUE(button->DefaultStyle());
}

// A disabled button draws its caption twice, highlight one pixel right and
// down under shadow, and ignores clicks.
TEST(LumButton, DisabledCaptionIsEmbossedAndDead)
{
    ButtonRig rig;
    QSignalSpy clicked(&rig.button, &QPushButton::clicked);
    rig.button.setEnabled(false);
    SendEnter(rig.button);
    const QImage img = Render(rig.button);
    const QRect inner(2, 2, 71, 19);
    const QRect light = BoxOf(img, kLight, inner);
    const QRect dark = BoxOf(img, kDark, inner);
    ASSERT_FALSE(dark.isEmpty());
    EXPECT_TRUE(BoxOf(img, kButtonText).isEmpty());
    EXPECT_EQ(light.right(), dark.right() + 1);
    EXPECT_EQ(light.bottom(), dark.bottom() + 1);
    // Not hot while disabled.
    EXPECT_EQ(At(img, 74, 22), Hex(kDark));
    rig.button.show();
    QTest::mouseClick(&rig.button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 0);
}

// A double click is two presses: the button clicks twice.
TEST(LumButton, DoubleClickIsSecondPress)
{
    ButtonRig rig;
    rig.button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.button));
    QSignalSpy clicked(&rig.button, &QPushButton::clicked);
    QTest::mouseClick(&rig.button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    // What the window system sends for the second click of a double click.
    const QPointF centre = QRectF(rig.button.rect()).center();
    QMouseEvent dbl(QEvent::MouseButtonDblClick, centre, rig.button.mapToGlobal(centre), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&rig.button, &dbl);
    EXPECT_TRUE(rig.button.isDown());
    QTest::mouseRelease(&rig.button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 2);
}

// Esc in a dialog clicks its cancel button (and only a cancel button that
// can be clicked); without one the dialog keeps its own Esc handling.
TEST(LumButton, EscClicksTheCancelButton)
{
    QDialog dialog;
    auto* ok = new TLumButton(QStringLiteral("OK"), &dialog);
    auto* cancel = new TLumButton(QStringLiteral("Cancel"), &dialog);
    cancel->SetCancel(true);
    EXPECT_TRUE(cancel->Cancel());
    cancel->move(0, 30);
    QSignalSpy okClicked(ok, &QPushButton::clicked);
    QSignalSpy cancelClicked(cancel, &QPushButton::clicked);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    ShowActive(dialog);
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Escape);
    EXPECT_EQ(cancelClicked.count(), 1);
    EXPECT_EQ(okClicked.count(), 0);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    dialog.show();
    cancel->setEnabled(false);
    QTest::keyClick(ok, Qt::Key_Escape);
    EXPECT_EQ(cancelClicked.count(), 1);

    cancel->setEnabled(true);
    cancel->SetCancel(false);
    dialog.show();
    QTest::keyClick(ok, Qt::Key_Escape);
    EXPECT_EQ(cancelClicked.count(), 1);
}

} // namespace
} // namespace quillet
