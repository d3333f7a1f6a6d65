#include "dialogs/SetTitle.h"

#include "platform/qt/Language.h"

namespace quillet {

TFrmSetTitle::TFrmSetTitle(const DialogContext& context, QWidget* parent)
    : TTextLineDialog(context,
        { &TMyFormatRecord::Title, &TMyFormatRecord::TitleLine, QTr("SetTitle", "修改标题"),
            QTr("SetTitle", "标题："), QTr("SetTitle", "请输入标题") },
        parent)
{
    Edit_Title = TextEdit();
}

} // namespace quillet
