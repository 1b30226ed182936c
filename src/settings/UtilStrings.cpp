#include "settings/UtilStrings.h"

#include "platform/base/CharTypes.h"
#include "platform/base/Lists.h"
#include "platform/base/Strings.h"

String LeftChars(const String& S, int Count) {
    return Copy(S, 1, Count);
}

String MidChars(const String& S, int Index, int Count) {
    return Copy(S, Index, Count);
}

String CharsFrom(const String& S, int Index) {
    return Copy(S, Index, Length(S));
}

String WithPrefix(const String& Prefix, const String& S) {
    return StartsStr(Prefix, S) ? S : Prefix + S;
}

String WithSuffix(const String& Suffix, const String& S) {
    return EndsStr(Suffix, S) ? S : S + Suffix;
}

String WithoutPrefix(const String& Prefix, const String& S) {
    return !Prefix.empty() && StartsStr(Prefix, S) ? S.substr(Prefix.size()) : S;
}

String UpperCopy(const String& S) {
    String Result = S;
    UpperInPlace(Result);
    return Result;
}

void UpperInPlace(String& S) {
    for (Char& C : S)
        C = CharUpper(C);
}

bool CharIsUpper(Char Ch) {
    return (GetCharType(Ch) & C1_UPPER) != 0;
}

bool CharIsLower(Char Ch) {
    return (GetCharType(Ch) & C1_LOWER) != 0;
}

Char CharToUpper(Char Ch) {
    return CharUpper(Ch);
}

int FindTextNoCase(const String& SubStr, const String& S) {
    return Pos(UpperCopy(SubStr), UpperCopy(S));
}

int FindTextFrom(const String& SubStr, const String& S, int Index) {
    if (S.empty() || SubStr.empty()) return 0;
    return PosEx(UpperCopy(SubStr), UpperCopy(S), Index);
}

String TextBefore(const String& SubStr, const String& S) {
    const int P = FindTextNoCase(SubStr, S);
    return P > 0 ? LeftChars(S, P - 1) : S;
}

int FirstCharPos(const String& S, Char Ch, int Index) {
    if (Index < 1 || Index > Length(S)) return 0;
    const size_t P = S.find(Ch, static_cast<size_t>(Index - 1));
    return P == String::npos ? 0 : static_cast<int>(P) + 1;
}

int LastCharPos(const String& S, Char Ch, int Index) {
    if (Index < 1 || Index > Length(S)) return 0;
    for (int I = Length(S); I >= Index; --I)
        if (S[static_cast<size_t>(I - 1)] == Ch) return I;
    return 0;
}

String ReplaceCharAll(const String& S, Char Source, Char Dest) {
    String Result = S;
    for (Char& C : Result)
        if (C == Source) C = Dest;
    return Result;
}

void ReplaceText(String& S, const String& Search, const String& Replace, unsigned Flags) {
    if (Search.empty()) {
        if (!S.empty()) throw EUtilStringError(u"Search string cannot be blank");
        S = Replace;
        return;
    }
    if (S.empty()) return;
    const bool IgnoreCase = (Flags & rtIgnoreCase) != 0;
    const String Pattern = IgnoreCase ? UpperCopy(Search) : Search;
    auto Same = [IgnoreCase](Char A, Char B) { return (IgnoreCase ? CharToUpper(A) : A) == B; };
    String Out;
    Out.reserve(S.size());
    size_t I = 0;
    while (I < S.size()) {
        bool Match = S.size() - I >= Pattern.size();
        for (size_t K = 0; Match && K < Pattern.size(); ++K)
            Match = Same(S[I + K], Pattern[K]);
        if (!Match) {
            Out += S[I++];
            continue;
        }
        Out += Replace;
        I += Pattern.size();
        if ((Flags & rtReplaceAll) == 0) {
            Out.append(S, I, String::npos);
            break;
        }
    }
    S = std::move(Out);
}

void CutAtNul(String& S) {
    const size_t P = S.find(u'\0');
    if (P != String::npos) S.resize(P);
}

void SplitToStrings(const String& S, const String& Separator, TStrings* List, bool AllowEmpty) {
    ASSERT(List);
    List->BeginUpdate();
    try {
        List->Clear();
        size_t Start = 0;
        while (!Separator.empty()) {
            const size_t P = S.find(Separator, Start);
            if (P == String::npos) break;
            if (AllowEmpty || P > Start) List->Add(S.substr(Start, P - Start));
            Start = P + Separator.size();
        }
        if (Start < S.size()) List->Add(S.substr(Start));
    } catch (...) {
        List->EndUpdate();
        throw;
    }
    List->EndUpdate();
}
