#include "PageHost.h"
#include "WineTestSupport.h"
#include "resource.h"

PageHost::PageHost() : CDialog(IDD_WIZARD) {}

bool PageHost::Open() {
    if (!Create(IDD_WIZARD, nullptr))
        return false;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(m_hWnd);
    FlushEvents();
    return true;
}

const MessageMap* PageHost::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapMessage<&PageHost::OnClose>(WM_CLOSE),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

LRESULT PageHost::OnClose(WPARAM, LPARAM) {
    ++closes;
    return 0;
}

int WindowHeight(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

COLORREF PixelAt(HWND window, int x, int y) {
    HDC dc = ::GetDC(window);
    const COLORREF colour = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return colour;
}

void ShowAndPaint(HWND window) {
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    FlushEvents();
}
