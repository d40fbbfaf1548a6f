#pragma once
#include <windows.h>

class CWnd;

// Dialog data exchange: binds a dialog's controls to member objects.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Subclasses the dialog's control `id` into `control` the first time the
// dialog loads its data (only while `control` has no window yet).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
