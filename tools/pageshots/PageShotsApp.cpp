// Shows one screen of the wizard, filled with sample data, for a picture:
//   pageshots SCREEN READY_FILE
// SCREEN is welcome, list, progress, finish or finish-errors; see
// scripts/page-screenshots.sh for the protocol around READY_FILE.
#include "ShotWizard.h"
#include "framework/WinApp.h"
#include <cstdlib>
#include <cstring>

namespace {

struct ScreenName {
    const char* name;
    CShotWizard::Screen screen;
};

const ScreenName kScreens[] = {
    {"welcome", CShotWizard::Screen::Welcome},
    {"list", CShotWizard::Screen::List},
    {"progress", CShotWizard::Screen::Progress},
    {"finish", CShotWizard::Screen::FinishCorrect},
    {"finish-errors", CShotWizard::Screen::FinishErrors},
};

class CPageShotsApp : public CWinApp {
public:
    BOOL InitInstance() override {
        Enable3dControls();
        if (__argc != 3)
            return FALSE;
        for (const ScreenName& entry : kScreens) {
            if (std::strcmp(entry.name, __argv[1]) != 0)
                continue;
            CShotWizard wizard(entry.screen, __argv[2]);
            m_pMainWnd = &wizard;
            m_exitCode = static_cast<int>(wizard.DoModal());
            m_pMainWnd = nullptr;
            break;
        }
        return FALSE;
    }

    int ExitInstance() override { return m_exitCode; }

private:
    int m_exitCode = 3; // no such screen, or wrong arguments
};

CPageShotsApp theApp;

} // namespace
