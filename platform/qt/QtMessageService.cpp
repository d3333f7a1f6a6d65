#include "platform/qt/QtMessageService.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace quillet {
namespace {

QString FromUtf8(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// One line: "\r\n", "\n" and "\r" each become one blank.
std::string OneLine(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' || c == '\n') {
            out += ' ';
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

bool QtMessageService::Unattended()
{
    const char* value = std::getenv("QUILLET_NONINTERACTIVE");
    return value && std::string_view(value) == "1";
}

std::string QtMessageService::UnattendedLine(const std::string& caption, const std::string& text)
{
    return OneLine(caption) + ": " + OneLine(text) + "\n";
}

QWidget* QtMessageService::Owner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    // A box that closed just now may have left no window active.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && qobject_cast<QMainWindow*>(window))
            return window;
    return nullptr;
}

MessageResult QtMessageService::Show(
    const std::string& caption, const std::string& text, MessageButtons buttons)
{
    if (Unattended()) {
        const std::string line = UnattendedLine(caption, text);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        return buttons == MessageButtons::YesNo ? MessageResult::No : MessageResult::Ok;
    }
    const bool question = buttons == MessageButtons::YesNo;
    // On the heap: should its owner go while the box is up, it takes the box along.
    QPointer<QMessageBox> box
        = new QMessageBox(question ? QMessageBox::Question : QMessageBox::Information, FromUtf8(caption),
            FromUtf8(text), question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Owner());
    if (question)
        box->setDefaultButton(QMessageBox::Yes);
    const int answer = box->exec();
    delete box;
    if (question)
        return answer == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
    return MessageResult::Ok;
}

} // namespace quillet
