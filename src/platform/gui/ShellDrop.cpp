// Dropped files: Qt's drop events for local file URLs become WM_DROPFILES.
#include "platform/gui/ShellApi.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/MessagesPrivate.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <map>
#include <vector>

namespace {

struct TDrop {
    std::vector<String> Files;
    TPoint Point;
    bool InClient = false;
};

// The drops handed out and not finished yet (the GUI thread's own).
std::map<HDROP, TDrop>& Drops() {
    static std::map<HDROP, TDrop> D;
    return D;
}
HDROP GNextDrop = 0;

std::vector<String> LocalFiles(const QMimeData* Data) {
    std::vector<String> Files;
    if (!Data || !Data->hasUrls()) return Files;
    for (const QUrl& Url : Data->urls())
        if (Url.isLocalFile()) Files.push_back(FromQt(Url.toLocalFile()));
    return Files;
}

// Watches the widget of a window that accepts dropped files.
class TDropFilter : public QObject {
public:
    TDropFilter(HWND AWnd, QWidget* Widget) : QObject(Widget), FWnd(AWnd) {}
    HWND Wnd() const { return FWnd; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        // A failed drop counts as handled: the widget does not act on it as well.
        return GuiBarrier(
            nullptr,
            [&] {
                switch (Event->type()) {
                case QEvent::DragEnter:
                case QEvent::DragMove: {
                    auto* D = static_cast<QDropEvent*>(Event);
                    if (LocalFiles(D->mimeData()).empty()) {
                        D->ignore();
                    } else {
                        D->setDropAction(Qt::CopyAction);
                        D->accept();
                    }
                    return true;
                }
                case QEvent::DragLeave:
                    return true;
                case QEvent::Drop: {
                    auto* D = static_cast<QDropEvent*>(Event);
                    TDrop Drop;
                    Drop.Files = LocalFiles(D->mimeData());
                    if (Drop.Files.empty()) {
                        D->ignore();
                        return true;
                    }
                    const QPoint At = D->position().toPoint();
                    TWinControl* Control = FindControl(FWnd);
                    QRect Client = QRect(QPoint(0, 0), static_cast<QWidget*>(Watched)->size());
                    if (Control && Control->WindowPrivate()) Client = Control->WindowPrivate()->ClientArea();
                    Drop.Point = {At.x() - Client.left(), At.y() - Client.top()};
                    Drop.InClient = Client.contains(At);
                    const HDROP Handle = ++GNextDrop;
                    Drops()[Handle] = std::move(Drop);
                    // Posted, as the system does: the drop is over for the other program before the
                    // window reads it.
                    if (!PostMessage(FWnd, WM_DROPFILES, Handle, 0)) Drops().erase(Handle);
                    D->setDropAction(Qt::CopyAction);
                    D->accept();
                    return true;
                }
                default:
                    return false;
                }
            },
            true);
    }

private:
    HWND FWnd;
};

} // namespace

void DragAcceptFiles(HWND Wnd, bool Accept) {
    QWidget* W = WidgetOfHandle(Wnd);
    if (!W) return;
    TDropFilter* Filter = nullptr;
    for (QObject* Child : W->children())
        if (auto* F = dynamic_cast<TDropFilter*>(Child); F && F->Wnd() == Wnd) Filter = F;
    if (Accept && !Filter) {
        W->installEventFilter(new TDropFilter(Wnd, W));
        W->setAcceptDrops(true);
    } else if (!Accept && Filter) {
        delete Filter;
        W->setAcceptDrops(false);
    }
}

UINT DragQueryFile(HDROP Drop, UINT File, Char* Buffer, UINT Size) {
    auto It = Drops().find(Drop);
    if (It == Drops().end()) return 0;
    const std::vector<String>& Files = It->second.Files;
    if (File == 0xFFFFFFFFu) return UINT(Files.size());
    if (File >= Files.size()) return 0;
    const String& Name = Files[File];
    if (!Buffer) return UINT(Name.size());
    if (Size == 0) return 0;
    const std::size_t Count = std::min<std::size_t>(Name.size(), Size - 1);
    std::copy_n(Name.data(), Count, Buffer);
    Buffer[Count] = 0;
    return UINT(Count);
}

bool DragQueryPoint(HDROP Drop, TPoint& Point) {
    auto It = Drops().find(Drop);
    if (It == Drops().end()) return false;
    Point = It->second.Point;
    return It->second.InClient;
}

void DragFinish(HDROP Drop) {
    Drops().erase(Drop);
}
