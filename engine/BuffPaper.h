#pragma once
// The page buffer: the state of the page engine. It measures one table block,
// counts blocks and pages from the data file, draws the table body and its
// decorations onto any canvas, shows the current page in the preview and
// prints page ranges, one print job per page.
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineError.h"
#include "engine/PrintProgress.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

namespace quillet {

// Width and height of a drawn part, in millimetres.
struct TMyExtent {
    int Width = 0;
    int Height = 0;
    bool operator==(const TMyExtent&) const = default;
};

// Scaled font sizes stop here, so a hostile size from a file can neither hang
// the text layout nor exhaust memory.
constexpr int kMaxFontPoints = 1000;

class TMyBuffPaper {
public:
    TMyBuffPaper(TMyPrintFormat& format, TMyPrintData& data, const TMyScreen& screen, TMyPrinter& printer,
        TMyPaper& paper, BitmapFactory& bitmaps);
    TMyBuffPaper(const TMyBuffPaper&) = delete;
    TMyBuffPaper& operator=(const TMyBuffPaper&) = delete;

    int LastBlockRows = 0;
    int TableLeft = 0;
    int TableTop = 0;
    int TableRight = 0;
    int TableBottom = 0;
    int PageCount = 0;
    int CurrentPage = 1;
    int BlocksPerPage = 1;
    int BlockCount = 0;
    int CurrentBlock = 1;
    bool ReviewState = true;
    double ViewRate = 100.0;
    double PrintRate = 100.0;
    int PageWidth = 0;
    int PageHeight = 0;
    int CompanyHeight = 0;
    int TitleHeight = 0;
    int HeadHeight = 0;
    int BodyHeight = 0;
    int FootHeight = 0;

    // The off-screen page at screen resolution and 100 % zoom.
    Bitmap& PageImage();

    void SetPageSize(int width, int height);
    void ClearPageImage();
    void SetViewRate(double percent);
    // 100 % and 50 % show the sheet in whole centimetres, the page drawn
    // straight or shrunk; every other zoom shows the paper exactly.
    bool WholeCentimetreZoom() const;
    // Sizes rulers and sheet to the paper at ViewRate (no page drawn).
    void ShowSheet();
    void SetPrintRate(double percent);
    // Measures one table block on the canvas (fy: its pixels per mm
    // vertically) and places it on the paper.
    void LayoutBlock(Canvas& canvas, double fy);
    void Paginate();

    // Draws page CurrentPage onto the canvas at screen resolution. With
    // toPrinter the page becomes a print job of its own on the current
    // printer, drawn at the printer's resolution on the job's canvas; the
    // canvas argument is then not used. An error aborts the job and is thrown.
    void RenderPage(Canvas& canvas, bool toPrinter);
    void ShowCurrentPage();
    // Prints pages first..last and returns how many went out. A progress,
    // when given, is asked before each page and may stop the run there.
    // Each page's job is sent on while the next page is drawn, one job on
    // its way at a time; a job that fails on its way stops the run at its
    // own page. CurrentPage is put back unless a page fails.
    int PrintPages(int first, int last, PrintProgress* progress = nullptr);
    // True when the printer takes a whole run as one job: then a run that
    // stops early sends nothing at all.
    bool PrintsRunAsOneJob() const { return printer_.Host().Preferences().oneJobPerRun; }

    // Table body of the current block, yOff mm below TableTop: (W, BodyHeight).
    TMyExtent DrawTableBody(Canvas& canvas, int yOff, double fx, double fy);
    void DrawFrame(Canvas& canvas, int left, int top, int right, int bottom, const TMyLineSpec& spec,
        double fx, double fy);
    void DrawRule(
        Canvas& canvas, int x1, int y1, int x2, int y2, const TMyLineSpec& spec, double fx, double fy);
    void DrawDataCells(Canvas& canvas, int x0, int y0, double fx, double fy);
    // Blanks the range of every used merged cell, then draws their texts,
    // each left out of the ranges of the slots after it, so the result is
    // that of blanking and drawing slot after slot.
    void DrawMergedCells(Canvas& canvas, int x0, int y0, double fx, double fy);
    void DrawCellText(Canvas& canvas, int left, int top, int right, int bottom, const TMyTextItem& item,
        double fx, double fy);

    TMyExtent DrawCompany(Canvas& canvas, double fx, double fy);
    TMyExtent DrawTitle(Canvas& canvas, int yOff, double fx, double fy);
    TMyExtent DrawPageHead(Canvas& canvas, int yOff, double fx, double fy);
    TMyExtent DrawPageFoot(Canvas& canvas, int yOff, double fx, double fy);
    void DrawPageNumber(Canvas& canvas, double fx, double fy);

    // scaled(v) = Round(v * PrintRate / 100).
    int Scaled(int v) const;
    // A font size scaled like a length, capped at kMaxFontPoints.
    int ScaledFontSize(int points) const;
    // Row heights of a block as drawn: scaled, with the empty data rows of
    // the last block (and of blocks beyond it) collapsed to 0.
    std::vector<int> BlockRowHeights(int block) const;
    // The same for the block being drawn, CurrentBlock.
    std::vector<int> BlockRowHeights() const { return BlockRowHeights(CurrentBlock); }
    // The number of the first block on page CurrentPage, kept within int.
    int FirstBlockOfPage() const;
    // Where a cell of the current block lies: page, block on the page, row
    // and column.
    CellPlace PlaceOfCell(int row, int column) const;

private:
    // A used slot of MergedCells with its range in mm and its blanking
    // rectangle in device pixels.
    struct MergedRange {
        int slot = 0;
        int L = 0, T = 0, R = 0, B = 0;
        Rect blank;
    };
    std::vector<MergedRange> MergedRanges(int x0, int y0, double fx, double fy) const;
    void BlankMergedRanges(Canvas& canvas, const std::vector<MergedRange>& ranges);
    void DrawMergedTexts(Canvas& canvas, const std::vector<MergedRange>& ranges, double fx, double fy);
    void RenderBlocks(Canvas& canvas, double fx, double fy);
    void SetItemFont(Canvas& canvas, const TMyTextItem& item);
    // A text's extent for the layout's millimetres, with the pixels per mm
    // that turn it into them. The font is also set on the canvas.
    struct MeasuredText {
        Size size;
        double fx = 0;
        double fy = 0;
    };
    MeasuredText MeasureText(Canvas& canvas, std::string_view gbkName, int points, Color color,
        std::string_view text, double fx, double fy);
    MeasuredText MeasureItem(Canvas& canvas, const TMyTextItem& item, double fx, double fy);
    void ApplyFont(Canvas& canvas, std::string_view gbkName, int points, Color color);
    // Height in mm of the non-empty lines: their sum, or the largest.
    int MeasureLinesHeight(Canvas& canvas, const std::array<TMyTextItem, kHeadFootLines + 1>& items,
        std::uint8_t multiLine, double fy);
    TMyExtent DrawHeadOrFoot(Canvas& canvas, int yOff, double fx, double fy,
        const std::array<TMyTextItem, kHeadFootLines + 1>& items, bool multiLine, bool skipEmpty);
    TMyExtent DrawTextWithRule(Canvas& canvas, int yOff, double fx, double fy, const TMyTextItem& item,
        const TMyLineSpec& rule, int extra);

    TMyPrintFormat& format_;
    TMyPrintData& data_;
    const TMyScreen& screen_;
    TMyPrinter& printer_;
    TMyPaper& paper_;
    BitmapFactory& bitmaps_;
    std::unique_ptr<Bitmap> pageImage_;
    std::string jobTitle_; // GBK document title of the next print job
    // PrintPages when the whole run is one job: all its pages or none.
    int PrintRunAsOneJob(int first, int last, int total, PrintProgress* progress);

    // The font last set on the canvas of the page being rendered. Setting a
    // font costs far more than comparing it, and neighbouring cells mostly
    // share theirs; outside a render every set goes to the canvas.
    struct FontInUse {
        bool tracking = false;
        bool known = false;
        std::string name;
        int points = 0;
        Color color = 0;
    };
    FontInUse fontInUse_;
    // While a page is rendered at another resolution than the screen's: the
    // page bitmap, on which texts are measured for every length in
    // millimetres. Font heights do not grow in proportion to the resolution,
    // so heights rounded to millimetres on the printer would move the table
    // against the preview.
    Canvas* reference_ = nullptr;
};

} // namespace quillet
