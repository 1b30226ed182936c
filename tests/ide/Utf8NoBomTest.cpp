#include "ide/MyObjects.h"
#include "platform/base/Lists.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(Utf8EncodingNoBom, SavedLinesStartWithTheTextItself) {
    TTempFolder Dir;
    TUTF8EncodingNoBOM Enc;
    EXPECT_TRUE(Enc.GetPreamble().empty());

    const struct {
        String Text;
        std::string Bytes;
    } Cases[] = {
        {u"abc", "abc\r\n"},
        {u"\u00e4", "\xC3\xA4\r\n"},
    };
    for (const auto& C : Cases) {
        TStringList L;
        L.Add(C.Text);
        L.SaveToFile(Dir / "t.ino", &Enc);
        EXPECT_EQ(ReadBytes(Dir.Sys("t.ino")), C.Bytes);
    }
}
