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
