#pragma once
// What the edits take from the library's global settings: the validation error road and the
// validation colours; the button effects of the combo-style edits.

#include "dataaware/foundation/daEditFrame.h"
#include "platform/base/Component.h"
#include "platform/data/DB.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

// Reports a mask validation error of an edit: the bell and EInvalidOperation with the message
// (an empty one becomes the library's default text), unless the global handler suppresses it.
void daEditValidationError(TComponent* Sender, TField* Field, const String& Message);
TColor daEditErrorForeColor();
TColor daEditErrorBackColor();
// Shows an edit's validity in the library's error colours and back: the control's own colours
// are kept in OrigForeColor and OrigBackColor (clNone while they are shown).
void daApplyValidationColors(TControl* Control, bool Valid, TColor& OrigForeColor, TColor& OrigBackColor);

// The flat and transparent looks of a combo-style edit's button: after every change the edit
// refreshes its button (its glyph, its clipping) through OnRefresh.
class TdaComboButtonEffects : public TdaButtonEffects {
    DECLARE_CLASS(TdaComboButtonEffects, TdaButtonEffects)
public:
    using TdaButtonEffects::TdaButtonEffects;
    std::function<void()> OnRefresh;
    void RefreshButton() override {
        if (OnRefresh) OnRefresh();
    }
};
