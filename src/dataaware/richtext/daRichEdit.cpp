// The library's rich text control.
#include "dataaware/richtext/daRichEdit.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"

#include <cstring>
#include <new>

// ---- TdaRichMemoryStream --------------------------------------------------------------------------

Int64 TdaRichMemoryStream::Write(const void* Buffer, Int64 Count) {
    if (Count <= 0) return 0;
    const Int64 Needed = Position() + Count;
    if (Needed > Capacity()) {
        try {
            SetCapacity((Needed + GrowthStep - 1) / GrowthStep * GrowthStep);
        } catch (const std::bad_alloc&) {
            throw EStreamError(u"Out of memory while expanding memory stream");
        }
    }
    return TMemoryStream::Write(Buffer, Count);
}

// ---- TdaRichEditStrings ---------------------------------------------------------------------------

int TdaRichEditStrings::GetCount() const {
    return RichEdit->BaseLines()->Count();
}

String TdaRichEditStrings::Get(int Index) const {
    // A line break inside a paragraph ends the line there, as the window's lines do.
    String S = RichEdit->BaseLines()->Strings(Index);
    if (!S.empty() && S.back() == u'\r') S.pop_back();
    return S;
}

void TdaRichEditStrings::Put(int Index, const String& S) {
    if (Index < 0 || Index >= static_cast<int>(RichEdit->Document().Paragraphs.size())) return;
    RichEdit->BaseLines()->SetString(Index, S);
}

void TdaRichEditStrings::Insert(int Index, const String& S) {
    if (Index < 0) return;
    const auto& Paragraphs = RichEdit->Document().Paragraphs;
    const int Lines = static_cast<int>(Paragraphs.size()); // the empty last paragraph is a line here
    if (Index < Lines) {
        RichEdit->SetSelStart(RichEdit->PositionOfLine(Index));
        RichEdit->SetSelText(S + u"\r\n");
        return;
    }
    // Past the end: after line Index - 1, and only when that line exists and holds text.
    if (Index - 1 >= Lines || Paragraphs[static_cast<std::size_t>(Index - 1)].Runs.empty()) return;
    RichEdit->SetSelStart(RichEdit->GetTextLen());
    RichEdit->SetSelText(u"\r\n" + S);
}

void TdaRichEditStrings::Delete(int Index) {
    RichEdit->BaseLines()->Delete(Index);
}

void TdaRichEditStrings::Clear() {
    RichEdit->Clear();
}

void TdaRichEditStrings::AddStrings(const TStrings* Strings) {
    // The selection-change event stays quiet while the lines come in.
    TNotifyEvent Saved = RichEdit->OnSelectionChange;
    RichEdit->OnSelectionChange = nullptr;
    TScopeExit Restore([&] { RichEdit->OnSelectionChange = Saved; });
    TStrings::AddStrings(Strings);
}

void TdaRichEditStrings::SetTextStr(const String& Value) {
    // No change notifications while the text is assigned; one at the end.
    TNotifyEvent Saved = RichEdit->OnChange;
    RichEdit->OnChange = nullptr;
    {
        TScopeExit Restore([&] { RichEdit->OnChange = Saved; });
        RichEdit->BaseLines()->SetText(Value);
    }
    if (Saved) Saved(RichEdit);
}

void TdaRichEditStrings::SetUpdateState(bool Updating) {
    if (Updating)
        RichEdit->BaseLines()->BeginUpdate();
    else
        RichEdit->BaseLines()->EndUpdate();
}

void TdaRichEditStrings::LoadFromFile(const String& FileName, TEncoding* Encoding) {
    if (RichEdit->Patch.size() > 12 && RichEdit->Patch[12].AsBoolean())
        return RichEdit->BaseLines()->LoadFromFile(FileName, Encoding);
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&Stream, Encoding);
}

void TdaRichEditStrings::LoadFromStream(TStream* Stream, TEncoding* Encoding) {
    if (RichEdit->Patch.size() > 12 && RichEdit->Patch[12].AsBoolean())
        return RichEdit->BaseLines()->LoadFromStream(Stream, Encoding);
    RichEdit->StreamIn(Stream, false, 0);
}

void TdaRichEditStrings::SaveToFile(const String& FileName, TEncoding* Encoding) {
    RichEdit->BaseLines()->SaveToFile(FileName, Encoding);
}

void TdaRichEditStrings::SaveToStream(TStream* Stream, TEncoding* Encoding) {
    RichEdit->BaseLines()->SaveToStream(Stream, Encoding);
}

// ---- TdaCustomRichEdit ----------------------------------------------------------------------------

TdaCustomRichEdit::TdaCustomRichEdit(TComponent* AOwner)
    : TCustomRichEdit(AOwner), FLines(std::make_unique<TdaRichEditStrings>(this)) {}

TdaCustomRichEdit::~TdaCustomRichEdit() = default;

void TdaCustomRichEdit::SetRichEditVersion(int Value) {
    if (FRichEditVersion == Value) return;
    FRichEditVersion = Value;
    // The content lives in the control, not in the window: re-creating keeps it.
    if (HandleAllocated()) RecreateWnd();
}

void TdaCustomRichEdit::ReadRichEditVersion(int Value) {
    SetRichEditVersion(Value);
}

int TdaCustomRichEdit::WriteRichEditVersion() {
    FRichEditVersion = 2;
    return 2;
}

void TdaCustomRichEdit::ReadState(const std::function<void()>& ReadProperties) {
    FRichEditVersion = 1; // a definition without the value is of the first version
    NewDataFormat = false;
    if (Field()) {
        ReadProperties();
        return;
    }
    const TCursor OldCursor = Screen ? Screen->Cursor() : crDefault;
    if (Screen) Screen->SetCursor(crHourGlass);
    TScopeExit RestoreCursor([&] {
        if (Screen) Screen->SetCursor(OldCursor);
    });
    SetPlainText(true);
    ReadProperties();
    if (!NewDataFormat) {
        // The older form: rich text markup held in plain lines becomes formatting now.
        TdaRichMemoryStream Stream;
        BaseLines()->SaveToStream(&Stream);
        SetPlainText(false);
        Stream.SetPosition(0);
        FLines->LoadFromStream(&Stream);
    }
    SetPlainText(false);
}

void TdaCustomRichEdit::ReadData(TStream* Stream) {
    SetPlainText(false);
    NewDataFormat = true;
    std::int32_t N = 0;
    Stream->ReadBuffer(&N, sizeof(N));
    if (N <= 0 || Field()) {
        if (N > 0) Stream->Seek(N, soFromCurrent); // a bound control ignores stored bytes
        return;
    }
    // A count beyond the bytes there is a damaged definition: nothing of it is shown.
    if (N > Stream->Size() - Stream->Position()) {
        Clear();
        throw EReadError(u"Stream read error");
    }
    TdaRichMemoryStream Data;
    Data.CopyFrom(Stream, N);
    Data.SetPosition(0);
    if (Patch.size() > 12 && Patch[12].AsBoolean() && !ComponentState().Contains(csDesigning))
        BaseLines()->LoadFromStream(&Data);
    else
        FLines->LoadFromStream(&Data);
}

void TdaCustomRichEdit::WriteData(TStream* Stream) {
    TdaRichMemoryStream Data;
    BaseLines()->SaveToStream(&Data);
    const std::int32_t N = static_cast<std::int32_t>(Data.Size());
    Stream->WriteBuffer(&N, sizeof(N));
    if (N > 0) Stream->WriteBuffer(Data.Memory(), N);
}

void TdaCustomRichEdit::StreamIn(TStream* Stream, bool SelectionOnly, int /*Packets*/) {
    const Int64 Start = Stream->Position();
    const TBytes Bytes = ReadAllBytes(*Stream);
    const AnsiString S(Bytes.begin(), Bytes.end());
    const bool Rtf = !PlainText();
    try {
        TCustomRichEdit::StreamIn(S, Rtf, SelectionOnly);
        return;
    } catch (const Exception&) {
        if (!Rtf || SelectionOnly) throw;
    }
    // Refused as rich text: the same bytes as plain text.
    Stream->SetPosition(Start);
    try {
        TCustomRichEdit::StreamIn(S, false, false);
    } catch (const Exception&) {
        throw EOutOfResources(u"Failed to Load Stream");
    }
}

String TdaCustomRichEdit::GetRTFText() const {
    const AnsiString S = StreamOut(true, false);
    return String(S.begin(), S.end());
}

void TdaCustomRichEdit::SetRtfText(const String& Value) {
    AnsiString S;
    S.reserve(Value.size());
    for (Char C : Value)
        S += static_cast<char>(C < 0x100 ? C : u'?');
    TCustomRichEdit::StreamIn(S, true, true);
}

void TdaCustomRichEdit::GetRTFSelection(TStream* Stream) const {
    const AnsiString S = StreamOut(true, true);
    Stream->WriteBuffer(S.data(), static_cast<Int64>(S.size()));
}

void TdaCustomRichEdit::PutRTFSelection(TStream* Stream) {
    Stream->SetPosition(0);
    const TBytes Bytes = ReadAllBytes(*Stream);
    TCustomRichEdit::StreamIn(AnsiString(Bytes.begin(), Bytes.end()), true, true);
}

void TdaCustomRichEdit::Published(TPublisher<TdaCustomRichEdit>& P) {
    P.Property(u"MSVersion", &TdaCustomRichEdit::MSVersion, &TdaCustomRichEdit::SetMSVersion).Default(3);
    P.Property(u"AutoURLDetect", &TdaCustomRichEdit::AutoURLDetect, &TdaCustomRichEdit::SetAutoURLDetect)
        .Default(false);
    P.Property(u"EditorCaption", &TdaCustomRichEdit::EditorCaption, &TdaCustomRichEdit::SetEditorCaption);
    P.Property(u"MeasurementUnits", &TdaCustomRichEdit::MeasurementUnits, &TdaCustomRichEdit::SetMeasurementUnits)
        .Default(muInches);
    P.Property(u"EditWidth", &TdaCustomRichEdit::EditWidth, &TdaCustomRichEdit::SetEditWidth).Default(rewWindowSize);
    P.Property(u"GutterWidth", &TdaCustomRichEdit::GutterWidth, &TdaCustomRichEdit::SetGutterWidth).Default(3);
    P.Property(u"HighlightColor", &TdaCustomRichEdit::HighlightColor, &TdaCustomRichEdit::SetHighlightColor);
    P.Property(u"PrintPageSize", &TdaCustomRichEdit::PrintPageSize, &TdaCustomRichEdit::SetPrintPageSize).Default(1);
    P.Property(u"Title", &TdaCustomRichEdit::Title, &TdaCustomRichEdit::SetTitle);
}

// ---- TdaDBRichEdit --------------------------------------------------------------------------------

TdaDBRichEdit::TdaDBRichEdit(TComponent* AOwner) : TdaCustomRichEdit(AOwner) {
    SetMSVersion(3);
    Patch = {false, false, false, false, false, 0, false, false, 0, 0, false, false, false};
}
