// The edits' regular-expression masks, their window styles (right-aligned editing, word wrap,
// the scroll bar), their own painting while unfocused (aligned text, frames), and the buttons of
// the combo and the spin edit.
#include "dataaware/edits/daDBCombo.h"
#include "dataaware/edits/daDBSpinEdit.h"
#include "dataaware/foundation/daIntl.h"
#include "EditTestSupport.h"

#include "platform/gui/Graphics.h"

namespace {

class EditLook : public testing::TestWithParam<TDataSetKind> {
protected:
    TEditLocale Locale;
    TForm* Form = new TForm(nullptr);
    TDataSet* DS = MakeEditDataSet(Form, GetParam());
    TDataSource* Source = new TDataSource(Form);
    TEdit* Other = new TEdit(Form);

    EditLook() {
        Source->SetDataSet(DS);
        Form->SetBounds(0, 0, 320, 200);
        Form->SetColor(clBtnFace);
        Other->SetParent(Form);
        Other->SetBounds(10, 150, 120, 21);
    }
    ~EditLook() override { delete Form; }

    TdaDBEdit* NewEdit(const String& FieldName, int Top = 10) {
        auto* E = new TdaDBEdit(Form);
        E->SetParent(Form);
        E->SetBounds(10, Top, 200, 22);
        E->SetColor(clWhite);
        if (!FieldName.empty()) {
            E->SetDataSource(Source);
            E->SetDataField(FieldName);
        } else {
            E->Loaded();
        }
        Form->Show();
        return E;
    }
};

// Dark pixels of a control's picture, as the leftmost and rightmost columns that hold them.
struct TInk {
    int Left = -1, Right = -1, Count = 0;
};

TInk DarkInk(TWinControl* C, const TRect& Area) {
    auto B = GrabControl(C);
    TInk Ink;
    for (int Y = Area.Top; Y < Area.Bottom; ++Y)
        for (int X = Area.Left; X < Area.Right; ++X) {
            const TColor P = PixelOf(*B, X, Y);
            if ((P & 0xFF) + ((P >> 8) & 0xFF) + ((P >> 16) & 0xFF) >= 200) continue;
            ++Ink.Count;
            if (Ink.Left < 0 || X < Ink.Left) Ink.Left = X;
            if (X > Ink.Right) Ink.Right = X;
        }
    return Ink;
}

// The ink of the text alone, clear of the frame (window coordinates).
TInk TextInk(TdaDBCustomEdit* E) {
    return DarkInk(E, TRect(3, 3, E->Width() - 3, E->Height() - 3));
}

class TErrorColours {
public:
    TErrorColours() { daGlobalIntl->ValidationFeedback()->ErrorBackColor = clYellow; }
    ~TErrorColours() { daGlobalIntl->ValidationFeedback()->ErrorBackColor = clNone; }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(DataSets, EditLook, testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(EditLook, ARegexMaskColoursWhileTypingAndRefusesToPostOrLeave) {
    TErrorColours Colours;
    TdaDBEdit* E = NewEdit(u"NAME");
    E->RegexMask()->SetMask(u"[A-Z]{2}[0-9]+");
    E->RegexMask()->SetErrorMessage(u"Two capitals, then digits.");
    EXPECT_TRUE(E->IsValidRegexMask(u"[A-Z]{2}[0-9]+"));
    EXPECT_FALSE(E->IsValidRegexMask(u"[A-Z"));
    E->SetFocus();
    E->SelectAll();
    TypeChars(E, u"ab");
    EXPECT_EQ(E->Text(), u"ab") << "a text the expression refuses is still typed";
    EXPECT_EQ(E->Color(), clYellow) << "and shown in the error colour";
    E->SelectAll();
    TypeChars(E, u"AB12");
    EXPECT_EQ(E->Color(), clWhite) << "a matching text brings the colour back";
    E->RegexMask()->SetCaseSensitive(false);
    EXPECT_TRUE(E->IsValidRegexValue(u"ab12"));
    E->RegexMask()->SetCaseSensitive(true);
    E->SelectAll();
    TypeChars(E, u"AB");
    {
        TReportedErrors Errors;
        Other->SetFocus();
        ProcessMessages();
        EXPECT_EQ(Errors.Messages, std::vector<String>{u"Two capitals, then digits."});
        EXPECT_TRUE(E->Focused()) << "the focus stays";
        EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"one") << "nothing was posted";
        EXPECT_EQ(E->SelLength(), 2) << "the refused text is selected";
    }
    E->SetSelStart(2);
    TypeChars(E, u"7");
    Other->SetFocus();
    EXPECT_TRUE(Other->Focused());
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"AB7");
}

TEST(EditLookUnbound, ARegexMaskMayAllowLeavingAndCopiesWithoutThatFlag) {
    TForm Form(nullptr);
    auto* E = new TdaDBEdit(&Form);
    auto* Other = new TEdit(&Form);
    E->SetParent(&Form);
    Other->SetParent(&Form);
    Other->SetTop(40);
    E->Loaded();
    E->RegexMask()->SetMask(u"[0-9]+");
    Form.Show();
    E->SetFocus();
    TypeChars(E, u"1x");
    {
        TReportedErrors Errors;
        Other->SetFocus();
        ProcessMessages();
        EXPECT_TRUE(E->Focused());
        EXPECT_TRUE(E->DoExitPictureError);
        EXPECT_EQ(Errors.Messages,
                  std::vector<String>{u"Invalid input value.  Use escape key to abandon changes"})
            << "an empty message is the library's text";
    }
    E->RegexMask()->SetAllowInvalidExit(true);
    Other->SetFocus();
    EXPECT_TRUE(Other->Focused());
    TviDovedMask Copy;
    Copy.Assign(E->RegexMask());
    EXPECT_EQ(Copy.Mask(), u"[0-9]+");
    EXPECT_FALSE(Copy.AllowInvalidExit()) << "leaving with an invalid value is not copied";
}

TEST_P(EditLook, WindowStylesTakeEffect) {
    TdaDBEdit* E = NewEdit(u"NAME");
    auto* Wrapped = NewEdit(String(), 40);
    Wrapped->SetHeight(60);
    Wrapped->SetWidth(80);
    Wrapped->SetText(u"alpha beta gamma delta");
    Form->Show();
    const LONG_PTR Style = GetWindowLong(E->WindowHandle(), GWL_STYLE);
    EXPECT_FALSE(Style & ES_MULTILINE) << "a bordered edit has one line";
    EXPECT_FALSE(GetWindowLong(E->WindowHandle(), GWL_EXSTYLE) & WS_EX_RIGHT);

    // Right-aligned editing: the focused text stands at the right.
    E->SetEditAlignment(eaRightAlignEditing);
    EXPECT_TRUE(GetWindowLong(E->WindowHandle(), GWL_EXSTYLE) & WS_EX_RIGHT);
    E->SetFocus();
    ProcessMessages();
    EXPECT_GT(TextInk(E).Left, E->Width() / 2);
    EXPECT_EQ(E->Text(), u"one");

    // Word wrap: several lines, the words wrapped.
    const int OneLine = DarkInk(Wrapped, TRect(0, 0, Wrapped->ClientWidth(), Wrapped->ClientHeight())).Count;
    Wrapped->SetWordWrap(true);
    EXPECT_TRUE(GetWindowLong(Wrapped->WindowHandle(), GWL_STYLE) & ES_MULTILINE);
    EXPECT_FALSE(GetWindowLong(Wrapped->WindowHandle(), GWL_STYLE) & ES_AUTOHSCROLL);
    EXPECT_EQ(Wrapped->Text(), u"alpha beta gamma delta");
    ProcessMessages();
    EXPECT_GT(DarkInk(Wrapped, TRect(0, 0, Wrapped->ClientWidth(), Wrapped->ClientHeight())).Count, OneLine)
        << "the words that did not fit show on further lines";

    // One line high, a wrapping edit keeps scrolling its line sideways.
    E->SetHeight(18);
    E->SetWordWrap(true);
    EXPECT_TRUE(GetWindowLong(E->WindowHandle(), GWL_STYLE) & ES_MULTILINE);
    EXPECT_TRUE(GetWindowLong(E->WindowHandle(), GWL_STYLE) & ES_AUTOHSCROLL);
    E->SetWordWrap(false);
    E->SetHeight(22);

    // The vertical scroll bar.
    Wrapped->SetShowVertScrollBar(true);
    EXPECT_TRUE(GetWindowLong(Wrapped->WindowHandle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_LT(Wrapped->ClientWidth(), 76) << "the bar takes room inside the frame";
    Wrapped->SetShowVertScrollBar(false);
    EXPECT_FALSE(GetWindowLong(Wrapped->WindowHandle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_P(EditLook, AnUnfocusedNumberPaintsItselfAtTheRight) {
    DS->Edit();
    DS->FieldByName(u"PRICE")->SetAsFloat(12.5);
    DS->Post();
    TdaDBEdit* E = NewEdit(u"PRICE");
    TdaDBEdit* Name = NewEdit(u"NAME", 40);
    Other->SetFocus();
    ProcessMessages();
    EXPECT_EQ(E->PaintAlignment(), taRightJustify);
    EXPECT_TRUE(E->SelfPaints());
    EXPECT_FALSE(Name->SelfPaints()) << "a left-aligned unfocused text keeps its text widget";
    const TInk Shown = TextInk(E);
    ASSERT_GT(Shown.Count, 5);
    // The text ends M + 1 (2) pixels left of the text area's right edge.
    EXPECT_GE(Shown.Right, E->Width() - 10);
    EXPECT_GT(Shown.Left, E->Width() / 2);
    // Focused, the text widget takes over (left-aligned editing).
    E->SetFocus();
    ProcessMessages();
    EXPECT_FALSE(E->SelfPaints());
    EXPECT_LT(TextInk(E).Left, E->Width() / 2);
    Other->SetFocus();
    ProcessMessages();
    EXPECT_GT(TextInk(E).Left, E->Width() / 2) << "and leaves it again";
    // A new value of the field shows at once.
    const int Before = TextInk(E).Left;
    DS->Edit();
    DS->FieldByName(u"PRICE")->SetAsFloat(123456.25);
    DS->Post();
    ProcessMessages();
    EXPECT_EQ(E->Text(), u"123456.25");
    EXPECT_LT(TextInk(E).Left, Before) << "the longer number reaches further left";
    // A password character replaces every character of the painted text.
    E->SetPasswordChar(u'*');
    E->Invalidate();
    ProcessMessages();
    EXPECT_GT(TextInk(E).Count, 0);
}

TEST_P(EditLook, AFrameDrawsItsBordersAndColours) {
    TdaDBEdit* E = NewEdit(u"NAME");
    E->Frame()->SetEnabled(true);
    E->Frame()->NonFocusColor = clAqua;
    E->Frame()->SetNonFocusBorders(TdaEditFrameEnabledSet{efBottomBorder});
    EXPECT_EQ(E->BorderStyle(), Controls::bsNone) << "the frame replaces the border";
    Other->SetFocus();
    E->Invalidate();
    ProcessMessages();
    EXPECT_TRUE(E->SelfPaints());
    auto B = GrabControl(E);
    const int Mid = E->ClientHeight() / 2;
    EXPECT_EQ(PixelOf(*B, E->ClientWidth() - 6, Mid), clAqua) << "the unfocused colour";
    EXPECT_NE(PixelOf(*B, E->ClientWidth() / 2, E->ClientHeight() - 1), clAqua) << "the bottom border";
    EXPECT_EQ(PixelOf(*B, 0, Mid), clAqua) << "no left border while unfocused";
    EXPECT_GT(TextInk(E).Count, 5) << "the text";
    // Focused: all four borders around the text widget.
    E->SetFocus();
    ProcessMessages();
    B = GrabControl(E);
    EXPECT_NE(PixelOf(*B, 0, Mid), clWhite);
    EXPECT_NE(PixelOf(*B, 0, Mid), clAqua);
    TRect Loc;
    E->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Loc));
    EXPECT_EQ(Loc.Left, 2) << "the text keeps clear of the focus frame";
    EXPECT_EQ(Loc.Top, 2);
}

TEST(EditLookUnbound, TheComboAndSpinButtonsAreTheLibrarysButtons) {
    TEditLocale Locale;
    TForm Form(nullptr);
    auto* Combo = new TdaDBComboBox(&Form);
    Combo->SetParent(&Form);
    Combo->SetBounds(10, 10, 150, 22);
    TStringList Items;
    Items.Add(u"one");
    Items.Add(u"two");
    Combo->SetItems(&Items);
    auto* Spin = new TdaDBSpinEdit(&Form);
    Spin->SetParent(&Form);
    Spin->SetBounds(10, 40, 150, 22);
    Combo->Loaded();
    Spin->Loaded();
    Form.Show();
    TdaComboButton* B = Combo->Button();
    EXPECT_TRUE(B->InheritsFrom(TdaComboButton::StaticClass()));
    EXPECT_TRUE(Spin->Button()->UpButton()->InheritsFrom(TdaSpinControlButton::StaticClass()));
    EXPECT_EQ(Spin->Button()->UpButton()->ScrollDirection(), dasdUp);
    EXPECT_EQ(Spin->Button()->DownButton()->ScrollDirection(), dasdDown);
    EXPECT_EQ(TdaButtonEffects::Get(Combo), Combo->ButtonEffects()) << "reached by property name";
    EXPECT_EQ(TdaButtonEffects::Get(Spin), Spin->ButtonEffects());

    // The text stops short of the button.
    TRect Loc;
    Combo->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Loc));
    EXPECT_LE(Loc.Right, Combo->ReadTextRightEdge());
    Spin->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Loc));
    EXPECT_LE(Loc.Right, Spin->ReadTextRightEdge());

    // With Patch[2] off the press itself opens and closes the list.
    Combo->SetFocus();
    Combo->Patch[2] = false;
    const TPoint Middle(B->Left() + B->Width() / 2, B->Height() / 2);
    MouseDownMessage(B->Parent(), Middle);
    EXPECT_TRUE(Combo->DroppedDown());
    MouseUpMessage(B->Parent(), Middle);
    EXPECT_TRUE(Combo->DroppedDown()) << "the release does not close it again";
    MouseDownMessage(B->Parent(), Middle);
    MouseUpMessage(B->Parent(), Middle);
    EXPECT_FALSE(Combo->DroppedDown());
    Combo->Patch[2] = true;

    // Flat effects: a flat button with the drop-down glyph.
    EXPECT_TRUE(B->Glyph()->Empty());
    Combo->ButtonEffects()->SetFlat(true);
    EXPECT_TRUE(B->Flat());
    EXPECT_FALSE(B->Glyph()->Empty());
    Spin->ButtonEffects()->SetFlat(true);
    EXPECT_TRUE(Spin->Button()->Flat());
}

TEST(EditLookUnbound, AControllerPushesItsFrameOntoTheEdits) {
    TForm Form(nullptr);
    auto* Controller = new TdaController(&Form);
    auto* E = new TdaDBEdit(&Form);
    E->SetParent(&Form);
    E->Loaded();
    auto* Gone = new TdaDBEdit(&Form);
    Gone->SetParent(&Form);
    Form.Show();
    E->SetController(Controller);
    Gone->SetController(Controller);
    EXPECT_EQ(Controller->ControlList()->Count(), 2);
    delete Gone;
    EXPECT_EQ(Controller->ControlList()->Count(), 1) << "a freed edit leaves the list";
    Controller->Frame()->SetEnabled(true);
    Controller->Frame()->SetFocusStyle(efsFrameSingle);
    Controller->ApplyFrame();
    EXPECT_TRUE(E->Frame()->Enabled());
    EXPECT_EQ(E->Frame()->FocusStyle(), efsFrameSingle);
    EXPECT_EQ(E->BorderStyle(), Controls::bsNone);
    delete Controller;
    EXPECT_EQ(E->Controller(), nullptr);
}
