#pragma once
// The journal of an update run: one text line per step, written and flushed
// before the step is taken, so that whatever prefix of the run reached the
// disk can be undone from it. A line reads
//
//   <sequence>|<kind>|<field>|<field>|...|<crc32 as 8 hex digits>\r\n
//
// '|' and control characters cannot occur in Windows file names, so the
// fields need no quoting. The checksum covers everything before its own '|'.
// Line 0 is the header and names the installation folder; the sequence
// numbers count up from 0 without gaps, so a lost or repeated line shows.
#include <cstdint>
#include <string>
#include <vector>

enum class JournalKind : char {
    Header = 'H',     // field: the installation folder
    Folder = 'D',     // field: a folder about to be created
    NewFile = 'N',    // fields: temporary name, destination (missing before)
    Replace = 'R',    // fields: temporary name, preserved name, destination
    Void = 'V',       // field: sequence of a placement that was not taken
    StampWrite = 'W', // field: the stamp temporary about to be written
    StampMove = 'S',  // fields: stamp temporary, stamp file
    Committed = 'C',  // no field: the run is complete (no stamp to write)
};

struct JournalRecord {
    JournalKind kind = JournalKind::Header;
    uint32_t sequence = 0;
    std::vector<std::string> fields;
};

// The line for `record`, with its checksum and line end.
std::string EncodeJournalRecord(const JournalRecord& record);

enum class JournalParse {
    Complete, // every line whole and valid (a torn last line is dropped)
    Garbled,  // a damaged line before the last, a gap, or no header
};

// Splits the journal into records. A last line that is cut short or fails
// its checksum is a step that was never taken and is dropped; damage anywhere
// else makes the whole journal Garbled. `torn` tells whether a last line was
// dropped.
JournalParse ParseJournal(const std::string& text, std::vector<JournalRecord>& records, bool& torn);

uint32_t JournalChecksum(const char* data, size_t size);

// The name of a file in the safety net folder: exactly six digits.
bool IsSafetyNetName(const std::string& name);
std::string SafetyNetName(uint32_t number);

// True when `path` names something strictly inside `folder`: folder, a
// backslash, then components that are not empty and do not end in a dot or
// blank ("..", "..."), without '/', ':' or control characters. Letter case of the folder part is
// ignored.
bool IsPathInside(const std::string& folder, const std::string& path);

// Paths as Windows compares them: letter case ignored (code page 1252).
std::string FoldedPath(const std::string& path);
bool SamePath(const std::string& a, const std::string& b);
