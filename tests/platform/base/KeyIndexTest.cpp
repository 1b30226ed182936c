#include "platform/base/KeyIndex.h"

#include "platform/base/Strings.h"

#include <gtest/gtest.h>

#include <map>

TEST(KeyIndex, FirstPositionOfAKeyIsKept) {
    TKeyIndex Index;
    EXPECT_FALSE(Index.Find(u"a"));
    EXPECT_TRUE(Index.Add(u"a", 3));
    EXPECT_FALSE(Index.Add(u"a", 9)); // a duplicate keeps the first
    EXPECT_TRUE(Index.Add(u"", 4));   // the empty key is a key like any other
    EXPECT_TRUE(Index.Add(u"A", 5));  // keys compare exactly; callers fold them first
    struct Case {
        const Char* Key;
        std::optional<size_t> Position;
    } Cases[] = {{u"a", 3}, {u"", 4}, {u"A", 5}, {u"b", std::nullopt}, {u"aa", std::nullopt}};
    for (const Case& C : Cases)
        EXPECT_EQ(Index.Find(C.Key), C.Position) << StringToUtf8(C.Key);
    EXPECT_EQ(Index.Count(), 3u);
    Index.Clear();
    EXPECT_TRUE(Index.Empty());
    EXPECT_FALSE(Index.Find(u"a"));
    EXPECT_TRUE(Index.Add(u"a", 1));
    EXPECT_EQ(Index.Find(u"a"), 1u);
}

// Growing (with and without room reserved first) keeps every key; checked against a map.
TEST(KeyIndex, ManyKeysSurviveGrowing) {
    for (size_t Reserved : {size_t(0), size_t(100), size_t(50000)}) {
        TKeyIndex Index;
        Index.Reserve(Reserved);
        std::map<String, size_t> Expected;
        for (size_t I = 0; I < 20000; ++I) {
            const String Key = u"key" + IntToStr(static_cast<int>(I * 7919 % 15000)); // duplicates too
            const bool New = Expected.emplace(Key, I).second;
            EXPECT_EQ(Index.Add(Key, I), New) << StringToUtf8(Key);
        }
        EXPECT_EQ(Index.Count(), Expected.size());
        for (const auto& [Key, Position] : Expected)
            ASSERT_EQ(Index.Find(Key), Position) << StringToUtf8(Key);
        EXPECT_FALSE(Index.Find(u"key15000"));
    }
}
