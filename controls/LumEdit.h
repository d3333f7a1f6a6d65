#pragma once
// The flat single-line edit box of the dialogs: a 3-pixel border of its own
// with a plain and a hot look, as tall as its font's text plus 6 pixels.
#include <QLineEdit>

namespace quillet {

class TLumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TLumEdit(QWidget* parent = nullptr);
    ~TLumEdit() override;

    static constexpr int kBorder = 3;

    // The mouse is over the box.
    bool Hover() const { return hover_; }
    // The border shows the hot look: the box has the focus, or the mouse is
    // over it and no other flat edit box has the focus.
    bool Hot() const;

    // Refuses, with the beep, every character GBK cannot hold as it is typed,
    // pasted or dropped, so the box only ever shows what a layout can store.
    void SetGbkOnly(bool on);
    bool GbkOnly() const { return gbkOnly_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int TextHeight() const;
    void FollowFont();
    void FollowEnabled();

    bool hover_ = false;
    bool gbkOnly_ = false;
    QMetaObject::Connection focusWatch_;
    QMetaObject::Connection rejectBeep_;
};

} // namespace quillet
