#pragma once

#include "CommandLine.h"
#include "PackageChecker.h"
#include "ReportWriter.h"
#include "ChecksumFile.h"

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

class CProgressMeter;

// Lays out a package from a tree and a list file: InstDir, the list, and a
// size file with the tree's exact byte count. It is built beside the output
// folder and moved into place only when it is complete and the checks find
// no error; otherwise nothing is left behind and an old package stays.
class CPackageBuilder {
public:
    CPackageBuilder(const CommandLine& request, std::ostream& out, std::ostream& err);

    // 0 when the package stands at the output folder, 1 when it was refused.
    int Run();

private:
    bool CheckInputs();
    bool CheckOutput();
    bool LooksLikePackage(const std::filesystem::path& folder);
    bool CopyTree(const InstallTreeScan& scan, const std::filesystem::path& destination,
                  std::uint64_t& copied);
    // Each file's SHA-256 is taken from the bytes as they are copied.
    bool CopyOneFile(const std::filesystem::path& from, const std::filesystem::path& to,
                     CProgressMeter* meter, std::uint64_t& copied, Sha256Digest& digest);
    bool WriteTextFile(const std::filesystem::path& path, const std::string& text);
    bool WriteSizeFile(const std::filesystem::path& path, std::uint64_t total);
    bool WriteChecksumFile(const std::filesystem::path& path);
    PlaceNames SourceNames() const;
    int Refuse(const std::string& what, const std::string& why);
    int RefuseWithProblems(const CProblemList& problems);

    CommandLine m_request;
    std::vector<ChecksumLine> m_checksums;
    std::ostream& m_out;
    std::ostream& m_err;
};
