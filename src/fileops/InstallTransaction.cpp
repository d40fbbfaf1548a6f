// The forward path of the safety net: Begin, the journal's records and the
// steps of the run. Commit and Rollback are in SafetyNetCommit.cpp.
#include "fileops/InstallTransaction.h"

#include "data/StampFile.h"
#include "fileops/MessagePump.h"
#include "fileops/Paths.h"
#include "fileops/SafetyNet.h"

#include <cstdlib>
#include <cstring>

using namespace safety_net;

std::string CInstallTransaction::SafetyNetFolder(const char* installFolder) {
    return JoinPath(installFolder, kFolderName);
}

bool CInstallTransaction::IsSafetyNetFolder(const char* path) {
    return path != nullptr && SamePath(LastPathComponent(path), kFolderName);
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
    } else if (GetFileAttributesA(m_journalPath.c_str()) != INVALID_FILE_ATTRIBUTES ||
               GetFileAttributesA(JoinPath(m_net.c_str(), kUndoneName).c_str()) !=
                   INVALID_FILE_ATTRIBUTES ||
               !UnaccountedOriginals(m_net, {}, kJournalVersion).empty()) {
        return Fail(ERROR_ALREADY_EXISTS); // an earlier run: recovery first
    }
    // Anything else an earlier run left in the net stays: the names this run
    // uses are made with an exclusive create, or checked to be free, and its
    // temporaries are numbered above any left there.
    for (const std::string& name : NumberedFiles(m_net)) {
        const uint32_t number = static_cast<uint32_t>(std::strtoul(name.c_str(), nullptr, 10));
        if (IsTemporaryName(name) && number >= m_nextName)
            m_nextName = number + 1;
    }
    if (m_nextName >= kFirstKeptName)
        return Fail(ERROR_TOO_MANY_NAMES);

    m_journal.Reset(CreateFileA(m_journalPath.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
    m_state = State::Open;
    const DWORD error = m_journal.IsOpen() ? Append(JournalKind::Header,
                                                    JournalHeader(m_install, m_nextName).fields)
                                           : GetLastError();
    if (error == ERROR_SUCCESS)
        return true;
    if (m_state == State::Stopped)
        return Fail(error);
    // Only the journal this run made goes, through its own handle.
    if (m_journal.IsOpen())
        DeleteOpenFile(m_journal.Get());
    m_journal.Close();
    m_records.clear();
    m_state = State::Idle;
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
    if (!IsValidDestination(m_install, m_net, folder))
        return ERROR_INVALID_PARAMETER;
    const DWORD links = CheckFoldersBelow(folder);
    if (links != ERROR_SUCCESS)
        return links;
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (IsLink(attributes))
            return ERROR_CANT_ACCESS_FILE;
        if (!IsFolder(attributes))
            return ERROR_DIRECTORY;
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
    while (m_nextName < kFirstKeptName) {
        const std::string name = SafetyNetName(m_nextName++);
        const std::string path = JoinPath(m_net.c_str(), name.c_str());
        // Shared for deletion: Place renames it while FlushInBackground may
        // still hold it.
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            m_created.insert(name);
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
    if (!IsValidDestination(m_install, m_net, path))
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
        m_probed[FoldedPath(path)] = INVALID_FILE_ATTRIBUTES;
        return ERROR_SUCCESS;
    }
    if (IsLink(attributes))
        return ERROR_CANT_ACCESS_FILE;
    if (IsFolder(attributes))
        return ERROR_DIRECTORY;
    const DWORD replaceable = ProbeExisting(path);
    if (replaceable == ERROR_SUCCESS)
        m_probed[FoldedPath(path)] = attributes;
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
    if (!OwnsTemporary(temporaryPath) || !IsValidDestination(m_install, m_net, target))
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
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    bool exists = probed != m_probed.end() && probed->second != INVALID_FILE_ATTRIBUTES;
    if (probed != m_probed.end()) {
        attributes = probed->second;
        m_probed.erase(probed);
    } else {
        attributes = GetFileAttributesA(target.c_str());
        exists = attributes != INVALID_FILE_ATTRIBUTES;
        if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND)
            return GetLastError();
        if (IsLink(attributes))
            return ERROR_CANT_ACCESS_FILE;
        if (IsFolder(attributes))
            return ERROR_DIRECTORY;
        // Asked before the journal: a held file costs no record.
        const DWORD replaceable = exists ? ProbeExisting(target) : DWORD(ERROR_SUCCESS);
        if (replaceable != ERROR_SUCCESS)
            return replaceable;
    }
    if (!exists) {
        plan.kind = JournalKind::NewFile;
        plan.fields = {temporary, target};
        return ERROR_SUCCESS;
    }

    // A name an earlier run left is skipped; one that appears after this
    // look makes the rename fail, and nothing is replaced.
    std::string preserved;
    do {
        if (m_nextKept >= 1000000)
            return ERROR_TOO_MANY_NAMES;
        preserved = SafetyNetName(m_nextKept++);
        plan.preservedPath = JoinPath(m_net.c_str(), preserved.c_str());
    } while (GetFileAttributesA(plan.preservedPath.c_str()) != INVALID_FILE_ATTRIBUTES);
    plan.attributes = attributes;
    // One record, one flush for both renames: undoing it looks at which of
    // them happened.
    plan.kind = JournalKind::Replace;
    plan.fields = {temporary, preserved, target};
    return ERROR_SUCCESS;
}

DWORD CInstallTransaction::Carry(const PlannedPlacement& plan, HANDLE handle) {
    const char* target = plan.target.c_str();
    const std::string voided = std::to_string(plan.sequence);
    // Never over an existing file: one that appeared meanwhile is not ours
    // to replace. A temporary known only by its name moves through a handle
    // checked to be its own (something else may stand at its name by now).
    const auto moveTemporary = [&]() -> DWORD {
        if (handle != INVALID_HANDLE_VALUE)
            return RenameOpenFile(handle, plan.temporaryPath, target) ? ERROR_SUCCESS
                                                                      : GetLastError();
        return RenameOwnFile(plan.temporaryPath, plan.target, &m_finals);
    };
    if (plan.kind == JournalKind::NewFile) {
        const DWORD error = moveTemporary();
        if (error != ERROR_SUCCESS) {
            Append(JournalKind::Void, {voided});
            return error;
        }
        return Step(SafetyStep::Placed) ? ERROR_SUCCESS : ERROR_REQUEST_ABORTED;
    }
    // The new file shows as the one it replaces did: hidden, system, archive.
    TakeAttributes(plan, handle);
    // Through a handle checked to be the file's own name: renaming a link
    // that shows as a plain file would move what it points to.
    const DWORD preserved = RenameOwnFile(plan.target, plan.preservedPath, &m_finals);
    if (preserved != ERROR_SUCCESS) {
        Append(JournalKind::Void, {voided});
        return preserved;
    }
    if (!Step(SafetyStep::Preserved))
        return ERROR_REQUEST_ABORTED;
    const DWORD error = moveTemporary();
    if (error != ERROR_SUCCESS) {
        // Put the old file straight back; if even that fails, the record
        // stays in force and the rollback puts it back.
        if (RenameOwnFile(plan.preservedPath, plan.target, &m_finals) == ERROR_SUCCESS)
            Append(JournalKind::Void, {voided});
        return error;
    }
    return Step(SafetyStep::Placed) ? ERROR_SUCCESS : ERROR_REQUEST_ABORTED;
}

void CInstallTransaction::Discard(const std::string& temporaryPath) {
    // After a broken journal a record may still name it: the rollback's
    // clean-up deletes it then.
    if (m_state == State::Open && OwnsTemporary(temporaryPath) &&
        RemoveName(temporaryPath, &m_finals) == ERROR_SUCCESS)
        m_created.erase(temporaryPath.substr(m_net.size() + 1));
}

DWORD CInstallTransaction::ProbeExisting(const std::string& path) {
    CFileHandle probe;
    return OpenOwnFile(path, DELETE, probe, &m_finals);
}

void CInstallTransaction::TakeAttributes(const PlannedPlacement& plan, HANDLE handle) {
    constexpr DWORD kTaken = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if (plan.attributes == INVALID_FILE_ATTRIBUTES)
        return;
    // Most replaced files show as the new one does already: no handle needed.
    const DWORD now = GetFileAttributesA(plan.temporaryPath.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kTaken) == (plan.attributes & kTaken))
        return;
    CFileHandle own;
    if (handle == INVALID_HANDLE_VALUE) {
        if (OpenOwnFile(plan.temporaryPath, FILE_WRITE_ATTRIBUTES, own, &m_finals) != ERROR_SUCCESS)
            return;
        handle = own.Get();
    }
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return;
    const DWORD wanted = (basic.FileAttributes & ~kTaken) | (plan.attributes & kTaken);
    if (wanted == basic.FileAttributes)
        return;
    // Times left at zero stay as they are.
    FILE_BASIC_INFO changed{};
    changed.FileAttributes = wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(handle, FileBasicInfo, &changed, sizeof changed);
}
