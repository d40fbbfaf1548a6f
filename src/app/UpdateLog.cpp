#include "app/UpdateLog.h"
#include "data/PackageLayout.h"
#include "texts/Texts.h"
#include "fileops/FileProbes.h"
#include "version.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* AnswerText(int answer) {
    switch (answer) {
    case IDRETRY:
        return texts::kLogRetry;
    case IDIGNORE:
        return texts::kLogIgnore;
    default:
        return texts::kLogAbort;
    }
}

const char* ModeText(RunMode mode) {
    switch (mode) {
    case RunMode::Passive:
        return texts::kLogModePassive;
    case RunMode::Quiet:
        return texts::kLogModeQuiet;
    case RunMode::Interactive:
        break;
    }
    return texts::kLogModeInteractive;
}

void FormatStamp(const VersionStamp& stamp, char* text, std::size_t size) {
    if (stamp.key == 0)
        std::snprintf(text, size, "%s", texts::kLogNone);
    else
        FormatVersionStamp(stamp.version, stamp.build, text, size, true, true);
}

} // namespace

const char* RecoveryText(RecoveryResult result) {
    switch (result) {
    case RecoveryResult::NothingToDo:
        return texts::kLogRecoveryNone;
    case RecoveryResult::RolledBack:
        return texts::kLogRecoveryRolledBack;
    case RecoveryResult::Completed:
        return texts::kLogRecoveryCompleted;
    case RecoveryResult::NotAllRestored:
        return texts::kLogRecoveryNotAll;
    case RecoveryResult::Refused:
        return texts::kLogRecoveryRefused;
    case RecoveryResult::Busy:
        return texts::kLogRecoveryBusy;
    }
    return "?";
}

const char* StartupResultText(StartupResult result) {
    return result == StartupResult::Ready ? texts::kLogReady : StartupRefusalText(result);
}

const char* OutcomeText(InstallOutcome outcome) {
    switch (outcome) {
    case InstallOutcome::Installed:
        return texts::kLogInstalledWell;
    case InstallOutcome::Failed:
        return texts::kLogFailed;
    case InstallOutcome::NotAllRestored:
        return texts::kLogNotAllRestored;
    case InstallOutcome::NotStarted:
        break;
    }
    return texts::kLogRunNotStarted;
}

bool DefaultLogPaths(char* path, std::size_t pathSize, char* previous, std::size_t previousSize) {
    char folder[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder)
        return false;
    // GetTempPathA ends the folder with a backslash.
    const int a = std::snprintf(path, pathSize, "%skvelmora.log", folder);
    const int b = std::snprintf(previous, previousSize, "%skvelmora.old.log", folder);
    return a > 0 && static_cast<std::size_t>(a) < pathSize && b > 0 &&
           static_cast<std::size_t>(b) < previousSize;
}

bool CUpdateLog::Open(const char* path, const char* previous) {
    m_file.Close();
    m_writeFailed = false;
    if (path == nullptr || path[0] == '\0')
        return false;
    // The program runs elevated, and a deployment service's temp folder (or
    // the folder /log names) is one ordinary users may write to: a link left
    // at the log's name would have the log, or the move of the old one
    // aside, write or move whatever it points to (a link to a file looks like
    // a plain file under Wine, a hard link everywhere). So the old log moves
    // aside only when it is a plain file with no other name, through a handle
    // checked to be that; anything else at the name goes as a name only,
    // without touching what it points to. The log is then made only where
    // nothing stands, and never opened through an existing name.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        bool keptAside = false;
        if (previous != nullptr) {
            CFileHandle old;
            keptAside = OpenOwnFile(path, DELETE, old) == ERROR_SUCCESS &&
                        RenameOpenFile(old.Get(), path, previous, true);
        }
        if (!keptAside)
            RemoveName(path);
    }
    // Readers may look while the update runs; nobody else may write.
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    m_file.Reset(
        CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, flags, nullptr));
    if (m_file.IsOpen() || GetLastError() != ERROR_FILE_EXISTS)
        return m_file.IsOpen();
    // The name is still taken (held by a reader): a log of its own beside it,
    // named after this process, "kvelmora.1234.log".
    const std::string taken(path);
    const size_t slash = taken.find_last_of("\\/");
    size_t dot = taken.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = taken.size();
    const std::string own =
        taken.substr(0, dot) + "." + std::to_string(GetCurrentProcessId()) + taken.substr(dot);
    if (own.size() < MAX_PATH)
        m_file.Reset(CreateFileA(own.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 flags, nullptr));
    return m_file.IsOpen();
}

void CUpdateLog::Write(const char* text) {
    if (!m_file.IsOpen())
        return;
    char line[kLineSize];
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int prefix = std::snprintf(line, sizeof line, "%02u:%02u:%02u.%03u ", now.wHour,
                                     now.wMinute, now.wSecond, now.wMilliseconds);
    std::size_t length = prefix > 0 ? static_cast<std::size_t>(prefix) : 0;
    const std::size_t room = sizeof line - 2; // CR LF
    const std::size_t textLength = std::strlen(text);
    if (length + textLength <= room) {
        std::memcpy(line + length, text, textLength);
        length += textLength;
    } else {
        std::memcpy(line + length, text, room - 3 - length);
        std::memcpy(line + room - 3, "...", 3);
        length = room;
    }
    line[length++] = '\r';
    line[length++] = '\n';
    DWORD written = 0;
    if (!WriteFile(m_file.Get(), line, static_cast<DWORD>(length), &written, nullptr) ||
        written != length) {
        // A full disk or a lost share: give the log up, not the update.
        m_writeFailed = true;
        m_file.Close();
    }
}

void CUpdateLog::Line(const char* format, ...) {
    FlushRepeats();
    char text[kLineSize];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0)
        return;
    // vsnprintf cut it: show that it was cut.
    if (static_cast<std::size_t>(length) >= sizeof text)
        std::memcpy(text + sizeof text - 4, "...", 4);
    Write(text);
}

void CUpdateLog::FlushRepeats() {
    if (m_repeats > 0) {
        const unsigned long repeats = m_repeats;
        m_repeats = 0;
        char text[kLineSize];
        std::snprintf(text, sizeof text, texts::kLogSameAnswer, repeats);
        Write(text);
    }
    m_repeatPath.clear();
}

void CUpdateLog::Started(const char* commandLine, RunMode mode) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    Line(texts::kLogProgram, KVELMORA_VERSION_TEXT, KVELMORA_BUILD_TEXT, kProductVersionCode);
    Line(texts::kLogStart, now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute, now.wSecond);
    Line(texts::kLogCommandLine, commandLine ? commandLine : "");
    Line(texts::kLogMode, ModeText(mode));
}

void CUpdateLog::FactsFrom(const StartupFacts* facts, const char* packageFolder) {
    m_facts = facts;
    m_packageFolder = packageFolder ? packageFolder : "";
    m_factsWritten = false;
}

void CUpdateLog::WriteFacts(StartupResult result) {
    if (m_factsWritten || m_facts == nullptr)
        return;
    m_factsWritten = true;
    if (result == StartupResult::NotInstalled || result == StartupResult::CannotStart)
        return;
    if (m_facts->recovery != RecoveryResult::NothingToDo)
        Line(texts::kLogInterrupted, RecoveryText(m_facts->recovery));
    char stamp[64];
    FormatStamp(m_facts->installed, stamp, sizeof stamp);
    Line(texts::kLogInstallFolder, m_facts->installFolder);
    Line(texts::kLogInstalled, stamp);
    Line(texts::kLogPackage, m_packageFolder.c_str());
    WriteVerification(m_facts->verification);
    if (result == StartupResult::NoList || result == StartupResult::DamagedPackage)
        return;
    FormatStamp(m_facts->newest, stamp, sizeof stamp);
    Line(texts::kLogNewest, stamp);
    Line(texts::kLogPackageSize, static_cast<long long>(m_facts->totalSize),
         m_facts->sizeFromFile ? texts::kLogSizeFromFile : texts::kLogSizeComputed);
}

void CUpdateLog::WriteVerification(const PackageVerification& verification) {
    switch (verification.state) {
    case PackageCheck::NotVerified:
        Line(texts::kLogNotVerified, kChecksumFileName);
        break;
    case PackageCheck::Verified:
        Line(texts::kLogVerified, kChecksumFileName,
             static_cast<unsigned>(verification.sums ? verification.sums->Entries().size() : 0));
        break;
    case PackageCheck::Damaged:
        Line(texts::kLogPackageDamaged, verification.damagedName.c_str(),
             verification.reason.c_str());
        break;
    }
}

void CUpdateLog::Ended(const RunSummary& run, int exitCode) {
    WriteFacts(run.startup);
    if (run.startup != StartupResult::Ready) {
        Line(texts::kLogStartStopped, StartupResultText(run.startup));
    } else if (run.installStarted) {
        Line(texts::kLogOutcome, OutcomeText(run.outcome),
             run.stoppedByUser ? texts::kLogByCancel : "");
    } else {
        Line(texts::kLogCancelledBeforeInstall);
    }
    Line(texts::kLogExitCode, exitCode);
}

void CUpdateLog::CopyStarted() {
    WriteFacts(StartupResult::Ready);
    Line(texts::kLogCopyStarted);
}

void CUpdateLog::FileCopied(const char* destination, int64_t bytes) {
    Line(texts::kLogCopied, destination, static_cast<long long>(bytes));
}

void CUpdateLog::RetriedQuietly(const char* path, DWORD error, DWORD waitedMs, bool succeeded) {
    if (succeeded)
        Line(texts::kLogRetriedWell, static_cast<unsigned long>(waitedMs), path);
    else
        Line(texts::kLogRetriedStillHeld, static_cast<unsigned long>(waitedMs), path,
             static_cast<unsigned long>(error));
}

void CUpdateLog::Answered(const char* path, DWORD error, int answer, bool automatic) {
    if (automatic && answer == IDRETRY && !m_repeatPath.empty() && m_repeatPath == path) {
        ++m_repeats;
        return;
    }
    Line(texts::kLogAnswered,
         error == ERROR_FILE_CORRUPT ? texts::kLogDamagedFile : texts::kLogCannotOpen, path,
         static_cast<unsigned long>(error), automatic ? texts::kLogByRule : texts::kLogByUser,
         AnswerText(answer));
    if (automatic && answer == IDRETRY)
        m_repeatPath = path;
}

void CUpdateLog::FileDamaged(const char* path, const char* expected, const char* found) {
    Line(texts::kLogFileDamaged, path, expected, found);
}

void CUpdateLog::CopyEnded(int result) {
    Line(texts::kLogCopyEnded, result ? texts::kLogCopyFinished : texts::kLogCopyStopped);
}
