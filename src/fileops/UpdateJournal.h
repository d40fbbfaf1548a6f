#pragma once
// The journal of an update run: one text line per step, written and flushed
// before the step is taken, so that whatever prefix of the run reached the
// disk can be undone from it. A line reads
//
//   <sequence>|<kind>|<field>|<field>|...|<crc32 as 8 hex digits>\r\n
//
// '|' and control characters cannot occur in Windows file names, so the
// fields need no quoting. The checksum covers everything before its own '|'.
// Line 0 is the header and names the installation folder, the format's
// version (the first format had none: it reads as version 1) and the number
// of the run's first temporary; a version this program does not know makes
// the journal unusable, as damage does. The
// sequence numbers count up from 0 without gaps, so a lost or repeated line
// shows.
#include <cstdint>
#include <string>
#include <vector>

#include "fileops/PathRules.h"

// Version 2: the safety net's numbered names say what they hold (below).
constexpr uint32_t kJournalVersion = 2;

enum class JournalKind : char {
    Header = 'H',     // fields: installation folder, format version, first temporary
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

// The header of a journal of this program's format for `installFolder`,
// whose temporaries are numbered from `firstTemporary` up.
JournalRecord JournalHeader(const std::string& installFolder, uint32_t firstTemporary);
// The format version a header names; 0 when it is none this program reads.
uint32_t JournalVersion(const JournalRecord& header);
// The number of the run's first temporary (0 for the first format): every
// temporary number from it up belongs to the run, placed or not.
uint32_t JournalFirstTemporary(const JournalRecord& header);

// The name of a file in the safety net folder: exactly six digits. From
// version 2 on, the new files' data lies under numbers below
// kFirstKeptName and the replaced originals under numbers from it up:
// a numbered file no journal names is then known for an original (which is
// never deleted) or for data that was never placed. 000000 is the stamp
// temporary a rollback took back.
constexpr uint32_t kFirstKeptName = 500000;
bool IsSafetyNetName(const std::string& name);
bool IsKeptName(const std::string& name);
bool IsTemporaryName(const std::string& name);
std::string SafetyNetName(uint32_t number);
