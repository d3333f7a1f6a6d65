#include "controls/AccessibleControls.h"

#include <QAccessibleValueInterface>
#include <QLineEdit>
#include <limits>

#include "controls/LumButton.h"
#include "controls/NumSpin.h"

namespace quillet {
namespace {

// The spin edit: an editable number held to a range. Its spin button is part
// of it, as the arrows of any spin box are, so it has no children.
class AccessibleSpinEdit : public QAccessibleWidget, public QAccessibleValueInterface, public LineEditText {
public:
    explicit AccessibleSpinEdit(TNumSpinEdit* edit)
        : QAccessibleWidget(edit, QAccessible::SpinBox)
        , LineEditText(*edit)
    {
    }
    TNumSpinEdit* Edit() const { return static_cast<TNumSpinEdit*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Edit()->text();
        return QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override
    {
        if (t == QAccessible::Value && !Edit()->isReadOnly())
            Edit()->setText(text);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !Edit()->isReadOnly();
        s.readOnly = Edit()->isReadOnly();
        return s;
    }

    // Equal bounds hold no range: the number is then free.
    QVariant currentValue() const override { return Edit()->Value(); }
    void setCurrentValue(const QVariant& value) override
    {
        if (!Edit()->isReadOnly())
            Edit()->SetValue(value.toDouble());
    }
    QVariant maximumValue() const override
    {
        return Bounded() ? Edit()->MaxValue() : std::numeric_limits<double>::max();
    }
    QVariant minimumValue() const override
    {
        return Bounded() ? Edit()->MinValue() : std::numeric_limits<double>::lowest();
    }
    QVariant minimumStepSize() const override { return Edit()->Increment(); }

private:
    bool Bounded() const { return Edit()->MinValue() != Edit()->MaxValue(); }
};

// The flat button: a push button that says its caption without the spaces
// that only widen it on the screen.
class AccessibleLumButton : public QAccessibleWidget {
public:
    explicit AccessibleLumButton(TLumButton* button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }
    TLumButton* Button() const { return static_cast<TLumButton*>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && Button()->accessibleName().isEmpty())
            return SpokenCaption(Button()->text());
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = Button()->isDown();
        s.defaultButton = Button()->DefaultStyle();
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList { pressAction() } + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction()) {
            if (Button()->isEnabled())
                Button()->click();
            return;
        }
        QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* ControlsFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String(TNumSpinEdit::staticMetaObject.className()))
        return new AccessibleSpinEdit(static_cast<TNumSpinEdit*>(object));
    if (key == QLatin1String(TLumButton::staticMetaObject.className()))
        return new AccessibleLumButton(static_cast<TLumButton*>(object));
    return nullptr;
}

bool IsCjk(QChar c)
{
    return c.unicode() >= 0x2E80;
}

} // namespace

void InstallAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(ControlsFactory);
        return true;
    }();
    (void)installed;
}

QString SpokenCaption(const QString& caption)
{
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        // "&&" shows one "&"; a single one marks the mnemonic.
        if (caption[i] == QLatin1Char('&') && ++i >= caption.size())
            break;
        plain += caption[i];
    }
    plain = plain.simplified();
    // A space between two Chinese characters only spreads the caption out.
    for (qsizetype i = plain.size() - 2; i > 0; --i) {
        if (plain[i] == QLatin1Char(' ') && IsCjk(plain[i - 1]) && IsCjk(plain[i + 1]))
            plain.remove(i, 1);
    }
    return plain;
}

// The edit box's text.

void LineEditText::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && edit_.hasSelectedText()) {
        *startOffset = edit_.selectionStart();
        *endOffset = edit_.selectionEnd();
    }
}

int LineEditText::selectionCount() const
{
    return edit_.hasSelectedText() ? 1 : 0;
}

void LineEditText::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void LineEditText::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        edit_.deselect();
}

void LineEditText::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        edit_.setSelection(startOffset, endOffset - startOffset);
}

int LineEditText::cursorPosition() const
{
    return edit_.cursorPosition();
}

void LineEditText::setCursorPosition(int position)
{
    edit_.setCursorPosition(position);
}

QString LineEditText::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return {};
    return edit_.text().mid(startOffset, endOffset - startOffset);
}

int LineEditText::characterCount() const
{
    return static_cast<int>(edit_.text().size());
}

QRect LineEditText::characterRect(int offset) const
{
    // The caret's place at the character and the one after it bound it.
    const QString text = edit_.text();
    if (offset < 0 || offset >= text.size())
        return {};
    const QFontMetrics metrics = edit_.fontMetrics();
    const QRect caret = edit_.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int x = caret.center().x() + metrics.horizontalAdvance(text.left(offset))
        - metrics.horizontalAdvance(text.left(edit_.cursorPosition()));
    const QRect local(x, caret.top(), metrics.horizontalAdvance(text.at(offset)), caret.height());
    return QRect(edit_.mapToGlobal(local.topLeft()), local.size());
}

int LineEditText::offsetAtPoint(const QPoint& point) const
{
    for (int i = 0; i < characterCount(); ++i) {
        if (characterRect(i).contains(point))
            return i;
    }
    return -1;
}

QString LineEditText::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = offset;
    return {};
}

} // namespace quillet
