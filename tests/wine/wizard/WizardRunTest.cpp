// The installation run: from "Installa" to the result screen and "Fine".
#include "WizardFixture.h"
#include "resource.h"

namespace {

const char kOldStamp[] = "@versione=5.0  @build=04.04.16";
const char kNewStamp[] = "@versione=5.1  @build=04.11.30";
const char kCorrect[] = "Programma di Aggiornamento Tessaro Vers. 0002 terminato in modo corretto.";
const char kErrors[] = "Programma di Aggiornamento Tessaro Vers. 0002 terminato con errori.";

class WizardRunTest : public WizardTest {
protected:
    // Runs to the result screen, checks it and closes with "Fine".
    void Install(TestWizard& wizard, const char* outcome) {
        const INT_PTR result =
            Run(wizard, {[](TestWizard& w) {
                             w.Click(IDC_NEXT);
                             w.Click(IDC_NEXT);
                             return true;
                         },
                         [outcome](TestWizard& w) {
                             EXPECT_EQ(w.State(), WizardState::Result);
                             EXPECT_EQ(ShownPages(w.m_hWnd), "finish");
                             EXPECT_EQ(ControlTextById(w.m_hWnd, IDC_TITLE), outcome);
                             EXPECT_FALSE(HasStyle(w.Item(IDC_BACK), WS_VISIBLE));
                             EXPECT_FALSE(HasStyle(w.Item(IDC_NEXT), WS_VISIBLE));
                             EXPECT_EQ(DlgItemText(w.m_hWnd, IDCANCEL), "Fine");
                             EXPECT_TRUE(::IsWindowEnabled(w.Item(IDCANCEL)));
                             // Enter still reaches the hidden Next: it must change nothing.
                             w.Click(IDC_NEXT);
                             w.Click(IDC_BACK);
                             EXPECT_EQ(ShownPages(w.m_hWnd), "finish");
                             w.Click(IDCANCEL);
                             return true;
                         }});
        EXPECT_EQ(result, IDCANCEL);
    }
};

TEST_F(WizardRunTest, SuccessfulCopyWritesTheNewestStampAndEndsCorrectly) {
    MessageBoxAnswerer boxes;
    TestWizard wizard;
    wizard.beforeCopy = [](TestWizard& w) {
        EXPECT_TRUE(w.IsBusy());
        EXPECT_EQ(ShownPages(w.m_hWnd), "header+progress");
        EXPECT_EQ(ControlTextById(w.m_hWnd, IDC_HEADER_TITLE),
                  "Installazione Aggiornamenti in corso");
        EXPECT_EQ(FindControl(w.m_hWnd, IDC_UPDATE_TREE), nullptr);
        EXPECT_FALSE(HasStyle(w.Item(IDC_NEXT), WS_VISIBLE));
        EXPECT_FALSE(HasStyle(w.Item(IDC_BACK), WS_VISIBLE));
        EXPECT_FALSE(::IsWindowEnabled(w.Item(IDCANCEL)));
        EXPECT_TRUE(HasStyle(w.Item(IDC_STATUS_LINE), WS_VISIBLE));
        EXPECT_EQ(ProgressRange(w.m_hWnd), std::make_pair(0, 3020));
        EXPECT_EQ(ControlTextById(w.m_hWnd, IDC_COPY_STATUS), "");
        // Commands that arrive during the copy change nothing.
        w.Click(IDC_NEXT);
        w.Click(IDC_BACK);
        w.Click(IDCANCEL);
        w.SendMessage(WM_CLOSE);
        EXPECT_EQ(w.State(), WizardState::List);
    };
    Install(wizard, kCorrect);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Get("inst\\Versione.txt"), kNewStamp);
    EXPECT_EQ(Get("inst\\a.txt"), std::string(10, 'a'));
    EXPECT_EQ(Get("inst\\sub\\b.bin"), std::string(1500, 'b'));
    EXPECT_EQ(Get("inst\\sub\\c.txt"), "");
    EXPECT_EQ(Get("inst\\old.txt"), "old");
}

// The copy that did not get the whole package there must not leave the new
// stamp behind: running the update again then repairs the installation.
TEST_F(WizardRunTest, FailedOrIncompleteRunKeepsTheOldStamp) {
    const struct {
        const char* name;
        const char* held; // held open without sharing during the copy
        int answer;       // to the copier's prompt
        const char* outcome;
        const char* stamp;
    } rows[] = {
        {"Abort at a package file", "prog\\r2718upd.dat\\InstDir\\sub\\b.bin", IDABORT, kErrors,
         kOldStamp},
        {"Ignore at a package file", "prog\\r2718upd.dat\\InstDir\\sub\\b.bin", IDIGNORE, kCorrect,
         kNewStamp},
        {"Ignore at a missing package tree", nullptr, IDIGNORE, kErrors, kOldStamp},
        // Asked about as any held file is; Ignore cannot skip the stamp.
        {"Abort at the stamp file in use", "inst\\Versione.txt", IDABORT, kErrors, kOldStamp},
        {"Ignore at the stamp file in use", "inst\\Versione.txt", IDIGNORE, kErrors, kOldStamp},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        if (!row.held)
            ::MoveFileA(Path("prog\\r2718upd.dat\\InstDir").c_str(),
                        Path("prog\\r2718upd.dat\\gone").c_str());
        MessageBoxAnswerer boxes;
        if (row.answer)
            boxes.Queue(row.answer);
        std::unique_ptr<ExclusiveHold> held;
        TestWizard wizard;
        wizard.beforeCopy = [&](TestWizard&) {
            if (!row.held)
                return;
            held = std::make_unique<ExclusiveHold>(Path(row.held));
            EXPECT_TRUE(held->IsHeld()) << Path(row.held);
        };
        Install(wizard, row.outcome);
        held.reset();
        EXPECT_EQ(Get("inst\\Versione.txt"), row.stamp);
        EXPECT_EQ(boxes.Unexpected(), 0);
        EXPECT_EQ(boxes.Boxes().size(), row.answer ? 1u : 0u);
    }
}

// A list without one readable entry gives the zero stamp, which the wizard
// itself would later read as "no update installed": the copy and its outcome
// stay as they are, but the installed stamp is never replaced by it.
TEST_F(WizardRunTest, AListWithoutAReadableEntryNeverErasesTheInstalledStamp) {
    const struct {
        const char* row;
        const char* list;
    } rows[] = {
        // The whole file is one line, which begins with the title.
        {"carriage returns only", "Aggiornamenti Tessaro\r-> @versione=5.1  @build=04.11.30\r"},
        {"no blank after the marker", "->@versione=5.1  @build=04.11.30\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        TearDown();
        SetUp();
        MakePackage(row.list, "1510");
        MessageBoxAnswerer boxes;
        TestWizard wizard;
        Install(wizard, kCorrect);
        EXPECT_EQ(Get("inst\\Versione.txt"), kOldStamp);
        EXPECT_EQ(Get("inst\\a.txt"), std::string(10, 'a'));
        EXPECT_TRUE(boxes.Boxes().empty());
    }
}

// Without its safety net the run does not start: the user is told, the list
// stays, and nothing in the installation has changed.
TEST_F(WizardRunTest, ARunThatCannotSetItsSafetyNetUpTouchesNothing) {
    // A file where the safety net's folder must go.
    Put("inst\\~kvu", "not a folder");
    MessageBoxAnswerer boxes;
    boxes.Queue(IDOK);
    boxes.Queue(IDYES); // "Terminare il programma di aggiornamento?"
    TestWizard wizard;
    Run(wizard, {[](TestWizard& w) {
                     w.Click(IDC_NEXT);
                     w.Click(IDC_NEXT);
                     return true;
                 },
                 [](TestWizard& w) {
                     EXPECT_EQ(w.State(), WizardState::List);
                     EXPECT_EQ(ShownPages(w.m_hWnd), "header+list");
                     EXPECT_EQ(w.Outcome(), InstallOutcome::NotStarted);
                     w.PostMessage(WM_CLOSE);
                     return true;
                 }});
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "Impossibile preparare l'aggiornamento: nessun file è stato modificato.");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Aggiornamento Tessaro Vers. 0002");
    EXPECT_EQ(Get("inst\\Versione.txt"), kOldStamp);
    EXPECT_EQ(Get("inst\\old.txt"), "old");
    EXPECT_EQ(Get("inst\\a.txt"), "<missing>");
    EXPECT_EQ(Get("inst\\~kvu"), "not a folder");
}

// The bar's range is twice the package size, scaled once that no longer
// fits the control's 32-bit range.
TEST_F(WizardRunTest, ProgressRangeFollowsThePackageSize) {
    const struct {
        const char* size;
        int high;
    } rows[] = {
        {"1510", 3020},
        {"1073741823", 2147483646},
        {"3000000000", 1500000000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        Put("prog\\r2718upd.dat\\sizeofupds.txt", row.size);
        MessageBoxAnswerer boxes;
        TestWizard wizard;
        int high = -1;
        wizard.beforeCopy = [&](TestWizard& w) { high = ProgressRange(w.m_hWnd).second; };
        Install(wizard, kCorrect);
        EXPECT_EQ(high, row.high);
    }
}

} // namespace
