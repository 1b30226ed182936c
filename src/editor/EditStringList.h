#pragma once
// The line buffer of an editor: UTF-16 lines with, per line, the highlighter's state at its end
// and cached display facts (expanded length, tab flags, character offset), and the line-break
// format of its file. Every structural change is reported through six events.

#include "editor/CodeEditTypes.h"
#include "editor/CodeEditTextHelpers.h"

#include "platform/base/Lists.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

DECLARE_EXCEPTION(ECodeEditStringList, ECodeError)

// How lines end in the file: CR LF, LF, CR, or U+2028 LINE SEPARATOR.
DECLARE_ENUM(TCodeEditFileFormat, Byte, sffDos, sffUnix, sffMac, sffUnicode)

DECLARE_ENUM(TCodeEditStringFlag, Byte, sfHasTabs, sfHasNoTabs, sfExpandedLengthUnknown)
using TCodeEditStringFlags = TSet<TCodeEditStringFlag>;

// The highlighter's state at the end of a line, opaque to the buffer.
using TCodeEditRange = std::intptr_t;
// What a new line holds: no highlighter state equals it, so the first scan treats the line as changed.
constexpr TCodeEditRange CodeEditRangeUnknown = -1;

using TStringListChangeEvent = std::function<void(TObject* Sender, int Index, int Count)>;
// Takes a tab-expanded line and returns it with filler characters after each double-width glyph.
using TExpandAtWideGlyphsFunc = std::function<String(const String& S)>;

// The text separating lines in a file of that format.
const String& LineSeparatorOf(TCodeEditFileFormat Format);

class TCodeEditStringList : public TStrings {
    DECLARE_CLASS(TCodeEditStringList, TStrings)

public:
    // Without a wide-glyph function every character takes one column.
    explicit TCodeEditStringList(TExpandAtWideGlyphsFunc AExpandAtWideGlyphsFunc = nullptr);
    ~TCodeEditStringList() override;
    TCodeEditStringList(const TCodeEditStringList&) = delete;
    TCodeEditStringList& operator=(const TCodeEditStringList&) = delete;

    // Line indexes are 0-based. Bad indexes raise ECodeEditStringList "Invalid stringlist index %d".
    int Add(const String& S) override;
    void AddStrings(const TStrings* Strings) override;
    void Clear() override;
    void Delete(int Index) override;
    // Deletes up to NumLines lines from Index on; NumLines <= 0 does nothing.
    void DeleteLines(int Index, int NumLines);
    void Exchange(int Index1, int Index2) override;
    void Insert(int Index, const String& S) override;
    // NumLines empty lines before Index (0..Count); NumLines <= 0 does nothing.
    void InsertLines(int Index, int NumLines);
    void InsertStrings(int Index, const TStrings* NewStrings);
    // NewText split at CR LF, CR or LF.
    void InsertText(int Index, const String& NewText);
    // Below Count raises EListError "Stringlist capacity cannot be smaller than count".
    void SetCapacity(int Value) override;

    // Loading splits at CR, LF, CR LF and U+2028 and detects the file format; saving joins the
    // lines with the file format's separator.
    void LoadFromStream(TStream* Stream, TEncoding* Encoding = nullptr) override;
    void SaveToStream(TStream* Stream, TEncoding* Encoding = nullptr) override;

    // All lines joined by Separators, nothing after the last one.
    String GetSeparatedText(const String& Separators) const;

    TCodeEditFileFormat FileFormat() const { return FFileFormat; }
    // Also sets LineBreak to the format's separator.
    void SetFileFormat(TCodeEditFileFormat Value);
    // Saving puts one more separator after the last line; loading then takes a final line
    // break as the end of the last line rather than the start of an empty one.
    bool AppendNewLineAtEOF() const { return FAppendNewLineAtEOF; }
    void SetAppendNewLineAtEOF(bool Value) { FAppendNewLineAtEOF = Value; }
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int Value);
    // The display lengths depend on the font (wide glyphs): they are worked out again.
    void FontChanged();

    // Outside 0..Count-1: 0.
    TCodeEditRange LineRange(int Index) const;
    void SetLineRange(int Index, TCodeEditRange ARange);
    // Outside 0..Count-1: empty / 0.
    String ExpandedLine(int Index) const;
    int ExpandedLineLength(int Index) const;
    int LengthOfLongestLine() const;
    int LineCharLength(int Index) const;
    // Characters in all lines before Index, line breaks not counted.
    int LineCharIndex(int Index) const;

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;
    TNotifyEvent OnCleared;
    TStringListChangeEvent OnDeleted;
    TStringListChangeEvent OnInserted;
    TStringListChangeEvent OnPutted;

protected:
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    int GetCount() const override { return static_cast<int>(FList.size()); }
    int GetCapacity() const override { return FCapacity; }
    String GetTextStr() const override;
    void SetTextStr(const String& Value) override;
    void SetUpdateState(bool Updating) override;
    void LoadTextBytes(const Byte* Bytes, size_t Count, TEncoding* Encoding) override;

    virtual void DoDeleted(int Index, int NumLines);
    virtual void DoInserted(int Index, int NumLines);
    virtual void DoPutted(int Index, int NumLines);
    virtual void DoCleared();

private:
    // Kept small: a loaded file has one per line. A loaded line's text stays in the shared block
    // of the whole text until the line is changed; then the line gets an array of its own.
    struct TCodeEditStringRec {
        const Char* FText = nullptr; // nullptr for an empty line
        TObject* FObject = nullptr;
        TCodeEditRange FRange = CodeEditRangeUnknown;
        int FLength = 0;
        // The caches, filled while the buffer is read.
        mutable int FExpandedLength = -1;
        mutable int FCharIndex = 0;
        // A set's mask rather than the set, which takes eight bytes.
        mutable Byte FFlagBits = Byte(TCodeEditStringFlags{sfExpandedLengthUnknown}.ToInt());
        bool FOwnsText = false;

        TCodeEditStringFlags Flags() const { return TCodeEditStringFlags::FromInt(FFlagBits); }
        void SetFlags(TCodeEditStringFlags Value) const { FFlagBits = Byte(Value.ToInt()); }
    };
    static_assert(sizeof(TCodeEditStringRec) <= 5 * sizeof(void*), "one record a line, kept small");

    static std::u16string_view TextOf(const TCodeEditStringRec& Rec) {
        return {Rec.FText, size_t(Rec.FLength)};
    }
    // A record holding a copy of S; the copy is freed with ReleaseText.
    static TCodeEditStringRec MakeRec(const String& S);
    // Frees the line's own text, or lets go of its share of the block.
    void ReleaseText(TCodeEditStringRec& Rec);
    void ReleaseLines(int Index, int Count);
    // Takes Text as the shared block and makes its lines the list's lines.
    void AdoptText(String&& Text);
    [[noreturn]] static void IndexError(int Index);
    void CheckIndex(int Index) const;
    // Room for one more line, grown by the buffer's own steps.
    void Grow();
    void Reallocate(int NewCapacity);
    // Tab-expanded text of a line, filling its display caches.
    String ExpandString(int Index) const;
    void InvalidateDisplayCaches();
    void InvalidateIndexes() const;
    // The file format that the kinds of line break met in a text stand for.
    void SetFileFormatFromBreaks(bool HasCR, bool HasLF, bool HasLineSeparator);

    std::vector<TCodeEditStringRec> FList;
    String FBlock;
    // Lines whose text is still in FBlock; the block is freed when none is left.
    int FBlockLines = 0;
    int FCapacity = 0;
    TCodeEditFileFormat FFileFormat = sffDos;
    bool FAppendNewLineAtEOF = false;
    TExpandTabsWithFlagFunc FConvertTabsProc;
    mutable int FIndexOfLongestLine = -1;
    int FTabWidth = 8;
    TExpandAtWideGlyphsFunc FExpandAtWideGlyphsFunc;
    mutable bool FCharIndexesAreValid = false;
    bool FStreaming = false;
};
