// The end of a run through the safety net: the commit point, or the
// rollback through the undo pass (SafetyNetUndo.cpp).
#include "fileops/InstallTransaction.h"

#include "data/StampFile.h"
#include "fileops/Paths.h"
#include "fileops/SafetyNet.h"

#include <cstdlib>

using namespace safety_net;

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
        // Only the file the run placed there, never one a link leads to.
        const std::string& path = record.fields.back();
        CFileHandle file;
        DWORD error = OpenOwnFile(path, GENERIC_WRITE, file, &m_finals);
        if (error == ERROR_ACCESS_DENIED) {
            // A read-only file: flushing needs write access; the attribute
            // comes straight back, through a handle checked as the first.
            CFileHandle attributes;
            FILE_BASIC_INFO basic{};
            if (OpenOwnFile(path, FILE_WRITE_ATTRIBUTES, attributes, &m_finals) == ERROR_SUCCESS &&
                GetFileInformationByHandleEx(attributes.Get(), FileBasicInfo, &basic,
                                             sizeof basic) &&
                (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
                FILE_BASIC_INFO writable{};
                writable.FileAttributes = basic.FileAttributes & ~FILE_ATTRIBUTE_READONLY;
                if (writable.FileAttributes == 0)
                    writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
                SetFileInformationByHandle(attributes.Get(), FileBasicInfo, &writable,
                                           sizeof writable);
                error = OpenOwnFile(path, GENERIC_WRITE, file, &m_finals);
                FILE_BASIC_INFO restored{};
                restored.FileAttributes = basic.FileAttributes;
                SetFileInformationByHandle(attributes.Get(), FileBasicInfo, &restored,
                                           sizeof restored);
            }
        }
        if (error == ERROR_SUCCESS && !FlushFileBuffers(file.Get()))
            error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
        if (error != ERROR_SUCCESS)
            return error;
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
        // The stamp records may name only the stamp file and its temporary.
        const std::string temporary = StampTemporary(m_install);
        if (!SamePath(target, StampPath(m_install)) ||
            !IsValidDestination(m_install, m_net, target) || temporary.empty())
            return Fail(ERROR_INVALID_PARAMETER);
        const DWORD links = CheckFoldersBelow(target);
        if (links != ERROR_SUCCESS)
            return Fail(links);
        const DWORD attributes = GetFileAttributesA(target.c_str());
        if (IsLink(attributes))
            return Fail(ERROR_CANT_ACCESS_FILE);
        if (IsFolder(attributes))
            return Fail(ERROR_DIRECTORY);
        // Held by another program: refused before anything is written, so
        // that the caller may try the commit again.
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            CFileHandle probe(CreateFileA(
                target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            const DWORD error = probe.IsOpen() ? DWORD(ERROR_SUCCESS) : GetLastError();
            if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
                return Fail(error);
        }
        // A temporary left by an earlier run, or anything else at its name,
        // goes as a name only (never opened for writing, nothing it links
        // to touched); the temporary is then made anew, exclusively.
        const DWORD stale = RemoveName(temporary, &m_finals);
        if (stale != ERROR_SUCCESS)
            return Fail(stale);
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
        // fails, and a temporary gone reads as a passed commit point. Only
        // the temporary's own name moves (the stamp file's name is replaced,
        // whatever stands there).
        // From the record on, the temporary must stay until a rollback takes
        // it back: no second Commit may remove it.
        CFileHandle stampTemporary;
        error = OpenOwnFile(temporary, DELETE, stampTemporary, &m_finals);
        if (error == ERROR_SUCCESS &&
            !RenameOpenFile(stampTemporary.Get(), temporary, target.c_str(), true))
            error = GetLastError();
        if (error != ERROR_SUCCESS)
            return Fail(Break(error));
        if (!Step(SafetyStep::StampMoved))
            return true;
    }
    m_state = State::Finished;
    m_journal.Close();
    CRunFinisher(m_install, m_net, m_journalPath, m_records, m_observer, m_created)
        .RemoveSafetyNet(true);
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
    CRunFinisher finisher(m_install, m_net, m_journalPath, m_records, m_observer, m_created);
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
