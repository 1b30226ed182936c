#include "settings/UtilStrings.h"

#include "platform/base/CharTypes.h"
#include "platform/base/Lists.h"
#include "platform/base/ScopeGuard.h"
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
    return PosEx(String(1, Ch), S, Index);
}

int LastCharPos(const String& S, Char Ch, int Index) {
    if (Index < 1 || Index > Length(S)) return 0;
    const int P = LastDelimiter(String(1, Ch), S);
    return P >= Index ? P : 0;
}

String ReplaceCharAll(const String& S, Char Source, Char Dest) {
    String Result = S;
    for (Char& C : Result)
        if (C == Source) C = Dest;
    return Result;
}

static_assert(unsigned(rtReplaceAll) == rfReplaceAll && unsigned(rtIgnoreCase) == rfIgnoreCase,
              "the same bits");

void ReplaceText(String& S, const String& Search, const String& Replace, unsigned Flags) {
    if (Search.empty()) {
        if (!S.empty()) throw EUtilStringError(u"Search string cannot be blank");
        S = Replace;
        return;
    }
    S = StringReplace(S, Search, Replace, static_cast<TReplaceFlags>(Flags & (rtReplaceAll | rtIgnoreCase)));
}

void CutAtNul(String& S) {
    const size_t P = S.find(u'\0');
    if (P != String::npos) S.resize(P);
}

void SplitToStrings(const String& S, const String& Separator, TStrings* List, bool AllowEmpty) {
    ASSERT(List);
    TUpdateBracket Update(*List);
    List->Clear();
    size_t Start = 0;
    while (!Separator.empty()) {
        const size_t P = S.find(Separator, Start);
        if (P == String::npos) break;
        if (AllowEmpty || P > Start) List->Add(S.substr(Start, P - Start));
        Start = P + Separator.size();
    }
    if (Start < S.size()) List->Add(S.substr(Start));
}
