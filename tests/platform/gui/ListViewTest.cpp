// List views in report style: column titles over rows of cells, selection by the mouse and the
// keys with its events, rows that follow their items, and what the view paints.
#include "CommonControlsTestSupport.h"

#include "platform/gui/ComCtrls.h"
#include "support/TestDriver.h"

namespace {

struct TListViewFixture : TFormFixture {
    TListView* View = nullptr;
    TWinControl* Rows = nullptr; // the view's only child: it takes the keys and the mouse
    std::vector<std::pair<String, bool>> Selections;
    int Clicks = 0, DoubleClicks = 0;

    void SetUp() override {
        TFormFixture::SetUp();
        View = new TListView(Form);
        View->SetParent(Form);
        View->SetBounds(10, 10, 300, 200);
        View->SetRowSelect(true);
        View->SetHideSelection(false);
        for (auto [Caption, Width] : {std::pair{u"Command", 150}, std::pair{u"Keystroke", 120}}) {
            TListColumn* C = View->Columns()->Add();
            C->SetCaption(Caption);
            C->SetWidth(Width);
        }
        View->Items()->BeginUpdate();
        for (const char16_t* Name : {u"ecUp", u"ecDown", u"ecLeft", u"ecRight", u"ecCut"}) {
            TListItem* Item = View->Items()->Add();
            Item->SetCaption(Name);
            Item->SubItems()->Add(String(u"key ") + Name);
        }
        View->Items()->EndUpdate();
        View->OnSelectItem = [this](TObject*, TListItem* Item, bool Selected) {
            Selections.emplace_back(Item->Caption(), Selected);
        };
        View->OnClick = [this](TObject*) { ++Clicks; };
        View->OnDblClick = [this](TObject*) { ++DoubleClicks; };
        ASSERT_EQ(View->ControlCount(), 1);
        Rows = dynamic_cast<TWinControl*>(View->Controls(0));
        ASSERT_NE(Rows, nullptr);
        Form->Show();
    }
    // A client point of the rows in the middle of row Index.
    TPoint RowPoint(int Index) const {
        const TRect R = View->ItemRect(View->Items()->Item(Index));
        return {20, R.Top - Rows->Top() + R.Height() / 2};
    }
};

} // namespace

TEST_F(TListViewFixture, ClicksAndKeysSelectRowsAndTellTheChange) {
    ClickMessages(Rows, RowPoint(2));
    EXPECT_EQ(View->Selected(), View->Items()->Item(2));
    EXPECT_EQ(View->ItemIndex(), 2);
    EXPECT_EQ(Clicks, 1);
    KeyMessages(Rows, VK_DOWN);
    EXPECT_EQ(View->ItemIndex(), 3);
    const std::vector<std::pair<String, bool>> Want = {{u"ecLeft", true}, {u"ecLeft", false}, {u"ecRight", true}};
    EXPECT_EQ(Selections, Want);
    DoubleClickMessages(Rows, RowPoint(1));
    EXPECT_EQ(DoubleClicks, 1);
    EXPECT_EQ(View->ItemIndex(), 1);
    // Below the last row is no row.
    EXPECT_EQ(View->GetItemAt(20, View->Height() - 5), nullptr);
    EXPECT_EQ(View->GetItemAt(20, View->HeaderHeight() + 2), View->Items()->Item(0));
}

TEST_F(TListViewFixture, RowsFollowTheirItems) {
    View->SetSelected(View->Items()->Item(4));
    EXPECT_TRUE(View->Items()->Item(4)->Selected());
    Selections.clear();
    // Deleting the selected row tells that it is no longer selected, before it is freed.
    View->Items()->Item(4)->Delete();
    EXPECT_EQ(View->Items()->Count(), 4);
    EXPECT_EQ(View->Selected(), nullptr);
    ASSERT_EQ(Selections.size(), 1u);
    EXPECT_EQ(Selections[0].first, u"ecCut");
    EXPECT_FALSE(Selections[0].second);
    // A row inserted in the middle takes its place, and its caption finds it by typing.
    TListItem* New = View->Items()->Insert(1);
    New->SetCaption(u"zoom");
    EXPECT_EQ(View->Items()->IndexOf(New), 1);
    EXPECT_EQ(View->Items()->Item(2)->Caption(), u"ecDown");
    CharMessages(Rows, u"z");
    EXPECT_EQ(View->Selected(), New);
    EXPECT_THROW(View->Items()->Item(9), EListError);
    View->Items()->Clear();
    EXPECT_EQ(View->Selected(), nullptr);
    EXPECT_EQ(View->Items()->Count(), 0);
}

TEST_F(TListViewFixture, PaintsTitlesCellsAndTheSelection) {
    View->SetSelected(View->Items()->Item(1));
    ProcessMessages();
    std::unique_ptr<TBitmap> Picture = GrabControl(View);
    const int Header = View->HeaderHeight();
    ASSERT_GT(Header, 10);
    // The titles are button faces with text; the rows are the window colour, the selected row
    // highlighted across both columns.
    auto Count = [&](const TRect& R, TColor C) {
        int N = 0;
        for (int Y = R.Top; Y < R.Bottom; ++Y)
            for (int X = R.Left; X < R.Right; ++X)
                if (ColorToRGB(PixelOf(*Picture, X, Y)) == ColorToRGB(C)) ++N;
        return N;
    };
    const TRect Edge = View->ClientRect(); // the client edge lies outside the client area
    const int Off = (View->Width() - Edge.Width()) / 2;
    const TRect Title = Rect(Off + 8, Off + 3, Off + 140, Off + Header - 3);
    EXPECT_GT(Count(Title, clBtnFace), Title.Width() * Title.Height() / 2);
    EXPECT_GT(Count(Title, clBtnText), 10); // "Command"
    const TRect Row1 = View->ItemRect(View->Items()->Item(1));
    const TRect Sel = Rect(Off + Row1.Left, Off + Row1.Top, Off + 280, Off + Row1.Bottom);
    EXPECT_GT(Count(Sel, clHighlight), Sel.Width() * Sel.Height() / 2);
    EXPECT_GT(Count(Rect(Off + 160, Sel.Top, Off + 280, Sel.Bottom), clHighlightText), 5); // "key ecDown"
    const TRect Row3 = View->ItemRect(View->Items()->Item(3));
    EXPECT_EQ(Count(Rect(Off + 2, Off + Row3.Top, Off + 280, Off + Row3.Bottom), clHighlight), 0);
    EXPECT_GT(Count(Rect(Off + 160, Off + Row3.Top, Off + 280, Off + Row3.Bottom), clWindowText), 5);
    SaveGrab(Grab(Form), "list-view.png");
}
