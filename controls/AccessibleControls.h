#pragma once
// What the hand-drawn controls tell a screen reader: the spin edit as a spin
// box with its value and range, the flat button as a push button named by its
// caption as it is spoken. The other controls are covered by Qt's own
// descriptions of their base classes once they have a name.
#include <QAccessibleTextInterface>
#include <QAccessibleWidget>
#include <QString>

class QLineEdit;

namespace quillet {

// Makes the controls' descriptions known to Qt's accessibility; once is
// enough, further calls do nothing.
void InstallAccessibleControls();

// A caption as a screen reader should say it: the mnemonic marks gone and
// the spaces that only stretch a Chinese caption ("确  定") left out.
QString SpokenCaption(const QString& caption);

// The text of a single-line edit box for a screen reader: caret, selection
// and character places as the box shows them. Read-only here; typing goes
// through the keyboard as for any edit box.
class LineEditText : public QAccessibleTextInterface {
public:
    explicit LineEditText(QLineEdit& edit)
        : edit_(edit)
    {
    }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override { }
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    QLineEdit& edit_;
};

} // namespace quillet
