#include "tree/LeanTreeColors.h"

#include "platform/base/Strings.h"
#include "tree/BaseLeanTree.h"

#include <algorithm>

// ---- Scroll-bar options ---------------------------------------------------------------------------

void TScrollBarOptions::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TScrollBarOptions*>(Source);
    if (!Other) return TPersistent::Assign(Source);
    SetAlwaysVisible(Other->FAlwaysVisible);
    FIncrementX = Other->FIncrementX;
    SetScrollBars(Other->FScrollBars);
    SetScrollBarStyle(Other->FScrollBarStyle);
    FIncrementY = Other->FIncrementY;
}

void TScrollBarOptions::RecreateTreeWindow() {
    // The window's style carries the scroll bars.
    if (FOwner && !FOwner->ComponentState().Contains(csLoading) && FOwner->HandleAllocated())
        FOwner->UpdateScrollBars(true);
}

void TScrollBarOptions::SetAlwaysVisible(bool Value) {
    if (FAlwaysVisible == Value) return;
    FAlwaysVisible = Value;
    RecreateTreeWindow();
}

void TScrollBarOptions::SetScrollBars(TScrollStyle Value) {
    if (FScrollBars == Value) return;
    FScrollBars = Value;
    RecreateTreeWindow();
}

// ---- Colours --------------------------------------------------------------------------------------

TLTColors::TLTColors(TBaseLeanTree* AOwner)
    : FOwner(AOwner), FColors{clBtnShadow, clHighlight, clHighlight,  clHighlight,    clBtnFace, clBtnShadow,
                              clBtnFace,   clBtnFace,   clWindowText, clHighlight,    clBtnFace, clHighlight,
                              clHighlight, clHighlight, clBtnShadow,  clHighlightText} {}

void TLTColors::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TLTColors*>(Source);
    if (!Other) return TPersistent::Assign(Source);
    std::copy(std::begin(Other->FColors), std::end(Other->FColors), std::begin(FColors));
    if (FOwner && FOwner->UpdateCount() == 0) FOwner->Invalidate();
}

void TLTColors::SetColor(TLTColorIndex Index, TColor Value) {
    if (FColors[Index] == Value) return;
    FColors[Index] = Value;
    if (!FOwner || FOwner->ComponentState().Contains(csLoading) || !FOwner->HandleAllocated()) return;
    if (Index == ciTreeLineColor) FOwner->BuildButtonAndLineImages(true, true);
    FOwner->Invalidate();
}

TColor TLTColors::BackGroundColor() const {
    return FOwner ? FOwner->Color() : clWindow;
}

TColor TLTColors::HeaderFontColor() const {
    return FOwner ? FOwner->Header()->Font()->Color() : clWindowText;
}

TColor TLTColors::NodeFontColor() const {
    return FOwner ? FOwner->Font()->Color() : clWindowText;
}

// ---- The format registry --------------------------------------------------------------------------

namespace {

const char16_t* const StandardFormatTable[16] = {u"Plain text",
                                                 u"Windows bitmap",
                                                 u"Windows metafile",
                                                 u"Symbolic link",
                                                 u"Data interchange format",
                                                 u"Tiff image",
                                                 u"OEM text",
                                                 u"DIB image",
                                                 u"Palette data",
                                                 u"Pen data",
                                                 u"Riff audio data",
                                                 u"Wav audio data",
                                                 u"Unicode text",
                                                 u"Enhanced metafile image",
                                                 u"File name(s)",
                                                 u"Locale descriptor"};

bool AppliesTo(TClass EntryClass, TClass TreeClass) {
    for (TClass C = TreeClass; C; C = C->ClassParent())
        if (C == EntryClass) return true;
    return false;
}

} // namespace

String StandardFormatDescription(TClipboardFormat Format) {
    return Format >= 1 && Format <= 16 ? String(StandardFormatTable[Format - 1]) : String();
}

void TClipboardFormatList::Add(const String& FormatString, TClass AClass, TClipboardFormat Format,
                               Cardinal Priority) {
    FList.push_back({FormatString, AClass, Priority, Format});
    std::stable_sort(FList.begin(), FList.end(),
                     [](const auto& A, const auto& B) { return A.Priority < B.Priority; });
}

std::vector<TClipboardFormat> TClipboardFormatList::EnumerateFormats(TClass TreeClass,
                                                                     const TStrings* AllowedFormats) const {
    std::vector<TClipboardFormat> Result;
    for (const auto& E : FList)
        if (AppliesTo(E.TreeClass, TreeClass) &&
            (!AllowedFormats || AllowedFormats->IndexOf(E.Description) >= 0))
            Result.push_back(E.Format);
    return Result;
}

void TClipboardFormatList::EnumerateFormatNames(TClass TreeClass, TStrings* Formats) const {
    for (const auto& E : FList)
        if (AppliesTo(E.TreeClass, TreeClass)) Formats->Add(E.Description);
}

const TClipboardFormatListEntry* TClipboardFormatList::FindFormat(const String& FormatString) const {
    for (auto It = FList.rbegin(); It != FList.rend(); ++It)
        if (AnsiSameText(It->Description, FormatString)) return &*It;
    return nullptr;
}

const TClipboardFormatListEntry* TClipboardFormatList::FindFormat(TClipboardFormat Format) const {
    for (auto It = FList.rbegin(); It != FList.rend(); ++It)
        if (It->Format == Format) return &*It;
    return nullptr;
}

TClipboardFormatList& GlobalFormatList() {
    static TClipboardFormatList List;
    // The tree code's own formats are there from the first look-up on, whichever tree asks.
    SetUpTreeModule();
    return List;
}

TClipboardFormat RegisterTreeFormat(const String& Description, TClass TreeClass, Cardinal Priority) {
    const TClipboardFormat Format = RegisterClipboardFormat(Description);
    GlobalFormatList().Add(Description, TreeClass, Format, Priority);
    return Format;
}

void RegisterStandardTreeFormat(TClipboardFormat Format, TClass TreeClass, Cardinal Priority) {
    if (Format < 17) {
        const String Description = StandardFormatDescription(Format);
        if (!Description.empty()) GlobalFormatList().Add(Description, TreeClass, Format, Priority);
        return;
    }
    GlobalFormatList().Add(GetClipboardFormatName(Format), TreeClass, Format, Priority);
}

// ---- The tree's format names ----------------------------------------------------------------------

TClipboardFormats::TClipboardFormats(TBaseLeanTree* AOwner) : FOwner(AOwner) {
    SetSorted(true);
    SetDuplicates(dupIgnore);
}

bool TClipboardFormats::Accepts(const String& S) const {
    const TClipboardFormatListEntry* E = GlobalFormatList().FindFormat(S);
    return E && FOwner && AppliesTo(E->TreeClass, FOwner->ClassType());
}

int TClipboardFormats::Add(const String& S) {
    return Accepts(S) ? TStringList::Add(S) : -1;
}

void TClipboardFormats::Insert(int Index, const String& S) {
    if (Accepts(S)) TStringList::Insert(Index, S);
}
