#pragma once
// Runs the real wizard modally in-process, over a package and an
// installation made in a temp folder, with the installation registered in
// the registry's 32-bit view. Steps of a test run one at a time from inside
// the wizard's own loop; every message box is answered by the CBT answerer.
#include "UpdateWizardDlg.h"
#include "WineTestSupport.h"
#include <gtest/gtest.h>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Failures name the screen.
inline void PrintTo(WizardState state, std::ostream* out) {
    static const char* const names[] = {"None", "Welcome", "List", "Result"};
    *out << names[static_cast<int>(state)];
}

// The wizard with the seams the tests look through.
class TestWizard : public CUpdateWizardDlg {
public:
    // Finds its package beside the test application's program folder.
    TestWizard();
    using Hook = std::function<void(TestWizard&)>;
    Hook afterInit, duringSizeWalk, beforeCopy, whileListLoads;
    UINT failingTemplate = 0;

    // Any list loads as a long one: with the wizard on screen, hook called.
    void LoadListOnScreen() { m_listQuietLoadMs = 0; }

    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // Sends a button click, as the button itself would.
    void Click(int id) { SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Item(id)); }

protected:
    BOOL OnInitDialog() override;
    BOOL CreatePage(CDialog& page, UINT templateId) override;
    void AddFolderSize(const char* folder) override;
    void WhileListLoads() override;
    bool CopyPackageTree(CTreeCopier& copier, const char* source, const char* destination) override;
};

// One step of a run: true when done, false to be called again on the next tick.
using Step = std::function<bool(TestWizard&)>;

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files of the sandbox, by path relative to it ("prog\\..." or "inst\\...").
    void Put(const std::string& relative, const std::string& bytes);
    std::string Get(const std::string& relative) const;
    std::string Path(const std::string& relative) const { return m_root->Sub(relative); }

    // The package beside the program: list, size file (none when empty) and tree.
    void MakePackage(const std::string& list, const std::string& size);
    // The registry value naming the installation folder; nullptr: key without value.
    void Register(const char* folder);

    // Runs the wizard modally; message boxes need an answerer in the test.
    INT_PTR Run(TestWizard& wizard, std::vector<Step> steps = {});

private:
    std::optional<TempFolder> m_root; // a fresh one at every SetUp
    bool m_registered = false;
};

// Screens and controls, read from the windows.
bool HasStyle(HWND wnd, DWORD style);
// The pages shown, in stacking order of creation: "welcome", "header+list" ...
std::string ShownPages(HWND wizard);
// Any descendant control with that id (each id used below is unique).
HWND FindControl(HWND root, int id);
std::string ControlTextById(HWND root, int id);
// Root items as "B text [2]" (bold, state image), children indented by four.
std::string TreeDump(HWND tree);
std::pair<int, int> ProgressRange(HWND wizard);
// Gives `target` the focus and posts a key press to it, as the keyboard would.
void PressKey(HWND target, UINT key);

extern const char kCaption[];
