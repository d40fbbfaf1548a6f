#include "ControlProbe.h"

std::string ControlText(HWND control) {
    const int length = static_cast<int>(::SendMessageA(control, WM_GETTEXTLENGTH, 0, 0));
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(control, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string DlgItemText(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    return control ? ControlText(control) : std::string();
}

bool ControlFont(HWND control, LOGFONTA& font) {
    font = LOGFONTA{};
    HFONT handle = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    return handle && ::GetObjectA(handle, sizeof font, &font) == sizeof font;
}

std::string RealFaceName(HWND control) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    HDC dc = ::GetDC(control);
    if (!dc)
        return {};
    HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(SYSTEM_FONT));
    char face[LF_FACESIZE] = "";
    ::GetTextFaceA(dc, sizeof face, face);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return face;
}
