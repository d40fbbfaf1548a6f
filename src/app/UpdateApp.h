#pragma once
#include "data/ProgramFolder.h"
#include "framework/WinApp.h"

// The application object: learns the folder the program file lives in, so
// that the update package beside it can be found, reads the command line and
// runs the update in the mode asked for (the wizard, the wizard without
// questions, or no window at all); its exit code says how it went.
class CUpdateApp : public CWinApp {
public:
    CUpdateApp();
    ~CUpdateApp() override;

    // Records the folder of the running program, then runs the update for
    // the program's command line. FALSE: there is no message loop after it.
    BOOL InitInstance() override;
    // The exit code the run decided (ExitCodes.h).
    int ExitInstance() override;

    // One run for a whole command line (the program path first); returns
    // the exit code. Tests call it with lines of their own.
    int Run(const char* commandLine);

    // The program folder of the running program file, or of a given module
    // path (tests place the package where they like).
    bool RecordProgramFolder();
    bool RecordProgramFolder(const char* modulePath);
    // Program folder, a backslash and relative. The text stays valid only
    // until the next call: every call builds into the same buffer.
    const char* ProgramRelativePath(const char* relative);
    CProgramFolder& ProgramFolder() { return m_programFolder; }

private:
    CProgramFolder m_programFolder;
    int m_exitCode = 0;
};

// The running program's application object; null when the process has
// another kind of application object.
CUpdateApp* GetUpdateApp();
