#pragma once
#include "framework/Wnd.h"

class CDataExchange;

// A dialog from a template of the program's resources: modal (DoModal, with
// the framework's own modal loop) or a modeless child page (Create).
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally with the parent (if any) as disabled owner and
    // returns the EndDialog value; -1 when the dialog cannot be created,
    // IDCANCEL when it ends otherwise (a WM_QUIT, which is posted again for
    // the loop around, or its window destroyed from outside).
    INT_PTR DoModal();
    // Creates a modeless child dialog; it stays hidden if the template is.
    // OnInitDialog has run when it returns.
    BOOL Create(UINT templateId, CWnd* parent);

    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // The base runs the data exchange (UpdateData(FALSE)) and returns TRUE.
    virtual BOOL OnInitDialog();
    // Modal: end with IDOK / IDCANCEL. Modeless: nothing, so a page never
    // ends or hides itself.
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);

    const MessageMap* GetMessageMap() const override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    BOOL IsModal() const { return m_modal; }
    // Modal and EndDialog called: the dialog goes once its handlers return.
    bool IsEnding() const { return m_modal && m_endModal; }
    UINT GetTemplateId() const { return m_templateId; }

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_templateId;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND CreateModalWindow(HWND owner);
    // Creates the window through `make` with this object handed over to its
    // first messages; null when it could not be made or was not ours.
    template <class Make> HWND CreateHandedOver(Make make);
    void CentreOnWorkArea();

    bool m_modal = false;
    bool m_endModal = false;
    int m_modalResult = -1;
    // Set while Default() lets the dialog manager handle a message: the
    // dialog procedure then declines that one message.
    bool m_inDefault = false;
    UINT m_defaultMessage = 0;
};
