#include "fileops/RetryTimings.h"
#include "fileops/MessagePump.h"
#include <cstdlib>

namespace {

RetryTimings MakeProcessTimings() {
    RetryTimings timings;
    char text[16] = {};
    const DWORD length = GetEnvironmentVariableA("KVELMORA_TIME_DIVISOR", text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return timings;
    const long divisor = std::strtol(text, nullptr, 10);
    if (divisor < 1 || divisor > 1000)
        return timings;
    const DWORD d = static_cast<DWORD>(divisor);
    timings.heldFileMs /= d;
    timings.unattendedMs /= d;
    timings.restoreMs /= d;
    timings.intervalMs = timings.intervalMs / d > 0 ? timings.intervalMs / d : 1;
    return timings;
}

} // namespace

namespace {

RetryTimings& Timings() {
    static RetryTimings timings = MakeProcessTimings();
    return timings;
}

} // namespace

const RetryTimings& ProcessRetryTimings() {
    return Timings();
}

void SetProcessRetryTimings(const RetryTimings& timings) {
    Timings() = timings;
}

ULONGLONG RetryClockMs() {
    return GetTickCount64();
}

void WaitPumpingMessages(DWORD ms) {
    const ULONGLONG end = RetryClockMs() + ms;
    for (;;) {
        PumpPendingMessagesNow();
        const ULONGLONG now = RetryClockMs();
        if (now >= end)
            return;
        // Wakes for any input or posted message, so the window answers at once.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}
