#include "pages/BitmapPanel.h"
#include "framework/PaintDC.h"
#include "framework/WinApp.h"

const MessageMap* CBitmapPanel::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapPaint<&CBitmapPanel::OnPaint>(),
    };
    static const MessageMap map{CStatic::GetMessageMap(), entries};
    return &map;
}

void CBitmapPanel::SetBitmap(UINT resourceId) {
    m_bitmap.DeleteObject();
    CWinApp* app = AfxGetApp();
    HINSTANCE instance = app ? app->m_hInstance : ::GetModuleHandleA(nullptr);
    m_bitmap.Attach(static_cast<HBITMAP>(::LoadImageA(instance, MAKEINTRESOURCEA(resourceId),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (m_hWnd)
        InvalidateRect(nullptr, TRUE);
}

void CBitmapPanel::OnPaint() {
    CPaintDC dc(this);
    if (!dc.m_hDC || !m_bitmap.GetSafeHandle())
        return;
    HDC memory = ::CreateCompatibleDC(dc);
    if (!memory)
        return;
    BITMAP info{};
    ::GetObjectA(m_bitmap, sizeof info, &info);
    HGDIOBJ previous = ::SelectObject(memory, m_bitmap);
    if (previous && previous != HGDI_ERROR) {
        RECT client;
        GetClientRect(&client);
        ::StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, info.bmWidth,
                     info.bmHeight, SRCCOPY);
        ::SelectObject(memory, previous);
    }
    ::DeleteDC(memory);
}
