#pragma once
#include "FinishPage.h"
#include "HeaderPage.h"
#include "ProgressPage.h"
#include "UpdateListPage.h"
#include "WelcomePage.h"
#include "framework/Dialog.h"
#include <memory>
#include <string>

// One screen of the wizard as the user sees it: the wizard's own template
// with its buttons, and the pages of that screen filled with sample data.
class CShotWizard : public CDialog {
public:
    enum class Screen { Welcome, List, Progress, FinishCorrect, FinishErrors };

    // Once the screen is painted, its window rectangle ("x y width height")
    // is written to `readyFile`; the window closes when that file is deleted.
    CShotWizard(Screen screen, std::string readyFile);
    ~CShotWizard() override;

    const MessageMap* GetMessageMap() const override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void OnTimer(UINT_PTR id);

private:
    void ShowWelcome();
    void ShowList();
    void ShowProgress();
    void ShowFinish(int errors);
    int BandHeight() const;
    void SetButtons(bool back, const char* next, const char* cancel, bool statusLine);
    bool WriteReadyFile() const;

    Screen m_screen;
    std::string m_readyFile;
    HICON m_icon = nullptr;
    std::unique_ptr<CWelcomePage> m_welcome;
    std::unique_ptr<CHeaderPage> m_header;
    std::unique_ptr<CUpdateListPage> m_list;
    std::unique_ptr<CProgressPage> m_progress;
    std::unique_ptr<CFinishPage> m_finish;
};
