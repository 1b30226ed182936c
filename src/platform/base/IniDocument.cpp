#include "platform/base/IniDocument.h"

#include "platform/base/FilesPrivate.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

// A line break inside a name or value would split it into lines of its own (and could forge
// sections): only its first line is written.
String FirstLine(const String& S) {
    size_t I = S.find_first_of(u"\r\n");
    return I == String::npos ? S : S.substr(0, I);
}

} // namespace

// Names compare as the file reads them back: first line only, trimmed.
String TIniDocument::KeyOf(const String& Name) const {
    String N(TrimView(FirstLine(Name)));
    return FCaseSensitive ? N : CaseKey(N);
}

TIniLine TIniDocument::MakeLine(std::string_view Raw, AnsiString Break, bool InSection) const {
    TIniLine L;
    L.Raw = AnsiString(Raw);
    L.Break = std::move(Break);
    String Text = Utf8ToString(Raw);
    StringView T = TrimView(Text);
    if (T.empty()) {
        L.Kind = TIniLine::lkBlank;
    } else if (T[0] == u';') {
        L.Kind = TIniLine::lkComment;
    } else if (T[0] == u'[' && T.rfind(u']') != StringView::npos) {
        // The last ']' closes the name, so names such as paths may hold one.
        L.Kind = TIniLine::lkSection;
        L.Name = String(TrimView(T.substr(1, T.rfind(u']') - 1)));
    } else if (!InSection) {
        L.Kind = TIniLine::lkComment; // before any section: kept, never read
    } else {
        L.Kind = TIniLine::lkValue;
        size_t Eq = T.find(u'=');
        L.HasValue = Eq != StringView::npos;
        L.Name = String(TrimView(T.substr(0, Eq)));
        if (L.HasValue) L.Value = String(TrimView(T.substr(Eq + 1)));
    }
    L.Key = KeyOf(L.Name);
    return L;
}

TIniLine TIniDocument::NewLine(const String& Text) const {
    return MakeLine(StringToUtf8(Text), FNewLine, true);
}

// Built, not parsed: a key that starts with '[' or ';' is still the key the caller named.
TIniLine TIniDocument::ValueLine(const String& Name, const String& Value, AnsiString Break) const {
    TIniLine L;
    L.Raw = StringToUtf8(Name + u'=' + Value);
    L.Break = std::move(Break);
    L.Kind = TIniLine::lkValue;
    L.Name = Name;
    L.Key = KeyOf(Name);
    L.Value = Value;
    L.HasValue = true;
    return L;
}

void TIniDocument::Parse(std::string_view Bytes) {
    Clear();
    FBom = Bytes.starts_with(Bom);
    if (FBom) Bytes.remove_prefix(Bom.size());
    bool BreakSeen = false;
    while (!Bytes.empty()) {
        size_t I = Bytes.find_first_of("\r\n");
        std::string_view Raw = Bytes.substr(0, I), Break;
        if (I != std::string_view::npos)
            Break = Bytes.substr(I, Bytes[I] == '\r' && I + 1 < Bytes.size() && Bytes[I + 1] == '\n' ? 2 : 1);
        if (!BreakSeen && !Break.empty()) {
            FNewLine = AnsiString(Break);
            BreakSeen = true;
        }
        TIniLine L = MakeLine(Raw, AnsiString(Break), !FSections.empty());
        if (L.Kind == TIniLine::lkSection)
            FSections.push_back(TIniSection{std::move(L), {}});
        else if (FSections.empty())
            FPreamble.push_back(std::move(L));
        else
            FSections.back().Lines.push_back(std::move(L));
        Bytes.remove_prefix(Raw.size() + Break.size());
    }
    Reindex();
}

AnsiString TIniDocument::Serialize() const {
    AnsiString Out;
    if (FBom) Out += Bom;
    auto Put = [&Out](const TIniLine& L) {
        Out += L.Raw;
        Out += L.Break;
    };
    for (const auto& L : FPreamble)
        Put(L);
    for (const auto& S : FSections) {
        Put(S.Header);
        for (const auto& L : S.Lines)
            Put(L);
    }
    return Out;
}

void TIniDocument::Clear() {
    FBom = false;
    FNewLine.assign(1, '\n'); // (assigning the literal trips a false g++ 12 warning)
    FPreamble.clear();
    FSections.clear();
    FIndex.clear();
}

void TIniDocument::SetCaseSensitive(bool Value) {
    if (Value == FCaseSensitive) return;
    FCaseSensitive = Value;
    for (auto& S : FSections) {
        S.Header.Key = KeyOf(S.Header.Name);
        for (auto& L : S.Lines)
            L.Key = KeyOf(L.Name);
    }
    Reindex();
}

void TIniDocument::Reindex() {
    FIndex.clear();
    for (size_t I = 0; I < FSections.size(); ++I)
        FIndex.emplace(FSections[I].Header.Key, I); // keeps the first of duplicates
}

// Every line but the last needs its break; a line we add after an unterminated last line
// would otherwise be glued to it.
void TIniDocument::MendBreaks() {
    TIniLine* Prev = nullptr;
    auto Visit = [&](TIniLine& L) {
        if (Prev && Prev->Break.empty()) Prev->Break = FNewLine;
        Prev = &L;
    };
    for (auto& L : FPreamble)
        Visit(L);
    for (auto& S : FSections) {
        Visit(S.Header);
        for (auto& L : S.Lines)
            Visit(L);
    }
}

const TIniSection* TIniDocument::Find(const String& Section) const {
    auto It = FIndex.find(KeyOf(Section));
    return It == FIndex.end() ? nullptr : &FSections[It->second];
}

TIniSection* TIniDocument::Find(const String& Section) {
    return const_cast<TIniSection*>(std::as_const(*this).Find(Section));
}

const String* TIniDocument::FindValue(const String& Section, const String& Key) const {
    const TIniSection* S = Find(Section);
    if (!S) return nullptr;
    String K = KeyOf(Key);
    for (const auto& L : S->Lines)
        if (L.Kind == TIniLine::lkValue && L.Key == K) return L.HasValue ? &L.Value : nullptr;
    return nullptr;
}

bool TIniDocument::KeyExists(const String& Section, const String& Key) const {
    const TIniSection* S = Find(Section);
    if (!S) return false;
    String K = KeyOf(Key);
    for (const auto& L : S->Lines)
        if (L.Kind == TIniLine::lkValue && L.Key == K) return true;
    return false;
}

bool TIniDocument::SectionExists(const String& Section) const {
    const TIniSection* S = Find(Section);
    if (!S) return false;
    for (const auto& L : S->Lines)
        if (L.Kind == TIniLine::lkValue) return true;
    return false;
}

std::vector<String> TIniDocument::SectionNames() const {
    std::vector<String> Names;
    for (size_t I = 0; I < FSections.size(); ++I)
        if (FIndex.at(FSections[I].Header.Key) == I) Names.push_back(FSections[I].Header.Name);
    return Names;
}

std::vector<String> TIniDocument::SectionKeys(const String& Section) const {
    std::vector<String> Keys, Seen;
    if (const TIniSection* S = Find(Section))
        for (const auto& L : S->Lines)
            if (L.Kind == TIniLine::lkValue && std::find(Seen.begin(), Seen.end(), L.Key) == Seen.end()) {
                Seen.push_back(L.Key);
                Keys.push_back(L.Name);
            }
    return Keys;
}

std::vector<String> TIniDocument::SectionLines(const String& Section) const {
    std::vector<String> Lines;
    if (const TIniSection* S = Find(Section))
        for (const auto& L : S->Lines)
            if (L.Kind == TIniLine::lkValue) Lines.push_back(L.HasValue ? L.Name + u'=' + L.Value : L.Name);
    return Lines;
}

TIniSection& TIniDocument::AppendSection(const String& Section) {
    // A blank line before the new section, unless the file is empty or already ends in one.
    TIniLine* Last = nullptr;
    if (!FSections.empty())
        Last = FSections.back().Lines.empty() ? &FSections.back().Header : &FSections.back().Lines.back();
    else if (!FPreamble.empty())
        Last = &FPreamble.back();
    if (Last && Last->Kind != TIniLine::lkBlank) {
        TIniLine Blank = NewLine(String());
        if (FSections.empty())
            FPreamble.push_back(std::move(Blank));
        else
            FSections.back().Lines.push_back(std::move(Blank));
    }
    TIniLine Header;
    Header.Kind = TIniLine::lkSection;
    Header.Name = String(TrimView(FirstLine(Section)));
    Header.Key = KeyOf(Header.Name);
    Header.Raw = StringToUtf8(u"[" + Header.Name + u"]");
    Header.Break = FNewLine;
    FSections.push_back(TIniSection{std::move(Header), {}});
    Reindex();
    MendBreaks();
    return FSections.back();
}

bool TIniDocument::WriteValue(const String& Section, const String& Key, const String& Value) {
    String V = String(TrimView(FirstLine(Value)));
    String K = String(TrimView(FirstLine(Key)));
    TIniSection* S = Find(Section);
    if (!S) S = &AppendSection(Section);
    String Wanted = KeyOf(K);
    size_t AfterLastKey = 0;
    for (size_t I = 0; I < S->Lines.size(); ++I) {
        TIniLine& L = S->Lines[I];
        if (L.Kind != TIniLine::lkValue) continue;
        if (L.Key == Wanted) {
            if (L.HasValue && L.Value == V) return false;
            L = ValueLine(L.Name, V, L.Break); // the file's spelling of the key
            return true;
        }
        AfterLastKey = I + 1;
    }
    S->Lines.insert(S->Lines.begin() + std::ptrdiff_t(AfterLastKey), ValueLine(K, V, FNewLine));
    MendBreaks();
    return true;
}

bool TIniDocument::DeleteKey(const String& Section, const String& Key) {
    TIniSection* S = Find(Section);
    if (!S) return false;
    String K = KeyOf(Key);
    auto Gone = std::remove_if(S->Lines.begin(), S->Lines.end(),
                               [&](const TIniLine& L) { return L.Kind == TIniLine::lkValue && L.Key == K; });
    if (Gone == S->Lines.end()) return false;
    S->Lines.erase(Gone, S->Lines.end());
    MendBreaks();
    return true;
}

bool TIniDocument::EraseSection(const String& Section) {
    String K = KeyOf(Section);
    auto Gone = std::remove_if(FSections.begin(), FSections.end(),
                               [&](const TIniSection& S) { return S.Header.Key == K; });
    if (Gone == FSections.end()) return false;
    FSections.erase(Gone, FSections.end());
    Reindex();
    MendBreaks();
    return true;
}

bool TIniDocument::WriteSection(const String& Section, const std::vector<String>& Lines) {
    TIniSection* S = Find(Section);
    if (!S) S = &AppendSection(Section);
    // The blank lines that end the section stay, so the layout between sections is kept.
    size_t Tail = S->Lines.size();
    while (Tail > 0 && S->Lines[Tail - 1].Kind == TIniLine::lkBlank)
        --Tail;
    std::vector<TIniLine> New;
    for (const String& Text : Lines) {
        TIniLine L = NewLine(String(TrimView(FirstLine(Text))));
        if (L.Kind == TIniLine::lkValue || L.Kind == TIniLine::lkComment) New.push_back(std::move(L));
    }
    New.insert(New.end(), std::make_move_iterator(S->Lines.begin() + std::ptrdiff_t(Tail)),
               std::make_move_iterator(S->Lines.end()));
    S->Lines = std::move(New);
    MendBreaks();
    return true;
}
