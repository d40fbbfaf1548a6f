// What the pages show once the wizard has created them: texts, title fonts,
// white pages, the tree's colours and the finish page's outcome.
#include "FinishPage.h"
#include "HeaderPage.h"
#include "PageHost.h"
#include "ProgressPage.h"
#include "UpdateListPage.h"
#include "WelcomePage.h"
#include "WineTestSupport.h"
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <string>

namespace {

class PageContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Open());
        welcome = host.Add<CWelcomePage>();
        header = host.Add<CHeaderPage>();
        list = host.Add<CUpdateListPage>(0, WindowHeight(header->m_hWnd) + 1);
        progress = host.Add<CProgressPage>(0, WindowHeight(header->m_hWnd) + 1);
        finish = host.Add<CFinishPage>();
        ASSERT_TRUE(welcome && header && list && progress && finish);
    }

    PageHost host;
    std::unique_ptr<CWelcomePage> welcome;
    std::unique_ptr<CHeaderPage> header;
    std::unique_ptr<CUpdateListPage> list;
    std::unique_ptr<CProgressPage> progress;
    std::unique_ptr<CFinishPage> finish;
};

TEST_F(PageContentTest, TextsAfterInitialisation) {
    // Escapes, not literals, for the accented letters: the bytes must be
    // cp1252 whatever the compiler's character sets.
    const struct {
        const char* row;
        HWND page;
        int id;
        const char* text;
    } rows[] = {
        {"welcome title", welcome->m_hWnd, IDC_TITLE,
         "Benvenuti nel programma di aggiornamento Tessaro Vers. 0002."},
        {"welcome text", welcome->m_hWnd, IDC_TEXT2,
         "Questo programma effettuer\xE0 l'aggiornamento della Tessaro nel Vostro Computer."},
        {"welcome advice", welcome->m_hWnd, IDC_TEXT3,
         "Si raccomanda di chiudere le applicazioni Vantrel prima di proseguire. Questo "
         "permetter\xE0 di effettuare le operazioni di aggiornamento in modo corretto e senza "
         "dover riavviare il computer."},
        {"list title", list->m_hWnd, IDC_TITLE,
         "Questo programma installer\xE0 i seguenti Aggiornamenti\ndella Tessaro Vers. 0002:"},
        {"header title placeholder", header->m_hWnd, IDC_HEADER_TITLE, "Bold Title"},
        {"finish title before the outcome", finish->m_hWnd, IDC_TITLE,
         "Programma di Aggiornamento Tessaro Vers. %s terminato"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text, DlgItemText(row.page, row.id)) << row.row;
}

TEST_F(PageContentTest, TitleFontsAreBoldAndTallerThanTheDialogFont) {
    const struct {
        const char* row;
        HWND page;
        int id;
        LONG taller;
        const char* face;
    } rows[] = {
        {"welcome title", welcome->m_hWnd, IDC_TITLE, 5, "Tahoma"},
        {"finish title", finish->m_hWnd, IDC_TITLE, 5, "Tahoma"},
        {"header title", header->m_hWnd, IDC_HEADER_TITLE, 2, "Arial"},
        {"newest stamp", list->m_hWnd, IDC_NEWEST_STAMP, 2, "arial"},
        {"installed stamp", list->m_hWnd, IDC_INSTALLED_STAMP, 2, "arial"},
    };
    for (const auto& row : rows) {
        LOGFONTA dialogFont, title;
        ASSERT_TRUE(ControlFont(row.page, dialogFont)) << row.row;
        ASSERT_TRUE(ControlFont(::GetDlgItem(row.page, row.id), title)) << row.row;
        EXPECT_EQ(FW_BOLD, title.lfWeight) << row.row;
        EXPECT_LT(dialogFont.lfHeight, 0) << row.row;
        EXPECT_EQ(dialogFont.lfHeight - row.taller, title.lfHeight) << row.row;
        EXPECT_STREQ(row.face, title.lfFaceName) << row.row;
    }
    // Without Tahoma in the prefix every size above would be measured on a
    // stand-in face.
    EXPECT_EQ("Tahoma", RealFaceName(::GetDlgItem(welcome->m_hWnd, IDC_TEXT2)));
}

TEST_F(PageContentTest, OnlyTheTitlesGetTheTitleFont) {
    const struct {
        const char* row;
        HWND page;
        int id;
    } rows[] = {
        {"welcome text", welcome->m_hWnd, IDC_TEXT2},
        {"welcome prompt", welcome->m_hWnd, IDC_TEXT4},
        {"finish text", finish->m_hWnd, IDC_TEXT2},
        {"list title", list->m_hWnd, IDC_TITLE},
        {"progress status", progress->m_hWnd, IDC_COPY_STATUS},
    };
    for (const auto& row : rows) {
        const LRESULT dialogFont = ::SendMessageA(row.page, WM_GETFONT, 0, 0);
        EXPECT_EQ(dialogFont, ::SendDlgItemMessageA(row.page, row.id, WM_GETFONT, 0, 0)) << row.row;
    }
}

TEST_F(PageContentTest, WhitePagesAnswerEveryControlColourWithWhiteAndTransparentText) {
    const HBRUSH white = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    const struct {
        const char* row;
        HWND page;
        UINT message;
        int id; // 0: the page itself
        bool white;
    } rows[] = {
        {"welcome background", welcome->m_hWnd, WM_CTLCOLORDLG, 0, true},
        {"welcome text", welcome->m_hWnd, WM_CTLCOLORSTATIC, IDC_TEXT2, true},
        {"header background", header->m_hWnd, WM_CTLCOLORDLG, 0, true},
        {"header title", header->m_hWnd, WM_CTLCOLORSTATIC, IDC_HEADER_TITLE, true},
        {"finish background", finish->m_hWnd, WM_CTLCOLORDLG, 0, true},
        {"finish text", finish->m_hWnd, WM_CTLCOLORSTATIC, IDC_TEXT2, true},
        {"finish button family", finish->m_hWnd, WM_CTLCOLORBTN, IDC_TITLE, true},
        {"list background", list->m_hWnd, WM_CTLCOLORDLG, 0, false},
        {"progress background", progress->m_hWnd, WM_CTLCOLORDLG, 0, false},
        {"progress status", progress->m_hWnd, WM_CTLCOLORSTATIC, IDC_COPY_STATUS, false},
    };
    for (const auto& row : rows) {
        HDC dc = ::CreateCompatibleDC(nullptr);
        ::SetBkMode(dc, OPAQUE);
        const HWND control = row.id ? ::GetDlgItem(row.page, row.id) : row.page;
        const LRESULT brush = ::SendMessageA(row.page, row.message, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(control));
        if (row.white) {
            EXPECT_EQ(reinterpret_cast<LRESULT>(white), brush) << row.row;
            EXPECT_EQ(TRANSPARENT, ::GetBkMode(dc)) << row.row;
        } else {
            EXPECT_NE(reinterpret_cast<LRESULT>(white), brush) << row.row;
            EXPECT_EQ(OPAQUE, ::GetBkMode(dc)) << row.row;
        }
        ::DeleteDC(dc);
    }
}

TEST_F(PageContentTest, WhitePagesReachTheScreenWhite) {
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF grey = ::GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(white, grey);
    const struct {
        const char* row;
        HWND page;
        int id; // a text control whose right-hand end holds no glyph
        COLORREF expected;
    } rows[] = {
        {"welcome", welcome->m_hWnd, IDC_TEXT4, white},
        {"header", header->m_hWnd, IDC_HEADER_TITLE, white},
        {"finish", finish->m_hWnd, IDC_TEXT2, white},
        {"progress", progress->m_hWnd, IDC_COPY_STATUS, grey},
    };
    for (const auto& row : rows) {
        ShowAndPaint(row.page);
        RECT page, text;
        ::GetClientRect(row.page, &page);
        ::GetClientRect(::GetDlgItem(row.page, row.id), &text);
        EXPECT_EQ(row.expected, PixelAt(row.page, page.right - 2, page.bottom - 2)) << row.row;
        EXPECT_EQ(row.expected,
                  PixelAt(::GetDlgItem(row.page, row.id), text.right - 2, text.bottom - 1))
            << row.row;
        ::ShowWindow(row.page, SW_HIDE);
    }
}

TEST_F(PageContentTest, TreeUsesTheDialogColours) {
    const COLORREF back = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    EXPECT_EQ(back, static_cast<COLORREF>(list->m_tree.SendMessage(TVM_GETBKCOLOR)));
    EXPECT_EQ(text, static_cast<COLORREF>(list->m_tree.SendMessage(TVM_GETTEXTCOLOR)));

    const COLORREF untouched = RGB(1, 2, 3);
    const struct {
        const char* row;
        UINT code;
        DWORD stage;
        LRESULT result;
        bool coloured;
    } rows[] = {
        {"prepaint", NM_CUSTOMDRAW, CDDS_PREPAINT, CDRF_NOTIFYITEMDRAW, false},
        {"item prepaint", NM_CUSTOMDRAW, CDDS_ITEMPREPAINT, CDRF_NEWFONT, true},
        {"postpaint", NM_CUSTOMDRAW, CDDS_POSTPAINT, CDRF_DODEFAULT, false},
        {"item postpaint", NM_CUSTOMDRAW, CDDS_ITEMPOSTPAINT, CDRF_DODEFAULT, false},
        {"another notification", NM_CLICK, CDDS_ITEMPREPAINT, 0, false},
    };
    for (const auto& row : rows) {
        NMTVCUSTOMDRAW draw{};
        draw.nmcd.hdr.hwndFrom = list->m_tree.m_hWnd;
        draw.nmcd.hdr.idFrom = IDC_UPDATE_TREE;
        draw.nmcd.hdr.code = row.code;
        draw.nmcd.dwDrawStage = row.stage;
        draw.clrText = untouched;
        draw.clrTextBk = untouched;
        const LRESULT result =
            list->SendMessage(WM_NOTIFY, IDC_UPDATE_TREE, reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(row.result, result) << row.row;
        EXPECT_EQ(row.coloured ? text : untouched, draw.clrText) << row.row;
        EXPECT_EQ(row.coloured ? back : untouched, draw.clrTextBk) << row.row;
    }
}

TEST_F(PageContentTest, TreeItemsReachTheScreenInTheDialogColours) {
    HTREEITEM bold = list->m_tree.InsertItem("5.0 [04.04.16] del 16/4/2004", TVIS_BOLD, TVIS_BOLD,
                                             TVI_ROOT, TVI_LAST);
    list->m_tree.InsertItem("Nuova stampa dei documenti", bold);
    ShowAndPaint(header->m_hWnd);
    ShowAndPaint(list->m_hWnd);

    // TVM_GETITEMRECT takes the item handle in the first bytes of the rectangle.
    RECT item{};
    std::memcpy(&item, &bold, sizeof bold);
    ASSERT_TRUE(list->m_tree.SendMessage(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&item)));
    const COLORREF back = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    int textPixels = 0, otherPixels = 0;
    for (int y = item.top; y < item.bottom; ++y) {
        for (int x = item.left; x < item.right; ++x) {
            const COLORREF pixel = PixelAt(list->m_tree.m_hWnd, x, y);
            textPixels += pixel == text;
            // Antialiased edges lie between the two colours; the tree's
            // own white must not show.
            otherPixels += pixel == RGB(255, 255, 255);
        }
    }
    EXPECT_GT(textPixels, 0);
    EXPECT_EQ(0, otherPixels);
    RECT client;
    list->m_tree.GetClientRect(&client);
    EXPECT_EQ(back, PixelAt(list->m_tree.m_hWnd, client.right - 2, client.bottom - 2));
}

TEST_F(PageContentTest, ResultTextsForEachErrorsFlag) {
    const char* correct =
        "Programma di Aggiornamento Tessaro Vers. 0002 terminato in modo corretto.";
    const char* failed = "Programma di Aggiornamento Tessaro Vers. 0002 terminato con errori.";
    const char* prompt = "Selezionare Fine per chiudere il programma.";
    const char* advice = "Si prega di contattare il Vs. Fornitore.\n\n"
                         "Premere fine per terminare il programma.";
    const struct {
        int errors;
        const char* title;
        const char* text;
    } rows[] = {
        {0, correct, prompt}, {1, failed, advice},       {2, failed, advice},
        {-1, failed, advice}, {INT_MIN, failed, advice}, {INT_MAX, failed, advice},
    };
    for (const auto& row : rows) {
        auto page = host.Add<CFinishPage>();
        ASSERT_TRUE(page) << row.errors;
        page->SetResult(row.errors);
        EXPECT_EQ(row.title, DlgItemText(page->m_hWnd, IDC_TITLE)) << row.errors;
        EXPECT_EQ(row.text, DlgItemText(page->m_hWnd, IDC_TEXT2)) << row.errors;
    }
}

TEST_F(PageContentTest, OnlyTheFirstResultCounts) {
    const struct {
        int first, second;
        const char* title;
    } rows[] = {
        {0, 0, "Programma di Aggiornamento Tessaro Vers. 0002 terminato in modo corretto."},
        {0, 1, "Programma di Aggiornamento Tessaro Vers. 0002 terminato in modo corretto."},
        {1, 0, "Programma di Aggiornamento Tessaro Vers. 0002 terminato con errori."},
        {1, 1, "Programma di Aggiornamento Tessaro Vers. 0002 terminato con errori."},
    };
    for (const auto& row : rows) {
        auto page = host.Add<CFinishPage>();
        ASSERT_TRUE(page);
        page->SetResult(row.first);
        const std::string text = DlgItemText(page->m_hWnd, IDC_TEXT2);
        page->SetResult(row.second);
        EXPECT_EQ(row.title, DlgItemText(page->m_hWnd, IDC_TITLE)) << row.first << row.second;
        EXPECT_EQ(text, DlgItemText(page->m_hWnd, IDC_TEXT2)) << row.first << row.second;
    }
}

TEST_F(PageContentTest, AResultBeforeTheWindowExistsIsNotLost) {
    CFinishPage page(nullptr);
    page.SetResult(1);
    ASSERT_TRUE(page.Create(CFinishPage::IDD, &host));
    page.SetResult(0);
    EXPECT_EQ("Programma di Aggiornamento Tessaro Vers. 0002 terminato in modo corretto.",
              DlgItemText(page.m_hWnd, IDC_TITLE));
}

TEST_F(PageContentTest, EscapeInTheListPageClosesItsOwnerOnly) {
    list->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(1, host.closes);
    EXPECT_TRUE(::IsWindow(list->m_hWnd));

    // Without an owner there is nobody to ask, and the page stays.
    CUpdateListPage orphan(nullptr);
    ASSERT_TRUE(orphan.Create(CUpdateListPage::IDD, &host));
    orphan.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(1, host.closes);
    EXPECT_TRUE(::IsWindow(orphan.m_hWnd));
}

TEST_F(PageContentTest, PagesFitTheWizardAboveItsEtchedLine) {
    RECT area{0, 0, 350, 199};
    ASSERT_TRUE(::MapDialogRect(host.m_hWnd, &area));
    RECT line;
    ::GetWindowRect(::GetDlgItem(host.m_hWnd, IDC_ETCHED_LINE), &line);
    ::MapWindowPoints(nullptr, host.m_hWnd, reinterpret_cast<POINT*>(&line), 2);
    ASSERT_EQ(area.bottom, line.top);

    for (HWND full : {welcome->m_hWnd, finish->m_hWnd}) {
        RECT page;
        ::GetClientRect(full, &page);
        EXPECT_EQ(area.right, page.right);
        EXPECT_EQ(area.bottom, page.bottom);
    }
    // The wizard puts the lower page one pixel below the band.
    const int band = WindowHeight(header->m_hWnd) + 1;
    EXPECT_LE(band + WindowHeight(list->m_hWnd), line.top);
    EXPECT_LE(band + WindowHeight(progress->m_hWnd), line.top);
}

} // namespace
