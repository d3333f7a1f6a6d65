#pragma once
// What every format dialog shares: the fixed frame (client size, title bar
// without icons, font, centred on the screen), the panel of controls and the
// OK / cancel pair below it, reading the model on each opening, the two kinds
// of message box, the GBK texts of the format record in Qt's strings, and the
// numbered list entries "第n列", "第n行", "第n页", "第n项".
#include <QDialog>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "controls/LumButton.h"

class QFrame;
class QRadioButton;
class QRect;
class QWidget;

namespace quillet {

class MessageService;

// Caption of plain messages: the program's title.
QString ProgramTitle();
// Caption of hints and questions.
QString HintTitle();

// Gives the dialog its fixed client size, a title bar without icons, the
// font "宋体" at 12 pixels and its caption, and places it in the centre of
// the available area of the screen it will show on.
void ApplyDialogFrame(QDialog& dialog, int clientWidth, int clientHeight, const QString& caption);

// The borderless panel that holds the dialog's controls above its buttons.
QFrame* NewGroupFrame(QDialog& dialog, const QRect& geometry);

// The keys the OK / cancel pair answers: Enter clicks OK and Esc clicks
// cancel, or neither (the dialog then swallows both).
enum class DialogKeys { EnterAndEsc, None };

struct OkCancelButtons {
    TLumButton* ok;
    TLumButton* cancel;
};

// The buttons "确  定" and "取  消" of the dialog, 75 x 23 pixels each with
// their top-left corners at okAt and cancelAt, created in that order.
OkCancelButtons MakeOkCancelButtons(QDialog& dialog, QPoint okAt, QPoint cancelAt, DialogKeys keys);

// Makes the pair as the dialog's LumButton1 and LumButton2 and has their
// clicks call its LumButton1Click and LumButton2Click.
template <class Dialog>
void AddOkCancelButtons(
    Dialog& dialog, QPoint okAt, QPoint cancelAt, DialogKeys keys = DialogKeys::EnterAndEsc)
{
    const OkCancelButtons pair = MakeOkCancelButtons(dialog, okAt, cancelAt, keys);
    dialog.LumButton1 = pair.ok;
    dialog.LumButton2 = pair.cancel;
    QObject::connect(pair.ok, &QPushButton::clicked, &dialog, &Dialog::LumButton1Click);
    QObject::connect(pair.cancel, &QPushButton::clicked, &dialog, &Dialog::LumButton2Click);
}

// Calls formShow each time the dialog opens, before it appears, so that it
// shows the model as it is then. The show the window system sends when it
// gives a minimised dialog back is no opening: edits in progress stay.
void FormShowOnOpening(QDialog& dialog, std::function<void()> formShow);

// A message box captioned with the program's title, OK only.
void ShowPlainMessage(MessageService& messages, const QString& text);
// A message box captioned "提示", OK only.
void ShowHintMessage(MessageService& messages, const QString& text);

QString FromGbk(const std::string& gbk);
std::string ToGbk(const QString& text);

// The entry of number n in a list of numbered entries: the pattern, a
// program text such as "第%1列", with n in its place: "第12列".
QString NumberedEntry(int n, const QString& pattern);
// The number in an entry made from the pattern; -1 when the entry is not of
// that form or the number is out of int range.
int EntryNumber(const QString& entry, const QString& pattern);
// The words of the pattern before and after the number's place.
std::pair<QString, QString> EntryWords(const QString& pattern);

// The radio triple "水平居左", "水平居中" (ticked) and "水平居右" on one row of
// the parent at top, in that order.
std::tuple<QRadioButton*, QRadioButton*, QRadioButton*> NewAlignButtons(QWidget* parent, int top);
// Alignment byte of a left / centre / right radio triple: 1, 2 or 3 (2
// when neither end is ticked).
std::uint8_t CheckedAlign(const QRadioButton& left, const QRadioButton& right);
// Ticks the button of a stored alignment; other values tick the centre one.
void CheckAlign(std::uint8_t align, QRadioButton& left, QRadioButton& center, QRadioButton& right);

} // namespace quillet
