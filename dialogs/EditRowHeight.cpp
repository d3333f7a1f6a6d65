#include "dialogs/EditRowHeight.h"

#include "platform/qt/Language.h"

namespace quillet {

TFrmEditRowHeight::TFrmEditRowHeight(const DialogContext& context, QWidget* parent)
    : TRestoreSizeDialog(context,
        { &TMyFormatRecord::RowHeight, &TMyFormatRecord::Rows, QTr("EditRowHeight", "恢复行高"),
            QTr("EditRowHeight", "要恢复的行："), QTr("EditRowHeight", "第%1行"), kRestoredSize },
        parent)
{
    ComboBoxRow = List();
}

} // namespace quillet
