// A form built of every common control, laid out, painted and grabbed.
#include "CommonControlsTestSupport.h"

#include "platform/base/Strings.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"
#include "platform/base/Strings.h"

TEST(CommonForm, ShowsEveryControl) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 800, 500);
    Form.SetColor(clBtnFace);
    auto Images = ColourImages({clRed, clLime, clBlue, clYellow, clAqua});

    auto* Bar = new TToolBar(&Form);
    Bar->SetParent(&Form);
    Bar->SetButtonWidth(31);
    Bar->SetButtonHeight(30);
    Bar->SetHeight(36);
    Bar->SetImages(Images.get());
    Bar->SetFlat(true);
    for (int I = 0; I < 6; ++I) {
        auto* B = new TToolButton(&Form);
        B->SetParent(Bar);
        if (I == 3) {
            B->SetStyle(tbsSeparator);
            continue;
        }
        B->SetImageIndex(I % 5);
        if (I == 4) B->SetEnabled(false);
        if (I == 5) {
            B->SetStyle(tbsCheck);
            B->SetDown(true);
        }
    }
    auto* Status = new TStatusBar(&Form);
    Status->SetParent(&Form);
    for (const char16_t* T : {u"  12:  3 ", u"Modified", u"Insert"}) {
        TStatusPanel* P = Status->Panels()->Add();
        P->SetText(T);
        P->SetWidth(80);
    }

    auto* Left = new TPanel(&Form);
    Left->SetParent(&Form);
    Left->SetAlign(alLeft);
    Left->SetWidth(250);
    Left->SetBevelOuter(bvNone);
    auto* LeftTabs = new TPageControl(&Form);
    LeftTabs->SetParent(Left);
    LeftTabs->SetAlign(alClient);
    LeftTabs->SetTabPosition(tpLeft);
    for (const char16_t* T : {u"Sketches", u"Examples", u"Libraries", u"Recent"}) {
        auto* S = new TTabSheet(&Form);
        S->SetCaption(T);
        S->SetPageControl(LeftTabs);
    }
    auto* Shape = new TShape(&Form);
    Shape->SetParent(LeftTabs->Pages(0));
    Shape->SetBounds(10, 10, 60, 40);
    Shape->SetShape(stRoundRect);
    Shape->Brush()->SetColor(clYellow);
    auto* Circle = new TShape(&Form);
    Circle->SetParent(LeftTabs->Pages(0));
    Circle->SetBounds(80, 10, 60, 40);
    Circle->SetShape(stCircle);
    Circle->Brush()->SetColor(clAqua);
    auto* Spin = new TSpinEdit(&Form);
    Spin->SetParent(LeftTabs->Pages(0));
    Spin->SetBounds(10, 60, 80, 22);
    Spin->SetMinValue(-10);
    Spin->SetMaxValue(10);
    Spin->SetValue(3);
    auto* Track = new TTrackBar(&Form);
    Track->SetParent(LeftTabs->Pages(0));
    Track->SetBounds(10, 90, 180, 45);
    Track->SetPosition(4);
    auto* Progress = new TProgressBar(&Form);
    Progress->SetParent(LeftTabs->Pages(0));
    Progress->SetBounds(10, 140, 180, 16);
    Progress->SetPosition(60);
    auto* Smooth = new TProgressBar(&Form);
    Smooth->SetParent(LeftTabs->Pages(0));
    Smooth->SetBounds(10, 162, 180, 8);
    Smooth->SetSmooth(true);
    Smooth->SetBarColor(clRed);
    Smooth->SetPosition(40);
    auto* Bevel = new TBevel(&Form);
    Bevel->SetParent(LeftTabs->Pages(0));
    Bevel->SetBounds(10, 180, 180, 30);
    Bevel->SetShape(bsFrame);
    auto* Image = new TImage(&Form);
    Image->SetParent(LeftTabs->Pages(0));
    Image->SetBounds(10, 220, 32, 32);
    Image->Canvas()->Brush()->SetColor(clNavy);
    Image->Canvas()->Ellipse(0, 0, 32, 32);

    auto* Split = new TSplitter(&Form);
    Split->SetParent(&Form);
    Split->SetLeft(300);
    Split->SetColor(clBlue);

    auto* Right = new TPanel(&Form);
    Right->SetParent(&Form);
    Right->SetAlign(alRight);
    Right->SetWidth(29);
    auto* VBar = new TToolBar(&Form);
    VBar->SetParent(Right);
    VBar->SetAlign(alLeft);
    VBar->SetEdgeBorders({});
    VBar->SetImages(Images.get());
    for (int I = 0; I < 3; ++I) {
        auto* B = new TToolButton(&Form);
        B->SetParent(VBar);
        B->SetImageIndex(I);
    }

    auto* Edit = new TPageControl(&Form);
    Edit->SetParent(&Form);
    Edit->SetAlign(alClient);
    Edit->SetMultiLine(true);
    Edit->SetImages(Images.get());
    for (const char16_t* T : {u"Arduino", u"Blink", u"Serial", u"VeryLongSketchNameFo", u"helpers", u"notes",
                              u"config", u"main"}) {
        auto* S = new TTabSheet(&Form);
        S->SetCaption(T);
        S->SetPageControl(Edit);
        S->SetImageIndex(S->PageIndex() % 3);
    }
    Edit->SetActivePageIndex(5);
    auto* Info = new TPanel(&Form);
    Info->SetParent(Edit->Pages(5));
    Info->SetAlign(alBottom);
    Info->SetBevelOuter(bvLowered);
    Info->SetCaption(u"A lowered panel");
    auto* Errors = new TListBox(&Form);
    Errors->SetParent(Edit->Pages(5));
    Errors->SetAlign(alBottom);
    Errors->SetHeight(50);
    Errors->Font()->SetName(u"Courier New");
    Errors->Items()->Add(u"Blink.ino:12:3: error: 'x' was not declared in this scope");
    auto* Split2 = new TSplitter(&Form);
    Split2->SetTop(100);
    Split2->SetParent(Edit->Pages(5));
    Split2->SetAlign(alBottom);
    Split2->SetHeight(3);
    Split2->SetBeveled(true);
    auto* Thin = new TProgressBar(&Form);
    Thin->SetParent(Edit->Pages(5));
    Thin->SetAlign(alBottom);
    Thin->SetHeight(8);
    Thin->SetTop(400);
    Thin->SetBarColor(255);
    Thin->SetStyle(pbstMarquee);
    Thin->SetState(pbsPaused);

    Form.Show();
    Pump();
    const QImage Picture = Grab(&Form);
    SaveGrab(Picture, "morvane-common-form.png");
    // A few things where they belong; the picture itself is for looking at.
    EXPECT_EQ(PixelAt(Picture, Split->Left() + 1, Split->Top() + 50), clBlue);
    EXPECT_EQ(Edit->RowCount(), 2);
    EXPECT_EQ(PixelAt(Picture, 15, 2 + 15), clRed); // the first tool button's image
    const TPoint Yellow = Form.ScreenToClient(Shape->ClientToScreen({30, 20}));
    EXPECT_EQ(PixelAt(Picture, Yellow.X, Yellow.Y), clYellow);
    const TPoint Red = Form.ScreenToClient(Smooth->ClientToScreen({10, 4}));
    EXPECT_EQ(PixelAt(Picture, Red.X, Red.Y), clRed);
    EXPECT_GT(DarkPixelsIn(Picture, Status->BoundsRect()), 20);
    Form.Hide();
}

TEST(CommonForm, ClassesAreRegisteredWithTheirProperties) {
    // clang-format off
    const std::pair<const char16_t*, const char16_t*> Classes[] = {
        {u"TPanel", u"BevelOuter"},      {u"TSplitter", u"MinSize"},      {u"TImage", u"Stretch"},
        {u"TShape", u"Shape"},           {u"TBevel", u"Style"},           {u"TPaintBox", u"OnPaint"},
        {u"TPageControl", u"MultiLine"}, {u"TTabSheet", u"TabVisible"},   {u"TToolBar", u"ButtonWidth"},
        {u"TToolButton", u"Style"},      {u"TStatusBar", u"SimplePanel"}, {u"TProgressBar", u"BarColor"},
        {u"TTrackBar", u"TickStyle"},    {u"TSpinEdit", u"MaxValue"},     {u"TTimer", u"Interval"},
    };
    // clang-format on
    for (const auto& [Name, Property] : Classes) {
        TClass C = GetClass(Name);
        ASSERT_NE(C, nullptr) << StringToUtf8(Name);
        EXPECT_TRUE(IsPublishedProp(C, Property)) << StringToUtf8(Name);
        EXPECT_TRUE(IsPublishedProp(C, u"Align") || String(Name) == u"TTimer") << StringToUtf8(Name);
    }
    // Made by name, as stores do.
    std::unique_ptr<TComponent> Made(GetClass(u"TPageControl")->Create(static_cast<TComponent*>(nullptr)));
    ASSERT_NE(dynamic_cast<TPageControl*>(Made.get()), nullptr);
    SetOrdProp(Made.get(), u"TabWidth", 150);
    EXPECT_EQ(static_cast<TPageControl*>(Made.get())->TabWidth(), 150);
}
