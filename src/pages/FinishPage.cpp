#include "pages/FinishPage.h"
#include "data/PackageLayout.h"
#include "pages/PageStyle.h"
#include "texts/Texts.h"
#include <string>

CFinishPage::CFinishPage(CWnd* parent) : CWhitePage(IDD, parent) {}

CFinishPage::~CFinishPage() = default;

void CFinishPage::DoDataExchange(CDataExchange* dx) {
    CWhitePage::DoDataExchange(dx);
    ExchangeSidePanels(dx, m_logoPanel, m_leftPanel);
}

BOOL CFinishPage::OnInitDialog() {
    CWhitePage::OnInitDialog();
    MakeTitleFont(*this, 5, nullptr, m_titleFont, {IDC_TITLE});
    m_leftPanel.SetBitmap(IDB_LEFT_PANEL);
    m_logoPanel.SetBitmap(IDB_LOGO);
    return TRUE;
}

void CFinishPage::SetResult(bool errors, Undone undone) {
    // The title holds its placeholder only once: a second outcome would be
    // appended to the first.
    if (!m_hWnd || m_resultShown)
        return;
    m_resultShown = true;
    if (errors) {
        FillPlaceholder(*this, IDC_TITLE, kProductVersionCode, texts::kEndedWithErrors);
        std::string text;
        if (undone == Undone::Everything)
            text = texts::kAllUndone;
        else if (undone == Undone::NotEverything)
            text = texts::kNotAllUndone;
        text += texts::kErrorAdvice;
        SetDlgItemText(IDC_TEXT2, text.c_str());
    } else {
        FillPlaceholder(*this, IDC_TITLE, kProductVersionCode, texts::kEndedWell);
    }
}
