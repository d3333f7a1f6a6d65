#pragma once
// The page engine wired to Qt pictures at the screen's resolution and to the
// system's printers, for the benchmark and the page renderer.
#include <QtGlobal>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/BuffPaper.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "platform/NumberLocale.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtPrinterHost.h"
#include "tools/ExampleReport.h"

namespace quillet {

// What the main window gives the paper view, with a real picture.
class BenchPaperHost : public TMyPaperHost {
public:
    int TopStripWidth() const override { return 0; }
    int LeftStripHeight() const override { return 0; }
    void SetTopRuler(int, int, int, int) override { }
    void SetLeftRuler(int, int, int, int) override { }
    int TopRulerStartWhere() const override { return 0; }
    int LeftRulerStartWhere() const override { return 0; }
    void PlacePreviewImage(int, int, int, int) override { }
    Bitmap& PreviewPicture() override { return picture; }
    void PreviewPictureChanged() override { }
    void ScrollToOrigin() override { }
    QtBitmap picture { 96, 96 };
};

// A data file of the example's ledger lines, cut after `cells` cells: blocks
// of `linesPerBlock` lines, each followed by `footRows` empty rows for the
// sums to lie over. With remarks every line has an eighth cell.
inline bool WriteLedgerData(
    const std::string& path, long long cells, int linesPerBlock, int footRows, bool remarks)
{
    auto put = [](std::string& out, const std::string& text) {
        const std::size_t n = std::min<std::size_t>(text.size(), 200);
        out.push_back(static_cast<char>(n));
        out.append(text, 0, n);
        out.append(200 - n, '\0');
    };
    std::string bytes = "\x15.Brellisk.-\xb4\xf2\xd3\xa1\xd3\xc3\xca\xfd\xbe\xdd"; // 打印用数据
    bytes += std::string("\x01\x00\x05\x00", 4);
    for (const std::string& text : ExampleHeadFootTexts())
        put(bytes, text);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const int columns = kExampleColumns + (remarks ? 1 : 0);
    const int period = std::max(1, linesPerBlock + footRows);
    long long written = 0;
    int line = 0;
    for (long long row = 0; written < cells && out; ++row) {
        std::vector<std::string> rowCells(static_cast<std::size_t>(columns));
        if (row % period < linesPerBlock) {
            rowCells = ExampleRowCells(line);
            if (remarks)
                rowCells.push_back(line % 7 == 0 ? "\xB2\xB9\xB5\xA5" : ""); // 补单
            ++line;
        }
        for (int c = 0; c < columns && written < cells; ++c, ++written)
            put(bytes, rowCells[static_cast<std::size_t>(c)]);
        if (bytes.size() > (1u << 22)) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            bytes.clear();
        }
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

struct BenchRig {
    BenchRig()
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
    QtPrinterHost printerHost;
    TMyPrinter printer;
    BenchPaperHost paperHost;
    TMyPaper paper;
    QtBitmapFactory bitmaps;
    TMyPrintFormat format;
    TMyPrintData data;
    std::unique_ptr<TMyBuffPaper> buffer;
};

} // namespace quillet
