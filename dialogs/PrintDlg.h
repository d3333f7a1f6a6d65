#pragma once
// The print dialog "打印...": prints all pages, the current page, or a range
// of pages chosen from two page lists (or typed), through the page engine.
#include <QDialog>

#include "dialogs/DialogContext.h"
#include "dialogs/PageList.h"

class QLabel;
class QRadioButton;

namespace quillet {

class TLumButton;

class TFrmPrintDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFrmPrintDlg(const DialogContext& context, QWidget* parent = nullptr);

    static constexpr int kClientWidth = 371;
    static constexpr int kClientHeight = 132;

    // Set by OK after printing; the caller has nothing to do either way.
    bool Confirmed = false;

    QRadioButton* RadioButton1 = nullptr; // all pages
    QRadioButton* RadioButton2 = nullptr; // current page
    QRadioButton* RadioButton3 = nullptr; // page range
    QLabel* Label1 = nullptr; // "从"
    TPageList* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr; // "到"
    TPageList* ComboBox2 = nullptr;
    TLumButton* LumButton1 = nullptr;
    TLumButton* LumButton2 = nullptr;

    // The pages OK prints, first and last; first > last when there is none.
    std::pair<int, int> ChosenPages() const;

    void FormCreate();
    void RadioButton3Click();
    void LumButton1Click();
    void LumButton2Click();

private:
    DialogContext context_;
};

} // namespace quillet
