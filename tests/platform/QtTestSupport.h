#pragma once
// Helpers of the Qt platform tests: reading pixels and running the poppler
// and CUPS command-line tools.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <string>

#include "platform/PrinterHost.h"

namespace quillet::test {

// Pixels of img inside box that have exactly the colour c.
int CountPixels(const QImage& img, const QRect& box, QColor c);
// The smallest rectangle holding every pixel that is not c (empty if none).
QRect BoundsOfNot(const QImage& img, QColor c);
bool IsColor(const QImage& img, int x, int y, QColor c);

struct ToolResult {
    bool started = false;
    int exitCode = -1;
    QString out;
};
// Runs a program with arguments and waits (at most 60 s) for it.
ToolResult RunTool(const QString& program, const QStringList& args);
bool HaveTool(const QString& program);

std::string Utf8(const QString& s);

// Settings as GetSettings reports them: a paper code with orientation, or a
// custom sheet (code 256) of width x length tenths of a millimetre.
PrinterSettings Paper(int code, int orientation);
PrinterSettings CustomPaper(int widthTenths, int lengthTenths, int orientation);

// Checks that a printer stands on A4 portrait at 1200 dpi, with a printable
// area a little inside the 9921 x 14031-pixel sheet.
void ExpectA4PortraitAt1200(const PrinterHost& host);

} // namespace quillet::test
