#pragma once
#include "framework/GdiObject.h"

class CFont : public CGdiObject {
public:
    // Replaces the font held before; FALSE (and no font) on failure.
    BOOL CreateFontIndirect(const LOGFONTA* logFont);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};
