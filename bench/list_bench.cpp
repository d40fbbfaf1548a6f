// Starts the built program over generated installations and package lists
// of several sizes, as a customer would, and measures from outside:
//   shown  start until the wizard answers (its Cancel button is shown)
//   list   start until the tree holds every item and the list screen is up,
//          and the longest the wizard took meanwhile to answer a message
//   exit   start until the process has ended after Esci and "Sì"
//   peak   the program's peak working set
// The large lists press Esci as soon as the wizard answers (can the user
// leave at once?) and, in a second run, only once the list is complete
// (what does it cost to hold it and to let it go?). Prints the median of
// several runs and ends with one line for scripts:
//   list-1000-ms=A list-20000-ms=B list-50mb-exit-ms=C
// Usage: list_bench [--reps N] [--only NAME] [--program KVELMORA_EXE]
// (the program of this build by default; another build's for comparisons)
#include "BenchClock.h"
#include "driver/FileSystem.h"
#include "driver/InstallationKey.h"
#include "driver/MessageBoxView.h"
#include "driver/ProcessWindows.h"
#include "driver/RemoteProcess.h"
#include "driver/RemoteTree.h"
#include "driver/Wait.h"
#include "driver/WizardControls.h"

#include "TempFolder.h"
#include "TestFiles.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// Long enough for the slowest figure measured before the list was made fast.
constexpr DWORD kBoundMs = 600000;
constexpr std::size_t kFiftyMegabytes = 50u * 1024 * 1024;

// -1 marks a figure that was not measured.
double MedianOrNone(const std::vector<double>& values) {
    return Median(values, -1.0);
}

// One package list and what the tree must hold once it is shown.
struct ListShape {
    std::string text;
    unsigned items = 0; // entries and detail lines, as tree items
};

std::string EntryLine(unsigned index) {
    char line[64];
    // Dates stay valid (days 01..28, months 01..12) and grow with the index.
    std::snprintf(line, sizeof line, "-> @versione=5.%u  @build=%02u.%02u.%02u\r\n", index % 10,
                  4 + index / 336 % 90, 1 + index / 28 % 12, 1 + index % 28);
    return line;
}

// entries entries of details detail lines each.
ListShape EntriesWithDetails(unsigned entries, unsigned details) {
    ListShape shape;
    shape.text.reserve(static_cast<std::size_t>(entries) * (40 + details * 48));
    for (unsigned e = 0; e < entries; ++e) {
        shape.text += EntryLine(e);
        for (unsigned d = 0; d < details; ++d)
            shape.text += "Correzione numero " + std::to_string(d) + " della stampa fatture\r\n";
    }
    shape.items = entries * (details + 1);
    return shape;
}

// A list of about size bytes: entries of details lines each, the last one
// cut short where the size is reached.
ListShape SizedList(std::size_t size, unsigned details) {
    ListShape shape;
    shape.text.reserve(size + 256);
    unsigned entry = 0;
    while (shape.text.size() < size) {
        shape.text += EntryLine(entry++);
        ++shape.items;
        for (unsigned d = 0; d < details && shape.text.size() < size; ++d) {
            shape.text += "Riga " + std::to_string(d) + " della descrizione\r\n";
            ++shape.items;
        }
    }
    return shape;
}

struct Case {
    const char* name;
    ListShape (*make)();
    bool leaveEarly; // press Esci as soon as the wizard answers
};

const Case kCases[] = {
    {"list-1000", [] { return EntriesWithDetails(1000, 2); }, false},
    {"list-20000", [] { return EntriesWithDetails(20000, 2); }, false},
    // One entry of about two million detail lines.
    {"list-50mb-details-early", [] { return SizedList(kFiftyMegabytes, ~0u); }, true},
    {"list-50mb-details-full", [] { return SizedList(kFiftyMegabytes, ~0u); }, false},
    // About 1.4 million entries of no details.
    {"list-50mb-entries-early", [] { return SizedList(kFiftyMegabytes, 0); }, true},
    {"list-50mb-entries-full", [] { return SizedList(kFiftyMegabytes, 0); }, false},
};

struct Figures {
    double shownMs = -1, listMs = -1, exitMs = -1, esciMs = -1, peakMb = -1;
    double answerMs = 0; // the longest wait for the wizard to answer while the list loads
    unsigned itemsSeen = 0;
    bool ok = false;
};

unsigned TreeCount(HWND tree) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(tree, TVM_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &count))
        return 0;
    return static_cast<unsigned>(count);
}

// How long the window takes to answer a message that asks nothing.
double AnswerMs(HWND window) {
    const double start = Seconds();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kBoundMs, &result);
    return (Seconds() - start) * 1e3;
}

double PeakMegabytes(const RemoteProcess& process) {
    HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.Id());
    if (!handle)
        return -1;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    const BOOL ok = GetProcessMemoryInfo(handle, &counters, sizeof counters);
    CloseHandle(handle);
    return ok ? static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0) : -1;
}

// Esci, then "Sì" in the box that asks; true once the process has ended.
bool LeaveByEsci(RemoteProcess& process, RemoteWindow wizard) {
    if (!wizard.Child(ui::kCancel).Click())
        return false;
    const ProcessWindows windows(process.Id());
    RemoteWindow box;
    if (!WaitFor(
            [&] {
                box = windows.MessageBox();
                return static_cast<bool>(box) || !process.Running();
            },
            kBoundMs, 2))
        return false;
    if (box && !MessageBoxView(box).Answer(IDYES))
        return false;
    return process.WaitExit(kBoundMs);
}

Figures RunOnce(const std::string& program, const Case& c, const ListShape& list) {
    Figures figures;
    TempFolder root("tessaro-list-bench");
    const std::string media = root.Sub("media");
    const std::string install = root.Sub("Tessaro");
    if (!root.Made() || !MakeFolders(install) ||
        !WriteBytes(install + "\\Versione.txt", "@versione=5.0  @build=04.04.15") ||
        !WriteBytes(media + "\\r2718upd.dat\\r2718upd.txt", list.text) ||
        !WriteBytes(media + "\\r2718upd.dat\\sizeofupds.txt", "4\r\n") ||
        !WriteBytes(media + "\\r2718upd.dat\\InstDir\\a.txt", "dati") ||
        !CopyFileA(program.c_str(), (media + "\\kvelmora.exe").c_str(), FALSE)) {
        std::fprintf(stderr, "%s: cannot lay out the package\n", c.name);
        return figures;
    }
    InstallationKey key(install);
    if (!key.Registered()) {
        std::fprintf(stderr, "%s: cannot register the installation\n", c.name);
        return figures;
    }

    const double start = Seconds();
    RemoteProcess process = RemoteProcess::Start(media + "\\kvelmora.exe", 0);
    if (!process.Started()) {
        std::fprintf(stderr, "%s: cannot start the program (%lu)\n", c.name,
                     static_cast<unsigned long>(process.LastError()));
        return figures;
    }
    const ProcessWindows windows(process.Id());
    RemoteWindow wizard;
    if (!WaitFor(
            [&] {
                wizard = windows.Dialog(kCaption, ui::kNext);
                return (wizard.Visible() && wizard.Child(ui::kCancel).Visible()) ||
                       !process.Running();
            },
            kBoundMs, 2) ||
        !process.Running()) {
        std::fprintf(stderr, "%s: the wizard did not come\n", c.name);
        return figures;
    }
    figures.shownMs = (Seconds() - start) * 1e3;
    const HWND tree = wizard.Child(ui::kTree).Handle();

    if (!c.leaveEarly) {
        // The whole list is in once the tree holds every item and Next is
        // shown again (a long load holds it back until the end).
        if (!WaitFor(
                [&] {
                    figures.answerMs = std::max(figures.answerMs, AnswerMs(wizard.Handle()));
                    return (TreeCount(tree) >= list.items && wizard.Child(ui::kNext).Visible()) ||
                           !process.Running();
                },
                kBoundMs, 2)) {
            std::fprintf(stderr, "%s: the tree holds %u of %u items\n", c.name, TreeCount(tree),
                         list.items);
            return figures;
        }
        figures.itemsSeen = TreeCount(tree);
        wizard.Child(ui::kNext).Click();
        if (!WaitFor([&] { return wizard.Child(ui::kTree).Visible(); }, kBoundMs, 2)) {
            std::fprintf(stderr, "%s: the list screen did not come\n", c.name);
            return figures;
        }
        figures.listMs = (Seconds() - start) * 1e3;
    }
    figures.peakMb = PeakMegabytes(process);
    const double esci = Seconds();
    if (!LeaveByEsci(process, wizard)) {
        std::fprintf(stderr, "%s: the program did not end after Esci\n", c.name);
        return figures;
    }
    figures.exitMs = (Seconds() - start) * 1e3;
    figures.esciMs = (Seconds() - esci) * 1e3;
    figures.ok = true;
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    int reps = 3;
    const char* only = nullptr;
    std::string program = TESSARO_KVELMORA_EXE;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--reps") && i + 1 < argc)
            reps = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--only") && i + 1 < argc)
            only = argv[++i];
        else if (!std::strcmp(argv[i], "--program") && i + 1 < argc)
            program = argv[++i];
    }
    program = FromHostPath(program);
    InstallationKey::Remove();

    double list1000 = -1, list20000 = -1, exit50 = -1;
    for (const Case& c : kCases) {
        if (only && !std::strstr(c.name, only))
            continue;
        const ListShape list = c.make();
        std::vector<double> shown, listed, ended, esci, peak, answer;
        for (int r = 0; r < reps; ++r) {
            const Figures f = RunOnce(program, c, list);
            if (!f.ok)
                continue;
            shown.push_back(f.shownMs);
            if (f.listMs >= 0)
                listed.push_back(f.listMs);
            ended.push_back(f.exitMs);
            esci.push_back(f.esciMs);
            answer.push_back(f.answerMs);
            peak.push_back(f.peakMb);
        }
        std::printf("%-24s %4.1f MB, %7u items: shown %6.0f ms, list %6.0f ms (answers within "
                    "%4.0f ms), exit %6.0f ms (%5.0f after Esci), peak %4.0f MB (%zu of %d runs)\n",
                    c.name, static_cast<double>(list.text.size()) / (1024.0 * 1024.0), list.items,
                    MedianOrNone(shown), MedianOrNone(listed), MedianOrNone(answer),
                    MedianOrNone(ended), MedianOrNone(esci), MedianOrNone(peak), ended.size(),
                    reps);
        std::fflush(stdout);
        if (!std::strcmp(c.name, "list-1000"))
            list1000 = MedianOrNone(listed);
        else if (!std::strcmp(c.name, "list-20000"))
            list20000 = MedianOrNone(listed);
        else if (std::strstr(c.name, "-early") && !ended.empty())
            exit50 = std::max(exit50, MedianOrNone(ended));
    }
    std::printf("list-1000-ms=%.0f list-20000-ms=%.0f list-50mb-exit-ms=%.0f\n", list1000,
                list20000, exit50);
    return 0;
}
