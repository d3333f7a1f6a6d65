// The page engine on real pictures and a real (PDF) printer.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

#include "engine/BuffPaper.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "model/PrnFunction.h"
#include "platform/Arith.h"
#include "platform/GbkCodec.h"
#include "platform/NumberLocale.h"
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
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    qputenv("QUILLET_PDF_DIR", out.path().toUtf8());
    QtRig rig;
    qunsetenv("QUILLET_PDF_DIR");
    ASSERT_TRUE(rig.printerHost.CurrentIsPdf());
    BuildExampleFormat(rig.format);
    rig.Start(dataPath);
    rig.buffer->PrintPages(2, 2);
    EXPECT_EQ(rig.buffer->CurrentPage, 1);

    const QStringList files = QDir(out.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QString text = PdfText(out.filePath(files[0]));
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

} // namespace
} // namespace quillet
