#include "dataaware/edits/daEditsShared.h"

#include "dataaware/foundation/daIntl.h"
#include "platform/gui/Messages.h"

void daEditValidationError(TComponent* Sender, TField* Field, const String& Message) {
    if (daGlobalIntl) {
        daGlobalIntl->ValidationErrorUsingMask(Sender, Field, Message);
        return;
    }
    const String Text = Message.empty() ? String(u"Invalid input value.  Use escape key to abandon changes") : Message;
    MessageBeep();
    throw EInvalidOperation(Text);
}

TColor daEditErrorForeColor() {
    return daGlobalIntl ? daGlobalIntl->ValidationFeedback()->ErrorForeColor : clNone;
}

TColor daEditErrorBackColor() {
    return daGlobalIntl ? daGlobalIntl->ValidationFeedback()->ErrorBackColor : clNone;
}

void daApplyValidationColors(TControl* Control, bool Valid, TColor& OrigForeColor, TColor& OrigBackColor) {
    if (Control->ComponentState().Contains(csDesigning)) return;
    const TColor ErrorFore = daEditErrorForeColor(), ErrorBack = daEditErrorBackColor();
    if (ErrorFore != clNone) {
        if (Valid && OrigForeColor != clNone) {
            Control->Font()->SetColor(OrigForeColor);
            OrigForeColor = clNone;
        } else if (!Valid && OrigForeColor == clNone) {
            OrigForeColor = Control->Font()->Color();
            Control->Font()->SetColor(ErrorFore);
        }
    }
    if (ErrorBack != clNone) {
        if (Valid && OrigBackColor != clNone) {
            Control->SetColor(OrigBackColor);
            OrigBackColor = clNone;
        } else if (!Valid && OrigBackColor == clNone) {
            OrigBackColor = Control->Color();
            Control->SetColor(ErrorBack);
        }
    }
}
