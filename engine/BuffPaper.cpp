#include "engine/BuffPaper.h"

#include <algorithm>
#include <climits>

#include "engine/PixelMath.h"
#include "platform/Arith.h"

namespace quillet {
namespace {

// The page bitmap never grows beyond this many pixels a side: a paper size
// from a hostile format file must not claim gigabytes (A0 at 96 dpi is
// 3179 x 4494 pixels).
constexpr int kMaxPageImageSide = 8192;

int ClampSide(int pixels)
{
    return std::clamp(pixels, 0, kMaxPageImageSide);
}

// Placement of a length `size` between two margins of a paper of `paper` mm:
// 1 at the near margin, 2 centred, 3 at the far margin, else at the edge.
int Place(int mode, int paper, int nearMargin, int farMargin, int size)
{
    switch (mode) {
    case 1:
        return nearMargin;
    case 2:
        return nearMargin + std::max(0, (paper - nearMargin - farMargin - size) / 2);
    case 3:
        return std::max(paper - farMargin - size, nearMargin);
    default:
        return 0;
    }
}

} // namespace

TMyBuffPaper::TMyBuffPaper(TMyPrintFormat& format, TMyPrintData& data, const TMyScreen& screen,
    TMyPrinter& printer, TMyPaper& paper, BitmapFactory& bitmaps)
    : format_(format)
    , data_(data)
    , screen_(screen)
    , printer_(printer)
    , paper_(paper)
    , bitmaps_(bitmaps)
{
    SetPageSize(210, 290);
}

Bitmap& TMyBuffPaper::PageImage()
{
    if (!pageImage_)
        ClearPageImage();
    return *pageImage_;
}

int TMyBuffPaper::Scaled(int v) const
{
    return Round(static_cast<long double>(v) * PrintRate / 100.0L);
}

int TMyBuffPaper::ScaledFontSize(int points) const
{
    return std::min(Scaled(points), kMaxFontPoints);
}

std::vector<int> TMyBuffPaper::BlockRowHeights(int block) const
{
    const int rows = format_.Rows();
    std::vector<int> h(static_cast<std::size_t>(rows) + 1, 0);
    for (int r = 1; r <= rows; ++r)
        h[r] = Scaled(format_.RowHeight[r]);
    if (block >= BlockCount && !IsOn(format_.KeepEmptyGrid)) {
        for (int r = std::max(LastBlockRows + 1, 1); r <= rows - format_.FootRows(); ++r)
            h[r] = 0;
    }
    return h;
}

int TMyBuffPaper::FirstBlockOfPage() const
{
    // A page number far past the last page must not overflow the block
    // count, nor leave room too small for the page's blocks after it.
    const int blocks = IsOn(format_.MultiTables) ? BlocksPerPage : 1;
    const long long first = (static_cast<long long>(CurrentPage) - 1) * BlocksPerPage + 1;
    return static_cast<int>(std::clamp<long long>(first, INT_MIN, INT_MAX - blocks));
}

void TMyBuffPaper::SetPageSize(int width, int height)
{
    PageWidth = width;
    PageHeight = height;
    pageImage_ = bitmaps_.CreateBitmap(Round(screen_.DpiX), Round(screen_.DpiY));
    pageImage_->SetSize(ClampSide(MmToPixels(width, screen_.PixelsPerMmX)),
        ClampSide(MmToPixels(height, screen_.PixelsPerMmY)));
    ClearPageImage();
    // The zoom stays as it was: the new sheet is shown at it.
    ShowSheet();
}

bool TMyBuffPaper::WholeCentimetreZoom() const
{
    return ViewRate == 100.0 || ViewRate == 50.0;
}

void TMyBuffPaper::ShowSheet()
{
    if (WholeCentimetreZoom())
        paper_.SetPaper(Round(static_cast<long double>(PageWidth) * ViewRate / 100.0L) / 10,
            Round(static_cast<long double>(PageHeight) * ViewRate / 100.0L) / 10, ViewRate / 100.0);
    else
        paper_.SetSheet(PageWidth, PageHeight, ViewRate / 100.0);
}

void TMyBuffPaper::ClearPageImage()
{
    if (!pageImage_) {
        pageImage_ = bitmaps_.CreateBitmap(Round(screen_.DpiX), Round(screen_.DpiY));
        pageImage_->SetSize(ClampSide(MmToPixels(PageWidth, screen_.PixelsPerMmX)),
            ClampSide(MmToPixels(PageHeight, screen_.PixelsPerMmY)));
    }
    Canvas& canvas = pageImage_->GetCanvas();
    canvas.SetBrushColor(kWhite);
    canvas.FillRect({ 0, 0, pageImage_->Width(), pageImage_->Height() });
}

void TMyBuffPaper::SetViewRate(double percent)
{
    paper_.Host().ScrollToOrigin();
    ViewRate = percent;
    ShowSheet();
    ShowCurrentPage();
}

void TMyBuffPaper::SetPrintRate(double percent)
{
    PrintRate = percent;
    ShowCurrentPage();
}

void TMyBuffPaper::SetItemFont(Canvas& canvas, const TMyTextItem& item)
{
    ApplyFont(canvas, item.FontName.View(), ScaledFontSize(item.FontSize), item.FontColor);
}

void TMyBuffPaper::ApplyFont(Canvas& canvas, std::string_view gbkName, int points, Color color)
{
    FontInUse& f = fontInUse_;
    if (f.tracking && f.known && f.points == points && f.name == gbkName) {
        if (f.color != color) {
            canvas.SetFontColor(color);
            f.color = color;
        }
        return;
    }
    canvas.SetFont(gbkName, points, color);
    if (f.tracking) {
        f.known = true;
        f.name.assign(gbkName);
        f.points = points;
        f.color = color;
    }
}

TMyBuffPaper::MeasuredText TMyBuffPaper::MeasureText(Canvas& canvas, std::string_view gbkName, int points,
    Color color, std::string_view text, double fx, double fy)
{
    ApplyFont(canvas, gbkName, points, color);
    if (!reference_ || reference_ == &canvas)
        return { canvas.TextExtent(text), fx, fy };
    reference_->SetFont(gbkName, points, color);
    return { reference_->TextExtent(text), screen_.PixelsPerMmX, screen_.PixelsPerMmY };
}

TMyBuffPaper::MeasuredText TMyBuffPaper::MeasureItem(
    Canvas& canvas, const TMyTextItem& item, double fx, double fy)
{
    return MeasureText(canvas, item.FontName.View(), ScaledFontSize(item.FontSize), item.FontColor,
        item.Text.View(), fx, fy);
}

int TMyBuffPaper::MeasureLinesHeight(Canvas& canvas, const std::array<TMyTextItem, kHeadFootLines + 1>& items,
    std::uint8_t multiLine, double fy)
{
    int sum = 0;
    int largest = 0;
    double f = fy;
    for (int i = 1; i <= kHeadFootLines; ++i) {
        if (items[i].Text.Empty())
            continue;
        const MeasuredText m = MeasureItem(canvas, items[i], fy, fy);
        sum += m.size.cy;
        largest = std::max(largest, m.size.cy);
        f = m.fy;
    }
    return PixelsToMm(IsOn(multiLine) ? sum : largest, f);
}

void TMyBuffPaper::LayoutBlock(Canvas& canvas, double fy)
{
    const TMyPrintFormat& f = format_;
    int width = 0;
    for (int j = 1; j <= f.Cols(); ++j)
        width += Scaled(f.ColWidth[j]);
    int height = 0;
    for (int r = 1; r <= f.Rows(); ++r)
        height += Scaled(f.RowHeight[r]);

    // Each part reserves its fixed margin even when it is switched off.
    auto lineHeight = [&](const TMyTextItem& item, std::uint8_t on) {
        if (!IsOn(on))
            return 0;
        const MeasuredText m = MeasureItem(canvas, item, fy, fy);
        return PixelsToMm(m.size.cy, m.fy);
    };
    height += lineHeight(f.Company, f.PrintCompany) + 2;
    height += lineHeight(f.Title, f.PrintTitle) + 2;
    height += (IsOn(f.PrintPageHead) ? MeasureLinesHeight(canvas, f.Head, f.HeadMultiLine, fy) : 0) + 4;
    height += (IsOn(f.PrintPageFoot) ? MeasureLinesHeight(canvas, f.Foot, f.FootMultiLine, fy) : 0) + 4;

    TableLeft = Place(f.HorPlace, PageWidth, f.MarginLeft, f.MarginRight, width);
    TableRight = TableLeft + width;
    int top = Place(f.VerPlace, PageHeight, f.MarginTop, f.MarginBottom, height);
    TableTop = IsOn(f.MultiTables) ? f.MarginTop : top;
    TableBottom = TableTop + height;
}

void TMyBuffPaper::Paginate()
{
    const TMyPrintFormat& f = format_;
    LayoutBlock(PageImage().GetCanvas(), screen_.PixelsPerMmY);

    BlocksPerPage = 1;
    if (IsOn(f.MultiTables)) {
        int pitch = TableBottom - TableTop + f.TableGap;
        if (pitch > 0)
            BlocksPerPage = (PageHeight - f.MarginTop - f.MarginBottom + f.TableGap) / pitch;
    }
    if (BlocksPerPage <= 0)
        BlocksPerPage = 1;

    std::optional<std::uint64_t> cellCount = data_.CellCount();
    if (!cellCount)
        return; // no data file: the previous pagination stays

    const std::uint64_t cells = *cellCount;
    const std::uint64_t perBlock = static_cast<std::uint64_t>(f.DataRowsPerBlock()) * f.Cols();
    if (perBlock == 0) {
        // A table without data rows or columns: one block of heading rows.
        BlockCount = 1;
        PageCount = 1;
        LastBlockRows = f.HeadRows();
        return;
    }

    std::uint64_t blocks = cells / perBlock + (cells % perBlock != 0 ? 1 : 0);
    BlockCount = static_cast<int>(std::min<std::uint64_t>(blocks, INT_MAX));
    PageCount = BlockCount / BlocksPerPage + (BlockCount % BlocksPerPage != 0 ? 1 : 0);
    if (PageCount <= 0)
        PageCount = 1;

    const std::uint64_t rest = cells % perBlock;
    const std::uint64_t cols = static_cast<std::uint64_t>(f.Cols());
    if (rest == 0 && cells > 0)
        LastBlockRows = f.Rows();
    else
        LastBlockRows = f.HeadRows() + static_cast<int>(rest / cols + (rest % cols != 0 ? 1 : 0));
}

} // namespace quillet
