#include "run/InstallationRun.h"
#include "fileops/CopyVerifier.h"
#include "fileops/InstallTransaction.h"
#include "fileops/CopyQuestions.h"
#include "fileops/CopyReport.h"
#include "fileops/MessagePump.h"
#include "fileops/RetryTimings.h"
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

namespace {

bool IsHeld(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

} // namespace

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
    m_lastError = m_transaction->LastError();
    m_transaction.reset();
    return false;
}

InstallOutcome CInstallationRun::Finish(bool copied, bool leftIncomplete, ICopyQuestions* questions,
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
    if (!m_transaction)
        return InstallOutcome::NotStarted;
    CTreeCopier copier(*m_transaction, questions, report);
    copier.SetVerifier(Verifier());
    const bool copied =
        copier.CopyTree(m_target.packageTree.c_str(), m_target.installFolder.c_str()) != 0;
    return Finish(copied, copier.LeftIncomplete(), &questions, &report);
}

const char* SetupProblemText(unsigned long error) {
    switch (error) {
    case ERROR_DIRECTORY:
        return texts::kSetupFileInTheWay;
    case ERROR_CANT_ACCESS_FILE:
        return texts::kSetupLinkInTheWay;
    case ERROR_ALREADY_EXISTS:
        return texts::kSetupEarlierData;
    case ERROR_FILENAME_EXCED_RANGE:
        return texts::kSetupPathTooLong;
    case ERROR_ACCESS_DENIED:
        return texts::kSetupAccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return texts::kSetupDiskFull;
    default:
        return texts::kSetupSystemError;
    }
}
