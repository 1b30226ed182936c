#pragma once
// The main of every GUI test program: real windows on Qt's offscreen platform at a fixed 96 DPI,
// and a question that no test script answers fails the test instead of waiting for a click.

#include "support/QuestionTestSupport.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

template <class RegisterClasses> int RunGuiTests(int argc, char** argv, RegisterClasses Register) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    setenv("MORVANE_SCRIPTED_QUESTIONS", "1", 1);
    QApplication App(argc, argv);
    Register();
    FailTestsOnUnscriptedQuestions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
