#include "PackageChecksums.h"

#include "ChecksumFile.h"
#include "NativePath.h"
#include "PackageChecker.h"
#include "PackageLayout.h"

#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const char* ProblemText(ChecksumProblem problem) {
    switch (problem) {
    case ChecksumProblem::None:
        break;
    case ChecksumProblem::Unreadable:
        return "cannot be read";
    case ChecksumProblem::TooLarge:
        return "is too large to be a package's checksum file";
    case ChecksumProblem::BadLine:
        return "is not a line of the form \"hash  path\" (64 hex digits, two blanks, the path)";
    case ChecksumProblem::BadPath:
        return "names a path the wizard refuses (empty, \".\", \"..\", a drive, a leading \"/\", "
               "a \"\\\" or a control character)";
    case ChecksumProblem::NotCp1252:
        return "names a path that is not UTF-8 or that code page 1252 cannot write";
    case ChecksumProblem::OutsidePackage:
        return "names a file that is neither r2718upd.txt, sizeofupds.txt nor under InstDir";
    case ChecksumProblem::Twice:
        return "names a file a second time";
    }
    return "";
}

const char kDamaged[] = ": the wizard refuses the package as damaged";

} // namespace

bool HashPath(const fs::path& path, Sha256Digest& digest, std::string& why) {
    std::error_code error;
    FilePtr file = OpenFile(path, "rb", error);
    if (!file) {
        why = error.message();
        return false;
    }
    CSha256 hash;
    char block[256 * 1024];
    std::size_t got = 0;
    errno = 0;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0)
        hash.Add(block, got);
    if (std::ferror(file.get())) {
        why = std::error_code(errno != 0 ? errno : EIO, std::generic_category()).message();
        return false;
    }
    if (!hash.Finish(digest)) {
        why = "the SHA-256 library failed";
        return false;
    }
    return true;
}

void CheckPackageChecksums(const PackagePaths& paths, const InstallTreeScan& tree,
                           CProblemList& problems) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(paths.checksumFile, error))) {
        problems.Warning(ProblemPlace::ChecksumFile, 0,
                         "is missing: the wizard installs the files unverified, and a damaged "
                         "copy of the package goes unnoticed");
        return;
    }
    std::string narrow;
    CChecksumList sums;
    ChecksumError read;
    if (!NarrowPath(paths.checksumFile, narrow)) {
        problems.Error(ProblemPlace::ChecksumFile, 0,
                       "its path cannot be written in this system's code page");
        return;
    }
    if (!sums.Read(narrow.c_str(), read)) {
        std::string text = ProblemText(read.problem);
        if (!read.path.empty())
            text = "\"" + read.path + "\" " + text; // as written: UTF-8
        problems.Error(ProblemPlace::ChecksumFile, read.line, text + kDamaged);
        return;
    }
    std::vector<bool> seen(sums.Entries().size(), false);
    // One file of the package against its line; place/treePath say where to report.
    auto check = [&](const fs::path& file, const std::string& listed, ProblemPlace place,
                     const std::string& treePath) {
        const ChecksumEntry* entry = sums.Find(listed);
        if (entry == nullptr) {
            problems.Add(Severity::Error, place, treePath, 0,
                         "is not listed in SHA256SUMS: the wizard refuses it as damaged");
            return;
        }
        seen[sums.IndexOf(*entry)] = true;
        Sha256Digest digest;
        std::string why;
        if (!HashPath(file, digest, why)) {
            problems.Add(Severity::Error, place, treePath, 0, "cannot be read: " + why);
        } else if (digest != entry->digest) {
            problems.Add(Severity::Error, place, treePath, 0,
                         "its SHA-256 is " + DigestToHex(digest) + ", SHA256SUMS line " +
                             std::to_string(entry->line) + " says " + DigestToHex(entry->digest) +
                             kDamaged);
        }
    };
    if (sums.Find(kListFileName) == nullptr)
        problems.Error(ProblemPlace::ChecksumFile, 0,
                       std::string("does not name ") + kListFileName + kDamaged);
    if (fs::exists(fs::symlink_status(paths.listFile, error)))
        check(paths.listFile, kListFileName, ProblemPlace::ListFile, std::string());
    if (fs::exists(fs::symlink_status(paths.sizeFile, error)))
        check(paths.sizeFile, kSizeFileName, ProblemPlace::SizeFile, std::string());
    for (const TreeEntry& entry : tree.entries) {
        if (!entry.folder)
            check(entry.source, std::string(kInstallTreeName) + "\\" + entry.relative,
                  ProblemPlace::InstallTree, entry.display);
    }
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (!seen[i]) {
            const ChecksumEntry& entry = sums.Entries()[i];
            problems.Error(ProblemPlace::ChecksumFile, entry.line,
                           "names \"" + ForConsole(entry.path) +
                               "\", which the package does not hold" + kDamaged);
        }
    }
}
