#pragma once
#include "framework/Dialog.h"
#include "framework/Font.h"
#include "framework/TreeCtrl.h"
#include "res/resource.h"

// The page's tree. One of many items is not emptied item by item when its
// window goes: under some platforms each item freed searches and moves every
// other one, so two million items held the program's end for minutes. Their
// memory goes back to the system when the program ends.
class CUpdateTree : public CTreeCtrl {
public:
    // Up to this many items the tree frees them itself, within a second.
    enum : UINT { ItemsFreedWithWindow = 50000 };

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The updates of the package as a tree, with the reference numbers of the
// package and of the installation. Drawn in the dialog's own colours.
class CUpdateListPage : public CDialog {
public:
    enum { IDD = IDD_UPDATE_LIST_PAGE };

    // `owner` hears Escape pressed inside the page as WM_CLOSE.
    explicit CUpdateListPage(CWnd* owner = nullptr);
    ~CUpdateListPage() override;

    CUpdateTree m_tree;

    const MessageMap* GetMessageMap() const override;

protected:
    LRESULT OnTreeCustomDraw(NMHDR* header);
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

private:
    CFont m_titleFont;
    COLORREF m_backColour;
    COLORREF m_textColour;
    CWnd* m_owner;
};
