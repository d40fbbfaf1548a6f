#pragma once

#include "data/TextLineReader.h"
#include "data/VersionStamp.h"

#include <cstddef>
#include <string>

// "Versione.txt" in the installation folder: the stamp of the last update
// installed there.

// Opens path through reader and parses its first logical line. A missing or
// empty file, or a first line without both tags, gives the zero stamp; a line
// with both tags sets version and build even when the key comes out 0.
VersionStamp ReadInstalledStamp(CTextLineReader& reader, const char* path, char* line,
                                std::size_t lineSize);
VersionStamp ReadInstalledStamp(const char* path);

// Drops one trailing backslash ("C:\Prog\\" keeps one of its two).
void StripOneTrailingBackslash(char* folder);

// folder + "\Versione.txt" into path. When that does not fit in capacity,
// path gets the empty text and the result is false: the caller treats the
// product as not installed rather than name a shorter, wrong file.
bool BuildStampFilePath(const char* folder, char* path, std::size_t capacity);

// Writes exactly one stamp line (no line end) to a temporary file beside
// path, of the same length as path, and returns its name in temporary. The
// temporary is made with an exclusive create: anything already at its name
// (a link among them) makes this fail untouched, and the caller removes a
// stale one first, as a name. True only when every byte is known to be on
// the disk (see DiskWrite.h); otherwise the temporary is removed and
// temporary is empty.
bool WriteStampTemporary(const char* path, const VersionStamp& stamp, std::string& temporary);
// The name WriteStampTemporary uses for path's temporary (false: none), for a
// caller that records it before the temporary is written.
bool StampTemporaryPath(const char* path, std::string& temporary);

// Puts the temporary in path's place in one step, replacing the old file; on
// Windows the move is written through to the disk before it returns. On
// failure the temporary is removed and the old file stays as it was.
bool ReplaceWithTemporary(const std::string& temporary, const char* path);

// Replaces the file at path with exactly one stamp line: WriteStampTemporary,
// then ReplaceWithTemporary, so any failure leaves the old stamp as it was.
bool WriteStampFile(const char* path, const VersionStamp& stamp);
