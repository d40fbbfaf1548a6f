#include "run/StartupFacts.h"
#include "data/InstallationRegistry.h"
#include "data/PackageFiles.h"
#include "data/PackageLayout.h"
#include "data/StampFile.h"
#include "fileops/FolderSize.h"
#include "fileops/InstallTransaction.h"
#include "texts/Texts.h"
#include <cstdio>

namespace {

class CNoListSink : public CUpdateListSink {
public:
    void OnListLine(const ListLine&) override {}
};

} // namespace

StartupResult FindInstallation(StartupFacts& facts) {
    facts.installFolder[0] = '\0';
    facts.installed = VersionStamp{};
    if (!LocateInstallation(facts.installFolder, sizeof facts.installFolder, facts.stampFilePath,
                            sizeof facts.stampFilePath))
        return StartupResult::NotInstalled;

    // Before anything reads the installation: it must be whole again first.
    facts.recovery = RecoverInterruptedUpdate(facts.installFolder);
    if (facts.recovery == RecoveryResult::NotAllRestored ||
        facts.recovery == RecoveryResult::Refused || facts.recovery == RecoveryResult::Busy)
        return StartupResult::Interrupted;

    CTextLineReader reader;
    char line[kLineBufferSize];
    facts.installed = ReadInstalledStamp(reader, facts.stampFilePath, line, sizeof line);
    return StartupResult::Ready;
}

StartupResult ReadPackageList(StartupFacts& facts, CTextLineReader& reader, const char* listPath,
                              CUpdateListSink& sink) {
    facts.newest = VersionStamp{};
    if (!reader.Open(listPath))
        return StartupResult::NoList;
    char line[kLineBufferSize];
    facts.newest = ReadUpdateList(reader, line, sizeof line, sink);
    reader.Close();
    return StartupResult::Ready;
}

bool ReadSizeFile(StartupFacts& facts, CTextLineReader& reader, const char* sizePath) {
    char line[kLineBufferSize];
    // A negative size is no size: it is computed from zero like a missing one.
    facts.totalSize = ReadPackageSize(reader, sizePath, line, sizeof line);
    if (facts.totalSize <= 0) {
        facts.totalSize = 0;
        facts.sizeFromFile = false;
        return false;
    }
    facts.sizeFromFile = true;
    return true;
}

void ComputePackageSize(StartupFacts& facts, const char* treePath) {
    facts.sizeFromFile = false;
    AddFolderSizeTo(treePath, facts.totalSize);
}

StartupResult VerifyPackage(StartupFacts& facts, const PackageFilePaths& files) {
    facts.verification = VerifyPackageStart(files);
    return facts.verification.state == PackageCheck::Damaged ? StartupResult::DamagedPackage
                                                             : StartupResult::Ready;
}

StartupResult CheckPackageSize(const StartupFacts& facts) {
    return facts.totalSize > 0 ? StartupResult::Ready : StartupResult::NothingToInstall;
}

StartupResult CheckUnattendedStamps(const StartupFacts& facts) {
    return facts.newest.key < facts.installed.key ? StartupResult::OlderPackage
                                                  : StartupResult::Ready;
}

const char* StartupRefusalText(StartupResult result) {
    switch (result) {
    case StartupResult::Ready:
        break;
    case StartupResult::NotInstalled:
        return texts::kNotInstalled;
    case StartupResult::NoList:
        return texts::kNoUpdateInformation;
    case StartupResult::NothingToInstall:
        return texts::kNothingToInstall;
    case StartupResult::OlderPackage:
        return texts::kOlderPackage;
    case StartupResult::CannotStart:
        return texts::kCannotStart;
    case StartupResult::Interrupted:
        return texts::kLogCannotFinishInterrupted;
    case StartupResult::DamagedPackage:
        return texts::kDamagedPackage;
    }
    return "";
}

std::string StartupRefusalMessage(StartupResult result, const StartupFacts& facts) {
    if (result == StartupResult::DamagedPackage) {
        char text[512];
        std::snprintf(text, sizeof text, texts::kDamagedPackageFormat,
                      facts.verification.damagedName.c_str());
        return text;
    }
    if (result != StartupResult::Interrupted)
        return StartupRefusalText(result);
    if (facts.recovery == RecoveryResult::Busy)
        return texts::kAlreadyRunning;
    return facts.recovery == RecoveryResult::Refused ? texts::kRecoveryRefused
                                                     : texts::kNotAllRecovered;
}

const char* RecoveryNoticeText(RecoveryResult recovery) {
    // Undone before the list shows: the user must know the last update is not there.
    return recovery == RecoveryResult::RolledBack ? texts::kRecovered : nullptr;
}

StartupResult LearnStartupFacts(StartupFacts& facts, const PackagePaths& package) {
    StartupResult result = FindInstallation(facts);
    if (result != StartupResult::Ready)
        return result;
    result =
        VerifyPackage(facts, {package.checksums ? package.checksums : "",
                              package.list ? package.list : "", package.size ? package.size : ""});
    if (result != StartupResult::Ready)
        return result;
    CTextLineReader reader;
    CNoListSink noList;
    result = ReadPackageList(facts, reader, package.list, noList);
    if (result != StartupResult::Ready)
        return result;
    if (!ReadSizeFile(facts, reader, package.size))
        ComputePackageSize(facts, package.tree);
    result = CheckPackageSize(facts);
    if (result != StartupResult::Ready)
        return result;
    return CheckUnattendedStamps(facts);
}
