// The edits as the user sees them, grabbed from real windows: text, the combo buttons in their
// states, the open list, and the spin halves. Each picture is also kept as a PNG in the test's
// folder.
#include "dataaware/edits/daDBCombo.h"
#include "dataaware/edits/daDBSpinEdit.h"
#include "EditTestSupport.h"

#include "platform/gui/Graphics.h"

namespace {

// Dark pixels (arrows, dots, text) inside a rectangle of the picture.
int DarkPixels(TBitmap& B, const TRect& R) {
    int N = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X) {
            const TColor C = PixelOf(B, X, Y);
            if ((C & 0xFF) + ((C >> 8) & 0xFF) + ((C >> 16) & 0xFF) < 200) ++N;
        }
    return N;
}

int DifferentPixels(TBitmap& A, TBitmap& B, const TRect& R) {
    int N = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X)
            if (PixelOf(A, X, Y) != PixelOf(B, X, Y)) ++N;
    return N;
}

TRect InForm(TControl* C, TForm* Form) {
    const TPoint P = Form->ScreenToClient(C->ClientToScreen(TPoint(0, 0)));
    return TRect(P.X, P.Y, P.X + C->Width(), P.Y + C->Height());
}

} // namespace

TEST(EditPictures, EditsCombosAndSpinEditInTheirStates) {
    TEditLocale Locale;
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 380, 260);
    Form.SetColor(clBtnFace);
    TDataSet* DS = MakeEditDataSet(&Form, dkMemory);
    auto* Source = new TDataSource(&Form);
    Source->SetDataSet(DS);
    DS->Edit();
    DS->FieldByName(u"BORN")->SetAsDateTime(EncodeDate(2026, 3, 7));
    DS->FieldByName(u"NAME")->SetAsString(u"Y");
    DS->Post();

    auto Place = [&](TdaDBCustomEdit* E, int Top) {
        E->SetParent(&Form);
        E->SetBounds(10, Top, 200, 22);
    };
    auto* Name = new TdaDBEdit(&Form);
    Place(Name, 10);
    Name->SetDataSource(Source);
    Name->SetDataField(u"BORN");
    auto* Masked = new TdaDBEdit(&Form);
    Place(Masked, 40);
    Masked->Loaded();
    Masked->Picture()->SetPictureMask(u"###-####");
    auto* Arrow = new TdaDBComboBox(&Form);
    Place(Arrow, 70);
    Arrow->SetMapList(true);
    TStringList Items;
    Items.Add(u"Yes\tY");
    Items.Add(u"No\tN");
    Arrow->SetItems(&Items);
    Arrow->SetDataSource(Source);
    Arrow->SetDataField(u"NAME");
    auto* Ellipsis = new TdaDBCustomCombo(&Form);
    Place(Ellipsis, 100);
    Ellipsis->Loaded();
    Ellipsis->SetText(u"Choose...");
    auto* Spin = new TdaDBSpinEdit(&Form);
    Place(Spin, 130);
    Spin->SetDataSource(Source);
    Spin->SetDataField(u"BORN");
    auto* Number = new TdaDBSpinEdit(&Form);
    Place(Number, 160);
    Number->Loaded();
    Number->SetValue(42);
    for (TdaDBCustomEdit* E : std::initializer_list<TdaDBCustomEdit*>{Masked, Arrow, Ellipsis, Number})
        E->Loaded();
    Form.Show();
    Masked->SetFocus();
    TypeChars(Masked, u"5551");
    ProcessMessages();

    auto Normal = GrabControl(&Form);
    Normal->SaveToFile(u"edits-normal.png");
    EXPECT_EQ(Arrow->Text(), u"Yes");
    EXPECT_EQ(Masked->Text(), u"555-1");
    const TRect ArrowButton = InForm(Arrow->Button(), &Form);
    const TRect Dots = InForm(Ellipsis->Button(), &Form);
    const TRect UpHalf = InForm(Spin->Button()->UpButton(), &Form);
    const TRect DownHalf = InForm(Spin->Button()->DownButton(), &Form);
    EXPECT_GT(DarkPixels(*Normal, ArrowButton), 3) << "the arrow is drawn";
    EXPECT_GT(DarkPixels(*Normal, Dots), 2) << "the dots are drawn";
    EXPECT_GT(DarkPixels(*Normal, UpHalf), 3);
    EXPECT_GT(DarkPixels(*Normal, DownHalf), 3);
    EXPECT_GT(DarkPixels(*Normal, InForm(Name, &Form)), 20) << "the field's text shows";

    // Open: the arrow is pushed and the list shows its lines under the combo.
    Arrow->SetFocus();
    Arrow->DropDown();
    ProcessMessages();
    auto Open = GrabControl(&Form);
    Open->SaveToFile(u"edits-dropped.png");
    auto List = GrabControl(Arrow->ListWindow());
    List->SaveToFile(u"edits-list.png");
    EXPECT_GT(DifferentPixels(*Open, *Normal, ArrowButton), 3) << "the pushed button looks different";
    EXPECT_GT(DarkPixels(*List, TRect(0, 0, List->Width(), List->Height())), 10);
    Arrow->CloseUp(false);

    // The up half held down.
    TdaSpinButton* B = Spin->Button();
    MouseDownMessage(B, TPoint(B->Width() / 2, 2));
    ProcessMessages();
    auto Held = GrabControl(&Form);
    Held->SaveToFile(u"edits-spin-held.png");
    MouseUpMessage(B, TPoint(B->Width() / 2, 2));
    EXPECT_GT(DifferentPixels(*Held, *Normal, UpHalf), 3) << "the held half looks pushed";
    EXPECT_EQ(Spin->Text(), u"4/7/2026") << "the click stepped the month under the caret";
}

TEST(EditPictures, FramesAlignedTextAndTransparency) {
    TEditLocale Locale;
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 380, 230);
    Form.SetColor(clSilver);
    TDataSet* DS = MakeEditDataSet(&Form, dkMemory);
    auto* Source = new TDataSource(&Form);
    Source->SetDataSet(DS);
    DS->Edit();
    DS->FieldByName(u"PRICE")->SetAsFloat(1234.5);
    DS->Post();
    auto Place = [&](TdaDBCustomEdit* E, int Top, const String& Field) {
        E->SetParent(&Form);
        E->SetBounds(10, Top, 200, 22);
        E->SetColor(clWhite);
        if (Field.empty()) {
            E->Loaded();
        } else {
            E->SetDataSource(Source);
            E->SetDataField(Field);
        }
    };
    auto* Number = new TdaDBEdit(&Form);
    Place(Number, 10, u"PRICE");
    auto* Framed = new TdaDBEdit(&Form);
    Place(Framed, 40, u"NAME");
    Framed->Frame()->SetEnabled(true);
    auto* Boxed = new TdaDBEdit(&Form);
    Place(Boxed, 70, String());
    Boxed->SetText(u"boxed");
    Boxed->Frame()->SetEnabled(true);
    Boxed->Frame()->SetNonFocusBorders(
        TdaEditFrameEnabledSet{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder});
    Boxed->Frame()->SetNonFocusStyle(efsFrameSunken);
    auto* Clear = new TdaDBEdit(&Form);
    Place(Clear, 100, String());
    Clear->SetText(u"see-through");
    Clear->Frame()->SetEnabled(true);
    Clear->Frame()->SetTransparent(true);
    auto* Centred = new TdaDBEdit(&Form);
    Place(Centred, 130, String());
    Centred->SetUnboundAlignment(taCenter);
    Centred->SetText(u"middle");
    auto* Flat = new TdaDBComboBox(&Form);
    Place(Flat, 160, String());
    Flat->ButtonEffects()->SetFlat(true);
    Flat->SetText(u"flat");
    auto* Other = new TEdit(&Form);
    Other->SetParent(&Form);
    Other->SetBounds(230, 10, 120, 22);
    Form.Show();
    Other->SetFocus();
    ProcessMessages();

    auto Unfocused = GrabControl(&Form);
    Unfocused->SaveToFile(u"edits-unfocused-looks.png");
    const TRect NumberArea = InForm(Number, &Form);
    const int MidX = (NumberArea.Left + NumberArea.Right) / 2;
    EXPECT_GT(DarkPixels(*Unfocused, TRect(MidX, NumberArea.Top, NumberArea.Right, NumberArea.Bottom)), 10)
        << "the number stands at the right";
    EXPECT_EQ(
        DarkPixels(*Unfocused, TRect(NumberArea.Left + 3, NumberArea.Top + 3, MidX, NumberArea.Bottom - 3)),
        0);
    const TRect ClearArea = InForm(Clear, &Form);
    EXPECT_EQ(PixelOf(*Unfocused, ClearArea.Right - 10, ClearArea.Top + 4), clSilver)
        << "the form shows through a transparent edit";
    EXPECT_GT(DarkPixels(*Unfocused, ClearArea), 10) << "its text is drawn over the form";
    const TRect CentredArea = InForm(Centred, &Form);
    EXPECT_EQ(DarkPixels(*Unfocused, TRect(CentredArea.Left + 3, CentredArea.Top + 3, CentredArea.Left + 60,
                                           CentredArea.Bottom - 3)),
              0)
        << "a centred text keeps away from the left";

    // Focused, each edit edits in its text widget with the focus frame around it.
    Framed->SetFocus();
    ProcessMessages();
    auto Focused = GrabControl(&Form);
    Focused->SaveToFile(u"edits-framed-focused.png");
    const TRect FramedArea = InForm(Framed, &Form);
    EXPECT_GT(DifferentPixels(*Focused, *Unfocused, FramedArea), 20) << "the focus borders show";
    Clear->SetFocus();
    ProcessMessages();
    auto ClearFocused = GrabControl(&Form);
    ClearFocused->SaveToFile(u"edits-transparent-focused.png");
    EXPECT_EQ(Clear->Text(), u"see-through");
}
