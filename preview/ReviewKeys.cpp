// Reading the report from the keyboard: the page area takes the focus and
// shows it, the arrows scroll within the page and the up and down arrows read
// on across its ends, Space and Shift+Space read on by a screen less a line,
// PgUp and PgDn scroll by a screen and turn the page at its top or bottom,
// Ctrl+Home and Ctrl+End go to the first and last page.
#include <QEvent>
#include <algorithm>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include "preview/PrintReview.h"

namespace quillet {
namespace {

// A highlight line around the visible page area while it has the focus. It
// lies over the area's edges, takes no mouse and leaves the layout alone, so
// the page and the rulers stay where they are.
class TFocusFrame : public QWidget {
public:
    explicit TFocusFrame(QAbstractScrollArea& area)
        : QWidget(area.viewport())
        , area_(area)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        area.installEventFilter(this);
        area.viewport()->installEventFilter(this);
        Follow();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            if (watched == &area_)
                Follow();
            break;
        case QEvent::Resize:
        case QEvent::ChildAdded: // the page's content must not come over the frame
            if (watched == area_.viewport())
                Follow();
            break;
        default:
            break;
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QPen pen(palette().color(QPalette::Highlight));
        pen.setWidth(2);
        painter.setPen(pen);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }

private:
    void Follow()
    {
        setGeometry(area_.viewport()->rect());
        raise();
        setVisible(area_.hasFocus());
    }

    QAbstractScrollArea& area_;
};

} // namespace

void TFrmPrintReview::BuildPageKeys()
{
    ScrollBox_Main->setFocusPolicy(Qt::StrongFocus);
    ScrollBox_Main->installEventFilter(this);
    PageFocusFrame = new TFocusFrame(*ScrollBox_Main);
}

bool TFrmPrintReview::PageAreaKey(const QKeyEvent& key)
{
    QScrollBar* down = ScrollBox_Main->verticalScrollBar();
    if (key.key() == Qt::Key_Space && !(key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
        // A screen less a line, so that the last line read stays in sight.
        ReadOn(key.modifiers() & Qt::ShiftModifier ? -1 : 1,
            std::max(down->singleStep(), down->pageStep() - down->singleStep()));
        return true;
    }
    if (key.key() == Qt::Key_Slash && !(key.modifiers() & ~Qt::KeypadModifier)) {
        ActionFindExecute();
        return true;
    }
    // Shift, Alt and Meta combinations are left to the rest of the window.
    if (key.modifiers() & ~(Qt::ControlModifier | Qt::KeypadModifier))
        return false;
    const bool control = key.modifiers() & Qt::ControlModifier;
    QScrollBar* across = ScrollBox_Main->horizontalScrollBar();
    auto step = [control](QScrollBar* bar, QAbstractSlider::SliderAction action) {
        if (control)
            return false;
        bar->triggerAction(action);
        return true;
    };
    switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (control)
            return false;
        ReadOn(key.key() == Qt::Key_Down ? 1 : -1, down->singleStep());
        return true;
    case Qt::Key_Left:
        return step(across, QAbstractSlider::SliderSingleStepSub);
    case Qt::Key_Right:
        return step(across, QAbstractSlider::SliderSingleStepAdd);
    case Qt::Key_PageDown:
        if (control)
            return false;
        if (down->value() < down->maximum()) {
            down->triggerAction(QAbstractSlider::SliderPageStepAdd);
        } else if (BuffPaper->CurrentPage < BuffPaper->PageCount) {
            ActionNextPageExecute();
            down->setValue(down->minimum());
        }
        return true;
    case Qt::Key_PageUp:
        if (control)
            return false;
        if (down->value() > down->minimum()) {
            down->triggerAction(QAbstractSlider::SliderPageStepSub);
        } else if (BuffPaper->CurrentPage >= 2) {
            ActionPriorPageExecute();
            down->setValue(down->maximum());
        }
        return true;
    case Qt::Key_Home:
        if (control)
            ActionFirstPageExecute();
        down->setValue(down->minimum());
        return true;
    case Qt::Key_End:
        if (control)
            ActionLastPageExecute();
        down->setValue(down->maximum());
        return true;
    default:
        return false;
    }
}

} // namespace quillet
