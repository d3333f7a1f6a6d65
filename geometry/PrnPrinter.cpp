#include "geometry/PrnPrinter.h"

#include <algorithm>

#include "platform/Arith.h"

namespace quillet {
namespace {

// Resolution assumed when there is no printer (and for a driver that
// reports none, which would otherwise make every length zero pixels).
constexpr int kNoPrinterDpi = 180;

std::uint16_t ToMm(long long v)
{
    return static_cast<std::uint16_t>(std::clamp<long long>(v, 0, 65535));
}

// Printable extent in pixels to whole millimetres, halves to even.
std::uint16_t PixelsToMm(int pixels, double dpi)
{
    return ToMm(Round(static_cast<long double>(pixels) / static_cast<long double>(dpi) * 25.4L));
}

} // namespace

TMyPrinter::TMyPrinter(PrinterHost& host)
    : host_(host)
{
    ReadSettings();
}

void TMyPrinter::ReadSettings()
{
    if (!host_.HasPrinter()) {
        DpiX = kNoPrinterDpi;
        DpiY = kNoPrinterDpi;
        PaperWidth = 210;
        PaperLength = 290;
        Orientation = 1;
        PaperSize = 9;
        Derive();
        return;
    }
    DpiX = host_.DpiX() > 0 ? host_.DpiX() : kNoPrinterDpi;
    DpiY = host_.DpiY() > 0 ? host_.DpiY() : kNoPrinterDpi;
    Orientation = host_.Landscape() ? 2 : 1;

    PrinterSettings s;
    if (host_.GetSettings(s)) {
        PaperSize = static_cast<std::int16_t>(std::clamp(s.paperSize, -32768, 32767));
        if (PaperSize == DMPAPER_USER) {
            PaperWidth = ToMm(s.paperWidth / 10);
            PaperLength = ToMm(s.paperLength / 10);
        } else {
            PaperWidth = PixelsToMm(host_.PageWidthPixels(), DpiX);
            PaperLength = PixelsToMm(host_.PageHeightPixels(), DpiY);
        }
    }
    Derive();
}

void TMyPrinter::ApplySettings()
{
    if (!host_.HasPrinter())
        return;
    PrinterSettings s;
    if (host_.GetSettings(s)) {
        // Only 1 means portrait: a layout never saved with a printer (0) prints landscape.
        s.orientation = Orientation == 1 ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
        s.paperSize = PaperSize;
        s.fields |= DM_PAPERSIZE | DM_ORIENTATION;
        if (PaperSize == DMPAPER_USER) {
            s.paperWidth = PaperWidth * 10;
            s.paperLength = PaperLength * 10;
            s.fields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
        }
        host_.SetSettings(s);
    }
    ReadSettings();
}

void TMyPrinter::Derive()
{
    PixelsPerMmX = DpiX / 25.4;
    PixelsPerMmY = DpiY / 25.4;
    PixelsPerCmX = DpiX / 2.54;
    PixelsPerCmY = DpiY / 2.54;
}

} // namespace quillet
