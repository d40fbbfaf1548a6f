#include "framework/Dialog.h"
#include "framework/DataExchange.h"
#include "framework/WinApp.h"
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The dialog being created on this thread: its first message registers it,
// so that it sees everything from WM_SETFONT on.
thread_local CDialog* t_creating = nullptr;

bool ReturnsResultDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
           message == WM_INITDIALOG || message == WM_QUERYDRAGICON || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM;
}

// A copy of the dialog template without WS_VISIBLE, so that a modal dialog
// is shown only once it is initialised, placed, and not already ended.
std::vector<BYTE> HiddenTemplate(HINSTANCE instance, UINT templateId) {
    HRSRC info = ::FindResourceA(instance, MAKEINTRESOURCEA(templateId), RT_DIALOG);
    HGLOBAL handle = info ? ::LoadResource(instance, info) : nullptr;
    const void* data = handle ? ::LockResource(handle) : nullptr;
    const DWORD size = info ? ::SizeofResource(instance, info) : 0;
    if (!data || size < sizeof(DLGTEMPLATE))
        return {};
    std::vector<BYTE> copy(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    WORD words[2];
    std::memcpy(words, copy.data(), sizeof words);
    // An extended template starts with version 1 and signature 0xFFFF; its
    // style follows the help id and the extended style.
    const std::size_t styleOffset = (words[0] == 1 && words[1] == 0xFFFF) ? 12 : 0;
    if (copy.size() < styleOffset + sizeof(DWORD))
        return {};
    DWORD style;
    std::memcpy(&style, copy.data() + styleOffset, sizeof style);
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(copy.data() + styleOffset, &style, sizeof style);
    return copy;
}

} // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dlg = dynamic_cast<CDialog*>(FromHandlePermanent(hWnd));
    if (!dlg) {
        if (!t_creating || FromHandlePermanent(hWnd))
            return FALSE;
        dlg = t_creating;
        t_creating = nullptr;
        dlg->Attach(hWnd);
        dlg->m_ownsWindow = true;
    }
    if (dlg->m_inDefault && message == dlg->m_defaultMessage) {
        dlg->m_inDefault = false;
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        dlg->OnFinalDestroy();
        return FALSE;
    }
    const LRESULT result = dlg->Dispatch(message, wParam, lParam);
    if (ReturnsResultDirectly(message))
        return result;
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return CWnd::WindowProc(message, wParam, lParam);
    const BOOL result = OnInitDialog();
    if (m_modal && !m_endModal && m_hWnd && !::GetWindow(m_hWnd, GW_OWNER) &&
        !(::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & DS_CENTER))
        CentreOnWorkArea();
    return result;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd)
        return 0;
    // DefDlgProc asks the dialog procedure first; it declines this message
    // once, and the dialog manager's own handling runs.
    m_inDefault = true;
    m_defaultMessage = message;
    const LRESULT result = ::DefDlgProcA(m_hWnd, message, wParam, lParam);
    m_inDefault = false;
    return result;
}

const MessageMap* CDialog::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCommand<&CDialog::OnOK>(IDOK),
        MapCommand<&CDialog::OnCancel>(IDCANCEL),
    };
    static const MessageMap map{CWnd::GetMessageMap(), entries};
    return &map;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd)
        return FALSE;
    m_templateId = templateId;
    m_pParentWnd = parent;
    m_modal = false;
    return CreateHandedOver([&] {
               return ::CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(templateId),
                                           parent ? parent->m_hWnd : nullptr, &DialogProc, 0);
           }) != nullptr;
}

template <class Make> HWND CDialog::CreateHandedOver(Make make) {
    // The object is handed to DialogProc through the thread before the
    // window exists, so that the messages it gets before WM_INITDIALOG are
    // not lost; a creation inside a creation keeps the outer one's.
    CDialog* outer = t_creating;
    t_creating = this;
    HWND hWnd = make();
    t_creating = outer;
    if (hWnd && m_hWnd != hWnd) {
        ::DestroyWindow(hWnd);
        return nullptr;
    }
    return hWnd;
}

HWND CDialog::CreateModalWindow(HWND owner) {
    const HINSTANCE instance = AfxGetInstanceHandle();
    const std::vector<BYTE> templ = HiddenTemplate(instance, m_templateId);
    if (templ.empty())
        return nullptr;
    return CreateHandedOver([&] {
        return ::CreateDialogIndirectParamA(
            instance, reinterpret_cast<LPCDLGTEMPLATEA>(templ.data()), owner, &DialogProc, 0);
    });
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd)
        return -1;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (owner)
        owner = ::GetAncestor(owner, GA_ROOT);
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);

    m_modal = true;
    m_endModal = false;
    m_modalResult = IDCANCEL;
    HWND hWnd = CreateModalWindow(owner);
    if (hWnd && !m_endModal) {
        ::ShowWindow(hWnd, SW_SHOWNORMAL);
        CWinThread* thread = AfxGetThread();
        while (!m_endModal && m_hWnd) {
            if (!thread->PumpMessage()) {
                // The loop that called us must see the WM_QUIT too.
                ::PostQuitMessage(static_cast<int>(thread->m_msgCur.wParam));
                break;
            }
        }
    }

    // The owner is enabled and active again before the dialog goes, so that
    // activation does not fall to some other program's window.
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (owner && ::IsWindow(owner))
        ::SetActiveWindow(owner);
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    m_modal = false;
    return hWnd ? m_modalResult : -1;
}

void CDialog::EndDialog(int result) {
    if (m_modal) {
        m_modalResult = result;
        m_endModal = true;
        // Wakes the modal loop if it is waiting for a message.
        if (m_hWnd)
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, result);
    }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    if (!m_hWnd)
        return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!m_modal || !UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    if (m_modal)
        EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::CentreOnWorkArea() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    const RECT& work = monitor.rcWork;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    // A dialog larger than the work area keeps its caption on the screen.
    const int x = std::max(work.left, work.left + (work.right - work.left - width) / 2);
    const int y = std::max(work.top, work.top + (work.bottom - work.top - height) / 2);
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
