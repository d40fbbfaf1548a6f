#pragma once
#include "pages/BitmapPanel.h"
#include "pages/WhitePage.h"
#include "framework/Font.h"
#include "res/resource.h"

// The first screen: greeting, advice to close the maker's programs, pictures.
class CWelcomePage : public CWhitePage {
public:
    enum { IDD = IDD_WELCOME_PAGE };

    explicit CWelcomePage(CWnd* parent = nullptr);
    ~CWelcomePage() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    CBitmapPanel m_logoPanel;
    CBitmapPanel m_leftPanel;
    CFont m_titleFont;
};
