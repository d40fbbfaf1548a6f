// Copies generated trees with the tree copier as the wizard runs it (through
// the safety net, progress bar and status text in a visible window), the
// same without a window, and, side by side, with CopyFileA per file, the
// platform's xcopy, a bare loop of 1024-byte reads and writes with no window,
// and the least a copy through temporaries costs; the wizard's copy also
// checked against a checksum file of the tree (each file hashed as it is
// read), CopyFileA with each copy flushed to the disk (a copy that counts only
// once on the disk), and the SHA-256 alone over the same files. Prints the
// medians of several runs, the peak working set after each tree, and ends
// with one line for scripts (ratios of the wizard's copy):
//   small-vs-xcopy=R1 large-vs-bare=R2 large-vs-copyfile=R3 max-gap-ms=G
//   verified-vs-unverified=R4 sha256-mbps=M large-vs-durable-copyfile=R5
// Usage: copy_bench [--reps N] [--only small|large]
#include "BenchClock.h"
#include "BenchTree.h"
#include "data/ChecksumFile.h"
#include "fileops/CopyVerifier.h"
#include "fileops/FolderSize.h"
#include "fileops/InstallTransaction.h"
#include "fileops/MessagePump.h"
#include "fileops/TreeCopier.h"
#include "wizard/WindowCopyReport.h"
#include "framework/ProgressCtrl.h"
#include "framework/Static.h"
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

void FlushMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A progress bar that adds up the time its position changes take.
class TimedProgress : public CProgressCtrl {
public:
    int moves = 0;
    double movesMs = 0.0;
    double longestMoveMs = 0.0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != PBM_SETPOS)
            return CProgressCtrl::WindowProc(message, wParam, lParam);
        const double start = Seconds();
        const LRESULT result = CProgressCtrl::WindowProc(message, wParam, lParam);
        const double ms = (Seconds() - start) * 1e3;
        ++moves;
        movesMs += ms;
        longestMoveMs = std::max(longestMoveMs, ms);
        return result;
    }
};

// A visible window with a progress bar and a status line, as the wizard's
// progress screen has them.
class ProgressWindow {
public:
    bool Create() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "CopyBenchWindow";
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        RegisterClassA(&windowClass);
        m_frame = CreateWindowExA(0, "CopyBenchWindow", "copy_bench", WS_OVERLAPPEDWINDOW, 50, 50,
                                  480, 160, nullptr, nullptr, windowClass.hInstance, nullptr);
        HWND status = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 20, 440,
                                      20, m_frame, nullptr, windowClass.hInstance, nullptr);
        HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 12,
                                   56, 440, 18, m_frame, nullptr, windowClass.hInstance, nullptr);
        if (!m_frame || !status || !bar)
            return false;
        m_status.SubclassWindow(status);
        m_progress.SubclassWindow(bar);
        ShowWindow(m_frame, SW_SHOW);
        UpdateWindow(m_frame);
        FlushMessages();
        return true;
    }
    ~ProgressWindow() {
        if (m_frame)
            DestroyWindow(m_frame);
    }

    HWND Frame() const { return m_frame; }
    TimedProgress& Progress() { return m_progress; }
    CStatic& Status() { return m_status; }

private:
    HWND m_frame = nullptr;
    TimedProgress m_progress;
    CStatic m_status;
};

// The copier, timing every single read and write.
class TimedCallsCopier : public CTreeCopier {
public:
    using CTreeCopier::CTreeCopier;
    double longestCallMs = 0.0;

protected:
    BOOL ReadChunk(HANDLE file, void* buffer, DWORD size, DWORD* read) override {
        const double start = Seconds();
        const BOOL ok = CTreeCopier::ReadChunk(file, buffer, size, read);
        Note(start);
        return ok;
    }
    BOOL WriteChunk(HANDLE file, const void* buffer, DWORD size, DWORD* written) override {
        const double start = Seconds();
        const BOOL ok = CTreeCopier::WriteChunk(file, buffer, size, written);
        Note(start);
        return ok;
    }

private:
    void Note(double start) { longestCallMs = std::max(longestCallMs, (Seconds() - start) * 1e3); }
};

// The safety net, timing its journal flushes.
class TimedTransaction : public CInstallTransaction {
public:
    using CInstallTransaction::CInstallTransaction;
    double longestFlushMs = 0.0;

protected:
    BOOL FlushJournal(HANDLE journal) override {
        const double start = Seconds();
        const BOOL ok = CInstallTransaction::FlushJournal(journal);
        longestFlushMs = std::max(longestFlushMs, (Seconds() - start) * 1e3);
        return ok;
    }
};

struct CopierRun {
    double seconds;
    double longestGapMs;
    uint64_t looks;
};

CopierRun RunCopier(CTreeCopier& copier, const std::string& source,
                    const std::string& destination) {
    FlushMessages();
    ResetQueueLookStats();
    const double start = Seconds();
    const int ok = copier.CopyTree(source.c_str(), destination.c_str());
    const double seconds = Seconds() - start;
    const QueueLookStats stats = GetQueueLookStats();
    if (!ok)
        std::printf("  the copier stopped on %s\n", source.c_str());
    return {seconds, stats.longestGapMs, stats.looks};
}

struct NetRun {
    double seconds = 0.0; // from the safety net's start to its commit
    CopierRun copied{};
    double longestFlushMs = 0.0;
    double longestCallMs = 0.0; // with the calls timed
};

// One copy as the wizard makes it, into a new `destination`: the safety net
// begun, the tree copied, the commit with a stamp. With a window the bar and
// the status line show the copy; without one nothing is shown.
template <typename Copier>
NetRun CopyThroughNet(ProgressWindow* window, const std::string& source,
                      const std::string& destination, int64_t total,
                      const CChecksumList* sums = nullptr) {
    NetRun run;
    CreateDirectoryA(destination.c_str(), nullptr);
    CPromptQuestions person(window ? window->Frame() : nullptr);
    ICopyReport nothingShown;
    std::unique_ptr<CWindowCopyReport> screen;
    if (window) {
        window->Progress().SetRange32(0, CWindowCopyReport::RangeFor(total));
        screen.reset(new CWindowCopyReport(&window->Progress(), &window->Status()));
        screen->SetPackageTotal(total);
    }
    const double start = Seconds();
    TimedTransaction transaction(destination.c_str());
    transaction.SetTemporariesFlushedByCaller(true);
    bool ok = transaction.Begin();
    Copier copier(transaction, person, screen ? static_cast<ICopyReport&>(*screen) : nothingShown);
    std::unique_ptr<CCopyVerifier> verifier;
    if (sums) {
        verifier.reset(new CCopyVerifier(*sums, source));
        copier.SetVerifier(verifier.get());
    }
    if (ok) {
        run.copied = RunCopier(copier, source, destination);
        VersionStamp stamp;
        stamp.version = 51;
        stamp.build = 40630;
        stamp.key = MakeStampKey(stamp.version, stamp.build);
        ok = transaction.Commit((destination + "\\Versione.txt").c_str(), stamp);
    }
    run.seconds = Seconds() - start;
    run.longestFlushMs = transaction.longestFlushMs;
    if constexpr (std::is_same<Copier, TimedCallsCopier>::value)
        run.longestCallMs = copier.longestCallMs;
    if (!ok)
        std::printf("  the safety net failed in %s\n", destination.c_str());
    return run;
}

bool CopyWithCopyFile(const std::string& source, const std::string& destination) {
    TreeVisitor visitor;
    visitor.onFolder = [](const std::string& folder) {
        return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    };
    visitor.onFile = [](const std::string& from, const std::string& to) {
        return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
    };
    return WalkTree(source, destination, visitor);
}

// CopyFileA, then each copy's data flushed to the disk: what a copy that
// counts only once it is on the disk costs with the platform's own copy.
bool CopyWithDurableCopyFile(const std::string& source, const std::string& destination) {
    TreeVisitor visitor;
    visitor.onFolder = [](const std::string& folder) {
        return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    };
    visitor.onFile = [](const std::string& from, const std::string& to) {
        if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
            return false;
        HANDLE file = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const bool flushed = FlushFileBuffers(file) != FALSE;
        CloseHandle(file);
        return flushed;
    };
    return WalkTree(source, destination, visitor);
}

// The checksum file of a tree, as updpack writes it for the package's
// InstDir; `hashing` gets the time the SHA-256 alone took over the files.
bool ChecksumsOf(const std::string& source, CChecksumList& sums, double& hashing) {
    std::vector<ChecksumLine> lines;
    std::vector<char> buffer(1 << 20);
    hashing = 0.0;
    TreeVisitor visitor;
    visitor.onFolder = [](const std::string&) { return true; };
    visitor.onFile = [&](const std::string& from, const std::string&) {
        HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (in == INVALID_HANDLE_VALUE)
            return false;
        CSha256 hash;
        ChecksumLine line{"InstDir" + from.substr(source.size()), {}};
        DWORD read = 0;
        bool ok = true;
        while ((ok = ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                              nullptr) != FALSE) &&
               read > 0) {
            const double start = Seconds();
            hash.Add(buffer.data(), read);
            hashing += Seconds() - start;
        }
        CloseHandle(in);
        const double start = Seconds();
        ok = ok && hash.Finish(line.digest);
        hashing += Seconds() - start;
        lines.push_back(line);
        return ok;
    };
    std::string text;
    ChecksumError error;
    return WalkTree(source, source, visitor) && FormatChecksumFile(lines, text) &&
           sums.Parse(text, error);
}

bool CopyWithBareLoop(const std::string& source, const std::string& destination) {
    TreeVisitor visitor;
    visitor.onFolder = [](const std::string& folder) {
        return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    };
    visitor.onFile = [](const std::string& from, const std::string& to) {
        HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        bool ok = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE;
        char buffer[1024];
        DWORD read = 0;
        while (ok && ReadFile(in, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            DWORD written = 0;
            ok = WriteFile(out, buffer, read, &written, nullptr) && written == read;
        }
        if (in != INVALID_HANDLE_VALUE)
            CloseHandle(in);
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
        return ok;
    };
    return WalkTree(source, destination, visitor);
}

// The least that writing every file under a temporary name costs here: the
// same bare copy (64 KiB blocks) into a temporary beside the file, renamed
// into place; no journal, no flushes.
bool CopyThroughTemporaries(const std::string& source, const std::string& destination) {
    TreeVisitor visitor;
    visitor.onFolder = [](const std::string& folder) {
        return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    };
    visitor.onFile = [](const std::string& from, const std::string& to) {
        const std::string temporary = to + ".tmp";
        HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        HANDLE out = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        bool ok = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE;
        std::vector<char> buffer(CTreeCopier::kBlockSize);
        DWORD read = 0;
        while (ok && ReadFile(in, buffer.data(), CTreeCopier::kBlockSize, &read, nullptr) &&
               read > 0) {
            DWORD written = 0;
            ok = WriteFile(out, buffer.data(), read, &written, nullptr) && written == read;
        }
        if (in != INVALID_HANDLE_VALUE)
            CloseHandle(in);
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
        return ok && MoveFileExA(temporary.c_str(), to.c_str(), 0);
    };
    return WalkTree(source, destination, visitor);
}

bool CopyWithXcopy(const std::string& source, const std::string& destination) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    std::string command = std::string("\"") + system + "\\xcopy.exe\" /E /Y /I \"" + source +
                          "\" \"" + destination + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    DWORD exitCode = 1;
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(nul);
    return started && exitCode == 0;
}

struct Results {
    std::vector<double> wizard, copierNoWindow, verified, copyFile, durableCopyFile, xcopy, bare,
        temporaries, hashing;
    double longestGapMs = 0.0;
    int64_t bytes = 0;
};

double PeakWorkingSetMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0.0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

void PrintLine(const char* name, const std::vector<double>& runs, double xcopy, double bare) {
    const double median = Median(runs);
    std::printf("  %-22s %8.3f s   %5.2fx xcopy   %5.2fx bare\n", name, median,
                xcopy > 0 ? median / xcopy : 0.0, bare > 0 ? median / bare : 0.0);
}

void RunTree(const char* label, const std::string& source, const std::string& work, int64_t bytes,
             int reps, ProgressWindow& window, Results& results) {
    int64_t total = 0;
    AddFolderSizeTo(source.c_str(), total);
    if (total != bytes)
        std::printf("  size walk found %lld bytes, %lld written\n", static_cast<long long>(total),
                    static_cast<long long>(bytes));
    results.bytes = bytes;
    CChecksumList sums;
    int run = 0;
    auto timed = [&](std::vector<double>& into, auto copy) {
        const std::string destination = work + "\\out" + std::to_string(run++);
        const double start = Seconds();
        const bool ok = copy(destination);
        into.push_back(Seconds() - start);
        if (!ok)
            std::printf("  a copy into %s failed\n", destination.c_str());
        RemoveTree(destination);
    };
    for (int rep = 0; rep < reps; ++rep) {
        {
            // As the wizard copies: every file through the safety net, then the commit.
            const std::string destination = work + "\\out" + std::to_string(run++);
            const NetRun net = CopyThroughNet<CTreeCopier>(&window, source, destination, total);
            results.wizard.push_back(net.seconds);
            results.longestGapMs = std::max(results.longestGapMs, net.copied.longestGapMs);
            std::printf("  wizard's copy run %d: %llu looks into the queue, longest gap %.2f ms, "
                        "longest journal flush %.2f ms\n",
                        rep + 1, static_cast<unsigned long long>(net.copied.looks),
                        net.copied.longestGapMs, net.longestFlushMs);
            RemoveTree(destination);
        }
        {
            // The wizard's copy of a package with a checksum file: every file
            // hashed as it is read. The SHA-256 alone over the same files first.
            double hashing = 0.0;
            if (!ChecksumsOf(source, sums, hashing))
                std::printf("  the checksums of %s could not be made\n", source.c_str());
            results.hashing.push_back(hashing);
            const std::string destination = work + "\\out" + std::to_string(run++);
            const NetRun net =
                CopyThroughNet<CTreeCopier>(&window, source, destination, total, &sums);
            results.verified.push_back(net.seconds);
            results.longestGapMs = std::max(results.longestGapMs, net.copied.longestGapMs);
            RemoveTree(destination);
        }
        {
            // The same copy without controls: what the window costs.
            const std::string destination = work + "\\out" + std::to_string(run++);
            const NetRun net = CopyThroughNet<CTreeCopier>(nullptr, source, destination, total);
            results.copierNoWindow.push_back(net.seconds);
            RemoveTree(destination);
        }
        timed(results.copyFile,
              [&](const std::string& to) { return CopyWithCopyFile(source, to); });
        timed(results.durableCopyFile,
              [&](const std::string& to) { return CopyWithDurableCopyFile(source, to); });
        timed(results.xcopy, [&](const std::string& to) { return CopyWithXcopy(source, to); });
        timed(results.bare, [&](const std::string& to) { return CopyWithBareLoop(source, to); });
        timed(results.temporaries,
              [&](const std::string& to) { return CopyThroughTemporaries(source, to); });
    }

    // One more run as the wizard's, not timed: how long the single reads and writes take.
    const std::string destination = work + "\\out" + std::to_string(run++);
    window.Progress().moves = 0;
    window.Progress().movesMs = 0.0;
    window.Progress().longestMoveMs = 0.0;
    const NetRun instrumented =
        CopyThroughNet<TimedCallsCopier>(&window, source, destination, total);
    RemoveTree(destination);

    const double xcopy = Median(results.xcopy);
    const double bare = Median(results.bare);
    std::printf("%s: %lld bytes, medians of %d runs\n", label, static_cast<long long>(bytes), reps);
    PrintLine("wizard's copy (net, window)", results.wizard, xcopy, bare);
    PrintLine("same copy, no window", results.copierNoWindow, xcopy, bare);
    PrintLine("wizard's copy, verified", results.verified, xcopy, bare);
    PrintLine("CopyFileA per file", results.copyFile, xcopy, bare);
    PrintLine("CopyFileA + flush", results.durableCopyFile, xcopy, bare);
    PrintLine("xcopy /E /Y /I", results.xcopy, xcopy, bare);
    PrintLine("bare 1024-byte loop", results.bare, xcopy, bare);
    PrintLine("temporary + rename", results.temporaries, xcopy, bare);
    PrintLine("SHA-256 alone", results.hashing, xcopy, bare);
    std::printf("  window: %+.0f%% over the same copy without one; peak working set %.1f MB\n",
                Median(results.copierNoWindow) > 0
                    ? (Median(results.wizard) / Median(results.copierNoWindow) - 1) * 100
                    : 0.0,
                PeakWorkingSetMb());
    std::printf("  longest gap between looks into the queue: %.2f ms (timed runs)\n",
                results.longestGapMs);
    std::printf("  instrumented run: longest gap %.2f ms; longest read or write %.2f ms, "
                "journal flush %.2f ms, bar move %.2f ms; bar moved %d times in %.0f ms\n",
                instrumented.copied.longestGapMs, instrumented.longestCallMs,
                instrumented.longestFlushMs, window.Progress().longestMoveMs,
                window.Progress().moves, window.Progress().movesMs);
}

void PrintCallCosts(ProgressWindow& window) {
    const int clockReads = 200000;
    double start = Seconds();
    for (int i = 0; i < clockReads; ++i)
        Seconds();
    const double clockNs = (Seconds() - start) * 1e9 / clockReads;

    FlushMessages();
    MSG msg;
    const int peeks = 2000;
    start = Seconds();
    for (int i = 0; i < peeks; ++i)
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const double peekUs = (Seconds() - start) * 1e6 / peeks;

    const int moves = 200;
    window.Progress().SetRange32(0, moves);
    start = Seconds();
    for (int i = 1; i <= moves; ++i)
        window.Progress().SetPos(i);
    const double moveMs = (Seconds() - start) * 1e3 / moves;
    FlushMessages();

    start = Seconds();
    for (int i = 0; i < moves; ++i) {
        window.Status().SetWindowText(i % 2 ? "Copia in C:\\a\\b.txt" : "Copia in C:\\a\\c.txt");
        FlushMessages();
    }
    const double textMs = (Seconds() - start) * 1e3 / moves;
    std::printf("costs: clock read %.0f ns, empty look into the queue %.1f us, "
                "bar moved %.3f ms, status text shown %.3f ms\n",
                clockNs, peekUs, moveMs, textMs);
}

} // namespace

int main(int argc, char** argv) {
    int reps = 5;
    const char* only = "";
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--reps") == 0)
            reps = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--only") == 0)
            only = argv[i + 1];
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ProgressWindow window;
    if (!window.Create()) {
        std::printf("cannot create the window\n");
        return 1;
    }

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string work =
        std::string(temp) + "copy_bench_" + std::to_string(GetCurrentProcessId());
    RemoveTree(work);
    CreateDirectoryA(work.c_str(), nullptr);

    PrintCallCosts(window);

    const std::string small = work + "\\small";
    const int64_t smallBytes = GenerateTree(small, {2000, 1024, 20 * 1024, 3, 4});
    const std::string large = work + "\\large";
    const int64_t largeBytes = GenerateTree(large, {10, 20 << 20, 20 << 20, 0, 0});
    if (smallBytes < 0 || largeBytes < 0) {
        std::printf("cannot generate the trees in %s\n", work.c_str());
        RemoveTree(work);
        return 1;
    }

    Results smallResults, largeResults;
    if (std::strcmp(only, "large") != 0)
        RunTree("2000 files of 1-20 KB in 4 levels", small, work, smallBytes, reps, window,
                smallResults);
    if (std::strcmp(only, "small") != 0)
        RunTree("10 files of 20 MB", large, work, largeBytes, reps, window, largeResults);
    RemoveTree(work);

    auto ratio = [](const std::vector<double>& runs, const std::vector<double>& base) {
        return base.empty() ? 0.0 : Median(runs) / Median(base);
    };
    const double smallVsXcopy = ratio(smallResults.wizard, smallResults.xcopy);
    const double largeVsBare = ratio(largeResults.wizard, largeResults.bare);
    const double largeVsCopyFile = ratio(largeResults.wizard, largeResults.copyFile);
    const double maxGap = std::max(smallResults.longestGapMs, largeResults.longestGapMs);
    const double verifiedVsUnverified = ratio(largeResults.verified, largeResults.wizard);
    const double hashing = largeResults.hashing.empty() ? 0.0 : Median(largeResults.hashing);
    const double sha256Mbps = hashing > 0 ? largeResults.bytes / hashing / 1e6 : 0.0;
    const double largeVsDurable = ratio(largeResults.wizard, largeResults.durableCopyFile);
    std::printf("small-vs-xcopy=%.2f large-vs-bare=%.2f large-vs-copyfile=%.2f max-gap-ms=%.1f "
                "verified-vs-unverified=%.2f sha256-mbps=%.0f large-vs-durable-copyfile=%.2f\n",
                smallVsXcopy, largeVsBare, largeVsCopyFile, maxGap, verifiedVsUnverified,
                sha256Mbps, largeVsDurable);
    return 0;
}
