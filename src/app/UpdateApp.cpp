#include "app/UpdateApp.h"
#include "app/CommandLine.h"
#include "app/ExitCodes.h"
#include "data/PackageLayout.h"
#include "app/QuietRun.h"
#include "app/SingleInstance.h"
#include "app/UpdateLog.h"
#include "wizard/UpdateWizardDlg.h"
#include "fileops/UnattendedQuestions.h"
#include "texts/Texts.h"
#include <cstdio>
#include <string>

// The one application object: the program entry runs its InitInstance.
static CUpdateApp theApp;

CUpdateApp::CUpdateApp() = default;

CUpdateApp::~CUpdateApp() = default;

BOOL CUpdateApp::InitInstance() {
    Enable3dControls();
    RecordProgramFolder();
    m_exitCode = Run(GetCommandLineA());
    return FALSE;
}

int CUpdateApp::ExitInstance() {
    return m_exitCode;
}

int CUpdateApp::Run(const char* commandLine) {
    char caption[64];
    texts::FormatCaption(caption, sizeof caption);

    const CommandLineOptions options = ParseCommandLine(commandLine);
    if (options.result == CommandLineOptions::Result::Help) {
        // With /quiet nothing may wait for a person.
        if (!options.quietAsked)
            MessageBoxA(nullptr, texts::kUsage, caption, MB_ICONINFORMATION);
        return kExitInstalled;
    }
    if (options.result == CommandLineOptions::Result::Bad) {
        if (!options.quietAsked) {
            // badArgument is bounded; the usage is ours.
            const std::string text =
                std::string(texts::kBadArgument) + options.badArgument + "\n\n" + texts::kUsage;
            MessageBoxA(nullptr, text.c_str(), caption, MB_ICONERROR);
        }
        return kExitBadCommandLine;
    }

    // Before the log: the running copy may be writing the same log file,
    // which this one would otherwise set aside under its feet.
    CSingleInstance single;
    if (!single.Owned()) {
        // A box would hold an unattended script until someone pressed OK.
        if (options.mode == RunMode::Interactive)
            MessageBoxA(nullptr, texts::kAlreadyRunning, caption, MB_ICONINFORMATION);
        if (options.mode != RunMode::Quiet)
            ShowRunningWizard(caption);
        return kExitAlreadyRunning;
    }

    CUpdateLog log;
    if (options.logPath[0] != '\0') {
        log.Open(options.logPath);
    } else {
        char path[MAX_PATH];
        char previous[MAX_PATH];
        if (DefaultLogPaths(path, sizeof path, previous, sizeof previous))
            log.Open(path, previous);
    }
    log.Started(commandLine, options.mode);

    // Each path is copied out: ProgramRelativePath reuses one buffer.
    const std::string packageFolder = ProgramRelativePath(kPackageFolderName);
    RunSummary summary;
    int code = kExitFailed;
    if (options.mode == RunMode::Quiet) {
        const std::string list = ProgramRelativePath(kListFileRelative);
        const std::string size = ProgramRelativePath(kSizeFileRelative);
        const std::string tree = ProgramRelativePath(kInstallTreeRelative);
        const std::string sums = ProgramRelativePath(kChecksumFileRelative);
        StartupFacts facts;
        log.FactsFrom(&facts, packageFolder.c_str());
        summary = RunQuietly({list.c_str(), size.c_str(), tree.c_str(), sums.c_str()}, facts, log);
        code = DecideExitCode(summary);
        log.Ended(summary, code);
        log.FactsFrom(nullptr, nullptr);
        return code;
    }

    CUpdateWizardDlg wizard;
    wizard.SetProgramFolder(&m_programFolder);
    CUnattendedQuestions rule;
    if (options.mode == RunMode::Passive)
        wizard.SetCopyQuestions(&rule);
    wizard.SetExtraReport(&log);
    log.FactsFrom(&wizard.Facts(), packageFolder.c_str());
    m_pMainWnd = &wizard;
    wizard.DoModal();
    m_pMainWnd = nullptr;
    if (!wizard.StartProblem().empty())
        log.Line(texts::kLogNotStarted, wizard.StartProblem().c_str());
    summary.startup = wizard.Startup();
    summary.installStarted = wizard.InstallStarted();
    summary.outcome = wizard.Outcome();
    summary.stoppedByUser = wizard.StoppedByUser();
    code = DecideExitCode(summary);
    log.Ended(summary, code);
    log.FactsFrom(nullptr, nullptr);
    return code;
}

bool CUpdateApp::RecordProgramFolder() {
    return m_programFolder.RecordProgramFolder();
}

bool CUpdateApp::RecordProgramFolder(const char* modulePath) {
    return m_programFolder.RecordProgramFolder(modulePath);
}

const char* CUpdateApp::ProgramRelativePath(const char* relative) {
    return m_programFolder.ProgramRelativePath(relative);
}

CUpdateApp* GetUpdateApp() {
    return dynamic_cast<CUpdateApp*>(AfxGetApp());
}
