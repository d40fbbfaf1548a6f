#pragma once

#include "ProblemList.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The installation folder assumed when none is given: a typical one.
inline constexpr char kTypicalInstallFolder[] = "C:\\Program Files\\Vantrel\\Tessaro";

// Lengths, in characters, of the two folders that the wizard puts in front of
// every relative path of the install tree.
struct PathLimits {
    // Destination side: installation folder + "\" + relative path.
    int installFolderLength = static_cast<int>(sizeof kTypicalInstallFolder - 1);
    // Source side: program folder + "\r2718upd.dat\InstDir\" + relative path;
    // 2 is a medium's root ("D:").
    int programFolderLength = 2;
};

struct TreeEntry {
    std::filesystem::path source; // where it is on this machine
    std::string relative;         // as the wizard names it: cp1252, '\' between parts
    std::string display;          // as this machine names it, for messages
    bool folder = false;
    std::uint64_t size = 0;
};

struct InstallTreeScan {
    bool present = false;           // the root exists and is a folder
    std::vector<TreeEntry> entries; // each folder before what it holds, names sorted
    std::uint64_t totalBytes = 0;   // what the wizard's size walk adds up
    long files = 0;
    long folders = 0;
};

// Walks an install tree the way the wizard will meet it on Windows and
// reports every entry that it could not install: names outside code page
// 1252 or not allowed by Windows, names that differ only in case, paths too
// long for the wizard's 260-character buffers, files that cannot be read,
// things that are neither files nor folders.
class CInstallTreeScanner {
public:
    CInstallTreeScanner(const PathLimits& limits, CProblemList& problems)
        : m_limits(limits), m_problems(problems) {}

    InstallTreeScan Scan(const std::filesystem::path& root);

private:
    void ScanFolder(const std::filesystem::path& folder, const std::string& relative,
                    const std::filesystem::path& displayRelative, int depth, bool lengthReported);
    // Returns true when the entry's path is too long (so are those under it).
    bool CheckLength(const TreeEntry& entry);
    void CheckWindowsName(const std::string& name, const std::string& display);

    PathLimits m_limits;
    CProblemList& m_problems;
    InstallTreeScan m_scan;
};
