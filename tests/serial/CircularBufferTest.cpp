// The byte ring: wrapping, refusals that leave it unchanged, and direct writes into its free area.

#include "serial/SerCircularBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string ReadAll(TSerCircularBuffer& B) {
    std::string S(static_cast<std::size_t>(B.BufUsed()), '\0');
    if (!S.empty()) {
        EXPECT_TRUE(B.Read(S.data(), static_cast<int>(S.size())));
    }
    return S;
}

struct TState {
    int Used, Free, LinearUsed, LinearFree;
    bool Full;
};

void ExpectState(const TSerCircularBuffer& B, const TState& S) {
    EXPECT_EQ(B.BufUsed(), S.Used);
    EXPECT_EQ(B.BufFree(), S.Free);
    EXPECT_EQ(B.BufLinearUsed(), S.LinearUsed);
    EXPECT_EQ(B.BufLinearFree(), S.LinearFree);
    EXPECT_EQ(B.Full(), S.Full);
}

} // namespace

TEST(CircularBuffer, FillsToItsSizeAndRefusesOneMore) {
    TSerCircularBuffer B(8);
    ExpectState(B, {0, 8, 0, 8, false});
    ASSERT_TRUE(B.Write("01234567", 8));
    ExpectState(B, {8, 0, 8, 0, true});
    EXPECT_FALSE(B.Write("x", 1));
    EXPECT_EQ(ReadAll(B), "01234567");
    ExpectState(B, {0, 8, 0, 8, false}); // empty at the end: all of it is free in one piece
}

TEST(CircularBuffer, WrappedDataComesBackInWriteOrder) {
    TSerCircularBuffer B(8);
    char Four[4];
    ASSERT_TRUE(B.Write("abcdef", 6));
    ASSERT_TRUE(B.Read(Four, 4));
    EXPECT_EQ(std::string(Four, 4), "abcd");
    ASSERT_TRUE(B.Write("ghijk", 5));
    ExpectState(B, {7, 1, 4, 1, false});
    Byte C = 0;
    EXPECT_TRUE(B.PeekChar(5, C));
    EXPECT_EQ(C, 'i'); // past the wrap
    char Seven[7];
    ASSERT_TRUE(B.Peek(Seven, 7));
    EXPECT_EQ(std::string(Seven, 7), "efghijk");
    EXPECT_EQ(ReadAll(B), "efghijk");
}

TEST(CircularBuffer, RefusalsChangeNothing) {
    TSerCircularBuffer B(8);
    ASSERT_TRUE(B.Write("abc", 3));
    char Buf[16] = {};
    struct TCase {
        const char* What;
        bool Result;
    } Cases[] = {
        {"write 0", B.Write("x", 0)}, {"write -1", B.Write("x", -1)}, {"write 6", B.Write(Buf, 6)},
        {"peek 0", B.Peek(Buf, 0)},   {"peek -3", B.Peek(Buf, -3)},   {"peek 4", B.Peek(Buf, 4)},
        {"read 4", B.Read(Buf, 4)},   {"read -1", B.Read(Buf, -1)},   {"remove 4", B.Remove(4)},
        {"remove -1", B.Remove(-1)},  {"poke 0", B.LinearPoke(0)},    {"poke -2", B.LinearPoke(-2)},
        {"poke 6", B.LinearPoke(6)},
    };
    for (const TCase& C : Cases)
        EXPECT_FALSE(C.Result) << C.What;
    EXPECT_TRUE(B.Remove(0));
    Byte Value = 0xFF;
    for (int Index : {0, -1, 4}) {
        EXPECT_FALSE(B.PeekChar(Index, Value)) << Index;
        EXPECT_EQ(Value, 0) << Index;
    }
    EXPECT_EQ(ReadAll(B), "abc");
}

TEST(CircularBuffer, DirectWritesIntoTheFreeAreaAreKept) {
    TSerCircularBuffer B(8);
    ASSERT_TRUE(B.Write("abcdef", 6));
    ASSERT_TRUE(B.Remove(5));
    ASSERT_EQ(B.BufLinearFree(), 2); // up to the end of the storage
    std::memcpy(B.EndPtr(), "gh", 2);
    ASSERT_TRUE(B.LinearPoke(2));
    ASSERT_EQ(B.BufLinearFree(), 5); // the rest lies before the oldest byte
    ASSERT_EQ(B.EndPtr(), *B.StartBufPtr()); // at the start of the storage
    std::memcpy(B.EndPtr(), "ijklm", 5);
    ASSERT_TRUE(B.LinearPoke(5));
    EXPECT_TRUE(B.Full());
    EXPECT_EQ(ReadAll(B), "fghijklm");
}
