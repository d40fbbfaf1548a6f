#pragma once
#include "framework/Button.h"
#include "framework/Dialog.h"
#include "run/InstallationRun.h"
#include "run/StartupFacts.h"
#include "data/VersionStamp.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CFinishPage;
class CProgramFolder;
class ICopyQuestions;
class ICopyReport;
class CHeaderPage;
class CProgressCtrl;
class CProgressPage;
class CStatic;
class CTextLineReader;
class CTreeCopier;
class CTreeCtrl;
class CUpdateListPage;
class CWelcomePage;

// The wizard's screens, in the order Next steps through them. None lasts only
// until the window is set up; the installation run goes from List to Result.
enum class WizardState { None, Welcome, List, Result };

// The update wizard: the program's only top-level window. It stacks the page
// dialogs inside itself and moves between three screens (welcome, list of
// updates, result) with the installation run between the last two.
//
// At start it checks the installation, loads the package's list into the
// list page and learns the package size (computing it from the package tree
// after the window shows, when the package gives none). Any check that fails
// tells the user and ends the dialog with 0. The checks and the run are the
// run layer's (src/run), the same as without a window.
//
// Its code is split by what it does: the window itself (UpdateWizardDlg.cpp),
// loading at start (UpdateWizardLoad.cpp), moving between screens
// (UpdateWizardFlow.cpp) and the installation step (UpdateWizardInstall.cpp).
class CUpdateWizardDlg : public CDialog {
public:
    explicit CUpdateWizardDlg(CWnd* parent = nullptr);
    ~CUpdateWizardDlg() override;

    enum : UINT_PTR { SpaceTimerId = 101, UnattendedTimerId = 102 };
    enum : UINT { SpaceTimerDelayMs = 200 };
    // A list that takes longer than this to load shows the wizard first and
    // loads on while the window answers the user.
    enum : DWORD { ListQuietLoadMs = 250 };

    // Read-only views for the program's own checks and tests.
    WizardState State() const { return m_state; }
    bool IsBusy() const { return m_busy; }
    int64_t TotalSize() const { return m_facts.totalSize; }
    const VersionStamp& InstalledStamp() const { return m_facts.installed; }
    const VersionStamp& NewestStamp() const { return m_facts.newest; }
    const char* InstallationFolder() const { return m_facts.installFolder; }
    const char* StampFilePath() const { return m_facts.stampFilePath; }
    const StartupFacts& Facts() const { return m_facts; }
    const char* Caption() const { return m_caption; }
    // How the installation run ended; NotStarted until it has run.
    InstallOutcome Outcome() const { return m_outcome; }
    // Why the last "Installa" did not start the run; empty when it did.
    const std::string& StartProblem() const { return m_startProblem; }
    // Why the wizard stopped before it could install (Ready: it did not).
    StartupResult Startup() const { return m_startup; }
    // The installation run was begun ("Installa", or by itself when unattended).
    bool InstallStarted() const { return m_installStarted; }
    // Cancel was pressed while an unattended run copied.
    bool StoppedByUser() const { return m_stopRequested; }

    // Unattended use: who answers the copy's questions instead of the person
    // (not owned; null: the person), and one more report of the copy, such
    // as the log (not owned; may be null). Before DoModal. Answers from a
    // rule (IsAutomatic) make the whole wizard unattended: it installs at
    // once, shows no box, lets Cancel stop the copy and closes at the end.
    void SetCopyQuestions(ICopyQuestions* questions) { m_questions = questions; }
    // Where the package is: the folder of the running program (not owned).
    // Without one every package path is unusable and the start says so.
    void SetProgramFolder(CProgramFolder* folder) { m_programFolder = folder; }
    void SetExtraReport(ICopyReport* report) { m_extraReport = report; }

    const MessageMap* GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

    void OnNext();
    void OnBack();
    void OnTimer(UINT_PTR id);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    // Creates one page window from its template as a hidden child of the
    // wizard; FALSE when that fails. Tests make it fail.
    virtual BOOL CreatePage(CDialog& page, UINT templateId);
    // Copies the package tree into the installation folder; true when the
    // walk reached its end. Tests look at the progress screen from here.
    virtual bool CopyPackageTree(CTreeCopier& copier, const char* source, const char* destination);

    // Adds the size of every file under folder to the total size. Tests look
    // at the screen from here.
    virtual void AddFolderSize(const char* folder);

    // Between two lines of a long list load, once the wizard is on screen.
    // Tests look at the screen and press buttons from here.
    virtual void WhileListLoads() {}
    // Tests shorten it to 0 to load any list as a long one.
    DWORD m_listQuietLoadMs = ListQuietLoadMs;

private:
    bool CreatePages();
    // Creates one page hidden at (0, y) of the wizard; false when it cannot.
    template <class Page> bool MakePage(std::unique_ptr<Page>& page, int y);
    void LoadInstallationAndPackage();
    // Fills the tree from the open list file; false when the user left meanwhile.
    bool LoadUpdateList(CTextLineReader& reader, char* line, std::size_t lineSize);
    // Asked before each list line: shows the wizard once the load takes long,
    // then keeps it answering; false once the user has ended the wizard.
    bool KeepLoadingList();
    void RunInstallation();
    bool ShowFinishPage(bool errors);
    // Room on the disk and the safety net, before anything changes; when one
    // is missing the user is told (StartProblem()) and false comes back.
    bool CanStart(CInstallationRun& run);
    // A page could not be made: tell the user and end the dialog.
    void FailToStart();
    // Tells the user why with an error box titled with the caption (none
    // when unattended), records why and ends with 0.
    void Fail(StartupResult why);
    bool Unattended() const;
    // Unattended, once the package size is known: the stamps' rule, then the run.
    void StartUnattended();

    void ShowWelcome();
    void ShowList();
    void ShowPageForState();

    void ShowItem(int id, bool show);
    void GiveFocus(CButton& button);
    // The one way a page goes: its window first, while the object still
    // hears the window's last messages, then the object. The unique_ptr
    // members are the pages' only owners; nothing else keeps a pointer.
    template <class Page> void ClosePage(std::unique_ptr<Page>& page);
    // Path of a package file beside the program (program folder + relative).
    const char* PackagePath(const char* relative);

    WizardState m_state = WizardState::None;
    CButton m_cancelButton;
    CButton m_backButton;
    CButton m_nextButton;
    HICON m_icon = nullptr;
    std::unique_ptr<CWelcomePage> m_welcomePage;
    std::unique_ptr<CHeaderPage> m_headerPage;
    std::unique_ptr<CUpdateListPage> m_listPage;
    std::unique_ptr<CProgressPage> m_progressPage;
    std::unique_ptr<CFinishPage> m_finishPage;
    char m_caption[256] = {};
    StartupFacts m_facts;
    // While the size walk or the installation run goes on: Cancel waits.
    bool m_busy = false;
    InstallOutcome m_outcome = InstallOutcome::NotStarted;
    std::string m_startProblem;
    StartupResult m_startup = StartupResult::Ready;
    bool m_installStarted = false;
    bool m_stopRequested = false;
    ICopyQuestions* m_questions = nullptr;
    CProgramFolder* m_programFolder = nullptr;
    ICopyReport* m_extraReport = nullptr;
    // From the start until the package size is computed, Next must wait.
    bool m_sizePending = false;
    // Likewise while a long list loads with the wizard on screen.
    bool m_listPending = false;
    ULONGLONG m_listLoadStart = 0;
};

template <class Page> void CUpdateWizardDlg::ClosePage(std::unique_ptr<Page>& page) {
    if (page)
        page->DestroyWindow();
    page.reset();
}
