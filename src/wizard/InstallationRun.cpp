#include "wizard/InstallationRun.h"
#include "fileops/CopyVerifier.h"
#include "fileops/InstallTransaction.h"
#include "fileops/CopyQuestions.h"
#include "fileops/CopyReport.h"
#include "fileops/MessagePump.h"
#include "fileops/RetryTimings.h"
#include "fileops/TreeCopier.h"
#include <windows.h>
#include <cstdint>

namespace {

bool IsHeld(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

} // namespace

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
    m_lastError = m_transaction->LastError();
    m_transaction.reset();
    return false;
}

InstallOutcome CInstallationRun::Finish(int copied, bool leftIncomplete, ICopyQuestions* questions,
                                        ICopyReport* report) {
    if (!m_transaction)
        return InstallOutcome::NotStarted;
    // A file left incomplete means the installation does not hold the
    // package: the stamp must not claim it does. A list without a readable
    // entry gives the zero stamp, which the safety net never writes over
    // the installed one.
    if (!copied || leftIncomplete)
        return Undo();
    bool committed = Commit();
    if (!committed && questions != nullptr && IsHeld(m_lastError)) {
        // As the copy does with a held file: tried again quietly for a
        // while, then asked about; Ignore cannot skip the stamp, so it stops.
        const char* stamp = m_target.stampFilePath.c_str();
        const RetryTimings& timings = ProcessRetryTimings();
        const ULONGLONG start = RetryClockMs();
        while (!committed && IsHeld(m_lastError) && RetryClockMs() - start < timings.heldFileMs) {
            WaitPumpingMessages(timings.intervalMs);
            committed = Commit();
        }
        if (report != nullptr)
            report->RetriedQuietly(stamp, committed ? DWORD(ERROR_SUCCESS) : m_lastError,
                                   static_cast<DWORD>(RetryClockMs() - start), committed);
        while (!committed && IsHeld(m_lastError)) {
            if (report != nullptr)
                report->BeforeQuestion();
            const int answer =
                questions->AskAbout(stamp, m_lastError) == IDRETRY ? IDRETRY : IDABORT;
            if (report != nullptr)
                report->Answered(stamp, m_lastError, answer, questions->IsAutomatic());
            if (answer != IDRETRY)
                break;
            committed = Commit();
        }
    }
    if (!committed)
        return Undo();
    m_transaction.reset();
    return InstallOutcome::Installed;
}

bool CInstallationRun::Commit() {
    const bool committed = m_transaction->Commit(m_target.stampFilePath.c_str(), m_target.newest);
    m_lastError = committed ? 0 : m_transaction->LastError();
    return committed;
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
    return Finish(copied, copier.LeftIncomplete(), &questions, &report);
}
