#include "preview/KeyboardReturn.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace quillet {

KeyboardReturn::KeyboardReturn(QWidget& mainWindow)
    : QObject(&mainWindow)
    , main_(mainWindow)
{
    qApp->installEventFilter(this);
}

bool KeyboardReturn::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Hide || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // Dialogs, progress and message boxes; menus and tips close on their own.
    if (!widget->isWindow() || widget == &main_ || widget->windowType() != Qt::Dialog)
        return false;
    // Only when the program had the keyboard as the box closed: a run that
    // ends while the user works in another program takes nothing from it.
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        return false;
    if (!pending_) {
        pending_ = true;
        // Once the closing is over: the box may be followed by another one, or
        // by the dialog that opened it closing too.
        QTimer::singleShot(0, this, [this] { GiveBack(); });
    }
    return false;
}

void KeyboardReturn::GiveBack()
{
    pending_ = false;
    QWidget* target = QApplication::activeModalWidget();
    if (!target)
        target = &main_;
    if (!target->isVisible() || target->isMinimized() || QApplication::activeWindow() == target)
        return;
    target->activateWindow();
}

} // namespace quillet
