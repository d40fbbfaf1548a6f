#pragma once
#include "fileops/CopyQuestions.h"
#include "fileops/CopyReport.h"
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

class CInstallTransaction;
class CCopyVerifier;

// Copies the contents of one folder tree over another: every file and
// sub-folder of the source is recreated under the destination, existing files
// are replaced, nothing is deleted. Links (reparse points) are never followed,
// read or written through, in the source or the destination.
//
// Who is asked and who is told are the copier's two collaborators: a path
// that cannot be used goes to ICopyQuestions (Abort, Retry or Ignore), after
// a few quiet tries when another program holds the file; everything the copy
// does goes to ICopyReport (the bar and status line, the log).
//
// Where the files land: through the safety net (CInstallTransaction), each
// file's data goes to a temporary and is put in place whole, replaced files
// are kept for a rollback, and a file that fails half way leaves nothing
// behind.
//
// Messages are dispatched between the steps (PumpPendingMessages); the
// caller keeps re-entry harmless while CopyTree runs.
class CTreeCopier {
public:
    // Files go through `transaction` (begun, not owned), over its
    // installation folder.
    CTreeCopier(CInstallTransaction& transaction, ICopyQuestions& questions, ICopyReport& report);
    virtual ~CTreeCopier();
    CTreeCopier(const CTreeCopier&) = delete;
    CTreeCopier& operator=(const CTreeCopier&) = delete;

    // Every file read from the source is checked against `verifier` (not
    // owned; null: nothing is checked). A damaged, unlisted or missing file
    // is asked about (CCopyVerifier::kDamaged) and its data never placed.
    void SetVerifier(CCopyVerifier* verifier) { m_verifier = verifier; }

    // While *stop is true (set by a message handler while the copy pumps),
    // every question is answered Abort without being asked, and the copy
    // asks one between its blocks and entries: Cancel of an unattended run.
    void SetStopFlag(const bool* stop) { m_stop = stop; }

    // Copies the contents of `source` into `destination`, the transaction's
    // installation folder (both without a trailing backslash). 1 when the
    // walk reached its end, every entry copied or skipped by Ignore; 0 when
    // it was stopped (Abort, or an entry that vanished after it was listed).
    int CopyTree(const char* source, const char* destination);

    // True when Ignore let the copy go on past a package root that could not
    // be listed: the destination does not hold the package although
    // CopyTree gave 1.
    bool LeftIncomplete() const { return m_leftIncomplete; }
    // Bytes read plus bytes written since CopyTree began.
    int64_t RunningTotal() const { return m_runningTotal; }

    // The data moves through one buffer of this many bytes: large enough that
    // the system calls cost little, small enough that a block read from a
    // slow medium keeps the window answering.
    static const DWORD kBlockSize = 64 * 1024;

protected:
    // The file calls on the data; tests replace them.
    virtual BOOL ReadChunk(HANDLE file, void* buffer, DWORD size, DWORD* read);
    virtual BOOL WriteChunk(HANDLE file, const void* buffer, DWORD size, DWORD* written);

private:
    enum class DataResult { Copied, ReadFailed, WriteFailed, Damaged };
    enum class Step { Done, Skipped, Stopped };

    // The contents of `source` into the existing folder `destination`.
    int CopyFolder(const char* source, const char* destination);
    int CopyFolderContents(const char* source, const char* destination);
    // One entry (a file, or a folder with everything under it) into the
    // folder `destination` under its own name, as its folder's listing gave
    // it (`found` may be null).
    int CopyListedEntry(const char* sourcePath, const WIN32_FIND_DATAA* found,
                        const char* destination);
    int CopyFile(const std::string& source, const std::string& destination);
    int EnterFolder(const std::string& sourcePath, const std::string& target);
    DataResult CopyData(HANDLE source, HANDLE destination);
    // The verifier's verdict on the file just read; false: told to the report.
    bool Verified(const std::string& source);
    // The listed files that the walk did not meet, asked about in turn.
    int CopyMissing(const char* source, const char* destination);

    HANDLE OpenSource(const std::string& path, DWORD& error);
    // A new temporary in the safety net for the data; its path in `written`.
    HANDLE OpenOutput(std::string& written, DWORD& error);
    DWORD CheckDestination(const std::string& destination);
    DWORD MakeFolder(const std::string& path);
    DWORD Finish(const std::string& written, const std::string& destination);
    void Abandon(const std::string& written);

    // Tries `attempt` (which gives ERROR_SUCCESS or the reason) quietly for a
    // while when another program holds the path, then asks until the answer
    // is not Retry or the attempt succeeds. Done, Skipped (Ignore) or Stopped.
    template <class Attempt> Step Persist(const std::string& path, Attempt attempt);
    // The answer about a path (IDABORT, IDRETRY or IDIGNORE), told to the report.
    int Ask(const std::string& path, DWORD error);
    int AskUntilNotRetry(const std::string& path, DWORD error);

    void SetRunningTotal(int64_t total);

    // Copied files wait to be put in place together (PlaceSeveral): one flush
    // of the journal for all of them instead of one each. They are placed
    // when this many wait, before any question, and at the end.
    static const size_t kPlacedTogether = 32;
    static const int64_t kPlacedTogetherBytes = 8 << 20;
    struct PendingFile {
        std::string written; // the temporary
        std::string destination;
        int64_t bytes;
        HANDLE handle; // the temporary, open; closed by the transaction or DiscardPending
    };
    // 1, or 0 when a question about one of them was answered Abort.
    int PlacePending();
    void DiscardPending();

    CInstallTransaction& m_transaction;
    ICopyQuestions& m_questions;
    ICopyReport& m_report;
    CCopyVerifier* m_verifier = nullptr;
    std::vector<char> m_buffer;
    std::vector<PendingFile> m_pending;
    int64_t m_pendingBytes = 0;
    int64_t m_runningTotal = 0;
    int m_folderDepth = 0;
    bool m_leftIncomplete = false;
    const bool* m_stop = nullptr;
    bool StopRequested() const { return m_stop && *m_stop; }
};
