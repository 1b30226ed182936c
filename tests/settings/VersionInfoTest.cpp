#include "settings/UtilVersionInfo.h"

#include "platform/base/Files.h"
#include "platform/base/VersionRecord.h"
#include "support/TestSupport.h"

namespace {

// A block of the wide layout, built by hand so that tests can bend it.
struct TBlock {
    std::u16string Key;
    Word Type = 1;
    std::string Value;    // the value's bytes
    int ValueLength = -1; // -1: from the value (characters for text)
    std::vector<TBlock> Children;
    int Length = -1; // -1: the real length
};

void Put16(std::string& B, Word V) {
    B += static_cast<char>(V & 0xFF);
    B += static_cast<char>(V >> 8);
}

void Align(std::string& B) {
    while (B.size() % 4)
        B += '\0';
}

std::string Text(std::u16string_view S) {
    std::string B;
    for (char16_t C : S)
        Put16(B, C);
    Put16(B, 0);
    return B;
}

void Emit(std::string& B, const TBlock& K) {
    Align(B);
    const size_t Start = B.size();
    Put16(B, 0);
    Put16(B, static_cast<Word>(K.ValueLength >= 0 ? K.ValueLength
                               : K.Type == 1      ? K.Value.size() / 2
                                                  : K.Value.size()));
    Put16(B, K.Type);
    B += Text(K.Key);
    Align(B);
    B += K.Value;
    for (const TBlock& C : K.Children)
        Emit(B, C);
    const size_t Length = K.Length >= 0 ? static_cast<size_t>(K.Length) : B.size() - Start;
    B[Start] = static_cast<char>(Length & 0xFF);
    B[Start + 1] = static_cast<char>(Length >> 8);
}

std::string Fixed(Cardinal Flags = 0, Cardinal Mask = 0x3F) {
    const Cardinal Words[13] = {0xFEEF04BD, 0x10000, 0x00010002, 0x00030004, 0x00010002, 0, Mask,
                                Flags,      0,       1,          0,          0,          0};
    return std::string(reinterpret_cast<const char*>(Words), sizeof Words);
}

TBlock Entry(std::u16string Key, std::u16string_view Value) {
    return {std::move(Key), 1, Text(Value), -1, {}, -1};
}

TBlock Record(std::vector<TBlock> Tables, std::string FixedInfo = Fixed()) {
    TBlock Strings{u"StringFileInfo", 1, "", 0, std::move(Tables), -1};
    std::string Translation;
    Put16(Translation, 0x0409);
    Put16(Translation, 0x04B0);
    TBlock Vars{u"VarFileInfo", 1, "", 0, {TBlock{u"Translation", 0, Translation, -1, {}, -1}}, -1};
    return TBlock{u"VS_VERSION_INFO", 0, std::move(FixedInfo), 52, {std::move(Strings), std::move(Vars)}, -1};
}

std::string Bytes(const TBlock& Root) {
    std::string B;
    Emit(B, Root);
    return B;
}

std::unique_ptr<TUtilFileVersionInfo> Attach(const std::string& B) {
    return TUtilFileVersionInfo::Attach(B.data(), static_cast<int>(B.size()));
}

} // namespace

TEST(VersionInfo, ReadsTheRecordOfTheBuiltPrograms) {
    TUtilFileVersionInfo Morvane(u"" MORVANE_PROGRAM);
    EXPECT_EQ(U8(Morvane.ProductName()), "Morvane");
    EXPECT_EQ(U8(Morvane.FileVersion()), MORVANE_VERSION ".0");
    EXPECT_EQ(U8(Morvane.BinFileVersion()), MORVANE_VERSION ".0");
    EXPECT_EQ(U8(Morvane.ProductVersion()), U8(Morvane.BinProductVersion()));
    EXPECT_EQ(U8(Morvane.FileDescription()), "Morvane - Editor and IDE for Arduino");
    EXPECT_EQ(Morvane.LanguageCount(), 1);
    EXPECT_EQ(U8(TUtilFileVersionInfo::VersionLanguageId(Morvane.Languages(0))), "040904B0");
    EXPECT_TRUE(Morvane.TranslationMatchesLanguages(true));
    EXPECT_EQ(Morvane.FileType(), 1u);
    EXPECT_TRUE(Morvane.FileFlags().Empty());
    TVSFixedFileInfo Fixed;
    EXPECT_TRUE(ReadFixedVersionInfo(u"" MORVANE_PROGRAM, Fixed));
    EXPECT_EQ(Fixed.dwSignature, 0xFEEF04BDu);

    EXPECT_EQ(U8(TUtilFileVersionInfo(u"" BRENVIK_PROGRAM).ProductName()), "Brenvik");
}

TEST(VersionInfo, FilesWithoutARecord) {
    TTempFolder Temp;
    WriteBytes(Temp.Sys("text"), "not a program");
    for (const String& File : {ProgramFile(), Temp / "text"})
        EXPECT_EQ(U8(ThrownMessage<EUtilFileVersionInfoError>([&] { TUtilFileVersionInfo Info(File); })),
                  "File contains no version information");
    EXPECT_THROW(TUtilFileVersionInfo(Temp / "missing"), EOSError);
    TVSFixedFileInfo Fixed;
    EXPECT_FALSE(ReadFixedVersionInfo(Temp / "missing", Fixed));
}

TEST(VersionInfo, DamagedBlocksAreRefusedNotReadPast) {
    const TBlock Good = Record({TBlock{u"040904B0", 1, "", 0, {Entry(u"ProductName", u"Sample")}, -1}});
    ASSERT_EQ(U8(Attach(Bytes(Good))->ProductName()), "Sample");
    const std::string Whole = Bytes(Good);

    auto WithRootLength = [&](int Length) {
        TBlock R = Good;
        R.Length = Length;
        return Bytes(R);
    };
    auto WithTableLength = [&](int Length) {
        TBlock R = Good;
        R.Children[0].Children[0].Length = Length;
        return Bytes(R);
    };
    auto WithEntryLength = [&](int Length) {
        TBlock R = Good;
        R.Children[0].Children[0].Children[0].Length = Length;
        return Bytes(R);
    };
    const std::string Cases[] = {
        WithRootLength(0),                                  // a length of 0 would never move on
        WithRootLength(4),                                  // shorter than its header
        WithRootLength(static_cast<int>(Whole.size()) + 8), // past the buffer
        WithTableLength(0),
        WithTableLength(5000),             // past its parent
        WithEntryLength(6),                // its key does not fit
        Whole.substr(0, Whole.size() / 2), // cut short
        std::string(),
        std::string(3, '\0'),
    };
    for (const std::string& B : Cases)
        EXPECT_EQ(U8(ThrownMessage<EUtilFileVersionInfoError>([&] { Attach(B); })),
                  "File contains no version information")
            << B.size();

    // Not a version record at all.
    TBlock Other = Good;
    Other.Key = u"SOMETHING_ELSE";
    EXPECT_THROW(Attach(Bytes(Other)), EUtilFileVersionInfoError);
    TBlock NoSignature = Record({}, std::string(52, '\0'));
    EXPECT_THROW(Attach(Bytes(NoSignature)), EUtilFileVersionInfoError);
}

TEST(VersionInfo, TablesLanguagesAndValues) {
    std::string Binary;
    Put16(Binary, 0x1234);
    const TBlock R = Record(
        {
            TBlock{u"040904B0",
                   1,
                   "",
                   0,
                   {Entry(u"FileVersion", u"1, 2, 3, 4"), Entry(u"Custom", u"x"), Entry(u"Empty", u""),
                    TBlock{u"Bin", 0, Binary, -1, {}, -1}},
                   -1},
            TBlock{
                u"0x0407 0x04E4", 1, "", 0, {Entry(u"FileVersion", u"9.8")}, -1},   // "0x" and blanks dropped
            TBlock{u"12345", 1, "", 0, {Entry(u"FileVersion", u"never read")}, -1}, // ends the parsing
        },
        Fixed(0x0B, 0x09));
    auto Info = Attach(Bytes(R));
    EXPECT_EQ(Info->LanguageCount(), 2);
    EXPECT_EQ(Info->TranslationCount(), 0); // the odd table ended the parsing before them
    TBlock Two = R;
    Two.Children[0].Children.pop_back();
    auto Both = Attach(Bytes(Two));
    EXPECT_EQ(Both->LanguageCount(), 2);
    EXPECT_EQ(Both->TranslationCount(), 1);
    EXPECT_FALSE(Both->TranslationMatchesLanguages(true));
    EXPECT_TRUE(Both->TranslationMatchesLanguages(false));
    EXPECT_EQ(Info->ItemList()->Count(), 5);
    EXPECT_EQ(U8(Info->GetCustomFieldValue(u"Custom")), "x");
    EXPECT_EQ(U8(Info->GetCustomFieldValue(u"Empty")), "");
    EXPECT_EQ(U8(Info->GetCustomFieldValue(u"Bin")), "$1234");
    EXPECT_EQ(U8(ThrownMessage<EUtilFileVersionInfoError>([&] { Info->GetCustomFieldValue(u""); })),
              "No value was supplied");
    EXPECT_EQ(U8(ThrownMessage<EUtilFileVersionInfoError>([&] { Info->GetCustomFieldValue(u"None"); })),
              "The value None was not found.");
    // Flags within the mask only: debug (1) and private build (8); patched (4) is outside 0x09... and 2 too.
    EXPECT_EQ(Info->FileFlags(), (TFileFlags{ffDebug, ffPrivateBuild}));

    EXPECT_EQ(U8(Info->MajorOfFileVersion()), "1");
    EXPECT_EQ(U8(Info->MinorOfFileVersion()), "2");
    EXPECT_EQ(U8(Info->ReleaseOfFileVersion()), "3");
    EXPECT_EQ(U8(Info->BuildOfFileVersion()), "4");

    Info->SetLanguageIndex(1);
    EXPECT_EQ(U8(Info->FileVersion()), "9.8");
    EXPECT_EQ(U8(TUtilFileVersionInfo::VersionLanguageId(Info->Languages(1))), "040704E4");
    EXPECT_EQ(U8(Info->MajorOfFileVersion()), "9");
    EXPECT_EQ(U8(Info->MinorOfFileVersion()), "8");
    EXPECT_EQ(U8(Info->ReleaseOfFileVersion()), "");
    EXPECT_EQ(U8(Info->BuildOfFileVersion()), "8");
    EXPECT_THROW(Info->SetLanguageIndex(2), EUtilFileVersionInfoError);
    EXPECT_THROW(Info->SetLanguageIndex(-1), EUtilFileVersionInfoError);
}

TEST(VersionInfo, NarrowLayout) {
    // The older layout: length, value length, 8-bit key; no type word.
    auto Narrow = [](const std::string& Key, const std::string& Value, const std::string& Children) {
        std::string B(4, '\0');
        B += Key + '\0';
        Align(B);
        B += Value;
        Align(B);
        B += Children;
        B[0] = static_cast<char>(B.size() & 0xFF);
        B[1] = static_cast<char>(B.size() >> 8);
        B[2] = static_cast<char>(Value.size());
        return B;
    };
    const std::string Entry = Narrow("ProductName", std::string("Old\0", 4), "");
    const std::string Table = Narrow("040904E4", "", Entry);
    const std::string Root = Narrow("VS_VERSION_INFO", Fixed(), Narrow("StringFileInfo", "", Table));
    auto Info = Attach(Root);
    EXPECT_EQ(U8(Info->ProductName()), "Old");
}
