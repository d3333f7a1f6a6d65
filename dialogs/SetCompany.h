#pragma once
// The company dialog "修改公司": the company line, its alignment and its rule.
// The company name is locked against casual editing: its box opens disabled,
// and holding Ctrl while double-clicking "公司：" unlocks it (and locks it
// again).
#include <Qt>

#include "dialogs/TextLineDialog.h"

namespace quillet {

class TFrmSetCompany : public TTextLineDialog {
    Q_OBJECT
public:
    explicit TFrmSetCompany(const DialogContext& context, QWidget* parent = nullptr);

    TLumEdit* Edit_Company = nullptr;

    // The gesture is armed: Ctrl went down with no other modifier.
    bool Unlock() const { return unlock_; }

    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp();
    void Label1DblClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool unlock_ = false;
};

} // namespace quillet
