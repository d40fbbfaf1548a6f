// The checks and the loading when the wizard opens.
#include "WizardFixture.h"
#include "resource.h"

namespace {

struct StartupFailure {
    const char* name;
    std::function<void()> arrange;
    const char* text;
};

using WizardStartupTest = WizardTest;

const char kNotInstalled[] = "Programma Tessaro non risulta essere installato su questo computer.";

TEST_F(WizardStartupTest, EachFailedCheckTellsTheUserAndEndsWithZero) {
    const std::string package = "prog\\r2718upd.dat\\";
    const StartupFailure rows[] = {
        {"no value", [this] { Register(nullptr); }, kNotInstalled},
        {"folder missing", [this] { Register(Path("elsewhere").c_str()); }, kNotInstalled},
        {"no list", [&] { ::DeleteFileA(Path(package + "r2718upd.txt").c_str()); },
         "Nessuna informazione di aggiornamento."},
        {"empty tree, no size",
         [&] {
             for (const char* file : {"sizeofupds.txt", "InstDir\\a.txt", "InstDir\\sub\\b.bin",
                                      "InstDir\\sub\\c.txt"})
                 ::DeleteFileA(Path(package + file).c_str());
         },
         "Nessun Aggiornamento da installare."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        row.arrange();
        MessageBoxAnswerer boxes;
        TestWizard wizard;
        EXPECT_EQ(Run(wizard), 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const MessageBoxRecord& box = boxes.Boxes()[0];
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.text, row.text);
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    }
}

TEST_F(WizardStartupTest, ListFillsTreeWithNewerEntriesInBoldAndReferenceNumbers) {
    Register((Path("inst") + "\\").c_str());
    MakePackage("free text before any entry\n"
                "-> @versione=5.0  @build=04.04.16 first\n"
                "  first detail  # comment\n"
                "-> @versione=5.1  @build=04.11.30\n"
                "-> see above\n"
                "-> @build=04.11.30 @versione=5.1\n"
                "-> @versione=5.0  @build=04.04.15\n",
                "1510");
    MessageBoxAnswerer boxes;
    TestWizard wizard;
    Run(wizard, {[](TestWizard& w) {
                     HWND wnd = w.m_hWnd;
                     EXPECT_EQ(TreeDump(FindControl(wnd, IDC_UPDATE_TREE)),
                               "5.0 [04.04.16] del 16/4/2004 [2]\n"
                               "    first detail\n"
                               "B 5.1 [04.11.30] del 30/11/2004 [2]\n"
                               "    -> see above\n"
                               "B 5.1 [04.11.30] del 30/11/2004 [2]\n"
                               "5.0 [04.04.15] del 15/4/2004 [2]\n");
                     EXPECT_EQ(ControlTextById(wnd, IDC_NEWEST_STAMP), "5.1 [04.11.30]");
                     EXPECT_EQ(ControlTextById(wnd, IDC_INSTALLED_STAMP), "5.0 [04.04.16]");
                     EXPECT_EQ(DlgItemText(wnd, IDC_STATUS_LINE), "Aggiornamento del 30/11/2004");
                     EXPECT_EQ(w.NewestStamp().key, 51041130);
                     EXPECT_EQ(w.TotalSize(), 1510);
                     return true;
                 },
                 [](TestWizard& w) {
                     w.EndDialog(IDOK);
                     return true;
                 }});
    EXPECT_EQ(wizard.StampFilePath(), Path("inst\\Versione.txt"));
}

TEST_F(WizardStartupTest, WithoutInstalledStampEveryEntryIsNewer) {
    ::DeleteFileA(Path("inst\\Versione.txt").c_str());
    MessageBoxAnswerer boxes;
    TestWizard wizard;
    Run(wizard, {[](TestWizard& w) {
            EXPECT_EQ(TreeDump(FindControl(w.m_hWnd, IDC_UPDATE_TREE)),
                      "B 5.0 [04.04.16] del 16/4/2004 [2]\nB 5.1 [04.11.30] del 30/11/2004 [2]\n");
            EXPECT_EQ(ControlTextById(w.m_hWnd, IDC_INSTALLED_STAMP),
                      "Nessun aggiornamento effettuato");
            w.EndDialog(IDOK);
            return true;
        }});
}

// A size the package does not give (missing, zero, negative, not a number)
// is computed from the tree after the window shows, counting from zero.
TEST_F(WizardStartupTest, MissingSizeIsComputedWhileTheWizardWaits) {
    for (const char* size : {"", "0", "-5000", "abc"}) {
        SCOPED_TRACE(std::string("size file '") + size + "'");
        TearDown();
        SetUp();
        if (*size)
            Put("prog\\r2718upd.dat\\sizeofupds.txt", size);
        else
            ::DeleteFileA(Path("prog\\r2718upd.dat\\sizeofupds.txt").c_str());
        MessageBoxAnswerer boxes;
        TestWizard wizard;
        wizard.afterInit = [](TestWizard& w) {
            EXPECT_FALSE(HasStyle(w.Item(IDC_NEXT), WS_VISIBLE));
            EXPECT_FALSE(HasStyle(w.Item(IDCANCEL), WS_VISIBLE));
            EXPECT_FALSE(HasStyle(w.Item(IDC_STATUS_LINE), WS_VISIBLE));
            // Enter before the size is known must not lead on to the installation.
            w.Click(IDC_NEXT);
            EXPECT_EQ(w.State(), WizardState::Welcome);
        };
        wizard.duringSizeWalk = [](TestWizard& w) {
            EXPECT_EQ(DlgItemText(w.m_hWnd, IDC_STATUS_LINE), "Calcolo spazio necessario...");
            EXPECT_TRUE(HasStyle(w.Item(IDC_STATUS_LINE), WS_VISIBLE));
            EXPECT_FALSE(HasStyle(w.Item(IDC_NEXT), WS_VISIBLE));
            // Nothing may start or end the wizard while the walk runs.
            w.Click(IDC_NEXT);
            w.Click(IDCANCEL);
            w.SendMessage(WM_CLOSE);
            EXPECT_EQ(w.State(), WizardState::Welcome);
        };
        wizard.beforeCopy = [](TestWizard& w) {
            EXPECT_EQ(ProgressRange(w.m_hWnd), std::make_pair(0, 2 * 1510));
        };
        Run(wizard, {[](TestWizard& w) { return w.TotalSize() != 0 && !w.IsBusy(); },
                     [](TestWizard& w) {
                         EXPECT_TRUE(HasStyle(w.Item(IDC_NEXT), WS_VISIBLE));
                         EXPECT_TRUE(HasStyle(w.Item(IDCANCEL), WS_VISIBLE));
                         EXPECT_EQ(::GetFocus(), w.Item(IDC_NEXT));
                         EXPECT_EQ(DlgItemText(w.m_hWnd, IDC_STATUS_LINE),
                                   "Aggiornamento del 30/11/2004");
                         EXPECT_EQ(w.TotalSize(), 1510);
                         w.Click(IDC_NEXT);
                         w.Click(IDC_NEXT);
                         w.Click(IDCANCEL);
                         return true;
                     }});
        EXPECT_TRUE(boxes.Boxes().empty());
    }
}

} // namespace
