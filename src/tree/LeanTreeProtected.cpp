// Protected steps of the tree that descendants may replace: the drop position and the drop
// effect, the right-to-left shift, the widest top row, skipping a stream chunk, the canvas font
// hook.

#include "platform/base/Streams.h"
#include "platform/gui/ImgList.h"
#include "tree/BaseLeanTree.h"

#include <algorithm>
#include <cstdint>

TDropMode TBaseLeanTree::ComputeDropMode(TPoint P, THitInfo& HitInfo, TRect& NodeRect) {
    const THitPositions& Hit = HitInfo.HitPositions;
    const bool ImageOrLabel =
        Hit.Contains(hiOnNormalIcon) || Hit.Contains(hiOnStateIcon) || Hit.Contains(hiOnItemLabel);
    const auto& Selection = TreeOptions()->SelectionOptions();
    const bool ItemHit = Hit.Contains(hiOnItem) && (TreeOptions()->MiscOptions().Contains(toFullRowDrag) ||
                                                    Selection.Contains(toFullRowSelect));
    if (TreeOptions()->MiscOptions().Contains(toReportMode) && !ItemHit) {
        if (!ImageOrLabel || HitInfo.HitColumn != FHeader->MainColumn()) HitInfo.HitNode = nullptr;
    }
    if (!HitInfo.HitNode) return dmNowhere;
    if (!ImageOrLabel && TreeOptions()->PaintOptions().Contains(toShowDropmark))
        return P.Y < (NodeRect.Top + NodeRect.Bottom) / 2 ? dmAbove : dmBelow;
    return dmOnNode;
}

int TBaseLeanTree::DefaultDropEffect(TBaseLeanTree* Source, TShiftState Shift, TPoint, int AllowedEffects) {
    auto Allowed = [AllowedEffects](int Effect) { return (AllowedEffects & Effect) != 0; };
    int Result = AllowedEffects;
    if (Source == this) {
        if (Allowed(DROPEFFECT_MOVE)) Result = DROPEFFECT_MOVE;
    } else if (Allowed(DROPEFFECT_COPY)) {
        Result = DROPEFFECT_COPY;
    }
    const bool Ctrl = Shift.Contains(ssCtrl);
    const bool ShiftKey = Shift.Contains(ssShift);
    const bool Alt = Shift.Contains(ssAlt);
    int Wanted = DROPEFFECT_NONE;
    if (Ctrl && ShiftKey)
        Wanted = DROPEFFECT_LINK;
    else if (Ctrl)
        Wanted = DROPEFFECT_COPY;
    else if (ShiftKey)
        Wanted = DROPEFFECT_MOVE;
    else if (Alt)
        Wanted = DROPEFFECT_LINK;
    if (Wanted != DROPEFFECT_NONE && Allowed(Wanted)) Result = Wanted;
    return Result;
}

int TBaseLeanTree::RightToLeftShift(bool ExcludeScrollBar) {
    const TScrollStyle Bars = FScrollBarOptions->ScrollBars();
    const bool BarShown = ClientHeight() < static_cast<long long>(FRangeY) &&
                          (Bars == TScrollStyle::ssVertical || Bars == TScrollStyle::ssBoth);
    const int BarWidth = GetSystemMetrics(SM_CXVSCROLL);
    int Result = BarShown ? BarWidth : 0;
    const TRect Header = HeaderRect();
    if (Header.Width() >= Result + static_cast<int>(FRangeX))
        Result = Header.Width() - static_cast<int>(FRangeX);
    if (ExcludeScrollBar && BarShown) Result -= BarWidth;
    return Result;
}

Cardinal TBaseLeanTree::WidestTopRowExtent() {
    int NodeTop = 0;
    PLeanNode Run = GetNodeAt(0, 0, true, NodeTop);
    int MaxWidth = 0;
    if (Run) {
        const auto& Paint = TreeOptions()->PaintOptions();
        int Indent = static_cast<int>((GetNodeLevel(Run) + (Paint.Contains(toShowRoot) ? 1 : 0)) * FIndent);
        if (FStateImages) Indent += FStateImages->Width() + 2;
        if (FImages) Indent += FImages->Width() + 2;
        TCustomImageList* Checks =
            TreeOptions()->MiscOptions().Contains(toCheckSupport) ? CheckImages() : nullptr;
        const int CheckWidth = Checks ? Checks->Width() + 2 : 0;
        int CurrentTop = NodeTop;
        while (Run) {
            InitIfNeeded(Run);
            const int Check = Run->CheckType != ctNone ? CheckWidth : 0;
            const int Width =
                QueryNodeContentWidth(Run, ColumnNone) + QueryNodeExtraWidth(Run, ColumnNone) + Indent + Check;
            MaxWidth = std::max(MaxWidth, Width);
            CurrentTop += static_cast<int>(Run->NodeHeight);
            if (CurrentTop > Height()) break;
            PLeanNode Next = GetNextVisible(Run, true);
            if (Next) Indent += LevelDistance(Run, Next) * static_cast<int>(FIndent);
            Run = Next;
        }
    }
    return static_cast<Cardinal>(MaxWidth + FMargin);
}

void TBaseLeanTree::SkipNodeChunk(TStream* Stream) {
    std::uint32_t Header[2] = {0, 0};
    Stream->ReadBuffer(Header, sizeof(Header));
    // Chunk type 1 anchors a node; its size is the rest of the node's data.
    if (Header[0] != 1) throw ELeanTreeError(u"Stream data corrupt. A node's anchor chunk is missing.", 2005);
    Stream->Seek(static_cast<Int64>(Header[1]), soFromCurrent);
}

void TBaseLeanTree::HookCanvasFontChange(TCanvas* Canvas) {
    TFont* Font = Canvas->Font();
    if (Font == FHookedFont) return;
    FOldFontChange = Font->OnChange;
    FHookedFont = Font;
    Font->OnChange = [this](TObject* Sender) { CanvasFontChanged(static_cast<TFont*>(Sender)); };
}

void TBaseLeanTree::UnhookCanvasFontChange(TCanvas* Canvas) {
    TFont* Font = Canvas->Font();
    if (Font != FHookedFont) return;
    Font->OnChange = FOldFontChange;
    FOldFontChange = nullptr;
    FHookedFont = nullptr;
}

void TBaseLeanTree::CanvasFontChanged(TFont* AFont) {
    FFontChanged = true;
    if (FOldFontChange) FOldFontChange(AFont);
}

void TBaseLeanTree::SetIncrementalSearch(TLTIncrementalSearch Value) {
    FIncrementalSearch = Value;
    if (Value != isNone) return;
    KillTreeTimer(SearchTimer);
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
}
