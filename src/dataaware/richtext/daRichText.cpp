// Registration of the rich text part of the data-aware library.
#include "dataaware/richtext/daRichText.h"

void RegisterDataAwareRichTextClasses() {
    for (TClass C : {TdaRichEditStrings::StaticClass(), TdaCustomRichEdit::StaticClass(), TdaDBRichEdit::StaticClass(),
                     TdaCustomDialog::StaticClass(), TdaMemoDlg::StaticClass(), TdaMemoDialog::StaticClass()})
        RegisterClass(C);
}
