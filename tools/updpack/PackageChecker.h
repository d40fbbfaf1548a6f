#pragma once

#include "InstallTreeScanner.h"
#include "ProblemList.h"
#include "UpdateList.h"
#include "VersionStamp.h"

#include <cstdint>
#include <filesystem>

struct PackagePaths {
    std::filesystem::path folder; // empty when the parts come from elsewhere (build)
    std::filesystem::path listFile;
    std::filesystem::path sizeFile;
    std::filesystem::path installTree;
    std::filesystem::path checksumFile; // looked at only when folder is given
    bool sizeFileExpected = true;       // false before build has written one
};

struct CheckOptions {
    PathLimits limits;
    bool installedGiven = false;
    VersionStamp installed; // as read from a stamp line; key 0 = none valid
};

// Everything the wizard would make of a package, and what is wrong with it.
struct PackageReport {
    bool listRead = false;
    UpdateList list;
    bool installedGiven = false;
    VersionStamp installed;
    bool sizeFilePresent = false;
    std::int64_t sizeFromFile = 0; // as the wizard reads it; 0 or less = computed at start
    InstallTreeScan tree;
    CProblemList problems;
};

class CPackageChecker {
public:
    explicit CPackageChecker(const CheckOptions& options) : m_options(options) {}

    PackageReport Check(const PackagePaths& paths) const;

    // The parts of a package folder. Each is looked up without regard to
    // letter case, as the wizard on Windows finds it; a name that matches only
    // that way, and anything that is no part of a package, is reported.
    static PackagePaths PathsOf(const std::filesystem::path& folder, CProblemList& problems);

private:
    void CheckSize(const PackagePaths& paths, PackageReport& report) const;
    void CheckStamps(PackageReport& report) const;

    CheckOptions m_options;
};
