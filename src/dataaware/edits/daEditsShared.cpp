#include "dataaware/edits/daEditsShared.h"

#include "platform/gui/Messages.h"

void daEditValidationError(TComponent*, TField*, const String& Message) {
    const String Text = Message.empty() ? String(u"Invalid input value.  Use escape key to abandon changes") : Message;
    MessageBeep();
    throw EInvalidOperation(Text);
}

TColor daEditErrorForeColor() {
    return clNone;
}

TColor daEditErrorBackColor() {
    return clNone;
}
