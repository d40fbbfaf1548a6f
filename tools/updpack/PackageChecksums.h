#pragma once

#include "InstallTreeScanner.h"
#include "ProblemList.h"
#include "Sha256.h"

#include <filesystem>
#include <string>
#include <vector>

struct PackagePaths;

// The digest of a file this machine can name; false with the reason.
bool HashPath(const std::filesystem::path& path, Sha256Digest& digest, std::string& why);

// Checks the package's files against its SHA256SUMS: every listed file
// present with that digest, every file present listed, the file itself well
// formed and naming the list. No SHA256SUMS: a warning.
void CheckPackageChecksums(const PackagePaths& paths, const InstallTreeScan& tree,
                           CProblemList& problems);
