#include "fileops/TreeCopier.h"
#include "fileops/CopyVerifier.h"
#include "fileops/FileHandle.h"
#include "fileops/FolderListing.h"
#include "fileops/InstallTransaction.h"
#include "fileops/MessagePump.h"
#include "fileops/Paths.h"
#include "fileops/RetryTimings.h"
#include "texts/Texts.h"

namespace {

// Another program has the file open in a way that excludes ours: it may well
// let go in a moment (a program closing, a scan), so it is tried again first.
bool IsHeldByAnotherProgram(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The ANSI listing gives '?' for a character the code page cannot hold: such
// a name reaches no file, and the entry cannot be accessed by it.
bool NameWasMangled(const char* name) {
    for (; *name; ++name) {
        if (*name == '?')
            return true;
    }
    return false;
}

// A name the ANSI listing could only give in a lossy form (a character
// outside the code page) reaches no file although the entry is there: its
// short name, when it has one, still reaches it.
bool ShortNameReaches(const char* entryPath, const WIN32_FIND_DATAA& found) {
    if (found.cAlternateFileName[0] == '\0')
        return false;
    const std::string path(entryPath, LastPathComponent(entryPath));
    const std::string shortPath = path + found.cAlternateFileName;
    return PathFits(shortPath) && GetFileAttributesA(shortPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The safety net's own folder, which the installation holds during a run.
bool IsSafetyNet(const char* destination, const char* name) {
    return lstrcmpiA(CInstallTransaction::SafetyNetFolder(destination).c_str(),
                     JoinPath(destination, name).c_str()) == 0;
}

} // namespace

CTreeCopier::CTreeCopier(CInstallTransaction& transaction, ICopyQuestions& questions,
                         ICopyReport& report)
    : m_transaction(transaction), m_questions(questions), m_report(report) {}

CTreeCopier::~CTreeCopier() = default;

int CTreeCopier::CopyTree(const char* source, const char* destination) {
    m_runningTotal = 0;
    m_leftIncomplete = false;
    m_folderDepth = 0;
    if (m_buffer.empty())
        m_buffer.resize(kBlockSize);
    m_report.CopyStarted();
    // A long operation starts with a full look, whatever the last one found.
    PumpPendingMessagesNow();
    int result = CopyFolder(source, destination);
    result = result && CopyMissing(source, destination);
    result = result && PlacePending();
    DiscardPending();
    m_report.CopyEnded(result);
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
        switch (Ask(source, listing.Error())) {
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
        if (StopRequested())
            return Ask(source, ERROR_CANCELLED) == IDIGNORE;
        if (listing.EntryIsDots())
            continue;
        const WIN32_FIND_DATAA& found = listing.Entry();
        const std::string entry = JoinPath(source, found.cFileName);
        int result;
        if (m_folderDepth == 1 && IsSafetyNet(destination, found.cFileName))
            // The package must not reach into the safety net of its own run.
            result = AskUntilNotRetry(JoinPath(destination, found.cFileName),
                                      ERROR_ACCESS_DENIED) == IDIGNORE;
        else if (!PathFits(entry))
            result = AskUntilNotRetry(entry, ERROR_FILENAME_EXCED_RANGE) == IDIGNORE;
        else if (IsLink(found.dwFileAttributes))
            // Whatever a link points at is not part of the package.
            result = AskUntilNotRetry(entry, ERROR_CANT_ACCESS_FILE) == IDIGNORE;
        else
            result = CopyListedEntry(entry.c_str(), &found, destination);
        if (!result)
            return 0;
        PumpPendingMessages();
    } while (listing.Next());
    return 1;
}

int CTreeCopier::CopyListedEntry(const char* sourcePath, const WIN32_FIND_DATAA* found,
                                 const char* destination) {
    DWORD attributes = GetFileAttributesA(sourcePath);
    while (attributes == INVALID_FILE_ATTRIBUTES || IsLink(attributes)) {
        const DWORD error =
            attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_CANT_ACCESS_FILE;
        // An entry removed since the listing: the package changed under the
        // copy, which stops without a question.
        const bool vanished = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
                              !NameWasMangled(LastPathComponent(sourcePath)) &&
                              !(found && ShortNameReaches(sourcePath, *found));
        if (vanished)
            return 0;
        switch (Ask(sourcePath, error)) {
        case IDABORT:
            return 0;
        case IDIGNORE:
            return 1;
        }
        attributes = GetFileAttributesA(sourcePath);
    }
    const std::string target = JoinPath(destination, LastPathComponent(sourcePath));
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return EnterFolder(sourcePath, target);
    return CopyFile(sourcePath, target);
}

int CTreeCopier::EnterFolder(const std::string& sourcePath, const std::string& target) {
    if (!PathFits(target))
        return AskUntilNotRetry(target, ERROR_FILENAME_EXCED_RANGE) == IDIGNORE;
    // A folder that cannot be made (a file or a link stands there, the parent
    // refuses new entries) is asked about; Ignore skips all that is under it.
    const Step made = Persist(target, [&] { return MakeFolder(target); });
    if (made != Step::Done)
        return made == Step::Skipped;
    return CopyFolder(sourcePath.c_str(), target.c_str());
}

int CTreeCopier::CopyFile(const std::string& source, const std::string& destination) {
    m_report.FileStarted(destination.c_str());
    PumpPendingMessages();
    for (;;) {
        // A file the checksum file does not name is not the vendor's.
        if (m_verifier && !m_verifier->BeginFile(source)) {
            m_report.FileDamaged(source.c_str(), CCopyVerifier::kUnlisted, texts::kDigestNotRead);
            switch (Ask(source, CCopyVerifier::kDamaged)) {
            case IDABORT:
                return 0;
            case IDIGNORE:
                return 1;
            }
            continue;
        }
        CFileHandle input;
        Step step = Persist(source, [&] {
            DWORD error = ERROR_SUCCESS;
            input.Reset(OpenSource(source, error));
            PumpPendingMessages();
            return error;
        });
        if (step != Step::Done)
            return step == Step::Skipped;

        std::string written;
        CFileHandle output;
        step = Persist(destination, [&] {
            DWORD error = CheckDestination(destination);
            if (error == ERROR_SUCCESS)
                output.Reset(OpenOutput(written, error));
            PumpPendingMessages();
            return error;
        });
        if (step != Step::Done)
            return step == Step::Skipped;

        const int64_t totalBefore = m_runningTotal;
        DataResult result = CopyData(input.Get(), output.Get());
        input.Close();
        // Checked before anything of it is placed.
        if (result == DataResult::Copied && !Verified(source))
            result = DataResult::Damaged;
        // A complete file stays open until it is placed (renamed through its
        // handle), then its data goes to the disk while the copy goes on.
        const HANDLE complete =
            result == DataResult::Copied ? output.Release() : INVALID_HANDLE_VALUE;
        output.Close();
        PumpPendingMessages();
        if (result == DataResult::Copied) {
            const int64_t bytes = (m_runningTotal - totalBefore) / 2;
            // Put in place with others, under one flush of the journal.
            m_pending.push_back({written, destination, bytes, complete});
            m_pendingBytes += bytes;
            if (m_pending.size() < kPlacedTogether && m_pendingBytes < kPlacedTogetherBytes)
                return 1;
            return PlacePending();
        }

        // Never count a file as copied when its data did not all arrive.
        Abandon(written);
        const bool sourceSide = result == DataResult::ReadFailed || result == DataResult::Damaged;
        const DWORD error =
            result == DataResult::Damaged ? CCopyVerifier::kDamaged : GetLastError();
        switch (Ask(sourceSide ? source : destination, error)) {
        case IDABORT:
            return 0;
        case IDIGNORE:
            return 1;
        }
        // Retry copies the file again from its start; the bar goes back with it.
        SetRunningTotal(totalBefore);
    }
}

CTreeCopier::DataResult CTreeCopier::CopyData(HANDLE source, HANDLE destination) {
    char* buffer = m_buffer.data();
    const DWORD size = static_cast<DWORD>(m_buffer.size());
    for (;;) {
        PumpPendingMessages();
        if (StopRequested()) {
            SetLastError(ERROR_CANCELLED);
            return DataResult::WriteFailed;
        }
        DWORD read = 0;
        if (!ReadChunk(source, buffer, size, &read))
            return DataResult::ReadFailed;
        if (read == 0)
            return DataResult::Copied;
        if (m_verifier)
            m_verifier->Add(buffer, read);
        SetRunningTotal(m_runningTotal + read);
        PumpPendingMessages();
        DWORD written = 0;
        // A write that stores less than it was given has hit a full disk or the like.
        if (!WriteChunk(destination, buffer, read, &written) || written != read) {
            if (GetLastError() == ERROR_SUCCESS)
                SetLastError(ERROR_DISK_FULL);
            return DataResult::WriteFailed;
        }
        SetRunningTotal(m_runningTotal + written);
    }
}

bool CTreeCopier::Verified(const std::string& source) {
    if (!m_verifier)
        return true;
    std::string expected;
    std::string found;
    if (m_verifier->EndFile(expected, found))
        return true;
    m_report.FileDamaged(source.c_str(), expected.c_str(), found.c_str());
    return false;
}

int CTreeCopier::CopyMissing(const char* source, const char* destination) {
    if (!m_verifier)
        return 1;
    const size_t root = lstrlenA(source);
    for (const CCopyVerifier::Unmet& missing : m_verifier->Missing()) {
        // Present but passed over (a link, a path too long): asked about already.
        if (GetFileAttributesA(missing.path.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        m_report.FileDamaged(missing.path.c_str(), missing.expected.c_str(),
                             CCopyVerifier::kAbsent);
        for (;;) {
            const int answer = Ask(missing.path, CCopyVerifier::kDamaged);
            if (answer == IDABORT)
                return 0;
            if (answer == IDIGNORE)
                break;
            if (GetFileAttributesA(missing.path.c_str()) == INVALID_FILE_ATTRIBUTES)
                continue;
            // There now (the medium was changed): copied, its folders made first.
            const std::string target = destination + missing.path.substr(root);
            Step made = Step::Done;
            for (size_t at = lstrlenA(destination) + 1;
                 made == Step::Done && (at = target.find('\\', at)) != std::string::npos; ++at) {
                const std::string folder = target.substr(0, at);
                made = Persist(folder, [&] { return MakeFolder(folder); });
            }
            if (made == Step::Stopped || (made == Step::Done && !CopyFile(missing.path, target)))
                return 0;
            break;
        }
    }
    return 1;
}

template <class Attempt>
CTreeCopier::Step CTreeCopier::Persist(const std::string& path, Attempt attempt) {
    DWORD error = attempt();
    if (error == ERROR_SUCCESS)
        return Step::Done;
    if (IsHeldByAnotherProgram(error)) {
        const RetryTimings& timings = ProcessRetryTimings();
        const ULONGLONG start = RetryClockMs();
        while (IsHeldByAnotherProgram(error) && RetryClockMs() - start < timings.heldFileMs) {
            WaitPumpingMessages(timings.intervalMs);
            error = attempt();
        }
        m_report.RetriedQuietly(path.c_str(), IsHeldByAnotherProgram(error) ? error : ERROR_SUCCESS,
                                static_cast<DWORD>(RetryClockMs() - start), error == ERROR_SUCCESS);
        if (error == ERROR_SUCCESS)
            return Step::Done;
    }
    for (;;) {
        switch (Ask(path, error)) {
        case IDABORT:
            return Step::Stopped;
        case IDIGNORE:
            return Step::Skipped;
        }
        error = attempt();
        if (error == ERROR_SUCCESS)
            return Step::Done;
    }
}

int CTreeCopier::PlacePending() {
    if (m_pending.empty())
        return 1;
    std::vector<CInstallTransaction::Placement> placements;
    placements.reserve(m_pending.size());
    // The transaction takes the handles.
    for (const PendingFile& file : m_pending)
        placements.push_back({file.written, file.destination, file.handle, ERROR_SUCCESS});
    // Taken out first: a question below places nothing again.
    std::vector<PendingFile> pending;
    pending.swap(m_pending);
    m_pendingBytes = 0;
    m_transaction.PlaceSeveral(placements);
    PumpPendingMessages();
    for (size_t i = 0; i < pending.size(); ++i) {
        const PendingFile& file = pending[i];
        Step step = Step::Done;
        if (placements[i].result != ERROR_SUCCESS) {
            // Asked as if it had just been copied: the file is on screen.
            m_report.FileStarted(file.destination.c_str());
            step =
                Persist(file.destination, [&] { return Finish(file.written, file.destination); });
        }
        if (step == Step::Done) {
            m_report.FileCopied(file.destination.c_str(), file.bytes);
            continue;
        }
        Abandon(file.written);
        if (step == Step::Stopped) {
            for (size_t rest = i + 1; rest < pending.size(); ++rest) {
                if (placements[rest].result != ERROR_SUCCESS)
                    Abandon(pending[rest].written);
            }
            return 0;
        }
    }
    return 1;
}

void CTreeCopier::DiscardPending() {
    for (const PendingFile& file : m_pending) {
        CloseHandle(file.handle);
        Abandon(file.written);
    }
    m_pending.clear();
    m_pendingBytes = 0;
}

int CTreeCopier::Ask(const std::string& path, DWORD error) {
    // What is copied is in place before anyone is asked about what is not,
    // and an Abort there ends the copy here.
    if (!PlacePending())
        return IDABORT;
    m_report.BeforeQuestion();
    const bool stopped = StopRequested();
    int answer = stopped ? IDABORT : m_questions.AskAbout(path.c_str(), error);
    if (answer != IDRETRY && answer != IDIGNORE)
        answer = IDABORT;
    // A stop is the person's Cancel, whoever answers otherwise.
    m_report.Answered(path.c_str(), error, answer, !stopped && m_questions.IsAutomatic());
    return answer;
}

int CTreeCopier::AskUntilNotRetry(const std::string& path, DWORD error) {
    int answer;
    do
        answer = Ask(path, error);
    while (answer == IDRETRY);
    return answer;
}

HANDLE CTreeCopier::OpenSource(const std::string& path, DWORD& error) {
    if (!PathFits(path)) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    return file;
}

DWORD CTreeCopier::CheckDestination(const std::string& destination) {
    if (!PathFits(destination))
        return ERROR_FILENAME_EXCED_RANGE;
    return m_transaction.CheckReplaceable(destination.c_str());
}

HANDLE CTreeCopier::OpenOutput(std::string& written, DWORD& error) {
    HANDLE file = m_transaction.CreateTemporary(written);
    error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    return file;
}

DWORD CTreeCopier::MakeFolder(const std::string& path) {
    const DWORD error = m_transaction.MakeFolder(path.c_str());
    if (error == ERROR_SUCCESS)
        m_report.FolderCreated(path.c_str());
    return error;
}

DWORD CTreeCopier::Finish(const std::string& written, const std::string& destination) {
    return m_transaction.Place(written, destination.c_str());
}

void CTreeCopier::Abandon(const std::string& written) {
    if (!written.empty())
        m_transaction.Discard(written);
}

BOOL CTreeCopier::ReadChunk(HANDLE file, void* buffer, DWORD size, DWORD* read) {
    return ReadFile(file, buffer, size, read, nullptr);
}

BOOL CTreeCopier::WriteChunk(HANDLE file, const void* buffer, DWORD size, DWORD* written) {
    return WriteFile(file, buffer, size, written, nullptr);
}

void CTreeCopier::SetRunningTotal(int64_t total) {
    m_runningTotal = total;
    m_report.TotalChanged(total);
}
