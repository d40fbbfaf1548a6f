// The undo pass and the clean-up of the safety net, for Rollback and for the
// recovery at the next start.
#include "fileops/SafetyNet.h"

#include "data/PackageLayout.h"
#include "data/StampFile.h"
#include "fileops/MessagePump.h"
#include "fileops/Paths.h"
#include "fileops/RetryTimings.h"

#include <cstdlib>

namespace safety_net {

bool IsValidDestination(const std::string& install, const std::string& net,
                        const std::string& path) {
    return IsPathInside(install, path) && !SamePath(net, path) && !IsPathInside(net, path) &&
           PathFits(path);
}

std::string StampPath(const std::string& install) {
    return JoinPath(install.c_str(), kStampFileName);
}

std::string StampTemporary(const std::string& install) {
    std::string temporary;
    StampTemporaryPath(StampPath(install).c_str(), temporary);
    return temporary;
}

bool ValidRecordPaths(const std::string& install, const std::string& net,
                      const JournalRecord& record, uint32_t version) {
    const auto destination = [&](const std::string& path) {
        return IsValidDestination(install, net, path);
    };
    // The first format drew both kinds of name from one count.
    const auto temporary = [&](const std::string& name) {
        return version < 2 ? IsSafetyNetName(name) && name != kWithdrawnStamp
                           : IsTemporaryName(name);
    };
    const auto kept = [&](const std::string& name) {
        return version < 2 ? IsSafetyNetName(name) && name != kWithdrawnStamp : IsKeptName(name);
    };
    const std::vector<std::string>& f = record.fields;
    switch (record.kind) {
    case JournalKind::Header:
        return SamePath(f[0], install);
    case JournalKind::Folder:
        return destination(f[0]);
    case JournalKind::StampWrite:
        return SamePath(f[0], StampTemporary(install));
    case JournalKind::NewFile:
        return temporary(f[0]) && destination(f[1]);
    case JournalKind::Replace:
        return temporary(f[0]) && kept(f[1]) && f[0] != f[1] && destination(f[2]);
    case JournalKind::Void: {
        const std::string& target = f[0];
        return !target.empty() && target.size() < 10 &&
               target.find_first_not_of("0123456789") == std::string::npos &&
               std::strtoul(target.c_str(), nullptr, 10) < record.sequence;
    }
    case JournalKind::StampMove:
        return SamePath(f[0], StampTemporary(install)) && SamePath(f[1], StampPath(install));
    case JournalKind::Committed:
        return true;
    }
    return false;
}

std::vector<std::string> NumberedFiles(const std::string& net) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const std::string pattern = net + "\\*";
    const HANDLE search =
        PathFits(pattern) ? FindFirstFileA(pattern.c_str(), &found) : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!IsFolder(found.dwFileAttributes) && !IsLink(found.dwFileAttributes) &&
            IsSafetyNetName(found.cFileName))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::vector<std::string> UnaccountedOriginals(const std::string& net,
                                              const std::vector<JournalRecord>& records,
                                              uint32_t version) {
    std::set<std::string> named;
    for (const JournalRecord& record : records) {
        if (record.kind == JournalKind::NewFile || record.kind == JournalKind::Replace)
            named.insert(record.fields.begin(), record.fields.end() - 1);
    }
    std::vector<std::string> unaccounted;
    for (const std::string& name : NumberedFiles(net)) {
        // The first format's originals cannot be told from its temporaries.
        const bool original = version < 2 ? name != kWithdrawnStamp : IsKeptName(name);
        if (original && named.count(name) == 0)
            unaccounted.push_back(name);
    }
    return unaccounted;
}

CRunFinisher::CRunFinisher(const std::string& install, const std::string& net,
                           const std::string& journalPath,
                           const std::vector<JournalRecord>& records, CSafetyStepObserver* observer,
                           std::set<std::string> created)
    : m_install(install), m_net(net), m_journalPath(journalPath), m_records(records),
      m_observer(observer), m_created(std::move(created)) {}

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
    CFileHandle file;
    const DWORD opened = OpenOwnFile(temporary, DELETE, file, &m_finals);
    if (IsMissingError(opened))
        return ERROR_SUCCESS;
    if (opened != ERROR_SUCCESS)
        return opened;
    if (!RenameOpenFile(file.Get(), temporary, NetPath(kWithdrawnStamp).c_str(), true))
        return GetLastError();
    return Step(SafetyStep::Undone) ? ERROR_SUCCESS : ERROR_REQUEST_ABORTED;
}

DWORD CRunFinisher::Remove(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return IsMissingError(error) ? ERROR_SUCCESS : error;
    }
    if (IsFolder(attributes))
        return ERROR_CANT_ACCESS_FILE; // not what the run made: left alone
    const DWORD removed = RemoveName(path, &m_finals);
    if (removed != ERROR_SUCCESS)
        return removed;
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
        return Remove(temporaryPath);
    return Remove(destination);
}

// A replacement goes back in two renames, the new file to its temporary's
// name, then the original to its place, so that every state on the way
// tells what is left to do and a lost original shows: the original in the
// safety net means "put it back"; the temporary there and the original not
// means "the original never left, or is back"; neither means it is lost.
DWORD CRunFinisher::UndoReplace(const std::string& temporary, const std::string& preserved,
                                const std::string& destination) {
    const std::string preservedPath = NetPath(preserved);
    const std::string temporaryPath = NetPath(temporary);
    CFileHandle original;
    const DWORD kept = OpenOwnFile(preservedPath, DELETE, original, &m_finals);
    if (IsMissingError(kept)) {
        if (GetFileAttributesA(temporaryPath.c_str()) != INVALID_FILE_ATTRIBUTES)
            return ERROR_SUCCESS;
        return IsMissingError(GetLastError()) ? DWORD(ERROR_FILE_NOT_FOUND) : GetLastError();
    }
    if (kept != ERROR_SUCCESS)
        return kept;
    if (GetFileAttributesA(temporaryPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD moved = RenameOwnFile(destination, temporaryPath, &m_finals);
        if (IsMissingError(moved)) {
            // The new file is gone: an empty one of ours keeps the state readable.
            CFileHandle placeholder(CreateFileA(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!placeholder.IsOpen())
                return GetLastError();
        } else if (moved != ERROR_SUCCESS) {
            return moved;
        }
        if (!Step(SafetyStep::Undone))
            return ERROR_REQUEST_ABORTED;
    }
    if (!RenameOpenFile(original.Get(), preservedPath, destination.c_str()))
        return GetLastError();
    return Step(SafetyStep::Undone) ? ERROR_SUCCESS : ERROR_REQUEST_ABORTED;
}

namespace {

// What waiting cannot mend: a lost original, a link, a folder in the way.
bool IsPermanent(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_CANT_ACCESS_FILE ||
           error == ERROR_DIRECTORY;
}

} // namespace

int CRunFinisher::UndoPass(int& retryable) {
    retryable = 0;
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
            result = Remove(f[0]);
            break;
        case JournalKind::StampMove:
            result = WithdrawStamp(f[0]);
            break;
        default:
            break;
        }
        if (m_stopped)
            return failures + 1;
        if (result != ERROR_SUCCESS) {
            ++failures;
            retryable += IsPermanent(result) ? 0 : 1;
        }
    }
    return failures;
}

std::vector<std::string> CRunFinisher::NamedFiles(bool originals) const {
    std::set<std::string> names(m_created);
    for (const JournalRecord& record : m_records) {
        if (record.kind == JournalKind::NewFile)
            names.insert(record.fields[0]);
        if (record.kind == JournalKind::Replace) {
            names.insert(record.fields[0]);
            if (originals)
                names.insert(record.fields[1]);
        }
        if (record.kind == JournalKind::StampMove)
            names.insert(kWithdrawnStamp);
    }
    // Of those, the ones in the net (one listing), and the run's
    // temporaries it made but never recorded.
    const uint32_t first = m_records.empty() ? 0 : JournalFirstTemporary(m_records[0]);
    std::vector<std::string> present;
    for (const std::string& name : NumberedFiles(m_net)) {
        if (names.count(name) != 0 || (first != 0 && IsTemporaryName(name) &&
                                       std::strtoul(name.c_str(), nullptr, 10) >= first))
            present.push_back(name);
    }
    return present;
}

void CRunFinisher::RemoveSafetyNet(bool committed) {
    if (!committed) {
        // Once renamed, nothing reads the journal as a run to undo.
        const std::string undone = NetPath(kUndoneName);
        if (GetFileAttributesA(m_journalPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
            if (RenameOwnFile(m_journalPath, undone, &m_finals) != ERROR_SUCCESS ||
                !Step(SafetyStep::Removed))
                return;
        }
        RemoveAfterRollback(undone);
        return;
    }
    bool allGone = true;
    for (const std::string& name : NamedFiles(true)) {
        bool removed = false;
        if (RemoveName(NetPath(name), &m_finals, &removed) != ERROR_SUCCESS)
            allGone = false;
        else if (removed && !Step(SafetyStep::Removed))
            return;
    }
    // An original that could not go stays named by the journal.
    if (!allGone)
        return;
    if (GetFileAttributesA(m_journalPath.c_str()) != INVALID_FILE_ATTRIBUTES &&
        RemoveName(m_journalPath, &m_finals) == ERROR_SUCCESS && !Step(SafetyStep::Removed))
        return;
    RemoveDirectoryA(m_net.c_str());
}

void CRunFinisher::RemoveAfterRollback(const std::string& undonePath) {
    for (const std::string& name : NamedFiles(false)) {
        bool removed = false;
        if (RemoveName(NetPath(name), &m_finals, &removed) == ERROR_SUCCESS && removed &&
            !Step(SafetyStep::Removed))
            return;
    }
    if (GetFileAttributesA(undonePath.c_str()) != INVALID_FILE_ATTRIBUTES &&
        RemoveName(undonePath, &m_finals) == ERROR_SUCCESS && !Step(SafetyStep::Removed))
        return;
    RemoveDirectoryA(m_net.c_str());
}

RecoveryResult CRunFinisher::Finish(uint32_t version) {
    const int committed = Committed();
    if (committed < 0)
        return RecoveryResult::NotAllRestored;
    if (committed == 0) {
        int retryable = 0;
        int failures = UndoPass(retryable);
        const RetryTimings& timings = ProcessRetryTimings();
        const ULONGLONG deadline = RetryClockMs() + timings.restoreMs;
        while (retryable > 0 && !m_stopped && RetryClockMs() < deadline) {
            WaitPumpingMessages(timings.intervalMs);
            failures = UndoPass(retryable);
        }
        if (m_stopped || failures > 0)
            return RecoveryResult::NotAllRestored;
    }
    // Originals the journal does not name (its end was lost): never deleted,
    // and the run is not reported as undone.
    if (!UnaccountedOriginals(m_net, m_records, version).empty())
        return RecoveryResult::NotAllRestored;
    RemoveSafetyNet(committed != 0);
    return committed ? RecoveryResult::Completed : RecoveryResult::RolledBack;
}

} // namespace safety_net
