#include "dataaware/foundation/daDrawUtils.h"

#include "dataaware/foundation/daByName.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/StdCtrls.h"

#include <algorithm>
#include <cstdlib>

// ---- Painting ---------------------------------------------------------------------------------

bool daTextFillsRect(TCanvas* Canvas, const TRect& Rect, Cardinal Flags) {
    TRect R(0, 0, daRectWidth(Rect), 0);
    DrawText(Canvas, u" ", R, Flags | DT_CALCRECT);
    return R.Bottom - R.Top + 2 * GetSystemMetrics(SM_CYBORDER) + 3 >= daRectHeight(Rect);
}

void daDrawCellText(TCanvas* Canvas, const TRect& ARect, int LeftMargin, int Flags, TAlignment Alignment,
                    const String& Text, int TopMargin) {
    const int W = daRectWidth(ARect), H = daRectHeight(ARect);
    TRect T;
    switch (Alignment) {
    case taRightJustify: T = TRect(LeftMargin, TopMargin, W - 2, H - 1); break;
    case taCenter: T = TRect(LeftMargin < 4 ? 0 : 2, TopMargin, W, H - 1); break;
    default: T = TRect(LeftMargin, TopMargin, W, H - 1); break;
    }
    OffsetRect(T, ARect.Left, ARect.Top);

    const TBrushStyle OldStyle = Canvas->Brush()->Style();
    TScopeExit RestoreBrush([&] { Canvas->Brush()->SetStyle(OldStyle); });
    Canvas->Refresh();
    Canvas->Brush()->SetStyle(bsSolid);
    if (!(Flags & dctNoFill)) Canvas->FillRect(ARect);
    Canvas->Brush()->SetStyle(bsClear);

    Cardinal Format = Alignment == taRightJustify ? 0x842 : Alignment == taCenter ? 0x841 : 0x840;
    if (Flags & dctAccelerator) Format &= ~DT_NOPREFIX;
    if (Flags & dctWordBreak) Format |= DT_WORDBREAK;
    if (Flags & dctSingleLine) Format |= DT_SINGLELINE | DT_VCENTER;
    if ((Format & DT_WORDBREAK) && ((Flags & dctEllipsis) || daTextFillsRect(Canvas, T, Format)))
        Format &= ~DT_WORDBREAK;
    if (Flags & dctEllipsis) Format |= DT_END_ELLIPSIS;
    DrawText(Canvas, Text, T, Format);
}

void daMakeDropDownGlyph(TBitmap* Bitmap) {
    // Seven pixels wide, four high; the olive corner pixel names the transparent colour.
    Bitmap->SetSize(7, 4);
    TCanvas* C = Bitmap->Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clOlive);
    C->FillRect(Rect(0, 0, 7, 4));
    C->Brush()->SetColor(clBlack);
    for (int Row = 0; Row < 4; ++Row) C->FillRect(Rect(Row, Row, 7 - Row, Row + 1));
    Bitmap->SetTransparentColor(clOlive);
    Bitmap->SetTransparent(true);
}

void daDrawEllipsisButton(TCanvas* Canvas, const TRect& ARect, TButtonState State, TControlState ControlState,
                          bool Transparent, bool NoEdge) {
    TRect R = ARect;
    if (!NoEdge) {
        Cardinal Flags = BF_RECT;
        if (!Transparent) Flags |= BF_MIDDLE;
        if (State == bsDown && !ControlState.Contains(csPaintCopy)) Flags |= BF_FLAT;
        DrawEdge(Canvas, R, EDGE_RAISED, Flags);
    }
    const int Width = daRectWidth(ARect), Height = daRectHeight(ARect);
    const int W = std::max(1, (Width + 1) / 8);
    int X = ARect.Left + Width / 2, Y = ARect.Top + (Height + 1) / 2;
    if (State != bsDown) {
        --X;
        --Y;
    }
    const TBrushStyle OldStyle = Canvas->Brush()->Style();
    const TColor OldColor = Canvas->Brush()->Color();
    Canvas->Brush()->SetColor(clBlack);
    for (int Dot = -1; Dot <= 1; ++Dot) {
        const int Left = X + Dot * 2 * W - W / 2;
        Canvas->FillRect(TRect(Left, Y - W / 2, Left + W, Y - W / 2 + W));
    }
    Canvas->Brush()->SetColor(OldColor);
    Canvas->Brush()->SetStyle(OldStyle);
}

void daDrawComboButton(TCanvas* Canvas, const TRect& ARect, TButtonState State, TControlState ControlState,
                       bool Enabled) {
    TRect R = ARect;
    Cardinal Flags = DFCS_SCROLLCOMBOBOX;
    if (!Enabled)
        Flags |= DFCS_INACTIVE;
    else if (!(State == bsUp || ControlState.Contains(csPaintCopy)))
        Flags |= DFCS_PUSHED | DFCS_FLAT;
    DrawFrameControl(Canvas, R, DFC_SCROLL, Flags);
}

void daDrawThemedButton(bool Pressed, bool Hot, const TRect& ARect, TCanvas* Canvas) {
    TRect R = ARect;
    InflateRect(R, 3, 3);
    Cardinal Flags = DFCS_BUTTONPUSH;
    if (Pressed)
        Flags |= DFCS_PUSHED;
    else if (Hot)
        Flags |= DFCS_HOT;
    DrawFrameControl(Canvas, R, DFC_BUTTON, Flags);
}

void daDrawHighlightFocusRect(TCanvas* Canvas, const TRect& ARect) {
    const TBrushStyle OldStyle = Canvas->Brush()->Style();
    const TColor OldPen = Canvas->Pen()->Color();
    const TColor OldText = Canvas->Font()->Color();
    TScopeExit Restore([&] {
        Canvas->Brush()->SetStyle(OldStyle);
        Canvas->Pen()->SetColor(OldPen);
        Canvas->Font()->SetColor(OldText);
    });
    Canvas->Pen()->SetColor(clHighlight);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Rectangle(ARect);
    Canvas->Font()->SetColor(clHighlightText);
    Canvas->DrawFocusRect(ARect);
}

void daDrawDottedLine(TCanvas* Canvas, const TPoint& From, const TPoint& To) {
    const int DX = To.X - From.X, DY = To.Y - From.Y;
    const int N = std::max(std::abs(DX), std::abs(DY));
    const int Steps = std::max(1, N / 2);
    const int StepX = DX / Steps, StepY = DY / Steps;
    const TColor C = Canvas->Pen()->Color();
    TPoint P = From;
    for (int I = 0; I < N; I += 2) {
        Canvas->SetPixels(P.X, P.Y, C);
        P.X += StepX;
        P.Y += StepY;
    }
}

// ---- Theme and system version -----------------------------------------------------------------

void daPaintControlCopy(TWinControl* Control, TCanvas* Canvas, int X, int Y) {
    TControlState State = Control->ControlState();
    State.Include(csPaintCopy);
    Control->SetControlState(State);
    TScopeExit Back([&] {
        TControlState S = Control->ControlState();
        S.Exclude(csPaintCopy);
        Control->SetControlState(S);
        Control->Invalidate();
    });
    Control->Invalidate();
    Control->PaintTo(Canvas, X, Y);
}

bool daThemesActive(TControl* Control) {
    const bool Active = IsThemeActive();
    TControl* Level = Control;
    for (int Depth = 0; Depth < 3 && Level; ++Depth) {
        if (const TPropInfo* P = GetPropInfo(Level, u"DisableThemes"); P && P->Reader)
            return GetOrdProp(Level, P) ? false : Active;
        Level = Level->Parent();
    }
    return Active;
}

// The layer's windows stand for the systems with the new common controls (6.0).
bool daIsVistaOrLater() {
    return true;
}

Cardinal daGetComCtl32Version() {
    static const Cardinal Version = 0x00060000;
    return Version;
}

bool daHasThemedComCtlOf(bool VistaOrLater, Cardinal ComCtlVersion) {
    if (!VistaOrLater) return false;
    const Cardinal Major = ComCtlVersion >> 16, Minor = ComCtlVersion & 0xFFFF;
    return Major > 5 || (Major == 5 && Minor >= 82);
}

bool daHasThemedComCtl() {
    return daHasThemedComCtlOf(daIsVistaOrLater(), daGetComCtl32Version());
}

// ---- Owners, parents, windows -----------------------------------------------------------------

TCustomForm* daGetOwnerForm(TComponent* Component) {
    for (TComponent* C = Component; C; C = C->Owner())
        if (auto* F = dynamic_cast<TCustomForm*>(C)) return F;
    return nullptr;
}

TComponent* daGetOwnerFormOrFrame(TComponent* Component) {
    for (TComponent* C = Component; C; C = C->Owner()) {
        if (dynamic_cast<TCustomForm*>(C)) return C;
        if (daIsKindOf(C, u"TCustomFrame")) return C;
    }
    return nullptr;
}

void daNotifyDesignerModified(TComponent*) {}

bool daIsDesigning(TControl* Control) {
    if (!Control) return false;
    TCustomForm* Form = GetParentForm(Control, true);
    const TComponent* Subject = Form ? static_cast<TComponent*>(Form) : Control;
    return Subject->ComponentState().Contains(csDesigning);
}

void daClearClipChildren(TWinControl* Control) {
    if (!Control || !Control->HandleAllocated()) return;
    const HWND Wnd = Control->WindowHandle();
    SetWindowLong(Wnd, GWL_STYLE, GetWindowLong(Wnd, GWL_STYLE) & ~LONG_PTR(WS_CLIPCHILDREN));
}

bool daHasChildOutsideClient(TWinControl* Control) {
    if (!Control) return false;
    const TRect Client = Control->ClientRect();
    for (int I = 0; I < Control->ControlCount(); ++I) {
        auto* W = dynamic_cast<TWinControl*>(Control->Controls(I));
        if (W && W->Visible() && !Client.Contains(TPoint{W->Left(), W->Top()})) return true;
    }
    return false;
}

void daGetWorkArea(TRect& Rect) {
    Rect = Screen ? Screen->WorkAreaRect() : TRect(0, 0, 1024, 768);
}

void daSetController(TComponent*& ControllerField, TComponent* NewController, TControl* Control) {
    if (NewController && Control) NewController->FreeNotification(Control);
    if (NewController == ControllerField) return;
    TComponent* Old = ControllerField;
    ControllerField = NewController;
    // A control moved straight to another controller leaves the first one's list too; a
    // stale entry there would be styled (and dereferenced) after the control is gone.
    if (Old)
        if (auto* List = dynamic_cast<TList*>(daGetControllerList(Old))) List->Remove(Control);
    if (NewController)
        if (auto* List = dynamic_cast<TList*>(daGetControllerList(NewController))) List->Add(Control);
}

// ---- Input ------------------------------------------------------------------------------------

bool daIsEditingKey(Word Key) {
    return Key == VK_BACK || Key == VK_SPACE || Key == VK_DELETE || (Key >= 0x30 && Key <= 0x6F) || Key > 0x91;
}

int daShiftStateToKeyFlags(TShiftState Shift) {
    static const int Table[8] = {0, 1, 4, 5, 2, 3, 6, 7};
    int Bits = 0;
    if (Shift.Contains(ssShift)) Bits |= 1;
    if (Shift.Contains(ssAlt)) Bits |= 2;
    if (Shift.Contains(ssCtrl)) Bits |= 4;
    return Table[Bits];
}

void daPostKeyWithModifier(HWND Wnd, Word Key, Word Modifier) {
    Byte Saved[256], State[256];
    GetKeyboardState(Saved);
    std::copy(Saved, Saved + 256, State);
    State[Modifier & 0xFF] = 0x81;
    State[Key & 0xFF] = 0x81;
    SetKeyboardState(State);
    TScopeExit Restore([&] { SetKeyboardState(Saved); });
    PostMessage(Wnd, WM_KEYDOWN, Key, 1);
    PostMessage(Wnd, WM_KEYUP, Key, 1);
}

void daPostLButtonUp() {
    TCustomForm* Form = Screen ? Screen->ActiveForm() : nullptr;
    if (!Form || !Form->HandleAllocated()) return;
    if (Form->ControlState().Contains(csLButtonDown)) {
        PostMessage(Form->WindowHandle(), WM_LBUTTONUP, 0, 0);
        return;
    }
    std::vector<TWinControl*> Stack{Form};
    while (!Stack.empty()) {
        TWinControl* W = Stack.back();
        Stack.pop_back();
        for (int I = 0; I < W->ControlCount(); ++I) {
            auto* Child = dynamic_cast<TWinControl*>(W->Controls(I));
            if (!Child) continue;
            if (Child->HandleAllocated() && Child->ControlState().Contains(csLButtonDown)) {
                PostMessage(Child->WindowHandle(), WM_LBUTTONUP, 0, 0);
                return;
            }
            Stack.push_back(Child);
        }
    }
}

namespace {
TdaPictureCheck& PictureCheck() {
    static TdaPictureCheck Check;
    return Check;
}
} // namespace

void daSetPictureCheck(TdaPictureCheck Check) {
    PictureCheck() = std::move(Check);
}

bool daPictureMaskKeyPress(TCustomEdit* Edit, const String& Mask, bool AutoFill, Char& Key) {
    if (!Edit || !PictureCheck()) return false;
    if (!((Key >= 32 && Key <= 254) || Key > 255)) return false;
    const String Text = Edit->Text();
    const int Length = int(Text.size());
    const int SelStart = Edit->SelStart(), SelLength = Edit->SelLength();
    if (SelStart < Length - SelLength) return false;
    const bool AllSelected = SelLength > 0 && SelLength >= Length;
    const int Before = std::clamp(SelStart, 0, Length);
    const int After = std::clamp(SelStart + SelLength, Before, Length);
    String Candidate = Text.substr(0, Before) + Key + Text.substr(After);
    const int Result = PictureCheck()(Mask, Candidate, AutoFill);
    const int Growth = int(Candidate.size()) - Length;
    if (Result == 0 || Result == 1) {
        Edit->SetText(Candidate);
        int Caret;
        if (AllSelected)
            Caret = int(Candidate.size());
        else if (Result == 0)
            Caret = Growth > 0 ? SelStart + Growth : SelStart + 1;
        else
            Caret = SelLength == 0 ? SelStart + Growth : SelStart + 1;
        Edit->SetSelStart(std::clamp(Caret, 0, int(Candidate.size())));
        Edit->SetSelLength(0);
    } else if (Result == 3 && SelStart + SelLength >= Length) {
        MessageBeep();
    }
    Key = 0;
    return true;
}

void daSetTransparentStyle(TControl* Control, bool Transparent) {
    TControlStyle S = Control->ControlStyle();
    if (Transparent)
        S.Exclude(csOpaque);
    else
        S.Include(csOpaque);
    Control->SetControlStyle(S);
}
