#include "ide/ScreenTips.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"

#include <algorithm>

TScreenTipsManager::TScreenTipsManager(TComponent* AOwner) : TComponent(AOwner) {}

TScreenTipsManager::~TScreenTipsManager() {
    for (const TTip& T : FTips)
        if (T.Action) T.Action->RemoveFreeNotification(this);
}

void TScreenTipsManager::Add(TBasicAction* Action, const String& Header, const String& Description) {
    if (!Action) return;
    for (TTip& T : FTips)
        if (T.Action == Action) {
            T.Header = Header;
            T.Description = Description;
            return;
        }
    FTips.push_back({Action, Header, Description});
    Action->FreeNotification(this);
}

String TScreenTipsManager::TipText(const TBasicAction* Action) const {
    for (const TTip& T : FTips)
        if (T.Action == Action) return T.Header + u"\n" + T.Description;
    return String();
}

bool TScreenTipsManager::ApplyTip(String& HintStr, const THintInfo& HintInfo) const {
    const auto* Button = dynamic_cast<const TToolButton*>(HintInfo.HintControl);
    if (!Button || !Button->Action()) return false;
    const String Tip = TipText(Button->Action());
    if (Tip.empty()) return false;
    HintStr = Tip;
    return true;
}

void TScreenTipsManager::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    // A tip never outlives its action.
    std::erase_if(FTips, [AComponent](const TTip& T) { return T.Action == AComponent; });
}
