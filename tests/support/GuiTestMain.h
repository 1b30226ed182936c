#pragma once
// The main of every test program with windows: the environment of TestMain.h, real windows on
// Qt's offscreen platform at a fixed 96 DPI, the application object, and a question that no
// test script answers fails the test instead of waiting for a click. A test that needs a real X
// server starts this program again in a child with MORVANE_TEST_QPA_PLATFORM set to "xcb" (and
// DISPLAY naming the server it started).

#include "support/QuestionTestSupport.h"
#include "support/TestMain.h"

#include "platform/gui/Forms.h"
#include "platform/gui/SynthInput.h"

#include <cstdlib>

// Every test starts with no key and no mouse button held, whatever the one before it left down
// (a test's made-up key press carries its modifiers but no release of them).
class TReleaseHeldKeys : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (Word Key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON})
            SetKeyState(Key, false);
    }
};

template <class RegisterClasses> int RunGuiTests(int argc, char** argv, RegisterClasses Register) {
    TTestEnvironment Environment;
    const char* Platform = std::getenv("MORVANE_TEST_QPA_PLATFORM");
    setenv("QT_QPA_PLATFORM", Platform && *Platform ? Platform : "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    setenv("MORVANE_SCRIPTED_QUESTIONS", "1", 1);
    Application->Initialize();
    Register();
    FailTestsOnUnscriptedQuestions();
    ::testing::InitGoogleTest(&argc, argv);
    KeepShardsInThisProcess();
    ::testing::UnitTest::GetInstance()->listeners().Append(new TReleaseHeldKeys);
    const int Result = RUN_ALL_TESTS();
    DoneApplication();
    return Result;
}
