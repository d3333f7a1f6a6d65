#pragma once
// The restore row height dialog "恢复行高": a row merged into its neighbour gets back a height of 5 mm.
#include "dialogs/RestoreSizeDialog.h"

namespace quillet {

class TFrmEditRowHeight : public TRestoreSizeDialog {
    Q_OBJECT
public:
    explicit TFrmEditRowHeight(const DialogContext& context, QWidget* parent = nullptr);

    static constexpr std::uint8_t kRestoredSize = 5; // mm

    QComboBox* ComboBoxRow = nullptr;
};

} // namespace quillet
