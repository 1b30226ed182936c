#include "platform/base/Idle.h"

#include <gtest/gtest.h>

#include <string>

TEST(IdleHandlers, RunOncePerRoundInOrderAndMayChangeTheList) {
    std::string Log;
    TIdleHandlerId Late = 0, Second = 0;
    const TIdleHandlerId First = AddIdleHandler([&] {
        Log += "a";
        // Added while the round runs: waits for the next round.
        if (!Late) Late = AddIdleHandler([&] { Log += "c"; });
        // Removed before its turn: does not run in this round.
        RemoveIdleHandler(Second);
    });
    Second = AddIdleHandler([&] { Log += "b"; });
    RunIdleHandlers();
    EXPECT_EQ(Log, "a");
    RunIdleHandlers();
    EXPECT_EQ(Log, "aac");
    RemoveIdleHandler(First);
    RemoveIdleHandler(Late);
    RunIdleHandlers();
    EXPECT_EQ(Log, "aac");
    // A handler that removes itself runs this once and never again.
    TIdleHandlerId Self = 0;
    Self = AddIdleHandler([&] {
        Log += "s";
        RemoveIdleHandler(Self);
    });
    RunIdleHandlers();
    RunIdleHandlers();
    EXPECT_EQ(Log, "aacs");
}
