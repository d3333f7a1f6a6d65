#include "platform/pdf/PdfCanvas.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

#include "platform/Arith.h"
#include "platform/GbkCodec.h"
#include "platform/pdf/FaceLibrary.h"
#include "platform/pdf/PdfNumbers.h"

namespace quillet::pdf {
namespace {

PdfCanvas::PictureReader& Reader()
{
    static PdfCanvas::PictureReader reader;
    return reader;
}

double& DefaultPoints()
{
    static double points = 9.0;
    return points;
}

void AppendColor(std::string& s, Color c)
{
    AppendReal(s, ColorRed(c) / 255.0, 3);
    s += ' ';
    AppendReal(s, ColorGreen(c) / 255.0, 3);
    s += ' ';
    AppendReal(s, ColorBlue(c) / 255.0, 3);
}

// Characters of a GBK text; bytes that do not decode give U+FFFD.
std::u32string Decode(std::string_view gbk)
{
    std::u32string out;
    out.reserve(gbk.size());
    if (std::all_of(gbk.begin(), gbk.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        for (char c : gbk)
            out += static_cast<char32_t>(c);
        return out;
    }
    const std::string utf8 = GbkToUtf8(gbk);
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        if (i + static_cast<std::size_t>(n) > utf8.size())
            n = static_cast<int>(utf8.size() - i);
        for (int k = 1; k < n; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        out += c;
        i += static_cast<std::size_t>(n);
    }
    return out;
}

// Coordinates are held far beyond any page but where sums cannot overflow.
constexpr int kFar = 1 << 28;

int Near(int v)
{
    return std::clamp(v, -kFar, kFar);
}

Rect Near(const Rect& r)
{
    return { Near(r.left), Near(r.top), Near(r.right), Near(r.bottom) };
}

Rect Normalized(const Rect& r)
{
    return { std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
        std::max(r.top, r.bottom) };
}

bool Empty(const Rect& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

Rect Intersect(const Rect& a, const Rect& b)
{
    return { std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
        std::min(a.bottom, b.bottom) };
}

// Dash pattern of a pen in device pixels. The screen's canvas draws it in pen
// widths of one 96-dpi pixel; a finer device keeps the physical lengths (a
// dash of n screen pixels is n / 96 inch), else at 1200 dpi every style
// would print as a thin solid line. A wider pen never makes them shorter.
std::vector<int> DashPattern(PenStyle style, int penWidth, int dpi)
{
    std::vector<int> units;
    if (style == PenStyle::Dot)
        units = { 1, 2 };
    else if (style == PenStyle::DashDot)
        units = { 4, 2, 1, 2 };
    const double unit = std::max(static_cast<double>(std::max(penWidth, 1)), dpi / 96.0);
    for (int& u : units)
        u = std::max(1, static_cast<int>(std::lround(u * unit)));
    return units;
}

} // namespace

void PdfCanvas::SetPictureReader(PictureReader reader)
{
    Reader() = std::move(reader);
}

void PdfCanvas::SetDefaultFontPoints(double points)
{
    DefaultPoints() = points > 0 ? points : 9.0;
}

PdfCanvas::PdfCanvas(PdfDocument& document, const PageSetup& setup)
    : document_(document)
    , setup_(setup)
{
    if (setup_.dpiX <= 0)
        setup_.dpiX = 72;
    if (setup_.dpiY <= 0)
        setup_.dpiY = 72;
    // The sheet in device pixels, from the drawable area's corner.
    const auto pixels = [](double points, int dpi, bool up) {
        const double v
            = (up ? std::ceil(points * dpi / 72.0) : std::floor(points * dpi / 72.0)) + (up ? 1 : -1);
        return std::isfinite(v) ? static_cast<int>(std::clamp(v, -1.0 * kFar, 1.0 * kFar))
                                : (up ? kFar : -kFar);
    };
    sheet_ = { pixels(-setup_.originXPoints, setup_.dpiX, false),
        pixels(-setup_.originYPoints, setup_.dpiY, false),
        pixels(setup_.widthPoints - setup_.originXPoints, setup_.dpiX, true),
        pixels(setup_.heightPoints - setup_.originYPoints, setup_.dpiY, true) };
    // Device pixels, y downwards, from the drawable area's top-left corner.
    content_ += "q ";
    AppendReal(content_, 72.0 / setup_.dpiX, 6);
    content_ += " 0 0 ";
    AppendReal(content_, -72.0 / setup_.dpiY, 6);
    content_ += ' ';
    AppendReal(content_, setup_.originXPoints);
    content_ += ' ';
    AppendReal(content_, setup_.heightPoints - setup_.originYPoints);
    content_ += " cm\n";
    SetFont("\xCB\xCE\xCC\xE5", fontPoints_, kBlack); // 宋体
}

void PdfCanvas::UpdateFont()
{
    const int pixels = fontPoints_ == 0 ? static_cast<int>(std::lround(DefaultPoints() * setup_.dpiY / 72.0))
                                        : MulDiv(fontPoints_, setup_.dpiY, 72);
    pixels_ = std::clamp(pixels, 1, kMaxFontPixels);
    if (face_) {
        const FontFace::LineMetrics m = face_->Metrics(pixels_);
        ascent_ = m.ascent;
        height_ = m.ascent + m.descent;
    } else {
        ascent_ = pixels_;
        height_ = pixels_;
    }
}

void PdfCanvas::SetFont(std::string_view gbkName, int points, Color color)
{
    if (gbkName != fontName_ || !face_) {
        fontName_.assign(gbkName);
        fontUtf8_ = GbkToUtf8(gbkName);
        face_ = document_.Faces().ForFamily(fontUtf8_);
    }
    fontPoints_ = points;
    fontColor_ = color;
    UpdateFont();
}

void PdfCanvas::SetFontSize(int points)
{
    fontPoints_ = points;
    UpdateFont();
}

void PdfCanvas::SetFontColor(Color color)
{
    fontColor_ = color;
}

const std::vector<PdfCanvas::Glyph>& PdfCanvas::Layout(std::string_view gbkText)
{
    if (gbkText == lastText_ && face_ == lastFace_ && pixels_ == lastPixels_)
        return lastGlyphs_;
    lastText_.assign(gbkText);
    lastFace_ = face_;
    lastPixels_ = pixels_;
    lastGlyphs_.clear();
    if (!face_)
        return lastGlyphs_;
    for (char32_t c : Decode(gbkText)) {
        FontFace* face = face_;
        std::uint32_t glyph = face->Glyph(c);
        // Line ends and other controls draw nothing, as on the screen.
        if (c < 0x20 || c == 0x7F)
            continue;
        if (glyph == 0) {
            if (FontFace* other = document_.Faces().FallbackFor(face_, fontUtf8_, c)) {
                face = other;
                glyph = other->Glyph(c);
            }
        }
        lastGlyphs_.push_back({ face, glyph, c, face->Advance64(glyph, pixels_) });
    }
    return lastGlyphs_;
}

long long PdfCanvas::Width(const std::vector<Glyph>& glyphs)
{
    long long width64 = 0;
    for (const Glyph& g : glyphs)
        width64 += g.advance64;
    return std::min<long long>((width64 + 32) >> 6, INT_MAX / 2);
}

Size PdfCanvas::TextExtent(std::string_view gbkText)
{
    return { static_cast<int>(Width(Layout(gbkText))), height_ };
}

int PdfCanvas::PageFont(FontFace* face)
{
    if (face == lastFontFace_)
        return lastFont_;
    const auto at = std::find(page_.fonts.begin(), page_.fonts.end(), face);
    lastFont_ = static_cast<int>(at - page_.fonts.begin()) + 1;
    if (at == page_.fonts.end())
        page_.fonts.push_back(face);
    lastFontFace_ = face;
    return lastFont_;
}

PageRecord PdfCanvas::TakePage()
{
    page_.setup = setup_;
    page_.content = std::move(content_);
    content_.clear();
    return std::move(page_);
}

void PdfCanvas::DrawGlyphs(int x, int baseline, const std::vector<Glyph>& glyphs)
{
    if (glyphs.empty())
        return;
    SetFill(fontColor_);
    content_ += "BT\n";
    FontFace* runFace = nullptr;
    long long pen64 = static_cast<long long>(x) * 64;
    bool open = false;
    for (const Glyph& g : glyphs) {
        if (g.face != runFace) {
            if (open)
                content_ += "] TJ\n";
            runFace = g.face;
            content_ += "/F";
            AppendInt(content_, PageFont(runFace));
            content_ += ' ';
            AppendInt(content_, pixels_);
            content_ += " Tf 1 0 0 -1 ";
            AppendReal(content_, pen64 / 64.0);
            content_ += ' ';
            AppendInt(content_, baseline);
            content_ += " Tm [";
            open = true;
        }
        // The CID is the face's glyph number (a TrueType face has fewer than 65536).
        const std::uint32_t cid = g.glyph & 0xFFFF;
        const int font = PageFont(g.face);
        if (shown_.insert(static_cast<std::uint64_t>(font) << 32 | cid).second)
            page_.glyphs.push_back({ font - 1, cid, g.c });
        static const char kHex[] = "0123456789ABCDEF";
        content_ += '<';
        content_ += kHex[(cid >> 12) & 0xF];
        content_ += kHex[(cid >> 8) & 0xF];
        content_ += kHex[(cid >> 4) & 0xF];
        content_ += kHex[cid & 0xF];
        content_ += '>';
        // The font's width is its design advance in whole thousandths of an
        // em; the screen moves on by the advance in 64ths of a pixel.
        const double wanted = g.advance64 * 1000.0 / 64.0 / pixels_;
        const double adjust = static_cast<double>(g.face->DesignWidth(g.glyph)) - wanted;
        if (std::abs(adjust) >= 0.05)
            AppendReal(content_, adjust, 2);
        pen64 += g.advance64;
    }
    content_ += "] TJ\nET\n";
}

void PdfCanvas::TextOut(int x, int y, std::string_view gbkText)
{
    x = Near(x);
    y = Near(y);
    // Glyphs may reach a little beyond the measured box; off the sheet
    // whatever its width, the text is not even laid out.
    if (!Rect { x - height_, y - height_, kFar, y + 2 * height_ }.Meets(sheet_))
        return;
    const long long width = Width(Layout(gbkText));
    const Rect box { x, y, static_cast<int>(std::clamp<long long>(x + width, INT_MIN, INT_MAX)),
        y + height_ };
    const Rect bounds { box.left - height_, box.top - height_, box.right + height_, box.bottom + height_ };
    if (!bounds.Meets(sheet_))
        return;
    const std::vector<Rect> visible = Visible(bounds);
    if (visible.empty())
        return;
    FillPieces(box, brushColor_);
    const bool clipped = visible.size() != 1 || !(visible[0] == bounds);
    if (clipped) {
        content_ += "q\n";
        ClipTo(visible);
    }
    DrawGlyphs(x, y + ascent_, Layout(gbkText));
    if (clipped) {
        content_ += "Q\n";
        fill_ = stroke_ = 0xFFFFFFFFu;
    }
}

void PdfCanvas::TextRect(const Rect& area, int x, int y, std::string_view gbkText)
{
    const Rect clip = Near(area);
    x = Near(x);
    y = Near(y);
    if (!clip.Meets(sheet_))
        return;
    const std::vector<Rect> visible = Visible(clip);
    if (visible.empty())
        return;
    FillVisible(visible, brushColor_);
    const std::vector<Glyph>& glyphs = Layout(gbkText);
    if (glyphs.empty())
        return;
    content_ += "q\n";
    ClipTo(visible);
    DrawGlyphs(x, y + ascent_, glyphs);
    content_ += "Q\n";
    fill_ = stroke_ = 0xFFFFFFFFu;
}

void PdfCanvas::SetPen(PenStyle style, int width, Color color)
{
    penStyle_ = style;
    // GDI draws a pen of width 0 one pixel wide.
    penWidth_ = std::clamp(width, 1, kMaxPenWidth);
    penColor_ = color;
}

void PdfCanvas::MoveTo(int x, int y)
{
    pen_ = { Near(x), Near(y) };
}

void PdfCanvas::DashedRun(int first, int last, int across, bool horizontal, Color color)
{
    // The screen draws a line running towards smaller coordinates the other
    // way round, from one past its end; the dashes start there.
    const std::vector<int> pattern
        = DashPattern(penStyle_, penWidth_, horizontal ? setup_.dpiX : setup_.dpiY);
    long long low = last > first ? first : last + 1LL;
    long long high = last > first ? last : first + 1LL;
    // Only the dashes near the page are drawn, starting in step with the
    // pattern, so a hostile length cannot make the page endless.
    long long period = 0;
    for (int p : pattern)
        period += p;
    const long long extent = horizontal ? setup_.widthPixels : setup_.heightPixels;
    if (low < -period)
        low += (-period - low) / period * period;
    high = std::min(high, extent + period);
    std::size_t i = 0;
    bool on = true;
    while (low < high) {
        const long long end = std::min(high, low + static_cast<long long>(pattern[i]));
        if (on) {
            const int a = static_cast<int>(low), b = static_cast<int>(end);
            const Rect piece = horizontal ? Rect { a, across, b, across + penWidth_ }
                                          : Rect { across, a, across + penWidth_, b };
            FillPieces(piece, color);
        }
        low = end;
        on = !on;
        i = (i + 1) % pattern.size();
    }
}

void PdfCanvas::LineTo(int x, int y)
{
    x = Near(x);
    y = Near(y);
    const Point from = pen_;
    pen_ = { x, y };
    if (penStyle_ == PenStyle::Null || (from.x == x && from.y == y))
        return;
    if (from.x == x || from.y == y) {
        // Along an axis: the whole pixels from the first point up to the end
        // point, which is left out, and across from w / 2 before the line.
        const bool horizontal = from.y == y;
        const int first = horizontal ? from.x : from.y;
        const int last = horizontal ? x : y;
        const int across = (horizontal ? y : x) - penWidth_ / 2;
        if (penStyle_ != PenStyle::Solid) {
            DashedRun(first, last, across, horizontal, penColor_);
            return;
        }
        const int low = last > first ? first : last + 1;
        const int high = last > first ? last : first + 1;
        FillPieces(horizontal ? Rect { low, across, high, across + penWidth_ }
                              : Rect { across, low, across + penWidth_, high },
            penColor_);
        return;
    }
    const Rect bounds { std::min(from.x, x) - penWidth_, std::min(from.y, y) - penWidth_,
        std::max(from.x, x) + penWidth_, std::max(from.y, y) + penWidth_ };
    if (!bounds.Meets(sheet_))
        return;
    const std::vector<Rect> visible = Visible(bounds);
    if (visible.empty())
        return;
    content_ += "q\n";
    if (visible.size() != 1 || !(visible[0] == bounds))
        ClipTo(visible);
    SetStroke(penColor_);
    AppendInt(content_, penWidth_);
    content_ += " w 0 J ";
    const std::vector<int> pattern = DashPattern(penStyle_, penWidth_, std::max(setup_.dpiX, setup_.dpiY));
    if (!pattern.empty()) {
        content_ += '[';
        for (int p : pattern) {
            AppendInt(content_, p);
            content_ += ' ';
        }
        content_ += "] 0 d ";
    }
    // Through the pixel centres, stopping short of the end pixel.
    const double dx = x - from.x;
    const double dy = y - from.y;
    const double length = std::hypot(dx, dy);
    const double shorten = length > 0 ? std::max(0.0, (length - 1.0) / length) : 0.0;
    AppendReal(content_, from.x + 0.5);
    content_ += ' ';
    AppendReal(content_, from.y + 0.5);
    content_ += " m ";
    AppendReal(content_, from.x + 0.5 + dx * shorten);
    content_ += ' ';
    AppendReal(content_, from.y + 0.5 + dy * shorten);
    content_ += " l S\nQ\n";
    fill_ = stroke_ = 0xFFFFFFFFu;
}

void PdfCanvas::SetBrushColor(Color color)
{
    brushColor_ = color;
}

void PdfCanvas::FillRect(const Rect& r)
{
    if (!Empty(r))
        FillPieces(Near(r), brushColor_);
}

void PdfCanvas::Rectangle(const Rect& r)
{
    const Rect n = Normalized(Near(r));
    const int w = n.right - n.left;
    const int h = n.bottom - n.top;
    if (w < 1 || h < 1 || Excluded(n)
        || !Rect { n.left - penWidth_, n.top - penWidth_, n.right + penWidth_, n.bottom + penWidth_ }.Meets(
            sheet_))
        return;
    if (w == 1 || h == 1) {
        // Too thin for an inside: only the outline's one row or column shows.
        if (penStyle_ != PenStyle::Null)
            FillPieces(n, penColor_);
        return;
    }
    // The inside is the box less its right and bottom edge, under the pen.
    FillPieces({ n.left, n.top, n.right - 1, n.bottom - 1 }, brushColor_);
    if (penStyle_ == PenStyle::Null)
        return;
    const int before = penWidth_ / 2;
    const int l = n.left - before, t = n.top - before;
    const int r2 = n.right - 1 - before, b2 = n.bottom - 1 - before;
    if (penStyle_ == PenStyle::Solid) {
        FillPieces({ l, t, r2 + penWidth_, t + penWidth_ }, penColor_);
        FillPieces({ l, b2, r2 + penWidth_, b2 + penWidth_ }, penColor_);
        FillPieces({ l, t + penWidth_, l + penWidth_, b2 }, penColor_);
        FillPieces({ r2, t + penWidth_, r2 + penWidth_, b2 }, penColor_);
        return;
    }
    DashedRun(n.left, n.right - 1, t, true, penColor_);
    DashedRun(n.top, n.bottom - 1, r2, false, penColor_);
    DashedRun(n.right - 1, n.left, b2, true, penColor_);
    DashedRun(n.bottom - 1, n.top, l, false, penColor_);
}

void PdfCanvas::StretchDraw(const Rect& area, Bitmap& source)
{
    const Rect dest = Near(area);
    if (!dest.Meets(sheet_) || !Reader())
        return;
    const std::vector<Rect> visible = Visible(dest);
    if (visible.empty())
        return;
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    if (!Reader()(source, width, height, pixels) || width <= 0 || height <= 0
        || pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return;
    const int dw = dest.Width(), dh = dest.Height();
    if (dw < width || dh < height) {
        // Shrunk as the screen does: each pixel the darkest of those it covers.
        const int tw = std::min(dw, width), th = std::min(dh, height);
        std::vector<std::uint32_t> out(static_cast<std::size_t>(tw) * static_cast<std::size_t>(th));
        for (int ty = 0; ty < th; ++ty) {
            const int y0 = static_cast<int>(static_cast<long long>(ty) * height / th);
            const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<long long>(ty + 1) * height / th));
            for (int tx = 0; tx < tw; ++tx) {
                const int x0 = static_cast<int>(static_cast<long long>(tx) * width / tw);
                const int x1
                    = std::max(x0 + 1, static_cast<int>(static_cast<long long>(tx + 1) * width / tw));
                std::uint32_t darkest = 0;
                int least = INT_MAX;
                for (int sy = y0; sy < y1 && sy < height; ++sy) {
                    for (int sx = x0; sx < x1 && sx < width; ++sx) {
                        const std::uint32_t c = pixels[static_cast<std::size_t>(sy) * width + sx];
                        const int luma = static_cast<int>((c >> 16) & 0xFF) * 11
                            + static_cast<int>((c >> 8) & 0xFF) * 16 + static_cast<int>(c & 0xFF) * 5;
                        if (luma < least) {
                            least = luma;
                            darkest = c;
                        }
                    }
                }
                out[static_cast<std::size_t>(ty) * tw + tx] = darkest;
            }
        }
        pixels = std::move(out);
        width = tw;
        height = th;
    }
    page_.images.push_back(document_.PackImage(width, height, pixels));
    const auto object = static_cast<long long>(page_.images.size());
    content_ += "q\n";
    if (visible.size() != 1 || !(visible[0] == dest))
        ClipTo(visible);
    AppendInt(content_, dw);
    content_ += " 0 0 ";
    AppendInt(content_, -dh);
    content_ += ' ';
    AppendInt(content_, dest.left);
    content_ += ' ';
    AppendInt(content_, dest.bottom);
    content_ += " cm /I";
    AppendInt(content_, object);
    content_ += " Do\nQ\n";
    fill_ = stroke_ = 0xFFFFFFFFu;
}

void PdfCanvas::ExcludeClipRect(const Rect& r)
{
    if (!Empty(r))
        excluded_.push_back(Near(r));
}

void PdfCanvas::ResetClip()
{
    excluded_.clear();
}

bool PdfCanvas::Excluded(const Rect& r) const
{
    for (const Rect& e : excluded_) {
        if (e.left <= r.left && e.top <= r.top && e.right >= r.right && e.bottom >= r.bottom)
            return true;
    }
    return false;
}

std::vector<Rect> PdfCanvas::Visible(const Rect& r) const
{
    std::vector<Rect> pieces;
    if (Empty(r))
        return pieces;
    pieces.push_back(r);
    for (const Rect& e : excluded_) {
        // Most excluded rectangles lie elsewhere on the page.
        if (std::none_of(
                pieces.begin(), pieces.end(), [&e](const Rect& p) { return !Empty(Intersect(p, e)); }))
            continue;
        std::vector<Rect> next;
        for (const Rect& p : pieces) {
            const Rect cut = Intersect(p, e);
            if (Empty(cut)) {
                next.push_back(p);
                continue;
            }
            // What lies above, below, left and right of the cut.
            if (p.top < cut.top)
                next.push_back({ p.left, p.top, p.right, cut.top });
            if (cut.bottom < p.bottom)
                next.push_back({ p.left, cut.bottom, p.right, p.bottom });
            if (p.left < cut.left)
                next.push_back({ p.left, cut.top, cut.left, cut.bottom });
            if (cut.right < p.right)
                next.push_back({ cut.right, cut.top, p.right, cut.bottom });
        }
        pieces = std::move(next);
        if (pieces.empty())
            break;
    }
    return pieces;
}

void PdfCanvas::FillPieces(const Rect& r, Color color)
{
    if (!r.Meets(sheet_))
        return;
    FillVisible(Visible(r), color);
}

void PdfCanvas::FillVisible(const std::vector<Rect>& pieces, Color color)
{
    if (pieces.empty())
        return;
    SetFill(color);
    // One path per rectangle: rasterisers snap a lone rectangle to whole
    // pixels, so a rule cut in pieces stays as sharp as a whole one.
    for (const Rect& p : pieces) {
        AppendRect(p);
        content_ += "f\n";
    }
}

void PdfCanvas::ClipTo(const std::vector<Rect>& pieces)
{
    for (const Rect& p : pieces)
        AppendRect(p);
    content_ += "W n\n";
}

void PdfCanvas::AppendRect(const Rect& r)
{
    AppendInt(content_, r.left);
    content_ += ' ';
    AppendInt(content_, r.top);
    content_ += ' ';
    AppendInt(content_, static_cast<long long>(r.right) - r.left);
    content_ += ' ';
    AppendInt(content_, static_cast<long long>(r.bottom) - r.top);
    content_ += " re\n";
}

void PdfCanvas::SetFill(Color c)
{
    if (c == fill_)
        return;
    fill_ = c;
    AppendColor(content_, c);
    content_ += " rg\n";
}

void PdfCanvas::SetStroke(Color c)
{
    if (c == stroke_)
        return;
    stroke_ = c;
    AppendColor(content_, c);
    content_ += " RG\n";
}

} // namespace quillet::pdf
