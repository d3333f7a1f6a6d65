#pragma once
// Message boxes with QMessageBox. With QUILLET_NONINTERACTIVE=1 nothing is
// shown: the message goes to standard error as one line and the safe default
// answers (OK; No for a Yes/No question), so an unattended run never hangs.
#include "platform/MessageService.h"

class QWidget;

namespace quillet {

class QtMessageService : public MessageService {
public:
    MessageResult Show(const std::string& caption, const std::string& text, MessageButtons buttons) override;

    // True when QUILLET_NONINTERACTIVE is "1".
    static bool Unattended();
    // "<caption>: <text>\n" with line breaks inside turned into blanks.
    static std::string UnattendedLine(const std::string& caption, const std::string& text);
    // The window a box speaks for: the open dialog, else the active window,
    // else the program's main window.
    // The box stands over it, and the window manager gives it the keyboard
    // back when the box closes.
    static QWidget* Owner();
};

} // namespace quillet
