#pragma once
// Paths of the copy and of the size walk: built as whole texts, handed to the
// ...A file calls only when they fit the MAX_PATH limit those calls have.
// The rules on path texts alone (inside a folder, names Windows can hold,
// letter case), portable for the journal's tests, are in PathRules.h.
#include "fileops/PathRules.h"
#include <windows.h>
#include <cstring>
#include <string>

// The text after the last backslash of `path` (a position inside it), or the
// whole text when it holds none. Only the backslash separates.
const char* LastPathComponent(const char* path);

// `folder`, a backslash and `name`.
std::string JoinPath(const char* folder, const char* name);

// True when the ANSI file calls can take the path (at most MAX_PATH - 1
// characters); a longer path is an entry that cannot be accessed.
inline bool PathFits(const std::string& path) {
    return path.size() < MAX_PATH;
}

inline bool PathFits(const char* path) {
    return std::strlen(path) < MAX_PATH;
}

// Links (symbolic links, junctions, mount points: any reparse point) are
// never entered nor copied: what they point to is not part of the tree, and
// a link to a folder above it would make a walk run until the path limit.
// Under Wine a Unix symbolic link shows as one.
inline bool IsLink(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

inline bool IsLink(const WIN32_FIND_DATAA& entry) {
    return IsLink(entry.dwFileAttributes);
}

// The same for a path, by its attributes; false when they cannot be read.
inline bool PathIsLink(const char* path) {
    return IsLink(GetFileAttributesA(path));
}
