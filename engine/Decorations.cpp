// The parts around the table body: company line, title, page head and foot,
// and the page number at the bottom of the sheet.
#include <algorithm>
#include <string>

#include "engine/BuffPaper.h"
#include "engine/PixelMath.h"

namespace quillet {
namespace {

constexpr char kSongTi[] = "\xCB\xCE\xCC\xE5"; // 宋体
constexpr char kDi[] = "\xB5\xDA"; // 第
constexpr char kYe[] = "\xD2\xB3"; // 页
constexpr char kGong[] = "\xB9\xB2"; // 共
constexpr int kPageNumberPoints = 10;
constexpr int kPageNumberFromBottom = 10; // mm above the paper's bottom edge

} // namespace

TMyExtent TMyBuffPaper::DrawTextWithRule(Canvas& canvas, int yOff, double fx, double fy,
    const TMyTextItem& item, const TMyLineSpec& rule, int extra)
{
    // Lengths in millimetres come from the text as measured for the layout.
    const MeasuredText m = MeasureItem(canvas, item, fx, fy);
    const Size e = m.size;
    const int avail = TableRight - TableLeft;
    const int widthMm = PixelsToMm(e.cx, m.fx);
    int off = 0;
    switch (item.Align) {
    case 2:
        off = std::max(0, (avail - widthMm) / 2);
        break;
    case 3:
        off = avail - widthMm; // a text wider than the table starts left of it
        break;
    default:
        break;
    }
    canvas.TextOut(MmToPixels(TableLeft + off, fx), MmToPixels(TableTop + yOff, fy), item.Text.View());

    // The rule spans the text's width, 1 mm below it.
    const int ruleY
        = m.fy > 0 ? Round(static_cast<long double>(e.cy) / m.fy + TableTop + yOff + 1) : TableTop + yOff + 1;
    const int ruleEnd
        = m.fx > 0 ? Round(static_cast<long double>(e.cx) / m.fx + TableLeft + off) : TableLeft + off;
    DrawRule(canvas, TableLeft + off, ruleY, ruleEnd, ruleY, rule, fx, fy);
    return { widthMm, PixelsToMm(e.cy, m.fy) + extra };
}

TMyExtent TMyBuffPaper::DrawCompany(Canvas& canvas, double fx, double fy)
{
    if (!IsOn(format_.PrintCompany)) {
        CompanyHeight = 0;
        return { 0, 0 };
    }
    TMyExtent e = DrawTextWithRule(canvas, 0, fx, fy, format_.Company, format_.CompanyLine, 2);
    CompanyHeight = e.Height;
    return e;
}

TMyExtent TMyBuffPaper::DrawTitle(Canvas& canvas, int yOff, double fx, double fy)
{
    if (!IsOn(format_.PrintTitle)) {
        TitleHeight = 0;
        return { 0, 0 };
    }
    // The title takes 3 mm more than the layout reserves for it.
    TMyExtent e = DrawTextWithRule(canvas, yOff, fx, fy, format_.Title, format_.TitleLine, 5);
    TitleHeight = e.Height;
    return e;
}

TMyExtent TMyBuffPaper::DrawHeadOrFoot(Canvas& canvas, int yOff, double fx, double fy,
    const std::array<TMyTextItem, kHeadFootLines + 1>& items, bool multiLine, bool skipEmpty)
{
    const int avail = TableRight - TableLeft;
    const int y0 = TableTop + yOff;
    const long double span = static_cast<long double>(fx) * avail;
    int lastOffset = 0;
    // Pixel offset of an item from TableLeft; an unknown alignment keeps the
    // offset of the item drawn before it.
    auto offsetFor = [&](const TMyTextItem& item, int cx) {
        switch (item.Align) {
        case 1:
            lastOffset = 0;
            break;
        case 2:
            lastOffset = Round(span - cx) / 2;
            break;
        case 3:
            lastOffset = Round(span - cx);
            break;
        default:
            break;
        }
        return lastOffset;
    };
    auto xFor = [&](int offset) { return Round(static_cast<long double>(fx) * TableLeft + offset); };

    if (multiLine) {
        int y = y0;
        int lastHeight = 0; // of the line before, as measured for the layout
        double lineFy = fy;
        for (int i = 1; i <= kHeadFootLines; ++i) {
            const TMyTextItem& item = items[i];
            if (i > 1) {
                if (skipEmpty && item.Text.Empty())
                    continue;
                y += lineFy > 0 ? Round(static_cast<long double>(lastHeight) / lineFy + 1) : 1;
            }
            const MeasuredText m = MeasureItem(canvas, item, fx, fy);
            const Size e = canvas.TextExtent(item.Text.View());
            canvas.TextOut(xFor(offsetFor(item, e.cx)), MmToPixels(y, fy), item.Text.View());
            lastHeight = m.size.cy;
            lineFy = m.fy;
        }
        y += lineFy > 0 ? Round(static_cast<long double>(lastHeight) / lineFy + 1) : 1;
        return { avail, y - y0 + 1 };
    }

    // One line: the texts share their bottom edge.
    std::array<Size, kHeadFootLines + 1> extents {};
    int maxHeight = 0;
    int layoutHeight = 0; // as measured for the layout
    double layoutFy = fy;
    for (int i = 1; i <= kHeadFootLines; ++i) {
        const MeasuredText m = MeasureItem(canvas, items[i], fx, fy);
        extents[i] = canvas.TextExtent(items[i].Text.View());
        maxHeight = std::max(maxHeight, extents[i].cy);
        layoutHeight = std::max(layoutHeight, m.size.cy);
        layoutFy = m.fy;
    }
    for (int i = 1; i <= kHeadFootLines; ++i) {
        SetItemFont(canvas, items[i]);
        const int top = Round(static_cast<long double>(fy) * y0 + (maxHeight - extents[i].cy));
        canvas.TextOut(xFor(offsetFor(items[i], extents[i].cx)), top, items[i].Text.View());
    }
    return { avail, PixelsToMm(layoutHeight, layoutFy) + 2 };
}

TMyExtent TMyBuffPaper::DrawPageHead(Canvas& canvas, int yOff, double fx, double fy)
{
    if (!IsOn(format_.PrintPageHead)) {
        HeadHeight = 0;
        return { 0, 0 };
    }
    // Empty second and third head lines leave no gap.
    TMyExtent e = DrawHeadOrFoot(canvas, yOff, fx, fy, format_.Head, IsOn(format_.HeadMultiLine), true);
    HeadHeight = e.Height;
    return e;
}

TMyExtent TMyBuffPaper::DrawPageFoot(Canvas& canvas, int yOff, double fx, double fy)
{
    if (!IsOn(format_.PrintPageFoot)) {
        FootHeight = 0;
        return { 0, 0 };
    }
    // The foot keeps a line for every item, empty or not.
    TMyExtent e = DrawHeadOrFoot(canvas, yOff, fx, fy, format_.Foot, IsOn(format_.FootMultiLine), false);
    FootHeight = e.Height;
    return e;
}

void TMyBuffPaper::DrawPageNumber(Canvas& canvas, double fx, double fy)
{
    const TMyPrintFormat& f = format_;
    const std::string text = std::string(kDi) + std::to_string(CurrentPage) + kYe + " " + kGong
        + std::to_string(PageCount) + kYe;
    const MeasuredText m = MeasureText(canvas, kSongTi, kPageNumberPoints, kBlack, text, fx, fy);
    const int d = std::max(0, (PageWidth - f.MarginLeft - f.MarginRight - PixelsToMm(m.size.cx, m.fx)) / 2);
    const int x = f.MarginLeft + d;
    canvas.TextOut(MmToPixels(x, fx), MmToPixels(PageHeight - kPageNumberFromBottom, fy), text);
}

} // namespace quillet
