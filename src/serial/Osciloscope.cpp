#include "serial/Osciloscope.h"

#include "platform/base/Format.h"
#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Threads.h"

namespace {

constexpr TColor Grey = TColor(0x808080);

// A channel's info pane. Its text is wider than the pane at the terminal's size: rather than
// lose both ends (the label among them) to a centred single line, it goes on two lines.
class TInfoPane : public TPanel {
public:
    explicit TInfoPane(TComponent* AOwner) : TPanel(AOwner) { SetShowCaption(false); }

protected:
    void Paint() override {
        TPanel::Paint();
        const String Text = Caption();
        if (Text.empty()) return;
        TCanvas* C = Canvas();
        C->Font()->Assign(Font());
        C->Brush()->SetStyle(bsClear);
        TRect R = ClientRect();
        R.Left += 2;
        R.Right -= 2;
        // The label and value beside the box, the range ("< min..max >") under them; the
        // brackets go first when the range is too wide.
        TRect Top = R;
        Top.Left += 19;
        Top.Bottom = R.Top + 19;
        const std::size_t Cut = Text.find(u" < ");
        const String Head = Cut == String::npos ? Text : Text.substr(0, Cut);
        // Too wide, it keeps its start (the label) and loses its end.
        DrawText(C, Head, Top,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (C->TextWidth(Head) > Top.Width() ? DT_LEFT : DT_CENTER));
        if (Cut == String::npos) return;
        String Tail = Text.substr(Cut + 1);
        if (C->TextWidth(Tail) > R.Width() && Tail.size() > 4) Tail = Tail.substr(2, Tail.size() - 4);
        TRect Bottom = R;
        Bottom.Top = Top.Bottom;
        DrawText(C, Tail, Bottom, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    }
};

} // namespace

// ---- tChannel -----------------------------------------------------------------------------------

tChannel::tChannel(const String& aChannelName, const String& aLabel, TColor AColor, int aLineWidth,
                   TWinControl* aInfoPanel, int, int, int, bool aChannelEnabled)
    : FChannelName(aChannelName), FLabel(aLabel), ChannelEnabled(aChannelEnabled), FColor(AColor),
      FLineWidth(aLineWidth) {
    if (!aInfoPanel) return;
    InfoPane = new TInfoPane(aInfoPanel);
    InfoPane->SetParent(aInfoPanel);
    InfoPane->SetBevelOuter(bvLowered);
    InfoPane->SetBounds(0, 0, 60, aInfoPanel->ClientHeight());
    InfoPane->SetColor(TColor(0x200000));
    InfoPane->SetCaption(aLabel);
    InfoPane->SetAlignment(taCenter);
    EnableBox = new TCheckBox(InfoPane);
    EnableBox->SetParent(InfoPane);
    EnableBox->SetBounds(2, 1, 17, 17);
    EnableBox->SetCaption(u"");
    EnableBox->SetChecked(aChannelEnabled);
    // The box belongs to the info panel, which may outlive the channel or go before it: the
    // handler reaches the channel only while it lives, and the channel never touches the box
    // on its way out.
    EnableBox->OnClick = [Self = FSelf](TObject*) {
        if (tChannel* C = *Self) {
            C->ChannelEnabled = C->EnableBox->Checked();
            C->UpdateInfoColor();
        }
    };
    UpdateInfoColor();
}

tChannel::~tChannel() {
    *FSelf = nullptr;
}

void tChannel::UpdateInfoColor() {
    if (InfoPane) InfoPane->Font()->SetColor(ChannelEnabled ? FColor : Grey);
}

void tChannel::SetData(int NewValue) {
    FLastYValue = NewValue;
    FMinYValue = std::min(FMinYValue, NewValue);
    FMaxYValue = std::max(FMaxYValue, NewValue);
    if (!Deferred) ShowData();
}

void tChannel::ShowData() {
    if (InfoPane)
        InfoPane->SetCaption(Format(u"%s:%5d < %d..%d >", {FLabel, FLastYValue, FMinYValue, FMaxYValue}));
}

// ---- tScope -------------------------------------------------------------------------------------

tScope::tScope(TComponent* aOwner, TWinControl* aParent, TAlign aAlignment, int aLeft, int aTop, int aRight,
               int aBottom, TColor aBackground, int aEraseWindowWidth, int aXZoom, int aYMin, int aYMax,
               double aYAxisMin, double aYAxisMax, int aDelayBetweenSamplesMs, TWinControl* aInfoPanel)
    : TImage(aOwner) {
    Picture()->Bitmap()->SetPixelFormat(pf32bit);
    if (aParent) aParent->SetDoubleBuffered(true);
    SetParent(aParent);
    SetBounds(aLeft, aTop, aRight - aLeft + 1, aBottom - aTop);
    SetAlign(aAlignment);
    if (Picture()->Width() != Width() || Picture()->Height() != Height())
        Picture()->Bitmap()->SetSize(Width(), Height());
    FBackground = aBackground;
    FEraseWindowWidth = aEraseWindowWidth;
    FXZoom = aXZoom;
    FYMin = aYMin;
    FYMax = aYMax;
    FYAxisMin = aYAxisMin;
    FYAxisMax = aYAxisMax;
    FDelayBetweenSamplesMs = aDelayBetweenSamplesMs;
    // An empty axis range counts as 1 wide, like an empty value range.
    const double Axis = FYAxisMax - FYAxisMin == 0 ? 1 : FYAxisMax - FYAxisMin;
    ZeroYPosition = static_cast<int>(Round(double(FYMax - FYMin) / Axis * -FYAxisMin));
    FX = 0;
    if (aInfoPanel) {
        FInfoPanel = aInfoPanel;
        FInfoPanel->FreeNotification(this);
    }
    struct TRow {
        const char16_t* Name;
        const char16_t* Label;
        bool Enabled;
        int Width;
        TColor Color;
    } Rows[] = {
        {u"A", u"A", true, 2, TColor(0x0000FF)},      {u"B", u"B", true, 2, TColor(0xFFFF00)},
        {u"C", u"C", true, 2, TColor(0x00FFFF)},      {u"U", u"A+B", true, 2, TColor(0x008000)},
        {u"V", u"B+C", false, 1, TColor(0x000080)},   {u"W", u"A+C", false, 1, TColor(0x808000)},
        {u"X", u"A+B+C", false, 1, TColor(0xFFFFFF)},
    };
    for (const TRow& R : Rows)
        AddChannel(R.Name, R.Label, R.Color, R.Width, FYMin, FYMax, R.Enabled);
    ClearScope();
    Initialized = true;
}

tScope::~tScope() {
    // The panes belong to the info panel; a scope that goes before it takes them along.
    if (FInfoPanel) {
        FInfoPanel->RemoveFreeNotification(this);
        for (auto& C : arChannels)
            delete C->InfoPane;
    }
}

void tScope::Notification(TComponent* AComponent, TOperation Operation) {
    TImage::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FInfoPanel) {
        FInfoPanel = nullptr;
        for (auto& C : arChannels) {
            C->InfoPane = nullptr;
            C->EnableBox = nullptr;
        }
    }
}

tChannel* tScope::AddChannel(const String& aChannelName, const String& ALabel, TColor AColor, int aLineWidth,
                             int aYMin, int aYMax, bool aChannelEnabled) {
    arChannels.push_back(std::make_unique<tChannel>(aChannelName, ALabel, AColor, aLineWidth, FInfoPanel,
                                                    ChannelCount() + 1, aYMin, aYMax, aChannelEnabled));
    LayoutInfoPanes();
    return arChannels.back().get();
}

void tScope::LayoutInfoPanes() {
    if (!FInfoPanel || arChannels.empty()) return;
    const int W = FInfoPanel->ClientWidth() / ChannelCount();
    for (int I = 0; I < ChannelCount(); ++I)
        if (TPanel* Pane = Channel(I)->InfoPane) Pane->SetBounds(W * I, 0, W, FInfoPanel->ClientHeight());
}

tChannel* tScope::FindChannelByName(const String& ChannelName) const {
    for (const auto& C : arChannels)
        if (C->FChannelName == ChannelName) return C.get();
    return nullptr;
}

int tScope::Row(int Value) const {
    const int H = Picture()->Height();
    // An empty range is taken as 1 wide rather than divided by.
    const int Range = FYMax - FYMin == 0 ? 1 : FYMax - FYMin;
    return H - static_cast<int>(Round(double(H) / Range * (double(Value) - FYMin)));
}

void tScope::EraseAhead(TCanvas* C) {
    C->FillRect(Rect(FX, 0, FX + FEraseWindowWidth, Picture()->Height()));
}

void tScope::DrawZeroSegment(TCanvas* C) {
    C->Pen()->SetStyle(psDot);
    C->Pen()->SetWidth(1);
    C->Pen()->SetColor(TColor(0xC0C0C0));
    const int Y = Row(ZeroYPosition);
    C->MoveTo(FX, Y);
    C->LineTo(FX + FXZoom, Y);
}

void tScope::Advance(bool ResetChannels) {
    FX += FXZoom;
    if (FX + FXZoom > Picture()->Width()) {
        FX = 0;
        if (ResetChannels) {
            FRealTime = GetTickCount();
            for (auto& C : arChannels)
                C->FLastX = 0;
        }
    }
}

void tScope::NewChannelPoint(tChannel* Channel, int Data, bool DrawContinously) {
    if (!Channel || !Channel->ChannelEnabled) return;
    bool Draw = Data != 0 || DrawContinously;
    // A fall to 0 from any channel's other value is drawn too, so that a channel that drops to 0
    // shows it.
    for (const auto& C : arChannels)
        Draw = Draw || C->FLastYValue != 0;
    if (Draw && FUpdateCount > 0) {
        if (FPendingFrom < 0) FPendingFrom = FX;
        FPending.push_back({Channel->FLastX, Row(Channel->FLastYValue), FX + FXZoom, Row(Data), Channel->FColor,
                            Channel->FLineWidth});
        Channel->FLastX = FX + FXZoom;
        FX += FXZoom;
        if (FX + FXZoom > Picture()->Width()) {
            // The pass ends: what it drew goes on the picture before the next one erases.
            DrawPending();
            FX = 0;
            FRealTime = GetTickCount();
            for (auto& C : arChannels)
                C->FLastX = 0;
        }
    } else if (Draw) {
        TCanvas* C = Canvas();
        EraseAhead(C);
        C->Pen()->SetStyle(psSolid);
        C->Pen()->SetColor(Channel->FColor);
        C->Pen()->SetWidth(Channel->FLineWidth);
        C->MoveTo(Channel->FLastX, Row(Channel->FLastYValue));
        C->LineTo(FX + FXZoom, Row(Data));
        Channel->FLastX = FX + FXZoom;
        DrawZeroSegment(C);
        Advance(true);
    }
    if (FUpdateCount > 0) Channel->Deferred = true;
    Channel->SetData(Data);
}

void tScope::DrawPending() {
    if (FPending.empty()) return;
    // The erase bands of the points run one into the next (each starts where the previous
    // point's line ended): one band from the first to the last does for all. Each line then
    // lies before the band of every later point, so none of it is erased by them.
    const int From = FPendingFrom;
    const int To = FPending.back().X2;
    {
        FQuiet = true;
        TScopeExit Loud([this] { FQuiet = false; });
        TCanvas* C = Canvas();
        C->FillRect(Rect(From, 0, To - FXZoom + FEraseWindowWidth, Picture()->Height()));
        C->Pen()->SetStyle(psSolid);
        for (const TSegment& S : FPending) {
            if (C->Pen()->Color() != S.Color) C->Pen()->SetColor(S.Color);
            if (C->Pen()->Width() != S.Width) C->Pen()->SetWidth(S.Width);
            C->MoveTo(S.X1, S.Y1);
            C->LineTo(S.X2, S.Y2);
        }
        C->Pen()->SetStyle(psDot);
        C->Pen()->SetWidth(1);
        C->Pen()->SetColor(TColor(0xC0C0C0));
        const int Y = Row(ZeroYPosition);
        C->MoveTo(From, Y);
        C->LineTo(To, Y);
    }
    FPending.clear();
    FPendingFrom = -1;
    if (FQuietChanged) {
        FQuietChanged = false;
        TImage::PictureChanged(this);
    }
}

void tScope::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0) return;
    DrawPending();
    for (auto& C : arChannels)
        if (C->Deferred) {
            C->Deferred = false;
            C->ShowData();
        }
}

void tScope::PictureChanged(TObject* Sender) {
    // A batch of lines repaints the picture once.
    if (FQuiet) {
        FQuietChanged = true;
        return;
    }
    TImage::PictureChanged(Sender);
}

void tScope::NewPoint(const std::vector<int>& Values) {
    TCanvas* C = Canvas();
    EraseAhead(C);
    const int N = std::min<int>(static_cast<int>(Values.size()), ChannelCount());
    for (int I = 0; I < N; ++I) {
        tChannel* Ch = Channel(I);
        C->Pen()->SetStyle(psSolid);
        C->Pen()->SetColor(Ch->FColor);
        C->Pen()->SetWidth(Ch->FLineWidth);
        C->MoveTo(FX, Row(Ch->FLastYValue));
        C->LineTo(FX + FXZoom, Row(Values[static_cast<std::size_t>(I)]));
        Ch->SetData(Values[static_cast<std::size_t>(I)]);
    }
    DrawZeroSegment(C);
    Advance(false);
}

void tScope::ClearScope() {
    FPending.clear();
    FPendingFrom = -1;
    TCanvas* C = Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FBackground);
    C->FillRect(Rect(0, 0, Picture()->Width(), Picture()->Height()));
    FX = 0;
    for (auto& Ch : arChannels)
        Ch->FLastX = 0;
}

void tScope::Resize() {
    TImage::Resize();
    FPending.clear();
    FPendingFrom = -1;
    if (Width() > 0 && Height() > 0) {
        TBitmap* B = Picture()->Bitmap();
        B->SetSize(Width(), Height());
        TCanvas* C = B->Canvas();
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clBlack);
        C->FillRect(Rect(0, 0, Width(), Height()));
    }
    FX = 0;
    LayoutInfoPanes();
}
