// A list that takes long to load: the wizard shows first, answers while the
// list goes into the tree, and lets the user leave; the tree ends up as a
// quick load leaves it.
#include "WizardFixture.h"
#include "resource.h"
#include <commctrl.h>

namespace {

using WizardListLoadTest = WizardTest;

const char kList[] = "free text before any entry\n"
                     "-> @versione=5.0  @build=04.04.16 first\n"
                     "  first detail  # comment\n"
                     "second detail\n"
                     "-> @versione=5.1  @build=04.11.30\n"
                     "-> see above\n"
                     "-> @build=04.11.30 @versione=5.1\n"
                     "-> @versione=5.0  @build=04.04.15\n"
                     "last detail\n";

const char kTree[] = "5.0 [04.04.16] del 16/4/2004 [2]\n"
                     "    first detail\n"
                     "    second detail\n"
                     "B 5.1 [04.11.30] del 30/11/2004 [2]\n"
                     "    -> see above\n"
                     "B 5.1 [04.11.30] del 30/11/2004 [2]\n"
                     "5.0 [04.04.15] del 15/4/2004 [2]\n"
                     "    last detail\n";

HWND Tree(TestWizard& w) {
    return FindControl(w.m_hWnd, IDC_UPDATE_TREE);
}

// The test's steps run from the load's own message pump too: they wait for
// Next, which comes back once the whole list is in.
bool Loading(TestWizard& w) {
    return !HasStyle(w.Item(IDC_NEXT), WS_VISIBLE);
}

TEST_F(WizardListLoadTest, LongLoadShowsTheWizardAndHoldsNextUntilTheWholeListIsIn) {
    MakePackage(kList, "1510");
    MessageBoxAnswerer boxes;
    TestWizard wizard;
    wizard.LoadListOnScreen();
    int calls = 0;
    wizard.whileListLoads = [&](TestWizard& w) {
        if (calls++ > 0)
            return;
        EXPECT_TRUE(HasStyle(w.m_hWnd, WS_VISIBLE));
        EXPECT_EQ(ShownPages(w.m_hWnd), "welcome");
        EXPECT_FALSE(HasStyle(w.Item(IDC_NEXT), WS_VISIBLE));
        EXPECT_TRUE(HasStyle(w.Item(IDCANCEL), WS_VISIBLE));
        EXPECT_EQ(::GetFocus(), w.Item(IDCANCEL));
        // Enter, or Next pressed some other way, must not show half a list.
        w.Click(IDC_NEXT);
        EXPECT_EQ(w.State(), WizardState::Welcome);
    };
    Run(wizard, {[&](TestWizard& w) {
            if (Loading(w))
                return false;
            EXPECT_GT(calls, 0);
            EXPECT_EQ(TreeDump(Tree(w)), kTree);
            EXPECT_EQ(ControlTextById(w.m_hWnd, IDC_NEWEST_STAMP), "5.1 [04.11.30]");
            EXPECT_EQ(DlgItemText(w.m_hWnd, IDC_STATUS_LINE), "Aggiornamento del 30/11/2004");
            EXPECT_EQ(::GetFocus(), w.Item(IDC_NEXT));
            w.Click(IDC_NEXT);
            EXPECT_EQ(w.State(), WizardState::List);
            w.EndDialog(IDOK);
            return true;
        }});
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(WizardListLoadTest, EsciDuringTheLoadAsksAndEndsAtOnceOrLetsTheLoadGoOn) {
    const struct {
        const char* name;
        int answer;
        bool goesOn;
    } rows[] = {
        {"yes: the wizard ends, no line more is read", IDYES, false},
        {"no: the whole list still comes", IDNO, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MakePackage(kList, "1510");
        MessageBoxAnswerer boxes;
        boxes.Queue(row.answer);
        TestWizard wizard;
        wizard.LoadListOnScreen();
        int calls = 0;
        int callsAfterEsci = -1;
        wizard.whileListLoads = [&](TestWizard& w) {
            if (callsAfterEsci >= 0) {
                ++callsAfterEsci;
            } else if (++calls == 3) {
                callsAfterEsci = 0;
                w.Click(IDCANCEL);
            }
        };
        std::vector<Step> steps;
        if (row.goesOn)
            steps.push_back([](TestWizard& w) {
                if (Loading(w))
                    return false;
                EXPECT_EQ(TreeDump(Tree(w)), kTree);
                w.EndDialog(IDOK);
                return true;
            });
        EXPECT_EQ(Run(wizard, steps), row.goesOn ? IDOK : IDCANCEL);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "Terminare il programma di aggiornamento?");
        if (row.goesOn)
            EXPECT_GT(callsAfterEsci, 0);
        else
            EXPECT_EQ(callsAfterEsci, 0);
    }
}

} // namespace
