#include "dialogs/UnitSetAllRowHeight.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>

#include "controls/LumEdit.h"
#include "dialogs/DialogFrame.h"
#include "platform/qt/Language.h"

namespace quillet {

TFrmSetAllRowHeight::TFrmSetAllRowHeight(const DialogContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, QTr("UnitSetAllRowHeight", "设置统一行高"));

    GroupBox1 = NewGroupFrame(*this, { 6, 4, 238, 58 });
    Label1 = new QLabel(QTr("UnitSetAllRowHeight", "行高："), GroupBox1);
    Label1->setGeometry(18, 24, 38, 14);
    if (LanguageInUse() == Language::English)
        Label1->setGeometry(8, 24, 48, 14); // "Height:" is wider than "行高："
    Edit1 = new TLumEdit(GroupBox1);
    Edit1->setMaxLength(2);
    Edit1->setText(QStringLiteral("5"));
    Edit1->setGeometry(58, 20, 48, Edit1->sizeHint().height());
    Edit1->installEventFilter(this);
    // Dropped text would pass the key filter; only digits may arrive that way too.
    Edit1->setAcceptDrops(false);
    Label2 = new QLabel(QTr("UnitSetAllRowHeight", "2...50毫米"), GroupBox1);
    Label2->setGeometry(114, 24, 90, 14);

    // Neither button answers Enter or Esc.
    AddOkCancelButtons(*this, { 84, 70 }, { 167, 70 }, DialogKeys::None);
    FormCreate();
}

bool TFrmSetAllRowHeight::Edit1KeyPress(const QKeyEvent& key) const
{
    // Control characters (Ctrl+V and the like) are typed characters too and
    // are discarded. Backspace types a character of its own and is discarded with the rest;
    // Delete types none and still erases.
    if (key.key() == Qt::Key_Backspace)
        return true;
    // Tab moves between the controls and Delete erases; the window system
    // may still give them a character ("\t", DEL), which they do not type.
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab || key.key() == Qt::Key_Delete)
        return false;
    const QString text = key.text();
    if (text.isEmpty())
        return false;
    return !(text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9'));
}

bool TFrmSetAllRowHeight::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress)
        return Edit1KeyPress(*static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void TFrmSetAllRowHeight::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TFrmSetAllRowHeight::LumButton1Click()
{
    const QString text = Edit1->text();
    bool ok = false;
    const int height = text.trimmed().toInt(&ok);
    if (!ok) {
        ShowPlainMessage(context_.messages, QTr("UnitSetAllRowHeight", "“%1”不是有效的整数值").arg(text));
        return;
    }
    if (height < kMinHeight || height > kMaxHeight) {
        ShowPlainMessage(context_.messages, QTr("UnitSetAllRowHeight", "数值范围不符合要求"));
        return;
    }
    TMyPrintFormat& f = context_.format;
    for (int row = 1; row <= f.Rows(); ++row)
        f.RowHeight[row] = static_cast<std::uint8_t>(height);
    Confirmed = true;
    accept();
}

void TFrmSetAllRowHeight::LumButton2Click()
{
    reject();
}

} // namespace quillet
