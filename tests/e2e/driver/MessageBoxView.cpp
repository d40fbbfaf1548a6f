#include "MessageBoxView.h"

#include "ProcessWindows.h"

namespace e2e {

std::string MessageBoxView::Text() const {
    return m_box.Child(kMessageBoxTextId).Text();
}

std::vector<int> MessageBoxView::Buttons() const {
    std::vector<int> shown;
    for (int id = IDOK; id <= IDNO; ++id) {
        // Unused buttons of the box template are destroyed or left hidden.
        const RemoteWindow button(GetDlgItem(m_box.Handle(), id));
        if (button && button.HasVisibleStyle())
            shown.push_back(id);
    }
    return shown;
}

bool MessageBoxView::Answer(int id) const {
    const RemoteWindow button(GetDlgItem(m_box.Handle(), id));
    if (!button || !button.HasVisibleStyle())
        return false;
    return m_box.PostCommand(id);
}

} // namespace e2e
