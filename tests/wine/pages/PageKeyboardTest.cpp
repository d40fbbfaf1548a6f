// Keys pressed inside the list page while the wizard's own modal loop runs:
// Enter must change nothing, Escape must ask the wizard to close.
#include "HeaderPage.h"
#include "PageHost.h"
#include "UpdateListPage.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

enum : UINT {
    kPressEnter = WM_APP,
    kAfterEnter,
    kPressEscape,
    kAfterEscape,
    kCheckEscape,
};
constexpr UINT_PTR kWatchdog = 7;

// The wizard's list screen, as far as keys are concerned: header and list
// pages on a window made from the wizard's template with its default Next.
class ListScreen : public CDialog {
public:
    ListScreen() : CDialog(IDD_WIZARD) {}

    int state = 0;
    int nexts = 0, oks = 0, cancels = 0;
    bool listShownAfterEnter = false, headerShownAfterEnter = false, focusKeptAfterEnter = false;
    int stateAfterEnter = 0, nextsAfterEnter = 0, oksAfterEnter = 0, cancelsAfterEnter = 0;
    bool listShownAfterEscape = false;
    int cancelsAfterEscape = 0, stateAfterEscape = 0;

    const MessageMap* GetMessageMap() const override {
        static const MessageMapEntry entries[] = {
            MapCommand<&ListScreen::OnNext>(IDC_NEXT),
            MapMessage<&ListScreen::OnPressEnter>(kPressEnter),
            MapMessage<&ListScreen::OnAfterEnter>(kAfterEnter),
            MapMessage<&ListScreen::OnPressEscape>(kPressEscape),
            MapMessage<&ListScreen::OnAfterEscape>(kAfterEscape),
            MapMessage<&ListScreen::OnCheckEscape>(kCheckEscape),
            MapTimer<&ListScreen::OnTimer>(),
        };
        static const MessageMap map{CDialog::GetMessageMap(), entries};
        return &map;
    }

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_header = std::make_unique<CHeaderPage>(this);
        m_list = std::make_unique<CUpdateListPage>(this);
        if (!m_header->Create(CHeaderPage::IDD, this) ||
            !m_list->Create(CUpdateListPage::IDD, this)) {
            EndDialog(-1);
            return TRUE;
        }
        RECT band;
        m_header->GetWindowRect(&band);
        m_list->SetWindowPos(nullptr, 0, band.bottom - band.top + 1, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER);
        m_header->SetDlgItemText(IDC_HEADER_TITLE,
                                 "Elenco degli Aggiornamenti che verranno installati");
        m_header->ShowWindow(SW_SHOW);
        m_list->ShowWindow(SW_SHOW);
        HTREEITEM entry = m_list->m_tree.InsertItem("5.0 [04.04.16] del 16/4/2004");
        m_list->m_tree.InsertItem("Correzioni alla stampa", entry);
        SetDlgItemText(IDC_NEXT, "Installa");
        state = 2;
        SetTimer(kWatchdog, 10000);
        PostMessage(kPressEnter);
        return TRUE;
    }

    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }
    void OnNext() { ++nexts; }
    void OnTimer(UINT_PTR) { EndDialog(-2); }

    // Each step posts the next one: messages run in the order they are
    // posted, so a command posted while a key is handled comes first.
    LRESULT OnPressEnter(WPARAM, LPARAM) {
        ::SetFocus(m_list->m_tree.m_hWnd);
        ::PostMessageA(m_list->m_tree.m_hWnd, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        ::PostMessageA(m_list->m_tree.m_hWnd, WM_KEYUP, VK_RETURN, 0xC01C0001);
        PostMessage(kAfterEnter);
        return 0;
    }
    LRESULT OnAfterEnter(WPARAM, LPARAM) {
        stateAfterEnter = state;
        nextsAfterEnter = nexts;
        oksAfterEnter = oks;
        cancelsAfterEnter = cancels;
        listShownAfterEnter = ::IsWindowVisible(m_list->m_hWnd) != FALSE;
        headerShownAfterEnter = ::IsWindowVisible(m_header->m_hWnd) != FALSE;
        focusKeptAfterEnter = ::GetFocus() == m_list->m_tree.m_hWnd;
        PostMessage(kPressEscape);
        return 0;
    }
    LRESULT OnPressEscape(WPARAM, LPARAM) {
        ::PostMessageA(m_list->m_tree.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageA(m_list->m_tree.m_hWnd, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        PostMessage(kAfterEscape);
        return 0;
    }
    // The dialog manager may post the Cancel command while it handles WM_CLOSE.
    LRESULT OnAfterEscape(WPARAM, LPARAM) {
        PostMessage(kCheckEscape);
        return 0;
    }
    LRESULT OnCheckEscape(WPARAM, LPARAM) {
        cancelsAfterEscape = cancels;
        stateAfterEscape = state;
        listShownAfterEscape = ::IsWindowVisible(m_list->m_hWnd) != FALSE;
        EndDialog(42);
        return 0;
    }

private:
    std::unique_ptr<CHeaderPage> m_header;
    std::unique_ptr<CUpdateListPage> m_list;
};

TEST(PageKeyboardTest, EnterInTheTreeChangesNothingAndEscapeAsksTheWizardToClose) {
    ListScreen screen;
    ASSERT_EQ(42, screen.DoModal()) << "-2: the key steps never finished";

    EXPECT_EQ(0, screen.nextsAfterEnter) << "Enter reached the wizard's Next";
    EXPECT_EQ(0, screen.oksAfterEnter) << "Enter reached the wizard's OK";
    EXPECT_EQ(0, screen.cancelsAfterEnter);
    EXPECT_EQ(2, screen.stateAfterEnter);
    EXPECT_TRUE(screen.listShownAfterEnter);
    EXPECT_TRUE(screen.headerShownAfterEnter);
    EXPECT_TRUE(screen.focusKeptAfterEnter);

    // Escape became WM_CLOSE, which the dialog manager turns into the
    // wizard's Cancel command: its confirmation decides, not the page.
    EXPECT_EQ(1, screen.cancelsAfterEscape);
    EXPECT_EQ(2, screen.stateAfterEscape);
    EXPECT_TRUE(screen.listShownAfterEscape);
    EXPECT_EQ(0, screen.nexts);
    EXPECT_EQ(0, screen.oks);
}

} // namespace
