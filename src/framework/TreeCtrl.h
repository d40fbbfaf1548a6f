#pragma once
#include "Wnd.h"
#include <commctrl.h>

class CTreeCtrl : public CWnd {
public:
    // A text-only item; null on failure.
    HTREEITEM InsertItem(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL SetItemState(HTREEITEM item, UINT state, UINT stateMask);
    UINT GetItemState(HTREEITEM item, UINT stateMask);
    // State image 2 (ticked) or 1 (not ticked).
    BOOL SetCheck(HTREEITEM item, BOOL check = TRUE);
    BOOL EnsureVisible(HTREEITEM item);
    COLORREF SetBkColor(COLORREF colour);
    COLORREF SetTextColor(COLORREF colour);
    HTREEITEM GetRootItem();
    HTREEITEM GetChildItem(HTREEITEM item);
    HTREEITEM GetNextSiblingItem(HTREEITEM item);
    // Copies the item's text (cut to fit, always terminated); FALSE on failure.
    BOOL GetItemText(HTREEITEM item, char* buffer, int size);
};
