#include "run/InstallationRun.h"
#include "fileops/CopyVerifier.h"
#include "fileops/InstallTransaction.h"
#include "fileops/TreeCopier.h"
#include "texts/Texts.h"
#include <windows.h>
#include <cstdint>
#include <cstdio>

InstallationTarget TargetFor(const StartupFacts& facts, const char* packageTree) {
    InstallationTarget target;
    target.packageTree = packageTree;
    target.installFolder = facts.installFolder;
    target.stampFilePath = facts.stampFilePath;
    target.newest = facts.newest;
    target.packageTotal = facts.totalSize;
    target.checksums = facts.verification.sums;
    return target;
}

CInstallationRun::CInstallationRun(const InstallationTarget& target) : m_target(target) {}

CInstallationRun::~CInstallationRun() = default;

RunStart CInstallationRun::Start() {
    if (!HasFreeSpace())
        return RunStart::NotEnoughSpace;
    return Begin() ? RunStart::Started : RunStart::CannotPrepare;
}

std::string CInstallationRun::StartProblemText(RunStart start) const {
    switch (start) {
    case RunStart::Started:
        break;
    case RunStart::NotEnoughSpace: {
        const int64_t mebibyte = 1048576;
        char text[256];
        std::snprintf(text, sizeof text, texts::kNotEnoughSpaceFormat,
                      static_cast<long long>((m_neededBytes + mebibyte - 1) / mebibyte),
                      static_cast<long long>(m_availableBytes / mebibyte));
        return text;
    }
    case RunStart::CannotPrepare:
        return texts::kCannotPrepare;
    }
    return std::string();
}

bool CInstallationRun::HasFreeSpace() {
    // The new files sit beside the old ones until the end, the replaced ones
    // are only renamed: the package, the journal and a page per file.
    const int64_t total = m_target.packageTotal > 0 ? m_target.packageTotal : 0;
    m_neededBytes = total + CInstallTransaction::OverheadBytes(0);
    m_availableBytes = 0;
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(m_target.installFolder.c_str(), &available, nullptr, nullptr))
        return true;
    m_availableBytes = available.QuadPart > static_cast<ULONGLONG>(INT64_MAX)
                           ? INT64_MAX
                           : static_cast<int64_t>(available.QuadPart);
    return m_neededBytes <= m_availableBytes;
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

InstallOutcome CInstallationRun::Finish(bool copied, bool leftIncomplete) {
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
    if (!m_transaction)
        return InstallOutcome::NotStarted;
    CTreeCopier copier(*m_transaction, questions, report);
    copier.SetVerifier(Verifier());
    const bool copied =
        copier.CopyTree(m_target.packageTree.c_str(), m_target.installFolder.c_str()) != 0;
    return Finish(copied, copier.LeftIncomplete());
}
