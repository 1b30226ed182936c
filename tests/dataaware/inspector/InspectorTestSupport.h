#pragma once
// The inspector as the IDE's sketch pane holds it: seven unbound items, two of them hidden and two
// without an editor of their own, on a form shown on the offscreen platform.

#include "dataaware/inspector/daInspector.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

struct TIdeItem {
    const char16_t* Caption;
    const char16_t* Tag;
    bool Visible;
    bool NoEditor;
};

inline const TIdeItem IdeItems[] = {
    {u"Project Name", u"ProjectName", true, true}, {u"Arduino", u"ArduinoType", true, true},
    {u"CPU", u"CPU", true, false},                 {u"ComNr", u"ComPort", true, false},
    {u"Baud rate", u"Baudrate", true, false},      {u"Project created", u"Created", false, false},
    {u"Project last modified", u"LastEdited", false, false},
};

inline void AddIdeItems(TdaDataInspector* I) {
    for (const auto& D : IdeItems) {
        TdaInspectorItem* It = I->Items()->Add();
        It->SetCaption(D.Caption);
        It->TagString = D.Tag;
        It->SetVisible(D.Visible);
        It->DisableDefaultEditor = D.NoEditor;
        It->WordWrap = false;
    }
}

struct TInspectorForm {
    TForm Form{nullptr};
    TdaDataInspector* Insp = new TdaDataInspector(&Form);
    TEdit* Other = nullptr;

    explicit TInspectorForm(bool Ide = true, int Width = 284, int Height = 160) {
        Form.SetBounds(0, 0, Width + 40, Height + 80);
        Insp->SetName(u"insp");
        Insp->SetParent(&Form);
        Insp->SetBounds(0, 0, Width, Height);
        Other = new TEdit(&Form);
        Other->SetParent(&Form);
        Other->SetBounds(0, Height + 10, 80, 22);
        if (Ide) {
            Insp->SetCaptionWidth(136);
            Insp->CaptionFont()->SetName(u"Tahoma");
            AddIdeItems(Insp);
        }
        Form.Show();
        Insp->HandleNeeded();
        Insp->ApplySettings();
        ProcessMessages();
    }
    TdaInspectorItem* Tag(const char16_t* T) { return Insp->GetItemByTagString(T); }
    TPoint CellCenter(int Col, int Row) {
        const TRect R = Insp->CellRect(Col, Row);
        return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
    }
    // Characters typed at whatever has the focus inside the inspector.
    void Type(const String& Text) {
        for (Char C : Text) {
            TWinControl* Target = FindControl(GetFocus());
            if (!Target) Target = Insp;
            CharMessages(Target, String(1, C));
        }
    }
    // A key at whatever has the focus, through the keyboard hooks as the message loop does.
    // The modifiers stay down until the keys the hook posted are handled, as a user's fingers do.
    void Key(Word K, TShiftState Shift = {}) {
        TWinControl* Target = FindControl(GetFocus());
        SetKeyState(VK_SHIFT, Shift.Contains(ssShift));
        SetKeyState(VK_CONTROL, Shift.Contains(ssCtrl));
        KeyMessages(Target ? Target : Insp, K, Shift);
        SetKeyState(VK_SHIFT, Shift.Contains(ssShift));
        SetKeyState(VK_CONTROL, Shift.Contains(ssCtrl));
        ProcessMessages();
        SetKeyState(VK_SHIFT, false);
        SetKeyState(VK_CONTROL, false);
    }
};
