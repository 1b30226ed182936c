#include "settings/UtilBase64.h"

#include "support/TestSupport.h"

#include <cstdio>
#include <random>

namespace {

// The output of coreutils' base64 on Bytes, run for real.
std::string CoreutilsBase64(const TTempFolder& Temp, const std::string& Bytes, const char* Options) {
    WriteBytes(Temp.Sys("input"), Bytes);
    const std::string Command = std::string("base64 ") + Options + " '" + Temp.Sys("input") + "'";
    FILE* Pipe = ::popen(Command.c_str(), "r");
    if (!Pipe) throw std::runtime_error("cannot run base64");
    std::string Out;
    char Buffer[4096];
    size_t N;
    while ((N = std::fread(Buffer, 1, sizeof Buffer, Pipe)) > 0)
        Out.append(Buffer, N);
    if (::pclose(Pipe) != 0) throw std::runtime_error("base64 failed");
    return Out;
}

std::string WithCrLf(std::string S) {
    std::string R;
    for (char C : S)
        R += C == '\n' ? std::string("\r\n") : std::string(1, C);
    return R;
}

} // namespace

TEST(Base64, AgreesWithCoreutilsForLengthsUpTo100) {
    TTempFolder Temp;
    std::mt19937 Random(4711);
    for (size_t Length = 0; Length <= 100; ++Length) {
        std::string Bytes(Length, '\0');
        for (char& C : Bytes)
            C = static_cast<char>(Random());
        // Unbroken: base64 -w0 prints no line break at all.
        const std::string Unbroken = CoreutilsBase64(Temp, Bytes, "-w0");
        EXPECT_EQ(EncodeBase64Unbroken(Bytes), Unbroken) << Length;
        EXPECT_EQ(EncodeMutexNameBase64(Bytes), Unbroken) << Length;
        // MIME: lines of 76 with CR LF between them and none at the end.
        std::string Mime = CoreutilsBase64(Temp, Bytes, "-w76");
        if (!Mime.empty() && Mime.back() == '\n') Mime.pop_back();
        EXPECT_EQ(EncodeBase64Text(Bytes), WithCrLf(Mime)) << Length;
        EXPECT_EQ(static_cast<size_t>(Base64EncodedLength(Int64(Length))), Mime.size() + Mime.size() / 77)
            << Length;
        EXPECT_EQ(DecodeBase64Text(EncodeBase64Text(Bytes)), Bytes) << Length;
        EXPECT_EQ(DecodeBase64Text(Unbroken), Bytes) << Length;
    }
}

TEST(Base64, LineBreaksOfTheMimeForm) {
    struct {
        size_t Bytes;
        size_t Chars;
        size_t Breaks;
    } const Cases[] = {{1, 4, 0},   {2, 4, 0},     {3, 4, 0},    {57, 76, 0},
                       {58, 82, 1}, {114, 154, 1}, {115, 160, 2}};
    for (const auto& Case : Cases) {
        const AnsiString Encoded = EncodeBase64Text(std::string(Case.Bytes, 'x'));
        EXPECT_EQ(Encoded.size(), Case.Chars) << Case.Bytes;
        size_t Breaks = 0;
        for (size_t P = Encoded.find("\r\n"); P != std::string::npos; P = Encoded.find("\r\n", P + 2)) {
            EXPECT_EQ((P + 2) % 78, 0u) << "a break after every 76 characters";
            ++Breaks;
        }
        EXPECT_EQ(Breaks, Case.Breaks) << Case.Bytes;
    }
    EXPECT_EQ(EncodeBase64Text("a"), "YQ==");
    EXPECT_EQ(EncodeBase64Text("ab"), "YWI=");
    EXPECT_EQ(EncodeBase64Text("abc"), "YWJj");
    EXPECT_EQ(EncodeBase64Text(""), "");
    EXPECT_EQ(Base64EncodedLength(0), 0);
    EXPECT_EQ(Base64EncodedLength(-3), -3);
    EXPECT_EQ(Base64DecodedCapacity(5), 6);
}

TEST(Base64, DecodingSkipsWhatIsNotInTheAlphabet) {
    struct {
        const char* Text;
        std::string Bytes;
    } const Cases[] = {
        {"", ""},
        {"YW", "a"},
        {"YWI", "ab"},
        {"Y", ""},
        {"Y W\r\nJ=j", "abc"},
        {"=Y=W=J=j==", "abc"},
        {"YWJj\r\nZGVm", "abcdef"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(DecodeBase64Text(Case.Text), Case.Bytes) << Case.Text;

    // Decoding in chunks carries an unfinished group over.
    const AnsiString Text = "YWJjZGVmZw";
    char Out[16] = {};
    Cardinal Buffer = 0, Space = 4;
    Int64 N = Base64DecodeChunk(Text.data(), 5, Out, Buffer, Space);
    N += Base64DecodeChunk(Text.data() + 5, Int64(Text.size()) - 5, Out + N, Buffer, Space);
    N += Base64DecodeFinish(Out + N, Buffer, Space);
    EXPECT_EQ(std::string(Out, static_cast<size_t>(N)), "abcdefg");
}
