#pragma once
// What the update learns before it touches anything: where Tessaro is, which
// update it has, which update the package brings and how big the package is.
// The wizard learns it step by step around its screens; the run without a
// window learns it in one go. Both go through these steps, so the checks are
// the same in every mode.
#include "data/PackageVerification.h"
#include "data/VersionStamp.h"
#include "fileops/RecoveryResult.h"
#include <cstdint>
#include <string>

class CTextLineReader;
class CUpdateListSink;

// How the start-up checks ended: Ready, or why nothing can be installed.
enum class StartupResult {
    Ready,
    NotInstalled,     // no registration, or its folder does not exist
    NoList,           // the package's list file cannot be read
    NothingToInstall, // the package holds no bytes to copy
    OlderPackage,     // unattended: the package's newest update is older than the installed one
    Interrupted,      // an earlier update could not be finished (see StartupFacts::recovery)
    CannotStart,      // the window could not be made
    DamagedPackage,   // the package's files differ from its checksum file
};

struct StartupFacts {
    char installFolder[260] = {};
    char stampFilePath[260] = {};
    VersionStamp installed;
    VersionStamp newest;
    // 64 bits: packages of 2 GiB and more are measured and copied correctly.
    int64_t totalSize = 0;
    bool sizeFromFile = false; // false: computed from the tree (or not yet known)
    // What the start found of an earlier update that was interrupted.
    RecoveryResult recovery = RecoveryResult::NothingToDo;
    // The package against its checksum file (see PackageVerification.h).
    PackageVerification verification;
};

// The registry's installation folder and the stamp installed there. An
// earlier update of that folder that was interrupted is finished first
// (undone, or its clean-up completed); Interrupted when that cannot be done.
StartupResult FindInstallation(StartupFacts& facts);
// Reads the list at listPath, telling `sink` every line (a sink that does
// nothing when there is no list to show); sets the newest stamp.
StartupResult ReadPackageList(StartupFacts& facts, CTextLineReader& reader, const char* listPath,
                              CUpdateListSink& sink);
// The size file; false when it gives no size, which must then be computed.
bool ReadSizeFile(StartupFacts& facts, CTextLineReader& reader, const char* sizePath);
// Adds up the tree's files (the wizard does it after its window shows).
void ComputePackageSize(StartupFacts& facts, const char* treePath);
// DamagedPackage when the package's checksum file, list or size file is not
// as the vendor built it; facts.verification says which and why.
StartupResult VerifyPackage(StartupFacts& facts, const PackageFilePaths& files);
// NothingToInstall when the package holds no bytes once its size is known.
StartupResult CheckPackageSize(const StartupFacts& facts);
// Unattended only: nobody is there to decide whether going back to an older
// update is meant, so it is refused. An equal stamp installs as interactively.
StartupResult CheckUnattendedStamps(const StartupFacts& facts);

// The words of a refusal (`result` anything but Ready), as the log gives it.
const char* StartupRefusalText(StartupResult result);
// What a person is told when the start ends with `result`: the refusal, said
// more closely where what the start learnt says more (for Interrupted, what
// became of the earlier update).
std::string StartupRefusalMessage(StartupResult result, const StartupFacts& facts);
// What a person is told before the list when the start finished an earlier
// update (undone); null when there is nothing to say.
const char* RecoveryNoticeText(RecoveryResult recovery);

// Paths of the package beside the program.
struct PackagePaths {
    const char* list = nullptr;
    const char* size = nullptr;
    const char* tree = nullptr;
    const char* checksums = nullptr;
};
// All of it in the wizard's order, without a window (the run without one).
StartupResult LearnStartupFacts(StartupFacts& facts, const PackagePaths& package);
