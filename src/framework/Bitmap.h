#pragma once
#include "framework/GdiObject.h"

class CBitmap : public CGdiObject {
public:
    void Attach(HBITMAP bitmap) { CGdiObject::Attach(bitmap); }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};
