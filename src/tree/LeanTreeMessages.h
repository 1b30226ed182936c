#pragma once
// The messages of the standard tree view control that the tree answers, and the worker's state
// message. A program that speaks to a tree view by messages works with the tree unchanged.

#include "platform/gui/Messages.h"
#include "tree/LeanTreeTypes.h"

enum : UINT {
    TVM_GETITEMRECT = 0x1104,
    TVM_GETNEXTITEM = 0x110A,
    TVM_GETITEMW = 0x113E,
    // The worker's request to change the cache validation states (WParam enters, LParam leaves).
    WM_TREESTATECHANGE = WM_APP + 32,
};

// TVM_GETNEXTITEM codes.
enum : WPARAM {
    TVGN_ROOT = 0,
    TVGN_NEXT = 1,
    TVGN_PREVIOUS = 2,
    TVGN_PARENT = 3,
    TVGN_CHILD = 4,
    TVGN_FIRSTVISIBLE = 5,
    TVGN_NEXTVISIBLE = 6,
    TVGN_PREVIOUSVISIBLE = 7,
    TVGN_DROPHILITE = 8,
    TVGN_CARET = 9,
    TVGN_LASTVISIBLE = 10,
};

// TVM_GETITEMW: what the mask asks for, and the state bits.
enum : UINT {
    TVIF_TEXT = 0x1,
    TVIF_IMAGE = 0x2,
    TVIF_STATE = 0x8,
    TVIF_HANDLE = 0x10,
    TVIF_SELECTEDIMAGE = 0x20,
    TVIF_CHILDREN = 0x40,
    TVIS_FOCUSED = 0x1,
    TVIS_SELECTED = 0x2,
    TVIS_CUT = 0x4,
    TVIS_DROPHILITED = 0x8,
    TVIS_EXPANDED = 0x20,
};

// The bits of WM_TREESTATECHANGE's parameters.
enum : UINT {
    TreeStateStopValidation = 0x1,
    TreeStateUseCache = 0x2,
    TreeStateValidating = 0x4,
    TreeStateValidationNeeded = 0x8,
};

// The item record of TVM_GETITEMW; hItem is the node.
struct TTVItemW {
    UINT mask = 0;
    PLeanNode hItem = nullptr;
    UINT state = 0;
    UINT stateMask = 0;
    Char* pszText = nullptr;
    int cchTextMax = 0;
    int iImage = 0;
    int iSelectedImage = 0;
    int cChildren = 0;
    LPARAM lParam = 0;
};
