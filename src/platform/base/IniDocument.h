#pragma once
// An INI file held as its lines, so that a change rewrites only the line it touches: comments,
// blank lines, order, spelling, line breaks and undecodable bytes of every other line stay
// byte for byte. Shared by TIniFile, TMemIniFile and the private-profile calls.

#include "platform/base/KeyIndex.h"
#include "platform/base/Types.h"

#include <optional>
#include <string_view>

// Kept small: a document of 100,000 keys holds 100,000 of these. A line read from the file is
// a stretch of the document's copy of the file; its name and value are decoded when asked for.
struct TIniLine {
    enum TKind : unsigned char { lkBlank, lkComment, lkSection, lkValue };
    // The line's break: only the document's last line can have none.
    enum TBreak : unsigned char { brNone, brLF, brCRLF, brCR };
    size_t Offset = 0; // the line's bytes in the document's source, unless Owned
    size_t Length = 0; //   (without its line break)
    size_t Eq = 0;     // the first '=' in the line's bytes, when HasValue
    AnsiString Own;    // the line's bytes, once the line is new or written
    TKind Kind = lkBlank;
    TBreak Break = brNone;
    bool HasValue = false; // a value line with '=' ("key" alone reads as missing)
    bool Owned = false;

    std::string_view BreakText() const;
};

struct TIniSection {
    TIniLine Header;
    std::vector<TIniLine> Lines;
    // Kept up to date with Lines, so that finding or adding a key does not walk the section:
    // each key as compared (case-folded unless case-sensitive) to its first value line, and the
    // place after the last value line (where a new key goes).
    TKeyIndex Keys;
    size_t ValueEnd = 0;
};

class TIniDocument {
public:
    void Parse(std::string_view Bytes);
    AnsiString Serialize() const;
    void Clear();

    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);

    // Reads; the first of duplicate sections and keys is the one that counts.
    std::optional<String> FindValue(const String& Section, const String& Key) const;
    bool KeyExists(const String& Section, const String& Key) const;
    bool SectionExists(const String& Section) const;               // has at least one key
    std::vector<String> SectionNames() const;                      // each name once, in file order
    std::vector<String> SectionKeys(const String& Section) const;  // each key once
    std::vector<String> SectionLines(const String& Section) const; // "key=value", all of them

    // Changes; each returns whether the document changed.
    bool WriteValue(const String& Section, const String& Key, const String& Value);
    bool DeleteKey(const String& Section, const String& Key); // every line of the key
    bool EraseSection(const String& Section);                 // every section of the name
    bool WriteSection(const String& Section, const std::vector<String>& Lines);

private:
    String KeyOf(const String& Name) const;
    std::string_view RawOf(const TIniLine& L) const;
    String NameOf(const TIniLine& L) const;  // section name or key, trimmed, as spelled in the file
    String ValueOf(const TIniLine& L) const; // trimmed text after the first '='
    static TIniLine MakeLine(std::string_view Raw, TIniLine::TBreak Break, bool InSection);
    TIniLine NewLine(const String& Text) const;
    TIniLine ValueLine(const String& Name, const String& Value, TIniLine::TBreak Break) const;
    const TIniSection* Find(const String& Section) const;
    TIniSection* Find(const String& Section);
    TIniSection& AppendSection(const String& Section);
    void Reindex();
    void IndexKeys(TIniSection& S) const;
    TIniLine* LastLine();
    void MendBreaks();

    bool FBom = false;
    bool FCaseSensitive = false;
    TIniLine::TBreak FNewLine = TIniLine::brLF; // the file's own line break, for lines we add
    AnsiString FSource;                         // the bytes parsed (without a byte-order mark)
    std::vector<TIniLine> FPreamble;            // lines before the first section: kept, never read
    std::vector<TIniSection> FSections;
    TKeyIndex FIndex; // section key -> first section
};
