#include "ide/SndKey32.h"

#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Questions.h"
#include "platform/gui/SynthInput.h"

#include <algorithm>
#include <iterator>

namespace {

struct TKeyName {
    const char16_t* Name;
    Word Vk;
};

// Sorted by name, for the binary search.
constexpr TKeyName KeyNames[] = {
    {u"BACKSPACE", 8}, {u"BKSP", 8},   {u"BREAK", 3},  {u"BS", 8},      {u"CAPSLOCK", 20},
    {u"CLEAR", 12},    {u"DEL", 46},   {u"DELETE", 46}, {u"DOWN", 40},  {u"END", 35},
    {u"ENTER", 13},    {u"ESC", 27},   {u"ESCAPE", 27}, {u"F1", 112},   {u"F10", 121},
    {u"F11", 122},     {u"F12", 123},  {u"F13", 124},  {u"F14", 125},   {u"F15", 126},
    {u"F16", 127},     {u"F2", 113},   {u"F3", 114},   {u"F4", 115},    {u"F5", 116},
    {u"F6", 117},      {u"F7", 118},   {u"F8", 119},   {u"F9", 120},    {u"HELP", 47},
    {u"HOME", 36},     {u"INS", 45},   {u"LEFT", 37},  {u"NUMLOCK", 144}, {u"PGDN", 34},
    {u"PGUP", 33},     {u"PRTSC", 42}, {u"RIGHT", 39}, {u"SCROLLLOCK", 145}, {u"TAB", 9},
    {u"UP", 38},
};

void Complain(const String& Text) {
    MessageBox(0, Text, u"SendKeys", MB_OK);
}

// One call's state: the modifiers its "+", "^" and "%" hold and whether a group is open.
class TKeySender {
public:
    explicit TKeySender(bool Wait) : FWait(Wait) {}
    ~TKeySender() { Release(true); }

    bool Send(const String& Keys);

private:
    bool FWait;
    bool FShift = false;
    bool FCtrl = false;
    bool FAlt = false;
    bool FGroup = false;

    void Event(Word Vk, bool Down) {
        SendForeignKey(Vk, Down);
        if (!FWait) return;
        SyncForeignDisplay();
        // Keys that reached our own windows are handled before the next one goes.
        Application->ProcessMessages();
    }
    void SendKey(Word Vk, int Count, bool Up) {
        if (Vk == VK_NUMLOCK) {
            // The lock's state in our own keyboard table, as the key would switch it.
            Byte State[256];
            GetKeyboardState(State);
            State[VK_NUMLOCK] ^= 1;
            SetKeyboardState(State);
            return;
        }
        for (int I = 0; I < Count; ++I) {
            Event(Vk, true);
            if (Up) Event(Vk, false);
        }
    }
    // The key that types C, with the modifiers it needs held around it.
    bool SendChar(Char C, int Count) {
        const std::int16_t Scan = VkKeyScan(C);
        if (Scan < 0) return false;
        const Word Vk = Word(Scan & 0xFF);
        const int Needs = Scan >> 8;
        if (Needs & 1) Event(VK_SHIFT, true);
        if (Needs & 2) Event(VK_CONTROL, true);
        if (Needs & 4) Event(VK_MENU, true);
        SendKey(Vk, Count, true);
        if (Needs & 4) Event(VK_MENU, false);
        if (Needs & 2) Event(VK_CONTROL, false);
        if (Needs & 1) Event(VK_SHIFT, false);
        return true;
    }
    void Hold(bool& Flag, Word Vk) {
        if (Flag) return;
        Flag = true;
        Event(Vk, true);
    }
    // The modifiers are let go after every key, unless a group keeps them.
    void Release(bool Always = false) {
        if (FGroup && !Always) return;
        if (FShift) Event(VK_SHIFT, false);
        if (FCtrl) Event(VK_CONTROL, false);
        if (FAlt) Event(VK_MENU, false);
        FShift = FCtrl = FAlt = false;
    }
};

bool TKeySender::Send(const String& Keys) {
    const int L = Length(Keys);
    int I = 1;
    while (I <= L) {
        const Char C = Keys[size_t(I - 1)];
        switch (C) {
        case u'+':
            Hold(FShift, VK_SHIFT);
            ++I;
            break;
        case u'^':
            Hold(FCtrl, VK_CONTROL);
            ++I;
            break;
        case u'%':
            Hold(FAlt, VK_MENU);
            ++I;
            break;
        case u'(':
            FGroup = true;
            ++I;
            break;
        case u')':
            FGroup = false;
            Release();
            ++I;
            break;
        case u'~':
            SendKey(VK_RETURN, 1, true);
            Release();
            ++I;
            break;
        case u'{': {
            if (Copy(Keys, I, 3) == u"{{}" || Copy(Keys, I, 3) == u"{}}") {
                // The braces themselves: their keys with Shift.
                Event(VK_SHIFT, true);
                SendKey(Copy(Keys, I, 3) == u"{{}" ? 219 : 221, 1, true);
                Event(VK_SHIFT, false);
                I += 3;
                Release();
                break;
            }
            const int Close = PosEx(u"}", Keys, I + 1);
            if (Close == 0) {
                Complain(u"No Close");
                return false;
            }
            const String Item = Copy(Keys, I + 1, Close - I - 1);
            I = Close + 1;
            String Name = Item;
            int Count = 1;
            bool Valid = !Item.empty();
            if (const int Blank = Pos(u" ", Item); Blank > 0) {
                Name = Copy(Item, 1, Blank - 1);
                const String Number = Trim(Copy(Item, Blank + 1, Length(Item)));
                Valid = !Number.empty() && std::all_of(Number.begin(), Number.end(),
                                                       [](Char D) { return D >= u'0' && D <= u'9'; }) &&
                        Length(Number) <= 6;
                if (Valid) Count = StrToInt(Number);
            }
            if (Valid && Length(Name) == 1) {
                Valid = SendChar(Name[0], Count);
            } else if (Valid) {
                const Word Vk = KeyNameToVirtualKey(Name);
                Valid = Vk != 0;
                if (Valid) SendKey(Vk, Count, true);
            }
            if (!Valid) Complain(u"Invalid Key Name");
            Release();
            break;
        }
        default:
            if (!SendChar(C, 1)) Complain(u"Invalid KeyName");
            Release();
            ++I;
            break;
        }
    }
    Release(true);
    return true;
}

} // namespace

Word KeyNameToVirtualKey(const String& Name) {
    const String Upper = UpperCase(Name);
    const auto* It = std::lower_bound(std::begin(KeyNames), std::end(KeyNames), Upper,
                                      [](const TKeyName& K, const String& N) { return CompareStr(K.Name, N) < 0; });
    return It != std::end(KeyNames) && Upper == It->Name ? It->Vk : 0;
}

bool SendKeyString(const String& Keys, bool Wait) {
    if (Keys.empty()) return false;
    TKeySender Sender(Wait);
    return Sender.Send(Keys);
}

bool ActivateWindow(TForeignWindow Window) {
    try {
        // Restored first: a window that is not on show cannot take the focus.
        if (!ShowForeignWindow(Window, true)) return false;
        SyncForeignDisplay();
        return ActivateForeignWindow(Window);
    } catch (...) {
        return false;
    }
}
