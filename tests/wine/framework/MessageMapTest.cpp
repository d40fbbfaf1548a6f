#include "FrameworkTestIds.h"
#include "WineTestSupport.h"
#include "framework/Framework.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class CBaseMapDlg : public CDialog {
public:
    CBaseMapDlg() : CDialog(IDD_T_MODAL) {}
    const MessageMap* GetMessageMap() const override;

    LRESULT OnApp(WPARAM wParam, LPARAM) {
        calls.push_back("base app");
        return 100 + static_cast<LRESULT>(wParam);
    }
    LRESULT OnShared(WPARAM, LPARAM) {
        calls.push_back("base shared");
        return 1;
    }

    std::vector<std::string> calls;
};

const MessageMap* CBaseMapDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapMessage<&CBaseMapDlg::OnApp>(WM_APP),
        MapMessage<&CBaseMapDlg::OnShared>(WM_APP + 1),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

class CDerivedMapDlg : public CBaseMapDlg {
public:
    const MessageMap* GetMessageMap() const override;

    LRESULT OnShared(WPARAM, LPARAM) {
        calls.push_back("derived shared");
        return 2;
    }
    void OnNext() { calls.push_back("next"); }
    void OnTimer(UINT_PTR id) { calls.push_back("timer " + std::to_string(id)); }
    LRESULT OnTreeClick(NMHDR* header) {
        calls.push_back("tree click " + std::to_string(header->idFrom));
        return 33;
    }
    HBRUSH OnCtlColor(HDC, HWND control, UINT kind) {
        colourKinds.push_back(kind);
        colourControls.push_back(control);
        return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    }
    LRESULT OnGetDefId(WPARAM, LPARAM) { return Default(); }

    std::vector<UINT> colourKinds;
    std::vector<HWND> colourControls;
};

const MessageMap* CDerivedMapDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapMessage<&CDerivedMapDlg::OnShared>(WM_APP + 1),
        MapCommand<&CDerivedMapDlg::OnNext>(IDC_T_NEXT),
        MapTimer<&CDerivedMapDlg::OnTimer>(),
        MapNotify<&CDerivedMapDlg::OnTreeClick>(IDC_T_TREE, NM_CLICK),
        MapCtlColor<&CDerivedMapDlg::OnCtlColor>(),
        MapMessage<&CDerivedMapDlg::OnGetDefId>(DM_GETDEFID),
    };
    static const MessageMap map{CBaseMapDlg::GetMessageMap(), entries};
    return &map;
}

TEST(MessageMap, DispatchesToTheMostDerivedEntryAndChainsToTheBase) {
    CDerivedMapDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_T_MODAL, nullptr));
    struct Row {
        const char* name;
        UINT message;
        WPARAM wParam;
        const char* expectedCall; // "" when no handler may run
        LRESULT expectedResult;
    };
    const Row rows[] = {
        {"base entry", WM_APP, 5, "base app", 105},
        {"derived entry hides the base one", WM_APP + 1, 0, "derived shared", 2},
        {"button click", WM_COMMAND, MAKEWPARAM(IDC_T_NEXT, BN_CLICKED), "next", 0},
        {"other notification of the button", WM_COMMAND, MAKEWPARAM(IDC_T_NEXT, BN_SETFOCUS), "",
         0},
        {"click of another control", WM_COMMAND, MAKEWPARAM(IDC_T_TEXT, BN_CLICKED), "", 0},
        {"timer", WM_TIMER, 7, "timer 7", 0},
        {"unmapped message", WM_APP + 5, 0, "", 0},
    };
    for (const Row& row : rows) {
        dlg.calls.clear();
        const LRESULT result = ::SendMessageA(dlg.m_hWnd, row.message, row.wParam, 0);
        const std::vector<std::string> expected = *row.expectedCall
                                                      ? std::vector<std::string>{row.expectedCall}
                                                      : std::vector<std::string>{};
        EXPECT_EQ(dlg.calls, expected) << row.name;
        EXPECT_EQ(result, row.expectedResult) << row.name;
    }

    // WM_NOTIFY goes through the map; the result is the dialog's.
    NMHDR header{dlg.GetDlgItem(IDC_T_TEXT)->m_hWnd, IDC_T_TREE, static_cast<UINT>(NM_CLICK)};
    dlg.calls.clear();
    EXPECT_EQ(::SendMessageA(dlg.m_hWnd, WM_NOTIFY, IDC_T_TREE, reinterpret_cast<LPARAM>(&header)),
              33);
    EXPECT_EQ(dlg.calls, std::vector<std::string>{"tree click 1012"});
    header.code = static_cast<UINT>(NM_DBLCLK);
    dlg.calls.clear();
    ::SendMessageA(dlg.m_hWnd, WM_NOTIFY, IDC_T_TREE, reinterpret_cast<LPARAM>(&header));
    EXPECT_TRUE(dlg.calls.empty());
}

TEST(MessageMap, OneEntryTakesTheWholeCtlColorFamilyAndTheBrushIsTheResult) {
    CDerivedMapDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_T_MODAL, nullptr));
    HWND text = ::GetDlgItem(dlg.m_hWnd, IDC_T_TEXT);
    HDC dc = ::GetDC(text);
    const LRESULT white = reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message) {
        dlg.colourKinds.clear();
        dlg.colourControls.clear();
        const LRESULT result = ::SendMessageA(dlg.m_hWnd, message, reinterpret_cast<WPARAM>(dc),
                                              reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(result, white) << "message 0x" << std::hex << message;
        EXPECT_EQ(dlg.colourKinds, std::vector<UINT>{message - WM_CTLCOLORMSGBOX})
            << "message 0x" << std::hex << message;
        EXPECT_EQ(dlg.colourControls, std::vector<HWND>{text})
            << "message 0x" << std::hex << message;
    }
    ::ReleaseDC(text, dc);

    // Painting for real: the dialog's background and its static text.
    dlg.colourKinds.clear();
    dlg.ShowWindow(SW_SHOWNOACTIVATE);
    ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
    FlushEvents();
    const auto& kinds = dlg.colourKinds;
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), UINT(CTLCOLOR_DLG)), kinds.end());
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), UINT(CTLCOLOR_STATIC)), kinds.end());
}

TEST(MessageMap, DefaultRunsTheDialogManagersHandling) {
    CDerivedMapDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_T_MODAL, nullptr));
    // The template's default push button, as only the dialog manager knows it.
    EXPECT_EQ(::SendMessageA(dlg.m_hWnd, DM_GETDEFID, 0, 0), MAKELRESULT(IDC_T_NEXT, DC_HASDEFID));
}

class CRecordingStatic : public CStatic {
public:
    const MessageMap* GetMessageMap() const override;
    LRESULT OnSetText(WPARAM, LPARAM lParam) {
        texts.push_back(reinterpret_cast<const char*>(lParam));
        return Default();
    }
    std::vector<std::string> texts;
};

const MessageMap* CRecordingStatic::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapMessage<&CRecordingStatic::OnSetText>(WM_SETTEXT),
    };
    static const MessageMap map{CStatic::GetMessageMap(), entries};
    return &map;
}

TEST(MessageMap, DefaultOfASubclassedControlIsItsOriginalProcedure) {
    CDialog dlg(IDD_T_MODAL);
    ASSERT_TRUE(dlg.Create(IDD_T_MODAL, nullptr));
    HWND text = ::GetDlgItem(dlg.m_hWnd, IDC_T_TEXT);
    const LONG_PTR original = ::GetWindowLongPtrA(text, GWLP_WNDPROC);

    auto* control = new CRecordingStatic;
    ASSERT_TRUE(control->SubclassWindow(text));
    EXPECT_FALSE(CRecordingStatic().SubclassWindow(text)) << "a window has one object";
    ::SetWindowTextA(text, "hello");
    EXPECT_EQ(control->texts, std::vector<std::string>{"hello"});
    EXPECT_EQ(ControlText(text), "hello");

    // Deleting the object hands the living control back to its procedure.
    delete control;
    EXPECT_TRUE(::IsWindow(text));
    EXPECT_EQ(::GetWindowLongPtrA(text, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandlePermanent(text), nullptr);
    ::SetWindowTextA(text, "after");
    EXPECT_EQ(ControlText(text), "after");
}

} // namespace
