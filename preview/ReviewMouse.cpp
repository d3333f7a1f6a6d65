// The page image and the mouse: in design state column and row borders of
// the table are found and dragged to new sizes; in review state the page is
// grabbed and dragged within the scroll area.
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/Arith.h"
#include "platform/Texts.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"

namespace quillet {
namespace {

// Pixels on each side of a border within which the mouse finds it.
constexpr int kBorderTolerance = 2;
// Widths and heights are stored in one byte of millimetres.
constexpr int kMaxSize = 255;

int Trunc(double v)
{
    return static_cast<int>(v);
}

Qt::CursorShape ShapeOf(const QWidget* widget)
{
    return widget->cursor().shape();
}

// A new size from the old one and the line's movement in pixels: never
// negative, never past what a byte holds.
std::uint8_t DraggedSize(int movedPixels, double pixelsPerMm, int oldSize)
{
    if (pixelsPerMm <= 0)
        return static_cast<std::uint8_t>(oldSize);
    const int size = Round(movedPixels / static_cast<long double>(pixelsPerMm)) + oldSize;
    return static_cast<std::uint8_t>(std::clamp(size, 0, kMaxSize));
}

} // namespace

QRect TFrmPrintReview::TableBodyRect() const
{
    const TMyBuffPaper& b = *BuffPaper;
    const int left = Trunc(b.TableLeft * Screen->PixelsPerMmX);
    const int right = Trunc(b.TableRight * Screen->PixelsPerMmX);
    // The millimetres are added before they become pixels.
    const int top
        = Trunc((b.TableTop + b.CompanyHeight + b.TitleHeight + b.HeadHeight) * Screen->PixelsPerMmY);
    const int bottom = Trunc((b.TableBottom - b.FootHeight) * Screen->PixelsPerMmY);
    // Only the drawn frame: on the last block the empty rows collapse, and
    // below them lie the page foot and white paper, where no border shows.
    int drawn = 0;
    for (int h : DrawnRowHeights())
        drawn += h;
    const int frameBottom = top + Trunc(drawn * Screen->PixelsPerMmY) + kBorderTolerance;
    return QRect(QPoint(left, top), QPoint(right, std::min(bottom, frameBottom)));
}

std::vector<int> TFrmPrintReview::DrawnRowHeights() const
{
    // The mouse edits the first block of the page, as the engine drew it.
    return BuffPaper->BlockRowHeights(BuffPaper->FirstBlockOfPage());
}

namespace {

// The page pixels a rule of the style covers beside its place, as the page
// draws it: [low, high). A double rule has its second line 2 pixels before,
// the thick one is 2 pixels wide around its place.
struct RuleSpan {
    int low = 0;
    int high = 1;
    bool twoLines = false;
};

RuleSpan SpanOf(const TMyLineSpec& spec)
{
    switch (spec.Style) {
    case 2:
        return { -2, 1, true };
    case 3:
        return { -1, 1 };
    default:
        return {};
    }
}

// The image pixels a rule of page pixels [from, from + width) touches: the
// screen's canvas puts its first device pixel where the mapped edge rounds
// to and gives it the mapped width, at least one pixel, wherever it lies.
std::pair<int, int> ShownPiece(int from, int width, double scale, double offset, double ratio)
{
    const double s = scale * ratio;
    const int left = static_cast<int>(std::floor(offset * ratio + from * s + 0.5));
    const int right = left + std::max(1, static_cast<int>(std::lround(width * s)));
    return { static_cast<int>(std::floor(left / ratio)), static_cast<int>(std::floor((right - 1) / ratio)) };
}

// A double rule is two one-pixel lines, the others one line of their width.
std::pair<int, int> ShownSpan(int at, RuleSpan span, double scale, double offset, double ratio)
{
    if (span.twoLines)
        return { ShownPiece(at + span.low, 1, scale, offset, ratio).first,
            ShownPiece(at + span.high - 1, 1, scale, offset, ratio).second };
    return ShownPiece(at + span.low, span.high - span.low, scale, offset, ratio);
}

} // namespace

TFrmPrintReview::Zone TFrmPrintReview::BorderZone(bool column, int index) const
{
    const TImageReview::PageView& view = Image_Review->View();
    const TMyPrintFormat& f = *PrintFormat;
    const double scale = column ? view.sx : view.sy;
    const double offset = column ? view.ox : view.oy;
    const double perMm = column ? Screen->PixelsPerMmX : Screen->PixelsPerMmY;
    const QRect page = TableBodyRect();
    if (BuffPaper->ViewRate == 100.0) {
        // At full size the border is where the millimetres add up to, cut
        // to whole pixels, and found 2 pixels either side.
        int s = 0;
        if (column) {
            for (int i = 1; i <= index; ++i)
                s += f.ColWidth[i];
        } else {
            const std::vector<int> heights = DrawnRowHeights();
            for (int j = 1; j <= index; ++j)
                s += heights[static_cast<std::size_t>(j)];
        }
        const int at = (column ? page.left() : page.top()) + Trunc(s * perMm);
        return { at - kBorderTolerance, at + kBorderTolerance };
    }
    // At any other zoom: the rule as the screen shows it, and the tolerance
    // in the screen's pixels around it.
    const TMyBuffPaper& b = *BuffPaper;
    int mm = 0;
    TMyLineSpec spec;
    const int count = column ? f.Cols() : f.Rows();
    if (column) {
        mm = b.TableLeft;
        for (int i = 1; i <= index; ++i)
            mm += b.Scaled(f.ColWidth[i]);
        if (index < count)
            spec = f.ColLine[index];
    } else {
        mm = b.TableTop + b.CompanyHeight + b.TitleHeight + b.HeadHeight;
        const std::vector<int> heights = DrawnRowHeights();
        for (int j = 1; j <= index; ++j)
            mm += heights[static_cast<std::size_t>(j)];
        if (index < count)
            spec = f.RowLine[index];
    }
    // The last border is the frame's, a single line.
    RuleSpan span = index < count ? SpanOf(spec) : RuleSpan {};
    const int at = Round(static_cast<long double>(mm) * perMm);
    const double ratio = std::max(1.0, Image_Review->devicePixelRatioF());
    const auto [first, last] = ShownSpan(at, span, scale, offset, ratio);
    return { first - kBorderTolerance, last + kBorderTolerance };
}

void TFrmPrintReview::SearchBorder(int x, int y)
{
    // The page's pixels as the image shows them at the zoom; the tolerance
    // is the image's own pixels.
    const QRect page = TableBodyRect();
    const QRect body(QPoint(ToImageX(page.left()), ToImageY(page.top())),
        QPoint(ToImageX(page.right()), ToImageY(page.bottom())));
    bool found = false;
    // The body's left and top edges belong to nothing; its right and bottom
    // edges can hold the last border, as far as its rule is drawn.
    const int rows = std::min(PrintFormat->Rows(), static_cast<int>(DrawnRowHeights().size()) - 1);
    const int right = std::max(body.right(), BorderZone(true, PrintFormat->Cols()).last);
    const int bottom = std::max(body.bottom(), BorderZone(false, rows).last);
    if (!BuffPaper->ReviewState && body.left() < x && x <= right && body.top() < y && y <= bottom) {
        const TMyPrintFormat& f = *PrintFormat;
        for (int i = 1; i <= f.Cols(); ++i) {
            const Zone zone = BorderZone(true, i);
            if (zone.first <= x && x <= zone.last) {
                Image_Review->setCursor(Qt::SizeHorCursor);
                HitIndex = i;
                found = true;
                break;
            }
        }
        // Rows are searched as well, so near a crossing the row border wins.
        // Their borders lie where the page draws them: a collapsed row shares
        // its border with the row above, which is found first.
        for (int j = 1; j <= rows; ++j) {
            const Zone zone = BorderZone(false, j);
            if (zone.first <= y && y <= zone.last) {
                Image_Review->setCursor(Qt::SizeVerCursor);
                HitIndex = j;
                found = true;
                break;
            }
        }
    }
    if (!found)
        Image_Review->setCursor(Qt::ArrowCursor);
}

void TFrmPrintReview::Image_ReviewMouseMove(int x, int y)
{
    if (!MouseIsDown) {
        SearchBorder(x, y);
    } else if (BuffPaper->ReviewState) {
        // The grabbed point stays under the mouse: the page moves with it.
        QScrollBar* h = ScrollBox_Main->horizontalScrollBar();
        QScrollBar* v = ScrollBox_Main->verticalScrollBar();
        h->setValue(std::clamp(h->value() + (DownX - x), 0, std::max(0, h->maximum())));
        v->setValue(std::clamp(v->value() + (DownY - y), 0, std::max(0, v->maximum())));
    } else if (ShapeOf(Image_Review) == Qt::SizeHorCursor) {
        ChangeSizePanel->move(x + Image_Review->x(), ChangeSizePanel->y());
        FollowSizeDrag(x, y);
    } else if (ShapeOf(Image_Review) == Qt::SizeVerCursor) {
        ChangeSizePanel->move(ChangeSizePanel->x(), y + Image_Review->y());
        FollowSizeDrag(x, y);
    }
    if (BuffPaper->ReviewState)
        Image_Review->setCursor(Qt::PointingHandCursor);
    else if (ShapeOf(Image_Review) == Qt::PointingHandCursor)
        Image_Review->setCursor(Qt::ArrowCursor);
}

QPoint TFrmPrintReview::EdgeScrollDelta(const QPoint& at, const QSize& view)
{
    auto past = [](int v, int size) {
        if (v < 0)
            return std::max(v, -kEdgeStep);
        if (v >= size)
            return std::min(v - size + 1, kEdgeStep);
        return 0;
    };
    return { past(at.x(), view.width()), past(at.y(), view.height()) };
}

void TFrmPrintReview::FollowSizeDrag(int x, int y)
{
    sizeDragAt_ = QPoint(x, y);
    // Only a border taken within the view brings more of the page into it.
    if (!ChangeSizePanel->isVisible() || !pressedInView_)
        return;
    const QPoint inView = Image_Review->mapTo(ScrollBox_Main->viewport(), sizeDragAt_);
    if (EdgeScrollDelta(inView, ScrollBox_Main->viewport()->size()).isNull()) {
        if (edgeTimer_)
            edgeTimer_->stop();
        return;
    }
    if (!edgeTimer_) {
        edgeTimer_ = new QTimer(this);
        edgeTimer_->setInterval(30);
        connect(edgeTimer_, &QTimer::timeout, this, [this] { EdgeScrollTick(); });
    }
    if (!edgeTimer_->isActive()) {
        edgeTimer_->start();
        EdgeScrollTick();
    }
}

void TFrmPrintReview::EdgeScrollTick()
{
    if (!MouseIsDown || !ChangeSizePanel->isVisible()) {
        if (edgeTimer_)
            edgeTimer_->stop();
        return;
    }
    const QPoint inView = Image_Review->mapTo(ScrollBox_Main->viewport(), sizeDragAt_);
    const QPoint delta = EdgeScrollDelta(inView, ScrollBox_Main->viewport()->size());
    QScrollBar* h = ScrollBox_Main->horizontalScrollBar();
    QScrollBar* v = ScrollBox_Main->verticalScrollBar();
    const QPoint before(h->value(), v->value());
    // Only the direction of the held border scrolls.
    if (ShapeOf(Image_Review) == Qt::SizeHorCursor)
        h->setValue(h->value() + delta.x());
    else
        v->setValue(v->value() + delta.y());
    const QPoint moved = QPoint(h->value(), v->value()) - before;
    if (moved.isNull()) {
        // At the end of the page: nothing more to bring into view.
        edgeTimer_->stop();
        return;
    }
    // The mouse stays where it is on the screen, so it now points at a
    // spot of the page further on: the line follows it there.
    Image_ReviewMouseMove(sizeDragAt_.x() + moved.x(), sizeDragAt_.y() + moved.y());
}

void TFrmPrintReview::Image_ReviewMouseDown(Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    MouseIsDown = true;
    DownX = x;
    DownY = y;
    pressedInView_ = ScrollBox_Main->viewport()->rect().contains(
        Image_Review->mapTo(ScrollBox_Main->viewport(), QPoint(x, y)));
    const QRect image = Image_Review->geometry();
    if (ShapeOf(Image_Review) == Qt::SizeHorCursor) {
        // A 2-pixel line from the top of the scroll content to the bottom of the page.
        ChangeSizePanel->setGeometry(image.left() + DownX, 0, 2, image.top() + image.height());
        ChangeSizePanel->show();
        ChangeSizePanel->raise();
    } else if (ShapeOf(Image_Review) == Qt::SizeVerCursor) {
        ChangeSizePanel->setGeometry(0, image.top() + DownY, image.left() + image.width(), 2);
        ChangeSizePanel->show();
        ChangeSizePanel->raise();
    }
}

void TFrmPrintReview::Image_ReviewMouseUp(Qt::MouseButton button, int, int)
{
    if (button != Qt::LeftButton || !MouseIsDown)
        return;
    MouseIsDown = false;
    if (edgeTimer_)
        edgeTimer_->stop();
    if (ChangeSizePanel->isVisible())
        FinishSizeDrag();
}

void TFrmPrintReview::FinishSizeDrag()
{
    const Qt::CursorShape shape = ShapeOf(Image_Review);
    if (shape != Qt::SizeHorCursor && shape != Qt::SizeVerCursor)
        return;
    ChangeSizePanel->hide();
    const bool column = shape == Qt::SizeHorCursor;
    const int count = column ? PrintFormat->Cols() : PrintFormat->Rows();
    if (HitIndex < 1 || HitIndex > count)
        return;
    // The size changes by the line's movement, measured where it stood at
    // the last move, in millimetres of the page as the zoom shows it.
    const TImageReview::PageView& view = Image_Review->View();
    History->Begin();
    if (column) {
        const int moved = ChangeSizePanel->x() - Image_Review->x() - DownX;
        PrintFormat->ColWidth[HitIndex]
            = DraggedSize(moved, Screen->PixelsPerMmX * view.sx, PrintFormat->ColWidth[HitIndex]);
    } else {
        const int moved = ChangeSizePanel->y() - Image_Review->y() - DownY;
        PrintFormat->RowHeight[HitIndex]
            = DraggedSize(moved, Screen->PixelsPerMmY * view.sy, PrintFormat->RowHeight[HitIndex]);
    }
    History->Record("ReviewMouse",
        column ? QUILLET_TEXT("ReviewMouse", "修改列宽") : QUILLET_TEXT("ReviewMouse", "修改行高"),
        StepRefresh::Repaginate);
    RunEngine([this] { BuffPaper->ClearPageImage(); });
    RepaginateAndShow();
}

} // namespace quillet
