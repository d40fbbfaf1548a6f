#include "data/PackageVerification.h"
#include "data/PackageLayout.h"

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
        if (mustBeListed)
            why = std::string("non elencato in ") + kChecksumFileName;
        else if (present)
            why = std::string("non elencato in ") + kChecksumFileName;
        return !mustBeListed && !present;
    }
    Sha256Digest digest;
    if (!present) {
        why = std::string("elencato in ") + kChecksumFileName + " ma mancante";
        return false;
    }
    if (!HashFile(path.c_str(), digest)) {
        why = "non leggibile";
        return false;
    }
    if (digest != entry->digest) {
        why = "SHA-256 " + DigestToHex(digest) + ", atteso " + DigestToHex(entry->digest);
        return false;
    }
    return true;
}

} // namespace

const char* ChecksumProblemText(ChecksumProblem problem) {
    switch (problem) {
    case ChecksumProblem::None:
        return "nessun problema";
    case ChecksumProblem::Unreadable:
        return "non leggibile";
    case ChecksumProblem::TooLarge:
        return "troppo grande";
    case ChecksumProblem::BadLine:
        return "riga non nella forma \"hash  percorso\"";
    case ChecksumProblem::BadPath:
        return "percorso non ammesso";
    case ChecksumProblem::NotCp1252:
        return "nome non rappresentabile nella codifica di Windows";
    case ChecksumProblem::OutsidePackage:
        return "file fuori dal pacchetto";
    case ChecksumProblem::Twice:
        return "file elencato due volte";
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
            reason += " alla riga " + std::to_string(error.line);
        return Damaged(kChecksumFileName, reason);
    }
    std::string why;
    if (sums->Find(kListFileName) == nullptr)
        return Damaged(kChecksumFileName, std::string("non elenca ") + kListFileName);
    if (!Matches(*sums, paths.listFile, kListFileName, true, why))
        return Damaged(kListFileName, why);
    if (!Matches(*sums, paths.sizeFile, kSizeFileName, false, why))
        return Damaged(kSizeFileName, why);
    PackageVerification result;
    result.state = PackageCheck::Verified;
    result.sums = std::move(sums);
    return result;
}
