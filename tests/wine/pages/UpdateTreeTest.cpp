// The list page's tree when its window goes: a small tree frees its items
// itself, a very large one is left to the program's end.
#include "PageHost.h"
#include "UpdateListPage.h"
#include "framework/MessageMap.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <commctrl.h>

namespace {

// Counts the items the tree says it deletes, as its parent hears them.
class CountingListPage : public CUpdateListPage {
public:
    using CUpdateListPage::CUpdateListPage;
    int deleted = 0;

    const MessageMap* GetMessageMap() const override {
        static const MessageMapEntry entries[] = {
            MapNotify<&CountingListPage::OnDeleteItem>(IDC_UPDATE_TREE, TVN_DELETEITEMA),
            MapNotify<&CountingListPage::OnDeleteItem>(IDC_UPDATE_TREE, TVN_DELETEITEMW),
        };
        static const MessageMap map{CUpdateListPage::GetMessageMap(), entries};
        return &map;
    }

private:
    LRESULT OnDeleteItem(NMHDR*) {
        ++deleted;
        return 0;
    }
};

TEST(UpdateTreeTest, OnlyATreeOfManyItemsIsLeftToTheProgramsEnd) {
    const struct {
        const char* name;
        UINT items;
        int deleted;
    } rows[] = {
        {"at the bound: freed", CUpdateTree::ItemsFreedWithWindow,
         static_cast<int>(CUpdateTree::ItemsFreedWithWindow)},
        {"beyond it: left", CUpdateTree::ItemsFreedWithWindow + 1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PageHost host;
        ASSERT_TRUE(host.Open());
        auto page = host.Add<CountingListPage>();
        ASSERT_TRUE(page);
        page->m_tree.SetRedraw(FALSE);
        for (UINT i = 0; i < row.items; ++i)
            ASSERT_TRUE(page->m_tree.InsertItem("riga"));
        ASSERT_EQ(page->m_tree.GetCount(), row.items);
        page->DestroyWindow();
        EXPECT_EQ(page->deleted, row.deleted);
        host.DestroyWindow();
    }
}

} // namespace
