#pragma once
// Keeps the window alive during long work on the user-interface thread.
#include <cstdint>

// Dispatches every message waiting in the thread's queue, and those that the
// handlers post in turn, through the thread's message pump; never waits.
// A look into the queue costs tens of microseconds under some platforms, so
// a call made less than 4 ms after a look that found the queue
// empty returns at once. A WM_QUIT is left in the queue for the message loop
// that owns it, and the call returns.
void PumpPendingMessages();

// The same, but always looks: a message posted just before is dispatched.
void PumpPendingMessagesNow();

// How often and how regularly the queue was looked into, for measurements.
struct QueueLookStats {
    uint64_t looks = 0;        // looks into the queue since the reset
    double longestGapMs = 0.0; // longest time between the end of one look and the next
};
QueueLookStats GetQueueLookStats();
void ResetQueueLookStats();
