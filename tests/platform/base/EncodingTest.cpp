#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Strings.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace {

const String NoMappingMessage =
    u"No mapping for the Unicode character exists in the target multi-byte code page.";

// UTF-8 without a byte-order mark, made the way the IDE makes its own.
class TUTF8NoBOM : public TUTF8Encoding {
public:
    TBytes GetPreamble() const override { return {}; }
};

} // namespace

TEST(Encoding, Utf8RoundTripsBoundaryCharacters) {
    struct Case {
        String Text;
        std::string Bytes;
    };
    const Case Cases[] = {
        {u"", ""},
        {u"abc", "abc"},
        {u"\u007F", "\x7F"},
        {u"\u0080", "\xC2\x80"},
        {u"\u00E4", "\xC3\xA4"},
        {u"\u07FF", "\xDF\xBF"},
        {u"\u0800", "\xE0\xA0\x80"},
        {u"\uD7FF", "\xED\x9F\xBF"},
        {u"\uE000", "\xEE\x80\x80"},
        {u"\uFFFF", "\xEF\xBF\xBF"},
        {u"\U00010000", "\xF0\x90\x80\x80"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& C : Cases) {
        EXPECT_EQ(TEncoding::UTF8()->GetBytes(C.Text), BytesOf(C.Bytes)) << C.Bytes;
        EXPECT_EQ(TEncoding::UTF8()->GetString(BytesOf(C.Bytes)), C.Text) << C.Bytes;
    }
}

TEST(Encoding, Utf8RejectsInvalidSequences) {
    const char* Cases[] = {
        "\x80",             // continuation byte with no lead
        "a\xBF",            // the same after ASCII
        "\xC0\xAF",         // overlong '/'
        "\xC1\xBF",         // overlong
        "\xE0\x80\xAF",     // overlong three-byte
        "\xE0\x9F\xBF",     // overlong three-byte, highest
        "\xF0\x8F\xBF\xBF", // overlong four-byte
        "\xED\xA0\x80",     // high surrogate D800
        "\xED\xBF\xBF",     // low surrogate DFFF
        "\xF4\x90\x80\x80", // U+110000
        "\xF5\x80\x80\x80", // lead byte beyond U+10FFFF
        "\xFF",             // never valid
        "\xFE",             // never valid
        "\xC3",             // truncated at the end
        "\xE2\x82",         // truncated three-byte
        "\xF0\x9F\x98",     // truncated four-byte
        "\xC3\x28",         // continuation replaced by ASCII
        "\xE2\x28\xA1",     // bad second byte
        "\xF0\x9F\x28\x80", // bad third byte
    };
    for (const char* Bytes : Cases) {
        try {
            TEncoding::UTF8()->GetString(BytesOf(Bytes));
            ADD_FAILURE() << "accepted: " << testing::PrintToString(BytesOf(Bytes));
        } catch (const EEncodingError& E) {
            EXPECT_EQ(E.Message(), NoMappingMessage);
        }
    }
}

TEST(Encoding, Utf8RefusesToEncodeLoneSurrogates) {
    const String Cases[] = {String(1, Char(0xD800)), String(1, Char(0xDC00)), u"a" + String(1, Char(0xDBFF)),
                            String(1, Char(0xDC00)) + String(1, Char(0xD800))};
    for (const String& S : Cases)
        EXPECT_THROW(TEncoding::UTF8()->GetBytes(S), EEncodingError);
}

// Runs of ASCII go through in blocks; every other character, a bad byte and a lone surrogate must
// be found at any offset from a block's start, a four-byte sequence across a block's end included.
TEST(Encoding, Utf8AgreesWithIconvWhereverAsciiRunsEnd) {
    iconv_t Cd = iconv_open("UTF-8", "UTF-16LE");
    ASSERT_NE(Cd, iconv_t(-1));
    auto IconvUtf8 = [&](const String& Text) {
        std::string In(reinterpret_cast<const char*>(Text.data()), Text.size() * 2),
            Out(Text.size() * 4, '\0');
        char* InP = In.data();
        char* OutP = Out.data();
        size_t InLeft = In.size(), OutLeft = Out.size();
        EXPECT_NE(iconv(Cd, &InP, &InLeft, &OutP, &OutLeft), size_t(-1));
        Out.resize(Out.size() - OutLeft);
        return Out;
    };
    const String Others[] = {u"\u00E9", u"\u07FF", u"\u20AC", u"\U0001F600", u"\u00E9\U0001F600\u4E2D"};
    for (int Run = 0; Run <= 40; ++Run)
        for (const String& Other : Others) {
            const String Text = String(size_t(Run), u'a') + Other + String(size_t(Run % 7), u'b');
            const std::string Expected = IconvUtf8(Text);
            const TBytes Bytes = TEncoding::UTF8()->GetBytes(Text);
            ASSERT_EQ(std::string(Bytes.begin(), Bytes.end()), Expected) << Run;
            EXPECT_EQ(StringToUtf8(Text), Expected) << Run;
            EXPECT_EQ(TEncoding::UTF8()->GetString(Bytes), Text) << Run;
            EXPECT_EQ(Utf8ToString(Expected), Text) << Run;
        }
    iconv_close(Cd);
    for (int Run = 0; Run <= 40; ++Run) {
        const std::string Ascii(size_t(Run), 'a');
        // Strict: the whole text is refused; lenient: one replacement character per refused byte.
        EXPECT_THROW(TEncoding::UTF8()->GetString(BytesOf(Ascii + "\xE2\x82" + Ascii)), EEncodingError)
            << Run;
        EXPECT_EQ(Utf8ToString(Ascii + "\xE2\x82" + Ascii),
                  Utf8ToString(Ascii) + u"\uFFFD\uFFFD" + Utf8ToString(Ascii));
        const String Lone = Utf8ToString(Ascii) + String(1, Char(0xDC00)) + Utf8ToString(Ascii);
        EXPECT_THROW(TEncoding::UTF8()->GetBytes(Lone), EEncodingError) << Run;
        EXPECT_EQ(StringToUtf8(Lone), Ascii + "\xEF\xBF\xBD" + Ascii) << Run;
    }
}

TEST(Encoding, Utf16InBothByteOrders) {
    const String Text = u"A\u00E4\u20AC\U0001F600";
    const TBytes LE = {0x41, 0x00, 0xE4, 0x00, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE};
    const TBytes BE = {0x00, 0x41, 0x00, 0xE4, 0x20, 0xAC, 0xD8, 0x3D, 0xDE, 0x00};
    EXPECT_EQ(TEncoding::Unicode()->GetBytes(Text), LE);
    EXPECT_EQ(TEncoding::BigEndianUnicode()->GetBytes(Text), BE);
    EXPECT_EQ(TEncoding::Unicode()->GetString(LE), Text);
    EXPECT_EQ(TEncoding::BigEndianUnicode()->GetString(BE), Text);
    EXPECT_EQ(TEncoding::Unicode()->GetPreamble(), (TBytes{0xFF, 0xFE}));
    EXPECT_EQ(TEncoding::BigEndianUnicode()->GetPreamble(), (TBytes{0xFE, 0xFF}));
    EXPECT_THROW(TEncoding::Unicode()->GetString(TBytes{0x41, 0x00, 0x42}), EEncodingError);
}

TEST(Encoding, AnsiRoundTripsEveryByte) {
    TBytes All(256);
    for (int I = 0; I < 256; ++I)
        All[I] = Byte(I);
    String Text = TEncoding::ANSI()->GetString(All);
    ASSERT_EQ(Text.size(), 256u);
    EXPECT_EQ(TEncoding::ANSI()->GetBytes(Text), All);
    // The five bytes the code page leaves open keep their own number.
    for (Byte B : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(Text[B], Char(B));
    EXPECT_TRUE(TEncoding::ANSI()->GetPreamble().empty());
}

TEST(Encoding, AnsiAgreesWithTheSystemCodePageTable) {
    // glibc's converter is an independent source for the defined bytes.
    iconv_t Cd = iconv_open("UTF-16LE", "CP1252");
    ASSERT_NE(Cd, iconv_t(-1));
    int Compared = 0;
    for (int B = 0; B < 256; ++B) {
        char In = char(B);
        char Out[8];
        char* InP = &In;
        char* OutP = Out;
        size_t InLeft = 1, OutLeft = sizeof Out;
        if (iconv(Cd, &InP, &InLeft, &OutP, &OutLeft) == size_t(-1))
            continue; // one of the five undefined bytes
        ASSERT_EQ(OutLeft, sizeof Out - 2);
        Char Expected = Char(Byte(Out[0]) | (Byte(Out[1]) << 8));
        EXPECT_EQ(TEncoding::ANSI()->GetString(TBytes{Byte(B)}), String(1, Expected)) << "byte " << B;
        ++Compared;
    }
    iconv_close(Cd);
    EXPECT_EQ(Compared, 256 - 5);
}

TEST(Encoding, AnsiWritesQuestionMarksForCharactersOutsideTheTable) {
    EXPECT_EQ(TEncoding::ANSI()->GetBytes(u"\u20AC\u00E4\u0100x\U0001F600\u4E2D"),
              (TBytes{0x80, 0xE4, '?', 'x', '?', '?'}));
}

TEST(Encoding, GetBufferEncodingFindsByteOrderMarks) {
    struct Case {
        TBytes Buffer;
        TEncoding* Expected;
        size_t Length;
    };
    const Case Cases[] = {
        {{0xEF, 0xBB, 0xBF, 'a'}, TEncoding::UTF8(), 3},
        {{0xFF, 0xFE, 'a', 0}, TEncoding::Unicode(), 2},
        {{0xFE, 0xFF, 0, 'a'}, TEncoding::BigEndianUnicode(), 2},
        {{0xEF, 0xBB}, TEncoding::ANSI(), 0}, // a mark cut short is no mark
        {{'a', 'b'}, TEncoding::ANSI(), 0},
        {{}, TEncoding::ANSI(), 0},
    };
    for (const auto& C : Cases) {
        TEncoding* Found = nullptr;
        EXPECT_EQ(TEncoding::GetBufferEncoding(C.Buffer, Found, TEncoding::ANSI()), C.Length);
        EXPECT_EQ(Found, C.Expected);
    }
    // A given encoding stays; only its own mark counts.
    TEncoding* Given = TEncoding::Unicode();
    EXPECT_EQ(TEncoding::GetBufferEncoding({0xEF, 0xBB, 0xBF}, Given), 0u);
    EXPECT_EQ(Given, TEncoding::Unicode());
    EXPECT_EQ(TEncoding::GetBufferEncoding({0xFF, 0xFE}, Given), 2u);
}

TEST(Encoding, StandardInstancesAndDerivedEncodings) {
    for (TEncoding* E : {TEncoding::UTF8(), TEncoding::Unicode(), TEncoding::BigEndianUnicode(),
                         TEncoding::Default(), TEncoding::ANSI()})
        EXPECT_TRUE(TEncoding::IsStandardEncoding(E));
    TUTF8NoBOM NoBOM;
    EXPECT_FALSE(TEncoding::IsStandardEncoding(&NoBOM));
    EXPECT_FALSE(TEncoding::IsStandardEncoding(nullptr));

    EXPECT_EQ(TEncoding::UTF8()->GetPreamble(), (TBytes{0xEF, 0xBB, 0xBF}));
    EXPECT_TRUE(TEncoding::Default()->GetPreamble().empty());
    EXPECT_TRUE(NoBOM.GetPreamble().empty());
    // Overriding the preamble keeps the strict UTF-8 conversion.
    EXPECT_EQ(NoBOM.GetBytes(u"\u00E4"), (TBytes{0xC3, 0xA4}));
    EXPECT_THROW(NoBOM.GetString(TBytes{0xC3}), EEncodingError);
    EXPECT_EQ(TEncoding::Default()->GetString(TBytes{0xC3, 0xA4}), u"\u00E4");
}

TEST(Encoding, LoadTextFileDetectsTheEncoding) {
    TTempFolder Dir;
    struct Case {
        TBytes Bytes;
        String Text;
        TEncoding* Detected;
    };
    const Case Cases[] = {
        {{0xEF, 0xBB, 0xBF, 0xC3, 0xA4, '\n'}, u"\u00E4\n", TEncoding::UTF8()},
        {{0xC3, 0xA4, '\n'}, u"\u00E4\n", TEncoding::Default()},
        {{0xFF, 0xFE, 0xE4, 0x00}, u"\u00E4", TEncoding::Unicode()},
        {{0xFE, 0xFF, 0x00, 0xE4}, u"\u00E4", TEncoding::BigEndianUnicode()},
        {{}, u"", TEncoding::Default()},
    };
    const String Name = Dir.File("t.txt");
    for (const auto& C : Cases) {
        WriteFileBytes(Name, C.Bytes);
        TEncoding* Detected = nullptr;
        EXPECT_EQ(LoadTextFile(Name, Detected), C.Text);
        EXPECT_EQ(Detected, C.Detected);
        // Writing back with the mark of the encoding found gives the same file.
        SaveTextFile(Name, C.Text, Detected, true);
        EXPECT_EQ(ReadFileBytes(Name), C.Bytes);
    }
}

TEST(Encoding, LoadTextFileFallsBackOnlyWhenAsked) {
    TTempFolder Dir;
    const String Name = Dir.File("latin.txt");
    WriteFileBytes(Name, {'M', 0xFC, 'n', 'z', 0x80});
    TEncoding* Detected = nullptr;
    EXPECT_THROW(LoadTextFile(Name, Detected), EEncodingError);
    EXPECT_EQ(LoadTextFile(Name, Detected, TEncoding::ANSI()), u"M\u00FCnz\u20AC");
    EXPECT_EQ(Detected, TEncoding::ANSI());
    // Valid UTF-8 does not fall back.
    WriteFileBytes(Name, {0xC3, 0xBC});
    EXPECT_EQ(LoadTextFile(Name, Detected, TEncoding::ANSI()), u"\u00FC");
    EXPECT_EQ(Detected, TEncoding::Default());
    EXPECT_THROW(LoadTextFile(Dir.File("missing.txt"), Detected), EFOpenError);
}

TEST(Encoding, SaveTextFileWritesNoMarkUnlessAsked) {
    TTempFolder Dir;
    const String Name = Dir.File("out.txt");
    SaveTextFile(Name, u"\u00E4");
    EXPECT_EQ(ReadFileBytes(Name), (TBytes{0xC3, 0xA4}));
    SaveTextFile(Name, u"\u00E4", TEncoding::UTF8());
    EXPECT_EQ(ReadFileBytes(Name), (TBytes{0xC3, 0xA4}));
    SaveTextFile(Name, u"\u00E4", TEncoding::UTF8(), true);
    EXPECT_EQ(ReadFileBytes(Name), (TBytes{0xEF, 0xBB, 0xBF, 0xC3, 0xA4}));
    // Text that cannot be encoded leaves the file as it was.
    EXPECT_THROW(SaveTextFile(Name, String(1, Char(0xD800))), EEncodingError);
    EXPECT_EQ(ReadFileBytes(Name), (TBytes{0xEF, 0xBB, 0xBF, 0xC3, 0xA4}));
}
