#pragma once
// The library's rich text control: the layer's rich edit with the library's lines object, its
// memory stream for every rich text transfer, stream-in with the plain-text retry, and the two
// stored values ("RichEditVersion", "Data") through which an unbound control keeps its formatted
// text in a stored form definition.

#include "platform/base/Streams.h"
#include "platform/base/Variant.h"
#include "platform/gui/RichEdit.h"

#include <memory>
#include <vector>

class TdaCustomRichEdit;

// Loading failed both as rich text and as plain text.
DECLARE_EXCEPTION(EOutOfResources, Exception)

// An error of the rich text control, with a code.
class EdaRTFError : public Exception {
public:
    EdaRTFError(const String& Msg, int ErrorCode) : Exception(Msg), FErrorCode(ErrorCode) {}
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

DECLARE_ENUM(TdaRichEditWidth, Byte, rewWindowSize, rewPrinterSize)
DECLARE_ENUM(TdaMeasurementUnits, Byte, muInches, muCentimeters)

// A memory stream that grows in steps of 128 KB.
class TdaRichMemoryStream : public TMemoryStream {
public:
    static constexpr Int64 GrowthStep = 131072;
    Int64 Write(const void* Buffer, Int64 Count) override;
};

// The control's published lines. Lines are the paragraphs; Count leaves out an empty last one;
// Insert past the end appends only after a line that has text; loading goes through the
// control's StreamIn (with the plain-text retry), saving through the base lines.
class TdaRichEditStrings : public TStrings {
    DECLARE_CLASS(TdaRichEditStrings, TStrings)
public:
    explicit TdaRichEditStrings(TdaCustomRichEdit* ARichEdit = nullptr) : RichEdit(ARichEdit) {}
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const String& S) override;
    void AddStrings(const TStrings* Strings) override;
    void LoadFromFile(const String& FileName, TEncoding* Encoding = nullptr) override;
    void LoadFromStream(TStream* Stream, TEncoding* Encoding = nullptr) override;
    void SaveToFile(const String& FileName, TEncoding* Encoding = nullptr) override;
    void SaveToStream(TStream* Stream, TEncoding* Encoding = nullptr) override;

    TdaCustomRichEdit* RichEdit;

protected:
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    int GetCount() const override;
    void SetTextStr(const String& Value) override;
    void SetUpdateState(bool Updating) override;
};

class TdaCustomRichEdit : public TCustomRichEdit {
    DECLARE_CLASS(TdaCustomRichEdit, TCustomRichEdit)
public:
    explicit TdaCustomRichEdit(TComponent* AOwner);
    ~TdaCustomRichEdit() override;

    // The library's lines object; assigning goes through the base lines.
    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value) { TCustomRichEdit::Lines()->Assign(Value); }
    // The layer's own lines object.
    TStrings* BaseLines() const { return TCustomRichEdit::Lines(); }

    int RichEditVersion() const { return FRichEditVersion; }
    void SetRichEditVersion(int Value);
    int MSVersion() const { return FMSVersion; }
    void SetMSVersion(int Value) { FMSVersion = Value; }
    bool AutoURLDetect() const { return FAutoURLDetect; }
    void SetAutoURLDetect(bool Value) { FAutoURLDetect = Value; }
    const String& EditorCaption() const { return FEditorCaption; }
    void SetEditorCaption(const String& Value) { FEditorCaption = Value; }
    TdaMeasurementUnits MeasurementUnits() const { return FUnits; }
    void SetMeasurementUnits(TdaMeasurementUnits Value) { FUnits = Value; }
    TdaRichEditWidth EditWidth() const { return FEditWidth; }
    void SetEditWidth(TdaRichEditWidth Value) { FEditWidth = Value; }
    int GutterWidth() const { return FGutterWidth; }
    void SetGutterWidth(int Value) { FGutterWidth = Value; }
    TColor HighlightColor() const { return FHighlightColor; }
    void SetHighlightColor(TColor Value) { FHighlightColor = Value; }
    int PrintPageSize() const { return FPrintPageSize; }
    void SetPrintPageSize(int Value) { FPrintPageSize = Value; }
    const String& Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }
    // The field the control shows; unbound here (a bound control overrides it).
    virtual class TField* Field() const { return nullptr; }

    // Reading a stored definition: ReadProperties reads the stored values (through
    // ReadRichEditVersion, ReadData and the published setters). A definition without "Data" held
    // its text as plain lines: rich text markup in them becomes formatting afterwards.
    void ReadState(const std::function<void()>& ReadProperties);
    void ReadRichEditVersion(int Value);
    // "Data": a signed 32-bit count N and N bytes of rich text. A count larger than the bytes
    // left raises EReadError "Stream read error" and leaves the control empty.
    void ReadData(TStream* Stream);
    // Writing: "RichEditVersion" is always 2; "Data" is written only while StoresData.
    int WriteRichEditVersion();
    bool StoresData() const { return Field() == nullptr; }
    void WriteData(TStream* Stream);

    // Stream-in: rich text unless PlainText; a whole-document rich text load that is refused is
    // tried again as plain text; when that fails too, EOutOfResources "Failed to Load Stream".
    // Packets is carried along and limits nothing.
    virtual void StreamIn(TStream* Stream, bool SelectionOnly, int Packets);
    String GetRTFText() const;
    void SetRtfText(const String& Value);
    void GetRTFSelection(TStream* Stream) const;
    void PutRTFSelection(TStream* Stream);

    // Behaviour switches read by index (0..12), all off at first.
    std::vector<Variant> Patch;
    // Message time of the last click a grid forwarded to the control.
    int ClickTime = 0;

protected:
    bool NewDataFormat = false;

private:
    std::unique_ptr<TdaRichEditStrings> FLines;
    int FRichEditVersion = 2;
    int FMSVersion = 3;
    bool FAutoURLDetect = false;
    String FEditorCaption = u"Edit Rich Text";
    TdaMeasurementUnits FUnits = muInches;
    TdaRichEditWidth FEditWidth = rewWindowSize;
    int FGutterWidth = 3;
    TColor FHighlightColor = clYellow;
    int FPrintPageSize = 1;
    String FTitle;

    static void Published(TPublisher<TdaCustomRichEdit>& P);
};

// The concrete control: the help pane of the terminal is one, unbound.
class TdaDBRichEdit : public TdaCustomRichEdit {
    DECLARE_CLASS(TdaDBRichEdit, TdaCustomRichEdit)
public:
    explicit TdaDBRichEdit(TComponent* AOwner);
};
