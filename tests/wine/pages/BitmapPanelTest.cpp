// The bitmap panel's one bitmap, and how it paints it; what pages release.
#include "BitmapPanel.h"
#include "FinishPage.h"
#include "HeaderPage.h"
#include "PageHost.h"
#include "PagesTestIds.h"
#include "ProgressPage.h"
#include "UpdateListPage.h"
#include "WelcomePage.h"
#include "WineTestSupport.h"
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

namespace {

class BitmapPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Open());
        frame = ::CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 10, 10,
                                  150, 60, host.m_hWnd, nullptr, nullptr, nullptr);
        ASSERT_TRUE(frame);
    }

    // Paints the panel afresh and checks each quadrant of its client area,
    // edges included, against the quadrant of the picture.
    void ExpectQuadrantsFill(HWND panel, const char* row) {
        ::InvalidateRect(panel, nullptr, TRUE);
        ::UpdateWindow(panel);
        FlushEvents();
        RECT client;
        ::GetClientRect(panel, &client);
        const int w = client.right, h = client.bottom;
        const struct {
            int x, y;
            COLORREF colour;
        } points[] = {
            {0, 0, RGB(255, 0, 0)},           {w / 4, h / 4, RGB(255, 0, 0)},
            {w - 1, 0, RGB(0, 255, 0)},       {3 * w / 4, h / 4, RGB(0, 255, 0)},
            {0, h - 1, RGB(0, 0, 255)},       {w / 4, 3 * h / 4, RGB(0, 0, 255)},
            {w - 1, h - 1, RGB(255, 255, 0)}, {3 * w / 4, 3 * h / 4, RGB(255, 255, 0)},
        };
        for (const auto& point : points) {
            EXPECT_EQ(point.colour, PixelAt(panel, point.x, point.y))
                << row << " at " << point.x << "," << point.y << " of " << w << "x" << h;
        }
    }

    PageHost host;
    HWND frame = nullptr;
};

// Wine counts no GDI objects (GetGuiResources gives 0): handles are checked
// one by one instead.
TEST_F(BitmapPanelTest, HoldsExactlyOneBitmap) {
    HBITMAP last = nullptr;
    {
        CBitmapPanel panel;
        ASSERT_TRUE(panel.SubclassWindow(frame));
        EXPECT_EQ(nullptr, panel.GetBitmap());

        panel.SetBitmap(IDB_LEFT_PANEL);
        HBITMAP first = panel.GetBitmap();
        ASSERT_TRUE(first);
        panel.SetBitmap(IDB_LOGO);
        HBITMAP second = panel.GetBitmap();
        ASSERT_TRUE(second);
        EXPECT_EQ(0u, ::GetObjectType(first)) << "the first bitmap is still alive";

        // Painting uses the bitmap and keeps it.
        ShowAndPaint(frame);
        EXPECT_EQ(second, panel.GetBitmap());
        EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), ::GetObjectType(second));

        // A picture that is not there leaves the panel empty, the old one gone.
        panel.SetBitmap(4242);
        EXPECT_EQ(nullptr, panel.GetBitmap());
        EXPECT_EQ(0u, ::GetObjectType(second));

        panel.SetBitmap(IDB_LOGO);
        last = panel.GetBitmap();
        ASSERT_TRUE(last);
    }
    EXPECT_EQ(0u, ::GetObjectType(last)) << "the panel's bitmap outlived it";
}

TEST_F(BitmapPanelTest, StretchesThePictureOverItsWholeFrame) {
    CBitmapPanel panel;
    ASSERT_TRUE(panel.SubclassWindow(frame));
    panel.SetBitmap(IDB_TEST_QUADRANTS);
    ExpectQuadrantsFill(frame, "wide frame");

    // After a resize the next paint fills the new size.
    ::SetWindowPos(frame, nullptr, 0, 0, 47, 133, SWP_NOMOVE | SWP_NOZORDER);
    ExpectQuadrantsFill(frame, "tall frame");
}

TEST_F(BitmapPanelTest, PagePicturesCoverTheirFrames) {
    // The black frame of the static control shows wherever the picture
    // does not reach; the page's white wherever the frame is not painted.
    auto welcome = host.Add<CWelcomePage>();
    ASSERT_TRUE(welcome);
    ShowAndPaint(welcome->m_hWnd);
    for (int id : {IDC_LEFT_PANEL, IDC_LOGO_PANEL}) {
        HWND panel = ::GetDlgItem(welcome->m_hWnd, id);
        RECT client;
        ::GetClientRect(panel, &client);
        int black = 0;
        for (int x = 0; x < client.right; ++x) {
            black += PixelAt(panel, x, 0) == RGB(0, 0, 0);
            black += PixelAt(panel, x, client.bottom - 1) == RGB(0, 0, 0);
        }
        for (int y = 0; y < client.bottom; ++y) {
            black += PixelAt(panel, 0, y) == RGB(0, 0, 0);
            black += PixelAt(panel, client.right - 1, y) == RGB(0, 0, 0);
        }
        EXPECT_EQ(0, black) << "panel " << id;
    }
    // The left picture is dark blue to its corners.
    HWND left = ::GetDlgItem(welcome->m_hWnd, IDC_LEFT_PANEL);
    RECT client;
    ::GetClientRect(left, &client);
    const COLORREF corner = PixelAt(left, client.right - 1, client.bottom - 1);
    EXPECT_GT(GetBValue(corner), GetRValue(corner));
    EXPECT_LT(GetRValue(corner) + GetGValue(corner), 2 * 160);
}

TEST_F(BitmapPanelTest, PagesReleaseTheirFontsAndBitmaps) {
    // Objects the pages do not own must come through untouched.
    LOGFONTA description{};
    description.lfHeight = -11;
    HFONT ownFont = ::CreateFontIndirectA(&description);
    HBITMAP ownBitmap = ::CreateBitmap(4, 4, 1, 32, nullptr);

    // Never created: nothing to delete.
    { CWelcomePage page(&host); }
    { CHeaderPage page(&host); }
    { CUpdateListPage page(&host); }
    { CProgressPage page(&host); }
    { CFinishPage page(&host); }
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), ::GetObjectType(ownFont));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), ::GetObjectType(ownBitmap));

    // Created and deleted, with and without destroying the window first:
    // every title font and picture goes with its page.
    for (bool destroyFirst : {true, false}) {
        auto welcome = host.Add<CWelcomePage>();
        auto header = host.Add<CHeaderPage>();
        auto list = host.Add<CUpdateListPage>();
        auto finish = host.Add<CFinishPage>();
        ASSERT_TRUE(welcome && header && list && finish);
        finish->SetResult(1);
        ShowAndPaint(welcome->m_hWnd);
        ShowAndPaint(finish->m_hWnd);
        const struct {
            HWND page;
            int id;
        } titles[] = {{welcome->m_hWnd, IDC_TITLE},
                      {finish->m_hWnd, IDC_TITLE},
                      {header->m_hWnd, IDC_HEADER_TITLE},
                      {list->m_hWnd, IDC_NEWEST_STAMP}},
          panels[] = {{welcome->m_hWnd, IDC_LEFT_PANEL},
                      {welcome->m_hWnd, IDC_LOGO_PANEL},
                      {finish->m_hWnd, IDC_LEFT_PANEL},
                      {finish->m_hWnd, IDC_LOGO_PANEL},
                      {header->m_hWnd, IDC_LOGO_PANEL}};
        std::vector<HGDIOBJ> owned;
        for (const auto& title : titles)
            owned.push_back(reinterpret_cast<HGDIOBJ>(
                ::SendDlgItemMessageA(title.page, title.id, WM_GETFONT, 0, 0)));
        for (const auto& panel : panels) {
            auto* object = dynamic_cast<CBitmapPanel*>(
                CWnd::FromHandlePermanent(::GetDlgItem(panel.page, panel.id)));
            ASSERT_TRUE(object) << panel.id;
            owned.push_back(object->GetBitmap());
        }
        for (HGDIOBJ object : owned)
            ASSERT_NE(0u, ::GetObjectType(object));

        if (destroyFirst) {
            for (CWnd* page : std::initializer_list<CWnd*>{welcome.get(), header.get(), list.get(),
                                                           finish.get()})
                page->DestroyWindow();
        }
        welcome.reset();
        header.reset();
        list.reset();
        finish.reset();
        for (std::size_t i = 0; i < owned.size(); ++i)
            EXPECT_EQ(0u, ::GetObjectType(owned[i]))
                << "object " << i << (destroyFirst ? " after DestroyWindow" : "");
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), ::GetObjectType(ownFont));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), ::GetObjectType(ownBitmap));
    ::DeleteObject(ownFont);
    ::DeleteObject(ownBitmap);
}

} // namespace
