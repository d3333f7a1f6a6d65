#pragma once
// The flat push button of the dialogs ("确  定", "取  消"): a thin raised edge
// that turns into a full raised edge while the mouse is over it, a frame when
// it is the default or has the focus, and an embossed caption when disabled.
#include <QPointer>
#include <QPushButton>

namespace quillet {

class TLumButton : public QPushButton {
    Q_OBJECT
public:
    explicit TLumButton(QWidget* parent = nullptr);
    TLumButton(const QString& caption, QWidget* parent = nullptr);
    ~TLumButton() override;

    // Esc in the button's window clicks it.
    void SetCancel(bool cancel);
    bool Cancel() const { return cancel_; }

    // The mouse lies over the button (as last painted or tracked).
    bool Hot() const { return hot_; }
    // The button currently acts as its dialog's default button.
    bool DefaultStyle() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void WatchWindow();

    bool hot_ = false;
    bool cancel_ = false;
    QPointer<QObject> watchedWindow_;
};

} // namespace quillet
