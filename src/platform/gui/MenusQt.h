#pragma once
// Menus on Qt, for the layer's .cpp files: the menu bar of a form and the widget of a pop-up
// menu. Shortcut texts show beside the captions, but Qt never dispatches them: keys reach
// menus and actions through the form's IsShortCut, as the message model has it.

#include <memory>

class QMenu;
class QMenuBar;
class QWidget;
class TMainMenu;
class TMenuView;
class TPopupMenu;

// A menu bar owned by Parent that shows Menu's items and follows their changes. Choosing an
// item clicks it; opening a sub-menu clicks its parent item and lets the sub-items' actions
// update first. An exception goes to the application's exception handling.
QMenuBar* CreateMenuBar(TMainMenu* Menu, QWidget* Parent);

// Shows Menu's items as a pop-up at the screen point (X, Y) and returns its view (the pop-up
// menu keeps it until the next Popup or its end).
std::unique_ptr<TMenuView> ShowPopupMenu(TPopupMenu* Menu, int X, int Y);

// The widget of the pop-up menu shown last by Menu; null when none.
QMenu* PopupMenuWidget(const TPopupMenu* Menu);
