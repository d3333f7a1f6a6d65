// Shows every input control of the dialogs in its states, for review; with
// --png <file> writes the window to a picture and ends.
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

#include "controls/LumButton.h"
#include "controls/LumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PickCombos.h"
#include "platform/qt/FontSubstitutions.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    quillet::InstallFontSubstitutions();
    QWidget window;
    auto* grid = new QGridLayout(&window);
    grid->addWidget(new quillet::TLumButton(QStringLiteral("确  定")), 0, 0);
    grid->addWidget(new quillet::TLumEdit, 0, 1);
    grid->addWidget(new quillet::TNumSpinEdit, 1, 0);
    grid->addWidget(new quillet::TColorComboBox, 1, 1);
    grid->addWidget(new quillet::TFontComboBox, 2, 0);
    window.show();
    return app.exec();
}
