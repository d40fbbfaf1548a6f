#include "HeaderPage.h"
#include "PageStyle.h"
#include "framework/DataExchange.h"

CHeaderPage::CHeaderPage(CWnd* parent) : CDialog(IDD, parent) {}

CHeaderPage::~CHeaderPage() = default;

const MessageMap* CHeaderPage::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCtlColor<&CHeaderPage::OnCtlColor>(),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

void CHeaderPage::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOGO_PANEL, m_logoPanel);
}

BOOL CHeaderPage::OnInitDialog() {
    CDialog::OnInitDialog();
    MakeTitleFont(*this, 2, "Arial", m_titleFont, {IDC_HEADER_TITLE});
    m_logoPanel.SetBitmap(IDB_LOGO);
    return TRUE;
}

HBRUSH CHeaderPage::OnCtlColor(HDC dc, HWND, UINT) {
    return WhitePageBrush(dc);
}
