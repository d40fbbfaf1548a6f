// The wizard window itself: its making and unmaking, its pages, its message
// map, how it fails to start, and its icon. What it loads at start is in
// UpdateWizardLoad.cpp, the moves between its screens in UpdateWizardFlow.cpp
// and the installation step in UpdateWizardInstall.cpp.
#include "wizard/UpdateWizardDlg.h"
#include "pages/FinishPage.h"
#include "pages/HeaderPage.h"
#include "pages/ProgressPage.h"
#include "pages/UpdateListPage.h"
#include "pages/WelcomePage.h"
#include "data/ProgramFolder.h"
#include "fileops/CopyQuestions.h"
#include "framework/DataExchange.h"
#include "framework/PaintDC.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "texts/Texts.h"
#include <new>

CUpdateWizardDlg::CUpdateWizardDlg(CWnd* parent) : CDialog(IDD_WIZARD, parent) {
    texts::FormatCaption(m_caption, sizeof m_caption);
    m_icon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_PROGRAM));
}

CUpdateWizardDlg::~CUpdateWizardDlg() {
    ClosePage(m_welcomePage);
    ClosePage(m_headerPage);
    ClosePage(m_listPage);
    ClosePage(m_progressPage);
    ClosePage(m_finishPage);
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
    m_state = WizardState::Welcome;
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
    Fail(StartupResult::CannotStart);
}

void CUpdateWizardDlg::Fail(StartupResult why) {
    m_startup = why;
    // Unattended, the exit code and the log say it: a box would wait for ever.
    if (!Unattended())
        MessageBox(StartupRefusalMessage(why, m_facts).c_str(), m_caption, MB_ICONERROR);
    EndDialog(0);
}

bool CUpdateWizardDlg::Unattended() const {
    return m_questions != nullptr && m_questions->IsAutomatic();
}

const char* CUpdateWizardDlg::PackagePath(const char* relative) {
    return m_programFolder ? m_programFolder->ProgramRelativePath(relative)
                           : CProgramFolder::kUnusablePath;
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
