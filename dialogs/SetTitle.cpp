#include "dialogs/SetTitle.h"

namespace quillet {

TFrmSetTitle::TFrmSetTitle(const DialogContext& context, QWidget* parent)
    : TTextLineDialog(context,
        { &TMyFormatRecord::Title, &TMyFormatRecord::TitleLine, QStringLiteral("修改标题"),
            QStringLiteral("标题："), QStringLiteral("请输入标题") },
        parent)
{
    Edit_Title = TextEdit();
}

} // namespace quillet
