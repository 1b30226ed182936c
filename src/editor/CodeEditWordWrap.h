#pragma once
// Word wrap for the editor control: every line of the display form (tabs expanded, fillers before
// wide glyphs) is split into rows no longer than the window is wide, breaking before a word-break
// character where one is near enough. The plug-in keeps the row lengths and a running row count
// per line and updates them line by line as the buffer changes.

#include "editor/CodeEditTypes.h"

#include "platform/base/Strings.h"

#include <cstdint>
#include <vector>

class TCustomCodeEdit;

// What the control asks of a plug-in that maps buffer lines onto display rows.
class ICodeEditBufferPlugin {
public:
    virtual ~ICodeEditBufferPlugin() = default;
    // (column of the display form, line) to (column, row) and back; all 1-based.
    virtual TDisplayCoord BufferToDisplayPos(const TDisplayCoord& aPos) const = 0;
    virtual TDisplayCoord DisplayToBufferPos(const TDisplayCoord& aPos) const = 0;
    virtual int RowCount() const = 0;
    virtual int GetRowLength(int aRow) const = 0;
    // The buffer's changes (0-based first line, count); each returns the change in rows.
    virtual int LinesInserted(int aIndex, int aCount) = 0;
    virtual int LinesDeleted(int aIndex, int aCount) = 0;
    virtual int LinesPutted(int aIndex, int aCount) = 0;
    virtual void DisplayChanged() = 0;
    virtual void Reset() = 0;
};

class TCodeWordWrapPlugin : public ICodeEditBufferPlugin {
public:
    // Raises Exception "Owner of TCodeWordWrapPlugin must be a TCustomCodeEdit" without an owner.
    explicit TCodeWordWrapPlugin(TCustomCodeEdit* AOwner);

    TDisplayCoord BufferToDisplayPos(const TDisplayCoord& aPos) const override;
    TDisplayCoord DisplayToBufferPos(const TDisplayCoord& aPos) const override;
    int RowCount() const override { return FLineCount > 0 ? FLineOffsets[FLineCount - 1] : 0; }
    // A row outside 1 .. RowCount raises EListError "List index out of bounds (%d)".
    int GetRowLength(int aRow) const override;
    int LinesInserted(int aIndex, int aCount) override;
    int LinesDeleted(int aIndex, int aCount) override;
    int LinesPutted(int aIndex, int aCount) override;
    // Wraps again when the window's width in characters changed.
    void DisplayChanged() override;
    void Reset() override;

    int LineCount() const { return FLineCount; }
    int MinRowLength() const { return FMinRowLength; }
    int MaxRowLength() const { return FMaxRowLength; }

private:
    // The row lengths of one line of the display form.
    void WrapLine(const String& S, std::vector<std::uint16_t>& Rows) const;
    // Wraps line Index (0-based) again; the change in its rows.
    int ReWrapLine(int Index);
    int RowsBefore(int Line) const { return Line > 0 ? FLineOffsets[Line - 1] : 0; }

    std::vector<std::int32_t> FLineOffsets; // rows of each line and all before it
    std::vector<std::uint16_t> FRowLengths;
    int FLineCount = 0;
    TCustomCodeEdit* FEditor;
    std::uint16_t FMinRowLength = 0;
    std::uint16_t FMaxRowLength = 0;
};
