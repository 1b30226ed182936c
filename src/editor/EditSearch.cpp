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
    : TCodeEditSearchCustom(AOwner), Shift(std::make_unique<std::array<int, 65536>>()) {}

void TCodeEditSearch::SetPattern(const String& Value) {
    // Compared with the pattern as given: with case ignored, "abc" after "ABC" is a new pattern
    // too, which matters once case counts again.
    if (Value != CasedPat) {
        CasedPat = Value;
        Pat = fCaseSensitive ? Value : LowerCaseText(Value);
        fShiftInitialized = false;
    }
    fCount = 0;
}

void TCodeEditSearch::SetCaseSensitive(bool Value) {
    if (Value == fCaseSensitive) return;
    fCaseSensitive = Value;
    Pat = fCaseSensitive ? CasedPat : LowerCaseText(CasedPat);
    fShiftInitialized = false;
}

void TCodeEditSearch::SetOptions(const TCodeSearchOptions& Value) {
    SetCaseSensitive(Value.Contains(ssoMatchCase));
    SetWhole(Value.Contains(ssoWholeWord));
}

int TCodeEditSearch::ResultLength(int) const {
    return static_cast<int>(Pat.size());
}

int TCodeEditSearch::ResultPosition(int Index) const {
    if (Index < 0 || Index >= ResultCount()) return 0;
    return fResults[Index];
}

String TCodeEditSearch::Replace(const String&, const String& aReplacement) {
    return aReplacement;
}

bool TCodeEditSearch::Finished() const {
    return Run >= TheEnd || PatLen >= fTextLen;
}

void TCodeEditSearch::InitShiftTable() {
    if (Pat.empty()) throw ECodeError(u"Pattern is empty");
    PatLen = static_cast<int>(Pat.size());
    PatLenSucc = PatLen + 1;
    Shift->fill(PatLenSucc);
    for (int J = 1; J <= PatLen; ++J)
        (*Shift)[Pat[J - 1]] = PatLenSucc - J;
    Look_At = 1;
    while (Look_At < PatLen && Pat[PatLen - 1] != Pat[PatLen - 1 - Look_At])
        ++Look_At;
    fShiftInitialized = true;
}

bool TCodeEditSearch::IsWholeWordAt(int Start) const {
    const int After = Start + PatLen;
    return (Start == Origin || IsWordDelimiter(FTextToSearch[Start - 1])) &&
           (After >= TheEnd || IsWordDelimiter(FTextToSearch[After]));
}

int TCodeEditSearch::FindFirst(const String& NewText) {
    if (!fShiftInitialized) InitShiftTable();
    FTextToSearch = fCaseSensitive ? NewText : LowerCaseText(NewText);
    fTextLen = static_cast<int>(FTextToSearch.size());
    Origin = 0;
    TheEnd = fTextLen;
    if (fTextLen < PatLen) {
        // Nothing to find, and nothing left over for Next either.
        Run = TheEnd;
        return 0;
    }
    Run = Origin - 1;
    return Next();
}

int TCodeEditSearch::Next() {
    // The string keeps a NUL after its last unit, read as "the character after the window"
    // when the window ends the text.
    const Char* Text = FTextToSearch.c_str();
    const Char Last = Pat[PatLen - 1];
    Run += PatLen;
    while (Run < TheEnd) {
        if (Text[Run] != Last) {
            Run += (*Shift)[Text[Run + 1]];
            continue;
        }
        const int Start = Run - PatLen + 1;
        if (FTextToSearch.compare(size_t(Start), size_t(PatLen), Pat) == 0 &&
            (!fWhole || IsWholeWordAt(Start))) {
            ++fCount;
            return Start - Origin + 1;
        }
        Run += Look_At;
        if (Run >= TheEnd) break;
        Run += (*Shift)[Text[Run]] - 1;
    }
    return 0;
}

int TCodeEditSearch::FindAll(const String& NewText) {
    // An empty pattern fails here, before the results of the last search are gone.
    if (!fShiftInitialized) InitShiftTable();
    fResults.clear();
    for (int Found = FindFirst(NewText); Found > 0; Found = Next())
        fResults.push_back(Found);
    return ResultCount();
}

void TCodeEditSearch::FixResults(int First, int Delta) {
    if (Delta == 0) return;
    for (int I = ResultCount() - 1; I >= 0 && fResults[I] > First; --I)
        fResults[I] -= Delta;
}
