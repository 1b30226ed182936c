#include "tree/LeanTreeEditor.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "tree/LeanStringTree.h"

#include <algorithm>

namespace {

// The smallest editor: room for a few characters even over a very narrow cell.
constexpr int MinimumEditWidth = 30;

} // namespace

// ---- The edit control -------------------------------------------------------------------------

TLTEdit::TLTEdit(TStringEditLink* Link) : TCustomMemo(nullptr), FLink(Link) {
    SetShowHint(false);
    SetParentShowHint(false);
}

TLTEdit::~TLTEdit() {
    if (FLink && FLink->FEdit == this) FLink->FEdit = nullptr;
}

void TLTEdit::Release() {
    if (FReleasing) return;
    FReleasing = true;
    if (HandleAllocated())
        PostMessage(WindowHandle(), CM_RELEASE);
    else
        delete this;
}

bool TLTEdit::SingleLine() const {
    return !FLink || !FLink->FNode || !FLink->FNode->States.Contains(vsMultiline);
}

void TLTEdit::Unlink() {
    FLink = nullptr;
    FRefLink.reset(); // may end the link, which then asks this control to go
}

void TLTEdit::WindowGoing() {
    // The window goes while an edit runs (the tree or its form is going): keep what was typed
    // when the tree accepts edits on leaving.
    if (!FLink || FLink->FStopping) return;
    TStringEditLink* L = FLink;
    if (L->FTree && L->FTree->StringOptions().Contains(toAutoAcceptEditChange) && Modified()) {
        L->FTree->SetNodeText(L->FNode, L->FColumn, Text());
        SetModified(false);
    }
    // The link stays until the tree ends or cancels the edit: dropping it here would free this
    // control while its window is still being destroyed.
}

void TLTEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_RELEASE:
        delete this;
        return;
    case WM_DESTROY:
        WindowGoing();
        break;
    default:
        break;
    }
    TCustomMemo::Dispatch(Message);
}

void TLTEdit::WMGetDlgCode(TWMGetDlgCode& Message) {
    TCustomMemo::WMGetDlgCode(Message);
    Message.Result |= DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTARROWS;
}

void TLTEdit::WMKeyDown(TWMKeyDown& Message) {
    TCustomLeanStringTree* Tree = FLink ? FLink->FTree : nullptr;
    const bool Editing = Tree && Tree->IsEditing();
    const TShiftState Shift = KeyDataToShiftState(Message.KeyData());
    const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (Message.CharCode()) {
    case VK_TAB:
        if (Editing) {
            PLeanNode Node = FLink->FNode;
            const TColumnIndex Column = FLink->FColumn;
            Tree->InvalidateNode(Node);
            PLeanNode Next = Tree->GetNextVisible(Node, true);
            Tree->EndEditNode();
            // This control is unlinked now; only the tree goes on.
            if (Next) {
                Tree->SetFocusedNode(Next);
                if (Tree->FocusedNode() == Next && Tree->CanEdit(Next, Column)) Tree->EditNode(Next, Column);
            }
        }
        return;
    case VK_RETURN:
        if (Tree && (SingleLine() || Ctrl)) {
            Tree->InvalidateNode(FLink->FNode);
            Tree->EndEditNode();
            if (Tree->CanFocus()) Tree->SetFocus();
            return;
        }
        break;
    case VK_ESCAPE:
        if (Tree) {
            Tree->CancelEditNode();
            if (Tree->CanFocus()) Tree->SetFocus();
        }
        return;
    case VK_UP:
    case VK_DOWN:
        if (SingleLine()) Message.SetCharCode(Message.CharCode() == VK_UP ? VK_LEFT : VK_RIGHT);
        break;
    case 'A':
        // Select all on Ctrl+A alone; the key itself never reaches the edit's own handling.
        if (Editing && Shift == TShiftState{ssCtrl}) SelectAll();
        return;
    default:
        break;
    }
    TCustomMemo::WMKeyDown(Message);
}

void TLTEdit::WMChar(TWMChar& Message) {
    const Word Ch = Message.CharCode();
    // Tab and Escape never become text; neither does the Enter that ended a single-line edit.
    if (Ch == VK_TAB || Ch == VK_ESCAPE) return;
    if (Ch == VK_RETURN && (SingleLine() || !FLink)) return;
    // Ctrl+A selected the text; its control character stays out.
    if (Ch == 1) return;
    TCustomMemo::WMChar(Message);
}

void TLTEdit::CMExit(TMessage& Message) {
    TCustomMemo::CMExit(Message);
    if (!FLink || FLink->FStopping || !FLink->FTree) return;
    TCustomLeanStringTree* Tree = FLink->FTree;
    if (Tree->StringOptions().Contains(toAutoAcceptEditChange))
        Tree->EndEditNode();
    else
        Tree->CancelEditNode();
}

void TLTEdit::CNCommand(TWMCommand& Message) {
    TCustomMemo::CNCommand(Message);
    if (Message.NotifyCode() == EN_CHANGE && FLink && !FLink->FStopping && SingleLine()) AutoAdjustSize();
}

void TLTEdit::AutoAdjustSize() {
    if (!FLink || !FLink->FTree || !SingleLine()) return;
    TCustomLeanStringTree* Tree = FLink->FTree;
    if (Tree->TreeOptions()->MiscOptions().Contains(toGridExtensions)) return;
    if (!HandleAllocated()) return;
    Perform(WM_SETREDRAW, 0, 0);
    TScopeExit Redraw([this] { Perform(WM_SETREDRAW, 1, 0); });
    TBitmap Measure(1, 1);
    Measure.Canvas()->Font()->Assign(Font());
    // "yG": room for the next typed character and for descenders.
    TSize Size = Measure.Canvas()->TextExtent(Text() + u"yG");
    Size.cx += Tree->TextMargin() * 2;
    Size.cy += Tree->TextMargin() * 2;
    const int NewHeight = std::max(Height() - 2 * GetSystemMetrics(SM_CYBORDER), static_cast<int>(Size.cy));
    if (Size.cx < Width()) Tree->Invalidate(); // the editor shrinks: uncover the cell behind it
    TRect R = BoundsRect();
    if (FLink->FAlignment == taRightJustify)
        R = Rect(R.Right - Size.cx, R.Top, R.Right, R.Top + NewHeight);
    else
        R = Rect(R.Left, R.Top, R.Left + Size.cx, R.Top + NewHeight);
    FLink->SetBounds(R);
}

// ---- The link ---------------------------------------------------------------------------------

TStringEditLink::TStringEditLink() : FEdit(new TLTEdit(this)) {
    FEdit->SetVisible(false);
    FEdit->SetBorderStyle(Controls::bsSingle);
    FEdit->SetWordWrap(false);
    // No height of its own: placing it over the cell gives it the cell's.
    FEdit->SetBounds(0, 0, 0, 0);
}

TStringEditLink::~TStringEditLink() {
    if (TLTEdit* Edit = FEdit) {
        FEdit = nullptr;
        Edit->FLink = nullptr;
        Edit->Release();
    }
}

bool TStringEditLink::PrepareEdit(TBaseLeanTree* Tree, PLeanNode Node, TColumnIndex Column) {
    auto* StringTree = dynamic_cast<TCustomLeanStringTree*>(Tree);
    if (!StringTree || !FEdit || FStopping) return false;
    FTree = StringTree;
    FNode = Node;
    FColumn = Column;
    FEdit->FRefLink = shared_from_this();
    FEdit->Font()->Assign(Tree->Font());
    String Text;
    FTree->GetTextInfo(Node, Column, FEdit->Font(), FTextBounds, Text);
    FEdit->Font()->SetColor(clWindowText);
    const bool Multiline = Node->States.Contains(vsMultiline);
    FEdit->SetWordWrap(Multiline);
    FEdit->SetScrollBars(Multiline ? StdCtrls::ssVertical : StdCtrls::ssNone);
    FAlignment = Tree->Header()->Columns()->IsValidColumn(Column)
                     ? Tree->Header()->Columns()->Items(Column)->Alignment()
                     : Tree->Alignment();
    FEdit->SetAlignment(FAlignment);
    FEdit->SetParent(Tree);
    FEdit->HandleNeeded();
    FEdit->SetText(Text);
    return true;
}

bool TStringEditLink::BeginEdit() {
    if (FStopping || !FEdit) return false;
    FEdit->Show();
    FEdit->SelectAll();
    if (FEdit->CanFocus()) FEdit->SetFocus();
    FEdit->AutoAdjustSize();
    return true;
}

bool TStringEditLink::EndEdit() {
    if (FStopping) return false;
    FStopping = true;
    if (FEdit && FEdit->Modified()) {
        // A handler that refuses the text leaves the edit running.
        TScopeExit Refused([this] { FStopping = false; });
        FTree->SetNodeText(FNode, FColumn, FEdit->Text());
        Refused.Release();
    }
    // Keep this link alive until the end of the call: unlinking drops the control's reference.
    auto Self = shared_from_this();
    if (TLTEdit* Edit = FEdit) {
        Edit->Hide();
        Edit->Unlink();
    }
    return true;
}

bool TStringEditLink::CancelEdit() {
    if (FStopping) return false;
    FStopping = true;
    auto Self = shared_from_this();
    if (FEdit) FEdit->Hide();
    if (FTree) FTree->CancelEditNode();
    if (TLTEdit* Edit = FEdit) Edit->Unlink();
    return true;
}

TRect TStringEditLink::GetBounds() {
    return FEdit ? FEdit->BoundsRect() : TRect{};
}

void TStringEditLink::ProcessMessage(TMessage& Message) {
    if (FEdit) FEdit->WindowProc()(Message);
}

void TStringEditLink::SetBounds(TRect R) {
    if (FStopping || !FEdit || !FTree) return;
    R.Left = std::max(R.Left, 0);
    if (R.Width() < MinimumEditWidth) {
        if (FAlignment == taRightJustify)
            R.Left = R.Right - MinimumEditWidth;
        else
            R.Right = R.Left + MinimumEditWidth;
    }
    R.Right = std::min(R.Right, FTree->ClientWidth());
    FEdit->SetBoundsRect(R);
}

// ---- The string tree's editor -----------------------------------------------------------------

TLTEditLinkRef TCustomLeanStringTree::DoCreateEditor(PLeanNode Node, TColumnIndex Column) {
    TLTEditLinkRef Result = TBaseLeanTree::DoCreateEditor(Node, Column);
    if (!Result) Result = std::make_shared<TStringEditLink>();
    return Result;
}
