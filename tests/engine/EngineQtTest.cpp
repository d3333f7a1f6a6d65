// The page engine on real pictures and a real (PDF) printer.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "engine/BuffPaper.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "model/PrnFunction.h"
#include "platform/Arith.h"
#include "platform/GbkCodec.h"
#include "platform/NumberLocale.h"
#include "platform/pdf/PdfFileHost.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtPrinterHost.h"
#include "tools/EngineRig.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

// The engine without a window, with the pictures the tests look at.
struct QtRig : EngineRig {
    void Start(const std::string& dataPath) { ASSERT_TRUE(EngineRig::Start(dataPath)); }
    QImage Page() { return static_cast<QtBitmap&>(buffer->PageImage()).Image(); }
    QImage Preview() { return paperHost.picture.Image(); }
};

// The folder the PDF printer writes into; it must be named before the rig
// reads its printers.
struct PdfFolder {
    PdfFolder() { qputenv("QUILLET_PDF_DIR", out.path().toUtf8()); }
    QStringList Files() const { return QDir(out.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files); }
    QTemporaryDir out;
};

// The example layout on the PDF printer.
struct PdfRig : PdfFolder, QtRig {
    PdfRig()
    {
        qunsetenv("QUILLET_PDF_DIR");
        BuildExampleFormat(format);
    }
};

bool IsDark(QRgb c)
{
    return qGray(c) < 100;
}

int DarkInRow(const QImage& img, int y, int x0, int x1)
{
    int n = 0;
    for (int x = x0; x < x1; ++x)
        n += IsDark(img.pixel(x, y)) ? 1 : 0;
    return n;
}

int DarkInRect(const QImage& img, const QRect& r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        n += DarkInRow(img, y, r.left(), r.right() + 1);
    return n;
}

TMyLineSpec Spec(int style, Color color = kBlack)
{
    TMyLineSpec s;
    s.Style = static_cast<std::uint8_t>(style);
    s.Color = color;
    return s;
}

// Rules land on exactly the pixels the millimetres round to, leaving out the end pixel.
TEST(EngineOnQImage, RuleStylesOnPixels)
{
    QtRig rig;
    QtBitmap bitmap(96, 96);
    bitmap.SetSize(600, 600);
    Canvas& c = bitmap.GetCanvas();
    TMyBuffPaper buffer(rig.format, rig.data, rig.screen, rig.printer, rig.paper, rig.bitmaps);
    // Horizontal rules from x 10 to 30 mm at 10 px/mm, one style per row.
    buffer.DrawRule(c, 10, 5, 30, 5, Spec(1, kRed), 10, 10);
    buffer.DrawRule(c, 10, 10, 30, 10, Spec(2), 10, 10);
    buffer.DrawRule(c, 10, 15, 30, 15, Spec(3), 10, 10);
    buffer.DrawRule(c, 10, 20, 30, 20, Spec(4), 10, 10);
    buffer.DrawRule(c, 10, 25, 30, 25, Spec(5), 10, 10);
    buffer.DrawRule(c, 10, 30, 30, 30, Spec(0), 10, 10);
    buffer.DrawRule(c, 40, 10, 40, 30, Spec(2), 10, 10);
    const QImage img = bitmap.Image();

    EXPECT_EQ(QColor(img.pixel(100, 50)), QColor(Qt::red));
    EXPECT_EQ(QColor(img.pixel(299, 50)), QColor(Qt::red));
    EXPECT_EQ(QColor(img.pixel(300, 50)), QColor(Qt::white)); // end pixel left out
    EXPECT_EQ(QColor(img.pixel(99, 50)), QColor(Qt::white));
    EXPECT_EQ(DarkInRow(img, 49, 0, 600) + DarkInRow(img, 51, 0, 600), 0);

    EXPECT_EQ(DarkInRow(img, 100, 100, 300), 200); // double: the rule and one 2 px above
    EXPECT_EQ(DarkInRow(img, 98, 100, 300), 200);
    EXPECT_EQ(DarkInRow(img, 99, 100, 300), 0);

    int thick = 0; // thick: two pixel rows
    for (int y = 145; y <= 155; ++y)
        thick += IsDark(img.pixel(200, y)) ? 1 : 0;
    EXPECT_EQ(thick, 2);

    const int dots = DarkInRow(img, 200, 100, 300);
    EXPECT_GT(dots, 60);
    EXPECT_LT(dots, 140);
    const int dashDot = DarkInRow(img, 250, 100, 300);
    EXPECT_GT(dashDot, 100);
    EXPECT_LT(dashDot, 200);
    EXPECT_EQ(DarkInRow(img, 300, 0, 600), 0); // no rule

    EXPECT_TRUE(IsDark(img.pixel(400, 150))); // vertical double: the rule
    EXPECT_TRUE(IsDark(img.pixel(398, 150))); // and one 2 px to the left
    EXPECT_FALSE(IsDark(img.pixel(399, 150)));
    EXPECT_FALSE(IsDark(img.pixel(400, 300))); // end pixel left out
}

// Thin, double and thick rules keep their screen sizes on finer devices: strips of n screen pixels (1/96
// inch) are as many device pixels as that length takes, and they lie on the strip of paper the screen covers.
TEST(EngineOnQImage, RuleWidthsKeepTheirScreenSizes)
{
    struct Case {
        int style;
        std::vector<int> strips; // screen pixels, top down: dark, light, dark, ...
        int above; // screen pixels of the strips above the rule's own pixel row
    };
    static const Case kCases[] = {
        { 1, { 1 }, 0 },
        { 2, { 1, 1, 1 }, 2 },
        { 3, { 2 }, 1 },
    };
    for (int dpi : { 96, 300, 600, 1200 }) {
        const double f = dpi / 25.4;
        for (const Case& c : kCases) {
            SCOPED_TRACE(testing::Message() << "style " << c.style << " at " << dpi << " dpi");
            QtRig rig;
            QtBitmap bitmap(dpi, dpi);
            bitmap.SetSize(Round(20 * f), Round(10 * f));
            TMyBuffPaper buffer(rig.format, rig.data, rig.screen, rig.printer, rig.paper, rig.bitmaps);
            buffer.DrawRule(bitmap.GetCanvas(), 2, 5, 18, 5, Spec(c.style), f, f);
            buffer.DrawRule(bitmap.GetCanvas(), 5, 2, 5, 8, Spec(c.style), f, f);
            const QImage img = bitmap.Image();
            const double k = dpi / 96.0;
            const int at = Round(5 * f);
            // Runs of dark and light pixels down column 10 mm (the horizontal rule) and along row 7 mm (the
            // vertical one), from the first dark pixel.
            for (bool vertical : { false, true }) {
                std::vector<int> runs;
                int first = -1;
                bool dark = false;
                for (int i = 0; i < Round(10 * f); ++i) {
                    const bool d
                        = IsDark(vertical ? img.pixel(i, Round(7 * f)) : img.pixel(Round(10 * f), i));
                    if (first < 0 && d)
                        first = i;
                    if (first < 0)
                        continue;
                    if (runs.empty() || d != dark)
                        runs.push_back(0);
                    dark = d;
                    ++runs.back();
                }
                if (!runs.empty() && !dark)
                    runs.pop_back();
                ASSERT_EQ(runs.size(), c.strips.size()) << (vertical ? "vertical" : "horizontal");
                for (std::size_t i = 0; i < runs.size(); ++i)
                    EXPECT_NEAR(runs[i], c.strips[i] * k, 1.0) << (vertical ? "vertical" : "horizontal");
                EXPECT_NEAR(first, at - c.above * k, 1.0) << (vertical ? "vertical" : "horizontal");
            }
        }
    }
}

class ExamplePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        dataPath = dir.filePath(QStringLiteral("example.dat")).toStdString();
        ASSERT_TRUE(WriteExampleData(dataPath, 100));
    }
    QTemporaryDir dir;
    std::string dataPath;
};

// A page of the example at 100 %: a blank sheet with its shadow, the table frame where the layout puts it,
// texts and the page number line.
TEST_F(ExamplePage, PreviewAtFullSize)
{
    QtRig rig;
    BuildExampleFormat(rig.format);
    rig.Start(dataPath);
    ASSERT_EQ(rig.buffer->PageCount, 4); // 100 lines, 30 rows a block (two of them sums)
    rig.buffer->ShowCurrentPage();
    const QImage img = rig.Preview();
    ASSERT_EQ(img.width(), 794); // 21 cm at 96 dpi
    ASSERT_EQ(img.height(), 1134); // 30 cm

    // The sheet's shadow: grey at the top of the right strip, black below it and along the bottom.
    EXPECT_EQ(QColor(img.pixel(img.width() - 1, 2)), QColor(128, 128, 128));
    EXPECT_EQ(QColor(img.pixel(img.width() - 1, 40)), QColor(Qt::black));
    EXPECT_EQ(QColor(img.pixel(img.width() - 1, img.height() - 1)), QColor(Qt::black));
    EXPECT_EQ(QColor(img.pixel(2, img.height() - 1)), QColor(128, 128, 128));
    EXPECT_EQ(QColor(img.pixel(0, 500)), QColor(Qt::black)); // left edge
    EXPECT_EQ(QColor(img.pixel(400, 0)), QColor(Qt::black)); // top edge
    EXPECT_EQ(QColor(img.pixel(10, 10)), QColor(Qt::white));

    // The table's frame: 150 mm wide from 30 mm; the double frame's outer line 1 mm outside.
    const TMyBuffPaper& b = *rig.buffer;
    EXPECT_EQ(b.TableLeft, 30);
    EXPECT_EQ(b.TableRight, 180);
    const int bodyTop = b.TableTop + b.CompanyHeight + b.TitleHeight + b.HeadHeight;
    const double f = rig.screen.PixelsPerMmX;
    const int frameY = Round(static_cast<long double>(bodyTop) * f);
    EXPECT_GT(DarkInRow(img, frameY, Round(30 * f), Round(180 * f)), Round(149 * f));
    EXPECT_GT(DarkInRow(img, Round(static_cast<long double>(bodyTop - 1) * f), Round(29 * f), Round(181 * f)),
        Round(149 * f));

    // Texts in the company and title lines, and the page number near the bottom.
    EXPECT_GT(DarkInRect(img, QRect(Round(30 * f), Round(25 * f), Round(150 * f), Round(10 * f))), 200);
    EXPECT_GT(DarkInRect(img, QRect(Round(80 * f), Round(290 * f), Round(50 * f), 14)), 20);
    EXPECT_EQ(DarkInRect(img, QRect(Round(31 * f), Round(292 * f), Round(40 * f), 14)), 0);

    // Nothing reads the page bitmap at full size: it is left cleared. At half size it holds the very page the
    // preview showed at full size.
    const QImage cleared = rig.Page();
    EXPECT_EQ(cleared.size(), QSize(794, 1134));
    EXPECT_EQ(DarkInRect(cleared, cleared.rect()), 0);
    rig.buffer->SetViewRate(50);
    const QImage page = rig.Page();
    for (int y = 100; y < 1000; y += 37)
        for (int x = 10; x < 780; x += 41)
            ASSERT_EQ(page.pixel(x, y), img.pixel(x, y)) << x << "," << y;
    int differ = 0;
    for (int y = 1; y < 1128; ++y)
        for (int x = 1; x < 788; ++x)
            differ += page.pixel(x, y) != img.pixel(x, y) ? 1 : 0;
    EXPECT_EQ(differ, 0);
}

// At 50 % the page bitmap is shrunk into a picture half as large.
TEST_F(ExamplePage, PreviewAtHalfSize)
{
    QtRig rig;
    BuildExampleFormat(rig.format);
    rig.Start(dataPath);
    rig.buffer->SetViewRate(50);
    const QImage img = rig.Preview();
    ASSERT_EQ(img.width(), Round(10 * rig.screen.PixelsPerCmX));
    ASSERT_EQ(img.height(), Round(15 * rig.screen.PixelsPerCmY));
    EXPECT_GT(DarkInRect(img, QRect(60, 100, 250, 300)), 1000);
    EXPECT_EQ(QColor(img.pixel(img.width() - 1, img.height() - 1)), QColor(Qt::black));
}

bool HavePdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

QString PdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A printed page of the example becomes one PDF whose text holds the title, the page number line and
// formatted numbers.
TEST_F(ExamplePage, PrintedThroughThePdfPrinter)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    PdfRig rig;
    ASSERT_TRUE(rig.out.isValid());
    ASSERT_TRUE(rig.printerHost.CurrentIsPdf());
    rig.Start(dataPath);
    rig.buffer->PrintPages(2, 2);
    EXPECT_EQ(rig.buffer->CurrentPage, 1);

    const QStringList files = rig.Files();
    ASSERT_EQ(files.size(), 1);
    const QString text = PdfText(rig.out.filePath(files[0]));
    EXPECT_TRUE(text.contains(QStringLiteral("第2页 共4页"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("2024年3月销售明细账")));
    EXPECT_TRUE(text.contains(QStringLiteral("本页小计")));

    // Amounts of page 2 (ledger lines 28..55; two empty rows under each block's
    // lines carry the sums) as the numeric column shows them: thousands
    // separators, two decimals, returns without their sign.
    int found = 0;
    for (int i = 28; i < 56; ++i) {
        const double amount = TextToNumber(ExampleRowCells(i)[6]);
        const std::string shown = FormatNumber(2, amount < 0 ? -amount : amount);
        found += text.contains(QString::fromStdString(shown)) ? 1 : 0;
        if (amount >= 1000) {
            EXPECT_NE(shown.find(','), std::string::npos);
        }
    }
    EXPECT_EQ(found, 28);
}

// Stops a run once `stopAt` pages are done.
struct StopAfter : PrintProgress {
    int stopAt = INT_MAX;
    bool BeforePage(int done, int) override { return done < stopAt; }
};

// A run on the PDF printer, each page sent while the next one is drawn, leaves one file a page under the
// page's title, and a run stopped after two pages leaves exactly those two.
TEST_F(ExamplePage, PrintRunOnThePdfPrinterLeavesItsPagesFiles)
{
    const struct {
        int first, last, stopAt;
        std::vector<int> pages;
    } cases[] = {
        { 1, 4, INT_MAX, { 1, 2, 3, 4 } },
        { 2, 4, 2, { 2, 3 } },
    };
    for (const auto& c : cases) {
        PdfRig rig;
        rig.Start(dataPath);
        ASSERT_EQ(rig.buffer->PageCount, 4);
        StopAfter progress;
        progress.stopAt = c.stopAt;
        EXPECT_EQ(rig.buffer->PrintPages(c.first, c.last, &progress), static_cast<int>(c.pages.size()));
        QStringList expected;
        for (int page : c.pages)
            expected << QStringLiteral("2024年3月销售明细账(%1-4).pdf").arg(page);
        expected.sort();
        EXPECT_EQ(rig.Files(), expected);
        EXPECT_EQ(rig.buffer->CurrentPage, 1);
    }
}

// Rules of a picture: runs of neighbouring lines that are dark for at least 4/5 of their length inside the
// span, a run with a gap of one light line counting once (the two lines of a double rule are one rule).
// Vertical rules are columns from..to dark over rows spanFrom..spanTo; horizontal ones the other way round.
int RuleCount(const QImage& img, bool vertical, int from, int to, int spanFrom, int spanTo)
{
    int rules = 0;
    int lastRule = INT_MIN / 2;
    for (int i = from; i <= to; ++i) {
        int dark = 0;
        for (int j = spanFrom; j <= spanTo; ++j)
            dark += IsDark(vertical ? img.pixel(i, j) : img.pixel(j, i)) ? 1 : 0;
        if (dark * 5 < (spanTo - spanFrom + 1) * 4)
            continue;
        rules += i - lastRule > 2 ? 1 : 0;
        lastRule = i;
    }
    return rules;
}

// The pixel of a picture shrunk from `from` to `to` pixels that covers source pixel c: the shrink gives
// target pixel t the source pixels from t * from / to up to (t + 1) * from / to.
int ShrunkIndex(int c, int from, int to)
{
    int t = static_cast<int>(static_cast<long long>(c) * to / from);
    while (t + 1 < to && static_cast<long long>(t + 1) * from / to <= c)
        ++t;
    while (t > 0 && static_cast<long long>(t) * from / to > c)
        --t;
    return t;
}

// Millimetre edges of the example's table body on the current page: columns and rows.
struct BodyEdges {
    std::vector<int> x; // x[0] left frame .. x[7] right frame
    std::vector<int> y; // y[0] top frame .. y[32] bottom frame
};

BodyEdges EdgesOf(const TMyBuffPaper& b, const TMyPrintFormat& f)
{
    BodyEdges e;
    e.x.push_back(b.TableLeft);
    for (int c = 1; c <= f.Cols(); ++c)
        e.x.push_back(e.x.back() + f.ColWidth[c]);
    e.y.push_back(b.TableTop + b.CompanyHeight + b.TitleHeight + b.HeadHeight);
    for (int r = 1; r <= f.Rows(); ++r)
        e.y.push_back(e.y.back() + f.RowHeight[r]);
    return e;
}

// At 50 % every rule of the example's table survives the shrink: as many vertical rules across the ledger
// rows, and as many horizontal rules down the table, as at 100 %; and its text keeps its ink.
TEST_F(ExamplePage, HalfSizePreviewKeepsEveryRule)
{
    QtRig rig;
    BuildExampleFormat(rig.format);
    rig.Start(dataPath);
    rig.buffer->ShowCurrentPage();
    const QImage full = rig.Preview();
    const BodyEdges e = EdgesOf(*rig.buffer, rig.format);
    const double f = rig.screen.PixelsPerMmX;
    auto px = [&](int mm) { return Round(static_cast<long double>(mm) * f); };
    // Ledger rows 3..30 and the table's width, at 100 %.
    const int left = px(e.x.front()), right = px(e.x.back());
    const int top = px(e.y[2]), bottom = px(e.y[30]);
    const int columns = RuleCount(full, true, left, right, top + 2, bottom - 2);
    const int rows = RuleCount(full, false, top, bottom, left + 2, right - 2);
    EXPECT_EQ(columns, 8); // the frame's inner line on both sides and six column rules
    EXPECT_EQ(rows, 29); // from the thick rule under the captions to the double rule above the sums
    const int fullInk = DarkInRect(full, QRect(left, top, right - left, bottom - top));

    rig.buffer->SetViewRate(50);
    const QImage half = rig.Preview();
    const QImage page = rig.Page();
    // The page bitmap is shrunk into the preview inside its 1-pixel edge and its 5-pixel shadow.
    auto hx = [&](int x) { return 1 + ShrunkIndex(x, page.width(), half.width() - 7); };
    auto hy = [&](int y) { return 1 + ShrunkIndex(y, page.height(), half.height() - 7); };
    EXPECT_EQ(RuleCount(half, true, hx(left), hx(right), hy(top) + 2, hy(bottom) - 2), columns);
    EXPECT_EQ(RuleCount(half, false, hy(top), hy(bottom), hx(left) + 2, hx(right) - 2), rows);
    // Text stays visible: far more ink than one speck per cell.
    const int halfInk
        = DarkInRect(half, QRect(hx(left), hy(top), hx(right) - hx(left), hy(bottom) - hy(top)));
    EXPECT_GT(halfInk, fullInk / 4);
}

// A canvas that passes everything on to a Qt canvas, optionally without the rectangles left out, and
// remembers those rectangles and where texts were drawn.
class SpyCanvas : public Canvas {
public:
    // An endless spy claims no edge: the engine then draws all it would draw
    // on an endless sheet, and only the picture drops what lies beyond it.
    SpyCanvas(QtCanvas& inner, bool keepExclusions, bool endless = false)
        : inner_(inner)
        , keep_(keepExclusions)
        , endless_(endless)
    {
    }
    struct TextBox {
        QRect box;
        std::vector<QRect> excluded;
    };
    std::vector<QRect> everExcluded;
    std::vector<TextBox> texts;

    int DpiX() const override { return inner_.DpiX(); }
    int DpiY() const override { return inner_.DpiY(); }
    Rect ClipRect() const override { return inner_.ClipRect(); }
    Rect VisibleRect() const override
    {
        return endless_ ? Rect { INT_MIN, INT_MIN, INT_MAX, INT_MAX } : inner_.VisibleRect();
    }
    void SetFont(std::string_view n, int p, Color c) override { inner_.SetFont(n, p, c); }
    void SetFontSize(int p) override { inner_.SetFontSize(p); }
    void SetFontColor(Color c) override { inner_.SetFontColor(c); }
    Size TextExtent(std::string_view t) override { return inner_.TextExtent(t); }
    void TextOut(int x, int y, std::string_view t) override { inner_.TextOut(x, y, t); }
    void TextRect(const Rect& r, int x, int y, std::string_view t) override
    {
        texts.push_back({ QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), excluded_ });
        inner_.TextRect(r, x, y, t);
    }
    void SetPen(PenStyle s, int w, Color c) override { inner_.SetPen(s, w, c); }
    void MoveTo(int x, int y) override { inner_.MoveTo(x, y); }
    void LineTo(int x, int y) override { inner_.LineTo(x, y); }
    void SetBrushColor(Color c) override { inner_.SetBrushColor(c); }
    void FillRect(const Rect& r) override { inner_.FillRect(r); }
    void Rectangle(const Rect& r) override { inner_.Rectangle(r); }
    void StretchDraw(const Rect& r, Bitmap& b) override { inner_.StretchDraw(r, b); }
    void ExcludeClipRect(const Rect& r) override
    {
        const QRect q(r.left, r.top, r.right - r.left, r.bottom - r.top);
        excluded_.push_back(q);
        if (std::find(everExcluded.begin(), everExcluded.end(), q) == everExcluded.end())
            everExcluded.push_back(q);
        if (keep_)
            inner_.ExcludeClipRect(r);
    }
    void ResetClip() override
    {
        excluded_.clear();
        inner_.ResetClip();
    }

private:
    QtCanvas& inner_;
    bool keep_;
    bool endless_;
    std::vector<QRect> excluded_;
};

// At the canvas's own resolution the table body comes out as blanking after drawing gives it: outside the
// merged ranges every pixel is that of the rules and cells drawn in full; inside them the page is white but
// for each merged cell's own text box.
TEST_F(ExamplePage, MergedCellsBlankTheirRangesPixelForPixel)
{
    QtRig rig;
    BuildExampleFormat(rig.format);
    rig.Start(dataPath);
    rig.buffer->CurrentBlock = 1;
    for (int dpi : { 96, 203, 300 }) {
        const double f = dpi / 25.4;
        const int w = Round(static_cast<long double>(rig.buffer->TableRight + 5) * f);
        const int h = Round(static_cast<long double>(rig.buffer->TableBottom + 5) * f);
        QtBitmap drawn(dpi, dpi), plain(dpi, dpi);
        drawn.SetSize(w, h);
        plain.SetSize(w, h);
        SpyCanvas spy(drawn.GetQtCanvas(), true), full(plain.GetQtCanvas(), false);
        rig.buffer->DrawTableBody(spy, 60, f, f);
        rig.buffer->DrawTableBody(full, 60, f, f);
        ASSERT_EQ(spy.everExcluded.size(), 14u) << dpi;
        const QImage a = drawn.Image(), b = plain.Image();
        long long differ = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const QPoint p(x, y);
                const bool inRange = std::any_of(spy.everExcluded.begin(), spy.everExcluded.end(),
                    [&](const QRect& r) { return r.contains(p); });
                QRgb expected = b.pixel(x, y);
                if (inRange) {
                    // Inside a range only the merged cells' own texts show: drawn while the range holding
                    // the pixel was not left out.
                    bool ownText = false;
                    for (const SpyCanvas::TextBox& t : spy.texts) {
                        if (t.box.contains(p)
                            && std::none_of(t.excluded.begin(), t.excluded.end(),
                                [&](const QRect& r) { return r.contains(p); }))
                            ownText = true;
                    }
                    if (!ownText)
                        expected = qRgb(255, 255, 255);
                }
                differ += a.pixel(x, y) != expected ? 1 : 0;
            }
        }
        EXPECT_EQ(differ, 0) << dpi << " dpi";
        // The full drawing does have rules and texts inside the ranges, so the comparison means something.
        EXPECT_GT(DarkInRect(b, spy.everExcluded[4]), DarkInRect(a, spy.everExcluded[4]));
    }
}

// Renders page 1 of a PDF at dpi into a picture.
QImage RasterOf(const QString& pdf, int dpi, const QString& folder)
{
    const QString stem = folder + QStringLiteral("/r") + QString::number(dpi);
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"),
            QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"), QStringLiteral("-png"),
            pdf, stem });
    p.waitForFinished(60000);
    return QImage(stem + QStringLiteral(".png"));
}

// A printed page of the example, rasterised at 150 and 300 dpi as a viewer or a printer driver does, still
// shows the frame and every column rule beside the merged captions and beside the subtotal and total rows,
// and the rules above and below them.
TEST_F(ExamplePage, PrintedGridBesideMergedCellsSurvivesLowerResolutions)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    PdfRig rig;
    ASSERT_TRUE(rig.out.isValid());
    ASSERT_TRUE(rig.printerHost.CurrentIsPdf());
    rig.Start(dataPath);
    rig.buffer->PrintPages(1, 1);
    const QStringList files = rig.Files();
    ASSERT_EQ(files.size(), 1);
    const BodyEdges e = EdgesOf(*rig.buffer, rig.format); // as last drawn, on the printer
    const QRectF page = rig.printerHost.Printer().pageRect(QPrinter::DevicePixel);
    const double f = rig.printer.PixelsPerMmX;
    const double deviceDpi = rig.printerHost.Printer().resolution();

    for (int dpi : { 150, 300 }) {
        const QImage img = RasterOf(rig.out.filePath(files[0]), dpi, rig.out.path());
        ASSERT_FALSE(img.isNull()) << dpi;
        const double k = dpi / deviceDpi;
        auto rx = [&](int mm) {
            return static_cast<int>((page.left() + Round(static_cast<long double>(mm) * f) + 0.5) * k);
        };
        auto ry = [&](int mm) {
            return static_cast<int>((page.top() + Round(static_cast<long double>(mm) * f) + 0.5) * k);
        };
        // The darkest pixel within one pixel of the rule, all along a stretch of it.
        auto vertical = [&](int xmm, int ymm0, int ymm1) {
            int light = 0;
            const int x = rx(xmm);
            for (int y = ry(ymm0) + 2; y <= ry(ymm1) - 2; ++y) {
                int darkest = 255;
                for (int dx = -1; dx <= 1; ++dx)
                    darkest = std::min(darkest, qGray(img.pixel(x + dx, y)));
                light += darkest >= 128 ? 1 : 0;
            }
            return light;
        };
        auto horizontal = [&](int ymm, int xmm0, int xmm1) {
            int light = 0;
            const int y = ry(ymm);
            for (int x = rx(xmm0) + 2; x <= rx(xmm1) - 2; ++x) {
                int darkest = 255;
                for (int dy = -1; dy <= 1; ++dy)
                    darkest = std::min(darkest, qGray(img.pixel(x, y + dy)));
                light += darkest >= 128 ? 1 : 0;
            }
            return light;
        };
        // Caption rows 1 and 2: the frame and the rules between the captions; the rules of columns 5..7 in
        // row 2 only, under the caption that spans them.
        for (int c : { 0, 1, 2, 3, 4, 7 })
            EXPECT_EQ(vertical(e.x[c], e.y[0], e.y[2]), 0) << dpi << " dpi, caption rule " << c;
        for (int c : { 5, 6 })
            EXPECT_EQ(vertical(e.x[c], e.y[1], e.y[2]), 0) << dpi << " dpi, caption rule " << c;
        EXPECT_EQ(horizontal(e.y[0], e.x[0], e.x[7]), 0) << dpi << " dpi, frame top";
        EXPECT_EQ(horizontal(e.y[1], e.x[4], e.x[7]), 0) << dpi << " dpi, under the spanning caption";
        EXPECT_EQ(horizontal(e.y[2], e.x[0], e.x[7]), 0) << dpi << " dpi, under the captions";
        // Subtotal and total rows (31 and 32): the frame and the rules between their merged cells.
        for (int c : { 0, 4, 5, 6, 7 }) {
            EXPECT_EQ(vertical(e.x[c], e.y[30], e.y[31]), 0) << dpi << " dpi, subtotal rule " << c;
            EXPECT_EQ(vertical(e.x[c], e.y[31], e.y[32]), 0) << dpi << " dpi, total rule " << c;
        }
        for (int r : { 30, 31, 32 })
            EXPECT_EQ(horizontal(e.y[r], e.x[0], e.x[7]), 0) << dpi << " dpi, row rule " << r;
        // Inside the merged captions no rule shows: between rows 1 and 2 of the first four columns.
        EXPECT_GT(horizontal(e.y[1], e.x[0], e.x[4]), 10) << dpi;
    }
}

// Centres in mm of the rules of a picture at pxPerMm: lines (columns when vertical) from..to that are dark
// for at least 4/5 of spanFrom..spanTo, neighbours less than 0.4 mm apart counting as one rule; widths, when
// asked, gets the mm each takes across.
std::vector<double> RuleCentresMm(const QImage& img, bool vertical, int from, int to, int spanFrom,
    int spanTo, double pxPerMm, std::vector<double>* widths = nullptr)
{
    std::vector<double> centres;
    int first = -1, last = -1;
    auto close = [&] {
        if (first < 0)
            return;
        centres.push_back((first + last + 1) / 2.0 / pxPerMm);
        if (widths)
            widths->push_back((last - first + 1) / pxPerMm);
    };
    const int limit = vertical ? img.width() : img.height();
    for (int i = std::max(from, 0); i <= std::min(to, limit - 1); ++i) {
        int dark = 0;
        for (int j = spanFrom; j <= spanTo; ++j)
            dark += qGray(vertical ? img.pixel(i, j) : img.pixel(j, i)) < 200 ? 1 : 0;
        if (dark * 5 < (spanTo - spanFrom + 1) * 4)
            continue;
        if (first < 0 || (i - last - 1) / pxPerMm >= 0.4) {
            close();
            first = i;
        }
        last = i;
    }
    close();
    return centres;
}

// A layout of the example for the comparison of the preview and the PDF page.
struct PageCase {
    const char* name;
    int pageWidth, pageHeight; // mm
    int marginLeft, marginTop;
    int headPoints; // 0: the example's head
};

// The report's PDF page, drawn through the PDF file's printer at 1200 dpi, puts every rule where the preview
// picture has it, within 0.25 mm, as wide as there: the parts above the table are measured alike on both.
TEST_F(ExamplePage, PdfPageRulesLieWhereThePreviewHasThem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    static const PageCase kCases[] = {
        { "A4 portrait", 210, 300, 30, 25, 0 },
        { "A4 landscape", 300, 210, 30, 25, 0 },
        { "custom 215 x 279", 220, 280, 30, 25, 0 },
        { "wide margins", 210, 300, 45, 60, 0 },
        { "page head of three 14-point lines", 210, 300, 30, 25, 14 },
    };
    QtPrinterHost::PreparePdfCanvas();
    for (const PageCase& c : kCases) {
        SCOPED_TRACE(c.name);
        QtRig rig;
        BuildExampleFormat(rig.format);
        rig.format.HorPlace = 1;
        rig.format.MarginLeft = static_cast<std::uint16_t>(c.marginLeft);
        rig.format.MarginTop = static_cast<std::uint16_t>(c.marginTop);
        if (c.headPoints > 0) {
            rig.format.HeadMultiLine = 1;
            for (int i = 1; i <= kHeadFootLines; ++i)
                rig.format.Head[i].FontSize = static_cast<std::uint16_t>(c.headPoints);
        }
        rig.Start(dataPath);
        rig.buffer->SetPageSize(c.pageWidth, c.pageHeight);
        rig.buffer->Paginate();
        rig.buffer->ShowCurrentPage();
        const QImage preview = rig.Preview();
        const BodyEdges e = EdgesOf(*rig.buffer, rig.format);

        pdf::PdfDocument document;
        pdf::PdfFileHost host(document);
        host.UseWholeSheet(c.pageWidth, c.pageHeight);
        TMyPrinter printer(host);
        TMyBuffPaper pages(rig.format, rig.data, rig.screen, printer, rig.paper, rig.bitmaps);
        pages.SetPageSize(c.pageWidth, c.pageHeight);
        pages.Paginate();
        pages.PrintPages(1, 1);
        const QString file = dir.filePath(QStringLiteral("page.pdf"));
        ASSERT_TRUE(document.Save(file.toStdString()));
        constexpr int kDpi = 384;
        const QImage printed = RasterOf(file, kDpi, dir.path());
        ASSERT_FALSE(printed.isNull());

        const double fs = rig.screen.PixelsPerMmX, fp = kDpi / 25.4;
        auto on = [](double mm, double f) { return static_cast<int>(mm * f); };
        // Row rules across the table; column rules down the ledger rows.
        const double x0 = e.x.front() + 2, x1 = e.x.back() - 2, y0 = e.y[3] + 1;
        const double y1 = std::min(e.y[29] - 1, c.pageHeight - 3);
        const double top = e.y.front() - 30, bottom = std::min(e.y.back() + 3, c.pageHeight - 3);
        const auto rowsShown
            = RuleCentresMm(preview, false, on(top, fs), on(bottom, fs), on(x0, fs), on(x1, fs), fs);
        std::vector<double> widths; // a thin rule is 1/96 inch, 0.26 mm, wide: 3 or 4 pixels here
        const auto rowsPrinted
            = RuleCentresMm(printed, false, on(top, fp), on(bottom, fp), on(x0, fp), on(x1, fp), fp, &widths);
        const auto colsShown = RuleCentresMm(
            preview, true, on(e.x.front() - 3, fs), on(e.x.back() + 3, fs), on(y0, fs), on(y1, fs), fs);
        const auto colsPrinted = RuleCentresMm(
            printed, true, on(e.x.front() - 3, fp), on(e.x.back() + 3, fp), on(y0, fp), on(y1, fp), fp);
        ASSERT_GE(rowsShown.size(), 20u); // a landscape sheet shows part of the table
        ASSERT_EQ(rowsPrinted.size(), rowsShown.size());
        ASSERT_GE(colsShown.size(), 8u);
        ASSERT_EQ(colsPrinted.size(), colsShown.size());
        for (std::size_t i = 0; i < rowsShown.size(); ++i) {
            EXPECT_NEAR(rowsPrinted[i], rowsShown[i], 0.25) << "row rule " << i;
            EXPECT_GT(widths[i], 0.15) << "row rule " << i; // whole beside the merged cells too
        }
        for (std::size_t i = 0; i < colsShown.size(); ++i)
            EXPECT_NEAR(colsPrinted[i], colsShown[i], 0.25) << "column rule " << i;
        double worst = 0;
        for (std::size_t i = 0; i < rowsShown.size(); ++i)
            worst = std::max(worst, std::abs(rowsPrinted[i] - rowsShown[i]));
        RecordProperty(c.name, std::to_string(worst));
    }
}

// Size 0, what a format cut before its text items leaves, draws a cell, a title and a page foot at the
// window system's default size, on screen pictures and at a printer's resolution: the same pixels as that
// size given in points.
TEST(EngineOnQImage, SizeZeroTextsDrawAtTheDefaultSize)
{
    const double points = QtCanvas::DefaultFontPoints();
    if (points != std::floor(points))
        GTEST_SKIP() << "the default size is not a whole number of points";
    QtRig rig;
    TMyBuffPaper b(rig.format, rig.data, rig.screen, rig.printer, rig.paper, rig.bitmaps);
    b.TableLeft = 10;
    b.TableRight = 110;
    b.TableTop = 10;
    rig.format.PrintTitle = 1;
    rig.format.PrintPageFoot = 1;
    for (int dpi : { 96, 600 }) {
        const double f = dpi / 25.4;
        auto draw = [&](int size) {
            QtBitmap bitmap(dpi, dpi);
            bitmap.SetSize(Round(130 * f), Round(60 * f));
            Canvas& c = bitmap.GetCanvas();
            TMyTextItem item;
            item.FontName.SetText("\xCB\xCE\xCC\xE5");
            item.FontSize = static_cast<std::uint16_t>(size);
            item.Align = 1;
            item.Text.SetText("Total 98,765.43 \xBA\xCF\xBC\xC6"); // 合计
            b.DrawCellText(c, 10, 40, 110, 50, item, f, f);
            rig.format.Title = item;
            b.DrawTitle(c, 0, f, f);
            for (int i = 1; i <= 3; ++i)
                rig.format.Foot[i] = item;
            rig.format.Foot[2].Align = 2;
            rig.format.Foot[3].Align = 3;
            b.DrawPageFoot(c, 25, f, f);
            return bitmap.Image().copy();
        };
        const QImage zero = draw(0);
        EXPECT_EQ(zero, draw(static_cast<int>(points))) << dpi;
        const QRect ink = zero.rect();
        EXPECT_GT(DarkInRect(zero, ink), 0);
        // Far from one pixel high: the cell's ink is about the default size tall.
        int firstRow = -1, lastRow = -1;
        for (int y = Round(41 * f); y < Round(49 * f); ++y)
            if (DarkInRow(zero, y, Round(11 * f), Round(109 * f)) > 0) {
                firstRow = firstRow < 0 ? y : firstRow;
                lastRow = y;
            }
        EXPECT_GE(lastRow - firstRow + 1, Round(points * dpi / 72.0 * 0.6)) << dpi;
    }
}

// A data file that ends inside its page-foot texts is a report without data rows: one page with its table
// (captions, frame, subtotal rows), the texts that were read, and one printed page.
TEST_F(ExamplePage, DataFileCutInsideTheFootTextsIsOnePage)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    std::filesystem::resize_file(dataPath, 26 + 4 * 201 + 1); // ends inside the second foot text
    PdfRig rig;
    ASSERT_TRUE(rig.out.isValid());
    rig.Start(dataPath);
    EXPECT_EQ(rig.buffer->PageCount, 1);
    rig.buffer->ShowCurrentPage();
    const QImage img = rig.Preview();
    const BodyEdges e = EdgesOf(*rig.buffer, rig.format);
    const double f = rig.screen.PixelsPerMmX;
    // The frame's top and the captions are there.
    EXPECT_GT(DarkInRow(img, Round(static_cast<long double>(e.y[0]) * f), Round(30 * f), Round(180 * f)),
        Round(149 * f));
    EXPECT_GT(DarkInRect(img,
                  QRect(Round(30 * f), Round(static_cast<long double>(e.y[0]) * f) + 2, Round(150 * f),
                      Round(14 * f) - 4)),
        100);

    rig.buffer->PrintPages(1, rig.buffer->PageCount);
    const QStringList files = rig.Files();
    ASSERT_EQ(files.size(), 1);
    const QString text = PdfText(rig.out.filePath(files[0]));
    EXPECT_TRUE(text.contains(QStringLiteral("日期"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("本页小计")));
    EXPECT_TRUE(text.contains(QStringLiteral("部门：销售一部")));
    EXPECT_TRUE(text.contains(QStringLiteral("制表：王丽")));
    EXPECT_FALSE(text.contains(QStringLiteral("审核")));
    EXPECT_TRUE(text.contains(QStringLiteral("第1页 共1页")));
}

// The example widened to 500 columns runs far off the sheet; leaving out what lies beyond changes no pixel of
// the page, even where a wrapped right-aligned text beyond the paper's edge reaches back onto it.
TEST_F(ExamplePage, WideTableLooksTheSameWithoutWhatLiesBeyondTheSheet)
{
    QtRig rig;
    TMyPrintFormat& f = rig.format;
    BuildExampleFormat(f);
    f.ColCount = kMaxCols;
    for (int c = kExampleColumns + 1; c <= kMaxCols; ++c) {
        const int like = (c - 1) % kExampleColumns + 1;
        f.ColWidth[c] = f.ColWidth[like];
        f.ColDecimals[c] = f.ColDecimals[like];
        f.ColItem[c] = f.ColItem[like];
        if (c < kMaxCols)
            f.ColLine[c] = f.ColLine[like];
    }
    // Column 10 starts 10 mm right of the paper; the wide first line of its text, split by the average
    // width of a byte, starts far left of the column, on the paper.
    f.ColWidth[10] = 60;
    f.ColItem[10].FontName.SetText("Arial"); // proportional: W is far wider than |
    f.ColItem[10].Wrap = 1;
    f.ColItem[10].Align = 3;
    std::string bytes = DataFileHead(ExampleHeadFootTexts());
    for (int line = 0; line < 40; ++line) {
        const std::vector<std::string> cells = ExampleRowCells(line);
        for (int c = 0; c < kMaxCols; ++c)
            AppendCell(
                bytes, c == 9 ? std::string(50, 'W') + std::string(150, '|') : cells[c % kExampleColumns]);
    }
    const std::string wide = dir.filePath(QStringLiteral("wide.dat")).toStdString();
    std::ofstream(wide, std::ios::binary) << bytes;
    rig.Start(wide);
    ASSERT_GT(rig.buffer->TableRight, 3 * rig.buffer->PageWidth);

    QtBitmap left(96, 96), all(96, 96), unwrapped(96, 96);
    for (QtBitmap* b : { &left, &all, &unwrapped }) {
        b->SetSize(rig.buffer->PageImage().Width(), rig.buffer->PageImage().Height());
        b->GetCanvas().FillRect(b->GetCanvas().ClipRect());
    }
    SpyCanvas endless(all.GetQtCanvas(), true, true);
    rig.buffer->RenderPage(left.GetCanvas(), false);
    rig.buffer->RenderPage(endless, false);
    EXPECT_TRUE(left.Image() == all.Image());
    // Column 10 does reach the paper: unwrapped, its text stays in its box, off the paper.
    f.ColItem[10].Wrap = 0;
    rig.buffer->RenderPage(unwrapped.GetCanvas(), false);
    EXPECT_FALSE(left.Image() == unwrapped.Image());
}

} // namespace
} // namespace quillet
