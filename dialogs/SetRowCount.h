#pragma once
// The rows-per-block dialog "修改打印行数": how many rows one table block has,
// heading rows included, from one data row more than the heading rows up to
// the 500 rows the layout holds.
#include <QDialog>

#include "dialogs/DialogContext.h"

class QFrame;
class QLabel;

namespace quillet {

class TLumButton;
class TNumSpinEdit;

class TFrmSetRowCount : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSetRowCount(const DialogContext& context, QWidget* parent = nullptr);

    static constexpr int kClientWidth = 234;
    static constexpr int kClientHeight = 99;

    // Set by OK; the caller repaginates when it is on.
    bool Confirmed = false;

    QFrame* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr; // "打印行数："
    TNumSpinEdit* NumSpinEditRow = nullptr;
    QLabel* Label_Range = nullptr;
    TLumButton* LumButton1 = nullptr;
    TLumButton* LumButton2 = nullptr;

    // The fewest rows a block may have: the heading rows and one data row.
    int LowerBound() const;

    void FormCreate() { Confirmed = false; }
    void FormShow();
    void LumButton1Click();
    void LumButton2Click();

private:
    DialogContext context_;
};

} // namespace quillet
