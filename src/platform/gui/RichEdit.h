#pragma once
// The rich edit: formatted text (paragraphs of runs with font name, size, style and colour;
// paragraph alignment, indents and bullets) that the control keeps in its own document, lays out
// and paints through its canvas, and reads and writes as rich text or plain text.
//
// Positions (SelStart, SelLength) count one character for each paragraph break, as the rich edit
// has always done; Text and Lines use CR LF between the paragraphs.

#include "platform/base/Lists.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Rtf.h"
#include "platform/gui/StdCtrls.h"

#include <memory>
#include <vector>

class TCustomRichEdit;

DECLARE_ENUM(TAttributeType, Byte, atSelected, atDefaultText)
DECLARE_ENUM(TNumberingStyle, Byte, nsNone, nsBullet)

// The character attributes of the selection (atSelected: those of its first character; set:
// applied to the whole selection, or to what is typed next at the caret) or of the whole text
// (atDefaultText: the format of new text; set: applied to every character).
class TTextAttributes : public TPersistent {
    DECLARE_CLASS(TTextAttributes, TPersistent)
public:
    TTextAttributes(TCustomRichEdit* AOwner = nullptr, TAttributeType AType = atSelected)
        : FRichEdit(AOwner), FType(AType) {}
    String Name() const;
    void SetName(const String& Value);
    int Size() const; // points
    void SetSize(int Value);
    TFontStyles Style() const;
    void SetStyle(const TFontStyles& Value);
    TColor Color() const;
    void SetColor(TColor Value);
    // From a TFont or another TTextAttributes.
    void Assign(TPersistent* Source) override;

private:
    TCustomRichEdit* FRichEdit;
    TAttributeType FType;
    TRtfCharFormat Get() const;
    template <class F> void Set(F Change);
};

// The paragraph attributes of the paragraphs the selection touches (read: the first one's).
// Indents in pixels at 96 dots per inch.
class TParaAttributes : public TPersistent {
    DECLARE_CLASS(TParaAttributes, TPersistent)
public:
    explicit TParaAttributes(TCustomRichEdit* AOwner = nullptr) : FRichEdit(AOwner) {}
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    int FirstIndent() const;
    void SetFirstIndent(int Value);
    int LeftIndent() const;
    void SetLeftIndent(int Value);
    int RightIndent() const;
    void SetRightIndent(int Value);
    TNumberingStyle Numbering() const;
    void SetNumbering(TNumberingStyle Value);
    void Assign(TPersistent* Source) override;

private:
    TCustomRichEdit* FRichEdit;
    TRtfParaFormat Get() const;
    template <class F> void Set(F Change);
};

// The paragraphs of a rich edit as lines. Count leaves out an empty last paragraph; Put replaces
// a paragraph's text (in the format of its first character); Insert past the end appends; a
// stream or file is read as rich text when it starts as one (and PlainText is off), otherwise
// as plain text; saving writes rich text unless PlainText is set.
class TRichEditStrings : public TStrings {
    DECLARE_CLASS(TRichEditStrings, TStrings)
public:
    explicit TRichEditStrings(TCustomRichEdit* AOwner = nullptr) : FRichEdit(AOwner) {}
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const String& S) override;
    void LoadFromStream(TStream* Stream, TEncoding* Encoding = nullptr) override;
    void SaveToStream(TStream* Stream, TEncoding* Encoding = nullptr) override;

protected:
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    int GetCount() const override;
    String GetTextStr() const override;
    void SetTextStr(const String& Value) override;
    void SetUpdateState(bool Updating) override;

private:
    TCustomRichEdit* FRichEdit;
};

class TCustomRichEdit : public TCustomControl {
    DECLARE_CLASS(TCustomRichEdit, TCustomControl)
public:
    explicit TCustomRichEdit(TComponent* AOwner);
    ~TCustomRichEdit() override;

    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value) { FLines->Assign(Value); }
    // Lines are read and written without formatting.
    bool PlainText() const { return FPlainText; }
    void SetPlainText(bool Value) { FPlainText = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value) { FScrollBars = Value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // 0: no limit; typing and pasting stop there, text set in code is kept whole.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value) { FMaxLength = Value; }
    bool Modified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }

    int SelStart() const { return std::min(FAnchor, FCaret); }
    void SetSelStart(int Value);
    int SelLength() const { return std::abs(FCaret - FAnchor); }
    void SetSelLength(int Value);
    String SelText() const;
    // Replaces the selection by Value (line breaks start paragraphs) in the selection's format.
    void SetSelText(const String& Value);
    void SelectAll();
    void ClearSelection() { SetSelText(String()); }
    void Clear();
    // The number of positions (paragraph breaks count one).
    int GetTextLen() const;

    TTextAttributes* SelAttributes() const { return FSelAttributes.get(); }
    void SetSelAttributes(TTextAttributes* Value) { FSelAttributes->Assign(Value); }
    TTextAttributes* DefAttributes() const { return FDefAttributes.get(); }
    void SetDefAttributes(TTextAttributes* Value) { FDefAttributes->Assign(Value); }
    TParaAttributes* Paragraph() const { return FParagraph.get(); }

    // The whole document, and replacing it (the selection goes to the start; not undoable).
    const TRtfDocument& Document() const { return FDoc; }
    void SetDocument(const TRtfDocument& Doc);
    // Bytes in: rich text when Rtf (ERtfError when they are not), else plain text in Encoding
    // (null: the default encoding); Selection replaces the selection instead of everything.
    void StreamIn(const AnsiString& Bytes, bool Rtf, bool Selection, TEncoding* Encoding = nullptr);
    // Bytes out: rich text or plain text (CR LF between paragraphs, in Encoding), of the whole
    // text or only the selection.
    AnsiString StreamOut(bool Rtf, bool Selection, TEncoding* Encoding = nullptr) const;
    // The position where a paragraph starts (-1 for none).
    int PositionOfLine(int Para) const {
        return Para >= 0 && Para < static_cast<int>(FDoc.Paragraphs.size()) ? PositionOf(Para, 0) : -1;
    }
    // The format of text that has no format of its own: the control's font.
    TRtfCharFormat DefaultFormat() const;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelectionChange;

protected:
    friend class TTextAttributes;
    friend class TParaAttributes;
    friend class TRichEditStrings;

    virtual void Change();
    virtual void SelectionChange();
    void Paint() override;
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMSize(TWMSize& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void DoEnter() override;
    void DoExit() override;
    String GetText() const override;
    void SetTextValue(const String& Value) override;

    // Edits the document: replaces positions [From, To) by Doc's paragraphs (the first joins the
    // paragraph at From, the last the one at To); the caret goes after them. User: the change
    // is the user's (Modified, MaxLength apply).
    void ReplaceRange(int From, int To, const TRtfDocument& Doc, bool User);
    // The paragraph and offset of a position.
    void Locate(int Pos, int& Para, int& Offset) const;
    int PositionOf(int Para, int Offset) const;
    // The document part [From, To) as a document of its own.
    TRtfDocument Slice(int From, int To) const;
    // Applies Change to the character formats of [From, To).
    template <class F> void FormatRange(int From, int To, F Change);
    // The text layout was changed: lines are laid out afresh before the next paint.
    void InvalidateLayout();

private:
    // One line of the laid-out text: its pieces in one format each.
    struct TPiece {
        int Start;      // position in the paragraph
        String Text;
        int X, Width;
        TRtfCharFormat Format;
    };
    struct TLine {
        int Para;
        int Start, End; // offsets in the paragraph
        int Top, Height, Ascent;
        int Left;       // where the line's text starts (indent, bullet, alignment)
        bool First;     // the paragraph's first line (draws the bullet)
        std::vector<TPiece> Pieces;
    };

    TRtfDocument FDoc;
    std::unique_ptr<TRichEditStrings> FLines;
    std::unique_ptr<TTextAttributes> FSelAttributes;
    std::unique_ptr<TTextAttributes> FDefAttributes;
    std::unique_ptr<TParaAttributes> FParagraph;
    TRtfCharFormat FInsertFormat; // what typing at an empty selection inserts
    bool FHasInsertFormat = false;
    int FAnchor = 0;
    int FCaret = 0;
    bool FPlainText = false;
    bool FReadOnly = false;
    bool FWordWrap = true;
    bool FHideSelection = true;
    bool FWantTabs = false;
    bool FWantReturns = true;
    TScrollStyle FScrollBars = StdCtrls::ssNone;
    TBorderStyle FBorderStyle = Controls::bsSingle;
    int FMaxLength = 0;
    bool FModified = false;
    bool FSelecting = false; // the left button is held down
    int FTopY = 0;           // pixels scrolled away at the top
    int FUpdating = 0;
    std::vector<TLine> FLayout;
    bool FLayoutValid = false;

    void SetSelection(int Anchor, int Caret);
    TRtfCharFormat FormatAt(int Pos) const;
    void EnsureLayout();
    TRect TextArea() const;
    int LineOfPos(int Pos) const;
    int PosFromPoint(int X, int Y);
    TPoint CaretPoint();
    void ScrollCaretIntoView();
    void InsertTyped(const String& S);
    void DeleteTyped(bool Forward, bool Word);

    static void Published(TPublisher<TCustomRichEdit>& P);
};

class TRichEdit : public TCustomRichEdit {
    DECLARE_CLASS(TRichEdit, TCustomRichEdit)
public:
    using TCustomRichEdit::TCustomRichEdit;
};

void RegisterRichEditClasses();
