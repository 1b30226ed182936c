#pragma once
// Three small objects that every tree owns: its scroll-bar options, its table of painting
// colours, and the names of the clipboard formats it offers; and the process-wide registry of
// the clipboard formats that tree classes can render, in order of preference.

#include "platform/base/Lists.h"
#include "platform/base/Object.h"
#include "platform/base/Persistent.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"

#include <memory>
#include <vector>

class TBaseLeanTree;

DECLARE_ENUM(TScrollBarStyle, Byte, sbmRegular, sbm3D)
// Pixels of one scroll step (1..10000).
using TLTScrollIncrement = Word;

class TScrollBarOptions : public TPersistent {
    DECLARE_CLASS(TScrollBarOptions, TPersistent)
public:
    explicit TScrollBarOptions(TBaseLeanTree* AOwner) : FOwner(AOwner) {}
    void Assign(TPersistent* Source) override;
    bool AlwaysVisible() const { return FAlwaysVisible; }
    void SetAlwaysVisible(bool Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TScrollBarStyle ScrollBarStyle() const { return FScrollBarStyle; }
    void SetScrollBarStyle(TScrollBarStyle Value) { FScrollBarStyle = Value; }
    int HorizontalIncrement() const { return FIncrementX; }
    void SetHorizontalIncrement(int Value) { FIncrementX = static_cast<TLTScrollIncrement>(std::clamp(Value, 1, 10000)); }
    int VerticalIncrement() const { return FIncrementY; }
    void SetVerticalIncrement(int Value) { FIncrementY = static_cast<TLTScrollIncrement>(std::clamp(Value, 1, 10000)); }

private:
    TBaseLeanTree* FOwner;
    bool FAlwaysVisible = false;
    TScrollStyle FScrollBars = StdCtrls::ssBoth;
    TScrollBarStyle FScrollBarStyle = sbmRegular;
    TLTScrollIncrement FIncrementX = 20, FIncrementY = 20;
    void RecreateTreeWindow();
};

// The sixteen painting colours of a tree, by index.
DECLARE_ENUM(TLTColorIndex, Byte, ciDisabledColor, ciDropMarkColor, ciDropTargetColor,
             ciFocusedSelectionColor, ciGridLineColor, ciTreeLineColor, ciUnfocusedSelectionColor,
             ciBorderColor, ciHotColor, ciFocusedSelectionBorderColor, ciUnfocusedSelectionBorderColor,
             ciDropTargetBorderColor, ciSelectionRectangleBlendColor, ciSelectionRectangleBorderColor,
             ciHeaderHotColor, ciSelectionTextColor)

class TLTColors : public TPersistent {
    DECLARE_CLASS(TLTColors, TPersistent)
public:
    explicit TLTColors(TBaseLeanTree* AOwner);
    void Assign(TPersistent* Source) override;

    TColor Color(TLTColorIndex Index) const { return FColors[Index]; }
    void SetColor(TLTColorIndex Index, TColor Value);

    TColor DisabledColor() const { return FColors[ciDisabledColor]; }
    TColor DropMarkColor() const { return FColors[ciDropMarkColor]; }
    TColor DropTargetColor() const { return FColors[ciDropTargetColor]; }
    TColor FocusedSelectionColor() const { return FColors[ciFocusedSelectionColor]; }
    TColor GridLineColor() const { return FColors[ciGridLineColor]; }
    TColor TreeLineColor() const { return FColors[ciTreeLineColor]; }
    TColor UnfocusedSelectionColor() const { return FColors[ciUnfocusedSelectionColor]; }
    TColor BorderColor() const { return FColors[ciBorderColor]; }
    TColor HotColor() const { return FColors[ciHotColor]; }
    TColor FocusedSelectionBorderColor() const { return FColors[ciFocusedSelectionBorderColor]; }
    TColor UnfocusedSelectionBorderColor() const { return FColors[ciUnfocusedSelectionBorderColor]; }
    TColor DropTargetBorderColor() const { return FColors[ciDropTargetBorderColor]; }
    TColor SelectionRectangleBlendColor() const { return FColors[ciSelectionRectangleBlendColor]; }
    TColor SelectionRectangleBorderColor() const { return FColors[ciSelectionRectangleBorderColor]; }
    TColor HeaderHotColor() const { return FColors[ciHeaderHotColor]; }
    TColor SelectionTextColor() const { return FColors[ciSelectionTextColor]; }
    // Taken from elsewhere: the tree's colour, the header font's and the tree font's colour.
    TColor BackGroundColor() const;
    TColor HeaderFontColor() const;
    TColor NodeFontColor() const;

private:
    TBaseLeanTree* FOwner;
    TColor FColors[16];
};

// One registered format: its name, the tree class that renders it (and the classes derived
// from it), its priority (smaller is preferred) and its number.
struct TClipboardFormatListEntry {
    String Description;
    TClass TreeClass = nullptr;
    Cardinal Priority = 0;
    TClipboardFormat Format = 0;
};

class TClipboardFormatList {
public:
    void Add(const String& FormatString, TClass AClass, TClipboardFormat Format, Cardinal Priority);
    void Clear() { FList.clear(); }
    // The formats for a tree class (its own and its ancestors'), in order of preference; with
    // AllowedFormats only those whose names it holds (without regard to case).
    std::vector<TClipboardFormat> EnumerateFormats(TClass TreeClass,
                                                   const TStrings* AllowedFormats = nullptr) const;
    void EnumerateFormatNames(TClass TreeClass, TStrings* Formats) const;
    // By name, without regard to case; null when absent.
    const TClipboardFormatListEntry* FindFormat(const String& FormatString) const;
    // By number; null when absent.
    const TClipboardFormatListEntry* FindFormat(TClipboardFormat Format) const;
    const std::vector<TClipboardFormatListEntry>& Entries() const { return FList; }

private:
    std::vector<TClipboardFormatListEntry> FList;
};

// The process-wide registry, made on first use.
TClipboardFormatList& GlobalFormatList();
// Registers the name with the clipboard and adds it for the tree class; answers its number.
TClipboardFormat RegisterTreeFormat(const String& Description, TClass TreeClass, Cardinal Priority);
// A standard format (1..16) under its table description, another number under its registered
// name; 0 and unknown standard numbers add nothing.
void RegisterStandardTreeFormat(TClipboardFormat Format, TClass TreeClass, Cardinal Priority);
// The description of a standard format 1..16 (empty for others).
String StandardFormatDescription(TClipboardFormat Format);

// The names of the formats a tree offers: only names that the registry holds for the tree's
// class or an ancestor are taken; sorted, duplicates ignored.
class TClipboardFormats : public TStringList {
    DECLARE_CLASS(TClipboardFormats, TStringList)
public:
    explicit TClipboardFormats(TBaseLeanTree* AOwner);
    int Add(const String& S) override;
    void Insert(int Index, const String& S) override;

private:
    TBaseLeanTree* FOwner;
    bool Accepts(const String& S) const;
};
