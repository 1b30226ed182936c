#pragma once
// The field in which the keystroke editors record a key: it shows the key with its modifiers
// ("Ctrl+Shift+B") and keeps it as a shortcut. Combinations named invalid get the chosen
// modifiers instead (by default a plain key becomes Alt+key).

#include "platform/gui/Controls.h"
#include "platform/gui/Menus.h"

DECLARE_ENUM(THKInvalidKey, Byte, hcNone, hcShift, hcCtrl, hcAlt, hcShiftCtrl, hcShiftAlt, hcCtrlAlt,
             hcShiftCtrlAlt)
using THKInvalidKeys = TSet<THKInvalidKey>;
DECLARE_ENUM(THKModifier, Byte, hkShift, hkCtrl, hkAlt)
using THKModifiers = TSet<THKModifier>;

// "Ctrl+", "Shift+", "Alt+" as held, then the key's own text; "(None)" when that is empty.
String HotKeyText(Word Key, TShiftState Shift);

class TCodeHotKey : public TCustomControl {
    DECLARE_CLASS(TCodeHotKey, TCustomControl)
public:
    explicit TCodeHotKey(TComponent* AOwner);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TShortCut HotKey() const { return FHotKey; }
    void SetHotKey(TShortCut Value);
    THKInvalidKeys InvalidKeys() const { return FInvalidKeys; }
    void SetInvalidKeys(const THKInvalidKeys& Value);
    THKModifiers Modifiers() const { return FModifiers; }
    void SetModifiers(const THKModifiers& Value);

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoExit() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;
    void WndProc(TMessage& Message) override;

private:
    TBorderStyle FBorderStyle = Controls::bsSingle;
    TShortCut FHotKey = 0;
    THKInvalidKeys FInvalidKeys{hcNone, hcShift};
    THKModifiers FModifiers{hkAlt};
    bool FPressedOnlyModifiers = false;

    int BorderWidth() const { return FBorderStyle == Controls::bsSingle ? 2 : 0; }
    // The modifiers that replace an invalid combination.
    TShiftState Checked(TShiftState Shift) const;
    void ShowText(const String& Value);
    void PlaceCaret();

    static void Published(TPublisher<TCodeHotKey>& P);
};
