#include "editor/KeyCodes.h"

#include "platform/base/Strings.h"

TShortCut ShortCut(Word Key, TShiftState Shift) {
    if (Key > 0xFF) return 0;
    TShortCut Result = Key;
    if (Shift.Contains(ssShift)) Result += scShift;
    if (Shift.Contains(ssCtrl)) Result += scCtrl;
    if (Shift.Contains(ssAlt)) Result += scAlt;
    return Result;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
    Key = ShortCut & ~(scShift | scCtrl | scAlt);
    Shift = TShiftState();
    if (ShortCut & scShift) Shift.Include(ssShift);
    if (ShortCut & scCtrl) Shift.Include(ssCtrl);
    if (ShortCut & scAlt) Shift.Include(ssAlt);
}

namespace {

String KeyName(Word Key) {
    struct TKeyName {
        Word Key;
        const char16_t* Name;
    };
    static const TKeyName Names[] = {
        {VK_BACK, u"BkSp"},   {VK_TAB, u"Tab"},    {VK_RETURN, u"Enter"}, {VK_ESCAPE, u"Esc"},
        {VK_SPACE, u"Space"}, {VK_PRIOR, u"PgUp"}, {VK_NEXT, u"PgDn"},    {VK_END, u"End"},
        {VK_HOME, u"Home"},   {VK_LEFT, u"Left"},  {VK_UP, u"Up"},        {VK_RIGHT, u"Right"},
        {VK_DOWN, u"Down"},   {VK_INSERT, u"Ins"}, {VK_DELETE, u"Del"},
    };
    for (const TKeyName& N : Names)
        if (N.Key == Key) return N.Name;
    if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return String(1, Char(Key));
    if (Key >= VK_F1 && Key <= VK_F24) return u"F" + IntToStr(Key - VK_F1 + 1);
    return String();
}

} // namespace

String ShortCutToText(TShortCut ShortCut) {
    const String Name = KeyName(ShortCut & 0xFF);
    if (Name.empty()) return String();
    String Result;
    if (ShortCut & scShift) Result += u"Shift+";
    if (ShortCut & scCtrl) Result += u"Ctrl+";
    if (ShortCut & scAlt) Result += u"Alt+";
    return Result + Name;
}
