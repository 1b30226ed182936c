// Buttons, check boxes, radio buttons, radio groups, bitmap buttons and labels: the user's
// clicks and keys pass through WindowProc and come out as clicks and state changes; Default and
// Cancel buttons take Enter and Escape; a button's ModalResult closes its modal form.
#include "StdCtrlsTestSupport.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/Buttons.h"
#include "support/GraphicsTestSupport.h"
#include "support/TestDriver.h"

#include <QTimer>

namespace {

int FontLineHeightForTest(TFont* Font) {
    TBitmap B(1, 1);
    B.Canvas()->Font()->Assign(Font);
    TTextMetric M;
    B.Canvas()->GetTextMetrics(M);
    return M.tmHeight;
}

enum TUserAct { uaClick, uaPressAndLeave, uaSpace };

struct TButtonCase {
    const char* Name;
    std::function<TButtonControl*(TForm*)> Make;
    std::vector<TUserAct> Acts;
    int Clicks;
    // The state afterwards: checked (check boxes: the state's ordinal), -1 for buttons.
    int State;
};

TButtonControl* MakeButton(TForm* F) {
    return new TButton(F);
}
TButtonControl* MakeCheck(TForm* F) {
    return new TCheckBox(F);
}
TButtonControl* MakeGrayCheck(TForm* F) {
    auto* C = new TCheckBox(F);
    C->SetAllowGrayed(true);
    return C;
}
TButtonControl* MakeRadio(TForm* F) {
    return new TRadioButton(F);
}

int StateOf(TButtonControl* C) {
    if (auto* B = dynamic_cast<TCheckBox*>(C)) return B->State();
    if (auto* R = dynamic_cast<TRadioButton*>(C)) return R->Checked() ? 1 : 0;
    return -1;
}

const TButtonCase ButtonCases[] = {
    {"ButtonClick", MakeButton, {uaClick}, 1, -1},
    {"ButtonPressedAndLeft", MakeButton, {uaPressAndLeave}, 0, -1},
    {"ButtonSpace", MakeButton, {uaSpace, uaSpace}, 2, -1},
    {"CheckBoxClick", MakeCheck, {uaClick}, 1, cbChecked},
    {"CheckBoxSpaceTwice", MakeCheck, {uaSpace, uaSpace}, 2, cbUnchecked},
    {"CheckBoxPressedAndLeft", MakeCheck, {uaPressAndLeave}, 0, cbUnchecked},
    {"CheckBoxThroughGrayed", MakeGrayCheck, {uaClick, uaClick}, 2, cbChecked},
    {"RadioClickedTwice", MakeRadio, {uaClick, uaClick}, 1, 1},
};

class ButtonInput : public TFormFixture, public ::testing::WithParamInterface<TButtonCase> {};

} // namespace

TEST_P(ButtonInput, ComesThroughWindowProcAndClicks) {
    const TButtonCase& C = GetParam();
    TButtonControl* B = C.Make(Form);
    B->SetParent(Form);
    B->SetBounds(10, 10, 100, 25);
    B->SetCaption(u"Press");
    int Clicks = 0;
    B->OnClick = [&](TObject*) { ++Clicks; };
    Form->Show();
    TMessageLog Log(B);
    for (TUserAct A : C.Acts) {
        switch (A) {
        case uaClick:
            Click(B, {20, 10});
            break;
        case uaPressAndLeave:
            SendMouse(B, QEvent::MouseButtonPress, {20, 10});
            SendMouse(B, QEvent::MouseMove, {300, 10}, Qt::LeftButton);
            SendMouse(B, QEvent::MouseButtonRelease, {300, 10});
            break;
        case uaSpace:
            PressKey(B, Qt::Key_Space, Qt::NoModifier, " ");
            break;
        }
    }
    EXPECT_EQ(Clicks, C.Clicks);
    EXPECT_EQ(StateOf(B), C.State);
    // A click pressed the control (focusing it) and came back to it as BN_CLICKED.
    EXPECT_TRUE(B->Focused());
    const bool Mouse = C.Acts[0] != uaSpace;
    EXPECT_EQ(Log.Of(Mouse ? WM_LBUTTONDOWN : WM_KEYDOWN).size(), C.Acts.size());
    std::size_t Notified = 0;
    for (const TMessage& M : Log.Of(CN_COMMAND))
        if (HIWORD(M.WParam) == BN_CLICKED) ++Notified;
    EXPECT_EQ(Notified, C.Acts[0] == uaPressAndLeave ? 0u : C.Acts.size());
}

INSTANTIATE_TEST_SUITE_P(Buttons, ButtonInput, ::testing::ValuesIn(ButtonCases),
                         [](const auto& I) { return std::string(I.param.Name); });

TEST(Buttons, CheckStateMessages) {
    TCheckBox Box(nullptr);
    Box.SetAllowGrayed(true);
    int Clicks = 0;
    Box.OnClick = [&](TObject*) { ++Clicks; };
    Box.Perform(BM_SETCHECK, BST_INDETERMINATE);
    EXPECT_EQ(Box.State(), cbGrayed);
    EXPECT_EQ(Box.Perform(BM_GETCHECK), BST_INDETERMINATE);
    EXPECT_EQ(Clicks, 0);
    // BM_CLICK is the user's click: grayed goes to checked.
    Box.Perform(BM_CLICK);
    EXPECT_EQ(Box.Perform(BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(TFormFixture, EnterAndEscapeGoToTheDefaultAndCancelButtons) {
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    auto* Ok = new TButton(Form);
    Ok->SetParent(Form);
    Ok->SetBounds(10, 40, 75, 25);
    Ok->SetDefault(true);
    auto* Cancel = new TButton(Form);
    Cancel->SetParent(Form);
    Cancel->SetBounds(90, 40, 75, 25);
    Cancel->SetCancel(true);
    int OkClicks = 0, CancelClicks = 0;
    Ok->OnClick = [&](TObject*) { ++OkClicks; };
    Cancel->OnClick = [&](TObject*) { ++CancelClicks; };
    Form->Show();
    Edit->SetFocus();
    TMessageLog Log(Ok);
    PressKey(Edit, Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(OkClicks, 1);
    EXPECT_EQ(Log.Of(CM_DIALOGKEY).size(), 1u);
    PressKey(Edit, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_EQ(CancelClicks, 1);
    // Enter belongs to the focused button while a button has the focus.
    Cancel->SetFocus();
    PressKey(Cancel, Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(CancelClicks, 2);
    EXPECT_EQ(OkClicks, 1);
    // An edit's Enter is not typed into it.
    Edit->SetFocus();
    EXPECT_TRUE(Edit->Text().empty());
    EXPECT_EQ(Ok->Perform(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
}

TEST(Buttons, AButtonsModalResultClosesItsModalForm) {
    TForm Form(nullptr);
    Form.SetBounds(100, 100, 300, 200);
    auto* Ok = new TButton(&Form);
    Ok->SetParent(&Form);
    Ok->SetBounds(10, 10, 75, 25);
    Ok->SetModalResult(mrOk);
    auto* Cancel = new TButton(&Form);
    Cancel->SetParent(&Form);
    Cancel->SetBounds(90, 10, 75, 25);
    Cancel->SetModalResult(mrCancel);
    Cancel->SetCancel(true);
    // The form's own modal loop (no script answers for the user here).
    const char* Saved = std::getenv("MORVANE_SCRIPTED_QUESTIONS");
    unsetenv("MORVANE_SCRIPTED_QUESTIONS");
    Form.OnShow = [&](TObject*) { QTimer::singleShot(0, [&] { Click(Ok, {10, 10}); }); };
    const int ByClick = Form.ShowModal();
    EXPECT_FALSE(Form.Visible());
    Form.OnShow = [&](TObject*) { QTimer::singleShot(0, [&] { PressKey(Ok, Qt::Key_Escape, {}, "\x1b"); }); };
    const int ByEscape = Form.ShowModal();
    if (Saved) setenv("MORVANE_SCRIPTED_QUESTIONS", Saved, 1);
    EXPECT_EQ(ByClick, mrOk);
    EXPECT_EQ(ByEscape, mrCancel);
    EXPECT_EQ(Form.ModalResult(), mrCancel);
}

TEST_F(TFormFixture, RadioButtonsOfAParentCheckOneAtATime) {
    TRadioButton* R[3];
    for (int I = 0; I < 3; ++I) {
        R[I] = new TRadioButton(Form);
        R[I]->SetParent(Form);
        R[I]->SetBounds(10, 10 + I * 20, 100, 17);
    }
    std::vector<int> Clicked;
    for (int I = 0; I < 3; ++I)
        R[I]->OnClick = [&Clicked, I](TObject*) { Clicked.push_back(I); };
    R[0]->SetChecked(true);
    EXPECT_TRUE(R[0]->TabStop());
    Form->Show();
    Click(R[2], {5, 5});
    EXPECT_FALSE(R[0]->Checked());
    EXPECT_TRUE(R[2]->Checked());
    EXPECT_FALSE(R[0]->TabStop());
    EXPECT_TRUE(R[2]->TabStop());
    // The arrow keys move through the group and check what they reach.
    PressKey(R[2], Qt::Key_Up);
    EXPECT_TRUE(R[1]->Focused());
    EXPECT_TRUE(R[1]->Checked());
    EXPECT_FALSE(R[2]->Checked());
    EXPECT_EQ(Clicked, (std::vector<int>{0, 2, 1}));
}

TEST_F(TFormFixture, ARadioGroupMakesAButtonPerItem) {
    auto* G = new TRadioGroup(Form);
    G->SetParent(Form);
    G->SetBounds(10, 10, 200, 100);
    G->SetCaption(u"Direction");
    G->Items()->Add(u"&Forward");
    G->Items()->Add(u"&Backward");
    G->Items()->Add(u"Both");
    G->SetColumns(2);
    ASSERT_EQ(G->ControlCount(), 3);
    EXPECT_EQ(U8(G->Buttons(1)->Caption()), "&Backward");
    // Two columns: two buttons in the first, one in the second.
    EXPECT_EQ(G->Buttons(0)->Left(), G->Buttons(1)->Left());
    EXPECT_GT(G->Buttons(2)->Left(), G->Buttons(0)->Left());
    EXPECT_GT(G->Buttons(1)->Top(), G->Buttons(0)->Top());
    std::vector<int> Clicks;
    G->OnClick = [&](TObject*) { Clicks.push_back(G->ItemIndex()); };
    G->SetItemIndex(0);
    EXPECT_TRUE(G->Buttons(0)->Checked());
    Form->Show();
    Click(G->Buttons(2), {5, 5});
    EXPECT_EQ(G->ItemIndex(), 2);
    EXPECT_FALSE(G->Buttons(0)->Checked());
    EXPECT_EQ(Clicks, (std::vector<int>{0, 2}));
    // Fewer items: fewer buttons, the index within them.
    G->Items()->Delete(2);
    EXPECT_EQ(G->ControlCount(), 2);
    EXPECT_EQ(G->ItemIndex(), 1);
    EXPECT_THROW(G->Buttons(2), EListError);
}

TEST_F(TFormFixture, ButtonsFollowTheirAction) {
    auto* List = new TActionList(Form);
    auto* Action = new TAction(Form);
    Action->SetActionList(List);
    Action->SetCaption(u"&Open");
    int Executed = 0;
    Action->OnExecute = [&](TObject*) { ++Executed; };
    auto* B = new TButton(Form);
    B->SetParent(Form);
    B->SetAction(Action);
    EXPECT_EQ(U8(B->Caption()), "&Open");
    Action->SetEnabled(false);
    EXPECT_FALSE(B->Enabled());
    Action->SetEnabled(true);
    Action->SetCaption(u"Open &port");
    EXPECT_EQ(U8(B->Caption()), "Open &port");
    Form->Show();
    Click(B, {5, 5});
    EXPECT_EQ(Executed, 1);
    // A check box shows the action's checked state without a click of its own.
    auto* Check = new TCheckBox(Form);
    Check->SetParent(Form);
    int CheckClicks = 0;
    Check->OnClick = [&](TObject*) { ++CheckClicks; };
    Check->SetAction(Action);
    Action->SetChecked(true);
    EXPECT_TRUE(Check->Checked());
    EXPECT_EQ(CheckClicks, 0);
    // The action going leaves the button alone.
    delete Action;
    EXPECT_EQ(B->Action(), nullptr);
}

TEST_F(TFormFixture, BitmapButtonKindsGiveCaptionResultAndGlyph) {
    auto* B = new TBitBtn(Form);
    B->SetParent(Form);
    B->SetBounds(10, 10, 90, 30);
    B->SetKind(bkOK);
    EXPECT_EQ(U8(B->Caption()), "OK");
    EXPECT_EQ(B->ModalResult(), mrOk);
    EXPECT_TRUE(B->Default());
    EXPECT_EQ(B->NumGlyphs(), 2);
    EXPECT_EQ(B->Glyph()->Width(), 36);
    Form->Show();
    // The glyph's green tick is on the button, left of the caption.
    auto HasGreen = [&](const QImage& Image) {
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width() / 2; ++X) {
                const QRgb P = Image.pixel(X, Y);
                if (qGreen(P) > 150 && qRed(P) < 100 && qBlue(P) < 100) return true;
            }
        return false;
    };
    EXPECT_TRUE(HasGreen(Grab(B)));
    TTempFolder Folder;
    SaveGrab(B, Folder, "bitbtn-ok.png");
    // Disabled, the second picture (grey) shows.
    B->SetEnabled(false);
    EXPECT_FALSE(HasGreen(Grab(B)));
    // Changing what the kind gave makes the kind custom.
    B->SetModalResult(mrNo);
    EXPECT_EQ(B->Kind(), bkCustom);
    // bkClose closes its form.
    auto* Close = new TBitBtn(Form);
    Close->SetParent(Form);
    Close->SetBounds(120, 10, 90, 30);
    Close->SetKind(bkClose);
    EXPECT_EQ(U8(Close->Caption()), "&Close");
    Click(Close, {10, 10});
    EXPECT_FALSE(Form->Visible());
}

TEST_F(TFormFixture, SpeedButtonsClickStayDownInAGroupAndShowTheirGlyph) {
    auto* Panel = new TTestPanel(Form, Form);
    Panel->SetBounds(0, 0, 120, 50);
    Panel->SetColor(clWhite);
    auto Make = [&](int Left) {
        auto* B = new TSpeedButton(Form);
        B->SetParent(Panel);
        B->SetBounds(Left, 10, 30, 24);
        return B;
    };
    TSpeedButton* A = Make(10);
    TSpeedButton* B = Make(50);
    int Clicks = 0;
    A->OnClick = [&](TObject*) { ++Clicks; };
    Form->Show();
    auto ClickOn = [&](TSpeedButton* Button) { ClickMessages(Panel, TPoint{Button->Left() + 5, Button->Top() + 5}); };
    // Alone it clicks and comes back up.
    ClickOn(A);
    EXPECT_EQ(Clicks, 1);
    EXPECT_FALSE(A->Down());
    EXPECT_EQ(A->State(), bsUp);
    // A press that ends outside is no click.
    MouseDownMessage(Panel, TPoint{A->Left() + 5, A->Top() + 5});
    EXPECT_EQ(A->State(), bsDown);
    MouseUpMessage(Panel, TPoint{A->Left() + 100, A->Top() + 5});
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(A->State(), bsUp);
    // In a group one stays down; the other goes up; a click on the down one keeps it down
    // unless all may be up.
    A->SetGroupIndex(1);
    B->SetGroupIndex(1);
    ClickOn(A);
    EXPECT_TRUE(A->Down());
    ClickOn(B);
    EXPECT_TRUE(B->Down());
    EXPECT_FALSE(A->Down());
    ClickOn(B);
    EXPECT_TRUE(B->Down());
    B->SetAllowAllUp(true);
    ClickOn(B);
    EXPECT_FALSE(B->Down());
    // The glyph shows in the middle of the face; a flat button has no edges until hovered.
    TBitmap Glyph;
    Glyph.SetSize(8, 8);
    Glyph.Canvas()->Brush()->SetColor(clRed);
    Glyph.Canvas()->FillRect(Rect(0, 0, 8, 8));
    Glyph.Canvas()->SetPixels(0, 7, clWhite); // the transparent colour
    A->SetGlyph(&Glyph);
    A->SetFlat(true);
    auto Picture = GrabControl(Panel);
    TTempFolder Folder;
    GrabToPng(Picture.get(), Folder, "speed-buttons.png");
    const TColor Face = ColorToRGB(clBtnFace);
    EXPECT_EQ(PixelOf(*Picture, A->Left() + 15, A->Top() + 12), clRed);
    EXPECT_EQ(PixelOf(*Picture, A->Left(), A->Top() + 12), Face) << "flat: no edge";
    EXPECT_EQ(PixelOf(*Picture, B->Left() + 1, B->Top() + 12), ColorToRGB(clBtnHighlight)) << "raised edge";
}

TEST_F(TFormFixture, LabelsFitTheirTextAndFocusTheirControl) {
    auto* Label = new TLabel(Form);
    Label->SetParent(Form);
    Label->SetBounds(10, 10, 5, 5);
    Label->SetCaption(u"&Name:");
    EXPECT_GT(Label->Width(), 20);
    EXPECT_EQ(Label->Height(), FontLineHeightForTest(Label->Font()));
    const int Wide = Label->Width();
    Label->SetCaption(u"&Name of the sketch:");
    EXPECT_GT(Label->Width(), Wide);
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(150, 10, 100, 21);
    Label->SetFocusControl(Edit);
    auto* Button = new TButton(Form);
    Button->SetParent(Form);
    Button->SetBounds(10, 40, 75, 25);
    Form->Show();
    Button->SetFocus();
    // Alt and the mnemonic letter focus the label's control (CM_DIALOGCHAR).
    PressKey(Button, Qt::Key_N, Qt::AltModifier, "n");
    EXPECT_TRUE(Edit->Focused());
    // The text is painted in the font's colour on the parent's.
    Label->Font()->SetColor(clBlue);
    const QImage Image = Grab(Form);
    bool Blue = false;
    for (int Y = 10; Y < 10 + Label->Height(); ++Y)
        for (int X = 10; X < 10 + Label->Width(); ++X)
            Blue = Blue || PixelAt(Image, X, Y) == static_cast<TColor>(ColorToRGB(clBlue));
    EXPECT_TRUE(Blue);
    // A freed focus control is forgotten.
    delete Edit;
    EXPECT_EQ(Label->FocusControl(), nullptr);
}
