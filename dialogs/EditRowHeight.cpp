#include "dialogs/EditRowHeight.h"

namespace quillet {

TFrmEditRowHeight::TFrmEditRowHeight(const DialogContext& context, QWidget* parent)
    : TRestoreSizeDialog(context,
        { &TMyFormatRecord::RowHeight, &TMyFormatRecord::Rows, QStringLiteral("恢复行高"),
            QStringLiteral("要恢复的行："), QStringLiteral("行"), kRestoredSize },
        parent)
{
    ComboBoxRow = List();
}

} // namespace quillet
