// Files dropped from other programs: Qt's drop events reach a window that accepts them as
// WM_DROPFILES, whose drop handle gives the names and the point.
#include "CommonControlsTestSupport.h"

#include "platform/base/Strings.h"
#include "platform/gui/ShellApi.h"

#include <QMimeData>
#include <QUrl>

namespace {

// Drops the URLs on the window at a client point; answers whether the window took the drop.
bool DropUrls(TWinControl* Control, const QList<QUrl>& Urls, const TPoint& Client) {
    QMimeData Data;
    Data.setUrls(Urls);
    QWidget* W = WindowOf(Control);
    const QPointF At(WidgetPoint(Control, Client));
    QDragEnterEvent Enter(At.toPoint(), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W, &Enter);
    if (!Enter.isAccepted()) return false;
    QDropEvent Drop(At, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W, &Drop);
    Pump();
    return Drop.isAccepted();
}

struct TDropRecord {
    std::vector<String> Names;
    TPoint Point;
    bool InClient = false;
};

} // namespace

TEST_F(TFormFixture, DroppedFilesArriveAsWmDropFiles) {
    auto* Target = new TTestPanel(Form, Form);
    Target->SetBounds(20, 20, 200, 100);
    Target->SetBorderWidth(2);
    std::vector<TDropRecord> Drops;
    HDROP Last = 0;
    TWndMethod Old = Target->WindowProc();
    Target->SetWindowProc([&](TMessage& M) {
        if (M.Msg != WM_DROPFILES) return Old(M);
        const HDROP Drop = M.WParam;
        Last = Drop;
        TDropRecord R;
        const UINT Count = DragQueryFile(Drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT I = 0; I < Count; ++I) {
            Char Buffer[260];
            const UINT Length = DragQueryFile(Drop, I, Buffer, 260);
            EXPECT_EQ(Length, DragQueryFile(Drop, I, nullptr, 0));
            R.Names.push_back(String(Buffer, Length));
        }
        R.InClient = DragQueryPoint(Drop, R.Point);
        Drops.push_back(R);
        DragFinish(Drop);
        M.Result = 0;
    });
    Form->Show();
    const QList<QUrl> Files{QUrl::fromLocalFile("/home/user/Blink/Blink.ino"),
                            QUrl::fromLocalFile(QString::fromUtf8("/tmp/Sketch \u00e4/Sk\u00e4tch.ino")),
                            QUrl("https://example.org/not-a-file.ino")};
    // A window that has not asked for dropped files does not take them.
    EXPECT_FALSE(DropUrls(Target, Files, {30, 40}));
    EXPECT_TRUE(Drops.empty());

    DragAcceptFiles(Target->Handle(), true);
    EXPECT_TRUE(DropUrls(Target, Files, {30, 40}));
    ASSERT_EQ(Drops.size(), 1u);
    EXPECT_EQ(Drops[0].Names, (std::vector<String>{u"/home/user/Blink/Blink.ino", u"/tmp/Sketch ä/Skätch.ino"}));
    EXPECT_EQ(Drops[0].Point, (TPoint{30, 40}));
    EXPECT_TRUE(Drops[0].InClient);
    // A finished drop is gone.
    EXPECT_EQ(DragQueryFile(Last, 0xFFFFFFFF, nullptr, 0), 0u);
    TPoint P;
    EXPECT_FALSE(DragQueryPoint(Last, P));
    // Nothing but other URLs: not taken.
    EXPECT_FALSE(DropUrls(Target, {QUrl("https://example.org/x")}, {30, 40}));
    EXPECT_EQ(Drops.size(), 1u);
    // On the border, outside the client area.
    EXPECT_TRUE(DropUrls(Target, {Files[0]}, {-1, 5}));
    ASSERT_EQ(Drops.size(), 2u);
    EXPECT_FALSE(Drops[1].InClient);
    EXPECT_EQ(Drops[1].Point, (TPoint{-1, 5}));
    // Refused again.
    DragAcceptFiles(Target->Handle(), false);
    EXPECT_FALSE(DropUrls(Target, Files, {30, 40}));
    EXPECT_EQ(Drops.size(), 2u);
    Target->SetWindowProc(Old);
    Form->Hide();
}

TEST_F(TFormFixture, DropHandlesTruncateIntoShortBuffersAndTheParentTakesDropsOnChildren) {
    auto* Child = new TTestPanel(Form, Form);
    Child->SetBounds(10, 10, 50, 50);
    std::vector<String> Names;
    TPoint At;
    TWndMethod Old = Form->WindowProc();
    Form->SetWindowProc([&](TMessage& M) {
        if (M.Msg != WM_DROPFILES) return Old(M);
        // A short buffer gets the start of the name and a terminating zero.
        Char Short[5];
        EXPECT_EQ(DragQueryFile(M.WParam, 0, Short, 5), 4u);
        Names.push_back(String(Short));
        EXPECT_EQ(DragQueryFile(M.WParam, 7, Short, 5), 0u);
        DragQueryPoint(M.WParam, At);
        DragFinish(M.WParam);
    });
    Form->Show();
    DragAcceptFiles(Form->Handle(), true);
    // A drop on a child that does not take files goes to the form, in the form's coordinates.
    EXPECT_TRUE(DropUrls(Child, {QUrl::fromLocalFile("/home/user/sketch.ino")}, {5, 6}));
    EXPECT_EQ(Names, std::vector<String>{u"/hom"});
    EXPECT_EQ(At, (TPoint{15, 16}));
    Form->SetWindowProc(Old);
    Form->Hide();
}
