#include "dataaware/edits/daDBNavigator.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daEditFrame.h"
#include "dataaware/foundation/daIntl.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Questions.h"
#include "platform/gui/StdCtrls.h"

namespace {

String StyleName(TdaNavButtonStyle Style) {
    return GetEnumName(EnumTypeInfoOf(static_cast<TdaNavButtonStyle*>(nullptr)), Style);
}

// The style's name without its "nbs".
String StyleWord(TdaNavButtonStyle Style) { return StyleName(Style).substr(3); }

bool IsDialogStyle(TdaNavButtonStyle Style) { return Style >= nbsFilterDialog && Style <= nbsSearchDialog; }

// ---- The built-in glyphs: 18 by 18, black on the transparent olive, and their disabled look ----

void DrawGlyphShape(TCanvas* C, TdaNavButtonStyle Style, TColor Ink, int D) {
    C->Pen()->SetColor(Ink);
    C->Brush()->SetColor(Ink);
    C->Brush()->SetStyle(bsSolid);
    auto Box = [&](int L, int T, int R, int B) { C->FillRect(Rect(L + D, T + D, R + D, B + D)); };
    auto Tri = [&](int X, int Y, int Size, bool Left) {
        if (Left)
            C->Polygon({TPoint(X + D, Y + D), TPoint(X + Size + D, Y - Size + D), TPoint(X + Size + D, Y + Size + D)});
        else
            C->Polygon({TPoint(X + D, Y + D), TPoint(X - Size + D, Y - Size + D), TPoint(X - Size + D, Y + Size + D)});
    };
    auto Line = [&](int X1, int Y1, int X2, int Y2) {
        C->MoveTo(X1 + D, Y1 + D);
        C->LineTo(X2 + D, Y2 + D);
    };
    switch (Style) {
    case nbsFirst:
        Box(4, 4, 6, 14);
        Tri(7, 9, 5, true);
        break;
    case nbsPrior: Tri(6, 9, 5, true); break;
    case nbsNext: Tri(12, 9, 5, false); break;
    case nbsLast:
        Tri(11, 9, 5, false);
        Box(12, 4, 14, 14);
        break;
    case nbsInsert:
        Box(8, 4, 10, 14);
        Box(4, 8, 14, 10);
        break;
    case nbsDelete: Box(4, 8, 14, 10); break;
    case nbsEdit:
        // A pencil lying from the lower left to the upper right.
        C->Polygon({TPoint(4 + D, 14 + D), TPoint(5 + D, 11 + D), TPoint(12 + D, 4 + D), TPoint(14 + D, 6 + D),
                    TPoint(7 + D, 13 + D)});
        break;
    case nbsPost:
        for (int K = 0; K < 2; ++K) {
            Line(4, 9 + K, 7, 12 + K);
            Line(7, 12 + K, 14, 5 + K);
        }
        break;
    case nbsCancel:
        for (int K = 0; K < 2; ++K) {
            Line(5 + K, 5, 13 + K, 13);
            Line(13 + K, 5, 5 + K, 13);
        }
        break;
    case nbsRefresh: {
        // A ring open at the upper right, with an arrow head at its upper end.
        C->Ellipse(3 + D, 3 + D, 15 + D, 15 + D);
        C->Pen()->SetColor(clOlive);
        C->Brush()->SetColor(clOlive);
        C->Ellipse(5 + D, 5 + D, 13 + D, 13 + D);
        C->FillRect(Rect(9 + D, 2 + D, 16 + D, 8 + D));
        C->Pen()->SetColor(Ink);
        C->Brush()->SetColor(Ink);
        C->Polygon({TPoint(9 + D, 1 + D), TPoint(12 + D, 4 + D), TPoint(9 + D, 7 + D)});
        break;
    }
    case nbsPriorPage:
        Tri(3, 9, 4, true);
        Tri(9, 9, 4, true);
        break;
    case nbsNextPage:
        Tri(9, 9, 4, false);
        Tri(15, 9, 4, false);
        break;
    case nbsSaveBookmark:
        C->Polygon({TPoint(5 + D, 3 + D), TPoint(12 + D, 3 + D), TPoint(12 + D, 15 + D), TPoint(9 + D, 12 + D),
                    TPoint(5 + D, 15 + D)});
        break;
    case nbsRestoreBookmark:
        C->Polygon({TPoint(8 + D, 3 + D), TPoint(14 + D, 3 + D), TPoint(14 + D, 14 + D), TPoint(11 + D, 11 + D),
                    TPoint(8 + D, 14 + D)});
        Tri(2, 9, 3, true);
        Box(5, 8, 8, 10);
        break;
    case nbsFilterDialog:
        C->Polygon({TPoint(3 + D, 4 + D), TPoint(15 + D, 4 + D), TPoint(10 + D, 9 + D), TPoint(10 + D, 14 + D),
                    TPoint(8 + D, 15 + D), TPoint(8 + D, 9 + D)});
        break;
    case nbsRecordViewDialog:
        C->Brush()->SetStyle(bsClear);
        C->Rectangle(3 + D, 3 + D, 15 + D, 15 + D);
        C->Brush()->SetStyle(bsSolid);
        for (int Y = 6; Y <= 12; Y += 3)
            Box(5, Y, 13, Y + 1);
        break;
    case nbsLocateDialog:
    case nbsSearchDialog:
        C->Brush()->SetStyle(bsClear);
        C->Ellipse(3 + D, 3 + D, 12 + D, 12 + D);
        C->Ellipse(4 + D, 4 + D, 11 + D, 11 + D);
        C->Brush()->SetStyle(bsSolid);
        for (int K = 0; K < 2; ++K)
            Line(10 + K, 11, 15 + K, 16);
        if (Style == nbsSearchDialog) Box(6, 7, 10, 8);
        break;
    case nbsCustom: break;
    }
}

void MakeGlyph(TBitmap* B, TdaNavButtonStyle Style, bool Enabled) {
    B->SetSize(18, 18);
    TCanvas* C = B->Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clOlive);
    C->FillRect(Rect(0, 0, 18, 18));
    if (Enabled) {
        DrawGlyphShape(C, Style, clBlack, 0);
    } else {
        // The classic engraved look: a light shadow below and right of a grey shape.
        DrawGlyphShape(C, Style, clWhite, 1);
        DrawGlyphShape(C, Style, clGray, 0);
    }
}

std::unique_ptr<TCustomImageList>& GlyphListHolder() {
    static std::unique_ptr<TCustomImageList> List;
    return List;
}

} // namespace

// ---- TdaNavButton --------------------------------------------------------------------------------

TdaNavButton::TdaNavButton(TComponent* AOwner) : TdaSpeedButton(AOwner) {
    // Style nbsFirst, without any further effect yet.
}

TdaNavButton::~TdaNavButton() {
    delete FTimer;
    delete FSpentTimer;
    FTimer = FSpentTimer = nullptr;
}

void TdaNavButton::Published(TPublisher<TdaNavButton>& P) {
    P.Property(u"Dialog", &TdaNavButton::Dialog, &TdaNavButton::SetDialog);
    P.Property(u"Index", &TdaNavButton::Index, &TdaNavButton::SetIndex);
    P.Property(u"LineBreak", &TdaNavButton::LineBreak, &TdaNavButton::SetLineBreak).Default(false);
    P.Property(u"Style", &TdaNavButton::Style, &TdaNavButton::SetStyle);
    P.Property(u"OnAfterCreateDialog", &TdaNavButton::OnAfterCreateDialog);
    P.Property(u"OnRowChanged", &TdaNavButton::OnRowChanged);
    P.Property(u"OnUpdateState", &TdaNavButton::OnUpdateState);
}

TdaNavButtons* TdaNavButton::ReadNavButtons() {
    if (FNavButtons) return FNavButtons;
    if (auto* Nav = dynamic_cast<TdaDBNavigator*>(Parent())) return Nav->Buttons();
    try {
        throw Exception(u"Parent propety of TdaNavButton not defined");
    } catch (...) {
        Application->HandleException(this, std::current_exception());
    }
    Abort();
}

TdaDBNavigator* TdaNavButton::ReadNavigator() { return ReadNavButtons()->Navigator(); }

IdaCollection* TdaNavButton::GetCollection() { return ReadNavButtons(); }

int TdaNavButton::ReadIndex() {
    TdaNavButtons* Set = ReadNavButtons();
    for (int I = 0; I < Set->Count(); ++I)
        if (Set->Buttons(I) == this) return I;
    throw EInvalidOperation(u"Button parameter of RetrieveIndex not in Buttons list");
}

void TdaNavButton::WriteIndex(int Value) {
    if (ComponentState().Contains(csLoading)) return;
    TdaDBNavigator* Nav = ReadNavigator();
    if (Nav->ComponentState().Contains(csLoading) || Value == ReadIndex()) return;
    Nav->SetChildOrder(this, Value);
    ReadNavButtons()->UpdateButtonsRect();
}

void TdaNavButton::WriteLineBreak(bool Value) {
    if (Value == FLineBreak) return;
    FLineBreak = Value;
    if (!ComponentState().Contains(csLoading) && (FNavButtons || dynamic_cast<TdaDBNavigator*>(Parent())))
        ReadNavButtons()->UpdateButtonsRect();
}

void TdaNavButton::WriteNavStyle(TdaNavButtonStyle Value) {
    FStyle = Value;
    if (ReadImageIndex() == -1) SetDefaultGlyph();
    String Hint;
    GetDefaultHint(Hint);
    SetHint(Hint);
    UpdateState(usOther);
}

void TdaNavButton::WriteDialog(TdaCustomDialog* Value) {
    if (Value == FDialog) return;
    if (FDialog) {
        FDialog->RemoveFreeNotification(this);
        if (FDialog->Owner() == this) {
            TdaCustomDialog* Old = FDialog;
            FDialog = nullptr;
            delete Old;
        }
    }
    FDialog = Value;
    if (FDialog) {
        FDialog->FreeNotification(this);
        // A dialog of a class that names no style leaves the style as it is.
        const int S = DialogStyleOf(FDialog->ClassName());
        if (S >= 0) WriteNavStyle(static_cast<TdaNavButtonStyle>(S));
    }
    UpdateState(usOther);
}

int TdaNavButton::ReadImageIndex() const {
    if (ImageList() && ImageList() == GlyphListHolder().get()) return -1;
    return TdaSpeedButton::ReadImageIndex();
}

void TdaNavButton::WriteImageIndex(int Value) {
    if (Value == -1) {
        SetDefaultGlyph();
        return;
    }
    TdaDBNavigator* Nav = dynamic_cast<TdaDBNavigator*>(Parent());
    if (!Nav && FNavButtons) Nav = FNavButtons->Navigator();
    SetImageList(Nav ? Nav->ImageList() : nullptr);
    TdaSpeedButton::WriteImageIndex(Value);
}

void TdaNavButton::SetDefaultGlyph() {
    if (FStyle == nbsCustom || ComponentState().Contains(csLoading)) return;
    TdaSpeedButton::WriteImageIndex(2 * FStyle);
    SetNumGlyphs(2);
    SetImageList(TdaDBNavigator::GlyphList());
}

void TdaNavButton::GetDefaultHint(String& Result) {
    TdaDBNavigator* Nav = nullptr;
    if (FNavButtons || dynamic_cast<TdaDBNavigator*>(Parent())) Nav = ReadNavigator();
    const bool International = Nav && Nav->Options().Contains(noUseInternationalText);
    if (!Hint().empty() && !International) {
        Result = Hint();
        return;
    }
    if (FStyle == nbsCustom) {
        Result = Hint();
        return;
    }
    TObject* Hints = daGlobalIntl->Navigator()->Hints();
    Result = IsPublishedProp(Hints, StyleWord(FStyle) + u"Hint") ? GetStrProp(Hints, StyleWord(FStyle) + u"Hint")
                                                                  : String();
    if ((FStyle == nbsPriorPage || FStyle == nbsNextPage) && Nav) Result = Format(Result, {Nav->MoveBy()});
}

void TdaNavButton::Loaded() {
    TdaSpeedButton::Loaded();
    WriteImageIndex(ReadImageIndex());
    if (dynamic_cast<TdaDBNavigator*>(Parent()) || FNavButtons) {
        if (ReadNavigator()->Options().Contains(noUseInternationalText)) {
            String H;
            GetDefaultHint(H);
            SetHint(H);
        }
    }
}

void TdaNavButton::SetName(const String& Value) {
    TdaSpeedButton::SetName(Value);
    if (FOnUpdateName) FOnUpdateName(this);
}

void TdaNavButton::SetParent(TWinControl* AParent) {
    TdaSpeedButton::SetParent(AParent);
    if (AParent && !dynamic_cast<TdaDBNavigator*>(AParent)) {
        MessageDlg(u"Parent of TdaNavButton must be TdaDBNavigator " + AParent->Name(), mtError, {mbOK}, 0);
        Abort();
    }
}

void TdaNavButton::Notification(TComponent* AComponent, TOperation Operation) {
    TdaSpeedButton::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDialog) {
        // The dialog is going already: forget it without freeing it again.
        FDialog = nullptr;
        UpdateState(usOther);
    }
}

void TdaNavButton::SetDefaultName() {
    if (!Name().empty()) return;
    TdaDBNavigator* Nav = ReadNavigator();
    if (!Nav->Owner() || Nav->Name().empty()) return;
    const String Base = Nav->Name() + (FStyle == nbsCustom ? String(u"Button") : StyleWord(FStyle));
    for (int N = 0;; ++N) {
        try {
            SetName(N == 0 ? Base : Base + IntToStr(N));
            return;
        } catch (const EComponentError&) {
        }
    }
}

bool TdaNavButton::IsVisible() {
    TdaDBNavigator* Nav = ReadNavigator();
    return Top() + Height() < Nav->Height() && Left() + Width() < Nav->Width();
}

bool TdaNavButton::NavigatorPaintsTransparently() {
    auto* Nav = dynamic_cast<TdaDBNavigator*>(Parent());
    return Nav && Nav->IsTransparent();
}

void TdaNavButton::PaintTransparentBackground() {
    auto* Nav = dynamic_cast<TdaDBNavigator*>(Parent());
    if (Nav && Nav->IsTransparent() && Nav->HandleAllocated())
        daInvalidateInParents(this, 0, Nav->TransparentClearsBackground());
}

bool TdaNavButton::StyleRepeats(TdaNavButtonStyle Style) {
    return Style == nbsFirst || Style == nbsPrior || Style == nbsNext || Style == nbsLast || Style == nbsPriorPage ||
           Style == nbsNextPage;
}

TClass TdaNavButton::DialogClassOf(TdaNavButtonStyle Style) {
    if (!IsDialogStyle(Style)) return nullptr;
    return GetClass(u"Tda" + StyleWord(Style));
}

int TdaNavButton::DialogStyleOf(const String& ClassName) {
    if (ClassName.size() <= 3) return -1;
    const int S = GetEnumValue(EnumTypeInfoOf(static_cast<TdaNavButtonDlgStyle*>(nullptr)),
                               u"nbs" + ClassName.substr(3));
    return S >= 0 && IsDialogStyle(static_cast<TdaNavButtonStyle>(S)) ? S : -1;
}

TdaCustomDialog* TdaNavButton::GetDialog(TDataSet* DataSet) {
    if (!IsDialogStyle(FStyle)) return nullptr;
    if (FDialog) return FDialog;
    if (ComponentState().Contains(csDesigning)) return nullptr;
    TdaDBNavigator* Nav = ReadNavigator();
    TComponent* SearchOwner = nullptr;
    if (FStyle == nbsFilterDialog)
        SearchOwner = Nav->DataSource() ? Nav->DataSource()->DataSet() : nullptr;
    else
        SearchOwner = Nav;
    TClass DialogClass = DialogClassOf(FStyle);
    // No dialog of this kind is part of the program: the button has nothing to run.
    if (!DialogClass || !SearchOwner) return nullptr;
    for (int I = 0; I < SearchOwner->ComponentCount(); ++I) {
        auto* D = dynamic_cast<TdaCustomDialog*>(SearchOwner->Components(I));
        if (D && D->GetPrimaryDataSet() == DataSet && D->InheritsFrom(DialogClass)) {
            WriteDialog(D);
            return FDialog;
        }
    }
    auto* D = dynamic_cast<TdaCustomDialog*>(DialogClass->Create(SearchOwner));
    if (!D) return nullptr;
    WriteDialog(D);
    auto SetByName = [&](const String& Prop, TObject* Value) {
        const TPropInfo* Info = GetPropInfo(D, Prop);
        if (Info && PropType(D, Prop) == tkClass) SetObjectProp(D, Info, Value);
    };
    if (daIsKindOf(D, u"TdaSearchDialog"))
        SetByName(u"SearchTable", Nav->DataSource() ? Nav->DataSource()->DataSet() : nullptr);
    else
        SetByName(u"DataSource", Nav->DataSource());
    // Bound now: the dialog names its dataset, so the button's state is brought up to date.
    UpdateState(usOther);
    if (OnAfterCreateDialog) OnAfterCreateDialog(D);
    return FDialog;
}

void TdaNavButton::Click() {
    TdaSpeedButton::Click();
    try {
        TdaDBNavigator* Nav = ReadNavigator();
        TDataSet* DS = Nav->GetDataSet(true);
        switch (FStyle) {
        case nbsFirst: DS->First(); break;
        case nbsPrior: DS->Prior(); break;
        case nbsNext: DS->Next(); break;
        case nbsLast: DS->Last(); break;
        case nbsInsert: DS->Insert(); break;
        case nbsDelete:
            if (Nav->Options().Contains(noConfirmDelete)) {
                if (MessageDlg(daGlobalIntl->Navigator()->ConfirmDeleteMessage, mtConfirmation, {mbOK, mbCancel},
                               0) != mrOk)
                    break;
            }
            DS->Delete();
            break;
        case nbsEdit: DS->Edit(); break;
        case nbsPost: DS->Post(); break;
        case nbsCancel: DS->Cancel(); break;
        case nbsRefresh: DS->Refresh(); break;
        case nbsPriorPage: DS->MoveBy(-std::abs(Nav->MoveBy())); break;
        case nbsNextPage: DS->MoveBy(std::abs(Nav->MoveBy())); break;
        case nbsSaveBookmark: {
            TBookmark B;
            Nav->FindBookmark(DS, true, B);
            break;
        }
        case nbsRestoreBookmark: {
            bool Failed = false;
            try {
                TBookmark B;
                Nav->FindBookmark(DS, false, B);
                if (B.IsEmpty())
                    Failed = true;
                else
                    DS->GotoBookmark(B);
            } catch (const Exception&) {
                Failed = true;
            }
            if (Failed && Nav->DataSource()) Nav->DropBookmarks(Nav->DataSource()->DataSet());
            break;
        }
        case nbsFilterDialog:
        case nbsRecordViewDialog:
        case nbsLocateDialog:
        case nbsSearchDialog:
            if (TdaCustomDialog* D = GetDialog(DS)) D->Execute();
            break;
        case nbsCustom: break;
        }
    } catch (...) {
        StopRepeat();
        throw;
    }
}

void TdaNavButton::UpdateState(TdaUpdateCause Cause) {
    const bool WasEnabled = Enabled();
    TdaDBNavigator* Nav = dynamic_cast<TdaDBNavigator*>(Parent());
    if (!Nav && FNavButtons) Nav = FNavButtons->Navigator();
    if (OnUpdateState) {
        try {
            OnUpdateState(Nav, this, Cause);
        } catch (...) {
            return;
        }
    }
    if (Cause == usDataChanged && OnRowChanged) OnRowChanged(this);
    if (Enabled() != WasEnabled || FStyle == nbsCustom) return;
    if (!Nav || !Nav->DataSource() || !Nav->DataSource()->DataSet()) {
        SetEnabled(false);
        return;
    }
    TDataSet* DS = Nav->DataSource()->DataSet();
    TDataLink* Link = Nav->DataLink();
    const bool Active = Link->Active() && Nav->Enabled();
    const bool Editing = Link->Editing();
    bool E = false;
    switch (FStyle) {
    case nbsFirst:
    case nbsPrior:
    case nbsPriorPage: E = Active && !DS->Bof(); break;
    case nbsNext:
    case nbsLast:
    case nbsNextPage: E = Active && !DS->Eof(); break;
    case nbsInsert:
    case nbsRefresh: E = Active && DS->CanModify(); break;
    case nbsDelete: E = Active && DS->CanModify() && !(DS->Bof() && DS->Eof()); break;
    case nbsEdit: E = Active && DS->CanModify() && !Editing; break;
    case nbsPost:
    case nbsCancel: E = Active && DS->CanModify() && Editing; break;
    case nbsSaveBookmark: E = Active; break;
    case nbsRestoreBookmark: {
        if (Cause == usEditingChanged) return;
        TBookmark B;
        Nav->FindBookmark(Nav->GetDataSet(true), false, B);
        E = !B.IsEmpty() && Active && DS->BookmarkValid(B);
        break;
    }
    case nbsFilterDialog:
    case nbsRecordViewDialog:
    case nbsLocateDialog:
    case nbsSearchDialog: E = Active && (!FDialog || FDialog->GetPrimaryDataSet()); break;
    case nbsCustom: return;
    }
    SetEnabled(E);
}

void TdaNavButton::FreeSpentTimer() {
    if (FInTick || !FSpentTimer) return;
    delete FSpentTimer;
    FSpentTimer = nullptr;
}

void TdaNavButton::StartRepeat() {
    FreeSpentTimer();
    if (!StyleRepeats(FStyle)) return;
    StopRepeat();
    FreeSpentTimer();
    auto* Nav = dynamic_cast<TdaDBNavigator*>(Parent());
    FTimer = new TTimer(this);
    FTimer->SetInterval(Nav ? Nav->RepeatInterval()->InitialDelay : 500);
    FTimer->OnTimer = [this](TObject* Sender) { RepeatTimerTick(Sender); };
    FTimer->SetEnabled(true);
}

void TdaNavButton::StopRepeat() {
    if (!FTimer) return;
    TTimer* T = FTimer;
    FTimer = nullptr;
    T->SetEnabled(false);
    // A timer may not go while its own tick runs: it goes at the next chance.
    if (FInTick) {
        delete FSpentTimer;
        FSpentTimer = T;
    } else {
        delete T;
    }
}

void TdaNavButton::RepeatTimerTick(TObject*) {
    const bool Outer = !FInTick;
    FInTick = true;
    TScopeExit Done([&] {
        if (Outer) FInTick = false;
    });
    if (!ControlState().Contains(csLButtonDown)) StopRepeat();
    if (!FTimer) return;
    auto* Nav = dynamic_cast<TdaDBNavigator*>(Parent());
    FTimer->SetInterval(Nav ? Nav->RepeatInterval()->Interval : 100);
    Click();
}

void TdaNavButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TdaSpeedButton::MouseDown(Button, Shift, X, Y);
    StartRepeat();
    if (NavigatorPaintsTransparently()) PaintTransparentBackground();
}

void TdaNavButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    StopRepeat();
    FreeSpentTimer();
    TdaSpeedButton::MouseUp(Button, Shift, X, Y);
    if (NavigatorPaintsTransparently()) PaintTransparentBackground();
}

void TdaNavButton::CMMouseEnter(TMessage& Message) {
    TdaSpeedButton::CMMouseEnter(Message);
    if (ControlState().Contains(csLButtonDown) && GetKeyState(VK_LBUTTON) < 0) {
        StartRepeat();
    } else {
        TControlState S = ControlState();
        S.Exclude(csLButtonDown);
        SetControlState(S);
    }
}

void TdaNavButton::CMMouseLeave(TMessage& Message) {
    TdaSpeedButton::CMMouseLeave(Message);
    if (ControlState().Contains(csLButtonDown)) StopRepeat();
    if (Enabled() && NavigatorPaintsTransparently()) PaintTransparentBackground();
}

void TdaNavButton::CMEnabledChanged(TMessage& Message) {
    TdaSpeedButton::CMEnabledChanged(Message);
    if (NavigatorPaintsTransparently()) PaintTransparentBackground();
}

void TdaNavButton::WndProc(TMessage& Message) {
    auto* Nav = dynamic_cast<TdaDBNavigator*>(Parent());
    if (!Nav || !ComponentState().Contains(csDesigning)) {
        TdaSpeedButton::WndProc(Message);
        return;
    }
    // At design time the form designer acts on the navigator: presses go there, at the
    // navigator's coordinates. With Space held, left presses reach the button.
    const bool SpaceUp = GetKeyState(VK_SPACE) >= 0;
    auto AtNavigator = [&](UINT Msg) {
        const int X = short(Message.LParam & 0xFFFF) + Left(), Y = short((Message.LParam >> 16) & 0xFFFF) + Top();
        Nav->Perform(Msg, Message.WParam, LPARAM((Y << 16) | (X & 0xFFFF)));
    };
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        if (!SpaceUp) break;
        Nav->Perform(Message.Msg, Message.WParam, Message.LParam);
        AtNavigator(WM_LBUTTONDOWN);
        if (GetCapture() == Nav->Handle()) ReleaseCapture();
        return;
    case WM_LBUTTONDBLCLK:
        if (!SpaceUp) break;
        AtNavigator(WM_LBUTTONDOWN);
        Nav->Perform(Message.Msg, Message.WParam, Message.LParam);
        Nav->Perform(Message.Msg, Message.WParam, Message.LParam);
        return;
    case WM_RBUTTONDOWN:
        AtNavigator(WM_LBUTTONDOWN);
        Nav->Perform(Message.Msg, Message.WParam, Message.LParam);
        return;
    default: break;
    }
    TdaSpeedButton::WndProc(Message);
}

// ---- TdaNavButtons ---------------------------------------------------------------------------------

TdaNavButtons::TdaNavButtons(TdaDBNavigator* ANavigator) : FNavigator(ANavigator) {}

TdaNavButtons::~TdaNavButtons() = default;

void TdaNavButtons::SetDesigner(TControl* Designer) { FDesigner.reset(Designer); }

int TdaNavButtons::ReadCount() { return FNavigator->ControlCount(); }

TdaNavButton* TdaNavButtons::ReadButton(int Index) {
    if (Index < 0 || Index >= ReadCount()) throw EInvalidOperation(u"Index of Buttons[] out of range");
    return static_cast<TdaNavButton*>(FNavigator->Controls(Index));
}

bool TdaNavButtons::IsHidden(TdaNavButton* Button) {
    return !Button->Visible() && !FNavigator->ComponentState().Contains(csDesigning);
}

int TdaNavButtons::ReadVisibleCount() {
    int N = 0;
    for (int I = 0; I < ReadCount(); ++I)
        if (!IsHidden(ReadButton(I))) ++N;
    return N;
}

TdaNavButton* TdaNavButtons::ReadVisibleButton(int Index) {
    int N = 0;
    for (int I = 0; I < ReadCount(); ++I) {
        TdaNavButton* B = ReadButton(I);
        if (IsHidden(B)) continue;
        if (N++ == Index) return B;
    }
    throw EInvalidOperation(u"Index of VisibleButtons[] out of range");
}

void TdaNavButtons::BeginUpdate() { ++FUpdateLock; }

void TdaNavButtons::EndUpdate() { --FUpdateLock; }

TdaNavButton* TdaNavButtons::RightmostButton() {
    TdaNavButton* Result = nullptr;
    for (int I = 0; I < ReadVisibleCount(); ++I) {
        TdaNavButton* B = ReadVisibleButton(I);
        if (!Result || B->Left() + B->Width() > Result->Left() + Result->Width()) Result = B;
    }
    return Result;
}

TdaNavButton* TdaNavButtons::LowestButton() {
    TdaNavButton* Result = nullptr;
    for (int I = 0; I < ReadVisibleCount(); ++I) {
        TdaNavButton* B = ReadVisibleButton(I);
        if (!Result || B->Top() + B->Height() > Result->Top() + Result->Height()) Result = B;
    }
    return Result;
}

TdaNavButton* TdaNavButtons::ButtonAt(TdaNavButton* Excluded, int X, int Y) {
    const TPoint P(std::max(X, 0), std::max(Y, 0));
    TdaNavButton* Last = nullptr;
    for (int I = 0; I < ReadCount(); ++I) {
        TdaNavButton* B = ReadButton(I);
        if (B == Excluded || IsHidden(B)) continue;
        Last = B;
        if (PtInRect(B->BoundsRect(), P)) return B;
    }
    // Past the last button (right of it on its line, or below it): no button.
    if (Last && ((P.X >= Last->Left() + Last->Width() && P.Y >= Last->Top()) || P.Y >= Last->Top() + Last->Height()))
        return nullptr;
    return Excluded;
}

TdaNavButton* TdaNavButtons::Add(TdaNavButtonStyle AStyle, TComponent* AComponent) {
    TdaNavButton* B = nullptr;
    {
        BeginUpdate();
        TScopeExit Done([this] { EndUpdate(); });
        B = new TdaNavButton(FNavigator->Owner());
        B->SetNavButtons(this);
        B->SetParent(FNavigator);
        B->SetIndex(ReadCount() - 1);
        B->SetStyle(AStyle);
        B->SetFlat(FNavigator->Flat());
        if (IsDialogStyle(AStyle)) B->SetDialog(dynamic_cast<TdaCustomDialog*>(AComponent));
        String Hint;
        B->GetDefaultHint(Hint);
        B->SetHint(Hint);
        if (FNavigator->ComponentState().Contains(csDesigning)) B->SetDefaultName();
        B->UpdateState(usOther);
    }
    UpdateButtonsPos();
    if (!B->IsVisible() && FUpdateLock == 0) {
        if (FNavigator->AutosizeStyle() == asSizeNavigator) {
            if (FNavigator->Layout() == nlHorizontal)
                FNavigator->SetHeight(B->Top() + B->Height());
            else
                FNavigator->SetWidth(B->Left() + B->Width());
        } else {
            FNavigator->SizeToButtons();
        }
    }
    return B;
}

void TdaNavButtons::AddOrvelleDialogs() {
    {
        BeginUpdate();
        TScopeExit Done([this] { EndUpdate(); });
        for (TdaNavButtonStyle S : {nbsFilterDialog, nbsRecordViewDialog, nbsLocateDialog, nbsSearchDialog}) Add(S);
    }
    UpdateButtonsRect();
}

void TdaNavButtons::Clear() {
    while (ReadCount() > 0) delete ReadButton(ReadCount() - 1);
}

void TdaNavButtons::CreateDefaultButtons() {
    BeginUpdate();
    TScopeExit Done([this] { EndUpdate(); });
    for (TdaNavButtonStyle S : {nbsFirst, nbsPriorPage, nbsPrior, nbsNext, nbsNextPage, nbsLast, nbsInsert, nbsDelete,
                                nbsEdit, nbsPost, nbsCancel, nbsRefresh, nbsSaveBookmark, nbsRestoreBookmark})
        Add(S);
}

void TdaNavButtons::ShowStyle(TdaNavButtonStyle Style) {
    for (int I = 0; I < ReadCount(); ++I)
        if (ReadButton(I)->Style() == Style) {
            ReadButton(I)->SetVisible(true);
            return;
        }
    Add(Style)->SetIndex(Style);
}

void TdaNavButtons::HideStyle(TdaNavButtonStyle Style) {
    for (int I = 0; I < ReadCount(); ++I)
        if (ReadButton(I)->Style() == Style) ReadButton(I)->SetVisible(false);
}

void TdaNavButtons::UpdateButtonsRect() {
    if (FNavigator->AutosizeStyle() == asSizeNavButtons) {
        FNavigator->SizeToButtons();
        UpdateButtonsPos();
    } else {
        UpdateButtonsPos();
        FNavigator->SizeToButtons();
    }
}

void TdaNavButtons::UpdateButtonsPos() {
    if (FNavigator->ComponentState().Contains(csDestroying) || FUpdateLock > 0) return;
    BeginUpdate();
    TScopeExit Done([this] { EndUpdate(); });
    const bool Designing = FNavigator->ComponentState().Contains(csDesigning);
    const int B = FNavigator->BorderSize();
    int X = B, Y = B;
    TdaNavButton* Previous = nullptr;
    for (int I = 0; I < ReadCount(); ++I) {
        TdaNavButton* Btn = ReadButton(I);
        if (!Designing && !Btn->Visible()) continue;
        const TdaNavButton* Ref = Previous ? Previous : Btn;
        if (FNavigator->Layout() == nlHorizontal) {
            if (X + Btn->Width() > FNavigator->Width() || Btn->LineBreak()) {
                X = B;
                Y += Ref->Height();
            }
        } else if (Y + Btn->Height() > FNavigator->Height() || Btn->LineBreak()) {
            Y = B;
            X += Ref->Width();
        }
        Btn->SetBounds(X, Y, Btn->Width(), Btn->Height());
        if (FNavigator->Layout() == nlHorizontal)
            X += Btn->Width();
        else
            Y += Btn->Height();
        Previous = Btn;
    }
}

void TdaNavButtons::UpdateButtonsState(TdaUpdateCause Cause) {
    for (int I = 0; I < ReadCount(); ++I) ReadButton(I)->UpdateState(Cause);
}

// ---- TdaNavDataLink ------------------------------------------------------------------------------

void TdaNavDataLink::EditingChanged() {
    if (FNavigator) FNavigator->EditingChanged();
}

void TdaNavDataLink::DataSetChanged() {
    if (FNavigator) FNavigator->DataChanged();
}

void TdaNavDataLink::ActiveChanged() {
    if (FNavigator) FNavigator->ActiveChanged();
}

// ---- TdaNavRepeatInterval -------------------------------------------------------------------------

void TdaNavRepeatInterval::Published(TPublisher<TdaNavRepeatInterval>& P) {
    P.Property(u"InitialDelay", &TdaNavRepeatInterval::InitialDelay);
    P.Property(u"Interval", &TdaNavRepeatInterval::Interval);
}

void TdaNavRepeatInterval::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TdaNavRepeatInterval*>(Source)) {
        InitialDelay = S->InitialDelay;
        Interval = S->Interval;
    } else {
        TPersistent::Assign(Source);
    }
}

// ---- TdaDBNavigator --------------------------------------------------------------------------------

TdaDBNavigator::TdaDBNavigator(TComponent* AOwner)
    : TdaCustomTransparentPanel(AOwner), FButtons(std::make_unique<TdaNavButtons>(this)),
      FDataLink(std::make_unique<TdaNavDataLink>(this)), FRepeatInterval(std::make_unique<TdaNavRepeatInterval>()) {
    TControlStyle S = ControlStyle();
    S.Exclude(csAcceptsControls);
    S.Exclude(csSetCaption);
    SetControlStyle(S);
    // Width 1 marks a navigator whose buttons were never laid out.
    SetBounds(Left(), Top(), 1, Height());
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    FMoveBy = 10;
    FOptions = {noConfirmDelete};
    FFlat = true;
}

TdaDBNavigator::~TdaDBNavigator() {
    // The buttons still ask their set while they go.
    while (ControlCount() > 0) delete Controls(ControlCount() - 1);
    FDataLink.reset();
    FButtons.reset();
    FRepeatInterval.reset();
    while (FBookmarks.Count() > 0) {
        delete BookmarkAt(FBookmarks.Count() - 1);
        FBookmarks.Delete(FBookmarks.Count() - 1);
    }
}

void TdaDBNavigator::Published(TPublisher<TdaDBNavigator>& P) {
    P.Property(u"AutosizeStyle", &TdaDBNavigator::AutosizeStyle, &TdaDBNavigator::SetAutosizeStyle)
        .Default(asSizeNavigator);
    P.Property(u"DataSource", &TdaDBNavigator::DataSource, &TdaDBNavigator::SetDataSource);
    P.Property(u"Flat", &TdaDBNavigator::Flat, &TdaDBNavigator::SetFlat).Default(true);
    P.Property(u"ImageList", &TdaDBNavigator::ImageList, &TdaDBNavigator::SetImageList);
    P.Property(u"Layout", &TdaDBNavigator::Layout, &TdaDBNavigator::SetLayout).Default(nlHorizontal);
    P.Property(u"MoveBy", &TdaDBNavigator::MoveBy, &TdaDBNavigator::SetMoveBy).Default(10);
    P.Property(u"Options", &TdaDBNavigator::Options, &TdaDBNavigator::SetOptions);
    P.Property(u"RepeatInterval", &TdaDBNavigator::RepeatInterval, &TdaDBNavigator::SetRepeatInterval);
    P.Property(u"TransparentClearsBackground", &TdaDBNavigator::TransparentClearsBackground,
               &TdaDBNavigator::SetTransparentClearsBackground)
        .Default(false);
    P.Property(u"DisableThemes", &TdaDBNavigator::DisableThemes, &TdaDBNavigator::SetDisableThemes).Default(false);
    P.Property(u"Transparent", &TdaDBNavigator::Transparent, &TdaDBNavigator::SetTransparent).Default(false);
}

TCustomImageList* TdaDBNavigator::GlyphList() {
    auto& List = GlyphListHolder();
    if (!List) {
        List = std::make_unique<TCustomImageList>(18, 18);
        for (int S = nbsFirst; S < nbsCustom; ++S)
            for (bool Enabled : {true, false}) {
                TBitmap B;
                MakeGlyph(&B, static_cast<TdaNavButtonStyle>(S), Enabled);
                List->AddMasked(&B, clOlive);
            }
    }
    return List.get();
}

void TdaDBNavigator::SetDisableThemes(bool Value) {
    if (Value == FDisableThemes) return;
    FDisableThemes = Value;
    Invalidate();
}

TDataSet* TdaDBNavigator::GetDataSet(bool Raise) {
    if (!FDataSource) {
        if (Raise) throw EInvalidOperation(u"Error, DataSource not assigned");
        return nullptr;
    }
    if (!FDataSource->DataSet()) {
        if (Raise) throw EInvalidOperation(u"Field '%s' has no dataset");
        return nullptr;
    }
    return FDataSource->DataSet();
}

void TdaDBNavigator::WriteDataSource(TDataSource* Value) {
    if (FDataSource && FDataSource != Value) FDataSource->RemoveFreeNotification(this);
    if (Value) Value->FreeNotification(this);
    FDataSource = Value;
    FDataLink->SetDataSource(Value);
    FButtons->UpdateButtonsState(usOther);
}

void TdaDBNavigator::SetDataSourceFromComponent(TComponent* Component, bool AllowNil) {
    if (!Component) return;
    auto* DS = dynamic_cast<TDataSource*>(daGetDataSource(Component));
    if (DS || AllowNil) WriteDataSource(DS);
}

void TdaDBNavigator::WriteFlat(bool Value) {
    FFlat = Value;
    for (int I = 0; I < FButtons->Count(); ++I) FButtons->Buttons(I)->SetFlat(Value);
}

bool TdaDBNavigator::ReadShowHint() { return TdaCustomTransparentPanel::ShowHint(); }

void TdaDBNavigator::WriteShowHint(bool Value) {
    TdaCustomTransparentPanel::SetShowHint(Value);
    for (int I = 0; I < FButtons->Count(); ++I) FButtons->Buttons(I)->SetShowHint(Value);
}

void TdaDBNavigator::WriteImageList(TCustomImageList* Value) {
    if (FImageList && FImageList != Value) FImageList->RemoveFreeNotification(this);
    FImageList = Value;
    if (Value) Value->FreeNotification(this);
    for (int I = 0; I < FButtons->Count(); ++I) {
        TdaNavButton* B = FButtons->Buttons(I);
        if (B->ImageIndex() >= 0) B->SetImageList(Value);
    }
}

void TdaDBNavigator::WriteLayout(TdaNavLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    FButtons->UpdateButtonsRect();
}

void TdaDBNavigator::WriteAutosizeStyle(TdaNavAutoSizeStyle Value) {
    if (Value == FAutosizeStyle) return;
    FAutosizeStyle = Value;
    FButtons->UpdateButtonsRect();
}

void TdaDBNavigator::WriteOptions(TdaNavOptions Value) { FOptions = Value; }

void TdaDBNavigator::WriteMoveBy(int Value) {
    if (Value == FMoveBy) return;
    FMoveBy = Value;
    for (int I = 0; I < FButtons->Count(); ++I) {
        TdaNavButton* B = FButtons->Buttons(I);
        if (B->Style() == nbsPriorPage || B->Style() == nbsNextPage) B->SetHint(Format(B->Hint(), {Value}));
    }
}

TdaNavButtonNavStylesEx TdaDBNavigator::ReadVisibleButtons() {
    TdaNavButtonNavStylesEx Result;
    for (int I = 0; I < FButtons->Count(); ++I) {
        TdaNavButton* B = FButtons->Buttons(I);
        if (B->Style() != nbsCustom && B->Visible()) Result.Include(B->Style());
    }
    return Result;
}

void TdaDBNavigator::WriteVisibleButtons(TdaNavButtonNavStylesEx Value) {
    if (ComponentState().Contains(csLoading)) return;
    if (FButtons->Count() == 0) FButtons->CreateDefaultButtons();
    for (int S = nbsFirst; S < nbsCustom; ++S) {
        const auto Style = static_cast<TdaNavButtonStyle>(S);
        if (Value.Contains(Style))
            FButtons->ShowStyle(Style);
        else
            FButtons->HideStyle(Style);
    }
    FButtons->UpdateButtonsRect();
}

int TdaDBNavigator::BorderSize() { return (BevelInner() != bvNone ? 1 : 0) + (BevelOuter() != bvNone ? 1 : 0); }

int TdaDBNavigator::ButtonsWidth() {
    int W = 0;
    for (int I = 0; I < FButtons->Count(); ++I)
        if (!FButtons->IsHidden(FButtons->Buttons(I))) W += FButtons->Buttons(I)->Width();
    return W;
}

void TdaDBNavigator::SizeToButtons() {
    if (FButtons->VisibleCount() == 0) return;
    const int B = BorderSize();
    if (FAutosizeStyle == asSizeNavigator) {
        TdaNavButton* R = FButtons->RightmostButton();
        TdaNavButton* L = FButtons->LowestButton();
        SetBounds(Left(), Top(), B + R->Left() + R->Width(), B + L->Top() + L->Height());
        return;
    }
    if (FAutosizeStyle != asSizeNavButtons) return;
    // Lines end before each button with a line break; along a line its extent is shared by its
    // buttons, across the lines the other extent is shared by the lines; the first parts get
    // the pixels left over.
    std::vector<std::vector<TdaNavButton*>> Lines(1);
    for (int I = 0; I < FButtons->VisibleCount(); ++I) {
        TdaNavButton* Btn = FButtons->VisibleButtons(I);
        if (Btn->LineBreak() && !Lines.back().empty()) Lines.emplace_back();
        Lines.back().push_back(Btn);
    }
    const bool Horizontal = FLayout == nlHorizontal;
    const int Along = (Horizontal ? Width() : Height()) - 2 * B;
    const int Across = (Horizontal ? Height() : Width()) - 2 * B;
    const int LineCount = int(Lines.size());
    FButtons->BeginUpdate();
    TScopeExit Done([this] { FButtons->EndUpdate(); });
    int Cross = B;
    for (int L = 0; L < LineCount; ++L) {
        const int Thick = Across / LineCount + (L < Across % LineCount ? 1 : 0);
        const int N = int(Lines[L].size());
        int Pos = B;
        for (int K = 0; K < N; ++K) {
            const int Len = Along / N + (K < Along % N ? 1 : 0);
            if (Horizontal)
                Lines[L][K]->SetBounds(Pos, Cross, Len, Thick);
            else
                Lines[L][K]->SetBounds(Cross, Pos, Thick, Len);
            Pos += Len;
        }
        Cross += Thick;
    }
}

void TdaDBNavigator::FindBookmark(TDataSet* DataSet, bool Save, TBookmark& Bookmark) {
    Bookmark = TBookmark();
    if (!DataSet) return;
    for (int I = FBookmarks.Count() - 1; I >= 0; --I) {
        TdaNavBookmark* E = BookmarkAt(I);
        if (E->DataSet != DataSet) continue;
        if (Save) {
            DataSet->FreeBookmark(E->Bookmark);
            E->Bookmark = DataSet->GetBookmark();
            FButtons->UpdateButtonsState(usOther);
        }
        Bookmark = E->Bookmark;
        if (!Bookmark.IsEmpty() && DataSet->BookmarkValid(Bookmark)) return;
        Bookmark = TBookmark();
    }
    if (Save) {
        Bookmark = DataSet->GetBookmark();
        DataSet->FreeNotification(this);
        FBookmarks.Add(new TdaNavBookmark(DataSet, Bookmark));
        FButtons->UpdateButtonsState(usOther);
    }
}

void TdaDBNavigator::DropBookmarks(TDataSet* DataSet) {
    for (int I = FBookmarks.Count() - 1; I >= 0; --I) {
        TdaNavBookmark* E = BookmarkAt(I);
        if (E->DataSet != DataSet) continue;
        FBookmarks.Delete(I);
        delete E;
    }
}

void TdaDBNavigator::DataChanged() { FButtons->UpdateButtonsState(usDataChanged); }

void TdaDBNavigator::EditingChanged() { FButtons->UpdateButtonsState(usEditingChanged); }

void TdaDBNavigator::ActiveChanged() {
    if (FDataSource && FDataSource->DataSet() && !FDataSource->DataSet()->Active())
        DropBookmarks(FDataSource->DataSet());
    FButtons->UpdateButtonsState(usActiveChanged);
}

void TdaDBNavigator::ControlListChanged(TControl* Control, bool Inserting) {
    auto* B = dynamic_cast<TdaNavButton*>(Control);
    if (Inserting && !B) throw EInvalidOperation(u"TdaDBNavigator only accepts controls derived from TdaNavButton");
    if (!B) return;
    if (Inserting)
        FButtons->ButtonInserted(B);
    else
        FButtons->ButtonRemoved(B);
}

void TdaDBNavigator::Loaded() {
    TdaCustomTransparentPanel::Loaded();
    WriteFlat(FFlat);
    WriteImageList(FImageList);
}

void TdaDBNavigator::SetName(const String& Value) {
    const String Old = Name();
    TdaCustomTransparentPanel::SetName(Value);
    if (Old.empty() || Old == Value) return;
    for (int I = 0; I < FButtons->Count(); ++I) {
        TdaNavButton* B = FButtons->Buttons(I);
        if (B->Name().compare(0, Old.size(), Old) == 0) B->SetName(Value + B->Name().substr(Old.size()));
    }
}

void TdaDBNavigator::Notification(TComponent* AComponent, TOperation Operation) {
    TdaCustomTransparentPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FDataSource) WriteDataSource(nullptr);
    if (auto* DS = dynamic_cast<TDataSet*>(AComponent)) DropBookmarks(DS);
    if (AComponent == FImageList) FImageList = nullptr;
}

void TdaDBNavigator::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT:
        if (InPaint) return;
        if (FButtons->Count() == 0) {
            {
                TValueScope<bool> Painting(InPaint, true);
                FButtons->CreateDefaultButtons();
            }
            if (Width() == 1 && FButtons->Count() > 0)
                SetBounds(Left(), Top(), ButtonsWidth(), FButtons->Buttons(0)->Height());
            else
                FButtons->UpdateButtonsRect();
        }
        break;
    case CM_ENABLEDCHANGED:
        TdaCustomTransparentPanel::WndProc(Message);
        for (int I = 0; I < FButtons->Count(); ++I) FButtons->Buttons(I)->SetEnabled(Enabled());
        if (Enabled()) FButtons->UpdateButtonsState(usOther);
        return;
    case CM_DIALOGCHAR:
        if (Parent() && Parent()->Showing()) {
            for (int I = 0; I < FButtons->Count(); ++I) {
                TdaNavButton* B = FButtons->Buttons(I);
                if (B->Enabled() && B->Visible() && IsAccel(Word(Message.WParam), B->Caption())) {
                    B->Click();
                    Message.Result = 1;
                    return;
                }
            }
        }
        break;
    case CM_CONTROLLISTCHANGE: {
        TdaCustomTransparentPanel::WndProc(Message);
        auto& M = reinterpret_cast<TCMControlListChange&>(Message);
        ControlListChanged(M.Control(), M.Inserting());
        return;
    }
    default: break;
    }
    TdaCustomTransparentPanel::WndProc(Message);
}

void TdaDBNavigator::AlignControls(TControl* AControl, TRect& Rect) {
    if (FButtons->UpdateLock() > 0) return;
    if (ComponentState().Contains(csDesigning)) {
        if (auto* Moved = dynamic_cast<TdaNavButton*>(AControl)) {
            FButtons->BeginUpdate();
            {
                TScopeExit Done([this] { FButtons->EndUpdate(); });
                for (int I = 0; I < FButtons->Count(); ++I) {
                    TdaNavButton* B = FButtons->Buttons(I);
                    if (FLayout == nlHorizontal)
                        B->SetHeight(Moved->Height());
                    else
                        B->SetWidth(Moved->Width());
                }
            }
            TdaNavButton* Under = FButtons->ButtonAt(Moved, Moved->Left(), Moved->Top());
            Moved->SetIndex(Under && Under != Moved ? Under->Index() : FButtons->Count() - 1);
        }
    }
    FButtons->UpdateButtonsRect();
    TdaCustomTransparentPanel::AlignControls(AControl, Rect);
}

void TdaDBNavigator::CreateWnd() {
    if (ComponentState().Contains(csDesigning))
        for (int I = 0; I < FButtons->Count(); ++I) FButtons->Buttons(I)->SetDefaultName();
    WriteDataSource(FDataSource);
    FButtons->UpdateButtonsPos();
    SizeToButtons();
    TdaCustomTransparentPanel::CreateWnd();
}

