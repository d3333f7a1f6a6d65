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
    QMetaObject::Connection focusWatch_;
};

} // namespace quillet
