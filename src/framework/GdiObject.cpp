#include "framework/GdiObject.h"

void CGdiObject::Attach(HGDIOBJ object) {
    if (object == m_hObject)
        return;
    DeleteObject();
    m_hObject = object;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    const BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}
