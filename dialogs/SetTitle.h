#pragma once
// The title dialog "修改标题": the report's title, its alignment and the rule
// drawn with it.
#include "dialogs/TextLineDialog.h"

namespace quillet {

class TFrmSetTitle : public TTextLineDialog {
    Q_OBJECT
public:
    explicit TFrmSetTitle(const DialogContext& context, QWidget* parent = nullptr);

    TLumEdit* Edit_Title = nullptr;
};

} // namespace quillet
