#include "framework/DataExchange.h"
#include "framework/Wnd.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!dx || dx->m_bSaveAndValidate || control.m_hWnd || !dx->m_pDlgWnd)
        return;
    if (HWND item = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id))
        control.SubclassWindow(item);
}
