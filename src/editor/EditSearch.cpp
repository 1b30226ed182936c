#include "editor/EditSearch.h"

#include "editor/CodeEditTextHelpers.h"

namespace {

// Characters that end a word; letters, digits, '_', DEL and every other unit belong to words.
bool IsWordDelimiter(Char C) {
    return C <= 47 || (C >= 58 && C <= 64) || (C >= 91 && C <= 94) || C == 96 || (C >= 123 && C <= 126) ||
           C == 167 || C == 176 || C == 180;
}

} // namespace

TCodeEditSearch::TCodeEditSearch(TComponent* AOwner)
    : TCodeEditSearchCustom(AOwner), FShift(std::make_unique<std::array<int, 65536>>()) {}

void TCodeEditSearch::SetPattern(const String& Value) {
    // Compared with the pattern as given: with case ignored, "abc" after "ABC" is a new pattern
    // too, which matters once case counts again.
    if (Value != FCasedPat) {
        FCasedPat = Value;
        FPat = FCaseSensitive ? Value : LowerCaseText(Value);
        FShiftInitialized = false;
    }
    FCount = 0;
}

void TCodeEditSearch::SetCaseSensitive(bool Value) {
    if (Value == FCaseSensitive) return;
    FCaseSensitive = Value;
    FPat = FCaseSensitive ? FCasedPat : LowerCaseText(FCasedPat);
    FShiftInitialized = false;
}

void TCodeEditSearch::SetOptions(const TCodeSearchOptions& Value) {
    SetCaseSensitive(Value.Contains(ssoMatchCase));
    SetWhole(Value.Contains(ssoWholeWord));
}

int TCodeEditSearch::ResultLength(int) const {
    return static_cast<int>(FPat.size());
}

int TCodeEditSearch::ResultPosition(int Index) const {
    if (Index < 0 || Index >= ResultCount()) return 0;
    return FResults[Index];
}

String TCodeEditSearch::Replace(const String&, const String& aReplacement) {
    return aReplacement;
}

bool TCodeEditSearch::Finished() const {
    return FRun >= FTheEnd || FPatLen >= FTextLen;
}

void TCodeEditSearch::InitShiftTable() {
    if (FPat.empty()) throw ECodeError(u"Pattern is empty");
    FPatLen = static_cast<int>(FPat.size());
    FPatLenSucc = FPatLen + 1;
    FShift->fill(FPatLenSucc);
    for (int J = 1; J <= FPatLen; ++J)
        (*FShift)[FPat[J - 1]] = FPatLenSucc - J;
    FLookAt = 1;
    while (FLookAt < FPatLen && FPat[FPatLen - 1] != FPat[FPatLen - 1 - FLookAt])
        ++FLookAt;
    FShiftInitialized = true;
}

bool TCodeEditSearch::IsWholeWordAt(int Start) const {
    const int After = Start + FPatLen;
    return (Start == FOrigin || IsWordDelimiter(FText[Start - 1])) &&
           (After >= FTheEnd || IsWordDelimiter(FText[After]));
}

void TCodeEditSearch::StartSearch(const String& Text, bool Keep) {
    if (!FCaseSensitive) {
        // Into the buffer the last line left, so that a search allocates only for a longer line.
        FTextToSearch.assign(Text);
        LowerCaseBuffer(FTextToSearch.data(), static_cast<int>(FTextToSearch.size()));
        FText = FTextToSearch.c_str();
    } else if (Keep) {
        FTextToSearch.assign(Text);
        FText = FTextToSearch.c_str();
    } else {
        FText = Text.c_str();
    }
    FTextLen = static_cast<int>(Text.size());
    FOrigin = 0;
    FTheEnd = FTextLen;
    // Nothing to find in a shorter text, and nothing left over for Next either.
    FRun = FTextLen < FPatLen ? FTheEnd : FOrigin - 1;
}

int TCodeEditSearch::FindFirst(const String& NewText) {
    if (!FShiftInitialized) InitShiftTable();
    StartSearch(NewText, true);
    return FTextLen < FPatLen ? 0 : Next();
}

int TCodeEditSearch::Next() {
    // The text keeps a NUL after its last unit, read as "the character after the window" when
    // the window ends the text.
    const Char* Text = FText;
    const Char* Pat = FPat.c_str();
    const std::array<int, 65536>& Shift = *FShift;
    const Char Last = Pat[FPatLen - 1];
    int Run = FRun + FPatLen;
    const int TheEnd = FTheEnd;
    while (Run < TheEnd) {
        if (Text[Run] != Last) {
            Run += Shift[Text[Run + 1]];
            continue;
        }
        const int Start = Run - FPatLen + 1;
        if (std::char_traits<Char>::compare(Text + Start, Pat, size_t(FPatLen)) == 0 &&
            (!FWhole || IsWholeWordAt(Start))) {
            FRun = Run;
            ++FCount;
            return Start - FOrigin + 1;
        }
        Run += FLookAt;
        if (Run >= TheEnd) break;
        Run += Shift[Text[Run]] - 1;
    }
    FRun = Run;
    return 0;
}

int TCodeEditSearch::FindAll(const String& NewText) {
    // An empty pattern fails here, before the results of the last search are gone.
    if (!FShiftInitialized) InitShiftTable();
    FResults.clear();
    // A line that case keeps is searched where it is: no copy, and the loop ends before the
    // caller's text can go.
    StartSearch(NewText, false);
    if (FTextLen >= FPatLen)
        for (int Found = Next(); Found > 0; Found = Next())
            FResults.push_back(Found);
    FText = FTextToSearch.c_str();
    return ResultCount();
}

void TCodeEditSearch::FixResults(int First, int Delta) {
    if (Delta == 0) return;
    for (int I = ResultCount() - 1; I >= 0 && FResults[I] > First; --I)
        FResults[I] -= Delta;
}
