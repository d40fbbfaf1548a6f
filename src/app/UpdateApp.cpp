#include "UpdateApp.h"
#include "UpdateWizardDlg.h"

// The one application object: the program entry runs its InitInstance.
static CUpdateApp theApp;

CUpdateApp::CUpdateApp() = default;

CUpdateApp::~CUpdateApp() = default;

BOOL CUpdateApp::InitInstance() {
    Enable3dControls();
    RecordProgramFolder();

    CUpdateWizardDlg wizard;
    m_pMainWnd = &wizard;
    wizard.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

bool CUpdateApp::RecordProgramFolder() {
    return m_programFolder.RecordProgramFolder();
}

bool CUpdateApp::RecordProgramFolder(const char* modulePath) {
    return m_programFolder.RecordProgramFolder(modulePath);
}

const char* CUpdateApp::ProgramRelativePath(const char* relative) {
    return m_programFolder.ProgramRelativePath(relative);
}

CUpdateApp* GetUpdateApp() {
    return dynamic_cast<CUpdateApp*>(AfxGetApp());
}
