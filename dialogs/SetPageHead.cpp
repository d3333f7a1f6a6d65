#include "dialogs/SetPageHead.h"

namespace quillet {

TFrmSetPageHead::TFrmSetPageHead(const DialogContext& context, QWidget* parent)
    : TPageLinesDialog(context,
        { &TMyFormatRecord::Head, &TMyFormatRecord::HeadMultiLine, QStringLiteral("修改页头"),
            QStringLiteral("页头") },
        parent)
{
}

} // namespace quillet
