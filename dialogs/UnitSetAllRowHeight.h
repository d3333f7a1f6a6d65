#pragma once
// The uniform row height dialog "设置统一行高": one height from 2 to 50 mm for
// every row of the table block, hidden rows included.
#include <QDialog>

#include "dialogs/DialogContext.h"

class QFrame;
class QLabel;

namespace quillet {

class TLumButton;
class TLumEdit;

class TFrmSetAllRowHeight : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSetAllRowHeight(const DialogContext& context, QWidget* parent = nullptr);

    static constexpr int kClientWidth = 250;
    static constexpr int kClientHeight = 102;
    static constexpr int kMinHeight = 2;
    static constexpr int kMaxHeight = 50;

    // Set by OK; the caller redraws the page when it is on.
    bool Confirmed = false;

    QFrame* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr; // "行高："
    TLumEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr; // "2...50毫米"
    TLumButton* LumButton1 = nullptr;
    TLumButton* LumButton2 = nullptr;

    void FormCreate() { Confirmed = false; }
    // Only digits may be typed; true when the key is to be discarded.
    bool Edit1KeyPress(const QKeyEvent& key) const;
    void LumButton1Click();
    void LumButton2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    DialogContext context_;
};

} // namespace quillet
