#include "platform/qt/QtMessageService.h"

#include <QMessageBox>

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

MessageResult QtMessageService::Show(
    const std::string& caption, const std::string& text, MessageButtons buttons)
{
    if (Unattended()) {
        const std::string line = UnattendedLine(caption, text);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        return buttons == MessageButtons::YesNo ? MessageResult::No : MessageResult::Ok;
    }
    if (buttons == MessageButtons::YesNo) {
        QMessageBox box(
            QMessageBox::Question, FromUtf8(caption), FromUtf8(text), QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
    }
    QMessageBox box(QMessageBox::Information, FromUtf8(caption), FromUtf8(text), QMessageBox::Ok);
    box.exec();
    return MessageResult::Ok;
}

} // namespace quillet
