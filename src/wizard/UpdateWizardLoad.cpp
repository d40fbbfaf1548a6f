// What the wizard loads at start: the installation and its stamp, the
// package's list into the list page's tree (on screen when it takes long),
// the package size (computed once the window shows when the package gives
// none), and, unattended, the start of the run once all of it is known.
#include "wizard/UpdateWizardDlg.h"
#include "pages/HeaderPage.h"
#include "pages/ProgressPage.h"
#include "pages/UpdateListPage.h"
#include "pages/WelcomePage.h"
#include "data/PackageFiles.h"
#include "data/PackageLayout.h"
#include "data/TextLineReader.h"
#include "wizard/UpdateTreeFiller.h"
#include "fileops/MessagePump.h"
#include "res/resource.h"
#include "texts/Texts.h"
#include <cstdio>
#include <cstring>

namespace {

// Copies text into a buffer of `size` bytes, cut to fit.
void CopyText(char* buffer, std::size_t size, const char* text) {
    std::snprintf(buffer, size, "%s", text);
}

} // namespace

void CUpdateWizardDlg::LoadInstallationAndPackage() {
    const StartupResult found = FindInstallation(m_facts);
    if (found != StartupResult::Ready) {
        Fail(found);
        return;
    }
    if (const char* notice = RecoveryNoticeText(m_facts.recovery)) {
        if (!Unattended())
            MessageBox(notice, m_caption, MB_ICONINFORMATION);
    }

    // Nothing of the package is trusted before it is known to be the vendor's.
    PackageFilePaths files;
    files.checksumFile = PackagePath(kChecksumFileRelative);
    files.listFile = PackagePath(kListFileRelative);
    files.sizeFile = PackagePath(kSizeFileRelative);
    if (VerifyPackage(m_facts, files) != StartupResult::Ready) {
        Fail(StartupResult::DamagedPackage);
        return;
    }

    // One reader and one line buffer serve the files in turn.
    CTextLineReader reader;
    char line[kLineBufferSize];
    // The list goes straight into the tree, in two reads the user can leave.
    m_facts.newest = VersionStamp{};
    if (!reader.Open(PackagePath(kListFileRelative))) {
        Fail(StartupResult::NoList);
        return;
    }
    if (!LoadUpdateList(reader, line, sizeof line))
        return;

    const VersionStamp& newest = m_facts.newest;
    const VersionStamp& installed = m_facts.installed;
    FormatVersionStamp(newest.version, newest.build, line, sizeof line, true, false);
    m_listPage->SetDlgItemText(IDC_NEWEST_STAMP, line);
    if (installed.key != 0)
        FormatVersionStamp(installed.version, installed.build, line, sizeof line, true, false);
    else
        CopyText(line, sizeof line, texts::kNoUpdateInstalled);
    m_listPage->SetDlgItemText(IDC_INSTALLED_STAMP, line);

    const std::size_t prefix = std::strlen(texts::kStatusLinePrefix);
    std::memcpy(line, texts::kStatusLinePrefix, prefix);
    FormatVersionStamp(newest.version, newest.build, line + prefix, sizeof line - prefix, false,
                       true);
    SetDlgItemText(IDC_STATUS_LINE, line);

    if (ReadSizeFile(m_facts, reader, PackagePath(kSizeFileRelative))) {
        if (Unattended())
            StartUnattended();
    } else {
        m_sizePending = true;
        m_nextButton.ShowWindow(SW_HIDE);
        m_cancelButton.ShowWindow(SW_HIDE);
        ShowItem(IDC_STATUS_LINE, false);
        SetTimer(SpaceTimerId, SpaceTimerDelayMs);
    }
}

namespace {

// Fills the tree, and asks the wizard before each line whether to go on.
class CPacedTreeFiller : public CUpdateTreeFiller {
public:
    CPacedTreeFiller(CTreeCtrl& tree, const VersionStamp& installed, CUpdateWizardDlg& wizard,
                     bool (CUpdateWizardDlg::*keepReading)())
        : CUpdateTreeFiller(tree, installed), m_wizard(wizard), m_keepReading(keepReading) {}
    bool KeepReading() override { return (m_wizard.*m_keepReading)(); }

private:
    CUpdateWizardDlg& m_wizard;
    bool (CUpdateWizardDlg::*m_keepReading)();
};

} // namespace

bool CUpdateWizardDlg::LoadUpdateList(CTextLineReader& reader, char* line, std::size_t lineSize) {
    m_listLoadStart = ::GetTickCount64();
    CPacedTreeFiller filler(m_listPage->m_tree, m_facts.installed, *this,
                            &CUpdateWizardDlg::KeepLoadingList);
    m_facts.newest = ReadUpdateList(reader, line, lineSize, filler);
    // A file that cannot be read again just read keeps its details unshown
    // rather than stopping the update.
    if (!IsEnding() && reader.Rewind()) {
        filler.StartDetails();
        ReadUpdateList(reader, line, lineSize, filler);
    }
    filler.Finish();
    if (IsEnding())
        return false;
    if (filler.FirstEntry())
        m_listPage->m_tree.EnsureVisible(filler.FirstEntry());
    if (m_listPending) {
        m_listPending = false;
        m_nextButton.ShowWindow(SW_SHOW);
        GiveFocus(m_nextButton);
    }
    return true;
}

bool CUpdateWizardDlg::KeepLoadingList() {
    if (!m_listPending) {
        if (::GetTickCount64() - m_listLoadStart < m_listQuietLoadMs)
            return true;
        // The user sees the wizard and may leave; Next waits for the whole list.
        m_listPending = true;
        m_nextButton.ShowWindow(SW_HIDE);
        ShowWindow(SW_SHOW);
        GiveFocus(m_cancelButton);
        ::UpdateWindow(m_hWnd);
    }
    PumpPendingMessages();
    if (!IsEnding())
        WhileListLoads();
    return !IsEnding();
}

void CUpdateWizardDlg::OnTimer(UINT_PTR id) {
    if (id == UnattendedTimerId) {
        KillTimer(UnattendedTimerId);
        if (m_state == WizardState::Welcome)
            RunInstallation();
        return;
    }
    if (id != SpaceTimerId) {
        Default();
        return;
    }
    KillTimer(SpaceTimerId);

    char saved[1024];
    GetDlgItemText(IDC_STATUS_LINE, saved, sizeof saved);
    SetDlgItemText(IDC_STATUS_LINE, texts::kComputingSpace);
    ShowItem(IDC_STATUS_LINE, true);

    m_busy = true;
    m_nextButton.ShowWindow(SW_HIDE);
    m_cancelButton.ShowWindow(SW_HIDE);
    char folder[260];
    CopyText(folder, sizeof folder, PackagePath(kInstallTreeRelative));
    AddFolderSize(folder);
    m_nextButton.ShowWindow(SW_SHOW);
    m_cancelButton.ShowWindow(SW_SHOW);
    GiveFocus(m_nextButton);
    m_busy = false;
    m_sizePending = false;
    SetDlgItemText(IDC_STATUS_LINE, saved);

    if (CheckPackageSize(m_facts) != StartupResult::Ready)
        Fail(StartupResult::NothingToInstall);
    else if (Unattended())
        StartUnattended();
}

void CUpdateWizardDlg::AddFolderSize(const char* folder) {
    ComputePackageSize(m_facts, folder);
}

void CUpdateWizardDlg::StartUnattended() {
    if (CheckUnattendedStamps(m_facts) != StartupResult::Ready) {
        Fail(StartupResult::OlderPackage);
        return;
    }
    // Nobody reads the welcome: the window shows the progress screen from
    // the start, and the run begins once it is on screen.
    if (m_welcomePage && m_headerPage && m_progressPage) {
        m_welcomePage->ShowWindow(SW_HIDE);
        m_headerPage->SetDlgItemText(IDC_HEADER_TITLE, texts::kInstallingTitle);
        m_headerPage->ShowWindow(SW_SHOW);
        m_progressPage->ShowWindow(SW_SHOW);
        m_nextButton.ShowWindow(SW_HIDE);
    }
    SetTimer(UnattendedTimerId, 0);
}
