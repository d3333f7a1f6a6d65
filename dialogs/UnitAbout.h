#pragma once
// The about box "关于": a borderless picture with the subtitle, the version
// and a link to the product's home page. A click anywhere but on the link closes it.
#include <QDialog>

class QLabel;

namespace quillet {

class Shell;

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAbout(Shell& shell, QWidget* parent = nullptr);

    static constexpr int kClientWidth = 500;
    static constexpr int kClientHeight = 220;

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr; // the version
    QLabel* Label2 = nullptr; // the subtitle "报表打印预览"
    QLabel* Label4 = nullptr; // the home-page link

    // The link's colours: off it and under the mouse.
    static QColor LinkColor();
    static QColor HotLinkColor();
    QColor CurrentLinkColor() const;

    void FormClick();
    void Label4Click();
    void Label4MouseMove();
    void Image1MouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetLinkColor(const QColor& color);

    Shell& shell_;
};

} // namespace quillet
