#include "editor/CodeEditKbdHandler.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using TLog = std::vector<std::string>;

// A plug-in that records each call as "<name>:<what>" and then does what the test asks.
class TPlugin : public TObject {
public:
    TPlugin(std::string AName, TLog& ALog) : Name(std::move(AName)), Log(ALog) {}
    std::string Name;
    TLog& Log;
    std::function<void(Word& Key)> OnKey;
    std::function<void(Char& Key)> OnChar;
    std::function<void()> OnMouse;
    TCursor CursorToSet = crDefault;

    void KeyDown(TObject*, Word& Key, TShiftState Shift) {
        Log.push_back(Name + ":down " + std::to_string(Key) + (Shift.Contains(ssCtrl) ? " ctrl" : ""));
        if (OnKey) OnKey(Key);
    }
    void KeyUp(TObject*, Word& Key, TShiftState) {
        Log.push_back(Name + ":up " + std::to_string(Key));
        if (OnKey) OnKey(Key);
    }
    void KeyPress(TObject*, Char& Key) {
        Log.push_back(Name + ":press " + std::to_string(int(Key)));
        if (OnChar) OnChar(Key);
    }
    void MouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
        Log.push_back(Name + ":mdown " + std::to_string(Button) + " " + std::to_string(X) + "," +
                      std::to_string(Y));
        if (OnMouse) OnMouse();
    }
    void MouseUp(TObject*, TMouseButton, TShiftState, int, int) { Log.push_back(Name + ":mup"); }
    void MouseCursor(TObject*, const TBufferCoord& Pos, TCursor& Cursor) {
        Log.push_back(Name + ":cursor " + std::to_string(Cursor) + " at " + std::to_string(Pos.Char));
        if (CursorToSet != crDefault) Cursor = CursorToSet;
    }

    TKeyEventHandler Down() { return {this, &TPlugin::KeyDown}; }
    TKeyEventHandler Up() { return {this, &TPlugin::KeyUp}; }
    TKeyPressWEventHandler Press() { return {this, &TPlugin::KeyPress}; }
    TMouseEventHandler MDown() { return {this, &TPlugin::MouseDown}; }
    TMouseEventHandler MUp() { return {this, &TPlugin::MouseUp}; }
    TMouseCursorEvent Cursor() { return {this, &TPlugin::MouseCursor}; }
};

} // namespace

TEST(KbdHandler, KeyDownGoesNewestFirstAndStopsAtKeyZero) {
    TLog Log;
    TPlugin A("A", Log), B("B", Log);
    TCodeEditKbdHandler H;
    H.AddKeyDownHandler(A.Down());
    H.AddKeyDownHandler(B.Down());

    Word Key = VK_RETURN;
    B.OnKey = [](Word& K) { K = VK_TAB; }; // the older handler sees the changed key
    H.ExecuteKeyDown(nullptr, Key, {ssCtrl});
    EXPECT_EQ(Log, (TLog{"B:down 13 ctrl", "A:down 9 ctrl"}));
    EXPECT_EQ(Key, VK_TAB);

    Log.clear();
    B.OnKey = [](Word& K) { K = 0; };
    Key = VK_RETURN;
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_EQ(Log, TLog{"B:down 13"});
    EXPECT_EQ(Key, 0);

    // Key-up has a chain of its own with the same rule.
    Log.clear();
    H.AddKeyUpHandler(A.Up());
    H.AddKeyUpHandler(B.Up());
    Key = VK_ESCAPE;
    H.ExecuteKeyUp(nullptr, Key, {});
    EXPECT_EQ(Log, TLog{"B:up 27"});
}

TEST(KbdHandler, KeyPressStopsAtNul) {
    TLog Log;
    TPlugin A("A", Log), B("B", Log), C("C", Log);
    TCodeEditKbdHandler H;
    H.AddKeyPressHandler(A.Press());
    H.AddKeyPressHandler(B.Press());
    H.AddKeyPressHandler(C.Press());
    C.OnChar = [](Char& K) { K = u'x'; };
    B.OnChar = [](Char& K) { K = 0; };
    Char Key = u'a';
    H.ExecuteKeyPress(nullptr, Key);
    EXPECT_EQ(Log, (TLog{"C:press 97", "B:press 120"}));
    EXPECT_EQ(Key, 0);
}

TEST(KbdHandler, RemoveTakesTheNewestEqualEntry) {
    TLog Log;
    TPlugin A("A", Log), B("B", Log);
    TCodeEditKbdHandler H;
    H.AddKeyDownHandler(A.Down());
    H.AddKeyDownHandler(B.Down());
    H.AddKeyDownHandler(A.Down());
    H.RemoveKeyDownHandler(A.Down()); // the newest A goes: A, B remain
    Word Key = 1;
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_EQ(Log, (TLog{"B:down 1", "A:down 1"}));

    // Another object's binding of the same method, or another method of the same object, is a
    // different handler.
    TPlugin OtherA("A2", Log);
    H.RemoveKeyDownHandler(OtherA.Down());
    H.RemoveKeyDownHandler(TKeyEventHandler(&A, &TPlugin::KeyUp));
    Log.clear();
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_EQ(Log.size(), 2u);

    // Added twice, removed once: one entry is left.
    H.RemoveKeyDownHandler(B.Down());
    H.AddKeyDownHandler(A.Down());
    H.RemoveKeyDownHandler(A.Down());
    Log.clear();
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_EQ(Log, TLog{"A:down 1"});
    H.RemoveKeyDownHandler(A.Down());
    H.RemoveKeyDownHandler(A.Down()); // none left: nothing happens
    Log.clear();
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_TRUE(Log.empty());
}

TEST(KbdHandler, NoNestedDispatchOfTheSameKind) {
    TLog Log;
    TPlugin A("A", Log);
    TCodeEditKbdHandler H;
    H.AddKeyDownHandler(A.Down());
    H.AddKeyPressHandler(A.Press());
    int Depth = 0;
    A.OnKey = [&](Word&) {
        if (++Depth > 1) return;
        Word Again = 2;
        H.ExecuteKeyDown(nullptr, Again, {}); // ignored
        Char Ch = u'z';
        H.ExecuteKeyPress(nullptr, Ch); // another kind: dispatched
    };
    Word Key = 1;
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_EQ(Log, (TLog{"A:down 1", "A:press 122"}));

    // The guard is down again afterwards.
    Log.clear();
    A.OnKey = nullptr;
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_EQ(Log, TLog{"A:down 1"});
}

TEST(KbdHandler, AnExceptionPassesAndLeavesTheChainUsable) {
    TLog Log;
    TPlugin A("A", Log), B("B", Log);
    TCodeEditKbdHandler H;
    H.AddMouseDownHandler(A.MDown());
    H.AddMouseDownHandler(B.MDown());
    B.OnMouse = [] { throw Exception(u"plug-in failed"); };
    EXPECT_THROW(H.ExecuteMouseDown(nullptr, mbLeft, {}, 1, 2), Exception);
    EXPECT_EQ(Log, TLog{"B:mdown 0 1,2"});

    Log.clear();
    B.OnMouse = nullptr;
    H.ExecuteMouseDown(nullptr, mbRight, {}, 3, 4);
    EXPECT_EQ(Log, (TLog{"B:mdown 1 3,4", "A:mdown 1 3,4"}));
}

TEST(KbdHandler, MouseChainsCallEveryHandler) {
    TLog Log;
    TPlugin A("A", Log), B("B", Log), C("C", Log);
    TCodeEditKbdHandler H;
    H.AddMouseUpHandler(A.MUp());
    H.AddMouseUpHandler(B.MUp());
    H.ExecuteMouseUp(nullptr, mbLeft, {}, 0, 0);
    EXPECT_EQ(Log, (TLog{"B:mup", "A:mup"}));

    // Each cursor handler sees the cursor the newer one left.
    Log.clear();
    H.AddMouseCursorHandler(A.Cursor());
    H.AddMouseCursorHandler(B.Cursor());
    H.AddMouseCursorHandler(C.Cursor());
    C.CursorToSet = crIBeam;
    A.CursorToSet = crHandPoint;
    TCursor Cursor = crDefault;
    H.ExecuteMouseCursor(nullptr, MakeBufferCoord(7, 1), Cursor);
    EXPECT_EQ(Log, (TLog{"C:cursor 0 at 7", "B:cursor -4 at 7", "A:cursor -4 at 7"}));
    EXPECT_EQ(Cursor, crHandPoint);
}

TEST(KbdHandler, HandlersMayChangeTheChainWhileItRuns) {
    TLog Log;
    TPlugin A("A", Log), B("B", Log), C("C", Log), D("D", Log);
    TCodeEditKbdHandler H;
    H.AddKeyDownHandler(A.Down());
    H.AddKeyDownHandler(B.Down());
    H.AddKeyDownHandler(C.Down());

    // C takes out both older handlers and adds a new one: neither removed handler is called, the
    // new one only from the next key on.
    C.OnKey = [&](Word&) {
        H.RemoveKeyDownHandler(A.Down());
        H.RemoveKeyDownHandler(B.Down());
        H.AddKeyDownHandler(D.Down());
    };
    Word Key = 5;
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_EQ(Log, TLog{"C:down 5"});

    // A handler that takes itself out: the older ones still follow.
    Log.clear();
    C.OnKey = nullptr;
    D.OnKey = [&](Word&) { H.RemoveKeyDownHandler(D.Down()); };
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_EQ(Log, (TLog{"D:down 5", "C:down 5"}));
    Log.clear();
    H.ExecuteKeyDown(nullptr, Key, {});
    EXPECT_EQ(Log, TLog{"C:down 5"});
}

TEST(MethodPointer, IdentityIsObjectAndMethod) {
    TLog Log;
    TPlugin A("A", Log), B("B", Log);
    EXPECT_EQ(A.Down(), A.Down());
    EXPECT_FALSE(A.Down() == B.Down());
    EXPECT_FALSE(A.Down() == TKeyEventHandler(&A, &TPlugin::KeyUp));
    EXPECT_FALSE(TKeyEventHandler());
    EXPECT_TRUE(A.Down());
    EXPECT_EQ(A.Down().Object(), &A);
}
