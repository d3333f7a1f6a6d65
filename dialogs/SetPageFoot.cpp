#include "dialogs/SetPageFoot.h"

namespace quillet {

TFrmSetPageFoot::TFrmSetPageFoot(const DialogContext& context, QWidget* parent)
    : TPageLinesDialog(context,
        { &TMyFormatRecord::Foot, &TMyFormatRecord::FootMultiLine, QStringLiteral("修改页尾"),
            QStringLiteral("页尾") },
        parent)
{
}

} // namespace quillet
