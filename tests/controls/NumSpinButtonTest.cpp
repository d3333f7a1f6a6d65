// The diagonal spin button's three pictures (frame, diagonal, the raised and
// sunken halves, glyph corners rounded half to even), which half a press
// aims at, and where the spin edit puts its button.
#include <QTest>
#include <gtest/gtest.h>

#include "ControlsTestUtil.h"
#include "controls/NumSpin.h"

namespace quillet {
namespace {

using namespace test;

struct SpinButtonRig {
    TNumSpinButton button;
    explicit SpinButtonRig(int w = 21, int h = 21)
    {
        button.setPalette(TestPalette());
        button.resize(w, h);
    }
};

// Nothing pressed: window-frame outline and diagonal, each half raised
// (upper: highlight outside, shadow along the diagonal; lower the reverse),
// glyphs in button text at their corners.
TEST(NumSpinButton, RestingPicture)
{
    SpinButtonRig rig;
    const QImage img = rig.button.Picture(TSpinHalf::None);
    ASSERT_EQ(img.size(), QSize(21, 21));
    for (QPoint p : { QPoint(0, 0), QPoint(20, 0), QPoint(0, 20), QPoint(20, 20), QPoint(10, 0),
             QPoint(0, 10), QPoint(10, 10), QPoint(5, 15), QPoint(15, 5) })
        EXPECT_EQ(At(img, p.x(), p.y()), Hex(kFrame)) << p.x() << "," << p.y();
    EXPECT_EQ(At(img, 5, 1), Hex(kLight));
    EXPECT_EQ(At(img, 1, 5), Hex(kLight));
    EXPECT_EQ(At(img, 9, 10), Hex(kDark));
    EXPECT_EQ(At(img, 11, 10), Hex(kLight));
    EXPECT_EQ(At(img, 19, 10), Hex(kDark));
    EXPECT_EQ(At(img, 10, 19), Hex(kDark));
    EXPECT_EQ(At(img, 4, 10), Hex(kFace));
    EXPECT_EQ(At(img, 16, 10), Hex(kFace));

    // Up glyph (7 x 4, tip on top) at (3, 4); down glyph at (11, 13).
    EXPECT_EQ(rig.button.UpGlyphPos(TSpinHalf::None), QPoint(3, 4));
    EXPECT_EQ(rig.button.DownGlyphPos(), QPoint(11, 13));
    EXPECT_EQ(At(img, 6, 4), Hex(kButtonText));
    EXPECT_EQ(At(img, 5, 4), Hex(kFace));
    EXPECT_EQ(At(img, 3, 7), Hex(kButtonText));
    EXPECT_EQ(At(img, 11, 13), Hex(kButtonText));
    EXPECT_EQ(At(img, 17, 13), Hex(kButtonText));
    EXPECT_EQ(At(img, 14, 16), Hex(kButtonText));
    EXPECT_EQ(At(img, 13, 16), Hex(kFace));

    // The widget paints the resting picture.
    EXPECT_EQ(Render(rig.button), img.convertToFormat(QImage::Format_RGB32));
}

// Each pressed half turns sunken (colours swapped) while the other stays
// raised; only the up glyph moves, one pixel right and down.
TEST(NumSpinButton, PressedPictures)
{
    SpinButtonRig rig;
    const QImage up = rig.button.Picture(TSpinHalf::Up);
    EXPECT_EQ(At(up, 5, 1), Hex(kDark));
    EXPECT_EQ(At(up, 1, 5), Hex(kDark));
    EXPECT_EQ(At(up, 9, 10), Hex(kLight));
    EXPECT_EQ(At(up, 11, 10), Hex(kLight));
    EXPECT_EQ(At(up, 19, 10), Hex(kDark));
    EXPECT_EQ(rig.button.UpGlyphPos(TSpinHalf::Up), QPoint(4, 5));
    EXPECT_EQ(At(up, 7, 5), Hex(kButtonText));
    EXPECT_EQ(At(up, 6, 4), Hex(kFace));
    EXPECT_EQ(At(up, 11, 13), Hex(kButtonText));

    const QImage down = rig.button.Picture(TSpinHalf::Down);
    EXPECT_EQ(At(down, 5, 1), Hex(kLight));
    EXPECT_EQ(At(down, 9, 10), Hex(kDark));
    EXPECT_EQ(At(down, 11, 10), Hex(kDark));
    EXPECT_EQ(At(down, 19, 10), Hex(kLight));
    EXPECT_EQ(At(down, 10, 19), Hex(kLight));
    EXPECT_EQ(At(down, 6, 4), Hex(kButtonText));
    EXPECT_EQ(At(down, 11, 13), Hex(kButtonText));
}

// Glyph corners that fall on a half round to the even neighbour: 2.5 -> 2,
// 10.5 -> 10 on a 20-pixel button, 3.5 -> 4, 13.5 -> 14 on a 24-pixel one.
TEST(NumSpinButton, GlyphCornersRoundHalfToEven)
{
    SpinButtonRig small(20, 20);
    EXPECT_EQ(small.button.UpGlyphPos(TSpinHalf::None), QPoint(2, 4));
    EXPECT_EQ(small.button.DownGlyphPos(), QPoint(10, 12));
    const QImage img = small.button.Picture(TSpinHalf::None);
    EXPECT_EQ(At(img, 5, 4), Hex(kButtonText));
    EXPECT_EQ(At(img, 10, 12), Hex(kButtonText));
    EXPECT_NE(At(img, 17, 12), Hex(kButtonText));

    SpinButtonRig large(24, 24);
    EXPECT_EQ(large.button.UpGlyphPos(TSpinHalf::None), QPoint(4, 5));
    EXPECT_EQ(large.button.DownGlyphPos(), QPoint(14, 15));
    EXPECT_EQ(large.button.UpGlyphPos(TSpinHalf::Up), QPoint(5, 6));
}

// A disabled button greys its glyphs (shadow with a highlight echo) and the
// pictures are prepared again when the size changes.
TEST(NumSpinButton, DisabledAndResizedPictures)
{
    SpinButtonRig rig;
    rig.button.setEnabled(false);
    const QImage img = rig.button.Picture(TSpinHalf::None);
    EXPECT_EQ(At(img, 6, 4), Hex(kDark));
    EXPECT_EQ(At(img, 10, 8), Hex(kLight));
    EXPECT_TRUE(BoxOf(img, kButtonText).isEmpty());
    rig.button.resize(30, 30);
    EXPECT_EQ(rig.button.Picture(TSpinHalf::Up).size(), QSize(30, 30));
    EXPECT_EQ(rig.button.Picture(TSpinHalf::Down).size(), QSize(30, 30));
}

// The diagonal from the lower-left to the upper-right corner splits the
// presses, on square and wide buttons alike; outside the button is nothing.
TEST(NumSpinButton, DiagonalDecidesTheHalf)
{
    SpinButtonRig rig;
    EXPECT_EQ(rig.button.HalfAt(QPoint(0, 0)), TSpinHalf::Up);
    EXPECT_EQ(rig.button.HalfAt(QPoint(9, 10)), TSpinHalf::Up);
    EXPECT_EQ(rig.button.HalfAt(QPoint(10, 10)), TSpinHalf::Down);
    EXPECT_EQ(rig.button.HalfAt(QPoint(20, 20)), TSpinHalf::Down);
    EXPECT_EQ(rig.button.HalfAt(QPoint(18, 1)), TSpinHalf::Up);
    EXPECT_EQ(rig.button.HalfAt(QPoint(1, 18)), TSpinHalf::Up);
    EXPECT_EQ(rig.button.HalfAt(QPoint(2, 19)), TSpinHalf::Down);
    EXPECT_EQ(rig.button.HalfAt(QPoint(21, 5)), TSpinHalf::None);
    EXPECT_EQ(rig.button.HalfAt(QPoint(-1, 5)), TSpinHalf::None);
    rig.button.resize(40, 20);
    EXPECT_EQ(rig.button.HalfAt(QPoint(30, 2)), TSpinHalf::Up);
    EXPECT_EQ(rig.button.HalfAt(QPoint(30, 8)), TSpinHalf::Down);
}

// The button is a square as tall as the box inside its frame, at the right
// end (left end right to left), and typed text stops before it.
TEST(NumSpinButton, PlacedInTheEditAndTextKeptClear)
{
    TNumSpinEdit spin;
    spin.resize(100, 24);
    spin.show();
    const QRect b = spin.Button()->geometry();
    EXPECT_EQ(b.width(), b.height());
    EXPECT_EQ(b.top() + b.bottom(), 23); // centred top to bottom
    EXPECT_GE(b.height(), 18);
    EXPECT_EQ(b.right(), 99 - b.top());
    EXPECT_EQ(spin.textMargins().right(), b.width());

    spin.setText(QStringLiteral("1234567890123456789012345"));
    spin.setCursorPosition(spin.text().size());
    Render(spin); // the line scrolls as it paints
    EXPECT_LT(spin.inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(), b.left());

    spin.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(spin.Button()->geometry().left(), b.top());
    EXPECT_EQ(spin.textMargins().left(), b.width());
    spin.setCursorPosition(spin.text().size());
    Render(spin);
    EXPECT_GT(spin.inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(),
        spin.Button()->geometry().right());

    spin.SetButtonKind(TNumSpinButtonKind::Standard);
    EXPECT_NE(qobject_cast<TNumUpDown*>(spin.Button()), nullptr);
    EXPECT_EQ(spin.Button()->geometry().left(), b.top());
}

} // namespace
} // namespace quillet
