#include "pages/HeaderPage.h"
#include "pages/PageStyle.h"
#include "framework/DataExchange.h"

CHeaderPage::CHeaderPage(CWnd* parent) : CWhitePage(IDD, parent) {}

CHeaderPage::~CHeaderPage() = default;

void CHeaderPage::DoDataExchange(CDataExchange* dx) {
    CWhitePage::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOGO_PANEL, m_logoPanel);
}

BOOL CHeaderPage::OnInitDialog() {
    CWhitePage::OnInitDialog();
    MakeTitleFont(*this, 2, "Arial", m_titleFont, {IDC_HEADER_TITLE});
    m_logoPanel.SetBitmap(IDB_LOGO);
    return TRUE;
}
