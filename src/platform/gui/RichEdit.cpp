// The rich edit: its document, editing, layout and painting.
#include "platform/gui/RichEdit.h"

#include "platform/base/Encoding.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Messages.h"
#include "platform/gui/StdCtrlsQt.h"

#include <algorithm>

namespace {

constexpr int TwipsPerPixel = 15;
constexpr int BulletWidth = 15; // pixels between a bullet and its text
constexpr int TabWidth = 48;    // pixels between tab stops

// The runs of a paragraph between two offsets.
std::vector<TRtfRun> CutRuns(const TRtfParagraph& P, int From, int To) {
    std::vector<TRtfRun> Out;
    int At = 0;
    for (const TRtfRun& R : P.Runs) {
        const int Len = static_cast<int>(R.Text.size());
        const int A = std::max(From, At), B = std::min(To, At + Len);
        if (A < B) Out.push_back({R.Text.substr(static_cast<std::size_t>(A - At), static_cast<std::size_t>(B - A)), R.Format});
        At += Len;
    }
    return Out;
}

void ApplyFont(TFont& F, const TRtfCharFormat& Fmt, TColor DefaultColor) {
    F.SetName(Fmt.Name);
    F.SetSize(Fmt.Size);
    TFontStyles S;
    if (Fmt.Bold) S.Include(fsBold);
    if (Fmt.Italic) S.Include(fsItalic);
    if (Fmt.Underline) S.Include(fsUnderline);
    if (Fmt.StrikeOut) S.Include(fsStrikeOut);
    F.SetStyle(S);
    F.SetColor(Fmt.Color == clDefault ? DefaultColor : Fmt.Color);
}

// Measures text in a format: with the GUI application through a canvas, without it by a fixed
// cell (layout is only needed to paint and to find points).
class TMeasure {
public:
    void Use(const TRtfCharFormat& Fmt) {
        if (FHave && Fmt.Name == FFormat.Name && Fmt.Size == FFormat.Size && Fmt.Bold == FFormat.Bold &&
            Fmt.Italic == FFormat.Italic)
            return;
        FFormat = Fmt;
        FHave = true;
        ApplyFont(FFont, Fmt, clBlack);
        FCanvas = MeasureCanvas(&FFont);
        TTextMetric M;
        if (FCanvas && FCanvas->GetTextMetrics(M)) {
            FHeight = M.tmHeight;
            FAscent = M.tmAscent;
        } else {
            FHeight = std::max(8, Fmt.Size * 96 / 72 + 4);
            FAscent = FHeight * 4 / 5;
        }
    }
    int Width(const String& S) {
        if (S.empty()) return 0;
        return FCanvas ? FCanvas->TextWidth(S) : static_cast<int>(S.size()) * std::max(4, FFormat.Size * 96 / 72 / 2);
    }
    int Height() const { return FHeight; }
    int Ascent() const { return FAscent; }

private:
    TFont FFont;
    TRtfCharFormat FFormat;
    bool FHave = false;
    TCanvas* FCanvas = nullptr;
    int FHeight = 13;
    int FAscent = 10;
};

bool IsWordChar(Char C) {
    return C != u' ' && C != u'\t' && C != u'\v';
}

} // namespace

// ---- TTextAttributes ------------------------------------------------------------------------------

TRtfCharFormat TTextAttributes::Get() const {
    if (!FRichEdit) return {};
    if (FType == atDefaultText) return FRichEdit->DefaultFormat();
    if (FRichEdit->SelLength() == 0 && FRichEdit->FHasInsertFormat) return FRichEdit->FInsertFormat;
    return FRichEdit->FormatAt(FRichEdit->SelLength() > 0 ? FRichEdit->SelStart() + 1 : FRichEdit->SelStart());
}

template <class F> void TTextAttributes::Set(F Change) {
    if (!FRichEdit) return;
    TCustomRichEdit& R = *FRichEdit;
    if (FType == atDefaultText) {
        // The control's font is the default format; every character takes the change.
        TRtfCharFormat D = R.DefaultFormat();
        Change(D);
        TFont* Font = R.Font();
        ApplyFont(*Font, D, D.Color == clDefault ? Font->Color() : D.Color);
        R.FormatRange(0, R.GetTextLen(), Change);
        return;
    }
    if (R.SelLength() == 0) {
        TRtfCharFormat I = Get();
        Change(I);
        R.FInsertFormat = I;
        R.FHasInsertFormat = true;
        return;
    }
    R.FormatRange(R.SelStart(), R.SelStart() + R.SelLength(), Change);
}

String TTextAttributes::Name() const {
    return Get().Name;
}
void TTextAttributes::SetName(const String& Value) {
    Set([&](TRtfCharFormat& F) { F.Name = Value; });
}
int TTextAttributes::Size() const {
    return Get().Size;
}
void TTextAttributes::SetSize(int Value) {
    Set([&](TRtfCharFormat& F) { F.Size = std::max(1, Value); });
}
TFontStyles TTextAttributes::Style() const {
    const TRtfCharFormat F = Get();
    TFontStyles S;
    if (F.Bold) S.Include(fsBold);
    if (F.Italic) S.Include(fsItalic);
    if (F.Underline) S.Include(fsUnderline);
    if (F.StrikeOut) S.Include(fsStrikeOut);
    return S;
}
void TTextAttributes::SetStyle(const TFontStyles& Value) {
    Set([&](TRtfCharFormat& F) {
        F.Bold = Value.Contains(fsBold);
        F.Italic = Value.Contains(fsItalic);
        F.Underline = Value.Contains(fsUnderline);
        F.StrikeOut = Value.Contains(fsStrikeOut);
    });
}
TColor TTextAttributes::Color() const {
    const TColor C = Get().Color;
    return C == clDefault && FRichEdit ? FRichEdit->Font()->Color() : C;
}
void TTextAttributes::SetColor(TColor Value) {
    Set([&](TRtfCharFormat& F) { F.Color = Value; });
}

void TTextAttributes::Assign(TPersistent* Source) {
    if (auto* F = dynamic_cast<TFont*>(Source)) {
        Set([&](TRtfCharFormat& Fmt) {
            Fmt.Name = F->Name();
            Fmt.Size = F->Size();
            Fmt.Bold = F->Style().Contains(fsBold);
            Fmt.Italic = F->Style().Contains(fsItalic);
            Fmt.Underline = F->Style().Contains(fsUnderline);
            Fmt.StrikeOut = F->Style().Contains(fsStrikeOut);
            Fmt.Color = F->Color();
        });
        return;
    }
    if (auto* A = dynamic_cast<TTextAttributes*>(Source)) {
        const TRtfCharFormat From = A->Get();
        Set([&](TRtfCharFormat& Fmt) { Fmt = From; });
        return;
    }
    TPersistent::Assign(Source);
}

// ---- TParaAttributes ------------------------------------------------------------------------------

TRtfParaFormat TParaAttributes::Get() const {
    if (!FRichEdit) return {};
    int Para, Offset;
    FRichEdit->Locate(FRichEdit->SelStart(), Para, Offset);
    return FRichEdit->FDoc.Paragraphs[static_cast<std::size_t>(Para)].Format;
}

template <class F> void TParaAttributes::Set(F Change) {
    if (!FRichEdit) return;
    TCustomRichEdit& R = *FRichEdit;
    int First, Last, Offset;
    R.Locate(R.SelStart(), First, Offset);
    R.Locate(R.SelStart() + R.SelLength(), Last, Offset);
    for (int I = First; I <= Last; ++I)
        Change(R.FDoc.Paragraphs[static_cast<std::size_t>(I)].Format);
    R.InvalidateLayout();
    R.Change();
}

TAlignment TParaAttributes::Alignment() const {
    return Get().Alignment;
}
void TParaAttributes::SetAlignment(TAlignment Value) {
    Set([&](TRtfParaFormat& F) { F.Alignment = Value; });
}
int TParaAttributes::FirstIndent() const {
    return Get().FirstIndent / TwipsPerPixel;
}
void TParaAttributes::SetFirstIndent(int Value) {
    Set([&](TRtfParaFormat& F) { F.FirstIndent = Value * TwipsPerPixel; });
}
int TParaAttributes::LeftIndent() const {
    return Get().LeftIndent / TwipsPerPixel;
}
void TParaAttributes::SetLeftIndent(int Value) {
    Set([&](TRtfParaFormat& F) { F.LeftIndent = Value * TwipsPerPixel; });
}
int TParaAttributes::RightIndent() const {
    return Get().RightIndent / TwipsPerPixel;
}
void TParaAttributes::SetRightIndent(int Value) {
    Set([&](TRtfParaFormat& F) { F.RightIndent = Value * TwipsPerPixel; });
}
TNumberingStyle TParaAttributes::Numbering() const {
    return Get().Bullet ? nsBullet : nsNone;
}
void TParaAttributes::SetNumbering(TNumberingStyle Value) {
    Set([&](TRtfParaFormat& F) { F.Bullet = Value == nsBullet; });
}

void TParaAttributes::Assign(TPersistent* Source) {
    if (auto* A = dynamic_cast<TParaAttributes*>(Source)) {
        const TRtfParaFormat From = A->Get();
        Set([&](TRtfParaFormat& F) { F = From; });
        return;
    }
    TPersistent::Assign(Source);
}

// ---- TRichEditStrings -----------------------------------------------------------------------------

int TRichEditStrings::GetCount() const {
    const auto& P = FRichEdit->FDoc.Paragraphs;
    const int N = static_cast<int>(P.size());
    return P.back().Runs.empty() ? N - 1 : N;
}

String TRichEditStrings::Get(int Index) const {
    const auto& P = FRichEdit->FDoc.Paragraphs;
    if (Index < 0 || Index >= static_cast<int>(P.size())) return {};
    return P[static_cast<std::size_t>(Index)].Text();
}

void TRichEditStrings::Put(int Index, const String& S) {
    const auto& P = FRichEdit->FDoc.Paragraphs;
    if (Index < 0 || Index >= static_cast<int>(P.size())) return;
    const int Start = FRichEdit->PositionOf(Index, 0);
    const int End = Start + P[static_cast<std::size_t>(Index)].Length();
    TRtfDocument D = PlainToDocument(S, FRichEdit->FormatAt(Start));
    FRichEdit->ReplaceRange(Start, End, D, false);
}

void TRichEditStrings::Insert(int Index, const String& S) {
    if (Index < 0) return;
    TCustomRichEdit& R = *FRichEdit;
    const int N = static_cast<int>(R.FDoc.Paragraphs.size());
    if (Index < GetCount()) {
        // Before the paragraph: the new text and a paragraph break at its start.
        const int Start = R.PositionOf(Index, 0);
        TRtfDocument D = PlainToDocument(S + u"\r\n", R.FormatAt(Start));
        for (TRtfParagraph& P : D.Paragraphs)
            P.Format = R.FDoc.Paragraphs[static_cast<std::size_t>(Index)].Format;
        R.ReplaceRange(Start, Start, D, false);
    } else {
        // At the end: into the empty last paragraph, followed by a break.
        const int End = R.GetTextLen();
        TRtfDocument D = PlainToDocument(S + u"\r\n", R.FormatAt(End));
        if (!R.FDoc.Paragraphs.back().Runs.empty() || N == 0) D = PlainToDocument(u"\r\n" + S + u"\r\n", R.FormatAt(End));
        R.ReplaceRange(End, End, D, false);
    }
}

void TRichEditStrings::Delete(int Index) {
    TCustomRichEdit& R = *FRichEdit;
    const int N = static_cast<int>(R.FDoc.Paragraphs.size());
    if (Index < 0 || Index >= N) return;
    const int Start = R.PositionOf(Index, 0);
    int End = Index + 1 < N ? R.PositionOf(Index + 1, 0) : R.GetTextLen();
    int From = Start;
    // The last paragraph takes the break before it along.
    if (Index + 1 >= N && Index > 0) From = Start - 1;
    R.ReplaceRange(From, End, TRtfDocument{}, false);
}

void TRichEditStrings::Clear() {
    FRichEdit->Clear();
}

String TRichEditStrings::GetTextStr() const {
    String S;
    const int N = GetCount();
    for (int I = 0; I < N; ++I)
        S += Get(I) + u"\r\n";
    return S;
}

void TRichEditStrings::SetTextStr(const String& Value) {
    FRichEdit->SetDocument(PlainToDocument(Value, FRichEdit->DefaultFormat()));
}

void TRichEditStrings::SetUpdateState(bool Updating) {
    FRichEdit->FUpdating += Updating ? 1 : -1;
    if (!Updating && FRichEdit->FUpdating == 0) FRichEdit->InvalidateLayout();
}

void TRichEditStrings::LoadFromStream(TStream* Stream, TEncoding* Encoding) {
    const TBytes Bytes = ReadAllBytes(*Stream);
    const AnsiString S(Bytes.begin(), Bytes.end());
    FRichEdit->StreamIn(S, !FRichEdit->PlainText() && LooksLikeRtf(S), false, Encoding);
}

void TRichEditStrings::SaveToStream(TStream* Stream, TEncoding* Encoding) {
    const AnsiString S = FRichEdit->StreamOut(!FRichEdit->PlainText(), false, Encoding);
    Stream->WriteBuffer(S.data(), static_cast<Int64>(S.size()));
}

// ---- TCustomRichEdit: the document ----------------------------------------------------------------

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner)
    : TCustomControl(AOwner), FLines(std::make_unique<TRichEditStrings>(this)),
      FSelAttributes(std::make_unique<TTextAttributes>(this, atSelected)),
      FDefAttributes(std::make_unique<TTextAttributes>(this, atDefaultText)),
      FParagraph(std::make_unique<TParaAttributes>(this)) {
    SetBounds(Left(), Top(), 185, 89);
    SetTabStop(true);
    SetColor(clWindow);
    FDoc.Paragraphs.front().EndFormat = DefaultFormat();
}

TCustomRichEdit::~TCustomRichEdit() = default;

TRtfCharFormat TCustomRichEdit::DefaultFormat() const {
    TRtfCharFormat F;
    const TFont* Font = const_cast<TCustomRichEdit*>(this)->Font();
    F.Name = Font->Name();
    F.Size = Font->Size();
    F.Bold = Font->Style().Contains(fsBold);
    F.Italic = Font->Style().Contains(fsItalic);
    F.Underline = Font->Style().Contains(fsUnderline);
    F.StrikeOut = Font->Style().Contains(fsStrikeOut);
    F.Color = clDefault;
    return F;
}

int TCustomRichEdit::GetTextLen() const {
    int N = static_cast<int>(FDoc.Paragraphs.size()) - 1;
    for (const TRtfParagraph& P : FDoc.Paragraphs)
        N += P.Length();
    return N;
}

void TCustomRichEdit::Locate(int Pos, int& Para, int& Offset) const {
    Pos = std::clamp(Pos, 0, GetTextLen());
    const int N = static_cast<int>(FDoc.Paragraphs.size());
    for (int I = 0; I < N; ++I) {
        const int L = FDoc.Paragraphs[static_cast<std::size_t>(I)].Length();
        if (Pos <= L || I == N - 1) {
            Para = I;
            Offset = std::min(Pos, L);
            return;
        }
        Pos -= L + 1;
    }
    Para = Offset = 0;
}

int TCustomRichEdit::PositionOf(int Para, int Offset) const {
    int Pos = 0;
    for (int I = 0; I < Para && I < static_cast<int>(FDoc.Paragraphs.size()); ++I)
        Pos += FDoc.Paragraphs[static_cast<std::size_t>(I)].Length() + 1;
    return Pos + Offset;
}

TRtfCharFormat TCustomRichEdit::FormatAt(int Pos) const {
    int Para, Offset;
    Locate(Pos, Para, Offset);
    const TRtfParagraph& P = FDoc.Paragraphs[static_cast<std::size_t>(Para)];
    if (P.Runs.empty()) return P.EndFormat;
    // The character before the position, or the first one at a paragraph's start.
    int At = 0;
    for (const TRtfRun& R : P.Runs) {
        const int Len = static_cast<int>(R.Text.size());
        if (Offset == 0 || Offset <= At + Len) return R.Format;
        At += Len;
    }
    return P.Runs.back().Format;
}

TRtfDocument TCustomRichEdit::Slice(int From, int To) const {
    int Pa, Oa, Pb, Ob;
    Locate(From, Pa, Oa);
    Locate(To, Pb, Ob);
    TRtfDocument D;
    D.Paragraphs.clear();
    for (int I = Pa; I <= Pb; ++I) {
        const TRtfParagraph& Src = FDoc.Paragraphs[static_cast<std::size_t>(I)];
        TRtfParagraph P;
        P.Format = Src.Format;
        P.Runs = CutRuns(Src, I == Pa ? Oa : 0, I == Pb ? Ob : Src.Length());
        P.EndFormat = P.Runs.empty() ? Src.EndFormat : P.Runs.back().Format;
        D.Paragraphs.push_back(std::move(P));
    }
    return D;
}

void TCustomRichEdit::ReplaceRange(int From, int To, const TRtfDocument& Ins, bool User) {
    if (From > To) std::swap(From, To);
    int Pa, Oa, Pb, Ob;
    Locate(From, Pa, Oa);
    Locate(To, Pb, Ob);
    const TRtfParagraph& A = FDoc.Paragraphs[static_cast<std::size_t>(Pa)];
    const TRtfParagraph& B = FDoc.Paragraphs[static_cast<std::size_t>(Pb)];
    std::vector<TRtfRun> Head = CutRuns(A, 0, Oa);
    std::vector<TRtfRun> Tail = CutRuns(B, Ob, B.Length());
    const TRtfCharFormat EndA = A.EndFormat, EndB = B.EndFormat;
    const TRtfParaFormat FormatA = A.Format, FormatB = B.Format;

    std::vector<TRtfParagraph> New;
    const std::size_t K = Ins.Paragraphs.size();
    int Inserted = 0;
    for (std::size_t I = 0; I < K; ++I) {
        TRtfParagraph P = Ins.Paragraphs[I];
        Inserted += P.Length() + (I + 1 < K ? 1 : 0);
        if (I == 0) {
            std::vector<TRtfRun> Runs = Head;
            Runs.insert(Runs.end(), P.Runs.begin(), P.Runs.end());
            P.Runs = std::move(Runs);
            P.Format = FormatA;
            if (P.Runs.empty()) P.EndFormat = K == 1 && Tail.empty() ? EndB : EndA;
        }
        if (I + 1 == K) {
            P.Runs.insert(P.Runs.end(), Tail.begin(), Tail.end());
            if (K > 1) P.Format = FormatB;
            if (P.Runs.empty() && K > 1) P.EndFormat = Ins.Paragraphs[I].Runs.empty() ? EndB : P.EndFormat;
        }
        P.Normalize();
        New.push_back(std::move(P));
    }
    if (New.empty()) {
        TRtfParagraph P;
        P.Format = FormatA;
        P.Runs = Head;
        P.Runs.insert(P.Runs.end(), Tail.begin(), Tail.end());
        P.EndFormat = EndA;
        P.Normalize();
        New.push_back(std::move(P));
    }
    auto& Ps = FDoc.Paragraphs;
    Ps.erase(Ps.begin() + Pa, Ps.begin() + Pb + 1);
    Ps.insert(Ps.begin() + Pa, New.begin(), New.end());
    if (User) FModified = true;
    FHasInsertFormat = false;
    FAnchor = FCaret = From + Inserted;
    InvalidateLayout();
    Change();
    SelectionChange();
}

template <class F> void TCustomRichEdit::FormatRange(int From, int To, F ChangeFormat) {
    if (From > To) std::swap(From, To);
    int Pa, Oa, Pb, Ob;
    Locate(From, Pa, Oa);
    Locate(To, Pb, Ob);
    for (int I = Pa; I <= Pb; ++I) {
        TRtfParagraph& P = FDoc.Paragraphs[static_cast<std::size_t>(I)];
        const int A = I == Pa ? Oa : 0, B = I == Pb ? Ob : P.Length();
        std::vector<TRtfRun> Runs = CutRuns(P, 0, A);
        for (TRtfRun R : CutRuns(P, A, B)) {
            ChangeFormat(R.Format);
            Runs.push_back(std::move(R));
        }
        for (TRtfRun& R : CutRuns(P, B, P.Length()))
            Runs.push_back(std::move(R));
        P.Runs = std::move(Runs);
        if (P.Runs.empty() || B == P.Length()) ChangeFormat(P.EndFormat);
        const TRtfCharFormat End = P.EndFormat;
        P.Normalize();
        if (P.Runs.empty()) P.EndFormat = End;
    }
    InvalidateLayout();
    Change();
}

void TCustomRichEdit::SetDocument(const TRtfDocument& Doc) {
    FDoc = Doc;
    if (FDoc.Paragraphs.empty()) FDoc.Paragraphs.push_back(TRtfParagraph{{}, {}, DefaultFormat()});
    for (TRtfParagraph& P : FDoc.Paragraphs)
        P.Normalize();
    FAnchor = FCaret = 0;
    FHasInsertFormat = false;
    FTopY = 0;
    FModified = false;
    InvalidateLayout();
    Change();
    SelectionChange();
}

void TCustomRichEdit::StreamIn(const AnsiString& Bytes, bool Rtf, bool Selection, TEncoding* Encoding) {
    TRtfDocument D;
    if (Rtf) {
        D = ReadRtf(Bytes, Selection ? FormatAt(SelStart()) : DefaultFormat());
    } else {
        TEncoding* E = Encoding ? Encoding : TEncoding::Default();
        const TBytes B(Bytes.begin(), Bytes.end());
        // A byte-order mark chooses the encoding, as it does for a plain text list.
        TEncoding* Found = nullptr;
        const int Skip = TEncoding::GetBufferEncoding(B, Found, E);
        const TBytes Body(B.begin() + Skip, B.end());
        String S = Found->GetString(Body);
        // A trailing line break ends the last line; it opens no paragraph of its own.
        if (S.size() >= 2 && S.compare(S.size() - 2, 2, u"\r\n") == 0)
            S.resize(S.size() - 2);
        else if (!S.empty() && (S.back() == u'\n' || S.back() == u'\r'))
            S.pop_back();
        D = PlainToDocument(S, Selection ? FormatAt(SelStart()) : DefaultFormat());
    }
    if (Selection) {
        if (Rtf) {
            // The document's last paragraph mark stays with the text it is pasted into.
            if (D.Paragraphs.size() > 1 && D.Paragraphs.back().Runs.empty()) D.Paragraphs.pop_back();
        }
        ReplaceRange(SelStart(), SelStart() + SelLength(), D, false);
    } else {
        SetDocument(D);
    }
}

AnsiString TCustomRichEdit::StreamOut(bool Rtf, bool Selection, TEncoding* Encoding) const {
    const TRtfDocument D = Selection ? Slice(SelStart(), SelStart() + SelLength()) : FDoc;
    if (Rtf) return WriteRtf(D);
    TEncoding* E = Encoding ? Encoding : TEncoding::Default();
    const TBytes B = E->GetBytes(D.Text());
    return AnsiString(B.begin(), B.end());
}

String TCustomRichEdit::GetText() const {
    return FDoc.Text();
}

void TCustomRichEdit::SetTextValue(const String& Value) {
    SetDocument(PlainToDocument(Value, DefaultFormat()));
}

void TCustomRichEdit::Clear() {
    SetDocument(TRtfDocument{});
}

// ---- Selection ------------------------------------------------------------------------------------

void TCustomRichEdit::SetSelection(int Anchor, int Caret) {
    const int N = GetTextLen();
    Anchor = std::clamp(Anchor, 0, N);
    Caret = std::clamp(Caret, 0, N);
    if (Anchor == FAnchor && Caret == FCaret) return;
    FAnchor = Anchor;
    FCaret = Caret;
    FHasInsertFormat = false;
    if (HandleAllocated()) Invalidate();
    SelectionChange();
}

void TCustomRichEdit::SetSelStart(int Value) {
    SetSelection(Value, Value);
}

void TCustomRichEdit::SetSelLength(int Value) {
    const int S = SelStart();
    SetSelection(S, S + std::max(0, Value));
}

void TCustomRichEdit::SelectAll() {
    SetSelection(0, GetTextLen());
}

String TCustomRichEdit::SelText() const {
    return Slice(SelStart(), SelStart() + SelLength()).Text();
}

void TCustomRichEdit::SetSelText(const String& Value) {
    const int Start = SelStart();
    int Para, Offset;
    Locate(Start, Para, Offset);
    TRtfDocument D = PlainToDocument(Value, FHasInsertFormat ? FInsertFormat : FormatAt(Start));
    for (TRtfParagraph& P : D.Paragraphs)
        P.Format = FDoc.Paragraphs[static_cast<std::size_t>(Para)].Format;
    ReplaceRange(Start, Start + SelLength(), D, false);
}

void TCustomRichEdit::Change() {
    if (HandleAllocated()) Invalidate();
    if (OnChange) OnChange(this);
}

void TCustomRichEdit::SelectionChange() {
    if (OnSelectionChange) OnSelectionChange(this);
}

// ---- Properties -----------------------------------------------------------------------------------

void TCustomRichEdit::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    InvalidateLayout();
}

void TCustomRichEdit::SetHideSelection(bool Value) {
    FHideSelection = Value;
    if (HandleAllocated()) Invalidate();
}

void TCustomRichEdit::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomRichEdit::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == Controls::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomRichEdit::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    // Text without a format of its own (an empty document) follows the font.
    if (GetTextLen() == 0) FDoc.Paragraphs.front().EndFormat = DefaultFormat();
    InvalidateLayout();
}

// ---- Layout -------------------------------------------------------------------------------------

void TCustomRichEdit::InvalidateLayout() {
    FLayoutValid = false;
    if (HandleAllocated() && FUpdating == 0) Invalidate();
}

TRect TCustomRichEdit::TextArea() const {
    TRect R = GetClientRect();
    R.Left += 2;
    R.Top += 1;
    R.Right -= 2;
    return R;
}

void TCustomRichEdit::EnsureLayout() {
    if (FLayoutValid) return;
    FLayout.clear();
    TMeasure M;
    const TRect Area = TextArea();
    const int AreaWidth = std::max(1, Area.Right - Area.Left);
    int Y = 0;
    for (int PI = 0; PI < static_cast<int>(FDoc.Paragraphs.size()); ++PI) {
        const TRtfParagraph& P = FDoc.Paragraphs[static_cast<std::size_t>(PI)];
        const int LeftPx = P.Format.LeftIndent / TwipsPerPixel;
        const int FirstPx = P.Format.FirstIndent / TwipsPerPixel;
        const int RightPx = P.Format.RightIndent / TwipsPerPixel;
        const int Bullet = P.Format.Bullet ? BulletWidth : 0;
        // The pieces of the paragraph: words with their trailing blanks, tabs and breaks alone.
        std::vector<TPiece> Words;
        int Offset = 0;
        for (const TRtfRun& R : P.Runs) {
            std::size_t I = 0;
            while (I < R.Text.size()) {
                std::size_t J = I;
                if (R.Text[I] == u'\t' || R.Text[I] == u'\v') {
                    J = I + 1;
                } else {
                    while (J < R.Text.size() && IsWordChar(R.Text[J])) ++J;
                    while (J < R.Text.size() && R.Text[J] == u' ') ++J;
                }
                Words.push_back({Offset + static_cast<int>(I), R.Text.substr(I, J - I), 0, 0, R.Format});
                I = J;
            }
            Offset += static_cast<int>(R.Text.size());
        }
        TLine Line{PI, 0, 0, Y, 0, 0, 0, true, {}};
        auto LineStart = [&](bool First) { return LeftPx + Bullet + (First ? FirstPx : 0); };
        auto Avail = [&](bool First) { return std::max(8, AreaWidth - RightPx - LineStart(First)); };
        int X = 0;
        auto Finish = [&](int End) {
            Line.End = End;
            int Height = 0, Ascent = 0;
            if (Line.Pieces.empty()) {
                M.Use(P.Runs.empty() ? P.EndFormat : FormatAt(PositionOf(PI, Line.Start)));
                Height = M.Height();
                Ascent = M.Ascent();
            }
            for (const TPiece& Pc : Line.Pieces) {
                M.Use(Pc.Format);
                Ascent = std::max(Ascent, M.Ascent());
                Height = std::max(Height, M.Height() - M.Ascent());
            }
            if (!Line.Pieces.empty()) Height += Ascent;
            Line.Height = Height;
            Line.Ascent = Ascent;
            int Width = 0;
            for (const TPiece& Pc : Line.Pieces)
                if (Pc.Text != u"\v") Width = std::max(Width, Pc.X + Pc.Width);
            // Blanks at a line's end do not count for its alignment.
            if (!Line.Pieces.empty()) {
                const TPiece& Last = Line.Pieces.back();
                String T = Last.Text;
                int Trail = 0;
                while (!T.empty() && T.back() == u' ') {
                    T.pop_back();
                    ++Trail;
                }
                if (Trail > 0) {
                    M.Use(Last.Format);
                    Width = Last.X + M.Width(T);
                }
            }
            Line.Left = Area.Left + LineStart(Line.First);
            const int Free = Avail(Line.First) - Width;
            if (P.Format.Alignment == taCenter) Line.Left += std::max(0, Free / 2);
            if (P.Format.Alignment == taRightJustify) Line.Left += std::max(0, Free);
            Y += Height;
            FLayout.push_back(std::move(Line));
            Line = TLine{PI, End, End, Y, 0, 0, 0, false, {}};
            X = 0;
        };
        for (TPiece& W : Words) {
            M.Use(W.Format);
            if (W.Text == u"\t") {
                W.X = X;
                W.Width = TabWidth - X % TabWidth;
                X += W.Width;
                Line.Pieces.push_back(W);
                continue;
            }
            if (W.Text == u"\v") {
                W.X = X;
                Line.Pieces.push_back(W);
                Finish(W.Start + 1);
                continue;
            }
            String Visible = W.Text;
            while (!Visible.empty() && Visible.back() == u' ') Visible.pop_back();
            int Width = M.Width(W.Text);
            const int VisibleWidth = M.Width(Visible);
            if (FWordWrap && !Line.Pieces.empty() && X + VisibleWidth > Avail(Line.First)) Finish(W.Start);
            if (FWordWrap && Line.Pieces.empty() && VisibleWidth > Avail(Line.First)) {
                // A word wider than the line is broken between its characters.
                std::size_t From = 0;
                while (From < W.Text.size()) {
                    std::size_t To = From + 1;
                    while (To < W.Text.size() && M.Width(W.Text.substr(From, To - From + 1)) <= Avail(Line.First)) ++To;
                    TPiece Part{W.Start + static_cast<int>(From), W.Text.substr(From, To - From), X, 0, W.Format};
                    Part.Width = M.Width(Part.Text);
                    X += Part.Width;
                    Line.Pieces.push_back(Part);
                    From = To;
                    if (From < W.Text.size()) Finish(W.Start + static_cast<int>(From));
                }
                continue;
            }
            W.X = X;
            W.Width = Width;
            X += Width;
            // Pieces of one format on a line are drawn as one.
            if (!Line.Pieces.empty() && Line.Pieces.back().Format == W.Format && Line.Pieces.back().Text != u"\t" &&
                Line.Pieces.back().Start + static_cast<int>(Line.Pieces.back().Text.size()) == W.Start) {
                TPiece& Prev = Line.Pieces.back();
                Prev.Text += W.Text;
                Prev.Width = M.Width(Prev.Text);
                X = Prev.X + Prev.Width;
            } else {
                Line.Pieces.push_back(W);
            }
        }
        Finish(P.Length());
    }
    FLayoutValid = true;
}

int TCustomRichEdit::LineOfPos(int Pos) const {
    int Para, Offset;
    Locate(Pos, Para, Offset);
    int Found = 0;
    for (int I = 0; I < static_cast<int>(FLayout.size()); ++I) {
        const TLine& L = FLayout[static_cast<std::size_t>(I)];
        if (L.Para == Para && L.Start <= Offset) Found = I;
        if (L.Para > Para) break;
    }
    return Found;
}

TPoint TCustomRichEdit::CaretPoint() {
    EnsureLayout();
    if (FLayout.empty()) return {TextArea().Left, TextArea().Top};
    const TLine& L = FLayout[static_cast<std::size_t>(LineOfPos(FCaret))];
    int Para, Offset;
    Locate(FCaret, Para, Offset);
    TMeasure M;
    int X = 0;
    for (const TPiece& Pc : L.Pieces) {
        const int End = Pc.Start + static_cast<int>(Pc.Text.size());
        if (Offset >= End) {
            X = Pc.X + Pc.Width;
            continue;
        }
        if (Offset > Pc.Start) {
            M.Use(Pc.Format);
            X = Pc.X + (Pc.Text == u"\t" ? Pc.Width : M.Width(Pc.Text.substr(0, static_cast<std::size_t>(Offset - Pc.Start))));
        } else {
            X = Pc.X;
        }
        break;
    }
    return {L.Left + X, TextArea().Top + L.Top - FTopY};
}

int TCustomRichEdit::PosFromPoint(int X, int Y) {
    EnsureLayout();
    if (FLayout.empty()) return 0;
    Y = Y - TextArea().Top + FTopY;
    std::size_t Li = 0;
    while (Li + 1 < FLayout.size() && Y >= FLayout[Li].Top + FLayout[Li].Height) ++Li;
    const TLine& L = FLayout[Li];
    const int Rel = X - L.Left;
    TMeasure M;
    int Offset = L.End;
    // A line that ends in a break or wraps keeps the caret before its end.
    const bool Wrapped = Li + 1 < FLayout.size() && FLayout[Li + 1].Para == L.Para;
    if (Wrapped) Offset = std::max(L.Start, L.End - 1);
    if (Rel <= 0) {
        Offset = L.Start;
    } else {
        for (const TPiece& Pc : L.Pieces) {
            if (Rel >= Pc.X + Pc.Width) continue;
            M.Use(Pc.Format);
            int Best = Pc.Start;
            for (std::size_t K = 1; K <= Pc.Text.size(); ++K) {
                const int W = Pc.Text == u"\t" ? Pc.Width : M.Width(Pc.Text.substr(0, K));
                const int Prev = K == 1 ? 0 : (Pc.Text == u"\t" ? 0 : M.Width(Pc.Text.substr(0, K - 1)));
                if (Rel < Pc.X + (Prev + W) / 2) break;
                Best = Pc.Start + static_cast<int>(K);
            }
            Offset = Best;
            break;
        }
    }
    return PositionOf(L.Para, Offset);
}

void TCustomRichEdit::ScrollCaretIntoView() {
    EnsureLayout();
    if (FLayout.empty()) return;
    const TLine& L = FLayout[static_cast<std::size_t>(LineOfPos(FCaret))];
    const TRect Area = TextArea();
    const int Height = Area.Bottom - Area.Top;
    if (L.Top < FTopY) FTopY = L.Top;
    else if (L.Top + L.Height > FTopY + Height) FTopY = L.Top + L.Height - Height;
    FTopY = std::max(0, FTopY);
}

// ---- Painting -----------------------------------------------------------------------------------

void TCustomRichEdit::Paint() {
    EnsureLayout();
    TCanvas* C = Canvas();
    const TRect Client = GetClientRect();
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(Client);
    const TRect Area = TextArea();
    const bool ShowSel = SelLength() > 0 && (Focused() || !FHideSelection);
    const int SelA = SelStart(), SelB = SelStart() + SelLength();
    TFont F;
    for (const TLine& L : FLayout) {
        const int Top = Area.Top + L.Top - FTopY;
        if (Top + L.Height < Client.Top) continue;
        if (Top >= Client.Bottom) break;
        const TRtfParagraph& P = FDoc.Paragraphs[static_cast<std::size_t>(L.Para)];
        const int ParaPos = PositionOf(L.Para, 0);
        if (L.First && P.Format.Bullet) {
            const TRtfCharFormat BF = P.Runs.empty() ? P.EndFormat : P.Runs.front().Format;
            ApplyFont(F, BF, Font()->Color());
            C->Font()->Assign(&F);
            C->Brush()->SetStyle(bsClear);
            C->TextOut(L.Left - BulletWidth, Top + L.Ascent - C->TextExtent(u"\u2022").cy * 4 / 5, u"\u2022");
        }
        for (const TPiece& Pc : L.Pieces) {
            if (Pc.Text == u"\t" || Pc.Text == u"\v") continue;
            ApplyFont(F, Pc.Format, Font()->Color());
            C->Font()->Assign(&F);
            TTextMetric M;
            const int Asc = C->GetTextMetrics(M) ? M.tmAscent : L.Ascent;
            const int X = L.Left + Pc.X, Y = Top + L.Ascent - Asc;
            C->Brush()->SetStyle(bsClear);
            C->TextOut(X, Y, Pc.Text);
            if (!ShowSel) continue;
            const int PieceA = ParaPos + Pc.Start, PieceB = PieceA + static_cast<int>(Pc.Text.size());
            const int A = std::max(SelA, PieceA), B = std::min(SelB, PieceB);
            if (A >= B) continue;
            const String Before = Pc.Text.substr(0, static_cast<std::size_t>(A - PieceA));
            const String Part = Pc.Text.substr(static_cast<std::size_t>(A - PieceA), static_cast<std::size_t>(B - A));
            const int SX = X + C->TextWidth(Before);
            C->Brush()->SetStyle(bsSolid);
            C->Brush()->SetColor(clHighlight);
            C->FillRect(TRect(SX, Top, SX + C->TextWidth(Part), Top + L.Height));
            C->Font()->SetColor(clHighlightText);
            C->Brush()->SetStyle(bsClear);
            C->TextOut(SX, Y, Part);
        }
    }
    if (Focused() && SelLength() == 0) {
        const TPoint P = CaretPoint();
        const TLine& L = FLayout[static_cast<std::size_t>(LineOfPos(FCaret))];
        C->Pen()->SetColor(clWindowText);
        C->MoveTo(P.X, P.Y);
        C->LineTo(P.X, P.Y + L.Height);
    }
}

// ---- Input --------------------------------------------------------------------------------------

void TCustomRichEdit::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (FWantTabs ? DLGC_WANTTAB : 0);
}

void TCustomRichEdit::WMSize(TWMSize& Message) {
    TCustomControl::WMSize(Message);
    InvalidateLayout();
}

void TCustomRichEdit::DoEnter() {
    TCustomControl::DoEnter();
    Invalidate();
}

void TCustomRichEdit::DoExit() {
    TCustomControl::DoExit();
    Invalidate();
}

void TCustomRichEdit::InsertTyped(const String& S) {
    if (FReadOnly) return;
    String T = S;
    if (FMaxLength > 0) {
        const int Room = FMaxLength - (GetTextLen() - SelLength());
        if (Room <= 0) return;
        if (static_cast<int>(T.size()) > Room) T.resize(static_cast<std::size_t>(Room));
    }
    const int Start = SelStart();
    int Para, Offset;
    Locate(Start, Para, Offset);
    TRtfDocument D = PlainToDocument(T, FHasInsertFormat ? FInsertFormat : FormatAt(Start));
    for (TRtfParagraph& P : D.Paragraphs)
        P.Format = FDoc.Paragraphs[static_cast<std::size_t>(Para)].Format;
    ReplaceRange(Start, Start + SelLength(), D, true);
    ScrollCaretIntoView();
}

void TCustomRichEdit::DeleteTyped(bool Forward, bool Word) {
    if (FReadOnly) return;
    if (SelLength() > 0) {
        ReplaceRange(SelStart(), SelStart() + SelLength(), TRtfDocument{{}}, true);
        return;
    }
    int From = FCaret, To = FCaret;
    const String All = GetText();
    if (Forward) {
        To = std::min(GetTextLen(), FCaret + 1);
    } else {
        From = std::max(0, FCaret - 1);
        if (Word) {
            // Back over blanks, then over the word before them.
            const TRtfDocument D = Slice(0, FCaret);
            const String T = D.Paragraphs.back().Text();
            int K = static_cast<int>(T.size());
            while (K > 0 && T[static_cast<std::size_t>(K) - 1] == u' ') --K;
            while (K > 0 && IsWordChar(T[static_cast<std::size_t>(K) - 1])) --K;
            if (K < static_cast<int>(T.size())) From = FCaret - (static_cast<int>(T.size()) - K);
        }
    }
    if (From == To) return;
    TRtfDocument Empty;
    Empty.Paragraphs.front().Runs.clear();
    ReplaceRange(From, To, Empty, true);
    ScrollCaretIntoView();
}

void TCustomRichEdit::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    const bool Ext = Shift.Contains(ssShift);
    const bool Ctrl = Shift.Contains(ssCtrl);
    auto MoveTo = [&](int Pos) {
        SetSelection(Ext ? FAnchor : Pos, Pos);
        ScrollCaretIntoView();
        Invalidate();
    };
    auto Vertical = [&](int Lines) {
        EnsureLayout();
        if (FLayout.empty()) return;
        const TPoint P = CaretPoint();
        const int Li = std::clamp(LineOfPos(FCaret) + Lines, 0, static_cast<int>(FLayout.size()) - 1);
        const TLine& L = FLayout[static_cast<std::size_t>(Li)];
        MoveTo(PosFromPoint(P.X, TextArea().Top + L.Top - FTopY + L.Height / 2));
    };
    switch (Key) {
    case VK_LEFT:
        MoveTo(!Ext && SelLength() > 0 ? SelStart() : FCaret - 1);
        break;
    case VK_RIGHT:
        MoveTo(!Ext && SelLength() > 0 ? SelStart() + SelLength() : FCaret + 1);
        break;
    case VK_UP:
        Vertical(-1);
        break;
    case VK_DOWN:
        Vertical(1);
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        EnsureLayout();
        const TRect A = TextArea();
        int Lines = 1;
        if (!FLayout.empty()) Lines = std::max(1, (A.Bottom - A.Top) / std::max(1, FLayout.front().Height) - 1);
        Vertical(Key == VK_PRIOR ? -Lines : Lines);
        break;
    }
    case VK_HOME:
        if (Ctrl) {
            MoveTo(0);
        } else {
            EnsureLayout();
            const TLine& L = FLayout[static_cast<std::size_t>(LineOfPos(FCaret))];
            MoveTo(PositionOf(L.Para, L.Start));
        }
        break;
    case VK_END:
        if (Ctrl) {
            MoveTo(GetTextLen());
        } else {
            EnsureLayout();
            const int Li = LineOfPos(FCaret);
            const TLine& L = FLayout[static_cast<std::size_t>(Li)];
            const bool Wrapped = Li + 1 < static_cast<int>(FLayout.size()) && FLayout[static_cast<std::size_t>(Li) + 1].Para == L.Para;
            MoveTo(PositionOf(L.Para, Wrapped ? std::max(L.Start, L.End - 1) : L.End));
        }
        break;
    case VK_DELETE:
        if (Ext) {
            // Shift+Delete cuts.
            if (SelLength() > 0 && !FReadOnly) {
                Clipboard()->SetAsText(SelText());
                DeleteTyped(true, false);
            }
        } else {
            DeleteTyped(true, false);
        }
        break;
    case VK_INSERT:
        if (Ctrl && SelLength() > 0) Clipboard()->SetAsText(SelText());
        if (Ext) InsertTyped(Clipboard()->AsText());
        break;
    default:
        if (Ctrl && (Key == 'C' || Key == 'X') && SelLength() > 0) {
            Clipboard()->SetAsText(SelText());
            if (Key == 'X') DeleteTyped(true, false);
        } else if (Ctrl && Key == 'V') {
            InsertTyped(Clipboard()->AsText());
        } else if (Ctrl && Key == 'A') {
            SelectAll();
        } else {
            return;
        }
        break;
    }
    Key = 0;
}

void TCustomRichEdit::KeyPress(Char& Key) {
    TCustomControl::KeyPress(Key);
    switch (Key) {
    case 0:
        return;
    case VK_BACK:
        DeleteTyped(false, false);
        break;
    case 127: // Ctrl+Backspace
        DeleteTyped(false, true);
        break;
    case VK_RETURN:
        if (!FWantReturns) return;
        InsertTyped(u"\r\n");
        break;
    case VK_TAB:
        if (!FWantTabs) return;
        InsertTyped(u"\t");
        break;
    default:
        if (Key < 32) return; // Ctrl+letter chords are handled as keys
        InsertTyped(String(1, Key));
        break;
    }
    Key = 0;
}

void TCustomRichEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    if (CanFocus() && !Focused()) SetFocus();
    const int Pos = PosFromPoint(X, Y);
    SetSelection(Shift.Contains(ssShift) ? FAnchor : Pos, Pos);
    FSelecting = true;
    Invalidate();
}

void TCustomRichEdit::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FSelecting) return;
    SetSelection(FAnchor, PosFromPoint(X, Y));
}

void TCustomRichEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FSelecting = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomRichEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    EnsureLayout();
    const TRect A = TextArea();
    const int Total = FLayout.empty() ? 0 : FLayout.back().Top + FLayout.back().Height;
    const int Step = FLayout.empty() ? 16 : FLayout.front().Height * 3;
    FTopY = std::clamp(FTopY - WheelDelta / 120 * Step, 0, std::max(0, Total - (A.Bottom - A.Top)));
    Invalidate();
    return true;
}

// ---- Registration ---------------------------------------------------------------------------------

void TCustomRichEdit::Published(TPublisher<TCustomRichEdit>& P) {
    P.Property(u"Lines", &TCustomRichEdit::Lines, &TCustomRichEdit::SetLines);
    P.Property(u"PlainText", &TCustomRichEdit::PlainText, &TCustomRichEdit::SetPlainText).Default(false);
    P.Property(u"ReadOnly", &TCustomRichEdit::ReadOnly, &TCustomRichEdit::SetReadOnly).Default(false);
    P.Property(u"WordWrap", &TCustomRichEdit::WordWrap, &TCustomRichEdit::SetWordWrap).Default(true);
    P.Property(u"HideSelection", &TCustomRichEdit::HideSelection, &TCustomRichEdit::SetHideSelection).Default(true);
    P.Property(u"WantTabs", &TCustomRichEdit::WantTabs, &TCustomRichEdit::SetWantTabs).Default(false);
    P.Property(u"WantReturns", &TCustomRichEdit::WantReturns, &TCustomRichEdit::SetWantReturns).Default(true);
    P.Property(u"ScrollBars", &TCustomRichEdit::ScrollBars, &TCustomRichEdit::SetScrollBars).Default(StdCtrls::ssNone);
    P.Property(u"MaxLength", &TCustomRichEdit::MaxLength, &TCustomRichEdit::SetMaxLength).Default(0);
}

void RegisterRichEditClasses() {
    for (TClass C : {TTextAttributes::StaticClass(), TParaAttributes::StaticClass(), TRichEditStrings::StaticClass(),
                     TCustomRichEdit::StaticClass(), TRichEdit::StaticClass()})
        RegisterClass(C);
}
