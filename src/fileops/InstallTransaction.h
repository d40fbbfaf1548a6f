#pragma once
// The safety net that makes an update all or nothing. Every change the run
// makes inside the installation folder is recorded in a journal before it is
// made, in the hidden folder "~kvu" inside the installation folder: a file
// about to be replaced is renamed into that folder (same volume, so keeping
// and putting back are renames), new data arrives in temporaries there and is
// renamed into place. The replacement of Versione.txt is the commit point;
// before it, Rollback (or RecoverInterruptedUpdate at the next start, after a
// crash) puts every file back as it was; after it, only the clean-up is left.
//
// Use, for one run:
//   CInstallTransaction txn(installFolder);
//   if (!txn.Begin()) ...                  // nothing touched
//   txn.MakeFolder(folder);                // each folder the package needs
//   HANDLE h = txn.CreateTemporary(temp);  // write the data, then close it
//                                          // or FlushInBackground(h)
//   txn.Place(temp, destination);          // or Discard(temp)
//   if (!txn.Commit(stampPath, stamp)) txn.Rollback();
//
// Where the code lives: this header and InstallTransaction.cpp (Begin, the
// journal's records, the steps of the run), SafetyNetCommit.cpp (Commit,
// Rollback), SafetyNetUndo.cpp (the undo pass and the clean-up, shared with
// recovery), SafetyNetRecovery.cpp (the next start), FileProbes (what stands
// at a name; the only ways a name is renamed or removed), PathRules (which
// path texts the journal may hold), UpdateJournal (the journal's lines).
//
// STATES of one CInstallTransaction
//
//   Idle      Nothing on disk belongs to it. Begin: Open, or (failing) Idle
//             again with whatever Begin made removed.
//   Open      The journal is open and whole. The steps (MakeFolder, Place,
//             PlaceSeveral, Discard) may be taken. Commit: Finished; or Open
//             when it fails before the stamp's records (the stamp file held:
//             Commit may be called again); or Broken when it fails after
//             them. Rollback: Finished. A journal write or flush that fails:
//             Broken.
//   Broken    The journal can take no more (a line may be cut short on the
//             disk, or the stamp's records stand for a move that failed): no
//             step, no Commit; Rollback: Finished.
//   Stopped   The step observer (tests) stopped the run as a crash would:
//             nothing more is done on the disk, not even a clean-up; the
//             next start's recovery finishes the run.
//   Finished  Committed (the safety net removed) or rolled back.
//
// ORDERING: what reaches the disk before what
//
//   1. A record before its step. Every change inside the installation is
//      preceded by its journal record, written and flushed; PlaceSeveral
//      flushes several records once, before any of their steps.
//   2. The data before the commit point. Every placed file's data is on the
//      disk (FlushInBackground, or FlushPlacedFiles) before the stamp's
//      records are written.
//   3. The stamp. Its temporary (Versione.tx~) is named by a record before it
//      is made, then written and flushed whole; then the move record; then
//      the rename over Versione.txt, which is the commit point. From the
//      move record on, the temporary gone (and not taken back into the net
//      by a rollback) means committed.
//   4. The clean-up. After the commit: the originals and temporaries the
//      journal names, then the journal, then the folder, so that a journal
//      stays while anything it names is left. After a rollback: the journal
//      is renamed "undone" first (nothing is undone twice), then the
//      temporaries it names go, then it.
//
// NAMES in the safety net: six digits. The run's temporaries count up from
// the number its journal header names, below 500000; kept originals count
// from 500000. An original no record names (the journal's end was lost) is
// never deleted, and the run is not reported undone. No name is renamed or
// deleted but through a handle checked to be that name's own file: under
// Wine a link to a file looks like a plain file, and deleting or renaming it
// acts on what it points to; a hard link looks plain everywhere.
#include "fileops/BackgroundFlusher.h"
#include "fileops/FileHandle.h"
#include "fileops/FileProbes.h"
#include "fileops/RecoveryResult.h"
#include "fileops/UpdateJournal.h"
#include "data/VersionStamp.h"
#include <windows.h>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The points at which the safety net has just changed something on disk.
enum class SafetyStep {
    NetFolderMade,  // Begin: the safety net folder exists
    JournalStarted, // Begin: the header is on disk
    Journaled,      // a record is on disk, its step not yet taken
    FolderMade,     // MakeFolder created the folder
    Preserved,      // the replaced file is in the safety net
    Placed,         // the new file is in place
    StampWritten,   // the stamp temporary is complete
    StampMoved,     // Versione.txt replaced: the commit point is passed
    Undone,         // one step of the rollback or recovery taken
    Removed,        // one file of the safety net deleted
};

// Told of every change the safety net makes; a false answer stops the run
// there as a crash would (no clean-up, nothing else touched). For tests.
class CSafetyStepObserver {
public:
    virtual ~CSafetyStepObserver() = default;
    virtual bool Continue(SafetyStep step) = 0;
};

class CInstallTransaction {
public:
    // The installation folder, without a trailing backslash.
    explicit CInstallTransaction(const char* installFolder);
    // Closes the journal; does NOT roll back (a crash leaves the journal).
    virtual ~CInstallTransaction();
    CInstallTransaction(const CInstallTransaction&) = delete;
    CInstallTransaction& operator=(const CInstallTransaction&) = delete;

    // Creates the hidden safety net folder and the journal (header on disk).
    // False when it cannot (a path too long, a link in the way, a journal of
    // an earlier run (recover first), no space, access denied); nothing is
    // left behind then. LastError() gives the system error.
    bool Begin();
    // A folder the package needs: if missing it is journaled, then created
    // (its parent must exist). ERROR_SUCCESS when a real folder is there
    // afterwards; ERROR_DIRECTORY for a file standing there,
    // ERROR_CANT_ACCESS_FILE for a link, or the system's error.
    DWORD MakeFolder(const char* path);
    // A new empty file in the safety net folder, opened for writing and
    // renaming, shared only for a rename by name; its path in `temporaryPath`.
    // INVALID_HANDLE_VALUE (and GetLastError) on failure.
    HANDLE CreateTemporary(std::string& temporaryPath);
    // Takes the handle of a temporary whose data is all written: the data
    // goes to the disk and the handle is closed on a worker thread while the
    // caller goes on (Place may follow at once). Commit waits for every such
    // file and fails when one could not be flushed.
    void FlushInBackground(HANDLE temporary);
    // Whether `destination` could be replaced now: ERROR_SUCCESS when it is
    // missing or a plain file nobody holds against renaming;
    // ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_CANT_ACCESS_FILE (a
    // link, also one among its folders), ERROR_DIRECTORY (a folder) otherwise.
    DWORD CheckReplaceable(const char* destination);
    // The completed, closed temporary takes the place of `destination`; an
    // existing file is kept in the safety net first. ERROR_SUCCESS, or the
    // error with nothing in place changed and the temporary kept (Place it
    // again, or Discard it).
    DWORD Place(const std::string& temporaryPath, const char* destination);
    // Several Place calls in one: every record is written, then flushed once
    // for all (a flush costs a round trip to the disk), then the files are
    // put in place in order. Each result is what Place would have given.
    // A temporary still open (`handle`, from CreateTemporary, data all
    // written) is renamed through its handle, which costs half a rename by
    // name, and then goes to FlushInBackground whatever the result: the
    // transaction takes the handle.
    struct Placement {
        std::string temporaryPath;
        std::string destination;
        HANDLE handle = INVALID_HANDLE_VALUE;
        DWORD result = ERROR_SUCCESS;
    };
    void PlaceSeveral(std::vector<Placement>& placements);
    // Deletes a temporary that will not be placed.
    void Discard(const std::string& temporaryPath);
    // The commit point: the placed files' data is flushed to disk, then
    // `stamp` goes into `stampPath` through a temporary that the journal
    // names; then the safety net is removed. With stamp.key == 0
    // the stamp file is left as it is and a record marks the commit. False:
    // nothing committed; roll back.
    bool Commit(const char* stampPath, const VersionStamp& stamp);
    // Undoes every step taken, newest first; a file that cannot be put back
    // is tried again for ProcessRetryTimings().restoreMs with the window
    // alive. True when everything is as before and the safety net is gone;
    // false leaves the journal for RecoverInterruptedUpdate.
    bool Rollback();
    // Bytes the safety net needs on the volume beyond the new files.
    static int64_t OverheadBytes(int64_t fileCount);
    DWORD LastError() const { return m_lastError; }

    // The safety net folder of an installation folder ("~kvu" inside it).
    static std::string SafetyNetFolder(const char* installFolder);
    static std::string JournalPath(const char* installFolder);
    // Whether the last name of `path` is that of a safety net folder.
    static bool IsSafetyNetFolder(const char* path);
    void SetStepObserver(CSafetyStepObserver* observer) { m_observer = observer; }
    // A caller that has every temporary flushed (by itself, through
    // FlushInBackground, or by handing its handle to PlaceSeveral) says so,
    // and Commit does not open and flush the placed files again.
    void SetTemporariesFlushedByCaller(bool flushed) { m_temporariesFlushed = flushed; }

protected:
    // The journal's writes; tests make them fail as a full disk would.
    virtual BOOL WriteJournal(HANDLE journal, const void* data, DWORD size, DWORD* written);
    virtual BOOL FlushJournal(HANDLE journal);

private:
    enum class State { Idle, Open, Broken, Stopped, Finished };

    // A placement checked and named, its record not yet written.
    struct PlannedPlacement {
        JournalKind kind = JournalKind::NewFile;
        std::vector<std::string> fields; // of its record
        std::string temporaryPath, target, preservedPath;
        uint32_t sequence = 0;                      // of its record
        DWORD attributes = INVALID_FILE_ATTRIBUTES; // of the file it replaces
    };

    bool Step(SafetyStep step);
    // Write and FlushRecords, for one record.
    DWORD Append(JournalKind kind, std::vector<std::string> fields);
    DWORD Write(JournalKind kind, std::vector<std::string> fields);
    // The records written since the last flush reach the disk (`count` of them).
    DWORD FlushRecords(size_t count);
    // The journal can take no more: only the rollback is left.
    DWORD Break(DWORD error);
    DWORD Plan(const std::string& temporaryPath, const char* destination, PlannedPlacement& plan);
    // The renames of a placement whose record is on the disk; the temporary
    // through `handle` when it is open.
    DWORD Carry(const PlannedPlacement& plan, HANDLE handle = INVALID_HANDLE_VALUE);
    DWORD CheckFoldersBelow(const std::string& path);
    bool OwnsTemporary(const std::string& path) const;
    // Whether the existing file `path` is the installation's own (no link)
    // and can be renamed away now.
    DWORD ProbeExisting(const std::string& path);
    // The new file takes the hidden, system and archive attributes of the
    // one it replaces.
    void TakeAttributes(const PlannedPlacement& plan, HANDLE handle);
    DWORD FlushPlacedFiles();
    bool Fail(DWORD error);

    std::string m_install;
    std::string m_net;
    std::string m_journalPath;
    CFolderFinals m_finals;
    CFileHandle m_journal;
    std::vector<JournalRecord> m_records;
    std::set<std::string> m_checkedFolders; // folded case: verified not to be links
    // Folded destinations CheckReplaceable found missing
    // (INVALID_FILE_ATTRIBUTES) or a plain file free to be replaced (its
    // attributes), until they are placed.
    std::map<std::string, DWORD> m_probed;
    // The temporaries this run made (names in the safety net folder).
    std::set<std::string> m_created;
    uint32_t m_nextName = 1;
    uint32_t m_nextKept = kFirstKeptName;
    State m_state = State::Idle;
    bool m_madeNet = false;
    bool m_temporariesFlushed = false;
    DWORD m_lastError = ERROR_SUCCESS;
    CSafetyStepObserver* m_observer = nullptr;
    // Last: it goes first, closing every handed temporary.
    std::unique_ptr<CBackgroundFlusher> m_flusher;
};

// Finishes an interrupted update of `installFolder`: rolls it back, or, when
// the commit point was passed, removes the safety net. Safe to run again at
// any point. A journal of another folder, a damaged one, or one naming a path
// outside the installation is Refused and left alone. NotAllRestored: some
// file could not be put back (held); the journal stays for the next start.
RecoveryResult RecoverInterruptedUpdate(const char* installFolder,
                                        CSafetyStepObserver* observer = nullptr);
