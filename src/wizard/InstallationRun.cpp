#include "wizard/InstallationRun.h"
#include "fileops/CopyVerifier.h"
#include "fileops/InstallTransaction.h"
#include "fileops/TreeCopier.h"
#include <windows.h>
#include <cstdint>

CInstallationRun::CInstallationRun(const InstallationTarget& target) : m_target(target) {}

CInstallationRun::~CInstallationRun() = default;

bool CInstallationRun::HasFreeSpace(int64_t& neededBytes, int64_t& availableBytes) const {
    // The new files sit beside the old ones until the end, the replaced ones
    // are only renamed: the package, the journal and a page per file.
    const int64_t total = m_target.packageTotal > 0 ? m_target.packageTotal : 0;
    neededBytes = total + CInstallTransaction::OverheadBytes(0);
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
    if (m_target.checksums)
        m_verifier.reset(new CCopyVerifier(*m_target.checksums, m_target.packageTree));
    m_transaction.reset(new CInstallTransaction(m_target.installFolder.c_str()));
    // The copier flushes each file's data itself before it is placed.
    m_transaction->SetTemporariesFlushedByCaller(true);
    if (m_transaction->Begin())
        return true;
    m_transaction.reset();
    return false;
}

InstallOutcome CInstallationRun::Finish(int copied, bool leftIncomplete) {
    if (!m_transaction)
        return InstallOutcome::NotStarted;
    // A file left incomplete means the installation does not hold the
    // package: the stamp must not claim it does. A list without a readable
    // entry gives the zero stamp, which the safety net never writes over
    // the installed one.
    if (!copied || leftIncomplete ||
        !m_transaction->Commit(m_target.stampFilePath.c_str(), m_target.newest))
        return Undo();
    m_transaction.reset();
    return InstallOutcome::Installed;
}

InstallOutcome CInstallationRun::Undo() {
    const bool restored = m_transaction->Rollback();
    m_transaction.reset();
    return restored ? InstallOutcome::Failed : InstallOutcome::NotAllRestored;
}

InstallOutcome CInstallationRun::Install(ICopyQuestions& questions, ICopyReport& report) {
    if (!Begin())
        return InstallOutcome::NotStarted;
    CTreeCopier copier(*m_transaction, questions, report);
    copier.SetVerifier(Verifier());
    const int copied =
        copier.CopyTree(m_target.packageTree.c_str(), m_target.installFolder.c_str());
    return Finish(copied, copier.LeftIncomplete());
}
