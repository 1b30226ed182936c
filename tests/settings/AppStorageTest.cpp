// The store's path model, typed values, options, sub-storages, read-only stores, encryption and
// version checks, on real INI files.

#include "StoreSupport.h"

#include "settings/UtilTypeInfo.h"

#include "platform/base/DateTime.h"
#include "platform/base/IntConsts.h"

#include <cmath>
#include <sys/stat.h>

namespace {

DECLARE_ENUM(TStoreColor, Byte, scRed, scGreen, scBlue)
using TStoreColors = TSet<TStoreColor>;

using AppStorage = TStoreTest;

} // namespace

TEST(AppStoragePaths, ConcatPaths) {
    struct {
        std::vector<String> In;
        const char* Out;
    } const Cases[] = {
        {{u"a\\b", u"..\\c"}, "a\\c"},
        {{u"a", u"\\b"}, "b"},
        {{u"x\\", u".\\y\\"}, "x\\y"},
        {{u"a\\b\\c", u"..."}, "a"},
        {{u"a", u"..", u".."}, ""},
        {{u"ab\\c", u".."}, "ab"},
        {{u"a\\b", u".."}, "a"},
        {{u"\\\\a\\\\\\b\\"}, "a\\b"},
        {{u"\\a", u"b"}, "a\\b"}, // the first element is never a restart
        {{u"a", u"\\b", u"c"}, "b\\c"},
        {{u"C:", u"Tools\\x"}, "C:\\Tools\\x"},
        {{u"/home/me/bin", u"Key"}, "/home/me/bin\\Key"}, // a file path is one opaque segment
        {{}, ""},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(U8(TKitCustomAppStorage::ConcatPaths(Case.In)), Case.Out);
}

TEST_F(AppStorage, RelativeAndAbsolutePaths) {
    Store->SetPath(u"Forms\\\\");
    EXPECT_EQ(U8(Store->Path()), "Forms");
    Store->WriteInteger(u"Main\\Left", 10);
    Store->WriteInteger(u"\\Main\\Left", 20);
    Store->WriteInteger(u"Main\\..\\Other\\.\\Top", 30);
    Store->Flush();
    EXPECT_EQ(FileLines(File), (std::vector<std::string>{"[Forms\\Main]", "Left=10", "", "[Main]", "Left=20",
                                                         "", "[Forms\\Other]", "Top=30", ""}));
    EXPECT_EQ(Store->ReadInteger(u"Main\\Left"), 10);
    EXPECT_EQ(Store->ReadInteger(u"\\Forms\\Main\\LEFT"), 10); // keys and sections ignore case
    Store->SetRoot(u"Root");
    Store->WriteInteger(u"Main\\Left", 40);
    EXPECT_TRUE(Store->PathExists(u"Main"));
    EXPECT_FALSE(Store->PathExists(u"\\Main")); // below the root: Root\Main
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "[Root\\Forms\\Main]"));
}

TEST_F(AppStorage, TypedValuesReadBackFromTheFile) {
    const Byte Bytes[] = {0x0A, 0xFF, 0x00};
    const TDateTime When = EncodeDate(2024, 3, 5) + EncodeTime(13, 45, 7, 0);
    Store->WriteInteger(u"V\\Int", -12);
    Store->WriteFloat(u"V\\Float", 1.0L / 3);
    Store->WriteString(u"V\\Text", u"Grüße = \"quoted\"");
    Store->WriteWideString(u"V\\Wide", u"\u65E5\u672C");
    Store->WriteBinary(u"V\\Bin", Bytes, 3);
    Store->WriteDateTime(u"V\\When", When);
    Store->WriteBoolean(u"V\\Yes", true);
    Store->WriteEnumeration(u"V\\Color", scBlue);
    Store->WriteSet(u"V\\Colors", TStoreColors{scRed, scBlue});

    TStorePtr Again = Reopen();
    EXPECT_EQ(Again->ReadInteger(u"V\\Int"), -12);
    EXPECT_EQ(Again->ReadFloat(u"V\\Float"), 1.0L / 3); // all 80 bits
    EXPECT_EQ(U8(Again->ReadString(u"V\\Text")), "Grüße = \"quoted\"");
    EXPECT_EQ(U8(Again->ReadWideString(u"V\\Wide")), "\u65E5\u672C");
    Byte Out[8] = {};
    EXPECT_EQ(Again->ReadBinary(u"V\\Bin", Out, 8), 3);
    EXPECT_EQ(std::vector<Byte>(Out, Out + 3), std::vector<Byte>(Bytes, Bytes + 3));
    EXPECT_EQ(Again->ReadDateTime(u"V\\When"), When);
    EXPECT_TRUE(Again->ReadBoolean(u"V\\Yes"));
    EXPECT_EQ(Again->ReadEnumeration(u"V\\Color", scRed), scBlue);
    EXPECT_EQ(Again->ReadSet(u"V\\Colors", TStoreColors{}), (TStoreColors{scRed, scBlue}));

    EXPECT_TRUE(HasLine(File, "Int=-12"));
    EXPECT_TRUE(HasLine(File, "When=5.3.2024 13:45:07"));
    EXPECT_TRUE(HasLine(File, "Yes=TRUE"));
    EXPECT_TRUE(HasLine(File, "Color=scBlue"));
    EXPECT_TRUE(HasLine(File, "Bin=0AFF00"));
    // A set is a folder of booleans unless SetAsString.
    EXPECT_TRUE(HasLine(File, "[V\\Colors]"));
    EXPECT_TRUE(HasLine(File, "scGreen=FALSE"));
}

TEST_F(AppStorage, OptionsChooseTheStoredForm) {
    TKitCustomAppStorageOptions* O = Store->StorageOptions();
    O->SetDateTimeAsString(false);
    O->SetFloatAsString(true);
    O->SetBooleanAsString(false);
    O->SetEnumerationAsString(false);
    O->SetSetAsString(true);
    Store->WriteDateTime(u"V\\When", 1.5);
    Store->WriteFloat(u"V\\Float", 0.25);
    Store->WriteBoolean(u"V\\Yes", true);
    Store->WriteEnumeration(u"V\\Color", scGreen);
    Store->WriteSet(u"V\\Colors", TStoreColors{scRed, scBlue});
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Float=0.25"));
    EXPECT_TRUE(HasLine(File, "Yes=1"));
    EXPECT_TRUE(HasLine(File, "Color=1"));
    EXPECT_TRUE(HasLine(File, "Colors=[scRed, scBlue]"));
    // Each form reads back under the other options too.
    TStorePtr Again = Reopen();
    EXPECT_EQ(Again->ReadDateTime(u"V\\When"), 1.5);
    EXPECT_EQ(Again->ReadFloat(u"V\\Float"), 0.25L);
    EXPECT_TRUE(Again->ReadBoolean(u"V\\Yes"));
    EXPECT_EQ(Again->ReadEnumeration(u"V\\Color", scRed), scGreen);
    EXPECT_EQ(Again->ReadSet(u"V\\Colors", TStoreColors{}), (TStoreColors{scRed, scBlue}));

    // The word lists: BooleanAsString stays on only with a first word in each.
    O->SetBooleanAsString(true);
    EXPECT_TRUE(O->BooleanAsString());
    O->SetBooleanStringTrueValues(u" , yes");
    EXPECT_FALSE(O->BooleanAsString());
    O->SetBooleanStringTrueValues(u"On");
    O->SetBooleanAsString(true);
    EXPECT_TRUE(O->BooleanAsString());

    TKitAppIniStorageOptions Copy;
    Copy.Assign(O);
    Copy.SetReplaceCRLF(true);
    TStorePtr Other = NewStore(Temp / "other.ini");
    Other->SetStorageOptions(&Copy);
    EXPECT_TRUE(Other->IniStorageOptions()->ReplaceCRLF());
    EXPECT_FALSE(Other->StorageOptions()->EnumerationAsString());
    EXPECT_FALSE(Copy.EnumerationAsString());
    EXPECT_EQ(U8(Copy.BooleanStringTrueValues()), "On");
    EXPECT_THROW(Copy.Assign(Store.get()), EConvertError);
}

TEST_F(AppStorage, MissingValuesGiveTheDefault) {
    Store->WriteString(u"V\\Present", u"x");
    EXPECT_EQ(Store->ReadInteger(u"V\\Missing", 42), 42);
    EXPECT_EQ(U8(Store->ReadString(u"Nowhere\\Missing", u"dflt")), "dflt");
    EXPECT_EQ(Store->ReadEnumeration(u"V\\Missing", scGreen), scGreen);
    EXPECT_EQ(Store->ReadDateTime(u"V\\Missing", 7.25), 7.25);
    Byte Out[2] = {9, 9};
    EXPECT_EQ(Store->ReadBinary(u"V\\Missing", Out, 2), 0);
    // Without DefaultIfValueNotExists the backend answers, with the default as well.
    Store->StorageOptions()->SetDefaultIfValueNotExists(false);
    EXPECT_EQ(Store->ReadInteger(u"V\\Missing", 42), 42);
    EXPECT_EQ(Store->ReadEnumeration(u"V\\Missing", scGreen), scGreen);
    EXPECT_TRUE(Store->ReadBoolean(u"V\\Missing", true));
}

TEST_F(AppStorage, BooleansFromStoredTexts) {
    Store->StorageOptions()->SetBooleanStringTrueValues(u"TRUE ,  Yes,Y");
    struct {
        const char* Stored;
        bool Value;
    } const Cases[] = {{"yes", true}, {"YES", true}, {"y", true},  {"True", true}, {"n", false},
                       {"No", false}, {"1", true},   {"0", false}, {"-5", true}};
    for (const auto& Case : Cases) {
        Store->WriteString(u"B\\V", Utf8ToString(Case.Stored));
        EXPECT_EQ(Store->ReadBoolean(u"B\\V", !Case.Value), Case.Value) << Case.Stored;
    }
    Store->WriteString(u"B\\V", u"maybe");
    EXPECT_THROW(Store->ReadBoolean(u"B\\V", true), EConvertError);
    Store->StorageOptions()->SetDefaultIfReadConvertError(true);
    EXPECT_TRUE(Store->ReadBoolean(u"B\\V", true));
}

TEST_F(AppStorage, EnumerationsFromStoredTexts) {
    struct {
        const char* Stored;
        int Value; // -2: a conversion error
    } const Cases[] = {
        {"scBlue", scBlue}, {"SCGREEN", scGreen}, {"2", scBlue},
        {"0", scRed},       {"-1", scGreen}, // the "no value" number gives the default
        {"3", -2},                           // beyond the type: it would not fit its storage
        {"255", -2},        {"-7", -2},           {"scPurple", -2},
    };
    for (const auto& Case : Cases) {
        Store->WriteString(u"E\\V", Utf8ToString(Case.Stored));
        if (Case.Value == -2) {
            EXPECT_THROW(Store->ReadEnumeration(u"E\\V", scGreen), EConvertError) << Case.Stored;
            Store->StorageOptions()->SetDefaultIfReadConvertError(true);
            EXPECT_EQ(Store->ReadEnumeration(u"E\\V", scGreen), scGreen) << Case.Stored;
            Store->StorageOptions()->SetDefaultIfReadConvertError(false);
        } else {
            EXPECT_EQ(Store->ReadEnumeration(u"E\\V", scGreen), Case.Value) << Case.Stored;
        }
    }
    // By address, with the type's own size.
    Byte Default = scGreen, Value = 0xEE;
    Store->WriteString(u"E\\V", u"scRed");
    Store->ReadEnumeration(u"E\\V", TypeInfo<TStoreColor>(), &Default, &Value);
    EXPECT_EQ(Value, scRed);
    // Integers are checked against their type as well.
    Store->WriteInteger(u"E\\Small", 300);
    EXPECT_THROW(Store->ReadEnumeration<std::uint8_t>(u"E\\Small", 1), EConvertError);
    Store->WriteOrdinalValue(u"E\\Big", TypeInfo<Cardinal>(), 4000000000);
    EXPECT_EQ(Store->ReadOrdinalValue(u"E\\Big", TypeInfo<Cardinal>(), 0), 4000000000);
    EXPECT_THROW(Store->ReadOrdinalValue(u"E\\V", TypeInfo<String>(), 0), EKitAppStorageError);
}

TEST_F(AppStorage, IntegersWithIdentifiers) {
    static const TTypeInfo* const ColorRef =
        TypeInfoDetail::OrdinalTypeInfo(tkInteger, u"TTestColorRef", otSLong, INT32_MIN, INT32_MAX);
    RegisterIntegerConsts(
        ColorRef,
        [](const String& Ident, int& Int) {
            if (!SameText(Ident, u"clRed")) return false;
            Int = 0xFF;
            return true;
        },
        [](int Int, String& Ident) {
            if (Int != 0xFF) return false;
            Ident = u"clRed";
            return true;
        });
    Store->WriteOrdinalValue(u"C\\Known", ColorRef, 0xFF);
    Store->WriteOrdinalValue(u"C\\Other", ColorRef, 17);
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Known=clRed"));
    EXPECT_TRUE(HasLine(File, "Other=17"));
    EXPECT_EQ(Store->ReadOrdinalValue(u"C\\Known", ColorRef, 0), 0xFF);
    EXPECT_EQ(Store->ReadOrdinalValue(u"C\\Other", ColorRef, 0), 17);
    Store->WriteString(u"C\\Bad", u"clNoSuch");
    EXPECT_THROW(Store->ReadOrdinalValue(u"C\\Bad", ColorRef, 5), EConvertError);
    EXPECT_FALSE(Store->StorageOptions()->DefaultIfReadConvertError()); // restored after the name attempt
    Store->StorageOptions()->SetTypedIntegerAsString(false);
    Store->WriteOrdinalValue(u"C\\Known", ColorRef, 0xFF);
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Known=255"));
}

TEST_F(AppStorage, CharacterSetsKeepOnlyTheFirst32Elements) {
    static const TTypeInfo* const CharSet = TypeInfoDetail::SetTypeInfo(TypeInfo<char>());
    Byte Value[32] = {}, Default[32] = {}, Out[32] = {};
    Value[0] = 0x20; // element 5
    Value['A' / 8] |= 1 << ('A' % 8);
    Store->WriteSet(u"S\\Chars", CharSet, Value);
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Char#5=TRUE"));
    EXPECT_TRUE(HasLine(File, "Char_A=FALSE"));
    EXPECT_TRUE(HasLine(File, "Char#200=FALSE"));
    Store->WriteBoolean(u"S\\Chars\\Char_B", true); // never read back either
    Store->ReadSet(u"S\\Chars", CharSet, Default, Out);
    Byte Expected[32] = {0x20};
    EXPECT_EQ(std::vector<Byte>(Out, Out + 32), std::vector<Byte>(Expected, Expected + 32));

    Store->StorageOptions()->SetSetAsString(true);
    Store->WriteSet(u"S\\Text", CharSet, Value);
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Text=[5, 65]"));
    // A stored number beyond the set's range is refused, not written out of bounds.
    Store->WriteString(u"S\\Bad", u"[1, 999]");
    EXPECT_THROW(Store->ReadSet(u"S\\Bad", CharSet, Default, Out), EConvertError);
    Store->WriteString(u"S\\Colors", u"[scRed, scPink]");
    EXPECT_THROW(Store->ReadSet(u"S\\Colors", TStoreColors{scGreen}), EUtilRTTIError);
    Store->StorageOptions()->SetDefaultIfReadConvertError(true);
    EXPECT_EQ(Store->ReadSet(u"S\\Colors", TStoreColors{scGreen}), TStoreColors{scGreen});
}

TEST_F(AppStorage, EncryptedValuesAreOneLineOfBase64) {
    auto Reverse = [](String& V) { std::reverse(V.begin(), V.end()); };
    Store->OnEncryptPropertyValue = Reverse;
    Store->OnDecryptPropertyValue = Reverse;
    const String Secret = u"first line\r\nsecond line, long enough for more than one line of MIME output";
    Store->WriteString(u"Crypt\\Plain", Secret); // encryption not enabled yet
    Store->EnablePropertyValueCrypt();
    Store->WriteString(u"Crypt\\Text", Secret);
    Store->WriteWideString(u"Crypt\\Wide", u"wide \u00E4");
    Store->WriteBoolean(u"Crypt\\Flag", true);
    Store->WriteFloat(u"Crypt\\Float", 2.5); // binary floats are not text: not encrypted
    TStorePtr Again = Reopen();
    Again->OnEncryptPropertyValue = Reverse;
    Again->OnDecryptPropertyValue = Reverse;
    // Without encryption a line break is not written: the value ends at it.
    EXPECT_EQ(U8(Again->ReadString(u"Crypt\\Plain")), "first line");
    EXPECT_NE(U8(Again->ReadString(u"Crypt\\Text")), U8(Secret)); // Base64 until enabled
    Again->EnablePropertyValueCrypt();
    EXPECT_EQ(U8(Again->ReadString(u"Crypt\\Text")), U8(Secret));
    EXPECT_EQ(U8(Again->ReadWideString(u"Crypt\\Wide")), "wide \u00E4");
    EXPECT_TRUE(Again->ReadBoolean(u"Crypt\\Flag"));
    EXPECT_EQ(Again->ReadFloat(u"Crypt\\Float"), 2.5L);
    EXPECT_EQ(U8(Again->ReadString(u"Crypt\\Missing", u"dflt")), "dflt");
    Again->DisablePropertyValueCrypt();
    EXPECT_FALSE(Again->IsPropertyValueCryptEnabled());
    for (const std::string& Line : FileLines(File))
        EXPECT_EQ(Line.find("second"), std::string::npos) << Line;
    const auto Lines = FileLines(File);
    const auto Text = std::find_if(Lines.begin(), Lines.end(),
                                   [](const std::string& L) { return L.rfind("Text=", 0) == 0; });
    ASSERT_NE(Text, Lines.end());
    EXPECT_GT(Text->size(), 80u); // longer than one MIME line, and still one line
}

TEST_F(AppStorage, WideStringsHonourReadOnlyLikeStrings) {
    Store->SetReadOnly(true);
    Store->WriteWideString(u"W\\A", u"x");
    Store->WriteString(u"W\\B", u"x");
    Store->WriteInteger(u"W\\C", 1);
    Store->DeleteSubTree(u"W");
    EXPECT_FALSE(Store->ValueStored(u"W\\A"));
    EXPECT_FALSE(Store->ValueStored(u"W\\B"));
    EXPECT_FALSE(Store->ValueStored(u"W\\C"));
    Store->SetReadOnly(false);
    Store->SetPath(u"Sub");
    Store->WriteWideString(u"W\\A", u"relative");
    EXPECT_EQ(U8(Store->ReadString(u"\\Sub\\W\\A")), "relative");
}

TEST_F(AppStorage, SubStoragesGraftAnotherStoreUnderAPath) {
    const String OtherFile = Temp / "other.ini";
    TStorePtr Other = NewStore(OtherFile);
    Other->SetDefaultSection(u"Top");
    Store->SetDefaultSection(u"Top");
    Store->SubStorages()->Add(u"\\Plugins\\", Other.get());
    EXPECT_EQ(U8(Store->SubStorages()->Items(0)->RootPath()), "Plugins");
    Store->WriteInteger(u"plugins\\Serial\\Rate", 9600); // root paths compare without case
    Store->WriteInteger(u"Plugins", 1);                  // the root itself is not below it
    Store->WriteInteger(u"Plugins\\Value", 2);
    EXPECT_EQ(Other->ReadInteger(u"Serial\\Rate"), 9600);
    EXPECT_EQ(Other->ReadInteger(u"Value"), 2);
    EXPECT_EQ(Store->ReadInteger(u"Plugins\\Serial\\Rate"), 9600);
    Store->Flush();
    Other->Flush();
    EXPECT_TRUE(HasLine(File, "Plugins=1"));
    EXPECT_FALSE(HasLine(File, "Rate=9600"));
    EXPECT_TRUE(HasLine(OtherFile, "[Serial]"));
    EXPECT_TRUE(HasLine(OtherFile, "Rate=9600"));

    // Read-only is the target's.
    Other->SetReadOnly(true);
    Store->WriteInteger(u"Plugins\\Serial\\Rate", 1);
    EXPECT_EQ(Other->ReadInteger(u"Serial\\Rate"), 9600);
    Other->SetReadOnly(false);

    EXPECT_EQ(U8(ThrownMessage<EKitAppStorageError>(
                  [&] { Store->SubStorages()->Add(u"Plugins\\Serial", Other.get()); })),
              "'Plugins\\Serial' is not a unique root path");
    EXPECT_EQ(Store->SubStorages()->Count(), 1); // the refused item went again
    EXPECT_EQ(
        U8(ThrownMessage<EKitAppStorageError>([&] { Other->SubStorages()->Add(u"Back", Store.get()); })),
        "Circular reference of storages");
    EXPECT_EQ(
        U8(ThrownMessage<EKitAppStorageError>([&] { Store->SubStorages()->Add(u"Self", Store.get()); })),
        "Circular reference of storages");
    EXPECT_EQ(U8(Store->SubStorages()->Items(0)->DisplayName()), "\\Plugins=");

    // Freeing the grafted store removes its item.
    Other.reset();
    EXPECT_EQ(Store->SubStorages()->Count(), 0);
    Store->WriteInteger(u"Plugins\\Serial\\Rate", 3);
    EXPECT_EQ(Store->ReadInteger(u"Plugins\\Serial\\Rate"), 3);
}

TEST_F(AppStorage, SubStorageItemsDeletedByPath) {
    TStorePtr A = NewStore(Temp / "a.ini"), B = NewStore(Temp / "b.ini");
    TKitAppSubStorages* Items = Store->SubStorages();
    Items->Add(u"X", A.get());
    Items->Add(u"Y\\One", B.get());
    Items->Add(u"Y\\Two", A.get());
    Items->Delete(u"y", false);
    EXPECT_EQ(Items->Count(), 3);
    Items->Delete(u"Y", true);
    EXPECT_EQ(Items->Count(), 1);
    Items->Delete(A.get());
    EXPECT_EQ(Items->Count(), 0);
}

TEST_F(AppStorage, ReadOnlyFileMakesTheStoreReadOnly) {
    Store->WriteInteger(u"R\\Value", 1);
    Store.reset();
    const std::string Before = ReadBytes(StringToUtf8(File));
    ::chmod(StringToUtf8(File).c_str(), 0444);
    ::chmod(Temp.Path().c_str(), 0755);
    // Root may write anything: the store runs as an unprivileged user in a child.
    const int Code = RunInChild([&] {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 2;
        TStorePtr S = NewStore(File);
        if (!S->ReadOnly()) return 3;
        S->WriteInteger(u"R\\Value", 2);
        S->WriteInteger(u"R\\Other", 3);
        if (S->ReadInteger(u"R\\Value") != 1 || S->ValueStored(u"R\\Other")) return 4;
        return 0; // the store goes without writing
    });
    EXPECT_EQ(Code, 0);
    EXPECT_EQ(ReadBytes(StringToUtf8(File)), Before);
}

TEST_F(AppStorage, DeletePathByVersion) {
    struct {
        int Stored; // 0: none
        int Version;
        bool DeleteIfNotEqual;
        bool Deleted;
    } const Cases[] = {
        {3, 3, false, false}, {3, 3, true, false}, {2, 3, false, true},
        {4, 3, false, false}, {4, 3, true, true},  {0, 1, false, true},
    };
    for (const auto& Case : Cases) {
        Store->DeleteSubTree(u"Form");
        Store->WriteInteger(u"Form\\Data", 1);
        if (Case.Stored) Store->WriteInteger(u"Form\\Version", Case.Stored);
        Store->CheckDeletePathByVersion(u"Form", Case.Version, u"Version", true, Case.DeleteIfNotEqual);
        EXPECT_EQ(Store->ValueStored(u"Form\\Data"), !Case.Deleted) << Case.Stored << "/" << Case.Version;
        // A differing version is written, also where the subtree stayed.
        EXPECT_EQ(Store->ReadInteger(u"Form\\Version"), Case.Version);
    }
    Store->DeleteSubTree(u"Form");
    Store->CheckDeletePathByVersion(u"Form", 5, u"Version", false);
    EXPECT_FALSE(Store->ValueStored(u"Form\\Version"));
    Store->CheckDeletePathByVersion(u"Form", 5, u"");
    EXPECT_FALSE(Store->ValueStored(u"Form\\Version"));
}

TEST_F(AppStorage, StoredValuesAndFolders) {
    Store->WriteInteger(u"App\\Width", 1);
    Store->WriteInteger(u"App\\Window\\Left", 2);
    Store->WriteInteger(u"App\\Window\\Deep\\X", 3);
    Store->WriteInteger(u"App\\List\\Count", 1);
    Store->WriteString(u"App\\List\\Item0", u"a");
    Store->WriteInteger(u"App\\Both", 4);
    Store->WriteInteger(u"App\\Both\\Inner", 5);
    auto Listed = [&](const String& Path, TKitAppStorageEnumOptions Options) {
        TStringList L;
        Store->GetStoredValues(Path, &L, Options);
        std::map<std::string, int> R;
        for (int I = 0; I < L.Count(); ++I)
            R[U8(L.Strings(I))] = static_cast<int>(reinterpret_cast<std::intptr_t>(L.Objects(I)));
        return R;
    };
    EXPECT_EQ(Listed(u"App", {aeoFolders, aeoValues, aeoReportListAsValue}),
              (std::map<std::string, int>{
                  {"App\\Width", 2}, {"App\\Window", 1}, {"App\\List", 2}, {"App\\Both", 3}}));
    EXPECT_EQ(Listed(u"App", {aeoValues, aeoReportRelative, aeoRecursive}),
              (std::map<std::string, int>{{"Width", 2},
                                          {"Both", 2},
                                          {"Window\\Left", 2},
                                          {"Window\\Deep\\X", 2},
                                          {"List\\Count", 2},
                                          {"List\\Item0", 2},
                                          {"Both\\Inner", 2}}));
    EXPECT_EQ(Listed(u"App\\Window", {aeoFolders, aeoReportRelative}),
              (std::map<std::string, int>{{"Deep", 1}}));
    EXPECT_TRUE(Store->IsFolder(u"App\\Window"));
    EXPECT_TRUE(Store->IsFolder(u"App"));
    EXPECT_FALSE(Store->IsFolder(u"App\\List", true));
    EXPECT_TRUE(Store->IsFolder(u"App\\List", false));
    EXPECT_TRUE(Store->ListStored(u"App\\List"));
    EXPECT_FALSE(Store->IsFolder(u"Nothing"));
}

TEST_F(AppStorage, AutoFlushAndTheUpdateBracket) {
    Store->SetAutoFlush(true);
    Store->WriteInteger(u"A\\V", 1);
    EXPECT_TRUE(HasLine(File, "V=1"));
    Store->BeginUpdate();
    Store->WriteInteger(u"A\\V", 2);
    Store->WriteInteger(u"A\\W", 3);
    EXPECT_TRUE(HasLine(File, "V=1"));
    Store->EndUpdate();
    EXPECT_TRUE(HasLine(File, "V=2"));
    EXPECT_TRUE(HasLine(File, "W=3"));
    Store->EndUpdate(); // unbalanced: the count stays at 0
    EXPECT_FALSE(Store->IsUpdating());
}

TEST_F(AppStorage, DateTimesInTheEngineFormats) {
    Store->StorageOptions()->SetUseTranslateStringEngineDateTimeFormats(true);
    Store->ActiveTranslateStringEngine()->SetDateFormat(u"yyyy/mm/dd");
    Store->ActiveTranslateStringEngine()->SetTimeFormat(u"hh:nn");
    Store->WriteDateTime(u"D\\When", EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 0, 0));
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "When=2024.03.05 07:08"));

    TKitTranslateString Engine(nullptr);
    Store->SetTranslateStringEngine(&Engine);
    EXPECT_EQ(Store->ActiveTranslateStringEngine(), &Engine);
}

TEST_F(AppStorage, AnAssignedEngineIsForgottenWhenItGoes) {
    auto* Engine = new TKitTranslateString(nullptr);
    Store->SetTranslateStringEngine(Engine);
    delete Engine;
    EXPECT_EQ(Store->TranslateStringEngine(), nullptr);
    EXPECT_NE(Store->ActiveTranslateStringEngine(), nullptr);
}
