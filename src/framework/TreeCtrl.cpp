#include "framework/TreeCtrl.h"

HTREEITEM CTreeCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM after) {
    return InsertItem(text, 0, 0, parent, after);
}

HTREEITEM CTreeCtrl::InsertItem(const char* text, UINT state, UINT stateMask, HTREEITEM parent,
                                HTREEITEM after) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | (stateMask ? TVIF_STATE : 0);
    insert.item.pszText = const_cast<char*>(text ? text : "");
    insert.item.state = state;
    insert.item.stateMask = stateMask;
    return reinterpret_cast<HTREEITEM>(
        SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM item) {
    return static_cast<BOOL>(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)));
}

COLORREF CTreeCtrl::SetBkColor(COLORREF colour) {
    return static_cast<COLORREF>(SendMessage(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(colour)));
}

COLORREF CTreeCtrl::SetTextColor(COLORREF colour) {
    return static_cast<COLORREF>(SendMessage(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colour)));
}

UINT CTreeCtrl::GetCount() {
    return static_cast<UINT>(SendMessage(TVM_GETCOUNT, 0, 0));
}

void CTreeCtrl::SetRedraw(BOOL redraw) {
    SendMessage(WM_SETREDRAW, static_cast<WPARAM>(redraw), 0);
}
