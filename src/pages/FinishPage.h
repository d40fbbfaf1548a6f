#pragma once
#include "pages/BitmapPanel.h"
#include "pages/WhitePage.h"
#include "framework/Font.h"
#include "res/resource.h"

// The last screen: how the installation ended.
class CFinishPage : public CWhitePage {
public:
    enum { IDD = IDD_FINISH_PAGE };

    explicit CFinishPage(CWnd* parent = nullptr);
    ~CFinishPage() override;

    // What an update that ended with errors took back.
    enum class Undone { Nothing, Everything, NotEverything };

    // Writes the outcome into the page: `errors` means the installation
    // ended with errors; `undone` adds what became of the
    // changes in front of the advice. Only the first call after the window
    // exists counts; later ones leave the texts as they are.
    void SetResult(bool errors, Undone undone = Undone::Nothing);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    CBitmapPanel m_logoPanel;
    CBitmapPanel m_leftPanel;
    CFont m_titleFont;
    bool m_resultShown = false;
};
