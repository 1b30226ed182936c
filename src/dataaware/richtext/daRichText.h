#pragma once
// The rich text part of the data-aware library: its rich text control and its dialogs.
#include "dataaware/foundation/daCustomDialog.h"
#include "dataaware/richtext/daMemoDlg.h"
#include "dataaware/richtext/daRichEdit.h"

// Registers the classes of this part (start-up calls it once).
void RegisterDataAwareRichTextClasses();
