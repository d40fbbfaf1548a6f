#include "WizardPages.h"

#include "WizardControls.h"

namespace e2e {

RemoteWindow FinishPageOf(const RemoteWindow& wizard) {
    if (!wizard)
        return {};
    for (HWND page = GetWindow(wizard.Handle(), GW_CHILD); page;
         page = GetWindow(page, GW_HWNDNEXT)) {
        if (RemoteWindow(page).ClassName() == "#32770" && GetDlgItem(page, ui::kLeftPanel) &&
            !GetDlgItem(page, ui::kWelcomeMarker))
            return RemoteWindow(page);
    }
    return {};
}

bool ClickWhenReady(const RemoteWindow& wizard, int id, DWORD boundMs) {
    const RemoteWindow button = wizard.Child(id);
    return WaitFor([&] { return button.Visible() && button.Enabled(); }, boundMs) && button.Click();
}

} // namespace e2e
