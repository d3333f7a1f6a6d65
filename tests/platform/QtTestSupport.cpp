#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

namespace quillet::test {

int CountPixels(const QImage& img, const QRect& box, QColor c)
{
    int n = 0;
    const QRect r = box.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixelColor(x, y) == c)
                ++n;
    return n;
}

QRect BoundsOfNot(const QImage& img, QColor c)
{
    QRect bounds;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != c)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

bool IsColor(const QImage& img, int x, int y, QColor c)
{
    return img.valid(x, y) && img.pixelColor(x, y) == c;
}

ToolResult RunTool(const QString& program, const QStringList& args)
{
    ToolResult result;
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000))
        return result;
    result.started = true;
    process.waitForFinished(60000);
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    return result;
}

bool HaveTool(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

PrinterSettings Paper(int code, int orientation)
{
    PrinterSettings s;
    s.fields = DM_PAPERSIZE | DM_ORIENTATION;
    s.paperSize = code;
    s.orientation = orientation;
    return s;
}

PrinterSettings CustomPaper(int widthTenths, int lengthTenths, int orientation)
{
    PrinterSettings s = Paper(DMPAPER_USER, orientation);
    s.fields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
    s.paperWidth = widthTenths;
    s.paperLength = lengthTenths;
    return s;
}

std::string Utf8(const QString& s)
{
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

void ExpectA4PortraitAt1200(const PrinterHost& host)
{
    PrinterSettings s;
    ASSERT_TRUE(host.GetSettings(s));
    EXPECT_EQ(s.paperSize, DMPAPER_A4);
    EXPECT_EQ(s.orientation, DMORIENT_PORTRAIT);
    EXPECT_FALSE(host.Landscape());
    EXPECT_EQ(host.DpiX(), 1200);
    EXPECT_EQ(host.DpiY(), 1200);
    EXPECT_GT(host.PageWidthPixels(), 9000);
    EXPECT_LE(host.PageWidthPixels(), 9921);
    EXPECT_GT(host.PageHeightPixels(), 13000);
    EXPECT_LE(host.PageHeightPixels(), 14031);
}

} // namespace quillet::test
