#pragma once
// The size of what a folder tree holds, for the progress range of a copy.
#include <cstdint>

// The size of one file in bytes, or 0 when it cannot be opened (it is opened
// for reading without sharing) or sized.
int64_t FileSizeOrZero(const char* path);

// Adds the size of every file under `folder` (given without a trailing
// backslash), at any depth, to `total`, which it never resets. Never fails:
// a folder that cannot be listed, an entry that cannot be reached, a link
// (never followed, see IsLink) and a path too long for the ANSI calls add 0. Messages are
// dispatched between the steps (PumpPendingMessages).
void AddFolderSizeTo(const char* folder, int64_t& total);
