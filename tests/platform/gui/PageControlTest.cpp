// Page controls: the tab bar's geometry on every side and in several rows, selecting pages by
// mouse and keys with OnChanging and OnChange, owner-drawn tabs, hints, pages coming and going.
#include "CommonControlsTestSupport.h"

#include "platform/base/Strings.h"
#include "platform/gui/ComCtrls.h"

namespace {

// A page control of Count pages "Page 0", "Page 1"... with fixed 60 x 20 tabs (100 x 20 with
// wrapping), 300 x 200 pixels.
TPageControl* NewPages(TComponent* Owner, TWinControl* Parent, int Count, int TabWidth = 60) {
    auto* P = new TPageControl(Owner);
    P->SetBounds(0, 0, 300, 200);
    P->SetTabWidth(TabWidth);
    P->SetTabHeight(20);
    P->SetParent(Parent);
    for (int I = 0; I < Count; ++I) {
        auto* S = new TTabSheet(Owner);
        S->SetCaption(u"Page " + IntToStr(I));
        S->SetPageControl(P);
    }
    return P;
}

struct TTabCase {
    const char* Name;
    TTabPosition Position;
    bool MultiLine;
    bool RaggedRight;
    int Count;
    int TabWidth;
    int Active;
    std::vector<TRect> Tabs;
    TRect Display;
};

const TTabCase TabCases[] = {
    {"Top", tpTop, false, false, 3, 60, 0,
     {Rect(2, 2, 62, 22), Rect(62, 2, 122, 22), Rect(122, 2, 182, 22)}, Rect(4, 26, 296, 196)},
    {"Bottom", tpBottom, false, false, 3, 60, 1,
     {Rect(2, 178, 62, 198), Rect(62, 178, 122, 198), Rect(122, 178, 182, 198)}, Rect(4, 4, 296, 174)},
    {"Left", tpLeft, false, false, 3, 60, 0,
     {Rect(2, 2, 22, 62), Rect(2, 62, 22, 122), Rect(2, 122, 22, 182)}, Rect(26, 4, 296, 196)},
    {"Right", tpRight, false, false, 3, 60, 2,
     {Rect(278, 2, 298, 62), Rect(278, 62, 298, 122), Rect(278, 122, 298, 182)}, Rect(4, 4, 274, 196)},
    // Two 100-pixel tabs fit a row of 296; the row of the active tab lies next to the pages.
    {"RowsFirstActive", tpTop, true, true, 5, 100, 0,
     {Rect(2, 42, 102, 62), Rect(102, 42, 202, 62), Rect(2, 22, 102, 42), Rect(102, 22, 202, 42),
      Rect(2, 2, 102, 22)},
     Rect(4, 66, 296, 196)},
    {"RowsLastActive", tpTop, true, true, 5, 100, 4,
     {Rect(2, 22, 102, 42), Rect(102, 22, 202, 42), Rect(2, 2, 102, 22), Rect(102, 2, 202, 22),
      Rect(2, 42, 102, 62)},
     Rect(4, 66, 296, 196)},
    {"RowsMiddleActive", tpTop, true, true, 5, 100, 3,
     {Rect(2, 2, 102, 22), Rect(102, 2, 202, 22), Rect(2, 42, 102, 62), Rect(102, 42, 202, 62),
      Rect(2, 22, 102, 42)},
     Rect(4, 66, 296, 196)},
    // Not ragged: the rows are stretched to the whole width.
    {"RowsStretched", tpTop, true, false, 5, 100, 0,
     {Rect(2, 42, 150, 62), Rect(150, 42, 298, 62), Rect(2, 22, 150, 42), Rect(150, 22, 298, 42),
      Rect(2, 2, 298, 22)},
     Rect(4, 66, 296, 196)},
    {"RowsAtTheBottom", tpBottom, true, true, 3, 100, 2,
     {Rect(2, 178, 102, 198), Rect(102, 178, 202, 198), Rect(2, 158, 102, 178)}, Rect(4, 4, 296, 154)},
    // Tabs on the sides always wrap: three 90-pixel tabs need two columns of 196.
    {"ColumnsOnTheLeft", tpLeft, false, true, 3, 90, 2,
     {Rect(2, 2, 22, 92), Rect(2, 92, 22, 182), Rect(22, 2, 42, 92)}, Rect(46, 4, 296, 196)},
};

class TabGeometry : public ::testing::TestWithParam<TTabCase> {};

} // namespace

TEST_P(TabGeometry, PlacesTabsAndPages) {
    const TTabCase& K = GetParam();
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 400, 300);
    TPageControl* Pages = NewPages(&Form, &Form, K.Count, K.TabWidth);
    Pages->SetTabPosition(K.Position);
    Pages->SetMultiLine(K.MultiLine);
    Pages->SetRaggedRight(K.RaggedRight);
    Pages->SetActivePageIndex(K.Active);
    ASSERT_EQ(Pages->TabCount(), K.Count);
    for (int I = 0; I < K.Count; ++I) {
        EXPECT_EQ(Pages->TabRect(I), K.Tabs[std::size_t(I)]) << "tab " << I;
        const TRect& R = K.Tabs[std::size_t(I)];
        EXPECT_EQ(Pages->IndexOfTabAt((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2), I) << "tab " << I;
    }
    EXPECT_EQ(Pages->DisplayRect(), K.Display);
    // The active page fills the display area; the others are hidden.
    EXPECT_EQ(Pages->ActivePage()->BoundsRect(), K.Display);
    for (int I = 0; I < K.Count; ++I)
        EXPECT_EQ(Pages->Pages(I)->Visible(), I == K.Active) << "page " << I;
    const TRect D = K.Display;
    EXPECT_EQ(Pages->IndexOfTabAt((D.Left + D.Right) / 2, (D.Top + D.Bottom) / 2), -1);
    // Painted, the active tab stands out over the frame and the pages cover the inside.
    Form.Show();
    Pump();
    const QImage I = Grab(&Form);
    const TRect A = K.Tabs[std::size_t(K.Active)];
    EXPECT_EQ(PixelAt(I, A.Left + 4, A.Top + 4), ColorToRGB(clBtnFace));
    if (std::string(K.Name) == "RowsMiddleActive") SaveGrab(I, "morvane-tabs-rows.png");
    if (std::string(K.Name) == "ColumnsOnTheLeft") SaveGrab(I, "morvane-tabs-left.png");
    Form.Hide();
}

INSTANTIATE_TEST_SUITE_P(PageControl, TabGeometry, ::testing::ValuesIn(TabCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(PageControl, ActiveTabIsHitFirstAndRowsFollowTheSelection) {
    TForm Form(nullptr);
    TPageControl* Pages = NewPages(&Form, &Form, 3);
    // The active tab is drawn 2 pixels larger: its margin belongs to it.
    EXPECT_EQ(Pages->IndexOfTabAt(1, 1), 0);
    EXPECT_EQ(Pages->IndexOfTabAt(63, 10), 0);
    EXPECT_EQ(Pages->IndexOfTabAt(65, 10), 1);
    EXPECT_EQ(Pages->IndexOfTabAt(250, 10), -1);
    EXPECT_EQ(Pages->RowCount(), 1);
    Pages->SetTabWidth(140);
    Pages->SetMultiLine(true);
    EXPECT_EQ(Pages->RowCount(), 2);
    EXPECT_EQ(Pages->DisplayRect().Top, 2 * 20 + 2 + 4);
}

TEST(PageControl, TabsThatDoNotFitOneRowScroll) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 400, 300);
    TPageControl* Pages = NewPages(&Form, &Form, 6, 100);
    EXPECT_EQ(Pages->RowCount(), 1);
    EXPECT_EQ(Pages->TabRect(0), Rect(2, 2, 102, 22));
    EXPECT_TRUE(Pages->TabRect(3).IsEmpty()); // beyond the arrows
    Form.Show();
    // The forward arrow at the right end of the row.
    Click(Pages, {300 - 8, 10});
    EXPECT_TRUE(Pages->TabRect(0).IsEmpty());
    EXPECT_EQ(Pages->TabRect(1), Rect(2, 2, 102, 22));
    EXPECT_EQ(Pages->ActivePageIndex(), 0); // scrolling selects nothing
    // Selecting a tab out of view brings it in.
    Pages->SetActivePageIndex(5);
    EXPECT_FALSE(Pages->TabRect(5).IsEmpty());
    Click(Pages, {300 - 24, 10}); // back
    Click(Pages, {300 - 24, 10});
    EXPECT_FALSE(Pages->TabRect(3).IsEmpty());
    Form.Hide();
}

TEST_F(TFormFixture, ClickingATabChangesThePageUnlessOnChangingRefuses) {
    TPageControl* Pages = NewPages(Form, Form, 3);
    std::vector<std::string> Log;
    bool Allow = false;
    Pages->OnChanging = [&](TObject*, bool& AllowChange) {
        Log.push_back("changing from " + std::to_string(Pages->ActivePageIndex()));
        AllowChange = Allow;
    };
    Pages->OnChange = [&](TObject*) { Log.push_back("change to " + std::to_string(Pages->ActivePageIndex())); };
    Pages->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int X, int Y) {
        Log.push_back("mouse down " + std::to_string(Pages->IndexOfTabAt(X, Y)));
    };
    Pages->Pages(0)->OnHide = [&](TObject*) { Log.push_back("hide 0"); };
    Pages->Pages(1)->OnShow = [&](TObject*) { Log.push_back("show 1"); };
    Form->Show();
    TMessageLog Messages(Pages);
    Click(Pages, {90, 12});
    EXPECT_EQ(Pages->ActivePageIndex(), 0);
    Allow = true;
    Click(Pages, {90, 12});
    EXPECT_EQ(Pages->ActivePage(), Pages->Pages(1));
    EXPECT_EQ(Pages->TabIndex(), 1);
    EXPECT_TRUE(Pages->Pages(1)->Showing());
    EXPECT_FALSE(Pages->Pages(0)->Showing());
    EXPECT_EQ(Log, (std::vector<std::string>{"changing from 0", "mouse down 1", "changing from 0", "show 1",
                                             "hide 0", "change to 1", "mouse down 1"}));
    EXPECT_EQ(Messages.Of(WM_LBUTTONDOWN).size(), 2u);
    // Setting the page from code asks nobody.
    Log.clear();
    Pages->SetActivePageIndex(2);
    Pages->SetActivePage(Pages->Pages(0));
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(Pages->ActivePageIndex(), 0);
    Form->Hide(); // while the log still exists
}

TEST_F(TFormFixture, KeysTurnThePages) {
    TPageControl* Pages = NewPages(Form, Form, 3);
    auto* Edit = new TTestEdit(Form, Pages->Pages(0));
    Edit->DlgCode = DLGC_WANTCHARS;
    auto* Other = new TTestEdit(Form, Pages->Pages(1));
    Other->DlgCode = DLGC_WANTCHARS;
    int Changes = 0;
    bool Allow = true;
    Pages->OnChanging = [&](TObject*, bool& AllowChange) { AllowChange = Allow; };
    Pages->OnChange = [&](TObject*) { ++Changes; };
    Form->Show();
    Pages->SetFocus();
    TMessageLog Messages(Pages);
    SendKey(Pages, Qt::Key_Right);
    EXPECT_EQ(Pages->ActivePageIndex(), 1);
    SendKey(Pages, Qt::Key_End);
    EXPECT_EQ(Pages->ActivePageIndex(), 2);
    SendKey(Pages, Qt::Key_Right); // the last stays
    SendKey(Pages, Qt::Key_Home);
    EXPECT_EQ(Pages->ActivePageIndex(), 0);
    Allow = false;
    SendKey(Pages, Qt::Key_Left);
    SendKey(Pages, Qt::Key_Right);
    EXPECT_EQ(Pages->ActivePageIndex(), 0);
    EXPECT_EQ(Changes, 3);
    EXPECT_EQ(Messages.Of(WM_KEYDOWN).size(), 6u);
    // Ctrl+Tab from a control on a page turns to the next page, Ctrl+Shift+Tab back.
    Allow = true;
    Edit->SetFocus();
    SendKey(Edit, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Pages->ActivePageIndex(), 1);
    SendKey(Pages, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Pages->ActivePageIndex(), 0);
    EXPECT_EQ(Changes, 5);
}

TEST_F(TFormFixture, OwnerDrawnTabsPaintThroughTheCanvas) {
    Form->SetBounds(0, 0, 500, 200);
    TPageControl* Pages = NewPages(Form, Form, 3, 150);
    Pages->SetTabHeight(0); // fitted to the font
    Pages->SetBounds(0, 0, 500, 200);
    Pages->SetOwnerDraw(true);
    Pages->SetActivePageIndex(1);
    struct TDrawn {
        int Index;
        TRect Rect;
        bool Active;
    };
    std::vector<TDrawn> Drawn;
    const TColor Colours[3] = {clRed, clLime, clAqua};
    Pages->OnDrawTab = [&](TCustomTabControl* Control, int TabIndex, const TRect& R, bool Active) {
        Drawn.push_back({TabIndex, R, Active});
        TCanvas* C = Control->Canvas();
        EXPECT_EQ(C->Brush()->Color(), Control->Color());
        C->Brush()->SetColor(Colours[TabIndex]);
        C->FillRect(R);
        C->Brush()->SetStyle(bsClear);
        C->TextOut(R.Left + 3, R.Top + 3, static_cast<TPageControl*>(Control)->Pages(TabIndex)->Caption());
        // A close button at the right end of the tab.
        TRect Close = Rect(R.Right - 19, R.Top + (Active ? 4 : 3), R.Right - 5, R.Top + (Active ? 4 : 3) + 14);
        DrawFrameControl(C, Close, DFC_CAPTION, DFCS_CAPTIONCLOSE);
    };
    Form->Show();
    Pump();
    const QImage I = Grab(Form);
    SaveGrab(I, "morvane-owner-drawn-tabs.png");
    ASSERT_GE(Drawn.size(), 3u);
    for (int T = 0; T < 3; ++T) {
        auto It = std::find_if(Drawn.rbegin(), Drawn.rend(), [T](const TDrawn& D) { return D.Index == T; });
        ASSERT_NE(It, Drawn.rend()) << "tab " << T;
        const TRect Tab = Pages->TabRect(T);
        // The inside of the frame: the active tab's is larger.
        const TRect Expected = T == 1 ? Rect(Tab.Left, Tab.Top, Tab.Right, Tab.Bottom + 1)
                                      : Rect(Tab.Left + 2, Tab.Top + 2, Tab.Right - 2, Tab.Bottom);
        EXPECT_EQ(It->Rect, Expected) << "tab " << T;
        EXPECT_EQ(It->Active, T == 1);
        // Its colour, its close button's cross, and the frame around it.
        EXPECT_EQ(PixelAt(I, It->Rect.Left + 60, It->Rect.Top + 2), Colours[T]) << "tab " << T;
        EXPECT_GT(DarkPixelsIn(I, Rect(It->Rect.Right - 16, It->Rect.Top + 6, It->Rect.Right - 8, It->Rect.Top + 14)), 4);
        if (T == 0) {
            EXPECT_EQ(PixelAt(I, Tab.Left, Tab.Top + 8), ColorToRGB(clBtnHighlight));
        }
    }
}

TEST(PageControl, TabHintsComeFromThePages) {
    TForm Form(nullptr);
    TPageControl* Pages = NewPages(&Form, &Form, 3);
    Pages->SetHint(u"pages");
    Pages->Pages(1)->SetHint(u"/home/user/Blink/Blink.ino|long");
    THintInfo Info;
    Info.HintControl = Pages;
    Info.HintStr = u"pages";
    Info.CursorPos = {90, 12};
    Pages->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info));
    EXPECT_EQ(Info.HintStr, u"/home/user/Blink/Blink.ino");
    EXPECT_EQ(Info.CursorRect, Pages->TabRect(1));
    // Over a tab without a hint, or over the page, the control's own hint stays.
    for (TPoint P : {TPoint{150, 12}, TPoint{150, 100}}) {
        THintInfo Plain;
        Plain.HintStr = u"pages";
        Plain.CursorPos = P;
        Pages->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Plain));
        EXPECT_EQ(Plain.HintStr, u"pages");
    }
}

TEST(PageControl, PagesComeGoMoveAndHideTheirTabs) {
    TForm Form(nullptr);
    TPageControl* Pages = NewPages(&Form, &Form, 4);
    EXPECT_EQ(Pages->ActivePageIndex(), 0); // the first page becomes active by itself
    TTabSheet* P2 = Pages->Pages(2);
    P2->SetTag(7);
    EXPECT_EQ(GetOrdProp(P2, u"Tag"), 7);
    EXPECT_EQ(P2->PageIndex(), 2);
    // A page without its tab is skipped by the tab numbers.
    Pages->Pages(1)->SetTabVisible(false);
    EXPECT_EQ(Pages->TabCount(), 3);
    EXPECT_EQ(Pages->Pages(1)->TabIndex(), -1);
    EXPECT_EQ(P2->TabIndex(), 1);
    EXPECT_EQ(Pages->FindNextPage(Pages->Pages(0), true, true), P2);
    EXPECT_EQ(Pages->FindNextPage(Pages->Pages(0), false, true), Pages->Pages(3));
    EXPECT_EQ(Pages->FindNextPage(Pages->Pages(0), true, false), Pages->Pages(1));
    // The active page that loses its tab hands over to the next one.
    Pages->SetActivePage(P2);
    P2->SetTabVisible(false);
    EXPECT_EQ(Pages->ActivePage(), Pages->Pages(3));
    P2->SetTabVisible(true);
    Pages->Pages(1)->SetTabVisible(true);
    // Moving a page moves its tab.
    Pages->Pages(3)->SetPageIndex(0);
    EXPECT_EQ(Pages->Pages(0)->Caption(), u"Page 3");
    EXPECT_EQ(Pages->ActivePageIndex(), 0);
    EXPECT_EQ(Pages->TabRect(0), Rect(2, 2, 62, 22));
    // Freeing the active page activates the one after it (the first after the last).
    delete Pages->Pages(0);
    EXPECT_EQ(Pages->PageCount(), 3);
    EXPECT_EQ(Pages->ActivePage()->Caption(), u"Page 0");
    Pages->SetActivePageIndex(2);
    delete Pages->Pages(2);
    EXPECT_EQ(Pages->ActivePage()->Caption(), u"Page 0");
    // A page moved to another control leaves this one.
    TPageControl* Other = NewPages(&Form, &Form, 0);
    TTabSheet* Moved = Pages->Pages(1);
    Moved->SetPageControl(Other);
    EXPECT_EQ(Pages->PageCount(), 1);
    EXPECT_EQ(Other->ActivePage(), Moved);
    Pages->SetActivePageIndex(-1);
    EXPECT_EQ(Pages->ActivePage(), nullptr);
    EXPECT_EQ(Pages->TabIndex(), -1);
    EXPECT_THROW(Pages->Pages(5), EListError);
    // Published properties by name.
    SetEnumProp(Pages, u"TabPosition", u"tpBottom");
    SetOrdProp(Pages, u"MultiLine", 1);
    EXPECT_EQ(Pages->TabPosition(), tpBottom);
    EXPECT_TRUE(Pages->MultiLine());
    EXPECT_EQ(GetEnumProp(Pages, u"Style"), u"tsTabs");
}

TEST_F(TFormFixture, TabsShowImagesAndHighlightedPages) {
    auto Images = ColourImages({clRed, clBlue});
    TPageControl* Pages = NewPages(Form, Form, 2, 80);
    Pages->SetImages(Images.get());
    Pages->Pages(0)->SetImageIndex(1);
    Pages->Pages(1)->SetHighlighted(true);
    Form->Show();
    Pump();
    const QImage I = Grab(Form);
    const TRect T0 = Pages->TabRect(0), T1 = Pages->TabRect(1);
    bool Blue = false;
    for (int X = T0.Left; X < T0.Right; ++X)
        Blue = Blue || PixelAt(I, X, (T0.Top + T0.Bottom) / 2) == clBlue;
    EXPECT_TRUE(Blue);
    EXPECT_EQ(PixelAt(I, T1.Left + 4, T1.Top + 4), ColorToRGB(clHighlight));
    // A freed image list is forgotten.
    Images.reset();
    EXPECT_EQ(Pages->Images(), nullptr);
}
