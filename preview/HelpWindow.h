#pragma once
// THelpWindow: the manual in a window of the program's own, for desktops
// that cannot show HTML (no browser). Links inside the manual move within
// it, with Alt+Left and Alt+Right going back and forth; addresses outside it
// (home page, mail) go to the desktop. Esc closes the window.
#include <QString>
#include <QWidget>

class QTextBrowser;
class QUrl;

namespace quillet {

class Shell;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    // A window of its own that belongs to parent (the preview window): it
    // goes with it, and closing the preview window ends the program while
    // this one is open.
    THelpWindow(Shell& shell, QWidget* parent = nullptr);

    // Shows the HTML file at path (a toolkit string) and brings the window
    // to the front; a missing file is said in the window.
    void ShowManual(const QString& path);

    QTextBrowser* Browser = nullptr;

private:
    void FollowLink(const QUrl& url);
    void TakeTitle();

    Shell& shell_;
    bool placed_ = false;
};

} // namespace quillet
