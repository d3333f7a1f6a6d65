// The ruler control painted at 96 dpi: band edges, numbers and ticks at the
// pixels its scale puts them.
#include <QImage>
#include <gtest/gtest.h>

#include "platform/fake/RecordingCanvas.h"
#include "preview/ZtRuler.h"

namespace quillet {
namespace {

QImage Paint(TZtRuler& ruler)
{
    QImage image(ruler.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    ruler.render(&image);
    return image;
}

bool IsBlack(const QImage& image, int x, int y)
{
    return image.pixel(x, y) == qRgb(0, 0, 0);
}
bool IsWhite(const QImage& image, int x, int y)
{
    return image.pixel(x, y) == qRgb(255, 255, 255);
}

// A 21 cm top ruler 869 pixels wide: band from 38 to 831 and from 7 to 22,
// short ticks at 15 and 30 pixels into each centimetre from y 13 to 14, the
// long tick at 23 pixels from y 11 to 17.
TEST(ZtRulerPaint, HorizontalBandNumbersAndTicksAt96Dpi)
{
    TZtRuler ruler;
    ruler.resize(869, 29);
    ruler.SetLengthNumber(20);
    EXPECT_EQ(ruler.StartWhere(), 38);
    EXPECT_EQ(ruler.EndWhere(), 831);
    const QImage image = Paint(ruler);
    EXPECT_TRUE(IsWhite(image, 38 + 2, 7));
    EXPECT_TRUE(IsWhite(image, 38 + 2, 21));
    EXPECT_FALSE(IsWhite(image, 38 + 2, 22));
    EXPECT_FALSE(IsWhite(image, 37, 15));
    EXPECT_FALSE(IsWhite(image, 831, 15));
    // First centimetre: ticks at 38 + 15, 38 + 23, 38 + 30.
    for (int x : { 38 + 15, 38 + 30 }) {
        EXPECT_TRUE(IsBlack(image, x, 13)) << x;
        EXPECT_TRUE(IsBlack(image, x, 14)) << x;
        EXPECT_FALSE(IsBlack(image, x, 15)) << x; // end point left out
        EXPECT_FALSE(IsBlack(image, x, 12)) << x;
    }
    for (int y = 11; y < 18; ++y)
        EXPECT_TRUE(IsBlack(image, 38 + 23, y)) << y;
    EXPECT_FALSE(IsBlack(image, 38 + 23, 18));
    // Numbers start at 0, 38, 76, 113, 151, 189 pixels right of the band's start.
    const RulerLayout layout = ruler.Layout();
    ASSERT_EQ(layout.labels.size(), 21u);
    const int expected[] = { 0, 38, 76, 113, 151, 189 };
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(layout.labels[i].at.x - 38, expected[i]);
        EXPECT_EQ(layout.labels[i].at.y, 8);
        EXPECT_EQ(layout.labels[i].number, i);
    }
    // Some black of the digit "1" lies inside the first centimetre's label box.
    bool ink = false;
    for (int x = 38 + 38; x < 38 + 38 + 8 && !ink; ++x)
        for (int y = 8; y < 21 && !ink; ++y)
            ink = IsBlack(image, x, y);
    EXPECT_TRUE(ink);
}

// A strip wider than the page keeps the band centred: StartWhere grows.
TEST(ZtRulerPaint, WiderControlCentresTheBand)
{
    TZtRuler ruler;
    ruler.resize(1069, 29);
    ruler.SetLengthNumber(20);
    EXPECT_EQ(ruler.StartWhere(), 138);
}

// The vertical ruler writes two-digit numbers 3 pixels further left than one-digit ones.
TEST(ZtRulerPaint, VerticalNumbersAndRepaintOnlyOnChange)
{
    TZtRuler ruler;
    ruler.SetOrientation(TMyOrientation::trVertical);
    ruler.resize(25, 1209);
    ruler.SetLengthNumber(29);
    const RulerLayout layout = ruler.Layout();
    ASSERT_EQ(layout.labels.size(), 30u);
    EXPECT_EQ(layout.labels[9].at.x - layout.labels[10].at.x, 3);
    const int before = ruler.RepaintCount();
    ruler.SetLengthNumber(29);
    ruler.SetStartNumber(0);
    EXPECT_EQ(ruler.RepaintCount(), before);
    ruler.SetStartNumber(1);
    EXPECT_EQ(ruler.RepaintCount(), before + 1);
}

// Painting follows the layout in order: face, band, bars, then each number
// followed by the ticks of the centimetre before it.
TEST(ZtRulerPaint, PaintOrderOnARecordingCanvas)
{
    RulerLayout layout
        = ComputeRulerLayout(TMyOrientation::trHorizontal, 869, 29, Rect { 0, 0, 869, 29 }, 0, 0, 96, 96);
    RecordingCanvas canvas(96, 96, Rect { 0, 0, 869, 29 });
    canvas.SetFont("Arial", 8, kBlack);
    PaintRuler(canvas, layout, RgbColor(240, 240, 240), RgbColor(160, 160, 160));
    const auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "0");
    EXPECT_EQ(texts[0].brushColor, kWhite);
    EXPECT_EQ(canvas.Lines().size(), 6u);
    EXPECT_EQ(canvas.ops[0].kind, CanvasOp::Kind::FillRect);
    EXPECT_EQ(canvas.ops[0].rect, (Rect { 0, 0, 869, 29 }));
}

} // namespace
} // namespace quillet
