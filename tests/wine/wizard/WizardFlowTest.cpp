// Moving between the screens, and leaving the wizard.
#include "WizardFixture.h"
#include "resource.h"

namespace {

using WizardFlowTest = WizardTest;

void ExpectWelcome(TestWizard& w) {
    EXPECT_EQ(w.State(), WizardState::Welcome);
    EXPECT_EQ(ShownPages(w.m_hWnd), "welcome");
    EXPECT_FALSE(HasStyle(w.Item(IDC_BACK), WS_VISIBLE));
    EXPECT_EQ(DlgItemText(w.m_hWnd, IDC_NEXT), "Avanti>");
    EXPECT_TRUE(HasStyle(w.Item(IDC_STATUS_LINE), WS_VISIBLE));
}

void ExpectList(TestWizard& w) {
    EXPECT_EQ(w.State(), WizardState::List);
    EXPECT_EQ(ShownPages(w.m_hWnd), "header+list");
    EXPECT_EQ(ControlTextById(w.m_hWnd, IDC_HEADER_TITLE),
              "Elenco degli Aggiornamenti che verranno installati");
    EXPECT_TRUE(HasStyle(w.Item(IDC_BACK), WS_VISIBLE));
    EXPECT_EQ(DlgItemText(w.m_hWnd, IDC_NEXT), "Installa");
    EXPECT_FALSE(HasStyle(w.Item(IDC_STATUS_LINE), WS_VISIBLE));
}

Step Do(std::function<void(TestWizard&)> action) {
    return [action](TestWizard& w) {
        action(w);
        return true;
    };
}

TEST_F(WizardFlowTest, NextAndBackMoveBetweenWelcomeAndList) {
    MessageBoxAnswerer boxes;
    TestWizard wizard;
    Run(wizard,
        {Do(ExpectWelcome), Do([](TestWizard& w) { w.Click(IDC_NEXT); }), Do(ExpectList),
         Do([](TestWizard& w) {
             // The Back button hides itself: the focus must not stay on it.
             ::SetFocus(w.Item(IDC_BACK));
             w.Click(IDC_BACK);
             EXPECT_EQ(::GetFocus(), w.Item(IDC_NEXT));
         }),
         Do(ExpectWelcome), Do([](TestWizard& w) { PressKey(w.m_hWnd, VK_RETURN); }),
         [](TestWizard& w) { return w.State() == WizardState::List; }, Do(ExpectList),
         // Enter inside the list page belongs to the page: no installation.
         Do([](TestWizard& w) { PressKey(FindControl(w.m_hWnd, IDC_UPDATE_TREE), VK_RETURN); }),
         Do(ExpectList), Do([](TestWizard& w) { w.EndDialog(IDOK); })});
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Esci, Escape and the close box all ask first; No keeps the screen as it was.
TEST_F(WizardFlowTest, CancelAsksInWelcomeAndListScreens) {
    const struct {
        const char* name;
        void (*trigger)(TestWizard&);
    } ways[] = {
        {"Esci", [](TestWizard& w) { w.Click(IDCANCEL); }},
        {"Escape", [](TestWizard& w) { PressKey(w.m_hWnd, VK_ESCAPE); }},
        {"close box", [](TestWizard& w) { w.PostMessage(WM_SYSCOMMAND, SC_CLOSE); }},
    };
    for (const auto& way : ways) {
        for (int screen = 1; screen <= 2; ++screen) {
            SCOPED_TRACE(std::string(way.name) + " in state " + std::to_string(screen));
            MessageBoxAnswerer boxes;
            boxes.Queue(IDNO);
            boxes.Queue(IDYES);
            auto expectScreen = screen == 1 ? ExpectWelcome : ExpectList;
            TestWizard wizard;
            const INT_PTR result =
                Run(wizard, {Do([&](TestWizard& w) {
                                 if (screen == 2)
                                     w.Click(IDC_NEXT);
                                 way.trigger(w);
                             }),
                             [&](TestWizard&) { return boxes.Boxes().size() == 1; },
                             Do(expectScreen), Do(way.trigger)});
            EXPECT_EQ(result, IDCANCEL);
            ASSERT_EQ(boxes.Boxes().size(), 2u);
            const MessageBoxRecord& box = boxes.Boxes()[0];
            EXPECT_EQ(box.caption, kCaption);
            EXPECT_EQ(box.text, "Terminare il programma di aggiornamento?");
            EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONQUESTION));
            EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        }
    }
}

// The wizard never goes on with a page missing, at start or at the end.
TEST_F(WizardFlowTest, PageThatCannotBeMadeEndsTheWizard) {
    for (UINT page : {IDD_WELCOME_PAGE, IDD_HEADER_PAGE, IDD_UPDATE_LIST_PAGE, IDD_PROGRESS_PAGE,
                      IDD_FINISH_PAGE}) {
        SCOPED_TRACE("template " + std::to_string(page));
        MessageBoxAnswerer boxes;
        TestWizard wizard;
        wizard.failingTemplate = page;
        std::vector<Step> steps;
        if (page == IDD_FINISH_PAGE)
            steps = {Do([](TestWizard& w) {
                w.Click(IDC_NEXT);
                w.Click(IDC_NEXT);
            })};
        EXPECT_EQ(Run(wizard, steps), 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, kCaption);
        EXPECT_EQ(boxes.Boxes()[0].text, "Impossibile avviare il programma di aggiornamento.");
        EXPECT_EQ(boxes.Boxes()[0].icon, static_cast<UINT>(MB_ICONERROR));
    }
}

} // namespace
