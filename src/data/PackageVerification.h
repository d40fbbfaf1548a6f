#pragma once
// Whether the package beside the program is the one its vendor built: its
// checksum file, when it has one, read and checked before anything of the
// package is trusted. The list and the size file are checked here, at the
// start; the install tree's files while they are copied (the copier gets
// the list kept here).
#include "data/ChecksumFile.h"

#include <memory>
#include <string>

enum class PackageCheck {
    NotVerified, // no checksum file: installed as it stands, unverified
    Verified,    // the checksum file is sound and the list and size file match it
    Damaged,     // the package must not be installed
};

struct PackageVerification {
    PackageCheck state = PackageCheck::NotVerified;
    // The checksum file's entries, when Verified: the copier checks the
    // install tree's files against them.
    std::shared_ptr<const CChecksumList> sums;
    std::string damagedName; // Damaged: the file to name (cp1252), e.g. "r2718upd.txt"
    std::string reason;      // Damaged: why, for the administrator's log (cp1252, Italian)
};

// The paths of the three files, as the program names them.
struct PackageFilePaths {
    std::string checksumFile;
    std::string listFile;
    std::string sizeFile;
};
PackageVerification VerifyPackageStart(const PackageFilePaths& paths);

// The log's words for a problem of the checksum file (Italian, cp1252).
const char* ChecksumProblemText(ChecksumProblem problem);
