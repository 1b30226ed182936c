#pragma once
// Inside the regular-expression engine: the opcodes of the program and the matcher's working
// form of it (nodes with resolved links, class bitmaps, first-character filters).

#include "regex/RegexEngine.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace RegexDetail {

// Program opcodes. A node is the opcode, a 32-bit link (low unit first) and its operand.
enum : Char {
    opEND = 0,
    opBOL = 1,
    opEOL = 2,
    opANY = 3,
    opANYOF = 4,
    opANYBUT = 5,
    opBRANCH = 6,
    opBACK = 7,
    opEXACTLY = 8,
    opNOTHING = 9,
    opSTAR = 10,
    opPLUS = 11,
    opANYDIGIT = 12,
    opNOTDIGIT = 13,
    opANYLETTER = 14,
    opNOTLETTER = 15,
    opANYSPACE = 16,
    opNOTSPACE = 17,
    opBRACES = 18,
    opCOMMENT = 19,
    opEXACTLYCI = 20,
    opANYOFCI = 21,
    opANYBUTCI = 22,
    opLOOPENTRY = 23,
    opLOOP = 24,
    opANYOFTINYSET = 25,
    opANYBUTTINYSET = 26,
    opBSUBEXP = 28,
    opBSUBEXPCI = 29,
    opSTARNG = 30,
    opPLUSNG = 31,
    opBRACESNG = 32,
    opLOOPNG = 33,
    opBOLML = 34,
    opEOLML = 35,
    opANYML = 36,
    opBOUND = 37,
    opNOTBOUND = 38,
    opOPEN = 39,  // OPEN[n] = 39 + n
    opCLOSE = 54, // CLOSE[n] = 54 + n
};

constexpr Char kMagic = 216;
constexpr int kNodeSize = 3;   // opcode and link
constexpr int kBracesArgs = 4; // min and max
constexpr int kLoopArgs = 6;   // min, max, back distance
constexpr std::int32_t kInfinite = 2147483647;
constexpr std::int32_t kMaxBracesArg = 2147483646;

// Modifier bits.
constexpr int kModI = 1, kModR = 2, kModS = 4, kModG = 8, kModM = 16, kModX = 32;

// A set of UTF-16 code units.
struct TCharBits {
    std::array<std::uint64_t, 1024> Bits{};
    bool Has(Char C) const { return (Bits[C >> 6] >> (C & 63)) & 1; }
    void Add(Char C) { Bits[C >> 6] |= std::uint64_t(1) << (C & 63); }
    void Invert() {
        for (auto& W : Bits)
            W = ~W;
    }
};

// Which characters can begin a match from some node: a superset, exact for code units below 256,
// and "any of the others" above.
struct TFirstFilter {
    std::uint64_t Low[4] = {0, 0, 0, 0};
    bool High = false;
    bool Has(Char C) const { return C < 256 ? (Low[C >> 6] >> (C & 63)) & 1 : High; }
    void Add(Char C) {
        if (C < 256)
            Low[C >> 6] |= std::uint64_t(1) << (C & 63);
        else
            High = true;
    }
};

// One character test: what a simple node accepts.
enum TTestKind : std::uint8_t {
    ctNone,  // not a simple node: repeating it is an error
    ctAny,   // any character
    ctChar,  // one character
    ctChar2, // either of two characters
    ctBits,  // a set
    ctAnyML, // not a line separator nor the head of a paired separator before its tail
    ctBref,  // the text of a group (repetitions only)
};

struct TCharTest {
    TTestKind Kind = ctNone;
    bool CaseInsensitive = false; // ctBref
    Char C1 = 0, C2 = 0;
    int Group = 0; // ctBref
    const TCharBits* Set = nullptr;
};

// Operations of the working form.
enum TExecOp : std::uint8_t {
    xEND,
    xBOL,
    xEOL,
    xBOLML,
    xEOLML,
    xBOUND,
    xNOTBOUND,
    xTEST, // one character by Test
    xEXACTLY,
    xEXACTLYCI,
    xBRANCH,
    xJUMP, // BACK, NOTHING, COMMENT
    xOPEN,
    xCLOSE,
    xBREF,
    xREPEAT, // a simple node Min..Max times
    xLOOPENTRY,
    xLOOP,
    xBAD, // unknown opcode
};

struct TExecNode {
    TExecOp Op = xBAD;
    bool Greedy = true;
    bool HasFilter = false;    // xREPEAT: the next node's first character
    bool Disjoint = false;     // xREPEAT, greedy: what follows never begins with a repeated character
    bool HasAltFilter = false; // xBRANCH: First holds this alternative's first characters
    Char Filter = 0;
    int Next = -1;    // index of the next node, -1 for none
    int Operand = -1; // xBRANCH: first node of the alternative; xLOOP: the body
    std::int32_t Min = 0, Max = 0;
    int Group = 0; // xOPEN, xCLOSE, xBREF
    bool CaseInsensitive = false;
    const Char* Str = nullptr; // xEXACTLY, xEXACTLYCI
    const Char* Alt = nullptr; // xEXACTLYCI: the inverted case of each character
    int Len = 0;
    TCharTest Test;       // xTEST, xREPEAT
    int FirstIndex = -1;  // xBRANCH with HasAltFilter: index into TRegexExec::Filters
    int FollowIndex = -1; // xREPEAT: what may follow it, an index into TRegexExec::Filters
    int Trie = -1;        // xBRANCH: its alternatives are literals in TRegexExec::Tries
    int ErrorCode = 1001; // xBAD: the error it raises when reached
};

// A backtracking stack entry: a choice to come back to, or a change to undo.
struct TFrame {
    std::int32_t Kind;
    std::int32_t Node;
    std::int32_t Pos;
    std::int32_t Extra;
};

enum TFrameKind : std::int32_t {
    fkBranch,    // Node: alternative to try at Pos
    fkTrie,      // Node: BRANCH of literals; the next alternative after Extra at Pos
    fkRepeatG,   // Node: greedy repetition from Pos, Extra: count to try next
    fkRepeatNG,  // Node: non-greedy repetition from Pos, Extra: count to try next
    fkLoopExit,  // Node: greedy LOOP; leave it at Pos
    fkLoopMore,  // Node: non-greedy LOOP; one more pass at Pos (the last kind of choice)
    fkUndoOpen,  // Node: group, Extra: old start of the pass under way
    fkUndoClose, // Node: group, Pos: old end, Extra: old start
    fkUndoCount, // Node: loop level, Extra: old counter
    fkUndoIdx,   // Extra: old loop level
};

// A test of one code unit that vector instructions can run: one of up to four characters, or in
// one of up to four ranges.
struct TVecTest {
    bool Ranges = false;
    int Count = 0;
    Char Lo[4] = {0, 0, 0, 0};
    Char Hi[4] = {0, 0, 0, 0}; // ranges only
    bool Has(Char C) const {
        for (int I = 0; I < Count; ++I)
            if (Ranges ? (C >= Lo[I] && C <= Hi[I]) : C == Lo[I]) return true;
        return false;
    }
};

// A scan with 256-bit vectors for a test and, optionally, a test of the next code unit: the first
// position that passes, or E.
using TWideScan = const Char* (*)(const Char* P, const Char* E, const TVecTest& First,
                                  const TVecTest& Second);
// The scan for the pair of tests, or null where the processor lacks the instructions.
TWideScan PickWideScan(const TVecTest& First, const TVecTest* Second);

// A TVecTest ready for the vector unit: eight code units at a time.
struct TVecLanes {
    TWideScan Wide = nullptr; // with this lane's partner test, where the processor has wide vectors
#if defined(__SSE2__)
    __m128i Lo[4], Width[4];
#endif
    const TVecTest* Test = nullptr;
    bool Ranges = false;
    int Count = 0;
    TVecLanes() = default;
    explicit TVecLanes(const TVecTest& T) : Test(&T), Ranges(T.Ranges), Count(T.Count) {
#if defined(__SSE2__)
        for (int I = 0; I < 4; ++I) {
            Lo[I] = _mm_set1_epi16(short(T.Lo[I]));
            Width[I] = _mm_set1_epi16(short(Char(T.Hi[I] - T.Lo[I])));
        }
#endif
    }
#if defined(__SSE2__)
    __m128i operator()(__m128i X) const {
        // Unused places repeat the first character or range, so that no lane count is tested.
        if (!Ranges)
            return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(X, Lo[0]), _mm_cmpeq_epi16(X, Lo[1])),
                                _mm_or_si128(_mm_cmpeq_epi16(X, Lo[2]), _mm_cmpeq_epi16(X, Lo[3])));
        const __m128i Zero = _mm_setzero_si128();
        auto In = [&](int I) { // X - Lo <= Hi - Lo, unsigned
            return _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(X, Lo[I]), Width[I]), Zero);
        };
        return _mm_or_si128(_mm_or_si128(In(0), In(1)), _mm_or_si128(In(2), In(3)));
    }
#endif
};

// Pairs of first and second characters, folded to their low eight bits: a superset.
struct TPairFilter {
    std::array<std::uint64_t, 256 * 4> Bits{};
    void Add(Char A, Char B) { Bits[(A & 255) * 4 + ((B & 255) >> 6)] |= std::uint64_t(1) << (B & 63); }
    bool Has(Char A, Char B) const { return (Bits[(A & 255) * 4 + ((B & 255) >> 6)] >> (B & 63)) & 1; }
};

// The literals of an alternation as a tree of their characters: one walk along the input finds
// every alternative that matches at a position, instead of a try of each in turn.
struct TLiteralTrie {
    struct TNode {
        int Alternative = -1; // the first alternative that ends here, -1 for none
        int FirstChild = 0;   // children in Keys and Children, sorted by key
        int ChildCount = 0;
    };
    std::vector<TNode> Nodes; // the root first
    std::vector<Char> Keys;
    std::vector<int> Children;
    std::array<int, 256> RootLow{}; // the root's child for a code unit below 256, 0 for none
    int Join = -1;                  // the node where every alternative goes on

    int Child(int T, Char C) const {
        if (T == 0 && C < 256) return RootLow[C];
        const Char* K = Keys.data() + Nodes[std::size_t(T)].FirstChild;
        const int Count = Nodes[std::size_t(T)].ChildCount;
        if (Count <= 8) {
            for (int I = 0; I < Count; ++I)
                if (K[I] == C) return Children[std::size_t(Nodes[std::size_t(T)].FirstChild + I)];
            return 0;
        }
        const Char* F = std::lower_bound(K, K + Count, C);
        return F != K + Count && *F == C ? Children[std::size_t(Nodes[std::size_t(T)].FirstChild + (F - K))]
                                         : 0;
    }
    // The first alternative after After that matches In[P..Len), with its length; whether a later
    // one matches too goes to More. False when none matches.
    bool Find(const Char* In, int P, int Len, int After, int& Alt, int& Length, bool& More) const {
        int Best = -1, Found = 0, T = 0;
        for (int K = P; K < Len; ++K) {
            T = Child(T, In[K]);
            if (T == 0) break;
            const int A = Nodes[std::size_t(T)].Alternative;
            if (A > After) {
                ++Found;
                if (Best < 0 || A < Best) {
                    Best = A;
                    Length = K + 1 - P;
                }
            }
        }
        Alt = Best;
        More = Found > 1;
        return Best >= 0;
    }
};

// How the search finds the positions worth a try.
enum TScanKind : std::uint8_t {
    skEvery,  // every position, the end included
    skAnchor, // the offset only
    skVector, // positions whose character passes ScanFirst (and the next one ScanSecond)
    skFilter, // positions whose character passes the first filter
};

struct TRegexExec {
    bool Valid = false;
    std::vector<TExecNode> Nodes;
    int Start = -1; // first node after the magic unit
    std::vector<std::unique_ptr<TCharBits>> Sets;
    std::vector<String> AltStrings;
    std::vector<TFirstFilter> Filters;
    std::vector<TLiteralTrie> Tries;
    TCharBits Separators;
    TCharBits Word;
    bool PairAssigned = false;
    Char PairHead = 0, PairTail = 0;
    // Search hints
    TScanKind Scan = skEvery;
    TFirstFilter First;
    TVecTest ScanFirst;
    bool HasSecond = false; // a match needs two characters, the second one from ScanSecond
    int ScanOffset = 0;     // skVector: ScanFirst and ScanSecond test the characters this far in
    TVecTest ScanSecond;
    bool HasPairs = false; // ... and the two from Pairs
    TPairFilter Pairs;
    bool CheckFirst = false;   // a position the scan found must still pass First
    bool CheckSecond = false;  // ... and its next character ScanSecond
    bool LineStart = false;    // matches only begin at line starts
    bool WordStart = false;    // matches only begin at word starts ("\b" before a word character)
    bool VectorBreaks = false; // line breaks (separators and the pair's tail) fit BreakTest
    TVecTest BreakTest;
    TCharBits Breaks;
    TVecLanes FirstLanes, SecondLanes, BreakLanes; // the three tests, ready for the vector unit
    // With LineStart: a literal that every match holds in its first line, found by the pair of its
    // characters from LiteralOffset on.
    const TExecNode* LineLiteral = nullptr;
    int LiteralOffset = 0;
    TVecTest LiteralFirst, LiteralSecond;
    TVecLanes LiteralFirstLanes, LiteralSecondLanes;
    // The backtracking stack, kept between attempts
    std::vector<TFrame> Stack;
    bool Touched = false;       // groups or loops were changed by a failed attempt
    std::int64_t StepsLeft = 0; // choices the search may still come back to
    // Where the pass under way through each group began. A group's start and end change together
    // when the pass closes, so that a back-reference inside the group sees the last whole text.
    std::int32_t OpenAt[15] = {};
};

// The backtracking stack never grows beyond this many entries; beyond it the search raises error
// 1014 instead of exhausting memory.
constexpr std::size_t kMaxFrames = std::size_t(1) << 22;
// What the stack keeps between searches.
constexpr std::size_t kKeptFrames = std::size_t(1) << 16;
// How often one search may come back to a choice it left behind (error 1016 beyond): a fixed
// allowance and more for each character it may look at. Ordinary searches come back a few times a
// character at most; a pattern that tries exponentially many ways, such as "(a|aa)+$" before a
// text of a's that ends otherwise, reaches the limit in well under a second.
constexpr std::int64_t kStepAllowance = 10'000'000;
constexpr std::int64_t kStepsPerChar = 32;

} // namespace RegexDetail
