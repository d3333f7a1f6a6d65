#include "geometry/RulerScale.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "platform/Arith.h"

namespace quillet {
namespace {

// More centimetres than any sheet has; keeps a wild LengthNumber from
// filling memory with marks.
constexpr int kMaxMarks = 100000;

int Rnd(long double v)
{
    return Round(v);
}

// The three ticks of centimetre k: at 8, 6 and 4 mm along the band.
// `along` is pixels per mm along the ruler, `across` across it; `start` the
// band's start, `lo` its near side and `thick` its extent across.
void AddTicks(std::vector<RulerTick>& ticks, TMyOrientation o, long double along, long double across,
    int start, int lo, int thick, int k)
{
    const long double cm = along * 10 * k;
    const int shortFrom = lo + Rnd(thick / 2.0L - 1);
    const int shortTo = lo + Rnd(thick / 2.0L + 1);
    const int longFrom = lo + Rnd(across * 1);
    const int longTo = lo + Rnd(across * 3);
    auto add = [&](int at, int from, int to) {
        if (o == TMyOrientation::trHorizontal)
            ticks.push_back({ { at, from }, { at, to } });
        else
            ticks.push_back({ { from, at }, { to, at } });
    };
    const int at8 = start + Rnd(cm + along * 8);
    const int at6 = start + Rnd(cm + along * 6);
    const int at4 = start + Rnd(cm + along * 4);
    if (o == TMyOrientation::trHorizontal) {
        add(at8, shortFrom, shortTo);
        add(at6, longFrom, longTo);
        add(at4, shortFrom, shortTo);
    } else {
        add(at8, shortFrom, shortTo);
        add(at4, shortFrom, shortTo);
        add(at6, longFrom, longTo);
    }
}

// The band and its bars, `length` pixels along, 4 mm across, centred in the control.
void PlaceBand(RulerLayout& out, TMyOrientation orientation, int width, int height, const Rect& clip,
    long double length, long double px, long double py)
{
    if (orientation == TMyOrientation::trHorizontal) {
        const long double thick = py * 4;
        const long double left = (width - length) / 2;
        const long double top = (height - thick) / 2;
        out.band = { Rnd(left), Rnd(top), Rnd(length + left), Rnd(thick + top) };
        out.startWhere = out.band.left;
        out.endWhere = out.band.right;
        out.barBefore = { 5, out.band.top, out.band.left - 2, out.band.bottom };
        out.barAfter = { out.band.right + 2, out.band.top, clip.right - 5, out.band.bottom };
    } else {
        const long double thick = px * 4;
        const long double left = (width - thick) / 2;
        const long double top = (height - length) / 2;
        out.band = { Rnd(left), Rnd(top), Rnd(thick + left), Rnd(length + top) };
        out.startWhere = out.band.top;
        out.endWhere = out.band.bottom;
        out.barBefore = { out.band.left, 5, out.band.right, out.band.top - 2 };
        out.barAfter = { out.band.left, out.band.bottom + 2, out.band.right, clip.bottom - 5 };
    }
}

int Digits(long long n)
{
    return static_cast<int>(std::to_string(n).size());
}

// The paper's centimetres at the zoom: a number every `step` centimetres,
// the step the smallest of 1, 2, 5, 10, 20, 50 ... that keeps the numbers
// apart; ticks at 4, 6 and 8 mm where they stay apart and clear of the
// numbers, else one tick at each centimetre without a number, else none.
RulerLayout PaperRuler(TMyOrientation orientation, int width, int height, const Rect& clip, int startNumber,
    const RulerPaper& paper, double dpiX, double dpiY)
{
    const bool horizontal = orientation == TMyOrientation::trHorizontal;
    const long double px = dpiX / 25.4L;
    const long double py = dpiY / 25.4L;
    const int lengthMm = std::clamp(paper.lengthMm, 0, kMaxMarks * 10);
    const double zoom = std::min(paper.zoom, 100.0);
    const int pixels = RulerSheetPixels(lengthMm, horizontal ? dpiX : dpiY, zoom);
    RulerLayout out;
    out.ticksPerLabel = 0;
    // The band is the sheet's side exactly, so its start lines up with the sheet.
    PlaceBand(out, orientation, width, height, clip, pixels, px, py);
    if (horizontal)
        out.band.right = out.endWhere = out.band.left + pixels;
    else
        out.band.bottom = out.endWhere = out.band.top + pixels;
    out.barAfter = horizontal ? Rect { out.band.right + 2, out.band.top, clip.right - 5, out.band.bottom }
                              : Rect { out.band.left, out.band.bottom + 2, out.band.right, clip.bottom - 5 };

    const long double along = (horizontal ? px : py) * zoom; // pixels per paper mm
    const long double across = horizontal ? py : px;
    const int start = horizontal ? out.band.left : out.band.top;
    const int lo = horizontal ? out.band.top : out.band.left;
    const int thick = horizontal ? out.band.Height() : out.band.Width();
    const int lastCm = lengthMm > 0 ? (lengthMm - 1) / 10 : 0;
    const long long widest = static_cast<long long>(lastCm) + startNumber;
    // What a number takes along the ruler at 8 points: digits side by side
    // on the top ruler, one line of text on the left one, and a gap.
    const long double extent = horizontal ? Digits(std::max<long long>(widest, startNumber)) * dpiX * 0.062L + 4
                                          : dpiY * 0.13L + 2;
    // 1, 2, 5, 10, 20, 50 ... centimetres between numbers.
    int step = 1;
    for (int i = 0; along * 10 * step < extent && step < kMaxMarks; ++i)
        step = (i % 3 == 1) ? step / 2 * 5 : step * 2;
    const long double cm = along * 10;
    // Ticks inside a centimetre only where they stay 3 pixels apart and
    // leave the number before them whole.
    const bool fine = along * 2 >= 3 && along * 4 >= extent;
    const bool coarse = !fine && cm >= 4;

    out.labels.reserve(static_cast<std::size_t>(lastCm / step) + 1);
    const int shortFrom = lo + Rnd(thick / 2.0L - 1);
    const int shortTo = lo + Rnd(thick / 2.0L + 1);
    const int longFrom = lo + Rnd(across * 1);
    const int longTo = lo + Rnd(across * 3);
    auto tick = [&](long double mm, bool isLong) {
        if (mm > lengthMm)
            return;
        const int at = start + Rnd(along * mm);
        const int from = isLong ? longFrom : shortFrom;
        const int to = isLong ? longTo : shortTo;
        if (horizontal)
            out.ticks.push_back({ { at, from }, { at, to } });
        else
            out.ticks.push_back({ { from, at }, { to, at } });
    };
    for (int k = 0; k <= lastCm; ++k) {
        const bool numbered = k % step == 0;
        if (numbered) {
            const int number = static_cast<int>(
                std::clamp<long long>(static_cast<long long>(k) + startNumber, INT_MIN, INT_MAX));
            const int pos = start + Rnd(cm * k);
            if (horizontal) {
                out.labels.push_back({ { pos, out.band.top + 1 }, number });
            } else {
                const int digits = Digits(number);
                const int inset = digits < 2 ? 5 : digits < 3 ? 2 : 1;
                out.labels.push_back({ { out.band.left + inset, pos }, number });
            }
        } else if (coarse && cm * (k % step) >= extent) {
            tick(10.0L * k, true);
        }
        if (fine) {
            tick(10.0L * k + 4, false);
            tick(10.0L * k + 6, true);
            tick(10.0L * k + 8, false);
        }
    }
    return out;
}

} // namespace

int RulerSheetPixels(int lengthMm, double dpi, double zoom)
{
    return std::max(0, Round(static_cast<long double>(lengthMm) * dpi / 25.4L * zoom));
}

RulerLayout ComputeRulerLayout(TMyOrientation orientation, int width, int height, const Rect& clip,
    int startNumber, int lengthNumber, double dpiX, double dpiY, const RulerPaper& paper)
{
    if (paper.zoom > 0 && std::isfinite(paper.zoom))
        return PaperRuler(orientation, width, height, clip, startNumber, paper, dpiX, dpiY);
    const long double px = dpiX / 25.4L;
    const long double py = dpiY / 25.4L;
    const int last = std::clamp(lengthNumber, -kMaxMarks, kMaxMarks);
    RulerLayout out;

    const long double length = (static_cast<long double>(last) + 1) * (orientation == TMyOrientation::trHorizontal ? px : py) * 10;
    PlaceBand(out, orientation, width, height, clip, length, px, py);

    const bool horizontal = orientation == TMyOrientation::trHorizontal;
    const long double along = horizontal ? px : py;
    const long double across = horizontal ? py : px;
    const int start = horizontal ? out.band.left : out.band.top;
    const int lo = horizontal ? out.band.top : out.band.left;
    const int thick = horizontal ? out.band.Height() : out.band.Width();

    if (last >= 0) {
        out.labels.reserve(static_cast<std::size_t>(last) + 1);
        out.ticks.reserve(3 * (static_cast<std::size_t>(last) + 2));
    }
    for (int o = 0; o <= last; ++o) {
        const int number = static_cast<int>(
            std::clamp<long long>(static_cast<long long>(o) + startNumber, INT_MIN, INT_MAX));
        const int pos = start + Rnd(along * 10 * o);
        if (horizontal) {
            out.labels.push_back({ { pos, out.band.top + 1 }, number });
        } else {
            // Two-digit numbers start further left so they stay inside the band.
            const int inset = std::to_string(number).size() < 2 ? 5 : 2;
            out.labels.push_back({ { out.band.left + inset, pos }, number });
        }
        AddTicks(out.ticks, orientation, along, across, start, lo, thick, o - 1);
    }
    AddTicks(out.ticks, orientation, along, across, start, lo, thick, last);
    return out;
}

} // namespace quillet
