#include "platform/gui/CheckLst.h"

#include "platform/gui/Graphics.h"

void TCheckListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    TCanvas* C = Canvas();
    const TColor Brush = C->Brush()->Color();
    C->Brush()->SetColor(Color());
    TRect Box(Rect.Left, Rect.Top, Rect.Left + BoxWidth, Rect.Bottom);
    C->FillRect(Box);
    const int Side = std::min(13, Rect.Height());
    TRect Mark(Rect.Left + 1, Rect.Top + (Rect.Height() - Side) / 2, Rect.Left + 1 + Side,
               Rect.Top + (Rect.Height() - Side) / 2 + Side);
    Cardinal Flags = DFCS_BUTTONCHECK;
    if (Index >= 0 && Index < Count() && Checked(Index)) Flags |= DFCS_CHECKED;
    if (!Enabled()) Flags |= DFCS_INACTIVE;
    DrawFrameControl(C, Mark, DFC_BUTTON, Flags);
    C->Brush()->SetColor(Brush);
    TRect Text = Rect;
    Text.Left += BoxWidth;
    TCustomListBox::DrawItem(Index, Text, State);
}

void TCheckListBox::WMLButtonDown(TWMMouse& Message) {
    const int I = ItemAtPos(Message.Pos(), true);
    TCustomListBox::WMLButtonDown(Message);
    if (I >= 0 && Message.Pos().X < ItemRect(I).Left + BoxWidth) ToggleClickCheck(I);
}

void TCheckListBox::WMChar(TWMChar& Message) {
    if (static_cast<Char>(Message.CharCode()) == u' ' && ItemIndex() >= 0 && !MultiSelect()) {
        if (DoKeyPress(Message)) return;
        ToggleClickCheck(ItemIndex());
        return;
    }
    TCustomListBox::WMChar(Message);
}

void TCheckListBox::ToggleClickCheck(int Index) {
    if (!Enabled()) return;
    SetChecked(Index, !Checked(Index));
    ClickCheck();
}

void TCheckListBox::ClickCheck() {
    if (OnClickCheck) OnClickCheck(this);
}

void RegisterCheckLstClasses() {
    RegisterClass(TCheckListBox::StaticClass());
}
