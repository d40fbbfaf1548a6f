#include "wizard/WindowCopyReport.h"
#include "framework/ProgressCtrl.h"
#include "framework/Wnd.h"
#include <climits>

namespace {

// How far right a doubled total must be shifted to fit a signed 32-bit position.
int ScaleShiftFor(int64_t total) {
    if (total <= 0)
        return 0;
    uint64_t doubled = static_cast<uint64_t>(total) * 2;
    int shift = 0;
    while (doubled > static_cast<uint64_t>(INT_MAX)) {
        doubled >>= 1;
        ++shift;
    }
    return shift;
}

// One refresh of a 60 Hz screen: nobody sees changes closer than this.
const ULONGLONG kFrameMs = 16;

} // namespace

CWindowCopyReport::CWindowCopyReport(CProgressCtrl* progress, CWnd* status)
    : m_progress(progress), m_status(status) {}

int CWindowCopyReport::RangeFor(int64_t total) {
    if (total <= 0)
        return 0;
    return static_cast<int>((static_cast<uint64_t>(total) * 2) >> ScaleShiftFor(total));
}

int CWindowCopyReport::PositionFor(int64_t runningTotal, int64_t total) {
    const int64_t position = runningTotal >> ScaleShiftFor(total);
    return position > INT_MAX ? INT_MAX : static_cast<int>(position);
}

void CWindowCopyReport::CopyStarted() {
    m_position = 0;
    m_shownPosition = 0;
    m_text.clear();
    m_textShown = true;
    m_lastShown = 0;
    if (!m_progress)
        return;
    m_progress->GetRange(m_lower, m_upper);
    RECT client{};
    ::GetClientRect(m_progress->m_hWnd, &client);
    m_barPixels = client.right - client.left;
    m_progress->SetPos(0);
}

void CWindowCopyReport::FileStarted(const char* destination) {
    m_text = "Copia in ";
    m_text += destination;
    m_textShown = false;
    if (FrameDue())
        ShowFrame();
}

void CWindowCopyReport::TotalChanged(int64_t runningTotal) {
    m_position = PositionFor(runningTotal, m_total);
    if ((BarWouldChange() || !m_textShown) && FrameDue())
        ShowFrame();
}

void CWindowCopyReport::ShowFrame() {
    ShowText();
    if (BarWouldChange())
        ShowPosition();
    m_lastShown = ::GetTickCount64();
}

bool CWindowCopyReport::BarWouldChange() const {
    if (!m_progress || m_position == m_shownPosition)
        return false;
    // Past the end the bar is full already: it is given such a position once.
    if (m_position >= m_upper)
        return m_shownPosition < m_upper;
    return DrawnLength(m_position) != DrawnLength(m_shownPosition);
}

int CWindowCopyReport::DrawnLength(int position) const {
    const int64_t span = static_cast<int64_t>(m_upper) - m_lower;
    if (span <= 0 || m_barPixels <= 0)
        return 0;
    int64_t into = static_cast<int64_t>(position) - m_lower;
    if (into < 0)
        into = 0;
    if (into > span)
        into = span;
    return static_cast<int>(into * m_barPixels / span);
}

bool CWindowCopyReport::FrameDue() {
    return ::GetTickCount64() - m_lastShown >= kFrameMs;
}

void CWindowCopyReport::ShowNow() {
    ShowText();
    ShowPosition();
    m_lastShown = ::GetTickCount64();
}

void CWindowCopyReport::ShowPosition() {
    if (!m_progress || m_position == m_shownPosition)
        return;
    if (m_position > m_upper && m_shownPosition >= m_upper)
        return;
    m_progress->SetPos(m_position);
    m_shownPosition = m_position;
    ++m_barMoves;
}

void CWindowCopyReport::ShowText() {
    if (!m_status || m_textShown)
        return;
    m_status->SetWindowText(m_text.c_str());
    m_textShown = true;
}
