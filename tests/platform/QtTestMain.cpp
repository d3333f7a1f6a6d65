// Runs the Qt platform tests inside a headless QApplication with the font
// substitutions the program installs at start.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/qt/FontSubstitutions.h"

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quillet::InstallFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
