// Test entry for tests that need a Qt application (offscreen, set by the test
// environment), with the program's font substitutions installed.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/qt/FontSubstitutions.h"

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    quillet::InstallFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
