#pragma once
// The numeric edit box with a spin button: a number kept in the text of a
// single-line edit box, stepped with the diagonal spin button (or a standard
// up-down button) and the Up and Down keys, and held to a range.
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

namespace quillet {

enum class TNumValueType { Integer, Float, Hex };
enum class TNumSpinButtonKind { Diagonal, Standard };

// What a spin button's press aims at.
enum class TSpinHalf { None, Up, Down };

// Press, capture and auto-repeat shared by both spin buttons: a press steps
// once at once, again after the first delay while still held, then at the
// repeat interval; the press shows only while the mouse stays on the pressed
// half, and steps happen only then.
class TSpinButtonBase : public QWidget {
    Q_OBJECT
public:
    explicit TSpinButtonBase(QWidget* parent = nullptr);
    ~TSpinButtonBase() override;

    static constexpr int kFirstRepeatMs = 400;
    static constexpr int kRepeatMs = 100;
    // Tests shorten the cadence.
    void SetRepeatIntervals(int firstMs, int repeatMs);
    int FirstRepeatInterval() const { return firstRepeatMs_; }
    int RepeatInterval() const { return repeatMs_; }

    // The half under a point of the button.
    virtual TSpinHalf HalfAt(const QPoint& pos) const = 0;
    // The half held down with the mouse (None when nothing is held).
    TSpinHalf HeldHalf() const { return held_; }
    // The half drawn pressed: the held half while the mouse is over it.
    TSpinHalf PressedHalf() const { return shownPressed_ ? held_ : TSpinHalf::None; }
    bool Repeating() const { return repeat_.isActive(); }
    // The wait before the next repeat: the first delay, then the interval.
    int CurrentRepeatWait() const { return repeat_.interval(); }

    // Widget that takes the focus on a press (the edit box).
    void SetFocusTarget(QWidget* target) { focusTarget_ = target; }

signals:
    void UpClick();
    void DownClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    // The pressed look changed.
    virtual void PressedChanged() { update(); }

private:
    void Fire();
    void RepeatTick();
    void Stop();

    QTimer repeat_;
    int firstRepeatMs_ = kFirstRepeatMs;
    int repeatMs_ = kRepeatMs;
    TSpinHalf held_ = TSpinHalf::None;
    bool shownPressed_ = false;
    QWidget* focusTarget_ = nullptr;
};

// The diagonal spin button: a square face split by the diagonal from the
// lower-left to the upper-right corner; the upper half steps up, the lower
// half down.
class TNumSpinButton : public TSpinButtonBase {
    Q_OBJECT
public:
    explicit TNumSpinButton(QWidget* parent = nullptr);

    TSpinHalf HalfAt(const QPoint& pos) const override;

    // The prepared picture for a pressed state, as it is drawn.
    const QImage& Picture(TSpinHalf pressed) const;
    // Top-left corners of the glyphs in the picture for a pressed state.
    QPoint UpGlyphPos(TSpinHalf pressed) const;
    QPoint DownGlyphPos() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PreparePictures() const;
    QImage DrawPicture(TSpinHalf pressed) const;

    QImage upGlyph_;
    QImage downGlyph_;
    // Prepared for the size and enabled state they were drawn at.
    mutable QImage pictures_[3];
    mutable QSize picturesSize_;
    mutable bool picturesEnabled_ = true;
};

// The standard up-down button: two arrow buttons stacked, upper one up.
class TNumUpDown : public TSpinButtonBase {
    Q_OBJECT
public:
    explicit TNumUpDown(QWidget* parent = nullptr);

    TSpinHalf HalfAt(const QPoint& pos) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TNumSpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumSpinEdit(QWidget* parent = nullptr);

    // Reading converts the text; a text that is no number reads MinValue.
    // Setting applies the range and writes the text.
    double Value() const;
    void SetValue(double value);
    double MinValue() const { return minValue_; }
    void SetMinValue(double value);
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double value);
    double Increment() const { return increment_; }
    void SetIncrement(double value) { increment_ = value; }
    TNumValueType ValueType() const { return valueType_; }
    void SetValueType(TNumValueType type);
    int Decimal() const { return decimal_; }
    void SetDecimal(int decimals);
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool enabled) { editorEnabled_ = enabled; }
    TNumSpinButtonKind ButtonKind() const { return buttonKind_; }
    void SetButtonKind(TNumSpinButtonKind kind);
    bool ArrowKeys() const { return arrowKeys_; }
    void SetArrowKeys(bool on) { arrowKeys_ = on; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }
    // Value with the fraction cut off toward zero.
    long long AsInteger() const;

    // A value held to the range (unchanged when the bounds are equal).
    double CheckValue(double value) const;
    // Spin by one Increment; beeps when the box is read-only.
    void StepUp();
    void StepDown();

    // The spin button in use (diagonal or standard).
    TSpinButtonBase* Button() const { return button_; }

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool IsValidChar(QChar c) const;
    bool IsValidText(const QString& text) const;
    QString FormatValue(double value) const;
    void Step(double delta);
    void CreateButton();
    void PlaceButton();

    double minValue_ = 0;
    double maxValue_ = 0;
    double increment_ = 1.0;
    TNumValueType valueType_ = TNumValueType::Integer;
    int decimal_ = 2;
    bool editorEnabled_ = true;
    TNumSpinButtonKind buttonKind_ = TNumSpinButtonKind::Diagonal;
    bool arrowKeys_ = true;
    bool autoSelect_ = true;
    TSpinButtonBase* button_ = nullptr;
};

} // namespace quillet
