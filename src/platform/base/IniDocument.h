#pragma once
// An INI file held as its lines, so that a change rewrites only the line it touches: comments,
// blank lines, order, spelling, line breaks and undecodable bytes of every other line stay
// byte for byte. Shared by TIniFile, TMemIniFile and the private-profile calls.

#include "platform/base/Types.h"

#include <string_view>
#include <unordered_map>

struct TIniLine {
    enum TKind { lkBlank, lkComment, lkSection, lkValue };
    AnsiString Raw;   // the line's bytes without its line break
    AnsiString Break; // "\r\n", "\n", "\r", or "" for a last line without one
    TKind Kind = lkBlank;
    String Name;           // section name or key, trimmed, as spelled in the file
    String Key;            // Name as compared (case-folded unless case-sensitive)
    String Value;          // trimmed text after the first '='
    bool HasValue = false; // a value line with '=' ("key" alone reads as missing)
};

struct TIniSection {
    TIniLine Header;
    std::vector<TIniLine> Lines;
    // Kept up to date with Lines, so that finding or adding a key does not walk the section:
    // each key's first value line, and the place after the last value line (where a new key goes).
    std::unordered_map<String, size_t> Keys;
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
    const String* FindValue(const String& Section, const String& Key) const; // null when missing
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
    TIniLine MakeLine(std::string_view Raw, AnsiString Break, bool InSection) const;
    TIniLine NewLine(const String& Text) const;
    TIniLine ValueLine(const String& Name, const String& Value, AnsiString Break) const;
    const TIniSection* Find(const String& Section) const;
    TIniSection* Find(const String& Section);
    TIniSection& AppendSection(const String& Section);
    void Reindex();
    static void IndexKeys(TIniSection& S);
    TIniLine* LastLine();
    void MendBreaks();

    bool FBom = false;
    bool FCaseSensitive = false;
    AnsiString FNewLine = "\n";      // the file's own line break, for lines we add
    std::vector<TIniLine> FPreamble; // lines before the first section: kept, never read
    std::vector<TIniSection> FSections;
    std::unordered_map<String, size_t> FIndex; // section key -> first section
};
