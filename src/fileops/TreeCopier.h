#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

class CProgressCtrl;
class CWnd;

// Copies the contents of one folder tree over another: every file and
// sub-folder of the source is recreated under the destination, existing files
// are overwritten, nothing is deleted. Files move in 1024-byte chunks; each
// file is announced as "Copia in " and its destination path in the status
// control, and the progress control advances by every byte read and again by
// every byte written. A file or folder that cannot be opened, listed, read or
// written brings a prompt titled "Errore" with Abort, Retry and Ignore.
// Messages are dispatched between the steps (PumpPendingMessages); the
// caller keeps re-entry harmless while CopyTree runs.
//
// Use, for one copy:
//   CTreeCopier copier(ownerWindow, &progress, &status);
//   copier.SetPackageTotal(total);                  // bytes the package holds
//   progress.SetRange32(0, CTreeCopier::ProgressRangeFor(total));
//   int ok = copier.CopyTree(sourceFolder, destinationFolder);
//   bool errors = !ok || copier.LeftIncomplete();
//
// Without SetPackageTotal the positions are the running total itself, which
// suits any range up to 2^31 - 1. The controls and the owner are not owned
// and may be null (no position, no status text, prompts without owner).
class CTreeCopier {
public:
    CTreeCopier(HWND owner, CProgressCtrl* progress, CWnd* status);
    virtual ~CTreeCopier();
    CTreeCopier(const CTreeCopier&) = delete;
    CTreeCopier& operator=(const CTreeCopier&) = delete;

    // The upper end of the progress range for a package of `total` bytes:
    // exactly twice the total while that fits a signed 32-bit position
    // (packages below 1 GiB), else twice the total scaled down to fit.
    static int ProgressRangeFor(int64_t total);
    // Maps the running total onto ProgressRangeFor(total); call before CopyTree.
    void SetPackageTotal(int64_t total);

    // Copies the contents of `source` into `destination` (both without a
    // trailing backslash), creating `destination` first if it is missing (its
    // parent must exist). 1 when the walk reached its end, every entry copied
    // or skipped by the user's Ignore; 0 when it was stopped (Abort, or an
    // entry that vanished after it was listed).
    int CopyTree(const char* source, const char* destination);
    // The contents of `source` into the existing folder `destination`.
    int CopyFolder(const char* source, const char* destination);
    // One entry (a file, or a folder with everything under it) into the
    // folder `destination` under the entry's own name.
    int CopyEntry(const char* sourcePath, const char* destination);

    // True when the user's Ignore let the copy go on past a file that was
    // only partly written, or past a package root that could not be listed:
    // the destination does not hold the package even though CopyTree gave 1.
    bool LeftIncomplete() const { return m_leftIncomplete; }
    // Bytes read plus bytes written since CopyTree began.
    int64_t RunningTotal() const { return m_runningTotal; }

protected:
    // The file calls on the data, and every position computed (given to the
    // control or not); tests replace them.
    virtual HANDLE OpenDestinationFile(const char* path, DWORD flagsAndAttributes);
    virtual BOOL ReadChunk(HANDLE file, void* buffer, DWORD size, DWORD* read);
    virtual BOOL WriteChunk(HANDLE file, const void* buffer, DWORD size, DWORD* written);
    virtual void PositionComputed(int position);

private:
    enum class DataResult { Copied, ReadFailed, WriteFailed };

    int CopyFolderContents(const char* source, const char* destination);
    int CopyOneFile(const std::string& source, const std::string& destination);
    DataResult CopyData(HANDLE source, HANDLE destination);
    HANDLE OpenSource(const std::string& path);
    HANDLE OpenDestination(const std::string& path);
    // Asks about a path that cannot be used until the answer is not Retry.
    int PromptUntilNotRetry(const std::string& path);
    // IDABORT, IDRETRY or IDIGNORE; a prompt that cannot be shown is Abort.
    int Prompt(const std::string& path);

    void StartPositions();
    void AddToRunningTotal(DWORD bytes);
    void SetRunningTotal(int64_t total);
    // Brings the control to the computed position if it is not there yet.
    void GivePosition();

    CProgressCtrl* m_progress;
    CWnd* m_status;
    HWND m_owner;
    int64_t m_runningTotal = 0;
    int m_scaleShift = 0;    // positions are the running total shifted right by this
    int m_position = 0;      // the position the running total maps to
    int m_givenPosition = 0; // the last position the control was given
    int m_positionStep = 1;  // the control gets a position once it moves this far
    int m_folderDepth = 0;
    bool m_leftIncomplete = false;
};
