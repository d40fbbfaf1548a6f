// The wizard when a rule answers (/passive): it installs by itself, shows no
// box, lets Cancel stop the copy and closes at the end.
#include "WizardFixture.h"
#include "fileops/UnattendedQuestions.h"
#include "resource.h"

namespace {

const char kOldStamp[] = "@versione=5.0  @build=04.04.16";
const char kNewStamp[] = "@versione=5.1  @build=04.11.30";

TEST_F(WizardTest, UnattendedRunsByItselfWithoutABox) {
    enum class Change { None, NotRegistered, NoSizeFile, NewerInstalled, SameInstalled, Cancel };
    const struct {
        const char* name;
        Change change;
        StartupResult startup;
        bool installStarted;
        InstallOutcome outcome;
        const char* stamp;
    } rows[] = {
        {"Installs", Change::None, StartupResult::Ready, true, InstallOutcome::Installed,
         kNewStamp},
        {"SizeComputedFirst", Change::NoSizeFile, StartupResult::Ready, true,
         InstallOutcome::Installed, kNewStamp},
        {"NotInstalled", Change::NotRegistered, StartupResult::NotInstalled, false,
         InstallOutcome::NotStarted, kOldStamp},
        // Going back to an older update is not decided by a rule.
        {"OlderPackage", Change::NewerInstalled, StartupResult::OlderPackage, false,
         InstallOutcome::NotStarted, "@versione=5.2  @build=05.01.10"},
        {"SameStampInstallsAgain", Change::SameInstalled, StartupResult::Ready, true,
         InstallOutcome::Installed, kNewStamp},
        {"CancelStopsTheCopy", Change::Cancel, StartupResult::Ready, true, InstallOutcome::Failed,
         kOldStamp},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        switch (row.change) {
        case Change::NotRegistered:
            Register(nullptr);
            break;
        case Change::NoSizeFile:
            ASSERT_TRUE(::DeleteFileA(Path("prog\\r2718upd.dat\\sizeofupds.txt").c_str()));
            break;
        case Change::NewerInstalled:
            Put("inst\\Versione.txt", "@versione=5.2  @build=05.01.10");
            break;
        case Change::SameInstalled:
            Put("inst\\Versione.txt", kNewStamp);
            break;
        default:
            break;
        }
        MessageBoxAnswerer boxes;
        CUnattendedQuestions rule;
        TestWizard wizard;
        wizard.SetCopyQuestions(&rule);
        wizard.afterInit = [&](TestWizard& w) {
            // With the size known, nothing stands before the run to be read.
            if (row.change == Change::None) {
                EXPECT_EQ("header+progress", ShownPages(w.m_hWnd));
                // Enter before the run begins must not lead to the list.
                w.Click(IDC_NEXT);
            }
        };
        wizard.beforeCopy = [&](TestWizard& w) {
            EXPECT_TRUE(::IsWindowEnabled(w.Item(IDCANCEL))) << "Cancel must stay usable";
            if (row.change == Change::Cancel)
                w.Click(IDCANCEL);
        };
        Run(wizard);
        EXPECT_EQ(row.startup, wizard.Startup());
        EXPECT_EQ(row.installStarted, wizard.InstallStarted());
        EXPECT_EQ(row.outcome, wizard.Outcome());
        EXPECT_EQ(row.change == Change::Cancel, wizard.StoppedByUser());
        EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes().front().text;
        EXPECT_EQ(row.stamp, Get("inst\\Versione.txt"));
    }
}

} // namespace
