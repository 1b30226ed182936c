// Tab controls and page controls: a tab bar of our own, drawn in the classic look.
#include "platform/gui/ComCtrls.h"

#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/Menus.h"

#include <algorithm>

namespace {

// Room at the start and end of a row for the selected tab, which is drawn larger.
constexpr int RowMargin = 2;
// Padding left and right of a caption inside its tab.
constexpr int TabPadding = 6;
// The gap between an image and the caption.
constexpr int ImageGap = 3;
// Space between buttons (tsButtons, tsFlatButtons) and between their rows and the pages.
constexpr int ButtonGap = 3;
// The inset of the display area within the tab frame.
constexpr int FrameInset = 4;
// One scroll arrow of a row that does not fit.
constexpr int ArrowSize = 16;

void FillRect(TCanvas* C, const TRect& R, TColor Colour) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Colour);
    C->FillRect(R);
}

// A one-pixel line from (X1, Y1) to (X2, Y2) inclusive, horizontal or vertical.
void Line(TCanvas* C, int X1, int Y1, int X2, int Y2, TColor Colour) {
    FillRect(C, Rect(std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2) + 1, std::max(Y1, Y2) + 1), Colour);
}

} // namespace

// ---- TCustomTabControl ------------------------------------------------------------------------------

TCustomTabControl::TCustomTabControl(TComponent* AOwner)
    : TCustomControl(AOwner), FImageChangeLink(std::make_unique<TChangeLink>()) {
    FImageChangeLink->OnChange = [this](TObject*) { Changed(); };
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
    SetColor(clBtnFace);
}

TCustomTabControl::~TCustomTabControl() {
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
}

void TCustomTabControl::Published(TPublisher<TCustomTabControl>& P) {
    (void)P; // the descendants publish what they show
}

void TCustomTabControl::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink.get());
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink.get());
        FImages->FreeNotification(this);
    }
    Changed();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TCustomTabControl::SetHotTrack(bool Value) {
    if (FHotTrack == Value) return;
    FHotTrack = Value;
    Invalidate();
}

void TCustomTabControl::SetMultiLine(bool Value) {
    if (FMultiLine == Value) return;
    FMultiLine = Value;
    FFirstTab = 0;
    Changed();
}

void TCustomTabControl::SetRaggedRight(bool Value) {
    if (FRaggedRight == Value) return;
    FRaggedRight = Value;
    Changed();
}

void TCustomTabControl::SetOwnerDraw(bool Value) {
    if (FOwnerDraw == Value) return;
    FOwnerDraw = Value;
    Invalidate();
}

void TCustomTabControl::SetTabPosition(TTabPosition Value) {
    if (FTabPosition == Value) return;
    FTabPosition = Value;
    FFirstTab = 0;
    Changed();
}

void TCustomTabControl::SetStyle(TTabStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Changed();
}

void TCustomTabControl::SetTabHeight(int Value) {
    Value = std::max(Value, 0);
    if (FTabHeight == Value) return;
    FTabHeight = Value;
    Changed();
}

void TCustomTabControl::SetTabWidth(int Value) {
    Value = std::max(Value, 0);
    if (FTabWidth == Value) return;
    FTabWidth = Value;
    Changed();
}

void TCustomTabControl::Changed() {
    FLayoutValid = false;
    Realign();
    Invalidate();
}

void TCustomTabControl::TabsChanged() {
    Changed();
}

int TCustomTabControl::GetImageIndex(int TabIndex) {
    int Index = TabIndex;
    if (OnGetImageIndex) OnGetImageIndex(this, TabIndex, Index);
    return Index;
}

void TCustomTabControl::SetTabIndexValue(int Index) {
    if (Index < -1 || Index >= GetTabCount()) Index = -1;
    if (FTabIndex == Index) return;
    FTabIndex = Index;
    MakeTabVisible(Index);
    Changed();
}

void TCustomTabControl::SetTabIndex(int Index) {
    SetTabIndexValue(Index);
}

bool TCustomTabControl::SelectTab(int Index) {
    if (Index < 0 || Index >= GetTabCount() || Index == FTabIndex) return false;
    if (!CanChange()) return false;
    SetTabIndexValue(Index);
    Change();
    return true;
}

bool TCustomTabControl::CanChange() {
    bool Allow = true;
    if (OnChanging) OnChanging(this, Allow);
    return Allow;
}

void TCustomTabControl::Change() {
    if (OnChange) OnChange(this);
}

void TCustomTabControl::DrawTab(int TabIndex, const TRect& Rect, bool Active) {
    if (OnDrawTab) OnDrawTab(this, TabIndex, Rect, Active);
}

// -- Layout --

TSize TCustomTabControl::MeasureText(const String& Text) {
    try {
        TFontEngine* E = Font()->Engine();
        std::lock_guard<std::recursive_mutex> Guard(E->Lock);
        return {E->TextWidth(Text.data(), int(Text.size())), E->Metric.tmHeight};
    } catch (const Exception&) {
        // No fonts without the GUI application: an estimate keeps the model usable.
        return {int(Text.size()) * 7, 13};
    }
}

void TCustomTabControl::Layout() {
    if (FLayoutValid) return;
    FLayoutValid = true;
    const int Count = GetTabCount();
    FPlaces.assign(static_cast<std::size_t>(Count), TTabPlace{});
    const int ImgW = FImages ? FImages->Width() : 0, ImgH = FImages ? FImages->Height() : 0;
    FRowSize = FTabHeight > 0 ? FTabHeight : std::max(MeasureText(u"Wg").cy, ImgH) + 6;
    const int Gap = FStyle == tsTabs ? 0 : ButtonGap;
    const int Total = Horizontal() ? Width() : Height();
    const int Available = std::max(Total - 2 * RowMargin, 0);
    for (int I = 0; I < Count; ++I) {
        TTabPlace& P = FPlaces[static_cast<std::size_t>(I)];
        if (FTabWidth > 0) {
            P.Length = FTabWidth;
        } else {
            P.Length = MeasureText(StripHotkey(GetTabCaption(I))).cx + 2 * TabPadding;
            if (FImages && GetImageIndex(I) >= 0) P.Length += ImgW + ImageGap;
        }
    }
    FScrolling = false;
    if (Wraps()) {
        FFirstTab = 0;
        int Row = 0, Pos = 0;
        bool RowEmpty = true;
        for (TTabPlace& P : FPlaces) {
            if (!RowEmpty && Pos + P.Length > Available) {
                ++Row;
                Pos = 0;
            }
            P.Row = Row;
            P.Offset = Pos;
            Pos += P.Length + Gap;
            RowEmpty = false;
        }
        FRows = Row + 1;
        // Stretched rows fill the width, the extra pixels shared out among their tabs.
        if (!FRaggedRight && FRows > 1) {
            for (int R = 0; R < FRows; ++R) {
                std::vector<TTabPlace*> InRow;
                int Used = 0;
                for (TTabPlace& P : FPlaces)
                    if (P.Row == R) {
                        InRow.push_back(&P);
                        Used += P.Length;
                    }
                if (InRow.empty()) continue;
                Used += Gap * int(InRow.size() - 1);
                const int Extra = Available - Used;
                if (Extra <= 0) continue;
                int Pos2 = 0;
                const int N = int(InRow.size());
                for (int K = 0; K < N; ++K) {
                    InRow[K]->Offset = Pos2;
                    InRow[K]->Length += Extra / N + (K >= N - Extra % N ? 1 : 0);
                    Pos2 += InRow[K]->Length + Gap;
                }
            }
        }
    } else {
        FRows = 1;
        int Sum = 0;
        for (const TTabPlace& P : FPlaces)
            Sum += P.Length + Gap;
        FScrolling = Count > 1 && Sum - Gap > Available;
        if (!FScrolling) FFirstTab = 0;
        FFirstTab = std::clamp(FFirstTab, 0, std::max(Count - 1, 0));
        int Pos = 0;
        const int Visible = Available - (FScrolling ? 2 * ArrowSize : 0);
        for (int I = 0; I < Count; ++I) {
            TTabPlace& P = FPlaces[static_cast<std::size_t>(I)];
            if (I < FFirstTab) {
                P.Shown = false;
                continue;
            }
            P.Offset = Pos;
            P.Shown = Pos < Visible;
            Pos += P.Length + Gap;
        }
    }
    const int Pitch = FRowSize + Gap;
    FStripSize = FRows * Pitch + (FStyle == tsTabs ? 2 : 0);
}

int TCustomTabControl::RowCount() {
    Layout();
    return FRows;
}

// Row 0 of the display lies next to the pages: the row of the selected tab goes there and
// the others keep their cyclic order behind it.
int TCustomTabControl::DisplayRow(int Row) const {
    if (FRows <= 1) return 0;
    int Selected = 0;
    if (FTabIndex >= 0 && FTabIndex < int(FPlaces.size())) Selected = FPlaces[std::size_t(FTabIndex)].Row;
    return (Row - Selected + FRows) % FRows;
}

TRect TCustomTabControl::BodyRect() {
    Layout();
    const int W = Width(), H = Height();
    switch (FTabPosition) {
    case tpTop:
        return Rect(0, FStripSize, W, H);
    case tpBottom:
        return Rect(0, 0, W, H - FStripSize);
    case tpLeft:
        return Rect(FStripSize, 0, W, H);
    case tpRight:
        return Rect(0, 0, W - FStripSize, H);
    }
    return ClientRect();
}

TRect TCustomTabControl::DisplayRect() {
    TRect R = BodyRect();
    if (FStyle == tsTabs) InflateRect(R, -FrameInset, -FrameInset);
    if (R.Right < R.Left) R.Right = R.Left;
    if (R.Bottom < R.Top) R.Bottom = R.Top;
    return R;
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) {
    Rect = DisplayRect();
}

TRect TCustomTabControl::PlaceRect(const TTabPlace& Place) {
    const int Gap = FStyle == tsTabs ? 0 : ButtonGap;
    const int Pitch = FRowSize + Gap;
    const int P = DisplayRow(Place.Row);
    const int Along = RowMargin + Place.Offset;
    const int W = Width(), H = Height();
    switch (FTabPosition) {
    case tpTop: {
        const int Top = FStripSize - (P + 1) * Pitch;
        return Rect(Along, Top, Along + Place.Length, Top + FRowSize);
    }
    case tpBottom: {
        const int Top = H - FStripSize + Gap + P * Pitch;
        return Rect(Along, Top, Along + Place.Length, Top + FRowSize);
    }
    case tpLeft: {
        const int Left = FStripSize - (P + 1) * Pitch;
        return Rect(Left, Along, Left + FRowSize, Along + Place.Length);
    }
    case tpRight: {
        const int Left = W - FStripSize + Gap + P * Pitch;
        return Rect(Left, Along, Left + FRowSize, Along + Place.Length);
    }
    }
    return {};
}

TRect TCustomTabControl::TabRect(int Index) {
    Layout();
    if (Index < 0 || Index >= int(FPlaces.size())) return {};
    const TTabPlace& P = FPlaces[std::size_t(Index)];
    if (!P.Shown) return {};
    return PlaceRect(P);
}

// The rectangle a tab is drawn in: the selected tab of the tab style stands out by 2 pixels
// and covers the frame's edge.
TRect TCustomTabControl::ActiveRect(int Index) {
    TRect R = TabRect(Index);
    if (Index != FTabIndex || FStyle != tsTabs || R.IsEmpty()) return R;
    switch (FTabPosition) {
    case tpTop:
        return Rect(R.Left - 2, R.Top - 2, R.Right + 2, R.Bottom + 1);
    case tpBottom:
        return Rect(R.Left - 2, R.Top - 1, R.Right + 2, R.Bottom + 2);
    case tpLeft:
        return Rect(R.Left - 2, R.Top - 2, R.Right + 1, R.Bottom + 2);
    case tpRight:
        return Rect(R.Left - 1, R.Top - 2, R.Right + 2, R.Bottom + 2);
    }
    return R;
}

TRect TCustomTabControl::ScrollButtonRect(bool Forward) {
    Layout();
    if (!FScrolling) return {};
    const int Left = Width() - (Forward ? 1 : 2) * ArrowSize;
    const TRect Row = PlaceRect(TTabPlace{0, 0, 1, true});
    return Rect(Left, Row.Top, Left + ArrowSize, std::min(Row.Top + ArrowSize, Row.Bottom));
}

int TCustomTabControl::IndexOfTabAt(int X, int Y) {
    Layout();
    const TPoint P{X, Y};
    if (FScrolling && P.X >= Width() - 2 * ArrowSize) return -1;
    if (FTabIndex >= 0 && PtInRect(ActiveRect(FTabIndex), P)) return FTabIndex;
    for (int I = 0; I < int(FPlaces.size()); ++I)
        if (PtInRect(TabRect(I), P)) return I;
    return -1;
}

void TCustomTabControl::ScrollTabs(int Delta) {
    const int Count = GetTabCount();
    const int New = std::clamp(FFirstTab + Delta, 0, std::max(Count - 1, 0));
    if (New == FFirstTab) return;
    FFirstTab = New;
    FLayoutValid = false;
    Invalidate();
}

void TCustomTabControl::MakeTabVisible(int Index) {
    if (Wraps() || Index < 0) return;
    Layout();
    if (!FScrolling) return;
    if (Index < FFirstTab) {
        FFirstTab = Index;
        FLayoutValid = false;
        return;
    }
    // Scroll forward until the tab's end is in view.
    const int Visible = Width() - 2 * RowMargin - 2 * ArrowSize;
    while (FFirstTab < Index) {
        const TTabPlace& P = FPlaces[std::size_t(Index)];
        if (P.Shown && P.Offset + P.Length <= Visible) break;
        ++FFirstTab;
        FLayoutValid = false;
        Layout();
    }
}

void TCustomTabControl::InvalidateTab(int Index) {
    if (Index < 0 || !HandleAllocated()) return;
    TRect R = ActiveRect(Index);
    InflateRect(R, 2, 2);
    InvalidateRect(WindowHandle(), &R, false);
}

// -- Painting --

TRect TCustomTabControl::InsideRect(int, const TRect& R, bool) {
    if (FStyle != tsTabs) {
        TRect I = R;
        InflateRect(I, -2, -2);
        return I;
    }
    switch (FTabPosition) {
    case tpTop:
        return Rect(R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom);
    case tpBottom:
        return Rect(R.Left + 2, R.Top, R.Right - 2, R.Bottom - 2);
    case tpLeft:
        return Rect(R.Left + 2, R.Top + 2, R.Right, R.Bottom - 2);
    case tpRight:
        return Rect(R.Left, R.Top + 2, R.Right - 2, R.Bottom - 2);
    }
    return R;
}

void TCustomTabControl::DrawTabFrame(const TRect& R, bool Active, bool Highlighted) {
    TCanvas* C = Canvas();
    const TColor Face = Highlighted ? clHighlight : Color();
    if (FStyle == tsButtons) {
        TRect B = R;
        DrawFrameControl(C, B, DFC_BUTTON, DFCS_BUTTONPUSH | (Active ? DFCS_PUSHED : 0));
        if (Highlighted) {
            InflateRect(B, -2, -2);
            FillRect(C, B, Face);
        }
        return;
    }
    if (FStyle == tsFlatButtons) {
        FillRect(C, R, Face);
        if (Active) {
            TRect B = R;
            DrawEdge(C, B, BDR_SUNKENOUTER, BF_RECT);
        }
        return;
    }
    const int L = R.Left, T = R.Top, Rt = R.Right - 1, B = R.Bottom - 1;
    switch (FTabPosition) {
    case tpTop:
        FillRect(C, Rect(L + 1, T + 1, Rt - 1, B + 1), Face);
        Line(C, L, T + 2, L, B, clBtnHighlight);
        Line(C, L + 1, T + 1, L + 1, T + 1, clBtnHighlight);
        Line(C, L + 2, T, Rt - 2, T, clBtnHighlight);
        Line(C, Rt - 1, T + 2, Rt - 1, B, clBtnShadow);
        Line(C, Rt, T + 2, Rt, B, cl3DDkShadow);
        Line(C, Rt - 1, T + 1, Rt - 1, T + 1, cl3DDkShadow);
        break;
    case tpBottom:
        FillRect(C, Rect(L + 1, T, Rt - 1, B), Face);
        Line(C, L, T, L, B - 2, clBtnHighlight);
        Line(C, L + 1, B - 1, L + 1, B - 1, cl3DDkShadow);
        Line(C, L + 2, B, Rt - 2, B, cl3DDkShadow);
        Line(C, L + 2, B - 1, Rt - 2, B - 1, clBtnShadow);
        Line(C, Rt - 1, T, Rt - 1, B - 2, clBtnShadow);
        Line(C, Rt, T, Rt, B - 2, cl3DDkShadow);
        Line(C, Rt - 1, B - 1, Rt - 1, B - 1, cl3DDkShadow);
        break;
    case tpLeft:
        FillRect(C, Rect(L + 1, T + 1, Rt + 1, B - 1), Face);
        Line(C, L + 2, T, Rt, T, clBtnHighlight);
        Line(C, L + 1, T + 1, L + 1, T + 1, clBtnHighlight);
        Line(C, L, T + 2, L, B - 2, clBtnHighlight);
        Line(C, L + 2, B - 1, Rt, B - 1, clBtnShadow);
        Line(C, L + 2, B, Rt, B, cl3DDkShadow);
        Line(C, L + 1, B - 1, L + 1, B - 1, cl3DDkShadow);
        break;
    case tpRight:
        FillRect(C, Rect(L, T + 1, Rt - 1, B - 1), Face);
        Line(C, L, T, Rt - 2, T, clBtnHighlight);
        Line(C, Rt - 1, T + 1, Rt - 1, T + 1, cl3DDkShadow);
        Line(C, Rt - 1, T + 2, Rt - 1, B - 2, clBtnShadow);
        Line(C, Rt, T + 2, Rt, B - 2, cl3DDkShadow);
        Line(C, L, B - 1, Rt - 2, B - 1, clBtnShadow);
        Line(C, L, B, Rt - 2, B, cl3DDkShadow);
        Line(C, Rt - 1, B - 1, Rt - 1, B - 1, cl3DDkShadow);
        break;
    }
    (void)Active;
}

void TCustomTabControl::DrawTabContent(int Index, const TRect& Inside, bool Active) {
    TCanvas* C = Canvas();
    const String Caption = GetTabCaption(Index);
    const int Image = FImages ? GetImageIndex(Index) : -1;
    const bool HasImage = FImages && Image >= 0 && Image < FImages->Count();
    const int ImgW = HasImage ? FImages->Width() : 0, ImgH = HasImage ? FImages->Height() : 0;
    TRect R = Inside;
    if (FStyle == tsButtons && Active) OffsetRect(R, 1, 1);
    C->Font()->Assign(Font());
    if (GetTabHighlighted(Index))
        C->Font()->SetColor(clHighlightText);
    else if (!Enabled())
        C->Font()->SetColor(clGrayText);
    else if (FHotTrack && Index == FHotTab)
        C->Font()->SetColor(clHotLight);
    C->Brush()->SetStyle(bsClear);
    if (Horizontal()) {
        const TSize Text = MeasureText(StripHotkey(Caption));
        const int Total = ImgW + (HasImage && !Caption.empty() ? ImageGap : 0) + Text.cx;
        int X = R.Left + (R.Width() - Total) / 2;
        if (HasImage) {
            FImages->Draw(C, X, R.Top + (R.Height() - ImgH) / 2, Image, Enabled());
            X += ImgW + ImageGap;
        }
        TRect T = Rect(X, R.Top, std::max(X + Text.cx, R.Right), R.Bottom);
        DrawText(C, Caption, T, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    } else {
        // Turned captions: upwards on the left, downwards on the right.
        const String Text = StripHotkey(Caption);
        const TSize Size = MeasureText(Text);
        const int Total = ImgH + (HasImage && !Text.empty() ? ImageGap : 0) + Size.cx;
        const bool Up = FTabPosition == tpLeft;
        C->Font()->SetOrientation(Up ? 900 : 2700);
        if (Up) {
            const int Bottom = R.Top + (R.Height() + Total) / 2;
            if (HasImage) FImages->Draw(C, R.Left + (R.Width() - ImgW) / 2, Bottom - ImgH, Image, Enabled());
            const int TextBottom = Bottom - (HasImage ? ImgH + ImageGap : 0);
            C->TextOut(R.Left + (R.Width() - Size.cy) / 2, TextBottom, Text);
        } else {
            const int Top = R.Top + (R.Height() - Total) / 2;
            if (HasImage) FImages->Draw(C, R.Left + (R.Width() - ImgW) / 2, Top, Image, Enabled());
            const int TextTop = Top + (HasImage ? ImgH + ImageGap : 0);
            C->TextOut(R.Left + (R.Width() + Size.cy) / 2, TextTop, Text);
        }
        C->Font()->SetOrientation(0);
    }
}

void TCustomTabControl::Paint() {
    Layout();
    TCanvas* C = Canvas();
    FillRect(C, ClientRect(), Color());
    if (FStyle == tsTabs) {
        TRect Body = BodyRect();
        DrawEdge(C, Body, EDGE_RAISED, BF_RECT);
    }
    if (FScrolling) {
        TRect Strip = ClientRect();
        Strip.Right = Width() - 2 * ArrowSize;
        C->IntersectClipRect(Strip);
    }
    auto DrawOne = [&](int I) {
        const bool Active = I == FTabIndex;
        const TRect R = ActiveRect(I);
        if (R.IsEmpty()) return;
        DrawTabFrame(R, Active, GetTabHighlighted(I));
        const TRect Inside = InsideRect(I, R, Active);
        if (FOwnerDraw) {
            C->Font()->Assign(Font());
            C->Brush()->SetStyle(bsSolid);
            C->Brush()->SetColor(Color());
            DrawTab(I, Inside, Active);
        } else {
            DrawTabContent(I, Inside, Active);
        }
        if (Active && Focused()) {
            TRect F = Inside;
            InflateRect(F, -1, -1);
            C->Brush()->SetStyle(bsSolid);
            C->DrawFocusRect(F);
        }
    };
    for (int I = 0; I < int(FPlaces.size()); ++I)
        if (I != FTabIndex) DrawOne(I);
    if (FTabIndex >= 0 && FTabIndex < int(FPlaces.size())) DrawOne(FTabIndex);
    if (FScrolling) {
        C->SelectClipRect(nullptr);
        const int Count = GetTabCount();
        TRect Back = ScrollButtonRect(false), Fwd = ScrollButtonRect(true);
        DrawFrameControl(C, Back, DFC_SCROLL, DFCS_SCROLLLEFT | (FFirstTab == 0 ? DFCS_INACTIVE : 0));
        DrawFrameControl(C, Fwd, DFC_SCROLL, DFCS_SCROLLRIGHT | (FFirstTab >= Count - 1 ? DFCS_INACTIVE : 0));
    }
}

// -- Input --

void TCustomTabControl::WMLButtonDown(TWMMouse& Message) {
    const TPoint P = Message.Pos();
    if (FScrolling) {
        if (PtInRect(ScrollButtonRect(false), P)) return ScrollTabs(-1);
        if (PtInRect(ScrollButtonRect(true), P)) return ScrollTabs(1);
    }
    const int Tab = IndexOfTabAt(P.X, P.Y);
    if (Tab >= 0) {
        SelectTab(Tab);
        if (CanFocus() && !Focused() && GetParentForm(this) && GetParentForm(this)->Visible()) SetFocus();
    }
    TCustomControl::WMLButtonDown(Message);
}

void TCustomTabControl::WMLButtonDblClk(TWMMouse& Message) {
    const int Tab = IndexOfTabAt(Message.XPos(), Message.YPos());
    if (Tab >= 0) SelectTab(Tab);
    TCustomControl::WMLButtonDblClk(Message);
}

void TCustomTabControl::WMMouseMove(TWMMouse& Message) {
    const int Hot = IndexOfTabAt(Message.XPos(), Message.YPos());
    if (Hot != FHotTab) {
        if (FHotTrack) InvalidateTab(FHotTab);
        FHotTab = Hot;
        if (FHotTrack) InvalidateTab(FHotTab);
    }
    TCustomControl::WMMouseMove(Message);
}

void TCustomTabControl::CMMouseLeave(TMessage& Message) {
    if (FHotTab >= 0) {
        if (FHotTrack) InvalidateTab(FHotTab);
        FHotTab = -1;
    }
    TCustomControl::CMMouseLeave(Message);
}

void TCustomTabControl::WMSize(TWMSize& Message) {
    FLayoutValid = false;
    TCustomControl::WMSize(Message);
    Invalidate();
}

void TCustomTabControl::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS;
}

void TCustomTabControl::WMKeyDown(TWMKeyDown& Message) {
    if (DoKeyDown(Message)) return;
    const int Count = GetTabCount();
    switch (Message.CharCode()) {
    case VK_LEFT:
    case VK_UP:
        if (FTabIndex > 0) SelectTab(FTabIndex - 1);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        if (FTabIndex < Count - 1) SelectTab(FTabIndex + 1);
        break;
    case VK_HOME:
        SelectTab(0);
        break;
    case VK_END:
        SelectTab(Count - 1);
        break;
    default:
        DefaultHandler(Message);
        break;
    }
}

void TCustomTabControl::WMSetFocus(TWMSetFocus& Message) {
    TCustomControl::WMSetFocus(Message);
    InvalidateTab(FTabIndex);
}

void TCustomTabControl::WMKillFocus(TWMKillFocus& Message) {
    TCustomControl::WMKillFocus(Message);
    InvalidateTab(FTabIndex);
}

void TCustomTabControl::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    Changed();
}

void TCustomTabControl::CMEnabledChanged(TMessage& Message) {
    TCustomControl::CMEnabledChanged(Message);
    Invalidate();
}

void TCustomTabControl::CMHintShow(TCMHintShow& Message) {
    TCustomControl::CMHintShow(Message);
    THintInfo* Info = Message.HintInfo();
    if (!Info) return;
    const int Tab = IndexOfTabAt(Info->CursorPos.X, Info->CursorPos.Y);
    if (Tab < 0) return;
    const String Hint = GetTabHint(Tab);
    if (Hint.empty()) return;
    Info->HintStr = GetShortHint(Hint);
    Info->CursorRect = TabRect(Tab);
}

// ---- TTabSheet --------------------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks};
    SetVisible(false);
    SetColor(clBtnFace);
    SetParentColor(true);
}

TTabSheet::~TTabSheet() {
    if (TPageControl* P = PageControl()) P->RemovePage(this);
}

void TTabSheet::Published(TPublisher<TTabSheet>& P) {
    P.Property(u"Highlighted", &TTabSheet::Highlighted, &TTabSheet::SetHighlighted).Default(false);
    P.Property(u"ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex).Default(-1);
    P.Property(u"PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).Stored(false);
    P.Property(u"TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(true);
    P.Property(u"OnShow", &TTabSheet::OnShow);
    P.Property(u"OnHide", &TTabSheet::OnHide);
}

TPageControl* TTabSheet::PageControl() const {
    return dynamic_cast<TPageControl*>(Parent());
}

void TTabSheet::SetPageControl(TPageControl* Value) {
    SetParent(Value);
}

int TTabSheet::PageIndex() const {
    TPageControl* P = PageControl();
    if (!P) return -1;
    auto It = std::find(P->FPages.begin(), P->FPages.end(), this);
    return It == P->FPages.end() ? -1 : int(It - P->FPages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
    if (TPageControl* P = PageControl()) P->MovePage(this, Value);
}

int TTabSheet::TabIndex() const {
    TPageControl* P = PageControl();
    if (!P || !FTabVisible) return -1;
    int Index = 0;
    for (TTabSheet* S : P->FPages) {
        if (S == this) return Index;
        if (S->FTabVisible) ++Index;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
    if (FTabVisible == Value) return;
    FTabVisible = Value;
    TabChanged();
}

void TTabSheet::SetImageIndex(int Value) {
    if (FImageIndex == Value) return;
    FImageIndex = Value;
    TabChanged();
}

void TTabSheet::SetHighlighted(bool Value) {
    if (FHighlighted == Value) return;
    FHighlighted = Value;
    if (TPageControl* P = PageControl()) P->Invalidate();
}

void TTabSheet::TabChanged() {
    if (TPageControl* P = PageControl()) P->PageTabChanged(this);
}

void TTabSheet::CMTextChanged(TMessage& Message) {
    TWinControl::CMTextChanged(Message);
    TabChanged();
}

void TTabSheet::CMShowingChanged(TMessage& Message) {
    TWinControl::CMShowingChanged(Message);
    if (Showing())
        DoShow();
    else
        DoHide();
}

void TTabSheet::DoShow() {
    if (OnShow) OnShow(this);
}

void TTabSheet::DoHide() {
    if (OnHide) OnHide(this);
}

// ---- TPageControl -----------------------------------------------------------------------------------

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl() {
    FActivePage = nullptr;
    FPages.clear();
}

void TPageControl::Published(TPublisher<TPageControl>& P) {
    P.Property(u"ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    P.Property(u"HotTrack", &TPageControl::HotTrack, &TPageControl::SetHotTrack).Default(false);
    P.Property(u"Images", &TPageControl::Images, &TPageControl::SetImages);
    P.Property(u"MultiLine", &TPageControl::MultiLine, &TPageControl::SetMultiLine).Default(false);
    P.Property(u"OwnerDraw", &TPageControl::OwnerDraw, &TPageControl::SetOwnerDraw).Default(false);
    P.Property(u"RaggedRight", &TPageControl::RaggedRight, &TPageControl::SetRaggedRight).Default(false);
    P.Property(u"Style", &TPageControl::Style, &TPageControl::SetStyle).Default(tsTabs);
    P.Property(u"TabHeight", &TPageControl::TabHeight, &TPageControl::SetTabHeight).Default(0);
    P.Property(u"TabPosition", &TPageControl::TabPosition, &TPageControl::SetTabPosition).Default(tpTop);
    P.Property(u"TabWidth", &TPageControl::TabWidth, &TPageControl::SetTabWidth).Default(0);
    P.Property(u"OnChange", &TPageControl::OnChange);
    P.Property(u"OnChanging", &TPageControl::OnChanging);
    P.Property(u"OnDrawTab", &TPageControl::OnDrawTab);
    P.Property(u"OnGetImageIndex", &TPageControl::OnGetImageIndex);
}

TTabSheet* TPageControl::Pages(int Index) const {
    if (Index < 0 || Index >= PageCount())
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FPages[std::size_t(Index)];
}

TTabSheet* TPageControl::PageOfTab(int TabIndex) const {
    if (TabIndex < 0) return nullptr;
    int Index = 0;
    for (TTabSheet* S : FPages) {
        if (!S->TabVisible()) continue;
        if (Index == TabIndex) return S;
        ++Index;
    }
    return nullptr;
}

int TPageControl::GetTabCount() const {
    return int(std::count_if(FPages.begin(), FPages.end(), [](TTabSheet* S) { return S->TabVisible(); }));
}

String TPageControl::GetTabCaption(int Index) const {
    TTabSheet* S = PageOfTab(Index);
    return S ? S->Caption() : String();
}

bool TPageControl::GetTabHighlighted(int Index) const {
    TTabSheet* S = PageOfTab(Index);
    return S && S->Highlighted();
}

String TPageControl::GetTabHint(int Index) const {
    TTabSheet* S = PageOfTab(Index);
    return S ? S->Hint() : String();
}

int TPageControl::GetImageIndex(int TabIndex) {
    TTabSheet* S = PageOfTab(TabIndex);
    int Index = S ? S->ImageIndex() : -1;
    if (OnGetImageIndex) OnGetImageIndex(this, TabIndex, Index);
    return Index;
}

void TPageControl::SetTabIndexValue(int Index) {
    SetActivePage(PageOfTab(Index));
}

int TPageControl::ActivePageIndex() const {
    return FActivePage ? FActivePage->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int Value) {
    SetActivePage(Value >= 0 && Value < PageCount() ? FPages[std::size_t(Value)] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->PageControl() != this) return;
    if (Page == FActivePage) {
        TCustomTabControl::SetTabIndexValue(Page ? Page->TabIndex() : -1);
        return;
    }
    // The focus leaves a page that goes out of sight for the page control.
    TCustomForm* Form = GetParentForm(this);
    TWinControl* Focus = Form ? Form->ActiveControl() : nullptr;
    if (FActivePage && Focus && FActivePage->ContainsControl(Focus) && CanFocus() && Form->Visible()) SetFocus();
    TTabSheet* Old = FActivePage;
    FActivePage = Page;
    if (Page) {
        Page->SetBoundsRect(DisplayRect());
        Page->BringToFront();
        Page->SetVisible(true);
    }
    if (Old) Old->SetVisible(false);
    TCustomTabControl::SetTabIndexValue(Page ? Page->TabIndex() : -1);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const {
    const int Count = PageCount();
    if (Count == 0) return nullptr;
    auto It = std::find(FPages.begin(), FPages.end(), CurPage);
    int Start = It == FPages.end() ? (GoForward ? Count - 1 : 0) : int(It - FPages.begin());
    for (int Step = 1; Step <= Count; ++Step) {
        const int I = GoForward ? (Start + Step) % Count : (Start - Step + Count) % Count;
        TTabSheet* P = FPages[std::size_t(I)];
        if (!CheckTabVisible || P->TabVisible()) return P;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
    TTabSheet* Page = FindNextPage(FActivePage, GoForward, CheckTabVisible);
    if (!Page || Page == FActivePage || !CanChange()) return;
    SetActivePage(Page);
    Change();
}

void TPageControl::InsertPage(TTabSheet* Page) {
    if (std::find(FPages.begin(), FPages.end(), Page) != FPages.end()) return;
    FPages.push_back(Page);
    if (!FActivePage && Page->TabVisible()) {
        SetActivePage(Page);
    } else {
        Page->SetVisible(false);
        TCustomTabControl::SetTabIndexValue(FActivePage ? FActivePage->TabIndex() : -1);
    }
    TabsChanged();
}

void TPageControl::RemovePage(TTabSheet* Page) {
    auto It = std::find(FPages.begin(), FPages.end(), Page);
    if (It == FPages.end()) return;
    const bool Closing = ComponentState().Contains(csDestroying);
    TTabSheet* Next = nullptr;
    if (Page == FActivePage && !Closing) {
        Next = FindNextPage(Page, true, true);
        if (Next == Page) Next = nullptr;
    }
    FPages.erase(It);
    if (Page == FActivePage) {
        FActivePage = nullptr;
        if (Next)
            SetActivePage(Next);
        else
            TCustomTabControl::SetTabIndexValue(-1);
    } else {
        TCustomTabControl::SetTabIndexValue(FActivePage ? FActivePage->TabIndex() : -1);
    }
    if (!Closing) TabsChanged();
}

void TPageControl::MovePage(TTabSheet* Page, int NewIndex) {
    auto It = std::find(FPages.begin(), FPages.end(), Page);
    if (It == FPages.end()) return;
    NewIndex = std::clamp(NewIndex, 0, PageCount() - 1);
    if (int(It - FPages.begin()) == NewIndex) return;
    FPages.erase(It);
    FPages.insert(FPages.begin() + NewIndex, Page);
    PageTabChanged(Page);
}

void TPageControl::PageTabChanged(TTabSheet* Page) {
    // The active page lost its tab: the next page with a tab takes over.
    if (Page == FActivePage && !Page->TabVisible()) {
        TTabSheet* Next = FindNextPage(Page, true, true);
        SetActivePage(Next == Page ? nullptr : Next);
    }
    if (!FActivePage) {
        if (TTabSheet* First = FindNextPage(nullptr, true, true); First && First == Page) SetActivePage(First);
    }
    TCustomTabControl::SetTabIndexValue(FActivePage ? FActivePage->TabIndex() : -1);
    TabsChanged();
}

void TPageControl::AlignControls(TControl* AControl, TRect& Rect) {
    const TRect Display = DisplayRect();
    for (TTabSheet* S : FPages)
        S->SetBoundsRect(Display);
    TCustomTabControl::AlignControls(AControl, Rect);
}

void TPageControl::CMControlChange(TCMControlChange& Message) {
    TCustomTabControl::CMControlChange(Message);
    auto* Page = dynamic_cast<TTabSheet*>(Message.Control());
    if (!Page) return;
    if (Message.Inserting())
        InsertPage(Page);
    else
        RemovePage(Page);
}

void TPageControl::CMDialogKey(TCMDialogKey& Message) {
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages while the focus is here or on a page.
    if (Message.CharCode() == VK_TAB && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        TWinControl* Focus = FindControl(GetFocus());
        if (Focus && ContainsControl(Focus)) {
            SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
            Message.Result = 1;
            return;
        }
    }
    TCustomTabControl::CMDialogKey(Message);
}
