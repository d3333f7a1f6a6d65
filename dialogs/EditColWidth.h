#pragma once
// The restore column width dialog "恢复列宽": a column merged into its neighbour gets back a width of 10 mm.
#include "dialogs/RestoreSizeDialog.h"

namespace quillet {

class TFrmEditColWidth : public TRestoreSizeDialog {
    Q_OBJECT
public:
    explicit TFrmEditColWidth(const DialogContext& context, QWidget* parent = nullptr);

    static constexpr std::uint8_t kRestoredSize = 10; // mm

    QComboBox* ComboBoxCol = nullptr;
};

} // namespace quillet
