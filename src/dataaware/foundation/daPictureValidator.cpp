#include "dataaware/foundation/daPictureValidator.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

namespace {

bool IsComplete(TdaPicResult R) {
    return R == prComplete || R == prAmbiguous;
}
bool IsIncomplete(TdaPicResult R) {
    return R == prIncomplete || R == prIncompNoFill;
}
bool IsDigit(Char C) {
    return C >= u'0' && C <= u'9';
}
// What auto-fill stops at: the mask's own characters (the end of the mask counts as one too).
bool IsMaskChar(Char C) {
    return String(u"#?&~!@*{}[],").find(C) != String::npos;
}
Char FoldAZ(Char C) {
    return C >= u'a' && C <= u'z' ? static_cast<Char>(C - 32) : C;
}
Char ToUpper(Char C) {
    const String S = AnsiUpperCase(String(1, C));
    return S.size() == 1 ? S[0] : C;
}
Char ToLower(Char C) {
    const String S = AnsiLowerCase(String(1, C));
    return S.size() == 1 ? S[0] : C;
}

} // namespace

bool daIsPictureLetter(Char C) {
    return (C >= u'A' && C <= u'Z') || (C >= u'a' && C <= u'z') || C > 128;
}

TdaPictureValidator::TdaPictureValidator(const String& APic, bool AutoFill) : Pic(APic) {
    Options = 4;
    if (AutoFill) Options |= poAutoFill;
    String Empty;
    if (Picture(Empty, false) != prEmpty) Status = 1;
}

bool TdaPictureValidator::IsValidInput(String& S, bool SuppressFill) {
    if (Pic.empty()) return true;
    return Picture(S, (Options & poAutoFill) != 0 && !SuppressFill) != prError;
}

bool TdaPictureValidator::IsValid(const String& S) {
    if (Pic.empty()) return true;
    String Copy = S;
    const TdaPicResult R = Picture(Copy, false);
    return R == prComplete || R == prEmpty;
}

// Malformed: empty, ending in an escape or an unescaped '*', brackets that do not balance.
// A closing bracket before its opening one, and nesting deeper than the level stack, are
// refused here as well, so that matching never has to leave the mask to find a bracket.
bool TdaPictureValidator::CheckSyntax() const {
    const int N = PicLen();
    if (N == 0) return false;
    if (Pic[N - 1] == u';') return false;
    if (Pic[N - 1] == u'*' && (N < 2 || Pic[N - 2] != u';')) return false;
    int Square = 0, Curly = 0;
    for (int P = 0; P < N; ++P) {
        switch (Pic[P]) {
        case u';':
            ++P;
            break;
        case u'[':
            ++Square;
            break;
        case u']':
            --Square;
            break;
        case u'{':
            ++Curly;
            break;
        case u'}':
            --Curly;
            break;
        default:
            break;
        }
        if (Square < 0 || Curly < 0) return false;
        if (Square + Curly >= MaxLevels - 1) return false;
    }
    return Square == 0 && Curly == 0;
}

TdaPicResult TdaPictureValidator::Picture(String& AInput, bool AutoFill) {
    const String Original = AInput;
    Input = AInput;
    if (!CheckSyntax()) return prSyntax;
    ProcessLevel = -1;
    ProcessArray.assign(MaxLevels, TdaProcessData());
    if (Input.empty()) return prEmpty;

    FCallsLeft = CallBudget();
    I = 1;
    J = 1;
    TdaPicResult R = MatchAlternatives(PicLen() + 1);
    if (R == prSyntax) return prSyntax;
    if (R != prError && J <= InputLen()) R = prError;

    if (R == prIncomplete && AutoFill) {
        bool Appended = false;
        while (I <= PicLen() && !IsMaskChar(PicAt(I))) {
            if (PicAt(I) == u';') ++I;
            Input += PicAt(I);
            ++I;
            Appended = true;
        }
        I = 1;
        J = 1;
        FCallsLeft = CallBudget();
        if (Appended) {
            R = MatchAlternatives(PicLen() + 1);
            if (R == prSyntax) return prSyntax;
            if (R == prError) {
                Input = Original;
                R = prIncomplete;
            }
        }
    }

    if (R == prAmbiguous) R = prComplete;
    else if (R == prIncompNoFill) R = prIncomplete;
    AInput = Input;
    return R;
}

// Ordinary masks take a few level calls per mask and text character; a mask whose nesting would
// take far more is refused as malformed rather than checked for ever.
Int64 TdaPictureValidator::CallBudget() const {
    return 1000000 + 1024 * (static_cast<Int64>(PicLen()) + 1) * (static_cast<Int64>(InputLen()) + 1);
}

void TdaPictureValidator::Accept(Char C) {
    if (Input[J - 1] != C) ++FChanges;
    Input[J - 1] = C;
    ++J;
    ++I;
}

TdaPicResult TdaPictureValidator::MatchAlternatives(int E) {
    // Deeper nesting than the stack holds counts as a malformed mask, and so does one that
    // takes more work than any ordinary mask.
    if (ProcessLevel + 1 >= MaxLevels) return prSyntax;
    if (--FCallsLeft < 0) return prSyntax;
    ++ProcessLevel;
    TScopeExit CloseLevel([this] { --ProcessLevel; });
    ProcessArray[ProcessLevel].TermCh = static_cast<std::uint16_t>(E);
    ProcessArray[ProcessLevel].SkipAutoFill = false;

    int AltStart = I;
    const int LevelStartJ = J;
    bool Noted = false;
    int NotedI = 0, NotedJ = 0;
    for (;;) {
        TdaPicResult R = MatchSequence();
        if (R == prSyntax) return R;
        if (IsComplete(R) && Noted && NotedJ > J) {
            R = prIncomplete;
            J = static_cast<std::uint16_t>(NotedJ);
        }
        if (R == prError || R == prIncomplete) {
            const TdaPicResult LevelResult = R;
            if (R == prIncomplete && !Noted) {
                Noted = true;
                NotedI = I;
                NotedJ = J;
            }
            I = static_cast<std::uint16_t>(AltStart);
            J = static_cast<std::uint16_t>(LevelStartJ);
            if (!NextAlternative()) {
                if (Noted) {
                    I = static_cast<std::uint16_t>(NotedI);
                    J = static_cast<std::uint16_t>(NotedJ);
                    return prIncomplete;
                }
                return LevelResult;
            }
            AltStart = I;
            continue;
        }
        return R == prComplete && Noted ? prAmbiguous : R;
    }
}

TdaPicResult TdaPictureValidator::MatchSequence() {
    TdaPicResult R = prEmpty;
    while (I < LevelEnd() && PicAt(I) != u',') {
        if (J > InputLen()) return RestIsOptional(R, I, LevelEnd());
        const Char Ch = Input[J - 1];
        switch (PicAt(I)) {
        case u'#':
            if (!IsDigit(Ch)) return prError;
            Accept(Ch);
            break;
        case u'?':
            if (!daIsPictureLetter(Ch)) return prError;
            Accept(Ch);
            break;
        case u'&':
            if (!daIsPictureLetter(Ch)) return prError;
            Accept(ToUpper(Ch));
            break;
        case u'~':
            if (!daIsPictureLetter(Ch)) return prError;
            Accept(ToLower(Ch));
            break;
        case u'!':
            Accept(ToUpper(Ch));
            break;
        case u'@':
            Accept(Ch);
            break;
        case u'*':
            R = MatchRepetition();
            if (!IsComplete(R)) return R;
            break;
        case u'{':
            R = MatchGroup();
            if (!IsComplete(R)) return R;
            break;
        case u'[':
            R = MatchGroup();
            if (IsIncomplete(R) || R == prSyntax) return R;
            if (R == prError) R = prAmbiguous; // the group is left out
            break;
        default: {
            if (PicAt(I) == u';') ++I;
            const Char Lit = PicAt(I);
            const bool Last = J == InputLen();
            if (FoldAZ(Lit) == FoldAZ(Ch)) {
                if (Ch == u' ' && Last) ProcessArray[ProcessLevel].SkipAutoFill = true;
            } else if (ProcessArray[ProcessLevel].SkipAutoFill || Ch != u' ' || !Last) {
                return prError;
            }
            Accept(Lit);
            break;
        }
        }
        R = R == prAmbiguous ? prIncompNoFill : prIncomplete;
    }
    return R == prIncompNoFill ? prAmbiguous : prComplete;
}

TdaPicResult TdaPictureValidator::MatchGroup() {
    const int E = ElementEnd();
    const int Close = E - 1;
    ++I;
    const TdaPicResult R = MatchAlternatives(Close);
    if (!IsIncomplete(R)) I = static_cast<std::uint16_t>(E);
    return R;
}

TdaPicResult TdaPictureValidator::MatchRepetition() {
    ++I;
    std::uint16_t N = 0;
    while (I <= PicLen() && IsDigit(PicAt(I))) {
        N = static_cast<std::uint16_t>(N * 10 + (PicAt(I) - u'0'));
        ++I;
    }
    // A count with nothing after it within the level.
    if (I >= LevelEnd()) return prSyntax;
    const int K = I;
    const int E = ElementEnd();
    TdaPicResult R = prEmpty;
    if (N > 0) {
        for (int Pass = 0; Pass < N; ++Pass) {
            I = static_cast<std::uint16_t>(K);
            const int Before = J;
            const Int64 ChangesBefore = FChanges;
            R = MatchAlternatives(E);
            if (!IsComplete(R)) {
                if (R == prEmpty) return PicAt(I) == u'[' ? prComplete : prIncomplete;
                return R;
            }
            // A pass that took no character and changed none leaves the check as it found it:
            // every pass left would repeat it to the same end. (Nested counts multiplied so.)
            if (J == Before && FChanges == ChangesBefore) break;
        }
    } else {
        int Before;
        do {
            Before = J;
            I = static_cast<std::uint16_t>(K);
            R = MatchAlternatives(E);
        } while (J > Before && IsComplete(R));
        if (R == prSyntax) return R;
        if (R == prEmpty || R == prError) R = prAmbiguous;
    }
    I = static_cast<std::uint16_t>(E);
    return R;
}

TdaPicResult TdaPictureValidator::RestIsOptional(TdaPicResult R, int P, int E) const {
    if (!IsIncomplete(R)) return R;
    while (P < E) {
        const Char C = PicAt(P);
        if (C == u'[') {
            P = SkipElement(P, E);
        } else if (C == u'*') {
            if (IsDigit(PicAt(P + 1))) {
                const bool SingleDigit = !IsDigit(PicAt(P + 2));
                if (SingleDigit && E > P + 2 && PicAt(P + 2) == u'[') P = SkipElement(P, E);
                else return R;
            } else {
                P = SkipElement(P, E);
            }
        } else if (C == u',') {
            P = SkipRestOfGroup(P + 1, E);
        } else if (C == u'{') {
            if (!GroupHasOptionalAlternative(P, E)) return R;
            P = SkipElement(P, E);
        } else {
            return R;
        }
    }
    return prAmbiguous;
}

// Every alternative of the group is examined to its last element, so an alternative ending in
// a required element never counts as one that may be left out.
bool TdaPictureValidator::GroupHasOptionalAlternative(int P, int E) const {
    const int Close = SkipElement(P, E) - 1;
    int Start = P + 1;
    while (Start <= Close) {
        int A = Start;
        while (A < Close && PicAt(A) != u',')
            A = SkipElement(A, Close);
        if (RestIsOptional(prIncomplete, Start, A) == prAmbiguous) return true;
        if (A >= Close) break;
        Start = A + 1;
    }
    return false;
}

int TdaPictureValidator::SkipElement(int P, int E) const {
    if (P >= E) return E;
    const Char C = PicAt(P);
    if (C == u'[' || C == u'{') {
        int Square = 0, Curly = 0;
        do {
            const Char D = PicAt(P);
            if (D == u';') {
                P += 2;
                continue;
            }
            if (D == u'[') ++Square;
            else if (D == u']') --Square;
            else if (D == u'{') ++Curly;
            else if (D == u'}') --Curly;
            ++P;
        } while (P < E && (Square > 0 || Curly > 0));
    } else if (C == u';') {
        P += 2;
    } else if (C == u'*') {
        ++P;
        while (P < E && IsDigit(PicAt(P)))
            ++P;
        P = SkipElement(P, E);
    } else {
        ++P;
    }
    return P < E ? P : E;
}

int TdaPictureValidator::SkipRestOfGroup(int P, int E) const {
    int Square = 0, Curly = 1;
    while (P < E) {
        const Char D = PicAt(P);
        if (D == u';') {
            P += 2;
            continue;
        }
        if (D == u'[') ++Square;
        else if (D == u']') --Square;
        else if (D == u'{') ++Curly;
        else if (D == u'}') --Curly;
        ++P;
        if (Square == 0 && Curly == 0) break;
    }
    return P < E ? P : E;
}

bool TdaPictureValidator::NextAlternative() {
    const int E = LevelEnd();
    int P = I;
    while (P < E && PicAt(P) != u',')
        P = SkipElement(P, E);
    if (P <= PicLen() && PicAt(P) == u',' && P < E) ++P;
    I = static_cast<std::uint16_t>(P);
    return P < E;
}
