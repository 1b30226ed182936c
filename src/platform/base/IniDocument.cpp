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

// The break that starts Bytes, or brNone.
TIniLine::TBreak BreakAt(std::string_view Bytes) {
    if (Bytes.starts_with("\r\n")) return TIniLine::brCRLF;
    if (Bytes.starts_with('\r')) return TIniLine::brCR;
    return Bytes.starts_with('\n') ? TIniLine::brLF : TIniLine::brNone;
}

size_t BreakSize(TIniLine::TBreak B) {
    return B == TIniLine::brNone ? 0 : B == TIniLine::brCRLF ? 2 : 1;
}

// Bytes up to ' ' are the blanks that trimming removes: in UTF-8 they are the characters
// themselves.
std::string_view TrimBytes(std::string_view S) {
    size_t B = 0, E = S.size();
    while (B < E && static_cast<unsigned char>(S[B]) <= ' ')
        ++B;
    while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ')
        --E;
    return S.substr(B, E - B);
}

} // namespace

std::string_view TIniLine::BreakText() const {
    switch (Break) {
    case brLF:
        return "\n";
    case brCRLF:
        return "\r\n";
    case brCR:
        return "\r";
    case brNone:
        break;
    }
    return {};
}

// Names compare as the file reads them back: first line only, trimmed.
String TIniDocument::KeyOf(const String& Name) const {
    StringView N(Name);
    N = TrimView(N.substr(0, std::min(N.find_first_of(u"\r\n"), N.size())));
    if (FCaseSensitive) return String(N);
    // Every key read or written passes here: plain ASCII is folded in the one copy it needs.
    String R(N);
    for (Char& C : R)
        if (C >= 0x80) return CaseKey(R);
        else if (C >= u'A' && C <= u'Z') C = Char(C + 32);
    return R;
}

// Classified on bytes: in UTF-8 the blanks, '[', ']', ';' and '=' are single bytes that no
// other character contains, so this reads a line as its decoded text would.
TIniLine TIniDocument::MakeLine(std::string_view Raw, TIniLine::TBreak Break, bool InSection) {
    TIniLine L;
    L.Length = Raw.size();
    L.Break = Break;
    const std::string_view T = TrimBytes(Raw);
    if (T.empty()) {
        L.Kind = TIniLine::lkBlank;
    } else if (T[0] == ';') {
        L.Kind = TIniLine::lkComment;
    } else if (T[0] == '[' && T.rfind(']') != std::string_view::npos) {
        // The last ']' closes the name, so names such as paths may hold one.
        L.Kind = TIniLine::lkSection;
    } else if (!InSection) {
        L.Kind = TIniLine::lkComment; // before any section: kept, never read
    } else {
        L.Kind = TIniLine::lkValue;
        L.Eq = Raw.find('=');
        L.HasValue = L.Eq != std::string_view::npos;
    }
    return L;
}

std::string_view TIniDocument::RawOf(const TIniLine& L) const {
    return L.Owned ? std::string_view(L.Own) : std::string_view(FSource).substr(L.Offset, L.Length);
}

String TIniDocument::NameOf(const TIniLine& L) const {
    std::string_view T = TrimBytes(RawOf(L));
    if (L.Kind == TIniLine::lkSection) return Utf8ToString(TrimBytes(T.substr(1, T.rfind(']') - 1)));
    if (L.Kind != TIniLine::lkValue) return String();
    return Utf8ToString(TrimBytes(L.HasValue ? RawOf(L).substr(0, L.Eq) : T));
}

String TIniDocument::ValueOf(const TIniLine& L) const {
    return L.HasValue ? Utf8ToString(TrimBytes(RawOf(L).substr(L.Eq + 1))) : String();
}

TIniLine TIniDocument::NewLine(const String& Text) const {
    AnsiString Raw = StringToUtf8(Text);
    TIniLine L = MakeLine(Raw, FNewLine, true);
    L.Own = std::move(Raw);
    L.Owned = true;
    return L;
}

// Built, not parsed: a key that starts with '[' or ';', or holds '=', is still the key the
// caller named.
TIniLine TIniDocument::ValueLine(const String& Name, const String& Value, TIniLine::TBreak Break) const {
    TIniLine L;
    L.Own = StringToUtf8(Name);
    L.Eq = L.Own.size();
    L.Own += '=';
    L.Own += StringToUtf8(Value);
    L.Length = L.Own.size();
    L.Owned = true;
    L.Break = Break;
    L.Kind = TIniLine::lkValue;
    L.HasValue = true;
    return L;
}

void TIniDocument::Parse(std::string_view Bytes) {
    Clear();
    FBom = Bytes.starts_with(Bom);
    if (FBom) Bytes.remove_prefix(Bom.size());
    FSource = AnsiString(Bytes);
    const std::string_view Source(FSource);
    // Each line list is sized before it is filled: growing it would move every line parsed so
    // far, again and again. First the lines of the preamble and of each section are counted.
    std::vector<size_t> Counts{0};
    for (size_t At = 0; At < Source.size();) {
        const size_t End = std::min(Source.find_first_of("\r\n", At), Source.size());
        const std::string_view T = TrimBytes(Source.substr(At, End - At));
        if (!T.empty() && T[0] == '[' && T.find(']') != std::string_view::npos)
            Counts.push_back(0);
        else
            ++Counts.back();
        At = End + BreakSize(BreakAt(Source.substr(End)));
    }
    FPreamble.reserve(Counts[0]);
    FSections.reserve(Counts.size() - 1);
    bool BreakSeen = false;
    for (size_t At = 0; At < Source.size();) {
        const size_t End = std::min(Source.find_first_of("\r\n", At), Source.size());
        const TIniLine::TBreak Break = BreakAt(Source.substr(End));
        if (!BreakSeen && Break != TIniLine::brNone) {
            FNewLine = Break;
            BreakSeen = true;
        }
        TIniLine L = MakeLine(Source.substr(At, End - At), Break, !FSections.empty());
        L.Offset = At;
        if (L.Kind == TIniLine::lkSection) {
            FSections.push_back(TIniSection{std::move(L), {}, {}, 0});
            if (FSections.size() < Counts.size()) FSections.back().Lines.reserve(Counts[FSections.size()]);
        } else if (FSections.empty()) {
            FPreamble.push_back(std::move(L));
        } else {
            FSections.back().Lines.push_back(std::move(L));
        }
        At = End + BreakSize(Break);
    }
    Reindex();
}

AnsiString TIniDocument::Serialize() const {
    AnsiString Out;
    if (FBom) Out += Bom;
    auto Put = [&](const TIniLine& L) {
        Out += RawOf(L);
        Out += L.BreakText();
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
    FNewLine = TIniLine::brLF;
    FSource.clear();
    FPreamble.clear();
    FSections.clear();
    FIndex.Clear();
}

void TIniDocument::SetCaseSensitive(bool Value) {
    if (Value == FCaseSensitive) return;
    FCaseSensitive = Value;
    Reindex();
}

void TIniDocument::IndexKeys(TIniSection& S) const {
    S.Keys.Clear();
    S.Keys.Reserve(S.Lines.size());
    S.ValueEnd = 0;
    for (size_t I = 0; I < S.Lines.size(); ++I)
        if (S.Lines[I].Kind == TIniLine::lkValue) {
            S.Keys.Add(KeyOf(NameOf(S.Lines[I])), I); // keeps the first of duplicates
            S.ValueEnd = I + 1;
        }
}

void TIniDocument::Reindex() {
    FIndex.Clear();
    FIndex.Reserve(FSections.size());
    for (size_t I = 0; I < FSections.size(); ++I) {
        FIndex.Add(KeyOf(NameOf(FSections[I].Header)), I); // keeps the first of duplicates
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
        if (Prev && Prev->Break == TIniLine::brNone) Prev->Break = FNewLine;
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
    const std::optional<size_t> I = FIndex.Find(KeyOf(Section));
    return I ? &FSections[*I] : nullptr;
}

TIniSection* TIniDocument::Find(const String& Section) {
    return const_cast<TIniSection*>(std::as_const(*this).Find(Section));
}

std::optional<String> TIniDocument::FindValue(const String& Section, const String& Key) const {
    const TIniSection* S = Find(Section);
    if (!S) return std::nullopt;
    const std::optional<size_t> I = S->Keys.Find(KeyOf(Key));
    if (!I) return std::nullopt;
    const TIniLine& L = S->Lines[*I];
    if (!L.HasValue) return std::nullopt;
    return ValueOf(L);
}

bool TIniDocument::KeyExists(const String& Section, const String& Key) const {
    const TIniSection* S = Find(Section);
    return S && S->Keys.Contains(KeyOf(Key));
}

bool TIniDocument::SectionExists(const String& Section) const {
    const TIniSection* S = Find(Section);
    return S && !S->Keys.Empty();
}

std::vector<String> TIniDocument::SectionNames() const {
    std::vector<String> Names;
    for (size_t I = 0; I < FSections.size(); ++I)
        if (String Name = NameOf(FSections[I].Header); FIndex.Find(KeyOf(Name)) == I)
            Names.push_back(std::move(Name));
    return Names;
}

std::vector<String> TIniDocument::SectionKeys(const String& Section) const {
    std::vector<String> Keys;
    if (const TIniSection* S = Find(Section))
        for (size_t I = 0; I < S->Lines.size(); ++I) {
            const TIniLine& L = S->Lines[I];
            if (L.Kind != TIniLine::lkValue) continue;
            if (String Name = NameOf(L); S->Keys.Find(KeyOf(Name)) == I) Keys.push_back(std::move(Name));
        }
    return Keys;
}

std::vector<String> TIniDocument::SectionLines(const String& Section) const {
    std::vector<String> Lines;
    if (const TIniSection* S = Find(Section))
        for (const auto& L : S->Lines)
            if (L.Kind == TIniLine::lkValue)
                Lines.push_back(L.HasValue ? NameOf(L) + u'=' + ValueOf(L) : NameOf(L));
    return Lines;
}

TIniSection& TIniDocument::AppendSection(const String& Section) {
    // A blank line before the new section, unless the file is empty or already ends in one.
    TIniLine* Last = LastLine();
    if (Last && Last->Break == TIniLine::brNone) Last->Break = FNewLine;
    if (Last && Last->Kind != TIniLine::lkBlank) {
        TIniLine Blank = NewLine(String());
        if (FSections.empty())
            FPreamble.push_back(std::move(Blank));
        else
            FSections.back().Lines.push_back(std::move(Blank));
    }
    const String Name(TrimView(FirstLine(Section)));
    TIniLine Header;
    Header.Kind = TIniLine::lkSection;
    Header.Own = StringToUtf8(u"[" + Name + u"]");
    Header.Length = Header.Own.size();
    Header.Owned = true;
    Header.Break = FNewLine;
    FIndex.Add(KeyOf(Name), FSections.size());
    FSections.push_back(TIniSection{std::move(Header), {}, {}, 0});
    return FSections.back();
}

bool TIniDocument::WriteValue(const String& Section, const String& Key, const String& Value) {
    String V = String(TrimView(FirstLine(Value)));
    String K = String(TrimView(FirstLine(Key)));
    TIniSection* S = Find(Section);
    if (!S) S = &AppendSection(Section);
    String Wanted = KeyOf(K);
    if (const std::optional<size_t> I = S->Keys.Find(Wanted)) {
        TIniLine& L = S->Lines[*I];
        if (L.HasValue && ValueOf(L) == V) return false;
        L = ValueLine(NameOf(L), V, L.Break); // the file's spelling of the key
        return true;
    }
    // After the last key; only lines that are no keys follow it, so no index moves.
    const size_t At = S->ValueEnd;
    TIniLine& Before = At == 0 ? S->Header : S->Lines[At - 1];
    if (Before.Break == TIniLine::brNone) Before.Break = FNewLine;
    S->Lines.insert(S->Lines.begin() + std::ptrdiff_t(At), ValueLine(K, V, FNewLine));
    S->Keys.Add(Wanted, At);
    S->ValueEnd = At + 1;
    return true;
}

bool TIniDocument::DeleteKey(const String& Section, const String& Key) {
    TIniSection* S = Find(Section);
    if (!S) return false;
    String K = KeyOf(Key);
    auto Gone = std::remove_if(S->Lines.begin(), S->Lines.end(), [&](const TIniLine& L) {
        return L.Kind == TIniLine::lkValue && KeyOf(NameOf(L)) == K;
    });
    if (Gone == S->Lines.end()) return false;
    S->Lines.erase(Gone, S->Lines.end());
    IndexKeys(*S);
    MendBreaks();
    return true;
}

bool TIniDocument::EraseSection(const String& Section) {
    String K = KeyOf(Section);
    auto Gone = std::remove_if(FSections.begin(), FSections.end(),
                               [&](const TIniSection& S) { return KeyOf(NameOf(S.Header)) == K; });
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
