#include "dialogs/SetCompany.h"

#include <QKeyEvent>
#include <QLabel>
#include <QShowEvent>

#include "controls/LumEdit.h"
#include "platform/qt/Language.h"

namespace quillet {

TFrmSetCompany::TFrmSetCompany(const DialogContext& context, QWidget* parent)
    : TTextLineDialog(context,
        { &TMyFormatRecord::Company, &TMyFormatRecord::CompanyLine, QTr("SetCompany", "修改公司"),
            QTr("SetCompany", "公司："), QTr("SetCompany", "请输入公司名称") },
        parent)
{
    Edit_Company = TextEdit();
    Edit_Company->setEnabled(false);
    // The dialog sees every key before its controls do.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TFrmSetCompany::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        unlock_ = false;
    QDialog::showEvent(event);
}

bool TFrmSetCompany::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        FormKeyDown(key->key(), key->modifiers());
        break;
    }
    case QEvent::KeyRelease:
        FormKeyUp();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == Label1)
            Label1DblClick();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmSetCompany::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // The press of Ctrl itself may come before the modifier state shows it.
    if (key == Qt::Key_Control)
        modifiers |= Qt::ControlModifier;
    if ((modifiers & Qt::ControlModifier) && !(modifiers & (Qt::ShiftModifier | Qt::AltModifier)))
        unlock_ = true;
}

void TFrmSetCompany::FormKeyUp()
{
    if (!Edit_Company->hasFocus())
        unlock_ = false;
}

void TFrmSetCompany::Label1DblClick()
{
    if (unlock_)
        Edit_Company->setEnabled(!Edit_Company->isEnabled());
}

} // namespace quillet
