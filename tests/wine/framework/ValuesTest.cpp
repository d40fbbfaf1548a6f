#include "FrameworkTestIds.h"
#include "WineTestSupport.h"
#include "framework/Framework.h"
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(CString, FormatHasExactlyTheLengthOfItsResult) {
    const std::string longArg(10000, 'x');
    struct Row {
        const char* name;
        const char* format;
        const char* arg;
        std::string expected;
    };
    const Row rows[] = {
        {"long argument", "%s", longArg.c_str(), longArg},
        {"long argument inside a text", "Vers. %s terminato", longArg.c_str(),
         "Vers. " + longArg + " terminato"},
        {"short", "Benvenuti nel programma Vers. %s.", "0002",
         "Benvenuti nel programma Vers. 0002."},
        {"empty result", "%s", "", ""},
    };
    for (const Row& row : rows) {
        CString text;
        text.Format(row.format, row.arg);
        EXPECT_EQ(std::string(text), row.expected) << row.name;
        EXPECT_EQ(text.GetLength(), static_cast<int>(row.expected.size())) << row.name;
    }

    CString many;
    many.Format("%d-%s-%05d", 12, longArg.c_str(), 7);
    EXPECT_EQ(std::string(many), "12-" + longArg + "-00007");

    // The format may be the text itself, as when a page formats its own label.
    CString self("Tessaro Vers. %s");
    self.Format(self, "0002");
    EXPECT_EQ(std::string(self), "Tessaro Vers. 0002");
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create(IDD_T_MODAL, nullptr));
        ASSERT_TRUE(page.Create(IDD_T_PAGE, &host));
        ASSERT_TRUE(progress.SubclassWindow(::GetDlgItem(host.m_hWnd, IDC_T_PROGRESS)));
        ASSERT_TRUE(tree.SubclassWindow(::GetDlgItem(page.m_hWnd, IDC_T_TREE)));
    }
    CDialog host{IDD_T_MODAL};
    CDialog page{IDD_T_PAGE, &host};
    CProgressCtrl progress;
    CTreeCtrl tree;
};

TEST_F(ControlsTest, ProgressKeepsThirtyTwoBitRangeAndReturnsThePreviousPosition) {
    progress.SetRange32(0, 6000000);
    int lower = -1;
    int upper = -1;
    progress.GetRange(lower, upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 6000000);
    EXPECT_EQ(progress.SetPos(1024), 0);
    EXPECT_EQ(progress.SetPos(5000000), 1024);
    EXPECT_EQ(progress.GetPos(), 5000000);
}

TEST_F(ControlsTest, TreeItemsStatesAndTexts) {
    HTREEITEM first = tree.InsertItem("5.0 [04.04.15]", INDEXTOSTATEIMAGEMASK(1),
                                      TVIS_STATEIMAGEMASK, TVI_ROOT, TVI_LAST);
    HTREEITEM second = tree.InsertItem("5.0 [04.04.16]", TVIS_BOLD | INDEXTOSTATEIMAGEMASK(2),
                                       TVIS_BOLD | TVIS_STATEIMAGEMASK, TVI_ROOT, TVI_LAST);
    HTREEITEM detail = tree.InsertItem("detail line", first);
    ASSERT_NE(first, nullptr);
    // Read back through the control itself: the program only ever writes.
    HWND control = tree.m_hWnd;
    EXPECT_EQ(TreeView_GetRoot(control), first);
    EXPECT_EQ(TreeView_GetNextSibling(control, first), second);
    EXPECT_EQ(TreeView_GetChild(control, first), detail);
    EXPECT_EQ(TreeView_GetChild(control, second), nullptr);
    auto state = [&](HTREEITEM item, UINT mask) {
        return TreeView_GetItemState(control, item, mask);
    };

    // The state arrives with the insert, bold and tick together.
    EXPECT_EQ(state(second, TVIS_BOLD), UINT(TVIS_BOLD));
    EXPECT_EQ(state(first, TVIS_BOLD), 0u);
    EXPECT_EQ(state(second, TVIS_STATEIMAGEMASK), UINT(INDEXTOSTATEIMAGEMASK(2)));
    EXPECT_EQ(state(first, TVIS_STATEIMAGEMASK), UINT(INDEXTOSTATEIMAGEMASK(1)));
    EXPECT_EQ(state(detail, TVIS_BOLD | TVIS_STATEIMAGEMASK), 0u) << "a plain item";

    char text[64] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = detail;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ASSERT_TRUE(::SendMessageA(control, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(text, "detail line");
}

TEST(GdiObjects, EachObjectIsDeletedExactlyOnce) {
    LOGFONTA logFont{};
    logFont.lfHeight = -13;
    logFont.lfWeight = FW_BOLD;
    lstrcpyA(logFont.lfFaceName, "Tahoma");
    HGDIOBJ first = nullptr;
    HGDIOBJ second = nullptr;
    {
        CFont font;
        ASSERT_TRUE(font.CreateFontIndirect(&logFont));
        first = font.m_hObject;
        ASSERT_TRUE(font.CreateFontIndirect(&logFont));
        second = font.m_hObject;
        EXPECT_EQ(::GetObjectType(first), 0u) << "replaced font deleted";
        EXPECT_EQ(::GetObjectType(second), DWORD(OBJ_FONT));
    }
    EXPECT_EQ(::GetObjectType(second), 0u) << "font deleted with its owner";

    HDC screen = ::GetDC(nullptr);
    HBITMAP a = ::CreateCompatibleBitmap(screen, 4, 4);
    HBITMAP b = ::CreateCompatibleBitmap(screen, 4, 4);
    ::ReleaseDC(nullptr, screen);
    {
        CBitmap bitmap;
        bitmap.Attach(a);
        bitmap.Attach(a);
        EXPECT_EQ(::GetObjectType(a), DWORD(OBJ_BITMAP)) << "attaching the same one again keeps it";
        bitmap.Attach(b);
        EXPECT_EQ(::GetObjectType(a), 0u);
        EXPECT_TRUE(bitmap.DeleteObject());
        EXPECT_EQ(::GetObjectType(b), 0u);
        EXPECT_FALSE(bitmap.DeleteObject()) << "nothing left to delete";
    }
}

} // namespace
