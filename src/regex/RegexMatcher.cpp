// The matcher of TRegexEngine: the search, the backtracking machine, substitution, replace and
// split.
//
// The machine backtracks with a stack of its own instead of recursing, so that long lines cannot
// overflow the thread's stack: every choice (an alternative, a repetition count, one more pass of a
// loop) and every change to undo (group positions, loop counters) is an entry. The stack is kept
// between attempts, so a search allocates nothing per position it tries.

#include "regex/RegexEngine.h"
#include "regex/RegexPrivate.h"

#include "platform/base/Lists.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <optional>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

using namespace RegexDetail;

namespace {

#if defined(__x86_64__)
// The same scan with 256-bit vectors, where the processor has them: sixteen code units at a time,
// with as many comparisons as the tests have characters or ranges.
struct TWideTest {
    __m256i Lo[4], Width[4];
};

// Only the places that the test of Count places reads; a third place repeats the first, so that
// "four" tests three exactly.
template <int Count, bool Ranges>
__attribute__((target("avx2"), always_inline)) inline void MakeWideTest(const TVecTest& T, TWideTest& W) {
    for (int I = 0; I < Count; ++I) {
        const int K = I < T.Count ? I : 0;
        W.Lo[I] = _mm256_set1_epi16(short(T.Lo[K]));
        if constexpr (Ranges) W.Width[I] = _mm256_set1_epi16(short(Char(T.Hi[K] - T.Lo[K])));
    }
}

#define REGEX_WIDE __attribute__((target("avx2"), always_inline)) inline

REGEX_WIDE __m256i WideIn(__m256i X, __m256i Lo, __m256i Width) { // X - Lo <= Hi - Lo, unsigned
    const __m256i D = _mm256_sub_epi16(X, Lo);
    return _mm256_cmpeq_epi16(_mm256_min_epu16(D, Width), D);
}

template <int Count, bool Ranges> REGEX_WIDE __m256i WideMatch(__m256i X, const TWideTest& T) {
    __m256i M;
    if constexpr (Ranges) {
        M = WideIn(X, T.Lo[0], T.Width[0]);
        if constexpr (Count > 1) M = _mm256_or_si256(M, WideIn(X, T.Lo[1], T.Width[1]));
        if constexpr (Count > 2)
            M = _mm256_or_si256(
                M, _mm256_or_si256(WideIn(X, T.Lo[2], T.Width[2]), WideIn(X, T.Lo[3], T.Width[3])));
    } else {
        M = _mm256_cmpeq_epi16(X, T.Lo[0]);
        if constexpr (Count > 1) M = _mm256_or_si256(M, _mm256_cmpeq_epi16(X, T.Lo[1]));
        if constexpr (Count > 2)
            M = _mm256_or_si256(
                M, _mm256_or_si256(_mm256_cmpeq_epi16(X, T.Lo[2]), _mm256_cmpeq_epi16(X, T.Lo[3])));
    }
    return M;
}

REGEX_WIDE __m256i WideLoad(const Char* Q) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Q));
}

template <int CountA, bool RangesA, int CountB, bool RangesB>
__attribute__((target("avx2"))) const Char* WideScan(const Char* P, const Char* E, const TVecTest& TestA,
                                                     const TVecTest& TestB) {
    TWideTest A, B;
    MakeWideTest<CountA, RangesA>(TestA, A);
    if constexpr (CountB > 0) MakeWideTest<CountB, RangesB>(TestB, B);
    if constexpr (CountB == 0) {
        while (E - P >= 32) {
            const unsigned M0 = unsigned(_mm256_movemask_epi8(WideMatch<CountA, RangesA>(WideLoad(P), A)));
            const unsigned M1 =
                unsigned(_mm256_movemask_epi8(WideMatch<CountA, RangesA>(WideLoad(P + 16), A)));
            if (M0 | M1) return M0 ? P + (std::countr_zero(M0) >> 1) : P + 16 + (std::countr_zero(M1) >> 1);
            P += 32;
        }
        while (E - P >= 16) {
            const unsigned M = unsigned(_mm256_movemask_epi8(WideMatch<CountA, RangesA>(WideLoad(P), A)));
            if (M) return P + (std::countr_zero(M) >> 1);
            P += 16;
        }
    } else
        while (E - P >= 17) {
            const __m256i M = _mm256_and_si256(WideMatch<CountA, RangesA>(WideLoad(P), A),
                                               WideMatch<CountB, RangesB>(WideLoad(P + 1), B));
            const unsigned Bits = unsigned(_mm256_movemask_epi8(M));
            if (Bits) return P + (std::countr_zero(Bits) >> 1);
            P += 16;
        }
    for (; P < E; ++P)
        if (TestA.Has(*P) && (CountB == 0 || (P + 1 < E && TestB.Has(P[1])))) return P;
    return E;
}

// One of four counts of characters or ranges as 1, 2 or 4 (a third repeats the first).
template <int CountA, bool RangesA> TWideScan PickSecond(const TVecTest* B) {
    if (!B) return &WideScan<CountA, RangesA, 0, false>;
    const int N = B->Count <= 1 ? 1 : B->Count == 2 ? 2 : 4;
    if (B->Ranges)
        return N == 1   ? &WideScan<CountA, RangesA, 1, true>
               : N == 2 ? &WideScan<CountA, RangesA, 2, true>
                        : &WideScan<CountA, RangesA, 4, true>;
    return N == 1   ? &WideScan<CountA, RangesA, 1, false>
           : N == 2 ? &WideScan<CountA, RangesA, 2, false>
                    : &WideScan<CountA, RangesA, 4, false>;
}

} // namespace

TWideScan RegexDetail::PickWideScan(const TVecTest& A, const TVecTest* B) {
    static const bool HasWideVectors = __builtin_cpu_supports("avx2");
    if (!HasWideVectors) return nullptr;
    const int N = A.Count <= 1 ? 1 : A.Count == 2 ? 2 : 4;
    if (A.Ranges)
        return N == 1 ? PickSecond<1, true>(B) : N == 2 ? PickSecond<2, true>(B) : PickSecond<4, true>(B);
    return N == 1 ? PickSecond<1, false>(B) : N == 2 ? PickSecond<2, false>(B) : PickSecond<4, false>(B);
}

#undef REGEX_WIDE

namespace {
#else
} // namespace

TWideScan RegexDetail::PickWideScan(const TVecTest&, const TVecTest*) {
    return nullptr;
}

namespace {
#endif

// The first position in [P, E) whose code unit passes First and, with Second, whose next code
// unit (inside [P, E)) passes Second; E when there is none.
inline const Char* ScanVector(const Char* P, const Char* E, const TVecLanes& First, const TVecLanes* Second) {
#if defined(__x86_64__)
    if (First.Wide) {
        return First.Wide(P, E, *First.Test, Second ? *Second->Test : *First.Test);
    }
#endif
#if defined(__SSE2__)
    auto Load = [](const Char* Q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(Q)); };
    if (!First.Ranges && First.Count <= 2 && (!Second || (!Second->Ranges && Second->Count <= 2))) {
        // A character (either case), or a pair of neighbours: the common search for a literal.
        const __m128i A0 = First.Lo[0], A1 = First.Lo[1];
        auto IsA = [&](__m128i X) { return _mm_or_si128(_mm_cmpeq_epi16(X, A0), _mm_cmpeq_epi16(X, A1)); };
        if (Second) {
            const __m128i B0 = Second->Lo[0], B1 = Second->Lo[1];
            auto IsB = [&](__m128i X) {
                return _mm_or_si128(_mm_cmpeq_epi16(X, B0), _mm_cmpeq_epi16(X, B1));
            };
            while (E - P >= 17) {
                const __m128i M0 = _mm_and_si128(IsA(Load(P)), IsB(Load(P + 1)));
                const __m128i M1 = _mm_and_si128(IsA(Load(P + 8)), IsB(Load(P + 9)));
                const unsigned M = unsigned(_mm_movemask_epi8(M0)) | (unsigned(_mm_movemask_epi8(M1)) << 16);
                if (M) return P + (std::countr_zero(M) >> 1);
                P += 16;
            }
        } else
            while (E - P >= 16) {
                const unsigned M = unsigned(_mm_movemask_epi8(IsA(Load(P)))) |
                                   (unsigned(_mm_movemask_epi8(IsA(Load(P + 8)))) << 16);
                if (M) return P + (std::countr_zero(M) >> 1);
                P += 16;
            }
    } else if (Second) {
        while (E - P >= 9) {
            const __m128i A = First(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P)));
            const __m128i B = (*Second)(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P + 1)));
            const int M = _mm_movemask_epi8(_mm_and_si128(A, B));
            if (M) return P + (std::countr_zero(unsigned(M)) >> 1);
            P += 8;
        }
    } else
        while (E - P >= 8) {
            const int M = _mm_movemask_epi8(First(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P))));
            if (M) return P + (std::countr_zero(unsigned(M)) >> 1);
            P += 8;
        }
#endif
    for (; P < E; ++P)
        if (First.Test->Has(*P) && (!Second || (P + 1 < E && Second->Test->Has(P[1])))) return P;
    return E;
}

// Up to four characters or ranges that hold exactly the members of a set; false when it takes more.
bool MakeVecTest(const TCharBits& S, TVecTest& T) {
    std::vector<std::pair<Char, Char>> Ranges;
    int Members = 0;
    for (int C = 0; C < 0x10000;) {
        if (!S.Has(Char(C))) {
            ++C;
            continue;
        }
        int D = C;
        while (D + 1 < 0x10000 && S.Has(Char(D + 1)))
            ++D;
        Members += D - C + 1;
        Ranges.push_back({Char(C), Char(D)});
        if (Ranges.size() > 4) return false;
        C = D + 1;
    }
    if (Ranges.empty()) return false;
    if (Members <= 4) {
        T.Ranges = false;
        T.Count = Members;
        int K = 0;
        for (auto [Lo, Hi] : Ranges)
            for (int C = Lo; C <= Hi; ++C)
                T.Lo[K++] = Char(C);
        for (; K < 4; ++K)
            T.Lo[K] = T.Lo[0];
        return true;
    }
    T.Ranges = true;
    T.Count = int(Ranges.size());
    for (int K = 0; K < 4; ++K) {
        const auto R = Ranges[std::size_t(K) < Ranges.size() ? std::size_t(K) : 0];
        T.Lo[K] = R.first;
        T.Hi[K] = R.second;
    }
    return true;
}

bool HasHigh(const TCharBits& S) {
    for (std::size_t I = 4; I < S.Bits.size(); ++I)
        if (S.Bits[I]) return true;
    return false;
}

void AddAll(TFirstFilter& F) {
    for (auto& W : F.Low)
        W = ~std::uint64_t(0);
    F.High = true;
}

} // namespace

// ---- Input and results --------------------------------------------------------------------------

void TRegexEngine::ClearMatch() {
    for (int I = 0; I < NSUBEXP; ++I) {
        FGroupStart[I] = -1;
        FGroupEnd[I] = -1;
    }
}

String TRegexEngine::InputString() {
    if (!FInputAssigned) {
        RaiseError(1008);
        return String();
    }
    return FInput;
}

void TRegexEngine::SetInputString(const String& Value) {
    ClearMatch();
    FInput = Value;
    FInputAssigned = true;
}

int TRegexEngine::MatchStart(int Idx) const {
    if (Idx < 0 || Idx >= NSUBEXP || !FInputAssigned || FGroupStart[Idx] < 0 || FGroupEnd[Idx] < 0) return -1;
    return FGroupStart[Idx] + 1;
}

int TRegexEngine::MatchLength(int Idx) const {
    if (Idx < 0 || Idx >= NSUBEXP || !FInputAssigned || FGroupStart[Idx] < 0 || FGroupEnd[Idx] < 0) return -1;
    return FGroupEnd[Idx] - FGroupStart[Idx];
}

int TRegexEngine::SubExprMatchCount() const {
    if (!FInputAssigned) return -1;
    for (int I = NSUBEXP - 1; I > 0; --I)
        if (FGroupStart[I] >= 0 && FGroupEnd[I] >= 0) return I;
    return 0;
}

// ---- Searching ----------------------------------------------------------------------------------

bool TRegexEngine::Exec(const String& AInputString) {
    SetInputString(AInputString);
    return ExecPrim(1);
}

bool TRegexEngine::Exec() {
    return ExecPrim(1);
}

bool TRegexEngine::Exec(int AOffset) {
    return ExecPrim(AOffset);
}

bool TRegexEngine::ExecPos(int AOffset) {
    return ExecPrim(AOffset);
}

bool TRegexEngine::ExecNext() {
    if (FGroupStart[0] < 0 || FGroupEnd[0] < 0) {
        RaiseError(1007);
        return false;
    }
    int Offset = FGroupEnd[0] + 1;
    if (FGroupStart[0] == FGroupEnd[0]) ++Offset;
    return ExecPrim(Offset);
}

Char TRegexEngine::Invert(Char Ch) const {
    return FInvertCaseDefault ? InvertCaseFunction(Ch) : FInvertCase(Ch);
}

void TRegexEngine::InvalidateExec() {
    if (FExec) FExec->Valid = false;
}

bool TRegexEngine::ExecPrim(int AOffset) {
    ClearMatch();
    if (!IsProgrammOk()) return false;
    if (!FInputAssigned) {
        RaiseError(1005);
        return false;
    }
    if (AOffset < 1) {
        RaiseError(1006);
        return false;
    }
    const int Len = int(FInput.size());
    if (AOffset > Len + 1) return false;
    TRegexExec& X = *FExec;
    if (!X.Valid) PrepareExec();

    int P = AOffset - 1;
    const Char* In = FInput.data();
    if (FRequiredAt >= 0) {
        const StringView Must(FProgram.data() + FRequiredAt, std::size_t(FRequiredLen));
        if (StringView(In + P, std::size_t(Len - P)).find(Must) == StringView::npos) return false;
    }
    FLoopLevel = 0;
    X.Touched = false; // the groups are clear
    X.StepsLeft = kStepAllowance + kStepsPerChar * (std::int64_t(Len) - P + 1);
    const Char* const End = In + Len;
    // Whether a try at P can succeed, as far as the first two characters tell.
    // Scanned: Q comes from the scan, which has checked what it could.
    auto Worth = [&](int Q, bool Scanned) __attribute__((always_inline)) {
        const bool CheckFirst = Scanned ? X.CheckFirst : X.Scan == skVector || X.Scan == skFilter;
        if (CheckFirst && (Q >= Len || !X.First.Has(In[Q]))) return false;
        if (X.WordStart && Q > 0 && X.Word.Has(In[Q - 1])) return false;
        const bool CheckSecond = Scanned ? X.CheckSecond : X.HasSecond && X.ScanOffset == 0;
        if (CheckSecond && (Q + 1 >= Len || !X.ScanSecond.Has(In[Q + 1]))) return false;
        return !X.HasPairs || (Q + 1 < Len && X.Pairs.Has(In[Q], In[Q + 1]));
    };
    auto IsBreak = [&](Char C) { return X.Breaks.Has(C); };
    const TVecLanes &FirstLanes = X.FirstLanes, &SecondLanes = X.SecondLanes, &BreakLanes = X.BreakLanes;
    try {
        if (X.Scan == skAnchor) return MatchAt(P);
        if (X.LineLiteral) {
            // Only the starts of the lines that hold the literal, each once.
            const TExecNode& Lit = *X.LineLiteral;
            const int Off = X.LiteralOffset;
            const int From = P;
            int Tried = -1;
            for (int Q = P;;) {
                if (Q + Lit.Len > Len) return false;
                const Char* F = ScanVector(In + Q + Off, End, X.LiteralFirstLanes, &X.LiteralSecondLanes);
                if (F >= End) return false;
                const int At = int(F - In) - Off;
                Q = At + 1;
                if (At + Lit.Len > Len ||
                    std::memcmp(In + At, Lit.Str, std::size_t(Lit.Len) * sizeof(Char)) != 0)
                    continue;
                int S = At;
                while (S > 0 && !IsBreak(In[S - 1]))
                    --S;
                if (S < From || S <= Tried) continue;
                Tried = S;
                if (Worth(S, false) && MatchAt(S)) return true;
            }
        }
        if (X.LineStart) {
            // Only the offset (when it begins a line) and the positions after line breaks.
            bool AtLineStart = P == 0 || IsBreak(In[P - 1]);
            for (;;) {
                if (AtLineStart && Worth(P, false) && MatchAt(P)) return true;
                AtLineStart = true;
                if (P >= Len) return false;
                const Char* B = X.VectorBreaks ? ScanVector(In + P, End, BreakLanes, nullptr) : In + P;
                if (!X.VectorBreaks)
                    while (B < End && !IsBreak(*B))
                        ++B;
                if (B >= End) return false;
                P = int(B - In) + 1;
            }
        }
        for (;;) {
            switch (X.Scan) {
            case skVector: {
                const int Off = X.ScanOffset;
                if (P + Off >= Len) return false;
                const Char* F =
                    ScanVector(In + P + Off, End, FirstLanes, X.HasSecond ? &SecondLanes : nullptr);
                if (F >= End) return false;
                P = int(F - In) - Off;
                break;
            }
            case skFilter:
                if (X.HasPairs) { // the two first characters together rule out more positions
                    while (P + 1 < Len && !X.Pairs.Has(In[P], In[P + 1]))
                        ++P;
                    if (P + 1 >= Len) return false;
                    break;
                }
                while (P < Len && !X.First.Has(In[P]))
                    ++P;
                if (P >= Len) return false;
                break;
            default:
                if (P > Len) return false;
                break;
            }
            if (Worth(P, true) && MatchAt(P)) return true;
            ++P;
            if (X.WordStart) // no word starts inside this word
                while (P < Len && X.Word.Has(In[P]))
                    ++P;
        }
    } catch (const TAbandon&) {
        return false;
    }
}

// One attempt at Start. On success entry 0 holds the match.
bool TRegexEngine::MatchAt(int Start) {
    TRegexExec& X = *FExec;
    if (X.Touched) {
        for (int I = 1; I < NSUBEXP; ++I) {
            FGroupStart[I] = -1;
            FGroupEnd[I] = -1;
        }
        FLoopLevel = 0;
        X.Touched = false;
    }
    const TExecNode* const Nodes = X.Nodes.data();
    const Char* const In = FInput.data();
    const int Len = int(FInput.size());
    const TFirstFilter* const Filters = X.Filters.data();
    const TLiteralTrie* const Tries = X.Tries.data();
    const TCharBits& Seps = X.Separators;
    const TCharBits& Word = X.Word;
    const bool Pair = X.PairAssigned;
    const Char Head = X.PairHead, TailC = X.PairTail;

    std::size_t Sp = 0;
    TFrame* St = X.Stack.data();
    // A deep attempt may grow the stack a lot; beyond what is kept between searches, it is not
    // kept beyond the attempt.
    auto TrimStack = [&X] {
        if (X.Stack.size() > kKeptFrames) {
            X.Stack.resize(kKeptFrames);
            X.Stack.shrink_to_fit();
        }
    };
    std::optional<TScopeExit<decltype(TrimStack)>> Trim; // made only when the stack grows that far
    auto Push = [&](std::int32_t Kind, std::int32_t Node, std::int32_t Pos, std::int32_t Extra) {
        if (Sp == X.Stack.size()) {
            if (Sp >= kMaxFrames) {
                RaiseError(1014);
                throw TAbandon{};
            }
            const std::size_t Size = std::max<std::size_t>(1024, X.Stack.size() * 2);
            if (Size > kKeptFrames && !Trim) Trim.emplace(TrimStack);
            X.Stack.resize(Size);
            St = X.Stack.data();
        }
        St[Sp++] = TFrame{Kind, Node, Pos, Extra};
    };
    auto Fatal = [&](int Code) {
        RaiseError(Code);
        throw TAbandon{};
    };
    auto TestChar = [&](const TCharTest& T, int P) __attribute__((always_inline))->bool { // P < Len
        const Char C = In[P];
        switch (T.Kind) {
        case ctAny:
            return true;
        case ctChar:
            return C == T.C1;
        case ctChar2:
            return C == T.C1 || C == T.C2;
        case ctBits:
            return T.Set->Has(C);
        case ctAnyML:
            return !Seps.Has(C) && !(Pair && C == Head && P + 1 < Len && In[P + 1] == TailC);
        default:
            return false;
        }
    };
    auto SameText = [&](int P, int From, int L, bool CI) -> bool {
        if (!CI) return std::memcmp(In + P, In + From, std::size_t(L) * sizeof(Char)) == 0;
        for (int K = 0; K < L; ++K) {
            const Char A = In[P + K], B = In[From + K];
            if (A != B && Invert(A) != B) return false;
        }
        return true;
    };
    // Width of one repetition: 1, or the group's length for a back-reference (-1: group unset).
    auto RepWidth = [&](const TCharTest& T) -> int {
        if (T.Kind == ctNone) Fatal(1000);
        if (T.Kind != ctBref) return 1;
        const int S = FGroupStart[T.Group], E = FGroupEnd[T.Group];
        if (S < 0 || E < 0 || E < S) return -1;
        return E - S;
    };
    auto OneRep = [&](const TCharTest& T, int P, int W) -> bool {
        if (W > Len - P) return false;
        if (T.Kind == ctBref) return SameText(P, FGroupStart[T.Group], W, T.CaseInsensitive);
        return TestChar(T, P);
    };
    auto CountReps = [&](const TCharTest& T, int P, std::int32_t Max, int W) __attribute__((always_inline))
                         ->int {
        const int Room = (Len - P) / W;
        const int Limit = Max < Room ? Max : Room;
        int C = 0;
        switch (T.Kind) {
        case ctAny:
            return Limit;
        case ctChar:
            while (C < Limit && In[P + C] == T.C1)
                ++C;
            return C;
        case ctChar2:
            while (C < Limit && (In[P + C] == T.C1 || In[P + C] == T.C2))
                ++C;
            return C;
        case ctBits:
            while (C < Limit && T.Set->Has(In[P + C]))
                ++C;
            return C;
        case ctAnyML:
            while (C < Limit && TestChar(T, P + C))
                ++C;
            return C;
        default: // back-reference
            while (C < Limit && SameText(P + C * W, FGroupStart[T.Group], W, T.CaseInsensitive))
                ++C;
            return C;
        }
    };
    // Whether a repetition may end at Q: the character there can begin what follows it.
    auto FollowOk = [&](const TExecNode& R, int Q) {
        if (R.HasFilter) return Q < Len && In[Q] == R.Filter;
        return Q < Len && Filters[R.FollowIndex].Has(In[Q]);
    };
    auto AltPass = [&](const TExecNode& B, int P) {
        return !B.HasAltFilter || (P < Len && Filters[B.FirstIndex].Has(In[P]));
    };
    auto NextAlt = [&](int B) {
        const int N = Nodes[B].Next;
        return N >= 0 && Nodes[N].Op == xBRANCH ? N : -1;
    };

    int N = X.Start;
    int Pos = Start;
    for (;;) {
        const TExecNode& Node = Nodes[N];
        switch (Node.Op) {
        case xEND:
            FGroupStart[0] = Start;
            FGroupEnd[0] = Pos;
            return true;
        case xBOL:
            if (Pos != 0) goto Fail;
            N = Node.Next;
            continue;
        case xEOL:
            if (Pos != Len) goto Fail;
            N = Node.Next;
            continue;
        case xBOLML:
            if (Pos > 0) {
                const Char Prev = In[Pos - 1];
                bool Ok;
                if (Pair && Prev == TailC && Pos >= 2 && In[Pos - 2] == Head)
                    Ok = true;
                else if (Pair && Prev == Head && Pos < Len && In[Pos] == TailC)
                    Ok = false;
                else
                    Ok = Seps.Has(Prev);
                if (!Ok) goto Fail;
            }
            N = Node.Next;
            continue;
        case xEOLML:
            if (Pos < Len) {
                const Char Cur = In[Pos];
                bool Ok;
                if (Pair && Cur == Head && Pos + 1 < Len && In[Pos + 1] == TailC)
                    Ok = true;
                else if (Pair && Pos > 0 && In[Pos - 1] == Head && Cur == TailC)
                    Ok = false;
                else
                    Ok = Seps.Has(Cur);
                if (!Ok) goto Fail;
            }
            N = Node.Next;
            continue;
        case xBOUND:
        case xNOTBOUND: {
            const bool Before = Pos > 0 && Word.Has(In[Pos - 1]);
            const bool After = Pos < Len && Word.Has(In[Pos]);
            if ((Before != After) != (Node.Op == xBOUND)) goto Fail;
            N = Node.Next;
            continue;
        }
        case xTEST:
            if (Pos >= Len || !TestChar(Node.Test, Pos)) goto Fail;
            ++Pos;
            N = Node.Next;
            continue;
        case xEXACTLY: {
            if (Len - Pos < Node.Len) goto Fail;
            const Char* Q = In + Pos;
            for (int K = 0; K < Node.Len; ++K)
                if (Q[K] != Node.Str[K]) goto Fail;
            Pos += Node.Len;
            N = Node.Next;
            continue;
        }
        case xEXACTLYCI: {
            if (Len - Pos < Node.Len) goto Fail;
            for (int K = 0; K < Node.Len; ++K) {
                const Char C = In[Pos + K];
                if (C != Node.Str[K] && C != Node.Alt[K]) goto Fail;
            }
            Pos += Node.Len;
            N = Node.Next;
            continue;
        }
        case xBRANCH: {
            if (Node.Trie >= 0) {
                int Alt, L;
                bool More;
                if (!Tries[Node.Trie].Find(In, Pos, Len, -1, Alt, L, More)) goto Fail;
                if (More) Push(fkTrie, N, Pos, Alt);
                Pos += L;
                N = Tries[Node.Trie].Join;
                continue;
            }
            if (NextAlt(N) < 0) { // a single alternative
                N = Node.Operand;
                continue;
            }
            int A = N;
            while (A >= 0 && !AltPass(Nodes[A], Pos))
                A = NextAlt(A);
            if (A < 0) goto Fail;
            int B = NextAlt(A);
            while (B >= 0 && !AltPass(Nodes[B], Pos))
                B = NextAlt(B);
            if (B >= 0) Push(fkBranch, B, Pos, 0);
            N = Nodes[A].Operand;
            continue;
        }
        case xJUMP:
            N = Node.Next;
            continue;
        case xOPEN:
            if (Sp) Push(fkUndoOpen, Node.Group, 0, X.OpenAt[Node.Group]);
            X.OpenAt[Node.Group] = Pos;
            N = Node.Next;
            continue;
        case xCLOSE:
            if (Sp) Push(fkUndoClose, Node.Group, FGroupEnd[Node.Group], FGroupStart[Node.Group]);
            FGroupStart[Node.Group] = X.OpenAt[Node.Group];
            FGroupEnd[Node.Group] = Pos;
            X.Touched = true;
            N = Node.Next;
            continue;
        case xBREF: {
            const int S = FGroupStart[Node.Group], E = FGroupEnd[Node.Group];
            if (S < 0 || E < 0 || E < S || Len - Pos < E - S) goto Fail;
            if (!SameText(Pos, S, E - S, Node.CaseInsensitive)) goto Fail;
            Pos += E - S;
            N = Node.Next;
            continue;
        }
        case xREPEAT: {
            const int W = RepWidth(Node.Test);
            if (W <= 0) {
                // An unset group repeats no time; an empty one repeats without moving.
                if (W < 0 && Node.Min > 0) goto Fail;
                N = Node.Next;
                continue;
            }
            int C;
            if (Node.Greedy) {
                C = CountReps(Node.Test, Pos, Node.Max, W);
                if (C < Node.Min) goto Fail;
                if (Node.Disjoint) { // fewer repetitions leave a repeated character next: no use
                    if (!FollowOk(Node, Pos + C * W)) goto Fail;
                } else {
                    if (Node.HasFilter || Node.FollowIndex >= 0) {
                        while (C >= Node.Min && !FollowOk(Node, Pos + C * W))
                            --C;
                        if (C < Node.Min) goto Fail;
                    }
                    if (C > Node.Min) Push(fkRepeatG, N, Pos, C - 1);
                }
            } else {
                C = CountReps(Node.Test, Pos, Node.Min, W);
                if (C < Node.Min) goto Fail;
                if (Node.HasFilter || Node.FollowIndex >= 0)
                    while (!FollowOk(Node, Pos + C * W)) {
                        if (C >= Node.Max || !OneRep(Node.Test, Pos + C * W, W)) goto Fail;
                        ++C;
                    }
                if (C < Node.Max) Push(fkRepeatNG, N, Pos, C + 1);
            }
            Pos += C * W;
            N = Node.Next;
            continue;
        }
        case xLOOPENTRY:
            if (FLoopLevel >= LoopStackMax) Fatal(1014);
            if (Sp) Push(fkUndoIdx, 0, 0, FLoopLevel);
            ++FLoopLevel;
            if (Sp) Push(fkUndoCount, FLoopLevel, 0, FLoopCounters[FLoopLevel]);
            FLoopCounters[FLoopLevel] = 0;
            X.Touched = true;
            N = Node.Next;
            continue;
        case xLOOP: {
            if (FLoopLevel <= 0) Fatal(1015);
            const int Level = FLoopLevel;
            const std::int32_t Count = FLoopCounters[Level];
            if (Count < Node.Min) {
                if (Sp) Push(fkUndoCount, Level, 0, Count);
                FLoopCounters[Level] = Count + 1;
                N = Node.Operand;
                continue;
            }
            if (Node.Greedy && Count < Node.Max) {
                Push(fkLoopExit, N, Pos, 0);
                Push(fkUndoCount, Level, 0, Count);
                FLoopCounters[Level] = Count + 1;
                N = Node.Operand;
                continue;
            }
            if (!Node.Greedy && Count < Node.Max) Push(fkLoopMore, N, Pos, 0);
            if (Sp) Push(fkUndoIdx, 0, 0, FLoopLevel);
            --FLoopLevel;
            N = Node.Next;
            continue;
        }
        case xBAD:
        default:
            Fatal(Node.ErrorCode);
        }

    Fail:
        for (;;) {
            if (Sp == 0) return false;
            const TFrame F = St[--Sp];
            if (F.Kind <= fkLoopMore && --X.StepsLeft < 0) Fatal(1016);
            switch (F.Kind) {
            case fkUndoOpen:
                X.OpenAt[F.Node] = F.Extra;
                continue;
            case fkUndoClose:
                FGroupStart[F.Node] = F.Extra;
                FGroupEnd[F.Node] = F.Pos;
                continue;
            case fkUndoCount:
                FLoopCounters[F.Node] = F.Extra;
                continue;
            case fkUndoIdx:
                FLoopLevel = F.Extra;
                continue;
            case fkBranch:
                N = F.Node;
                Pos = F.Pos;
                break;
            case fkTrie: {
                const TLiteralTrie& T = Tries[Nodes[F.Node].Trie];
                int Alt, L;
                bool More;
                if (!T.Find(In, F.Pos, Len, F.Extra, Alt, L, More)) continue;
                if (More) Push(fkTrie, F.Node, F.Pos, Alt);
                Pos = F.Pos + L;
                N = T.Join;
                break;
            }
            case fkRepeatG: {
                const TExecNode& R = Nodes[F.Node];
                const int W = RepWidth(R.Test);
                int C = F.Extra;
                if (R.HasFilter || R.FollowIndex >= 0)
                    while (C >= R.Min && !FollowOk(R, F.Pos + C * W))
                        --C;
                if (C < R.Min) continue;
                if (C > R.Min) Push(fkRepeatG, F.Node, F.Pos, C - 1);
                Pos = F.Pos + C * W;
                N = R.Next;
                break;
            }
            case fkRepeatNG: {
                const TExecNode& R = Nodes[F.Node];
                const int W = RepWidth(R.Test);
                int C = F.Extra;
                if (C > R.Max || !OneRep(R.Test, F.Pos + (C - 1) * W, W)) continue;
                bool Found = true;
                if (R.HasFilter || R.FollowIndex >= 0)
                    while (!FollowOk(R, F.Pos + C * W)) {
                        if (C >= R.Max || !OneRep(R.Test, F.Pos + C * W, W)) {
                            Found = false;
                            break;
                        }
                        ++C;
                    }
                if (!Found) continue;
                if (C < R.Max) Push(fkRepeatNG, F.Node, F.Pos, C + 1);
                Pos = F.Pos + C * W;
                N = R.Next;
                break;
            }
            case fkLoopExit:
                Pos = F.Pos;
                if (Sp) Push(fkUndoIdx, 0, 0, FLoopLevel);
                --FLoopLevel;
                N = Nodes[F.Node].Next;
                break;
            case fkLoopMore:
                Pos = F.Pos;
                if (Sp) Push(fkUndoCount, FLoopLevel, 0, FLoopCounters[FLoopLevel]);
                ++FLoopCounters[FLoopLevel];
                N = Nodes[F.Node].Operand;
                break;
            default:
                Fatal(1001);
            }
            break;
        }
    }
}

// ---- The working form of the program ------------------------------------------------------------

namespace {

// First characters of a match from a node. Returns whether the end of the program can be
// reached without consuming a character; Unknown when the nodes cannot tell (back-references)
// or the look went too far.
struct TFirstScan {
    const std::vector<TExecNode>& Nodes;
    std::vector<int>& Visited;
    int Stamp;
    int Budget;
    bool Unknown = false;

    void AddTest(TFirstFilter& F, const TCharTest& T) {
        switch (T.Kind) {
        case ctChar:
            F.Add(T.C1);
            break;
        case ctChar2:
            F.Add(T.C1);
            F.Add(T.C2);
            break;
        case ctBits:
            for (int C = 0; C < 256; ++C)
                if (T.Set->Has(Char(C))) F.Add(Char(C));
            if (HasHigh(*T.Set)) F.High = true;
            break;
        case ctAny:
        case ctAnyML:
            AddAll(F);
            break;
        default:
            Unknown = true;
            break;
        }
    }

    bool Scan(int N, TFirstFilter& F) {
        for (;;) {
            if (N < 0 || --Budget < 0) {
                Unknown = true;
                return true;
            }
            if (Visited[std::size_t(N)] == Stamp) return false;
            Visited[std::size_t(N)] = Stamp;
            const TExecNode& Node = Nodes[std::size_t(N)];
            switch (Node.Op) {
            case xEND:
                return true;
            case xBOL:
            case xEOL:
            case xBOLML:
            case xEOLML:
            case xBOUND:
            case xNOTBOUND:
            case xJUMP:
            case xOPEN:
            case xCLOSE:
            case xLOOPENTRY:
                N = Node.Next;
                continue;
            case xTEST:
                AddTest(F, Node.Test);
                return false;
            case xEXACTLY:
                F.Add(Node.Str[0]);
                return false;
            case xEXACTLYCI:
                F.Add(Node.Str[0]);
                F.Add(Node.Alt[0]);
                return false;
            case xBRANCH: {
                const int Next = Node.Next;
                if (Next < 0 || Nodes[std::size_t(Next)].Op != xBRANCH) {
                    N = Node.Operand;
                    continue;
                }
                bool Empty = Scan(Node.Operand, F);
                Empty |= Scan(Next, F);
                return Empty;
            }
            case xREPEAT:
                if (Node.Test.Kind == ctBref || Node.Test.Kind == ctNone) {
                    Unknown = true;
                    return true;
                }
                AddTest(F, Node.Test);
                if (Node.Min > 0) return false;
                N = Node.Next;
                continue;
            case xLOOP: {
                bool Empty = Scan(Node.Operand, F);
                Empty |= Scan(Node.Next, F);
                return Empty;
            }
            default: // back-references and broken nodes
                Unknown = true;
                return true;
            }
        }
    }
};

// The case-sensitive literal that every match begins with, along one path of zero-width nodes.
const TExecNode* LeadingLiteral(const std::vector<TExecNode>& Nodes, int N) {
    for (int Steps = 0; Steps < 64 && N >= 0; ++Steps) {
        const TExecNode& Node = Nodes[std::size_t(N)];
        switch (Node.Op) {
        case xBOL:
        case xEOL:
        case xBOLML:
        case xEOLML:
        case xBOUND:
        case xNOTBOUND:
        case xJUMP:
        case xOPEN:
        case xCLOSE:
            N = Node.Next;
            continue;
        case xBRANCH:
            if (Node.Next >= 0 && Nodes[std::size_t(Node.Next)].Op == xBRANCH) return nullptr;
            N = Node.Operand;
            continue;
        case xEXACTLY:
            return &Node;
        default:
            return nullptr;
        }
    }
    return nullptr;
}

// The pairs of characters that every match begins with, when each way into the program starts
// with a literal of two or more characters; false otherwise.
constexpr std::size_t kMaxPairs = 4096;
bool CollectPairs(const std::vector<TExecNode>& Nodes, int N, std::vector<std::pair<Char, Char>>& Out,
                  int Depth = 0) {
    for (int Steps = 0; Steps < 64 && Depth < 16 && Out.size() <= kMaxPairs; ++Steps) {
        if (N < 0) return false;
        const TExecNode& Node = Nodes[std::size_t(N)];
        switch (Node.Op) {
        case xBOL:
        case xEOL:
        case xBOLML:
        case xEOLML:
        case xBOUND:
        case xNOTBOUND:
        case xJUMP:
        case xOPEN:
        case xCLOSE:
            N = Node.Next;
            continue;
        case xEXACTLY:
            if (Node.Len < 2) return false;
            Out.push_back({Node.Str[0], Node.Str[1]});
            return true;
        case xEXACTLYCI:
            if (Node.Len < 2) return false;
            for (Char A : {Node.Str[0], Node.Alt[0]})
                for (Char B : {Node.Str[1], Node.Alt[1]})
                    Out.push_back({A, B});
            return true;
        case xBRANCH: {
            const int Next = Node.Next;
            if (Next < 0 || Nodes[std::size_t(Next)].Op != xBRANCH) {
                N = Node.Operand;
                continue;
            }
            for (int A = N; A >= 0 && Nodes[std::size_t(A)].Op == xBRANCH;) {
                if (!CollectPairs(Nodes, Nodes[std::size_t(A)].Operand, Out, Depth + 1)) return false;
                const int B = Nodes[std::size_t(A)].Next;
                A = B >= 0 && Nodes[std::size_t(B)].Op == xBRANCH ? B : -1;
            }
            return Out.size() <= kMaxPairs;
        }
        default:
            return false;
        }
    }
    return false;
}

// Where in a literal the pair of neighbours that text holds least often begins, by a rough idea
// of how common characters are in source text.
int RarestPair(const TExecNode& Lit) {
    auto Commonness = [](Char C) {
        if (C == u' ' || C == u'e' || C == u't' || C == u'a' || C == u'o' || C == u'i' || C == u'n' ||
            C == u's' || C == u'r')
            return 4;
        if (C >= u'a' && C <= u'z') return 3;
        if (C == u'(' || C == u')' || C == u';' || C == u',' || C == u'.' || C == u'\t') return 2;
        if ((C >= u'A' && C <= u'Z') || (C >= u'0' && C <= u'9')) return 1;
        return 0;
    };
    int Best = 0, BestScore = 1 << 30;
    for (int K = 0; K + 1 < Lit.Len; ++K) {
        const int Score = Commonness(Lit.Str[K]) + Commonness(Lit.Str[K + 1]);
        if (Score < BestScore) {
            Best = K;
            BestScore = Score;
        }
    }
    return Best;
}

// The literal of two or more characters that every match holds in the line where it begins: the
// nodes before it, along the one way from N, match no line break. Null when there is none.
const TExecNode* LineLiteral(const std::vector<TExecNode>& Nodes, int N, const TCharBits& Breaks) {
    auto NoBreak = [&](const TCharTest& T) {
        switch (T.Kind) {
        case ctChar:
        case ctChar2:
            return !Breaks.Has(T.C1) && !Breaks.Has(T.C2);
        case ctBits:
            for (std::size_t W = 0; W < Breaks.Bits.size(); ++W)
                if (T.Set->Bits[W] & Breaks.Bits[W]) return false;
            return true;
        default:
            return false;
        }
    };
    for (int Steps = 0; Steps < 64 && N >= 0; ++Steps) {
        const TExecNode& Node = Nodes[std::size_t(N)];
        switch (Node.Op) {
        case xBOL:
        case xBOLML:
        case xBOUND:
        case xNOTBOUND:
        case xOPEN:
        case xCLOSE:
        case xJUMP: // a loop back is a BRANCH with a second alternative, refused below
            N = Node.Next;
            continue;
        case xBRANCH:
            if (Node.Next >= 0 && Nodes[std::size_t(Node.Next)].Op == xBRANCH) return nullptr;
            N = Node.Operand;
            continue;
        case xTEST:
        case xREPEAT:
            if (!NoBreak(Node.Test)) return nullptr;
            N = Node.Next;
            continue;
        case xEXACTLY:
            for (int K = 0; K < Node.Len; ++K)
                if (Breaks.Has(Node.Str[K])) return nullptr;
            if (Node.Len >= 2) return &Node;
            N = Node.Next;
            continue;
        default:
            return nullptr;
        }
    }
    return nullptr;
}

} // namespace

void TRegexEngine::PrepareExec() {
    TRegexExec& X = *FExec;
    const int Count = int(FNodeStarts.size());
    X.Nodes.assign(std::size_t(Count), TExecNode{});
    X.Sets.clear();
    X.AltStrings.clear();
    X.Filters.clear();
    X.Separators = TCharBits{};
    for (Char C : FLineSeparators)
        X.Separators.Add(C);
    X.PairAssigned = FLinePairedSeparatorAssigned;
    X.PairHead = FLinePairedSeparatorHead;
    X.PairTail = FLinePairedSeparatorTail;
    X.Word = TCharBits{};
    for (Char C : FWordChars)
        X.Word.Add(C);

    const int Size = int(FProgram.size());
    std::vector<int> Map(std::size_t(Size), -1);
    for (int I = 0; I < Count; ++I)
        Map[std::size_t(FNodeStarts[std::size_t(I)])] = I;
    auto IndexAt = [&](int Offset) { return Offset >= 0 && Offset < Size ? Map[std::size_t(Offset)] : -1; };

    auto NewSet = [&]() -> TCharBits& {
        X.Sets.push_back(std::make_unique<TCharBits>());
        return *X.Sets.back();
    };
    // The shared sets of the class escapes, made when first needed.
    const TCharBits* Shared[6] = {};
    auto SharedSet = [&](int Which) -> const TCharBits* { // digit, word, space; odd: complement
        if (!Shared[Which]) {
            TCharBits& S = NewSet();
            const int Base = Which / 2;
            if (Base == 0)
                for (Char C = u'0'; C <= u'9'; ++C)
                    S.Add(C);
            else
                for (Char C : Base == 1 ? FWordChars : FSpaceChars)
                    S.Add(C);
            if (Which & 1) S.Invert();
            Shared[Which] = &S;
        }
        return Shared[Which];
    };
    // A class: the characters from Begin to End, with the case-inverted closure and complement.
    auto ClassSet = [&](int Begin, int End, bool CI, bool Complement) -> const TCharBits* {
        TCharBits& S = NewSet();
        for (int I = Begin; I < End; ++I)
            S.Add(FProgram[std::size_t(I)]);
        if (CI) {
            const TCharBits Own = S;
            for (int C = 0; C < 0x10000; ++C)
                if (Own.Has(Invert(Char(C)))) S.Add(Char(C));
        }
        if (Complement) S.Invert();
        return &S;
    };
    auto SetTest = [](TExecNode& N, const TCharBits* S) {
        N.Op = xTEST;
        N.Test.Kind = ctBits;
        N.Test.Set = S;
    };

    for (int I = 0; I < Count; ++I) {
        const int S = FNodeStarts[std::size_t(I)];
        const int Opnd = S + kNodeSize;
        TExecNode& N = X.Nodes[std::size_t(I)];
        const Char Op = FProgram[std::size_t(S)];
        const std::int32_t Link = ReadInt(S + 1);
        bool BadLink = false;
        if (Link != 0) {
            N.Next = IndexAt(S + Link);
            BadLink = N.Next < 0;
        }
        switch (Op) {
        case opEND:
            N.Op = xEND;
            break;
        case opBOL:
            N.Op = xBOL;
            break;
        case opEOL:
            N.Op = xEOL;
            break;
        case opBOLML:
            N.Op = xBOLML;
            break;
        case opEOLML:
            N.Op = xEOLML;
            break;
        case opBOUND:
            N.Op = xBOUND;
            break;
        case opNOTBOUND:
            N.Op = xNOTBOUND;
            break;
        case opANY:
            N.Op = xTEST;
            N.Test.Kind = ctAny;
            break;
        case opANYML:
            N.Op = xTEST;
            N.Test.Kind = ctAnyML;
            break;
        case opANYOF:
            SetTest(N, ClassSet(Opnd, OperandEnd(S), false, false));
            break;
        case opANYBUT:
            SetTest(N, ClassSet(Opnd, OperandEnd(S), false, true));
            break;
        case opANYOFCI:
            SetTest(N, ClassSet(Opnd, OperandEnd(S), true, false));
            break;
        case opANYBUTCI:
            SetTest(N, ClassSet(Opnd, OperandEnd(S), true, true));
            break;
        case opANYOFTINYSET:
            SetTest(N, ClassSet(Opnd, Opnd + 3, false, false));
            break;
        case opANYBUTTINYSET:
            SetTest(N, ClassSet(Opnd, Opnd + 3, false, true));
            break;
        case opANYDIGIT:
            SetTest(N, SharedSet(0));
            break;
        case opNOTDIGIT:
            SetTest(N, SharedSet(1));
            break;
        case opANYLETTER:
            SetTest(N, SharedSet(2));
            break;
        case opNOTLETTER:
            SetTest(N, SharedSet(3));
            break;
        case opANYSPACE:
            SetTest(N, SharedSet(4));
            break;
        case opNOTSPACE:
            SetTest(N, SharedSet(5));
            break;
        case opEXACTLY:
        case opEXACTLYCI:
            N.Op = Op == opEXACTLY ? xEXACTLY : xEXACTLYCI;
            N.Str = FProgram.data() + Opnd;
            N.Len = OperandEnd(S) - Opnd;
            if (N.Len <= 0) { // never produced: an empty string would match nothing sensible
                N.Op = xBAD;
                break;
            }
            if (Op == opEXACTLYCI) {
                String Alt(N.Str, std::size_t(N.Len));
                for (Char& C : Alt)
                    C = Invert(C);
                X.AltStrings.push_back(std::move(Alt));
            }
            if (N.Len == 1) {
                N.Test.C1 = N.Str[0];
                N.Test.C2 = Op == opEXACTLY ? N.Str[0] : Invert(N.Str[0]);
                N.Test.Kind = N.Test.C1 == N.Test.C2 ? ctChar : ctChar2;
            }
            break;
        case opBRANCH:
            N.Op = xBRANCH;
            N.Operand = IndexAt(Opnd);
            break;
        case opBACK:
        case opNOTHING:
        case opCOMMENT:
            N.Op = xJUMP;
            break;
        case opSTAR:
        case opSTARNG:
        case opPLUS:
        case opPLUSNG:
        case opBRACES:
        case opBRACESNG:
            N.Op = xREPEAT;
            N.Greedy = Op == opSTAR || Op == opPLUS || Op == opBRACES;
            if (Op == opBRACES || Op == opBRACESNG) {
                N.Min = ReadInt(Opnd);
                N.Max = ReadInt(Opnd + 2);
                N.Operand = IndexAt(Opnd + kBracesArgs);
            } else {
                N.Min = (Op == opPLUS || Op == opPLUSNG) ? 1 : 0;
                N.Max = kInfinite;
                N.Operand = IndexAt(Opnd);
            }
            break;
        case opLOOPENTRY:
            N.Op = xLOOPENTRY;
            break;
        case opLOOP:
        case opLOOPNG:
            N.Op = xLOOP;
            N.Greedy = Op == opLOOP;
            N.Min = ReadInt(Opnd);
            N.Max = ReadInt(Opnd + 2);
            N.Operand = IndexAt(S - ReadInt(Opnd + 4));
            if (N.Operand < 0) BadLink = true;
            break;
        case opBSUBEXP:
        case opBSUBEXPCI:
            N.Op = xBREF;
            N.Group = FProgram[std::size_t(Opnd)];
            N.CaseInsensitive = Op == opBSUBEXPCI;
            N.Test.Kind = ctBref;
            N.Test.Group = N.Group;
            N.Test.CaseInsensitive = N.CaseInsensitive;
            if (N.Group >= NSUBEXP) N.Op = xBAD;
            break;
        default:
            if (Op > opOPEN && Op < opOPEN + NSUBEXP) {
                N.Op = xOPEN;
                N.Group = Op - opOPEN;
            } else if (Op > opCLOSE && Op < opCLOSE + NSUBEXP) {
                N.Op = xCLOSE;
                N.Group = Op - opCLOSE;
            } else
                N.Op = xBAD;
            break;
        }
        if (BadLink) {
            N.Op = xBAD;
            N.ErrorCode = 1002;
        }
    }
    // Alternative strings live in a list that no longer moves.
    {
        std::size_t K = 0;
        for (TExecNode& N : X.Nodes)
            if (N.Op == xEXACTLYCI) N.Alt = X.AltStrings[K++].data();
    }
    // What each repetition repeats, and the first character of what follows it.
    for (TExecNode& N : X.Nodes)
        if (N.Op == xREPEAT) {
            if (N.Operand >= 0) N.Test = X.Nodes[std::size_t(N.Operand)].Test;
            if (N.Next >= 0 && X.Nodes[std::size_t(N.Next)].Op == xEXACTLY) {
                N.HasFilter = true;
                N.Filter = X.Nodes[std::size_t(N.Next)].Str[0];
            }
        }
    // A greedy "*" or "+" of a one-character atom that is not simple (such as "." with s off) is a
    // loop of BRANCH and BACK nodes; counting the characters gives the same matches without a
    // stack entry per character.
    auto Single = [&](int I) {
        if (I < 0) return false;
        const TExecNode& N = X.Nodes[std::size_t(I)];
        return (N.Op == xTEST || N.Op == xEXACTLY || N.Op == xEXACTLYCI) && N.Test.Kind != ctNone &&
               N.Test.Kind != ctBref;
    };
    auto Is = [&](int I, TExecOp Op) { return I >= 0 && X.Nodes[std::size_t(I)].Op == Op; };
    auto Exit = [&](int B2) -> int { // B2 BRANCH -> NOTHING: the node after the NOTHING, or -2
        const TExecNode& Two = X.Nodes[std::size_t(B2)];
        if (Two.Next < 0 || Two.Next != Two.Operand) return -2;
        if (FProgram[std::size_t(FNodeStarts[std::size_t(Two.Next)])] != opNOTHING) return -2;
        return X.Nodes[std::size_t(Two.Next)].Next;
    };
    auto IsBack = [&](int I) {
        return I >= 0 && FProgram[std::size_t(FNodeStarts[std::size_t(I)])] == opBACK;
    };
    auto MakeRepeat = [&](TExecNode& N, const TCharTest& T, int Min, int Next) {
        N.Op = xREPEAT;
        N.Test = T;
        N.Min = Min;
        N.Max = kInfinite;
        N.Greedy = true;
        N.Next = Next;
        N.HasFilter = false;
        if (Next >= 0 && X.Nodes[std::size_t(Next)].Op == xEXACTLY) {
            N.HasFilter = true;
            N.Filter = X.Nodes[std::size_t(Next)].Str[0];
        }
    };
    for (int I = 0; I < Count; ++I) {
        TExecNode& N = X.Nodes[std::size_t(I)];
        if (N.Op == xBRANCH && Is(N.Next, xBRANCH) && Single(N.Operand)) {
            // x*: B1(x -> BACK -> B1) B2(NOTHING) -> next
            const TExecNode& Body = X.Nodes[std::size_t(N.Operand)];
            if (IsBack(Body.Next) && X.Nodes[std::size_t(Body.Next)].Next == I) {
                const int After = Exit(N.Next);
                if (After != -2) MakeRepeat(N, Body.Test, 0, After);
            }
        } else if (Single(I) && Is(N.Next, xBRANCH)) {
            // x+: x B1(BACK -> x) B2(NOTHING) -> next
            const TExecNode& B1 = X.Nodes[std::size_t(N.Next)];
            if (IsBack(B1.Operand) && X.Nodes[std::size_t(B1.Operand)].Next == I && Is(B1.Next, xBRANCH)) {
                const int After = Exit(B1.Next);
                if (After != -2) MakeRepeat(N, TCharTest(N.Test), 1, After);
            }
        }
    }

    // Alternations of plain literals that all go on at the same node become trees of their
    // characters.
    X.Tries.clear();
    std::vector<char> Later(std::size_t(Count), 0);
    for (const TExecNode& N : X.Nodes)
        if (N.Op == xBRANCH && Is(N.Next, xBRANCH)) Later[std::size_t(N.Next)] = 1;
    for (int I = 0; I < Count; ++I) {
        TExecNode& Head = X.Nodes[std::size_t(I)];
        if (Head.Op != xBRANCH || !Is(Head.Next, xBRANCH)) continue;
        if (Later[std::size_t(I)]) continue; // the chain is taken from its first alternative
        std::vector<int> Literals;
        int B = I, Join = -1;
        bool Plain = true;
        for (; B >= 0 && X.Nodes[std::size_t(B)].Op == xBRANCH; B = X.Nodes[std::size_t(B)].Next) {
            const int Lit = X.Nodes[std::size_t(B)].Operand;
            if (!Is(Lit, xEXACTLY)) {
                Plain = false;
                break;
            }
            const int After = X.Nodes[std::size_t(Lit)].Next;
            if (Join < 0) Join = After;
            if (After != Join || After < 0) {
                Plain = false;
                break;
            }
            Literals.push_back(Lit);
        }
        if (!Plain || B != Join || Literals.size() < 2) continue;
        TLiteralTrie T;
        T.Join = Join;
        std::vector<std::map<Char, int>> Links(1);
        T.Nodes.resize(1);
        for (std::size_t A = 0; A < Literals.size(); ++A) {
            const TExecNode& L = X.Nodes[std::size_t(Literals[A])];
            int At = 0;
            for (int K = 0; K < L.Len; ++K) {
                auto [It, New] = Links[std::size_t(At)].try_emplace(L.Str[K], int(T.Nodes.size()));
                if (New) {
                    T.Nodes.emplace_back();
                    Links.emplace_back();
                }
                At = It->second;
            }
            if (T.Nodes[std::size_t(At)].Alternative < 0) T.Nodes[std::size_t(At)].Alternative = int(A);
        }
        for (std::size_t K = 0; K < T.Nodes.size(); ++K) {
            T.Nodes[K].FirstChild = int(T.Keys.size());
            T.Nodes[K].ChildCount = int(Links[K].size());
            for (auto [C, Child] : Links[K]) {
                T.Keys.push_back(C);
                T.Children.push_back(Child);
                if (K == 0 && C < 256) T.RootLow[C] = Child;
            }
        }
        Head.Trie = int(X.Tries.size());
        X.Tries.push_back(std::move(T));
    }

    // First characters: where a search tries, and which alternatives a BRANCH may skip.
    std::vector<int> Visited(std::size_t(Count), 0);
    int Stamp = 0;
    // Every BRANCH that has a BRANCH as its link, and every BRANCH linked to from one, is an
    // alternative.
    std::vector<char> Alternative(std::size_t(Count), 0);
    for (int I = 0; I < Count; ++I) {
        const TExecNode& N = X.Nodes[std::size_t(I)];
        if (N.Op == xBRANCH && Is(N.Next, xBRANCH)) {
            Alternative[std::size_t(I)] = 1;
            Alternative[std::size_t(N.Next)] = 1;
        }
    }
    for (int I = 0; I < Count; ++I) {
        if (!Alternative[std::size_t(I)]) continue;
        TExecNode& N = X.Nodes[std::size_t(I)];
        TFirstFilter F;
        TFirstScan Scan{X.Nodes, Visited, ++Stamp, 64};
        const bool Empty = Scan.Scan(N.Operand, F);
        if (!Empty && !Scan.Unknown) {
            N.HasAltFilter = true;
            N.FirstIndex = int(X.Filters.size());
            X.Filters.push_back(F);
        }
    }

    // What may follow a repetition, for the counts it tries.
    for (int I = 0; I < Count; ++I) {
        TExecNode& N = X.Nodes[std::size_t(I)];
        if (N.Op != xREPEAT || N.HasFilter) continue;
        TFirstFilter F;
        TFirstScan Scan{X.Nodes, Visited, ++Stamp, 64};
        const bool Empty = Scan.Scan(N.Next, F);
        if (!Empty && !Scan.Unknown) {
            N.FollowIndex = int(X.Filters.size());
            X.Filters.push_back(F);
        }
    }
    // A greedy repetition of one character whose next node cannot begin with any character it
    // repeats needs no way back: only its longest run can be followed.
    for (TExecNode& N : X.Nodes) {
        if (N.Op != xREPEAT || !N.Greedy || (!N.HasFilter && N.FollowIndex < 0)) continue;
        const TCharTest& T = N.Test;
        if (T.Kind != ctChar && T.Kind != ctChar2 && T.Kind != ctBits) continue;
        auto Repeats = [&](Char C) { return T.Kind == ctBits ? T.Set->Has(C) : C == T.C1 || C == T.C2; };
        bool Disjoint = true;
        if (N.HasFilter)
            Disjoint = !Repeats(N.Filter);
        else {
            const TFirstFilter& F = X.Filters[std::size_t(N.FollowIndex)];
            for (int C = 0; C < 256 && Disjoint; ++C)
                if (F.Has(Char(C)) && Repeats(Char(C))) Disjoint = false;
            if (Disjoint && F.High) // the filter stands for every character above 255 there
                Disjoint = T.Kind == ctBits ? !HasHigh(*T.Set) : T.C1 < 256 && T.C2 < 256;
        }
        N.Disjoint = Disjoint;
    }

    X.Start = IndexAt(1);
    X.Scan = skEvery;
    X.LineStart = false;
    X.HasSecond = false;
    X.HasPairs = false;
    X.LineLiteral = nullptr;
    X.Pairs = TPairFilter{};
    if (FAnchored)
        X.Scan = skAnchor;
    else {
        TFirstFilter F;
        TFirstScan Scan{X.Nodes, Visited, ++Stamp, 1 << 20};
        const bool Empty = Scan.Scan(X.Start, F);
        if (!Empty && !Scan.Unknown) {
            X.First = F;
            TCharBits Low;
            for (int C = 0; C < 256; ++C)
                if (F.Has(Char(C))) Low.Add(Char(C));
            X.Scan = !F.High && MakeVecTest(Low, X.ScanFirst) ? skVector : skFilter;
            // Where every match begins with one of some pairs of literal characters.
            std::vector<std::pair<Char, Char>> Pairs;
            if (CollectPairs(X.Nodes, X.Start, Pairs)) {
                X.HasPairs = true;
                TCharBits Seconds;
                for (auto [A, B] : Pairs) {
                    X.Pairs.Add(A, B);
                    Seconds.Add(B);
                }
                X.HasSecond = MakeVecTest(Seconds, X.ScanSecond);
            }
            // A literal at the start is found by its rarest pair of neighbours.
            X.ScanOffset = 0;
            if (const TExecNode* Lit = LeadingLiteral(X.Nodes, X.Start); Lit && Lit->Len >= 3) {
                const int Best = RarestPair(*Lit);
                X.Scan = skVector;
                X.ScanOffset = Best;
                X.ScanFirst = TVecTest{};
                X.ScanFirst.Count = 1;
                for (Char& C : X.ScanFirst.Lo)
                    C = Lit->Str[Best];
                X.ScanSecond = TVecTest{};
                X.ScanSecond.Count = 1;
                for (Char& C : X.ScanSecond.Lo)
                    C = Lit->Str[Best + 1];
                X.HasSecond = true;
            }
        }
        // A single branch that begins with "^" under m: only line starts can match.
        int N = X.Start;
        if (N >= 0 && X.Nodes[std::size_t(N)].Op == xBRANCH && !Is(X.Nodes[std::size_t(N)].Next, xBRANCH)) {
            N = X.Nodes[std::size_t(N)].Operand;
            while (N >= 0 && (X.Nodes[std::size_t(N)].Op == xOPEN ||
                              (X.Nodes[std::size_t(N)].Op == xJUMP && !IsBack(N))))
                N = X.Nodes[std::size_t(N)].Next;
            X.LineStart = N >= 0 && X.Nodes[std::size_t(N)].Op == xBOLML;
        }
        // "\b" before what can only begin with a word character: only word starts can match.
        N = X.Start;
        X.WordStart = false;
        for (int Steps = 0; N >= 0 && Steps < 16; ++Steps) {
            const TExecNode& Node = X.Nodes[std::size_t(N)];
            if ((Node.Op == xBRANCH && !Is(Node.Next, xBRANCH)))
                N = Node.Operand;
            else if (Node.Op == xOPEN || (Node.Op == xJUMP && !IsBack(N)))
                N = Node.Next;
            else {
                if (Node.Op == xBOUND) {
                    TFirstFilter After;
                    TFirstScan Scan{X.Nodes, Visited, ++Stamp, 64};
                    if (!Scan.Scan(Node.Next, After) && !Scan.Unknown && !After.High) {
                        X.WordStart = true;
                        for (int C = 0; C < 256; ++C)
                            if (After.Has(Char(C)) && !X.Word.Has(Char(C))) X.WordStart = false;
                    }
                }
                break;
            }
        }
        if (X.LineStart) {
            X.Breaks = X.Separators;
            if (X.PairAssigned) X.Breaks.Add(X.PairTail);
            X.VectorBreaks = MakeVecTest(X.Breaks, X.BreakTest);
            X.LineLiteral = LineLiteral(X.Nodes, X.Start, X.Breaks);
            if (X.LineLiteral) {
                X.LiteralOffset = RarestPair(*X.LineLiteral);
                X.LiteralFirst = TVecTest{};
                X.LiteralSecond = TVecTest{};
                X.LiteralFirst.Count = X.LiteralSecond.Count = 1;
                for (int K = 0; K < 4; ++K) {
                    X.LiteralFirst.Lo[K] = X.LineLiteral->Str[X.LiteralOffset];
                    X.LiteralSecond.Lo[K] = X.LineLiteral->Str[X.LiteralOffset + 1];
                }
            }
        }
    }
    // What a vector scan has not checked already.
    X.CheckFirst = X.Scan == skFilter || (X.Scan == skVector && X.ScanOffset > 0);
    X.CheckSecond = X.HasSecond && X.ScanOffset == 0 && X.Scan != skVector;
    X.FirstLanes = TVecLanes(X.ScanFirst);
    X.SecondLanes = TVecLanes(X.ScanSecond);
    X.BreakLanes = TVecLanes(X.BreakTest);
    X.LiteralFirstLanes = TVecLanes(X.LiteralFirst);
    X.LiteralSecondLanes = TVecLanes(X.LiteralSecond);
    if (X.LineLiteral) X.LiteralFirstLanes.Wide = PickWideScan(X.LiteralFirst, &X.LiteralSecond);
    if (X.Scan == skVector)
        X.FirstLanes.Wide = PickWideScan(X.ScanFirst, X.HasSecond ? &X.ScanSecond : nullptr);
    if (X.LineStart && X.VectorBreaks) X.BreakLanes.Wide = PickWideScan(X.BreakTest, nullptr);
    // At run time, jumps and branches of one alternative lead straight to where they go. A BRANCH
    // keeps its own link: it tells the next alternative.
    auto Through = [&](int I) {
        for (int Steps = 0; I >= 0 && Steps < Count; ++Steps) {
            const TExecNode& N = X.Nodes[std::size_t(I)];
            int To = -1;
            if (N.Op == xJUMP)
                To = N.Next;
            else if (N.Op == xBRANCH && N.Trie < 0 && !Is(N.Next, xBRANCH))
                To = N.Operand;
            if (To < 0) break;
            I = To;
        }
        return I;
    };
    X.Start = Through(X.Start);
    for (TExecNode& N : X.Nodes) {
        if (N.Op != xBRANCH) N.Next = Through(N.Next);
        if (N.Op == xBRANCH || N.Op == xLOOP) N.Operand = Through(N.Operand);
    }
    for (TLiteralTrie& T : X.Tries)
        T.Join = Through(T.Join);
    if (X.Stack.empty()) X.Stack.resize(1024);
    X.Valid = true;
}

// ---- Substitution, replace and split ------------------------------------------------------------

String TRegexEngine::Substitute(const String& ATemplate) {
    if (!FInputAssigned) {
        RaiseError(1005);
        return String();
    }
    return SubstituteMatch(ATemplate, FInput, MatchGroups());
}

TRegexMatchGroups TRegexEngine::MatchGroups() const {
    TRegexMatchGroups Groups;
    for (int I = 0; I < NSUBEXP; ++I) {
        Groups.Start[I] = FGroupStart[I];
        Groups.End[I] = FGroupEnd[I];
    }
    return Groups;
}

String TRegexEngine::SubstituteMatch(const String& ATemplate, const String& AInput,
                                     const TRegexMatchGroups& AGroups) {
    if (ATemplate.empty()) return String();
    const int Len = int(ATemplate.size());
    const std::int32_t InputLen = std::int32_t(AInput.size());
    auto GroupText = [&](std::int64_t N, String& Out) {
        if (N < 0 || N >= NSUBEXP) return;
        const std::int32_t S = AGroups.Start[N], E = AGroups.End[N];
        if (S < 0 || E < S || E > InputLen) return;
        Out.append(AInput, std::size_t(S), std::size_t(E - S));
    };
    String Result;
    Result.reserve(ATemplate.size());
    int I = 0;
    while (I < Len) {
        const Char C = ATemplate[std::size_t(I++)];
        if (C == u'\\') {
            if (I < Len) Result += ATemplate[std::size_t(I++)];
            continue;
        }
        if (C != u'$' || I >= Len) {
            Result += C;
            continue;
        }
        const Char D = ATemplate[std::size_t(I)];
        if (D == u'&') {
            ++I;
            GroupText(0, Result);
        } else if (D >= u'0' && D <= u'9') {
            std::int64_t N = 0;
            while (I < Len && ATemplate[std::size_t(I)] >= u'0' && ATemplate[std::size_t(I)] <= u'9') {
                N = std::min<std::int64_t>(N * 10 + (ATemplate[std::size_t(I)] - u'0'), 1000000);
                ++I;
            }
            GroupText(N, Result);
        } else if (D == u'{') {
            int J = I + 1;
            std::int64_t N = -1;
            if (J < Len && ATemplate[std::size_t(J)] == u'&') {
                N = 0;
                ++J;
            } else
                while (J < Len && ATemplate[std::size_t(J)] >= u'0' && ATemplate[std::size_t(J)] <= u'9') {
                    N = std::min<std::int64_t>(
                        std::max<std::int64_t>(N, 0) * 10 + (ATemplate[std::size_t(J)] - u'0'), 1000000);
                    ++J;
                }
            if (N >= 0 && J < Len && ATemplate[std::size_t(J)] == u'}') {
                I = J + 1;
                GroupText(N, Result);
            } else
                Result += u'$'; // "${" without its "}": the "$" stands, the rest is copied
        } else
            Result += u'$';
    }
    return Result;
}

String TRegexEngine::Replace(const String& AInputStr, const String& AReplaceStr, bool AUseSubstitution) {
    return ReplaceEx(AInputStr, [&](TRegexEngine* R) {
        return AUseSubstitution ? R->Substitute(AReplaceStr) : AReplaceStr;
    });
}

String TRegexEngine::Replace(const String& AInputStr, const TRegexEngineReplaceFunction& AReplaceFunc) {
    return ReplaceEx(AInputStr, AReplaceFunc);
}

String TRegexEngine::ReplaceEx(const String& AInputStr, const TRegexEngineReplaceFunction& AReplaceFunc) {
    String Result;
    int Prev = 0;
    if (Exec(AInputStr)) do {
            Result.append(FInput, std::size_t(Prev), std::size_t(FGroupStart[0] - Prev));
            Result += AReplaceFunc(this);
            Prev = FGroupEnd[0];
        } while (ExecNext());
    Result.append(FInput, std::size_t(Prev), String::npos);
    return Result;
}

void TRegexEngine::Split(const String& AInputStr, TStrings* APieces) {
    int Prev = 0;
    if (Exec(AInputStr)) do {
            APieces->Add(FInput.substr(std::size_t(Prev), std::size_t(FGroupStart[0] - Prev)));
            Prev = FGroupEnd[0];
        } while (ExecNext());
    APieces->Add(FInput.substr(std::size_t(Prev)));
}
