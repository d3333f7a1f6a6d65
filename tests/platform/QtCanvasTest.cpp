#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

#include <cctype>
#include <cmath>
#include <string>

#include "QtTestSupport.h"
#include "platform/GbkCodec.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtCanvas.h"

namespace quillet {
namespace {

using test::BoundsOfNot;
using test::CountPixels;
using test::IsColor;

const QColor kQWhite(255, 255, 255);
const QColor kQBlack(0, 0, 0);
const QColor kQRed(255, 0, 0);
const QColor kQYellow(255, 255, 0);
const Color kYellow = RgbColor(255, 255, 0);
const char* const kSongTi = "\xCB\xCE\xCC\xE5"; // 宋体

// A white bitmap at 96 dpi with a black 1-pixel pen and a white brush.
struct Sheet {
    explicit Sheet(int w = 40, int h = 40, int dpi = 96)
        : bitmap(dpi, dpi)
    {
        bitmap.SetSize(w, h);
        canvas().SetBrushColor(kWhite);
        canvas().FillRect({ 0, 0, w, h });
        canvas().SetPen(PenStyle::Solid, 1, kBlack);
    }
    Canvas& canvas() { return bitmap.GetCanvas(); }
    const QImage& image() { return bitmap.Image(); }
    QtBitmap bitmap;
};

struct LineCase {
    const char* name;
    int width;
    Point from;
    Point to;
    // Extent of the drawn pixels along the line (x for horizontal lines, y for vertical ones).
    int first;
    int last;
};

class LineEndTest : public ::testing::TestWithParam<LineCase> { };

// LineTo draws from the pen position up to, but not including, its end point, whichever way the line runs.
TEST_P(LineEndTest, EndPixelIsLeftOut)
{
    const LineCase& c = GetParam();
    Sheet sheet;
    sheet.canvas().SetPen(PenStyle::Solid, c.width, kBlack);
    sheet.canvas().MoveTo(c.from.x, c.from.y);
    sheet.canvas().LineTo(c.to.x, c.to.y);
    const QRect ink = BoundsOfNot(sheet.image(), kQWhite);
    const bool horizontal = c.from.y == c.to.y;
    if (horizontal) {
        EXPECT_EQ(ink.left(), c.first);
        EXPECT_EQ(ink.right(), c.last);
        EXPECT_EQ(ink.height(), c.width);
        EXPECT_TRUE(ink.top() <= c.from.y && c.from.y <= ink.bottom());
    } else {
        EXPECT_EQ(ink.top(), c.first);
        EXPECT_EQ(ink.bottom(), c.last);
        EXPECT_EQ(ink.width(), c.width);
        EXPECT_TRUE(ink.left() <= c.from.x && c.from.x <= ink.right());
    }
}

INSTANTIATE_TEST_SUITE_P(QtCanvas, LineEndTest,
    ::testing::Values(LineCase { "right1", 1, { 5, 10 }, { 15, 10 }, 5, 14 },
        LineCase { "left1", 1, { 15, 10 }, { 5, 10 }, 6, 15 },
        LineCase { "down1", 1, { 7, 3 }, { 7, 20 }, 3, 19 },
        LineCase { "up1", 1, { 7, 20 }, { 7, 3 }, 4, 20 },
        LineCase { "right2", 2, { 5, 10 }, { 15, 10 }, 5, 14 },
        LineCase { "left2", 2, { 15, 10 }, { 5, 10 }, 6, 15 },
        LineCase { "down2", 2, { 7, 3 }, { 7, 20 }, 3, 19 },
        LineCase { "up2", 2, { 7, 20 }, { 7, 3 }, 4, 20 }),
    [](const auto& info) { return std::string(info.param.name); });

// A solid hairline along an axis colours exactly the pixels from its first point up to its end point, in the
// pen's colour, also when it is one pixel long or runs off the picture.
TEST(QtCanvas, HairlinesCoverExactlyTheirPixels)
{
    struct Case {
        const char* name;
        Point from;
        Point to;
        QRect expected; // empty: nothing shows
    } cases[] = {
        { "one pixel right", { 5, 5 }, { 6, 5 }, QRect(5, 5, 1, 1) },
        { "one pixel left", { 6, 5 }, { 5, 5 }, QRect(6, 5, 1, 1) },
        { "one pixel up", { 9, 9 }, { 9, 8 }, QRect(9, 9, 1, 1) },
        { "in from the left edge", { -10, 7 }, { 4, 7 }, QRect(0, 7, 4, 1) },
        { "out over the right edge, backwards", { 60, 7 }, { 30, 7 }, QRect(31, 7, 9, 1) },
        { "down off the bottom", { 12, 30 }, { 12, 90 }, QRect(12, 30, 1, 10) },
        { "up from below the picture", { 12, 90 }, { 12, 35 }, QRect(12, 36, 1, 4) },
        { "above the picture", { 0, -1 }, { 40, -1 }, QRect() },
        { "on the last column", { 39, 0 }, { 39, 40 }, QRect(39, 0, 1, 40) },
    };
    for (const auto& c : cases) {
        Sheet sheet;
        sheet.canvas().SetPen(PenStyle::Solid, 1, kRed);
        sheet.canvas().MoveTo(c.from.x, c.from.y);
        sheet.canvas().LineTo(c.to.x, c.to.y);
        EXPECT_EQ(BoundsOfNot(sheet.image(), kQWhite), c.expected) << c.name;
        EXPECT_EQ(CountPixels(sheet.image(), c.expected, kQRed), c.expected.width() * c.expected.height())
            << c.name;
    }
}

// A slanted line starts on its first point and stops short of its last one, in both directions.
TEST(QtCanvas, SlantedLineLeavesOutEndPoint)
{
    struct Case {
        Point from;
        Point to;
    } cases[] = { { { 5, 5 }, { 25, 12 } }, { { 25, 12 }, { 5, 5 } }, { { 5, 5 }, { 12, 25 } },
        { { 12, 25 }, { 5, 5 } } };
    for (const auto& c : cases) {
        Sheet sheet;
        sheet.canvas().MoveTo(c.from.x, c.from.y);
        sheet.canvas().LineTo(c.to.x, c.to.y);
        const QImage& img = sheet.image();
        EXPECT_TRUE(IsColor(img, c.from.x, c.from.y, kQBlack)) << c.from.x << "," << c.from.y;
        EXPECT_TRUE(IsColor(img, c.to.x, c.to.y, kQWhite)) << c.to.x << "," << c.to.y;
    }
}

// Consecutive LineTo calls continue from the last end point; a null pen moves without drawing.
TEST(QtCanvas, PenPositionCarriesOverAndNullPenDrawsNothing)
{
    Sheet sheet;
    sheet.canvas().MoveTo(2, 2);
    sheet.canvas().LineTo(12, 2);
    sheet.canvas().LineTo(12, 12);
    sheet.canvas().SetPen(PenStyle::Null, 1, kBlack);
    sheet.canvas().LineTo(30, 12);
    const QImage& img = sheet.image();
    EXPECT_EQ(CountPixels(img, QRect(2, 2, 10, 1), kQBlack), 10);
    EXPECT_EQ(CountPixels(img, QRect(12, 2, 1, 10), kQBlack), 10);
    EXPECT_TRUE(IsColor(img, 12, 12, kQWhite));
    EXPECT_EQ(CountPixels(img, QRect(13, 12, 20, 1), kQBlack), 0);
}

// Dot and dash-dot pens leave gaps; a dash-dot line has runs longer than a dot.
TEST(QtCanvas, StyledPensLeaveGaps)
{
    struct Case {
        PenStyle style;
        int minRun;
    } cases[] = { { PenStyle::Dot, 1 }, { PenStyle::DashDot, 3 } };
    for (const auto& c : cases) {
        Sheet sheet(80, 5);
        sheet.canvas().SetPen(c.style, 1, kBlack);
        sheet.canvas().MoveTo(0, 2);
        sheet.canvas().LineTo(80, 2);
        const QImage& img = sheet.image();
        int black = 0;
        int longestRun = 0;
        int run = 0;
        for (int x = 0; x < 80; ++x) {
            if (img.pixelColor(x, 2) == kQBlack) {
                ++black;
                longestRun = std::max(longestRun, ++run);
            } else {
                run = 0;
            }
        }
        EXPECT_GT(black, 10);
        EXPECT_LT(black, 70);
        EXPECT_GE(longestRun, c.minRun);
    }
}

// Rectangle outlines with the pen and fills with the brush, leaving out the right and bottom edge.
TEST(QtCanvas, RectangleLeavesOutRightAndBottomEdge)
{
    Sheet sheet;
    sheet.canvas().SetBrushColor(kRed);
    sheet.canvas().Rectangle({ 2, 3, 12, 10 });
    const QImage& img = sheet.image();
    EXPECT_EQ(BoundsOfNot(img, kQWhite), QRect(QPoint(2, 3), QPoint(11, 9)));
    EXPECT_EQ(CountPixels(img, QRect(2, 3, 10, 1), kQBlack), 10); // top
    EXPECT_EQ(CountPixels(img, QRect(2, 9, 10, 1), kQBlack), 10); // bottom
    EXPECT_EQ(CountPixels(img, QRect(2, 3, 1, 7), kQBlack), 7); // left
    EXPECT_EQ(CountPixels(img, QRect(11, 3, 1, 7), kQBlack), 7); // right
    EXPECT_EQ(CountPixels(img, QRect(3, 4, 8, 5), kQRed), 8 * 5); // inside
}

// Without a pen the rectangle is only its inside, one pixel smaller each way, as on GDI.
TEST(QtCanvas, RectangleWithNullPenFillsInside)
{
    Sheet sheet;
    sheet.canvas().SetPen(PenStyle::Null, 1, kBlack);
    sheet.canvas().SetBrushColor(kRed);
    sheet.canvas().Rectangle({ 2, 3, 12, 10 });
    EXPECT_EQ(BoundsOfNot(sheet.image(), kQWhite), QRect(QPoint(2, 3), QPoint(10, 8)));
    EXPECT_EQ(CountPixels(sheet.image(), QRect(2, 3, 9, 6), kQRed), 9 * 6);
}

// FillRect covers left..right-1 and top..bottom-1; an empty or reversed rectangle covers nothing.
TEST(QtCanvas, FillRectCoversHalfOpenArea)
{
    struct Case {
        Rect r;
        QRect expected;
    } cases[] = {
        { { 2, 3, 12, 10 }, QRect(QPoint(2, 3), QPoint(11, 9)) },
        { { 5, 5, 6, 6 }, QRect(5, 5, 1, 1) },
        { { 12, 10, 2, 3 }, QRect() },
        { { 4, 4, 4, 20 }, QRect() },
        { { -5, -5, 3, 2 }, QRect(QPoint(0, 0), QPoint(2, 1)) },
    };
    for (const auto& c : cases) {
        Sheet sheet;
        sheet.canvas().SetBrushColor(kRed);
        sheet.canvas().FillRect(c.r);
        EXPECT_EQ(BoundsOfNot(sheet.image(), kQWhite), c.expected) << c.r.left << "," << c.r.top;
        EXPECT_EQ(CountPixels(sheet.image(), c.expected, kQRed), c.expected.width() * c.expected.height());
    }
}

// The font is MulDiv(points, dpiY, 72) pixels high; zero, negative and absurd sizes are held within 1..4096.
TEST(QtCanvas, FontPixelHeightFollowsDpi)
{
    struct Case {
        int dpi;
        int points;
        int pixels;
    } cases[] = {
        { 96, 12, 16 },
        { 96, 9, 12 },
        { 96, 10, 13 },
        { 600, 12, 100 },
        { 600, 9, 75 },
        { 600, 10, 83 },
        { 96, 0, static_cast<int>(std::lround(QtCanvas::DefaultFontPoints() * 96 / 72)) },
        { 600, 0, static_cast<int>(std::lround(QtCanvas::DefaultFontPoints() * 600 / 72)) },
        { 96, -8, 1 },
        { 96, 2000000000, QtCanvas::kMaxFontPixels },
    };
    for (const auto& c : cases) {
        QtBitmap bitmap(c.dpi, c.dpi);
        bitmap.SetSize(10, 10);
        Canvas& canvas = bitmap.GetCanvas();
        EXPECT_EQ(canvas.DpiY(), c.dpi);
        canvas.SetFont(kSongTi, c.points, kBlack);
        EXPECT_EQ(bitmap.GetQtCanvas().Font().pixelSize(), c.pixels)
            << c.dpi << " dpi, " << c.points << " pt";
        canvas.SetFontSize(c.points);
        EXPECT_EQ(bitmap.GetQtCanvas().Font().pixelSize(), c.pixels);
        if (c.pixels <= 200) {
            // Text measures about one font height high.
            const Size extent = canvas.TextExtent("\xCB\xCE"); // 宋
            EXPECT_GE(extent.cy, c.pixels);
            EXPECT_LE(extent.cy, c.pixels * 2 + 2);
        }
    }
}

// The Windows face names land on the installed families that keep PDF text searchable.
TEST(QtCanvas, WindowsFaceNamesAreSubstituted)
{
    struct Case {
        const char* gbkName;
        const char* family;
    } cases[] = {
        { "\xCB\xCE\xCC\xE5", "AR PL UMing CN" }, // 宋体
        { "\xB7\xC2\xCB\xCE", "AR PL UMing CN" }, // 仿宋
        { "\xBF\xAC\xCC\xE5", "AR PL UKai CN" }, // 楷体
        { "\xBA\xDA\xCC\xE5", "WenQuanYi Zen Hei" }, // 黑体
        { "Tahoma", "DejaVu Sans" },
        { "MS Sans Serif", "DejaVu Sans" },
        { "Arial", "DejaVu Sans" },
    };
    for (const auto& c : cases) {
        QtBitmap bitmap(96, 96);
        bitmap.GetCanvas().SetFont(c.gbkName, 12, kBlack);
        EXPECT_EQ(QFontInfo(bitmap.GetQtCanvas().Font()).family(), QString::fromUtf8(c.family)) << c.family;
    }
}

// TextOut paints the text's extent with the brush first, its top edge exactly at y, and the ink inside it.
TEST(QtCanvas, TextOutIsOpaqueWithTopAtY)
{
    Sheet sheet(200, 60);
    Canvas& canvas = sheet.canvas();
    canvas.SetFont(kSongTi, 12, kBlack);
    canvas.SetBrushColor(kYellow);
    const std::string text = "\xCB\xCE\xCC\xE5\xB1\xEA\xCC\xE2"; // 宋体标题
    const Size extent = canvas.TextExtent(text);
    canvas.TextOut(10, 20, text);
    const QImage& img = sheet.image();
    const QRect box(10, 20, extent.cx, extent.cy);
    EXPECT_EQ(BoundsOfNot(img, kQWhite), box);
    const int yellow = CountPixels(img, box, kQYellow);
    EXPECT_GT(yellow, box.width() * box.height() / 2); // background
    EXPECT_LT(yellow, box.width() * box.height()); // and ink
    // The glyphs sit in the upper part of the box: their ink reaches into its top third.
    EXPECT_LT(
        CountPixels(img, QRect(10, 20, extent.cx, extent.cy / 3), kQYellow), extent.cx * (extent.cy / 3));
}

// TextRect fills its clip with the brush and nothing of the text escapes it.
TEST(QtCanvas, TextRectIsClipped)
{
    Sheet sheet(200, 80);
    Canvas& canvas = sheet.canvas();
    canvas.SetFont(kSongTi, 24, kBlack);
    canvas.SetBrushColor(kYellow);
    const Rect clip { 20, 20, 60, 40 };
    canvas.TextRect(clip, 5, 12, "\xCB\xCE\xCC\xE5\xB1\xEA\xCC\xE2\xCB\xCE\xCC\xE5");
    const QImage& img = sheet.image();
    const QRect box(20, 20, 40, 20);
    EXPECT_EQ(BoundsOfNot(img, kQWhite), box);
    EXPECT_LT(CountPixels(img, box, kQYellow), 40 * 20); // some text shows inside
    // The clip does not stay on the canvas: later drawing reaches outside it.
    canvas.SetBrushColor(kRed);
    canvas.FillRect({ 0, 0, 5, 5 });
    EXPECT_EQ(CountPixels(sheet.image(), QRect(0, 0, 5, 5), kQRed), 25);
}

struct ClippedTextCase {
    const char* name;
    const char* gbkFont;
    int points;
    std::string gbkText;
    Rect clip;
    Point at;
    Color color;
};

void PrintTo(const ClippedTextCase& c, std::ostream* os)
{
    *os << c.name;
}

const ClippedTextCase kClippedTextCases[] = {
    // A cell's number, taller than its box (the page's 4 mm rows): cut above and below.
    { "digits cut top and bottom", kSongTi, 8, "1,234,567.89", { 30, 40, 110, 48 }, { 30, 38 }, kBlack },
    { "Chinese cut at the right", "\xBA\xDA\xCC\xE5", 12, "\xB1\xBE\xD2\xB3\xD0\xA1\xBC\xC6\xBA\xCF",
        { 10, 10, 50, 30 }, { 10, 10 }, kRed },
    { "starts left of the box", "\xBF\xAC\xCC\xE5", 10, "ABCjgq\xCB\xCE\xCC\xE5", { 40, 60, 120, 75 },
        { 25, 58 }, kBlack },
    { "box off the picture's top left", "Arial", 14, "Wide text 123", { -8, -6, 60, 12 }, { -10, -9 }, kRed },
    { "box off the picture's bottom right", kSongTi, 20, "\xB5\xDA\xD2\xBB\xD2\xB3 99", { 150, 85, 230, 120 },
        { 152, 80 }, kBlack },
    { "text wholly inside its box", kSongTi, 9, "42", { 60, 20, 120, 40 }, { 62, 24 }, kBlack },
    { "one pixel high", "Arial", 12, "Hg", { 5, 50, 40, 51 }, { 5, 42 }, kBlack },
    // Too large for the canvas's scratch pictures: drawn through the painter's clip instead.
    { "large box", kSongTi, 48, "\xBA\xCF\xBC\xC6 9", { 5, 5, 195, 95 }, { 0, 40 }, kRed },
};

// A text drawn over the whole picture first, so the box of the case covers something.
const ClippedTextCase kUnderlay { "underlay", kSongTi, 12, "\xB8\xB2\xB8\xC7\xB8\xB2\xB8\xC7",
    { 0, 0, 200, 100 }, { 3, 30 }, kBlack };

// Draws the texts the way Qt draws clipped text on its own: the box filled with the brush, the glyphs clipped
// to it.
void DrawClippedReference(QPainter& p, const ClippedTextCase& c, const QFont& font, QColor brush = kQYellow)
{
    const QRect box(c.clip.left, c.clip.top, c.clip.Width(), c.clip.Height());
    p.save();
    p.fillRect(box, brush);
    p.setClipRect(box);
    p.setFont(font);
    p.setPen(QColor(ColorRed(c.color), ColorGreen(c.color), ColorBlue(c.color)));
    p.drawText(QPoint(c.at.x, c.at.y + QFontMetrics(font, p.device()).ascent()),
        QString::fromStdString(GbkToUtf8(c.gbkText)));
    p.restore();
}

QImage WhitePicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.setDotsPerMeterX(3780); // 96 dpi
    img.setDotsPerMeterY(3780);
    img.fill(Qt::white);
    return img;
}

class ClippedTextTest : public ::testing::TestWithParam<ClippedTextCase> { };

// TextRect gives exactly the pixels of Qt's clipped text, on a bitmap and through a borrowed painter, also
// where the box leaves the picture or is one pixel high.
TEST_P(ClippedTextTest, PixelsMatchQtClip)
{
    const ClippedTextCase& c = GetParam();
    constexpr int kW = 200;
    constexpr int kH = 100;
    auto drawOn = [&](Canvas& canvas) {
        for (const ClippedTextCase* t : { &kUnderlay, &c }) {
            canvas.SetFont(t->gbkFont, t->points, t->color);
            canvas.SetBrushColor(kYellow);
            canvas.TextRect(t->clip, t->at.x, t->at.y, t->gbkText);
        }
    };
    Sheet sheet(kW, kH);
    drawOn(sheet.canvas());

    QImage borrowed = WhitePicture(kW, kH);
    QImage expected = WhitePicture(kW, kH);
    {
        QPainter painter(&borrowed);
        QtCanvas canvas(painter);
        drawOn(canvas);
        QPainter reference(&expected);
        reference.setRenderHint(QPainter::Antialiasing, false);
        for (const ClippedTextCase* t : { &kUnderlay, &c }) {
            canvas.SetFont(t->gbkFont, t->points, t->color);
            DrawClippedReference(reference, *t, canvas.Font());
        }
    }
    ASSERT_EQ(sheet.image().size(), expected.size());
    int differ = 0;
    int differBorrowed = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            differ += sheet.image().pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
            differBorrowed += borrowed.pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(differBorrowed, 0);
    // Some of the case's text shows: the comparison is not between two blank boxes.
    const QRect box = QRect(c.clip.left, c.clip.top, c.clip.Width(), c.clip.Height()) & expected.rect();
    EXPECT_LT(CountPixels(expected, box, kQYellow), box.width() * box.height());
}

INSTANTIATE_TEST_SUITE_P(
    QtCanvas, ClippedTextTest, ::testing::ValuesIn(kClippedTextCases), [](const auto& info) {
        std::string name;
        for (const char* p = info.param.name; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

// A text drawn again in a box of the same size comes from the canvas's memory of finished boxes; a change of
// the text, the font, a colour, the box's size or the text's place in it draws afresh, exactly as Qt would.
TEST(QtCanvas, RepeatedTextBoxesStayExact)
{
    const ClippedTextCase first { "first", kSongTi, 10, "\xB5\xDA\x31\xD2\xB3 12.50", { 10, 10, 90, 24 },
        { 12, 8 }, kBlack }; // 第1页 12.50
    struct Variation {
        const char* name;
        void (*change)(ClippedTextCase& c, Color& brush);
    } variations[] = {
        { "the same", [](ClippedTextCase&, Color&) {} },
        { "other text", [](ClippedTextCase& c, Color&) { c.gbkText = "\xB5\xDA\x32\xD2\xB3 12.50"; } },
        { "other face", [](ClippedTextCase& c, Color&) { c.gbkFont = "\xBA\xDA\xCC\xE5"; } },
        { "other size", [](ClippedTextCase& c, Color&) { c.points = 11; } },
        { "other colour", [](ClippedTextCase& c, Color&) { c.color = kRed; } },
        { "other brush", [](ClippedTextCase&, Color& brush) { brush = RgbColor(0, 255, 255); } },
        { "one pixel right in the box", [](ClippedTextCase& c, Color&) { c.at.x += 1; } },
        { "one pixel lower in the box", [](ClippedTextCase& c, Color&) { c.at.y += 1; } },
        { "box one pixel narrower", [](ClippedTextCase& c, Color&) { c.clip.right -= 1; } },
    };
    for (const auto& v : variations) {
        ClippedTextCase second = first;
        second.clip.top += 30;
        second.clip.bottom += 30;
        second.at.y += 30;
        Color brush = kYellow;
        v.change(second, brush);

        Sheet sheet(100, 60);
        Canvas& canvas = sheet.canvas();
        QImage expected = WhitePicture(100, 60);
        QPainter reference(&expected);
        reference.setRenderHint(QPainter::Antialiasing, false);
        for (const auto& [c, b] : { std::pair { first, kYellow }, std::pair { second, brush } }) {
            canvas.SetFont(c.gbkFont, c.points, c.color);
            canvas.SetBrushColor(b);
            canvas.TextRect(c.clip, c.at.x, c.at.y, c.gbkText);
            DrawClippedReference(reference, c, sheet.bitmap.GetQtCanvas().Font(),
                QColor(ColorRed(b), ColorGreen(b), ColorBlue(b)));
        }
        reference.end();
        int differ = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x)
                differ += sheet.image().pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
        EXPECT_EQ(differ, 0) << v.name;
    }
}

// StretchDraw scales the whole source picture into the destination rectangle, and the source can be drawn on
// afterwards.
TEST(QtCanvas, StretchDrawFillsDestination)
{
    QtBitmap source(96, 96);
    source.SetSize(10, 10);
    source.GetCanvas().SetBrushColor(kRed);
    source.GetCanvas().FillRect({ 0, 0, 10, 10 });
    Sheet sheet;
    sheet.canvas().StretchDraw({ 5, 5, 25, 15 }, source);
    EXPECT_EQ(BoundsOfNot(sheet.image(), kQWhite), QRect(5, 5, 20, 10));
    EXPECT_EQ(CountPixels(sheet.image(), QRect(5, 5, 20, 10), kQRed), 200);

    // The source kept its brush across the painter being ended for the read.
    source.GetCanvas().FillRect({ 0, 0, 2, 2 });
    EXPECT_TRUE(IsColor(source.Image(), 1, 1, kQRed));
}

// A bitmap drawn into itself, or into an empty destination, neither crashes nor corrupts it.
TEST(QtCanvas, StretchDrawOfItselfAndEmptyBitmaps)
{
    Sheet sheet(20, 20);
    sheet.canvas().SetBrushColor(kRed);
    sheet.canvas().FillRect({ 0, 0, 10, 20 });
    sheet.canvas().StretchDraw({ 10, 0, 20, 20 }, sheet.bitmap);
    EXPECT_TRUE(IsColor(sheet.image(), 12, 5, kQRed));
    EXPECT_TRUE(IsColor(sheet.image(), 17, 5, kQWhite));

    QtBitmap empty(96, 96);
    empty.SetSize(0, 0);
    sheet.canvas().StretchDraw({ 0, 0, 20, 20 }, empty);
    empty.GetCanvas().StretchDraw({ 0, 0, 20, 20 }, sheet.bitmap);
    empty.GetCanvas().TextOut(0, 0, "x");
    EXPECT_TRUE(IsColor(sheet.image(), 12, 5, kQRed));
}

// A canvas on someone else's painter draws through it and leaves it running.
TEST(QtCanvas, BorrowedPainterStaysActive)
{
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    {
        QtCanvas canvas(painter);
        canvas.SetBrushColor(kRed);
        canvas.FillRect({ 0, 0, 4, 4 });
        canvas.End();
        EXPECT_EQ(canvas.ClipRect(), (Rect { 0, 0, 20, 20 }));
    }
    EXPECT_TRUE(painter.isActive());
    painter.end();
    EXPECT_EQ(CountPixels(img, QRect(0, 0, 20, 20), kQRed), 16);
}

// Size 0 is the window system's default size, at each device's resolution: on a screen picture, on a
// printer's and through SetFontSize alike; it measures and draws like that size given in points.
TEST(QtCanvas, SizeZeroIsTheDefaultSize)
{
    const double points = QtCanvas::DefaultFontPoints();
    ASSERT_GT(points, 0);
    for (int dpi : { 96, 300, 1200 }) {
        QtBitmap bitmap(dpi, dpi);
        bitmap.SetSize(10, 10);
        Canvas& canvas = bitmap.GetCanvas();
        canvas.SetFont(kSongTi, 0, kBlack);
        const int pixels = static_cast<int>(std::lround(points * dpi / 72));
        EXPECT_EQ(bitmap.GetQtCanvas().Font().pixelSize(), pixels) << dpi;
        const Size zero = canvas.TextExtent("Total 98,765.43");
        canvas.SetFontSize(5);
        canvas.SetFontSize(0);
        EXPECT_EQ(bitmap.GetQtCanvas().Font().pixelSize(), pixels) << dpi;
        if (points == std::floor(points)) {
            canvas.SetFont(kSongTi, static_cast<int>(points), kBlack);
            EXPECT_EQ(canvas.TextExtent("Total 98,765.43"), zero) << dpi;
        }
    }
    // Drawn, a size-0 text is as tall as the default size's, not a pixel high.
    Sheet sheet(300, 60);
    sheet.canvas().SetFont(kSongTi, 0, kBlack);
    sheet.canvas().TextOut(5, 5, "\xCB\xCE\xCC\xE5 Hg");
    const QRect ink = BoundsOfNot(sheet.image(), kQWhite);
    EXPECT_GE(ink.height(), static_cast<int>(std::lround(points * 96 / 72)) - 4);
}

// Latin text is not kerned: a text measures the sum of its characters' advances (to the pixel the sum
// rounds to), on pictures of any resolution, and is drawn that wide; a kerned "AV" would be narrower.
TEST(QtCanvas, TextIsMeasuredAndDrawnWithoutKerning)
{
    for (const char* face : { "Tahoma", "Arial", "\xCB\xCE\xCC\xE5" }) {
        for (int dpi : { 96, 600 }) {
            QtBitmap bitmap(dpi, dpi);
            bitmap.SetSize(10, 10);
            Canvas& canvas = bitmap.GetCanvas();
            canvas.SetFont(face, 24, kBlack);
            const QFontMetricsF metrics(bitmap.GetQtCanvas().Font(), &bitmap.GetQtCanvas().Device());
            for (const char* text : { "To AV Wa", "Total 98,765.43", "AVAVAVAV WaWaWa ToTo" }) {
                qreal sum = 0;
                for (const QChar ch : QString::fromLatin1(text))
                    sum += metrics.horizontalAdvance(ch);
                EXPECT_NEAR(canvas.TextExtent(text).cx, sum, 1.0) << face << " " << dpi << " " << text;
            }
        }
    }
    // Drawn, "AVAVAVAV" ends where its unkerned advances put it, not where a kerned layout would.
    Sheet sheet(400, 60);
    sheet.canvas().SetFont("Tahoma", 36, kBlack);
    const std::string text = "AVAVAVAV";
    sheet.canvas().TextOut(10, 5, text);
    const int drawnRight = BoundsOfNot(sheet.image(), kQWhite).right();
    auto inkRight = [&](bool kerning) {
        QImage img(400, 60, QImage::Format_RGB32);
        img.fill(Qt::white);
        QFont font = sheet.bitmap.GetQtCanvas().Font();
        font.setKerning(kerning);
        font.setStyleStrategy(QFont::PreferDefault);
        QPainter p(&img);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPoint(10, 5 + QFontMetrics(font, &img).ascent()), QString::fromLatin1(text.c_str()));
        p.end();
        return BoundsOfNot(img, kQWhite).right();
    };
    EXPECT_NEAR(drawnRight, inkRight(false), 1);
    EXPECT_GT(drawnRight, inkRight(true) + 3); // the check would see kerning
}

// A picture shrunk by StretchDraw keeps every one-pixel rule and a red mark: each target pixel takes the
// darkest of the source pixels it covers, at any ratio.
TEST(QtCanvas, StretchDrawShrinkKeepsDarkLines)
{
    QtBitmap source(96, 96);
    source.SetSize(300, 200);
    Canvas& sc = source.GetCanvas();
    sc.SetBrushColor(kWhite);
    sc.FillRect({ 0, 0, 300, 200 });
    sc.SetPen(PenStyle::Solid, 1, kBlack);
    for (int x = 3; x < 300; x += 7) {
        sc.MoveTo(x, 0);
        sc.LineTo(x, 200);
    }
    for (int y = 5; y < 200; y += 6) {
        sc.MoveTo(0, y);
        sc.LineTo(300, y);
    }
    sc.SetBrushColor(kRed);
    sc.FillRect({ 151, 101, 152, 102 });
    // Dark runs along a row or a column of the picture.
    auto runs = [](const QImage& img, bool alongRow, int at) {
        int count = 0;
        bool inRun = false;
        const int n = alongRow ? img.width() : img.height();
        for (int i = 0; i < n; ++i) {
            const bool dark = qGray(alongRow ? img.pixel(i, at) : img.pixel(at, i)) < 128;
            count += dark && !inRun ? 1 : 0;
            inRun = dark;
        }
        return count;
    };
    const QImage& full = source.Image();
    const int columns = runs(full, true, 0);
    const int rows = runs(full, false, 0);
    ASSERT_EQ(columns, 43);
    ASSERT_EQ(rows, 33);
    for (QSize target : { QSize(150, 100), QSize(141, 93), QSize(101, 77) }) {
        Sheet sheet(target.width(), target.height());
        sheet.canvas().StretchDraw({ 0, 0, target.width(), target.height() }, source);
        const QImage& img = sheet.image();
        // Row 0 and column 0 of the picture cover source pixels between the rules.
        EXPECT_EQ(runs(img, true, 0), columns) << target.width();
        EXPECT_EQ(runs(img, false, 0), rows) << target.height();
    }
    // A mark alone in a white area keeps its colour.
    Sheet sheet(150, 100);
    QtBitmap marked(96, 96);
    marked.SetSize(300, 200);
    marked.GetCanvas().SetBrushColor(kWhite);
    marked.GetCanvas().FillRect({ 0, 0, 300, 200 });
    marked.GetCanvas().SetBrushColor(kRed);
    marked.GetCanvas().FillRect({ 151, 101, 152, 102 });
    sheet.canvas().StretchDraw({ 0, 0, 150, 100 }, marked);
    EXPECT_TRUE(IsColor(sheet.image(), 75, 50, kQRed));
    EXPECT_EQ(CountPixels(sheet.image(), sheet.image().rect(), kQRed), 1);
}

// Rectangles left out by ExcludeClipRect keep what they hold while lines, fills, texts and rectangles are
// drawn across them, until ResetClip; drawing that lies wholly inside one is skipped.
TEST(QtCanvas, ExcludedRectanglesAreLeftOut)
{
    Sheet sheet(60, 60);
    Canvas& c = sheet.canvas();
    c.SetBrushColor(kYellow);
    c.FillRect({ 20, 20, 40, 40 });
    c.ExcludeClipRect({ 20, 20, 40, 40 });
    c.MoveTo(30, 0);
    c.LineTo(30, 60);
    c.MoveTo(0, 30);
    c.LineTo(60, 30);
    c.MoveTo(19, 0); // beside the rectangle: drawn whole
    c.LineTo(19, 60);
    c.SetBrushColor(kRed);
    c.FillRect({ 10, 10, 50, 15 });
    c.FillRect({ 25, 25, 35, 35 });
    c.SetFont(kSongTi, 9, kBlack);
    c.TextRect({ 22, 22, 38, 38 }, 22, 22, "x");
    const QImage& img = sheet.image();
    EXPECT_EQ(CountPixels(img, QRect(20, 20, 20, 20), kQYellow), 400);
    EXPECT_TRUE(IsColor(img, 30, 5, kQBlack));
    EXPECT_TRUE(IsColor(img, 30, 45, kQBlack));
    EXPECT_TRUE(IsColor(img, 45, 30, kQBlack));
    EXPECT_EQ(CountPixels(img, QRect(19, 0, 1, 60), kQBlack), 55); // the red fill lies over 5 of its pixels
    c.ResetClip();
    c.MoveTo(30, 0);
    c.LineTo(30, 60);
    EXPECT_TRUE(IsColor(sheet.image(), 30, 30, kQBlack));
}

// A widget lower down its window (a ruler under the tool bar) paints all of itself: its painter's place in
// the window is no part of what lies off its picture.
TEST(QtCanvasOnWidget, OffsetWidgetPaintsWhole)
{
    struct Filled : QWidget {
        using QWidget::QWidget;
        void paintEvent(QPaintEvent*) override
        {
            QPainter painter(this);
            QtCanvas canvas(painter);
            canvas.SetBrushColor(RgbColor(255, 0, 0));
            canvas.FillRect({ 0, 0, width(), height() });
        }
    };
    QWidget window;
    window.resize(300, 200);
    auto* ruler = new Filled(&window);
    ruler->setGeometry(0, 80, 300, 20);
    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(150, 90), kQRed);
    EXPECT_EQ(shot.pixelColor(299, 99), kQRed);
}

// A page drawn through a device map: each case maps one-pixel rules (solid,
// along both axes, and the edges of a rectangle) at a scale and checks how
// many device pixels they take, the same wherever they lie.
TEST(QtCanvasMapped, RulesKeepWholeDevicePixels)
{
    struct Case {
        double scale;
        int across; // device pixels a 1-pixel rule takes
    } cases[] = { { 2.0, 2 }, { 3.0, 3 }, { 1.5, 2 }, { 1.25, 1 }, { 1.75, 2 }, { 0.5, 1 }, { 0.25, 1 } };
    for (const Case& c : cases) {
        for (int at = 20; at < 24; ++at) {
            SCOPED_TRACE(testing::Message() << c.scale << " at " << at);
            QImage image(240, 240, QImage::Format_RGB32);
            image.fill(Qt::white);
            QtCanvas canvas(image);
            canvas.SetDpi(96, 96);
            canvas.SetDeviceMap({ c.scale, c.scale, 0, 0 });
            canvas.SetPen(PenStyle::Solid, 1, kBlack);
            canvas.MoveTo(4, at); // horizontal rule
            canvas.LineTo(40, at);
            canvas.MoveTo(at + 10, 4); // vertical rule
            canvas.LineTo(at + 10, 16);
            canvas.SetBrushColor(kWhite);
            canvas.Rectangle({ 50, at, 70, at + 10 }); // edges at x 50, 69 and y at, at + 9
            canvas.End();
            // A device column through the horizontal rules, a device row through the vertical ones.
            const int column = static_cast<int>(10 * c.scale);
            const int row = static_cast<int>(10 * c.scale);
            const int boxColumn = static_cast<int>(60 * c.scale);
            const int boxRow = static_cast<int>((at + 5) * c.scale);
            int down = 0, across = 0, boxDown = 0, boxAcross = 0;
            for (int yy = 0; yy < image.height(); ++yy) {
                down += QColor(image.pixel(column, yy)) == kQBlack;
                boxDown += QColor(image.pixel(boxColumn, yy)) == kQBlack;
            }
            for (int xx = 0; xx < image.width(); ++xx) {
                across += QColor(image.pixel(xx, row)) == kQBlack;
                boxAcross += QColor(image.pixel(xx, boxRow)) == kQBlack;
            }
            EXPECT_EQ(down, c.across);
            EXPECT_EQ(across, c.across);
            if (c.scale >= 1) { // shrunk, the box's edges run into one another
                EXPECT_EQ(boxDown, 2 * c.across);
                EXPECT_EQ(boxAcross, 2 * c.across);
            }
            // The rule starts where its logical pixel starts.
            EXPECT_EQ(QColor(image.pixel(column, static_cast<int>(std::floor(at * c.scale + 0.5)))), kQBlack);
        }
    }
}

// Text through a map of 2 is drawn from the outlines at twice the size: it is
// measured as at 96 dpi, and its edges are finer than the ratio-1 picture
// enlarged (some 2 x 2 block of device pixels is not of one colour).
TEST(QtCanvasMapped, TextIsMeasuredAtItsOwnResolutionAndDrawnFiner)
{
    const std::string text = "Quillet 2024";
    QImage one(160, 40, QImage::Format_RGB32);
    QImage two(320, 80, QImage::Format_RGB32);
    Size extents[2];
    QImage* images[2] = { &one, &two };
    for (int i = 0; i < 2; ++i) {
        images[i]->setDotsPerMeterX(3780);
        images[i]->setDotsPerMeterY(3780);
        images[i]->fill(Qt::white);
        QtCanvas canvas(*images[i]);
        canvas.SetDpi(96, 96);
        canvas.SetDeviceMap({ i + 1.0, i + 1.0, 0, 0 });
        canvas.SetFont("Arial", 12, kBlack);
        canvas.SetBrushColor(kWhite);
        extents[i] = canvas.TextExtent(text);
        canvas.TextOut(4, 4, text);
    }
    EXPECT_EQ(extents[0].cx, extents[1].cx);
    EXPECT_EQ(extents[0].cy, extents[1].cy);
    int mixedBlocks = 0;
    int inked = 0;
    for (int y = 0; y + 1 < two.height(); y += 2)
        for (int x = 0; x + 1 < two.width(); x += 2) {
            const QRgb a = two.pixel(x, y);
            inked += a != qRgb(255, 255, 255);
            mixedBlocks
                += a != two.pixel(x + 1, y) || a != two.pixel(x, y + 1) || a != two.pixel(x + 1, y + 1);
        }
    EXPECT_GT(inked, 20);
    EXPECT_GT(mixedBlocks, 20);
    // Nothing of the text leaves its measured box, scaled.
    EXPECT_EQ(test::BoundsOfNot(two, kQWhite).right() < 2 * (4 + extents[0].cx) + 4, true);
}

} // namespace
} // namespace quillet
