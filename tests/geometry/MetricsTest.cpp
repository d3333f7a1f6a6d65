#include <gtest/gtest.h>

#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "platform/fake/FakePrinterHost.h"

namespace quillet {
namespace {

class FixedDisplay : public Display {
public:
    FixedDisplay(int x, int y)
        : x_(x)
        , y_(y)
    {
    }
    int LogicalDpiX() const override { return x_; }
    int LogicalDpiY() const override { return y_; }

private:
    int x_, y_;
};

// The screen factors come from the display's own resolution, each axis on its own.
TEST(ScreenMetrics, FactorsFollowEachAxis)
{
    TMyScreen s(FixedDisplay(96, 120));
    EXPECT_EQ(s.DpiX, 96);
    EXPECT_EQ(s.DpiY, 120);
    EXPECT_NEAR(s.PixelsPerCmX, 37.795, 0.001);
    EXPECT_NEAR(s.PixelsPerMmX, 3.7795, 0.0001);
    EXPECT_NEAR(s.PixelsPerCmY, 47.244, 0.001);
    EXPECT_NEAR(s.PixelsPerMmY, 4.7244, 0.0001);

    // A display that reports no resolution still gives usable factors.
    TMyScreen broken(FixedDisplay(0, -5));
    EXPECT_EQ(broken.DpiX, 96);
    EXPECT_EQ(broken.DpiY, 96);
}

// Without a printer the metrics take 180 dpi and a 210 x 290 portrait A4.
TEST(PrinterMetrics, NoPrinterDefaults)
{
    FakePrinterHost host;
    host.printers.clear();
    TMyPrinter p(host);
    EXPECT_EQ(p.DpiX, 180);
    EXPECT_EQ(p.DpiY, 180);
    EXPECT_NEAR(p.PixelsPerMmX, 7.0866, 0.0001);
    EXPECT_NEAR(p.PixelsPerCmY, 70.866, 0.001);
    EXPECT_EQ(p.PaperWidth, 210);
    EXPECT_EQ(p.PaperLength, 290);
    EXPECT_EQ(p.Orientation, 1);
    EXPECT_EQ(p.PaperSize, 9);

    // Applying does nothing and does not read back.
    p.PaperSize = 256;
    p.PaperWidth = 100;
    p.Orientation = 2;
    p.ApplySettings();
    EXPECT_EQ(p.PaperSize, 256);
    EXPECT_EQ(p.PaperWidth, 100);
    EXPECT_EQ(p.Orientation, 2);
}

struct ReadCase {
    const char* name;
    PrinterSettings settings;
    int dpi;
    int printableWidth, printableHeight; // portrait
    int width, length, orientation, paperSize;
};

class PrinterRead : public ::testing::TestWithParam<ReadCase> { };

// The paper is read from the driver: tenths cut to millimetres for a custom
// size, otherwise the printable area in millimetres, halves to even.
TEST_P(PrinterRead, PaperFromDriver)
{
    const ReadCase& c = GetParam();
    FakePrinterHost host;
    host.settings = c.settings;
    host.dpiX = host.dpiY = c.dpi;
    host.printableWidth = c.printableWidth;
    host.printableHeight = c.printableHeight;
    TMyPrinter p(host);
    EXPECT_EQ(p.DpiX, c.dpi);
    EXPECT_EQ(p.PaperWidth, c.width);
    EXPECT_EQ(p.PaperLength, c.length);
    EXPECT_EQ(p.Orientation, c.orientation);
    EXPECT_EQ(p.PaperSize, c.paperSize);
    EXPECT_DOUBLE_EQ(p.PixelsPerMmX, c.dpi / 25.4);
}

INSTANTIATE_TEST_SUITE_P(Cases, PrinterRead,
    ::testing::Values(
        // 4760 / 600 * 25.4 = 201.51 -> 202; 6779 / 600 * 25.4 = 286.98 -> 287.
        ReadCase { "A4Portrait600", { DM_PAPERSIZE, 1, 9, 0, 0 }, 600, 4760, 6779, 202, 287, 1, 9 },
        ReadCase { "A4Landscape600", { DM_PAPERSIZE, 2, 9, 0, 0 }, 600, 4760, 6779, 287, 202, 2, 9 },
        ReadCase {
            "Custom2159x2794", { DM_PAPERSIZE, 1, 256, 2794, 2159 }, 600, 4760, 6779, 215, 279, 1, 256 },
        ReadCase {
            "CustomTenthsCutNotRounded", { DM_PAPERSIZE, 1, 256, 1509, 2009 }, 300, 1, 1, 200, 150, 1, 256 },
        ReadCase { "A4Portrait300", { DM_PAPERSIZE, 1, 9, 0, 0 }, 300, 2480, 3425, 210, 290, 1, 9 },
        // 2105 / 254 * 25.4 = 210.5 -> 210; 2125 -> 212.5 -> 212.
        ReadCase { "HalvesGoToEven", { DM_PAPERSIZE, 1, 9, 0, 0 }, 254, 2105, 2125, 210, 212, 1, 9 },
        ReadCase {
            "NegativeTenthsClampToZero", { DM_PAPERSIZE, 1, 256, -50, -30 }, 600, 1, 1, 0, 0, 1, 256 }),
    [](const auto& info) { return std::string(info.param.name); });

// A printer without a settings block keeps the paper fields as they were.
TEST(PrinterMetrics, NoSettingsBlockKeepsPaper)
{
    FakePrinterHost host;
    TMyPrinter p(host);
    host.hasSettings = false;
    host.dpiX = host.dpiY = 300;
    p.PaperWidth = 123;
    p.PaperLength = 45;
    p.PaperSize = 77;
    p.ReadSettings();
    EXPECT_EQ(p.DpiX, 300);
    EXPECT_EQ(p.PaperWidth, 123);
    EXPECT_EQ(p.PaperLength, 45);
    EXPECT_EQ(p.PaperSize, 77);
}

// A driver that reports no resolution gets the no-printer resolution rather
// than dividing the printable area by zero.
TEST(PrinterMetrics, ZeroResolutionDriver)
{
    FakePrinterHost host;
    host.dpiX = 0;
    host.dpiY = -1;
    host.printableWidth = 1488; // 1488 / 180 * 25.4 = 209.97
    host.printableHeight = 2055;
    TMyPrinter p(host);
    EXPECT_EQ(p.DpiX, 180);
    EXPECT_EQ(p.DpiY, 180);
    EXPECT_EQ(p.PaperWidth, 210);
    EXPECT_EQ(p.PaperLength, 290);
}

struct ApplyCase {
    const char* name;
    TMyPaperSpec stored;
    PrinterSettings before;
    PrinterSettings after;
};

class PrinterApply : public ::testing::TestWithParam<ApplyCase> { };

// The stored paper reaches the driver's settings with exactly the documented
// fields and flag bits.
TEST_P(PrinterApply, WritesSettings)
{
    const ApplyCase& c = GetParam();
    FakePrinterHost host;
    host.settings = c.before;
    TMyPrinter p(host);
    static_cast<TMyPaperSpec&>(p) = c.stored;
    p.ApplySettings();
    EXPECT_EQ(host.settings, c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, PrinterApply,
    ::testing::Values(ApplyCase { "A4Portrait", { 9, 210, 290, 1 }, { 0, 2, 11, 1234, 567 },
                          { DM_PAPERSIZE | DM_ORIENTATION, 1, 9, 1234, 567 } },
        // Only 1 means portrait: a record never saved with a printer has 0.
        ApplyCase { "OrientationZeroIsLandscape", { 9, 0, 0, 0 }, { 0, 1, 9, 0, 0 },
            { DM_PAPERSIZE | DM_ORIENTATION, 2, 9, 0, 0 } },
        ApplyCase { "A5Landscape", { 11, 148, 210, 2 }, { DM_PAPERWIDTH, 1, 9, 0, 0 },
            { DM_PAPERWIDTH | DM_PAPERSIZE | DM_ORIENTATION, 2, 11, 0, 0 } },
        ApplyCase { "Custom", { 256, 200, 150, 1 }, { 0, 2, 9, 0, 0 },
            { DM_PAPERSIZE | DM_ORIENTATION | DM_PAPERLENGTH | DM_PAPERWIDTH, 1, 256, 1500, 2000 } },
        ApplyCase { "CustomOrientationThree", { 256, 215, 279, 3 }, { 0, 1, 9, 0, 0 },
            { DM_PAPERSIZE | DM_ORIENTATION | DM_PAPERLENGTH | DM_PAPERWIDTH, 2, 256, 2790, 2150 } }),
    [](const auto& info) { return std::string(info.param.name); });

// After applying, the metrics read the printer back: a custom size comes
// back whole, a landscape A4 comes back as the turned printable area.
TEST(PrinterMetrics, ApplyReadsBack)
{
    FakePrinterHost host;
    TMyPrinter p(host);
    static_cast<TMyPaperSpec&>(p) = { 256, 200, 150, 1 };
    p.ApplySettings();
    EXPECT_EQ(p.PaperSize, 256);
    EXPECT_EQ(p.PaperWidth, 200);
    EXPECT_EQ(p.PaperLength, 150);
    EXPECT_EQ(p.Orientation, 1);

    static_cast<TMyPaperSpec&>(p) = { 9, 210, 290, 2 };
    p.ApplySettings();
    EXPECT_EQ(p.Orientation, 2);
    EXPECT_EQ(p.PaperWidth, 287);
    EXPECT_EQ(p.PaperLength, 202);
}

} // namespace
} // namespace quillet
