#include "pages/ProgressPage.h"
#include "framework/DataExchange.h"

CProgressPage::CProgressPage(CWnd* parent) : CDialog(IDD, parent) {}

CProgressPage::~CProgressPage() = default;

void CProgressPage::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_COPY_STATUS, m_statusText);
    DDX_Control(dx, IDC_COPY_PROGRESS, m_progressBar);
}
