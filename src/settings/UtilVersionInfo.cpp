#include "settings/UtilVersionInfo.h"

#include "settings/UtilStrings.h"

#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/base/VersionRecord.h"

#include <cstring>

namespace {

const Char* const WellKnownKeys[] = {u"Comments",        u"CompanyName",      u"FileDescription",
                                     u"FileVersion",     u"InternalName",     u"LegalCopyright",
                                     u"LegalTradeMarks", u"OriginalFilename", u"ProductName",
                                     u"ProductVersion",  u"SpecialBuild",     u"PrivateBuild"};

[[noreturn]] void NoVersionInfo() {
    throw EUtilFileVersionInfoError(u"File contains no version information");
}

size_t Align4(size_t N) {
    return (N + 3) & ~size_t(3);
}

TObject* AsObject(Cardinal V) {
    return reinterpret_cast<TObject*>(static_cast<std::uintptr_t>(V));
}

Cardinal FromObject(TObject* O) {
    return static_cast<Cardinal>(reinterpret_cast<std::uintptr_t>(O));
}

// One block of the record: a header (length, value length, [type,] key), its value and its
// children. Every length is checked against the block's parent, so that a damaged record is
// refused instead of read past.
struct TBlock {
    size_t Start = 0;
    size_t End = 0; // Start + the block's length
    size_t ValueLength = 0;
    bool Text = true;
    bool Wide = true;
    String Key;
    size_t ValueStart = 0;
    size_t ValueEnd = 0;      // the value's bytes, clipped to the block
    size_t ChildrenStart = 0; // after the value
};

class TParser {
public:
    explicit TParser(const AnsiString& Buffer) : B(Buffer) {}

    Word Get16(size_t At) const {
        return static_cast<Word>(static_cast<Byte>(B[At]) | static_cast<Byte>(B[At + 1]) << 8);
    }
    Cardinal Get32(size_t At) const { return Cardinal(Get16(At)) | Cardinal(Get16(At + 2)) << 16; }

    // The block at Start inside its parent, which ends at ParentEnd.
    TBlock Read(size_t Start, size_t ParentEnd) const {
        TBlock K;
        K.Start = Start;
        if (Start % 4 != 0 || ParentEnd > B.size() || Start + 4 > ParentEnd) NoVersionInfo();
        const size_t Length = Get16(Start);
        K.ValueLength = Get16(Start + 2);
        if (Length == 0 || Length > ParentEnd - Start) NoVersionInfo();
        K.End = Start + Length;
        size_t P = Start + 4;
        // The wide layout has a type word below 2 where the narrow one starts its key.
        K.Wide = K.End - P >= 2 && Get16(P) < 2;
        if (K.Wide) {
            K.Text = Get16(P) == 1;
            P += 2;
            for (;; P += 2) {
                if (P + 2 > K.End) NoVersionInfo(); // a key without its end: shorter than its header
                const Char C = Get16(P);
                if (C == 0) break;
                K.Key += C;
            }
            P += 2;
        } else {
            for (;; ++P) {
                if (P >= K.End) NoVersionInfo();
                const char C = B[P];
                if (C == 0) break;
                K.Key += static_cast<Char>(static_cast<Byte>(C));
            }
            ++P;
        }
        K.ValueStart = std::min(Align4(P), K.End);
        const size_t Bytes = K.Wide && K.Text ? K.ValueLength * 2 : K.ValueLength;
        K.ValueEnd = std::min(K.ValueStart + Bytes, K.End);
        K.ChildrenStart = std::min(Align4(K.ValueStart + Bytes), K.End);
        return K;
    }

    // The children of Parent, in order.
    template <class F> void ForEachChild(const TBlock& Parent, F Visit) const {
        size_t P = Parent.ChildrenStart;
        while (P < Parent.End) {
            const TBlock Child = Read(P, Parent.End);
            if (!Visit(Child)) return;
            P = Align4(Child.End);
        }
    }

    String TextValue(const TBlock& K) const {
        String Text;
        if (K.Wide) {
            for (size_t P = K.ValueStart; P + 2 <= K.ValueEnd; P += 2) {
                const Char C = Get16(P);
                if (C == 0) break;
                Text += C;
            }
        } else {
            for (size_t P = K.ValueStart; P < K.ValueEnd && B[P] != 0; ++P)
                Text += static_cast<Char>(static_cast<Byte>(B[P]));
        }
        return Text;
    }

    String Value(const TBlock& K) const {
        const size_t Bytes = K.ValueEnd - K.ValueStart;
        if (K.ValueLength == 0) return String();
        if (K.Text) return TextValue(K);
        if (K.ValueLength <= 4 && Bytes == K.ValueLength) {
            Cardinal V = 0;
            for (size_t I = 0; I < Bytes; ++I)
                V |= Cardinal(static_cast<Byte>(B[K.ValueStart + I])) << (8 * I);
            return Format(u"$%.*x", {static_cast<int>(2 * Bytes), V});
        }
        return K.Wide ? TextValue(K) : String();
    }

private:
    const AnsiString& B;
};

// A string table's key: eight hexadecimal digits once "0x" and anything else are dropped.
bool TableLanguage(const String& Key, Cardinal& Language) {
    String Digits = StringReplace(Key, u"0x", u"", rfReplaceAll | rfIgnoreCase);
    String Hex;
    for (Char C : Digits)
        if ((C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'f') || (C >= u'A' && C <= u'F')) Hex += C;
    if (Hex.size() != 8) return false;
    const Cardinal Lang = static_cast<Cardinal>(StrToInt(u"$" + Hex.substr(0, 4)));
    const Cardinal CodePage = static_cast<Cardinal>(StrToInt(u"$" + Hex.substr(4, 4)));
    Language = Lang | CodePage << 16;
    return true;
}

} // namespace

TUtilFileVersionInfo::TUtilFileVersionInfo(const String& FileName) {
    std::optional<AnsiString> Record = ReadVersionRecord(FileName);
    if (!Record) NoVersionInfo();
    Parse(*Record);
}

std::unique_ptr<TUtilFileVersionInfo> TUtilFileVersionInfo::Attach(const void* Data, int Size) {
    std::unique_ptr<TUtilFileVersionInfo> Info(new TUtilFileVersionInfo());
    Info->Parse(AnsiString(static_cast<const char*>(Data), static_cast<size_t>(std::max(Size, 0))));
    return Info;
}

void TUtilFileVersionInfo::Parse(const AnsiString& Buffer) {
    FBuffer = Buffer;
    const TParser P(FBuffer);
    const TBlock Root = P.Read(0, FBuffer.size());
    if (!SameText(Root.Key, u"VS_VERSION_INFO") || Root.ValueLength != sizeof(TVSFixedFileInfo) ||
        Root.ValueEnd - Root.ValueStart != sizeof(TVSFixedFileInfo))
        NoVersionInfo();
    std::memcpy(&FFixedInfo, FBuffer.data() + Root.ValueStart, sizeof FFixedInfo);
    if (FFixedInfo.dwSignature != 0xFEEF04BD) NoVersionInfo();

    bool Stop = false;
    P.ForEachChild(Root, [&](const TBlock& Child) {
        if (SameText(Child.Key, u"StringFileInfo")) {
            P.ForEachChild(Child, [&](const TBlock& Table) {
                Cardinal Language = 0;
                if (Table.ValueLength != 0 || !TableLanguage(Table.Key, Language)) {
                    Stop = true; // a table of another shape ends the parsing
                    return false;
                }
                const int Index = LanguageCount();
                FLanguages.push_back(Language);
                P.ForEachChild(Table, [&](const TBlock& Entry) {
                    FItemList.AddObject(Entry.Key + u"=" + P.Value(Entry),
                                        AsObject(static_cast<Cardinal>(Index)));
                    return true;
                });
                return true;
            });
        } else if (SameText(Child.Key, u"VarFileInfo")) {
            P.ForEachChild(Child, [&](const TBlock& Var) {
                if (SameText(Var.Key, u"Translation"))
                    for (size_t At = Var.ValueStart; At + 4 <= Var.ValueEnd; At += 4)
                        FTranslations.push_back(P.Get32(At));
                return true;
            });
        } else {
            Stop = true;
        }
        return !Stop;
    });

    const Cardinal Flags = FFixedInfo.dwFileFlags & FFixedInfo.dwFileFlagsMask;
    const std::pair<Cardinal, TFileFlag> Bits[] = {{0x01, ffDebug},        {0x10, ffInfoInferred},
                                                   {0x04, ffPatched},      {0x02, ffPreRelease},
                                                   {0x08, ffPrivateBuild}, {0x20, ffSpecialBuild}};
    for (const auto& [Bit, Flag] : Bits)
        if (Flags & Bit) FFileFlags.Include(Flag);
    BuildItems();
}

void TUtilFileVersionInfo::BuildItems() {
    FItems.Clear();
    for (int I = 0; I < FItemList.Count(); ++I)
        if (static_cast<int>(FromObject(FItemList.Objects(I))) == FLanguageIndex)
            FItems.AddObject(FItemList.Strings(I), AsObject(Languages(FLanguageIndex)));
}

void TUtilFileVersionInfo::SetLanguageIndex(int Value) {
    if (Value < 0 || Value >= LanguageCount()) throw EUtilFileVersionInfoError(u"Illegal language index");
    if (Value == FLanguageIndex) return;
    FLanguageIndex = Value;
    BuildItems();
}

bool TUtilFileVersionInfo::TranslationMatchesLanguages(bool Exact) const {
    if (!(TranslationCount() == LanguageCount() || (!Exact && TranslationCount() > 0))) return false;
    for (Cardinal T : FTranslations)
        if (std::find(FLanguages.begin(), FLanguages.end(), T) == FLanguages.end()) return false;
    return true;
}

String TUtilFileVersionInfo::WellKnownKeyValue(int Key) const {
    if (Key < vkComments || Key > vkPrivateBuild) return String();
    return FItems.Values(WellKnownKeys[Key - 1]);
}

String TUtilFileVersionInfo::GetCustomFieldValue(const String& FieldName) const {
    if (FieldName.empty()) throw EUtilFileVersionInfoError(u"No value was supplied");
    const int I = FItems.IndexOfName(FieldName);
    if (I < 0) throw EUtilFileVersionInfoError(Format(u"The value %s was not found.", {FieldName}));
    return FItems.ValueFromIndex(I);
}

String TUtilFileVersionInfo::BinFileVersion() const {
    return Format(u"%u.%u.%u.%u", {FFixedInfo.dwFileVersionMS >> 16, FFixedInfo.dwFileVersionMS & 0xFFFF,
                                   FFixedInfo.dwFileVersionLS >> 16, FFixedInfo.dwFileVersionLS & 0xFFFF});
}

String TUtilFileVersionInfo::BinProductVersion() const {
    return Format(u"%u.%u.%u.%u",
                  {FFixedInfo.dwProductVersionMS >> 16, FFixedInfo.dwProductVersionMS & 0xFFFF,
                   FFixedInfo.dwProductVersionLS >> 16, FFixedInfo.dwProductVersionLS & 0xFFFF});
}

String TUtilFileVersionInfo::VersionPart(const String& Version, int Part) {
    const String Text = ReplaceCharAll(Version, u',', u'.');
    if (Part == 3) {
        const size_t Last = Text.rfind(u'.');
        return Last == String::npos ? String() : Trim(Text.substr(Last + 1));
    }
    size_t Start = 0;
    for (int I = 0; I < Part; ++I) {
        const size_t Dot = Text.find(u'.', Start);
        if (Dot == String::npos) return String();
        Start = Dot + 1;
    }
    const size_t End = Text.find(u'.', Start);
    return Trim(Text.substr(Start, End == String::npos ? String::npos : End - Start));
}

String TUtilFileVersionInfo::VersionLanguageId(Cardinal LangIdValue) {
    return Format(u"%.4x%.4x", {LangIdValue & 0xFFFF, LangIdValue >> 16});
}

bool ReadFixedVersionInfo(const String& FileName, TVSFixedFileInfo& Record) {
    try {
        TUtilFileVersionInfo Info(FileName);
        Record = Info.FixedInfo();
        return true;
    } catch (const Exception&) {
        return false;
    }
}
