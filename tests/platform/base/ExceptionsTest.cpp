#include "platform/base/Exceptions.h"
#include "platform/base/Strings.h"

#include <gtest/gtest.h>

TEST(Exceptions, AssertNamesSourceFileRelativeToRootAndLine) {
    try {
        ASSERT(1 + 1 == 3);
        FAIL() << "no exception";
    } catch (const EAssertionFailed& E) {
        EXPECT_EQ(E.Message(), u"Assertion failure (tests/platform/base/ExceptionsTest.cpp, line 8)");
        EXPECT_STREQ(E.ClassName(), "EAssertionFailed");
    }
}

TEST(Exceptions, AssertMsgCarriesItsOwnText) {
    EXPECT_NO_THROW(ASSERT_MSG(true, u"never"));
    try {
        ASSERT_MSG(false, u"NodeDataSize not initialized.");
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message().substr(0, 29), u"NodeDataSize not initialized.");
    }
}

TEST(Exceptions, MessageAndWhatStayInStep) {
    EConvertError E(u"Größe");
    EXPECT_STREQ(E.what(), "Größe");
    E.SetMessage(u"x");
    EXPECT_STREQ(E.what(), "x");
    EXPECT_THROW(Abort(), EAbort);
    try {
        RaiseLastOSError(2);
    } catch (const EOSError& Os) {
        EXPECT_EQ(Os.ErrorCode(), 2);
        EXPECT_EQ(Os.Message(), u"System Error.  Code: 2.\nNo such file or directory");
    }
}
