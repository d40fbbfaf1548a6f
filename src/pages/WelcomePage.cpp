#include "pages/WelcomePage.h"
#include "data/PackageLayout.h"
#include "pages/PageStyle.h"

CWelcomePage::CWelcomePage(CWnd* parent) : CWhitePage(IDD, parent) {}

CWelcomePage::~CWelcomePage() = default;

void CWelcomePage::DoDataExchange(CDataExchange* dx) {
    CWhitePage::DoDataExchange(dx);
    ExchangeSidePanels(dx, m_logoPanel, m_leftPanel);
}

BOOL CWelcomePage::OnInitDialog() {
    CWhitePage::OnInitDialog();
    MakeTitleFont(*this, 5, nullptr, m_titleFont, {IDC_TITLE});
    FillPlaceholder(*this, IDC_TITLE, kProductVersionCode);
    m_leftPanel.SetBitmap(IDB_LEFT_PANEL);
    m_logoPanel.SetBitmap(IDB_LOGO);
    return TRUE;
}
