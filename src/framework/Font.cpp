#include "framework/Font.h"

BOOL CFont::CreateFontIndirect(const LOGFONTA* logFont) {
    DeleteObject();
    if (logFont)
        m_hObject = ::CreateFontIndirectA(logFont);
    return m_hObject != nullptr;
}
