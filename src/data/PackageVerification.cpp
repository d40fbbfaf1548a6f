#include "data/PackageVerification.h"
#include "data/PackageLayout.h"
#include "texts/Texts.h"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool Exists(const std::string& path) {
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    return file != nullptr || errno != ENOENT;
}

// One of the reasons' formats with its names; they are short.
std::string Why(const char* format, const char* a, const char* b = "") {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

PackageVerification Damaged(const char* name, std::string reason) {
    PackageVerification result;
    result.state = PackageCheck::Damaged;
    result.damagedName = name;
    result.reason = std::move(reason);
    return result;
}

// One of the package's own files against its line; false (and why) when
// they do not agree. Unlisted and absent is fine for the size file only.
bool Matches(const CChecksumList& sums, const std::string& path, const char* name,
             bool mustBeListed, std::string& why) {
    const ChecksumEntry* entry = sums.Find(name);
    const bool present = Exists(path);
    if (entry == nullptr) {
        if (mustBeListed || present)
            why = Why(texts::kNotListedIn, kChecksumFileName);
        return !mustBeListed && !present;
    }
    Sha256Digest digest;
    if (!present) {
        why = Why(texts::kListedButMissing, kChecksumFileName);
        return false;
    }
    if (!HashFile(path.c_str(), digest)) {
        why = texts::kUnreadable;
        return false;
    }
    if (digest != entry->digest) {
        why = Why(texts::kDigestDiffers, DigestToHex(digest).c_str(),
                  DigestToHex(entry->digest).c_str());
        return false;
    }
    return true;
}

} // namespace

const char* ChecksumProblemText(ChecksumProblem problem) {
    switch (problem) {
    case ChecksumProblem::None:
        return texts::kChecksumNoProblem;
    case ChecksumProblem::Unreadable:
        return texts::kUnreadable;
    case ChecksumProblem::TooLarge:
        return texts::kChecksumTooLarge;
    case ChecksumProblem::BadLine:
        return texts::kChecksumBadLine;
    case ChecksumProblem::BadPath:
        return texts::kChecksumBadPath;
    case ChecksumProblem::NotCp1252:
        return texts::kChecksumNotCp1252;
    case ChecksumProblem::OutsidePackage:
        return texts::kChecksumOutside;
    case ChecksumProblem::Twice:
        return texts::kChecksumTwice;
    }
    return "?";
}

PackageVerification VerifyPackageStart(const PackageFilePaths& paths) {
    if (!Exists(paths.checksumFile))
        return PackageVerification{};
    auto sums = std::make_shared<CChecksumList>();
    ChecksumError error;
    if (!sums->Read(paths.checksumFile.c_str(), error)) {
        std::string reason = ChecksumProblemText(error.problem);
        if (error.line > 0)
            reason += texts::kAtLine + std::to_string(error.line);
        return Damaged(kChecksumFileName, reason);
    }
    std::string why;
    if (sums->Find(kListFileName) == nullptr)
        return Damaged(kChecksumFileName, Why(texts::kDoesNotList, kListFileName));
    if (!Matches(*sums, paths.listFile, kListFileName, true, why))
        return Damaged(kListFileName, why);
    if (!Matches(*sums, paths.sizeFile, kSizeFileName, false, why))
        return Damaged(kSizeFileName, why);
    PackageVerification result;
    result.state = PackageCheck::Verified;
    result.sums = std::move(sums);
    return result;
}
