#pragma once
// How long the copy and the rollback keep trying a path before they give up
// or ask, and a wait that keeps the window alive meanwhile.
#include <windows.h>

struct RetryTimings {
    // A file another program holds: tried again quietly this long before the
    // question (every mode).
    DWORD heldFileMs = 2000;
    // Unattended: how long a path that cannot be used is tried again before
    // the run is aborted.
    DWORD unattendedMs = 30000;
    // Rollback: how long a file that cannot be put back is tried again.
    DWORD restoreMs = 5000;
    // Between two tries.
    DWORD intervalMs = 100;
};

// The timings of this process: the defaults above, each divided by the
// whole number in the environment variable KVELMORA_TIME_DIVISOR when it is
// set (1 to 1000; tests use it so that no test waits 30 s). Read once.
const RetryTimings& ProcessRetryTimings();
// Replaces them for the rest of the process (tests).
void SetProcessRetryTimings(const RetryTimings& timings);

// Milliseconds since an arbitrary start; for measuring the retries.
ULONGLONG RetryClockMs();

// Waits about `ms` milliseconds while the window's messages are dispatched.
void WaitPumpingMessages(DWORD ms);
