#include "editor/HotKey.h"

#include "platform/gui/Messages.h"

namespace {

const TShiftState ModifierKeys{ssShift, ssCtrl, ssAlt};

THKInvalidKey CombinationOf(TShiftState Shift) {
    const bool S = Shift.Contains(ssShift), C = Shift.Contains(ssCtrl), A = Shift.Contains(ssAlt);
    if (S && C && A) return hcShiftCtrlAlt;
    if (C && A) return hcCtrlAlt;
    if (S && A) return hcShiftAlt;
    if (S && C) return hcShiftCtrl;
    if (A) return hcAlt;
    if (C) return hcCtrl;
    if (S) return hcShift;
    return hcNone;
}

} // namespace

String HotKeyText(Word Key, TShiftState Shift) {
    String Result;
    if (Shift.Contains(ssCtrl)) Result += u"Ctrl+";
    if (Shift.Contains(ssShift)) Result += u"Shift+";
    if (Shift.Contains(ssAlt)) Result += u"Alt+";
    if (Key != 0) Result += ShortCutToText(ShortCut(Key, {}));
    return Result.empty() ? String(u"(None)") : Result;
}

TCodeHotKey::TCodeHotKey(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(Left(), Top(), 121, 25);
    SetColor(clWindow);
    SetTabStop(true);
    SetHotKey(ShortCut(Word('A'), {}));
}

void TCodeHotKey::Published(TPublisher<TCodeHotKey>& P) {
    P.Property(u"BorderStyle", &TCodeHotKey::BorderStyle, &TCodeHotKey::SetBorderStyle)
        .Default(Controls::bsSingle);
    P.Property(u"HotKey", &TCodeHotKey::HotKey, &TCodeHotKey::SetHotKey);
    P.Property(u"InvalidKeys", &TCodeHotKey::InvalidKeys, &TCodeHotKey::SetInvalidKeys)
        .Default(THKInvalidKeys{hcNone, hcShift});
    P.Property(u"Modifiers", &TCodeHotKey::Modifiers, &TCodeHotKey::SetModifiers)
        .Default(THKModifiers{hkAlt});
}

TShiftState TCodeHotKey::Checked(TShiftState Shift) const {
    Shift = Shift * ModifierKeys;
    if (!FInvalidKeys.Contains(CombinationOf(Shift))) return Shift;
    TShiftState Result;
    if (FModifiers.Contains(hkShift)) Result.Include(ssShift);
    if (FModifiers.Contains(hkCtrl)) Result.Include(ssCtrl);
    if (FModifiers.Contains(hkAlt)) Result.Include(ssAlt);
    return Result;
}

void TCodeHotKey::ShowText(const String& Value) {
    if (Text() == Value) return;
    SetText(Value);
    Invalidate();
    if (Focused()) PlaceCaret();
}

void TCodeHotKey::PlaceCaret() {
    SetCaretPos(Canvas()->TextWidth(Text()) + BorderWidth() + 1, BorderWidth() + 1);
}

void TCodeHotKey::SetHotKey(TShortCut Value) {
    Word Key;
    TShiftState Shift;
    ShortCutToKey(Value, Key, Shift);
    Shift = Checked(Shift);
    FHotKey = ShortCut(Key, Shift);
    ShowText(HotKeyText(Key, Shift));
}

void TCodeHotKey::SetInvalidKeys(const THKInvalidKeys& Value) {
    FInvalidKeys = Value;
    SetHotKey(FHotKey);
}

void TCodeHotKey::SetModifiers(const THKModifiers& Value) {
    FModifiers = Value;
    SetHotKey(FHotKey);
}

void TCodeHotKey::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    if (HandleAllocated()) RecreateWnd();
    Invalidate();
}

void TCodeHotKey::KeyDown(Word& Key, TShiftState Shift) {
    FPressedOnlyModifiers = (Key == VK_SHIFT && Shift.Contains(ssShift)) ||
                            (Key == VK_CONTROL && Shift.Contains(ssCtrl)) ||
                            (Key == VK_MENU && Shift.Contains(ssAlt));
    Shift = Checked(Shift);
    if (FPressedOnlyModifiers) {
        FHotKey = 0;
        ShowText(HotKeyText(0, Shift));
    } else {
        FHotKey = ShortCut(Key, Shift);
        ShowText(HotKeyText(Key, Shift));
    }
    TCustomControl::KeyDown(Key, Shift);
}

void TCodeHotKey::KeyUp(Word& Key, TShiftState Shift) {
    if (FPressedOnlyModifiers) ShowText(u"(None)");
    TCustomControl::KeyUp(Key, Shift);
}

void TCodeHotKey::DoExit() {
    if (FPressedOnlyModifiers) ShowText(u"(None)");
    TCustomControl::DoExit();
}

void TCodeHotKey::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (CanFocus()) SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCodeHotKey::Paint() {
    TRect R = ClientRect();
    if (FBorderStyle == Controls::bsSingle) DrawEdge(Canvas(), R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(R);
    Canvas()->Font()->Assign(Font());
    Canvas()->TextOut(BorderWidth() + 1, BorderWidth() + 1, Text());
}

void TCodeHotKey::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB;
        return;
    case WM_SETFOCUS:
        TCustomControl::WndProc(Message);
        CreateCaret(Handle(), 1, Canvas()->TextHeight(u"Ag") + 2);
        PlaceCaret();
        ShowCaret(Handle());
        return;
    case WM_KILLFOCUS:
        DestroyCaret();
        TCustomControl::WndProc(Message);
        return;
    default:
        TCustomControl::WndProc(Message);
    }
}
