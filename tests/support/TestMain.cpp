// The main() of every test executable: a QApplication (offscreen unless a display is asked for) so
// that widget tests can drive real windows, and the messages of the program recorded, never shown.
#include "app/Application.h"
#include "support/MessageRecorder.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    InstrelApplication::prepare(); // as the program does, so that skins behave the same in tests
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    MessageRecorder recorder; // a box no test expected must never block a run
    return RUN_ALL_TESTS();
}
