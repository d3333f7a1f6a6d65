// Mouse editing on the page image: border search, dragging column and row
// borders in design state, dragging the page in review state.
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>

#include "platform/Arith.h"
#include "preview/ImageReview.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

using ReviewMouseTest = WindowFixture;

// At 96 dpi the first column border lies at x = 188 and is found from 186 to
// 190; the body's left and top edges find nothing; near a crossing the row wins.
TEST_F(ReviewMouseTest, BorderSearchFindsBordersWithinTwoPixels)
{
    TFrmPrintReview& w = OpenLaidOut();
    ASSERT_EQ(w.Screen->DpiX, 96);
    ASSERT_EQ(w.BuffPaper->TableLeft, 30);
    ASSERT_GE(w.PrintFormat->RowHeight[3], 3);
    const int y = RowMiddle(3);
    for (int x = 180; x <= 196; ++x) {
        Move(x, y);
        const bool found = x >= 186 && x <= 190;
        EXPECT_EQ(Cursor(), found ? Qt::SizeHorCursor : Qt::ArrowCursor) << "x = " << x;
        if (found) {
            EXPECT_EQ(w.HitIndex, 1);
        }
    }
    Move(301, y);
    EXPECT_EQ(Cursor(), Qt::SizeHorCursor);
    EXPECT_EQ(w.HitIndex, 2);

    // L = 113: the body's left edge itself finds nothing, nor its top edge.
    Move(113, y);
    EXPECT_EQ(Cursor(), Qt::ArrowCursor);
    Move(188, BodyTop());
    EXPECT_EQ(Cursor(), Qt::ArrowCursor);

    // On a column border and a row border at once the row border wins.
    Move(188, RowBorder(3));
    EXPECT_EQ(Cursor(), Qt::SizeVerCursor);
    EXPECT_EQ(w.HitIndex, 3);

    // Review state searches nothing: the hand stays.
    w.ActionStateReview->trigger();
    Move(188, y);
    EXPECT_EQ(Cursor(), Qt::PointingHandCursor);
}

// Dragging a column border 20 pixels left makes the column 5 mm narrower; the
// drag line runs through the press point while the button is held.
TEST_F(ReviewMouseTest, DraggingAColumnBorderChangesItsWidth)
{
    TFrmPrintReview& w = OpenLaidOut();
    const int y = RowMiddle(3);
    Move(188, y);
    Press(188, y);
    ASSERT_TRUE(w.ChangeSizePanel->isVisible());
    EXPECT_EQ(w.ChangeSizePanel->x(), w.Image_Review->x() + 188);
    EXPECT_EQ(w.ChangeSizePanel->width(), 2);
    EXPECT_EQ(w.ChangeSizePanel->y(), 0);
    EXPECT_EQ(w.ChangeSizePanel->height(), w.Image_Review->y() + w.Image_Review->height());
    Move(168, y, Qt::LeftButton);
    EXPECT_EQ(w.ChangeSizePanel->x(), w.Image_Review->x() + 168);
    // No border search while the button is held.
    EXPECT_EQ(Cursor(), Qt::SizeHorCursor);
    Release(168, y);
    EXPECT_FALSE(w.ChangeSizePanel->isVisible());
    EXPECT_FALSE(w.MouseIsDown);
    EXPECT_EQ(w.PrintFormat->ColWidth[1], 15);
    EXPECT_EQ(w.PrintFormat->ColWidth[2], 30);
    // The new border is found where the page now draws it.
    Move(ColumnBorder(1), y);
    EXPECT_EQ(Cursor(), Qt::SizeHorCursor);
    EXPECT_EQ(w.HitIndex, 1);

    // Pressing and releasing without a move keeps the width.
    Drag(ColumnBorder(1), y, 0, 0);
    EXPECT_EQ(w.PrintFormat->ColWidth[1], 15);

    // A row border dragged 20 pixels down makes the row 5 mm taller.
    const int before = w.PrintFormat->RowHeight[3];
    Drag(188 + 40, RowBorder(3), 0, 20);
    EXPECT_EQ(w.PrintFormat->RowHeight[3], before + 5);
}

// A column dragged past zero vanishes and its border is found no more; a drag
// past 255 mm stores 255.
TEST_F(ReviewMouseTest, DraggingPastTheLimitsClampsTheSize)
{
    TFrmPrintReview& w = OpenLaidOut();
    const int y = RowMiddle(3);
    Drag(301, y, -200, 0);
    EXPECT_EQ(w.PrintFormat->ColWidth[2], 0);
    EXPECT_EQ(w.PrintFormat->ColWidth[1], 20);
    // The hidden column shares its border with column 1, which is found first.
    Move(ColumnBorder(2), y);
    EXPECT_EQ(w.HitIndex, 1);

    // A column already 250 mm wide, grabbed where the page shows it, dragged 26 mm wider.
    Move(188, y);
    ASSERT_EQ(Cursor(), Qt::SizeHorCursor);
    w.PrintFormat->ColWidth[1] = 250;
    Press(188, y);
    Move(188 + 100, y, Qt::LeftButton);
    Release(188 + 100, y);
    EXPECT_EQ(w.PrintFormat->ColWidth[1], 255);
}

// On the last page a short table collapses its empty rows: the mouse finds
// the borders where the frame draws them and none below it, over the page
// foot, where the rows of the layout would lie undrawn.
TEST_F(ReviewMouseTest, LastPageFindsOnlyTheDrawnBorders)
{
    TFrmPrintReview& w = OpenLaidOut();
    TMyPrintFormat& f = *w.PrintFormat;
    f.KeepEmptyGrid = 0;
    w.RunEngine([&w] {
        w.BuffPaper->CurrentPage = w.BuffPaper->PageCount;
        w.BuffPaper->ShowCurrentPage();
    });
    const TMyBuffPaper& b = *w.BuffPaper;
    const int used = b.LastBlockRows;
    const int footFirst = f.Rows() - f.FootRows() + 1;
    ASSERT_LT(used + 4, footFirst) << "the last block must be short";

    // Where the page draws the borders: the used rows, then the foot rows.
    const double fy = w.Screen->PixelsPerMmY;
    auto drawnBorder = [&](int r) {
        int s = 0;
        for (int j = 1; j <= r; ++j)
            s += (j <= used || j >= footFirst) ? f.RowHeight[j] : 0;
        return BodyTop() + static_cast<int>(s * fy);
    };
    const int x = 188 + 40;
    const int frameBottom = drawnBorder(f.Rows());
    struct Case {
        int y;
        Qt::CursorShape cursor;
        int hit;
    };
    const Case cases[] = {
        { drawnBorder(used - 1), Qt::SizeVerCursor, used - 1 },
        { drawnBorder(footFirst), Qt::SizeVerCursor, footFirst },
        { frameBottom, Qt::SizeVerCursor, f.Rows() },
        // Undrawn rows of the layout and the page foot below the frame.
        { RowBorder(used + 2), Qt::ArrowCursor, 0 },
        { RowBorder(footFirst), Qt::ArrowCursor, 0 },
        { frameBottom + 6, Qt::ArrowCursor, 0 },
    };
    for (const Case& c : cases) {
        w.HitIndex = 0;
        Move(x, c.y);
        EXPECT_EQ(Cursor(), c.cursor) << "y = " << c.y;
        EXPECT_EQ(w.HitIndex, c.hit) << "y = " << c.y;
    }
    // Column borders likewise end with the frame.
    Move(188, frameBottom - 3);
    EXPECT_EQ(Cursor(), Qt::SizeHorCursor);
    Move(188, frameBottom + 6);
    EXPECT_EQ(Cursor(), Qt::ArrowCursor);

    // A drag below the frame changes no row.
    const TMyFormatRecord before = f;
    Drag(x, RowBorder(used + 2), 0, 20);
    EXPECT_TRUE(f == before);
}

// Only the left button acts: a right press starts nothing, and a right
// release during a left drag does not end it.
TEST_F(ReviewMouseTest, OnlyTheLeftButtonActs)
{
    TFrmPrintReview& w = OpenLaidOut();
    const int y = RowMiddle(3);
    Move(188, y);
    Press(188, y, Qt::RightButton);
    EXPECT_FALSE(w.MouseIsDown);
    EXPECT_FALSE(w.ChangeSizePanel->isVisible());
    Release(168, y, Qt::RightButton);
    EXPECT_EQ(w.PrintFormat->ColWidth[1], 20);

    Press(188, y);
    Move(168, y, Qt::LeftButton);
    Release(168, y, Qt::RightButton);
    EXPECT_TRUE(w.MouseIsDown);
    EXPECT_TRUE(w.ChangeSizePanel->isVisible());
    Release(168, y);
    EXPECT_EQ(w.PrintFormat->ColWidth[1], 15);
}

// In review state the page follows the mouse, and the scroll positions stay
// between 0 and their range.
TEST_F(ReviewMouseTest, ReviewStateDragsThePageWithinRange)
{
    TFrmPrintReview& w = OpenLaidOut();
    w.resize(600, 500);
    QApplication::processEvents();
    w.ActionStateReview->trigger();
    QScrollBar* h = w.ScrollBox_Main->horizontalScrollBar();
    QScrollBar* v = w.ScrollBox_Main->verticalScrollBar();
    ASSERT_GT(h->maximum(), 60);
    ASSERT_GT(v->maximum(), 120);
    h->setValue(0);
    v->setValue(0);

    Move(300, 300);
    EXPECT_EQ(Cursor(), Qt::PointingHandCursor);
    Press(300, 300);
    // Pulling the page down and right would scroll below 0.
    Move(350, 360, Qt::LeftButton);
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(v->value(), 0);
    Move(250, 180, Qt::LeftButton);
    EXPECT_EQ(h->value(), 50);
    EXPECT_EQ(v->value(), 120);
    Move(-100000, -100000, Qt::LeftButton);
    EXPECT_EQ(h->value(), h->maximum());
    EXPECT_EQ(v->value(), v->maximum());
    EXPECT_EQ(Cursor(), Qt::PointingHandCursor);
    Release(0, 0);
    EXPECT_FALSE(w.MouseIsDown);
    EXPECT_FALSE(w.ChangeSizePanel->isVisible());
}

} // namespace
} // namespace quillet::testing
