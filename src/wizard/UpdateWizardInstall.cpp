// The wizard's installation step: "Installa" swaps the list for the progress
// screen, runs the installation with the screen and the log told, and ends
// on the result screen.
#include "wizard/UpdateWizardDlg.h"
#include "pages/FinishPage.h"
#include "pages/HeaderPage.h"
#include "pages/ProgressPage.h"
#include "pages/UpdateListPage.h"
#include "pages/WelcomePage.h"
#include "data/PackageLayout.h"
#include "fileops/CopyQuestions.h"
#include "fileops/TreeCopier.h"
#include "res/resource.h"
#include "texts/Texts.h"
#include "wizard/WindowCopyReport.h"
#include <new>

bool CUpdateWizardDlg::CopyPackageTree(CTreeCopier& copier, const char* source,
                                       const char* destination) {
    return copier.CopyTree(source, destination) != 0;
}

void CUpdateWizardDlg::RunInstallation() {
    if (!m_headerPage || !m_progressPage)
        return;
    CInstallationRun run(TargetFor(m_facts, PackagePath(kInstallTreeRelative)));
    const InstallationTarget& target = run.Target();
    m_outcome = InstallOutcome::NotStarted;
    if (!CanStart(run)) {
        // Unattended, nobody can make room and try again: the run has
        // failed before it changed anything (StartProblem says why).
        if (Unattended()) {
            m_installStarted = true;
            EndDialog(IDCANCEL);
        }
        return;
    }

    m_busy = true;
    m_installStarted = true;
    m_backButton.ShowWindow(SW_HIDE);
    m_nextButton.ShowWindow(SW_HIDE);
    // Unattended, Cancel stays: it is the only way to stop the run.
    m_cancelButton.EnableWindow(Unattended() ? TRUE : FALSE);
    ShowItem(IDC_STATUS_LINE, true);

    CProgressCtrl& progressBar = m_progressPage->m_progressBar;
    CStatic& statusText = m_progressPage->m_statusText;
    // The template's placeholder would show until the first file is named,
    // and for good when the package tree cannot be listed.
    statusText.SetWindowText("");
    progressBar.SetRange32(0, CWindowCopyReport::RangeFor(m_facts.totalSize));
    progressBar.SetPos(0);

    m_headerPage->SetDlgItemText(IDC_HEADER_TITLE, texts::kInstallingTitle);
    m_progressPage->ShowWindow(SW_SHOW);

    ClosePage(m_listPage);
    ClosePage(m_welcomePage);

    {
        CPromptQuestions person(m_hWnd);
        CWindowCopyReport screen(&progressBar, &statusText);
        screen.SetPackageTotal(m_facts.totalSize);
        CCopyReports reports;
        reports.Add(&screen);
        reports.Add(m_extraReport);
        CTreeCopier copier(run.Transaction(), m_questions ? *m_questions : person, reports);
        copier.SetStopFlag(&m_stopRequested);
        copier.SetVerifier(run.Verifier());
        const bool copied =
            CopyPackageTree(copier, target.packageTree.c_str(), target.installFolder.c_str());
        m_outcome = run.Finish(copied, copier.LeftIncomplete(), m_questions ? m_questions : &person,
                               &reports);
    }
    const bool errors = EndedWithErrors(m_outcome);

    const bool finishShown = ShowFinishPage(errors);

    ClosePage(m_headerPage);
    ClosePage(m_progressPage);

    m_cancelButton.SetWindowText(texts::kFinishText);
    m_cancelButton.EnableWindow(TRUE);
    m_busy = false;
    m_state = WizardState::Result;

    if (!finishShown)
        FailToStart();
    else if (Unattended())
        EndDialog(IDCANCEL);
}

bool CUpdateWizardDlg::CanStart(CInstallationRun& run) {
    const RunStart start = run.Start();
    m_startProblem = run.StartProblemText(start);
    if (start == RunStart::Started)
        return true;
    // Nothing has changed: the list screen stays, so that the user can make
    // room and press "Installa" again.
    if (!m_questions)
        MessageBox(m_startProblem.c_str(), m_caption, MB_ICONERROR);
    return false;
}

bool CUpdateWizardDlg::ShowFinishPage(bool errors) {
    m_finishPage.reset(new (std::nothrow) CFinishPage(nullptr));
    if (!m_finishPage || !CreatePage(*m_finishPage, IDD_FINISH_PAGE)) {
        m_finishPage.reset();
        return false;
    }
    CFinishPage::Undone undone = CFinishPage::Undone::Nothing;
    if (m_outcome == InstallOutcome::Failed)
        undone = CFinishPage::Undone::Everything;
    else if (m_outcome == InstallOutcome::NotAllRestored)
        undone = CFinishPage::Undone::NotEverything;
    m_finishPage->SetResult(errors, undone);
    m_finishPage->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    return true;
}
