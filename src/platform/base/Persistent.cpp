#include "platform/base/Persistent.h"

void TPersistent::Assign(TPersistent* Source) {
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const {
    const String SourceName = Source ? Source->ClassName() : String(u"nil");
    throw EConvertError(u"Cannot assign a " + SourceName + u" to a " + ClassName());
}

String TPersistent::GetNamePath() const {
    String Result = ClassName();
    if (const TPersistent* Owner = GetOwner()) {
        const String OwnerPath = Owner->GetNamePath();
        if (!OwnerPath.empty()) Result = OwnerPath + u"." + Result;
    }
    return Result;
}
