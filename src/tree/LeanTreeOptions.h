#pragma once
// The option sets of a tree: paint, animation, auto, selection and miscellaneous options, the
// export mode, and for string trees the string options. The tree owns one options object; its
// setters apply the side effects on the tree.

#include "platform/base/Persistent.h"
#include "tree/LeanTreeTypes.h"

class TBaseLeanTree;

class TCustomLeanTreeOptions : public TPersistent {
    DECLARE_CLASS(TCustomLeanTreeOptions, TPersistent)
public:
    static constexpr TLTPaintOptions DefaultPaintOptions{toShowButtons,   toShowDropmark, toShowRoot,
                                                         toShowTreeLines, toThemeAware,   toUseBlendedImages};
    static constexpr TLTAutoOptions DefaultAutoOptions{
        toAutoDropExpand,       toAutoScrollOnExpand,   toAutoSort,
        toAutoTristateTracking, toAutoDeleteMovedNodes, toAutoChangeScale};
    static constexpr TLTMiscOptions DefaultMiscOptions{toAcceptOLEDrop, toFullRepaintOnResize,
                                                       toInitOnSave,    toToggleOnDblClick,
                                                       toWheelPanning,  toEditOnClick};

    explicit TCustomLeanTreeOptions(TBaseLeanTree* AOwner = nullptr);

    TBaseLeanTree* Owner() const { return FOwner; }

    TLTPaintOptions PaintOptions() const { return FPaintOptions; }
    void SetPaintOptions(TLTPaintOptions Value);
    TLTAnimationOptions AnimationOptions() const { return FAnimationOptions; }
    void SetAnimationOptions(TLTAnimationOptions Value);
    TLTAutoOptions AutoOptions() const { return FAutoOptions; }
    void SetAutoOptions(TLTAutoOptions Value);
    TLTSelectionOptions SelectionOptions() const { return FSelectionOptions; }
    void SetSelectionOptions(TLTSelectionOptions Value);
    TLTMiscOptions MiscOptions() const { return FMiscOptions; }
    void SetMiscOptions(TLTMiscOptions Value);
    TLTExportMode ExportMode() const { return FExportMode; }
    void SetExportMode(TLTExportMode Value) { FExportMode = Value; }

protected:
    // Copies the sets through Dest's setters (paint, animation, auto, selection, misc), so
    // that their side effects run on Dest's tree; the export mode stays.
    void AssignTo(TPersistent* Dest) override;
    TPersistent* GetOwner() const override;

private:
    TBaseLeanTree* FOwner;
    TLTPaintOptions FPaintOptions = DefaultPaintOptions;
    TLTAnimationOptions FAnimationOptions;
    TLTAutoOptions FAutoOptions = DefaultAutoOptions;
    TLTSelectionOptions FSelectionOptions;
    TLTMiscOptions FMiscOptions = DefaultMiscOptions;
    TLTExportMode FExportMode = emAll;
};

class TCustomStringTreeOptions : public TCustomLeanTreeOptions {
    DECLARE_CLASS(TCustomStringTreeOptions, TCustomLeanTreeOptions)
public:
    static constexpr TLTStringOptions DefaultStringOptions{toSaveCaptions, toAutoAcceptEditChange};

    explicit TCustomStringTreeOptions(TBaseLeanTree* AOwner = nullptr) : TCustomLeanTreeOptions(AOwner) {}

    TLTStringOptions StringOptions() const { return FStringOptions; }
    void SetStringOptions(TLTStringOptions Value);

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    TLTStringOptions FStringOptions = DefaultStringOptions;
};

// The form of the options that form definitions store: every set published.
class TStringTreeOptions : public TCustomStringTreeOptions {
    DECLARE_CLASS(TStringTreeOptions, TCustomStringTreeOptions)
public:
    explicit TStringTreeOptions(TBaseLeanTree* AOwner = nullptr) : TCustomStringTreeOptions(AOwner) {}

private:
    static void Published(TPublisher<TStringTreeOptions>& P);
};

// How a tree class makes its options object.
using TLeanTreeOptionsClass = TCustomLeanTreeOptions* (*)(TBaseLeanTree* AOwner);
