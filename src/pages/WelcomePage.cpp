#include "WelcomePage.h"
#include "PackageLayout.h"
#include "PageStyle.h"

CWelcomePage::CWelcomePage(CWnd* parent) : CDialog(IDD, parent) {}

CWelcomePage::~CWelcomePage() = default;

const MessageMap* CWelcomePage::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCtlColor<&CWelcomePage::OnCtlColor>(),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

void CWelcomePage::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    ExchangeSidePanels(dx, m_logoPanel, m_leftPanel);
}

BOOL CWelcomePage::OnInitDialog() {
    CDialog::OnInitDialog();
    MakeTitleFont(*this, 5, nullptr, m_titleFont, {IDC_TITLE});
    FillPlaceholder(*this, IDC_TITLE, kProductVersionCode);
    m_leftPanel.SetBitmap(IDB_LEFT_PANEL);
    m_logoPanel.SetBitmap(IDB_LOGO);
    return TRUE;
}

HBRUSH CWelcomePage::OnCtlColor(HDC dc, HWND, UINT) {
    return WhitePageBrush(dc);
}
