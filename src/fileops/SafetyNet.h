#pragma once
// Inside the safety net: what the forward path (InstallTransaction.cpp), the
// undo pass and clean-up (SafetyNetUndo.cpp) and the recovery at the next
// start (SafetyNetRecovery.cpp) share. Not for other callers.
#include "fileops/FileProbes.h"
#include "fileops/InstallTransaction.h"
#include "fileops/UpdateJournal.h"
#include <set>
#include <string>
#include <vector>

namespace safety_net {

constexpr char kFolderName[] = "~kvu";
constexpr char kJournalName[] = "journal";
// The journal of a run whose rollback is complete, renamed so: only its
// temporaries are left to delete.
constexpr char kUndoneName[] = "undone";
// The stamp temporary a rollback took back into the safety net.
constexpr char kWithdrawnStamp[] = "000000";
// A journal bigger than any run could write is not ours.
constexpr int64_t kLargestJournal = 64 * 1024 * 1024;

// The one guard for a path the journal may name as a destination (a file or
// folder of the installation): inside the installation folder by the path
// rules, not in the safety net, and short enough for the ANSI calls.
bool IsValidDestination(const std::string& install, const std::string& net,
                        const std::string& path);
// The stamp file of the installation and its temporary: all the stamp
// records may name.
std::string StampPath(const std::string& install);
std::string StampTemporary(const std::string& install);

// Whether every path of `record` is one this installation's journal may name.
bool ValidRecordPaths(const std::string& install, const std::string& net,
                      const JournalRecord& record, uint32_t version);

// The numbered files of the safety net folder that are plain files by their
// attributes (links and folders left out).
std::vector<std::string> NumberedFiles(const std::string& net);
// The kept originals in the safety net that no record names: an earlier
// run's originals whose records were lost. Never deleted.
std::vector<std::string> UnaccountedOriginals(const std::string& net,
                                              const std::vector<JournalRecord>& records,
                                              uint32_t version);

// The rollback and the clean-up, shared by Rollback and by the recovery at
// the next start. Every step checks the disk before it acts, so running it
// again after an interruption at any point gives the same result.
class CRunFinisher {
public:
    // `created`: the temporaries this run made (empty for a recovery).
    CRunFinisher(const std::string& install, const std::string& net, const std::string& journalPath,
                 const std::vector<JournalRecord>& records, CSafetyStepObserver* observer,
                 std::set<std::string> created = {});

    // Rolls back (unless the commit point was passed) and removes the
    // safety net. NotAllRestored: something could not be put back, or the
    // net holds originals the journal does not name; the journal stays.
    RecoveryResult Finish(uint32_t version = kJournalVersion);
    // After the commit point: deletes the files the journal names (the
    // originals are no longer needed), then the journal, then the folder if
    // nothing else is in it. After a rollback (`committed` false): the
    // journal becomes "undone" (the rollback is complete: nothing may be
    // undone again), then the temporaries it names go, then it.
    void RemoveSafetyNet(bool committed);
    // The rest of a clean-up after a rollback, from the "undone" file.
    void RemoveAfterRollback(const std::string& undonePath);
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
    // Undoes every record, newest first; the number of steps that failed,
    // and in `retryable` those that waiting may mend (a held file).
    int UndoPass(int& retryable);
    DWORD UndoFolder(const std::string& folder);
    DWORD UndoNewFile(const std::string& temporary, const std::string& destination);
    DWORD UndoReplace(const std::string& temporary, const std::string& preserved,
                      const std::string& destination);
    DWORD Remove(const std::string& path);
    DWORD WithdrawStamp(const std::string& temporary);
    // The safety net names the journal names (and this run made).
    std::vector<std::string> NamedFiles(bool originals) const;

    const std::string& m_install;
    const std::string& m_net;
    const std::string& m_journalPath;
    const std::vector<JournalRecord>& m_records;
    CSafetyStepObserver* m_observer;
    const std::set<std::string> m_created;
    CFolderFinals m_finals;
    bool m_stopped = false;
};

} // namespace safety_net
