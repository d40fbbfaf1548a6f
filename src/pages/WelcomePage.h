#pragma once
#include "BitmapPanel.h"
#include "framework/Dialog.h"
#include "framework/Font.h"
#include "resource.h"

// The first screen: greeting, advice to close the maker's programs, pictures.
class CWelcomePage : public CDialog {
public:
    enum { IDD = IDD_WELCOME_PAGE };

    explicit CWelcomePage(CWnd* parent = nullptr);
    ~CWelcomePage() override;

    const MessageMap* GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);

private:
    CBitmapPanel m_logoPanel;
    CBitmapPanel m_leftPanel;
    CFont m_titleFont;
};
