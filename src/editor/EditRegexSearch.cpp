#include "editor/EditRegexSearch.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Format.h"

TCodeEditRegexSearch::TCodeEditRegexSearch(TComponent* AOwner)
    : TCodeEditSearchCustom(AOwner), FRegex(std::make_unique<TRegexEngine>()) {}

TCodeEditRegexSearch::~TCodeEditRegexSearch() = default;

String TCodeEditRegexSearch::Pattern() const {
    return FRegex->Expression();
}

void TCodeEditRegexSearch::SetPattern(const String& Value) {
    FRegex->SetExpression(Value);
}

void TCodeEditRegexSearch::SetOptions(const TCodeSearchOptions& Value) {
    FRegex->SetModifierI(!Value.Contains(ssoMatchCase));
}

void TCodeEditRegexSearch::CheckIndex(int Index) const {
    if (Index < 0 || Index >= ResultCount()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
}

int TCodeEditRegexSearch::ResultLength(int Index) const {
    CheckIndex(Index);
    return FLengths[static_cast<size_t>(Index)];
}

int TCodeEditRegexSearch::ResultPosition(int Index) const {
    CheckIndex(Index);
    return FPositions[static_cast<size_t>(Index)];
}

int TCodeEditRegexSearch::FindAll(const String& NewText) {
    FPositions.clear();
    FLengths.clear();
    FGroups.clear();
    FLine = NewText;
    if (!FRegex->Exec(NewText)) return 0;
    do {
        FPositions.push_back(FRegex->MatchStart(0));
        FLengths.push_back(FRegex->MatchLength(0));
        FGroups.push_back(FRegex->MatchGroups());
    } while (FRegex->ExecNext());
    return ResultCount();
}

String TCodeEditRegexSearch::Replace(const String& aOccurrence, const String& aReplacement) {
    for (int I = 0; I < ResultCount(); ++I) {
        const size_t Len = static_cast<size_t>(FLengths[static_cast<size_t>(I)]);
        if (Len == aOccurrence.size() &&
            FLine.compare(static_cast<size_t>(FPositions[static_cast<size_t>(I)] - 1), Len, aOccurrence) == 0)
            return ReplaceResult(I, aOccurrence, aReplacement);
    }
    // A text that is no hit of the last line: its first match alone is replaced, once. The
    // engine's input stays the line, so that the hits' groups keep their text.
    TRegexEngine Probe;
    Probe.SetExpression(FRegex->Expression());
    Probe.SetModifierStr(FRegex->ModifierStr());
    Probe.SetWordChars(FRegex->WordChars());
    Probe.SetSpaceChars(FRegex->SpaceChars());
    Probe.SetLineSeparators(FRegex->LineSeparators());
    if (!Probe.Exec(aOccurrence)) return aOccurrence;
    const TRegexMatchGroups Groups = Probe.MatchGroups();
    return aOccurrence.substr(0, static_cast<size_t>(Groups.Start[0])) +
           TRegexEngine::SubstituteMatch(aReplacement, aOccurrence, Groups) +
           aOccurrence.substr(static_cast<size_t>(Groups.End[0]));
}

String TCodeEditRegexSearch::ReplaceResult(int Index, const String& aOccurrence, const String& aReplacement) {
    (void)aOccurrence;
    CheckIndex(Index);
    return TRegexEngine::SubstituteMatch(aReplacement, FLine, FGroups[static_cast<size_t>(Index)]);
}
