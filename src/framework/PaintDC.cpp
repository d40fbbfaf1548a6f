#include "framework/PaintDC.h"
#include "framework/Wnd.h"

CPaintDC::CPaintDC(CWnd* wnd) : m_ps{}, m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    if (m_hDC)
        ::EndPaint(m_hWnd, &m_ps);
}
