#pragma once
// What the edits take from the library's global settings: the validation error road and the
// validation colours.

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
