// Tree streams: a 12-byte header, for version 2 the number of top-level nodes, then one chunk
// per node with its children nested in it. Every integer is little-endian.

#include "tree/BaseLeanTree.h"
#include "tree/LeanStringTree.h"

#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr Word StreamMarks[6] = {0x2045, u'V', u'T', 2, u' ', 0x2046};
constexpr Word StreamVersion = 2;
constexpr Int64 ChunkHeaderSize = 8;
enum : std::int32_t { NodeChunk = 1, BaseChunk = 2, CaptionChunk = 3, UserDataChunk = 4 };

// The states a stream keeps: the passing ones of an operation in progress stay behind.
const TLeanNodeStates TransientStates{vsChecking, vsCutOrCopy, vsDeleting, vsOnFreeNodeCallRequired,
                                      vsHeightMeasured};
// What a read node may not carry, whatever the stream says: it would confuse the tree's own
// bookkeeping of deletions and toggles.
const TLeanNodeStates UnreadableStates = TransientStates + TLeanNodeStates{vsClearing, vsToggling};

[[noreturn]] void FormatWrong() {
    throw ELeanTreeError(u"Unable to load tree structure, the format is wrong.", 2002);
}
[[noreturn]] void VersionUnknown() {
    throw ELeanTreeError(u"Unable to load tree structure, the version is unknown.", 2003);
}
[[noreturn]] void NotEnoughData() {
    throw ELeanTreeError(u"Unable to load tree structure, not enough data available.", 2004);
}
[[noreturn]] void AnchorMissing() {
    throw ELeanTreeError(u"Stream data corrupt. A node's anchor chunk is missing.", 2005);
}
[[noreturn]] void DataAfterEnd() {
    throw ELeanTreeError(u"Stream data corrupt. Unexpected data after node's end position.", 2006);
}

void PutBytes(TStream* Stream, std::uint64_t Value, int Count) {
    Byte B[8];
    for (int I = 0; I < Count; ++I)
        B[I] = static_cast<Byte>(Value >> (8 * I));
    Stream->WriteBuffer(B, Count);
}

std::uint64_t GetBytes(TStream* Stream, int Count) {
    Byte B[8] = {};
    Stream->ReadBuffer(B, Count);
    std::uint64_t Value = 0;
    for (int I = Count - 1; I >= 0; --I)
        Value = (Value << 8) | B[I];
    return Value;
}

std::int32_t GetInt32(TStream* Stream) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(GetBytes(Stream, 4)));
}

struct TChunkHeader {
    std::int32_t Type = 0;
    std::int32_t Size = 0;
};

TChunkHeader GetChunkHeader(TStream* Stream) {
    TChunkHeader H;
    H.Type = GetInt32(Stream);
    H.Size = GetInt32(Stream);
    return H;
}

void PutChunkHeader(TStream* Stream, std::int32_t Type, std::int32_t Size) {
    PutBytes(Stream, static_cast<std::uint32_t>(Type), 4);
    PutBytes(Stream, static_cast<std::uint32_t>(Size), 4);
}

// The base chunk's own fields as they lie in the stream of each version.
struct TBaseFields {
    Cardinal ChildCount = 0;
    Cardinal NodeHeight = 0;
    Word States = 0;
    Byte Align = 0;
    Byte CheckState = 0;
    Byte CheckType = 0;
};

Int64 BaseFieldsSize(int Version) {
    return Version >= 2 ? 17 : 12;
}

TBaseFields GetBaseFields(TStream* Stream, int Version) {
    TBaseFields F;
    F.ChildCount = static_cast<Cardinal>(GetBytes(Stream, 4));
    F.NodeHeight = static_cast<Cardinal>(GetBytes(Stream, 4));
    if (Version >= 2) {
        F.States = static_cast<Word>(GetBytes(Stream, 2));
    } else {
        // The old states had one byte and no vsVisible; their bit 7 meant selected.
        const Word Old = static_cast<Word>(GetBytes(Stream, 1));
        F.States = static_cast<Word>(Old | ((Old & 0x80) ? 0x0100 : 0x0080));
    }
    F.Align = static_cast<Byte>(GetBytes(Stream, 1));
    F.CheckState = static_cast<Byte>(GetBytes(Stream, 1));
    F.CheckType = static_cast<Byte>(GetBytes(Stream, 1));
    if (Version >= 2) GetBytes(Stream, 4); // reserved
    return F;
}

// Walks one node chunk the way the loader reads it, building nothing, so that a damaged
// stream is refused before the tree changes. A list of open nodes stands in for recursion: a
// stream may nest its nodes as deep as it likes.
void CheckNodeChunk(TStream* Stream, int Version, Int64 Limit) {
    struct TOpenNode {
        Int64 End;
        Cardinal ChildrenLeft;
    };
    std::vector<TOpenNode> Open;
    auto Enter = [&](Int64 Bound) {
        if (Bound - Stream->Position() < ChunkHeaderSize) DataAfterEnd();
        const TChunkHeader Node = GetChunkHeader(Stream);
        if (Node.Type != NodeChunk) AnchorMissing();
        const Int64 End = Stream->Position() + Node.Size;
        if (Node.Size < 0 || End > Bound) DataAfterEnd();
        Open.push_back({End, 0});
    };
    Enter(Limit);
    while (!Open.empty()) {
        TOpenNode& Top = Open.back();
        if (Top.ChildrenLeft > 0) {
            --Top.ChildrenLeft;
            Enter(Top.End);
        } else if (Stream->Position() < Top.End) {
            if (Top.End - Stream->Position() < ChunkHeaderSize) DataAfterEnd();
            const TChunkHeader Sub = GetChunkHeader(Stream);
            if (Sub.Size < 0) DataAfterEnd();
            if (Sub.Type == BaseChunk) {
                if (Top.End - Stream->Position() < BaseFieldsSize(Version)) DataAfterEnd();
                Top.ChildrenLeft = GetBaseFields(Stream, Version).ChildCount;
            } else {
                if (Stream->Position() + Sub.Size > Top.End) DataAfterEnd();
                Stream->Seek(Sub.Size, soFromCurrent);
            }
        } else {
            if (Stream->Position() != Top.End) DataAfterEnd();
            Open.pop_back();
        }
    }
}

} // namespace

// ---- Writing ------------------------------------------------------------------------------------

void TBaseLeanTree::SaveToStream(TStream* Stream, PLeanNode Node) {
    if (Node == FRoot) Node = nullptr;
    for (Word Mark : StreamMarks)
        PutBytes(Stream, Mark, 2);
    if (Node) {
        PutBytes(Stream, 1, 4);
        StoreNode(Stream, Node);
    } else {
        PutBytes(Stream, FRoot->ChildCount, 4);
        for (PLeanNode Run = FRoot->FirstChild; Run; Run = Run->NextSibling)
            StoreNode(Stream, Run);
    }
    if (OnSaveTree) OnSaveTree(this, Stream);
}

void TBaseLeanTree::SaveToFile(const String& FileName) {
    TBytesStream Stream;
    SaveToStream(&Stream, nullptr);
    const TBytes& Bytes = Stream.Bytes();
    if (!WriteFileSafe(FileName, std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size())))
        throw EFCreateError(
            Format(u"Cannot create file \"%s\". %s", {FileName, Utf8ToString(std::strerror(errno))}));
}

void TBaseLeanTree::StoreNode(TStream* Stream, PLeanNode Node) {
    // Written without recursion: a chain as deep as a loaded stream may be must not take the
    // stack. Each open node waits for its children inside its base chunk.
    struct TOpenNode {
        PLeanNode Node;
        Int64 NodeStart;
        Int64 BaseStart;
        PLeanNode NextChild;
    };
    std::vector<TOpenNode> Open;
    const auto Begin = [&](PLeanNode N) {
        if (TreeOptions()->MiscOptions().Contains(toInitOnSave)) {
            InitIfNeeded(N);
            CreateLazyChildren(N);
        }
        const Int64 NodeStart = Stream->Position();
        PutChunkHeader(Stream, NodeChunk, 0);
        const Int64 BaseStart = Stream->Position();
        PutChunkHeader(Stream, BaseChunk, 0);
        PutBytes(Stream, N->ChildCount, 4);
        PutBytes(Stream, N->NodeHeight, 4);
        PutBytes(Stream, (N->States - TransientStates).ToInt(), 2);
        PutBytes(Stream, N->Align, 1);
        PutBytes(Stream, N->CheckState, 1);
        PutBytes(Stream, N->CheckType, 1);
        PutBytes(Stream, 0, 4);
        // Children that exist are written even below a node that was never initialised: the
        // count above promises them, and a reader could not tell where the node ends otherwise.
        Open.push_back({N, NodeStart, BaseStart, N->FirstChild});
    };
    Begin(Node);
    while (!Open.empty()) {
        if (PLeanNode Child = Open.back().NextChild) {
            Open.back().NextChild = nullptr; // taken up again when this child is written
            Begin(Child);
            continue;
        }
        const TOpenNode Done = Open.back();
        Open.pop_back();
        PatchChunkSize(Stream, Done.BaseStart, Stream->Position());
        StoreChunks(Stream, Done.Node);
        PatchChunkSize(Stream, Done.NodeStart, Stream->Position());
        if (!Open.empty()) Open.back().NextChild = Done.Node->NextSibling;
    }
}

void TBaseLeanTree::StoreChunks(TStream* Stream, PLeanNode Node) {
    const Int64 UserStart = Stream->Position();
    PutChunkHeader(Stream, UserDataChunk, 0);
    DoSaveNode(Node, Stream);
    const Int64 UserEnd = Stream->Position();
    if (UserEnd == UserStart + ChunkHeaderSize && Stream->Size() == UserEnd) {
        // Nothing to keep: the empty chunk goes again. (Amid other data it stays, with size 0.)
        Stream->SetSize(UserStart);
        Stream->Seek(UserStart, soFromBeginning);
    } else {
        PatchChunkSize(Stream, UserStart, UserEnd);
    }
}

void TBaseLeanTree::PatchChunkSize(TStream* Stream, Int64 ChunkStart, Int64 ChunkEnd) {
    Stream->Seek(ChunkStart + 4, soFromBeginning);
    PutBytes(Stream, static_cast<std::uint32_t>(static_cast<std::int32_t>(ChunkEnd - ChunkStart - 8)), 4);
    Stream->Seek(ChunkEnd, soFromBeginning);
}

// ---- Reading ------------------------------------------------------------------------------------

int TBaseLeanTree::ReadStreamHeader(TStream* Stream, int& Count) {
    Byte Header[12];
    if (Stream->Read(Header, sizeof(Header)) != static_cast<Int64>(sizeof(Header))) NotEnoughData();
    Word Units[6];
    for (int I = 0; I < 6; ++I)
        Units[I] = static_cast<Word>(Header[2 * I] | (Header[2 * I + 1] << 8));
    if (Units[0] != StreamMarks[0] || Units[1] != StreamMarks[1] || Units[2] != StreamMarks[2] ||
        Units[5] != StreamMarks[5])
        FormatWrong();
    const int Version = Units[3];
    if (Version > StreamVersion) VersionUnknown();
    if (Version == 2) {
        if (Stream->Size() - Stream->Position() < 4) NotEnoughData();
        Count = GetInt32(Stream);
    } else {
        Count = INT_MAX;
    }

    CheckStreamNodes(Stream, Version, Count);
    return Version;
}

void TBaseLeanTree::CheckStreamNodes(TStream* Stream, int Version, int Count) {
    const Int64 Start = Stream->Position();
    const Int64 Size = Stream->Size();
    for (int Left = Count; Left > 0 && Stream->Position() < Size; --Left) {
        if (Size - Stream->Position() < ChunkHeaderSize) NotEnoughData();
        CheckNodeChunk(Stream, Version, Size);
    }
    Stream->Seek(Start, soFromBeginning);
}

void TBaseLeanTree::LoadFromStream(TStream* Stream) {
    if (ReadOnly()) return;
    // The stream is checked whole before the old nodes go, so a damaged one costs nothing.
    int Count = 0;
    const int Version = ReadStreamHeader(Stream, Count);
    Clear();
    TUpdateBracket Update(*this);
    while (Count > 0 && Stream->Position() < Stream->Size()) {
        --Count;
        PLeanNode Node = AllocateNode();
        AttachNode(Node, FRoot, amAddChildLast, this);
        ReadNodeFromStream(Stream, Version, Node);
    }
    DoNodeCopied(nullptr);
    if (OnLoadTree) OnLoadTree(this, Stream);
}

void TBaseLeanTree::LoadFromFile(const String& FileName) {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&Stream);
}

void TBaseLeanTree::AddFromStream(TStream* Stream, PLeanNode TargetNode) {
    if (ReadOnly()) return;
    if (!TargetNode) TargetNode = FRoot;
    ASSERT_MSG(TargetNode == FRoot || TreeFromNode(TargetNode) == this,
               u"The target node must belong to this tree.");
    int Count = 0;
    const int Version = ReadStreamHeader(Stream, Count);
    TUpdateBracket Update(*this);
    if (TargetNode != FRoot) InitIfNeeded(TargetNode);
    while (Count > 0 && Stream->Position() < Stream->Size()) {
        --Count;
        PLeanNode Node = AllocateNode();
        AttachNode(Node, TargetNode, amAddChildLast, this);
        ReadNodeFromStream(Stream, Version, Node);
    }
    DoNodeCopied(TargetNode == FRoot ? nullptr : TargetNode);
}

void TBaseLeanTree::LoadNode(TStream* Stream, int Version, PLeanNode Node) {
    // A list of open nodes stands in for recursion: a stream may nest its nodes as deep as it
    // likes. The children a base chunk announces are read right after it, inside their parent.
    struct TOpenNode {
        PLeanNode Node;
        Int64 End;
        Cardinal ChildrenLeft;
    };
    std::vector<TOpenNode> Open;
    auto Enter = [&](PLeanNode Run) {
        const TChunkHeader Header = GetChunkHeader(Stream);
        if (Header.Type != NodeChunk) AnchorMissing();
        if (Header.Size < 0) DataAfterEnd();
        Open.push_back({Run, Stream->Position() + Header.Size, 0});
    };
    Enter(Node);
    while (!Open.empty()) {
        TOpenNode& Top = Open.back();
        if (Top.ChildrenLeft > 0) {
            --Top.ChildrenLeft;
            // Each child is linked before it is read, so that what was read stays in a sound
            // tree when a later chunk turns out damaged; the counters follow in
            // ReadNodeFromStream.
            PLeanNode Parent = Top.Node;
            PLeanNode Child = AllocateNode();
            Child->Parent = Parent;
            Child->PrevSibling = Parent->LastChild;
            if (Parent->LastChild)
                Parent->LastChild->NextSibling = Child;
            else
                Parent->FirstChild = Child;
            Parent->LastChild = Child;
            Child->Index = Child->PrevSibling ? Child->PrevSibling->Index + 1 : 0;
            ++Parent->ChildCount;
            Parent->States.Include(vsHasChildren);
            Enter(Child);
        } else if (Stream->Position() < Top.End) {
            const TChunkHeader Sub = GetChunkHeader(Stream);
            if (Sub.Size < 0) DataAfterEnd();
            FChildrenToLoad = 0;
            LoadChunk(Stream, Version, Top.Node, Sub.Type, Sub.Size);
            Open.back().ChildrenLeft = std::exchange(FChildrenToLoad, 0);
        } else {
            if (Stream->Position() != Top.End) DataAfterEnd();
            Open.pop_back();
        }
    }
}

bool TBaseLeanTree::LoadChunk(TStream* Stream, int Version, PLeanNode Node, int ChunkType, int ChunkSize) {
    switch (ChunkType) {
    case BaseChunk: {
        const TBaseFields F = GetBaseFields(Stream, Version);
        Node->States = TLeanNodeStates::FromInt(F.States) - UnreadableStates;
        Node->NodeHeight = static_cast<Word>(std::min<Cardinal>(F.NodeHeight, 0xFFFF));
        Node->TotalHeight = Node->NodeHeight;
        Node->Align = F.Align;
        Node->CheckState = static_cast<TCheckState>(std::min<Byte>(F.CheckState, csMixedPressed));
        Node->CheckType = static_cast<TCheckType>(std::min<Byte>(F.CheckType, ctButton));
        if (Node->ChildCount > 0) Node->States.Include(vsHasChildren);
        // LoadNode reads the children next, inside this node.
        FChildrenToLoad = F.ChildCount;
        return true;
    }
    case UserDataChunk: {
        if (ChunkSize <= 0) return true;
        const Int64 Start = Stream->Position();
        DoLoadNode(Node, Stream);
        const Int64 Read = Stream->Position() - Start;
        Stream->Seek(Start + ChunkSize, soFromBeginning);
        return Read == ChunkSize || Read > 0;
    }
    default:
        Stream->Seek(ChunkSize, soFromCurrent);
        return false;
    }
}

void TBaseLeanTree::ReadNodeFromStream(TStream* Stream, int Version, PLeanNode Node) {
    ASSERT_MSG(Node != FRoot, u"The root node cannot be loaded from stream.");
    PLeanNode Parent = Node->Parent;
    const Cardinal OldCount = Node->TotalCount;
    const Cardinal OldHeight =
        Parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible) ? Node->TotalHeight : 0;
    const Cardinal OldVisible =
        FullyVisible(Node) ? VisibleChildTally(Node) + (IsEffectivelyVisible(Node) ? 1 : 0) : 0;
    TNodeArray Selected;

    // Counts the subtree in, also when a damaged chunk stops the reading half way: the nodes
    // read so far stay, and the tree's counters must agree with them.
    auto Recount = [&] {
        // Children before their parents, without recursion: the subtree may be deep.
        std::vector<PLeanNode> Order{Node};
        for (std::size_t I = 0; I < Order.size(); ++I)
            for (PLeanNode Child = Order[I]->FirstChild; Child; Child = Child->NextSibling)
                Order.push_back(Child);
        for (auto It = Order.rbegin(); It != Order.rend(); ++It) {
            PLeanNode Run = *It;
            Cardinal Count = 1;
            Cardinal Shown = 0;
            for (PLeanNode Child = Run->FirstChild; Child; Child = Child->NextSibling) {
                Count += Child->TotalCount;
                if (Child->States.Contains(vsVisible)) Shown += Child->TotalHeight;
            }
            Run->TotalCount = Count;
            Run->TotalHeight = (IsEffectivelyFiltered(Run) ? 0 : Run->NodeHeight) +
                               (Run->States.Contains(vsExpanded) ? Shown : 0);
            if (Run->ChildCount == 0 && !Run->States.Contains(vsHasChildren)) Run->States.Exclude(vsExpanded);
            UpdateHiddenChildrenFlag(Run);
            if (Run->States.Contains(vsSelected)) {
                Run->States.Exclude(vsSelected);
                Selected.push_back(Run);
            }
        }
        ChangeTotalCount(Parent, static_cast<int>(Node->TotalCount) - static_cast<int>(OldCount), true);
        const Cardinal NewHeight =
            Parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible) ? Node->TotalHeight : 0;
        if (NewHeight != OldHeight)
            ChangeTotalHeight(Parent, static_cast<int>(NewHeight) - static_cast<int>(OldHeight), true);
        const Cardinal NewVisible =
            FullyVisible(Node) ? VisibleChildTally(Node) + (IsEffectivelyVisible(Node) ? 1 : 0) : 0;
        FVisibleCount = FVisibleCount + NewVisible - OldVisible;
        if (Parent != FRoot) UpdateHiddenChildrenFlag(Parent);
        MarkCacheInvalid();
    };
    {
        TScopeExit Counted(Recount);
        LoadNode(Stream, Version, Node);
    }
    if (!Selected.empty() && TreeOptions()->SelectionOptions().Contains(toMultiSelect)) {
        std::sort(Selected.begin(), Selected.end());
        AddToSelection(Selected, static_cast<int>(Selected.size()), false);
    }
}

// ---- The string tree's captions -----------------------------------------------------------------

void TCustomLeanStringTree::StoreChunks(TStream* Stream, PLeanNode Node) {
    TBaseLeanTree::StoreChunks(Stream, Node);
    if (!StringOptions().Contains(toSaveCaptions) || Node == RootNode() ||
        !Node->States.Contains(vsInitialized))
        return;
    const String Text = NodeText(Node, Header()->MainColumn());
    if (Text.empty()) return;
    PutChunkHeader(Stream, CaptionChunk, static_cast<std::int32_t>(2 * Text.size()));
    for (Char C : Text)
        PutBytes(Stream, C, 2);
}

bool TCustomLeanStringTree::LoadChunk(TStream* Stream, int Version, PLeanNode Node, int ChunkType,
                                      int ChunkSize) {
    if (ChunkType != CaptionChunk) return TBaseLeanTree::LoadChunk(Stream, Version, Node, ChunkType, ChunkSize);
    const Int64 Start = Stream->Position();
    String Text(static_cast<std::size_t>(ChunkSize / 2), Char(0));
    for (Char& C : Text)
        C = static_cast<Char>(GetBytes(Stream, 2));
    Stream->Seek(Start + ChunkSize, soFromBeginning);
    SetNodeText(Node, Header()->MainColumn(), Text);
    return true;
}
