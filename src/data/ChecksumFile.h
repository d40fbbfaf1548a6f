#pragma once
// The package's checksum file, in the format sha256sum writes and
// `sha256sum -c` reads: one line per file, 64 hex digits, a blank, a blank
// or '*', then the path from the package folder with '/' between folders,
// in UTF-8. The program's names are code page 1252 with '\' between
// folders: that is the form kept here, and every path read is checked
// before anything is looked up with it (no "..", no drive, nothing outside
// the package's three parts).
#include "data/Sha256.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct ChecksumEntry {
    std::string path; // cp1252, '\' between folders, from the package folder
    Sha256Digest digest;
    long line = 0; // 1-based
};

enum class ChecksumProblem {
    None,
    Unreadable,     // the file cannot be opened or read
    TooLarge,       // beyond any package's list of files
    BadLine,        // not "hash  path"
    BadPath,        // empty, ".", "..", a drive, a leading separator, '\', a control
                    // character or one Windows allows in no name
    NotCp1252,      // not UTF-8, or a character code page 1252 cannot write
    OutsidePackage, // not the list, the size file or a file under InstDir
    Twice,          // one path (as Windows compares them) on two lines
};

struct ChecksumError {
    ChecksumProblem problem = ChecksumProblem::None;
    long line = 0;    // 0: the file as a whole
    std::string path; // the path as written (UTF-8), when there is one
};

class CChecksumList {
public:
    // The text of a checksum file; false, with the first problem, when any
    // line is damaged (the list is then empty).
    bool Parse(const std::string& text, ChecksumError& error);
    bool Read(const char* path, ChecksumError& error);

    // The entry for a path from the package folder (cp1252, '\' between
    // folders, any case), or null.
    const ChecksumEntry* Find(const std::string& path) const;
    // In the order of the file.
    const std::vector<ChecksumEntry>& Entries() const { return m_entries; }
    // The index of an entry of Entries(), for callers that mark what they met.
    std::size_t IndexOf(const ChecksumEntry& entry) const {
        return static_cast<std::size_t>(&entry - m_entries.data());
    }

    // Bigger than this, the file is no checksum file of a package.
    static const std::uint64_t kMaxFileBytes = 64u << 20;

private:
    std::vector<ChecksumEntry> m_entries;
    // Each entry's path as Windows compares names (FoldCp1252) to its index.
    std::unordered_map<std::string, std::size_t> m_index;
};

// One line of a checksum file to write: the path in the program's form.
struct ChecksumLine {
    std::string path; // cp1252, '\' between folders, from the package folder
    Sha256Digest digest;
};
// The file's text: lines sorted by their UTF-8 path, LF line ends. False
// (and nothing) when a path cannot be written (not cp1252, or not a path
// the reader would take).
bool FormatChecksumFile(const std::vector<ChecksumLine>& lines, std::string& text);
