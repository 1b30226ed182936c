#include "tree/LeanTreeHeader.h"

#include "platform/base/Format.h"
#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"
#include "platform/gui/ImgList.h"
#include "tree/BaseLeanTree.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr TLTColumnOptions DefaultColumnOptions{coAllowClick,     coDraggable,   coEnabled,
                                                coParentBidiMode, coParentColor, coResizable,
                                                coShowDropMark,   coVisible,     coAllowFocus};

// ---- Reading and writing the little-endian records ------------------------------------------------

void WriteInt(TStream* Stream, std::int32_t Value) {
    Stream->WriteBuffer(&Value, sizeof Value);
}

void WriteText(TStream* Stream, const String& Text) {
    WriteInt(Stream, static_cast<std::int32_t>(Text.size()));
    if (!Text.empty()) Stream->WriteBuffer(Text.data(), static_cast<Int64>(Text.size() * sizeof(Char)));
}

Int64 BytesLeft(TStream* Stream) {
    return Stream->Size() - Stream->Position();
}

[[noreturn]] void StreamDamaged() {
    throw EReadError(u"Stream read error");
}

std::int32_t ReadInt(TStream* Stream) {
    std::int32_t Value = 0;
    Stream->ReadBuffer(&Value, sizeof Value);
    return Value;
}

// An ordinal of an enumeration with Count values.
int ReadOrdinal(TStream* Stream, int Count) {
    const std::int32_t Value = ReadInt(Stream);
    if (Value < 0 || Value >= Count) StreamDamaged();
    return Value;
}

// A length-prefixed text; a length the stream cannot hold is damage, not an allocation.
String ReadText(TStream* Stream) {
    const std::int32_t Length = ReadInt(Stream);
    if (Length < 0 || static_cast<Int64>(Length) * 2 > BytesLeft(Stream)) StreamDamaged();
    String Text(static_cast<std::size_t>(Length), u'\0');
    if (Length > 0) Stream->ReadBuffer(Text.data(), static_cast<Int64>(Length) * 2);
    return Text;
}

// The smallest column record: two empty text lengths and ten values.
constexpr Int64 MinColumnRecord = 12 * 4;

// Widths a stream may give: each far wider than any screen, and all columns' together still far
// from the end of an int, where the header sums them into lefts and limits.
constexpr std::int32_t MaxStreamWidth = 1000000;
constexpr Int64 MaxStreamWidthSum = INT_MAX / 4;

std::int32_t ReadWidth(TStream* Stream) {
    const std::int32_t Value = ReadInt(Stream);
    if (Value < 0 || Value > MaxStreamWidth) StreamDamaged();
    return Value;
}

// A column record as read, applied only when the whole header record was sound.
struct TColumnRecord {
    String Text, Hint;
    int Width = 50, MinWidth = 10, MaxWidth = 10000;
    TLeanTreeColumnStyle Style = vsText;
    int ImageIndex = -1;
    TLTHeaderColumnLayout Layout = LeanTreeHeader::blGlyphLeft;
    int Margin = 4, Spacing = 3;
    TBiDiMode BiDiMode = bdLeftToRight;
    TLTColumnOptions Options;
    bool HasTag = false, HasAlignment = false, HasColor = false, HasCaptionAlignment = false;
    int Tag = 0;
    TAlignment Alignment = taLeftJustify;
    TColor Color = clWindow;
    TAlignment CaptionAlignment = taLeftJustify;
};

TLTColumnOptions ConvertOptions(std::uint32_t Bits, int Version) {
    if (Version >= 3) return TLTColumnOptions::FromInt(Bits);
    if (Version == 2) return TLTColumnOptions::FromInt(Bits & 0xFF);
    // Older streams knew no coParentColor: bits 4..6 move up by one.
    const std::uint32_t Converted = (Bits & 0xF) | ((Bits & 0x70) << 1);
    return TLTColumnOptions::FromInt(Converted & 0xFF);
}

TColumnRecord ReadColumnRecord(TStream* Stream, int Version) {
    TColumnRecord R;
    R.Text = ReadText(Stream);
    R.Hint = ReadText(Stream);
    R.Width = ReadWidth(Stream);
    R.MinWidth = ReadWidth(Stream);
    R.MaxWidth = ReadWidth(Stream);
    R.Style = static_cast<TLeanTreeColumnStyle>(ReadOrdinal(Stream, 2));
    R.ImageIndex = ReadInt(Stream);
    R.Layout = static_cast<TLTHeaderColumnLayout>(ReadOrdinal(Stream, 4));
    R.Margin = ReadInt(Stream);
    R.Spacing = ReadInt(Stream);
    R.BiDiMode = static_cast<TBiDiMode>(ReadOrdinal(Stream, 4));
    R.Options = ConvertOptions(static_cast<std::uint32_t>(ReadInt(Stream)), Version);
    if (Version > 0) {
        R.HasTag = R.HasAlignment = true;
        R.Tag = ReadInt(Stream);
        R.Alignment = static_cast<TAlignment>(ReadOrdinal(Stream, 3));
    }
    if (Version > 1) {
        R.HasColor = true;
        R.Color = ReadInt(Stream);
    }
    if (Version > 5 && R.Options.Contains(coUseCaptionAlignment)) {
        R.HasCaptionAlignment = true;
        R.CaptionAlignment = static_cast<TAlignment>(ReadOrdinal(Stream, 3));
    }
    return R;
}

void ApplyColumnRecord(TLeanTreeColumn* Column, const TColumnRecord& R) {
    Column->SetText(R.Text);
    Column->SetHint(R.Hint);
    // The limits first, so that the width is clamped to the stored ones.
    Column->SetMaxWidth(std::max(R.MaxWidth, 0));
    Column->SetMinWidth(R.MinWidth);
    Column->SetMaxWidth(R.MaxWidth);
    Column->SetWidth(R.Width);
    Column->SetStyle(R.Style);
    Column->SetImageIndex(R.ImageIndex);
    Column->SetLayout(R.Layout);
    Column->SetMargin(R.Margin);
    Column->SetSpacing(R.Spacing);
    Column->SetBiDiMode(R.BiDiMode);
    Column->SetOptions(R.Options);
    if (R.HasTag) Column->SetTag(R.Tag);
    if (R.HasAlignment) Column->SetAlignment(R.Alignment);
    if (R.HasColor) Column->SetColor(R.Color);
    if (R.HasCaptionAlignment) Column->SetCaptionAlignment(R.CaptionAlignment);
}

// The collection record: columns, the position map (a permutation), the default width.
struct TColumnsRecord {
    std::vector<TColumnRecord> Columns;
    std::vector<TColumnIndex> Map;
    bool HasDefaultWidth = false;
    int DefaultWidth = 50;
};

TColumnsRecord ReadColumnsRecord(TStream* Stream, int Version) {
    TColumnsRecord R;
    const std::int32_t Count = ReadInt(Stream);
    // Each column needs its record and its map entry: a count the stream cannot hold is damage.
    if (Count < 0 || static_cast<Int64>(Count) * (MinColumnRecord + 4) > BytesLeft(Stream)) StreamDamaged();
    R.Columns.reserve(static_cast<std::size_t>(Count));
    Int64 WidthSum = 0;
    for (int I = 0; I < Count; ++I) {
        R.Columns.push_back(ReadColumnRecord(Stream, Version));
        const TColumnRecord& C = R.Columns.back();
        WidthSum += std::max({C.Width, C.MinWidth, C.MaxWidth});
        if (WidthSum > MaxStreamWidthSum) StreamDamaged();
    }
    if (Count > 0) {
        if (static_cast<Int64>(Count) * 4 > BytesLeft(Stream)) StreamDamaged();
        std::vector<bool> Seen(static_cast<std::size_t>(Count), false);
        for (int I = 0; I < Count; ++I) {
            const std::int32_t Index = ReadInt(Stream);
            if (Index < 0 || Index >= Count || Seen[static_cast<std::size_t>(Index)]) StreamDamaged();
            Seen[static_cast<std::size_t>(Index)] = true;
            R.Map.push_back(Index);
        }
    }
    if (Version > 4) {
        R.HasDefaultWidth = true;
        R.DefaultWidth = ReadWidth(Stream);
    }
    return R;
}

} // namespace

// ==== TLeanTreeColumn ============================================================================

TLeanTreeColumn::TLeanTreeColumn(TCollection* Collection) : TCollectionItem(Collection) {
    FOptions = DefaultColumnOptions;
    if (TLeanTreeColumns* Columns = Owner()) {
        FWidth = FLastWidth = Columns->FDefaultWidth;
        FPosition = static_cast<TColumnPosition>(Columns->Count() - 1);
        if (TBaseLeanTree* T = Tree()) FColor = T->Color();
        // The column joined before its fields were set: the layout runs again now.
        Columns->FitPositionMap();
        Columns->Update(nullptr);
    }
}

TLeanTreeColumn::~TLeanTreeColumn() {
    TLeanTreeColumns* Columns = Owner();
    if (!Columns || Columns->FClearing) return;
    const TColumnIndex Index = this->Index();
    if (TBaseLeanTree* T = Tree()) T->CancelCellEdit();
    Columns->RemapPositionIndexes(Index, ColumnNone);
    auto Adjust = [Index](TColumnIndex& Value) {
        if (Value == Index)
            Value = ColumnNone;
        else if (Value > Index)
            --Value;
    };
    Adjust(Columns->FHoverIndex);
    Adjust(Columns->FDownIndex);
    Adjust(Columns->FTrackIndex);
    Adjust(Columns->FClickIndex);
    TLTHeader* H = Columns->FHeader;
    Adjust(H->FAutoSizeIndex);
    Adjust(H->FSortColumn);
    const bool WasMain = H->FMainColumn == Index;
    Adjust(H->FMainColumn);
    // The first remaining column takes over as main column.
    if (WasMain) H->FMainColumn = Columns->Count() > 1 ? 0 : ColumnNone;
}

TLeanTreeColumns* TLeanTreeColumn::Owner() const {
    return static_cast<TLeanTreeColumns*>(Collection());
}

TBaseLeanTree* TLeanTreeColumn::Tree() const {
    TLeanTreeColumns* Columns = Owner();
    return Columns && Columns->FHeader ? Columns->FHeader->Treeview() : nullptr;
}

void TLeanTreeColumn::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TLeanTreeColumn*>(Source);
    if (!Other) return TCollectionItem::Assign(Source);
    const TLTColumnOptions Options = Other->FOptions;
    FOptions = {};
    SetBiDiMode(Other->FBiDiMode);
    SetImageIndex(Other->FImageIndex);
    SetLayout(Other->FLayout);
    SetMargin(Other->FMargin);
    SetMaxWidth(std::max(Other->FMaxWidth, FMinWidth));
    SetMinWidth(Other->FMinWidth);
    SetMaxWidth(Other->FMaxWidth);
    SetPosition(Other->FPosition);
    SetSpacing(Other->FSpacing);
    SetStyle(Other->FStyle);
    SetText(Other->FText);
    SetHint(Other->FHint);
    SetWidth(Other->FWidth);
    SetAlignment(Other->FAlignment);
    FCaptionAlignment = Other->FCaptionAlignment;
    SetColor(Other->FColor);
    SetTag(Other->FTag);
    SetOptions(Options);
}

bool TLeanTreeColumn::Equals(const TLeanTreeColumn& O) const {
    return FBiDiMode == O.FBiDiMode && FImageIndex == O.FImageIndex && FLayout == O.FLayout &&
           FMargin == O.FMargin && FMaxWidth == O.FMaxWidth && FMinWidth == O.FMinWidth &&
           FPosition == O.FPosition && FSpacing == O.FSpacing && FStyle == O.FStyle && FText == O.FText &&
           FHint == O.FHint && FWidth == O.FWidth && FAlignment == O.FAlignment &&
           FCaptionAlignment == O.FCaptionAlignment && FColor == O.FColor && FTag == O.FTag &&
           FOptions == O.FOptions;
}

String TLeanTreeColumn::GetDisplayName() const {
    for (Char C : FText)
        if (C > 0xFF) return Format(u"Column %d", {Index()});
    return FText;
}

void TLeanTreeColumn::ReportChange(bool AllColumns) {
    Changed(AllColumns);
}

int TLeanTreeColumn::Left() const {
    TBaseLeanTree* T = Tree();
    if (FOptions.Contains(coFixed) || !T) return FLeft;
    return FLeft - T->EffectiveOffsetX();
}

TRect TLeanTreeColumn::GetRect() const {
    const TLTHeader* H = Owner() ? Owner()->FHeader : nullptr;
    return {Left(), 0, Left() + FWidth, H ? H->Height() : 0};
}

void TLeanTreeColumn::SetText(const String& Value) {
    if (FText == Value) return;
    FText = Value;
    FCaptionText.clear();
    ReportChange(false);
}

void TLeanTreeColumn::SetWidth(int Value) {
    TLeanTreeColumns* Columns = Owner();
    TLTHeader* H = Columns ? Columns->FHeader : nullptr;
    TBaseLeanTree* T = Tree();
    if (!H || !H->FStates.Contains(hsScaling)) {
        if (IsFixed() && Columns && H) {
            int MaxSum = 0, MinSum = 0, FixedWidth = 0;
            for (int I = 0; I < Columns->Count(); ++I) {
                TLeanTreeColumn* C = Columns->Items(I);
                if (!C->IsFixed()) continue;
                MaxSum += C->FMaxWidth;
                MinSum += C->FMinWidth;
                FixedWidth += C->FWidth;
            }
            const int Client = T ? T->ClientWidth() : 0;
            const TLTFixedAreaConstraints* FC = H->FixedAreaConstraints();
            if (FC->MaxWidthPercent() > 0) MinSum = std::min(MinSum, Client * FC->MaxWidthPercent() / 100);
            if (FC->MinWidthPercent() > 0) MaxSum = std::max(MaxSum, Client * FC->MinWidthPercent() / 100);
            const int Upper = std::min(MaxSum - FixedWidth + FWidth, FMaxWidth);
            const int Lower = std::max(MinSum - FixedWidth + FWidth, FMinWidth);
            Value = std::min(Upper, std::max(Lower, Value));
            if (FC->MinWidthPercent() > 0)
                Value = std::max(Value, Client * FC->MinWidthPercent() / 100 - FixedWidth + FWidth);
            if (FC->MaxWidthPercent() > 0)
                Value = std::min(Value, Client * FC->MaxWidthPercent() / 100 - FixedWidth + FWidth);
        } else {
            Value = std::clamp(Value, FMinWidth, std::max(FMinWidth, FMaxWidth));
        }
    }
    if (Value == FWidth) return;
    FLastWidth = FWidth;
    if (!H || !H->FStates.Contains(hsResizing)) FBonusPixel = false;
    const bool AutoSized = H && H->FOptions.Contains(hoAutoResize) && Index() == H->FAutoSizeIndex;
    FWidth = Value;
    if (!Columns) return;
    if (!AutoSized) Columns->LayOutColumns(false);
    if (T && !T->ComponentState().Contains(csLoading) && Columns->UpdateCount() == 0) {
        if (H->FOptions.Contains(hoAutoResize)) Columns->FitAutoSizeColumn(Index(), false);
        T->DoColumnResize(Index());
    }
}

void TLeanTreeColumn::SetMinWidth(int Value) {
    FMinWidth = std::clamp(Value, 0, FMaxWidth);
    SetWidth(FWidth);
}

void TLeanTreeColumn::SetMaxWidth(int Value) {
    FMaxWidth = std::max(Value, FMinWidth);
    SetWidth(FWidth);
}

void TLeanTreeColumn::SetPosition(TColumnPosition Value) {
    TLeanTreeColumns* Columns = Owner();
    TBaseLeanTree* T = Tree();
    if (!Columns || (T && T->ComponentState().Contains(csLoading))) {
        FPosition = Value;
        return;
    }
    const auto Last = static_cast<TColumnPosition>(std::max(Columns->Count() - 1, 0));
    Value = std::min(Value, Last);
    if (Value != FPosition) {
        Columns->FitPositionMap();
        if (T) T->CancelCellEdit();
        Columns->MovePositionEntry(Index(), Value);
        ReportChange(true);
    }
    // A column takes the fixed state of its neighbour, so that fixed columns stay together.
    const auto& Map = Columns->FPositionToIndex;
    TColumnIndex Neighbour = ColumnNone;
    if (IsFixed() && FPosition > 0)
        Neighbour = Map[FPosition - 1];
    else if (FPosition + 1 < Map.size())
        Neighbour = Map[FPosition + 1];
    if (Neighbour >= 0 && Neighbour != Index()) {
        if (Columns->Items(Neighbour)->IsFixed())
            FOptions.Include(coFixed);
        else
            FOptions.Exclude(coFixed);
    } else if (Neighbour == ColumnNone && Columns->Count() > 1) {
        FOptions.Exclude(coFixed);
    }
}

void TLeanTreeColumn::SetStyle(TLeanTreeColumnStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    ReportChange(false);
}

void TLeanTreeColumn::SetImageIndex(int Value) {
    if (FImageIndex == Value) return;
    FImageIndex = Value;
    ReportChange(false);
}

void TLeanTreeColumn::SetBiDiMode(TBiDiMode Value) {
    if (FBiDiMode == Value) return;
    FBiDiMode = Value;
    FOptions.Exclude(coParentBidiMode);
    ReportChange(false);
    if (TBaseLeanTree* T = Tree()) T->Invalidate();
}

void TLeanTreeColumn::SetLayout(TLTHeaderColumnLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    ReportChange(false);
}

void TLeanTreeColumn::SetMargin(int Value) {
    if (Value < 0) Value = 4;
    if (FMargin == Value) return;
    FMargin = Value;
    ReportChange(false);
}

void TLeanTreeColumn::SetSpacing(int Value) {
    if (FSpacing == Value) return;
    FSpacing = Value;
    ReportChange(false);
}

void TLeanTreeColumn::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    ReportChange(false);
    if (TBaseLeanTree* T = Tree()) T->Invalidate();
}

void TLeanTreeColumn::SetCaptionAlignment(TAlignment Value) {
    FCaptionAlignment = Value;
    FOptions.Include(coUseCaptionAlignment);
    if (Owner() && Owner()->FHeader) Owner()->FHeader->Invalidate(this);
}

TAlignment TLeanTreeColumn::EffectiveCaptionAlignment() const {
    return FOptions.Contains(coUseCaptionAlignment) ? FCaptionAlignment : FAlignment;
}

void TLeanTreeColumn::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    FOptions.Exclude(coParentColor);
    ReportChange(false);
    if (TBaseLeanTree* T = Tree()) T->Invalidate();
}

void TLeanTreeColumn::SetCheckBox(bool Value) {
    if (FCheckBox == Value) return;
    FCheckBox = Value;
    ReportChange(false);
}

void TLeanTreeColumn::SetCheckType(TCheckType Value) {
    if (FCheckType == Value) return;
    FCheckType = Value;
    ReportChange(false);
}

void TLeanTreeColumn::SetCheckState(TCheckState Value) {
    if (FCheckState == Value) return;
    FCheckState = Value;
    ReportChange(false);
}

void TLeanTreeColumn::SetOptions(TLTColumnOptions Value) {
    const TLTColumnOptions Old = FOptions;
    if (Old == Value) return;
    FOptions = Value;
    const TLTColumnOptions Set = Value - Old, Cleared = Old - Value;
    TBaseLeanTree* T = Tree();
    if (Set.Contains(coParentColor) && T) FColor = T->Color();
    if (Set.Contains(coParentBidiMode)) FBiDiMode = T ? T->BiDiMode() : bdLeftToRight;
    if (Set.Contains(coAutoSpring)) FSpringRest = 0;
    const bool FixedChanged = Set.Contains(coFixed) || Cleared.Contains(coFixed);
    const bool VisibleChanged = Set.Contains(coVisible) || Cleared.Contains(coVisible);
    ReportChange(true);
    if (FixedChanged && FOptions.Contains(coVisible) && Owner() && Owner()->FHeader)
        Owner()->FHeader->ApplyFixedAreaConstraints();
    if (T && !T->ComponentState().Contains(csLoading) && T->UpdateCount() == 0 && T->HandleAllocated()) {
        if (VisibleChanged || Set.Contains(coParentColor)) T->Invalidate();
        if (VisibleChanged) T->UpdateHorizontalScrollBar(false);
    }
}

void TLeanTreeColumn::RestoreLastWidth() {
    if (Owner()) Owner()->AnimatedResize(Index(), FLastWidth);
}

void TLeanTreeColumn::ParentColorChanged() {
    TBaseLeanTree* T = Tree();
    if (!T || !FOptions.Contains(coParentColor) || FColor == T->Color()) return;
    FColor = T->Color();
    ReportChange(false);
}

void TLeanTreeColumn::ParentBiDiModeChanged() {
    TBaseLeanTree* T = Tree();
    const TBiDiMode Mode = T ? T->BiDiMode() : bdLeftToRight;
    if (!FOptions.Contains(coParentBidiMode) || FBiDiMode == Mode) return;
    FBiDiMode = Mode;
    ReportChange(false);
}

void TLeanTreeColumn::SaveToStream(TStream* Stream) const {
    WriteText(Stream, FText);
    WriteText(Stream, FHint);
    WriteInt(Stream, FWidth);
    WriteInt(Stream, FMinWidth);
    WriteInt(Stream, FMaxWidth);
    WriteInt(Stream, FStyle);
    WriteInt(Stream, FImageIndex);
    WriteInt(Stream, FLayout);
    WriteInt(Stream, FMargin);
    WriteInt(Stream, FSpacing);
    WriteInt(Stream, FBiDiMode);
    WriteInt(Stream, static_cast<std::int32_t>(FOptions.ToInt()));
    WriteInt(Stream, FTag);
    WriteInt(Stream, FAlignment);
    WriteInt(Stream, FColor);
    if (FOptions.Contains(coUseCaptionAlignment)) WriteInt(Stream, FCaptionAlignment);
}

void TLeanTreeColumn::LoadFromStream(TStream* Stream, int Version) {
    const Int64 Start = Stream->Position();
    try {
        ApplyColumnRecord(this, ReadColumnRecord(Stream, Version));
    } catch (EReadError&) {
        Stream->SetPosition(Start);
        throw;
    }
}

// ==== TLeanTreeColumns ===========================================================================

TLeanTreeColumns::TLeanTreeColumns(TLTHeader* AOwner)
    : TCollection(TCollectionItemClass::Of<TLeanTreeColumn>()), FHeader(AOwner) {}

TLeanTreeColumns::~TLeanTreeColumns() {
    // The columns go while this collection is whole.
    FClearing = true;
    BeginUpdate();
    while (Count() > 0)
        delete TCollection::Items(Count() - 1);
}

TPersistent* TLeanTreeColumns::GetOwner() const {
    return FHeader;
}

void TLeanTreeColumns::Clear() {
    TFlagScope ClearingScope(FClearing);
    FHoverIndex = FDownIndex = FTrackIndex = FClickIndex = ColumnNone;
    FCheckBoxHit = false;
    if (FHeader && !FHeader->FStates.Contains(hsLoading)) {
        FHeader->FAutoSizeIndex = ColumnNone;
        FHeader->FMainColumn = ColumnNone;
        FHeader->FSortColumn = ColumnNone;
    }
    TBaseLeanTree* T = FHeader ? FHeader->Treeview() : nullptr;
    if (T && !T->ComponentState().Contains(csLoading)) T->FFocusedColumn = ColumnNone;
    FPositionToIndex.clear();
    TCollection::Clear();
}

void TLeanTreeColumns::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TLeanTreeColumns*>(Source);
    if (!Other) return TCollection::Assign(Source);
    if (Other == this) return;
    BeginUpdate();
    {
        TScopeExit End([this] { EndUpdate(); });
        Clear();
        for (int I = 0; I < Other->Count(); ++I)
            Add()->Assign(Other->Items(I));
        FPositionToIndex = Other->FPositionToIndex;
        FNeedPositionsFix = false;
    }
    LayOutColumns(true);
}

bool TLeanTreeColumns::Equals(const TLeanTreeColumns& Other) const {
    if (Count() != Other.Count()) return false;
    for (int I = 0; I < Count(); ++I)
        if (!Items(I)->Equals(*Other.Items(I))) return false;
    return true;
}

void TLeanTreeColumns::SetDownIndex(TColumnIndex Value) {
    if (Value == FDownIndex) return;
    FDownIndex = Value;
    if (FHeader) FHeader->Invalidate();
}

void TLeanTreeColumns::SetHoverIndex(TColumnIndex Value) {
    if (Value == FHoverIndex) return;
    FHoverIndex = Value;
    if (FHeader) FHeader->Invalidate();
}

void TLeanTreeColumns::Update(TCollectionItem* Item) {
    // A column reports its arrival again once its fields are set.
    if (Count() > 0 && !dynamic_cast<TLeanTreeColumn*>(TCollection::Items(Count() - 1))) return;
    FitPositionMap();
    TBaseLeanTree* T = FHeader ? FHeader->Treeview() : nullptr;
    const bool TreeLoading = T && T->ComponentState().Contains(csLoading);
    if (TreeLoading)
        FNeedPositionsFix = true;
    else
        LayOutColumns(false);
    if (FHeader && Count() > 0 && FHeader->FMainColumn < 0) FHeader->FMainColumn = 0;
    if (!FHeader || TreeLoading || FHeader->FStates.Contains(hsLoading)) return;
    if (FHeader->FOptions.Contains(hoAutoResize)) FitAutoSizeColumn(ColumnNone, false);
    if (Item) {
        FHeader->Invalidate(static_cast<TLeanTreeColumn*>(Item));
    } else if (T && T->HandleAllocated()) {
        T->UpdateHorizontalScrollBar(false);
        FHeader->Invalidate();
        T->Invalidate();
    }
}

void TLeanTreeColumns::Notify(TCollectionItem* Item, TCollectionNotification Action) {
    if (Action == cnAdded) return;
    TBaseLeanTree* T = FHeader ? FHeader->Treeview() : nullptr;
    if (T && !T->ComponentState().Contains(csLoading) && Item->Index() == T->FFocusedColumn)
        T->FFocusedColumn = ColumnNone;
}

void TLeanTreeColumns::FitPositionMap() {
    const auto N = static_cast<std::size_t>(Count());
    if (FPositionToIndex.size() < N) {
        for (std::size_t P = FPositionToIndex.size(); P < N; ++P)
            FPositionToIndex.push_back(static_cast<TColumnIndex>(P));
    } else if (FPositionToIndex.size() > N) {
        FPositionToIndex.resize(N);
        bool Again = true;
        while (Again) {
            Again = false;
            for (TColumnIndex& Entry : FPositionToIndex)
                if (Entry >= static_cast<TColumnIndex>(N)) {
                    --Entry;
                    Again = true;
                }
        }
    }
}

void TLeanTreeColumns::LayOutColumns(bool Force) {
    if (FNeedPositionsFix || (UpdateCount() > 0 && !Force)) return;
    int RunningLeft = 0;
    for (std::size_t P = 0; P < FPositionToIndex.size(); ++P) {
        const TColumnIndex Index = FPositionToIndex[P];
        if (Index < 0 || Index >= Count()) continue;
        auto* Column = dynamic_cast<TLeanTreeColumn*>(TCollection::Items(Index));
        if (!Column) continue;
        Column->FPosition = static_cast<TColumnPosition>(P);
        Column->FLeft = RunningLeft;
        if (Column->FOptions.Contains(coVisible)) RunningLeft += Column->FWidth;
    }
}

void TLeanTreeColumns::RebuildPositionsFromColumns() {
    FPositionToIndex.assign(static_cast<std::size_t>(Count()), ColumnNone);
    std::vector<bool> Taken(FPositionToIndex.size(), false);
    std::vector<TColumnIndex> Unplaced;
    for (int I = 0; I < Count(); ++I) {
        const TColumnPosition P = Items(I)->FPosition;
        if (P < Taken.size() && !Taken[P]) {
            FPositionToIndex[P] = I;
            Taken[P] = true;
        } else {
            Unplaced.push_back(I);
        }
    }
    // Columns whose stored positions collide take the free places in index order.
    std::size_t Next = 0;
    for (TColumnIndex I : Unplaced) {
        while (Taken[Next])
            ++Next;
        FPositionToIndex[Next] = I;
        Taken[Next] = true;
    }
    FNeedPositionsFix = false;
    LayOutColumns(true);
}

void TLeanTreeColumns::MovePositionEntry(TColumnIndex Column, TColumnPosition Position) {
    const auto It = std::find(FPositionToIndex.begin(), FPositionToIndex.end(), Column);
    if (It == FPositionToIndex.end() || Position >= FPositionToIndex.size()) return;
    FPositionToIndex.erase(It);
    FPositionToIndex.insert(FPositionToIndex.begin() + Position, Column);
    LayOutColumns(true);
}

void TLeanTreeColumns::RemapPositionIndexes(TColumnIndex OldIndex, TColumnIndex NewIndex) {
    if (NewIndex == ColumnNone) {
        const auto It = std::find(FPositionToIndex.begin(), FPositionToIndex.end(), OldIndex);
        if (It != FPositionToIndex.end()) FPositionToIndex.erase(It);
        for (TColumnIndex& Entry : FPositionToIndex)
            if (Entry > OldIndex) --Entry;
        return;
    }
    for (TColumnIndex& Entry : FPositionToIndex) {
        if (Entry == OldIndex)
            Entry = NewIndex;
        else if (OldIndex < NewIndex && Entry > OldIndex && Entry <= NewIndex)
            --Entry;
        else if (OldIndex > NewIndex && Entry >= NewIndex && Entry < OldIndex)
            ++Entry;
    }
}

void TLeanTreeColumns::ResetPositionOrder(bool RTL) {
    const int N = Count();
    FPositionToIndex.resize(static_cast<std::size_t>(N));
    for (int P = 0; P < N; ++P)
        FPositionToIndex[static_cast<std::size_t>(P)] = RTL ? N - 1 - P : P;
    LayOutColumns(true);
}

TColumnIndex TLeanTreeColumns::ColumnFromPosition(TPoint P, bool Relative) const {
    int Left, Right;
    return ColumnAndEdgesAt(P, Left, Right, Relative);
}

TColumnIndex TLeanTreeColumns::ColumnAndEdgesAt(TPoint P, int& Left, int& Right, bool Relative) const {
    Left = Right = 0;
    TBaseLeanTree* T = FHeader ? FHeader->Treeview() : nullptr;
    if (P.X < 0 || P.Y < 0 || (T && P.Y > T->Height())) return ColumnNotFound;
    int Sum = 0;
    if (Relative && T && P.X >= GetVisibleFixedWidth()) Sum = -T->EffectiveOffsetX();
    for (TColumnIndex Index : FPositionToIndex) {
        const TLeanTreeColumn* C = Items(Index);
        if (!C->FOptions.Contains(coVisible)) continue;
        if (P.X >= Sum && P.X < Sum + C->FWidth) {
            Left = Sum;
            Right = Sum + C->FWidth;
            return Index;
        }
        Sum += C->FWidth;
    }
    return ColumnNotFound;
}

TColumnIndex TLeanTreeColumns::ColumnFromPosition(TColumnPosition PositionIndex) const {
    return PositionIndex < FPositionToIndex.size() ? FPositionToIndex[PositionIndex] : ColumnNone;
}

void TLeanTreeColumns::GetColumnBounds(TColumnIndex Column, int& Left, int& Right) const {
    if (Column < 0) {
        TBaseLeanTree* T = FHeader ? FHeader->Treeview() : nullptr;
        Left = 0;
        Right = T ? T->ClientWidth() : 0;
        return;
    }
    const TLeanTreeColumn* C = Items(Column);
    Left = C->Left();
    Right = Left + C->FWidth;
}

TColumnIndex TLeanTreeColumns::GetFirstVisibleColumn(bool ConsiderAllowFocus) const {
    for (TColumnIndex Index : FPositionToIndex) {
        const TLTColumnOptions O = Items(Index)->FOptions;
        if (O.Contains(coVisible) && (!ConsiderAllowFocus || O.Contains(coAllowFocus))) return Index;
    }
    return ColumnNotFound;
}

TColumnIndex TLeanTreeColumns::GetLastVisibleColumn(bool ConsiderAllowFocus) const {
    for (auto It = FPositionToIndex.rbegin(); It != FPositionToIndex.rend(); ++It) {
        const TLTColumnOptions O = Items(*It)->FOptions;
        if (O.Contains(coVisible) && (!ConsiderAllowFocus || O.Contains(coAllowFocus))) return *It;
    }
    return ColumnNotFound;
}

TColumnIndex TLeanTreeColumns::GetNextVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus) const {
    if (!IsValidColumn(Column)) return ColumnNotFound;
    for (TColumnPosition P = Items(Column)->FPosition + 1; P < FPositionToIndex.size(); ++P) {
        const TLTColumnOptions O = Items(FPositionToIndex[P])->FOptions;
        if (O.Contains(coVisible) && (!ConsiderAllowFocus || O.Contains(coAllowFocus)))
            return FPositionToIndex[P];
    }
    return ColumnNotFound;
}

TColumnIndex TLeanTreeColumns::GetPreviousVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus) const {
    if (!IsValidColumn(Column)) return ColumnNotFound;
    for (TColumnPosition P = Items(Column)->FPosition; P-- > 0;) {
        const TLTColumnOptions O = Items(FPositionToIndex[P])->FOptions;
        if (O.Contains(coVisible) && (!ConsiderAllowFocus || O.Contains(coAllowFocus)))
            return FPositionToIndex[P];
    }
    return ColumnNotFound;
}

TColumnIndex TLeanTreeColumns::GetFirstColumn() const {
    return FPositionToIndex.empty() ? ColumnNotFound : FPositionToIndex[0];
}

TColumnIndex TLeanTreeColumns::GetNextColumn(TColumnIndex Column) const {
    if (!IsValidColumn(Column)) return ColumnNotFound;
    const TColumnPosition P = Items(Column)->FPosition + 1;
    return P < FPositionToIndex.size() ? FPositionToIndex[P] : ColumnNotFound;
}

TColumnIndex TLeanTreeColumns::GetPreviousColumn(TColumnIndex Column) const {
    if (!IsValidColumn(Column)) return ColumnNotFound;
    const TColumnPosition P = Items(Column)->FPosition;
    return P > 0 ? FPositionToIndex[P - 1] : ColumnNotFound;
}

std::vector<TLeanTreeColumn*> TLeanTreeColumns::GetVisibleColumns() const {
    std::vector<TLeanTreeColumn*> Result;
    for (TColumnIndex Index : FPositionToIndex)
        if (Items(Index)->FOptions.Contains(coVisible)) Result.push_back(Items(Index));
    return Result;
}

int TLeanTreeColumns::GetVisibleFixedWidth() const {
    int Sum = 0;
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->IsFixed()) Sum += Items(I)->FWidth;
    return Sum;
}

int TLeanTreeColumns::GetScrollWidth() const {
    int Sum = 0, N = 0;
    for (int I = 0; I < Count(); ++I) {
        const TLeanTreeColumn* C = Items(I);
        if (C->FOptions.Contains(coVisible) && !C->FOptions.Contains(coFixed)) {
            Sum += C->FWidth;
            ++N;
        }
    }
    if (N == 0) {
        TBaseLeanTree* T = FHeader ? FHeader->Treeview() : nullptr;
        return T ? static_cast<int>(T->Indent()) : 18;
    }
    return static_cast<int>(Round(static_cast<double>(Sum) / N));
}

int TLeanTreeColumns::TotalWidth() const {
    const TColumnIndex Last = GetLastVisibleColumn();
    if (Last < 0) return 0;
    return Items(Last)->FLeft + Items(Last)->FWidth;
}

void TLeanTreeColumns::FitAutoSizeColumn(TColumnIndex, bool Force) {
    if (Count() == 0 || !FHeader) return;
    TColumnIndex Index = FHeader->FAutoSizeIndex;
    if (!IsValidColumn(Index)) Index = Count() - 1;
    TLeanTreeColumn* C = Items(Index);
    TBaseLeanTree* T = FHeader->Treeview();
    int NewWidth = T ? (T->HandleAllocated() ? T->ClientWidth() : T->Width()) : 0;
    for (int I = 0; I < Count(); ++I)
        if (I != Index && Items(I)->FOptions.Contains(coVisible)) NewWidth -= Items(I)->FWidth;
    NewWidth = std::max(std::min(NewWidth, C->FMaxWidth), C->FMinWidth);
    if (NewWidth == C->FWidth && !Force) return;
    C->FLastWidth = C->FWidth;
    C->FWidth = NewWidth;
    LayOutColumns(false);
    if (T) T->DoColumnResize(Index);
}

void TLeanTreeColumns::AnimatedResize(TColumnIndex Column, int NewWidth) {
    if (!IsValidColumn(Column)) return;
    TLeanTreeColumn* C = Items(Column);
    NewWidth = std::clamp(NewWidth, C->FMinWidth, std::max(C->FMinWidth, C->FMaxWidth));
    if (NewWidth == C->FWidth) return;
    TBaseLeanTree* T = FHeader ? FHeader->Treeview() : nullptr;
    const bool Animated = T && T->HandleAllocated() &&
                          !FHeader->Options().Contains(hoDisableAnimatedResize) &&
                          !C->FOptions.Contains(coDisableAnimatedResize);
    if (Animated) {
        // The area right of the column slides step by step; the clock of the tree's timer
        // service paces the steps.
        TLTTimerService& Clock = T->Timers();
        const int Step = (NewWidth - C->FWidth) / 32;
        const int Right = C->FLeft + C->FWidth + T->OffsetX();
        TRect Area{Right, 0, T->ClientWidth(), T->ClientHeight()};
        const HWND Window = T->WindowHandle();
        for (int I = 0; I < 32; ++I) {
            // The strip uncovered is invalidated and painted in the tree's colour.
            if (Step != 0 && !Area.IsEmpty()) ScrollWindowEx(Window, Step, 0, &Area, &Area, SW_INVALIDATE);
            if (FHeader->Options().Contains(hoVisible)) T->InvalidateHeader();
            Clock.WaitUntil(Clock.Now() + 1);
        }
    }
    C->SetWidth(NewWidth);
}

void TLeanTreeColumns::SaveToStream(TStream* Stream) const {
    WriteInt(Stream, Count());
    for (int I = 0; I < Count(); ++I)
        Items(I)->SaveToStream(Stream);
    for (TColumnIndex Index : FPositionToIndex)
        if (Count() > 0) WriteInt(Stream, Index);
    WriteInt(Stream, FDefaultWidth);
}

void TLeanTreeColumns::LoadFromStream(TStream* Stream, int Version) {
    const Int64 Start = Stream->Position();
    TColumnsRecord R;
    try {
        R = ReadColumnsRecord(Stream, Version);
    } catch (EReadError&) {
        Stream->SetPosition(Start);
        throw;
    }
    BeginUpdate();
    {
        TScopeExit End([this] { EndUpdate(); });
        Clear();
        for (const TColumnRecord& C : R.Columns)
            ApplyColumnRecord(Add(), C);
        FPositionToIndex = R.Map;
        for (std::size_t P = 0; P < R.Map.size(); ++P)
            Items(R.Map[P])->FPosition = static_cast<TColumnPosition>(P);
        if (R.HasDefaultWidth) FDefaultWidth = R.DefaultWidth;
        FNeedPositionsFix = false;
    }
    LayOutColumns(true);
}

// ==== TLTFixedAreaConstraints ====================================================================

void TLTFixedAreaConstraints::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TLTFixedAreaConstraints*>(Source);
    if (!Other) return TPersistent::Assign(Source);
    FMaxHeightPercent = Other->FMaxHeightPercent;
    FMaxWidthPercent = Other->FMaxWidthPercent;
    FMinHeightPercent = Other->FMinHeightPercent;
    FMinWidthPercent = Other->FMinWidthPercent;
    Change();
}

void TLTFixedAreaConstraints::Change() {
    if (OnChange) OnChange(this);
}

void TLTFixedAreaConstraints::SetMaxHeightPercent(int Value) {
    Value = std::clamp(Value, 0, 100);
    if (Value == FMaxHeightPercent) return;
    if (Value > 0 && Value < FMinHeightPercent) FMinHeightPercent = static_cast<Byte>(Value);
    FMaxHeightPercent = static_cast<Byte>(Value);
    Change();
}

void TLTFixedAreaConstraints::SetMaxWidthPercent(int Value) {
    Value = std::clamp(Value, 0, 100);
    if (Value == FMaxWidthPercent) return;
    if (Value > 0 && Value < FMinWidthPercent) FMinWidthPercent = static_cast<Byte>(Value);
    FMaxWidthPercent = static_cast<Byte>(Value);
    Change();
}

void TLTFixedAreaConstraints::SetMinHeightPercent(int Value) {
    Value = std::clamp(Value, 0, 100);
    if (Value == FMinHeightPercent) return;
    if (FMaxHeightPercent > 0 && Value > FMaxHeightPercent) FMaxHeightPercent = static_cast<Byte>(Value);
    FMinHeightPercent = static_cast<Byte>(Value);
    Change();
}

void TLTFixedAreaConstraints::SetMinWidthPercent(int Value) {
    Value = std::clamp(Value, 0, 100);
    if (Value == FMinWidthPercent) return;
    if (FMaxWidthPercent > 0 && Value > FMaxWidthPercent) FMaxWidthPercent = static_cast<Byte>(Value);
    FMinWidthPercent = static_cast<Byte>(Value);
    Change();
}

// ==== TLTHeader ==================================================================================

TLTHeader::TLTHeader(TBaseLeanTree* AOwner)
    : FOwner(AOwner), FColumns(std::make_unique<TLeanTreeColumns>(this)), FFont(std::make_unique<TFont>()),
      FFixedAreaConstraints(std::make_unique<TLTFixedAreaConstraints>(this)),
      FImageChangeLink(std::make_unique<TChangeLink>()) {
    FFont->OnChange = [this](TObject*) { HeaderFontChanged(); };
    FFixedAreaConstraints->OnChange = [this](TObject*) {
        if (TreeHasWindow())
            ApplyFixedAreaConstraints();
        else
            FStates.Include(hsNeedScaling);
    };
    FImageChangeLink->OnChange = [this](TObject*) { Invalidate(); };
}

TLTHeader::~TLTHeader() {
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
    FColumns->FClearing = true;
}

TPersistent* TLTHeader::GetOwner() const {
    return FOwner;
}

bool TLTHeader::TreeLoading() const {
    return FOwner && FOwner->ComponentState().Contains(csLoading);
}

bool TLTHeader::TreeHasWindow() const {
    return FOwner && FOwner->HandleAllocated();
}

void TLTHeader::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TLTHeader*>(Source);
    if (!Other) return TPersistent::Assign(Source);
    SetAutoSizeIndex(Other->FAutoSizeIndex);
    SetBackground(Other->FBackground);
    SetColumns(Other->FColumns.get());
    SetFont(Other->FFont.get());
    FFixedAreaConstraints->Assign(Other->FFixedAreaConstraints.get());
    SetHeight(Other->FHeight);
    SetImages(Other->FImages);
    SetMainColumn(Other->FMainColumn);
    SetOptions(Other->FOptions);
    SetParentFont(Other->FParentFont);
    FPopupMenu = Other->FPopupMenu;
    SetSortColumn(Other->FSortColumn);
    SetSortDirection(Other->FSortDirection);
    SetStyle(Other->FStyle);
    ApplyFixedAreaConstraints();
}

bool TLTHeader::ColumnVisible(TColumnIndex Column) const {
    return IsValidColumn(Column) && FColumns->Items(Column)->Options().Contains(coVisible);
}

bool TLTHeader::AllowFocus(TColumnIndex Column) const {
    return IsValidColumn(Column) && FColumns->Items(Column)->Options().Contains(coAllowFocus);
}

bool TLTHeader::ColumnBounds(TColumnIndex Column, int& Left, int& Right) const {
    Left = Right = 0;
    if (!IsValidColumn(Column)) return false;
    FColumns->GetColumnBounds(Column, Left, Right);
    return true;
}

void TLTHeader::SetHeight(int Value) {
    if (!TreeHasWindow()) {
        if (Value != FHeight) {
            FHeight = Value;
            if (FOwner && FOptions.Contains(hoVisible)) FOwner->HeaderLayoutChanged();
        }
        FStates.Include(hsNeedScaling);
        return;
    }
    const int T = FOwner->ClientHeight() + (FOptions.Contains(hoVisible) ? FHeight : 0);
    const TLTFixedAreaConstraints* C = FFixedAreaConstraints.get();
    int Lower = FMinHeight, Upper = FMaxHeight;
    if (C->MaxHeightPercent() > 0) Lower = std::min(Lower, T * C->MaxHeightPercent() / 100);
    if (C->MinHeightPercent() > 0) Upper = std::max(Upper, T * C->MinHeightPercent() / 100);
    Value = std::min(Upper, std::max(Lower, Value));
    if (C->MinHeightPercent() > 0) Value = std::max(Value, T * C->MinHeightPercent() / 100);
    if (C->MaxHeightPercent() > 0) Value = std::min(Value, T * C->MaxHeightPercent() / 100);
    if (Value == FHeight) return;
    FHeight = Value;
    if (!TreeLoading() && !FStates.Contains(hsScaling)) RefreshNonClientArea();
    FOwner->Invalidate();
}

void TLTHeader::SetDefaultHeight(int Value) {
    Value = std::clamp(Value, FMinHeight, std::max(FMinHeight, FMaxHeight));
    if (FHeight == FDefaultHeight) SetHeight(Value);
    FDefaultHeight = Value;
}

void TLTHeader::SetMinHeight(int Value) {
    FMinHeight = std::clamp(Value, 0, FMaxHeight);
    SetHeight(FHeight);
}

void TLTHeader::SetMaxHeight(int Value) {
    FMaxHeight = std::max(Value, FMinHeight);
    SetHeight(FHeight);
}

void TLTHeader::SetFont(TFont* Value) {
    FFont->Assign(Value);
    FParentFont = false;
}

void TLTHeader::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    if (Value && FOwner) FFont->Assign(FOwner->Font());
}

void TLTHeader::HeaderFontChanged() {
    if (FOwner && FOwner->TreeOptions()->AutoOptions().Contains(toAutoChangeScale) && TreeHasWindow()) {
        TCanvas* C = FOwner->Canvas();
        C->Font()->Assign(FFont.get());
        int Spacing = 0;
        for (int I = 0; I < FColumns->Count(); ++I)
            Spacing = std::max(Spacing, FColumns->Items(I)->Spacing());
        const int Needed = C->TextHeight(u"Q") + Spacing + Spacing / 2;
        if (Needed > FHeight) SetHeight(Needed);
    }
    Invalidate();
}

void TLTHeader::SetOptions(TLTHeaderOptions Value) {
    const TLTHeaderOptions Old = FOptions;
    if (Old == Value) return;
    FOptions = Value;
    const bool AutoResizeChanged = Old.Contains(hoAutoResize) != Value.Contains(hoAutoResize);
    if (AutoResizeChanged && FColumns->Count() > 0) {
        FColumns->FitAutoSizeColumn(ColumnNone, false);
        if (TreeHasWindow()) {
            FOwner->UpdateHorizontalScrollBar(false);
            if (Value.Contains(hoAutoResize)) FOwner->Invalidate();
        }
    }
    if (Old.Contains(hoVisible) != Value.Contains(hoVisible) && FOwner) FOwner->HeaderLayoutChanged();
    if (TreeLoading() || !TreeHasWindow()) return;
    Invalidate();
    FOwner->Invalidate();
}

void TLTHeader::SetStyle(TLTHeaderStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    if (!TreeLoading()) Invalidate();
}

void TLTHeader::SetBackground(TColor Value) {
    if (FBackground == Value) return;
    FBackground = Value;
    Invalidate();
}

void TLTHeader::SetAutoSizeIndex(TColumnIndex Value) {
    if (FAutoSizeIndex == Value) return;
    FAutoSizeIndex = Value;
    if (FOptions.Contains(hoAutoResize)) FColumns->FitAutoSizeColumn(ColumnNone, false);
}

void TLTHeader::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages = Value;
    if (FImages) FImages->RegisterChanges(FImageChangeLink.get());
    if (!TreeLoading()) Invalidate();
}

void TLTHeader::SetMainColumn(TColumnIndex Value) {
    if (TreeLoading()) {
        FMainColumn = Value;
        return;
    }
    Value = FColumns->Count() == 0 ? ColumnNone : std::clamp(Value, 0, FColumns->Count() - 1);
    if (Value == FMainColumn) return;
    FMainColumn = Value;
    if (FOwner) {
        FOwner->MainColumnChanged();
        if (!FOwner->TreeOptions()->SelectionOptions().Contains(toExtendedFocus))
            FOwner->FFocusedColumn = Value;
        FOwner->Invalidate();
    }
}

void TLTHeader::ClampMainColumn() {
    if (FMainColumn < 0) FMainColumn = 0;
    if (FMainColumn > FColumns->Count() - 1) FMainColumn = FColumns->Count() - 1;
}

void TLTHeader::SetSortColumn(TColumnIndex Value) {
    if (TreeLoading())
        FSortColumn = Value;
    else
        ApplySortColumn(Value);
}

void TLTHeader::ApplySortColumn(TColumnIndex Value) {
    Value = std::clamp<TColumnIndex>(Value, ColumnNone, FColumns->Count() - 1);
    if (Value == FSortColumn) return;
    FSortColumn = Value;
    Invalidate();
    ResortTree();
}

void TLTHeader::SetSortDirection(TSortDirection Value) {
    if (Value == FSortDirection) return;
    FSortDirection = Value;
    Invalidate();
    ResortTree();
}

void TLTHeader::ResortTree() {
    if (!FOwner || FOwner->UpdateCount() > 0) return;
    if (FOwner->TreeOptions()->AutoOptions().Contains(toAutoSort) || FOptions.Contains(hoHeaderClickAutoSort))
        FOwner->SortTree(FSortColumn, FSortDirection, true);
}

void TLTHeader::RefreshNonClientArea() {
    if (FOwner) FOwner->HeaderLayoutChanged();
}

void TLTHeader::Invalidate(TLeanTreeColumn*, bool) {
    // The header is a strip of the tree's own window: repainting the window repaints it.
    if (FOwner && FOptions.Contains(hoVisible) && FOwner->HandleAllocated()) FOwner->InvalidateHeader();
}

int TLTHeader::ResizeColumns(int ChangeBy, TColumnIndex RangeStartCol, TColumnIndex RangeEndCol,
                             TLTColumnOptions Options) {
    if (ChangeBy == 0) return 0;
    const int N = FColumns->Count();
    RangeStartCol = std::clamp(RangeStartCol, 0, std::max(N - 1, 0));
    RangeEndCol = std::clamp(RangeEndCol < 0 ? N - 1 : RangeEndCol, 0, std::max(N - 1, 0));
    if (N == 0 || RangeStartCol > RangeEndCol) return 0;
    const bool Growing = ChangeBy > 0;
    const int Sign = Growing ? 1 : -1;
    const TColumnIndex StartCol = Growing ? RangeStartCol : RangeEndCol;
    int Rest = std::abs(ChangeBy);

    std::vector<int> Widths(static_cast<std::size_t>(N)), Limits(static_cast<std::size_t>(N));
    std::vector<bool> Takes(static_cast<std::size_t>(N), false);
    for (int I = RangeStartCol; I <= RangeEndCol; ++I) {
        const TLeanTreeColumn* C = FColumns->Items(I);
        const auto U = static_cast<std::size_t>(I);
        Widths[U] = C->Width();
        Limits[U] = Growing ? C->MaxWidth() : C->MinWidth();
        Takes[U] = Options <= C->Options();
    }
    std::vector<bool> EverTook(static_cast<std::size_t>(N), false);
    while (Rest >= 1) {
        const int RestBefore = Rest;
        int Room = 0, Count = 0;
        std::vector<bool> Active(static_cast<std::size_t>(N), false);
        for (;;) {
            Room = Count = 0;
            std::size_t Widest = SIZE_MAX;
            for (int I = RangeStartCol; I <= RangeEndCol; ++I) {
                const auto U = static_cast<std::size_t>(I);
                Active[U] = Takes[U] && (Growing ? Widths[U] < Limits[U] : Widths[U] > Limits[U]);
                if (!Active[U]) continue;
                Room += Growing ? Limits[U] - Widths[U] : Widths[U] - Limits[U];
                ++Count;
                if (Widest == SIZE_MAX || Widths[U] > Widths[Widest]) Widest = U;
            }
            // While scaling down, the widest column's minimum gives way a tenth at a time.
            if (FStates.Contains(hsScaling) && !Growing && Room < std::abs(ChangeBy) && Widest != SIZE_MAX &&
                Limits[Widest] > 10) {
                Limits[Widest] -= Limits[Widest] / 10;
                continue;
            }
            break;
        }
        if (Count == 0) break;
        const int Remainder = Rest % Count;
        Rest = std::min(Rest, Room);
        const int Share = Rest / Count;
        for (int I = RangeStartCol; I <= RangeEndCol; ++I) {
            const auto U = static_cast<std::size_t>(I);
            if (!Active[U]) continue;
            EverTook[U] = true;
            const int Allowed = Growing ? Limits[U] - Widths[U] : Widths[U] - Limits[U];
            const int Change = std::min(Share, Allowed);
            Widths[U] += Sign * Change;
            Rest -= Change;
        }
        // Odd pixels go one at a time to the columns that did not get one last time.
        int Odd = std::min(Remainder, Rest);
        int I = StartCol, Flips = 0;
        while (Odd > 0 && Flips < 2) {
            const auto U = static_cast<std::size_t>(I);
            TLeanTreeColumn* C = FColumns->Items(I);
            const bool HasRoom = Growing ? Widths[U] < Limits[U] : Widths[U] > Limits[U];
            if (Active[U] && HasRoom && C->FBonusPixel != Growing) {
                Widths[U] += Sign;
                C->FBonusPixel = Growing;
                --Odd;
                --Rest;
            }
            I += Sign;
            if (I < RangeStartCol || I > RangeEndCol) {
                for (int J = RangeStartCol; J <= RangeEndCol; ++J)
                    if (Active[static_cast<std::size_t>(J)])
                        FColumns->Items(J)->FBonusPixel = !FColumns->Items(J)->FBonusPixel;
                I = StartCol;
                ++Flips;
            }
        }
        if (Rest == RestBefore) break;
    }
    int Applied = 0;
    FStates.Include(hsResizing);
    TScopeExit Leave([this] { FStates.Exclude(hsResizing); });
    for (int I = RangeStartCol; I <= RangeEndCol; ++I) {
        const auto U = static_cast<std::size_t>(I);
        if (!EverTook[U]) continue;
        TLeanTreeColumn* C = FColumns->Items(I);
        Applied += Widths[U] - C->Width();
        C->SetWidth(Widths[U]);
    }
    return Applied;
}

void TLTHeader::AutoFitColumns(bool Animated, TSmartAutoFitType SmartAutoFitType, int RangeStartCol,
                               int RangeEndCol) {
    const int N = FColumns->Count();
    if (RangeStartCol < 0) RangeStartCol = 0;
    if (RangeEndCol < 0 || RangeEndCol >= N) RangeEndCol = N - 1;
    if (N == 0 || RangeStartCol > RangeEndCol || !FOwner) return;
    FOwner->StartOperation(okAutoFitColumns);
    TScopeExit End([this] { FOwner->EndOperation(okAutoFitColumns); });
    if (FOwner->OnBeforeAutoFitColumns) FOwner->OnBeforeAutoFitColumns(this, SmartAutoFitType);
    for (int P = RangeStartCol; P <= RangeEndCol; ++P) {
        const TColumnIndex Index = FColumns->ColumnFromPosition(static_cast<TColumnPosition>(P));
        if (!FColumns->IsValidColumn(Index)) continue;
        TLeanTreeColumn* C = FColumns->Items(Index);
        if (!C->Options().Contains(coVisible) || !C->Options().Contains(coResizable)) continue;
        bool Allowed = true;
        TSmartAutoFitType FitType = SmartAutoFitType;
        if (FOwner->OnBeforeAutoFitColumn) FOwner->OnBeforeAutoFitColumn(this, Index, FitType, Allowed);
        if (!Allowed || FOwner->OperationCanceled()) continue;
        const bool Smart =
            FitType == smaAllColumns || (FitType == smaUseColumnOption && C->Options().Contains(coSmartResize));
        const int NewWidth = FOwner->GetMaxColumnWidth(Index, Smart);
        if (Animated)
            FColumns->AnimatedResize(Index, NewWidth);
        else
            C->SetWidth(NewWidth);
        if (FOwner->OnAfterAutoFitColumn) FOwner->OnAfterAutoFitColumn(this, Index);
    }
    if (FOwner->OnAfterAutoFitColumns) FOwner->OnAfterAutoFitColumns(this);
}

void TLTHeader::RestoreColumns() {
    for (auto It = FColumns->FPositionToIndex.rbegin(); It != FColumns->FPositionToIndex.rend(); ++It) {
        TLeanTreeColumn* C = FColumns->Items(*It);
        if (C->Options().Contains(coVisible) && C->Options().Contains(coResizable)) C->RestoreLastWidth();
    }
}

void TLTHeader::ShareSpringWidth() {
    const int HeaderWidth = FOwner ? FOwner->ClientWidth() : 0;
    if (FOptions.Contains(hoAutoSpring) && FLastWidth > 0) {
        const int D = HeaderWidth - FLastWidth;
        std::vector<TLeanTreeColumn*> Springs;
        for (int I = 0; I < FColumns->Count(); ++I) {
            TLeanTreeColumn* C = FColumns->Items(I);
            if (C->Options().Contains(coVisible) && C->Options().Contains(coAutoSpring)) Springs.push_back(C);
        }
        if (D != 0 && !Springs.empty()) {
            const float Share = static_cast<float>(std::abs(D)) / static_cast<float>(Springs.size());
            float Left = static_cast<float>(std::abs(D));
            for (TLeanTreeColumn* C : Springs) {
                C->FSpringRest += Share;
                if (C->FSpringRest >= 1) {
                    const int Whole = static_cast<int>(std::trunc(C->FSpringRest));
                    C->FSpringRest -= static_cast<float>(Whole);
                    C->SetWidth(C->Width() + (D > 0 ? Whole : -Whole));
                }
                Left -= Share;
                if (Left < 0) break;
            }
        }
    }
    FLastWidth = HeaderWidth;
}

void TLTHeader::ApplyFixedAreaConstraints() {
    if (!FOwner || !TreeHasWindow() || TreeLoading() || FStates.Contains(hsLoading) ||
        FOwner->ComponentState().Contains(csDestroying))
        return;
    FStates.Include(hsScaling);
    TScopeExit Leave([this] {
        FStates.Exclude(hsScaling);
        FStates.Exclude(hsNeedScaling);
    });
    SetHeight(FHeight);
    const TLTFixedAreaConstraints* C = FFixedAreaConstraints.get();
    if (C->MaxWidthPercent() > 0 || C->MinWidthPercent() > 0) {
        for (int I = 0; I < FColumns->Count(); ++I) {
            TLeanTreeColumn* Col = FColumns->Items(I);
            if (Col->IsFixed() && Col->FWidth < Col->FMinWidth) Col->FWidth = Col->FMinWidth;
        }
        const int F = FColumns->GetVisibleFixedWidth();
        const int Client = FOwner->ClientWidth();
        const int Max = Client * C->MaxWidthPercent() / 100, Min = Client * C->MinWidthPercent() / 100;
        if (C->MaxWidthPercent() > 0 && Max < F)
            ResizeColumns(Max - F, 0, FColumns->Count() - 1, {coVisible, coFixed});
        else if (C->MinWidthPercent() > 0 && F < Min)
            ResizeColumns(Min - F, 0, FColumns->Count() - 1, {coVisible, coFixed});
        FColumns->LayOutColumns(true);
    }
}

// ---- The header record ----------------------------------------------------------------------------

void TLTHeader::SaveToStream(TStream* Stream) const {
    WriteInt(Stream, -1);
    WriteInt(Stream, 6);
    FColumns->SaveToStream(Stream);
    WriteInt(Stream, FAutoSizeIndex);
    WriteInt(Stream, FBackground);
    WriteInt(Stream, FHeight);
    WriteInt(Stream, static_cast<std::int32_t>(FOptions.ToInt()));
    WriteInt(Stream, FStyle);
    WriteInt(Stream, FFont->Color());
    WriteInt(Stream, FFont->Height());
    const AnsiString Name = StringToUtf8(FFont->Name());
    WriteInt(Stream, static_cast<std::int32_t>(Name.size()));
    if (!Name.empty()) Stream->WriteBuffer(Name.data(), static_cast<Int64>(Name.size()));
    WriteInt(Stream, FFont->Pitch());
    WriteInt(Stream, static_cast<std::int32_t>(FFont->Style().ToInt()));
    WriteInt(Stream, FMainColumn);
    WriteInt(Stream, FSortColumn);
    WriteInt(Stream, FSortDirection);
    WriteInt(Stream, FParentFont ? 1 : 0);
    WriteInt(Stream, FMaxHeight);
    WriteInt(Stream, FMinHeight);
    WriteInt(Stream, FDefaultHeight);
    WriteInt(Stream, FFixedAreaConstraints->FMaxHeightPercent);
    WriteInt(Stream, FFixedAreaConstraints->FMaxWidthPercent);
    WriteInt(Stream, FFixedAreaConstraints->FMinHeightPercent);
    WriteInt(Stream, FFixedAreaConstraints->FMinWidthPercent);
}

void TLTHeader::LoadFromStream(TStream* Stream) {
    const Int64 Start = Stream->Position();
    try {
        ReadHeaderRecord(Stream);
    } catch (EReadError&) {
        Stream->SetPosition(Start);
        throw;
    }
}

void TLTHeader::ReadHeaderRecord(TStream* Stream) {
    // Everything is read and checked first; the header changes only when the record is whole.
    int Version = -1;
    const std::int32_t First = ReadInt(Stream);
    if (First <= -1)
        Version = ReadInt(Stream);
    else
        Stream->Seek(-4, soFromCurrent);
    const TColumnsRecord Columns = ReadColumnsRecord(Stream, Version);
    const TColumnIndex AutoSizeIndex = ReadInt(Stream);
    const TColor Background = ReadInt(Stream);
    const int Height = ReadInt(Stream);
    const auto Options = TLTHeaderOptions::FromInt(static_cast<std::uint32_t>(ReadInt(Stream)));
    const auto Style = static_cast<TLTHeaderStyle>(ReadOrdinal(Stream, 3));
    const TColor FontColor = ReadInt(Stream);
    const int FontHeight = ReadInt(Stream);
    const std::int32_t NameLength = ReadInt(Stream);
    if (NameLength < 0 || NameLength > BytesLeft(Stream)) StreamDamaged();
    std::string Name(static_cast<std::size_t>(NameLength), '\0');
    if (NameLength > 0) Stream->ReadBuffer(Name.data(), NameLength);
    const auto Pitch = static_cast<TFontPitch>(ReadOrdinal(Stream, 3));
    const auto FontStyle = TFontStyles::FromInt(static_cast<std::uint32_t>(ReadInt(Stream)));
    TColumnIndex MainColumn = FMainColumn, SortColumn = FSortColumn;
    TSortDirection SortDirection = FSortDirection;
    if (Version > 0) {
        MainColumn = ReadInt(Stream);
        SortColumn = ReadInt(Stream);
        SortDirection = static_cast<TSortDirection>(ReadOrdinal(Stream, 2));
    }
    bool ParentFont = FParentFont;
    int Limits[3] = {FMaxHeight, FMinHeight, FDefaultHeight};
    int Percents[4] = {FFixedAreaConstraints->FMaxHeightPercent, FFixedAreaConstraints->FMaxWidthPercent,
                       FFixedAreaConstraints->FMinHeightPercent, FFixedAreaConstraints->FMinWidthPercent};
    if (Version > 4) {
        ParentFont = ReadInt(Stream) != 0;
        for (int& L : Limits)
            L = ReadInt(Stream);
        for (int& P : Percents) {
            P = ReadInt(Stream);
            if (P < 0 || P > 100) StreamDamaged();
        }
    }

    FStates.Include(hsLoading);
    const TLTHeaderOptions OldOptions = FOptions;
    FOptions = {};
    TScopeExit Finish([this] {
        FStates.Exclude(hsLoading);
        if (FOwner) FOwner->DoColumnResize(ColumnNone);
    });
    FColumns->BeginUpdate();
    {
        TScopeExit End([this] { FColumns->EndUpdate(); });
        FColumns->Clear();
        for (const TColumnRecord& C : Columns.Columns)
            ApplyColumnRecord(FColumns->Add(), C);
        FColumns->FPositionToIndex = Columns.Map;
        for (std::size_t P = 0; P < Columns.Map.size(); ++P)
            FColumns->Items(Columns.Map[P])->FPosition = static_cast<TColumnPosition>(P);
        if (Columns.HasDefaultWidth) FColumns->FDefaultWidth = Columns.DefaultWidth;
        FColumns->FNeedPositionsFix = false;
    }
    FColumns->LayOutColumns(true);
    FMaxHeight = Limits[0];
    FMinHeight = Limits[1];
    FDefaultHeight = Limits[2];
    FFixedAreaConstraints->FMaxHeightPercent = static_cast<Byte>(Percents[0]);
    FFixedAreaConstraints->FMaxWidthPercent = static_cast<Byte>(Percents[1]);
    FFixedAreaConstraints->FMinHeightPercent = static_cast<Byte>(Percents[2]);
    FFixedAreaConstraints->FMinWidthPercent = static_cast<Byte>(Percents[3]);
    FAutoSizeIndex = AutoSizeIndex;
    SetBackground(Background);
    SetHeight(Height);
    FOptions = OldOptions;
    SetOptions(Options);
    SetStyle(Style);
    FFont->SetColor(FontColor);
    FFont->SetHeight(FontHeight);
    FFont->SetName(Utf8ToString(Name));
    FFont->SetPitch(Pitch);
    FFont->SetStyle(FontStyle);
    if (Version > 0) {
        FMainColumn = ColumnNone;
        SetMainColumn(MainColumn);
        SetSortColumn(SortColumn);
        SetSortDirection(SortDirection);
    } else {
        // An old record keeps them, but only as far as its columns reach: an index of a column
        // that went would be written and then read back as another one.
        SetMainColumn(FMainColumn);
        SetSortColumn(FSortColumn);
    }
    if (Version > 4) SetParentFont(ParentFont);
}
