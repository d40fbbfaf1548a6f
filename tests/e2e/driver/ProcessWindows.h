#pragma once

#include "RemoteWindow.h"

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The top-level dialogs ("#32770") that one process shows.
class ProcessWindows {
public:
    explicit ProcessWindows(DWORD processId) : m_processId(processId) {}

    std::vector<RemoteWindow> Dialogs() const;
    // Every top-level window of the process, of any class, shown or hidden.
    std::vector<RemoteWindow> All() const;
    // The dialog with this caption that holds a control markerId: tells the
    // wizard from the message boxes, which carry the same caption.
    RemoteWindow Dialog(const std::string& caption, int markerId) const;
    // A message box on screen: a dialog with the static text control 0xFFFF.
    RemoteWindow MessageBox() const;

private:
    DWORD m_processId;
};

// The id of the static text that a message box shows its text in.
constexpr int kMessageBoxTextId = 0xFFFF;

} // namespace e2e
