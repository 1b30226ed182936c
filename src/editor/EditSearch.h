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
    // The text that replaces hit Index of the last FindAll, whose text is aOccurrence. An engine
    // whose replacement depends on how the hit was matched builds it from that hit as it was
    // found in its line; the control replaces through this one.
    virtual String ReplaceResult(int Index, const String& aOccurrence, const String& aReplacement) {
        (void)Index;
        return Replace(aOccurrence, aReplacement);
    }
};

class TCodeEditSearch : public TCodeEditSearchCustom {
    DECLARE_CLASS(TCodeEditSearch, TCodeEditSearchCustom)

public:
    explicit TCodeEditSearch(TComponent* AOwner);

    String Pattern() const override { return FCasedPat; }
    // Count starts again from 0.
    void SetPattern(const String& Value) override;
    // The pattern's length, for any index.
    int ResultLength(int Index) const override;
    // 0 for an index outside the results.
    int ResultPosition(int Index) const override;
    int ResultCount() const override { return static_cast<int>(FResults.size()); }
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
    int Count() const { return FCount; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);
    bool Whole() const { return FWhole; }
    void SetWhole(bool Value) { FWhole = Value; }
    bool Finished() const;

private:
    void InitShiftTable();
    bool IsWholeWordAt(int Start) const;
    // Makes Text the one searched from its start, lower-cased into FTextToSearch when case is
    // ignored; with Keep also when case counts, for a caller that goes on with Next.
    void StartSearch(const String& Text, bool Keep);

    // 0-based positions in FText: the last character of the current window, the start and the
    // end of the text.
    int FRun = 0;
    int FOrigin = 0;
    int FTheEnd = 0;
    String FPat;
    String FCasedPat;
    int FCount = 0;
    int FTextLen = 0;
    int FLookAt = 0;
    int FPatLen = 0;
    int FPatLenSucc = 0;
    std::unique_ptr<std::array<int, 65536>> FShift;
    bool FCaseSensitive = false;
    bool FWhole = false;
    std::vector<int> FResults;
    bool FShiftInitialized = false;
    String FTextToSearch;
    // The text being searched, NUL-terminated: FTextToSearch, or for FindAll the caller's line.
    const Char* FText = FTextToSearch.c_str();
};
