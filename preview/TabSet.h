#pragma once
// TTabSet: the row of page tabs under the page. A report may have hundreds
// of millions of pages, so the row keeps no tab of its own: it asks for the
// labels of the tabs in view when it measures or paints them. Arrow buttons at
// the right scroll the row when it is longer than the window. Tab reaches the
// row from the keyboard; Left, Right, Home and End then choose the tab before,
// after, the first and the last, as a click on it would.
#include <QStringList>
#include <QWidget>
#include <functional>

#include "preview/WheelSteps.h"

class QToolButton;

namespace quillet {

class TTabSet : public QWidget {
    Q_OBJECT
public:
    explicit TTabSet(QWidget* parent = nullptr);

    // The label of tab `index` (from 0), made when it is needed.
    using LabelSource = std::function<QString(int index)>;

    // Replaces every tab; the selection is cleared.
    void SetTabs(const QStringList& labels);
    // Replaces every tab by `count` tabs labelled by `label`; the selection is cleared.
    void SetTabs(int count, LabelSource label);
    int count() const { return count_; }
    QString tabText(int index) const;
    int currentIndex() const { return current_; }
    // Selects a tab (no signal) and scrolls it into view.
    void setCurrentIndex(int index);
    // Where tab `index` is drawn now; empty when it is scrolled out of view.
    QRect tabRect(int index) const;
    int tabAt(const QPoint& pos) const;
    int FirstVisible() const { return first_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A tab was clicked with the left button (the current one too), or
    // chosen with a key.
    void tabBarClicked(int index);
    // Another tab became the current one (-1: none).
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int TabWidth(int index) const;
    int RowWidth() const; // room for tabs, left of the scroll buttons
    int LastFullyVisible() const;
    void ScrollTo(int first);
    void MakeVisible(int index);
    void UpdateButtons();

    int count_ = 0;
    LabelSource label_;
    int current_ = -1;
    int first_ = 0;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    WheelSteps wheel_;
};

} // namespace quillet
