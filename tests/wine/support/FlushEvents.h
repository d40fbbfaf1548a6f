#pragma once
#include <windows.h>

// Handles what is waiting and what arrives within a quiet period, as the
// program's own loop would; see WineTestSupport.h.
void FlushEvents(DWORD quietMilliseconds = 20);
