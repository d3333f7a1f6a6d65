#include "dialogs/DialogFrame.h"

#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>

#include "controls/AccessibleControls.h"
#include "dialogs/DialogKeyboard.h"
#include "platform/GbkCodec.h"
#include "platform/MessageService.h"
#include "platform/qt/Language.h"

namespace quillet {
namespace {

// Watches the dialog's show events; owned by the dialog.
class OpeningWatcher : public QObject {
public:
    OpeningWatcher(QDialog& dialog, std::function<void()> formShow)
        : QObject(&dialog)
        , formShow_(std::move(formShow))
    {
        dialog.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous())
            formShow_();
        return false;
    }

private:
    std::function<void()> formShow_;
};

// Arranges the dialog for the keyboard when it first opens, once every
// control is in place; owned by the dialog.
class FirstOpening : public QObject {
public:
    explicit FirstOpening(QDialog& dialog)
        : QObject(&dialog)
        , dialog_(dialog)
    {
        dialog.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            dialog_.removeEventFilter(this);
            ArrangeDialogForKeyboard(dialog_);
            deleteLater();
        }
        return false;
    }

private:
    QDialog& dialog_;
};

} // namespace

QString ProgramTitle()
{
    return QTr("DialogFrame", "打印预览窗体");
}

QString HintTitle()
{
    return QTr("DialogFrame", "提示");
}

void ApplyDialogFrame(QDialog& dialog, int clientWidth, int clientHeight, const QString& caption)
{
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    dialog.setFont(font);
    dialog.setFixedSize(clientWidth, clientHeight);
    InstallAccessibleControls();
    new FirstOpening(dialog);
    QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        dialog.move(
            area.x() + (area.width() - clientWidth) / 2, area.y() + (area.height() - clientHeight) / 2);
    }
}

QFrame* NewGroupFrame(QDialog& dialog, const QRect& geometry)
{
    auto* frame = new QFrame(&dialog);
    frame->setFrameShape(QFrame::NoFrame);
    frame->setGeometry(geometry);
    return frame;
}

OkCancelButtons MakeOkCancelButtons(QDialog& dialog, QPoint okAt, QPoint cancelAt, DialogKeys keys)
{
    const bool answerKeys = keys == DialogKeys::EnterAndEsc;
    auto* ok = new TLumButton(QTr("DialogFrame", "确  定"), &dialog);
    ok->setGeometry(okAt.x(), okAt.y(), 75, 23);
    if (answerKeys)
        ok->setDefault(true);
    else
        ok->setAutoDefault(false);
    auto* cancel = new TLumButton(QTr("DialogFrame", "取  消"), &dialog);
    cancel->setGeometry(cancelAt.x(), cancelAt.y(), 75, 23);
    if (answerKeys)
        cancel->SetCancel(true);
    else
        cancel->setAutoDefault(false);
    return { ok, cancel };
}

void FormShowOnOpening(QDialog& dialog, std::function<void()> formShow)
{
    new OpeningWatcher(dialog, std::move(formShow));
}

void ShowPlainMessage(MessageService& messages, const QString& text)
{
    messages.Show(ProgramTitle().toStdString(), text.toStdString(), MessageButtons::Ok);
}

void ShowHintMessage(MessageService& messages, const QString& text)
{
    messages.Show(HintTitle().toStdString(), text.toStdString(), MessageButtons::Ok);
}

QString FromGbk(const std::string& gbk)
{
    return QString::fromStdString(GbkToUtf8(gbk));
}

std::string ToGbk(const QString& text)
{
    return Utf8ToGbk(text.toStdString());
}

QString NumberedEntry(int n, const QString& pattern)
{
    return QString(pattern).replace(QStringLiteral("%1"), QString::number(n));
}

std::pair<QString, QString> EntryWords(const QString& pattern)
{
    const qsizetype place = pattern.indexOf(QStringLiteral("%1"));
    if (place < 0)
        return { pattern, QString() };
    return { pattern.left(place), pattern.mid(place + 2) };
}

int EntryNumber(const QString& entry, const QString& pattern)
{
    if (!pattern.contains(QStringLiteral("%1")))
        return -1;
    const auto [head, tail] = EntryWords(pattern);
    if (!entry.startsWith(head) || !entry.endsWith(tail) || entry.size() <= head.size() + tail.size())
        return -1;
    const QString digits = entry.mid(head.size(), entry.size() - head.size() - tail.size());
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok ? n : -1;
}

std::tuple<QRadioButton*, QRadioButton*, QRadioButton*> NewAlignButtons(QWidget* parent, int top)
{
    auto* left = new QRadioButton(QTr("DialogFrame", "水平居左"), parent);
    left->setGeometry(56, top, 84, 20);
    auto* center = new QRadioButton(QTr("DialogFrame", "水平居中"), parent);
    center->setGeometry(146, top, 84, 20);
    center->setChecked(true);
    auto* right = new QRadioButton(QTr("DialogFrame", "水平居右"), parent);
    right->setGeometry(236, top, 84, 20);
    return { left, center, right };
}

std::uint8_t CheckedAlign(const QRadioButton& left, const QRadioButton& right)
{
    if (left.isChecked())
        return 1;
    if (right.isChecked())
        return 3;
    return 2;
}

void CheckAlign(std::uint8_t align, QRadioButton& left, QRadioButton& center, QRadioButton& right)
{
    switch (align) {
    case 1:
        left.setChecked(true);
        break;
    case 3:
        right.setChecked(true);
        break;
    default:
        center.setChecked(true);
        break;
    }
}

} // namespace quillet
