#include "platform/qt/QtCanvas.h"

#include <QColorSpace>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QRegion>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "platform/Arith.h"
#include "platform/GbkCodec.h"
#include "platform/qt/QtBitmap.h"

namespace quillet {
namespace {

QColor ToQColor(Color c)
{
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

QString Decode(std::string_view gbk)
{
    // Most cells are digits: ASCII is the same in GBK and Latin-1.
    if (std::all_of(gbk.begin(), gbk.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(gbk.size()));
    const std::string utf8 = GbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Text boxes of a page come in few sizes (a column's width by a row's height).
constexpr std::size_t kMaxScratches = 32;
// Larger boxes (rare: wide merged cells, big fonts) take the painter's clip,
// so the scratch pictures stay small.
constexpr long long kMaxScratchPixels = 16384;

Qt::PenStyle ToQtStyle(PenStyle style)
{
    switch (style) {
    case PenStyle::Solid:
        return Qt::SolidLine;
    case PenStyle::Dot:
        return Qt::DotLine;
    case PenStyle::DashDot:
        return Qt::DashDotLine;
    case PenStyle::Null:
        return Qt::NoPen;
    }
    return Qt::SolidLine;
}

// Dash pattern of a dotted or dash-dot pen in whole logical pixels, as the PDF
// canvas draws it: in pen widths of one 96-dpi pixel, at its physical length
// on a finer device, so that a 1200-dpi page keeps the screen's dashes.
QList<qreal> DashLengths(PenStyle style, int penWidth, int dpi)
{
    QList<qreal> units;
    if (style == PenStyle::Dot)
        units = { 1, 2 };
    else if (style == PenStyle::DashDot)
        units = { 4, 2, 1, 2 };
    const double unit = std::max(static_cast<double>(std::max(penWidth, 1)), dpi / 96.0);
    for (qreal& u : units)
        u = std::max(1L, std::lround(u * unit));
    return units;
}

// Left/top inclusive, right/bottom exclusive; nothing when empty or reversed.
QRect ToQRect(const Rect& r)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return {};
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool Meets(const QRect& r, const Rect& area)
{
    return !r.isEmpty() && Rect { r.left(), r.top(), r.right() + 1, r.bottom() + 1 }.Meets(area);
}

} // namespace

// A picture of one text box's size with a painter of its own, see TextRect.
struct QtCanvas::Scratch {
    QImage image; // destroyed after the painter
    QPainter painter;
    unsigned lastUse = 0;
};

// Clips the painter to everything but the excluded rectangles for one drawing
// call whose pixels lie in bounds, and puts the painter's clip back after it.
class QtCanvas::ExclusionGuard {
public:
    ExclusionGuard(QPainter& p, const std::vector<QRect>& excluded, const QRect& bounds, bool active)
        : p_(active ? &p : nullptr)
    {
        if (!p_)
            return;
        // Everything but the excluded rectangles: the clip's only edges are
        // theirs, never beside the drawing's own pixels.
        constexpr int kFar = 1 << 24;
        QRegion allowed(bounds.united(QRect(-kFar, -kFar, 2 * kFar, 2 * kFar)));
        for (const QRect& r : excluded)
            allowed -= r;
        p_->save();
        p_->setClipRegion(allowed, Qt::IntersectClip);
    }
    ~ExclusionGuard()
    {
        if (p_)
            p_->restore();
    }
    ExclusionGuard(const ExclusionGuard&) = delete;
    ExclusionGuard& operator=(const ExclusionGuard&) = delete;

private:
    QPainter* p_;
};

QtCanvas::Reach QtCanvas::ReachOf(const QRect& bounds) const
{
    Reach reach = Reach::Free;
    for (const QRect& r : excluded_) {
        if (r.contains(bounds))
            return Reach::Hidden;
        if (r.intersects(bounds))
            reach = Reach::Clipped;
    }
    return reach;
}

void QtCanvas::ExcludeClipRect(const Rect& r)
{
    const QRect box = ToQRect(r);
    if (!box.isEmpty())
        excluded_.push_back(box);
}

void QtCanvas::ResetClip()
{
    excluded_.clear();
}

QtCanvas::QtCanvas(QPaintDevice& device)
    : device_(&device)
{
    SetFont("\xCB\xCE\xCC\xE5", fontPoints_, kBlack); // 宋体
}

QtCanvas::QtCanvas(QPainter& painter)
    : device_(painter.device())
    , borrowed_(&painter)
{
    SetFont("\xCB\xCE\xCC\xE5", fontPoints_, kBlack);
}

QtCanvas::~QtCanvas()
{
    End();
}

void QtCanvas::End()
{
    if (own_ && own_->isActive())
        own_->end();
    visibleKnown_ = false; // the device may be resized now
}

QPainter* QtCanvas::Painter()
{
    QPainter* p = borrowed_;
    if (!p) {
        if (!own_)
            own_ = std::make_unique<QPainter>();
        if (!own_->isActive()) {
            // A picture of no size has no paint engine; drawing on it is a no-op.
            visibleKnown_ = false; // the new painter may bring a transform
            if (device_->width() <= 0 || device_->height() <= 0 || !own_->begin(device_))
                return nullptr;
        }
        p = own_.get();
    }
    if (!p->isActive())
        return nullptr;
    // GDI lines and fills are aliased.
    if (p->renderHints() & (QPainter::Antialiasing | QPainter::SmoothPixmapTransform))
        p->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform, false);
    return p;
}

bool QtCanvas::PlainRasterTarget(QPainter& p) const
{
    if (mapped_ || &p != own_.get() || device_->devType() != QInternal::Image)
        return false;
    const QImage& image = *static_cast<const QImage*>(device_);
    return image.format() == QImage::Format_RGB32 && !image.colorSpace().isValid() && p.paintEngine()
        && p.paintEngine()->type() == QPaintEngine::Raster && !p.hasClipping()
        && p.deviceTransform().isIdentity() && p.compositionMode() == QPainter::CompositionMode_SourceOver
        && p.opacity() == 1.0;
}

const QString& QtCanvas::Decoded(std::string_view gbkText)
{
    if (gbkText != lastGbk_) {
        lastGbk_.assign(gbkText);
        lastText_ = Decode(gbkText);
    }
    return lastText_;
}

const QFontMetrics& QtCanvas::Metrics()
{
    // The metrics take the device's resolution when they are made.
    const int dpi = device_->logicalDpiY();
    if (!metrics_ || metricsGeneration_ != fontGeneration_ || metricsDpi_ != dpi) {
        metrics_.emplace(font_, device_);
        metricsGeneration_ = fontGeneration_;
        metricsDpi_ = dpi;
        ascent_ = metrics_->ascent();
        height_ = metrics_->height();
        fontWidths_ = &widths_[{ fontName_, font_.pixelSize(), dpi }];
    }
    return *metrics_;
}

int QtCanvas::DpiX() const
{
    return fixedDpiX_ > 0 ? fixedDpiX_ : device_->logicalDpiX();
}
int QtCanvas::DpiY() const
{
    return fixedDpiY_ > 0 ? fixedDpiY_ : device_->logicalDpiY();
}

void QtCanvas::SetDpi(int dpiX, int dpiY)
{
    fixedDpiX_ = dpiX;
    fixedDpiY_ = dpiY;
    UpdateFontPixels();
}

Rect QtCanvas::ClipRect() const
{
    if (mapped_) {
        // The logical pixels that reach the device at all.
        const auto low = [](double d, double s) { return static_cast<int>(std::floor(-d / s)); };
        const auto high
            = [](double d, double s, int size) { return static_cast<int>(std::ceil((size - d) / s)); };
        return { low(map_.dx, map_.sx), low(map_.dy, map_.sy), high(map_.dx, map_.sx, device_->width()),
            high(map_.dy, map_.sy, device_->height()) };
    }
    return { 0, 0, device_->width(), device_->height() };
}

void QtCanvas::SetDeviceMap(const DeviceMap& map)
{
    // A scale of nothing (or less) would lose the page: such a map is ignored.
    if (!(map.sx > 0) || !(map.sy > 0) || !std::isfinite(map.sx) || !std::isfinite(map.sy)
        || !std::isfinite(map.dx) || !std::isfinite(map.dy))
        map_ = DeviceMap {};
    else
        map_ = map;
    mapped_ = !map_.IsIdentity();
    visibleKnown_ = false;
}

QRect QtCanvas::MapRect(const QRect& r) const
{
    if (r.isEmpty())
        return {};
    const auto edge = [](long long v, double s, double d) {
        return static_cast<int>(std::clamp<double>(std::floor(v * s + d + 0.5), -(1 << 28), 1 << 28));
    };
    const int left = edge(r.left(), map_.sx, map_.dx);
    const int top = edge(r.top(), map_.sy, map_.dy);
    const int right
        = std::max(left + 1, edge(static_cast<long long>(r.left()) + r.width(), map_.sx, map_.dx));
    const int bottom
        = std::max(top + 1, edge(static_cast<long long>(r.top()) + r.height(), map_.sy, map_.dy));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QRect QtCanvas::MapRule(const QRect& r, bool horizontal) const
{
    QRect m = MapRect(r);
    if (m.isEmpty())
        return m;
    // Edges rounded one by one would give a rule 1 or 2 device pixels at a
    // scale of 1.5, by where it lies.
    if (horizontal)
        m.setHeight(std::max(1, static_cast<int>(std::lround(r.height() * map_.sy))));
    else
        m.setWidth(std::max(1, static_cast<int>(std::lround(r.width() * map_.sx))));
    return m;
}

QTransform QtCanvas::MapTransform() const
{
    return QTransform(map_.sx, 0, 0, map_.sy, map_.dx, map_.dy);
}

std::vector<QRect> QtCanvas::MappedExcluded() const
{
    std::vector<QRect> out;
    out.reserve(excluded_.size());
    for (const QRect& r : excluded_)
        out.push_back(MapRect(r));
    return out;
}

Rect QtCanvas::VisibleRect() const
{
    // The own painter keeps its device and transform until it ends.
    if (!visibleKnown_) {
        visible_ = FindVisibleRect();
        visibleKnown_ = true;
    }
    return visible_;
}

Rect QtCanvas::FindVisibleRect() const
{
    constexpr int kFar = 1 << 28;
    // A borrowed painter (a widget painting itself) may be redirected into its
    // window's backing store at the screen's pixel ratio, where the device's
    // size says little of what shows; widgets draw little, so nothing is left out.
    if (borrowed_)
        return { -kFar, -kFar, kFar, kFar };
    if (mapped_) {
        const Rect r = ClipRect();
        return { r.left - 1, r.top - 1, r.right + 1, r.bottom + 1 };
    }
    QRect area(0, 0, device_->width(), device_->height());
    if (const auto* paged = dynamic_cast<const QPagedPaintDevice*>(device_)) {
        // The drawing origin is the printable area's corner; the sheet
        // reaches past it on every side, by a pixel more for rounding.
        const QPageLayout layout = paged->pageLayout();
        const int dpi = std::max(device_->logicalDpiX(), device_->logicalDpiY());
        const QRect sheet = layout.fullRectPixels(dpi);
        area = sheet.translated(-layout.paintRectPixels(dpi).topLeft()).adjusted(-1, -1, 1, 1);
    }
    const QPainter* p = own_.get();
    // The painter's own transform, in the device's logical pixels (a device
    // pixel ratio is no part of it).
    if (p && p->isActive() && !p->combinedTransform().isIdentity()) {
        bool invertible = false;
        const QTransform back = p->combinedTransform().inverted(&invertible);
        if (!invertible)
            return { -kFar, -kFar, kFar, kFar };
        area = back.mapRect(area).adjusted(-1, -1, 1, 1);
    }
    return { area.left(), area.top(), area.left() + area.width(), area.top() + area.height() };
}

double QtCanvas::DefaultFontPoints()
{
    const QFont font = QGuiApplication::font();
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    if (font.pixelSize() > 0) // a font given in pixels: at the usual 96 dpi of a screen
        return font.pixelSize() * 72.0 / 96.0;
    return 9.0;
}

void QtCanvas::UpdateFontPixels()
{
    // Size 0 is the window system's default size at this device's resolution.
    int pixels = fontPoints_ == 0 ? static_cast<int>(std::lround(DefaultFontPoints() * DpiY() / 72.0))
                                  : MulDiv(fontPoints_, DpiY(), 72);
    font_.setPixelSize(std::clamp(pixels, 1, kMaxFontPixels));
    ++fontGeneration_;
}

void QtCanvas::SetFont(std::string_view gbkName, int points, Color color)
{
    fontName_.assign(gbkName);
    font_ = QFont(Decode(gbkName));
    // Texts are measured and drawn as the sum of their characters' advances,
    // as the described system does: no kerning pairs, no ligatures.
    font_.setStyleStrategy(QFont::StyleStrategy(QFont::PreferDefault | QFont::PreferNoShaping));
    font_.setKerning(false);
    fontPoints_ = points;
    fontColor_ = ToQColor(color);
    UpdateFontPixels();
}

void QtCanvas::SetFontSize(int points)
{
    fontPoints_ = points;
    UpdateFontPixels();
}

void QtCanvas::SetFontColor(Color color)
{
    fontColor_ = ToQColor(color);
}

Size QtCanvas::TextExtent(std::string_view gbkText)
{
    const QFontMetrics& metrics = Metrics();
    if (const auto known = fontWidths_->find(gbkText); known != fontWidths_->end())
        return { known->second, height_ };
    const int width = metrics.horizontalAdvance(Decoded(gbkText));
    if (rememberedWidths_ >= kMaxRememberedWidths) {
        widths_.clear();
        fontWidths_ = &widths_[{ fontName_, font_.pixelSize(), metricsDpi_ }];
        rememberedWidths_ = 0;
    }
    fontWidths_->emplace(gbkText, width);
    ++rememberedWidths_;
    return { width, height_ };
}

void QtCanvas::TextOut(int x, int y, std::string_view gbkText)
{
    QPainter* p = Painter();
    if (!p)
        return;
    // Glyphs may reach a little beyond the measured box; off the picture
    // whatever its width, the text is not even measured.
    Metrics();
    const Rect visible = VisibleRect();
    if (!Rect { x - height_, y - height_, INT_MAX, y + 2 * height_ }.Meets(visible))
        return;
    const int width = TextExtent(gbkText).cx;
    const QRect bounds = QRect(x, y, width, height_).adjusted(-height_, -height_, height_, height_);
    if (!Meets(bounds, visible))
        return;
    const Reach reach = ReachOf(bounds);
    if (reach == Reach::Hidden)
        return;
    if (mapped_) {
        MappedText(*p, nullptr, QRect(x, y, width, height_), QPoint(x, y + ascent_), Decoded(gbkText), bounds,
            reach);
        return;
    }
    ExclusionGuard guard(*p, excluded_, bounds, reach == Reach::Clipped);
    p->setFont(font_);
    p->fillRect(QRect(x, y, width, height_), brushColor_);
    p->setPen(fontColor_);
    p->drawText(QPoint(x, y + ascent_), Decoded(gbkText));
}

void QtCanvas::TextRect(const Rect& clip, int x, int y, std::string_view gbkText)
{
    QPainter* p = Painter();
    const QRect box = ToQRect(clip);
    if (!p || !clip.Meets(VisibleRect()))
        return;
    const Reach reach = ReachOf(box);
    if (reach == Reach::Hidden)
        return;
    const QString& text = Decoded(gbkText);
    Metrics();
    const QPoint baseline(x, y + ascent_);
    if (mapped_) {
        MappedText(*p, &box, box, baseline, text, box, reach);
        return;
    }
    ExclusionGuard guard(*p, excluded_, box, reach == Reach::Clipped);
    if (PlainRasterTarget(*p)
        && DrawClippedText(
            *p, box & QRect(0, 0, device_->width(), device_->height()), baseline, gbkText, text))
        return;
    p->save();
    p->fillRect(box, brushColor_);
    p->setClipRect(box, Qt::IntersectClip);
    p->setFont(font_);
    p->setPen(fontColor_);
    p->drawText(baseline, text);
    p->restore();
}

// A clip on the painter costs a span table as tall as the whole picture,
// built anew for every text. Instead the text is drawn into a picture exactly
// as large as the visible part of its box, whose edges cut the glyphs where
// the clip would, and copied in. Same picture format, the same offset for
// every glyph and the same background give the same pixels.
bool QtCanvas::DrawClippedText(
    QPainter& p, const QRect& box, const QPoint& baseline, std::string_view gbkText, const QString& text)
{
    if (box.isEmpty())
        return true; // wholly outside the picture
    if (static_cast<long long>(box.width()) * box.height() > kMaxScratchPixels)
        return false;
    const QImage& target = *static_cast<const QImage*>(device_);

    // The box's pixels follow from these alone: the painter and both
    // pictures are plain 32-bit RGB, the box is filled before the text.
    const int fields[] = { font_.pixelSize(), target.dotsPerMeterX(), target.dotsPerMeterY(),
        static_cast<int>(fontColor_.rgb()), static_cast<int>(brushColor_.rgb()), box.width(), box.height(),
        baseline.x() - box.left(), baseline.y() - box.top(), static_cast<int>(p.renderHints()),
        static_cast<int>(p.layoutDirection()), static_cast<int>(fontName_.size()) };
    std::string key(reinterpret_cast<const char*>(fields), sizeof fields);
    key += fontName_;
    key += gbkText;
    if (const auto known = boxes_.find(key); known != boxes_.end()) {
        p.drawImage(box.topLeft(), known->second);
        return true;
    }

    Scratch* scratch = nullptr;
    for (const auto& s : scratches_) {
        if (s->image.size() == box.size() && s->image.dotsPerMeterX() == target.dotsPerMeterX()
            && s->image.dotsPerMeterY() == target.dotsPerMeterY()) {
            scratch = s.get();
            break;
        }
    }
    if (!scratch) {
        if (scratches_.size() < kMaxScratches) {
            scratches_.push_back(std::make_unique<Scratch>());
            scratch = scratches_.back().get();
        } else {
            scratch
                = std::min_element(scratches_.begin(), scratches_.end(), [](const auto& a, const auto& b) {
                      return a->lastUse < b->lastUse;
                  })->get();
        }
        if (scratch->painter.isActive())
            scratch->painter.end();
        scratch->image = QImage(box.size(), QImage::Format_RGB32);
        scratch->image.setDotsPerMeterX(target.dotsPerMeterX());
        scratch->image.setDotsPerMeterY(target.dotsPerMeterY());
        if (scratch->image.isNull() || !scratch->painter.begin(&scratch->image)) {
            scratch->image = QImage();
            return false;
        }
    }
    scratch->lastUse = ++scratchClock_;
    QPainter& s = scratch->painter;
    if (s.renderHints() != p.renderHints()) {
        s.setRenderHints(s.renderHints(), false);
        s.setRenderHints(p.renderHints(), true);
    }
    s.setLayoutDirection(p.layoutDirection());
    s.fillRect(QRect(QPoint(0, 0), box.size()), brushColor_);
    s.setFont(font_);
    s.setPen(fontColor_);
    s.drawText(baseline - box.topLeft(), text);
    p.drawImage(box.topLeft(), scratch->image);

    const std::size_t bytes = static_cast<std::size_t>(scratch->image.sizeInBytes()) + key.size();
    QImage finished = scratch->image.copy();
    if (!finished.isNull()) {
        if (rememberedBoxBytes_ + bytes > kMaxRememberedBoxBytes) {
            boxes_.clear();
            rememberedBoxBytes_ = 0;
        }
        boxes_.emplace(std::move(key), std::move(finished));
        rememberedBoxBytes_ += bytes;
    }
    return true;
}

void QtCanvas::SetPen(PenStyle style, int width, Color color)
{
    penStyle_ = style;
    // GDI draws a pen of width 0 one pixel wide.
    penWidth_ = std::clamp(width, 1, kMaxPenWidth);
    penColor_ = ToQColor(color);
}

void QtCanvas::MoveTo(int x, int y)
{
    pen_ = { x, y };
}

void QtCanvas::LineTo(int x, int y)
{
    const Point from = pen_;
    pen_ = { x, y };
    if (penStyle_ == PenStyle::Null || (from.x == x && from.y == y))
        return;
    QPainter* p = Painter();
    if (!p)
        return;
    const bool alongAxis = from.x == x || from.y == y;
    const bool horizontal = from.y == y;
    QRect bounds;
    if (alongAxis) {
        // The pixels a pen of width w covers along an axis: from the first
        // point up to the end point, which it leaves out, and across from
        // w / 2 before the line to w - w / 2 - 1 after it.
        const int first = horizontal ? from.x : from.y;
        const int last = horizontal ? x : y;
        const int low = last > first ? first : last + 1;
        const int high = last > first ? last : first + 1;
        const int across = (horizontal ? y : x) - penWidth_ / 2;
        bounds = horizontal ? QRect(low, across, high - low, penWidth_)
                            : QRect(across, low, penWidth_, high - low);
    } else {
        bounds = QRect(QPoint(std::min(from.x, x), std::min(from.y, y)),
            QPoint(std::max(from.x, x), std::max(from.y, y)))
                     .adjusted(-penWidth_, -penWidth_, penWidth_, penWidth_);
    }
    if (!Meets(bounds, VisibleRect()))
        return;
    const Reach reach = ReachOf(bounds);
    if (reach == Reach::Hidden)
        return;
    if (mapped_) {
        MappedLine(*p, from, x, y, bounds, alongAxis, horizontal, reach);
        return;
    }
    if (reach == Reach::Clipped && alongAxis && penStyle_ == PenStyle::Solid) {
        // A solid line partly left out is drawn as the pieces that remain,
        // each a line of its own: no clip edge lies beside the line, so a
        // vector page drawn later at a coarser resolution still shows it.
        QRegion visible(bounds);
        for (const QRect& r : excluded_)
            visible -= r;
        for (const QRect& piece : visible)
            DrawSolidPiece(*p, piece, horizontal);
        return;
    }
    ExclusionGuard guard(*p, excluded_, bounds, reach == Reach::Clipped);
    if (penStyle_ == PenStyle::Solid && penWidth_ == 1 && (from.x == x || from.y == y)
        && PlainRasterTarget(*p)) {
        // A solid hairline along an axis covers the whole pixels from its
        // first point up to its end point, which it leaves out: filling them
        // gives the same picture as stroking, for a fraction of the cost.
        const int first = from.y == y ? from.x : from.y;
        const int last = from.y == y ? x : y;
        const int low = last > first ? first : last + 1;
        const int high = last > first ? last - 1 : first;
        const QRect run
            = from.y == y ? QRect(QPoint(low, y), QPoint(high, y)) : QRect(QPoint(x, low), QPoint(x, high));
        p->fillRect(run, penColor_);
        return;
    }
    DrawLineSegment(*p, from.x, from.y, x, y);
}

void QtCanvas::MappedLine(QPainter& p, const Point& from, int x, int y, const QRect& bounds, bool alongAxis,
    bool horizontal, Reach reach)
{
    if (alongAxis && penStyle_ == PenStyle::Solid) {
        // The logical pixels the line covers, each mapped whole: a rule of one
        // pixel is as many device pixels wide as the scale gives, never none.
        if (reach == Reach::Clipped) {
            QRegion visible(bounds);
            for (const QRect& r : excluded_)
                visible -= r;
            for (const QRect& piece : visible)
                p.fillRect(MapRule(piece, horizontal), penColor_);
        } else {
            p.fillRect(MapRule(bounds, horizontal), penColor_);
        }
        return;
    }
    const QRect device = alongAxis ? MapRule(bounds, horizontal) : MapRect(bounds);
    ExclusionGuard guard(p, MappedExcluded(), device, reach == Reach::Clipped);
    QPen pen(penColor_);
    pen.setStyle(ToQtStyle(penStyle_));
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    if (alongAxis) {
        // Dots and dashes along the middle of the mapped line, as wide as it.
        const int width = horizontal ? device.height() : device.width();
        pen.setWidth(width);
        SetDashes(pen, width, horizontal ? map_.sx : map_.sy);
        p.setPen(pen);
        if (horizontal) {
            const int at = device.top() + width / 2;
            p.drawLine(device.left(), at, device.right() + 1, at);
        } else {
            const int at = device.left() + width / 2;
            p.drawLine(at, device.top(), at, device.bottom() + 1);
        }
        return;
    }
    pen.setWidth(std::max(1, static_cast<int>(std::lround(penWidth_ * std::min(map_.sx, map_.sy)))));
    SetDashes(pen, pen.width(), std::min(map_.sx, map_.sy));
    p.save();
    p.setWorldTransform(MapTransform());
    p.setPen(pen);
    p.drawLine(from.x, from.y, x, y);
    p.restore();
}

void QtCanvas::MappedText(QPainter& p, const QRect* clip, const QRect& fill, const QPoint& baseline,
    const QString& text, const QRect& bounds, Reach reach)
{
    ExclusionGuard guard(p, MappedExcluded(), MapRect(bounds), reach == Reach::Clipped);
    const QRect box = MapRect(fill);
    p.fillRect(box, brushColor_);
    p.save();
    if (clip)
        p.setClipRect(box, Qt::IntersectClip);
    // The glyphs are drawn at the scale, from the outlines: smooth and crisp
    // at any size, while their places stay those of the measured text.
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setWorldTransform(MapTransform());
    p.setFont(font_);
    p.setPen(fontColor_);
    p.drawText(baseline, text);
    p.restore();
}

void QtCanvas::DrawSolidPiece(QPainter& p, const QRect& piece, bool horizontal)
{
    if (PlainRasterTarget(p)) {
        p.fillRect(piece, penColor_);
        return;
    }
    // A line whose pen is as wide as the piece across covers exactly its pixels.
    const int width = horizontal ? piece.height() : piece.width();
    QPen pen(penColor_);
    pen.setCosmetic(true);
    pen.setWidth(width);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    if (horizontal) {
        const int y = piece.top() + width / 2;
        p.drawLine(piece.left(), y, piece.right() + 1, y);
    } else {
        const int x = piece.left() + width / 2;
        p.drawLine(x, piece.top(), x, piece.bottom() + 1);
    }
}

void QtCanvas::SetDashes(QPen& pen, double deviceWidth, double scale) const
{
    const QList<qreal> lengths = DashLengths(penStyle_, penWidth_, DpiX());
    if (lengths.isEmpty())
        return;
    // Qt counts a cosmetic pen's dashes in device pen widths.
    QList<qreal> pattern;
    for (qreal l : lengths)
        pattern << l * scale / std::max(deviceWidth, 1.0);
    pen.setDashPattern(pattern);
}

void QtCanvas::DrawLineSegment(QPainter& p, int x0, int y0, int x1, int y1)
{
    QPen pen(penColor_);
    pen.setStyle(ToQtStyle(penStyle_));
    pen.setCosmetic(true);
    pen.setWidth(penWidth_);
    SetDashes(pen, penWidth_, 1.0);
    // A flat cap makes Qt leave out the pixel at the end with the larger
    // coordinate along the line's major axis. GDI leaves out the end point of
    // the line, whichever way it runs: a line running towards smaller
    // coordinates is drawn the other way round, one pixel further along.
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    const int dx = x1 - x0;
    const int dy = y1 - y0;
    if (dx != 0 && dy != 0 && penWidth_ == 1) {
        // A slanted hairline: Qt's square cap covers both end points; the
        // clip takes the last one away.
        pen.setCapStyle(Qt::SquareCap);
        p.setPen(pen);
        const QRect box(
            QPoint(std::min(x0, x1), std::min(y0, y1)), QPoint(std::max(x0, x1), std::max(y0, y1)));
        p.save();
        p.setClipRegion(QRegion(box).subtracted(QRegion(x1, y1, 1, 1)), Qt::IntersectClip);
        p.drawLine(x0, y0, x1, y1);
        p.restore();
        return;
    }
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const bool backwards = xMajor ? dx < 0 : dy < 0;
    if (backwards) {
        const int sx = xMajor ? 1 : 0;
        const int sy = xMajor ? 0 : 1;
        p.drawLine(x1 + sx, y1 + sy, x0 + sx, y0 + sy);
    } else {
        p.drawLine(x0, y0, x1, y1);
    }
}

void QtCanvas::SetBrushColor(Color color)
{
    brushColor_ = ToQColor(color);
}

void QtCanvas::FillRect(const Rect& r)
{
    QPainter* p = Painter();
    const QRect box = ToQRect(r);
    if (!p || !r.Meets(VisibleRect()))
        return;
    const Reach reach = ReachOf(box);
    if (reach == Reach::Hidden)
        return;
    if (mapped_) {
        ExclusionGuard guard(*p, MappedExcluded(), MapRect(box), reach == Reach::Clipped);
        p->fillRect(MapRect(box), brushColor_);
        return;
    }
    ExclusionGuard guard(*p, excluded_, box, reach == Reach::Clipped);
    p->fillRect(box, brushColor_);
}

void QtCanvas::Rectangle(const Rect& r)
{
    QPainter* p = Painter();
    Rect n = r;
    if (n.right < n.left)
        std::swap(n.left, n.right);
    if (n.bottom < n.top)
        std::swap(n.top, n.bottom);
    const int w = n.right - n.left;
    const int h = n.bottom - n.top;
    if (!p || w < 1 || h < 1)
        return;
    const QRect bounds(n.left, n.top, w, h);
    if (!Meets(bounds.adjusted(-penWidth_, -penWidth_, penWidth_, penWidth_), VisibleRect()))
        return;
    const Reach reach = ReachOf(bounds);
    if (reach == Reach::Hidden)
        return;
    if (mapped_) {
        ExclusionGuard guard(*p, MappedExcluded(), MapRect(bounds), reach == Reach::Clipped);
        if (penStyle_ == PenStyle::Null) {
            if (w > 1 && h > 1)
                p->fillRect(MapRect(QRect(n.left, n.top, w - 1, h - 1)), brushColor_);
            return;
        }
        if (w == 1 || h == 1) {
            p->fillRect(MapRect(bounds), penColor_);
            return;
        }
        p->fillRect(MapRect(bounds), brushColor_);
        // The outline's pixels, a pen wide around the edge pixels of r.
        const int pw = penWidth_;
        const int l = n.left - pw / 2;
        const int t = n.top - pw / 2;
        const int across = w - 1 + pw;
        const int down = h - 1 + pw;
        p->fillRect(MapRule(QRect(l, t, across, pw), true), penColor_);
        p->fillRect(MapRule(QRect(l, t + h - 1, across, pw), true), penColor_);
        p->fillRect(MapRule(QRect(l, t, pw, down), false), penColor_);
        p->fillRect(MapRule(QRect(l + w - 1, t, pw, down), false), penColor_);
        return;
    }
    ExclusionGuard guard(*p, excluded_, bounds, reach == Reach::Clipped);
    if (w == 1 || h == 1) {
        // Too thin for an inside: only the outline's one row or column shows.
        if (penStyle_ != PenStyle::Null)
            p->fillRect(QRect(n.left, n.top, w, h), penColor_);
        return;
    }
    // A stroked QRect covers its width plus one pixel; GDI covers left..right-1.
    // Without a pen, GDI fills one pixel less each way, as Qt does.
    const QRect box(n.left, n.top, w - 1, h - 1);
    p->setBrush(brushColor_);
    if (penStyle_ == PenStyle::Null) {
        p->setPen(Qt::NoPen);
    } else {
        QPen pen(penColor_);
        pen.setStyle(ToQtStyle(penStyle_));
        pen.setCosmetic(true);
        pen.setWidth(penWidth_);
        SetDashes(pen, penWidth_, 1.0);
        pen.setJoinStyle(Qt::MiterJoin);
        p->setPen(pen);
    }
    p->drawRect(box);
    p->setBrush(Qt::NoBrush);
}

QImage QtCanvas::ScaledKeepingDark(const QImage& source, const QSize& size)
{
    if (source.isNull() || size.isEmpty())
        return {};
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    const int sw = src.width();
    const int sh = src.height();
    // Source span [first[i], last[i]) of each target column or row: the spans
    // of a shrink share the source out, every pixel to exactly one target.
    auto spans = [](int target, int from, std::vector<int>& first, std::vector<int>& last) {
        first.resize(static_cast<std::size_t>(target));
        last.resize(static_cast<std::size_t>(target));
        for (int i = 0; i < target; ++i) {
            const int a = static_cast<int>(static_cast<long long>(i) * from / target);
            const int b = static_cast<int>(static_cast<long long>(i + 1) * from / target);
            first[static_cast<std::size_t>(i)] = std::min(a, from - 1);
            last[static_cast<std::size_t>(i)] = std::max(b, first[static_cast<std::size_t>(i)] + 1);
        }
    };
    std::vector<int> x0, x1, y0, y1;
    spans(size.width(), sw, x0, x1);
    spans(size.height(), sh, y0, y1);

    QImage out(size, QImage::Format_RGB32);
    if (out.isNull())
        return {};
    for (int ty = 0; ty < size.height(); ++ty) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(ty));
        for (int tx = 0; tx < size.width(); ++tx) {
            QRgb darkest = 0;
            int least = INT_MAX;
            for (int sy = y0[static_cast<std::size_t>(ty)]; sy < y1[static_cast<std::size_t>(ty)]; ++sy) {
                const auto* row = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
                for (int sx = x0[static_cast<std::size_t>(tx)]; sx < x1[static_cast<std::size_t>(tx)]; ++sx) {
                    const QRgb c = row[sx];
                    // Luminance weights of qGray, without its division.
                    const int luma = qRed(c) * 11 + qGreen(c) * 16 + qBlue(c) * 5;
                    if (luma < least) {
                        least = luma;
                        darkest = c;
                    }
                }
            }
            line[tx] = darkest;
        }
    }
    return out;
}

void QtCanvas::StretchDraw(const Rect& dest, Bitmap& source)
{
    auto* bitmap = dynamic_cast<QtBitmap*>(&source);
    const QRect box = ToQRect(dest);
    if (!bitmap || !dest.Meets(VisibleRect()))
        return;
    // Drawing a picture into itself: the picture as it was before.
    const QImage image = &bitmap->GetQtCanvas() == this ? bitmap->Image().copy() : bitmap->Image();
    if (image.isNull())
        return;
    QPainter* p = Painter();
    if (!p)
        return;
    const Reach reach = ReachOf(box);
    if (reach == Reach::Hidden)
        return;
    if (mapped_) {
        const QRect device = MapRect(box);
        ExclusionGuard guard(*p, MappedExcluded(), device, reach == Reach::Clipped);
        p->drawImage(device, image);
        return;
    }
    ExclusionGuard guard(*p, excluded_, box, reach == Reach::Clipped);
    if (image.size() == box.size())
        p->drawImage(box.topLeft(), image);
    else
        p->drawImage(box.topLeft(), ScaledKeepingDark(image, box.size()));
}

} // namespace quillet
