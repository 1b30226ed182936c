#include "editor/EditStringList.h"

#include "platform/base/Strings.h"

namespace {

constexpr Char CR = u'\r';
constexpr Char LF = u'\n';
constexpr Char LineSeparator = u'\u2028';

bool IsLineBreakChar(Char C) {
    return C == CR || C == LF || C == LineSeparator;
}

} // namespace

const String& LineSeparatorOf(TCodeEditFileFormat Format) {
    static const String Separators[] = {u"\r\n", u"\n", u"\r", u"\u2028"};
    return Separators[Format];
}

TCodeEditStringList::TCodeEditStringList(TExpandAtWideGlyphsFunc AExpandAtWideGlyphsFunc)
    : fConvertTabsProc(TabExpanderWithFlagFor(8)),
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
    std::vector<TCodeEditStringRec> Records;
    Records.reserve(size_t(NewCapacity));
    for (auto& Rec : fList)
        Records.push_back(std::move(Rec));
    fList.swap(Records);
    fCapacity = NewCapacity;
}

void TCodeEditStringList::Grow() {
    if (GetCount() < fCapacity) return;
    Reallocate(fCapacity + (fCapacity > 64 ? fCapacity / 4 : 16));
}

void TCodeEditStringList::SetCapacity(int Value) {
    if (Value < GetCount()) throw EListError(u"Stringlist capacity cannot be smaller than count");
    Reallocate(Value);
}

String TCodeEditStringList::Get(int Index) const {
    if (Index < 0 || Index >= GetCount()) return String();
    return fList[Index].FString;
}

void TCodeEditStringList::Put(int Index, const String& S) {
    if (Index == GetCount()) {
        Add(S);
        return;
    }
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    InvalidateIndexes();
    fIndexOfLongestLine = -1;
    TCodeEditStringRec& Rec = fList[Index];
    Rec.fFlags = {sfExpandedLengthUnknown};
    Rec.fExpandedLength = -1;
    Rec.FString = S;
    DoPutted(Index, 1);
}

TObject* TCodeEditStringList::GetObject(int Index) const {
    if (Index < 0 || Index >= GetCount()) return nullptr;
    return fList[Index].fObject;
}

void TCodeEditStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    fList[Index].fObject = AObject;
}

TCodeEditRange TCodeEditStringList::LineRange(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    return fList[Index].fRange;
}

void TCodeEditStringList::SetLineRange(int Index, TCodeEditRange ARange) {
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    fList[Index].fRange = ARange;
}

int TCodeEditStringList::Add(const String& S) {
    TUpdateBracket Update(*this);
    Grow();
    InvalidateIndexes();
    fIndexOfLongestLine = -1;
    const int Index = GetCount();
    fList.emplace_back().FString = S;
    DoInserted(Index, 1);
    return Index;
}

void TCodeEditStringList::Insert(int Index, const String& S) {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    TUpdateBracket Update(*this);
    Grow();
    InvalidateIndexes();
    fIndexOfLongestLine = -1;
    fList.emplace(fList.begin() + Index)->FString = S;
    DoInserted(Index, 1);
}

void TCodeEditStringList::InsertLines(int Index, int NumLines) {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    if (NumLines <= 0) return;
    TUpdateBracket Update(*this);
    Reallocate(GetCount() + NumLines);
    InvalidateIndexes();
    fList.insert(fList.begin() + Index, size_t(NumLines), TCodeEditStringRec());
    fIndexOfLongestLine = -1;
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
    fIndexOfLongestLine = -1;
    InvalidateIndexes();
    const int OldCount = GetCount();
    if (fCapacity < OldCount + N) Reallocate((OldCount + N + 15) / 16 * 16);
    for (int I = 0; I < N; ++I) {
        TCodeEditStringRec& Rec = fList.emplace_back();
        Rec.FString = Strings->Strings(I);
        Rec.fObject = Strings->Objects(I);
    }
    DoInserted(OldCount, N);
}

void TCodeEditStringList::Delete(int Index) {
    CheckIndex(Index);
    TUpdateBracket Update(*this);
    InvalidateIndexes();
    fList.erase(fList.begin() + Index);
    fIndexOfLongestLine = -1;
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
    fList.erase(fList.begin() + Index, fList.begin() + Index + NumLines);
    fIndexOfLongestLine = -1;
    DoDeleted(Index, NumLines);
}

void TCodeEditStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    TUpdateBracket Update(*this);
    InvalidateIndexes();
    std::swap(fList[Index1], fList[Index2]);
    if (fIndexOfLongestLine == Index1)
        fIndexOfLongestLine = Index2;
    else if (fIndexOfLongestLine == Index2)
        fIndexOfLongestLine = Index1;
}

void TCodeEditStringList::Clear() {
    if (!fList.empty()) {
        TUpdateBracket Update(*this);
        InvalidateIndexes();
        std::vector<TCodeEditStringRec>().swap(fList);
        fCapacity = 0;
        DoCleared();
    }
    fIndexOfLongestLine = -1;
}

// ---- Whole text ----

String TCodeEditStringList::GetSeparatedText(const String& Separators) const {
    const int N = GetCount();
    if (N == 0) return String();
    const size_t Total =
        size_t(LineCharIndex(N - 1)) + size_t(N - 1) * Separators.size() + fList[N - 1].FString.size();
    String Result;
    Result.reserve(Total);
    for (int I = 0; I < N; ++I) {
        if (I > 0) Result += Separators;
        Result += fList[I].FString;
    }
    return Result;
}

String TCodeEditStringList::GetTextStr() const {
    if (!FStreaming) return GetSeparatedText(u"\r\n");
    const String& Separator = LineSeparatorOf(fFileFormat);
    String Result = GetSeparatedText(Separator);
    if (fAppendNewLineAtEOF) Result += Separator;
    return Result;
}

void TCodeEditStringList::SetTextStr(const String& Value) {
    bool HasCR = false, HasLF = false, HasLineSeparator = false;
    {
        TUpdateBracket Update(*this);
        Clear();
        const size_t N = Value.size();
        size_t P = 0;
        while (P < N) {
            const size_t Start = P;
            while (P < N && !IsLineBreakChar(Value[P]))
                ++P;
            Grow();
            fList.emplace_back().FString.assign(Value, Start, P - Start);
            if (P < N && Value[P] == LineSeparator) ++P, HasLineSeparator = true;
            if (P < N && Value[P] == CR) ++P, HasCR = true;
            if (P < N && Value[P] == LF) ++P, HasLF = true;
        }
        if (!fAppendNewLineAtEOF && N > 0 && IsLineBreakChar(Value[N - 1])) {
            Grow();
            fList.emplace_back();
        }
        if (GetCount() > 0) DoInserted(0, GetCount());
    }
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

void TCodeEditStringList::LoadFromStream(TStream* Stream, TEncoding* Encoding) {
    TFlagScope Streaming(FStreaming);
    TStrings::LoadFromStream(Stream, Encoding);
}

void TCodeEditStringList::SaveToStream(TStream* Stream, TEncoding* Encoding) {
    TFlagScope Streaming(FStreaming);
    TStrings::SaveToStream(Stream, Encoding);
}

void TCodeEditStringList::SetFileFormat(TCodeEditFileFormat Value) {
    fFileFormat = Value;
    SetLineBreak(LineSeparatorOf(Value));
}

// ---- Caches ----

void TCodeEditStringList::InvalidateIndexes() const {
    FCharIndexesAreValid = false;
}

void TCodeEditStringList::InvalidateDisplayCaches() {
    fIndexOfLongestLine = -1;
    for (auto& Rec : fList) {
        Rec.fExpandedLength = -1;
        Rec.fFlags.Exclude(sfHasNoTabs);
        Rec.fFlags.Include(sfExpandedLengthUnknown);
    }
}

void TCodeEditStringList::SetTabWidth(int Value) {
    if (Value == fTabWidth) return;
    fTabWidth = Value;
    fConvertTabsProc = TabExpanderWithFlagFor(Value);
    InvalidateDisplayCaches();
}

void TCodeEditStringList::FontChanged() {
    InvalidateDisplayCaches();
}

String TCodeEditStringList::ExpandString(int Index) const {
    const TCodeEditStringRec& Rec = fList[Index];
    if (Rec.FString.empty()) {
        Rec.fExpandedLength = 0;
        Rec.fFlags = {sfHasNoTabs};
        return String();
    }
    bool HasTabs = false;
    String Result = fConvertTabsProc(Rec.FString, fTabWidth, HasTabs);
    Rec.fExpandedLength = Length(FExpandAtWideGlyphsFunc ? FExpandAtWideGlyphsFunc(Result) : Result);
    Rec.fFlags = {HasTabs ? sfHasTabs : sfHasNoTabs};
    return Result;
}

String TCodeEditStringList::ExpandedLine(int Index) const {
    if (Index < 0 || Index >= GetCount()) return String();
    if (fList[Index].fFlags.Contains(sfHasNoTabs)) return fList[Index].FString;
    return ExpandString(Index);
}

int TCodeEditStringList::ExpandedLineLength(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    if (fList[Index].fFlags.Contains(sfExpandedLengthUnknown)) ExpandString(Index);
    return fList[Index].fExpandedLength;
}

int TCodeEditStringList::LengthOfLongestLine() const {
    if (fIndexOfLongestLine < 0) {
        int MaxLength = 0;
        for (int I = 0; I < GetCount(); ++I) {
            if (fList[I].fFlags.Contains(sfExpandedLengthUnknown)) ExpandString(I);
            if (fList[I].fExpandedLength > MaxLength) {
                MaxLength = fList[I].fExpandedLength;
                fIndexOfLongestLine = I;
            }
        }
    }
    if (fIndexOfLongestLine >= 0 && fIndexOfLongestLine < GetCount())
        return fList[fIndexOfLongestLine].fExpandedLength;
    return 0;
}

int TCodeEditStringList::LineCharLength(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    return Length(fList[Index].FString);
}

int TCodeEditStringList::LineCharIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) return 0;
    if (!FCharIndexesAreValid) {
        int Sum = 0;
        for (const auto& Rec : fList) {
            Rec.fCharIndex = Sum;
            Sum += Length(Rec.FString);
        }
        FCharIndexesAreValid = true;
    }
    return fList[Index].fCharIndex;
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
