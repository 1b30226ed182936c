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
            FSections.push_back(TIniSection{std::move(L), {}, {}, 0});
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

void TIniDocument::IndexKeys(TIniSection& S) {
    S.Keys.clear();
    S.ValueEnd = 0;
    for (size_t I = 0; I < S.Lines.size(); ++I)
        if (S.Lines[I].Kind == TIniLine::lkValue) {
            S.Keys.emplace(S.Lines[I].Key, I); // keeps the first of duplicates
            S.ValueEnd = I + 1;
        }
}

void TIniDocument::Reindex() {
    FIndex.clear();
    for (size_t I = 0; I < FSections.size(); ++I) {
        FIndex.emplace(FSections[I].Header.Key, I); // keeps the first of duplicates
        IndexKeys(FSections[I]);
    }
}

TIniLine* TIniDocument::LastLine() {
    if (!FSections.empty())
        return FSections.back().Lines.empty() ? &FSections.back().Header : &FSections.back().Lines.back();
    return FPreamble.empty() ? nullptr : &FPreamble.back();
}

// Every line but the last needs its break; a line we add after an unterminated last line
// would otherwise be glued to it. Only the document's last line can lack one, so adding a line
// mends just the line before it; the whole walk is for changes that remove lines.
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
    auto It = S->Keys.find(KeyOf(Key));
    if (It == S->Keys.end()) return nullptr;
    const TIniLine& L = S->Lines[It->second];
    return L.HasValue ? &L.Value : nullptr;
}

bool TIniDocument::KeyExists(const String& Section, const String& Key) const {
    const TIniSection* S = Find(Section);
    return S && S->Keys.count(KeyOf(Key)) > 0;
}

bool TIniDocument::SectionExists(const String& Section) const {
    const TIniSection* S = Find(Section);
    return S && !S->Keys.empty();
}

std::vector<String> TIniDocument::SectionNames() const {
    std::vector<String> Names;
    for (size_t I = 0; I < FSections.size(); ++I)
        if (FIndex.at(FSections[I].Header.Key) == I) Names.push_back(FSections[I].Header.Name);
    return Names;
}

std::vector<String> TIniDocument::SectionKeys(const String& Section) const {
    std::vector<String> Keys;
    if (const TIniSection* S = Find(Section))
        for (size_t I = 0; I < S->Lines.size(); ++I) {
            const TIniLine& L = S->Lines[I];
            if (L.Kind == TIniLine::lkValue && S->Keys.at(L.Key) == I) Keys.push_back(L.Name);
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
    TIniLine* Last = LastLine();
    if (Last && Last->Break.empty()) Last->Break = FNewLine;
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
    FIndex.emplace(Header.Key, FSections.size());
    FSections.push_back(TIniSection{std::move(Header), {}, {}, 0});
    return FSections.back();
}

bool TIniDocument::WriteValue(const String& Section, const String& Key, const String& Value) {
    String V = String(TrimView(FirstLine(Value)));
    String K = String(TrimView(FirstLine(Key)));
    TIniSection* S = Find(Section);
    if (!S) S = &AppendSection(Section);
    String Wanted = KeyOf(K);
    if (auto It = S->Keys.find(Wanted); It != S->Keys.end()) {
        TIniLine& L = S->Lines[It->second];
        if (L.HasValue && L.Value == V) return false;
        L = ValueLine(L.Name, V, L.Break); // the file's spelling of the key
        return true;
    }
    // After the last key; only lines that are no keys follow it, so no index moves.
    const size_t At = S->ValueEnd;
    TIniLine& Before = At == 0 ? S->Header : S->Lines[At - 1];
    if (Before.Break.empty()) Before.Break = FNewLine;
    S->Lines.insert(S->Lines.begin() + std::ptrdiff_t(At), ValueLine(K, V, FNewLine));
    S->Keys.emplace(std::move(Wanted), At);
    S->ValueEnd = At + 1;
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
    IndexKeys(*S);
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
    IndexKeys(*S);
    MendBreaks();
    return true;
}
