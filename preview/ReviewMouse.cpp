// The page image and the mouse: in design state column and row borders of
// the table are found and dragged to new sizes; in review state the page is
// grabbed and dragged within the scroll area.
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "platform/Arith.h"
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

void TFrmPrintReview::SearchBorder(int x, int y)
{
    // The page's pixels as the image shows them at the zoom; the tolerance
    // is the image's own pixels.
    const QRect page = TableBodyRect();
    const QRect body(QPoint(ToImageX(page.left()), ToImageY(page.top())),
        QPoint(ToImageX(page.right()), ToImageY(page.bottom())));
    bool found = false;
    // The body's left and top edges belong to nothing; its right and bottom
    // edges can hold the last border.
    if (!BuffPaper->ReviewState && body.left() < x && x <= body.right() && body.top() < y
        && y <= body.bottom()) {
        const TMyPrintFormat& f = *PrintFormat;
        int s = 0;
        for (int i = 1; i <= f.Cols(); ++i) {
            s += f.ColWidth[i];
            const int border = ToImageX(page.left() + Trunc(s * Screen->PixelsPerMmX));
            if (border - kBorderTolerance <= x && x <= border + kBorderTolerance) {
                Image_Review->setCursor(Qt::SizeHorCursor);
                HitIndex = i;
                found = true;
                break;
            }
        }
        // Rows are searched as well, so near a crossing the row border wins.
        // Their borders lie where the page draws them: a collapsed row shares
        // its border with the row above, which is found first.
        const std::vector<int> heights = DrawnRowHeights();
        s = 0;
        for (int j = 1; j <= f.Rows() && j < static_cast<int>(heights.size()); ++j) {
            s += heights[static_cast<std::size_t>(j)];
            const int border = ToImageY(page.top() + Trunc(s * Screen->PixelsPerMmY));
            if (border - kBorderTolerance <= y && y <= border + kBorderTolerance) {
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
    } else if (ShapeOf(Image_Review) == Qt::SizeVerCursor) {
        ChangeSizePanel->move(ChangeSizePanel->x(), y + Image_Review->y());
    }
    if (BuffPaper->ReviewState)
        Image_Review->setCursor(Qt::PointingHandCursor);
    else if (ShapeOf(Image_Review) == Qt::PointingHandCursor)
        Image_Review->setCursor(Qt::ArrowCursor);
}

void TFrmPrintReview::Image_ReviewMouseDown(Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    MouseIsDown = true;
    DownX = x;
    DownY = y;
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
    History->Record(
        column ? QStringLiteral("修改列宽") : QStringLiteral("修改行高"), StepRefresh::Repaginate);
    RunEngine([this] { BuffPaper->ClearPageImage(); });
    RepaginateAndShow();
}

} // namespace quillet
