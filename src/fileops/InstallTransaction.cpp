#include "fileops/InstallTransaction.h"

#include "data/StampFile.h"
#include "fileops/MessagePump.h"
#include "fileops/Paths.h"
#include "fileops/RetryTimings.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr char kNetFolderName[] = "~kvu";
constexpr char kJournalName[] = "journal";
// The numbered names count from 1: 0 is the stamp temporary a rollback took back.
constexpr char kWithdrawnStamp[] = "000000";
// A journal bigger than any run could write is not ours.
constexpr int64_t kLargestJournal = 64 * 1024 * 1024;

// Renames the open file `handle` (known by `path`) to `target`, which must
// not exist, through the handle: half what a rename by name costs, as the
// file is not opened again. Where the system takes no rename through a
// handle, or not this path, by name.
BOOL RenameOpenFile(HANDLE handle, const std::string& path, const char* target) {
    // An NT path: every version reads it as it stands.
    const std::string full = std::string("\\??\\") + target;
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, full.c_str(), -1, nullptr, 0);
    if (length > 1) {
        const size_t nameBytes = static_cast<size_t>(length - 1) * sizeof(WCHAR);
        std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = FALSE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(nameBytes);
        MultiByteToWideChar(CP_ACP, 0, full.c_str(), -1, rename->FileName, length);
        if (SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                       static_cast<DWORD>(buffer.size())))
            return TRUE;
        const DWORD error = GetLastError();
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_INVALID_NAME &&
            error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION &&
            error != ERROR_CALL_NOT_IMPLEMENTED)
            return FALSE;
    }
    return MoveFileExA(path.c_str(), target, 0);
}

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsMissingError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Inside the safety net folder, or the folder itself: never a destination.
bool IsInSafetyNet(const std::string& net, const std::string& path) {
    return SamePath(net, path) || IsPathInside(net, path);
}

// CreateDirectoryA stops at 248 characters (room for an 8.3 name after
// them); the folders of an installation near its 246-character limit are
// longer, and the \\?\ form of a full, plain path is not held to that.
bool CreateFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr))
        return true;
    const DWORD error = GetLastError();
    const bool plain =
        path.size() > 3 && path[1] == ':' && path[2] == '\\' && path.find('/') == std::string::npos;
    if (error == ERROR_FILENAME_EXCED_RANGE && plain) {
        const std::string longForm = "\\\\?\\" + path;
        if (PathFits(longForm) && CreateDirectoryA(longForm.c_str(), nullptr))
            return true;
    }
    SetLastError(error);
    return false;
}

// A read-only file can be renamed but neither deleted nor replaced.
void AllowRemoval(const std::string& path, DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

// Whether `path` or a folder between `root` and it is a link. Components
// that do not exist end the walk: nothing can be reached through them.
bool CrossesLink(const std::string& root, const std::string& path) {
    size_t end = root.size();
    while (end < path.size()) {
        end = path.find('\\', end + 1);
        if (end == std::string::npos)
            end = path.size();
        const DWORD attributes = GetFileAttributesA(path.substr(0, end).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return false;
        if (IsLink(attributes))
            return true;
    }
    return false;
}

// The path the system resolves an open file or folder to, without the "\\?\"
// prefix; empty when it cannot tell.
std::string FinalPath(HANDLE handle) {
    char final[MAX_PATH + 8];
    const DWORD length =
        GetFinalPathNameByHandleA(handle, final, sizeof final, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= sizeof final)
        return std::string();
    std::string resolved(final, length);
    if (resolved.compare(0, 8, "\\\\?\\UNC\\") == 0)
        resolved = "\\" + resolved.substr(7);
    else if (resolved.compare(0, 4, "\\\\?\\") == 0)
        resolved.erase(0, 4);
    return resolved;
}

std::string LongForm(const std::string& path) {
    char named[MAX_PATH];
    const DWORD length = GetLongPathNameA(path.c_str(), named, sizeof named);
    return length > 0 && length < sizeof named ? std::string(named, length) : std::string();
}

// Whether the existing plain file `path` (inside `install`, which resolves
// to `installFinal`) can be renamed away now, and is itself what the path
// names: a link that does not show as a reparse point (Wine shows a link to
// a file as a plain file, and renaming it there moves its target) resolves
// elsewhere. The installation folder itself may lie behind a junction.
DWORD ProbeExistingFile(const std::string& path, const std::string& install,
                        const std::string& installFinal) {
    CFileHandle probe(CreateFileA(path.c_str(), DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!probe.IsOpen())
        return GetLastError();
    const std::string resolved = FinalPath(probe.Get());
    if (resolved.empty() || installFinal.empty())
        return ERROR_SUCCESS; // cannot tell: the attributes said a plain file
    if (SamePath(resolved, installFinal + path.substr(install.size())))
        return ERROR_SUCCESS;
    // Short names (PROGRA~1) differ too; their long forms cost a look into
    // every folder of the path, so they are asked for only here.
    const std::string longPath = LongForm(path);
    const std::string longInstall = LongForm(install);
    if (longPath.empty() || longInstall.empty() || longPath.size() <= longInstall.size())
        return ERROR_SUCCESS;
    return SamePath(resolved, installFinal + longPath.substr(longInstall.size()))
               ? ERROR_SUCCESS
               : ERROR_CANT_ACCESS_FILE;
}

// The rollback and the clean-up, shared by Rollback and by the recovery at
// the next start. Every step checks the disk before it acts, so running it
// again after an interruption at any point gives the same result.
class CRunFinisher {
public:
    CRunFinisher(const std::string& install, const std::string& net, const std::string& journalPath,
                 const std::vector<JournalRecord>& records, CSafetyStepObserver* observer)
        : m_install(install), m_net(net), m_journalPath(journalPath), m_records(records),
          m_observer(observer) {}

    RecoveryResult Finish();
    // Deletes the journal, then the numbered files of the safety net, then
    // the folder; anything else in it stays, and so does the folder then.
    void RemoveSafetyNet();
    bool Stopped() const { return m_stopped; }

private:
    bool Step(SafetyStep step) {
        if (m_observer != nullptr && !m_observer->Continue(step))
            m_stopped = true;
        return !m_stopped;
    }
    std::string NetPath(const std::string& name) const { return m_net + "\\" + name; }
    // 1 committed, 0 not, -1 cannot tell.
    int Committed() const;
    // Undoes every record, newest first; the number of steps that failed.
    int UndoPass();
    DWORD UndoFolder(const std::string& folder);
    DWORD UndoNewFile(const std::string& temporary, const std::string& destination);
    DWORD UndoReplace(const std::string& temporary, const std::string& preserved,
                      const std::string& destination);
    DWORD DeleteIfThere(const std::string& path);
    DWORD WithdrawStamp(const std::string& temporary);

    const std::string& m_install;
    const std::string& m_net;
    const std::string& m_journalPath;
    const std::vector<JournalRecord>& m_records;
    CSafetyStepObserver* m_observer;
    bool m_stopped = false;
};

int CRunFinisher::Committed() const {
    for (const JournalRecord& record : m_records) {
        if (record.kind == JournalKind::Committed)
            return 1;
        if (record.kind != JournalKind::StampMove)
            continue;
        // The temporary was complete and on disk before this record was:
        // gone now, it can only have become Versione.txt, unless a rollback
        // withdrew it into the safety net.
        if (GetFileAttributesA(record.fields[0].c_str()) != INVALID_FILE_ATTRIBUTES)
            return 0;
        if (!IsMissingError(GetLastError()))
            return -1;
        if (GetFileAttributesA(NetPath(kWithdrawnStamp).c_str()) != INVALID_FILE_ATTRIBUTES)
            return 0;
        return IsMissingError(GetLastError()) ? 1 : -1;
    }
    return 0;
}

// Deleting the stamp temporary would make the run look committed to a
// recovery that follows an interruption; moved into the safety net it still
// shows that the commit point was not passed, until the journal is gone.
DWORD CRunFinisher::WithdrawStamp(const std::string& temporary) {
    const DWORD attributes = GetFileAttributesA(temporary.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return IsMissingError(GetLastError()) ? ERROR_SUCCESS : GetLastError();
    if (IsLink(attributes) || IsFolder(attributes))
        return ERROR_CANT_ACCESS_FILE;
    if (!MoveFileExA(temporary.c_str(), NetPath(kWithdrawnStamp).c_str(),
                     MOVEFILE_REPLACE_EXISTING))
        return GetLastError();
    return Step(SafetyStep::Undone) ? ERROR_SUCCESS : ERROR_REQUEST_ABORTED;
}

DWORD CRunFinisher::DeleteIfThere(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return IsMissingError(error) ? ERROR_SUCCESS : error;
    }
    if (IsLink(attributes) || IsFolder(attributes))
        return ERROR_CANT_ACCESS_FILE; // not what the run made: left alone
    AllowRemoval(path, attributes);
    if (!DeleteFileA(path.c_str())) {
        const DWORD error = GetLastError();
        return IsMissingError(error) ? ERROR_SUCCESS : error;
    }
    return Step(SafetyStep::Undone) ? ERROR_SUCCESS : ERROR_REQUEST_ABORTED;
}

DWORD CRunFinisher::UndoFolder(const std::string& folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !IsFolder(attributes))
        return ERROR_SUCCESS;
    if (IsLink(attributes))
        return ERROR_CANT_ACCESS_FILE;
    if (!RemoveDirectoryA(folder.c_str())) {
        const DWORD error = GetLastError();
        // It holds something the run did not make (what the run made in it
        // is undone before it): that stays, and so does the folder.
        if (error == ERROR_DIR_NOT_EMPTY || IsMissingError(error))
            return ERROR_SUCCESS;
        return error;
    }
    return Step(SafetyStep::Undone) ? ERROR_SUCCESS : ERROR_REQUEST_ABORTED;
}

DWORD CRunFinisher::UndoNewFile(const std::string& temporary, const std::string& destination) {
    // The temporary still there means the rename never happened: whatever
    // stands at the destination is not the run's.
    const std::string temporaryPath = NetPath(temporary);
    if (GetFileAttributesA(temporaryPath.c_str()) != INVALID_FILE_ATTRIBUTES)
        return DeleteIfThere(temporaryPath);
    return DeleteIfThere(destination);
}

DWORD CRunFinisher::UndoReplace(const std::string& temporary, const std::string& preserved,
                                const std::string& destination) {
    const std::string preservedPath = NetPath(preserved);
    const DWORD kept = GetFileAttributesA(preservedPath.c_str());
    if (kept != INVALID_FILE_ATTRIBUTES) {
        if (IsLink(kept) || IsFolder(kept))
            return ERROR_CANT_ACCESS_FILE;
        // The old file is in the safety net, so the destination holds the new
        // one or nothing: the old one takes its place in one rename.
        const DWORD current = GetFileAttributesA(destination.c_str());
        if (IsLink(current) || IsFolder(current))
            return ERROR_CANT_ACCESS_FILE;
        AllowRemoval(destination, current);
        if (!MoveFileExA(preservedPath.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING))
            return GetLastError();
        if (!Step(SafetyStep::Undone))
            return ERROR_REQUEST_ABORTED;
    }
    return DeleteIfThere(NetPath(temporary));
}

int CRunFinisher::UndoPass() {
    std::vector<bool> voided(m_records.size(), false);
    for (const JournalRecord& record : m_records) {
        if (record.kind != JournalKind::Void)
            continue;
        const unsigned long target = std::strtoul(record.fields[0].c_str(), nullptr, 10);
        if (target < voided.size())
            voided[target] = true;
    }
    int failures = 0;
    for (size_t i = m_records.size(); i-- > 0;) {
        const JournalRecord& record = m_records[i];
        const std::vector<std::string>& f = record.fields;
        DWORD result = ERROR_SUCCESS;
        if (voided[i])
            continue;
        switch (record.kind) {
        case JournalKind::Folder:
            result = UndoFolder(f[0]);
            break;
        case JournalKind::NewFile:
            result = UndoNewFile(f[0], f[1]);
            break;
        case JournalKind::Replace:
            result = UndoReplace(f[0], f[1], f[2]);
            break;
        case JournalKind::StampWrite:
            result = DeleteIfThere(f[0]);
            break;
        case JournalKind::StampMove:
            result = WithdrawStamp(f[0]);
            break;
        default:
            break;
        }
        if (m_stopped)
            return failures + 1;
        if (result != ERROR_SUCCESS)
            ++failures;
    }
    return failures;
}

void CRunFinisher::RemoveSafetyNet() {
    // The journal first: once the installation is whole (rolled back or
    // committed), what the safety net still holds is of no use, and a net
    // without a journal is only ever cleared.
    if (DeleteFileA(m_journalPath.c_str()) && !Step(SafetyStep::Removed))
        return;
    WIN32_FIND_DATAA found;
    const std::string pattern = m_net + "\\*";
    HANDLE search =
        PathFits(pattern) ? FindFirstFileA(pattern.c_str(), &found) : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
        std::vector<std::string> names;
        do {
            const DWORD attributes = found.dwFileAttributes;
            if (!IsFolder(attributes) && !IsLink(attributes) && IsSafetyNetName(found.cFileName))
                names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        for (const std::string& name : names) {
            const std::string path = NetPath(name);
            AllowRemoval(path, GetFileAttributesA(path.c_str()));
            if (DeleteFileA(path.c_str()) && !Step(SafetyStep::Removed))
                return;
        }
    }
    RemoveDirectoryA(m_net.c_str());
}

RecoveryResult CRunFinisher::Finish() {
    const int committed = Committed();
    if (committed < 0)
        return RecoveryResult::NotAllRestored;
    if (committed == 0) {
        int failures = UndoPass();
        const RetryTimings& timings = ProcessRetryTimings();
        const ULONGLONG deadline = RetryClockMs() + timings.restoreMs;
        while (failures > 0 && !m_stopped && RetryClockMs() < deadline) {
            WaitPumpingMessages(timings.intervalMs);
            failures = UndoPass();
        }
        if (m_stopped || failures > 0)
            return RecoveryResult::NotAllRestored;
    }
    RemoveSafetyNet();
    return committed ? RecoveryResult::Completed : RecoveryResult::RolledBack;
}

bool ValidRecordPaths(const std::string& install, const std::string& net,
                      const JournalRecord& record) {
    const auto destination = [&](const std::string& path) {
        return IsPathInside(install, path) && !IsInSafetyNet(net, path) && PathFits(path);
    };
    const std::vector<std::string>& f = record.fields;
    switch (record.kind) {
    case JournalKind::Header:
        return SamePath(f[0], install);
    case JournalKind::Folder:
    case JournalKind::StampWrite:
        return destination(f[0]);
    case JournalKind::NewFile:
        return IsSafetyNetName(f[0]) && destination(f[1]);
    case JournalKind::Replace:
        return IsSafetyNetName(f[0]) && IsSafetyNetName(f[1]) && destination(f[2]);
    case JournalKind::Void: {
        const std::string& target = f[0];
        return !target.empty() && target.size() < 10 &&
               target.find_first_not_of("0123456789") == std::string::npos &&
               std::strtoul(target.c_str(), nullptr, 10) < record.sequence;
    }
    case JournalKind::StampMove:
        return destination(f[0]) && destination(f[1]);
    case JournalKind::Committed:
        return true;
    }
    return false;
}

bool AnyPathCrossesLink(const std::string& install, const std::string& net,
                        const std::vector<JournalRecord>& records) {
    for (const JournalRecord& record : records) {
        if (record.kind == JournalKind::Header || record.kind == JournalKind::Void)
            continue;
        for (const std::string& field : record.fields) {
            const std::string path = IsSafetyNetName(field) ? net + "\\" + field : field;
            if (CrossesLink(install, path))
                return true;
        }
    }
    return false;
}

// A journal whose header was being written when the run stopped: nothing
// else can have been done yet.
bool IsTornHeaderOnly(std::string text, const std::string& install) {
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    JournalRecord header;
    header.fields.push_back(install);
    const size_t whole = EncodeJournalRecord(header).size();
    const std::string start = FoldedPath("0|H|" + install + "|");
    if (text.size() >= whole || text.find('\n') != std::string::npos)
        return false;
    const size_t compared = text.size() < start.size() ? text.size() : start.size();
    return FoldedPath(text.substr(0, compared)) == start.substr(0, compared);
}

} // namespace

std::string CInstallTransaction::SafetyNetFolder(const char* installFolder) {
    return JoinPath(installFolder, kNetFolderName);
}

std::string CInstallTransaction::JournalPath(const char* installFolder) {
    return JoinPath(SafetyNetFolder(installFolder).c_str(), kJournalName);
}

CInstallTransaction::CInstallTransaction(const char* installFolder)
    : m_install(installFolder != nullptr ? installFolder : ""),
      m_net(SafetyNetFolder(m_install.c_str())), m_journalPath(JournalPath(m_install.c_str())) {}

CInstallTransaction::~CInstallTransaction() = default;

bool CInstallTransaction::Fail(DWORD error) {
    m_lastError = error;
    SetLastError(error);
    return false;
}

bool CInstallTransaction::Step(SafetyStep step) {
    if (m_observer != nullptr && !m_observer->Continue(step))
        m_state = State::Stopped;
    return m_state != State::Stopped;
}

DWORD CInstallTransaction::Append(JournalKind kind, std::vector<std::string> fields) {
    const DWORD written = Write(kind, std::move(fields));
    return written != ERROR_SUCCESS ? written : FlushRecords(1);
}

DWORD CInstallTransaction::Write(JournalKind kind, std::vector<std::string> fields) {
    if (m_state != State::Open)
        return m_lastError != ERROR_SUCCESS ? m_lastError : ERROR_INVALID_FUNCTION;
    JournalRecord record;
    record.kind = kind;
    record.sequence = static_cast<uint32_t>(m_records.size());
    record.fields = std::move(fields);
    const std::string line = EncodeJournalRecord(record);
    // Kept even when the write fails: if part of it reached the disk, the
    // rollback must look at its step too (it finds it not taken).
    m_records.push_back(record);
    DWORD written = 0;
    bool failed =
        !WriteJournal(m_journal.Get(), line.data(), static_cast<DWORD>(line.size()), &written);
    DWORD error = failed ? GetLastError() : ERROR_SUCCESS;
    if (!failed && written != line.size()) {
        failed = true;
        error = ERROR_HANDLE_DISK_FULL;
    }
    return failed ? Break(error) : ERROR_SUCCESS;
}

DWORD CInstallTransaction::FlushRecords(size_t count) {
    if (m_state != State::Open)
        return m_lastError != ERROR_SUCCESS ? m_lastError : ERROR_INVALID_FUNCTION;
    if (!FlushJournal(m_journal.Get()))
        return Break(GetLastError());
    for (size_t i = 0; i < count; ++i) {
        if (!Step(SafetyStep::Journaled))
            return ERROR_REQUEST_ABORTED;
    }
    return ERROR_SUCCESS;
}

DWORD CInstallTransaction::Break(DWORD error) {
    if (error == ERROR_SUCCESS)
        error = ERROR_WRITE_FAULT;
    // Whatever follows a partly written line would read as damage in the
    // middle of the journal: no more steps, only the rollback.
    m_state = State::Broken;
    m_lastError = error;
    return error;
}

const std::string& CInstallTransaction::InstallFinalPath() {
    if (m_installFinal.empty()) {
        CFileHandle folder(CreateFileA(m_install.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                       nullptr));
        if (folder.IsOpen())
            m_installFinal = FinalPath(folder.Get());
    }
    return m_installFinal;
}

BOOL CInstallTransaction::WriteJournal(HANDLE journal, const void* data, DWORD size,
                                       DWORD* written) {
    return WriteFile(journal, data, size, written, nullptr);
}

BOOL CInstallTransaction::FlushJournal(HANDLE journal) {
    return FlushFileBuffers(journal);
}

bool CInstallTransaction::OwnsTemporary(const std::string& path) const {
    return path.size() == m_net.size() + 7 && IsPathInside(m_net, path) &&
           IsSafetyNetName(path.substr(m_net.size() + 1));
}

DWORD CInstallTransaction::CheckFoldersBelow(const std::string& path) {
    size_t end = m_install.size();
    for (;;) {
        end = path.find('\\', end + 1);
        if (end == std::string::npos)
            return ERROR_SUCCESS;
        const std::string folder = path.substr(0, end);
        if (m_checkedFolders.count(FoldedPath(folder)) != 0)
            continue;
        const DWORD attributes = GetFileAttributesA(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return ERROR_SUCCESS; // the step itself fails on the missing folder
        if (IsLink(attributes))
            return ERROR_CANT_ACCESS_FILE;
        if (!IsFolder(attributes))
            return ERROR_DIRECTORY;
        m_checkedFolders.insert(FoldedPath(folder));
    }
}

bool CInstallTransaction::Begin() {
    if (m_state != State::Idle)
        return Fail(ERROR_INVALID_FUNCTION);
    if (m_install.empty() || m_install.back() == '\\' || m_install.back() == '/')
        return Fail(ERROR_BAD_PATHNAME);
    // The longest path of the safety net: its folder and a numbered name.
    if (!PathFits(m_journalPath) || !PathFits(JoinPath(m_net.c_str(), "000000")))
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    const DWORD install = GetFileAttributesA(m_install.c_str());
    if (install == INVALID_FILE_ATTRIBUTES)
        return Fail(GetLastError());
    if (!IsFolder(install))
        return Fail(ERROR_DIRECTORY);

    const DWORD net = GetFileAttributesA(m_net.c_str());
    if (net == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (!IsMissingError(error))
            return Fail(error);
        if (!CreateFolder(m_net))
            return Fail(GetLastError());
        m_madeNet = true;
        SetFileAttributesA(m_net.c_str(), FILE_ATTRIBUTE_HIDDEN);
        if (!Step(SafetyStep::NetFolderMade))
            return Fail(ERROR_REQUEST_ABORTED);
    } else if (IsLink(net)) {
        return Fail(ERROR_CANT_ACCESS_FILE);
    } else if (!IsFolder(net)) {
        return Fail(ERROR_DIRECTORY);
    } else if (GetFileAttributesA(m_journalPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return Fail(ERROR_ALREADY_EXISTS); // an earlier run: recovery first
    } else {
        // Left by a run that ended (its journal gone): only temporaries remain.
        CRunFinisher(m_install, m_net, m_journalPath, m_records, nullptr).RemoveSafetyNet();
        if (!IsFolder(GetFileAttributesA(m_net.c_str()))) {
            if (!CreateFolder(m_net))
                return Fail(GetLastError());
            m_madeNet = true;
            SetFileAttributesA(m_net.c_str(), FILE_ATTRIBUTE_HIDDEN);
        }
    }

    m_journal.Reset(CreateFileA(m_journalPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
    m_state = State::Open;
    const DWORD error =
        m_journal.IsOpen() ? Append(JournalKind::Header, {m_install}) : GetLastError();
    if (error == ERROR_SUCCESS)
        return true;
    if (m_state == State::Stopped)
        return Fail(error);
    m_journal.Close();
    m_records.clear();
    m_state = State::Idle;
    DeleteFileA(m_journalPath.c_str());
    if (m_madeNet)
        RemoveDirectoryA(m_net.c_str());
    return Fail(error);
}

DWORD CInstallTransaction::MakeFolder(const char* path) {
    if (m_state != State::Open)
        return ERROR_INVALID_FUNCTION;
    const std::string folder = path != nullptr ? path : "";
    if (SamePath(folder, m_install))
        return ERROR_SUCCESS;
    if (!IsPathInside(m_install, folder) || IsInSafetyNet(m_net, folder) || !PathFits(folder))
        return ERROR_INVALID_PARAMETER;
    const DWORD links = CheckFoldersBelow(folder);
    if (links != ERROR_SUCCESS)
        return links;
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (IsLink(attributes))
            return ERROR_CANT_ACCESS_FILE;
        if (!IsFolder(attributes))
            return ERROR_ALREADY_EXISTS;
        m_checkedFolders.insert(FoldedPath(folder));
        return ERROR_SUCCESS;
    }
    if (GetLastError() != ERROR_FILE_NOT_FOUND)
        return GetLastError();
    const uint32_t sequence = static_cast<uint32_t>(m_records.size());
    const DWORD journaled = Append(JournalKind::Folder, {folder});
    if (journaled != ERROR_SUCCESS)
        return journaled;
    if (!CreateFolder(folder)) {
        const DWORD error = GetLastError();
        Append(JournalKind::Void, {std::to_string(sequence)});
        return error;
    }
    if (!Step(SafetyStep::FolderMade))
        return ERROR_REQUEST_ABORTED;
    m_checkedFolders.insert(FoldedPath(folder));
    return ERROR_SUCCESS;
}

HANDLE CInstallTransaction::CreateTemporary(std::string& temporaryPath) {
    if (m_state != State::Open) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return INVALID_HANDLE_VALUE;
    }
    while (m_nextName < 1000000) {
        const std::string path = JoinPath(m_net.c_str(), SafetyNetName(m_nextName++).c_str());
        // Shared for deletion: Place renames it while FlushInBackground may
        // still hold it.
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            temporaryPath = path;
            return file;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_TOO_MANY_NAMES);
    return INVALID_HANDLE_VALUE;
}

void CInstallTransaction::FlushInBackground(HANDLE temporary) {
    if (!m_flusher)
        m_flusher.reset(new CBackgroundFlusher);
    m_flusher->Hand(temporary);
}

DWORD CInstallTransaction::CheckReplaceable(const char* destination) {
    const std::string path = destination != nullptr ? destination : "";
    if (!IsPathInside(m_install, path) || IsInSafetyNet(m_net, path) || !PathFits(path))
        return ERROR_INVALID_PARAMETER;
    const DWORD links = CheckFoldersBelow(path);
    if (links != ERROR_SUCCESS)
        return links;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        // Its folder may not be made yet: then it is missing all the more.
        if (!IsMissingError(error))
            return error;
        m_probed[FoldedPath(path)] = false;
        return ERROR_SUCCESS;
    }
    if (IsLink(attributes))
        return ERROR_CANT_ACCESS_FILE;
    if (IsFolder(attributes))
        return ERROR_DIRECTORY;
    const DWORD replaceable = ProbeExistingFile(path, m_install, InstallFinalPath());
    if (replaceable == ERROR_SUCCESS)
        m_probed[FoldedPath(path)] = true;
    return replaceable;
}

DWORD CInstallTransaction::Place(const std::string& temporaryPath, const char* destination) {
    PlannedPlacement plan;
    DWORD error = Plan(temporaryPath, destination, plan);
    if (error == ERROR_SUCCESS)
        error = Append(plan.kind, plan.fields);
    return error == ERROR_SUCCESS ? Carry(plan) : error;
}

void CInstallTransaction::PlaceSeveral(std::vector<Placement>& placements) {
    std::vector<PlannedPlacement> plans(placements.size());
    size_t written = 0;
    for (size_t i = 0; i < placements.size(); ++i) {
        Placement& placement = placements[i];
        placement.result = Plan(placement.temporaryPath, placement.destination.c_str(), plans[i]);
        if (placement.result == ERROR_SUCCESS)
            placement.result = Write(plans[i].kind, plans[i].fields);
        if (placement.result == ERROR_SUCCESS)
            ++written;
        PumpPendingMessages();
    }
    if (written == 0) {
        for (Placement& placement : placements) {
            if (placement.handle != INVALID_HANDLE_VALUE)
                FlushInBackground(placement.handle);
            placement.handle = INVALID_HANDLE_VALUE;
        }
        return;
    }
    // One flush puts every record on the disk before any of their steps.
    const DWORD flushed = FlushRecords(written);
    for (size_t i = 0; i < placements.size(); ++i) {
        Placement& placement = placements[i];
        if (placement.result == ERROR_SUCCESS)
            placement.result =
                flushed != ERROR_SUCCESS ? flushed : Carry(plans[i], placement.handle);
        if (placement.handle != INVALID_HANDLE_VALUE)
            FlushInBackground(placement.handle);
        placement.handle = INVALID_HANDLE_VALUE;
        PumpPendingMessages();
    }
}

DWORD CInstallTransaction::Plan(const std::string& temporaryPath, const char* destination,
                                PlannedPlacement& plan) {
    if (m_state != State::Open)
        return m_lastError != ERROR_SUCCESS ? m_lastError : ERROR_INVALID_FUNCTION;
    const std::string target = destination != nullptr ? destination : "";
    // The journal may name only what recovery will accept.
    if (!OwnsTemporary(temporaryPath) || !IsPathInside(m_install, target) ||
        IsInSafetyNet(m_net, target) || !PathFits(target))
        return ERROR_INVALID_PARAMETER;
    const DWORD links = CheckFoldersBelow(target);
    if (links != ERROR_SUCCESS)
        return links;
    const std::string temporary = temporaryPath.substr(m_net.size() + 1);
    plan.temporaryPath = temporaryPath;
    plan.target = target;
    plan.sequence = static_cast<uint32_t>(m_records.size());
    // What CheckReplaceable just found saves looking twice. Should it have
    // changed since, the renames fail (none replaces a file) and nothing
    // moves; Place then looks afresh.
    const auto probed = m_probed.find(FoldedPath(target));
    bool exists = probed != m_probed.end() && probed->second;
    if (probed != m_probed.end()) {
        m_probed.erase(probed);
    } else {
        const DWORD attributes = GetFileAttributesA(target.c_str());
        exists = attributes != INVALID_FILE_ATTRIBUTES;
        if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND)
            return GetLastError();
        if (IsLink(attributes))
            return ERROR_CANT_ACCESS_FILE;
        if (IsFolder(attributes))
            return ERROR_DIRECTORY;
        // Asked before the journal: a held file costs no record.
        const DWORD replaceable =
            exists ? ProbeExistingFile(target, m_install, InstallFinalPath()) : ERROR_SUCCESS;
        if (replaceable != ERROR_SUCCESS)
            return replaceable;
    }
    if (!exists) {
        plan.kind = JournalKind::NewFile;
        plan.fields = {temporary, target};
        return ERROR_SUCCESS;
    }

    // Begin emptied the net and the names count up, so the name is free; if
    // not, the rename fails and nothing is replaced.
    if (m_nextName >= 1000000)
        return ERROR_TOO_MANY_NAMES;
    const std::string preserved = SafetyNetName(m_nextName++);
    plan.preservedPath = JoinPath(m_net.c_str(), preserved.c_str());
    // One record, one flush for both renames: undoing it looks at which of
    // them happened.
    plan.kind = JournalKind::Replace;
    plan.fields = {temporary, preserved, target};
    return ERROR_SUCCESS;
}

DWORD CInstallTransaction::Carry(const PlannedPlacement& plan, HANDLE handle) {
    const char* target = plan.target.c_str();
    const std::string voided = std::to_string(plan.sequence);
    // Never over an existing file: one that appeared meanwhile is not ours to replace.
    const auto moveTemporary = [&] {
        return handle != INVALID_HANDLE_VALUE ? RenameOpenFile(handle, plan.temporaryPath, target)
                                              : MoveFileExA(plan.temporaryPath.c_str(), target, 0);
    };
    if (plan.kind == JournalKind::NewFile) {
        if (!moveTemporary()) {
            const DWORD error = GetLastError();
            Append(JournalKind::Void, {voided});
            return error;
        }
        return Step(SafetyStep::Placed) ? ERROR_SUCCESS : ERROR_REQUEST_ABORTED;
    }
    if (!MoveFileExA(target, plan.preservedPath.c_str(), 0)) {
        const DWORD error = GetLastError();
        Append(JournalKind::Void, {voided});
        return error;
    }
    if (!Step(SafetyStep::Preserved))
        return ERROR_REQUEST_ABORTED;
    if (!moveTemporary()) {
        const DWORD error = GetLastError();
        // Put the old file straight back; if even that fails, the record
        // stays in force and the rollback puts it back.
        if (MoveFileExA(plan.preservedPath.c_str(), target, 0))
            Append(JournalKind::Void, {voided});
        return error;
    }
    return Step(SafetyStep::Placed) ? ERROR_SUCCESS : ERROR_REQUEST_ABORTED;
}

void CInstallTransaction::Discard(const std::string& temporaryPath) {
    if (m_state != State::Stopped && OwnsTemporary(temporaryPath))
        DeleteFileA(temporaryPath.c_str());
}

DWORD CInstallTransaction::FlushPlacedFiles() {
    std::vector<bool> voided(m_records.size(), false);
    for (const JournalRecord& record : m_records) {
        const unsigned long target = record.kind == JournalKind::Void
                                         ? std::strtoul(record.fields[0].c_str(), nullptr, 10)
                                         : m_records.size();
        if (target < voided.size())
            voided[target] = true;
    }
    for (size_t i = 0; i < m_records.size(); ++i) {
        const JournalRecord& record = m_records[i];
        if (voided[i] ||
            (record.kind != JournalKind::NewFile && record.kind != JournalKind::Replace))
            continue;
        const std::string& path = record.fields.back();
        const auto open = [&] {
            return CreateFileA(path.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        };
        CFileHandle file(open());
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (!file.IsOpen() && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_READONLY)) {
            // Flushing needs write access; the attribute comes straight back.
            SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
            file.Reset(open());
            SetFileAttributesA(path.c_str(), attributes);
        }
        if (!file.IsOpen() || !FlushFileBuffers(file.Get()))
            return GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

bool CInstallTransaction::Commit(const char* stampPath, const VersionStamp& stamp) {
    if (m_state != State::Open)
        return Fail(m_lastError != ERROR_SUCCESS ? m_lastError : ERROR_INVALID_FUNCTION);
    // After the commit point nothing brings the old files back, so the new
    // files' data must be on disk before it, not only their names.
    DWORD flushed = m_flusher ? m_flusher->Wait() : DWORD(ERROR_SUCCESS);
    if (flushed == ERROR_SUCCESS && !m_temporariesFlushed)
        flushed = FlushPlacedFiles();
    if (flushed != ERROR_SUCCESS)
        return Fail(flushed);
    if (stamp.key == 0) {
        const DWORD error = Append(JournalKind::Committed, {});
        if (error != ERROR_SUCCESS)
            return Fail(error);
    } else {
        const std::string target = stampPath != nullptr ? stampPath : "";
        std::string temporary;
        if (!IsPathInside(m_install, target) || IsInSafetyNet(m_net, target) || !PathFits(target) ||
            !StampTemporaryPath(target.c_str(), temporary))
            return Fail(ERROR_INVALID_PARAMETER);
        const DWORD links = CheckFoldersBelow(target);
        if (links != ERROR_SUCCESS)
            return Fail(links);
        const DWORD attributes = GetFileAttributesA(target.c_str());
        if (IsLink(attributes) || IsLink(GetFileAttributesA(temporary.c_str())))
            return Fail(ERROR_CANT_ACCESS_FILE);
        if (IsFolder(attributes))
            return Fail(ERROR_DIRECTORY);
        // Named before it is written, so that a run stopped while writing it
        // leaves no temporary beside Versione.txt.
        DWORD error = Append(JournalKind::StampWrite, {temporary});
        if (error != ERROR_SUCCESS)
            return Fail(error);
        std::string written;
        if (!WriteStampTemporary(target.c_str(), stamp, written) || written != temporary)
            return Fail(GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT);
        if (!Step(SafetyStep::StampWritten))
            return Fail(ERROR_REQUEST_ABORTED);
        // From here, the temporary gone means the commit point was passed.
        error = Append(JournalKind::StampMove, {temporary, target});
        if (error != ERROR_SUCCESS)
            return Fail(error);
        // Not ReplaceWithTemporary: it removes the temporary when the move
        // fails, and a temporary gone reads as a passed commit point.
        if (!MoveFileExA(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return Fail(GetLastError());
        if (!Step(SafetyStep::StampMoved))
            return true;
    }
    m_state = State::Finished;
    m_journal.Close();
    CRunFinisher(m_install, m_net, m_journalPath, m_records, m_observer).RemoveSafetyNet();
    return true;
}

bool CInstallTransaction::Rollback() {
    if (m_state == State::Idle)
        return true;
    if (m_state == State::Stopped || m_state == State::Finished)
        return false;
    // Nothing is undone under a handle still open.
    if (m_flusher)
        m_flusher->Wait();
    m_journal.Close();
    m_state = State::Finished;
    CRunFinisher finisher(m_install, m_net, m_journalPath, m_records, m_observer);
    const RecoveryResult result = finisher.Finish();
    if (finisher.Stopped())
        m_state = State::Stopped;
    return result == RecoveryResult::RolledBack;
}

int64_t CInstallTransaction::OverheadBytes(int64_t fileCount) {
    // A replace record holds two paths of up to 259 characters and two names;
    // the journal, the stamp temporary and the folder round up to clusters.
    const int64_t perFile = 2 * MAX_PATH + 64;
    const int64_t cluster = 4096;
    return 4 * cluster + (fileCount > 0 ? fileCount : 0) * perFile;
}

RecoveryResult RecoverInterruptedUpdate(const char* installFolder, CSafetyStepObserver* observer) {
    const std::string install = installFolder != nullptr ? installFolder : "";
    if (install.empty())
        return RecoveryResult::NothingToDo;
    const std::string net = CInstallTransaction::SafetyNetFolder(install.c_str());
    const std::string journalPath = CInstallTransaction::JournalPath(install.c_str());
    if (!PathFits(journalPath))
        return RecoveryResult::NothingToDo;
    const DWORD netAttributes = GetFileAttributesA(net.c_str());
    if (netAttributes == INVALID_FILE_ATTRIBUTES)
        return RecoveryResult::NothingToDo;
    if (IsLink(netAttributes))
        return RecoveryResult::Refused;
    if (!IsFolder(netAttributes))
        return RecoveryResult::NothingToDo;
    const std::vector<JournalRecord> none;
    const DWORD journalAttributes = GetFileAttributesA(journalPath.c_str());
    if (journalAttributes == INVALID_FILE_ATTRIBUTES) {
        CRunFinisher(install, net, journalPath, none, observer).RemoveSafetyNet();
        return RecoveryResult::NothingToDo;
    }
    if (IsLink(journalAttributes) || IsFolder(journalAttributes))
        return RecoveryResult::Refused;

    // Read without sharing writes: a run still writing this journal (another
    // copy of the program) keeps it, and two recoveries do not overlap.
    CFileHandle journal(CreateFileA(journalPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!journal.IsOpen())
        return GetLastError() == ERROR_SHARING_VIOLATION ? RecoveryResult::Busy
                                                         : RecoveryResult::NotAllRestored;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(journal.Get(), &size) || size.QuadPart > kLargestJournal)
        return RecoveryResult::Refused;
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!ReadFile(journal.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
         read != text.size()))
        return RecoveryResult::NotAllRestored;

    std::vector<JournalRecord> records;
    bool torn = false;
    if (ParseJournal(text, records, torn) != JournalParse::Complete) {
        if (!IsTornHeaderOnly(text, install))
            return RecoveryResult::Refused;
        journal.Close();
        CRunFinisher(install, net, journalPath, none, observer).RemoveSafetyNet();
        return RecoveryResult::NothingToDo;
    }
    for (const JournalRecord& record : records) {
        if (!ValidRecordPaths(install, net, record))
            return RecoveryResult::Refused;
    }
    if (AnyPathCrossesLink(install, net, records))
        return RecoveryResult::Refused;
    // The handle goes before the clean-up deletes the journal; the rollback
    // itself never writes to it.
    journal.Close();
    return CRunFinisher(install, net, journalPath, records, observer).Finish();
}
