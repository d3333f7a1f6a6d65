#pragma once
// Gives the keyboard back when a dialog, a progress box or a message box
// closes. A window manager moves the focus from a closed window to the one it
// stood for, but not always: a box that closes while the window manager is
// still busy with it (a short print run on a slow machine) leaves the focus on
// a window that is gone, and no key reaches the program until it is clicked.
// So once the box has gone, the window the user works in asks for the
// keyboard itself: the dialog still open beneath the box, or else the main
// window. Nothing is asked for when another program had the keyboard.
#include <QObject>

class QWidget;

namespace quillet {

class KeyboardReturn : public QObject {
public:
    // Watches every window of the program on behalf of mainWindow, whose
    // child it becomes.
    explicit KeyboardReturn(QWidget& mainWindow);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GiveBack();

    QWidget& main_;
    bool pending_ = false;
};

} // namespace quillet
