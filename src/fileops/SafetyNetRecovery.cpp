// The recovery at the next start: a run that crashed, was killed or lost
// its power is rolled back from its journal, or, past the commit point, its
// safety net is removed.
#include "fileops/SafetyNet.h"

#include "fileops/Paths.h"

using namespace safety_net;

namespace {

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
// else can have been done yet, unless the disk lost what followed.
bool IsTornHeaderOnly(std::string text, const std::string& install) {
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    const JournalRecord header = JournalHeader(install, kFirstKeptName - 1);
    const size_t whole = EncodeJournalRecord(header).size();
    const std::string start = FoldedPath("0|H|" + install + "|");
    if (text.size() >= whole || text.find('\n') != std::string::npos)
        return false;
    const size_t compared = text.size() < start.size() ? text.size() : start.size();
    return FoldedPath(text.substr(0, compared)) == start.substr(0, compared);
}

enum class JournalRead { Read, Busy, Unreadable, Foreign };

// Reads the journal through `file`, opened without sharing writes: a run
// still writing it (another copy of the program) keeps it, and two
// recoveries do not overlap. The name must be the file's own.
JournalRead ReadJournal(const std::string& path, CFileHandle& file, std::string& text) {
    const DWORD opened = OpenOwnFile(path, GENERIC_READ, file);
    if (opened == ERROR_SHARING_VIOLATION)
        return JournalRead::Busy;
    if (opened == ERROR_CANT_ACCESS_FILE || opened == ERROR_DIRECTORY)
        return JournalRead::Foreign;
    if (opened != ERROR_SUCCESS)
        return JournalRead::Unreadable;
    // OpenOwnFile shares writes; this reader may not.
    file.Reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.IsOpen())
        return GetLastError() == ERROR_SHARING_VIOLATION ? JournalRead::Busy
                                                         : JournalRead::Unreadable;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestJournal)
        return JournalRead::Foreign;
    text.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
         read != text.size()))
        return JournalRead::Unreadable;
    return JournalRead::Read;
}

// The records of a whole journal of this installation that names only what
// it may; false when it is not one.
bool AcceptJournal(const std::string& install, const std::string& net, const std::string& text,
                   std::vector<JournalRecord>& records, uint32_t& version) {
    bool torn = false;
    if (ParseJournal(text, records, torn) != JournalParse::Complete)
        return false;
    version = JournalVersion(records[0]);
    for (const JournalRecord& record : records) {
        if (!ValidRecordPaths(install, net, record, version))
            return false;
    }
    return !AnyPathCrossesLink(install, net, records);
}

// No journal to follow: the numbered files of the net stay where they are
// (the folder goes only when empty); originals among them mean a run whose
// journal was lost.
RecoveryResult WithoutJournal(const std::string& net) {
    if (!UnaccountedOriginals(net, {}, kJournalVersion).empty())
        return RecoveryResult::NotAllRestored;
    RemoveDirectoryA(net.c_str());
    return RecoveryResult::NothingToDo;
}

} // namespace

RecoveryResult RecoverInterruptedUpdate(const char* installFolder, CSafetyStepObserver* observer) {
    const std::string install = installFolder != nullptr ? installFolder : "";
    if (install.empty())
        return RecoveryResult::NothingToDo;
    const std::string net = CInstallTransaction::SafetyNetFolder(install.c_str());
    const std::string journalPath = CInstallTransaction::JournalPath(install.c_str());
    const std::string undonePath = JoinPath(net.c_str(), kUndoneName);
    if (!PathFits(journalPath))
        return RecoveryResult::NothingToDo;
    const DWORD netAttributes = GetFileAttributesA(net.c_str());
    if (netAttributes == INVALID_FILE_ATTRIBUTES)
        return RecoveryResult::NothingToDo;
    if (IsLink(netAttributes))
        return RecoveryResult::Refused;
    if (!IsFolder(netAttributes))
        return RecoveryResult::NothingToDo;

    std::vector<JournalRecord> records;
    uint32_t version = 0;
    std::string text;
    CFileHandle journal;
    if (GetFileAttributesA(journalPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // A rollback that was removing its safety net: only temporaries left.
        if (GetFileAttributesA(undonePath.c_str()) != INVALID_FILE_ATTRIBUTES &&
            ReadJournal(undonePath, journal, text) == JournalRead::Read &&
            AcceptJournal(install, net, text, records, version)) {
            journal.Close();
            CRunFinisher(install, net, journalPath, records, observer)
                .RemoveAfterRollback(undonePath);
        }
        return WithoutJournal(net);
    }

    switch (ReadJournal(journalPath, journal, text)) {
    case JournalRead::Busy:
        return RecoveryResult::Busy;
    case JournalRead::Unreadable:
        return RecoveryResult::NotAllRestored;
    case JournalRead::Foreign:
        return RecoveryResult::Refused;
    case JournalRead::Read:
        break;
    }
    bool torn = false;
    if (ParseJournal(text, records, torn) != JournalParse::Complete) {
        if (!IsTornHeaderOnly(text, install))
            return RecoveryResult::Refused;
        // The run had not begun, unless the disk lost what followed the
        // header: then its originals are in the net and stay, with the journal.
        if (!UnaccountedOriginals(net, {}, kJournalVersion).empty())
            return RecoveryResult::NotAllRestored;
        journal.Close();
        RemoveName(journalPath);
        return WithoutJournal(net);
    }
    if (!AcceptJournal(install, net, text, records, version))
        return RecoveryResult::Refused;
    // The handle goes before the clean-up removes the journal; the rollback
    // itself never writes to it.
    journal.Close();
    return CRunFinisher(install, net, journalPath, records, observer).Finish(version);
}
