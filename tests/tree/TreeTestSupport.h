#pragma once
// What the tree tests share: a tree class that opens its protected steps, an event log, a
// checker of every counter the tree keeps, trees of a described shape, and a tree in a window.

#include "platform/gui/Forms.h"
#include "tree/BaseLeanTree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

class TTestTree : public TBaseLeanTree {
public:
    explicit TTestTree(TComponent* AOwner = nullptr) : TBaseLeanTree(AOwner) {}

    using TBaseLeanTree::AddToSelection;
    using TBaseLeanTree::Animate;
    using TBaseLeanTree::AppendToNodeCache;
    using TBaseLeanTree::AttachNode;
    using TBaseLeanTree::Change;
    using TBaseLeanTree::ClearNodeCache;
    using TBaseLeanTree::CompactSelection;
    using TBaseLeanTree::CompareNodeOrder;
    using TBaseLeanTree::DeselectRange;
    using TBaseLeanTree::DetachNode;
    using TBaseLeanTree::DoStateChange;
    using TBaseLeanTree::EndOperation;
    using TBaseLeanTree::FTempNodeCache;
    using TBaseLeanTree::FTempNodeCount;
    using TBaseLeanTree::ApplyClickSelection;
    using TBaseLeanTree::HandleDrawSelection;
    using TBaseLeanTree::LocateInSelection;
    using TBaseLeanTree::MergeIntoSelection;
    using TBaseLeanTree::RemoveFromSelection;
    using TBaseLeanTree::ReserveInternalDataArea;
    using TBaseLeanTree::SelectRange;
    using TBaseLeanTree::StartOperation;
    using TBaseLeanTree::StructureChange;
    using TBaseLeanTree::ToggleRangeSelection;
    using TBaseLeanTree::UnselectCore;
    using TBaseLeanTree::VisibleChildTally;
    using TBaseLeanTree::WriteChildCount;
    using TBaseLeanTree::WriteNodeSelected;
    using TBaseLeanTree::WriteNodeVisible;

    using TBaseLeanTree::BeginCellEdit;
    using TBaseLeanTree::FEditColumn;

    // Points every node reference of the tree at the node.
    void ReferenceEverywhere(PLeanNode Node) {
        FLastSelected = FFocusedNode = FRangeAnchor = FCurrentHotNode = FDropTargetNode = FCheckNode =
            FLastVCLDragTarget = FLastSearchNode = FHeightTrackNode = FLastChangedNode = Node;
    }
    // The node references that still point at the node.
    int ReferencesTo(PLeanNode Node) const {
        int Count = 0;
        for (PLeanNode R :
             {FLastSelected, FFocusedNode, FRangeAnchor, FCurrentHotNode, FDropTargetNode, FCheckNode,
              FLastVCLDragTarget, FLastSearchNode, FHeightTrackNode, FLastChangedNode})
            Count += R == Node;
        return Count;
    }

    const TNodeArray& SelectionArray() const { return FSelection; }
    int SelectionArrayCount() const { return FSelectionCount; }
    PLeanNode RangeAnchor() const { return FRangeAnchor; }
    void SetRangeAnchor(PLeanNode Node) { FRangeAnchor = Node; }
    PLeanNode LastChangedNode() const { return FLastChangedNode; }
    int LastSelectionLevel() const { return FLastSelectionLevel; }

    void SetPaint(TLTPaintOptions Add, TLTPaintOptions Remove = {}) {
        TreeOptions()->SetPaintOptions((TreeOptions()->PaintOptions() + Add) - Remove);
    }
    void SetAuto(TLTAutoOptions Add, TLTAutoOptions Remove = {}) {
        TreeOptions()->SetAutoOptions((TreeOptions()->AutoOptions() + Add) - Remove);
    }
    void SetSelection(TLTSelectionOptions Add, TLTSelectionOptions Remove = {}) {
        TreeOptions()->SetSelectionOptions((TreeOptions()->SelectionOptions() + Add) - Remove);
    }
    void SetMisc(TLTMiscOptions Add, TLTMiscOptions Remove = {}) {
        TreeOptions()->SetMiscOptions((TreeOptions()->MiscOptions() + Add) - Remove);
    }

    // The user data as one 64-bit number (the trees of the tests ask for 8 bytes).
    std::int64_t& Key(PLeanNode Node) { return *static_cast<std::int64_t*>(GetNodeData(Node)); }
};

// A tree whose additions do not sort (and so do not initialise) on their own.
struct TPlainTree : TTestTree {
    TPlainTree() {
        SetAuto({}, {toAutoSort});
        SetNodeDataSize(sizeof(std::int64_t));
    }
    // A new node under Parent carrying the key K.
    PLeanNode Add(PLeanNode Parent, std::int64_t K) {
        PLeanNode Node = AddChild(Parent);
        Key(Node) = K;
        return Node;
    }
    // The keys below Parent as "1[2,3],4": children in brackets after their parent.
    std::string Shape(PLeanNode Parent = nullptr) {
        if (!Parent) Parent = RootNode();
        std::string S;
        for (PLeanNode Run = Parent->FirstChild; Run; Run = Run->NextSibling) {
            if (!S.empty()) S += ",";
            S += std::to_string(Key(Run));
            if (Run->FirstChild) S += "[" + Shape(Run) + "]";
        }
        return S;
    }
};

// Every counter, link and flag the tree keeps, checked against a recount over the links.
// Answers an empty string when everything agrees, else what is wrong.
inline std::string CheckTreeInvariants(TTestTree& Tree, bool CheckSelection = true) {
    std::ostringstream Out;
    PLeanNode Root = Tree.RootNode();
    const bool ShowFiltered = Tree.TreeOptions()->PaintOptions().Contains(toShowFilteredNodes);
    auto Filtered = [&](PLeanNode N) { return N->States.Contains(vsFiltered) && !ShowFiltered; };
    Cardinal Visible = 0;
    int Selected = 0;
    std::set<PLeanNode> SelectedNodes;

    // Answers TotalCount; checks the node and its subtree.
    std::function<Cardinal(PLeanNode, bool)> Check = [&](PLeanNode Node, bool PathShown) -> Cardinal {
        Cardinal Count = 0;
        Cardinal Index = 0;
        Cardinal Height = 0;
        PLeanNode Previous = nullptr;
        Cardinal Total = 1;
        for (PLeanNode Child = Node->FirstChild; Child; Child = Child->NextSibling) {
            if (Child->Parent != Node) Out << "parent link wrong at index " << Index << "\n";
            if (Child->PrevSibling != Previous) Out << "back link wrong at index " << Index << "\n";
            if (Child->Index != Index) Out << "index " << Child->Index << " where " << Index << " belongs\n";
            if (Child->States.Contains(vsDeleting) || Child->States.Contains(vsClearing))
                Out << "deleting state left on a node\n";
            const bool Shown = PathShown && Child->States.Contains(vsVisible);
            if (Shown && !Filtered(Child)) ++Visible;
            if (Child->States.Contains(vsSelected)) {
                ++Selected;
                SelectedNodes.insert(Child);
            }
            Total += Check(Child, Shown && Child->States.Contains(vsExpanded));
            if (Child->States.Contains(vsVisible)) Height += Child->TotalHeight;
            Previous = Child;
            ++Index;
            ++Count;
        }
        if (Node->LastChild != Previous) Out << "last child wrong\n";
        if (Node->ChildCount != Count)
            Out << "child count " << Node->ChildCount << " for " << Count << " children\n";
        if (Count > 0 && !Node->States.Contains(vsHasChildren)) Out << "children without vsHasChildren\n";
        if (Node->TotalCount != Total) Out << "total count " << Node->TotalCount << " for " << Total << "\n";
        const Cardinal Own = Node == Root ? Node->NodeHeight : (Filtered(Node) ? 0 : Node->NodeHeight);
        const Cardinal Expected = Own + (Node->States.Contains(vsExpanded) ? Height : 0);
        if (Node->TotalHeight != Expected)
            Out << "total height " << Node->TotalHeight << " for " << Expected << " at level "
                << Tree.GetNodeLevel(Node) << "\n";
        return Total;
    };
    Check(Root, true);
    if (Tree.VisibleCount() != Visible)
        Out << "visible count " << Tree.VisibleCount() << " for " << Visible << "\n";
    if (Tree.RangeY() != Root->TotalHeight + Tree.BottomSpace() - Root->NodeHeight) Out << "vertical range\n";

    if (CheckSelection) {
        const auto& Array = Tree.SelectionArray();
        const int Count = Tree.SelectionArrayCount();
        if (Count != Selected)
            Out << "selection count " << Count << " for " << Selected << " selected nodes\n";
        for (int I = 0; I < Count && I < static_cast<int>(Array.size()); ++I) {
            if (I > 0 &&
                reinterpret_cast<std::uintptr_t>(Array[I - 1]) >= reinterpret_cast<std::uintptr_t>(Array[I]))
                Out << "selection array not sorted at " << I << "\n";
            if (!SelectedNodes.count(Array[I])) Out << "selection entry " << I << " not a selected node\n";
        }
    }
    return Out.str();
}

// An editor that counts what the tree asks of it.
struct TTestEditLink : ILTEditLink {
    bool AllowCancel = true;
    bool AllowEnd = true;
    int Prepared = 0, Begun = 0, Cancelled = 0, Ended = 0;
    TRect Bounds;
    bool BeginEdit() override { return ++Begun, true; }
    bool CancelEdit() override { return ++Cancelled, AllowCancel; }
    bool EndEdit() override { return ++Ended, AllowEnd; }
    bool PrepareEdit(TBaseLeanTree*, PLeanNode, TColumnIndex) override { return ++Prepared, true; }
    TRect GetBounds() override { return Bounds; }
    void ProcessMessage(TMessage&) override {}
    void SetBounds(TRect R) override { Bounds = R; }
};

// A log of events as short texts, for checking order and counts.
struct TEventLog {
    std::vector<std::string> Lines;
    std::map<PLeanNode, std::string> Names;

    std::string Name(PLeanNode Node) const {
        if (!Node) return "nil";
        auto It = Names.find(Node);
        return It == Names.end() ? "?" : It->second;
    }
    void Add(const std::string& Line) { Lines.push_back(Line); }
    std::string Text() const {
        std::string S;
        for (const auto& L : Lines)
            S += (S.empty() ? "" : " ") + L;
        return S;
    }
    void Clear() { Lines.clear(); }
    int Count(const std::string& Prefix) const {
        int N = 0;
        for (const auto& L : Lines)
            if (L.rfind(Prefix, 0) == 0) ++N;
        return N;
    }
};

inline const char* UpdateStateName(TLTUpdateState State) {
    static const char* Names[] = {"usBegin", "usBeginSynch", "usSynch", "usUpdate", "usEnd", "usEndSynch"};
    return Names[State];
}

inline const char* ReasonName(TChangeReason Reason) {
    static const char* Names[] = {"crIgnore",    "crAccumulated", "crChildAdded", "crChildDeleted",
                                  "crNodeAdded", "crNodeCopied",  "crNodeMoved"};
    return Names[Reason];
}

// Hooks the usual events of a tree to a log.
inline void LogEvents(TTestTree& Tree, TEventLog& Log) {
    Tree.OnChange = [&Log](TBaseLeanTree*, PLeanNode Node) { Log.Add("Change(" + Log.Name(Node) + ")"); };
    Tree.OnStructureChange = [&Log](TBaseLeanTree*, PLeanNode Node, TChangeReason Reason) {
        Log.Add("Structure(" + Log.Name(Node) + "," + ReasonName(Reason) + ")");
    };
    Tree.OnAddToSelection = [&Log](TBaseLeanTree*, PLeanNode Node) {
        Log.Add("Add(" + Log.Name(Node) + ")");
    };
    Tree.OnRemoveFromSelection = [&Log](TBaseLeanTree*, PLeanNode Node) {
        Log.Add("Remove(" + Log.Name(Node) + ")");
    };
    Tree.OnUpdating = [&Log](TBaseLeanTree*, TLTUpdateState State) { Log.Add(UpdateStateName(State)); };
    Tree.OnExpanding = [&Log](TBaseLeanTree*, PLeanNode Node, bool&) {
        Log.Add("Expanding(" + Log.Name(Node) + ")");
    };
    Tree.OnExpanded = [&Log](TBaseLeanTree*, PLeanNode Node) { Log.Add("Expanded(" + Log.Name(Node) + ")"); };
    Tree.OnCollapsing = [&Log](TBaseLeanTree*, PLeanNode Node, bool&) {
        Log.Add("Collapsing(" + Log.Name(Node) + ")");
    };
    Tree.OnCollapsed = [&Log](TBaseLeanTree*, PLeanNode Node) {
        Log.Add("Collapsed(" + Log.Name(Node) + ")");
    };
    Tree.OnFocusChanged = [&Log](TBaseLeanTree*, PLeanNode Node, TColumnIndex) {
        Log.Add("Focus(" + Log.Name(Node) + ")");
    };
    Tree.OnFreeNode = [&Log](TBaseLeanTree*, PLeanNode Node) { Log.Add("Free(" + Log.Name(Node) + ")"); };
}

// Builds top-level nodes named by the strings; a name with '/' goes under the node named before
// the last '/' ("a", "a/b", "a/b/c"). The names are remembered in the log.
inline std::map<std::string, PLeanNode> BuildTree(TTestTree& Tree, const std::vector<std::string>& Paths,
                                                  TEventLog* Log = nullptr) {
    std::map<std::string, PLeanNode> Nodes;
    Tree.BeginUpdate();
    for (const auto& Path : Paths) {
        const auto Slash = Path.rfind('/');
        PLeanNode Parent = Slash == std::string::npos ? nullptr : Nodes.at(Path.substr(0, Slash));
        PLeanNode Node = Tree.AddChild(Parent);
        Nodes[Path] = Node;
        if (Log) Log->Names[Node] = Path;
    }
    Tree.EndUpdate();
    return Nodes;
}

#define EXPECT_INVARIANTS(Tree) EXPECT_EQ(CheckTreeInvariants(Tree), "")

// ---- The tree in a window ----------------------------------------------------------------------

// Set in the process that runs the window tests (WindowTest.cpp), which has the application.
inline constexpr const char* TreeWindowsVariable = "MORVANE_TREE_WINDOWS";
void RegisterWindowTests();

// A tree that counts its scroll bar updates and repaints, and shows its scroll bars.
class TWindowTree : public TTestTree {
public:
    using TBaseLeanTree::HorizontalBar;
    using TBaseLeanTree::VerticalBar;
    using TTestTree::TTestTree;
    int ScrollBarUpdates = 0;
    int Repaints = 0;
    void UpdateScrollBars(bool DoRepaint) override {
        ++ScrollBarUpdates;
        TTestTree::UpdateScrollBars(DoRepaint);
    }
    void Invalidate() override {
        ++Repaints;
        TTestTree::Invalidate();
    }
};

// A form with a 200 x 100 unsorted tree and their windows.
struct TTreeWindow {
    TForm Form{nullptr};
    TWindowTree* Tree;
    TTreeWindow() : Tree(new TWindowTree(&Form)) {
        Form.SetBounds(0, 0, 400, 300);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, 200, 100);
        Tree->SetAuto({}, {toAutoSort});
        Tree->SetNodeDataSize(sizeof(std::int64_t));
        Tree->HandleNeeded();
    }
};
