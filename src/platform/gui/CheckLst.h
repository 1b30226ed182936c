#pragma once
// A list box whose items carry a tick box: a click on the box or the space bar ticks or unticks
// the item and fires OnClickCheck (the item is selected first, so handlers read ItemIndex).

#include "platform/gui/StdCtrls.h"

class TCheckListBox : public TCustomListBox {
    DECLARE_CLASS(TCheckListBox, TCustomListBox)
public:
    using TCustomListBox::TCustomListBox;

    // EListError for an index outside the list; setting does not fire OnClickCheck.
    bool Checked(int Index) const { return LineChecked(Index); }
    void SetChecked(int Index, bool Value) { SetLineChecked(Index, Value); }

    TNotifyEvent OnClickCheck;

protected:
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMChar(TWMChar& Message) override;
    // The user's toggle of an item: flips it and fires OnClickCheck.
    virtual void ToggleClickCheck(int Index);
    virtual void ClickCheck();

private:
    // The width the box takes at the left of every item.
    static constexpr int BoxWidth = 16;
};

void RegisterCheckLstClasses();
