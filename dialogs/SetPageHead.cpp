#include "dialogs/SetPageHead.h"

#include "platform/qt/Language.h"

namespace quillet {

TFrmSetPageHead::TFrmSetPageHead(const DialogContext& context, QWidget* parent)
    : TPageLinesDialog(context,
        { &TMyFormatRecord::Head, &TMyFormatRecord::HeadMultiLine, QTr("SetPageHead", "修改页头"),
            QTr("SetPageHead", "页头%1") },
        parent)
{
}

} // namespace quillet
