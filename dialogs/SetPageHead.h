#pragma once
// The page head dialog "修改页头": the three texts printed above the
// table on every page, their alignments, and whether they are laid out on
// several lines.
#include "dialogs/PageLinesDialog.h"

namespace quillet {

class TFrmSetPageHead : public TPageLinesDialog {
    Q_OBJECT
public:
    explicit TFrmSetPageHead(const DialogContext& context, QWidget* parent = nullptr);
};

} // namespace quillet
