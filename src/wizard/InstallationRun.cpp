#include "InstallationRun.h"
#include "StampFile.h"
#include "fileops/TreeCopier.h"
#include <windows.h>
#include <cstdint>

CInstallationRun::CInstallationRun(const InstallationTarget& target) : m_target(target) {}

CInstallationRun::~CInstallationRun() = default;

bool CInstallationRun::HasFreeSpace(int64_t& neededBytes, int64_t& availableBytes) const {
    neededBytes = m_target.packageTotal > 0 ? m_target.packageTotal : 0;
    availableBytes = 0;
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(m_target.installFolder.c_str(), &available, nullptr, nullptr))
        return true;
    availableBytes = available.QuadPart > static_cast<ULONGLONG>(INT64_MAX)
                         ? INT64_MAX
                         : static_cast<int64_t>(available.QuadPart);
    return neededBytes <= availableBytes;
}

bool CInstallationRun::Begin() {
    m_begun = true;
    return true;
}

void CInstallationRun::Prepare(CTreeCopier& copier) {
    copier.SetPackageTotal(m_target.packageTotal);
}

InstallOutcome CInstallationRun::Finish(int copied, bool leftIncomplete) {
    // A file left incomplete means the installation does not hold the
    // package: the stamp must not claim it does.
    if (!m_begun || !copied || leftIncomplete)
        return InstallOutcome::Failed;
    // A list without a readable entry gives the zero stamp, which would
    // erase the installed one: the stamp file is then left as it is.
    if (m_target.newest.key == 0)
        return InstallOutcome::Installed;
    return WriteStampFile(m_target.stampFilePath.c_str(), m_target.newest)
               ? InstallOutcome::Installed
               : InstallOutcome::Failed;
}

InstallOutcome CInstallationRun::Install(ICopyQuestions& questions, ICopyReport& report) {
    if (!Begin())
        return InstallOutcome::NotStarted;
    CTreeCopier copier(questions, report);
    Prepare(copier);
    const int copied =
        copier.CopyTree(m_target.packageTree.c_str(), m_target.installFolder.c_str());
    return Finish(copied, copier.LeftIncomplete());
}
