#pragma once
#include "ProgramFolder.h"
#include "framework/WinApp.h"

// The application object: learns the folder the program file lives in, so
// that the update package beside it can be found, and runs the wizard.
class CUpdateApp : public CWinApp {
public:
    CUpdateApp();
    ~CUpdateApp() override;

    // Records the folder of the running program, then runs the wizard
    // modally. FALSE: there is no message loop after the wizard.
    BOOL InitInstance() override;

    // The program folder of the running program file, or of a given module
    // path (tests place the package where they like).
    bool RecordProgramFolder();
    bool RecordProgramFolder(const char* modulePath);
    // Program folder, a backslash and relative. The text stays valid only
    // until the next call: every call builds into the same buffer.
    const char* ProgramRelativePath(const char* relative);

private:
    CProgramFolder m_programFolder;
};

// The running program's application object; null when the process has
// another kind of application object.
CUpdateApp* GetUpdateApp();
