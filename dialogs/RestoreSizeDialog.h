#pragma once
// The layout the two restore dialogs share: a list of the columns (or rows)
// merged into a neighbour, that is of width (or height) 0, and OK gives the
// chosen one back a standard size.
#include <QDialog>

#include "dialogs/DialogContext.h"

class QComboBox;
class QFrame;
class QLabel;

namespace quillet {

class TLumButton;

class TRestoreSizeDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 267;
    static constexpr int kClientHeight = 100;

    // Set by OK, also when nothing was hidden; the caller redraws the page.
    bool Confirmed = false;

    QFrame* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    TLumButton* LumButton1 = nullptr;
    TLumButton* LumButton2 = nullptr;

    void FormShow();
    void LumButton1Click();
    void LumButton2Click();

protected:
    using Sizes = std::array<std::uint8_t, kMaxCols + 1>;
    struct Fields {
        Sizes TMyFormatRecord::*sizes;
        int (TMyFormatRecord::*count)() const;
        QString caption;
        QString label;
        QString entry; // "第%1列" or "第%1行"
        std::uint8_t restoredSize; // mm
    };
    static_assert(kMaxCols == kMaxRows, "column widths and row heights share one array type");

    TRestoreSizeDialog(const DialogContext& context, const Fields& fields, QWidget* parent);

    QComboBox* List() const { return list_; }

private:
    DialogContext context_;
    Fields fields_;
    QComboBox* list_ = nullptr;
};

} // namespace quillet
