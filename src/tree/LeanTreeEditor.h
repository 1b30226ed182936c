#pragma once
// The string tree's in-place editor: a link that the tree drives through ILTEditLink, and the
// edit control that the link places over the edited cell. A link serves one edit; once it has
// been ended or cancelled it refuses every further call.

#include "platform/gui/StdCtrls.h"
#include "tree/BaseLeanTree.h"

#include <memory>

class TCustomLeanStringTree;
class TStringEditLink;

// The edit over the cell. It is always a multi-line edit, so that a multi-line node can wrap;
// a single-line node scrolls sideways and grows with its text.
class TLTEdit : public TCustomMemo {
    DECLARE_CLASS(TLTEdit, TCustomMemo)
public:
    explicit TLTEdit(TStringEditLink* Link = nullptr);
    ~TLTEdit() override;
    // Frees the control once the message now being handled is done.
    void Release();
    TStringEditLink* Link() const { return FLink; }

protected:
    friend class TStringEditLink;
    void Dispatch(TMessage& Message) override;
    void WMKeyDown(TWMKeyDown& Message) override;
    void WMChar(TWMChar& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void CMExit(TMessage& Message) override;
    void CNCommand(TWMCommand& Message) override;
    // Fits a single-line editor to its text.
    void AutoAdjustSize();
    // Drops the link and the reference that keeps it alive.
    void Unlink();

private:
    TLTEditLinkRef FRefLink;
    TStringEditLink* FLink = nullptr;
    bool FReleasing = false;

    bool SingleLine() const;
    void WindowGoing();
};

class TStringEditLink : public ILTEditLink, public std::enable_shared_from_this<TStringEditLink> {
public:
    TStringEditLink();
    ~TStringEditLink() override;

    bool BeginEdit() override;
    bool CancelEdit() override;
    bool EndEdit() override;
    bool PrepareEdit(TBaseLeanTree* Tree, PLeanNode Node, TColumnIndex Column) override;
    TRect GetBounds() override;
    void ProcessMessage(TMessage& Message) override;
    void SetBounds(TRect R) override;

    TLTEdit* Edit() const { return FEdit; }
    TCustomLeanStringTree* Tree() const { return FTree; }
    PLeanNode Node() const { return FNode; }
    TColumnIndex Column() const { return FColumn; }
    TAlignment Alignment() const { return FAlignment; }
    const TRect& TextBounds() const { return FTextBounds; }
    bool Stopping() const { return FStopping; }

private:
    friend class TLTEdit;
    TLTEdit* FEdit = nullptr;
    TCustomLeanStringTree* FTree = nullptr;
    PLeanNode FNode = nullptr;
    TColumnIndex FColumn = ColumnNone;
    TAlignment FAlignment = taLeftJustify;
    TRect FTextBounds;
    bool FStopping = false;
};
