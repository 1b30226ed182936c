#include "settings/KitIniDocument.h"

#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Strings.h"

#include <cerrno>
#include <cstring>

namespace {

// The text up to its first line break.
String FirstLine(const String& S) {
    const size_t P = S.find_first_of(u"\r\n");
    return P == String::npos ? S : S.substr(0, P);
}

} // namespace

String TKitIniDocument::Fold(const String& S) {
    return AnsiLowerCase(S);
}

void TKitIniDocument::Clear() {
    FSections.clear();
    FIndex.clear();
}

void TKitIniDocument::Reindex() {
    FIndex.clear();
    for (size_t I = 0; I < FSections.size(); ++I)
        FIndex.emplace(Fold(FSections[I].Name), I);
}

const TKitIniDocument::TSection* TKitIniDocument::Find(const String& Section) const {
    auto It = FIndex.find(Fold(Section));
    return It == FIndex.end() ? nullptr : &FSections[It->second];
}

TKitIniDocument::TSection* TKitIniDocument::Find(const String& Section) {
    return const_cast<TSection*>(static_cast<const TKitIniDocument*>(this)->Find(Section));
}

TKitIniDocument::TSection& TKitIniDocument::AddSection(const String& Name) {
    FSections.push_back({Name, {}, {}});
    FIndex.emplace(Fold(Name), FSections.size() - 1);
    return FSections.back();
}

const TKitIniDocument::TLine* TKitIniDocument::FindLine(const TSection& S, const String& Key) const {
    auto It = S.Keys.find(Fold(Key));
    return It == S.Keys.end() ? nullptr : &S.Lines[It->second];
}

void TKitIniDocument::IndexKeys(TSection& S) {
    S.Keys.clear();
    for (size_t I = 0; I < S.Lines.size(); ++I)
        if (S.Lines[I].HasValue) S.Keys.emplace(S.Lines[I].Folded, I); // the first one counts
}

void TKitIniDocument::AddLine(TSection& S, const String& Line) {
    TLine L;
    const size_t Eq = Line.find(u'=');
    if (Eq == String::npos) {
        L.Name = Line;
    } else {
        L.HasValue = true;
        L.Name = Trim(Line.substr(0, Eq));
        L.Value = Trim(Line.substr(Eq + 1));
        L.Folded = Fold(L.Name);
        S.Keys.emplace(L.Folded, S.Lines.size());
    }
    S.Lines.push_back(std::move(L));
}

void TKitIniDocument::SetText(const String& Value) {
    Clear();
    TSection* Current = nullptr;
    size_t Start = 0;
    while (Start < Value.size()) {
        size_t End = Value.find_first_of(u"\r\n", Start);
        if (End == String::npos) End = Value.size();
        const String Line = Trim(Value.substr(Start, End - Start));
        Start = End + (Value.compare(End, 2, u"\r\n") == 0 ? 2 : 1);
        if (Line.empty() || Line[0] == u';') continue;
        if (Line.front() == u'[' && Line.back() == u']' && Line.size() >= 2) {
            const String Name = Trim(Line.substr(1, Line.size() - 2));
            // A section that comes again continues the first one.
            Current = Find(Name);
            if (!Current) Current = &AddSection(Name);
            continue;
        }
        if (Current) AddLine(*Current, Line);
    }
}

String TKitIniDocument::Text() const {
    String Out;
    for (const TSection& S : FSections) {
        if (S.Lines.empty()) continue; // a section without lines does not exist
        Out += u"[" + FirstLine(S.Name) + u"]\r\n";
        for (const TLine& L : S.Lines)
            Out += (L.HasValue ? FirstLine(L.Name) + u"=" + FirstLine(L.Value) : FirstLine(L.Name)) + u"\r\n";
        Out += u"\r\n";
    }
    return Out;
}

void TKitIniDocument::SetEncoding(TEncoding* Value) {
    FEncoding = Value;
}

void TKitIniDocument::LoadFromFile(const String& FileName) {
    TEncoding* Detected = nullptr;
    const String Text = LoadTextFile(FileName, Detected, TEncoding::ANSI());
    SetText(Text);
    FEncoding = Detected == TEncoding::Default() ? nullptr : Detected;
}

AnsiString TKitIniDocument::SaveToBytes() const {
    TEncoding* E = FEncoding ? FEncoding : TEncoding::Default();
    TBytes Bytes = E->GetPreamble();
    const TBytes Body = E->GetBytes(Text());
    Bytes.insert(Bytes.end(), Body.begin(), Body.end());
    return AnsiString(Bytes.begin(), Bytes.end());
}

void TKitIniDocument::SaveToFile(const String& FileName) const {
    const AnsiString Bytes = SaveToBytes();
    if (!WriteFileSafe(FileName, Bytes))
        throw EFCreateError(u"Cannot create file \"" + FileName + u"\". " +
                            Utf8ToString(std::strerror(errno)));
}

bool TKitIniDocument::SectionExists(const String& Section) const {
    const TSection* S = Find(Section);
    return S && !S->Lines.empty();
}

bool TKitIniDocument::ValueExists(const String& Section, const String& Key) const {
    const TSection* S = Find(Section);
    return S && FindLine(*S, Key);
}

String TKitIniDocument::ReadString(const String& Section, const String& Key, const String& Default) const {
    const TSection* S = Find(Section);
    const TLine* L = S ? FindLine(*S, Key) : nullptr;
    return L ? L->Value : Default;
}

void TKitIniDocument::WriteString(const String& Section, const String& Key, const String& Value) {
    TSection* S = Find(Section);
    if (!S) S = &AddSection(Section);
    if (auto* L = const_cast<TLine*>(FindLine(*S, Key))) {
        L->Value = Value;
        return;
    }
    TLine L;
    L.HasValue = true;
    L.Name = Key;
    L.Value = Value;
    L.Folded = Fold(Key);
    S->Keys.emplace(L.Folded, S->Lines.size());
    S->Lines.push_back(std::move(L));
}

bool TKitIniDocument::DeleteKey(const String& Section, const String& Key) {
    TSection* S = Find(Section);
    if (!S) return false;
    const String Folded = Fold(Key);
    const auto Before = S->Lines.size();
    std::erase_if(S->Lines, [&](const TLine& L) { return L.HasValue && L.Folded == Folded; });
    if (S->Lines.size() == Before) return false;
    IndexKeys(*S);
    return true;
}

bool TKitIniDocument::EraseSection(const String& Section) {
    const String Folded = Fold(Section);
    return EraseSections([&](const String& Name) { return Fold(Name) == Folded; }) > 0;
}

int TKitIniDocument::EraseSections(const std::function<bool(const String& Name)>& Predicate) {
    const auto Before = FSections.size();
    std::erase_if(FSections, [&](const TSection& S) { return Predicate(S.Name); });
    if (FSections.size() != Before) Reindex();
    return static_cast<int>(Before - FSections.size());
}

std::vector<String> TKitIniDocument::SectionNames() const {
    std::vector<String> Names;
    for (const TSection& S : FSections)
        Names.push_back(S.Name);
    return Names;
}

std::vector<String> TKitIniDocument::SectionKeys(const String& Section) const {
    std::vector<String> Keys;
    if (const TSection* S = Find(Section))
        for (const TLine& L : S->Lines)
            if (L.HasValue) Keys.push_back(L.Name);
    return Keys;
}
