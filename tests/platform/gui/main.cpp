// GUI tests run real windows on Qt's offscreen platform at a fixed 96 DPI.
#include "QuestionTestSupport.h"
#include "platform/gui/Gui.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    // A question no test script answers fails instead of waiting for a click.
    setenv("MORVANE_SCRIPTED_QUESTIONS", "1", 1);
    QApplication App(argc, argv);
    RegisterPlatformGuiClasses();
    FailTestsOnUnscriptedQuestions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
