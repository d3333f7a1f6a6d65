#include "dialogs/SetPageFoot.h"

#include "platform/qt/Language.h"

namespace quillet {

TFrmSetPageFoot::TFrmSetPageFoot(const DialogContext& context, QWidget* parent)
    : TPageLinesDialog(context,
        { &TMyFormatRecord::Foot, &TMyFormatRecord::FootMultiLine, QTr("SetPageFoot", "修改页尾"),
            QTr("SetPageFoot", "页尾%1") },
        parent)
{
}

} // namespace quillet
