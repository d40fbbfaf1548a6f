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

// Replaces the file at path with exactly one stamp line: WriteStampTemporary,
// then ReplaceWithTemporary, so any failure leaves the old stamp as it was
// and no temporary behind.
bool WriteStampFile(const char* path, const VersionStamp& stamp);

// The two halves of WriteStampFile, for a caller that records the temporary
// before it takes the old file's place. WriteStampTemporary writes exactly
// one stamp line (no line end) into a temporary file beside path, of the same
// length as path, and names it in temporary. True only when every byte is
// known to be on the disk (see DiskWrite.h); otherwise nothing is left and
// temporary is empty.
bool WriteStampTemporary(const char* path, const VersionStamp& stamp, std::string& temporary);
// The name WriteStampTemporary uses for path's temporary (false: none).
bool StampTemporaryPath(const char* path, std::string& temporary);
// Moves the temporary over path (on Windows written through). False leaves
// both files as they were: removing the temporary is up to the caller.
bool ReplaceWithTemporary(const char* temporary, const char* path);
