#include "pages/UpdateListPage.h"
#include "data/PackageLayout.h"
#include "pages/PageStyle.h"
#include "framework/DataExchange.h"
#include <commctrl.h>

LRESULT CUpdateTree::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && GetCount() > ItemsFreedWithWindow)
        return 0;
    return CTreeCtrl::WindowProc(message, wParam, lParam);
}

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

const MessageMap* CUpdateListPage::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapNotify<&CUpdateListPage::OnTreeCustomDraw>(IDC_UPDATE_TREE, NM_CUSTOMDRAW),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

// Every item in the page's own colours, whatever the system's tree would use.
LRESULT CUpdateListPage::OnTreeCustomDraw(NMHDR* header) {
    auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw->clrText = m_textColour;
        draw->clrTextBk = m_backColour;
        return CDRF_NEWFONT;
    default:
        return CDRF_DODEFAULT;
    }
}

void CUpdateListPage::OnCancel() {
    if (m_owner && m_owner->m_hWnd)
        m_owner->SendMessage(WM_CLOSE);
}
