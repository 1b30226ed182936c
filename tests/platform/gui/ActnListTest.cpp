#include "platform/gui/ActnList.h"

#include <gtest/gtest.h>

namespace {

constexpr Word VK_F3 = 0x72, VK_F9 = 0x78;

struct ActionFixture : ::testing::Test {
    TComponent Form{nullptr};
    TActionList* List = new TActionList(&Form);

    TAction* NewAction(const String& Caption, TShortCut Key = 0) {
        auto* A = new TAction(&Form);
        A->SetCaption(Caption);
        A->SetShortCut(Key);
        A->SetActionList(List);
        return A;
    }
};

} // namespace

TEST_F(ActionFixture, ShortCutsRunTheFirstEnabledAction) {
    TAction* Save = NewAction(u"Save", scCtrl | 'S');
    TAction* Compile = NewAction(u"Compile sketch", VK_F9);
    TAction* FindPrev = NewAction(u"Find Prev", scShift | VK_F3);
    TAction* Spare = NewAction(u"Spare F9", VK_F9);
    std::vector<TObject*> Ran;
    for (TAction* A : {Save, Compile, FindPrev, Spare})
        A->OnExecute = [&Ran](TObject* Sender) { Ran.push_back(Sender); };
    FindPrev->SecondaryShortCuts()->Add(u"Ctrl+P");

    EXPECT_TRUE(List->IsShortCut('S', {ssCtrl}));
    EXPECT_TRUE(List->IsShortCut(VK_F3, {ssShift}));
    EXPECT_TRUE(List->IsShortCut('P', {ssCtrl}));
    EXPECT_FALSE(List->IsShortCut(VK_F3, {}));
    EXPECT_TRUE(List->IsShortCut(VK_F9, {}));
    Compile->SetEnabled(false);
    EXPECT_TRUE(List->IsShortCut(VK_F9, {})); // the next action of that shortcut
    Spare->SetEnabled(false);
    EXPECT_FALSE(List->IsShortCut(VK_F9, {}));
    EXPECT_EQ(Ran, (std::vector<TObject*>{Save, FindPrev, FindPrev, Compile, Spare}));

    // The form offers keys to the action lists it owns, also those of its frames.
    TComponent* Frame = new TComponent(&Form);
    auto* FrameList = new TActionList(Frame);
    auto* Goto = new TAction(Frame);
    Goto->SetShortCut(VK_F3);
    Goto->SetActionList(FrameList);
    Goto->OnExecute = [&Ran](TObject* Sender) { Ran.push_back(Sender); };
    EXPECT_TRUE(DispatchActionShortCut(&Form, VK_F3, {}));
    EXPECT_EQ(Ran.back(), Goto);
    EXPECT_FALSE(DispatchActionShortCut(&Form, 'Q', {ssCtrl}));
}

TEST_F(ActionFixture, ExecuteListHandlersAutoCheckAndGroups) {
    TAction* A = NewAction(u"A");
    int Own = 0, ByList = 0;
    A->OnExecute = [&](TObject*) { ++Own; };
    EXPECT_TRUE(A->Execute());
    // The list's handler first; when it handles the action, the action's own does not run.
    List->OnExecute = [&](TBasicAction* Action, bool& Handled) {
        ++ByList;
        Handled = Action == A;
    };
    EXPECT_TRUE(A->Execute());
    EXPECT_EQ(Own, 1);
    EXPECT_EQ(ByList, 1);
    List->OnExecute = nullptr;
    A->SetEnabled(false);
    EXPECT_FALSE(A->Execute());
    EXPECT_EQ(Own, 1);
    A->SetEnabled(true);

    // Auto-check: a plain action toggles; one of a group stays checked.
    A->SetAutoCheck(true);
    A->Execute();
    EXPECT_TRUE(A->Checked());
    A->Execute();
    EXPECT_FALSE(A->Checked());
    EXPECT_EQ(Own, 3);
    TAction* B = NewAction(u"B");
    TAction* C = NewAction(u"C");
    for (TAction* X : {B, C}) {
        X->SetGroupIndex(3);
        X->SetAutoCheck(true);
        X->OnExecute = [](TObject*) {};
    }
    B->Execute();
    C->Execute();
    EXPECT_FALSE(B->Checked());
    EXPECT_TRUE(C->Checked());
    C->Execute();
    EXPECT_TRUE(C->Checked());

    // A suspended list neither runs its actions nor lets them update.
    List->SetState(asSuspended);
    EXPECT_FALSE(A->Execute());
    EXPECT_EQ(Own, 3);
    A->SetEnabled(false);
    List->SetState(asSuspendedEnabled);
    EXPECT_TRUE(A->Enabled());
    List->SetState(asNormal);
}

TEST_F(ActionFixture, IdleUpdatesEnableAndDisable) {
    TAction* Paste = NewAction(u"Paste");
    TAction* NoHandler = NewAction(u"Template Save");
    TAction* Manual = NewAction(u"Copy project");
    bool CanPaste = false;
    Paste->OnExecute = [](TObject*) {};
    Paste->OnUpdate = [&](TObject* Sender) { static_cast<TAction*>(Sender)->SetEnabled(CanPaste); };
    Manual->OnExecute = [](TObject*) {};
    Manual->SetEnabled(false);

    IdleUpdateActions();
    EXPECT_FALSE(Paste->Enabled());
    EXPECT_FALSE(NoHandler->Enabled()); // nothing would run it
    EXPECT_FALSE(Manual->Enabled());    // no update handler: it keeps what the program set
    CanPaste = true;
    IdleUpdateActions();
    EXPECT_TRUE(Paste->Enabled());

    // The list's OnUpdate comes first and may handle the action.
    List->OnUpdate = [&](TBasicAction* A, bool& Handled) {
        if (A == Manual) {
            Manual->SetEnabled(true);
            Handled = true;
        }
    };
    IdleUpdateActions();
    EXPECT_TRUE(Manual->Enabled());
    List->SetState(asSuspended);
    CanPaste = false;
    IdleUpdateActions();
    EXPECT_TRUE(Paste->Enabled());
    List->SetState(asNormal);

    // An update that frees a later action list does not upset the idle round.
    auto* Other = new TActionList(&Form);
    auto* Gone = new TAction(&Form);
    Gone->SetActionList(Other);
    bool GoneUpdated = false;
    Gone->OnUpdate = [&](TObject*) { GoneUpdated = true; };
    Paste->OnUpdate = [Other](TObject*) { delete Other; };
    IdleUpdateActions();
    EXPECT_FALSE(GoneUpdated);
}

TEST_F(ActionFixture, MenuItemsFollowTheirAction) {
    TMainMenu Menu(&Form);
    TAction* Save = NewAction(u"Save", scCtrl | 'S');
    Save->SetHint(u"Save the file");
    Save->SetImageIndex(4);
    TObject* Component = nullptr;
    Save->OnExecute = [&](TObject* Sender) { Component = static_cast<TAction*>(Sender)->ActionComponent(); };
    auto* Item = new TMenuItem(&Form);
    auto* Other = new TMenuItem(&Form);
    Menu.Items()->Add(Item);
    Menu.Items()->Add(Other);
    Item->SetAction(Save);
    Other->SetAction(Save);
    EXPECT_EQ(Item->Caption(), u"Save");
    EXPECT_EQ(Item->ShortCut(), scCtrl | 'S');
    EXPECT_EQ(Item->Hint(), u"Save the file");
    EXPECT_EQ(Item->ImageIndex(), 4);
    EXPECT_TRUE(Item->Enabled());
    EXPECT_EQ(Save->ClientCount(), 2);

    // Later changes reach the items, except a property an item changed itself.
    Other->SetCaption(u"Save now");
    Save->SetCaption(u"&Save");
    Save->SetEnabled(false);
    Save->SetChecked(true);
    Save->SetShortCut(scCtrl | scShift | 'S');
    EXPECT_EQ(Item->Caption(), u"&Save");
    EXPECT_EQ(Other->Caption(), u"Save now");
    EXPECT_FALSE(Item->Enabled());
    EXPECT_FALSE(Other->Enabled());
    EXPECT_TRUE(Item->Checked());
    EXPECT_EQ(Item->ShortCut(), scCtrl | scShift | 'S');

    // A click runs the action, the item being its ActionComponent meanwhile.
    Save->SetEnabled(true);
    Item->Click();
    EXPECT_EQ(Component, Item);
    EXPECT_EQ(Save->ActionComponent(), nullptr);
    // The menu's shortcut reaches the action through the item.
    Component = nullptr;
    EXPECT_TRUE(Menu.IsShortCut('S', {ssCtrl, ssShift}));
    EXPECT_EQ(Component, Item);
    // An item's own OnClick wins over the action.
    bool OwnClick = false;
    Other->OnClick = [&](TObject*) { OwnClick = true; };
    Component = nullptr;
    Other->Click();
    EXPECT_TRUE(OwnClick);
    EXPECT_EQ(Component, nullptr);

    delete Save;
    EXPECT_EQ(Item->Action(), nullptr);
    EXPECT_EQ(Other->Action(), nullptr);
    EXPECT_EQ(List->ActionCount(), 0);
}

TEST_F(ActionFixture, ListsOwnTheirActions) {
    TAction* A = NewAction(u"A");
    TAction* B = NewAction(u"B");
    EXPECT_EQ(B->Index(), 1);
    B->SetIndex(0);
    EXPECT_EQ(List->Actions(0), B);
    EXPECT_THROW(List->Actions(2), EListError);
    A->SetActionList(nullptr);
    EXPECT_EQ(List->ActionCount(), 1);
    EXPECT_EQ(A->Index(), -1);
    const int Components = Form.ComponentCount();
    delete List;
    EXPECT_EQ(Form.ComponentCount(), Components - 2); // the list and B
    EXPECT_EQ(A->ActionList(), nullptr);
    List = nullptr;

    auto* Loaded = GetClass(u"TAction")->Create(&Form);
    SetStrProp(Loaded, u"Caption", u"Compile sketch");
    SetOrdProp(Loaded, u"ShortCut", VK_F9);
    EXPECT_EQ(static_cast<TAction*>(Loaded)->ShortCut(), VK_F9);
    EXPECT_EQ(GetStrProp(Loaded, u"Caption"), u"Compile sketch");
}
