#pragma once
// What every format dialog shares: the fixed frame (client size, title bar
// without icons, font, centred on the screen), the two kinds of message box,
// the GBK texts of the format record in Qt's strings, and the numbered list
// entries "第n列", "第n行", "第n页", "第n项".
#include <QString>

#include <cstdint>
#include <string>

class QDialog;
class QRadioButton;

namespace quillet {

class MessageService;

// Caption of plain messages: the program's title.
QString ProgramTitle();

// Gives the dialog its fixed client size, a title bar without icons, the
// font "宋体" at 12 pixels and its caption, and places it in the centre of
// the available area of the screen it will show on.
void ApplyDialogFrame(QDialog& dialog, int clientWidth, int clientHeight, const QString& caption);

// A message box captioned with the program's title, OK only.
void ShowPlainMessage(MessageService& messages, const QString& text);
// A message box captioned "提示", OK only.
void ShowHintMessage(MessageService& messages, const QString& text);

QString FromGbk(const std::string& gbk);
std::string ToGbk(const QString& text);

// "第" + n + unit, for example NumberedEntry(12, "列") = "第12列".
QString NumberedEntry(int n, const QString& unit);
// The number between the leading "第" and the trailing unit; -1 when the
// entry is not of that form or the number is out of int range.
int EntryNumber(const QString& entry, const QString& unit);

// Alignment byte of a left / centre / right radio triple: 1, 2 or 3 (2
// when neither end is ticked).
std::uint8_t CheckedAlign(const QRadioButton& left, const QRadioButton& right);
// Ticks the button of a stored alignment; other values tick the centre one.
void CheckAlign(std::uint8_t align, QRadioButton& left, QRadioButton& center, QRadioButton& right);

} // namespace quillet
