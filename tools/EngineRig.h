#pragma once
// The page engine without a window: wired to Qt pictures at the display's
// resolution and to the system's printers (with the "PDF" folder printer when
// QUILLET_PDF_DIR is set) or to a stand-in printer. Used by the benchmark,
// the page renderer, the dialog gallery and tests.
#include <memory>
#include <string>

#include "engine/BuffPaper.h"
#include "geometry/HeadlessPaperHost.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "platform/NumberLocale.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtPrinterHost.h"

namespace quillet {

// What the main window gives the paper view, with a real picture and no rulers.
using OffscreenPaperHost = HeadlessPaperHost<QtBitmap>;

// The engine's objects wired as the program wires them, on the printers of
// the given host.
template <class PrinterHostType> struct BasicEngineRig {
    BasicEngineRig()
        : screen(display)
        , printer(printerHost)
        , paper(paperHost, screen)
        , data(format)
    {
        SetCurrentNumberLocale({ ',', '.' });
    }
    // Opens the data file, takes its head and foot texts and paginates on an
    // A4 sheet laid out as 210 x 300 mm. False when the file does not open.
    bool Start(const std::string& dataPath)
    {
        buffer = std::make_unique<TMyBuffPaper>(format, data, screen, printer, paper, bitmaps);
        if (data.Open(dataPath) != kFileOk)
            return false;
        data.ReadHeadFoot();
        buffer->SetPageSize(210, 300);
        buffer->Paginate();
        return true;
    }

    QtDisplay display;
    TMyScreen screen;
    PrinterHostType printerHost;
    TMyPrinter printer;
    OffscreenPaperHost paperHost;
    TMyPaper paper;
    QtBitmapFactory bitmaps;
    TMyPrintFormat format;
    TMyPrintData data;
    std::unique_ptr<TMyBuffPaper> buffer;
};

using EngineRig = BasicEngineRig<QtPrinterHost>;

} // namespace quillet
