#include "fileops/TreeCopier.h"
#include "fileops/FileHandle.h"
#include "fileops/FolderListing.h"
#include "fileops/MessagePump.h"
#include "fileops/Paths.h"
#include "framework/ProgressCtrl.h"
#include "framework/Wnd.h"
#include <climits>
#include <cstdlib>

namespace {

const DWORD kChunkSize = 1024;

// How far right a doubled total must be shifted to fit a signed 32-bit position.
int ScaleShiftFor(int64_t total) {
    if (total <= 0)
        return 0;
    uint64_t doubled = static_cast<uint64_t>(total) * 2;
    int shift = 0;
    while (doubled > static_cast<uint64_t>(INT_MAX)) {
        doubled >>= 1;
        ++shift;
    }
    return shift;
}

// Fewer steps than this cannot be told apart on the bar.
const int kPositionSteps = 1000;

} // namespace

CTreeCopier::CTreeCopier(HWND owner, CProgressCtrl* progress, CWnd* status)
    : m_progress(progress), m_status(status), m_owner(owner) {}

CTreeCopier::~CTreeCopier() = default;

int CTreeCopier::ProgressRangeFor(int64_t total) {
    if (total <= 0)
        return 0;
    return static_cast<int>((static_cast<uint64_t>(total) * 2) >> ScaleShiftFor(total));
}

void CTreeCopier::SetPackageTotal(int64_t total) {
    m_scaleShift = ScaleShiftFor(total);
}

int CTreeCopier::CopyTree(const char* source, const char* destination) {
    m_runningTotal = 0;
    m_leftIncomplete = false;
    StartPositions();
    CreateDirectoryA(destination, nullptr);
    // A long operation starts with a full look, whatever the last one found.
    PumpPendingMessagesNow();
    const int result = CopyFolder(source, destination);
    GivePosition();
    return result;
}

int CTreeCopier::CopyFolder(const char* source, const char* destination) {
    ++m_folderDepth;
    const int result = CopyFolderContents(source, destination);
    --m_folderDepth;
    return result;
}

int CTreeCopier::CopyFolderContents(const char* source, const char* destination) {
    CFolderListing listing;
    while (!listing.Start(source)) {
        if (ListingFailureMeansEmpty(source, listing.Error()))
            return 1;
        switch (Prompt(source)) {
        case IDABORT:
            return 0;
        case IDIGNORE:
            // Skipping the package root installs nothing at all.
            if (m_folderDepth == 1)
                m_leftIncomplete = true;
            return 1;
        }
    }
    do {
        PumpPendingMessages();
        if (listing.EntryIsDots()) {
            PumpPendingMessages();
            PumpPendingMessages();
            continue;
        }
        const std::string entry = JoinPath(source, listing.Entry().cFileName);
        const int result = PathFits(entry) ? CopyEntry(entry.c_str(), destination)
                                           : PromptUntilNotRetry(entry) == IDIGNORE;
        if (!result)
            return 0;
        PumpPendingMessages();
    } while (listing.Next());
    return 1;
}

int CTreeCopier::CopyEntry(const char* sourcePath, const char* destination) {
    const DWORD attributes = GetFileAttributesA(sourcePath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    const std::string target = JoinPath(destination, LastPathComponent(sourcePath));
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!PathFits(target))
            return PromptUntilNotRetry(target) == IDIGNORE;
        CreateDirectoryA(target.c_str(), nullptr);
        return CopyFolder(sourcePath, target.c_str());
    }
    return CopyOneFile(sourcePath, target);
}

int CTreeCopier::CopyOneFile(const std::string& source, const std::string& destination) {
    if (m_status) {
        m_status->SetWindowText(("Copia in " + destination).c_str());
        PumpPendingMessages();
    }
    for (;;) {
        CFileHandle input(OpenSource(source));
        PumpPendingMessages();
        while (!input.IsOpen()) {
            switch (Prompt(source)) {
            case IDABORT:
                return 0;
            case IDIGNORE:
                return 1;
            }
            input.Reset(OpenSource(source));
            PumpPendingMessages();
        }
        CFileHandle output(OpenDestination(destination));
        PumpPendingMessages();
        while (!output.IsOpen()) {
            switch (Prompt(destination)) {
            case IDABORT:
                return 0;
            case IDIGNORE:
                return 1;
            }
            output.Reset(OpenDestination(destination));
            PumpPendingMessages();
        }

        const int64_t totalBefore = m_runningTotal;
        const DataResult result = CopyData(input.Get(), output.Get());
        PumpPendingMessages();
        input.Close();
        PumpPendingMessages();
        output.Close();
        if (result == DataResult::Copied)
            return 1;

        // The destination now holds part of the file: never count it as copied.
        switch (Prompt(result == DataResult::ReadFailed ? source : destination)) {
        case IDABORT:
            return 0;
        case IDIGNORE:
            m_leftIncomplete = true;
            return 1;
        }
        // Retry copies the file again from its start; the bar goes back with it.
        SetRunningTotal(totalBefore);
    }
}

CTreeCopier::DataResult CTreeCopier::CopyData(HANDLE source, HANDLE destination) {
    char buffer[kChunkSize];
    for (;;) {
        PumpPendingMessages();
        DWORD read = 0;
        if (!ReadChunk(source, buffer, kChunkSize, &read))
            return DataResult::ReadFailed;
        if (read == 0)
            return DataResult::Copied;
        AddToRunningTotal(read);
        if (m_progress)
            PumpPendingMessages();
        PumpPendingMessages();
        DWORD written = 0;
        // A write that stores less than it was given has hit a full disk or the like.
        if (!WriteChunk(destination, buffer, read, &written) || written != read)
            return DataResult::WriteFailed;
        AddToRunningTotal(written);
        if (m_progress)
            PumpPendingMessages();
    }
}

HANDLE CTreeCopier::OpenSource(const std::string& path) {
    if (!PathFits(path))
        return INVALID_HANDLE_VALUE;
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

HANDLE CTreeCopier::OpenDestination(const std::string& path) {
    if (!PathFits(path))
        return INVALID_HANDLE_VALUE;
    // The platform refuses to replace a hidden or system file with one of
    // normal attributes: replace it with the attributes it has.
    const DWORD existing = GetFileAttributesA(path.c_str());
    DWORD kept = 0;
    if (existing != INVALID_FILE_ATTRIBUTES)
        kept = existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    return OpenDestinationFile(path.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
}

HANDLE CTreeCopier::OpenDestinationFile(const char* path, DWORD flagsAndAttributes) {
    return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, flagsAndAttributes, nullptr);
}

BOOL CTreeCopier::ReadChunk(HANDLE file, void* buffer, DWORD size, DWORD* read) {
    return ReadFile(file, buffer, size, read, nullptr);
}

BOOL CTreeCopier::WriteChunk(HANDLE file, const void* buffer, DWORD size, DWORD* written) {
    return WriteFile(file, buffer, size, written, nullptr);
}

void CTreeCopier::PositionComputed(int) {}

int CTreeCopier::PromptUntilNotRetry(const std::string& path) {
    int answer;
    do
        answer = Prompt(path);
    while (answer == IDRETRY);
    return answer;
}

int CTreeCopier::Prompt(const std::string& path) {
    // The bar shows how far the copy got while the user decides.
    GivePosition();
    const std::string text = "Impossibile accedere a: " + path;
    const int answer =
        MessageBoxA(m_owner, text.c_str(), "Errore", MB_ICONERROR | MB_ABORTRETRYIGNORE);
    // A box that could not be shown answers nothing: asking again could loop for ever.
    return answer == IDRETRY || answer == IDIGNORE ? answer : IDABORT;
}

void CTreeCopier::StartPositions() {
    m_position = 0;
    m_givenPosition = 0;
    m_positionStep = 1;
    if (!m_progress)
        return;
    int lower = 0;
    int upper = 0;
    m_progress->GetRange(lower, upper);
    const int64_t span = static_cast<int64_t>(upper) - lower;
    if (span / kPositionSteps > 1)
        m_positionStep = static_cast<int>(span / kPositionSteps);
    m_progress->SetPos(0);
}

void CTreeCopier::AddToRunningTotal(DWORD bytes) {
    SetRunningTotal(m_runningTotal + bytes);
    if (!m_progress)
        return;
    PositionComputed(m_position);
    // A repaint per chunk would cost more than the chunk; a step is finer than a pixel.
    if (std::llabs(static_cast<int64_t>(m_position) - m_givenPosition) >= m_positionStep)
        GivePosition();
}

void CTreeCopier::SetRunningTotal(int64_t total) {
    m_runningTotal = total;
    const int64_t position = total >> m_scaleShift;
    m_position = position > INT_MAX ? INT_MAX : static_cast<int>(position);
}

void CTreeCopier::GivePosition() {
    if (!m_progress || m_position == m_givenPosition)
        return;
    m_progress->SetPos(m_position);
    m_givenPosition = m_position;
}
