#include "RemoteWindow.h"

#include <vector>

namespace e2e {
namespace {

constexpr UINT kQueryBoundMs = 3000;

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChildById(HWND window, LPARAM context) {
    ChildSearch* search = reinterpret_cast<ChildSearch*>(context);
    if (GetDlgCtrlID(window) == search->id) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::string RemoteWindow::Text() const {
    if (!m_window)
        return {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(m_window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kQueryBoundMs,
                             &length))
        return {};
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(m_window, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kQueryBoundMs, &copied))
        return {};
    buffer.back() = '\0';
    return std::string(buffer.data());
}

std::string RemoteWindow::ClassName() const {
    char name[64] = "";
    if (m_window)
        GetClassNameA(m_window, name, sizeof name);
    return name;
}

int RemoteWindow::Id() const {
    return m_window ? GetDlgCtrlID(m_window) : 0;
}

DWORD RemoteWindow::ProcessId() const {
    DWORD processId = 0;
    if (m_window)
        GetWindowThreadProcessId(m_window, &processId);
    return processId;
}

DWORD RemoteWindow::ThreadId() const {
    return m_window ? GetWindowThreadProcessId(m_window, nullptr) : 0;
}

bool RemoteWindow::Visible() const {
    return m_window && IsWindowVisible(m_window);
}

bool RemoteWindow::HasVisibleStyle() const {
    return m_window && (GetWindowLongA(m_window, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool RemoteWindow::Enabled() const {
    return m_window && IsWindowEnabled(m_window);
}

RemoteWindow RemoteWindow::Child(int id) const {
    ChildSearch search{id, nullptr};
    if (m_window)
        EnumChildWindows(m_window, FindChildById, reinterpret_cast<LPARAM>(&search));
    return RemoteWindow(search.found);
}

RemoteWindow RemoteWindow::PageWith(int id) const {
    if (!m_window)
        return {};
    for (HWND page = GetWindow(m_window, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
        if (RemoteWindow(page).ClassName() == "#32770" && GetDlgItem(page, id))
            return RemoteWindow(page);
    }
    return {};
}

RemoteWindow RemoteWindow::PageControl(int markerId, int id) const {
    const RemoteWindow page = PageWith(markerId);
    return page ? RemoteWindow(GetDlgItem(page.Handle(), id)) : RemoteWindow();
}

bool RemoteWindow::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_window && PostMessageA(m_window, message, wParam, lParam);
}

bool RemoteWindow::Click() const {
    return Post(BM_CLICK, 0, 0);
}

bool RemoteWindow::PostCommand(int id) const {
    const HWND control = m_window ? GetDlgItem(m_window, id) : nullptr;
    return Post(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

bool RemoteWindow::Close() const {
    return Post(WM_SYSCOMMAND, SC_CLOSE, 0);
}

} // namespace e2e
