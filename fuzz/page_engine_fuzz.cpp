// Feeds a fuzzed format and data file to the page engine from memory: the
// first four bytes say how many of the rest are the format file (laid over
// the example's layout when it ends early), the others are the data file. The report is paginated as the
// program opens it, and its first, a middle and its last page are drawn on a recording canvas.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/BuffPaper.h"
#include "engine/EngineError.h"
#include "fuzz/FuzzCheck.h"
#include "model/DataFileError.h"
#include "model/PrnData.h"
#include "platform/Arith.h"
#include "platform/Display.h"
#include "platform/NumberLocale.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/fake/RecordingCanvas.h"
#include "tools/ExampleReport.h"

using namespace quillet;
using namespace quillet::fuzz;

namespace {

class ScreenAt96 : public Display {
public:
    int LogicalDpiX() const override { return 96; }
    int LogicalDpiY() const override { return 96; }
};

// The window's side of the paper view, with a picture that only records.
class PaperHost : public TMyPaperHost {
public:
    int TopStripWidth() const override { return 800; }
    int LeftStripHeight() const override { return 600; }
    void SetTopRuler(int, int, int, int) override { }
    void SetLeftRuler(int, int, int, int) override { }
    int TopRulerStartWhere() const override { return 20; }
    int LeftRulerStartWhere() const override { return 20; }
    void PlacePreviewImage(int, int, int, int) override { }
    Bitmap& PreviewPicture() override { return picture; }
    void PreviewPictureChanged() override { picture.Recorder().Clear(); }
    void ScrollToOrigin() override { }
    RecordingBitmap picture { 96, 96 };
};

// The engine's objects, made once: each input starts from a fresh format,
// data object and page buffer on them.
struct Rig {
    Rig()
        : screen(display)
        , printer(printerHost)
        , paper(paperHost, screen)
    {
        SetCurrentNumberLocale({ ',', '.' });
        printer.ReadSettings();
    }
    ScreenAt96 display;
    TMyScreen screen;
    FakePrinterHost printerHost;
    TMyPrinter printer;
    PaperHost paperHost;
    TMyPaper paper;
    RecordingBitmapFactory bitmaps;
    RecordingCanvas canvas { 96, 96 };
};

void RenderPage(TMyBuffPaper& pages, RecordingCanvas& canvas, int page)
{
    pages.CurrentPage = page;
    canvas.Clear();
    pages.RenderPage(canvas, false);
    for (const CanvasOp& op : canvas.ops)
        Require(op.fontPoints <= kMaxFontPoints, "font sizes capped");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Rig rig;
    if (size < 4)
        return 0;
    const std::size_t formatSize = std::min<std::size_t>(U32(data), size - 4);
    const std::uint8_t* formatBytes = data + 4;
    const std::uint8_t* dataBytes = formatBytes + formatSize;

    // A format file that ends early lays its bytes over the example's layout,
    // so a short input still makes a whole report.
    static const TMyPrintFormat example = [] {
        TMyPrintFormat f;
        BuildExampleFormat(f);
        return f;
    }();
    TMyPrintFormat format = example;
    if (format.LoadFromBytes(formatBytes, formatSize) != kFileOk)
        return 0;
    TMyPrintData reportData(format);
    if (reportData.Open(std::make_unique<MemoryByteSource>(dataBytes, size - 4 - formatSize), "in.dat")
        != kFileOk)
        return 0;

    // As the program opens a report: the printer takes the layout's paper,
    // the page takes it in whole centimetres.
    rig.printer.PaperSize = format.PaperSize;
    rig.printer.PaperWidth = format.PaperWidth;
    rig.printer.PaperLength = format.PaperLength;
    rig.printer.Orientation = format.Orientation;
    rig.printer.ApplySettings();
    TMyBuffPaper pages(format, reportData, rig.screen, rig.printer, rig.paper, rig.bitmaps);
    try {
        pages.SetPageSize(Round(format.PaperWidth / 10.0L) * 10, Round(format.PaperLength / 10.0L) * 10);
        reportData.ReadHeadFoot();
        pages.Paginate();
        Require(pages.PageCount >= 0 && pages.BlocksPerPage >= 1, "page and block counts");
        if (pages.PageCount < 1)
            return 0;
        // Each of them once, however few pages there are.
        const int middle = (pages.PageCount + 1) / 2;
        RenderPage(pages, rig.canvas, 1);
        if (middle != 1)
            RenderPage(pages, rig.canvas, middle);
        if (pages.PageCount != middle)
            RenderPage(pages, rig.canvas, pages.PageCount);
    } catch (const EngineError&) {
        // Refused with a message of the engine's own: not a fault.
    } catch (const DataFileError&) {
    }
    return 0;
}
