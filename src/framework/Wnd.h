#pragma once
#include <windows.h>
#include <memory>
#include <vector>
#include "framework/MessageMap.h"

// A window object. A "permanent" object is registered in the thread's map
// from handle to object and receives the window's messages: a dialog made by
// CDialog, or a control bound with SubclassWindow. Other objects are plain
// non-owning handles (see GetDlgItem).
class CWnd {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // A window this object made is destroyed with it; a subclassed one is
    // handed back to its original procedure and left to its parent.
    virtual ~CWnd();

    HWND GetSafeHwnd() const { return m_hWnd; }
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Routes the window's messages through this object until it is
    // destroyed or unsubclassed. FALSE when the object already has a window
    // or the window already belongs to another object.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    BOOL ShowWindow(int cmdShow);
    BOOL EnableWindow(BOOL enable);
    void SetWindowText(const char* text);
    int GetWindowText(char* buffer, int size) const;
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    void GetWindowRect(RECT* rect) const;
    void GetClientRect(RECT* rect) const;
    void SetDlgItemText(int id, const char* text);
    int GetDlgItemText(int id, char* buffer, int size) const;
    // The object bound to the child control `id` if there is one, otherwise
    // a handle wrapper that this object owns and keeps until its window is
    // destroyed; null when the control does not exist.
    CWnd* GetDlgItem(int id);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    BOOL IsIconic() const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
    BOOL DestroyWindow();

    virtual const MessageMap* GetMessageMap() const;
    // Every message of a permanent object passes here: the message map
    // first, then the default handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The default handling of the message being handled: for a subclassed
    // control its original procedure, for a dialog the dialog manager's.
    LRESULT Default();

protected:
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Looks the message up in the message maps; TRUE when a handler ran.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Runs WindowProc with the message recorded for Default().
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    // Registration in the handle map, for the classes that create windows.
    void Attach(HWND hWnd);
    void Detach();
    // The window has gone (WM_NCDESTROY): forget it.
    void OnFinalDestroy();

    bool m_ownsWindow = false; // made by this object: destroyed with it

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_superProc = nullptr; // the original procedure of a subclassed window
    std::vector<std::unique_ptr<CWnd>> m_itemWrappers;
};
