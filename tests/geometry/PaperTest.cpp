#include <gtest/gtest.h>

#include <optional>

#include "geometry/PrnPaper.h"
#include "geometry/RulerScale.h"
#include "platform/fake/RecordingCanvas.h"

namespace quillet {
namespace {

class FixedDisplay : public Display {
public:
    int LogicalDpiX() const override { return 96; }
    int LogicalDpiY() const override { return 96; }
};

struct RulerCall {
    int pos = 0, length = 0, startNumber = 0, lengthNumber = 0;
};

// A main window stand-in whose rulers are 29 pixels thick and find their
// band the way the ruler control does.
class FakePaperHost : public TMyPaperHost {
public:
    int stripWidth = 500;
    int stripHeight = 400;
    std::optional<RulerCall> top, left;
    Rect imagePlace;
    RecordingBitmap picture { 96, 96 };
    int changed = 0;

    int TopStripWidth() const override { return stripWidth; }
    int LeftStripHeight() const override { return stripHeight; }
    void SetTopRuler(int l, int width, int start, int length) override
    {
        top = RulerCall { l, width, start, length };
        topStart = ComputeRulerLayout(
            TMyOrientation::trHorizontal, width, 29, { 0, 0, width, 29 }, start, length, 96, 96)
                       .startWhere;
    }
    void SetLeftRuler(int t, int height, int start, int length) override
    {
        left = RulerCall { t, height, start, length };
        leftStart = ComputeRulerLayout(
            TMyOrientation::trVertical, 29, height, { 0, 0, 29, height }, start, length, 96, 96)
                        .startWhere;
    }
    int TopRulerStartWhere() const override { return topStart; }
    int LeftRulerStartWhere() const override { return leftStart; }
    void PlacePreviewImage(int l, int t, int w, int h) override { imagePlace = { l, t, l + w, t + h }; }
    Bitmap& PreviewPicture() override { return picture; }
    void PreviewPictureChanged() override { ++changed; }
    void ScrollToOrigin() override { }

private:
    int topStart = 0;
    int leftStart = 0;
};

// The colour a pixel ends up with after the recorded fills (last fill wins).
std::optional<Color> PixelAfterFills(const RecordingCanvas& c, int x, int y)
{
    std::optional<Color> colour;
    for (const CanvasOp& op : c.OfKind(CanvasOp::Kind::FillRect))
        if (x >= op.rect.left && x < op.rect.right && y >= op.rect.top && y < op.rect.bottom)
            colour = op.brushColor;
    return colour;
}

class PaperTest : public ::testing::Test {
protected:
    FixedDisplay display;
    TMyScreen screen { display };
    FakePaperHost host;
    TMyPaper paper { host, screen };
};

// A4 at 100 % (21 x 30 cm): rulers of 869 and 1209 pixels numbered 0..20 and
// 0..29, and a 794 x 1134 sheet placed at the bands' starts in an image five
// pixels larger each way.
TEST_F(PaperTest, A4AtFullSize)
{
    paper.SetPaper(21, 30);
    ASSERT_TRUE(host.top && host.left);
    EXPECT_EQ(host.top->pos, 0);
    EXPECT_EQ(host.top->length, 869);
    EXPECT_EQ(host.top->startNumber, 0);
    EXPECT_EQ(host.top->lengthNumber, 20);
    EXPECT_EQ(host.left->pos, 0);
    EXPECT_EQ(host.left->length, 1209); // Round(32 * 37.795) = Round(1209.45)
    EXPECT_EQ(host.left->lengthNumber, 29);

    EXPECT_EQ(host.picture.Width(), 794);
    EXPECT_EQ(host.picture.Height(), 1134);
    // Left at the top band's start (38); top at the left band's: (1209 - 1133.86) / 2 = 37.57.
    EXPECT_EQ(host.imagePlace, (Rect { 38, 38, 38 + 799, 38 + 1139 }));
    EXPECT_EQ(host.changed, 1);
    EXPECT_FALSE(host.picture.Recorder().ops.empty());
}

// A strip wider and taller than the page: the rulers fill the strips and the
// sheet moves with the centred bands.
TEST_F(PaperTest, StripLargerThanPage)
{
    host.stripWidth = 1200;
    host.stripHeight = 1500;
    paper.SetPaper(21, 30);
    EXPECT_EQ(host.top->length, 1200);
    EXPECT_EQ(host.left->length, 1500);
    EXPECT_EQ(host.imagePlace.left, 203); // (1200 - 793.7) / 2 = 203.15
    EXPECT_EQ(host.imagePlace.top, 183); // (1500 - 1133.86) / 2 = 183.07
    EXPECT_EQ(host.imagePlace.Width(), 799);
}

// The blank sheet is white with a black shadow on the right and bottom whose
// first five pixels are grey, and black left and top edges.
TEST_F(PaperTest, BlankPageFillsAndEdges)
{
    host.picture.SetSize(794, 1134);
    paper.DrawBlankPage();
    const RecordingCanvas& c = host.picture.Recorder();

    const auto fills = c.OfKind(CanvasOp::Kind::FillRect);
    ASSERT_EQ(fills.size(), 5u);
    EXPECT_EQ(fills[0].rect, (Rect { 0, 0, 794, 1134 }));
    EXPECT_EQ(fills[0].brushColor, kWhite);
    EXPECT_EQ(fills[1].rect, (Rect { 789, 0, 794, 1134 }));
    EXPECT_EQ(fills[1].brushColor, kBlack);
    EXPECT_EQ(fills[2].rect, (Rect { 789, 0, 794, 5 }));
    EXPECT_EQ(fills[2].brushColor, kGray);
    EXPECT_EQ(fills[3].rect, (Rect { 0, 1129, 794, 1134 }));
    EXPECT_EQ(fills[3].brushColor, kBlack);
    EXPECT_EQ(fills[4].rect, (Rect { 0, 1129, 5, 1134 }));
    EXPECT_EQ(fills[4].brushColor, kGray);

    const auto lines = c.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].from, (Point { 0, 1129 }));
    EXPECT_EQ(lines[0].to, (Point { 0, 0 }));
    EXPECT_EQ(lines[1].from, (Point { 0, 0 }));
    EXPECT_EQ(lines[1].to, (Point { 789, 0 }));
    for (const auto& l : lines) {
        EXPECT_EQ(l.penStyle, PenStyle::Solid);
        EXPECT_EQ(l.penWidth, 1);
        EXPECT_EQ(l.penColor, kBlack);
    }

    // Top right corner two pixels down: grey; far bottom right: black;
    // bottom left corner: grey; the middle of the sheet: white.
    EXPECT_EQ(PixelAfterFills(c, 793, 2), kGray);
    EXPECT_EQ(PixelAfterFills(c, 793, 1133), kBlack);
    EXPECT_EQ(PixelAfterFills(c, 2, 1133), kGray);
    EXPECT_EQ(PixelAfterFills(c, 793, 5), kBlack);
    EXPECT_EQ(PixelAfterFills(c, 400, 600), kWhite);
    EXPECT_EQ(host.changed, 1);
}

// A paper of nothing (or less) is shown as a sheet of 1 cm, one of many
// metres cut to what a picture holds; either says it was fitted.
TEST_F(PaperTest, AbsurdSizesShowASheetThatFits)
{
    paper.SetPaper(21, 30);
    EXPECT_FALSE(paper.SheetFitted());
    for (auto [w, h] : { std::pair { 0, 0 }, std::pair { -3, -2 }, std::pair { 0, 30 } }) {
        paper.SetPaper(w, h);
        EXPECT_TRUE(paper.SheetFitted());
        EXPECT_EQ(paper.ShownWidthCm(), 1);
        EXPECT_EQ(paper.ShownHeightCm(), h > 0 ? h : 1);
        EXPECT_EQ(host.picture.Width(), 38);
        EXPECT_EQ(host.top->lengthNumber, 0);
        EXPECT_EQ(host.imagePlace.Width(), 38 + 5);
    }
    paper.SetPaper(6553, 6553);
    EXPECT_TRUE(paper.SheetFitted());
    EXPECT_EQ(paper.ShownWidthCm(), 127); // 127 x 37.795 = 4800 pixels
    EXPECT_EQ(host.picture.Width(), 4800);
    EXPECT_EQ(host.picture.Height(), 4800);
    EXPECT_EQ(host.left->lengthNumber, 126);
    EXPECT_LE(host.top->length, (127 + 2) * 38);
    // The largest sheet that fits is shown as it is.
    paper.SetPaper(84, 127);
    EXPECT_FALSE(paper.SheetFitted());
    EXPECT_EQ(host.changed, 6);
}

} // namespace
} // namespace quillet
