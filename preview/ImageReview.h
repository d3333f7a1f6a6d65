#pragma once
// Image_Review: the page image of the preview. It draws the empty sheet and
// the page straight for the screen: at the screen's pixel density and at the
// zoom, from the page engine's own 96-dpi drawing through a scale, so text
// and rules stay crisp and nothing of the layout moves with the zoom. What
// it drew is kept in tiles until the page, the view or the density changes:
// a paint draws only the tiles it lacks, nearest the middle of the view
// first and for a few milliseconds at most; the rest show the engine's
// picture of the page enlarged until the following paints draw them, so the
// window keeps answering at high zoom. Tiles far from the view are let go
// once they take too much memory.
#include <QHash>
#include <QImage>
#include <QRectF>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/Canvas.h"

namespace quillet {

class TImageReview : public QWidget {
    Q_OBJECT
public:
    // Draws the current page on a canvas in the engine's screen pixels.
    using PageRenderer = std::function<void(Canvas&)>;
    // The engine's picture of the page at its own pixels (none at 100 %),
    // shown enlarged where tiles are still to be drawn.
    using PagePicture = std::function<QImage()>;
    // Where the page's pixels land in the control: x * sx + ox, y * sy + oy.
    struct PageView {
        double sx = 1.0;
        double sy = 1.0;
        double ox = 0.0;
        double oy = 0.0;
        bool operator==(const PageView&) const = default;
    };

    TImageReview(int dpiX, int dpiY, PageRenderer render, QWidget* parent = nullptr);

    void SetPageView(const PageView& view);
    void SetPagePicture(PagePicture picture) { picture_ = std::move(picture); }
    const PageView& View() const { return view_; }
    // The page was drawn anew: forget what was kept and paint again.
    void PageChanged();

    // Search hits on the page, in the engine's page pixels, and which of
    // them is the current one (-1 for none): translucent marks in the
    // highlight colour over the page, drawn on the screen only.
    void SetMarks(std::vector<QRectF> marks, int current);
    const std::vector<QRectF>& Marks() const { return marks_; }

    // The part area of the control (its own pixels) as the screen shows it
    // at the given pixel ratio: a picture of area's size x ratio whose
    // device pixel ratio is set.
    QImage Render(const QRect& area, double ratio);
    int RenderCount() const { return renders_; }
    // The control's pixels drawn so far, all renders together.
    long long RenderedArea() const { return renderedArea_; }

    // Side of a tile in the control's pixels, and the device pixels of
    // tiles kept before those far from the view go.
    static constexpr int kTile = 128;
    static constexpr long long kMaxKeptPixels = 24LL * 1000 * 1000;
    int TileCount() const { return static_cast<int>(tiles_.size()); }
    // Milliseconds a paint spends drawing tiles before it leaves the rest
    // to the following paints.
    static constexpr int kPaintBudgetMs = 2;
    // Tiles shown enlarged from the engine's picture, still to be drawn.
    bool TilesPending() const { return !pending_.isEmpty(); }
    // The grey of the scroll area around the sheet.
    static constexpr QRgb kAreaGrey = 0xFF808080;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int dpiX_;
    int dpiY_;
    PageRenderer render_;
    PageView view_;
    // Tiles by column and row, drawn at keptRatio_.
    static quint64 TileKey(int column, int row);
    QRect TileRect(int column, int row) const;
    void DropFarTiles(const QRect& seen);
    QHash<quint64, QImage> tiles_;
    QRegion pending_;
    QTimer continuation_;
    PagePicture picture_;
    void DrawEnlarged(QPainter& painter, const QRect& tile, const QImage& page);
    double keptRatio_ = 0.0;
    std::vector<QRectF> marks_;
    int currentMark_ = -1;
    int renders_ = 0;
    long long renderedArea_ = 0;
};

} // namespace quillet
