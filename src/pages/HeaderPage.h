#pragma once
#include "pages/BitmapPanel.h"
#include "pages/WhitePage.h"
#include "framework/Font.h"
#include "res/resource.h"

// The white band above the list and progress pages: the screen's title,
// which the wizard sets, and the logo.
class CHeaderPage : public CWhitePage {
public:
    enum { IDD = IDD_HEADER_PAGE };

    explicit CHeaderPage(CWnd* parent = nullptr);
    ~CHeaderPage() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    CBitmapPanel m_logoPanel;
    CFont m_titleFont;
};
