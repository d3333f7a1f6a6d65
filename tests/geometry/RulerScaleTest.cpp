#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "geometry/RulerScale.h"
#include "platform/Arith.h"

namespace quillet {
namespace {

RulerLayout Horizontal(int width, int height, int start, int length, double dpiX = 96, double dpiY = 96)
{
    return ComputeRulerLayout(
        TMyOrientation::trHorizontal, width, height, { 0, 0, width, height }, start, length, dpiX, dpiY);
}

RulerLayout Vertical(int width, int height, int start, int length, double dpiX = 96, double dpiY = 96)
{
    return ComputeRulerLayout(
        TMyOrientation::trVertical, width, height, { 0, 0, width, height }, start, length, dpiX, dpiY);
}

// At 96 dpi a 29-pixel horizontal ruler has its band from y 7 to 22, numbers
// every 37.795 pixels rounded half to even, and the ticks of the first
// centimetre at 15, 23 and 30 pixels with their documented heights.
TEST(RulerScale, HorizontalAt96Dpi)
{
    const RulerLayout r = Horizontal(400, 29, 0, 5);
    EXPECT_EQ(r.band.top, 7);
    EXPECT_EQ(r.band.bottom, 22);
    EXPECT_EQ(r.startWhere, r.band.left);
    EXPECT_EQ(r.endWhere, r.band.right);

    ASSERT_EQ(r.labels.size(), 6u);
    const int offsets[] = { 0, 38, 76, 113, 151, 189 };
    for (int o = 0; o < 6; ++o) {
        EXPECT_EQ(r.labels[o].at.x - r.band.left, offsets[o]) << o;
        EXPECT_EQ(r.labels[o].at.y, 8) << o;
        EXPECT_EQ(r.labels[o].number, o);
    }

    // Three ticks per number plus three after the last one.
    ASSERT_EQ(r.ticks.size(), 21u);
    // Ticks 3..5 belong to the first centimetre: 8 mm, 6 mm, 4 mm.
    const int x0 = r.band.left;
    EXPECT_EQ(r.ticks[3].from, (Point { x0 + 30, 13 }));
    EXPECT_EQ(r.ticks[3].to, (Point { x0 + 30, 15 }));
    EXPECT_EQ(r.ticks[4].from, (Point { x0 + 23, 11 }));
    EXPECT_EQ(r.ticks[4].to, (Point { x0 + 23, 18 }));
    EXPECT_EQ(r.ticks[5].from, (Point { x0 + 15, 13 }));
    EXPECT_EQ(r.ticks[5].to, (Point { x0 + 15, 15 }));
    // The last three close the band's last centimetre (k = 5).
    EXPECT_EQ(r.ticks[18].from.x, x0 + 219); // Round(37.795 * 5 + 30.236) = Round(219.21)
    EXPECT_EQ(r.ticks[19].from.x, x0 + 212); // 211.65
    EXPECT_EQ(r.ticks[20].from.x, x0 + 204); // 204.09
}

// The horizontal ruler measures along with the horizontal resolution and
// across with the vertical one.
TEST(RulerScale, HorizontalUsesBothResolutions)
{
    const RulerLayout r = Horizontal(400, 40, 0, 1, 96, 192);
    EXPECT_EQ(r.band.top, 5); // (40 - 30.24) / 2 = 4.88
    EXPECT_EQ(r.band.bottom, 35);
    EXPECT_EQ(r.band.Width(), 76); // 2 cm at 96 dpi
    EXPECT_EQ(r.labels[1].at.x - r.band.left, 38);
    // First centimetre's long tick: x at 6 mm of 96 dpi, y 1..3 mm of 192 dpi.
    EXPECT_EQ(r.ticks[4].from, (Point { r.band.left + 23, 13 }));
    EXPECT_EQ(r.ticks[4].to, (Point { r.band.left + 23, 28 }));
}

// A 21 cm page gets an 869-pixel ruler whose band runs from 38 to 831, with
// grey bars from 5 to the band and from the band to 5 short of the end.
TEST(RulerScale, TwentyOneCentimetrePage)
{
    const RulerLayout r = Horizontal(869, 29, 0, 20);
    EXPECT_EQ(r.startWhere, 38);
    EXPECT_EQ(r.endWhere, 831);
    EXPECT_EQ(r.barBefore, (Rect { 5, 7, 36, 22 }));
    EXPECT_EQ(r.barAfter, (Rect { 833, 7, 864, 22 }));
    ASSERT_EQ(r.labels.size(), 21u);
    EXPECT_EQ(r.labels.back().number, 20);
    EXPECT_EQ(r.labels.back().at.x, 38 + 756); // Round(37.795 * 20) = Round(755.91)
}

// The bar after the band ends 5 pixels inside the clip rectangle, not the
// control, when the two differ.
TEST(RulerScale, BarFollowsClip)
{
    const RulerLayout r
        = ComputeRulerLayout(TMyOrientation::trHorizontal, 869, 29, { 0, 0, 600, 29 }, 0, 20, 96, 96);
    EXPECT_EQ(r.barAfter.right, 595);
    const RulerLayout v
        = ComputeRulerLayout(TMyOrientation::trVertical, 29, 869, { 0, 0, 29, 700 }, 0, 20, 96, 96);
    EXPECT_EQ(v.barAfter, (Rect { 7, 833, 22, 695 }));
    EXPECT_EQ(v.barBefore, (Rect { 7, 5, 22, 36 }));
}

// One centimetre: a single number at the band's start, ticks at -2, -4 and
// -6 mm on the bar before the band and at 8, 6 and 4 mm inside it.
TEST(RulerScale, LengthZero)
{
    const RulerLayout r = Horizontal(200, 29, 7, 0);
    ASSERT_EQ(r.labels.size(), 1u);
    EXPECT_EQ(r.labels[0].number, 7);
    EXPECT_EQ(r.labels[0].at.x, r.band.left);
    EXPECT_EQ(r.band.Width(), 38);
    ASSERT_EQ(r.ticks.size(), 6u);
    const int x0 = r.band.left;
    const int expected[] = { -8, -15, -23, 30, 23, 15 };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(r.ticks[i].from.x - x0, expected[i]) << i;
}

// A negative length draws no numbers, only the three ticks of the closing
// step, on a band of zero or negative length.
TEST(RulerScale, NegativeLength)
{
    for (int length : { -1, -3 }) {
        const RulerLayout r = Horizontal(200, 29, 0, length);
        EXPECT_TRUE(r.labels.empty());
        EXPECT_EQ(r.ticks.size(), 3u);
        EXPECT_LE(r.band.right, r.band.left);
    }
    EXPECT_EQ(Horizontal(200, 29, 0, -1).band.Width(), 0);
}

// The vertical ruler measures along with the vertical resolution and across
// with the horizontal one; one-digit numbers stand 5 pixels in, longer ones 2.
TEST(RulerScale, VerticalUsesBothResolutions)
{
    const RulerLayout r = Vertical(40, 500, 8, 3, 192, 96);
    // Across: 4 mm at 192 dpi = 30.24 px, (40 - 30.24) / 2 = 4.88.
    EXPECT_EQ(r.band.left, 5);
    EXPECT_EQ(r.band.right, 35);
    EXPECT_EQ(r.startWhere, r.band.top);
    EXPECT_EQ(r.endWhere, r.band.bottom);
    // Along: 4 cm at 96 dpi = 151.18 px, (500 - 151.18) / 2 = 174.41.
    EXPECT_EQ(r.band.top, 174);
    EXPECT_EQ(r.band.bottom, 326);

    ASSERT_EQ(r.labels.size(), 4u);
    const int numbers[] = { 8, 9, 10, 11 };
    const int insets[] = { 5, 5, 2, 2 };
    const int offsets[] = { 0, 38, 76, 113 };
    for (int o = 0; o < 4; ++o) {
        EXPECT_EQ(r.labels[o].number, numbers[o]);
        EXPECT_EQ(r.labels[o].at.x, r.band.left + insets[o]) << o;
        EXPECT_EQ(r.labels[o].at.y, r.band.top + offsets[o]) << o;
    }

    // First centimetre: short ticks at 8 and 4 mm, the long one at 6 mm.
    // Band 30 wide: short ticks from 5 + Round(14) to 5 + Round(16); long
    // from 5 + Round(7.56) to 5 + Round(22.68).
    const int y0 = r.band.top;
    EXPECT_EQ(r.ticks[3].from, (Point { 19, y0 + 30 }));
    EXPECT_EQ(r.ticks[3].to, (Point { 21, y0 + 30 }));
    EXPECT_EQ(r.ticks[4].from, (Point { 19, y0 + 15 }));
    EXPECT_EQ(r.ticks[5].from, (Point { 13, y0 + 23 }));
    EXPECT_EQ(r.ticks[5].to, (Point { 28, y0 + 23 }));
}

// A wild length or start number from a caller neither hangs nor overflows.
TEST(RulerScale, ExtremeValuesStayBounded)
{
    const RulerLayout r = Horizontal(869, 29, INT_MAX, INT_MAX);
    EXPECT_LE(r.labels.size(), 100001u);
    EXPECT_EQ(r.labels.back().number, INT_MAX);
    const RulerLayout n = Horizontal(869, 29, 0, INT_MIN);
    EXPECT_TRUE(n.labels.empty());
    EXPECT_EQ(n.ticks.size(), 3u);
}

} // namespace
} // namespace quillet

namespace quillet {
namespace {

// A ruler of the paper at a zoom: its band is the sheet's side, numbered in
// the paper's centimetres every 1, 2, 5, 10 ... of them so that no number
// reaches the next, ticks only where they stay apart and off the numbers.
TEST(RulerScale, PaperAtZoomNumbersThePapersCentimetres)
{
    struct Case {
        TMyOrientation o;
        int mm;
        double zoom;
        double dpi;
        int step;
        int lastNumber;
    } cases[] = {
        { TMyOrientation::trHorizontal, 210, 8.0, 96, 1, 20 },
        { TMyOrientation::trHorizontal, 210, 4.0, 96, 1, 20 },
        { TMyOrientation::trHorizontal, 210, 1.25, 96, 1, 20 },
        { TMyOrientation::trHorizontal, 210, 0.33, 96, 2, 20 },
        { TMyOrientation::trHorizontal, 210, 0.25, 96, 2, 20 },
        { TMyOrientation::trHorizontal, 210, 0.10, 96, 5, 20 },
        { TMyOrientation::trHorizontal, 215, 1.5, 96, 1, 21 },
        { TMyOrientation::trHorizontal, 2400, 0.10, 96, 10, 230 },
        { TMyOrientation::trHorizontal, 2400, 8.0, 192, 1, 239 },
        { TMyOrientation::trVertical, 290, 8.0, 96, 1, 28 },
        { TMyOrientation::trVertical, 290, 0.33, 96, 2, 28 },
        { TMyOrientation::trVertical, 290, 0.10, 96, 5, 25 },
        { TMyOrientation::trVertical, 2400, 4.0, 96, 1, 239 },
    };
    for (const Case& c : cases) {
        const bool horizontal = c.o == TMyOrientation::trHorizontal;
        const int pixels = RulerSheetPixels(c.mm, c.dpi, c.zoom);
        const int length = pixels + 100;
        const int width = horizontal ? length : 25;
        const int height = horizontal ? 29 : length;
        const RulerLayout r = ComputeRulerLayout(c.o, width, height, { 0, 0, width, height }, 0, 5, c.dpi,
            c.dpi, { c.zoom, c.mm });
        const std::string what = std::to_string(c.mm) + " mm at " + std::to_string(c.zoom);
        EXPECT_EQ(r.endWhere - r.startWhere, pixels) << what;
        ASSERT_GE(r.labels.size(), 2u) << what;
        EXPECT_EQ(r.labels[1].number - r.labels[0].number, c.step) << what;
        EXPECT_EQ(r.labels.back().number, c.lastNumber) << what;
        const double cm = c.dpi / 2.54 * c.zoom;
        // A number's room along the ruler: its digits, or a line of text.
        const double room = horizontal ? std::to_string(c.lastNumber).size() * c.dpi * 0.062 + 2 : c.dpi * 0.125;
        for (std::size_t i = 0; i < r.labels.size(); ++i) {
            const int along = horizontal ? r.labels[i].at.x : r.labels[i].at.y;
            EXPECT_EQ(along, r.startWhere + Round(cm * r.labels[i].number)) << what;
            if (i > 0) {
                const int before = horizontal ? r.labels[i - 1].at.x : r.labels[i - 1].at.y;
                EXPECT_GE(along - before, room) << what << " number " << r.labels[i].number;
            }
            // Inside the ruler across it, whatever its digits.
            if (!horizontal) {
                EXPECT_GE(r.labels[i].at.x, r.band.left) << what;
                EXPECT_LE(r.labels[i].at.x + std::to_string(r.labels[i].number).size() * 6, 25u) << what;
            }
        }
        for (const RulerTick& t : r.ticks) {
            const int along = horizontal ? t.from.x : t.from.y;
            EXPECT_GE(along, r.startWhere) << what;
            EXPECT_LE(along, r.endWhere) << what;
            // No tick runs through a number.
            for (const RulerLabel& l : r.labels) {
                const int at = horizontal ? l.at.x : l.at.y;
                EXPECT_FALSE(along >= at && along < at + room - 2) << what << " tick at " << along;
            }
        }
    }
}

} // namespace
} // namespace quillet
