#include "tree/LeanTreeOptions.h"

#include "tree/BaseLeanTree.h"

#include "platform/base/ScopeGuard.h"

namespace {

template <class S> S Changed(const S& Old, const S& New) {
    return (Old - New) + (New - Old);
}

bool Live(TBaseLeanTree* Tree) {
    return Tree && !Tree->ComponentState().Contains(csLoading) && Tree->HandleAllocated();
}

} // namespace

TCustomLeanTreeOptions::TCustomLeanTreeOptions(TBaseLeanTree* AOwner) : FOwner(AOwner) {}

TPersistent* TCustomLeanTreeOptions::GetOwner() const {
    return FOwner;
}

void TCustomLeanTreeOptions::SetPaintOptions(TLTPaintOptions Value) {
    if (Value == FPaintOptions) return;
    const TLTPaintOptions Old = FPaintOptions;
    // A fixed indent needs the root level's indent.
    if ((Value - Old).Contains(toFixedIndent)) Value.Include(toShowRoot);
    FPaintOptions = Value;
    if (FOwner) FOwner->ApplyPaintOptionsChange(Old, Value);
}

void TCustomLeanTreeOptions::SetAnimationOptions(TLTAnimationOptions Value) {
    FAnimationOptions = Value;
}

void TCustomLeanTreeOptions::SetAutoOptions(TLTAutoOptions Value) {
    if (Value == FAutoOptions) return;
    const TLTAutoOptions Old = FAutoOptions;
    FAutoOptions = Value;
    if (Changed(Old, Value).Contains(toAutoSpanColumns) && Live(FOwner)) FOwner->Invalidate();
}

void TCustomLeanTreeOptions::SetSelectionOptions(TLTSelectionOptions Value) {
    if (Value == FSelectionOptions) return;
    const TLTSelectionOptions Old = FSelectionOptions;
    FSelectionOptions = Value;
    if (FOwner) FOwner->ApplySelectionOptionsChange(Old, Value);
}

void TCustomLeanTreeOptions::SetMiscOptions(TLTMiscOptions Value) {
    if (Value == FMiscOptions) return;
    const TLTMiscOptions Old = FMiscOptions;
    FMiscOptions = Value;
    if (FOwner) FOwner->ApplyMiscOptionsChange(Old, Value);
}

void TCustomLeanTreeOptions::AssignTo(TPersistent* Dest) {
    if (auto* Options = dynamic_cast<TCustomLeanTreeOptions*>(Dest)) {
        Options->SetPaintOptions(FPaintOptions);
        Options->SetAnimationOptions(FAnimationOptions);
        Options->SetAutoOptions(FAutoOptions);
        Options->SetSelectionOptions(FSelectionOptions);
        Options->SetMiscOptions(FMiscOptions);
        return;
    }
    TPersistent::AssignTo(Dest);
}

void TCustomStringTreeOptions::SetStringOptions(TLTStringOptions Value) {
    if (Value == FStringOptions) return;
    const TLTStringOptions Old = FStringOptions;
    FStringOptions = Value;
    if (Changed(Old, Value).Contains(toShowStaticText) && Live(Owner())) Owner()->Invalidate();
}

void TCustomStringTreeOptions::AssignTo(TPersistent* Dest) {
    if (auto* Options = dynamic_cast<TCustomStringTreeOptions*>(Dest))
        Options->SetStringOptions(FStringOptions);
    TCustomLeanTreeOptions::AssignTo(Dest);
}

void TStringTreeOptions::Published(TPublisher<TStringTreeOptions>& P) {
    using C = TStringTreeOptions;
    P.Property(u"AnimationOptions", &C::AnimationOptions, &C::SetAnimationOptions)
        .Default(TLTAnimationOptions{});
    P.Property(u"AutoOptions", &C::AutoOptions, &C::SetAutoOptions).Default(DefaultAutoOptions);
    P.Property(u"ExportMode", &C::ExportMode, &C::SetExportMode).Default(emAll);
    P.Property(u"MiscOptions", &C::MiscOptions, &C::SetMiscOptions).Default(DefaultMiscOptions);
    P.Property(u"PaintOptions", &C::PaintOptions, &C::SetPaintOptions).Default(DefaultPaintOptions);
    P.Property(u"SelectionOptions", &C::SelectionOptions, &C::SetSelectionOptions)
        .Default(TLTSelectionOptions{});
    P.Property(u"StringOptions", &C::StringOptions, &C::SetStringOptions).Default(DefaultStringOptions);
}

// ---- The tree's side of the option changes ---------------------------------------------------

void TBaseLeanTree::ApplyPaintOptionsChange(TLTPaintOptions Old, TLTPaintOptions New) {
    const TLTPaintOptions Diff = Changed(Old, New);
    const bool Loading = ComponentState().Contains(csLoading);
    if (!Loading && Diff.Contains(toShowFilteredNodes)) {
        // Filtered nodes give their rows back, or take them away.
        const bool Update = HandleAllocated();
        if (Update) BeginUpdate();
        TScopeExit Updated([&] {
            if (Update) EndUpdate();
        });
        StopCacheValidation();
        const bool Shown = New.Contains(toShowFilteredNodes);
        for (PLeanNode Run = GetFirstNoInit(false); Run; Run = GetNextNoInit(Run, false)) {
            if (!Run->States.Contains(vsFiltered)) continue;
            if (FullyVisible(Run)) {
                if (Shown)
                    ++FVisibleCount;
                else
                    --FVisibleCount;
            }
            ChangeTotalHeight(Run, Shown ? Run->NodeHeight : -static_cast<int>(Run->NodeHeight), true);
        }
    }
    if (!HandleAllocated() || Loading) return;
    if (Diff.Contains(toThemeAware) || Diff.Contains(toUseExplorerTheme)) {
        if ((New - Old).Contains(toThemeAware))
            DoStateChange({tsUseThemes});
        else if ((Old - New).Contains(toThemeAware))
            DoStateChange({}, {tsUseThemes});
        Invalidate();
    }
    if (Diff.Contains(toChildrenAbove)) {
        DoStateChange({tsValidationNeeded}, {tsUseCache});
        if (FUpdateCount == 0) {
            StartCacheValidation();
            Invalidate();
        }
    }
    Invalidate();
}

void TBaseLeanTree::ApplySelectionOptionsChange(TLTSelectionOptions Old, TLTSelectionOptions New) {
    const TLTSelectionOptions Diff = Changed(Old, New);
    const TLTSelectionOptions Added = New - Old;
    if (Diff.Contains(toMultiSelect) || Added.Contains(toLevelSelectConstraint) ||
        Added.Contains(toSiblingSelectConstraint))
        ClearSelection();
    if ((Old - New).Contains(toExtendedFocus) && FFocusedColumn > 0 && HandleAllocated()) {
        FFocusedColumn = FHeader->MainColumn();
        Invalidate();
    }
    if (!New.Contains(toExtendedFocus)) FFocusedColumn = FHeader->MainColumn();
}

void TBaseLeanTree::ApplyMiscOptionsChange(TLTMiscOptions Old, TLTMiscOptions New) {
    if (ComponentState().Contains(csLoading) || !HandleAllocated()) return;
    const TLTMiscOptions Diff = Changed(Old, New);
    if (Diff.Contains(toCheckSupport)) Invalidate();
    if (ComponentState().Contains(csDesigning)) return;
    if (Diff.Contains(toFullRepaintOnResize)) RecreateWnd();
    // Registration as a drop target comes with the drag and drop code.
}
