// The cost of the update safety net on many small files: what one
// FlushFileBuffers costs here, a file put in place by a bare rename, the same
// through CInstallTransaction (one journal record and one flush per Place),
// the commit's clean-up and a rollback, and xcopy of the same tree for scale.
// Prints figures; asserts nothing.
// Usage: txn_bench [--reps N] [--files N]
#include "BenchClock.h"
#include "fileops/InstallTransaction.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

double NowMs() {
    return Seconds() * 1000.0;
}

bool WriteWhole(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool WriteFileAt(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = WriteWhole(file, bytes);
    return CloseHandle(file) && ok;
}

void RemoveAll(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveAll(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(listing, &entry));
        FindClose(listing);
    }
    RemoveDirectoryA(folder.c_str());
}

// `files` files of 1 to 4 KiB in folders of 100, every one to be replaced.
std::vector<std::string> MakeTree(const std::string& root, int files, const char* fill) {
    RemoveAll(root);
    CreateDirectoryA(root.c_str(), nullptr);
    std::vector<std::string> relative;
    for (int i = 0; i < files; ++i) {
        const std::string folder = "dir" + std::to_string(i / 100);
        if (i % 100 == 0)
            CreateDirectoryA((root + "\\" + folder).c_str(), nullptr);
        relative.push_back(folder + "\\file" + std::to_string(i) + ".dat");
        WriteFileAt(root + "\\" + relative.back(), std::string(1024 + (i * 37) % 3072, fill[0]));
    }
    return relative;
}

struct Figures {
    std::vector<double> flushUs, fastestFlushUs, bareMs, tempMs, placeMs, commitMs, rollbackMs,
        xcopyMs;
};

void MeasureFlush(const std::string& root, Figures& figures) {
    const std::string path = root + "\\flush.bin";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string record(120, 'r');
    const int count = 500;
    const double start = NowMs();
    double fastest = 1e9;
    for (int i = 0; i < count; ++i) {
        const double one = NowMs();
        WriteWhole(file, record);
        FlushFileBuffers(file);
        fastest = std::min(fastest, (NowMs() - one) * 1000.0);
    }
    figures.flushUs.push_back((NowMs() - start) * 1000.0 / count);
    figures.fastestFlushUs.push_back(fastest);
    CloseHandle(file);
    DeleteFileA(path.c_str());
}

// The same replacement without a safety net: a temporary beside, renamed over.
void MeasureBare(const std::string& install, const std::vector<std::string>& files,
                 Figures& figures) {
    const double start = NowMs();
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string destination = install + "\\" + files[i];
        const std::string temporary = destination + ".new";
        WriteFileAt(temporary, std::string(1024 + (i * 37) % 3072, 'n'));
        MoveFileExA(temporary.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    figures.bareMs.push_back(NowMs() - start);
}

bool MeasureTransaction(const std::string& install, const std::vector<std::string>& files,
                        bool commit, Figures& figures) {
    CInstallTransaction txn(install.c_str());
    if (!txn.Begin())
        return false;
    double temporaries = 0, places = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const double start = NowMs();
        std::string temporary;
        HANDLE file = txn.CreateTemporary(temporary);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const bool written = WriteWhole(file, std::string(1024 + (i * 37) % 3072, 'n'));
        if (!CloseHandle(file) || !written)
            return false;
        const double placing = NowMs();
        if (txn.Place(temporary, (install + "\\" + files[i]).c_str()) != ERROR_SUCCESS)
            return false;
        temporaries += placing - start;
        places += NowMs() - placing;
    }
    figures.tempMs.push_back(temporaries);
    figures.placeMs.push_back(places);
    const double start = NowMs();
    const bool ended = commit ? txn.Commit((install + "\\Versione.txt").c_str(),
                                           VersionStamp{51, 40630, MakeStampKey(51, 40630)})
                              : txn.Rollback();
    (commit ? figures.commitMs : figures.rollbackMs).push_back(NowMs() - start);
    return ended;
}

void MeasureXcopy(const std::string& source, const std::string& install, Figures& figures) {
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system)
        return;
    std::string command = std::string("\"") + system + "\\xcopy.exe\" /E /Y /I /Q \"" + source +
                          "\" \"" + install + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process{};
    const double start = NowMs();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return;
    WaitForSingleObject(process.hProcess, INFINITE);
    figures.xcopyMs.push_back(NowMs() - start);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace

int main(int argc, char** argv) {
    int reps = 3;
    int files = 2000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--reps") == 0)
            reps = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--files") == 0)
            files = std::max(1, std::atoi(argv[i + 1]));
    }
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp)
        return 1;
    const std::string root =
        std::string(temp) + "kvu-bench-" + std::to_string(GetCurrentProcessId());
    const std::string install = root + "\\inst";
    const std::string source = root + "\\src";
    CreateDirectoryA(root.c_str(), nullptr);

    Figures figures;
    bool ok = true;
    MakeTree(source, files, "n");
    for (int rep = 0; rep < reps && ok; ++rep) {
        MeasureFlush(root, figures);
        std::vector<std::string> names = MakeTree(install, files, "o");
        WriteFileAt(install + "\\Versione.txt", "@versione=5.0  @build=04.04.15");
        MeasureBare(install, names, figures);
        MakeTree(install, files, "o");
        WriteFileAt(install + "\\Versione.txt", "@versione=5.0  @build=04.04.15");
        ok = MeasureTransaction(install, names, true, figures) &&
             MeasureTransaction(install, names, false, figures);
        MakeTree(install, files, "o");
        MeasureXcopy(source, install, figures);
    }
    RemoveAll(root);
    if (!ok) {
        std::printf("a transaction step failed\n");
        return 1;
    }
    const double n = files;
    std::printf("safety net, %d files of 1-4 KiB replaced, medians of %d runs\n", files, reps);
    std::printf("  WriteFile + FlushFileBuffers of one record   %8.1f us (fastest %.1f us)\n",
                Median(figures.flushUs), Median(figures.fastestFlushUs));
    std::printf("  bare temporary + rename over, per file       %8.1f us\n",
                Median(figures.bareMs) * 1000.0 / n);
    std::printf("  CreateTemporary + write + close, per file    %8.1f us\n",
                Median(figures.tempMs) * 1000.0 / n);
    std::printf("  Place (probe, record + flush, 2 renames)     %8.1f us\n",
                Median(figures.placeMs) * 1000.0 / n);
    std::printf("  Commit (stamp + clean-up), per file          %8.1f us\n",
                Median(figures.commitMs) * 1000.0 / n);
    std::printf("  Rollback, per file                           %8.1f us\n",
                Median(figures.rollbackMs) * 1000.0 / n);
    std::printf("  xcopy /E /Y /I of the same tree, per file    %8.1f us\n",
                Median(figures.xcopyMs) * 1000.0 / n);
    return 0;
}
