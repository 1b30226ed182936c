#include "ide/MyObjects.h"
#include "platform/base/Lists.h"
#include "platform/base/Strings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

std::string ReadBytes(const std::filesystem::path& P) {
    std::ifstream In(P, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), {}};
}

} // namespace

TEST(Utf8EncodingNoBom, SavedLinesStartWithTheTextItself) {
    auto Dir = std::filesystem::temp_directory_path() / ("morvane-nobom-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir);
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
        auto File = Dir / "t.ino";
        L.SaveToFile(Utf8ToString(File.string()), &Enc);
        EXPECT_EQ(ReadBytes(File), C.Bytes);
    }
    std::filesystem::remove_all(Dir);
}
