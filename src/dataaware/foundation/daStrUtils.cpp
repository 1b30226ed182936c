#include "dataaware/foundation/daStrUtils.h"

#include "platform/base/Files.h"
#include "platform/base/Strings.h"

namespace {

bool IsBlank(Char C) { return C == u' ' || C == u'\t'; }

Char AsciiUpper(Char C) { return C >= u'a' && C <= u'z' ? Char(C - 32) : C; }

String AsciiUpper(const String& S) {
    String R = S;
    for (Char& C : R)
        C = AsciiUpper(C);
    return R;
}

} // namespace

void daFileNameNoExt(const String& Path, String& Name) {
    const String File = ExtractFileName(Path);
    const int Dot = Pos(u".", File);
    Name = Dot > 0 ? Copy(File, 1, Dot - 1) : String();
}

void daNextToken(const String& Text, const String& Delimiter, int& Pos, String& Token) {
    Token.clear();
    if (Pos <= 0) return;
    if (Pos > Length(Text)) {
        Pos = -1;
        return;
    }
    const String Rest = Copy(Text, Pos, Length(Text));
    int P;
    int DelimLength;
    if (Length(Delimiter) == 1) {
        P = ::Pos(Delimiter, Rest);
        DelimLength = 1;
    } else {
        const String Word = u" " + AsciiUpper(Delimiter) + u" ";
        P = ::Pos(Word, AsciiUpper(Rest));
        DelimLength = Length(Word);
    }
    if (P > 0) {
        Token = Copy(Rest, 1, P - 1);
        Pos += P - 1 + DelimLength;
    } else {
        Token = Rest;
        Pos = -1;
    }
}

void daSplitToList(const String& Text, Char Delimiter, TStrings* List) {
    List->Clear();
    size_t Start = 0;
    for (;;) {
        const size_t At = Text.find(Delimiter, Start);
        if (At == String::npos) break;
        List->Add(Text.substr(Start, At - Start));
        Start = At + 1;
    }
    List->Add(Text.substr(Start));
}

void daTrimLeadingChars(String& Text, const String& CharSet) {
    const size_t First = Text.find_first_not_of(CharSet);
    Text = First == String::npos ? String() : Text.substr(First);
}

void daTrimTrailingChars(String& Text, const String& CharSet) {
    const size_t Last = Text.find_last_not_of(CharSet);
    Text = Last == String::npos ? String() : Text.substr(0, Last + 1);
}

void daTrimBlanks(String& Text) {
    daTrimLeadingChars(Text, u" \t");
    daTrimTrailingChars(Text, u" \t");
}

void daRemoveChar(const String& Text, Char C, String& Result) {
    String R;
    for (Char Ch : Text)
        if (Ch != C) R += Ch;
    Result = std::move(R);
}

void daReplaceChar(const String& Text, Char From, Char To, String& Result) {
    String R = Text;
    for (Char& Ch : R)
        if (Ch == From) Ch = To;
    Result = std::move(R);
}

void daReplaceCharWithText(const String& Text, Char C, const String& Replacement, String& Result) {
    String R;
    for (Char Ch : Text)
        if (Ch == C)
            R += Replacement;
        else
            R += Ch;
    Result = std::move(R);
}

bool daSameText(const String& A, const String& B) { return AnsiUpperCase(A) == AnsiUpperCase(B); }

int daCountChar(const String& Text, Char C) {
    int N = 0;
    for (Char Ch : Text)
        N += Ch == C;
    return N;
}

void daReadToken(const String& Text, int& Pos, int Flags, String& Token, const String& StopChars) {
    Token.clear();
    const int Len = Length(Text);
    if (Pos <= 0 || Pos > Len) return;
    if (Flags & rtSkipBlanks) {
        while (Pos <= Len && IsBlank(Text[Pos - 1]))
            ++Pos;
        if (Pos > Len) return;
    }
    int I = Pos;
    if ((Flags & rtQuoted) && Text[I - 1] == u'"') {
        ++I;
        while (I <= Len && Text[I - 1] != u'"')
            ++I;
        if (I <= Len) {
            Token = Copy(Text, Pos, I - Pos + 1);
            Pos = I + 1;
        } else {
            Token = Copy(Text, Pos, Len - Pos + 1);
            Pos = Len + 1;
        }
        if (Flags & rtStripQuotes) {
            if (!Token.empty() && (Token.front() == u'"' || Token.front() == u'\'')) Token.erase(0, 1);
            if (!Token.empty() && (Token.back() == u'"' || Token.back() == u'\'')) Token.pop_back();
        }
        return;
    }
    const Char Lowest = (Flags & rtBlanksInToken) ? u' ' : Char(0x21);
    while (I <= Len && StopChars.find(Text[I - 1]) == String::npos && Text[I - 1] >= Lowest)
        ++I;
    Token = Copy(Text, Pos, std::max(I - Pos, 1));
    Pos = Length(Token) < 2 ? I + 1 : I;
}

void daTextAfterChar(const String& Text, Char C, String& Rest) {
    const size_t At = Text.find(C);
    Rest = At == String::npos ? String() : Text.substr(At + 1);
}

void daTextBeforeChar(const String& Text, Char C, String& Head) {
    const size_t At = Text.find(C);
    Head = At == String::npos ? String() : Text.substr(0, At);
}

bool daCharInText(Char C, const String& Text) { return Text.find(C) != String::npos; }

void daNextSQLToken(const String& Sql, int& Pos, String& Token) {
    Token.clear();
    const int Len = Length(Sql);
    if (Pos <= 0 || Pos > Len) return;
    while (Pos <= Len && IsBlank(Sql[Pos - 1]))
        ++Pos;
    if (Pos > Len) return;
    const Char First = Sql[Pos - 1];
    if (First == u'"' || First == u'\'') {
        int I = Pos + 1;
        while (I <= Len && Sql[I - 1] != First)
            ++I;
        // A literal that is never closed is the rest of the text, so that the next call ends.
        const int End = std::min(I, Len);
        Token = Copy(Sql, Pos, End - Pos + 1);
        Pos = End + 1;
        return;
    }
    auto InRun = [](Char C) {
        return (C >= u'A' && C <= u'Z') || (C >= u'0' && C <= u'9') || C == u'$' || C == u'.' || C == u'_';
    };
    int I = Pos;
    while (I <= Len && InRun(Sql[I - 1]))
        ++I;
    // A one-character token moves one past itself: the character after it (the comma of
    // "A,B") is a token of its own, never skipped.
    Token = Copy(Sql, Pos, std::max(I - Pos, 1));
    Pos += Length(Token);
}
