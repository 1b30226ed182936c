#include "settings/KitIniDocument.h"

#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Strings.h"

#include <cerrno>
#include <cstring>

namespace {

// The text up to its first line break.
StringView FirstLine(const String& S) {
    return StringView(S).substr(0, S.find_first_of(u"\r\n"));
}

} // namespace

String TKitIniDocument::Fold(const String& S) {
    return AnsiLowerCase(S);
}

void TKitIniDocument::Clear() {
    FSections.clear();
    FIndex.Clear();
}

void TKitIniDocument::Reindex() {
    FIndex.Clear();
    for (size_t I = 0; I < FSections.size(); ++I)
        FIndex.Add(Fold(FSections[I].Name), I);
}

const TKitIniDocument::TSection* TKitIniDocument::Find(const String& Section) const {
    const std::optional<size_t> I = FIndex.Find(Fold(Section));
    return I ? &FSections[*I] : nullptr;
}

TKitIniDocument::TSection* TKitIniDocument::Find(const String& Section) {
    return const_cast<TSection*>(static_cast<const TKitIniDocument*>(this)->Find(Section));
}

TKitIniDocument::TSection& TKitIniDocument::AddSection(const String& Name) {
    FSections.push_back({Name, {}, {}});
    FIndex.Add(Fold(Name), FSections.size() - 1);
    return FSections.back();
}

const TKitIniDocument::TLine* TKitIniDocument::FindLine(const TSection& S, const String& Key) const {
    const std::optional<size_t> I = S.Keys.Find(Fold(Key));
    return I ? &S.Lines[*I] : nullptr;
}

void TKitIniDocument::IndexKeys(TSection& S) {
    S.Keys.Clear();
    S.Keys.Reserve(S.Lines.size());
    for (size_t I = 0; I < S.Lines.size(); ++I)
        if (S.Lines[I].HasValue) S.Keys.Add(Fold(S.Lines[I].Name), I); // the first one counts
}

void TKitIniDocument::AddLine(TSection& S, StringView Line) {
    TLine L;
    const size_t Eq = Line.find(u'=');
    if (Eq == StringView::npos) {
        L.Name = String(Line);
    } else {
        L.HasValue = true;
        L.Name = String(TrimView(Line.substr(0, Eq)));
        L.Value = String(TrimView(Line.substr(Eq + 1)));
        S.Keys.Add(Fold(L.Name), S.Lines.size());
    }
    S.Lines.push_back(std::move(L));
}

namespace {

bool IsHeader(StringView Line) {
    return Line.size() >= 2 && Line.front() == u'[' && Line.back() == u']';
}

// Calls Visit with each line of Text, trimmed, that is neither empty nor a comment.
template <typename F> void ForEachLine(const String& Text, F Visit) {
    size_t Start = 0;
    while (Start < Text.size()) {
        size_t End = Text.find_first_of(u"\r\n", Start);
        if (End == String::npos) End = Text.size();
        const StringView Line = TrimView(StringView(Text).substr(Start, End - Start));
        Start = End + (Text.compare(End, 2, u"\r\n") == 0 ? 2 : 1);
        if (!Line.empty() && Line[0] != u';') Visit(Line);
    }
}

} // namespace

void TKitIniDocument::SetText(const String& Value) {
    Clear();
    // Each section's lines are counted first, so that its key index is sized before it is
    // filled: growing it would place the keys indexed so far again, and again.
    std::vector<size_t> Counts;
    ForEachLine(Value, [&](StringView Line) {
        if (IsHeader(Line))
            Counts.push_back(0);
        else if (!Counts.empty())
            ++Counts.back();
    });
    FSections.reserve(Counts.size());
    size_t Header = 0;
    TSection* Current = nullptr;
    ForEachLine(Value, [&](StringView Line) {
        if (IsHeader(Line)) {
            const String Name(TrimView(Line.substr(1, Line.size() - 2)));
            // A section that comes again continues the first one.
            Current = Find(Name);
            if (!Current) {
                Current = &AddSection(Name);
                Current->Keys.Reserve(Counts[Header]);
            }
            ++Header;
        } else if (Current) {
            AddLine(*Current, Line);
        }
    });
}

String TKitIniDocument::Text() const {
    // Measured first and written into one buffer: a document of many thousand lines would
    // otherwise be copied each time the text outgrew its room, and each line built apart.
    size_t Length = 0;
    for (const TSection& S : FSections) {
        if (S.Lines.empty()) continue; // a section without lines does not exist
        Length += FirstLine(S.Name).size() + 6;
        for (const TLine& L : S.Lines)
            Length += FirstLine(L.Name).size() + 2 + (L.HasValue ? FirstLine(L.Value).size() + 1 : 0);
    }
    String Out;
    Out.reserve(Length);
    for (const TSection& S : FSections) {
        if (S.Lines.empty()) continue;
        Out.append(u"[").append(FirstLine(S.Name)).append(u"]\r\n");
        for (const TLine& L : S.Lines) {
            Out.append(FirstLine(L.Name));
            if (L.HasValue) Out.append(u"=").append(FirstLine(L.Value));
            Out.append(u"\r\n");
        }
        Out.append(u"\r\n");
    }
    return Out;
}

void TKitIniDocument::SetEncoding(TEncoding* Value) {
    FEncoding = Value;
}

void TKitIniDocument::LoadFromFile(const String& FileName) {
    TEncoding* Detected = nullptr;
    const String Text = LoadTextFile(FileName, Detected, TEncoding::ANSI());
    // A NUL outside UTF-16 is binary data: read as text it would look like an empty store that
    // the next flush writes over.
    if (Detected != TEncoding::Unicode() && Detected != TEncoding::BigEndianUnicode() &&
        Text.find(u'\0') != String::npos)
        throw EFOpenError(u"The file holds binary data, not settings");
    SetText(Text);
    FEncoding = Detected == TEncoding::Default() ? nullptr : Detected;
}

AnsiString TKitIniDocument::SaveToBytes() const {
    TEncoding* E = FEncoding ? FEncoding : TEncoding::Default();
    const TBytes Mark = E->GetPreamble();
    const TBytes Body = E->GetBytes(Text());
    AnsiString Bytes;
    Bytes.reserve(Mark.size() + Body.size());
    Bytes.append(Mark.begin(), Mark.end()).append(Body.begin(), Body.end());
    return Bytes;
}

void TKitIniDocument::SaveToFile(const String& FileName) const {
    SaveFileSafe(FileName, SaveToBytes());
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
    S->Keys.Add(Fold(Key), S->Lines.size());
    S->Lines.push_back(std::move(L));
}

bool TKitIniDocument::DeleteKey(const String& Section, const String& Key) {
    TSection* S = Find(Section);
    if (!S) return false;
    const String Folded = Fold(Key);
    const auto Before = S->Lines.size();
    std::erase_if(S->Lines, [&](const TLine& L) { return L.HasValue && Fold(L.Name) == Folded; });
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
