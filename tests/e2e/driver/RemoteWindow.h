#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// A window of the program under test, seen from outside. Every query is a
// bounded cross-process message or a look at the window's state, so a hung
// program makes a query fail instead of hanging the test.
class RemoteWindow {
public:
    RemoteWindow() = default;
    explicit RemoteWindow(HWND window) : m_window(window) {}

    HWND Handle() const { return m_window; }
    explicit operator bool() const { return m_window && IsWindow(m_window); }

    std::string Text() const;
    std::string ClassName() const;
    int Id() const;
    DWORD ProcessId() const;
    DWORD ThreadId() const;
    // Shown on screen: its own style and that of every parent.
    bool Visible() const;
    // Its own style only; a message box's buttons carry it before the box shows.
    bool HasVisibleStyle() const;
    bool Enabled() const;

    // First descendant with this control id; pages are child dialogs, so the
    // search goes through them.
    RemoteWindow Child(int id) const;
    // The direct child dialog (page) that holds a control with this id.
    RemoteWindow PageWith(int id) const;
    // Control id of a page, found in the page that also holds markerId.
    RemoteWindow PageControl(int markerId, int id) const;

    bool Post(UINT message, WPARAM wParam, LPARAM lParam) const;
    // A user's click: posted, because a sent click would block the driver
    // for as long as the handler's message box stays open.
    bool Click() const;
    // A command as a button of this dialog would send it, posted.
    bool PostCommand(int id) const;
    // The window's close box.
    bool Close() const;

private:
    HWND m_window = nullptr;
};

} // namespace e2e
