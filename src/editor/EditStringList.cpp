#include "editor/EditStringList.h"

#include "platform/base/Encoding.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <iterator>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr Char CR = u'\r';
constexpr Char LF = u'\n';
constexpr Char LineSeparator = u'\u2028';

bool IsLineBreakChar(Char C) {
    return C == CR || C == LF || C == LineSeparator;
}

// The position of the first line break in [P, End), or End.
const Char* FindLineBreak(const Char* P, const Char* End) {
#ifdef __SSE2__
    // Eight units at a time: source text is mostly long runs without a break.
    const __m128i Cr = _mm_set1_epi16(short(CR)), Lf = _mm_set1_epi16(short(LF));
    const __m128i Ls = _mm_set1_epi16(short(LineSeparator));
    for (; End - P >= 8; P += 8) {
        const __m128i Units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
        const __m128i Hits = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi16(Units, Cr), _mm_cmpeq_epi16(Units, Lf)), _mm_cmpeq_epi16(Units, Ls));
        if (const int Mask = _mm_movemask_epi8(Hits)) return P + __builtin_ctz(unsigned(Mask)) / 2;
    }
#endif
    while (P < End && !IsLineBreakChar(*P))
        ++P;
    return P;
}

// The start of the next line after a break at P: U+2028, CR, LF, each taken once in that order,
// so that CR LF is one break.
const Char* SkipLineBreak(const Char* P, const Char* End) {
    if (P < End && *P == LineSeparator) ++P;
    if (P < End && *P == CR) ++P;
    if (P < End && *P == LF) ++P;
    return P;
}

bool IsUtf8LineSeparator(const Byte* P, const Byte* End) {
    return End - P >= 3 && P[0] == 0xE2 && P[1] == 0x80 && P[2] == 0xA8;
}

// The position of the first line break (CR, LF or U+2028) in UTF-8 bytes [P, End), or End.
const Byte* FindUtf8LineBreak(const Byte* P, const Byte* End) {
    for (;; ++P) {
#ifdef __SSE2__
        const __m128i Cr = _mm_set1_epi8('\r'), Lf = _mm_set1_epi8('\n'), Lead = _mm_set1_epi8(char(0xE2));
        for (; End - P >= 16; P += 16) {
            const __m128i Block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
            const __m128i Hits =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(Block, Cr), _mm_cmpeq_epi8(Block, Lf)),
                             _mm_cmpeq_epi8(Block, Lead));
            if (const int Mask = _mm_movemask_epi8(Hits)) {
                P += __builtin_ctz(unsigned(Mask));
                break;
            }
        }
#endif
        while (P < End && *P != '\r' && *P != '\n' && *P != 0xE2)
            ++P;
        if (P == End || *P != 0xE2 || IsUtf8LineSeparator(P, End)) return P;
    }
}

// The start of the next line after a break at P, taken as SkipLineBreak does.
const Byte* SkipUtf8LineBreak(const Byte* P, const Byte* End) {
    if (IsUtf8LineSeparator(P, End)) P += 3;
    if (P < End && *P == '\r') ++P;
    if (P < End && *P == '\n') ++P;
    return P;
}

} // namespace

const String& LineSeparatorOf(TCodeEditFileFormat Format) {
    static const String Separators[] = {u"\r\n", u"\n", u"\r", u"\u2028"};
    return Separators[Format];
}

TCodeEditStringList::TCodeEditStringList(TExpandAtWideGlyphsFunc AExpandAtWideGlyphsFunc)
    : FConvertTabsProc(TabExpanderWithFlagFor(8)),
      FExpandAtWideGlyphsFunc(std::move(AExpandAtWideGlyphsFunc)) {
    SetFileFormat(sffDos);
}

TCodeEditStringList::~TCodeEditStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
}

// ---- Storage ----

[[noreturn]] void TCodeEditStringList::IndexError(int Index) {
    throw ECodeEditStringList(u"Invalid stringlist index " + IntToStr(Index));
}

void TCodeEditStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
}

void TCodeEditStringList::Reallocate(int NewCapacity) {
    // The block itself grows by at least a quarter, so that lines inserted a few at a time move
    // a bounded number of times; the capacity reported is the one asked for.
    if (size_t(NewCapacity) > FList.capacity())
        FList.reserve(std::max(size_t(NewCapacity), FList.capacity() + FList.capacity() / 4));
    FCapacity = NewCapacity;
}

void TCodeEditStringList::Grow() {
    if (GetCount() < FCapacity) return;
    Reallocate(FCapacity + (FCapacity > 64 ? FCapacity / 4 : 16));
}

void TCodeEditStringList::SetCapacity(int Value) {
    if (Value < GetCount()) throw EListError(u"Stringlist capacity cannot be smaller than count");
    if (size_t(Value) < FList.capacity()) {
        // The vector never gives memory back by itself.
        std::vector<TCodeEditStringRec> Records;
        Records.reserve(size_t(Value));
        std::move(FList.begin(), FList.end(), std::back_inserter(Records));
        FList.swap(Records);
    }
    Reallocate(Value);
}

String TCodeEditStringList::Get(int Index) const {
    if (Index < 0 || Index >= GetCount()) return String();
    return FList[Index].FString;
}

void TCodeEditStringList::Put(int Index, const String& S) {
    if (Index == GetCount()) {
        Add(S);
        return;
    }
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    InvalidateIndexes();
    FIndexOfLongestLine = -1;
    TCodeEditStringRec& Rec = FList[Index];
    Rec.FFlags = {sfExpandedLengthUnknown};
    Rec.FExpandedLength = -1;
    Rec.FString = S;
    DoPutted(Index, 1);
}

TObject* TCodeEditStringList::GetObject(int Index) const {
    if (Index < 0 || Index >= GetCount()) return nullptr;
    return FList[Index].FObject;
}

void TCodeEditStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    FList[Index].FObject = AObject;
}

TCodeEditRange TCodeEditStringList::LineRange(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    return FList[Index].FRange;
}

void TCodeEditStringList::SetLineRange(int Index, TCodeEditRange ARange) {
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    FList[Index].FRange = ARange;
}

int TCodeEditStringList::Add(const String& S) {
    TUpdateBracket Update(*this);
    Grow();
    InvalidateIndexes();
    FIndexOfLongestLine = -1;
    const int Index = GetCount();
    FList.emplace_back().FString = S;
    DoInserted(Index, 1);
    return Index;
}

void TCodeEditStringList::Insert(int Index, const String& S) {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    TUpdateBracket Update(*this);
    Grow();
    InvalidateIndexes();
    FIndexOfLongestLine = -1;
    FList.emplace(FList.begin() + Index)->FString = S;
    DoInserted(Index, 1);
}

void TCodeEditStringList::InsertLines(int Index, int NumLines) {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    if (NumLines <= 0) return;
    TUpdateBracket Update(*this);
    Reallocate(GetCount() + NumLines);
    InvalidateIndexes();
    FList.insert(FList.begin() + Index, size_t(NumLines), TCodeEditStringRec());
    FIndexOfLongestLine = -1;
    DoInserted(Index, NumLines);
}

void TCodeEditStringList::InsertStrings(int Index, const TStrings* NewStrings) {
    const int N = NewStrings->Count();
    if (N <= 0) return;
    TUpdateBracket Update(*this);
    InsertLines(Index, N);
    for (int I = 0; I < N; ++I)
        Put(Index + I, NewStrings->Strings(I));
}

void TCodeEditStringList::InsertText(int Index, const String& NewText) {
    if (NewText.empty()) return;
    TStringList Lines;
    Lines.SetText(NewText);
    InsertStrings(Index, &Lines);
}

void TCodeEditStringList::AddStrings(const TStrings* Strings) {
    const int N = Strings->Count();
    if (N <= 0) return;
    TUpdateBracket Update(*this);
    FIndexOfLongestLine = -1;
    InvalidateIndexes();
    const int OldCount = GetCount();
    if (FCapacity < OldCount + N) Reallocate((OldCount + N + 15) / 16 * 16);
    for (int I = 0; I < N; ++I) {
        TCodeEditStringRec& Rec = FList.emplace_back();
        Rec.FString = Strings->Strings(I);
        Rec.FObject = Strings->Objects(I);
    }
    DoInserted(OldCount, N);
}

void TCodeEditStringList::Delete(int Index) {
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    InvalidateIndexes();
    FList.erase(FList.begin() + Index);
    FIndexOfLongestLine = -1;
    DoDeleted(Index, 1);
}

void TCodeEditStringList::DeleteLines(int Index, int NumLines) {
    if (NumLines <= 0) return;
    CheckIndex(Index);
    NumLines = std::min(NumLines, GetCount() - Index);
    // One bracket for the whole deletion, the tail of the text included, so that the owner
    // hears the line event between OnChanging and OnChange like every other one.
    TUpdateBracket Update(*this);
    InvalidateIndexes();
    FList.erase(FList.begin() + Index, FList.begin() + Index + NumLines);
    FIndexOfLongestLine = -1;
    DoDeleted(Index, NumLines);
}

void TCodeEditStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    TUpdateBracket Update(*this);
    InvalidateIndexes();
    std::swap(FList[Index1], FList[Index2]);
    if (FIndexOfLongestLine == Index1)
        FIndexOfLongestLine = Index2;
    else if (FIndexOfLongestLine == Index2)
        FIndexOfLongestLine = Index1;
}

void TCodeEditStringList::Clear() {
    if (!FList.empty()) {
        TUpdateBracket Update(*this);
        InvalidateIndexes();
        std::vector<TCodeEditStringRec>().swap(FList);
        FCapacity = 0;
        DoCleared();
    }
    FIndexOfLongestLine = -1;
}

// ---- Whole text ----

String TCodeEditStringList::GetSeparatedText(const String& Separators) const {
    const int N = GetCount();
    if (N == 0) return String();
    const size_t Total =
        size_t(LineCharIndex(N - 1)) + size_t(N - 1) * Separators.size() + FList[N - 1].FString.size();
    String Result;
    Result.reserve(Total);
    for (int I = 0; I < N; ++I) {
        if (I > 0) Result += Separators;
        Result += FList[I].FString;
    }
    return Result;
}

String TCodeEditStringList::GetTextStr() const {
    if (!FStreaming) return GetSeparatedText(u"\r\n");
    const String& Separator = LineSeparatorOf(FFileFormat);
    String Result = GetSeparatedText(Separator);
    if (FAppendNewLineAtEOF) Result += Separator;
    return Result;
}

void TCodeEditStringList::SetTextStr(const String& Value) {
    bool HasCR = false, HasLF = false, HasLineSeparator = false;
    {
        TUpdateBracket Update(*this);
        Clear();
        const Char* const Begin = Value.data();
        const Char* const End = Begin + Value.size();
        // Counted first, so that the lines are made once in a block of the right size.
        int Lines = 0;
        for (const Char* P = Begin; P < End; ++Lines)
            P = SkipLineBreak(FindLineBreak(P, End), End);
        const bool EmptyLastLine = !FAppendNewLineAtEOF && Begin < End && IsLineBreakChar(End[-1]);
        Reallocate(Lines + (EmptyLastLine ? 1 : 0));
        for (const Char* P = Begin; P < End;) {
            const Char* Break = FindLineBreak(P, End);
            FList.emplace_back().FString.assign(P, Break);
            P = Break;
            if (P < End && *P == LineSeparator) ++P, HasLineSeparator = true;
            if (P < End && *P == CR) ++P, HasCR = true;
            if (P < End && *P == LF) ++P, HasLF = true;
        }
        if (EmptyLastLine) FList.emplace_back();
        if (GetCount() > 0) DoInserted(0, GetCount());
    }
    SetFileFormatFromBreaks(HasCR, HasLF, HasLineSeparator);
}

void TCodeEditStringList::SetFileFormatFromBreaks(bool HasCR, bool HasLF, bool HasLineSeparator) {
    // U+2028 is the file's format only when it is the file's only kind of break: one such
    // character in a CR LF text must not turn every break of the file into U+2028 on saving.
    if (HasLineSeparator && !HasCR && !HasLF)
        SetFileFormat(sffUnicode);
    else if (HasCR && !HasLF)
        SetFileFormat(sffMac);
    else if (HasLF && !HasCR)
        SetFileFormat(sffUnix);
    else
        SetFileFormat(sffDos);
}

void TCodeEditStringList::LoadTextBytes(const Byte* Bytes, size_t Count, TEncoding* Encoding) {
    // Other encodings, and encodings of a caller's own, decode the whole text first.
    if (Encoding != TEncoding::UTF8() && Encoding != TEncoding::Default()) {
        TStrings::LoadTextBytes(Bytes, Count, Encoding);
        return;
    }
    // UTF-8 is split into lines first and each line decoded into its own string, with no copy of
    // the whole text. CR, LF and U+2028 are whole characters that no other sequence contains,
    // so the lines and the errors are those of decoding the whole text.
    const Byte* const End = Bytes + Count;
    int Lines = 0;
    for (const Byte* P = Bytes; P < End; ++Lines)
        P = SkipUtf8LineBreak(FindUtf8LineBreak(P, End), End);
    const bool EmptyLastLine =
        !FAppendNewLineAtEOF && Count > 0 &&
        (End[-1] == '\r' || End[-1] == '\n' || (Count >= 3 && IsUtf8LineSeparator(End - 3, End)));
    std::vector<TCodeEditStringRec> Records;
    Records.reserve(size_t(Lines) + (EmptyLastLine ? 1 : 0));
    bool HasCR = false, HasLF = false, HasLineSeparator = false;
    for (const Byte* P = Bytes; P < End;) {
        const Byte* Break = FindUtf8LineBreak(P, End);
        Records.emplace_back().FString = Encoding->GetString(P, size_t(Break - P));
        P = Break;
        if (IsUtf8LineSeparator(P, End)) P += 3, HasLineSeparator = true;
        if (P < End && *P == '\r') ++P, HasCR = true;
        if (P < End && *P == '\n') ++P, HasLF = true;
    }
    if (EmptyLastLine) Records.emplace_back();

    TUpdateBracket Update(*this);
    Clear();
    FList.swap(Records);
    FCapacity = GetCount();
    if (GetCount() > 0) DoInserted(0, GetCount());
    SetFileFormatFromBreaks(HasCR, HasLF, HasLineSeparator);
}

void TCodeEditStringList::LoadFromStream(TStream* Stream, TEncoding* Encoding) {
    TFlagScope Streaming(FStreaming);
    TStrings::LoadFromStream(Stream, Encoding);
}

void TCodeEditStringList::SaveToStream(TStream* Stream, TEncoding* Encoding) {
    TFlagScope Streaming(FStreaming);
    if (!Encoding) Encoding = TStrings::Encoding() ? TStrings::Encoding() : DefaultEncoding();
    if (!TEncoding::IsStandardEncoding(Encoding)) {
        TStrings::SaveToStream(Stream, Encoding);
        return;
    }
    // Encoded a block of lines at a time into one buffer, with no joined copy of the whole text;
    // all of it before the stream is touched, so that an encoding error writes nothing. A block
    // ends with a line, and no character spans two lines, so the bytes are those of the whole text.
    const String& Separator = LineSeparatorOf(FFileFormat);
    const int N = GetCount();
    TBytes Body;
    if (N > 0)
        Body.reserve(size_t(LineCharIndex(N - 1)) + FList[N - 1].FString.size() +
                     size_t(N) * Separator.size());
    String Block = N == 0 && FAppendNewLineAtEOF ? Separator : String();
    for (int I = 0; I < N; ++I) {
        Block += FList[I].FString;
        if (I < N - 1 || FAppendNewLineAtEOF) Block += Separator;
        if (Block.size() >= 32768 || I == N - 1) {
            const TBytes Bytes = Encoding->GetBytes(Block);
            Body.insert(Body.end(), Bytes.begin(), Bytes.end());
            Block.clear();
        }
    }
    if (!Block.empty()) Body = Encoding->GetBytes(Block);
    const TBytes Preamble = WriteBOM() ? Encoding->GetPreamble() : TBytes();
    Stream->WriteBuffer(Preamble.data(), Int64(Preamble.size()));
    Stream->WriteBuffer(Body.data(), Int64(Body.size()));
}

void TCodeEditStringList::SetFileFormat(TCodeEditFileFormat Value) {
    FFileFormat = Value;
    SetLineBreak(LineSeparatorOf(Value));
}

// ---- Caches ----

void TCodeEditStringList::InvalidateIndexes() const {
    FCharIndexesAreValid = false;
}

void TCodeEditStringList::InvalidateDisplayCaches() {
    FIndexOfLongestLine = -1;
    for (auto& Rec : FList) {
        Rec.FExpandedLength = -1;
        Rec.FFlags.Exclude(sfHasNoTabs);
        Rec.FFlags.Include(sfExpandedLengthUnknown);
    }
}

void TCodeEditStringList::SetTabWidth(int Value) {
    if (Value == FTabWidth) return;
    FTabWidth = Value;
    FConvertTabsProc = TabExpanderWithFlagFor(Value);
    InvalidateDisplayCaches();
}

void TCodeEditStringList::FontChanged() {
    InvalidateDisplayCaches();
}

String TCodeEditStringList::ExpandString(int Index) const {
    const TCodeEditStringRec& Rec = FList[Index];
    if (Rec.FString.empty()) {
        Rec.FExpandedLength = 0;
        Rec.FFlags = {sfHasNoTabs};
        return String();
    }
    bool HasTabs = false;
    String Result = FConvertTabsProc(Rec.FString, FTabWidth, HasTabs);
    Rec.FExpandedLength = Length(FExpandAtWideGlyphsFunc ? FExpandAtWideGlyphsFunc(Result) : Result);
    Rec.FFlags = {HasTabs ? sfHasTabs : sfHasNoTabs};
    return Result;
}

String TCodeEditStringList::ExpandedLine(int Index) const {
    if (Index < 0 || Index >= GetCount()) return String();
    if (FList[Index].FFlags.Contains(sfHasNoTabs)) return FList[Index].FString;
    return ExpandString(Index);
}

int TCodeEditStringList::ExpandedLineLength(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    if (FList[Index].FFlags.Contains(sfExpandedLengthUnknown)) ExpandString(Index);
    return FList[Index].FExpandedLength;
}

int TCodeEditStringList::LengthOfLongestLine() const {
    if (FIndexOfLongestLine < 0) {
        int MaxLength = 0;
        for (int I = 0; I < GetCount(); ++I) {
            if (FList[I].FFlags.Contains(sfExpandedLengthUnknown)) ExpandString(I);
            if (FList[I].FExpandedLength > MaxLength) {
                MaxLength = FList[I].FExpandedLength;
                FIndexOfLongestLine = I;
            }
        }
    }
    if (FIndexOfLongestLine >= 0 && FIndexOfLongestLine < GetCount())
        return FList[FIndexOfLongestLine].FExpandedLength;
    return 0;
}

int TCodeEditStringList::LineCharLength(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    return Length(FList[Index].FString);
}

int TCodeEditStringList::LineCharIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    if (!FCharIndexesAreValid) {
        int Sum = 0;
        for (const auto& Rec : FList) {
            Rec.FCharIndex = Sum;
            Sum += Length(Rec.FString);
        }
        FCharIndexesAreValid = true;
    }
    return FList[Index].FCharIndex;
}

// ---- Events ----

void TCodeEditStringList::SetUpdateState(bool Updating) {
    InvalidateIndexes();
    if (Updating) {
        if (OnChanging) OnChanging(this);
    } else {
        if (OnChange) OnChange(this);
    }
}

void TCodeEditStringList::DoDeleted(int Index, int NumLines) {
    if (OnDeleted) OnDeleted(this, Index, NumLines);
}

void TCodeEditStringList::DoInserted(int Index, int NumLines) {
    if (OnInserted) OnInserted(this, Index, NumLines);
}

void TCodeEditStringList::DoPutted(int Index, int NumLines) {
    if (OnPutted) OnPutted(this, Index, NumLines);
}

void TCodeEditStringList::DoCleared() {
    if (OnCleared) OnCleared(this);
}
