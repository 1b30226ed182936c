#include "platform/base/ScopeGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

struct TBracketed {
    int Depth = 0;
    int Ends = 0;
    bool RaiseOnEnd = false;
    void BeginUpdate() { ++Depth; }
    void EndUpdate() {
        --Depth;
        ++Ends;
        if (RaiseOnEnd) throw std::runtime_error("end");
    }
};

} // namespace

TEST(ScopeGuard, RunsOnNormalExitAndOnException) {
    int Runs = 0;
    { TScopeExit Guard([&] { ++Runs; }); }
    EXPECT_EQ(Runs, 1);
    try {
        TScopeExit Guard([&] { ++Runs; });
        throw std::runtime_error("first");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(Runs, 2);
}

TEST(ScopeGuard, ReleasedGuardDoesNothing) {
    int Runs = 0;
    {
        TScopeExit Guard([&] { ++Runs; });
        Guard.Release();
    }
    EXPECT_EQ(Runs, 0);
}

TEST(ScopeGuard, CleanupErrorDuringUnwindKeepsTheFirstException) {
    std::string Caught;
    try {
        TScopeExit Guard([] { throw std::runtime_error("second"); });
        throw std::runtime_error("first");
    } catch (const std::runtime_error& E) {
        Caught = E.what();
    }
    EXPECT_EQ(Caught, "first");
}

TEST(ScopeGuard, CleanupErrorOnNormalExitPropagates) {
    EXPECT_THROW({ TScopeExit Guard([] { throw std::runtime_error("cleanup"); }); }, std::runtime_error);
}

TEST(ScopeGuard, FlagAndValueScopesRestore) {
    bool Flag = false;
    std::string State = "idle";
    try {
        TFlagScope Busy(Flag);
        TValueScope Keep(State, std::string("reading"));
        EXPECT_TRUE(Flag);
        EXPECT_EQ(State, "reading");
        throw 1;
    } catch (int) {
    }
    EXPECT_FALSE(Flag);
    EXPECT_EQ(State, "idle");
}

TEST(ScopeGuard, UpdateBracketPairsBeginAndEnd) {
    TBracketed Object;
    {
        TUpdateBracket Outer(Object);
        TUpdateBracket Inner(Object);
        EXPECT_EQ(Object.Depth, 2);
    }
    EXPECT_EQ(Object.Depth, 0);
    Object.RaiseOnEnd = true;
    try {
        TUpdateBracket Bracket(Object);
        throw std::logic_error("work failed");
    } catch (const std::logic_error& E) {
        EXPECT_STREQ(E.what(), "work failed");
    }
    EXPECT_EQ(Object.Depth, 0);
    EXPECT_THROW({ TUpdateBracket Bracket(Object); }, std::runtime_error);
}
