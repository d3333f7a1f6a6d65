#pragma once
// The page selection dialog "选择指定页": jump to a page chosen from the list
// of the engine's pages or typed by its number.
#include <QDialog>

#include "dialogs/DialogContext.h"
#include "dialogs/PageList.h"

class QLabel;

namespace quillet {

class TLumButton;

class TFrmSelectPage : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSelectPage(const DialogContext& context, QWidget* parent = nullptr);

    static constexpr int kClientWidth = 225;
    static constexpr int kClientHeight = 92;

    // The user picked an entry of the list or typed and did not cancel: the caller
    // redraws the page only then.
    bool Changed = false;
    // Set by OK.
    bool Confirmed = false;

    QLabel* Label1 = nullptr; // "选择页号："
    TPageList* ComboBox1 = nullptr;
    TLumButton* LumButton1 = nullptr;
    TLumButton* LumButton2 = nullptr;

    void FormShow();
    void ComboBox1Change();
    void LumButton1Click();
    void LumButton2Click();

private:
    DialogContext context_;
};

} // namespace quillet
