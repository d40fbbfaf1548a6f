#pragma once

#include "TextLineReader.h"
#include "VersionStamp.h"

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

// Replaces the file at path with exactly one stamp line (no line end). The
// line goes to a temporary file beside it first, which then takes the old
// file's place, so any failure leaves the old stamp as it was.
bool WriteStampFile(const char* path, const VersionStamp& stamp);

// The two halves of WriteStampFile, for a caller that records the temporary
// before it takes the old file's place. WriteStampTemporary writes the line
// into a temporary file beside path, on disk when it returns true, and names
// it in temporary; on failure nothing is left and temporary is unchanged.
bool WriteStampTemporary(const char* path, const VersionStamp& stamp, std::string& temporary);
// The name WriteStampTemporary uses for path's temporary (false: none).
bool StampTemporaryPath(const char* path, std::string& temporary);
// Moves the temporary over path (on Windows written through). False leaves
// both files as they were: removing the temporary is up to the caller.
bool ReplaceWithTemporary(const char* temporary, const char* path);
