#pragma once
// The settings store's INI document: held in memory and written as a whole, in its own shape.
// Loading trims every line, drops empty lines, ";" comments and whatever precedes the first
// section, and re-forms "key = value" as "key=value"; writing puts each section's lines after
// its "[name]" line (a section without lines is left out), an empty line after each section,
// CR LF after every line. Sections and
// keys compare without regard to case; a section exists while it holds a line. A line break
// never reaches the file inside a name or value: the text is cut there (the store escapes
// values that must keep theirs).

#include "platform/base/KeyIndex.h"
#include "platform/base/Types.h"

#include <deque>
#include <functional>
#include <vector>

class TEncoding;

class TKitIniDocument {
public:
    void Clear();

    // A byte-order mark selects the encoding (kept for writing back, with its mark); without
    // one UTF-8 is read, or Windows-1252 when the bytes are no UTF-8. Read errors raise.
    void LoadFromFile(const String& FileName);
    // The whole document, replacing the file in one step; EFCreateError on failure, the file
    // then as it was.
    void SaveToFile(const String& FileName) const;
    AnsiString SaveToBytes() const;

    // The lines of the document as written, CR LF between them; setting parses lines.
    String Text() const;
    void SetText(const String& Value);
    TEncoding* Encoding() const { return FEncoding; }
    void SetEncoding(TEncoding* Value);

    bool SectionExists(const String& Section) const;
    bool ValueExists(const String& Section, const String& Key) const;
    // The text after the first "=" of the key's line; Default when there is none.
    String ReadString(const String& Section, const String& Key, const String& Default) const;
    // Replaces the key's line in place, or appends it to its section, or appends the section.
    void WriteString(const String& Section, const String& Key, const String& Value);
    bool DeleteKey(const String& Section, const String& Key);
    bool EraseSection(const String& Section);
    // Erases every section whose name the predicate accepts; the number erased.
    int EraseSections(const std::function<bool(const String& Name)>& Predicate);
    // Section names in document order.
    std::vector<String> SectionNames() const;
    // The keys of the section's "key=value" lines, in order.
    std::vector<String> SectionKeys(const String& Section) const;

private:
    struct TLine {
        bool HasValue = false; // a "key=value" line; otherwise Name holds the whole line
        String Name;
        String Value;
    };
    struct TSection {
        String Name;
        // Lines never move once added: a section of many thousand keys grows without copying
        // the lines it holds, as a single array would each time it outgrew its room.
        std::deque<TLine> Lines;
        // Each key as compared (folded) to its first line, kept with Lines so that finding a
        // key does not walk them.
        TKeyIndex Keys;
    };

    static String Fold(const String& S);
    const TSection* Find(const String& Section) const;
    TSection* Find(const String& Section);
    const TLine* FindLine(const TSection& S, const String& Key) const;
    void AddLine(TSection& S, StringView Line);
    static void IndexKeys(TSection& S);
    TSection& AddSection(const String& Name);
    void Reindex();

    std::vector<TSection> FSections;
    TKeyIndex FIndex;               // folded name -> section
    TEncoding* FEncoding = nullptr; // null: the system code page, no mark
};
