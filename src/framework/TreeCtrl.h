#pragma once
#include "framework/Wnd.h"
#include <commctrl.h>

class CTreeCtrl : public CWnd {
public:
    // A text-only item; null on failure.
    HTREEITEM InsertItem(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    // The same with the state bits of stateMask set as in state: no second
    // message naming the item, which costs a search through every item under
    // some platforms.
    HTREEITEM InsertItem(const char* text, UINT state, UINT stateMask, HTREEITEM parent,
                         HTREEITEM after);
    BOOL EnsureVisible(HTREEITEM item);
    COLORREF SetBkColor(COLORREF colour);
    COLORREF SetTextColor(COLORREF colour);
    UINT GetCount();
    // Off: items change without the control repainting or measuring itself.
    void SetRedraw(BOOL redraw);
};
