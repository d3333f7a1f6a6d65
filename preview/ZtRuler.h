#pragma once
// TZtRuler: a centimetre scale drawn as a white band with a number at every
// centimetre and ticks at 4, 6 and 8 mm, framed by grey bars. The window lines
// the page image up with the band's start (StartWhere).
#include <QWidget>

#include "geometry/RulerScale.h"
#include "platform/Canvas.h"

namespace quillet {

// Paints a computed ruler on any canvas, in the order the ruler draws its parts
// (the numbers are opaque, so a later tick may cross an earlier number).
void PaintRuler(Canvas& canvas, const RulerLayout& layout, Color face, Color shadow);

class TZtRuler : public QWidget {
    Q_OBJECT
public:
    explicit TZtRuler(QWidget* parent = nullptr);

    TMyOrientation Orientation() const { return orientation_; }
    void SetOrientation(TMyOrientation orientation);
    int StartNumber() const { return startNumber_; }
    void SetStartNumber(int number);
    int LengthNumber() const { return lengthNumber_; }
    void SetLengthNumber(int number);
    // The paper at a zoom other than 100 % and 50 %: the band is then the
    // sheet, numbered in the paper's centimetres (zoom 0: the plain ruler).
    const RulerPaper& Paper() const { return paper_; }
    void SetPaper(const RulerPaper& paper);
    Qt::Alignment MyAlign() const { return myAlign_; }
    void SetMyAlign(Qt::Alignment align);
    // Where the band starts and ends, in the ruler's own pixels, as of the
    // last layout (which every size or number change renews at once).
    int StartWhere() const { return layout_.startWhere; }
    int EndWhere() const { return layout_.endWhere; }

    // The layout for the current size, numbers and display resolution.
    RulerLayout Layout() const;
    int RepaintCount() const { return repaints_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Relayout();
    TMyOrientation orientation_ = TMyOrientation::trHorizontal;
    int startNumber_ = 0;
    int lengthNumber_ = 5;
    RulerPaper paper_;
    Qt::Alignment myAlign_;
    RulerLayout layout_;
    int repaints_ = 0;
};

} // namespace quillet
