#pragma once
// The main window's screen tips: for an action, a header and a description of a few lines that
// the hint over the action's tool button shows instead of the plain hint.

#include "platform/gui/Controls.h"

#include <vector>

class TBasicAction;

class TScreenTipsManager : public TComponent {
    DECLARE_CLASS(TScreenTipsManager, TComponent)
public:
    explicit TScreenTipsManager(TComponent* AOwner);
    ~TScreenTipsManager() override;

    // Description: lines separated by "\n"; a second call for the action replaces the first.
    void Add(TBasicAction* Action, const String& Header, const String& Description);
    int Count() const { return static_cast<int>(FTips.size()); }
    // The tip's text, header first and then the description; empty for an action without one.
    String TipText(const TBasicAction* Action) const;
    // For the hint about to show over a control: the tip of the control's action, when it has
    // one, takes the hint's place. True when it did.
    bool ApplyTip(String& HintStr, const THintInfo& HintInfo) const;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    struct TTip {
        TBasicAction* Action;
        String Header;
        String Description;
    };
    std::vector<TTip> FTips;
};
