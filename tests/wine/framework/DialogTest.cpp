#include "FrameworkTestIds.h"
#include "WineTestSupport.h"
#include "framework/Framework.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// A dialog whose reactions each test supplies.
class CProbeDlg : public CDialog {
public:
    CProbeDlg(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}
    const MessageMap* GetMessageMap() const override;

    BOOL OnInitDialog() override {
        events.push_back("init");
        const BOOL result = CDialog::OnInitDialog();
        return onInit ? onInit(*this) : result;
    }
    LRESULT OnApp(WPARAM, LPARAM) {
        if (onApp)
            onApp(*this);
        return 0;
    }
    LRESULT OnApp2(WPARAM, LPARAM) {
        if (onApp2)
            onApp2(*this);
        return 0;
    }
    LRESULT OnSetFont(WPARAM, LPARAM) {
        events.push_back("setfont");
        return Default();
    }
    LRESULT OnShowWindow(WPARAM shown, LPARAM) {
        if (shown)
            events.push_back("shown");
        return Default();
    }

    std::function<BOOL(CProbeDlg&)> onInit;
    std::function<void(CProbeDlg&)> onApp;
    std::function<void(CProbeDlg&)> onApp2;
    std::vector<std::string> events;
};

const MessageMap* CProbeDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapMessage<&CProbeDlg::OnApp>(WM_APP),
        MapMessage<&CProbeDlg::OnApp2>(WM_APP + 1),
        MapMessage<&CProbeDlg::OnSetFont>(WM_SETFONT),
        MapMessage<&CProbeDlg::OnShowWindow>(WM_SHOWWINDOW),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

class CCountingTree : public CTreeCtrl {
public:
    const MessageMap* GetMessageMap() const override;
    LRESULT OnApp(WPARAM, LPARAM) {
        ++apps;
        return Default();
    }
    int apps = 0;
};

const MessageMap* CCountingTree::GetMessageMap() const {
    static const MessageMapEntry entries[] = {MapMessage<&CCountingTree::OnApp>(WM_APP)};
    static const MessageMap map{CTreeCtrl::GetMessageMap(), entries};
    return &map;
}

class CTreePage : public CDialog {
public:
    explicit CTreePage(CWnd* parent) : CDialog(IDD_T_PAGE, parent) {}
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_T_TREE, m_tree); }
    CCountingTree m_tree;
};

INT_PTR RunModal(CProbeDlg& dlg) {
    return dlg.DoModal();
}

TEST(Dialog, ObjectSeesWmSetFontBeforeWmInitDialog) {
    CProbeDlg dlg(IDD_T_MODAL);
    ASSERT_TRUE(dlg.Create(IDD_T_MODAL, nullptr));
    ASSERT_GE(dlg.events.size(), 2u);
    EXPECT_EQ(dlg.events[0], "setfont");
    EXPECT_EQ(dlg.events[1], "init");
}

TEST(Dialog, DataExchangeSubclassesAControlOnce) {
    CProbeDlg host(IDD_T_MODAL);
    ASSERT_TRUE(host.Create(IDD_T_MODAL, nullptr));
    CTreePage page(&host);
    ASSERT_TRUE(page.Create(IDD_T_PAGE, &host));
    HWND tree = ::GetDlgItem(page.m_hWnd, IDC_T_TREE);
    ASSERT_EQ(page.m_tree.m_hWnd, tree);
    EXPECT_EQ(CWnd::FromHandlePermanent(tree), &page.m_tree);
    const LONG_PTR proc = ::GetWindowLongPtrA(tree, GWLP_WNDPROC);

    page.UpdateData(FALSE);
    page.UpdateData(TRUE);
    EXPECT_EQ(::GetWindowLongPtrA(tree, GWLP_WNDPROC), proc);
    ::SendMessageA(tree, WM_APP, 0, 0);
    EXPECT_EQ(page.m_tree.apps, 1) << "one subclassing, one handler call per message";

    // GetDlgItem: the bound object, else one kept wrapper, else nothing.
    EXPECT_EQ(page.GetDlgItem(IDC_T_TREE), &page.m_tree);
    CWnd* label = page.GetDlgItem(IDC_T_LABEL);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->m_hWnd, ::GetDlgItem(page.m_hWnd, IDC_T_LABEL));
    EXPECT_EQ(page.GetDlgItem(IDC_T_LABEL), label);
    EXPECT_EQ(page.GetDlgItem(4242), nullptr);
}

TEST(Dialog, ModelessPageNeverEndsOrHidesItself) {
    CProbeDlg host(IDD_T_MODAL);
    ASSERT_TRUE(host.Create(IDD_T_MODAL, nullptr));
    CTreePage page(&host);
    ASSERT_TRUE(page.Create(IDD_T_PAGE, &host));
    EXPECT_FALSE(::IsWindowVisible(page.m_hWnd)) << "the template is hidden";
    page.ShowWindow(SW_SHOW);
    struct Row {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const Row rows[] = {
        {"OK command", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)},
        {"Cancel command", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {"close", WM_CLOSE, 0},
    };
    for (const Row& row : rows) {
        ::SendMessageA(page.m_hWnd, row.message, row.wParam, 0);
        FlushEvents();
        EXPECT_TRUE(::IsWindow(page.m_hWnd)) << row.name;
        EXPECT_TRUE((::GetWindowLongPtrA(page.m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0) << row.name;
    }
}

TEST(Dialog, HandleMapForgetsTheWindowWhenItIsDestroyed) {
    CProbeDlg host(IDD_T_MODAL);
    ASSERT_TRUE(host.Create(IDD_T_MODAL, nullptr));
    CTreePage page(&host);
    ASSERT_TRUE(page.Create(IDD_T_PAGE, &host));
    HWND hWnd = page.m_hWnd;
    HWND tree = page.m_tree.m_hWnd;
    ASSERT_EQ(CWnd::FromHandlePermanent(hWnd), &page);

    ::DestroyWindow(hWnd);
    EXPECT_EQ(page.m_hWnd, nullptr);
    EXPECT_EQ(page.m_tree.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(tree), nullptr);

    // The same objects can be made again, and bound again.
    ASSERT_TRUE(page.Create(IDD_T_PAGE, &host));
    EXPECT_NE(page.m_tree.m_hWnd, nullptr);
}

// Records every message that reaches one of the watched windows while they
// are still mapped to an object.
struct DispatchWatch {
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        for (HWND watched : windows) {
            if (code == HC_ACTION && msg->hwnd == watched && CWnd::FromHandlePermanent(watched))
                ++dispatched;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static std::vector<HWND> windows;
    static int dispatched;
};
std::vector<HWND> DispatchWatch::windows;
int DispatchWatch::dispatched = 0;

TEST(Dialog, DeletingAnObjectWithALiveWindowDestroysItWithoutCallingBack) {
    CProbeDlg host(IDD_T_MODAL);
    ASSERT_TRUE(host.Create(IDD_T_MODAL, nullptr));
    auto* page = new CTreePage(&host);
    ASSERT_TRUE(page->Create(IDD_T_PAGE, &host));
    HTREEITEM item = page->m_tree.InsertItem("entry");
    page->m_tree.InsertItem("detail", item);
    HWND hWnd = page->m_hWnd;
    HWND tree = page->m_tree.m_hWnd;

    DispatchWatch::windows = {hWnd, tree};
    DispatchWatch::dispatched = 0;
    HHOOK hook =
        ::SetWindowsHookExA(WH_CALLWNDPROC, &DispatchWatch::Hook, nullptr, ::GetCurrentThreadId());
    delete page;
    ::UnhookWindowsHookEx(hook);

    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_FALSE(::IsWindow(tree));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_EQ(DispatchWatch::dispatched, 0);
}

TEST(DoModal, ReturnsTheEndDialogValueWithTheOwnerDisabledMeanwhile) {
    CProbeDlg owner(IDD_T_MODAL);
    ASSERT_TRUE(owner.Create(IDD_T_MODAL, nullptr));
    owner.ShowWindow(SW_SHOW);

    CProbeDlg dlg(IDD_T_MODAL, &owner);
    HWND seen = nullptr;
    BOOL ownerEnabled = TRUE;
    HWND ownerOfDialog = nullptr;
    BOOL visible = FALSE;
    dlg.onInit = [](CProbeDlg& self) {
        self.PostMessage(WM_APP);
        return TRUE;
    };
    dlg.onApp = [&](CProbeDlg& self) {
        seen = self.m_hWnd;
        ownerEnabled = ::IsWindowEnabled(owner.m_hWnd);
        ownerOfDialog = ::GetWindow(self.m_hWnd, GW_OWNER);
        visible = ::IsWindowVisible(self.m_hWnd);
        self.EndDialog(42);
    };
    EXPECT_EQ(RunModal(dlg), 42);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_EQ(ownerOfDialog, owner.m_hWnd);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
    EXPECT_FALSE(::IsWindow(seen));
    EXPECT_EQ(dlg.m_hWnd, nullptr);

    // The object can run again.
    dlg.onApp = [](CProbeDlg& self) { self.EndDialog(IDOK); };
    EXPECT_EQ(RunModal(dlg), IDOK);
}

TEST(DoModal, EndDialogDuringInitialisationEndsBeforeTheDialogIsShown) {
    CProbeDlg dlg(IDD_T_MODAL_VISIBLE);
    dlg.onInit = [](CProbeDlg& self) {
        self.EndDialog(7);
        return TRUE;
    };
    EXPECT_EQ(RunModal(dlg), 7);
    EXPECT_EQ(std::count(dlg.events.begin(), dlg.events.end(), "shown"), 0);
}

TEST(DoModal, EndDialogFromAMessageSentByAnotherThreadWakesTheLoop) {
    CProbeDlg dlg(IDD_T_MODAL);
    std::thread sender;
    dlg.onInit = [](CProbeDlg& self) {
        self.PostMessage(WM_APP);
        return TRUE;
    };
    // With the queue emptied first, the loop next waits in GetMessage, where
    // only the sent message arrives: without a wake-up it would wait on.
    dlg.onApp = [&](CProbeDlg& self) {
        FlushEvents();
        HWND hWnd = self.m_hWnd;
        sender = std::thread([hWnd] { ::SendMessageA(hWnd, WM_APP + 1, 0, 0); });
    };
    dlg.onApp2 = [](CProbeDlg& self) { self.EndDialog(9); };
    EXPECT_EQ(RunModal(dlg), 9);
    sender.join();
}

TEST(DoModal, QuitEndsTheLoopAndIsPostedAgain) {
    CProbeDlg owner(IDD_T_MODAL);
    ASSERT_TRUE(owner.Create(IDD_T_MODAL, nullptr));
    CProbeDlg dlg(IDD_T_MODAL, &owner);
    dlg.onInit = [](CProbeDlg& self) {
        self.PostMessage(WM_APP);
        return TRUE;
    };
    dlg.onApp = [](CProbeDlg&) { ::PostQuitMessage(5); };
    EXPECT_EQ(RunModal(dlg), IDCANCEL);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(DoModal, MissingTemplateGivesMinusOneAndLeavesTheOwnerEnabled) {
    CProbeDlg owner(IDD_T_MODAL);
    ASSERT_TRUE(owner.Create(IDD_T_MODAL, nullptr));
    CProbeDlg dlg(IDD_T_MISSING, &owner);
    EXPECT_EQ(RunModal(dlg), -1);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
}

TEST(DoModal, DialogWithoutOwnerOpensCentredOnTheWorkArea) {
    RECT work;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    for (UINT templateId : {UINT(IDD_T_MODAL), UINT(IDD_T_MODAL_VISIBLE)}) {
        CProbeDlg dlg(templateId);
        RECT rect{};
        dlg.onInit = [](CProbeDlg& self) {
            self.PostMessage(WM_APP);
            return TRUE;
        };
        dlg.onApp = [&](CProbeDlg& self) {
            self.GetWindowRect(&rect);
            self.EndDialog(IDOK);
        };
        ASSERT_EQ(RunModal(dlg), IDOK) << "template " << templateId;
        EXPECT_NEAR((rect.left + rect.right) / 2, (work.left + work.right) / 2, 1)
            << "template " << templateId;
        EXPECT_NEAR((rect.top + rect.bottom) / 2, (work.top + work.bottom) / 2, 1)
            << "template " << templateId;
    }
}

} // namespace
