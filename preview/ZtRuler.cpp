#include "preview/ZtRuler.h"

#include <QImage>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/qt/QtCanvas.h"

namespace quillet {
namespace {

Color ToColor(const QColor& c)
{
    return RgbColor(c.red(), c.green(), c.blue());
}

void DrawTicks(Canvas& canvas, const RulerLayout& layout, std::size_t first, std::size_t count)
{
    for (std::size_t i = first; i - first < count && i < layout.ticks.size(); ++i) {
        canvas.MoveTo(layout.ticks[i].from.x, layout.ticks[i].from.y);
        canvas.LineTo(layout.ticks[i].to.x, layout.ticks[i].to.y);
    }
}

} // namespace

void PaintRuler(Canvas& canvas, const RulerLayout& layout, Color face, Color shadow)
{
    canvas.SetBrushColor(face);
    canvas.FillRect(canvas.ClipRect());
    canvas.SetBrushColor(kWhite);
    canvas.FillRect(layout.band);
    canvas.SetBrushColor(shadow);
    canvas.FillRect(layout.barBefore);
    canvas.FillRect(layout.barAfter);
    canvas.SetBrushColor(kWhite);
    canvas.SetPen(PenStyle::Solid, 1, kBlack);
    canvas.SetFontSize(8);
    // Each number, then the ticks of the centimetre before it; last the ticks
    // of the centimetre after the last number (a paper ruler: all its ticks).
    const std::size_t per = static_cast<std::size_t>(std::max(0, layout.ticksPerLabel));
    for (std::size_t o = 0; o < layout.labels.size(); ++o) {
        const RulerLabel& label = layout.labels[o];
        canvas.TextOut(label.at.x, label.at.y, std::to_string(label.number));
        DrawTicks(canvas, layout, per * o, per);
    }
    DrawTicks(canvas, layout, per * layout.labels.size(), layout.ticks.size());
}

TZtRuler::TZtRuler(QWidget* parent)
    : QWidget(parent)
{
    // The ruler paints every pixel of itself. Marked opaque, its repaints stay
    // its own: otherwise each one repaints the window beneath it, whose paint
    // handler repaints the rulers again, and an idle window never rests.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(200, 20);
    Relayout();
}

void TZtRuler::SetOrientation(TMyOrientation orientation)
{
    if (orientation == orientation_)
        return;
    orientation_ = orientation;
    Relayout();
}

void TZtRuler::SetStartNumber(int number)
{
    if (number == startNumber_)
        return;
    startNumber_ = number;
    Relayout();
}

void TZtRuler::SetLengthNumber(int number)
{
    if (number == lengthNumber_)
        return;
    lengthNumber_ = number;
    Relayout();
}

void TZtRuler::SetPaper(const RulerPaper& paper)
{
    if (paper == paper_)
        return;
    paper_ = paper;
    Relayout();
}

void TZtRuler::SetMyAlign(Qt::Alignment align)
{
    if (align == myAlign_)
        return;
    myAlign_ = align;
    if (parentWidget() && parentWidget()->layout())
        parentWidget()->layout()->setAlignment(this, align);
}

RulerLayout TZtRuler::Layout() const
{
    const QScreen* screen = this->screen();
    double dpiX = screen ? screen->logicalDotsPerInchX() : 96.0;
    double dpiY = screen ? screen->logicalDotsPerInchY() : 96.0;
    return ComputeRulerLayout(orientation_, width(), height(), Rect { 0, 0, width(), height() }, startNumber_,
        lengthNumber_, dpiX, dpiY, paper_);
}

void TZtRuler::Relayout()
{
    layout_ = Layout();
    ++repaints_;
    update();
}

void TZtRuler::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layout_ = Layout();
}

void TZtRuler::paintEvent(QPaintEvent* event)
{
    // Drawn for the screen's pixel density: the scale stays in the ruler's
    // own pixels, its ticks and numbers get the screen's finer pixels.
    const double ratio = devicePixelRatioF();
    const QRect area = event->rect();
    QImage image(static_cast<int>(std::ceil(area.width() * ratio)),
        static_cast<int>(std::ceil(area.height() * ratio)), QImage::Format_RGB32);
    if (image.isNull())
        return;
    image.setDotsPerMeterX(static_cast<int>(std::lround(logicalDpiX() / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(logicalDpiY() / 0.0254)));
    {
        QtCanvas canvas(image);
        canvas.SetDpi(logicalDpiX(), logicalDpiY());
        canvas.SetDeviceMap({ ratio, ratio, -area.x() * ratio, -area.y() * ratio });
        canvas.SetFont("Arial", 8, kBlack);
        PaintRuler(canvas, layout_, ToColor(palette().color(QPalette::Button)),
            ToColor(palette().color(QPalette::Dark)));
    }
    image.setDevicePixelRatio(ratio);
    QPainter painter(this);
    painter.drawImage(area.topLeft(), image);
}

} // namespace quillet
