#include "geometry/RulerScale.h"

#include <algorithm>
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

} // namespace

RulerLayout ComputeRulerLayout(TMyOrientation orientation, int width, int height, const Rect& clip,
    int startNumber, int lengthNumber, double dpiX, double dpiY)
{
    const long double px = dpiX / 25.4L;
    const long double py = dpiY / 25.4L;
    const int last = std::clamp(lengthNumber, -kMaxMarks, kMaxMarks);
    RulerLayout out;

    if (orientation == TMyOrientation::trHorizontal) {
        const long double length = (static_cast<long double>(last) + 1) * px * 10;
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
        const long double length = (static_cast<long double>(last) + 1) * py * 10;
        const long double left = (width - thick) / 2;
        const long double top = (height - length) / 2;
        out.band = { Rnd(left), Rnd(top), Rnd(thick + left), Rnd(length + top) };
        out.startWhere = out.band.top;
        out.endWhere = out.band.bottom;
        out.barBefore = { out.band.left, 5, out.band.right, out.band.top - 2 };
        out.barAfter = { out.band.left, out.band.bottom + 2, out.band.right, clip.bottom - 5 };
    }

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
