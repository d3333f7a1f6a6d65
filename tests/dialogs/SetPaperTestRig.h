#pragma once
// The objects a format dialog talks to, wired as the program wires them:
// the example report's layout, a page buffer on an A4 sheet laid out as
// 210 x 300 mm, a fake printer and a message recorder.
#include "dialogs/DialogContext.h"
#include "engine/BuffPaper.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "platform/fake/FakeMessageService.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "tools/EngineRig.h"
#include "tools/ExampleReport.h"

namespace quillet::test {

struct DialogRig {
    DialogRig()
    {
        BuildExampleFormat(format);
        printer.ReadSettings();
        buffer.SetPageSize(210, 300);
    }
    DialogContext Context() { return { format, buffer, printer, messages }; }

    QtDisplay display;
    TMyScreen screen { display };
    FakePrinterHost printerHost;
    TMyPrinter printer { printerHost };
    OffscreenPaperHost paperHost;
    TMyPaper paper { paperHost, screen };
    QtBitmapFactory bitmaps;
    TMyPrintFormat format;
    TMyPrintData data { format };
    TMyBuffPaper buffer { format, data, screen, printer, paper, bitmaps };
    FakeMessageService messages;
};

} // namespace quillet::test
