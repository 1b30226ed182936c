#pragma once
// The regular-expression search engine of the editor: every match of an expression in one line,
// and replacement texts with "$" references to the groups of a match.

#include "editor/EditSearch.h"
#include "regex/RegexEngine.h"

#include <memory>
#include <vector>

class TCodeEditRegexSearch : public TCodeEditSearchCustom {
    DECLARE_CLASS(TCodeEditRegexSearch, TCodeEditSearchCustom)

public:
    explicit TCodeEditRegexSearch(TComponent* AOwner);
    ~TCodeEditRegexSearch() override;

    // The expression.
    String Pattern() const override;
    void SetPattern(const String& Value) override;
    // An index outside the results raises EListError "List index out of bounds (%d)".
    int ResultLength(int Index) const override;
    int ResultPosition(int Index) const override;
    int ResultCount() const override { return static_cast<int>(FPositions.size()); }
    // Only ssoMatchCase counts: whole words are not offered by this engine.
    void SetOptions(const TCodeSearchOptions& Value) override;
    // Every match from the line's start on, an empty one too (and one at the line's end). A
    // malformed expression raises ERegexEngine and leaves the results empty.
    int FindAll(const String& NewText) override;
    // The template with its references filled from the hit of the last FindAll whose text is
    // aOccurrence; for another text, that text with its first match replaced. Exactly one
    // replacement either way.
    String Replace(const String& aOccurrence, const String& aReplacement) override;
    // The template with its references filled from hit Index as it was matched in its whole
    // line, groups included.
    String ReplaceResult(int Index, const String& aOccurrence, const String& aReplacement) override;

    TRegexEngine* Regex() const { return FRegex.get(); }

private:
    void CheckIndex(int Index) const;

    std::unique_ptr<TRegexEngine> FRegex;
    std::vector<int> FPositions;
    std::vector<int> FLengths;
    // The line of the last FindAll and where each hit's groups lay in it.
    String FLine;
    std::vector<TRegexMatchGroups> FGroups;
};
