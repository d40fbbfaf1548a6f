// Moving between the wizard's screens: Next, Back and Cancel, and what each
// screen shows.
#include "wizard/UpdateWizardDlg.h"
#include "pages/HeaderPage.h"
#include "pages/UpdateListPage.h"
#include "pages/WelcomePage.h"
#include "res/resource.h"
#include "texts/Texts.h"

void CUpdateWizardDlg::ShowWelcome() {
    m_state = WizardState::Welcome;
    if (::GetFocus() == m_backButton.m_hWnd)
        GiveFocus(m_nextButton);
    m_backButton.ShowWindow(SW_HIDE);
    m_nextButton.SetWindowText(texts::kNextText);
    if (m_welcomePage)
        m_welcomePage->ShowWindow(SW_SHOW);
    if (m_headerPage)
        m_headerPage->ShowWindow(SW_HIDE);
    if (m_listPage)
        m_listPage->ShowWindow(SW_HIDE);
    ShowItem(IDC_STATUS_LINE, true);
}

void CUpdateWizardDlg::ShowList() {
    m_state = WizardState::List;
    m_backButton.ShowWindow(SW_SHOW);
    if (m_welcomePage)
        m_welcomePage->ShowWindow(SW_HIDE);
    if (m_headerPage) {
        m_headerPage->SetDlgItemText(IDC_HEADER_TITLE, texts::kListTitle);
        m_headerPage->ShowWindow(SW_SHOW);
    }
    if (m_listPage)
        m_listPage->ShowWindow(SW_SHOW);
    m_nextButton.SetWindowText(texts::kInstallText);
    ShowItem(IDC_STATUS_LINE, false);
}

void CUpdateWizardDlg::ShowPageForState() {
    if (m_state == WizardState::Welcome)
        ShowWelcome();
    else if (m_state == WizardState::List)
        ShowList();
}

void CUpdateWizardDlg::OnNext() {
    // Enter reaches the default button even while it is hidden: during the
    // long work, before the package size is known, and on the result screen.
    // Unattended, the run starts by itself; a key must not lead elsewhere.
    if (m_busy || m_sizePending || m_listPending || m_state == WizardState::Result || Unattended())
        return;
    if (m_state == WizardState::List) {
        RunInstallation();
        return;
    }
    m_state = m_state == WizardState::Welcome ? WizardState::List : WizardState::Welcome;
    ShowPageForState();
}

void CUpdateWizardDlg::OnBack() {
    // The pages of the first two screens are gone once the run has begun.
    if (m_busy || m_state == WizardState::Result || m_state == WizardState::None)
        return;
    m_state = m_state == WizardState::List ? WizardState::Welcome : WizardState::None;
    ShowPageForState();
}

void CUpdateWizardDlg::OnCancel() {
    if (Unattended()) {
        // No confirmation: the person who presses Cancel here stops an update
        // nobody asked them about. During the copy it is the Abort answer.
        if (m_busy && m_installStarted)
            m_stopRequested = true;
        else if (!m_busy)
            CDialog::OnCancel();
        return;
    }
    if (m_busy)
        return;
    if (m_state != WizardState::Result &&
        MessageBox(texts::kConfirmCancel, m_caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    CDialog::OnCancel();
}
