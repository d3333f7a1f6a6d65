#pragma once
// Image_Review: the page image of the preview. It draws the empty sheet and
// the page straight for the screen: at the screen's pixel density and at the
// zoom, from the page engine's own 96-dpi drawing through a scale, so text
// and rules stay crisp and nothing of the layout moves with the zoom. What
// it drew is kept until the page, the view or the density changes; a sheet
// too large to keep whole is drawn as far as it is seen.
#include <QImage>
#include <QWidget>
#include <functional>

#include "platform/Canvas.h"

namespace quillet {

class TImageReview : public QWidget {
    Q_OBJECT
public:
    // Draws the current page on a canvas in the engine's screen pixels.
    using PageRenderer = std::function<void(Canvas&)>;
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
    const PageView& View() const { return view_; }
    // The page was drawn anew: forget what was kept and paint again.
    void PageChanged();

    // The part area of the control (its own pixels) as the screen shows it
    // at the given pixel ratio: a picture of area's size x ratio whose
    // device pixel ratio is set.
    QImage Render(const QRect& area, double ratio);
    int RenderCount() const { return renders_; }

    // The sheet is kept whole up to this many device pixels.
    static constexpr long long kMaxKeptPixels = 16LL * 1000 * 1000;
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
    QImage kept_;
    QRect keptArea_;
    double keptRatio_ = 0.0;
    int renders_ = 0;
};

} // namespace quillet
