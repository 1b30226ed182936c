// The editor control's key translation and command pipeline: two-key bindings, the owner's
// events, the command hooks and the after-event.

#include "CodeEditEditing.h"

#include <vector>

namespace {

// A hook that records what it saw and may claim the command.
struct THook {
    std::vector<std::pair<bool, TCodeEditorCommand>> Seen;
    bool Claim = false;
    void Handle(TObject*, bool AfterProcessing, bool& Handled, TCodeEditorCommand& Command, Char&, void*,
                void* HandlerData) {
        Seen.emplace_back(AfterProcessing, Command);
        if (Claim && !AfterProcessing) Handled = true;
        if (HandlerData) *static_cast<int*>(HandlerData) += 1;
    }
};

} // namespace

using CodeEditCommandProcessor = TCodeEditFixture;

TEST_F(CodeEditCommandProcessor, KeysTranslateOneAndTwoKeyBindings) {
    void* Data = nullptr;
    Edit->AddKey(ecUserFirst + 1, 'Q', {ssCtrl}, 'B', {});
    const struct {
        std::vector<std::pair<Word, TShiftState>> Keys;
        TCodeEditorCommand Last;
    } Cases[] = {
        {{{'A', {}}, {VK_LEFT, {}}}, ecLeft},
        {{{'A', {}}, {'A', {}}}, ecNone},
        {{{'Q', {ssCtrl}}, {'B', {}}}, ecUserFirst + 1},
        {{{'Q', {ssCtrl}}}, ecNone},
        {{{'Q', {ssCtrl}}, {'X', {}}, {'B', {}}}, ecNone},
        {{{'Q', {ssCtrl}}, {VK_RETURN, {}}, {'B', {}}}, ecNone},
        {{{'Z', {ssCtrl}}}, ecUndo},
    };
    for (const auto& C : Cases) {
        TCodeEditorCommand Last = ecNone;
        Edit->KeyToCommand(VK_ESCAPE, {}, Data);
        for (const auto& [Key, Shift] : C.Keys)
            Last = Edit->KeyToCommand(Key, Shift, Data);
        EXPECT_EQ(Last, C.Last) << C.Keys.size();
        EXPECT_EQ(Data, nullptr);
    }
}

TEST_F(CodeEditCommandProcessor, HooksSeeEveryCommandAndMayClaimIt) {
    PutMarked(Edit, u"a|b");
    THook First;
    THook Second;
    int Calls = 0;
    Edit->RegisterCommandHandler(THookedCommandEvent(&First, &THook::Handle), &Calls);
    Edit->RegisterCommandHandler(THookedCommandEvent(&First, &THook::Handle), nullptr);
    Edit->RegisterCommandHandler(THookedCommandEvent(&Second, &THook::Handle), nullptr);
    std::vector<TCodeEditorCommand> Processed;
    Edit->OnCommandProcessed = [&](TObject*, TCodeEditorCommand& Command, Char&, void*) {
        Processed.push_back(Command);
    };
    Edit->CommandProcessor(ecChar, u'x', nullptr);
    EXPECT_EQ(ShowMarked(Edit), "ax|b");
    // One entry for the hook registered twice, with the data of its first registration.
    EXPECT_EQ(First.Seen.size(), 2u);
    EXPECT_EQ(Calls, 2);
    // A hook that claims the command before execution stops it; the after-event still comes.
    First.Claim = true;
    Edit->CommandProcessor(ecChar, u'y', nullptr);
    EXPECT_EQ(ShowMarked(Edit), "ax|b");
    EXPECT_EQ(Second.Seen.back(), std::make_pair(false, ecChar));
    EXPECT_EQ(Processed, (std::vector<TCodeEditorCommand>{ecChar, ecNone}));
    Edit->UnregisterCommandHandler(THookedCommandEvent(&First, &THook::Handle));
    Edit->UnregisterCommandHandler(THookedCommandEvent(&First, &THook::Handle));
    Edit->CommandProcessor(ecChar, u'z', nullptr);
    EXPECT_EQ(ShowMarked(Edit), "axz|b");
    EXPECT_EQ(Second.Seen.size(), 5u);
}

TEST_F(CodeEditCommandProcessor, OwnerEventsChangeOrCancelCommands) {
    PutMarked(Edit, u"a|b");
    std::vector<TCodeEditorCommand> User;
    Edit->OnProcessCommand = [](TObject*, TCodeEditorCommand& Command, Char& AChar, void*) {
        if (Command == ecChar && AChar == u'q') Command = ecNone;
        if (Command == ecChar && AChar == u'u') AChar = u'U';
    };
    Edit->OnProcessUserCommand = [&](TObject*, TCodeEditorCommand& Command, Char&, void*) {
        User.push_back(Command);
    };
    for (Char C : String(u"quq"))
        Edit->CommandProcessor(ecChar, C, nullptr);
    EXPECT_EQ(ShowMarked(Edit), "aU|b");
    // The control never executes an application's command itself.
    Edit->CommandProcessor(ecUserFirst + 7, u'x', nullptr);
    EXPECT_EQ(User, (std::vector<TCodeEditorCommand>{ecUserFirst + 7}));
    EXPECT_EQ(ShowMarked(Edit), "aU|b");
}

TEST_F(CodeEditCommandProcessor, KeystrokesAreCopiedClearedAndReset) {
    const int Defaults = Edit->Keystrokes()->Count();
    EXPECT_GT(Defaults, 0);
    TCodeEditKeyStrokes Own(nullptr);
    Own.AddKey(ecUndo, 'U', {ssCtrl});
    Edit->SetKeystrokes(&Own);
    EXPECT_EQ(Edit->Keystrokes()->Count(), 1);
    void* Data = nullptr;
    EXPECT_EQ(Edit->KeyToCommand('U', {ssCtrl}, Data), ecUndo);
    Edit->SetKeystrokes(nullptr);
    EXPECT_EQ(Edit->Keystrokes()->Count(), 0);
    Edit->SetDefaultKeystrokes();
    EXPECT_EQ(Edit->Keystrokes()->Count(), Defaults);
}
