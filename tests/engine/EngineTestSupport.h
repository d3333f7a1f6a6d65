#pragma once
// Shared pieces of the page engine tests: data files written byte by byte, a
// paper host that records what the paper view asks of the window, and the
// whole set of engine objects wired together.
#include <filesystem>
#include <string>
#include <vector>

#include "engine/BuffPaper.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "platform/Display.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/fake/RecordingCanvas.h"

namespace quillet::test {

// GBK bytes of a few characters the tests use.
inline const std::string kAh = "\xB0\xA1"; // 啊

// A data file: signature, version 1.5, six head/foot texts, then cells of
// 201 bytes (length byte and 200 bytes), written byte by byte.
struct DataFileSpec {
    std::vector<std::string> head { "", "", "" };
    std::vector<std::string> foot { "", "", "" };
    std::vector<std::string> cells;
    std::string trailing; // bytes after the last whole cell
};
void WriteDataFile(const std::filesystem::path& path, const DataFileSpec& spec);

// A fresh folder under the system's temporary folder, removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path Path(const std::string& name) const { return dir_ / name; }

private:
    std::filesystem::path dir_;
};

class FakeDisplay : public Display {
public:
    explicit FakeDisplay(int dpi)
        : dpi_(dpi)
    {
    }
    int LogicalDpiX() const override { return dpi_; }
    int LogicalDpiY() const override { return dpi_; }

private:
    int dpi_;
};

struct RulerCall {
    int position = 0;
    int length = 0;
    int startNumber = 0;
    int lengthNumber = 0;
};

class FakePaperHost : public TMyPaperHost {
public:
    int topStrip = 300;
    int leftStrip = 300;
    std::vector<RulerCall> topRulers;
    std::vector<RulerCall> leftRulers;
    int scrolls = 0;
    int pictureChanges = 0;
    RecordingBitmap picture { 96, 96 };

    int TopStripWidth() const override { return topStrip; }
    int LeftStripHeight() const override { return leftStrip; }
    void SetTopRuler(int left, int width, int startNumber, int lengthNumber) override
    {
        topRulers.push_back({ left, width, startNumber, lengthNumber });
    }
    void SetLeftRuler(int top, int height, int startNumber, int lengthNumber) override
    {
        leftRulers.push_back({ top, height, startNumber, lengthNumber });
    }
    int TopRulerStartWhere() const override { return 20; }
    int LeftRulerStartWhere() const override { return 20; }
    Rect imagePlace;
    void PlacePreviewImage(int left, int top, int width, int height) override
    {
        imagePlace = { left, top, left + width, top + height };
    }
    Bitmap& PreviewPicture() override { return picture; }
    void PreviewPictureChanged() override { ++pictureChanges; }
    void ScrollToOrigin() override { ++scrolls; }
};

// Every object the page buffer works with. At the default 254 dpi a
// millimetre is exactly 10 pixels on the screen and on the printer.
struct EngineRig {
    explicit EngineRig(int screenDpi = 254, int printerDpi = 254);

    FakeDisplay display;
    TMyScreen screen;
    FakePrinterHost printerHost;
    TMyPrinter printer;
    FakePaperHost paperHost;
    TMyPaper paper;
    RecordingBitmapFactory bitmaps;
    TMyPrintFormat format;
    TMyPrintData data;
    TMyBuffPaper buffer;
    TempDir temp;

    // Writes the data file, opens it and paginates.
    void UseData(const DataFileSpec& spec);
    void UseCells(std::vector<std::string> cells);
    RecordingCanvas& PageCanvas() { return static_cast<RecordingBitmap&>(buffer.PageImage()).Recorder(); }
    RecordingCanvas& PreviewCanvas() { return paperHost.picture.Recorder(); }
};

// A table of `cols` columns of `colWidth` mm and `rows` rows of `rowHeight` mm
// with `headRows` heading rows; column items in a 20-point font.
void SimpleTable(TMyPrintFormat& f, int cols, int rows, int headRows, int colWidth = 20, int rowHeight = 10);

void SetItem(TMyTextItem& item, const std::string& text, int points = 20, int align = 1, Color color = 0);

// Texts drawn on a canvas, in order.
std::vector<std::string> TextsOf(const RecordingCanvas& canvas);

} // namespace quillet::test
