#pragma once
#include "BitmapPanel.h"
#include "framework/Dialog.h"
#include "framework/Font.h"
#include "resource.h"

// The last screen: how the installation ended.
class CFinishPage : public CDialog {
public:
    enum { IDD = IDD_FINISH_PAGE };

    explicit CFinishPage(CWnd* parent = nullptr);
    ~CFinishPage() override;

    // Writes the outcome into the page: non-zero `errors` means the
    // installation ended with errors. Only the first call after the window
    // exists counts; later ones leave the texts as they are.
    void SetResult(int errors);

    const MessageMap* GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);

private:
    CBitmapPanel m_logoPanel;
    CBitmapPanel m_leftPanel;
    CFont m_titleFont;
    bool m_resultShown = false;
};
