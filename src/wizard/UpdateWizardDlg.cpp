#include "wizard/UpdateWizardDlg.h"
#include "pages/FinishPage.h"
#include "pages/HeaderPage.h"
#include "data/InstallationRegistry.h"
#include "wizard/InstallationRun.h"
#include "data/ProgramFolder.h"
#include "data/PackageFiles.h"
#include "data/PackageLayout.h"
#include "pages/ProgressPage.h"
#include "data/StampFile.h"
#include "pages/UpdateListPage.h"
#include "wizard/UpdateTreeFiller.h"
#include "pages/WelcomePage.h"
#include "fileops/FolderSize.h"
#include "fileops/MessagePump.h"
#include "fileops/TreeCopier.h"
#include "wizard/WindowCopyReport.h"
#include "framework/DataExchange.h"
#include "framework/PaintDC.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

const char kCaptionFormat[] = "Aggiornamento Tessaro Vers. %s";
const char kCannotStart[] = "Impossibile avviare il programma di aggiornamento.";
const char kNotInstalled[] = "Programma Tessaro non risulta essere installato su questo computer.";
const char kNoUpdateInformation[] = "Nessuna informazione di aggiornamento.";
const char kNothingToInstall[] = "Nessun Aggiornamento da installare.";
// Unattended only, where no box shows it: for whoever reads the code.
const char kOlderPackage[] = "Il pacchetto è più vecchio dell'aggiornamento installato.";
const char kDamagedPackage[] = "Il pacchetto di aggiornamento è danneggiato: %s. Si prega di "
                               "contattare il Vs. Fornitore.";
const char kConfirmCancel[] = "Terminare il programma di aggiornamento?";
const char kNoUpdateInstalled[] = "Nessun aggiornamento effettuato";
const char kStatusLinePrefix[] = "Aggiornamento";
const char kComputingSpace[] = "Calcolo spazio necessario...";
const char kListTitle[] = "Elenco degli Aggiornamenti che verranno installati";
const char kInstallingTitle[] = "Installazione Aggiornamenti in corso";
const char kNextText[] = "Avanti>";
const char kInstallText[] = "Installa";
const char kFinishText[] = "Fine";
const char kNotEnoughSpace[] = "Spazio su disco insufficiente per l'aggiornamento: servono %" PRId64
                               " MB, disponibili %" PRId64 " MB.";
const char kCannotPrepare[] = "Impossibile preparare l'aggiornamento: nessun file è stato "
                              "modificato.";

const char kRecovered[] = "Un aggiornamento precedente non è stato completato: tutte le "
                          "modifiche sono state annullate.";
const char kNotAllRecovered[] =
    "Un aggiornamento precedente non è stato completato e alcuni file non sono stati "
    "ripristinati perché in uso: chiudere i programmi che usano Tessaro e avviare di nuovo il "
    "programma di aggiornamento.";
const char kRecoveryRefused[] =
    "Un aggiornamento precedente non è stato completato, ma i dati per annullarlo non "
    "appartengono a questa installazione o sono danneggiati: nessun file è stato modificato. "
    "Si prega di contattare il Vs. Fornitore.";

// Why an earlier update that was interrupted stops this one.
const char* InterruptedText(RecoveryResult recovery) {
    if (recovery == RecoveryResult::Busy)
        return CUpdateWizardDlg::kAlreadyRunning;
    return recovery == RecoveryResult::Refused ? kRecoveryRefused : kNotAllRecovered;
}

// Copies text into a buffer of `size` bytes, cut to fit.
void CopyText(char* buffer, std::size_t size, const char* text) {
    std::snprintf(buffer, size, "%s", text);
}

} // namespace

CUpdateWizardDlg::CUpdateWizardDlg(CWnd* parent) : CDialog(IDD_WIZARD, parent) {
    std::snprintf(m_caption, sizeof m_caption, kCaptionFormat, kProductVersionCode);
    m_icon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_PROGRAM));
}

CUpdateWizardDlg::~CUpdateWizardDlg() {
    ClosePage(m_welcomePage);
    ClosePage(m_headerPage);
    ClosePage(m_listPage);
    ClosePage(m_progressPage);
    ClosePage(m_finishPage);
}

template <class Page> void CUpdateWizardDlg::ClosePage(std::unique_ptr<Page>& page) {
    if (page)
        page->DestroyWindow();
    page.reset();
}

const MessageMap* CUpdateWizardDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCommand<&CUpdateWizardDlg::OnNext>(IDC_NEXT),
        MapCommand<&CUpdateWizardDlg::OnBack>(IDC_BACK),
        MapTimer<&CUpdateWizardDlg::OnTimer>(),
        MapPaint<&CUpdateWizardDlg::OnPaint>(),
        MapQueryDragIcon<&CUpdateWizardDlg::OnQueryDragIcon>(),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

void CUpdateWizardDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDCANCEL, m_cancelButton);
    DDX_Control(dx, IDC_BACK, m_backButton);
    DDX_Control(dx, IDC_NEXT, m_nextButton);
}

BOOL CUpdateWizardDlg::OnInitDialog() {
    SetWindowText(m_caption);
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));

    if (!CreatePages()) {
        FailToStart();
        return TRUE;
    }
    m_state = StateWelcome;
    ShowWelcome();

    LoadInstallationAndPackage();
    return TRUE;
}

BOOL CUpdateWizardDlg::CreatePage(CDialog& page, UINT templateId) {
    return page.Create(templateId, this);
}

template <class Page> bool CUpdateWizardDlg::MakePage(std::unique_ptr<Page>& page, int y) {
    page.reset(new (std::nothrow) Page(this));
    if (!page || !CreatePage(*page, Page::IDD))
        return false;
    // The pages' templates are hidden: placing them leaves them so.
    page->SetWindowPos(nullptr, 0, y, 0, 0, SWP_NOSIZE);
    return true;
}

bool CUpdateWizardDlg::CreatePages() {
    if (!MakePage(m_welcomePage, 0) || !MakePage(m_headerPage, 0))
        return false;
    RECT band;
    m_headerPage->GetWindowRect(&band);
    const int bandHeight = band.bottom - band.top + 1;
    if (!MakePage(m_listPage, bandHeight) || !MakePage(m_progressPage, bandHeight))
        return false;
    return true;
}

void CUpdateWizardDlg::FailToStart() {
    Fail(kCannotStart, StartupResult::CannotStart);
}

void CUpdateWizardDlg::Fail(const char* text, StartupResult why) {
    m_startup = why;
    // Unattended, the exit code and the log say it: a box would wait for ever.
    if (!Unattended())
        MessageBox(text, m_caption, MB_ICONERROR);
    EndDialog(0);
}

bool CUpdateWizardDlg::Unattended() const {
    return m_questions != nullptr && m_questions->IsAutomatic();
}

void CUpdateWizardDlg::StartUnattended() {
    if (CheckUnattendedStamps(m_facts) != StartupResult::Ready) {
        Fail(kOlderPackage, StartupResult::OlderPackage);
        return;
    }
    // Nobody reads the welcome: the window shows the progress screen from
    // the start, and the run begins once it is on screen.
    if (m_welcomePage && m_headerPage && m_progressPage) {
        m_welcomePage->ShowWindow(SW_HIDE);
        m_headerPage->SetDlgItemText(IDC_HEADER_TITLE, kInstallingTitle);
        m_headerPage->ShowWindow(SW_SHOW);
        m_progressPage->ShowWindow(SW_SHOW);
        m_nextButton.ShowWindow(SW_HIDE);
    }
    SetTimer(UnattendedTimerId, 0);
}

const char* CUpdateWizardDlg::PackagePath(const char* relative) {
    return m_programFolder ? m_programFolder->ProgramRelativePath(relative)
                           : CProgramFolder::kUnusablePath;
}

void CUpdateWizardDlg::LoadInstallationAndPackage() {
    const StartupResult found = FindInstallation(m_facts);
    if (found == StartupResult::Interrupted) {
        Fail(InterruptedText(m_facts.recovery), StartupResult::Interrupted);
        return;
    }
    if (found != StartupResult::Ready) {
        Fail(kNotInstalled, StartupResult::NotInstalled);
        return;
    }
    // Undone before the list shows: the user must know the last update is not there.
    if (m_facts.recovery == RecoveryResult::RolledBack && !Unattended())
        MessageBox(kRecovered, m_caption, MB_ICONINFORMATION);

    // Nothing of the package is trusted before it is known to be the vendor's.
    PackageFilePaths files;
    files.checksumFile = PackagePath(kChecksumFileRelative);
    files.listFile = PackagePath(kListFileRelative);
    files.sizeFile = PackagePath(kSizeFileRelative);
    if (VerifyPackage(m_facts, files) != StartupResult::Ready) {
        char text[512];
        std::snprintf(text, sizeof text, kDamagedPackage, m_facts.verification.damagedName.c_str());
        Fail(text, StartupResult::DamagedPackage);
        return;
    }

    // One reader and one line buffer serve the files in turn.
    CTextLineReader reader;
    char line[kLineBufferSize];
    // The list goes straight into the tree, in two reads the user can leave.
    m_facts.newest = VersionStamp{};
    if (!reader.Open(PackagePath(kListFileRelative))) {
        Fail(kNoUpdateInformation, StartupResult::NoList);
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
        CopyText(line, sizeof line, kNoUpdateInstalled);
    m_listPage->SetDlgItemText(IDC_INSTALLED_STAMP, line);

    const std::size_t prefix = std::strlen(kStatusLinePrefix);
    std::memcpy(line, kStatusLinePrefix, prefix);
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
        if (m_state == StateWelcome)
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
    SetDlgItemText(IDC_STATUS_LINE, kComputingSpace);
    ShowItem(IDC_STATUS_LINE, true);

    m_busy = 1;
    m_nextButton.ShowWindow(SW_HIDE);
    m_cancelButton.ShowWindow(SW_HIDE);
    char folder[260];
    CopyText(folder, sizeof folder, PackagePath(kInstallTreeRelative));
    AddFolderSize(folder);
    m_nextButton.ShowWindow(SW_SHOW);
    m_cancelButton.ShowWindow(SW_SHOW);
    GiveFocus(m_nextButton);
    m_busy = 0;
    m_sizePending = false;
    SetDlgItemText(IDC_STATUS_LINE, saved);

    if (CheckPackageSize(m_facts) != StartupResult::Ready)
        Fail(kNothingToInstall, StartupResult::NothingToInstall);
    else if (Unattended())
        StartUnattended();
}

void CUpdateWizardDlg::AddFolderSize(const char* folder) {
    ComputePackageSize(m_facts, folder);
}

// A button that hides keeps the focus, or leaves the window without one (then
// no key works at all): the focus goes to the button the user presses next.
void CUpdateWizardDlg::GiveFocus(CButton& button) {
    // Not while a message box of ours is up: the focus is its own then.
    if (::IsWindowEnabled(m_hWnd))
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button.m_hWnd), TRUE);
}

void CUpdateWizardDlg::ShowItem(int id, bool show) {
    if (CWnd* item = GetDlgItem(id))
        item->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CUpdateWizardDlg::ShowWelcome() {
    m_state = StateWelcome;
    if (::GetFocus() == m_backButton.m_hWnd)
        GiveFocus(m_nextButton);
    m_backButton.ShowWindow(SW_HIDE);
    m_nextButton.SetWindowText(kNextText);
    if (m_welcomePage)
        m_welcomePage->ShowWindow(SW_SHOW);
    if (m_headerPage)
        m_headerPage->ShowWindow(SW_HIDE);
    if (m_listPage)
        m_listPage->ShowWindow(SW_HIDE);
    ShowItem(IDC_STATUS_LINE, true);
}

void CUpdateWizardDlg::ShowList() {
    m_state = StateList;
    m_backButton.ShowWindow(SW_SHOW);
    if (m_welcomePage)
        m_welcomePage->ShowWindow(SW_HIDE);
    if (m_headerPage) {
        m_headerPage->SetDlgItemText(IDC_HEADER_TITLE, kListTitle);
        m_headerPage->ShowWindow(SW_SHOW);
    }
    if (m_listPage)
        m_listPage->ShowWindow(SW_SHOW);
    m_nextButton.SetWindowText(kInstallText);
    ShowItem(IDC_STATUS_LINE, false);
}

void CUpdateWizardDlg::ShowPageForState() {
    if (m_state == StateWelcome)
        ShowWelcome();
    else if (m_state == StateList)
        ShowList();
}

void CUpdateWizardDlg::OnNext() {
    // Enter reaches the default button even while it is hidden: during the
    // long work, before the package size is known, and on the result screen.
    // Unattended, the run starts by itself; a key must not lead elsewhere.
    if (m_busy || m_sizePending || m_listPending || m_state >= StateResult || Unattended())
        return;
    if (m_state < StateList) {
        ++m_state;
        ShowPageForState();
    } else {
        RunInstallation();
    }
}

void CUpdateWizardDlg::OnBack() {
    // The pages of the first two screens are gone once the run has begun.
    if (m_busy || m_state >= StateResult)
        return;
    if (m_state != StateNone) {
        --m_state;
        ShowPageForState();
    }
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
    if (m_state <= StateList &&
        MessageBox(kConfirmCancel, m_caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    CDialog::OnCancel();
}

void CUpdateWizardDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc.m_hDC, x, y, m_icon);
}

HCURSOR CUpdateWizardDlg::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(m_icon);
}

int CUpdateWizardDlg::CopyPackageTree(CTreeCopier& copier, const char* source,
                                      const char* destination) {
    return copier.CopyTree(source, destination);
}

void CUpdateWizardDlg::RunInstallation() {
    if (!m_headerPage || !m_progressPage)
        return;
    InstallationTarget target;
    target.packageTree = PackagePath(kInstallTreeRelative);
    target.installFolder = m_facts.installFolder;
    target.stampFilePath = m_facts.stampFilePath;
    target.newest = m_facts.newest;
    target.packageTotal = m_facts.totalSize;
    target.checksums = m_facts.verification.sums;
    CInstallationRun run(target);
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

    m_busy = 1;
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

    m_headerPage->SetDlgItemText(IDC_HEADER_TITLE, kInstallingTitle);
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
        const int copied =
            CopyPackageTree(copier, target.packageTree.c_str(), target.installFolder.c_str());
        m_outcome = run.Finish(copied, copier.LeftIncomplete(), m_questions ? m_questions : &person,
                               &reports);
    }
    const int errors = EndedWithErrors(m_outcome) ? 1 : 0;

    const bool finishShown = ShowFinishPage(errors);

    ClosePage(m_headerPage);
    ClosePage(m_progressPage);

    m_cancelButton.SetWindowText(kFinishText);
    m_cancelButton.EnableWindow(TRUE);
    m_busy = 0;
    m_state = StateResult;

    if (!finishShown)
        FailToStart();
    else if (Unattended())
        EndDialog(IDCANCEL);
}

bool CUpdateWizardDlg::CanStart(CInstallationRun& run) {
    char text[256];
    int64_t needed = 0;
    int64_t available = 0;
    if (!run.HasFreeSpace(needed, available)) {
        const int64_t mebibyte = 1048576;
        std::snprintf(text, sizeof text, kNotEnoughSpace, (needed + mebibyte - 1) / mebibyte,
                      available / mebibyte);
    } else if (!run.Begin()) {
        CopyText(text, sizeof text, kCannotPrepare);
    } else {
        m_startProblem.clear();
        return true;
    }
    // Nothing has changed: the list screen stays, so that the user can make
    // room and press "Installa" again.
    m_startProblem = text;
    if (!m_questions)
        MessageBox(text, m_caption, MB_ICONERROR);
    return false;
}

bool CUpdateWizardDlg::ShowFinishPage(int errors) {
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
