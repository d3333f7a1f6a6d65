#include "dialogs/EditColWidth.h"

namespace quillet {

TFrmEditColWidth::TFrmEditColWidth(const DialogContext& context, QWidget* parent)
    : TRestoreSizeDialog(context,
        { &TMyFormatRecord::ColWidth, &TMyFormatRecord::Cols, QStringLiteral("恢复列宽"),
            QStringLiteral("要恢复的列："), QStringLiteral("列"), kRestoredSize },
        parent)
{
    ComboBoxCol = List();
}

} // namespace quillet
