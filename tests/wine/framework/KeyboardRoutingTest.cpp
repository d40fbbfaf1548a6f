#include "FrameworkTestIds.h"
#include "WineTestSupport.h"
#include "framework/Framework.h"
#include <gtest/gtest.h>

namespace {

class CRoutingPage : public CDialog {
public:
    explicit CRoutingPage(CWnd* parent) : CDialog(IDD_T_PAGE, parent) {}
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_T_TREE, m_tree); }
    void OnOK() override {
        ++ok;
        CDialog::OnOK();
    }
    void OnCancel() override {
        ++cancel;
        CDialog::OnCancel();
    }
    CTreeCtrl m_tree;
    int ok = 0;
    int cancel = 0;
};

// Like the wizard: a default push button that is not IDOK, and a page with
// a focused tree inside.
class COuterDlg : public CDialog {
public:
    explicit COuterDlg(UINT key = 0) : CDialog(IDD_T_MODAL), m_key(key) {}
    const MessageMap* GetMessageMap() const override;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        page.Create(IDD_T_PAGE, this);
        page.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        page.m_tree.InsertItem("entry");
        ::SetFocus(page.m_tree.m_hWnd);
        if (m_key) {
            PostKey(page.m_tree.m_hWnd, m_key);
            PostMessage(WM_APP);
        }
        return FALSE;
    }
    void OnOK() override { ++ok; }
    void OnCancel() override { ++cancel; }
    void OnNext() { ++next; }
    LRESULT OnApp(WPARAM, LPARAM) {
        pageAlive = ::IsWindow(page.m_hWnd) && ::IsWindowVisible(page.m_hWnd);
        EndDialog(IDOK);
        return 0;
    }

    static void PostKey(HWND target, UINT key) {
        ::PostMessageA(target, WM_KEYDOWN, key, 1);
        ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    }

    CRoutingPage page{this};
    int ok = 0;
    int cancel = 0;
    int next = 0;
    bool pageAlive = false;

private:
    UINT m_key;
};

const MessageMap* COuterDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCommand<&COuterDlg::OnNext>(IDC_T_NEXT),
        MapMessage<&COuterDlg::OnApp>(WM_APP),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

struct KeyRow {
    const char* name;
    UINT key;
    int pageOk;
    int pageCancel;
};
const KeyRow kKeyRows[] = {
    {"Enter", VK_RETURN, 1, 0},
    {"Escape", VK_ESCAPE, 0, 1},
};

TEST(KeyboardRouting, ModalLoopGivesKeysInAPageToThePageFirst) {
    for (const KeyRow& row : kKeyRows) {
        COuterDlg outer(row.key);
        ASSERT_EQ(outer.DoModal(), IDOK) << row.name;
        EXPECT_EQ(outer.page.ok, row.pageOk) << row.name;
        EXPECT_EQ(outer.page.cancel, row.pageCancel) << row.name;
        EXPECT_EQ(outer.next, 0) << row.name << ": the outer default button";
        EXPECT_EQ(outer.ok + outer.cancel, 0) << row.name;
        EXPECT_TRUE(outer.pageAlive) << row.name;
    }
}

TEST(KeyboardRouting, PumpMessageGivesKeysInAPageToThePageFirst) {
    for (const KeyRow& row : kKeyRows) {
        COuterDlg outer;
        ASSERT_TRUE(outer.Create(IDD_T_MODAL, nullptr)) << row.name;
        outer.ShowWindow(SW_SHOW);
        FlushEvents();
        COuterDlg::PostKey(outer.page.m_tree.m_hWnd, row.key);
        MSG msg;
        for (int i = 0; i < 100 && ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); ++i)
            AfxGetThread()->PumpMessage();
        EXPECT_EQ(outer.page.ok, row.pageOk) << row.name;
        EXPECT_EQ(outer.page.cancel, row.pageCancel) << row.name;
        EXPECT_EQ(outer.next, 0) << row.name;
        EXPECT_EQ(outer.ok + outer.cancel, 0) << row.name;
        EXPECT_TRUE(::IsWindowVisible(outer.page.m_hWnd)) << row.name;
    }
}

// What a loop that asks only the top-level dialog does: Enter in the page's
// tree presses the outer default button. The tests above would catch it.
TEST(KeyboardRouting, OuterDialogAloneWouldTakeEnterAsItsDefaultButton) {
    COuterDlg outer;
    ASSERT_TRUE(outer.Create(IDD_T_MODAL, nullptr));
    outer.ShowWindow(SW_SHOW);
    FlushEvents();
    MSG msg{outer.page.m_tree.m_hWnd, WM_KEYDOWN, VK_RETURN, 1, 0, {0, 0}};
    ::IsDialogMessageA(outer.m_hWnd, &msg);
    EXPECT_EQ(outer.next, 1);
    EXPECT_EQ(outer.page.ok, 0);
}

} // namespace
