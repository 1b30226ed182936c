#pragma once
// Questions in the GUI test program: one that no script answers fails the running test, even
// when the exception it raises is caught on the way.

#include "platform/base/Strings.h"
#include "platform/gui/Questions.h"

#include <gtest/gtest.h>

inline void FailTestsOnUnscriptedQuestions() {
    SetUnscriptedQuestionHandler([](const String& Message) { ADD_FAILURE() << StringToUtf8(Message); });
}

// For a test about unscripted questions: counts them instead of failing.
class TExpectUnscripted {
public:
    TExpectUnscripted() {
        SetUnscriptedQuestionHandler([this](const String&) { ++FCount; });
    }
    ~TExpectUnscripted() { FailTestsOnUnscriptedQuestions(); }
    TExpectUnscripted(const TExpectUnscripted&) = delete;
    TExpectUnscripted& operator=(const TExpectUnscripted&) = delete;
    int Count() const { return FCount; }

private:
    int FCount = 0;
};
