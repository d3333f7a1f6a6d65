// Draws the about box's picture (images/about.png, 500 x 220) for the
// program's resources. Not part of the build; run it again after a change:
//   g++ -std=c++20 -fPIC draw_about_picture.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw_about
//   QT_QPA_PLATFORM=offscreen /tmp/draw_about about.png
// The version, the home-page link and the subtitle at (96, 104) are not in
// the picture: the about box lays them over it, the version and the link from
// the product constants, the subtitle in the language in use.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// A quill: a feather vane curving up from a nib at the lower left.
void DrawQuill(QPainter& p, const QColor& color)
{
    QPainterPath vane;
    vane.moveTo(14, 106);
    vane.cubicTo(18, 70, 36, 34, 66, 12);
    vane.cubicTo(64, 44, 50, 76, 20, 100);
    vane.closeSubpath();
    p.fillPath(vane, color);
    // Barbs: light notches cut across the vane.
    p.setPen(QPen(QColor(29, 63, 115), 1.4));
    for (int i = 0; i < 7; ++i) {
        const double t = 0.2 + i * 0.1;
        const QPointF a(14 + 52 * t, 106 - 94 * t);
        p.drawLine(a, a + QPointF(9 - i * 0.6, 2 + i * 0.3));
    }
    // Shaft and nib.
    p.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 116), QPointF(58, 24));
}

// A small printed page: a title bar, a table grid and a page number.
void DrawPage(QPainter& p, const QRectF& r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawRect(r.translated(4, 4));
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(170, 180, 195), 1));
    p.drawRect(r);
    const double left = r.left() + 12;
    const double right = r.right() - 12;
    p.fillRect(QRectF(left + 26, r.top() + 12, right - left - 52, 6), QColor(47, 106, 168));
    p.fillRect(QRectF(left, r.top() + 24, 40, 3), QColor(150, 160, 175));
    const double top = r.top() + 34;
    const int rows = 9;
    const double rowHeight = 10;
    p.fillRect(QRectF(left, top, right - left, rowHeight), QColor(220, 230, 242));
    p.setPen(QPen(QColor(120, 135, 155), 1));
    for (int i = 0; i <= rows; ++i)
        p.drawLine(QPointF(left, top + i * rowHeight), QPointF(right, top + i * rowHeight));
    const double cols[] = { 0, 0.22, 0.55, 0.75, 1.0 };
    for (double c : cols) {
        const double x = left + c * (right - left);
        p.drawLine(QPointF(x, top), QPointF(x, top + rows * rowHeight));
    }
    p.setPen(QPen(QColor(175, 185, 200), 2));
    for (int i = 1; i < rows; ++i) {
        const double y = top + i * rowHeight + rowHeight / 2;
        p.drawLine(QPointF(left + 4, y), QPointF(left + 4 + 10 + (i * 7) % 12, y));
        p.drawLine(QPointF(right - 6 - (i * 5) % 14, y), QPointF(right - 5, y));
    }
    p.fillRect(QRectF((r.left() + r.right()) / 2 - 8, r.bottom() - 12, 16, 3), QColor(150, 160, 175));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QImage image(500, 220, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 220);
    sky.setColorAt(0, QColor(250, 252, 255));
    sky.setColorAt(1, QColor(226, 235, 246));
    p.fillRect(image.rect(), sky);

    // The band at the left with the quill.
    QLinearGradient band(0, 0, 0, 220);
    band.setColorAt(0, QColor(29, 63, 115));
    band.setColorAt(1, QColor(47, 106, 168));
    p.fillRect(QRect(0, 0, 80, 220), band);
    p.save();
    p.translate(6, 44);
    DrawQuill(p, QColor(245, 248, 252));
    p.restore();

    // The product name above the version line.
    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(40);
    name.setBold(true);
    p.setFont(name);
    p.setPen(QColor(29, 63, 115));
    p.drawText(QRect(94, 18, 240, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillet"));

    QFont words(QStringLiteral("DejaVu Sans"));
    words.setPixelSize(11);
    p.setFont(words);
    p.setPen(QColor(110, 120, 135));
    p.drawText(QRect(96, 128, 220, 18), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("Report print preview and printing"));

    DrawPage(p, QRectF(344, 22, 126, 160));

    // The rule above the link line.
    p.setPen(QPen(QColor(180, 192, 208), 1));
    p.drawLine(QPointF(96, 190.5), QPointF(488, 190.5));
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
