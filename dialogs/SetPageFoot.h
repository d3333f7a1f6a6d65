#pragma once
// The page foot dialog "修改页尾": the three texts printed below the
// table on every page, their alignments, and whether they are laid out on
// several lines.
#include "dialogs/PageLinesDialog.h"

namespace quillet {

class TFrmSetPageFoot : public TPageLinesDialog {
    Q_OBJECT
public:
    explicit TFrmSetPageFoot(const DialogContext& context, QWidget* parent = nullptr);
};

} // namespace quillet
