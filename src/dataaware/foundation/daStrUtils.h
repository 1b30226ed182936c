#pragma once
// Text routines of the data-aware library: tokens of setting lines, field lists and SQL text,
// trimming and replacing. Stateless; positions are 1-based, as in the rest of the library. A
// blank is U+0020, a tab U+0009.

#include "platform/base/Lists.h"
#include "platform/base/Types.h"

// The file name without its folder, cut before its first '.'; empty when it has none.
void daFileNameNoExt(const String& Path, String& Name);

// One token up to Delimiter, from Pos on. Pos <= 0: nothing (token empty, Pos kept). Pos past
// the end: Pos becomes -1. A delimiter of one character is matched as it is; a longer one is a
// word between blanks, matched without regard to ASCII case. After a token Pos stands on the
// first character after the delimiter, or is -1 when the text held no further delimiter.
void daNextToken(const String& Text, const String& Delimiter, int& Pos, String& Token);
// The parts between Delimiter characters, each one line (the empty text gives one empty line).
void daSplitToList(const String& Text, Char Delimiter, TStrings* List);
void daTrimBlanks(String& Text);
void daTrimLeadingChars(String& Text, const String& CharSet);
void daTrimTrailingChars(String& Text, const String& CharSet);
void daRemoveChar(const String& Text, Char C, String& Result);
void daReplaceChar(const String& Text, Char From, Char To, String& Result);
// Every C replaced by Replacement; the inserted text is not searched again.
void daReplaceCharWithText(const String& Text, Char C, const String& Replacement, String& Result);
// Equal in their locale upper-case forms.
bool daSameText(const String& A, const String& B);
int daCountChar(const String& Text, Char C);

// Flags of daReadToken.
enum : int {
    rtSkipBlanks = 1,    // skip blanks and tabs first
    rtQuoted = 2,        // a token that begins with '"' runs to the next '"'
    rtStripQuotes = 4,   // with rtQuoted: without its quotes
    rtBlanksInToken = 8, // blanks belong to the token; only control characters end it
};
// The library's general scanner: one token from Pos, ended by a character of StopChars or a
// character that is not printable; at least one character, so a stop character alone is a
// token. After a token of two or more characters Pos stands on the character that ended it;
// after a shorter one, one further.
void daReadToken(const String& Text, int& Pos, int Flags, String& Token, const String& StopChars);
void daTextAfterChar(const String& Text, Char C, String& Rest);
void daTextBeforeChar(const String& Text, Char C, String& Head);
bool daCharInText(Char C, const String& Text);
// One token of SQL text: a quoted literal with its quotes, a run of A-Z, 0-9, '$', '.', '_', or
// any other single character. A literal whose closing quote is missing runs to the end of the
// text. At the end of the text the token is empty, which ends a caller's loop.
void daNextSQLToken(const String& Sql, int& Pos, String& Token);
