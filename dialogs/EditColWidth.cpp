#include "dialogs/EditColWidth.h"

#include "platform/qt/Language.h"

namespace quillet {

TFrmEditColWidth::TFrmEditColWidth(const DialogContext& context, QWidget* parent)
    : TRestoreSizeDialog(context,
        { &TMyFormatRecord::ColWidth, &TMyFormatRecord::Cols, QTr("EditColWidth", "恢复列宽"),
            QTr("EditColWidth", "要恢复的列："), QTr("EditColWidth", "第%1列"), kRestoredSize },
        parent)
{
    ComboBoxCol = List();
}

} // namespace quillet
