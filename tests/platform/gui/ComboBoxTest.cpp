// Combo boxes: keys and clicks pass through WindowProc also while the list is down; choices fire
// OnClick and OnSelect (or OnChange), typing fires OnChange; owner-drawn items are drawn by
// OnDrawItem on the combo box's canvas; in a modal dialog the list takes the real mouse.
#include "StdCtrlsTestSupport.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/SynthInput.h"

#include <QTimer>

namespace {

// The window the list drops down in, while it shows.
TWinControl* DropDownWindow() {
    for (QWidget* W : QApplication::topLevelWidgets())
        if (auto* Q = dynamic_cast<TQtWindow*>(W);
            Q && Q->isVisible() && Q->Owner() && Q->Owner()->Control->ClassName() == u"TComboPopup")
            return Q->Owner()->Control;
    return nullptr;
}

TWinControl* DropDownList() {
    TWinControl* P = DropDownWindow();
    return P && P->ControlCount() > 0 ? static_cast<TWinControl*>(P->Controls(0)) : nullptr;
}

struct TComboRecorder {
    int Changes = 0, Selects = 0, Clicks = 0, DropDowns = 0, CloseUps = 0;
    void Attach(TComboBox* C, bool WithSelect) {
        C->OnChange = [this](TObject*) { ++Changes; };
        if (WithSelect) C->OnSelect = [this](TObject*) { ++Selects; };
        C->OnClick = [this](TObject*) { ++Clicks; };
        C->OnDropDown = [this](TObject*) { ++DropDowns; };
        C->OnCloseUp = [this](TObject*) { ++CloseUps; };
    }
};

struct TComboKey {
    int Key;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
    QString Text = {};
};

struct TComboCase {
    const char* Name;
    bool WithSelect; // OnSelect assigned (else OnChange tells the choice)
    std::vector<TComboKey> Keys;
    int ItemIndex;
    bool Dropped;
    int Choices; // OnSelect, or OnChange without OnSelect
    int DropDowns, CloseUps;
};

const TComboKey F4{Qt::Key_F4};
const TComboKey Down{Qt::Key_Down};
const TComboKey Up{Qt::Key_Up};
const TComboKey Enter{Qt::Key_Return, Qt::NoModifier, "\r"};
const TComboKey Escape{Qt::Key_Escape, Qt::NoModifier, "\x1b"};

const TComboCase ComboCases[] = {
    {"DownChooses", false, {Down}, 1, false, 1, 0, 0},
    {"UpAtTheTopStays", false, {Up}, 0, false, 0, 0, 0},
    {"DownTellsOnSelect", true, {Down, Down}, 2, false, 2, 0, 0},
    {"F4OpensAndEnterTakes", true, {F4, Down, Down, Enter}, 2, false, 1, 1, 1},
    {"EscapeLeavesTheChoice", true, {F4, Down, Escape}, 0, false, 0, 1, 1},
    {"AltDownOpens", true, {{Qt::Key_Down, Qt::AltModifier}}, 0, true, 0, 1, 0},
    {"LetterChooses", true, {{Qt::Key_C, Qt::NoModifier, "c"}}, 2, false, 1, 0, 0},
};

class ComboKeys : public TFormFixture, public ::testing::WithParamInterface<TComboCase> {};

TComboBox* MakeCombo(TForm* Form, TComboBoxStyle Style) {
    auto* C = new TComboBox(Form);
    C->SetParent(Form);
    C->SetStyle(Style);
    C->SetBounds(10, 10, 150, 21);
    for (const char16_t* S : {u"alpha", u"bravo", u"charlie", u"delta"})
        C->Items()->Add(S);
    return C;
}

} // namespace

TEST_P(ComboKeys, ChooseThroughWindowProc) {
    const TComboCase& C = GetParam();
    TComboBox* Combo = MakeCombo(Form, csDropDownList);
    Combo->SetItemIndex(0);
    TComboRecorder R;
    R.Attach(Combo, C.WithSelect);
    Form->Show();
    Combo->SetFocus();
    TMessageLog Log(Combo);
    for (const TComboKey& K : C.Keys)
        PressKey(Combo, K.Key, K.Modifiers, K.Text);
    EXPECT_EQ(Combo->ItemIndex(), C.ItemIndex);
    EXPECT_EQ(Combo->DroppedDown(), C.Dropped);
    EXPECT_EQ(C.WithSelect ? R.Selects : R.Changes, C.Choices);
    EXPECT_EQ(R.Clicks, C.Choices);
    if (C.WithSelect) {
        EXPECT_EQ(R.Changes, 0);
    }
    EXPECT_EQ(R.DropDowns, C.DropDowns);
    EXPECT_EQ(R.CloseUps, C.CloseUps);
    EXPECT_EQ(U8(Combo->Text()), U8(Combo->Items()->Strings(C.ItemIndex)));
    // Every key reached the combo box, also while its list was down.
    EXPECT_EQ(Log.Of(WM_KEYDOWN).size() + Log.Of(WM_SYSKEYDOWN).size(), C.Keys.size());
    std::size_t Chosen = 0;
    for (const TMessage& M : Log.Of(CN_COMMAND))
        if (HIWORD(M.WParam) == CBN_SELCHANGE) ++Chosen;
    EXPECT_EQ(static_cast<int>(Chosen), C.Choices);
    Combo->SetDroppedDown(false);
}

INSTANTIATE_TEST_SUITE_P(ComboBoxes, ComboKeys, ::testing::ValuesIn(ComboCases),
                         [](const auto& I) { return std::string(I.param.Name); });

TEST_F(TFormFixture, ComboListDropsDownAndTakesAClick) {
    TComboBox* Combo = MakeCombo(Form, csDropDownList);
    Combo->SetDropDownCount(3);
    TComboRecorder R;
    R.Attach(Combo, true);
    Form->Show();
    // A click on the button drops the list below the box, as high as three items.
    Click(Combo, {Combo->ClientWidth() - 5, 5});
    ASSERT_TRUE(Combo->DroppedDown());
    TWinControl* Window = DropDownWindow();
    ASSERT_NE(Window, nullptr);
    EXPECT_EQ(Window->Width(), Combo->Width());
    EXPECT_EQ(Window->Top(), Combo->ClientOrigin().Y - 2 + Combo->Height());
    EXPECT_EQ(Window->Height(), 3 * Combo->ItemHeight() + 2);
    TWinControl* List = DropDownList();
    ASSERT_NE(List, nullptr);
    // The focus stays with the combo box; a click on an item takes it and closes the list.
    EXPECT_TRUE(Combo->Focused());
    Click(List, {10, Combo->ItemHeight() * 2 + 3});
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->ItemIndex(), 2);
    EXPECT_EQ(R.Selects, 1);
    EXPECT_EQ(R.CloseUps, 1);
    // A press anywhere else closes it without a choice.
    Click(Combo, {Combo->ClientWidth() - 5, 5});
    ASSERT_TRUE(Combo->DroppedDown());
    Click(Form, {300, 200});
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->ItemIndex(), 2);
    EXPECT_EQ(R.Selects, 1);
}

TEST_F(TFormFixture, ADroppedListIsWideEnoughForItsLongestItem) {
    TComboBox* Combo = MakeCombo(Form, csDropDownList);
    Combo->SetWidth(60);
    Combo->SetDropDownCount(3);
    Combo->Items()->Add(u"Arduino Duemilanove or Diecimila");
    Form->Show();
    Click(Combo, {Combo->ClientWidth() - 5, 5});
    ASSERT_TRUE(Combo->DroppedDown());
    TWinControl* Window = DropDownWindow();
    ASSERT_NE(Window, nullptr);
    TBitmap Probe(1, 1);
    Probe.Canvas()->Font()->Assign(Combo->Font());
    // The text starts two pixels in, inside a border, beside the scroll bar of five items in three rows.
    EXPECT_GE(Window->Width(), Probe.Canvas()->TextWidth(u"Arduino Duemilanove or Diecimila") + 4 +
                                   GetSystemMetrics(SM_CXVSCROLL));
    Combo->SetDroppedDown(false);
}

TEST_F(TFormFixture, ComboEditTypingAndText) {
    TComboBox* Combo = MakeCombo(Form, csDropDown);
    std::vector<String> Changes;
    Combo->OnChange = [&](TObject*) { Changes.push_back(Combo->Text()); };
    Combo->OnKeyPress = [](TObject*, Char& K) {
        if (K == u'!') K = 0;
    };
    // Code fires nothing.
    Combo->SetItemIndex(1);
    EXPECT_EQ(U8(Combo->Text()), "bravo");
    Combo->SetText(u"DELTA");
    EXPECT_EQ(Combo->ItemIndex(), 3); // the item of the text, letter case aside
    EXPECT_TRUE(Changes.empty());
    Form->Show();
    Combo->SetFocus();
    // Entering selects the text; typing replaces it.
    EXPECT_EQ(Combo->SelLength(), 5);
    TMessageLog Log(Combo);
    TypeText(Combo, "al!p");
    EXPECT_EQ(U8(Combo->Text()), "alp");
    EXPECT_EQ(Changes.size(), 3u);
    EXPECT_EQ(U8(Changes.back()), "alp");
    EXPECT_EQ(Combo->ItemIndex(), -1);
    EXPECT_EQ(Log.Of(WM_CHAR).size(), 4u);
    TypeText(Combo, "ha");
    EXPECT_EQ(Combo->ItemIndex(), 0);
    // Down chooses the next item into the edit.
    PressKey(Combo, Qt::Key_Down);
    EXPECT_EQ(U8(Combo->Text()), "bravo");
    EXPECT_EQ(Combo->ItemIndex(), 1);
    // A simple combo box shows its list below the edit.
    Combo->SetStyle(csSimple);
    Combo->SetBounds(10, 10, 150, 120);
    EXPECT_EQ(U8(Combo->Text()), "bravo");
    TTempFolder Folder;
    SaveGrab(Combo, Folder, "combo-simple.png");
    TWinControl* Inner = nullptr;
    for (int I = 0; I < Combo->ControlCount(); ++I)
        Inner = dynamic_cast<TWinControl*>(Combo->Controls(I));
    ASSERT_NE(Inner, nullptr);
    EXPECT_TRUE(Inner->Showing());
    Click(Inner, {10, Combo->ItemHeight() * 2 + 3});
    EXPECT_EQ(U8(Combo->Text()), "charlie");
    EXPECT_EQ(Combo->ItemIndex(), 2);
}

TEST_F(TFormFixture, OwnerDrawnComboItemsAreDrawnByOnDrawItem) {
    TComboBox* Combo = MakeCombo(Form, csOwnerDrawFixed);
    Combo->SetItemHeight(18);
    const TColor Colors[] = {clRed, clLime, clBlue, clYellow};
    std::vector<std::pair<int, TOwnerDrawState>> Drawn;
    Combo->OnDrawItem = [&](TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State) {
        Drawn.push_back({Index, State});
        TCanvas* C = static_cast<TComboBox*>(Control)->Canvas();
        if (Index >= 0) C->Brush()->SetColor(Colors[Index]);
        C->FillRect(Rect);
    };
    Combo->SetItemIndex(2);
    Form->Show();
    EXPECT_EQ(Combo->Height(), 18 + 8);
    // The box shows the chosen item, drawn as the edit part.
    const QImage Box = Grab(Combo);
    EXPECT_EQ(PixelAt(Box, 20, 10), static_cast<TColor>(ColorToRGB(clBlue)));
    bool EditPart = false;
    for (auto& [Index, State] : Drawn)
        EditPart = EditPart || (Index == 2 && State.Contains(odComboBoxEdit));
    EXPECT_TRUE(EditPart);
    // The dropped list's items, through the same event on the combo box's canvas.
    Drawn.clear();
    Combo->SetDroppedDown(true);
    TWinControl* List = DropDownList();
    ASSERT_NE(List, nullptr);
    const QImage Image = Grab(List);
    EXPECT_EQ(PixelAt(Image, 10, 1 + 18 * 0 + 9), static_cast<TColor>(ColorToRGB(clRed)));
    EXPECT_EQ(PixelAt(Image, 10, 1 + 18 * 3 + 9), static_cast<TColor>(ColorToRGB(clYellow)));
    bool ListItems = false;
    for (auto& [Index, State] : Drawn)
        ListItems = ListItems || (Index == 0 && !State.Contains(odComboBoxEdit));
    EXPECT_TRUE(ListItems);
    TTempFolder Folder;
    SaveGrab(List, Folder, "combo-owner-drawn-list.png");
    Combo->SetDroppedDown(false);
}

namespace {

// A pop-up of the layer's own kind, as a calendar drops down: a top-level tool window.
class TToolPopupProbe : public TCustomControl {
public:
    explicit TToolPopupProbe(TComponent* AOwner) : TCustomControl(AOwner) {}
    int Presses = 0;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        Params.Style = WS_POPUP | WS_BORDER;
        Params.ExStyle = WS_EX_TOOLWINDOW;
    }
    void WndProc(TMessage& Message) override {
        if (Message.Msg == WM_LBUTTONDOWN) ++Presses;
        TCustomControl::WndProc(Message);
    }
};

} // namespace

// In a modal dialog the drop-down list takes the mouse as the window system hands it over: the
// list follows the pointer and a click chooses; any other pop-up window of the layer's kind takes
// clicks too.
TEST(ComboInModalDialog, TheDroppedListTakesHoverAndClicksFromTheMouse) {
    TForm Dialog(nullptr);
    Dialog.SetBounds(100, 100, 300, 200);
    TComboBox* Combo = MakeCombo(&Dialog, csDropDownList);
    Combo->SetItemIndex(0);
    TComboRecorder R;
    R.Attach(Combo, true);
    TToolPopupProbe Popup(nullptr);
    Popup.SetBounds(500, 100, 80, 60);
    int Hovered = -1;
    bool Dropped = false, Closed = false;
    Dialog.OnShow = [&](TObject*) {
        QTimer::singleShot(0, [&] {
            TScopeExit Done([&] { Dialog.SetModalResult(mrOk); });
            SynthSystemClick(Combo, {Combo->ClientWidth() - 5, 5});
            Dropped = Combo->DroppedDown();
            auto* List = dynamic_cast<TCustomListBox*>(DropDownList());
            if (!List) return;
            SynthSystemMouse(List, smMove, {10, Combo->ItemHeight() + 3});
            Hovered = List->ItemIndex();
            SynthSystemClick(List, {10, Combo->ItemHeight() * 2 + 3});
            Closed = !Combo->DroppedDown();
            Popup.SetVisible(true);
            SynthSystemClick(&Popup, {10, 10});
            Popup.SetVisible(false);
        });
    };
    const char* Saved = std::getenv("MORVANE_SCRIPTED_QUESTIONS");
    unsetenv("MORVANE_SCRIPTED_QUESTIONS");
    const int Result = Dialog.ShowModal();
    if (Saved) setenv("MORVANE_SCRIPTED_QUESTIONS", Saved, 1);
    EXPECT_EQ(Result, mrOk);
    EXPECT_TRUE(Dropped);
    EXPECT_EQ(Hovered, 1);
    EXPECT_TRUE(Closed);
    EXPECT_EQ(Combo->ItemIndex(), 2);
    EXPECT_EQ(R.Selects, 1);
    EXPECT_EQ(Popup.Presses, 1);
}
