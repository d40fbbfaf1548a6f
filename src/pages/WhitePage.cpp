#include "pages/WhitePage.h"

const MessageMap* CWhitePage::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCtlColor<&CWhitePage::OnCtlColor>(),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

// Texts are drawn straight onto the white; their colour stays the system's.
HBRUSH CWhitePage::OnCtlColor(HDC dc, HWND, UINT) {
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}
