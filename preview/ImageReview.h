#pragma once
// Image_Review: the page image of the preview. It shows its picture at its
// top-left corner; the part of the control outside the picture lets the grey
// scroll area show through.
#include <QImage>
#include <QWidget>
#include <functional>

namespace quillet {

class TImageReview : public QWidget {
    Q_OBJECT
public:
    using PictureSource = std::function<const QImage*()>;
    explicit TImageReview(PictureSource picture, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureSource picture_;
};

} // namespace quillet
