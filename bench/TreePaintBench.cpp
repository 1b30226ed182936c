// One paint of a string tree window scrolled to the middle of its rows, header included, grabbed
// into a picture of the window's size: ours beside Qt's own tree view over a model of the same
// rows, rendered into an image of the same size. At 100 and at 1,000,000 nodes: a pass paints
// the rows in the window only, so its cost must not grow with the node count.
//   build/bench/bench_tree_paint

#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "tree/LeanStringTree.h"
#include "tree/Tree.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTreeView>
#include "BenchTimes.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int ViewWidth = 400, ViewHeight = 600;

// Parents and children for a node count: 10 x 9 children gives 100, 1000 x 999 a million.
std::pair<int, int> Shape(int Nodes) {
    return Nodes <= 100 ? std::pair{10, 9} : std::pair{1000, 999};
}

// The same rows for the peer, "Node <n>" in display order. Qt's view gets them as one list:
// expanding 1000 parents of 999 children each in QTreeView (expandAll) did not finish within
// minutes here, so the peer shows the same rows without the nesting.
class TRowsModel : public QAbstractItemModel {
public:
    explicit TRowsModel(int ARows) : Rows(ARows) {}
    QModelIndex index(int Row, int Column, const QModelIndex& Parent) const override {
        return Column == 0 && !Parent.isValid() ? createIndex(Row, 0) : QModelIndex();
    }
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    int rowCount(const QModelIndex& Parent) const override { return Parent.isValid() ? 0 : Rows; }
    int columnCount(const QModelIndex&) const override { return 1; }
    QVariant data(const QModelIndex& Index, int Role) const override {
        return Role == Qt::DisplayRole ? QVariant(QStringLiteral("Node %1").arg(Index.row())) : QVariant();
    }
    QVariant headerData(int, Qt::Orientation, int Role) const override {
        return Role == Qt::DisplayRole ? QVariant(QStringLiteral("Name")) : QVariant();
    }

private:
    int Rows;
};

struct TOurs {
    TForm Form{nullptr};
    TLeanStringTree* Tree = new TLeanStringTree(&Form);
    std::unique_ptr<TBitmap> Picture = std::make_unique<TBitmap>(ViewWidth, ViewHeight);

    explicit TOurs(int Nodes) {
        Form.SetBounds(0, 0, ViewWidth + 20, ViewHeight + 20);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, ViewWidth, ViewHeight);
        Tree->TreeOptions()->SetAutoOptions(Tree->TreeOptions()->AutoOptions() - TLTAutoOptions{toAutoSort});
        Tree->SetNodeDataSize(sizeof(int));
        TLeanTreeColumn* Column = Tree->Header()->Columns()->Add();
        Column->SetText(u"Name");
        Column->SetWidth(ViewWidth);
        Tree->Header()->SetOptions(Tree->Header()->Options() + TLTHeaderOptions{hoVisible});
        Tree->OnGetText = [](TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex, TVSTTextType,
                             String& Text) {
            Text = u"Node " + IntToStr(*static_cast<int*>(Sender->GetNodeData(Node)));
        };
        Tree->HandleNeeded();
        const auto [Parents, Children] = Shape(Nodes);
        int N = 0;
        Tree->BeginUpdate();
        for (int P = 0; P < Parents; ++P) {
            PLeanNode Parent = Tree->AddChild(nullptr);
            *static_cast<int*>(Tree->GetNodeData(Parent)) = N++;
            for (int C = 0; C < Children; ++C)
                *static_cast<int*>(Tree->GetNodeData(Tree->AddChild(Parent))) = N++;
        }
        Tree->EndUpdate();
        Tree->FullExpand();
        Tree->SetOffsetY(-static_cast<int>(Tree->RangeY() / 2));
    }
    void Paint() {
        Tree->Invalidate();
        Tree->PaintTo(Picture->Canvas(), 0, 0);
    }
};

struct TPeer {
    TRowsModel Model;
    QTreeView View;
    QImage Picture{ViewWidth, ViewHeight, QImage::Format_RGB32};

    explicit TPeer(int Nodes) : Model(Shape(Nodes).first * (Shape(Nodes).second + 1)) {
        View.setUniformRowHeights(true);
        View.setModel(&Model);
        View.resize(ViewWidth, ViewHeight);
        View.show();
        QApplication::processEvents();
        View.verticalScrollBar()->setValue(View.verticalScrollBar()->maximum() / 2);
        QApplication::processEvents();
    }
    void Paint() { View.render(&Picture); }
};


void BM_OurTreePaint(benchmark::State& State) {
    TOurs Ours(static_cast<int>(State.range(0)));
    Ours.Paint();
    if (const char* Dir = std::getenv("MORVANE_GRAB_DIR")) {
        TPicture P;
        P.SetGraphic(Ours.Picture.get());
        P.SaveToFile(
            Utf8ToString(std::string(Dir) + "/tree-paint-" + std::to_string(State.range(0)) + ".png"));
    }
    for (auto _ : State)
        Ours.Paint();
    State.counters["rows"] = ViewHeight / 18.0;
}

void BM_QtTreeViewPaint(benchmark::State& State) {
    TPeer Peer(static_cast<int>(State.range(0)));
    Peer.Paint();
    if (const char* Dir = std::getenv("MORVANE_GRAB_DIR"))
        Peer.Picture.save(QString::fromStdString(std::string(Dir) + "/qt-paint-" +
                                                 std::to_string(State.range(0)) + ".png"));
    for (auto _ : State)
        Peer.Paint();
}

BENCHMARK(BM_OurTreePaint)->Arg(100)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtTreeViewPaint)->Arg(100)->Arg(1000000)->Unit(benchmark::kMicrosecond);


} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication App(argc, argv);
    RegisterTreeClasses();
    benchmark::Initialize(&argc, argv);
    TTimesReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    for (const char* Nodes : {"100", "1000000"}) {
        const auto* Ours = Reporter.Find(std::string("BM_OurTreePaint/") + Nodes);
        const auto* Peer = Reporter.Find(std::string("BM_QtTreeViewPaint/") + Nodes);
        if (!Ours || !Peer) continue;
        std::printf("paint pass at %s nodes: ours %.1f us, QTreeView %.1f us, ours / QTreeView = %.2f\n",
                    Nodes, Ours->Real * 1e6, Peer->Real * 1e6, Ours->Real / Peer->Real);
    }
    const auto *Small = Reporter.Find("BM_OurTreePaint/100"), *Large = Reporter.Find("BM_OurTreePaint/1000000");
    if (Small && Large)
        std::printf("ours at 1,000,000 nodes / ours at 100 nodes = %.2f\n", Large->Real / Small->Real);
    benchmark::Shutdown();
    return 0;
}
