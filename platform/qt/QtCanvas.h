#pragma once
// A Canvas on a QPainter. It keeps the font, pen, brush and pen position in
// its own members, as a GDI device context does, and applies them to the
// painter at each call, so the state survives the painter being ended and
// begun again (a bitmap ends it whenever its picture is read).
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QTransform>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/Canvas.h"

class QPen;
class QPaintDevice;
class QPainter;

namespace quillet {

class QtCanvas : public Canvas {
public:
    // Draws on device with a painter of its own, begun at the first drawing
    // call and ended by End().
    explicit QtCanvas(QPaintDevice& device);
    // Draws with a painter that someone else has begun and will end (a print
    // job, a widget while it paints).
    explicit QtCanvas(QPainter& painter);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    int DpiX() const override;
    int DpiY() const override;
    Rect ClipRect() const override;
    // The picture; for a printer or PDF writer the whole sheet, which shows
    // what lies on its margins too; seen through the painter's transform.
    Rect VisibleRect() const override;

    void SetFont(std::string_view gbkName, int points, Color color) override;
    void SetFontSize(int points) override;
    void SetFontColor(Color color) override;
    Size TextExtent(std::string_view gbkText) override;
    void TextOut(int x, int y, std::string_view gbkText) override;
    void TextRect(const Rect& clip, int x, int y, std::string_view gbkText) override;

    void SetPen(PenStyle style, int width, Color color) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

    void SetBrushColor(Color color) override;
    void FillRect(const Rect& r) override;
    void Rectangle(const Rect& r) override;
    void StretchDraw(const Rect& dest, Bitmap& source) override;
    void ExcludeClipRect(const Rect& r) override;
    void ResetClip() override;

    // The window system's default font size in points, taken for a font of
    // size 0: the application font's size.
    static double DefaultFontPoints();
    // source shrunk (or grown) to size, each pixel the darkest of the source
    // pixels it covers, so one-pixel rules and thin strokes survive a shrink.
    static QImage ScaledKeepingDark(const QImage& source, const QSize& size);

    // Where the canvas's pixels land on the device: device = logical * scale +
    // offset on each axis. The page engine keeps drawing in its own pixels
    // (96 dpi on the screen) while the device is a zoomed or high-density
    // picture: text is measured as on an unscaled picture of the device's
    // resolution, so nothing moves or breaks differently, and every rule
    // covers at least one device pixel. The identity draws as before.
    struct DeviceMap {
        double sx = 1.0;
        double sy = 1.0;
        double dx = 0.0;
        double dy = 0.0;
        bool IsIdentity() const { return sx == 1.0 && sy == 1.0 && dx == 0.0 && dy == 0.0; }
    };
    void SetDeviceMap(const DeviceMap& map);
    const DeviceMap& Map() const { return map_; }

    // Ends the own painter so the device can be read or resized; the next
    // drawing call begins a new one. Does nothing for a borrowed painter.
    void End();
    // Fixes the resolution the canvas reports instead of the device's (a
    // bitmap keeps its resolution even while it holds no picture).
    void SetDpi(int dpiX, int dpiY);
    // The font as it is applied to the device (family after decoding, pixel size).
    const QFont& Font() const { return font_; }
    QPaintDevice& Device() const { return *device_; }

    // Largest font height in pixels: a hostile size can neither hang the
    // text engine nor exhaust memory.
    static constexpr int kMaxFontPixels = 4096;
    // Text widths the canvas remembers before it forgets them all.
    static constexpr std::size_t kMaxRememberedWidths = 8192;
    // Bytes of finished text boxes the canvas remembers before it forgets
    // them all (a page of the screen holds a few hundred of 1 to 4 KB).
    static constexpr std::size_t kMaxRememberedBoxBytes = 2u << 20;
    // Widest pen in pixels.
    static constexpr int kMaxPenWidth = 1024;

private:
    struct Scratch;
    class ExclusionGuard;

    // How the rectangles left out by ExcludeClipRect meet a drawing whose
    // pixels all lie in bounds: not at all, in part, or covering it whole.
    enum class Reach { Free, Clipped, Hidden };
    Reach ReachOf(const QRect& bounds) const;

    QPainter* Painter();
    Rect FindVisibleRect() const;
    void UpdateFontPixels();
    void DrawLineSegment(QPainter& p, int x0, int y0, int x1, int y1);
    // Pixels `piece` of a solid line along an axis, drawn as a line of its own.
    void DrawSolidPiece(QPainter& p, const QRect& piece, bool horizontal);
    // True when p is this canvas's own painter drawing plainly (no clip, no
    // transform) on a 32-bit RGB picture: the case the fast paths below are
    // known to give the very pixels of Qt's general path.
    bool PlainRasterTarget(QPainter& p) const;
    // False when the box is too large for a scratch picture or none could be made.
    bool DrawClippedText(
        QPainter& p, const QRect& box, const QPoint& baseline, std::string_view gbkText, const QString& text);
    const QString& Decoded(std::string_view gbkText);
    const QFontMetrics& Metrics();

    // The device rectangle of logical pixels r under the map; a rectangle
    // that is not empty keeps at least one device pixel each way.
    QRect MapRect(const QRect& r) const;
    // The same for the pixels of a rule: across it, every rule of one width
    // takes one number of device pixels wherever it lies.
    QRect MapRule(const QRect& r, bool horizontal) const;
    QTransform MapTransform() const;
    void MappedLine(QPainter& p, const Point& from, int x, int y, const QRect& bounds, bool alongAxis,
        bool horizontal, Reach reach);
    void MappedText(QPainter& p, const QRect* clip, const QRect& fill, const QPoint& baseline,
        const QString& text, const QRect& bounds, Reach reach);
    std::vector<QRect> MappedExcluded() const;

    QPaintDevice* device_;
    QPainter* borrowed_ = nullptr;
    // Dots and dashes of the pen at their physical lengths (see DashLengths),
    // for a pen deviceWidth device pixels wide at scale device pixels a pixel.
    void SetDashes(QPen& pen, double deviceWidth, double scale) const;
    DeviceMap map_;
    bool mapped_ = false;
    int fixedDpiX_ = 0;
    int fixedDpiY_ = 0;
    std::unique_ptr<QPainter> own_;

    QFont font_;
    int fontPoints_ = 9;
    QColor fontColor_ { Qt::black };
    PenStyle penStyle_ = PenStyle::Solid;
    int penWidth_ = 1;
    QColor penColor_ { Qt::black };
    QColor brushColor_ { Qt::white };
    Point pen_;
    std::vector<QRect> excluded_;
    // VisibleRect of the own painter's device, until the painter ends.
    mutable Rect visible_;
    mutable bool visibleKnown_ = false;

    // Changes with every font change; the caches below belong to one value.
    int fontGeneration_ = 0;
    std::optional<QFontMetrics> metrics_;
    int metricsGeneration_ = -1;
    int metricsDpi_ = 0;
    int ascent_ = 0;
    int height_ = 0;
    // The text decoded last: the page engine measures a text and then draws it.
    std::string lastGbk_;
    QString lastText_;
    // Widths of the texts measured so far, per font (GBK face name, pixel
    // height, device dots per inch): laying a text out costs far more than
    // looking it up, and a page is drawn again at every change of the view.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    using WidthTable = std::unordered_map<std::string, int, TextHash, std::equal_to<>>;
    std::string fontName_;
    std::map<std::tuple<std::string, int, int>, WidthTable> widths_;
    WidthTable* fontWidths_ = nullptr; // the table of the font in use
    std::size_t rememberedWidths_ = 0;
    // Small pictures exactly the size of recent text boxes, see TextRect.
    std::vector<std::unique_ptr<Scratch>> scratches_;
    unsigned scratchClock_ = 0;
    // Text boxes as drawn, by everything their pixels depend on: a page is
    // drawn again at every change of the view, mostly with the same texts in
    // boxes of the same sizes.
    std::unordered_map<std::string, QImage> boxes_;
    std::size_t rememberedBoxBytes_ = 0;
};

} // namespace quillet
