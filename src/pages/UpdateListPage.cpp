#include "UpdateListPage.h"
#include "PackageLayout.h"
#include "PageStyle.h"
#include "framework/DataExchange.h"
#include <commctrl.h>

CUpdateListPage::CUpdateListPage(CWnd* owner)
    : CDialog(IDD, owner), m_backColour(::GetSysColor(COLOR_BTNFACE)),
      m_textColour(::GetSysColor(COLOR_BTNTEXT)), m_owner(owner) {}

CUpdateListPage::~CUpdateListPage() = default;

void CUpdateListPage::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_UPDATE_TREE, m_tree);
}

BOOL CUpdateListPage::OnInitDialog() {
    CDialog::OnInitDialog();
    FillPlaceholder(*this, IDC_TITLE, kProductVersionCode);
    MakeTitleFont(*this, 2, "arial", m_titleFont, {IDC_NEWEST_STAMP, IDC_INSTALLED_STAMP});
    m_tree.SetBkColor(m_backColour);
    m_tree.SetTextColor(m_textColour);
    return TRUE;
}

BOOL CUpdateListPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->code == NM_CUSTOMDRAW) {
        auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(lParam);
        switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            *result = CDRF_NOTIFYITEMDRAW;
            return TRUE;
        case CDDS_ITEMPREPAINT:
            draw->clrText = m_textColour;
            draw->clrTextBk = m_backColour;
            *result = CDRF_NEWFONT;
            return TRUE;
        default:
            break;
        }
    }
    return CWnd::OnNotify(wParam, lParam, result);
}

void CUpdateListPage::OnCancel() {
    if (m_owner && m_owner->m_hWnd)
        m_owner->SendMessage(WM_CLOSE);
}
