// List boxes: clicks and keys pass through WindowProc, select and fire OnClick; owner-drawn
// items are painted by OnDrawItem on the list box's canvas; the window scroll bar follows.
#include "StdCtrlsTestSupport.h"

#include <set>

namespace {

enum TListAct { laClick, laShiftClick, laCtrlClick, laDown, laUp, laHome, laEnd, laSpace, laTypeC };

struct TListCase {
    const char* Name;
    bool MultiSelect;
    int StartIndex;
    std::vector<std::pair<TListAct, int>> Acts; // the item clicked, for clicks
    int ItemIndex;
    std::set<int> Selected;
    int Clicks;
};

const TListCase ListCases[] = {
    {"ClickSelects", false, -1, {{laClick, 3}}, 3, {3}, 1},
    {"EveryClickTells", false, -1, {{laClick, 3}, {laClick, 3}}, 3, {3}, 2},
    {"DownMovesOn", false, 3, {{laDown, 0}}, 4, {4}, 1},
    {"DownAtTheEndStays", false, 9, {{laDown, 0}}, 9, {9}, 0},
    {"UpFromNothingTakesTheFirst", false, -1, {{laUp, 0}}, 0, {0}, 1},
    {"EndAndHome", false, 4, {{laEnd, 0}, {laHome, 0}}, 0, {0}, 2},
    {"TypedLetterChooses", false, 0, {{laTypeC, 0}}, 2, {2}, 1},
    {"ShiftClickExtends", true, -1, {{laClick, 1}, {laShiftClick, 4}}, 4, {1, 2, 3, 4}, 2},
    {"CtrlClickAdds", true, -1, {{laClick, 1}, {laCtrlClick, 3}}, 3, {1, 3}, 2},
    {"ShiftDownExtends", true, -1, {{laClick, 2}, {laDown, 1}}, 3, {2, 3}, 2},
};

class ListInput : public TFormFixture, public ::testing::WithParamInterface<TListCase> {};

TListBox* MakeList(TForm* Form, int Count = 10) {
    auto* L = new TListBox(Form);
    L->SetParent(Form);
    L->SetBounds(10, 10, 150, 200);
    static const char16_t* Names[] = {u"alpha", u"beta", u"charlie", u"delta", u"echo"};
    for (int I = 0; I < Count; ++I)
        L->Items()->Add(String(Names[I % 5]) + u" " + IntToStr(I));
    return L;
}

} // namespace

TEST_P(ListInput, SelectsAndFiresOnClick) {
    const TListCase& C = GetParam();
    TListBox* L = MakeList(Form);
    L->SetMultiSelect(C.MultiSelect);
    if (C.StartIndex >= 0) L->SetItemIndex(C.StartIndex);
    int Clicks = 0;
    L->OnClick = [&](TObject*) { ++Clicks; };
    Form->Show();
    L->SetFocus();
    TMessageLog Log(L);
    const int H = L->ItemHeight();
    for (auto [Act, Item] : C.Acts) {
        const TPoint P{20, Item * H + H / 2};
        switch (Act) {
        case laClick:
            Click(L, P);
            break;
        case laShiftClick:
            Click(L, P, Qt::LeftButton, Qt::ShiftModifier);
            break;
        case laCtrlClick:
            Click(L, P, Qt::LeftButton, Qt::ControlModifier);
            break;
        case laDown:
            PressKey(L, Qt::Key_Down, Item ? Qt::ShiftModifier : Qt::NoModifier);
            break;
        case laUp:
            PressKey(L, Qt::Key_Up);
            break;
        case laHome:
            PressKey(L, Qt::Key_Home);
            break;
        case laEnd:
            PressKey(L, Qt::Key_End);
            break;
        case laSpace:
            PressKey(L, Qt::Key_Space, Qt::NoModifier, " ");
            break;
        case laTypeC:
            PressKey(L, Qt::Key_C, Qt::NoModifier, "c");
            break;
        }
    }
    EXPECT_EQ(L->ItemIndex(), C.ItemIndex);
    std::set<int> Selected;
    for (int I = 0; I < L->Count(); ++I)
        if (L->Selected(I)) Selected.insert(I);
    EXPECT_EQ(Selected, C.Selected);
    EXPECT_EQ(Clicks, C.Clicks);
    if (C.MultiSelect) {
        EXPECT_EQ(L->SelCount(), static_cast<int>(C.Selected.size()));
    }
    // Through the window procedure, and back as LBN_SELCHANGE.
    EXPECT_EQ(Log.Of(WM_LBUTTONDOWN).size() + Log.Of(WM_KEYDOWN).size(), C.Acts.size());
    std::size_t Notified = 0;
    for (const TMessage& M : Log.Of(CN_COMMAND))
        if (HIWORD(M.WParam) == LBN_SELCHANGE) ++Notified;
    EXPECT_EQ(static_cast<int>(Notified), C.Clicks);
}

INSTANTIATE_TEST_SUITE_P(ListBoxes, ListInput, ::testing::ValuesIn(ListCases),
                         [](const auto& I) { return std::string(I.param.Name); });

TEST_F(TFormFixture, ListBoxCodeSelectsSilentlyAndDoubleClicksTell) {
    TListBox* L = MakeList(Form);
    int Clicks = 0, DoubleClicks = 0;
    L->OnClick = [&](TObject*) { ++Clicks; };
    L->OnDblClick = [&](TObject*) { ++DoubleClicks; };
    L->SetItemIndex(2);
    EXPECT_TRUE(L->Selected(2));
    EXPECT_EQ(L->Perform(LB_GETCURSEL), 2);
    EXPECT_EQ(Clicks, 0);
    L->SetItemIndex(99); // outside: none
    EXPECT_EQ(L->ItemIndex(), -1);
    EXPECT_THROW(L->Selected(10), EListError);
    Form->Show();
    const int H = L->ItemHeight();
    Click(L, {20, H + 2});
    SendMouse(L, QEvent::MouseButtonDblClick, {20, H + 2});
    SendMouse(L, QEvent::MouseButtonRelease, {20, H + 2});
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(DoubleClicks, 1);
    EXPECT_EQ(L->ItemIndex(), 1);
    // Deleting the selected item leaves none selected; items after it move up.
    L->SetItemIndex(4);
    L->Items()->Delete(4);
    EXPECT_EQ(L->ItemIndex(), -1);
    L->SetItemIndex(5);
    L->Items()->Delete(0);
    EXPECT_EQ(L->ItemIndex(), 4);
}

TEST_F(TFormFixture, OwnerDrawnItemsArePaintedByOnDrawItem) {
    auto* L = new TListBox(Form);
    L->SetParent(Form);
    L->SetBounds(10, 10, 120, 120);
    L->SetStyle(lbOwnerDrawFixed);
    L->SetItemHeight(20);
    for (int I = 0; I < 5; ++I)
        L->Items()->Add(u"item " + IntToStr(I));
    const TColor Colors[] = {clRed, clLime, clBlue, clYellow, clAqua};
    std::vector<std::pair<int, TOwnerDrawState>> Drawn;
    L->OnDrawItem = [&](TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State) {
        auto* Box = static_cast<TListBox*>(Control);
        Drawn.push_back({Index, State});
        TCanvas* C = Box->Canvas();
        // Selected items keep the highlight colour the list box set.
        if (!State.Contains(odSelected)) C->Brush()->SetColor(Colors[Index]);
        C->FillRect(Rect);
        C->Brush()->SetStyle(bsClear);
        C->TextOut(Rect.Left + 2, Rect.Top + 2, Box->Items()->Strings(Index));
    };
    L->SetItemIndex(1);
    Form->Show();
    L->SetFocus();
    Drawn.clear();
    const QImage Image = Grab(L);
    // Each item in its rectangle, the selected one in the highlight colour.
    for (int I = 0; I < 5; ++I) {
        const TRect R = L->ItemRect(I);
        EXPECT_EQ(R, Bounds(0, I * 20, L->ClientWidth(), 20));
        const TColor Want = I == 1 ? clHighlight : Colors[I];
        EXPECT_EQ(PixelAt(Image, 2 + R.Right - 4, 2 + R.Top + 10), static_cast<TColor>(ColorToRGB(Want)))
            << I;
    }
    ASSERT_FALSE(Drawn.empty());
    bool SawFocused = false;
    for (auto& [Index, State] : Drawn) {
        EXPECT_EQ(State.Contains(odSelected), Index == 1);
        SawFocused = SawFocused || (Index == 1 && State.Contains(odFocused));
    }
    EXPECT_TRUE(SawFocused);
    TTempFolder Folder;
    SaveGrab(L, Folder, "listbox-owner-drawn.png");
    // Variable heights come from OnMeasureItem.
    L->OnMeasureItem = [](TWinControl*, int Index, int& Height) { Height = 10 + Index * 5; };
    L->SetStyle(lbOwnerDrawVariable);
    EXPECT_EQ(L->ItemRect(2), Bounds(0, 10 + 15, L->ClientWidth(), 20));
    EXPECT_EQ(L->ItemAtPos({5, 26}, true), 2);
}

TEST_F(TFormFixture, ListBoxScrollBarAndGeometry) {
    TListBox* L = MakeList(Form, 3);
    Form->Show();
    // Few items: no bar; below them is Count, or no item.
    EXPECT_EQ(L->ClientWidth(), 150 - 4);
    EXPECT_EQ(L->ItemAtPos({5, 3 * L->ItemHeight() + 5}, false), 3);
    EXPECT_EQ(L->ItemAtPos({5, 3 * L->ItemHeight() + 5}, true), -1);
    for (int I = 3; I < 50; ++I)
        L->Items()->Add(u"more " + IntToStr(I));
    EXPECT_EQ(L->ClientWidth(), 150 - 4 - GetSystemMetrics(SM_CXVSCROLL));
    const int H = L->ItemHeight();
    const int Visible = L->ClientHeight() / H;
    EXPECT_EQ(L->ItemAtPos(L->ItemRect(5).TopLeft(), true), 5);
    EXPECT_EQ(L->ItemAtPos({5, L->ClientHeight() + 50}, true), -1);
    // The user's page down on the bar.
    SendMessage(L->WindowHandle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(L->TopIndex(), Visible);
    EXPECT_EQ(GetScrollPos(L->WindowHandle(), SB_VERT), Visible);
    EXPECT_EQ(L->ItemRect(Visible).Top, 0);
    // Its arrow, clicked.
    Click(L, {L->ClientWidth() + 8, L->ClientHeight() - 4});
    EXPECT_EQ(L->TopIndex(), Visible + 1);
    // End shows the last item at the bottom.
    L->SetFocus();
    PressKey(L, Qt::Key_End);
    EXPECT_EQ(L->ItemIndex(), 49);
    EXPECT_EQ(L->TopIndex(), 50 - Visible);
    // The wheel scrolls.
    const int Top = L->TopIndex();
    QWheelEvent Wheel(QPointF(20, 20), QPointF(WindowOf(L)->mapToGlobal(QPoint(20, 20))), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(WindowOf(L), &Wheel);
    EXPECT_EQ(L->TopIndex(), Top - 3);
}

TEST(ListBoxes, SortedItemsAndColumns) {
    TForm Form(nullptr);
    auto* L = new TListBox(&Form);
    L->SetParent(&Form);
    L->SetSorted(true);
    for (const char16_t* S : {u"delta", u"Alpha", u"charlie", u"bravo"})
        L->Items()->Add(S);
    EXPECT_EQ(U8(L->Items()->CommaText()), "Alpha,bravo,charlie,delta");
    EXPECT_EQ(L->Items()->IndexOf(u"CHARLIE"), 2);
    // Columns: the items run down and on to the next column.
    L->SetSorted(false);
    L->Clear();
    L->SetBounds(0, 0, 204, L->ItemHeight() * 5 + 4 + GetSystemMetrics(SM_CYHSCROLL));
    L->SetColumns(2);
    for (int I = 0; I < 20; ++I)
        L->Items()->Add(IntToStr(I));
    Form.Show();
    EXPECT_EQ(L->ClientHeight(), L->ItemHeight() * 5);
    EXPECT_EQ(L->ItemRect(5), Bounds(100, 0, 100, L->ItemHeight()));
    EXPECT_EQ(L->ItemRect(7).Top, 2 * L->ItemHeight());
    SendMessage(L->WindowHandle(), WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(L->TopIndex(), 5);
    EXPECT_EQ(L->ItemRect(5).Left, 0);
}

TEST_F(TFormFixture, ItemsFollowTheFontsLineHeight) {
    TListBox* L = MakeList(Form);
    Form->Show();
    const int Small = L->ItemHeight();
    const int Height = L->Font()->Height();
    EXPECT_EQ(L->ItemRect(2).Top, 2 * Small);
    L->Font()->SetHeight(-30);
    const int Large = L->ItemHeight();
    EXPECT_GT(Large, Small + 10);
    EXPECT_EQ(L->ItemRect(2).Top, 2 * Large);
    L->Font()->SetHeight(Height);
    EXPECT_EQ(L->ItemHeight(), Small);
    // Ten items of the small font fit in a box made for ten.
    L->SetBounds(0, 0, 100, 10 * Small + 4);
    L->SetTopIndex(5);
    EXPECT_EQ(L->TopIndex(), 0);
}
