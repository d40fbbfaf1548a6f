#include "framework/Wnd.h"
#include <unordered_map>

namespace {

// Windows belong to the thread that made them, and so do their objects.
std::unordered_map<HWND, CWnd*>& HandleMap() {
    thread_local std::unordered_map<HWND, CWnd*> map;
    return map;
}

// The messages being handled on this thread, innermost first, so that
// Default() knows which one to hand on. Kept off the objects: a handler may
// delete the object it runs on.
struct MessageFrame {
    const CWnd* wnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    MessageFrame* outer;
};
thread_local MessageFrame* t_innermost = nullptr;

} // namespace

CWnd::~CWnd() {
    if (!m_hWnd)
        return;
    HWND hWnd = m_hWnd;
    const bool destroy = m_ownsWindow && FromHandlePermanent(hWnd) == this;
    // Stop dispatching, unsubclass while the handle is still valid, then
    // destroy: the window's last messages must not reach this half-destroyed
    // object.
    Detach();
    if (m_superProc) {
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
        m_superProc = nullptr;
    }
    m_hWnd = nullptr;
    if (destroy)
        ::DestroyWindow(hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (!hWnd)
        return nullptr;
    auto& map = HandleMap();
    auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    HandleMap()[hWnd] = this;
}

void CWnd::Detach() {
    auto& map = HandleMap();
    auto it = map.find(m_hWnd);
    if (it != map.end() && it->second == this)
        map.erase(it);
}

void CWnd::OnFinalDestroy() {
    Detach();
    m_hWnd = nullptr;
    m_superProc = nullptr;
    m_ownsWindow = false;
    m_itemWrappers.clear();
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (m_hWnd || !::IsWindow(hWnd) || FromHandlePermanent(hWnd))
        return FALSE;
    Attach(hWnd);
    m_superProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    if (!m_superProc) {
        Detach();
        m_hWnd = nullptr;
        return FALSE;
    }
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_superProc)
        return nullptr;
    HWND hWnd = m_hWnd;
    ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    m_superProc = nullptr;
    Detach();
    m_hWnd = nullptr;
    return hWnd;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (!wnd || !wnd->m_superProc)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The control's own procedure must see its last message whatever
        // the handlers would do; the object lets go of the window first.
        WNDPROC super = wnd->m_superProc;
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        wnd->OnFinalDestroy();
        return ::CallWindowProcA(super, hWnd, message, wParam, lParam);
    }
    return wnd->Dispatch(message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    MessageFrame frame{this, message, wParam, lParam, t_innermost};
    t_innermost = &frame;
    const LRESULT result = WindowProc(message, wParam, lParam);
    t_innermost = frame.outer;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result))
        return result;
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const MessageMapEntry* entry = GetMessageMap()->Find(message, wParam, lParam);
    if (!entry)
        return FALSE;
    *result = entry->thunk(this, message, wParam, lParam);
    return TRUE;
}

const MessageMap* CWnd::GetMessageMap() const {
    static const MessageMap map{nullptr};
    return &map;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_superProc)
        return ::CallWindowProcA(m_superProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    for (const MessageFrame* frame = t_innermost; frame; frame = frame->outer) {
        if (frame->wnd == this)
            return DefWindowProc(frame->message, frame->wParam, frame->lParam);
    }
    return 0;
}

BOOL CWnd::ShowWindow(int cmdShow) {
    return ::ShowWindow(m_hWnd, cmdShow);
}

BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(m_hWnd, enable);
}

void CWnd::SetWindowText(const char* text) {
    ::SetWindowTextA(m_hWnd, text);
}

int CWnd::GetWindowText(char* buffer, int size) const {
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    return ::GetWindowTextA(m_hWnd, buffer, size);
}

BOOL CWnd::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}

void CWnd::GetWindowRect(RECT* rect) const {
    ::GetWindowRect(m_hWnd, rect);
}

void CWnd::GetClientRect(RECT* rect) const {
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::SetDlgItemText(int id, const char* text) {
    ::SetDlgItemTextA(m_hWnd, id, text);
}

int CWnd::GetDlgItemText(int id, char* buffer, int size) const {
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    return static_cast<int>(::GetDlgItemTextA(m_hWnd, id, buffer, size));
}

CWnd* CWnd::GetDlgItem(int id) {
    HWND child = ::GetDlgItem(m_hWnd, id);
    if (!child)
        return nullptr;
    if (CWnd* bound = FromHandlePermanent(child))
        return bound;
    for (const auto& wrapper : m_itemWrappers) {
        if (wrapper->m_hWnd == child)
            return wrapper.get();
    }
    m_itemWrappers.push_back(std::make_unique<CWnd>());
    m_itemWrappers.back()->m_hWnd = child;
    return m_itemWrappers.back().get();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::InvalidateRect(const RECT* rect, BOOL erase) {
    return ::InvalidateRect(m_hWnd, rect, erase);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) {
    return ::SetTimer(m_hWnd, id, elapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    return ::KillTimer(m_hWnd, id);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    HWND hWnd = m_hWnd;
    // A wrapper hears nothing of its window's end: forget the handle now.
    if (FromHandlePermanent(hWnd) != this)
        m_hWnd = nullptr;
    return ::DestroyWindow(hWnd);
}
