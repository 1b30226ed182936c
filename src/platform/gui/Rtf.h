#pragma once
// Rich text as the rich edit keeps it (paragraphs of runs with their attributes), and its reader
// and writer of the published rich text format. No Qt type here: the document is a plain model
// that tests and the data-aware library use without a window.

#include "platform/base/Exceptions.h"
#include "platform/base/Types.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

#include <vector>

// A stream that does not start a rich text document, or one whose groups cannot be read.
DECLARE_EXCEPTION(ERtfError, Exception)

// The attributes of a run of characters. Size in points; Color clDefault is the text's default
// colour (written as the automatic colour).
struct TRtfCharFormat {
    String Name = u"Tahoma";
    int Size = 8;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = clDefault;
    bool operator==(const TRtfCharFormat&) const = default;
};

// The attributes of a paragraph; indents in twips (1/1440 inch; 15 twips are a pixel at 96 dots
// per inch). FirstIndent is relative to LeftIndent (negative: a hanging first line).
struct TRtfParaFormat {
    TAlignment Alignment = taLeftJustify;
    int LeftIndent = 0;
    int FirstIndent = 0;
    int RightIndent = 0;
    bool Bullet = false;
    bool operator==(const TRtfParaFormat&) const = default;
};

struct TRtfRun {
    String Text; // tab as '\t', a line break inside the paragraph as '\v'
    TRtfCharFormat Format;
    bool operator==(const TRtfRun&) const = default;
};

struct TRtfParagraph {
    TRtfParaFormat Format;
    std::vector<TRtfRun> Runs;
    // The format a character typed at the paragraph's end takes when it has no runs.
    TRtfCharFormat EndFormat;
    String Text() const;
    int Length() const;
    // Appends Text in Format, joining it to the last run when that has the same format.
    void Append(const String& Text, const TRtfCharFormat& Format);
    // Drops empty runs and joins neighbours of the same format.
    void Normalize();
};

// A document holds at least one paragraph.
struct TRtfDocument {
    std::vector<TRtfParagraph> Paragraphs{TRtfParagraph{}};
    // The plain text, CR LF between the paragraphs.
    String Text() const;
};

// Reads a rich text document: Bytes must start with "{\rtf". Formatting that the document does
// not set comes from Default. Unknown control words and destinations are passed over; text of a
// missing closing brace at the end is kept; anything after the outermost group is ignored.
// Raises ERtfError for bytes that are not rich text.
TRtfDocument ReadRtf(const AnsiString& Bytes, const TRtfCharFormat& Default = {});
// True when Bytes start (after blanks) as a rich text document does.
bool LooksLikeRtf(const AnsiString& Bytes);
// Plain text as a document: CR LF, CR or LF end a paragraph; every run in Default.
TRtfDocument PlainToDocument(const String& Text, const TRtfCharFormat& Default = {});
// Writes the document as rich text: a font and a colour table, every paragraph followed by \par,
// characters above 127 as \u escapes; 7-bit bytes only.
AnsiString WriteRtf(const TRtfDocument& Doc);
