#pragma once

#include <cstdio>

// A write through the C runtime counts only once its bytes are known to be
// on the disk: fclose may report success although its final flush failed
// (Wine's msvcrt does so on a full disk, leaving the file empty), and bytes
// in the system's cache are lost to a power cut.

// Flushes the stream's buffer, checks its error flag, then has the system
// put the file's data on the disk (FlushFileBuffers on Windows, fsync
// elsewhere). False when any step fails; errno then says why where the C
// runtime set it. The stream stays open either way.
bool FlushToDisk(std::FILE* file);
