#include "dialogs/SetPaperSheet.h"

#include <algorithm>

namespace quillet {

QImage NewSamplePicture(int width, int height)
{
    QImage picture(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

void DrawSampleSheet(Canvas& canvas, int width, int height, Color buttonFace)
{
    const int w = width;
    const int h = height;
    canvas.SetBrushColor(buttonFace);
    canvas.FillRect({ 0, 0, w, h });
    canvas.SetBrushColor(kWhite);
    canvas.FillRect({ 0, 0, w - 3, h - 3 });
    canvas.SetBrushColor(kBlack);
    canvas.FillRect({ w - 3, 3, w, h });
    canvas.FillRect({ 3, h - 3, w, h });
    canvas.SetPen(PenStyle::Solid, 1, kBlack);
    canvas.MoveTo(0, h - 3);
    canvas.LineTo(0, 0);
    canvas.LineTo(w - 3, 0);
}

} // namespace quillet
