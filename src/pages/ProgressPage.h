#pragma once
#include "framework/Dialog.h"
#include "framework/ProgressCtrl.h"
#include "framework/Static.h"
#include "res/resource.h"

// The copy in progress: the line naming the file and the bar, both driven
// by the copier the wizard hands them to.
class CProgressPage : public CDialog {
public:
    enum { IDD = IDD_PROGRESS_PAGE };

    explicit CProgressPage(CWnd* parent = nullptr);
    ~CProgressPage() override;

    CStatic m_statusText;
    CProgressCtrl m_progressBar;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
