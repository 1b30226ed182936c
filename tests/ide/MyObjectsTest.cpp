#include "ide/MyObjects.h"

#include <gtest/gtest.h>

TEST(TreeClass, CreateStoresThreeValuesAndDefaultsTheRest) {
    tTreeClass T(u"Blink.ino", u"/s/Blink/Blink.ino", ntFileSrc);
    EXPECT_EQ(T.Caption(), u"Blink.ino");
    EXPECT_EQ(T.FullPath(), u"/s/Blink/Blink.ino");
    EXPECT_EQ(T.NodeType(), ntFileSrc);
    EXPECT_EQ(T.TabKind(), tkNonSpecific);
    EXPECT_FALSE(T.SimpleCoding());
    EXPECT_EQ(T.LastModified(), 0.0);
}

TEST(TreeClass, CreateFullStoresAllSix) {
    tTreeClass T(u"a.h", u"/x/a.h", ntFileHeader, tkExamplesRO, true, 45000.5);
    EXPECT_EQ(T.TabKind(), tkExamplesRO);
    EXPECT_TRUE(T.SimpleCoding());
    EXPECT_EQ(T.LastModified(), 45000.5);
}
