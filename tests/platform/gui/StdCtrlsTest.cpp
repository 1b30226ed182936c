// The standard controls together on a form: how they look and lay out, and their registration.
#include "StdCtrlsTestSupport.h"

#include "platform/gui/Buttons.h"

TEST_F(TFormFixture, AFormOfEveryStandardControlShowsThem) {
    Form->SetBounds(10, 10, 520, 360);
    Form->SetColor(clBtnFace);
    auto* Label = new TLabel(Form);
    Label->SetParent(Form);
    Label->SetBounds(8, 8, 0, 0);
    Label->SetCaption(u"&Name:");
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(60, 6, 140, 21);
    Edit->SetText(u"Arduino Uno");
    Label->SetFocusControl(Edit);
    auto* Memo = new TMemo(Form);
    Memo->SetParent(Form);
    Memo->SetBounds(8, 36, 192, 100);
    Memo->SetScrollBars(StdCtrls::ssVertical);
    Memo->SetColor(clBlack);
    Memo->Font()->SetColor(clLime);
    Memo->Font()->SetName(u"Courier New");
    for (int I = 1; I <= 12; ++I)
        Memo->Lines()->Add(u"received line " + IntToStr(I));
    auto* Button = new TButton(Form);
    Button->SetParent(Form);
    Button->SetBounds(8, 146, 75, 25);
    Button->SetCaption(u"&Open");
    Button->SetDefault(true);
    auto* Bit = new TBitBtn(Form);
    Bit->SetParent(Form);
    Bit->SetBounds(90, 146, 90, 25);
    Bit->SetKind(bkCancel);
    auto* Check = new TCheckBox(Form);
    Check->SetParent(Form);
    Check->SetBounds(8, 180, 120, 17);
    Check->SetCaption(u"Log channels");
    Check->SetChecked(true);
    auto* Gray = new TCheckBox(Form);
    Gray->SetParent(Form);
    Gray->SetBounds(8, 200, 120, 17);
    Gray->SetCaption(u"Grayed");
    Gray->SetAllowGrayed(true);
    Gray->SetState(cbGrayed);
    auto* Radio = new TRadioButton(Form);
    Radio->SetParent(Form);
    Radio->SetBounds(8, 220, 120, 17);
    Radio->SetCaption(u"Radio");
    Radio->SetChecked(true);
    auto* Group = new TRadioGroup(Form);
    Group->SetParent(Form);
    Group->SetBounds(210, 6, 140, 80);
    Group->SetCaption(u"Direction");
    Group->Items()->Add(u"&Forward");
    Group->Items()->Add(u"&Backward");
    Group->SetItemIndex(0);
    auto* List = new TListBox(Form);
    List->SetParent(Form);
    List->SetBounds(210, 94, 140, 90);
    for (int I = 1; I <= 10; ++I)
        List->Items()->Add(u"COM" + IntToStr(I));
    List->SetItemIndex(2);
    auto* Combo = new TComboBox(Form);
    Combo->SetParent(Form);
    Combo->SetBounds(210, 192, 140, 21);
    Combo->Items()->Add(u"9600");
    Combo->Items()->Add(u"115200");
    Combo->SetItemIndex(1);
    auto* ComboList = new TComboBox(Form);
    ComboList->SetParent(Form);
    ComboList->SetStyle(csDropDownList);
    ComboList->SetBounds(210, 220, 140, 21);
    ComboList->Items()->Add(u"None");
    ComboList->Items()->Add(u"Even");
    ComboList->SetItemIndex(0);
    auto* Bar = new TScrollBar(Form);
    Bar->SetParent(Form);
    Bar->SetBounds(8, 250, 200, 17);
    Bar->SetPosition(40);
    Bar->SetPageSize(20);
    auto* VBar = new TScrollBar(Form);
    VBar->SetParent(Form);
    VBar->SetKind(sbVertical);
    VBar->SetBounds(360, 6, 17, 180);
    auto* Box = new TGroupBox(Form);
    Box->SetParent(Form);
    Box->SetBounds(384, 6, 120, 100);
    Box->SetCaption(u"Port");
    auto* Inner = new TLabel(Form);
    Inner->SetParent(Box);
    Inner->SetBounds(10, 20, 0, 0);
    Inner->SetCaption(u"COM3 open");
    auto* Disabled = new TButton(Form);
    Disabled->SetParent(Form);
    Disabled->SetBounds(384, 120, 75, 25);
    Disabled->SetCaption(u"Disabled");
    Disabled->SetEnabled(false);
    Form->Show();
    Pump();
    TTempFolder Folder;
    SaveGrab(Form, Folder, "stdctrls-form.png");
    // Edits show their own colours; the label fits its text; the memo's window bar took its
    // width from the client area.
    const QImage Image = Grab(Form);
    EXPECT_EQ(PixelAt(Image, 8 + 160, 36 + 60), static_cast<TColor>(ColorToRGB(clBlack)));
    EXPECT_GT(Label->Width(), 20);
    EXPECT_EQ(Memo->ClientWidth(), 192 - 4 - GetSystemMetrics(SM_CXVSCROLL));
    // A drop-down combo box is as high as its font asks (text, margins, border).
    EXPECT_EQ(Combo->Height(), Combo->ItemHeight() + 8);
}

TEST(StdCtrls, ClassesAreRegisteredWithTheirPublishedProperties) {
    struct TCase {
        const char16_t* Class;
        std::vector<const char16_t*> Properties;
    };
    const TCase Cases[] = {
        {u"TLabel", {u"Caption", u"Alignment", u"Layout", u"WordWrap", u"AutoSize", u"FocusControl"}},
        {u"TEdit", {u"Text", u"MaxLength", u"ReadOnly", u"PasswordChar", u"CharCase", u"OnChange"}},
        {u"TMemo", {u"Lines", u"ScrollBars", u"WordWrap", u"WantReturns", u"WantTabs"}},
        {u"TButton", {u"Caption", u"Default", u"Cancel", u"ModalResult", u"Action"}},
        {u"TBitBtn", {u"Glyph", u"Kind", u"NumGlyphs", u"Layout", u"Spacing", u"Margin"}},
        {u"TCheckBox", {u"Checked", u"State", u"AllowGrayed", u"Alignment"}},
        {u"TRadioButton", {u"Checked", u"Alignment"}},
        {u"TGroupBox", {u"Caption"}},
        {u"TRadioGroup", {u"Items", u"ItemIndex", u"Columns"}},
        {u"TComboBox", {u"Style", u"Items", u"ItemIndex", u"Text", u"Sorted", u"DropDownCount", u"OnSelect"}},
        {u"TListBox",
         {u"Items", u"ItemIndex", u"MultiSelect", u"Sorted", u"Style", u"ItemHeight", u"Columns"}},
        {u"TScrollBar", {u"Kind", u"Min", u"Max", u"Position", u"PageSize", u"SmallChange", u"OnScroll"}},
    };
    for (const TCase& C : Cases) {
        TClass Class = GetClass(C.Class);
        ASSERT_NE(Class, nullptr) << U8(C.Class);
        for (const char16_t* P : C.Properties)
            EXPECT_TRUE(IsPublishedProp(Class, P)) << U8(C.Class) << "." << U8(P);
    }
    // Read and written by name, as the settings stores do.
    TForm Form(nullptr);
    auto* Edit = new TEdit(&Form);
    SetStrProp(Edit, u"Text", u"COM7");
    SetOrdProp(Edit, u"MaxLength", 12);
    EXPECT_EQ(U8(Edit->Text()), "COM7");
    EXPECT_EQ(GetOrdProp(Edit, u"MaxLength"), 12);
    auto* Memo = new TMemo(&Form);
    SetEnumProp(Memo, u"ScrollBars", u"ssBoth");
    EXPECT_EQ(Memo->ScrollBars(), StdCtrls::ssBoth);
}
