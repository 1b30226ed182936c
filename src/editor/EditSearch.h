#pragma once
// Search engines of the editor. The control talks to the abstract engine one line at a time;
// TCodeEditSearch is the plain-text one: a single pattern, optionally without regard to case and
// optionally only as a whole word, found with a skip table over every UTF-16 unit.

#include "editor/CodeEditTypes.h"

#include "platform/base/Component.h"

#include <array>
#include <memory>
#include <vector>

class TCodeEditSearchCustom : public TComponent {
    DECLARE_CLASS(TCodeEditSearchCustom, TComponent)

public:
    explicit TCodeEditSearchCustom(TComponent* AOwner) : TComponent(AOwner) {}

    virtual String Pattern() const = 0;
    virtual void SetPattern(const String& Value) = 0;
    // Length and 1-based start of match Index of the last FindAll.
    virtual int ResultLength(int Index) const = 0;
    virtual int ResultPosition(int Index) const = 0;
    virtual int ResultCount() const = 0;
    virtual void SetOptions(const TCodeSearchOptions& Value) = 0;
    // Finds every match in one line of text; returns their number.
    virtual int FindAll(const String& NewText) = 0;
    // The text that replaces one found occurrence.
    virtual String Replace(const String& aOccurrence, const String& aReplacement) = 0;
};

class TCodeEditSearch : public TCodeEditSearchCustom {
    DECLARE_CLASS(TCodeEditSearch, TCodeEditSearchCustom)

public:
    explicit TCodeEditSearch(TComponent* AOwner);

    String Pattern() const override { return CasedPat; }
    // Count starts again from 0.
    void SetPattern(const String& Value) override;
    // The pattern's length, for any index.
    int ResultLength(int Index) const override;
    // 0 for an index outside the results.
    int ResultPosition(int Index) const override;
    int ResultCount() const override { return static_cast<int>(fResults.size()); }
    // Takes ssoMatchCase and ssoWholeWord; the other options are the control's business.
    void SetOptions(const TCodeSearchOptions& Value) override;
    // Matches do not overlap. An empty pattern raises ECodeError "Pattern is empty" and leaves
    // the results as they were.
    int FindAll(const String& NewText) override;
    String Replace(const String& aOccurrence, const String& aReplacement) override;

    // The first match in NewText as a 1-based position, 0 when none.
    int FindFirst(const String& NewText);
    // The next match after the previous one, 0 when none.
    int Next();
    // For a caller that changed the line's length after position First: moves every later result by -Delta.
    void FixResults(int First, int Delta);

    // Matches found since the pattern was last set.
    int Count() const { return fCount; }
    bool CaseSensitive() const { return fCaseSensitive; }
    void SetCaseSensitive(bool Value);
    bool Whole() const { return fWhole; }
    void SetWhole(bool Value) { fWhole = Value; }
    bool Finished() const;

private:
    void InitShiftTable();
    bool IsWholeWordAt(int Start) const;

    // 0-based positions in FTextToSearch: the last character of the current window, the start
    // and the end of the text.
    int Run = 0;
    int Origin = 0;
    int TheEnd = 0;
    String Pat;
    String CasedPat;
    int fCount = 0;
    int fTextLen = 0;
    int Look_At = 0;
    int PatLen = 0;
    int PatLenSucc = 0;
    std::unique_ptr<std::array<int, 65536>> Shift;
    bool fCaseSensitive = false;
    bool fWhole = false;
    std::vector<int> fResults;
    bool fShiftInitialized = false;
    String FTextToSearch;
};
