#include "platform/gui/MenusQt.h"

#include "platform/gui/GraphicsQt.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/QuestionsQt.h"
#include "platform/gui/Barrier.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <map>

using namespace Services;

namespace {

// Shows the items of a menu in a QMenuBar or QMenu and keeps the widgets in step with them.
class TQtMenuView : public QObject, public TMenuView {
public:
    TQtMenuView(TMenu* Menu, QWidget* Target) : QObject(Target), FMenu(Menu), FTarget(Target) {
        FMenu->AddView(this);
        Build();
    }
    ~TQtMenuView() override { Detach(); }

    // Stops following the menu.
    void Detach() {
        if (FMenu) FMenu->RemoveView(this);
        FMenu = nullptr;
    }

    void MenuChanged(TMenuItem* Source, bool Rebuild) override {
        if (!Rebuild) {
            if (!Source) {
                for (auto& [Item, Action] : FActions)
                    Apply(Item, Action);
                return;
            }
            if (const auto It = FActions.find(Source); It != FActions.end()) {
                Apply(Source, It->second);
                return;
            }
        }
        Build();
    }

    void MenuDestroying() override {
        FMenu = nullptr;
        Clear();
    }

private:
    TMenu* FMenu;
    QPointer<QWidget> FTarget;
    std::map<TMenuItem*, QAction*> FActions;
    std::vector<QPointer<QObject>> FWidgets; // what Build made

    void Clear() {
        if (FTarget)
            for (QAction* A : FTarget->actions())
                FTarget->removeAction(A);
        // Later: a click may be running inside one of these.
        for (QPointer<QObject>& W : FWidgets)
            if (W) W->deleteLater();
        FWidgets.clear();
        FActions.clear();
    }

    void Build() {
        Clear();
        if (FMenu && FTarget) Fill(FTarget, FMenu->Items());
    }

    void Fill(QWidget* Widget, TMenuItem* Parent) {
        for (int I = 0; I < Parent->Count(); ++I) {
            TMenuItem* Item = Parent->Items(I);
            QAction* Action;
            if (Item->IsLine()) {
                Action = new QAction(Widget);
                Action->setSeparator(true);
                FWidgets.emplace_back(Action);
            } else if (Item->Count() > 0) {
                auto* Sub = new QMenu(Widget);
                FWidgets.emplace_back(Sub);
                Fill(Sub, Item);
                QObject::connect(Sub, &QMenu::aboutToShow, this, [this, Item] { Prepare(Item); });
                Action = Sub->menuAction();
            } else {
                Action = new QAction(Widget);
                FWidgets.emplace_back(Action);
                QObject::connect(Action, &QAction::triggered, this, [this, Item] { Choose(Item); });
            }
            Widget->addAction(Action);
            FActions[Item] = Action;
            Apply(Item, Action);
        }
    }

    // The item's image from the menu's image list; Qt draws its disabled look.
    static QIcon ItemIcon(TMenuItem* Item) {
        TMenu* Menu = Item->GetParentMenu();
        TCustomImageList* Images = Menu ? Menu->Images() : nullptr;
        if (!Images || Item->ImageIndex() < 0 || Item->ImageIndex() >= Images->Count()) return QIcon();
        TBitmap Bitmap;
        if (!Images->GetImageBitmap(Item->ImageIndex(), &Bitmap)) return QIcon();
        return QIcon(QPixmap::fromImage(BitmapToQImage(&Bitmap)));
    }

    static void Apply(TMenuItem* Item, QAction* Action) {
        if (!Item->IsLine()) {
            QString Text = ToQString(Item->Caption());
            if (Item->ShortCut()) Text += u'\t' + ToQString(ShortCutToText(Item->ShortCut()));
            Action->setText(Text);
            if (QMenu* Sub = Action->menu()) Sub->setTitle(Text);
            Action->setCheckable(Item->Checked() || Item->RadioItem() || Item->AutoCheck());
            Action->setChecked(Item->Checked());
            Action->setStatusTip(ToQString(Item->Hint()));
            QFont Font = Action->font();
            Font.setBold(Item->Default());
            Action->setFont(Font);
            Action->setIcon(ItemIcon(Item));
        }
        Action->setEnabled(Item->Enabled());
        Action->setVisible(Item->Visible());
    }

    // A sub-menu opens: its parent item is clicked and the sub-items' actions update.
    void Prepare(TMenuItem* Item) {
        QPointer<TQtMenuView> Self(this);
        GuiBarrier(Item, [&] {
            Item->Click();
            if (!Self || FActions.find(Item) == FActions.end()) return;
            for (int I = 0; I < Item->Count(); ++I)
                Item->Items(I)->InitiateAction();
        });
    }

    void Choose(TMenuItem* Item) {
        QPointer<TQtMenuView> Self(this);
        GuiBarrier(Item, [&] { Item->Click(); });
        // Qt toggled a checkable action by itself; the item says what it is.
        if (!Self) return;
        if (const auto It = FActions.find(Item); It != FActions.end()) Apply(Item, It->second);
    }
};

std::map<const TPopupMenu*, QPointer<QMenu>> ShownPopups;

// The view of a pop-up menu owns its QMenu (a top-level widget).
class TPopupView : public TMenuView {
public:
    TPopupView(TPopupMenu* Menu, QMenu* Widget)
        : FOwner(Menu), FWidget(Widget), FView(new TQtMenuView(Menu, Widget)) {
        ShownPopups[Menu] = Widget;
    }
    ~TPopupView() override {
        if (FView) FView->Detach();
        if (FWidget) {
            FWidget->hide();
            FWidget->deleteLater(); // the view goes with it
        }
        if (const auto It = ShownPopups.find(FOwner); It != ShownPopups.end() && It->second == FWidget)
            ShownPopups.erase(It);
    }
    void MenuChanged(TMenuItem*, bool) override {}
    void MenuDestroying() override {}

private:
    const TPopupMenu* FOwner;
    QPointer<QMenu> FWidget;
    QPointer<TQtMenuView> FView;
};

} // namespace

QMenuBar* CreateMenuBar(TMainMenu* Menu, QWidget* Parent) {
    auto* Bar = new QMenuBar(Parent);
    // The bar lives inside the form's window, above its client area; a desktop's global menu
    // would take it away from there.
    Bar->setNativeMenuBar(false);
    new TQtMenuView(Menu, Bar); // a child of the bar
    return Bar;
}

std::unique_ptr<TMenuView> ShowPopupMenu(TPopupMenu* Menu, int X, int Y) {
    auto* Widget = new QMenu;
    auto View = std::make_unique<TPopupView>(Menu, Widget);
    Widget->popup(QPoint(X, Y));
    return View;
}

QMenu* PopupMenuWidget(const TPopupMenu* Menu) {
    const auto It = ShownPopups.find(Menu);
    return It == ShownPopups.end() ? nullptr : It->second.data();
}

// ---- TPopupMenu -------------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::~TPopupMenu() {
    FPopupView.reset();
    SetPopupComponent(nullptr);
}

void TPopupMenu::Published(TPublisher<TPopupMenu>& P) {
    P.Property(u"AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
    P.Property(u"OnPopup", &TPopupMenu::OnPopup);
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (FPopupComponent == Value) return;
    if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
    FPopupComponent = Value;
    if (FPopupComponent) FPopupComponent->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) {
    if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y) {
    FPopupPoint = {X, Y};
    DoPopup(this);
    for (int I = 0; I < Items()->Count(); ++I)
        Items()->Items(I)->InitiateAction();
    FPopupView.reset();
    FPopupView = ShowPopupMenu(this, X, Y);
}
