#pragma once
// Version information of program files: the version record that the build embeds in our
// programs (platform/base/VersionRecord.h), parsed as the platform the programs come from
// parses its version resources: the fixed file information, the string tables of each
// language and the translation list.

#include "settings/UtilErrors.h"

#include "platform/base/Lists.h"
#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"

#include <memory>
#include <vector>

DECLARE_ENUM(TFileFlag, Byte, ffDebug, ffInfoInferred, ffPatched, ffPreRelease, ffPrivateBuild,
             ffSpecialBuild)
using TFileFlags = TSet<TFileFlag>;

// The fixed file information record (52 bytes).
struct TVSFixedFileInfo {
    Cardinal dwSignature = 0;
    Cardinal dwStrucVersion = 0;
    Cardinal dwFileVersionMS = 0;
    Cardinal dwFileVersionLS = 0;
    Cardinal dwProductVersionMS = 0;
    Cardinal dwProductVersionLS = 0;
    Cardinal dwFileFlagsMask = 0;
    Cardinal dwFileFlags = 0;
    Cardinal dwFileOS = 0;
    Cardinal dwFileType = 0;
    Cardinal dwFileSubtype = 0;
    Cardinal dwFileDateMS = 0;
    Cardinal dwFileDateLS = 0;
};
static_assert(sizeof(TVSFixedFileInfo) == 52);

// The well-known keys, by number (WellKnownKeyValue).
enum : int {
    vkComments = 1,
    vkCompanyName,
    vkFileDescription,
    vkFileVersion,
    vkInternalName,
    vkLegalCopyright,
    vkLegalTradeMarks,
    vkOriginalFilename,
    vkProductName,
    vkProductVersion,
    vkSpecialBuild,
    vkPrivateBuild
};

class TUtilFileVersionInfo : public TObject {
public:
    // Reads the program file's version record. A file without one (or with a record whose
    // blocks do not hold together) raises EUtilFileVersionInfoError "File contains no version
    // information"; a file that cannot be read raises EOSError.
    explicit TUtilFileVersionInfo(const String& FileName);
    // A copy of a record already in memory; raises as above.
    static std::unique_ptr<TUtilFileVersionInfo> Attach(const void* Data, int Size);

    // "%u.%u.%u.%u" from the fixed information.
    String BinFileVersion() const;
    String BinProductVersion() const;
    Cardinal FileOS() const { return FFixedInfo.dwFileOS; }
    Cardinal FileType() const { return FFixedInfo.dwFileType; }
    Cardinal FileSubType() const { return FFixedInfo.dwFileSubtype; }
    const TVSFixedFileInfo& FixedInfo() const { return FFixedInfo; }
    TFileFlags FileFlags() const { return FFileFlags; }

    // "Key=Value" entries of the selected language; each entry's object is that language's
    // identifier (language in the low word, code page in the high word).
    const TStringList* Items() const { return &FItems; }
    // Every language's entries; the objects are the languages' indexes.
    const TStringList* ItemList() const { return &FItemList; }
    int LanguageCount() const { return static_cast<int>(FLanguages.size()); }
    int TranslationCount() const { return static_cast<int>(FTranslations.size()); }
    Cardinal Languages(int Index) const { return FLanguages.at(static_cast<size_t>(Index)); }
    Cardinal Translations(int Index) const { return FTranslations.at(static_cast<size_t>(Index)); }
    int LanguageIndex() const { return FLanguageIndex; }
    // EUtilFileVersionInfoError "Illegal language index" outside 0 .. LanguageCount - 1.
    void SetLanguageIndex(int Value);
    // The counts agree (or, not Exact, there is a translation) and every translation is a
    // language of the string tables.
    bool TranslationMatchesLanguages(bool Exact = true) const;

    // A well-known key's value in the selected language; "" when absent.
    String WellKnownKeyValue(int Key) const;
    // EUtilFileVersionInfoError "No value was supplied" for "", "The value %s was not found."
    // for a key the selected language lacks.
    String GetCustomFieldValue(const String& FieldName) const;

    String Comments() const { return WellKnownKeyValue(vkComments); }
    String CompanyName() const { return WellKnownKeyValue(vkCompanyName); }
    String FileDescription() const { return WellKnownKeyValue(vkFileDescription); }
    String FileVersion() const { return WellKnownKeyValue(vkFileVersion); }
    String InternalName() const { return WellKnownKeyValue(vkInternalName); }
    String LegalCopyright() const { return WellKnownKeyValue(vkLegalCopyright); }
    String LegalTradeMarks() const { return WellKnownKeyValue(vkLegalTradeMarks); }
    String OriginalFilename() const { return WellKnownKeyValue(vkOriginalFilename); }
    String ProductName() const { return WellKnownKeyValue(vkProductName); }
    String ProductVersion() const { return WellKnownKeyValue(vkProductVersion); }
    String SpecialBuild() const { return WellKnownKeyValue(vkSpecialBuild); }
    String PrivateBuild() const { return WellKnownKeyValue(vkPrivateBuild); }

    // Parts of the version texts (commas read as periods, each part trimmed): major before the
    // first period, minor and release between the first three, build after the last.
    String MajorOfFileVersion() const { return VersionPart(FileVersion(), 0); }
    String MinorOfFileVersion() const { return VersionPart(FileVersion(), 1); }
    String ReleaseOfFileVersion() const { return VersionPart(FileVersion(), 2); }
    String BuildOfFileVersion() const { return VersionPart(FileVersion(), 3); }
    String MajorOfProductVersion() const { return VersionPart(ProductVersion(), 0); }
    String MinorOfProductVersion() const { return VersionPart(ProductVersion(), 1); }
    String ReleaseOfProductVersion() const { return VersionPart(ProductVersion(), 2); }
    String BuildOfProductVersion() const { return VersionPart(ProductVersion(), 3); }
    static String VersionPart(const String& Version, int Part);

    // "%.4x%.4x": the language, then the code page of an identifier.
    static String VersionLanguageId(Cardinal LangIdValue);

private:
    TUtilFileVersionInfo() = default;
    void Parse(const AnsiString& Buffer);
    void BuildItems();

    AnsiString FBuffer;
    TVSFixedFileInfo FFixedInfo;
    TFileFlags FFileFlags;
    TStringList FItemList;
    TStringList FItems;
    std::vector<Cardinal> FLanguages;
    int FLanguageIndex = 0;
    std::vector<Cardinal> FTranslations;
};

// The fixed information of a file's version record; false when it has none or it cannot be read.
bool ReadFixedVersionInfo(const String& FileName, TVSFixedFileInfo& Record);
