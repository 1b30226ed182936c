// Tool bars and tool buttons.
#include "platform/gui/ComCtrls.h"

#include "platform/base/Strings.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/Menus.h"

#include <algorithm>

namespace {

// The arrow part of a drop-down button.
constexpr int DropDownWidth = 14;

void Fill(TCanvas* C, const TRect& R, TColor Colour) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Colour);
    C->FillRect(R);
}

// The checked look of a button: a 50 % dither of the face and the highlight.
void Dither(TCanvas* C, const TRect& R) {
    Fill(C, R, clBtnFace);
    QPainter& P = BeginCanvasDrawing(C);
    P.save();
    P.fillRect(ToQt(R), QBrush(QtColor(clBtnHighlight), Qt::Dense4Pattern));
    P.restore();
    EndCanvasDrawing(C);
}

// A small black triangle pointing down, centred in R.
void DownArrow(TCanvas* C, const TRect& R, TColor Colour) {
    const int X = R.Left + (R.Width() - 5) / 2, Y = R.Top + (R.Height() - 3) / 2;
    for (int I = 0; I < 3; ++I)
        Fill(C, Rect(X + I, Y + I, X + 5 - I, Y + I + 1), Colour);
}

} // namespace

// ---- The tool button's action link ---------------------------------------------------------------

class TToolButtonActionLink : public TActionLink {
public:
    explicit TToolButtonActionLink(TToolButton* AClient) : TActionLink(AClient), FButton(AClient) {}

    TCustomAction* Custom() const { return dynamic_cast<TCustomAction*>(FAction); }

    bool IsCaptionLinked() const override {
        return TActionLink::IsCaptionLinked() && FButton->Caption() == Custom()->Caption();
    }
    bool IsCheckedLinked() const override {
        return TActionLink::IsCheckedLinked() && FButton->Down() == Custom()->Checked();
    }
    bool IsEnabledLinked() const override {
        return TActionLink::IsEnabledLinked() && FButton->Enabled() == Custom()->Enabled();
    }
    bool IsHintLinked() const override {
        return TActionLink::IsHintLinked() && FButton->Hint() == Custom()->Hint();
    }
    bool IsImageIndexLinked() const override {
        return TActionLink::IsImageIndexLinked() && FButton->ImageIndex() == Custom()->ImageIndex();
    }
    bool IsVisibleLinked() const override {
        return TActionLink::IsVisibleLinked() && FButton->Visible() == Custom()->Visible();
    }

    void SetCaption(const String& Value) override {
        if (IsCaptionLinked()) FButton->SetCaption(Value);
    }
    void SetChecked(bool Value) override {
        if (IsCheckedLinked()) FButton->SetDown(Value);
    }
    void SetEnabled(bool Value) override {
        if (IsEnabledLinked()) FButton->SetEnabled(Value);
    }
    void SetHint(const String& Value) override {
        if (IsHintLinked()) FButton->SetHint(Value);
    }
    void SetImageIndex(int Value) override {
        if (IsImageIndexLinked()) FButton->SetImageIndex(Value);
    }
    void SetVisible(bool Value) override {
        if (IsVisibleLinked()) FButton->SetVisible(Value);
    }

private:
    TToolButton* FButton;
};

// ---- TToolButton --------------------------------------------------------------------------------------

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton() {
    if (TBasicAction* A = Action()) A->RemoveFreeNotification(this);
    FActionLink.reset();
}

void TToolButton::Published(TPublisher<TToolButton>& P) {
    P.Property(u"Action", &TToolButton::Action, &TToolButton::SetAction);
    P.Property(u"AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp).Default(false);
    P.Property(u"Down", &TToolButton::Down, &TToolButton::SetDown).Default(false);
    P.Property(u"DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu);
    P.Property(u"Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped).Default(false);
    P.Property(u"ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex).Default(-1);
    P.Property(u"Indeterminate", &TToolButton::Indeterminate, &TToolButton::SetIndeterminate).Default(false);
    P.Property(u"Marked", &TToolButton::Marked, &TToolButton::SetMarked).Default(false);
    P.Property(u"Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton);
    P.Property(u"Wrap", &TToolButton::Wrap, &TToolButton::SetWrap).Default(false);
    P.Property(u"AutoSize", &TToolButton::AutoSize, &TToolButton::SetAutoSize).Default(false);
}

void TToolButton::SetAutoSize(bool Value) {
    if (Value == AutoSize()) return;
    TGraphicControl::SetAutoSize(Value);
    ButtonChanged(true);
}

TToolBar* TToolButton::ToolBar() const {
    return dynamic_cast<TToolBar*>(Parent());
}

int TToolButton::Index() const {
    TToolBar* B = ToolBar();
    if (!B) return -1;
    auto It = std::find(B->FButtons.begin(), B->FButtons.end(), this);
    return It == B->FButtons.end() ? -1 : int(It - B->FButtons.begin());
}

void TToolButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (IsSeparator() && !FPlacing) {
        TToolBar* B = ToolBar();
        FSeparatorSize = B && B->Vertical() ? AHeight : AWidth;
    }
    TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TToolButton::ButtonChanged(bool Relayout) {
    if (Relayout && ToolBar()) ToolBar()->Realign();
    Invalidate();
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
    if (FStyle == Value) return;
    const bool WasSeparator = IsSeparator();
    FStyle = Value;
    if (IsSeparator() && !WasSeparator) FSeparatorSize = 8;
    ButtonChanged(true);
}

void TToolButton::SetImageIndex(int Value) {
    if (FImageIndex == Value) return;
    FImageIndex = Value;
    ButtonChanged(false);
}

void TToolButton::SetDown(bool Value) {
    if (FDown == Value) return;
    FDown = Value;
    if (FDown && FGrouped) UpdateGroup();
    Invalidate();
}

void TToolButton::SetGrouped(bool Value) {
    if (FGrouped == Value) return;
    FGrouped = Value;
    if (FDown && FGrouped) UpdateGroup();
}

void TToolButton::SetAllowAllUp(bool Value) {
    FAllowAllUp = Value;
}

void TToolButton::SetWrap(bool Value) {
    if (FWrap == Value) return;
    FWrap = Value;
    ButtonChanged(true);
}

void TToolButton::SetIndeterminate(bool Value) {
    if (FIndeterminate == Value) return;
    FIndeterminate = Value;
    Invalidate();
}

void TToolButton::SetMarked(bool Value) {
    if (FMarked == Value) return;
    FMarked = Value;
    Invalidate();
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value) {
    if (FDropdownMenu == Value) return;
    if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
    FDropdownMenu = Value;
    if (FDropdownMenu) FDropdownMenu->FreeNotification(this);
}

TBasicAction* TToolButton::Action() const {
    return FActionLink ? FActionLink->Action() : nullptr;
}

void TToolButton::SetAction(TBasicAction* Value) {
    LinkClientToAction(this, FActionLink, Value,
                       [this](TBasicAction* A) { ActionChange(A, ComponentState().Contains(csLoading)); });
}

void TToolButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* A = dynamic_cast<TCustomAction*>(Sender);
    if (!A) return;
    if (!CheckDefaults || Caption().empty()) SetCaption(A->Caption());
    if (!CheckDefaults || !FDown) SetDown(A->Checked());
    if (!CheckDefaults || Enabled()) SetEnabled(A->Enabled());
    if (!CheckDefaults || Hint().empty()) SetHint(A->Hint());
    if (!CheckDefaults || FImageIndex == -1) SetImageIndex(A->ImageIndex());
    if (!CheckDefaults || Visible()) SetVisible(A->Visible());
}

void TToolButton::InitiateAction() {
    if (FActionLink) FActionLink->Update();
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FDropdownMenu) FDropdownMenu = nullptr;
    if (FActionLink && AComponent == FActionLink->Action()) FActionLink.reset();
}

// The grouped check buttons next to each other form a group: one of them is down at a time.
void TToolButton::UpdateGroup() {
    TToolBar* B = ToolBar();
    if (!B) return;
    auto& List = B->FButtons;
    const int Me = Index();
    auto InGroup = [](TToolButton* T) { return T->FGrouped && T->FStyle == tbsCheck; };
    for (int Step : {-1, 1}) {
        for (int I = Me + Step; I >= 0 && I < int(List.size()) && InGroup(List[std::size_t(I)]); I += Step) {
            TToolButton* T = List[std::size_t(I)];
            if (T->FDown) {
                T->FDown = false;
                T->Invalidate();
            }
        }
    }
}

void TToolButton::Click() {
    if (!Enabled() || IsSeparator()) return;
    if (FStyle == tbsCheck) {
        auto* A = FActionLink ? FActionLink->Custom() : nullptr;
        // An auto-checked action checks the button itself, through the link.
        const bool ActionChecks = A && A->AutoCheck() && FActionLink->IsCheckedLinked();
        if (!ActionChecks) {
            if (!FDown)
                SetDown(true);
            else if (!FGrouped || FAllowAllUp)
                SetDown(false);
        }
    }
    if (OnClick)
        TGraphicControl::Click();
    else if (FActionLink)
        FActionLink->Execute(this);
}

TRect TToolButton::ArrowRect() const {
    if (FStyle != tbsDropDown) return {};
    return Rect(Width() - DropDownWidth, 0, Width(), Height());
}

void TToolButton::WMLButtonDown(TWMMouse& Message) {
    if (Enabled() && !IsSeparator()) {
        if (FStyle == tbsDropDown && FDropdownMenu && PtInRect(ArrowRect(), Message.Pos())) {
            // The arrow shows the menu below the button; the button itself is not clicked.
            FArrowPressed = true;
            Repaint();
            const TPoint P = ClientToScreen({0, Height()});
            FDropdownMenu->SetPopupComponent(this);
            FDropdownMenu->Popup(P.X, P.Y);
            FArrowPressed = false;
            Invalidate();
            MouseDown(mbLeft, KeysToShiftState(Message.Keys()), Message.XPos(), Message.YPos());
            return;
        }
        FPressed = true;
        FMouseInside = true;
        Invalidate();
    }
    TGraphicControl::WMLButtonDown(Message);
}

void TToolButton::WMLButtonDblClk(TWMMouse& Message) {
    // A quick second click is a click of its own.
    WMLButtonDown(Message);
}

void TToolButton::WMMouseMove(TWMMouse& Message) {
    const bool Inside = PtInRect(ClientRect(), Message.Pos());
    if (Inside != FMouseInside) {
        FMouseInside = Inside;
        Invalidate();
    }
    TGraphicControl::WMMouseMove(Message);
}

void TToolButton::WMLButtonUp(TWMMouse& Message) {
    if (FPressed) {
        FPressed = false;
        Invalidate();
    }
    TGraphicControl::WMLButtonUp(Message);
}

void TToolButton::CMMouseEnter(TMessage& Message) {
    if (Message.LParam == reinterpret_cast<LPARAM>(this) && !FMouseInside) {
        FMouseInside = true;
        Invalidate();
    }
    TGraphicControl::CMMouseEnter(Message);
}

void TToolButton::CMMouseLeave(TMessage& Message) {
    if (Message.LParam == reinterpret_cast<LPARAM>(this) && FMouseInside) {
        FMouseInside = false;
        Invalidate();
    }
    TGraphicControl::CMMouseLeave(Message);
}

void TToolButton::CMTextChanged(TMessage& Message) {
    TGraphicControl::CMTextChanged(Message);
    TToolBar* B = ToolBar();
    ButtonChanged(B && B->ShowCaptions());
}

void TToolButton::Paint() {
    TCanvas* C = Canvas();
    TToolBar* B = ToolBar();
    const bool Flat = B && B->Flat();
    const TRect All = ClientRect();
    if (IsSeparator()) {
        if (FStyle == tbsDivider || Flat) {
            if (B && B->Vertical()) {
                const int Y = Height() / 2 - 1;
                TRect R = Rect(0, Y, Width(), Y + 2);
                DrawEdge(C, R, EDGE_ETCHED, BF_TOP);
            } else {
                const int X = Width() / 2 - 1;
                TRect R = Rect(X, 0, X + 2, Height());
                DrawEdge(C, R, EDGE_ETCHED, BF_LEFT);
            }
        }
        return;
    }
    const bool Pressed = FPressed && FMouseInside;
    const bool Hot = FMouseInside && Enabled() && (!GetCaptureControl() || FPressed);
    const bool Sunken = Pressed || FDown;
    TRect Main = All;
    if (FStyle == tbsDropDown) Main.Right -= DropDownWidth;

    // The face and the edges.
    if ((FDown && !Pressed) || FIndeterminate) {
        TRect Inside = Main;
        InflateRect(Inside, -1, -1);
        Dither(C, Inside);
    }
    if (FMarked) {
        TRect Inside = Main;
        InflateRect(Inside, -1, -1);
        Fill(C, Inside, clHighlight);
    }
    auto Frame = [&](TRect R, bool In, bool Lit) {
        if (Flat) {
            if (In)
                DrawEdge(C, R, BDR_SUNKENOUTER, BF_RECT);
            else if (Lit)
                DrawEdge(C, R, BDR_RAISEDINNER, BF_RECT);
        } else {
            DrawEdge(C, R, In ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        }
    };
    Frame(Main, Sunken, Hot);
    if (FStyle == tbsDropDown) {
        TRect Arrow = ArrowRect();
        Frame(Arrow, FArrowPressed, Hot);
        if (FArrowPressed) OffsetRect(Arrow, 1, 1);
        DownArrow(C, Arrow, Enabled() ? clBtnText : clGrayText);
    }

    // The image and the caption.
    TRect Content = Main;
    InflateRect(Content, -2, -2);
    if (Sunken) OffsetRect(Content, 1, 1);
    TCustomImageList* Images = B ? B->Images() : nullptr;
    bool DisabledLook = !Enabled();
    if (B) {
        if (!Enabled() && B->DisabledImages()) {
            Images = B->DisabledImages();
            DisabledLook = false;
        } else if (Hot && B->HotImages()) {
            Images = B->HotImages();
        }
    }
    const bool HasImage = Images && FImageIndex >= 0 && FImageIndex < Images->Count();
    const bool ShowCaption = B && B->ShowCaptions() && !Caption().empty();
    const int ImgW = HasImage ? Images->Width() : 0, ImgH = HasImage ? Images->Height() : 0;
    C->Font()->Assign(Font());
    C->Brush()->SetStyle(bsClear);
    auto Caption = [&](TRect R, Cardinal Align) {
        const Cardinal Flags = DT_SINGLELINE | DT_VCENTER | Align;
        if (!Enabled()) {
            TRect Lit = R;
            OffsetRect(Lit, 1, 1);
            C->Font()->SetColor(clBtnHighlight);
            DrawText(C, this->Caption(), Lit, Flags);
            C->Font()->SetColor(clBtnShadow);
        }
        DrawText(C, this->Caption(), R, Flags);
    };
    if (!ShowCaption) {
        if (HasImage)
            Images->Draw(C, Content.Left + (Content.Width() - ImgW) / 2,
                         Content.Top + (Content.Height() - ImgH) / 2, FImageIndex, !DisabledLook);
    } else if (B->List()) {
        int X = Content.Left + 2;
        if (HasImage) {
            Images->Draw(C, X, Content.Top + (Content.Height() - ImgH) / 2, FImageIndex, !DisabledLook);
            X += ImgW + 4;
        }
        Caption(Rect(X, Content.Top, Content.Right, Content.Bottom), DT_LEFT);
    } else {
        int Y = Content.Top + 1;
        if (HasImage) {
            Images->Draw(C, Content.Left + (Content.Width() - ImgW) / 2, Y, FImageIndex, !DisabledLook);
            Y += ImgH + 1;
        }
        Caption(Rect(Content.Left, Y, Content.Right, Content.Bottom), DT_CENTER);
    }
}

// ---- TToolBar -----------------------------------------------------------------------------------------

TToolBar::TToolBar(TComponent* AOwner)
    : TCustomControl(AOwner), FImageChangeLink(std::make_unique<TChangeLink>()),
      FDisabledImageChangeLink(std::make_unique<TChangeLink>()),
      FHotImageChangeLink(std::make_unique<TChangeLink>()) {
    for (TChangeLink* L : {FImageChangeLink.get(), FDisabledImageChangeLink.get(), FHotImageChangeLink.get()})
        L->OnChange = [this](TObject*) { ButtonsChanged(true); };
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents,
                     csDoubleClicks,    csMenuEvents,   csSetCaption};
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
    SetColor(clBtnFace);
}

TToolBar::~TToolBar() {
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
    if (FDisabledImages) FDisabledImages->UnRegisterChanges(FDisabledImageChangeLink.get());
    if (FHotImages) FHotImages->UnRegisterChanges(FHotImageChangeLink.get());
    FItems.clear();
    FButtons.clear();
}

void TToolBar::Published(TPublisher<TToolBar>& P) {
    P.Property(u"AutoSize", &TToolBar::AutoSize, &TToolBar::SetAutoSize).Default(false);
    P.Property(u"ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight).Default(22);
    P.Property(u"ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth).Default(23);
    P.Property(u"DisabledImages", &TToolBar::DisabledImages, &TToolBar::SetDisabledImages);
    P.Property(u"EdgeBorders", &TToolBar::EdgeBorders, &TToolBar::SetEdgeBorders)
        .Default(TEdgeBorders{ebTop});
    P.Property(u"EdgeInner", &TToolBar::EdgeInner, &TToolBar::SetEdgeInner).Default(esRaised);
    P.Property(u"EdgeOuter", &TToolBar::EdgeOuter, &TToolBar::SetEdgeOuter).Default(esLowered);
    P.Property(u"Flat", &TToolBar::Flat, &TToolBar::SetFlat).Default(false);
    P.Property(u"HotImages", &TToolBar::HotImages, &TToolBar::SetHotImages);
    P.Property(u"Images", &TToolBar::Images, &TToolBar::SetImages);
    P.Property(u"Indent", &TToolBar::Indent, &TToolBar::SetIndent).Default(0);
    P.Property(u"List", &TToolBar::List, &TToolBar::SetList).Default(false);
    P.Property(u"ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions).Default(false);
    P.Property(u"Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable).Default(true);
}

TToolButton* TToolBar::Buttons(int Index) const {
    if (Index < 0 || Index >= ButtonCount())
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FButtons[std::size_t(Index)];
}

void TToolBar::ButtonsChanged(bool Relayout) {
    if (Relayout) Realign();
    Invalidate();
}

void TToolBar::SetButtonWidth(int Value) {
    Value = std::max(Value, 1);
    if (FButtonWidth == Value) return;
    FButtonWidth = Value;
    ButtonsChanged(true);
}

void TToolBar::SetButtonHeight(int Value) {
    Value = std::max(Value, 1);
    if (FButtonHeight == Value) return;
    FButtonHeight = Value;
    ButtonsChanged(true);
}

void TToolBar::SetImageList(TCustomImageList*& Field, TCustomImageList* Value, TChangeLink* Link) {
    if (Field == Value) return;
    if (Field) Field->UnRegisterChanges(Link);
    TCustomImageList* Old = Field;
    Field = Value;
    if (Old && Old != FImages && Old != FDisabledImages && Old != FHotImages)
        Old->RemoveFreeNotification(this);
    if (Field) {
        Field->RegisterChanges(Link);
        Field->FreeNotification(this);
    }
    ButtonsChanged(true);
}

void TToolBar::SetImages(TCustomImageList* Value) {
    SetImageList(FImages, Value, FImageChangeLink.get());
}

void TToolBar::SetDisabledImages(TCustomImageList* Value) {
    SetImageList(FDisabledImages, Value, FDisabledImageChangeLink.get());
}

void TToolBar::SetHotImages(TCustomImageList* Value) {
    SetImageList(FHotImages, Value, FHotImageChangeLink.get());
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == FDisabledImages) FDisabledImages = nullptr;
    if (AComponent == FHotImages) FHotImages = nullptr;
}

void TToolBar::SetShowCaptions(bool Value) {
    if (FShowCaptions == Value) return;
    FShowCaptions = Value;
    ButtonsChanged(true);
}

void TToolBar::SetList(bool Value) {
    if (FList == Value) return;
    FList = Value;
    ButtonsChanged(true);
}

void TToolBar::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    ButtonsChanged(false);
}

void TToolBar::SetWrapable(bool Value) {
    if (FWrapable == Value) return;
    FWrapable = Value;
    ButtonsChanged(true);
}

void TToolBar::SetIndent(int Value) {
    Value = std::max(Value, 0);
    if (FIndent == Value) return;
    FIndent = Value;
    ButtonsChanged(true);
}

void TToolBar::SetEdgeBorders(const TEdgeBorders& Value) {
    if (FEdgeBorders == Value) return;
    FEdgeBorders = Value;
    NonClientChanged();
}

void TToolBar::SetEdgeInner(TEdgeStyle Value) {
    if (FEdgeInner == Value) return;
    FEdgeInner = Value;
    NonClientChanged();
}

void TToolBar::SetEdgeOuter(TEdgeStyle Value) {
    if (FEdgeOuter == Value) return;
    FEdgeOuter = Value;
    NonClientChanged();
}

TRect TToolBar::NonClientMargins() const {
    TRect M = TCustomControl::NonClientMargins();
    const int Edge = (FEdgeInner != esNone ? 1 : 0) + (FEdgeOuter != esNone ? 1 : 0);
    if (FEdgeBorders.Contains(ebLeft)) M.Left += Edge;
    if (FEdgeBorders.Contains(ebTop)) M.Top += Edge;
    if (FEdgeBorders.Contains(ebRight)) M.Right += Edge;
    if (FEdgeBorders.Contains(ebBottom)) M.Bottom += Edge;
    return M;
}

void TToolBar::WMNCPaint(TMessage& Message) {
    TCustomControl::WMNCPaint(Message);
    TWindowPrivate* W = WindowPrivate();
    if (!W || W->Buffer.isNull()) return;
    Cardinal Edge = 0;
    if (FEdgeOuter == esRaised) Edge |= BDR_RAISEDOUTER;
    if (FEdgeOuter == esLowered) Edge |= BDR_SUNKENOUTER;
    if (FEdgeInner == esRaised) Edge |= BDR_RAISEDINNER;
    if (FEdgeInner == esLowered) Edge |= BDR_SUNKENINNER;
    Cardinal Sides = 0;
    if (FEdgeBorders.Contains(ebLeft)) Sides |= BF_LEFT;
    if (FEdgeBorders.Contains(ebTop)) Sides |= BF_TOP;
    if (FEdgeBorders.Contains(ebRight)) Sides |= BF_RIGHT;
    if (FEdgeBorders.Contains(ebBottom)) Sides |= BF_BOTTOM;
    if (!Edge || !Sides) return;
    TCanvas C;
    BindCanvas(&C, &W->Buffer);
    TRect R = Bounds(0, 0, Width(), Height());
    DrawEdge(&C, R, Edge, Sides);
    ReleaseCanvas(&C);
}

void TToolBar::Paint() {
    Fill(Canvas(), ClientRect(), Color());
}

void TToolBar::InsertItem(TControl* Control) {
    if (std::find(FItems.begin(), FItems.end(), Control) != FItems.end()) return;
    FItems.push_back(Control);
    if (auto* B = dynamic_cast<TToolButton*>(Control)) FButtons.push_back(B);
}

void TToolBar::RemoveItem(TControl* Control) {
    std::erase(FItems, Control);
    std::erase(FButtons, static_cast<TToolButton*>(dynamic_cast<TToolButton*>(Control)));
}

void TToolBar::CMControlChange(TCMControlChange& Message) {
    TCustomControl::CMControlChange(Message);
    if (Message.Inserting())
        InsertItem(Message.Control());
    else
        RemoveItem(Message.Control());
}

void TToolBar::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    if (FShowCaptions) ButtonsChanged(true);
}

void TToolBar::RequestAlign() {
    TCustomControl::RequestAlign();
    // Turning between a horizontal and a vertical bar lays the buttons out again.
    const bool WasVertical = FLastAlign == alLeft || FLastAlign == alRight;
    FLastAlign = Align();
    if (WasVertical != Vertical()) Realign();
}

int TToolBar::CaptionWidth(const String& Caption, int* Height) {
    const String Text = StripHotkey(Caption);
    TFontEngine* E = nullptr;
    try {
        E = Font()->Engine();
    } catch (const Exception&) {
        E = nullptr;
    }
    if (!E) {
        if (Height) *Height = 13;
        return int(Text.size()) * 7;
    }
    std::lock_guard<std::recursive_mutex> Guard(E->Lock);
    if (Height) *Height = E->Metric.tmHeight;
    return E->TextWidth(Text.data(), int(Text.size()));
}

int TToolBar::ButtonWidthFor(int TextW) const {
    const int ImgW = FImages ? FImages->Width() : 0;
    if (FList) return std::max(FButtonWidth, ImgW + (ImgW ? 4 : 0) + TextW + 8);
    return std::max(FButtonWidth, std::max(ImgW, TextW) + 8);
}

TSize TToolBar::ButtonSize() {
    TSize S{FButtonWidth, FButtonHeight};
    if (!FShowCaptions) return S;
    int TextW = 0, TextH = 0;
    bool Any = false;
    for (TToolButton* B : FButtons) {
        if (B->IsSeparator() || B->Caption().empty()) continue;
        Any = true;
        TextW = std::max(TextW, CaptionWidth(B->Caption(), &TextH));
    }
    if (!Any) return S;
    const int ImgH = FImages ? FImages->Height() : 0;
    S.cx = ButtonWidthFor(TextW);
    S.cy = FList ? std::max(S.cy, std::max(ImgH, TextH) + 6) : std::max(S.cy, ImgH + TextH + 8);
    return S;
}

void TToolBar::AlignControls(TControl*, TRect& Rect) {
    const TSize Button = ButtonSize();
    const TRect Client = ClientRect();
    const bool Down = Vertical();
    // Along: the direction the buttons follow each other; Across: the rows (columns).
    const int Room = Down ? Client.Height() : Client.Width();
    int Along = FIndent, Across = 0, Rows = 1;
    const int RowSize = Down ? Button.cx : Button.cy;
    int MaxAlong = 0;
    bool RowEmpty = true;
    auto NewRow = [&] {
        Along = FIndent;
        Across += RowSize;
        ++Rows;
        RowEmpty = true;
    };
    for (TControl* C : FItems) {
        if (!C->Visible()) continue;
        auto* B = dynamic_cast<TToolButton*>(C);
        int W = C->Width(), H = C->Height();
        if (B) {
            if (B->IsSeparator()) {
                W = Down ? Button.cx : B->FSeparatorSize;
                H = Down ? B->FSeparatorSize : Button.cy;
            } else {
                // An auto-sized button is as wide as its own caption needs, the others as the
                // widest caption.
                const bool Own = B->AutoSize() && FShowCaptions && !B->Caption().empty() && !Down;
                W = (Own ? ButtonWidthFor(CaptionWidth(B->Caption(), nullptr)) : Button.cx) +
                    (B->Style() == tbsDropDown ? DropDownWidth : 0);
                H = Button.cy;
            }
        }
        const int Length = Down ? H : W;
        if (FWrapable && !RowEmpty && Along + Length > Room) NewRow();
        int X, Y;
        if (Down) {
            X = Across + (B ? 0 : std::max((Button.cx - W) / 2, 0));
            Y = Along;
        } else {
            X = Along;
            Y = Across + (B ? 0 : std::max((Button.cy - H) / 2, 0));
        }
        if (B) B->FPlacing = true;
        {
            TScopeExit Placed([&] {
                if (B) B->FPlacing = false;
            });
            C->SetBounds(X, Y, W, H);
        }
        Along += Length;
        MaxAlong = std::max(MaxAlong, Along);
        RowEmpty = false;
        if (B && B->Wrap()) NewRow();
    }
    if (RowEmpty && Rows > 1) --Rows; // a wrap after the last button starts no row
    FRowCount = Rows;
    FExtent = Down ? TSize{Rows * RowSize, MaxAlong} : TSize{MaxAlong, Rows * RowSize};
    (void)Rect;
    if (AutoSize()) AdjustSize();
}

bool TToolBar::CanAutoSize(int& NewWidth, int& NewHeight) {
    const TRect Client = ClientRect();
    if (Vertical())
        NewWidth = Width() - Client.Width() + FExtent.cx;
    else
        NewHeight = Height() - Client.Height() + FExtent.cy;
    return true;
}
