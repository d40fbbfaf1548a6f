#pragma once

#include "data/TextLineReader.h"
#include "data/VersionStamp.h"

#include <cstddef>
#include <cstdint>

// The list file and the size file of the update package.

enum class ListLineKind {
    Entry,   // "-> " followed by a stamp with a non-zero key somewhere on the line
    Detail,  // any other line, after an entry: a line of description of that entry
    Dropped, // any other line before the first entry: belongs to nothing
};

// True for an entry line: it begins with the three characters "-> " and carries
// a stamp with a non-zero key, which is stored in stamp. Otherwise stamp is
// left as it was.
bool IsEntryLine(const char* line, VersionStamp& stamp);

struct ListLine {
    ListLineKind kind;
    const char* text;   // the logical line, in the caller's line buffer
    VersionStamp stamp; // entries only; the zero stamp otherwise
    long lineNumber;    // 1-based physical line of the file
    bool cut;           // the line was longer than the line buffer
};

class CUpdateListSink {
public:
    virtual ~CUpdateListSink() = default;
    // Called for each logical line in file order. The line buffer is not read
    // again afterwards, so the sink may reuse it (e.g. for a display form).
    virtual void OnListLine(const ListLine& line) = 0;
    // Asked before each line is read: false ends the read there, for a reader
    // whose user has given up waiting. The newest stamp then covers only the
    // lines read.
    virtual bool KeepReading() { return true; }
};

// Reads an open list file to its end (or until the sink says stop), one
// logical line at a time into line (lineSize bytes, the comment character
// '#'), and returns the newest stamp: the first entry with the greatest key,
// or the zero stamp when there is none.
VersionStamp ReadUpdateList(CTextLineReader& reader, char* line, std::size_t lineSize,
                            CUpdateListSink& sink);

// The size at the start of text, as atoi reads it (leading white space, an
// optional sign, decimal digits, anything after them ignored), but in 64 bits.
// A negative value, one beyond 64 bits or no number at all gives 0, which
// means "compute the size".
std::int64_t ParsePackageSize(const char* text);

// Opens path through reader, parses its first logical line as above and
// closes it again. A missing or empty file gives 0.
std::int64_t ReadPackageSize(CTextLineReader& reader, const char* path, char* line,
                             std::size_t lineSize);
std::int64_t ReadPackageSize(const char* path);
