#include "editor/EditStringList.h"

#include "platform/base/Encoding.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <iterator>
#include <limits>

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
    for (auto& Rec : FList)
        if (Rec.FOwnsText) delete[] Rec.FText;
}

// ---- Storage ----

[[noreturn]] void TCodeEditStringList::IndexError(int Index) {
    throw ECodeEditStringList(u"Invalid stringlist index " + IntToStr(Index));
}

void TCodeEditStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
}

TCodeEditStringList::TCodeEditStringRec TCodeEditStringList::MakeRec(const String& S) {
    TCodeEditStringRec Rec;
    if (S.empty()) return Rec;
    if (S.size() > size_t(std::numeric_limits<int>::max())) throw ECodeEditStringList(u"Line too long");
    Char* Text = new Char[S.size()];
    std::copy(S.begin(), S.end(), Text);
    Rec.FText = Text;
    Rec.FLength = int(S.size());
    Rec.FOwnsText = true;
    return Rec;
}

void TCodeEditStringList::ReleaseText(TCodeEditStringRec& Rec) {
    if (Rec.FOwnsText)
        delete[] Rec.FText;
    else if (Rec.FText && --FBlockLines == 0)
        String().swap(FBlock);
    Rec.FText = nullptr;
    Rec.FLength = 0;
    Rec.FOwnsText = false;
}

void TCodeEditStringList::ReleaseLines(int Index, int Count) {
    for (int I = Index; I < Index + Count; ++I)
        ReleaseText(FList[I]);
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
    return String(TextOf(FList[Index]));
}

void TCodeEditStringList::Put(int Index, const String& S) {
    if (Index == GetCount()) {
        Add(S);
        return;
    }
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    InvalidateIndexes();
    // A keystroke must not cost a scan of every line for the longest one: the known longest
    // line stays known unless this line was it and got shorter.
    int Longest = -1;
    if (FIndexOfLongestLine >= 0 && FIndexOfLongestLine < GetCount()) {
        if (FList[FIndexOfLongestLine].Flags().Contains(sfExpandedLengthUnknown)) ExpandString(FIndexOfLongestLine);
        Longest = FList[FIndexOfLongestLine].FExpandedLength;
    }
    const int OldLongest = FIndexOfLongestLine;
    const bool WasLongest = Index == OldLongest;
    FIndexOfLongestLine = -1;
    TCodeEditStringRec New = MakeRec(S);
    TCodeEditStringRec& Rec = FList[Index];
    ReleaseText(Rec);
    Rec.FText = New.FText;
    Rec.FLength = New.FLength;
    Rec.FOwnsText = New.FOwnsText;
    Rec.SetFlags({sfExpandedLengthUnknown});
    Rec.FExpandedLength = -1;
    if (Longest >= 0) {
        ExpandString(Index);
        const int Length = FList[Index].FExpandedLength;
        if (Length >= Longest)
            FIndexOfLongestLine = Index;
        else if (!WasLongest)
            FIndexOfLongestLine = OldLongest;
    }
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
    FList.push_back(MakeRec(S));
    DoInserted(Index, 1);
    return Index;
}

void TCodeEditStringList::Insert(int Index, const String& S) {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    TUpdateBracket Update(*this);
    Grow();
    InvalidateIndexes();
    FIndexOfLongestLine = -1;
    const TCodeEditStringRec Rec = MakeRec(S);
    FList.insert(FList.begin() + Index, Rec);
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
        TCodeEditStringRec Rec = MakeRec(Strings->Strings(I));
        Rec.FObject = Strings->Objects(I);
        FList.push_back(Rec);
    }
    DoInserted(OldCount, N);
}

void TCodeEditStringList::Delete(int Index) {
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    InvalidateIndexes();
    ReleaseLines(Index, 1);
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
    ReleaseLines(Index, NumLines);
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
        ReleaseLines(0, GetCount());
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
        size_t(LineCharIndex(N - 1)) + size_t(N - 1) * Separators.size() + size_t(FList[N - 1].FLength);
    String Result;
    Result.reserve(Total);
    for (int I = 0; I < N; ++I) {
        if (I > 0) Result += Separators;
        Result += TextOf(FList[I]);
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
    AdoptText(String(Value));
}

void TCodeEditStringList::AdoptText(String&& Text) {
    // Counted first, so that the lines are made once in a block of the right size.
    int Lines = 0;
    for (const Char *P = Text.data(), *End = P + Text.size(); P < End; ++Lines) {
        const Char* Break = FindLineBreak(P, End);
        if (Break - P > std::numeric_limits<int>::max()) throw ECodeEditStringList(u"Line too long");
        P = SkipLineBreak(Break, End);
    }
    const bool EmptyLastLine = !FAppendNewLineAtEOF && !Text.empty() && IsLineBreakChar(Text.back());
    bool HasCR = false, HasLF = false, HasLineSeparator = false;
    {
        TUpdateBracket Update(*this);
        Clear();
        Reallocate(Lines + (EmptyLastLine ? 1 : 0));
        // The lines point into the block, so it is taken before they are made: a short text moves
        // its characters.
        FBlock = std::move(Text);
        const Char* const End = FBlock.data() + FBlock.size();
        for (const Char* P = FBlock.data(); P < End;) {
            const Char* Break = FindLineBreak(P, End);
            TCodeEditStringRec& Rec = FList.emplace_back();
            if (Break > P) {
                Rec.FText = P;
                Rec.FLength = int(Break - P);
                ++FBlockLines;
            }
            P = Break;
            if (P < End && *P == LineSeparator) ++P, HasLineSeparator = true;
            if (P < End && *P == CR) ++P, HasCR = true;
            if (P < End && *P == LF) ++P, HasLF = true;
        }
        if (EmptyLastLine) FList.emplace_back();
        if (FBlockLines == 0) String().swap(FBlock);
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
    // Decoded in full before the list is touched, so that an encoding error leaves it as it was.
    String Text = Encoding->GetString(Bytes, Count);
    TUpdateBracket Update(*this);
    AdoptText(std::move(Text));
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
        Body.reserve(size_t(LineCharIndex(N - 1)) + size_t(FList[N - 1].FLength) +
                     size_t(N) * Separator.size());
    String Block = N == 0 && FAppendNewLineAtEOF ? Separator : String();
    for (int I = 0; I < N; ++I) {
        Block += TextOf(FList[I]);
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
        Rec.SetFlags(Rec.Flags().Exclude(sfHasNoTabs).Include(sfExpandedLengthUnknown));
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
    if (Rec.FLength == 0) {
        Rec.FExpandedLength = 0;
        Rec.SetFlags({sfHasNoTabs});
        return String();
    }
    bool HasTabs = false;
    String Result = FConvertTabsProc(String(TextOf(Rec)), FTabWidth, HasTabs);
    Rec.FExpandedLength = Length(FExpandAtWideGlyphsFunc ? FExpandAtWideGlyphsFunc(Result) : Result);
    Rec.SetFlags({HasTabs ? sfHasTabs : sfHasNoTabs});
    return Result;
}

String TCodeEditStringList::ExpandedLine(int Index) const {
    if (Index < 0 || Index >= GetCount()) return String();
    if (FList[Index].Flags().Contains(sfHasNoTabs)) return String(TextOf(FList[Index]));
    return ExpandString(Index);
}

int TCodeEditStringList::ExpandedLineLength(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    if (FList[Index].Flags().Contains(sfExpandedLengthUnknown)) ExpandString(Index);
    return FList[Index].FExpandedLength;
}

int TCodeEditStringList::LengthOfLongestLine() const {
    if (FIndexOfLongestLine < 0) {
        int MaxLength = 0;
        for (int I = 0; I < GetCount(); ++I) {
            if (FList[I].Flags().Contains(sfExpandedLengthUnknown)) ExpandString(I);
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
    return FList[Index].FLength;
}

int TCodeEditStringList::LineCharIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    if (!FCharIndexesAreValid) {
        int Sum = 0;
        for (const auto& Rec : FList) {
            Rec.FCharIndex = Sum;
            Sum += Rec.FLength;
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
