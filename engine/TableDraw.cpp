// The table body of one block: frame, rules, data cells and merged cells, and
// the text-in-a-rectangle primitive the decorations share.
#include <algorithm>
#include <climits>
#include <iterator>

#include "engine/BuffPaper.h"
#include "engine/EngineError.h"
#include "engine/PixelMath.h"
#include "engine/SplitLines.h"
#include "model/PrnFunction.h"
#include "platform/GbkCodec.h"
#include "platform/Texts.h"

namespace quillet {
namespace {

// A merged range's blank starts one pixel inside its left and top rules;
// on a finer device it starts past their whole width, as many pixels as a
// screen pixel takes, so that the range left out of the rules leaves them whole.
void InsideRules(Rect& blank, const Canvas& canvas)
{
    blank.left += ScreenPixels(canvas.DpiX()).Length(1) - 1;
    blank.top += ScreenPixels(canvas.DpiY()).Length(1) - 1;
}

// The empty text of a merged cell becomes one ideographic space, so the
// cell still measures like text.
constexpr char kIdeographicSpace[] = "\xA1\xA1";

// Left edge of each column from x0: edge[j] = x0 + width of columns 1..j.
std::vector<int> Edges(int origin, const std::vector<int>& sizes)
{
    std::vector<int> edge(sizes.size(), origin);
    for (std::size_t i = 1; i < sizes.size(); ++i)
        edge[i] = edge[i - 1] + sizes[i];
    return edge;
}

int AlignedX(std::uint8_t align, int left, int right, int width)
{
    switch (align) {
    case 2:
        return left + std::max(0, (right - left - width) / 2);
    case 3:
        return right - width;
    default:
        return left;
    }
}

// The pixels DrawCellText may touch for a text whose box, inset by 1 mm, is
// `inset` in pixels: the box, except that the wrapped lines of a
// right-aligned text start left of it when they are wider than the box.
Rect TextReach(Rect inset, const TMyTextItem& item)
{
    if (item.Wrap == 1 && item.Align == 3)
        inset.left = INT_MIN;
    return inset;
}

// The same for a rectangle in millimetres.
Rect TextReach(int left, int top, int right, int bottom, const TMyTextItem& item, double fx, double fy)
{
    return TextReach({ MmToPixels(left + 1, fx), MmToPixels(top + 1, fy), MmToPixels(right - 1, fx),
                         MmToPixels(bottom - 1, fy) },
        item);
}

std::string NotANumberMessage(std::string_view gbkText)
{
    return FillIn(Tr("TableDraw", "“%1”不是有效的数值"), { GbkToUtf8(gbkText) });
}

} // namespace

TMyExtent TMyBuffPaper::DrawTableBody(Canvas& canvas, int yOff, double fx, double fy)
{
    const TMyPrintFormat& f = format_;
    const std::vector<int> h = BlockRowHeights();
    int width = 0;
    for (int j = 1; j <= f.Cols(); ++j)
        width += Scaled(f.ColWidth[j]);
    int height = 0;
    for (int r = 1; r <= f.Rows(); ++r)
        height += h[r];

    const int top = TableTop + yOff;
    // Merged cells blank their ranges first and leave them out of the frame,
    // the rules and the data cells, instead of painting white over them
    // afterwards: a vector page drawn later at a coarser resolution than its
    // own would otherwise let the white cover the rules on the ranges'
    // outlines, which share its coarse pixels. At the canvas's own resolution
    // the pixels are those of blanking after drawing.
    std::vector<MergedRange> merged = MergedRanges(TableLeft, top, fx, fy);
    for (MergedRange& m : merged)
        InsideRules(m.blank, canvas);
    BlankMergedRanges(canvas, merged);
    for (const MergedRange& m : merged)
        canvas.ExcludeClipRect(m.blank);
    struct ClipReset {
        Canvas& canvas;
        ~ClipReset() { canvas.ResetClip(); }
    } clipReset { canvas };

    DrawFrame(canvas, TableLeft, top, TableLeft + width, top + height, f.FrameLine, fx, fy);

    int x = TableLeft;
    for (int j = 1; j < f.Cols(); ++j) {
        x += Scaled(f.ColWidth[j]);
        DrawRule(canvas, x, top, x, top + height, f.ColLine[j], fx, fy);
    }
    int y = top;
    for (int r = 1; r < f.Rows(); ++r) {
        y += h[r];
        DrawRule(canvas, TableLeft, y, TableLeft + width, y, f.RowLine[r], fx, fy);
    }

    BodyHeight = height + (f.FrameLine.Style == 2 ? 2 : 1);
    data_.ClearRow();
    DrawDataCells(canvas, TableLeft, top, fx, fy);
    DrawMergedTexts(canvas, merged, fx, fy);
    return { width, BodyHeight };
}

void TMyBuffPaper::DrawFrame(
    Canvas& canvas, int left, int top, int right, int bottom, const TMyLineSpec& spec, double fx, double fy)
{
    // The frame is always a thin solid line; only the double style adds a
    // second frame 1 mm outside.
    TMyLineSpec single;
    single.Style = 1;
    single.Color = spec.Color;
    auto box = [&](int l, int t, int r, int b) {
        DrawRule(canvas, l, t, r, t, single, fx, fy);
        DrawRule(canvas, l, t, l, b, single, fx, fy);
        DrawRule(canvas, r, t, r, b, single, fx, fy);
        DrawRule(canvas, l, b, r, b, single, fx, fy);
    };
    box(left, top, right, bottom);
    if (spec.Style == 2)
        box(left - 1, top - 1, right + 1, bottom + 1);
}

void TMyBuffPaper::DrawRule(
    Canvas& canvas, int x1, int y1, int x2, int y2, const TMyLineSpec& spec, double fx, double fy)
{
    const bool horizontal = y1 == y2 && x1 != x2;
    const bool vertical = x1 == x2 && y1 != y2;
    if (!horizontal && !vertical)
        return;
    const int px1 = MmToPixels(x1, fx);
    const int py1 = MmToPixels(y1, fy);
    const int px2 = MmToPixels(x2, fx);
    const int py2 = MmToPixels(y2, fy);
    // Pen of each rule style, in pixels of the screen; the double rule adds a
    // second line 2 pixels above (horizontal) or to the left (vertical).
    // Unknown styles draw nothing.
    struct Look {
        PenStyle pen;
        int width;
        bool doubled;
    };
    static constexpr Look kLooks[] = {
        { PenStyle::Null, 1, false }, // 无线
        { PenStyle::Solid, 1, false }, // 单线
        { PenStyle::Solid, 1, true }, // 双线
        { PenStyle::Solid, 2, false }, // 单粗线
        { PenStyle::Dot, 1, false }, // 虚线
        { PenStyle::DashDot, 1, false }, // 点划线
    };
    if (spec.Style >= std::size(kLooks))
        return;
    const Look& look = kLooks[spec.Style];
    // A finer device keeps the screen's widths and gap at their physical
    // sizes (a screen pixel is 1/96 inch), covering the same strip of paper:
    // from half the width before the line's own pixel.
    const int dpi = horizontal ? canvas.DpiY() : canvas.DpiX();
    const ScreenPixels across(dpi);
    const int width = across.Length(look.width);
    const int shift = width / 2 - across.Length(look.width / 2);
    auto line = [&](int back) {
        const int dx = horizontal ? 0 : shift - back;
        const int dy = horizontal ? shift - back : 0;
        canvas.MoveTo(px1 + dx, py1 + dy);
        canvas.LineTo(px2 + dx, py2 + dy);
    };
    canvas.SetPen(look.pen, width, spec.Color);
    line(0);
    if (look.doubled)
        line(across.Length(2));
}

void TMyBuffPaper::DrawDataCells(Canvas& canvas, int x0, int y0, double fx, double fy)
{
    const TMyPrintFormat& f = format_;
    const int cols = f.Cols();
    std::vector<int> w(static_cast<std::size_t>(cols) + 1, 0);
    for (int j = 1; j <= cols; ++j)
        w[j] = Scaled(f.ColWidth[j]);
    // Rows are placed by the heights the rules were drawn with, so the kept
    // bottom rows of a collapsed block sit between their own rules.
    const std::vector<int> h = BlockRowHeights();

    // Cells beyond the sheet (a wide table runs off it) are only checked:
    // a bad number still stops the page wherever it lies. The columns' text
    // boxes in pixels are the same in every row.
    const Rect visible = canvas.VisibleRect();
    std::vector<int> insetLeft(w.size()), insetRight(w.size());
    for (int j = 1, x = x0; j <= cols; x += w[j], ++j) {
        insetLeft[j] = MmToPixels(x + 1, fx);
        insetRight[j] = MmToPixels(x + w[j] - 1, fx);
    }
    int y = y0;
    for (int r = 1; r <= f.Rows(); ++r) {
        const int top = y;
        const int bottom = y + h[r];
        y = bottom;
        if (h[r] <= 0)
            continue; // a hidden or collapsed row shows no cells
        const int insetTop = MmToPixels(top + 1, fy);
        const int insetBottom = MmToPixels(bottom - 1, fy);
        data_.ReadRow(CurrentBlock, r);
        const int available = std::min<int>(cols, static_cast<int>(data_.Cells.size()) - 1);
        int x = x0;
        for (int j = 1; j <= available; ++j) {
            const int right = x + w[j];
            const TextString& cell = data_.Cells[j];
            if (!cell.Empty() && w[j] > 0) {
                const bool numeric = f.ColDecimals[j] != kTextColumn;
                double v = 0;
                if (numeric && !StrToFloatStrict(cell.View(), v))
                    throw EngineError(NotANumberMessage(cell.View()), PlaceOfCell(r, j));
                const Rect inset { insetLeft[j], insetTop, insetRight[j], insetBottom };
                if (TextReach(inset, f.ColItem[j]).Meets(visible)) {
                    TMyTextItem item = f.ColItem[j];
                    if (numeric && v < 0 && IsOn(f.NegativeRed)) {
                        item.FontColor = kRed;
                        v = -v;
                    }
                    item.Text.SetText(numeric ? FormatNumber(f.ColDecimals[j], v) : cell.Text());
                    DrawCellText(canvas, x, top, right, bottom, item, fx, fy);
                }
            }
            x = right;
        }
    }
}

CellPlace TMyBuffPaper::PlaceOfCell(int row, int column) const
{
    CellPlace place;
    place.page = CurrentPage;
    place.blocksOnPage = IsOn(format_.MultiTables) ? BlocksPerPage : 1;
    const long long firstOnPage = (static_cast<long long>(CurrentPage) - 1) * BlocksPerPage + 1;
    place.block
        = static_cast<int>(std::clamp<long long>(CurrentBlock - firstOnPage + 1, 1, place.blocksOnPage));
    place.row = row;
    place.column = column;
    return place;
}

std::vector<TMyBuffPaper::MergedRange> TMyBuffPaper::MergedRanges(int x0, int y0, double fx, double fy) const
{
    const TMyPrintFormat& f = format_;
    const int cols = f.Cols();
    const int rows = f.Rows();
    std::vector<int> w(static_cast<std::size_t>(cols) + 1, 0);
    for (int j = 1; j <= cols; ++j)
        w[j] = Scaled(f.ColWidth[j]);
    const std::vector<int> colEdge = Edges(x0, w);
    const std::vector<int> rowEdge = Edges(y0, BlockRowHeights());

    std::vector<MergedRange> ranges;
    for (int s = 1; s <= kMaxMergedCells; ++s) {
        const TMyMergedCell& m = f.MergedCells[s];
        if (m.Top == 0 || m.Top > rows || m.Left > cols)
            continue;
        // Ranges are cut to the table so no sum runs past it.
        const int first = std::max(m.Left, 1);
        const int top = std::max(m.Top, 1);
        const int last = std::clamp(m.Right, 0, cols);
        const int bottom = std::clamp(m.Bottom, 0, rows);
        MergedRange r;
        r.slot = s;
        r.L = colEdge[first - 1];
        r.T = rowEdge[top - 1];
        r.R = colEdge[last];
        r.B = rowEdge[bottom];
        if (r.L == r.R || r.T == r.B)
            continue;
        // One pixel inside the range on the left and top (added before
        // rounding); the rectangle leaves out its right and bottom edge, so
        // the rules on the outline stay.
        r.blank = { Round(static_cast<long double>(r.L) * fx + 1),
            Round(static_cast<long double>(r.T) * fy + 1), MmToPixels(r.R, fx), MmToPixels(r.B, fy) };
        ranges.push_back(r);
    }
    return ranges;
}

void TMyBuffPaper::BlankMergedRanges(Canvas& canvas, const std::vector<MergedRange>& ranges)
{
    canvas.SetPen(PenStyle::Solid, 1, kWhite);
    canvas.SetBrushColor(kWhite);
    for (const MergedRange& m : ranges)
        canvas.Rectangle(m.blank);
}

void TMyBuffPaper::DrawMergedTexts(
    Canvas& canvas, const std::vector<MergedRange>& ranges, double fx, double fy)
{
    const TMyPrintFormat& f = format_;
    const int cols = f.Cols();
    struct ClipReset {
        Canvas& canvas;
        ~ClipReset() { canvas.ResetClip(); }
    } clipReset { canvas };

    const Rect visible = canvas.VisibleRect();
    for (std::size_t k = 0; k < ranges.size(); ++k) {
        const MergedRange& range = ranges[k];
        const TMyMergedCell& m = f.MergedCells[range.slot];
        // A range beyond the sheet shows nothing: its sum is not even read.
        if (!TextReach(range.L, range.T, range.R, range.B, m.Item, fx, fy).Meets(visible))
            continue;
        // A later slot blanks its range over this one's text.
        canvas.ResetClip();
        for (std::size_t later = k + 1; later < ranges.size(); ++later)
            canvas.ExcludeClipRect(ranges[later].blank);

        TMyTextItem item = m.Item;
        if (item.Text.Empty())
            item.Text.SetText(kIdeographicSpace);

        if (m.Kind == kMergedSubtotal || m.Kind == kMergedGrandTotal) {
            const int col = TextToInt(item.Text.View());
            if (col == kNotANumber || col < 1 || col > cols || f.ColDecimals[col] == kTextColumn)
                continue;
            double v
                = m.Kind == kMergedSubtotal ? data_.BlockTotal(col, CurrentBlock) : data_.ColumnTotal(col);
            if (v < 0 && IsOn(f.NegativeRed)) {
                item.FontColor = kRed;
                v = -v;
            }
            item.Text.SetText(FormatNumber(f.ColDecimals[col], v));
            DrawCellText(canvas, range.L, range.T, range.R, range.B, item, fx, fy);
        } else if (m.Kind == kMergedText) {
            DrawCellText(canvas, range.L, range.T, range.R, range.B, item, fx, fy);
        }
    }
}

void TMyBuffPaper::DrawMergedCells(Canvas& canvas, int x0, int y0, double fx, double fy)
{
    std::vector<MergedRange> ranges = MergedRanges(x0, y0, fx, fy);
    for (MergedRange& m : ranges)
        InsideRules(m.blank, canvas);
    BlankMergedRanges(canvas, ranges);
    DrawMergedTexts(canvas, ranges, fx, fy);
}

void TMyBuffPaper::DrawCellText(
    Canvas& canvas, int left, int top, int right, int bottom, const TMyTextItem& item, double fx, double fy)
{
    // 1 mm of air on every side of the text.
    const int l = MmToPixels(left + 1, fx);
    const int t = MmToPixels(top + 1, fy);
    const int r = MmToPixels(right - 1, fx);
    const int b = MmToPixels(bottom - 1, fy);
    if (!TextReach({ l, t, r, b }, item).Meets(canvas.VisibleRect()))
        return; // nothing of it can show: not even measured
    const int w = r - l;
    const int h = b - t;

    SetItemFont(canvas, item);
    const std::string_view text = item.Text.View();
    if (text.empty())
        return;
    const Size whole = canvas.TextExtent(text);
    const int bytes = static_cast<int>(text.size());
    const int avg = Round(static_cast<long double>(whole.cx) / bytes);
    if (avg <= 0)
        return;
    // A piece is never longer than the text, however wide the cell.
    const int limit = std::min(Round(static_cast<long double>(w) / avg), bytes);

    auto extentOf = [&](const std::string& line) {
        return line.size() == text.size() ? whole : canvas.TextExtent(line);
    };

    if (item.Wrap == 1) {
        const std::vector<std::string> lines = SplitLines(text, limit);
        int y = t + std::max(0, (h - static_cast<int>(lines.size()) * whole.cy) / 2);
        for (const std::string& line : lines) {
            const Size e = extentOf(line);
            const int x = AlignedX(item.Align, l, r, e.cx);
            canvas.TextRect({ x, y, r, b }, x, y, line);
            y += e.cy;
        }
    } else {
        const std::string line = FirstLine(text, limit);
        const Size e = extentOf(line);
        const int x = AlignedX(item.Align, l, r, e.cx);
        canvas.TextRect({ l, t, r, b }, x, t + (h - whole.cy) / 2, line);
    }
}

} // namespace quillet
