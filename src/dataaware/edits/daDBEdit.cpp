#include "dataaware/edits/daDBEdit.h"

#include "dataaware/edits/daDBNavigator.h"
#include "dataaware/edits/daIncSearch.h"
#include "dataaware/edits/daKeyCombo.h"

#include "dataaware/edits/daEditsShared.h"
#include "dataaware/foundation/daDateUtils.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daRegex.h"
#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/DateTime.h"
#include "platform/base/Format.h"
#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Grids.h"
#include "platform/gui/Messages.h"

namespace {

bool IsNumericField(const TField* F);

// Numbers line up on the right, everything else on the left.
TAlignment FieldAlignment(const TField* F) {
    return IsNumericField(F) ? taRightJustify : taLeftJustify;
}

bool IsNumericField(const TField* F) {
    return dynamic_cast<const TIntegerField*>(F) || dynamic_cast<const TLargeintField*>(F) ||
           dynamic_cast<const TFloatField*>(F);
}

bool EndsWithChar(const String& S, Char C) {
    return !S.empty() && S.back() == C;
}

String TwoDigits(int N) {
    return N < 10 ? u"0" + IntToStr(N) : IntToStr(N);
}

} // namespace

// ---- TdaDBPicture ------------------------------------------------------------------------------

TdaDBPicture::TdaDBPicture(TComponent* AOwner) : RelatedComponent(AOwner) {}

void TdaDBPicture::Assign(TPersistent* Source) {
    if (auto* Other = dynamic_cast<TdaDBPicture*>(Source)) {
        SetPictureMask(Other->PictureMask());
        SetAutoFill(Other->AutoFill());
        return;
    }
    TPersistent::Assign(Source);
}

void TdaDBPicture::Published(TPublisher<TdaDBPicture>& P) {
    P.Property(u"PictureMaskFromDataSet", &TdaDBPicture::PictureMaskFromDataSet,
               &TdaDBPicture::SetPictureMaskFromDataSet)
        .Default(true);
    P.Property(u"PictureMask", &TdaDBPicture::PictureMask, &TdaDBPicture::SetPictureMask);
    P.Property(u"AutoFill", &TdaDBPicture::AutoFill, &TdaDBPicture::SetAutoFill).Default(true);
    P.Property(u"AllowInvalidExit", &TdaDBPicture::AllowInvalidExit, &TdaDBPicture::SetAllowInvalidExit)
        .Default(false);
}

// ---- TviDovedMask ----------------------------------------------------------------------------------

void TviDovedMask::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TviDovedMask*>(Source)) {
        FMask = S->Mask();
        FCaseSensitive = S->CaseSensitive();
        FErrorMessage = S->ErrorMessage();
        return;
    }
    TPersistent::Assign(Source);
}

void TviDovedMask::Published(TPublisher<TviDovedMask>& P) {
    P.Property(u"Mask", &TviDovedMask::Mask, &TviDovedMask::SetMask);
    P.Property(u"CaseSensitive", &TviDovedMask::CaseSensitive, &TviDovedMask::SetCaseSensitive).Default(true);
    P.Property(u"AllowInvalidExit", &TviDovedMask::AllowInvalidExit, &TviDovedMask::SetAllowInvalidExit)
        .Default(false);
    P.Property(u"ErrorMessage", &TviDovedMask::ErrorMessage, &TviDovedMask::SetErrorMessage);
}

// ---- TdaCustomMaskEdit ---------------------------------------------------------------------------

TdaCustomMaskEdit::TdaCustomMaskEdit(TComponent* AOwner)
    : TCustomMaskEdit(AOwner), FdaPicture(std::make_unique<TdaDBPicture>(this)),
      FRegexMask(std::make_unique<TviDovedMask>(this)), FFrame(std::make_unique<TdaEditFrame>(this)) {}

TdaCustomMaskEdit::~TdaCustomMaskEdit() {
    // Out of the controller's list: it would style a control that is gone.
    daSetController(FController, nullptr, this);
}

void TdaCustomMaskEdit::SetController(TComponent* Value) {
    daSetController(FController, Value, this);
}

void TdaCustomMaskEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomMaskEdit::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FController) FController = nullptr;
}

void TdaCustomMaskEdit::Published(TPublisher<TdaCustomMaskEdit>& P) {
    P.Property(u"UsePictureMask", &TdaCustomMaskEdit::UsePictureMask, &TdaCustomMaskEdit::SetUsePictureMask)
        .Default(true);
    P.Property(u"WantReturns", &TdaCustomMaskEdit::WantReturns, &TdaCustomMaskEdit::SetWantReturns)
        .Default(false);
    P.Property(u"WordWrap", &TdaCustomMaskEdit::WordWrap, &TdaCustomMaskEdit::SetWordWrap).Default(false);
    P.Property(u"ShowVertScrollBar", &TdaCustomMaskEdit::ShowVertScrollBar,
               &TdaCustomMaskEdit::SetShowVertScrollBar)
        .Default(false);
    P.Property(u"RegexMask", &TdaCustomMaskEdit::RegexMask, &TdaCustomMaskEdit::SetRegexMask);
    P.Property(u"Frame", &TdaCustomMaskEdit::Frame, &TdaCustomMaskEdit::SetFrame);
    P.Property(u"Controller", &TdaCustomMaskEdit::Controller, &TdaCustomMaskEdit::SetController);
    P.Property(u"MaskStoreLiteralTemplate", &TdaCustomMaskEdit::MaskStoreLiteralTemplate,
               &TdaCustomMaskEdit::SetMaskStoreLiteralTemplate)
        .Default(false);
}

void TdaCustomMaskEdit::SetPicture(TdaDBPicture* Value) {
    FdaPicture->Assign(Value);
    auto* Self = dynamic_cast<TdaDBCustomEdit*>(this);
    if (IsPictureMaskActive() || !Self || !Self->Field())
        SetEditMask(u"");
    else
        SetEditMask(Self->Field()->EditMask());
}

bool TdaCustomMaskEdit::IsPictureMaskActive() const {
    return FUsePictureMask && !FdaPicture->PictureMask().empty();
}

bool TdaCustomMaskEdit::IsValidPictureMask() const {
    TdaPictureValidator V(FdaPicture->PictureMask(), FdaPicture->AutoFill());
    return !V.isSyntaxError();
}

bool TdaCustomMaskEdit::IsValidRegexMask(const String& Mask) const {
    return viDovedSyntaxValid(Mask);
}

bool TdaCustomMaskEdit::IsValidRegexValue(const String& Text) const {
    return viDovedMatch(FRegexMask->Mask(), !FRegexMask->CaseSensitive(), Text);
}

void TdaCustomMaskEdit::CreateParams(TCreateParams& Params) {
    TCustomMaskEdit::CreateParams(Params);
    Params.Style &= ~Cardinal(ES_AUTOVSCROLL | ES_WANTRETURN);
    if (BorderStyle() == Controls::bsNone || FWordWrap) Params.Style |= ES_MULTILINE;
    if (FWordWrap) {
        Params.Style &= ~Cardinal(ES_AUTOHSCROLL);
        Params.Style |= ES_AUTOVSCROLL;
    }
    if (FWantReturns) Params.Style |= ES_WANTRETURN;
    if (FShowVertScrollBar) Params.Style |= WS_VSCROLL;
}

void TdaCustomMaskEdit::CreateWindowHandle(const TCreateParams& Params) {
    TCustomMaskEdit::CreateWindowHandle(Params);
    if (BorderStyle() == Controls::bsNone && daGetAutoSize(this) && !daParentIsGrid(this))
        FFrame->AdjustHeight();
    SetEditRect();
}

void TdaCustomMaskEdit::WMSize(TWMSize& Message) {
    TCustomMaskEdit::WMSize(Message);
    SetEditRect();
}

void TdaCustomMaskEdit::CMFontChanged(TMessage& Message) {
    TCustomMaskEdit::CMFontChanged(Message);
    if (Owner() && !Owner()->ComponentState().Contains(csLoading)) SetEditRect();
}

// The text's rectangle inside the window: from the frame, or by the border and the parent.
void TdaCustomMaskEdit::SetEditRect() {
    if (!HandleAllocated()) return;
    TRect Loc(0, 0, ClientWidth() - 1, ClientHeight() + 1);
    const bool Borderless = BorderStyle() == Controls::bsNone;
    if (Borderless && daParentIsInspector(this)) {
        Loc.Left = 1;
        Loc.Top = 1;
    } else if (Borderless && daParentIsGrid(this)) {
        Loc.Left = 2;
        Loc.Top = daClassInheritsFrom(Parent()->ClassType(), u"TdaDBGrid") ? 1 : 2;
    } else if (FFrame->Enabled()) {
        FFrame->GetEditRectForFrame(Loc);
    } else if (!Borderless) {
        Loc.Left = 0;
        Loc.Top = 0;
    } else {
        Loc.Left = 1;
        Loc.Top = 1;
    }
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&Loc));
}

void TdaCustomMaskEdit::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    RecreateWnd();
}

void TdaCustomMaskEdit::SetShowVertScrollBar(bool Value) {
    if (FShowVertScrollBar == Value) return;
    FShowVertScrollBar = Value;
    RecreateWnd();
}

bool TdaCustomMaskEdit::IsValidPictureValue(const String& Text) const {
    const String Mask = FdaPicture->PictureMask();
    if (Text.empty() || Mask.empty()) return true;
    TdaPictureValidator V(Mask, false);
    String S = Text;
    return V.Picture(S, false) == prComplete;
}

void TdaCustomMaskEdit::ApplyMask() {
    const String Mask = FdaPicture->PictureMask();
    if (Mask.empty()) return;
    TdaPictureValidator V(Mask, FdaPicture->AutoFill());
    String S = Text();
    const TdaPicResult R = V.Picture(S, FdaPicture->AutoFill());
    if ((R == prComplete || R == prIncomplete) && S != Text()) SetTextModified(S);
}

bool TdaCustomMaskEdit::JustHaveLiteralTemplate() const {
    if (FMaskStoreLiteralTemplate) return false;
    if (IsPictureMaskActive() || !IsMasked()) return false;
    // What is left once the mask's literals and blanks are gone.
    const String Shown = EditText();
    String Typed;
    TCustomMaskEdit Probe(nullptr);
    Probe.SetEditMask(EditMask());
    const String Template = Probe.EditText();
    for (size_t K = 0; K < Shown.size(); ++K) {
        const bool Literal = K < Template.size() && Template[K] != MaskBlank() && Shown[K] == Template[K];
        if (Literal || Shown[K] == MaskBlank()) continue;
        Typed += Shown[K];
    }
    daTrimTrailingChars(Typed, u" ");
    return Typed.empty();
}

void TdaCustomMaskEdit::SetTextModified(const String& Value) {
    TFlagScope Marking(SetModifiedInChangeEvent);
    SetText(Value);
}

void TdaCustomMaskEdit::DoCheckValue(bool Valid) {
    if (OnCheckValue) OnCheckValue(this, Valid);
}

void TdaCustomMaskEdit::ShowValidationError(const String& Message) {
    daEditValidationError(this, nullptr, Message);
}

void TdaCustomMaskEdit::ApplyValidationColors(bool Valid) {
    daApplyValidationColors(this, Valid, OrigForeColor, OrigBackColor);
}

void TdaCustomMaskEdit::ResetValidationColors(TColor ForeColor, TColor BackColor) {
    if (ForeColor == clNone) {
        Font()->SetColor(OrigForeColor);
        SetColor(OrigBackColor);
    } else {
        Font()->SetColor(ForeColor);
        SetColor(BackColor);
    }
    OrigForeColor = clNone;
    OrigBackColor = clNone;
}

void TdaCustomMaskEdit::DoRefreshValidationDisplay(bool Valid) {
    DoCheckValue(Valid);
    ApplyValidationColors(Valid);
}

void TdaCustomMaskEdit::DoRefreshValidationDisplay(const String& AText) {
    const String S = AText.empty() ? Text() : AText;
    DoRefreshValidationDisplay(
        S.empty() || (IsValidPictureValue(S) && (FRegexMask->Mask().empty() || IsValidRegexValue(S))));
}

// Checks every typed character against the picture mask: a character that cannot continue the
// text at its end is refused with the bell; the mask's literals are filled in as the user goes.
void TdaCustomMaskEdit::KeyPress(Char& Key) {
    TCustomMaskEdit::KeyPress(Key);
    ModifiedInKeyPress = false;
    if (Key == 0) return;
    bool Beeped = false, Invalid = false;
    const String Old = Text();
    const int S = SelStart(), N = SelLength(), L = static_cast<int>(Old.size());
    String NewText;
    if (Key == u'\b') {
        if (N > 0)
            NewText = Old.substr(0, S) + Old.substr(S + N);
        else if (S > 0)
            NewText = Old.substr(0, S - 1) + Old.substr(S);
        else
            NewText = Old;
    } else {
        NewText = Old.substr(0, S) + String(1, Key) + Old.substr(std::min(L, S + N));
    }

    bool Valid = true;
    if (!FRegexMask->Mask().empty()) {
        if (MaxLength() > 0 && static_cast<int>(NewText.size()) > MaxLength() &&
            static_cast<int>(NewText.size()) > L)
            return;
        // A text the expression does not match is only shown in the error colours.
        Valid = IsValidRegexValue(NewText);
        StartEditing();
        Invalid = !Valid;
    }

    if (Valid && IsPictureMaskActive()) {
        if (Key == u'\b') {
            StartEditing();
            if (!TCustomEdit::ReadOnly()) {
                if (NewText.empty())
                    DoRefreshValidationDisplay(true);
                else
                    DoRefreshValidationDisplay(NewText);
            }
            return;
        }
        if (Key > 31) {
            if (MaxLength() > 0 && static_cast<int>(NewText.size()) > MaxLength() &&
                static_cast<int>(NewText.size()) > L)
                return;
            const bool AutoFill = FdaPicture->AutoFill();
            TdaPictureValidator V(FdaPicture->PictureMask(), AutoFill);
            String Validated = NewText;
            TdaPicResult R = V.Picture(Validated, AutoFill);
            // A rejected character may still fit after a blank that auto-fill turns into the
            // literal in between ("555" then "1" with the mask ###-####).
            if (AutoFill && !Patch[0] && R == prError) {
                String WithBlank = Old.substr(0, S) + u" " + Old.substr(std::min(L, S + N));
                if (V.Picture(WithBlank, AutoFill) != prError) {
                    WithBlank += Key;
                    Validated = WithBlank;
                    R = V.Picture(Validated, AutoFill);
                }
            }
            const int NewLen = static_cast<int>(Validated.size());
            switch (R) {
            case prComplete:
            case prIncomplete: {
                StartEditing();
                if (!TCustomEdit::ReadOnly()) SetTextModified(Validated);
                int Caret;
                if (N == L)
                    Caret = NewLen;
                else if (R == prComplete)
                    Caret = NewLen > L ? S + (NewLen - L) : S + 1;
                else
                    Caret = N == 0 ? S + (NewLen - L) : S + 1;
                SetSelStart(Caret);
                SetSelLength(0);
                Key = 0;
                ModifiedInKeyPress = true;
                if (R == prIncomplete) {
                    Invalid = true;
                    Perform(EM_SCROLLCARET);
                }
                break;
            }
            case prError:
                if (S + N < L) {
                    Invalid = true;
                } else {
                    Key = 0;
                    MessageBeep();
                    Beeped = true;
                }
                break;
            default:
                break;
            }
        } else {
            if (!FWantReturns && Key == u'\r') Key = 0;
            return;
        }
    }
    if ((IsPictureMaskActive() || !FRegexMask->Mask().empty()) && !Beeped && !TCustomEdit::ReadOnly())
        DoRefreshValidationDisplay(!Invalid);
    if (!FWantReturns && Key == u'\r') Key = 0;
}

void TdaCustomMaskEdit::KeyUp(Word& Key, TShiftState Shift) {
    TCustomMaskEdit::KeyUp(Key, Shift);
    if (Key == VK_DELETE) DoRefreshValidationDisplay(u"");
}

// Leaving with a text that does not fill the picture mask is refused: the focus comes back with
// the text selected and the bell rings.
void TdaCustomMaskEdit::DoExit() {
    TCustomMaskEdit::DoExit();
    DoExitPictureError = false;
    if (!Modified()) return;
    if (!FRegexMask->Mask().empty() && !IsValidRegexValue(Text()) && !FRegexMask->AllowInvalidExit()) {
        SelectAll();
        if (CanFocus()) SetFocus();
        SetModified(true);
        DoExitPictureError = true;
        MessageBeep();
        ShowValidationError(FRegexMask->ErrorMessage());
        return;
    }
    if (IsPictureMaskActive() && !IsValidPictureValue(Text()) && !FdaPicture->AllowInvalidExit()) {
        SelectAll();
        DoExitPictureError = true;
        SetModified(true);
        MessageBeep();
        if (CanFocus()) SetFocus();
    }
}

// ---- TdaDBCustomEdit ---------------------------------------------------------------------------

TdaDBCustomEdit::TdaDBCustomEdit(TComponent* AOwner)
    : TdaCustomMaskEdit(AOwner), FDataLink(std::make_unique<TFieldDataLink>()) {
    // Read-only until bound and editing, or loaded without a binding.
    TCustomEdit::SetReadOnly(true);
    ControlStyle().Include(csReplicatable);
    FDataLink->OnDataChange = [this] { LoadFieldText(); };
    FDataLink->OnEditingChange = [this] { EditingChange(); };
    FDataLink->OnUpdateData = [this] { UpdateFieldData(); };
    Patch = {false, false, true, false, false, false, false};
}

TdaDBCustomEdit::~TdaDBCustomEdit() {
    FDataLink->OnDataChange = nullptr;
    FDataLink->OnEditingChange = nullptr;
    FDataLink->OnUpdateData = nullptr;
}

void TdaDBCustomEdit::Published(TPublisher<TdaDBCustomEdit>& P) {
    P.Property(u"DataField", &TdaDBCustomEdit::DataField, &TdaDBCustomEdit::SetDataField);
    P.Property(u"ReadOnly", &TdaDBCustomEdit::ReadOnly, &TdaDBCustomEdit::SetReadOnly).Default(false);
    P.Property(u"AutoFillDate", &TdaDBCustomEdit::AutoFillDate, &TdaDBCustomEdit::SetAutoFillDate)
        .Default(true);
    P.Property(u"UnboundDataType", &TdaDBCustomEdit::UnboundDataType, &TdaDBCustomEdit::SetUnboundDataType)
        .Default(daDefault);
    P.Property(u"EditAlignment", &TdaDBCustomEdit::EditAlignment, &TdaDBCustomEdit::SetEditAlignment)
        .Default(eaLeftAlignEditing);
    P.Property(u"DisplayFormat", &TdaDBCustomEdit::DisplayFormat, &TdaDBCustomEdit::SetDisplayFormat);
    P.Property(u"EpochYear", &TdaDBCustomEdit::EpochYear, &TdaDBCustomEdit::SetEpochYear).Default(0);
    P.Property(u"UnboundAlignment", &TdaDBCustomEdit::UnboundAlignment, &TdaDBCustomEdit::SetUnboundAlignment)
        .Default(taLeftJustify);
    P.Property(u"DisableThemes", &TdaDBCustomEdit::DisableThemes, &TdaDBCustomEdit::SetDisableThemes)
        .Default(false);
}

// ---- Window styles and painting -------------------------------------------------------------------

void TdaDBCustomEdit::CreateParams(TCreateParams& Params) {
    TdaCustomMaskEdit::CreateParams(Params);
    if (Frame()->Enabled()) Params.Style &= ~Cardinal(WS_BORDER);
    // A control only one line high keeps that line scrolling sideways, and a password needs
    // the one-line edit. (Measured only when it matters: the parameters are asked for at every
    // paint of the frame.)
    const bool PasswordOnSeveral =
        (BorderStyle() == Controls::bsNone || Frame()->Enabled()) && PasswordChar() != 0;
    if (WordWrap() || PasswordOnSeveral) {
        TBitmap Measure(1, 1);
        Measure.Canvas()->SetFont(Font());
        const TRect Area(0, 0, Width() - ReadButtonAreaWidth(), Height());
        if (daTextFillsRect(Measure.Canvas(), Area, DT_SINGLELINE | DT_NOPREFIX)) {
            if (WordWrap()) Params.Style |= ES_AUTOHSCROLL;
            if (PasswordOnSeveral) Params.Style &= ~Cardinal(ES_MULTILINE);
        }
    }
    if (FEditAlignment == eaRightAlignEditing)
        Params.ExStyle |= WS_EX_RIGHT;
    else
        Params.ExStyle &= ~Cardinal(WS_EX_RIGHT);
    if (isTransparentEffective() && Frame()->CreateTransparent) Params.ExStyle |= WS_EX_TRANSPARENT;
}

void TdaDBCustomEdit::CreateWindowHandle(const TCreateParams& Params) {
    TdaCustomMaskEdit::CreateWindowHandle(Params);
    if (isTransparentEffective() && Parent()) daClearClipChildren(Parent());
    UpdateTextWidget();
}

void TdaDBCustomEdit::SetEditAlignment(TdaEditAlignment Value) {
    if (FEditAlignment == Value) return;
    FEditAlignment = Value;
    RecreateWnd();
}

void TdaDBCustomEdit::SetUnboundAlignment(TAlignment Value) {
    if (FUnboundAlignment == Value) return;
    FUnboundAlignment = Value;
    UpdateTextWidget();
    Invalidate();
}

void TdaDBCustomEdit::SetDisableThemes(bool Value) {
    if (FDisableThemes == Value) return;
    FDisableThemes = Value;
    Invalidate();
}

bool TdaDBCustomEdit::isTransparentEffective() const {
    return Frame()->Transparent() && Frame()->IsFrameEffective() &&
           !daIsDesigning(const_cast<TdaDBCustomEdit*>(this));
}

TAlignment TdaDBCustomEdit::PaintAlignment() const {
    if (daParentIsInspector(this)) return taLeftJustify;
    return Field() ? FAlignment : FUnboundAlignment;
}

bool TdaDBCustomEdit::SelfPaints() const {
    if (ControlState().Contains(csPaintCopy) || ParentIsFocusedDBGrid()) return true;
    // The text widget shows whenever the edit has the focus: the caret and the typing are its.
    if (FFocused || Focused()) return false;
    return PaintAlignment() != taLeftJustify || Frame()->IsFrameEffective() || !IsTextEditable();
}

void TdaDBCustomEdit::UpdateTextWidget() {
    SetTextWidgetShown(!SelfPaints());
}

int TdaDBCustomEdit::PaintTextTop(bool InGrid, bool InDBGrid) const {
    if (daParentIsInspector(this)) return 1;
    return InGrid && InDBGrid ? 2 : 1;
}

bool TdaDBCustomEdit::IsThemedListLook() const {
    auto* Self = const_cast<TdaDBCustomEdit*>(this);
    return daThemesActive(Self) && daIsVistaOrLater() &&
           daClassInheritsFrom(ClassType(), u"TdaDBCustomCombo") && !IsTextEditable() && !Frame()->Enabled();
}

void TdaDBCustomEdit::GetTextRect(TRect& Rect) const {
    Rect = ClientRect();
    const int Button = ReadButtonAreaWidth();
    if (Button > 0 && ReadShowButton()) Rect.Right -= Button + (Frame()->Enabled() ? 1 : 0);
}

void TdaDBCustomEdit::DrawDisplayText(TCanvas* Canvas, const TRect& Rect, int X, int Y, const String& Text,
                                      bool) {
    Canvas->TextRect(Rect, X, Y, Text);
}

void TdaDBCustomEdit::PaintFrame(TCanvas* Canvas) {
    daDrawEditFrameEdges(this, Frame(), Canvas, HasFocus());
}

void TdaDBCustomEdit::PaintFocusRect(TCanvas* Canvas, const TRect& Rect) {
    Canvas->DrawFocusRect(Rect);
}

void TdaDBCustomEdit::WriteTextAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    UpdateTextWidget();
    Invalidate();
}

void TdaDBCustomEdit::DoMouseEnter() {
    try {
        if (OnMouseEnter) OnMouseEnter(this);
    } catch (const Exception&) {
        return;
    }
    if (Frame()->IsFrameEffective() && !HasFocus() && Frame()->MouseEnterSameAsFocus) {
        FMouseInControl = true;
        if (!FCanvas) {
            FCanvas = std::make_unique<TControlCanvas>();
            FCanvas->SetControl(this);
        }
        daDrawEditFrameEdges(this, Frame(), FCanvas.get(), true);
        FCanvas->FreeHandle();
        return;
    }
    FMouseInControl = true;
    if (IsThemedListLook()) Invalidate();
}

void TdaDBCustomEdit::DoMouseLeave() {
    try {
        if (OnMouseLeave) OnMouseLeave(this);
    } catch (const Exception&) {
        return;
    }
    FMouseInControl = false;
    if (Frame()->IsFrameEffective() && !HasFocus() && Frame()->MouseEnterSameAsFocus) {
        // The unfocused borders come back with the next painting.
        if (isTransparentEffective()) {
            Frame()->CreateTransparent = true;
            UpdateTransparentStyle();
        }
        Invalidate();
        return;
    }
    if (IsThemedListLook()) Invalidate();
}

// The edit's own look: unfocused, as a list, in a focused grid, or as a grid's picture of a row.
void TdaDBCustomEdit::PaintSelf() {
    if (!FCanvas) {
        FCanvas = std::make_unique<TControlCanvas>();
        FCanvas->SetControl(this);
    }
    TCanvas* C = FCanvas.get();
    TScopeExit Release([C] { static_cast<TControlCanvas*>(C)->FreeHandle(); });
    const bool Copy = ControlState().Contains(csPaintCopy);
    const bool GridCopy = daIsGridPaintCopy(this);
    auto* Grid = daParentIsGrid(this) ? dynamic_cast<TCustomGrid*>(Parent()) : nullptr;
    const bool DBGridParent = Parent() && daClassInheritsFrom(Parent()->ClassType(), u"TdaDBGrid");
    const bool InFocusedGrid = ParentIsFocusedDBGrid();
    const bool Transparent = isTransparentEffective();
    const bool FrameOn = Frame()->IsFrameEffective();
    const bool Bordered = BorderStyle() == Controls::bsSingle;
    TField* F = Field();
    const TRect Client = ClientRect();

    // The font colour: a grid's picture takes the cell's colours from the grid's canvas.
    C->Font()->Assign(Font());
    if (!Enabled() && Color() != clGrayText)
        C->Font()->SetColor(clGrayText);
    else if (GridCopy && Grid)
        C->Font()->SetColor(Grid->Canvas()->Font()->Color());
    else if (Grid)
        C->Font()->SetColor(Grid->Font()->Color());

    TRect R = Client;
    C->Brush()->SetStyle(bsSolid);
    if (Bordered && (!Ctl3D() || (!Copy && DBGridParent))) {
        C->Brush()->SetColor(clWindowFrame);
        C->FrameRect(R);
    }
    InflateRect(R, -1, -1);
    bool ThemedButton = false;
    const bool SeeThrough = HandleAllocated() && (GetWindowLong(WindowHandle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    if (GridCopy && Grid) {
        // The picture lands on the cell as a whole: the cell's background stands behind the text.
        C->Brush()->SetColor(Grid->Canvas()->Brush()->Color());
        C->FillRect(Client);
    } else if (Transparent && !SeeThrough && Parent()) {
        // A transparent edit whose window covers its place for now (while it has the focus).
        C->Brush()->SetColor(Parent()->Color());
        C->FillRect(Client);
    } else if (!Transparent) {
        if (Frame()->Enabled() && !HasFocus() && Frame()->NonFocusColor != clNone) {
            C->Brush()->SetColor(Frame()->NonFocusColor);
            C->FillRect(Client);
        } else if (daThemesActive(this) && IsThemedListLook()) {
            daDrawThemedButton(ReadDroppedDown(), FMouseInControl, Client, C);
            ThemedButton = true;
        } else {
            C->Brush()->SetColor(Color());
            C->FillRect(Bordered && (!Ctl3D() || (!Copy && DBGridParent)) ? R : Client);
        }
    }

    TRect TextRect;
    if (ReadShowButton() && !GridCopy)
        GetTextRect(TextRect);
    else
        TextRect = Client;
    InflateRect(TextRect, -1, -1);

    // Copies show the row's record, which the grid made the active one.
    String Shown;
    if (Copy && F) {
        String Mapped;
        if (GetFieldMapText(F->AsString(), Mapped))
            Shown = Mapped;
        else
            Shown = IsMemoField() ? F->AsString() : F->DisplayText();
    } else if (F && IsMemoField()) {
        Shown = F->AsString();
    } else {
        Shown = Text();
    }

    const bool Highlight = !Copy && (InFocusedGrid || (!IsTextEditable() && Focused() && !ReadDroppedDown()));
    if (Highlight) {
        if (!IsThemedListLook()) {
            C->Brush()->SetColor(clHighlight);
            C->Font()->SetColor(clHighlightText);
        }
        if (InFocusedGrid) {
            TMethod Event;
            daGetOnCalcCellColors(Parent(), Event);
            using TCalc = std::function<void(TObject*, TField*, TGridDrawState, bool, TFont*, TBrush*)>;
            if (const TCalc Calc = Event.As<TCalc>()) Calc(Parent(), F, TGridDrawState(), true, C->Font(), C->Brush());
        }
    }
    if (PasswordChar() != 0) Shown = String(Shown.size(), PasswordChar());

    const int W = C->TextWidth(Shown);
    int M = PaintTextTop(Grid != nullptr, DBGridParent);
    int X;
    if (Grid)
        X = 2;
    else if (FrameOn)
        Frame()->GetFrameTextPosition(X, M, HasFocus());
    else
        X = M + 1;
    const TAlignment Align = PaintAlignment();
    if (Align == taRightJustify) {
        const int Right = GridCopy         ? Client.Right
                          : ReadShowButton() ? ReadTextRightEdge() - (Frame()->Transparent() ? 1 : 0)
                                             : TextRect.Right;
        X = Right - W - M - 1;
        if (FrameOn) X -= Frame()->NonFocusTextOffsetX;
    } else if (Align == taCenter) {
        X = (TextRect.Left + TextRect.Right - W) / 2;
    }
    const int Y = M;
    // A copy outside a grid sits one pixel further left.
    const int X2 = Copy && !(Grid && !daParentIsInspector(this)) ? X - 1 : X;
    int Flags = 0;
    if (WordWrap()) Flags |= dctWordBreak;
    if (ThemedButton || GridCopy || (Transparent && !HasFocus())) Flags |= dctNoFill;
    if (Grid) TextRect.Bottom = Client.Bottom;
    if (!HasFocus()) {
        if (Transparent && Frame()->NonFocusTransparentFontColor != clNone)
            C->Font()->SetColor(Frame()->NonFocusTransparentFontColor);
        else if (Frame()->Enabled() && Frame()->NonFocusFontColor != clNone)
            C->Font()->SetColor(Frame()->NonFocusFontColor);
    }
    if (!Highlight) {
        if (Frame()->Enabled() && !HasFocus() && Frame()->NonFocusColor != clNone && !Transparent)
            C->Brush()->SetColor(Frame()->NonFocusColor);
        else if (!GridCopy)
            C->Brush()->SetColor(Color());
    }
    const bool OwnerDrawn = IsOwnerDrawn() || HasCustomPaint();
    if (FrameOn && HasFocus()) {
        InflateRect(TextRect, TdaEditFrame::IsSingleBorderStyle(Frame()->FocusStyle()) ? -1 : -2,
                    TdaEditFrame::IsSingleBorderStyle(Frame()->FocusStyle()) ? -1 : -2);
        if (OwnerDrawn)
            DrawDisplayText(C, TextRect, X2 - 1, Y - 1, Shown, Flags & dctNoFill);
        else
            daDrawCellText(C, TextRect, 1, Flags, Align, Shown, 0);
    } else if (OwnerDrawn) {
        DrawDisplayText(C, TextRect, X2 - 1, Y - 1, Shown, Flags & dctNoFill);
    } else {
        // The cell routine measures its margins from the rectangle's left.
        daDrawCellText(C, TextRect, Align == taLeftJustify ? X2 - 1 : X2 - 1 - TextRect.Left, Flags, Align, Shown,
                       Y - 1);
    }
    if (FrameOn) PaintFrame(C);

    if (Highlight) {
        TRect Focus = TextRect;
        if (Bordered) {
            GetTextRect(Focus);
            ++Focus.Top;
            --Focus.Bottom;
            ++Focus.Left;
        }
        if (!(FrameOn && HasFocus())) {
            if (Grid)
                GetTextRect(Focus);
            else
                --Focus.Right;
        }
        C->Pen()->SetColor(clHighlight);
        if (!IsThemedListLook()) C->FrameRect(Focus);
        C->Font()->SetColor(clBlack);
        C->Brush()->SetColor(clWhite);
        PaintFocusRect(C, Focus);
    }
}

bool TdaDBCustomEdit::ParentIsFocusedDBGrid() const {
    return Parent() && daClassInheritsFrom(Parent()->ClassType(), u"TdaDBGrid") && Parent()->Focused();
}

void TdaDBCustomEdit::SetDataSource(TDataSource* Value) {
    if (Value && Value != FDataLink->DataSource()) TCustomEdit::SetReadOnly(true);
    if (TDataSource* Old = FDataLink->DataSource()) Old->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
}

void TdaDBCustomEdit::SetDataField(const String& Value) {
    if (!ComponentState().Contains(csDesigning)) SyncMaxLength();
    FDataLink->SetFieldName(Value);
}

void TdaDBCustomEdit::SyncMaxLength() {
    if (MaxLength() <= 0 || !DataSource() || !DataSource()->DataSet()) return;
    TField* F = DataSource()->DataSet()->FindField(DataField());
    if (F && F->DataType() == ftString && F->Size() == MaxLength()) SetMaxLength(0);
}

void TdaDBCustomEdit::SetReadOnly(bool Value) {
    FDataLink->SetReadOnly(Value);
    if (!ComponentState().Contains(csLoading) && (!Value || !DataSource() || !DataSource()->DataSet()))
        TCustomEdit::SetReadOnly(Value);
}

void TdaDBCustomEdit::Loaded() {
    TdaCustomMaskEdit::Loaded();
    SyncMaxLength();
    if (!DataSource() && !ReadOnly()) TCustomEdit::SetReadOnly(false);
}

void TdaDBCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TdaCustomMaskEdit::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataLink->DataSource()) FDataLink->SetDataSource(nullptr);
}

void TdaDBCustomEdit::EditingChange() {
    TCustomEdit::SetReadOnly(!FDataLink->Editing());
}

bool TdaDBCustomEdit::IsDateEdit() const {
    return Field() ? dynamic_cast<TDateField*>(Field()) != nullptr : FDataType == daEdtDate;
}

bool TdaDBCustomEdit::IsTimeEdit() const {
    return Field() ? dynamic_cast<TTimeField*>(Field()) != nullptr : FDataType == daEdtTime;
}

// A date or time field is a date-time field too.
bool TdaDBCustomEdit::IsDateTimeEdit() const {
    return Field() ? dynamic_cast<TDateTimeField*>(Field()) != nullptr : FDataType == daEdtDateTime;
}

String TdaDBCustomEdit::ReadDisplayFormat() const {
    if (!FDisplayFormat.empty()) return FDisplayFormat;
    if (Field() && IsNumericField(Field())) return Field()->DisplayFormat();
    return {};
}

bool TdaDBCustomEdit::IsEditBlocked() const {
    TDataSource* DS = DataSource();
    const bool E = DS && !DS->AutoEdit && DS->State() != dsEdit && DS->State() != dsInsert;
    if (DS && Field()) return ReadOnly() || E;
    return E;
}

bool TdaDBCustomEdit::IsMemoField() const {
    const TField* F = Field();
    if (!dynamic_cast<const TBlobField*>(F)) return false;
    const TFieldType T = F->DataType();
    return T == ftMemo || T == ftOraBlob || T == ftOraClob || T == ftWideMemo;
}

bool TdaDBCustomEdit::GetFieldMapText(const String&, String&) {
    return false;
}

void TdaDBCustomEdit::StartEditing() {
    if (!IsEditBlocked()) FDataLink->Edit();
}

void TdaDBCustomEdit::InitText(const String& Value) {
    SetText(Value);
    SetModified(true);
}

void TdaDBCustomEdit::WriteModified(bool Value) {
    if (Value && Field() && (FDataLink->ReadOnly() || Field()->ReadOnly())) return;
    if (Value && DataSource() && DataSource()->State() != dsBrowse) {
        FDataLink->Modified();
        Patch[6] = true;
    }
    SetModified(Value);
}

bool TdaDBCustomEdit::EditCanModify() {
    if (!Field()) return true;
    const bool R = FDataLink->Edit();
    TField* F = Field();
    if (!R && (F->Calculated() || F->Lookup()) && !F->ReadOnly() && !FDataLink->ReadOnly())
        return F->DataSet() && F->DataSet()->CanModify();
    return R;
}

void TdaDBCustomEdit::LoadFieldText() {
    TField* F = Field();
    if (!F) {
        WriteTextAlignment(taLeftJustify);
        if (!IsPictureMaskActive()) SetEditMask(u"");
        SetText(ComponentState().Contains(csDesigning) ? Name() : String());
        return;
    }
    if (const TAlignment A = FieldAlignment(F); A != FAlignment) {
        SetText(String());
        WriteTextAlignment(A);
    }
    if (!IsPictureMaskActive()) SetEditMask(F->EditMask());
    if (!ComponentState().Contains(csDesigning) &&
        (F->DataType() == ftString || F->DataType() == ftWideString) && MaxLength() == 0)
        SetMaxLength(F->Size());
    const bool Memo = IsMemoField();
    if ((FFocused || Memo) && FDataLink->CanModify())
        SetText(Memo ? F->AsString() : F->Text());
    else
        SetText(Memo ? F->AsString() : F->DisplayText());
}

// Hands the text to the field. A text that the library's own reading cannot take (a date
// outside the calendar, a number that does not fit the display format) goes to the field's own
// conversion, so that its error reaches the user instead of the edit being dropped.
void TdaDBCustomEdit::UpdateFieldData() {
    if (TCustomEdit::ReadOnly()) return;
    TField* F = Field();
    if (!F) return;
    const String Current = Text();
    if (!RegexMask()->Mask().empty() && !IsValidRegexValue(Current)) {
        ShowValidationError(RegexMask()->ErrorMessage());
    } else if (!Picture()->PictureMask().empty()) {
        if (IsValidPictureValue(Current)) {
            DoRefreshValidationDisplay(true);
        } else {
            DoRefreshValidationDisplay(false);
            ShowValidationError(u"");
        }
    } else if (!JustHaveLiteralTemplate()) {
        ValidateEdit();
    }

    if (!Modified()) return;
    if (IsMemoField()) {
        String T;
        ReadStoredText(T);
        F->SetAsString(T);
        return;
    }
    if (!FDataLink->Editing() && !F->Calculated() && !F->Lookup()) return;

    String T;
    ReadStoredText(T);
    if (T.empty()) {
        F->SetText(u"");
        return;
    }
    if (dynamic_cast<TDateTimeField*>(F) && daIsValidDate(T)) {
        TDateTime D;
        if (daStrToDateEpoch(T, D, FEpochYear ? FEpochYear : 1950)) {
            F->SetAsDateTime(D);
            return;
        }
    } else if (JustHaveLiteralTemplate()) {
        F->Clear();
        return;
    } else if (IsNumericField(F) && !ReadDisplayFormat().empty()) {
        double V;
        if (daStrToFloatDisplay(Current, V, ReadDisplayFormat())) {
            if (dynamic_cast<TFloatField*>(F))
                F->SetAsFloat(V);
            else if (dynamic_cast<TLargeintField*>(F))
                F->SetAsFloat(static_cast<double>(Round(V)));
            else
                F->SetAsInteger(static_cast<int>(Round(V)));
            return;
        }
    }
    F->SetText(T);
}

void TdaDBCustomEdit::UpdateRecord() {
    const bool WasModified = Modified();
    TScopeExit Refused([&] {
        SelectAll();
        if (CanFocus()) SetFocus();
        SetModified(WasModified);
    });
    FDataLink->UpdateRecord();
    Refused.Release();
}

void TdaDBCustomEdit::Reset() {
    if (Field())
        FDataLink->Reset();
    else
        SetText(StartValue);
    TCustomMaskEdit::Reset();
    SelectAll();
    WriteModified(false);
    DoRefreshValidationDisplay(Text());
}

void TdaDBCustomEdit::WriteFocused(bool Value) {
    if (FFocused == Value) return;
    FFocused = Value;
    if (Field())
        FDataLink->Reset();
    else if (Value)
        StartValue = Text();
    UpdateTextWidget();
    Invalidate();
}

void TdaDBCustomEdit::CMEnter(TMessage& Message) {
    SetEditRect();
    // Focused, a transparent edit is edited on its own colour.
    if (isTransparentEffective()) {
        Frame()->CreateTransparent = false;
        UpdateTransparentStyle();
    }
    WriteFocused(true);
    TdaCustomMaskEdit::CMEnter(Message);
    if (!IsTextEditable()) Invalidate();
}

void TdaDBCustomEdit::DoEnter() {
    TdaCustomMaskEdit::DoEnter();
    if (!Field()) SetModified(false);
}

// Leaving posts the text into the field first; a refused text (mask or field) keeps the focus.
void TdaDBCustomEdit::CMExit(TMessage& Message) {
    UpdateRecord();
    TdaCustomMaskEdit::CMExit(Message);
    if (!DoExitPictureError) {
        WriteFocused(false);
        SetSelStart(0);
        SetSelLength(0);
    }
    if (!Field() && !ReadDisplayFormat().empty()) {
        double V;
        if (daStrToFloatDisplay(Text(), V, ReadDisplayFormat())) SetText(FormatFloat(ReadDisplayFormat(), V));
    }
    if (!IsTextEditable()) Invalidate();
    // Unfocused, a transparent edit shows what lies under it again.
    if (isTransparentEffective()) {
        Frame()->CreateTransparent = true;
        UpdateTransparentStyle();
    }
}

// The window's see-through style follows the frame at once; it needs no new window.
void TdaDBCustomEdit::UpdateTransparentStyle() {
    if (!HandleAllocated()) return;
    const HWND Wnd = WindowHandle();
    const LONG_PTR Ex = GetWindowLong(Wnd, GWL_EXSTYLE);
    const bool Want = isTransparentEffective() && Frame()->CreateTransparent;
    const LONG_PTR New = Want ? Ex | WS_EX_TRANSPARENT : Ex & ~LONG_PTR(WS_EX_TRANSPARENT);
    if (New == Ex) return;
    SetWindowLong(Wnd, GWL_EXSTYLE, New);
    Invalidate();
}

void TdaDBCustomEdit::Change() {
    // The text painted while unfocused follows the text (a record moved, a value set).
    if (!TextWidgetShown()) Invalidate();
    if (!ComponentState().Contains(csLoading)) {
        if (!Field()) WriteModified(true);
        if (SetModifiedInChangeEvent) SetModified(true);
        if (Field() && DataSource() && (DataSource()->State() == dsEdit || DataSource()->State() == dsInsert))
            WriteModified(true);
    }
    TdaCustomMaskEdit::Change();
}

double TdaDBCustomEdit::UnboundValue() const {
    double V = 0;
    if (!Field() && !ReadDisplayFormat().empty() && daStrToFloatDisplay(Text(), V, ReadDisplayFormat()))
        return V;
    return 0;
}

void TdaDBCustomEdit::SetUnboundValue(double Value) {
    if (!Field() && !ReadDisplayFormat().empty()) SetText(FormatFloat(ReadDisplayFormat(), Value));
}

void TdaDBCustomEdit::KeyDown(Word& Key, TShiftState Shift) {
    TdaCustomMaskEdit::KeyDown(Key, Shift);
    if ((Key == VK_DELETE) || (Key == VK_INSERT && Shift.Contains(ssShift))) {
        if (DataSource()) {
            if (IsEditBlocked()) {
                Key = 0;
            } else {
                FDataLink->Edit();
                WriteModified(true);
            }
        } else if (!ReadOnly()) {
            TCustomEdit::SetReadOnly(false);
        }
    }
}

void TdaDBCustomEdit::KeyPress(Char& Key) {
    if (Key == u'\t') {
        Key = 0;
        return;
    }
    TDataSource* DS = DataSource();
    if (Key >= 32 || Key == u'\b' || (Key == u'\r' && WantReturns())) {
        if (DS && !DS->AutoEdit && DS->State() != dsEdit && DS->State() != dsInsert) {
            Key = 0;
            return;
        }
        if (DS) {
            if (IsEditBlocked()) Key = 0;
        } else {
            if (ReadOnly()) return;
            TCustomEdit::SetReadOnly(false);
        }
        if (DS && !FDataLink->ReadOnly() && Field() && (Field()->Calculated() || Field()->Lookup())) {
            TDataSet* Set = Field()->DataSet();
            if (Field()->ReadOnly() || !Set || !Set->CanModify()) return;
            Set->Edit();
            TCustomEdit::SetReadOnly(false);
        }
    }
    if (Key == 0) return;

    if (FAutoFillDate && !(IsPictureMaskActive() && Picture()->AutoFill()) && Key == u' ') {
        StartEditing();
        if (GetKeyState(VK_CONTROL) >= 0 && FillDateTimePart(Key)) {
            DoRefreshValidationDisplay(Text());
            return;
        }
    }

    TdaCustomMaskEdit::KeyPress(Key);
    if (Key == 0) {
        if (ModifiedInKeyPress) WriteModified(true);
        return;
    }

    String Ignored;
    if (!GetFieldMapText(u"", Ignored) && !Patch[4] && Field()) {
        TField* F = Field();
        const bool Formatted = !ReadDisplayFormat().empty() &&
                               (dynamic_cast<TIntegerField*>(F) || dynamic_cast<TFloatField*>(F));
        bool Valid = true;
        if (!Formatted) {
            Valid = Key <= 31 || F->IsValidChar(Key);
        } else if (Key >= 32) {
            const String Allowed = dynamic_cast<TIntegerField*>(F)
                                       ? String(u"+-0123456789")
                                       : String(u"+-0123456789Ee") + FormatSettings.DecimalSeparator;
            Valid = Allowed.find(Key) != String::npos;
        }
        if (!Valid) {
            MessageBeep();
            Key = 0;
            return;
        }
    }

    switch (Key) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 10:
    case 11:
    case 12:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 23:
    case 25:
    case 26:
    case 28:
    case 29:
    case 30:
    case 31:
        break;
    case u'\r':
        if (WantReturns() && !IsEditBlocked()) {
            FDataLink->Edit();
            WriteModified(true);
        }
        break;
    case 27:
        Reset();
        Invalidate();
        Key = 0;
        break;
    default:
        FDataLink->Edit();
        WriteModified(true);
        if (!IsTextEditable()) Key = 0;
        break;
    }
}

void TdaDBCustomEdit::CNKeyDown(TWMKeyDown& Message) {
    if (!ComponentState().Contains(csDesigning) && WantReturns() && Message.CharCode() == VK_RETURN &&
        GetKeyState(VK_CONTROL) >= 0)
        return;
    TdaCustomMaskEdit::CNKeyDown(Message);
}

void TdaDBCustomEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PASTE:
        return WMPaste(Message);
    case WM_CUT:
        return WMCut(Message);
    case WM_UNDO:
        return WMUndo(Message);
    case CM_GETDATALINK:
        Message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
        return;
    case WM_PAINT:
        if (ControlState().Contains(csPaintCopy)) {
            // A grid's picture of another row: the text widget shows this edit's own record.
            PaintSelf();
            return;
        }
        UpdateTextWidget();
        if (!TextWidgetShown()) {
            // The window's own paint: the children (a button) are painted by their windows.
            PaintSelf();
            return;
        }
        TdaCustomMaskEdit::WndProc(Message);
        if (Frame()->IsFrameEffective() || daClassInheritsFrom(ClassType(), u"TdaImageCombo")) {
            if (!FCanvas) {
                FCanvas = std::make_unique<TControlCanvas>();
                FCanvas->SetControl(this);
            }
            PaintOverlay();
            if (Frame()->IsFrameEffective()) PaintFrame(FCanvas.get());
            FCanvas->FreeHandle();
        }
        return;
    case WM_NCPAINT:
        if (IsThemedListLook()) {
            // A list that cannot be typed into looks like a push button, border included; the
            // client area keeps its own painting.
            TWindowCanvas Canvas;
            Canvas.SetControl(this);
            const int W = Width(), H = Height();
            Canvas.ExcludeClipRect(TRect(3, 3, W - 2, H - 2));
            daDrawThemedButton(ReadDroppedDown(), FMouseInControl, TRect(-1, -1, W + 1, H + 1), &Canvas);
            Canvas.FreeHandle();
            Message.Result = 1;
            return;
        }
        TdaCustomMaskEdit::WndProc(Message);
        return;
    case WM_ERASEBKGND:
        if (daIsInspectorPaintCopy(this) || IsThemedListLook()) {
            Message.Result = 1;
            return;
        }
        if (isTransparentEffective() && !HasFocus()) {
            Message.Result = 1;
            return;
        }
        TdaCustomMaskEdit::WndProc(Message);
        return;
    case CM_MOUSEENTER:
        TdaCustomMaskEdit::WndProc(Message);
        DoMouseEnter();
        return;
    case CM_MOUSELEAVE: {
        // Still inside the client area: the mouse went over a child (the button).
        TPoint P;
        GetCursorPos(P);
        if (HandleAllocated() && PtInRect(ClientRect(), ScreenToClient(P)) && Message.LParam != LPARAM(this))
            return;
        TdaCustomMaskEdit::WndProc(Message);
        DoMouseLeave();
        return;
    }
    default:
        TdaCustomMaskEdit::WndProc(Message);
    }
}

// A single-line edit without border (a grid's cell editor) takes the clipboard text only up to
// its first line break. The clipboard itself is left alone: the user keeps all of it.
void TdaDBCustomEdit::WMPaste(TMessage& Message) {
    const int OldLength = static_cast<int>(Text().size());
    const int OldCaret = SelStart();
    if (!DataSource()) {
        if (ReadOnly()) return;
        TCustomEdit::SetReadOnly(false);
    }
    if (IsEditBlocked()) return;
    StartEditing();
    if (BorderStyle() == Controls::bsNone && !WordWrap() && PasswordChar() == 0) {
        String S = Clipboard()->AsText();
        const size_t Break = S.find_first_of(u"\r\n");
        if (Break != String::npos) S.erase(Break);
        if (MaxLength() > 0) {
            const int Room = MaxLength() - (OldLength - SelLength());
            if (Room < static_cast<int>(S.size())) S.erase(static_cast<size_t>(std::max(0, Room)));
        }
        Perform(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(&S));
    } else {
        TdaCustomMaskEdit::WndProc(Message);
    }
    WriteModified(true);
    ApplyMask();
    if (SelStart() == 0) SetSelStart(static_cast<int>(Text().size()) + OldCaret - OldLength);
    DoRefreshValidationDisplay(u"");
}

void TdaDBCustomEdit::WMCut(TMessage& Message) {
    if (IsEditBlocked()) return;
    StartEditing();
    TdaCustomMaskEdit::WndProc(Message);
    WriteModified(true);
    DoRefreshValidationDisplay(u"");
}

void TdaDBCustomEdit::WMUndo(TMessage& Message) {
    if (IsEditBlocked()) return;
    StartEditing();
    TdaCustomMaskEdit::WndProc(Message);
    WriteModified(true);
}

// ---- Date and time quick entry -------------------------------------------------------------------

bool TdaDBCustomEdit::FillDateTimePart(Char& Key) {
    if (TCustomEdit::ReadOnly() || !(IsDateEdit() || IsTimeEdit() || IsDateTimeEdit())) return false;
    const String Current = Text();
    const int Len = static_cast<int>(Current.size());
    const bool Whole = SelStart() == 0 && SelLength() == Len;
    if (SelStart() < Len && !Whole) return false;
    if (FDataLink->ReadOnly()) {
        MessageBeep();
        return false;
    }
    Key = 0;
    String T = Whole ? String() : Current;
    Word Year, Month, Day, Hour, Min, Sec, MSec;
    const TDateTime Clock = Now();
    DecodeDate(Clock, Year, Month, Day);
    DecodeTime(Clock, Hour, Min, Sec, MSec);
    if (IsEditBlocked()) return true;
    FDataLink->Edit();

    const TFormatSettings& FS = FormatSettings;
    const Char DateSep = FS.DateSeparator, TimeSep = FS.TimeSeparator;
    auto ShowText = [&](const String& S) {
        SetText(S);
        SetSelStart(static_cast<int>(S.size()));
        SetSelLength(0);
    };
    const bool DateComplete = daCountChar(T, DateSep) >= 2 && !EndsWithChar(T, DateSep);
    const bool TimeComplete = daCountChar(T, TimeSep) >= 2 && !EndsWithChar(T, TimeSep);
    bool HasMarker;
    if (FS.TimeAMString.empty()) {
        HasMarker = TimeComplete;
    } else {
        const String Upper = AnsiUpperCase(T);
        HasMarker = Upper.find(AnsiUpperCase(FS.TimeAMString.substr(0, 1))) != String::npos ||
                    (!FS.TimePMString.empty() &&
                     Upper.find(AnsiUpperCase(FS.TimePMString.substr(0, 1))) != String::npos);
    }

    int P;
    if (IsTimeEdit()) {
        P = daGetTimePartAt(SelStart(), T);
    } else if (Whole) {
        switch (daGetDateOrder(FS.ShortDateFormat)) {
        case doDMY:
            P = dtpDay;
            break;
        case doYMD:
            P = dtpYear;
            break;
        default:
            P = dtpMonth;
            break;
        }
    } else if (!DateComplete && !EndsWithChar(T, DateSep)) {
        ShowText(T + DateSep);
        return true;
    } else {
        P = daGetDateTimePartAt(SelStart(), T, false);
    }
    if ((DateComplete || IsTimeEdit()) && P < dtpHour) P = dtpHour;

    const String LowerFormat = LowerCase(FS.ShortDateFormat);
    if (P <= dtpYear) {
        if (P == dtpDay)
            T += LowerFormat.find(u"dd") != String::npos ? TwoDigits(Day) : IntToStr(Day);
        else if (P == dtpMonth)
            T += LowerFormat.find(u"mm") != String::npos ? TwoDigits(Month) : IntToStr(Month);
        else
            T += FS.ShortDateFormat.find(u"yyyy") != String::npos ? IntToStr(Year) : TwoDigits(Year % 100);
        if (!T.empty() && !EndsWithChar(T, DateSep) && daCountChar(T, DateSep) < 2) T += DateSep;
    } else if (!IsDateEdit() && !HasMarker) {
        if (P == dtpSecond && TimeComplete) P = dtpAmPm;
        if (P == dtpHour && IsDateTimeEdit() && !IsTimeEdit() && !EndsWithChar(T, u' ')) {
            ShowText(T + u" ");
            return true;
        }
        if (P == dtpMinute && !EndsWithChar(T, TimeSep)) {
            ShowText(T + TimeSep);
            return true;
        }
        switch (P) {
        case dtpHour: {
            int H = Hour;
            if (!FS.TimeAMString.empty()) {
                H %= 12;
                if (H == 0) H = 12;
            }
            T += IntToStr(H) + TimeSep;
            break;
        }
        case dtpMinute:
            T += TwoDigits(Min) + TimeSep;
            break;
        case dtpSecond:
            T += TwoDigits(Sec);
            break;
        case dtpAmPm:
            if (!EndsWithChar(T, u' ')) T += u' ';
            T += Hour < 12 ? u"AM" : u"PM";
            break;
        default:
            break;
        }
    }
    ShowText(T);
    WriteModified(true);
    return true;
}

void RegisterDataAwareEditClasses() {
    RegisterClass(TdaDBEdit::StaticClass());
    RegisterClass(TdaNavButton::StaticClass());
    RegisterClass(TdaDBNavigator::StaticClass());
    RegisterClass(TdaKeyCombo::StaticClass());
    RegisterClass(TdaIncrementalSearch::StaticClass());
}
