#include "RemoteProgressBar.h"

#include "RemoteBuffer.h"

#include <commctrl.h>

namespace e2e {
namespace {
constexpr UINT kQueryBoundMs = 3000;
}

bool RemoteProgressBar::Read(ProgressState& state) const {
    RemoteBuffer buffer(m_bar.ProcessId(), sizeof(PBRANGE));
    PBRANGE range{-1, -1};
    DWORD_PTR position = 0;
    DWORD_PTR ignored = 0;
    if (!buffer || !buffer.Write(0, &range, sizeof range) ||
        !SendMessageTimeoutA(m_bar.Handle(), PBM_GETRANGE, TRUE,
                             reinterpret_cast<LPARAM>(buffer.Address()), SMTO_ABORTIFHUNG,
                             kQueryBoundMs, &ignored) ||
        !buffer.Read(0, &range, sizeof range) ||
        !SendMessageTimeoutA(m_bar.Handle(), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kQueryBoundMs,
                             &position))
        return false;
    state.low = range.iLow;
    state.high = range.iHigh;
    state.position = static_cast<int>(position);
    return true;
}

} // namespace e2e
