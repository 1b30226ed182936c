#pragma once
// Picture masks: short patterns that fix the shape of a text value ("###-####", "{Yes,No}",
// "&*?"). A validator judges a text against its mask as complete, incomplete, empty or wrong,
// normalising the text while it checks (letter case, literals in the mask's own form, a blank
// typed where a literal belongs) and, when asked, appending the literals that must come next.
//
// Mask characters: # digit, ? letter, & letter to upper case, ~ letter to lower case, ! any
// character to upper case, @ any character, * repetition ("*#" any number, "*3#" exactly
// three), {} group, [] optional group, ',' between alternatives, ';' takes the next character
// literally; every other character is a literal, matched with a-z folded to upper case.
//
// One validator serves one check: create it, call Picture once or twice, free it. The shared
// grid and edit key handling and the masked edits all check through it.

#include "platform/base/Object.h"
#include "platform/base/Types.h"

#include <cstdint>
#include <vector>

enum TdaPicResult {
    prComplete,     // the text fills the mask
    prIncomplete,   // a correct beginning
    prEmpty,        // nothing to check
    prError,        // cannot match
    prSyntax,       // the mask is malformed
    prAmbiguous,    // complete, yet more could still be taken (only inside a check)
    prIncompNoFill, // incomplete, and auto-fill must not extend it (only inside a check)
};

// One nesting level of a check.
struct TdaProcessData {
    std::uint16_t TermCh = 0; // mask position at which the level ends (exclusive)
    bool SkipAutoFill = false; // a blank typed last has matched a literal blank at this level
};

class TdaPictureValidator : public TObject {
public:
    TdaPictureValidator(const String& APic, bool AutoFill);

    bool isSyntaxError() const { return Status == 1; }

    // True unless the text cannot match (with auto-fill as constructed, unless suppressed);
    // S receives the normalised text.
    virtual bool IsValidInput(String& S, bool SuppressFill);
    // True for a complete or empty text (no auto-fill; S is not changed).
    virtual bool IsValid(const String& S);
    // The check. Unless the mask is malformed or the text empty, Input receives the
    // normalised (and, with AutoFill, extended) text.
    virtual TdaPicResult Picture(String& Input, bool AutoFill);

    static constexpr std::uint16_t poAutoFill = 1;
    static constexpr int MaxLevels = 255;

    std::uint16_t Status = 0;
    std::uint16_t Options = 0;
    String Pic;
    String Input;
    std::uint16_t I = 0; // position in Pic, from 1
    std::uint16_t J = 0; // position in Input, from 1
    std::vector<TdaProcessData> ProcessArray;
    int ProcessLevel = -1;

private:
    bool CheckSyntax() const;
    Char PicAt(int P) const { return P >= 1 && P <= static_cast<int>(Pic.size()) ? Pic[P - 1] : Char(0); }
    int PicLen() const { return static_cast<int>(Pic.size()); }
    int InputLen() const { return static_cast<int>(Input.size()); }
    int LevelEnd() const { return ProcessArray[ProcessLevel].TermCh; }

    TdaPicResult MatchAlternatives(int E);
    TdaPicResult MatchSequence();
    TdaPicResult MatchGroup();
    TdaPicResult MatchRepetition();
    TdaPicResult RestIsOptional(TdaPicResult R, int P, int E) const;
    bool GroupHasOptionalAlternative(int P, int E) const;
    int SkipElement(int P, int E) const;
    int ElementEnd() const { return SkipElement(I, LevelEnd()); }
    int SkipRestOfGroup(int P, int E) const;
    bool NextAlternative();
    void Accept(Char C);
    Int64 CallBudget() const;

    // Bounds a check's work: the level calls it may still make, and the characters of the text
    // it has changed so far (a repetition's pass that took and changed nothing ends the passes).
    Int64 FCallsLeft = 0;
    Int64 FChanges = 0;
};

// Whether a character counts as a letter for the masks: A-Z, a-z and every code above 128.
bool daIsPictureLetter(Char C);
