#include "ProcessWindows.h"

namespace e2e {
namespace {

struct DialogSearch {
    DWORD processId;
    std::vector<RemoteWindow>* found;
    bool anyClass;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(context);
    const RemoteWindow candidate(window);
    if (candidate.ProcessId() == search->processId &&
        (search->anyClass || candidate.ClassName() == "#32770"))
        search->found->push_back(candidate);
    return TRUE;
}

} // namespace

std::vector<RemoteWindow> ProcessWindows::Dialogs() const {
    std::vector<RemoteWindow> found;
    DialogSearch search{m_processId, &found, false};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return found;
}

std::vector<RemoteWindow> ProcessWindows::All() const {
    std::vector<RemoteWindow> found;
    DialogSearch search{m_processId, &found, true};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return found;
}

RemoteWindow ProcessWindows::Dialog(const std::string& caption, int markerId) const {
    for (const RemoteWindow& dialog : Dialogs()) {
        if (GetDlgItem(dialog.Handle(), markerId) && dialog.Text() == caption)
            return dialog;
    }
    return {};
}

RemoteWindow ProcessWindows::MessageBox() const {
    for (const RemoteWindow& dialog : Dialogs()) {
        if (dialog.Visible() && GetDlgItem(dialog.Handle(), kMessageBoxTextId))
            return dialog;
    }
    return {};
}

} // namespace e2e
