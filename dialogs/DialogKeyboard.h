#pragma once
// Using a dialog from the keyboard alone and hearing it: Tab and Shift+Tab go
// through the controls in reading order (lines from top to bottom, each from
// left to right; a tab page's controls after its tab row), and each input
// control is named after the caption at its left or above it, which also
// becomes its buddy.
#include <QList>

class QDialog;
class QWidget;

namespace quillet {

// Arranges an open or about to open dialog; ApplyDialogFrame has this done
// on the dialog's first opening.
void ArrangeDialogForKeyboard(QDialog& dialog);

// The dialog's controls that Tab can reach, in reading order; hidden and
// disabled ones included, as the Tab order holds them all.
QList<QWidget*> ReadingOrder(QDialog& dialog);

} // namespace quillet
