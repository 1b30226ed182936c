#include "platform/base/Strings.h"

#include <gtest/gtest.h>

TEST(UnicodeCase, OneCodePointToOne) {
    struct Case {
        char32_t In, Upper, Lower;
    };
    const Case Cases[] = {
        {U'a', U'A', U'a'},          {U'Ä', U'Ä', U'ä'},          {U'ß', U'ß', U'ß'}, // no single upper ß
        {U'ÿ', U'Ÿ', U'ÿ'},          {U'ı', U'I', U'ı'},          {U'1', U'1', U'1'},
        {0x10428, 0x10400, 0x10428}, {0x10400, 0x10400, 0x10428}, {0x110000, 0x110000, 0x110000},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(UnicodeUpperChar(C.In), C.Upper) << unsigned(C.In);
        EXPECT_EQ(UnicodeLowerChar(C.In), C.Lower) << unsigned(C.In);
    }
}
