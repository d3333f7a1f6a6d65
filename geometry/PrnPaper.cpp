#include "geometry/PrnPaper.h"

#include <algorithm>
#include <cmath>

#include "platform/Arith.h"

namespace quillet {
namespace {

constexpr int kShadow = 5; // drop shadow on the sheet's right and bottom, pixels

// The centimetres of a sheet side as shown: at least 1, and no more than a
// picture of kMaxSheetPixels holds.
int ShownCm(int cm, double pixelsPerCm, double zoom)
{
    const double limit = TMyPaper::kMaxSheetPixels * std::clamp(zoom, 1.0, 8.0);
    const int most = pixelsPerCm > 0 ? std::max(1, static_cast<int>(limit / pixelsPerCm)) : 1;
    return std::clamp(cm, 1, most);
}

} // namespace

TMyPaper::TMyPaper(TMyPaperHost& host, const TMyScreen& screen)
    : host_(host)
    , screen_(screen)
{
}

void TMyPaper::SetPaper(int widthCm, int heightCm, double zoom)
{
    if (!(zoom >= 1.0))
        zoom = 1.0; // also for NaN
    shownWidthCm_ = ShownCm(widthCm, screen_.PixelsPerCmX, zoom);
    shownHeightCm_ = ShownCm(heightCm, screen_.PixelsPerCmY, zoom);
    fitted_ = shownWidthCm_ != widthCm || shownHeightCm_ != heightCm;
    widthCm = shownWidthCm_;
    heightCm = shownHeightCm_;

    // Rulers: the page's centimetres plus about one on either side, but never
    // shorter than the strip that holds them.
    host_.SetRulerPaper({}, {});
    const int topWidth = std::max(
        Round((static_cast<long double>(widthCm) + 2) * screen_.PixelsPerCmX), host_.TopStripWidth());
    host_.SetTopRuler(0, topWidth, 0, widthCm - 1);
    const int leftHeight = std::max(
        Round((static_cast<long double>(heightCm) + 2) * screen_.PixelsPerCmY), host_.LeftStripHeight());
    host_.SetLeftRuler(0, leftHeight, 0, heightCm - 1);

    // The sheet lines up with the rulers' zero marks; the control is one
    // shadow wider and taller than its picture.
    const int left = host_.TopRulerStartWhere();
    const int top = host_.LeftRulerStartWhere();
    const int width = std::max(0, Round(static_cast<long double>(widthCm) * screen_.PixelsPerCmX));
    const int height = std::max(0, Round(static_cast<long double>(heightCm) * screen_.PixelsPerCmY));
    host_.PreviewPicture().SetSize(width, height);
    host_.PlacePreviewImage(left, top, width + kShadow, height + kShadow);

    DrawBlankPage();
}

void TMyPaper::SetSheet(int widthMm, int heightMm, double zoom)
{
    if (!(zoom > 0) || !std::isfinite(zoom))
        zoom = 1.0;
    zoom = std::clamp(zoom, 0.01, 8.0);
    // At least a centimetre of paper, and no more than a zoomed picture of
    // kMaxSheetPixels holds (the window draws only what is seen of it).
    const double limit = kMaxSheetPixels * std::max(zoom, 1.0);
    auto shownMm = [&](int mm, double pixelsPerMm) {
        const int most = pixelsPerMm > 0 ? std::max(10, static_cast<int>(limit / (pixelsPerMm * zoom))) : 10;
        return std::clamp(mm, 10, most);
    };
    const int shownW = shownMm(widthMm, screen_.PixelsPerMmX);
    const int shownH = shownMm(heightMm, screen_.PixelsPerMmY);
    fitted_ = shownW != widthMm || shownH != heightMm;
    shownWidthCm_ = shownW / 10;
    shownHeightCm_ = shownH / 10;

    const int width = RulerSheetPixels(shownW, screen_.DpiX, zoom);
    const int height = RulerSheetPixels(shownH, screen_.DpiY, zoom);
    host_.SetRulerPaper({ zoom, shownW }, { zoom, shownH });
    host_.SetTopRuler(0, std::max(width + kShadow + 2 * kSheetMargin, host_.TopStripWidth()), 0, (shownW - 1) / 10);
    host_.SetLeftRuler(0, std::max(height + kShadow + 2 * kSheetMargin, host_.LeftStripHeight()), 0, (shownH - 1) / 10);
    host_.PreviewPicture().SetSize(width, height);
    host_.PlacePreviewImage(host_.TopRulerStartWhere(), host_.LeftRulerStartWhere(), width + kShadow, height + kShadow);
    DrawBlankPage();
}

void TMyPaper::DrawBlankPage()
{
    Canvas& c = host_.PreviewPicture().GetCanvas();

    Rect r = c.ClipRect();
    c.SetBrushColor(kWhite);
    c.FillRect(r);

    r = c.ClipRect();
    c.SetBrushColor(kBlack);
    c.FillRect({ r.right - kShadow, r.top, r.right, r.bottom });
    c.SetBrushColor(kGray);
    c.FillRect({ r.right - kShadow, r.top, r.right, r.top + kShadow });

    r = c.ClipRect();
    c.SetBrushColor(kBlack);
    c.FillRect({ r.left, r.bottom - kShadow, r.right, r.bottom });
    c.SetBrushColor(kGray);
    c.FillRect({ r.left, r.bottom - kShadow, r.left + kShadow, r.bottom });

    r = c.ClipRect();
    c.SetPen(PenStyle::Solid, 1, kBlack);
    c.MoveTo(0, r.bottom - kShadow);
    c.LineTo(0, 0);
    c.LineTo(r.right - kShadow, 0);

    host_.PreviewPictureChanged();
}

} // namespace quillet
