// Check list boxes: a click on an item's box or the space bar ticks it and tells OnClickCheck
// with the item selected; a click on the text only selects; ticks travel with their items.
#include "platform/gui/CheckLst.h"

#include "StdCtrlsTestSupport.h"

namespace {

TCheckListBox* MakeCheckList(TForm* Form) {
    auto* L = new TCheckListBox(Form);
    L->SetParent(Form);
    L->SetBounds(10, 10, 150, 200);
    for (const char16_t* Name : {u"default", u"Arduino Uno", u"Arduino Nano", u"Arduino Mega"})
        L->Items()->Add(Name);
    return L;
}

} // namespace

using CheckListBoxTest = TFormFixture;

TEST_F(CheckListBoxTest, ClicksOnTheBoxAndSpaceTickWhileClicksOnTheTextSelect) {
    TCheckListBox* L = MakeCheckList(Form);
    std::vector<std::pair<int, bool>> Told; // ItemIndex and tick as the handler sees them
    L->OnClickCheck = [&](TObject*) { Told.push_back({L->ItemIndex(), L->Checked(L->ItemIndex())}); };
    Form->Show();
    const int H = L->ItemHeight();
    auto Row = [&](int Item) { return Item * H + H / 2; };

    Click(L, TPoint(8, Row(2)));
    EXPECT_TRUE(L->Checked(2));
    Click(L, TPoint(80, Row(1)));
    EXPECT_FALSE(L->Checked(1));
    EXPECT_EQ(L->ItemIndex(), 1);
    PressKey(L, Qt::Key_Space, Qt::NoModifier, u" "_qs);
    EXPECT_TRUE(L->Checked(1));
    Click(L, TPoint(8, Row(2)));
    EXPECT_FALSE(L->Checked(2));
    EXPECT_EQ(Told, (std::vector<std::pair<int, bool>>{{2, true}, {1, true}, {2, false}}));

    // The tick shows: the box of a ticked item holds dark pixels that an unticked one lacks.
    const QImage Picture = Grab(L);
    auto DarkIn = [&](int Item) {
        int Dark = 0;
        for (int X = 2; X < 14; ++X)
            for (int Y = Item * H + 2; Y < Item * H + H - 2; ++Y)
                Dark += qGray(Picture.pixel(X + 2, Y + 2)) < 64;
        return Dark;
    };
    EXPECT_GT(DarkIn(1), DarkIn(3));
}

TEST_F(CheckListBoxTest, TicksTravelWithTheirItems) {
    TCheckListBox* L = MakeCheckList(Form);
    L->SetChecked(2, true);
    L->Items()->Delete(0);
    EXPECT_TRUE(L->Checked(1));
    L->Items()->Insert(0, u"first");
    EXPECT_TRUE(L->Checked(2));
    EXPECT_FALSE(L->Checked(0));
    L->Items()->Clear();
    L->Items()->Add(u"again");
    EXPECT_FALSE(L->Checked(0));
    EXPECT_THROW(L->Checked(1), EListError);
}
