#pragma once
// Resolution and paper of the current printer, and the bridge between the
// layout's stored paper and the printer's settings.
#include "model/PrnData.h"
#include "platform/PrinterHost.h"

namespace quillet {

class TMyPrinter : public TMyPaperSpec {
public:
    explicit TMyPrinter(PrinterHost& host);

    double PixelsPerMmX = 0;
    double PixelsPerMmY = 0;
    double PixelsPerCmX = 0;
    double PixelsPerCmY = 0;
    double DpiX = 0;
    double DpiY = 0;

    // Fills every field from the current printer, or the no-printer defaults.
    void ReadSettings();
    // Hands PaperSize, PaperWidth, PaperLength and Orientation to the printer,
    // then ReadSettings.
    void ApplySettings();

    PrinterHost& Host() { return host_; }

private:
    void Derive();
    PrinterHost& host_;
};

} // namespace quillet
