#pragma once

#include "driver/InstallationKey.h"
#include "driver/MessageBoxView.h"
#include "driver/ProcessWindows.h"
#include "driver/RemoteProcess.h"
#include "driver/RemoteTree.h"
#include "driver/Wait.h"
#include "driver/WizardControls.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Total bytes of the install tree that most tests use.
constexpr int kStandardSize = 3000 + 2500 + 1500 + 11;

// What the user sees of the wizard at one moment.
struct Screen {
    bool welcome = false;
    bool header = false;
    bool list = false;
    bool progress = false;
    bool finish = false;
    bool back = false;
    bool next = false;
    std::string nextText;
    bool cancelEnabled = false;
    std::string cancelText;
    bool statusLine = false;

    static Screen Welcome();
    static Screen List();
    static Screen Progress();
    static Screen Finish();
    bool operator==(const Screen& other) const;
    std::string Describe() const;
};

// One test's world: a medium folder with a copy of the program and an update
// package beside it, an installation folder registered in the registry, and
// the running program, which never outlives the test.
class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Media() const { return m_root->Path() + "\\media"; }
    std::string InstDir() const { return Media() + "\\r2718upd.dat\\InstDir"; }
    std::string Install() const { return m_root->Path() + "\\Tessaro"; }
    std::string Stamp() const { return Install() + "\\Versione.txt"; }

    void WriteList(const std::string& text);
    void WriteSize(const std::string& text);
    void AddPackageFile(const std::string& relative, const std::string& bytes);
    void AddPackageFolder(const std::string& relative);
    void AddInstalledFile(const std::string& relative, const std::string& bytes);
    void Register();
    void Register(const std::string& folder);
    // The package and installation most tests start from.
    void MakeStandardWorld();
    // r2718upd.dat\SHA256SUMS for the package as it stands; the files named
    // in `wrong` (paths from r2718upd.dat, '\' between folders) are listed
    // with the digest of nothing.
    void WriteChecksums(const std::vector<std::string>& wrong = {});
    std::string StandardList() const;

    // Starts the program; fails the test when it does not start.
    void Start(const std::string& arguments = "",
               int timeDivisor = e2e::RemoteProcess::kTestTimeDivisor);
    // Waits until the wizard is on screen and done with its start-up work;
    // a failure names the message box that stands in its way, if any.
    ::testing::AssertionResult WaitWizard();
    e2e::MessageBoxView WaitMessageBox(DWORD boundMs = e2e::kDefaultBoundMs);
    // True when no message box came up within the bound.
    bool NoMessageBoxWithin(DWORD boundMs);
    bool WaitExit(DWORD boundMs = e2e::kDefaultBoundMs);
    bool Running() const { return m_process.Running(); }

    Screen ReadScreen() const;
    ::testing::AssertionResult WaitScreen(const Screen& expected,
                                          DWORD boundMs = e2e::kDefaultBoundMs);
    // Clicks a wizard button once it is shown and enabled.
    ::testing::AssertionResult ClickButton(int id);
    e2e::RemoteWindow Control(int id) const { return m_wizard.Child(id); }
    e2e::RemoteWindow PageControl(int markerId, int id) const {
        return m_wizard.PageControl(markerId, id);
    }
    e2e::RemoteWindow FinishPage() const;
    std::string FinishText(int id) const;
    // Welcome, Next, and the list screen.
    void GoToList();
    // The finish screen after the run; fails the test when it does not come.
    void WaitFinish();

    std::string ReadFile(const std::string& path) const;
    // The small disk the CTest fixture e2e_full_disk mounts for the tests
    // that fill it up (SmallDisk()); false with the reason when there is none.
    static bool SmallDiskMounted(std::string& why);
    static std::string SmallDisk();

    e2e::RemoteWindow m_wizard;
    e2e::RemoteProcess m_process;

private:
    std::unique_ptr<TempFolder> m_root;
    std::unique_ptr<e2e::InstallationKey> m_key;
};

// Bytes that differ from file to file, so that a file copied to the wrong
// place or cut short shows.
std::string Pattern(std::size_t size, char seed);
std::string DescribeTree(const std::vector<e2e::TreeItem>& items);
