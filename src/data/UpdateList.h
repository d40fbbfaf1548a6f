#pragma once

#include "data/VersionStamp.h"

#include <string>
#include <vector>

// The whole list file in memory, for tools that check a package. Read with
// the same rules and the same line buffer size as the wizard reads it.

struct UpdateListLine {
    std::string text;
    long lineNumber = 0; // 1-based physical line
    bool cut = false;    // longer than the wizard's line buffer: the rest is lost
};

struct UpdateEntry {
    VersionStamp stamp;
    UpdateListLine line;
    std::vector<UpdateListLine> details;
};

struct UpdateList {
    std::vector<UpdateEntry> entries;    // in file order
    std::vector<UpdateListLine> dropped; // lines before the first entry
    VersionStamp newest;                 // the zero stamp without entries
    int newestIndex = -1;                // into entries; the first of equal keys
};

// False when the file does not open; list is then left empty.
bool LoadUpdateList(const char* path, UpdateList& list);
