// Drives the 32-bit release kvelmora.exe inside the emulated computer of
// scripts/release-vm.sh. It is built for i686 like the program: reading the
// wizard's tree items and progress bar from outside needs the same bitness.
// Every line it prints is "key: value" for the guest script to keep.
//
//   vm_driver run PROGRAM DIVISOR ARGS...          start, wait, print the exit code
//   vm_driver hold FILE PROGRAM DIVISOR ARGS...    the same with FILE held open
//                                                   without sharing all along
//   vm_driver kill LOG FILE PROGRAM ARGS...         FILE held, the run killed once
//                                                   its log shows the copy under way
//   vm_driver walk PROGRAM EXCHANGE HELD            the wizard screen by screen; at
//                                                   each, NAME.ready then wait NAME.done
#include "driver/FileSystem.h"
#include "driver/MessageBoxView.h"
#include "driver/ProcessWindows.h"
#include "driver/RemoteProcess.h"
#include "driver/RemoteProgressBar.h"
#include "driver/RemoteTree.h"
#include "driver/Wait.h"
#include "driver/WizardControls.h"
#include "driver/WizardPages.h"

#include "ExclusiveHold.h"
#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace e2e;

namespace {

constexpr DWORD kRunBoundMs = 240000;
constexpr DWORD kScreenBoundMs = 60000;
constexpr DWORD kSettleMs = 600;
const char kCorrect[] = "Programma di Aggiornamento Tessaro Vers. 0002 terminato in modo corretto.";

void Say(const char* key, const std::string& value) {
    std::printf("%s: %s\n", key, value.c_str());
    std::fflush(stdout);
}

int Fail(const std::string& what) {
    Say("error", what);
    return 1;
}

std::string Arguments(int argc, char** argv, int first) {
    std::string line;
    for (int i = first; i < argc; ++i)
        line += (line.empty() ? "" : " ") + std::string(argv[i]);
    return line;
}

// Waits for the end of a run and prints its whole exit code (a Linux parent
// would see only the low 8 bits).
int Finish(RemoteProcess& process) {
    if (!process.WaitExit(kRunBoundMs)) {
        process.Kill();
        return Fail("the program did not end in time");
    }
    DWORD code = 0;
    process.ExitCode(code);
    Say("exit", std::to_string(code));
    return 0;
}

int Run(const std::string& program, int divisor, const std::string& arguments) {
    RemoteProcess process = RemoteProcess::Start(program, 0, arguments, divisor);
    if (!process.Started())
        return Fail("cannot start " + program + " (error " + std::to_string(process.LastError()) +
                    ")");
    return Finish(process);
}

int Hold(const std::string& file, const std::string& program, int divisor,
         const std::string& arguments) {
    ExclusiveHold held(file);
    if (!held.IsHeld())
        return Fail("cannot hold " + file);
    Say("held", file);
    return Run(program, divisor, arguments);
}

// The log as far as it is written: the program keeps it open for writing and
// lets others read it.
bool ReadLog(const std::string& path, std::string& text) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    text.clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return true;
}

int CountOf(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::string::size_type at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size()))
        ++count;
    return count;
}

// The run cannot finish while FILE is held: it is killed (as a crash would
// end it) once the copy has started and, where the order allows, after at
// least one file has been copied.
int Kill(const std::string& log, const std::string& file, const std::string& program,
         const std::string& arguments) {
    ExclusiveHold held(file);
    if (!held.IsHeld())
        return Fail("cannot hold " + file);
    RemoteProcess process = RemoteProcess::Start(program, 0, arguments, 1);
    if (!process.Started())
        return Fail("cannot start " + program);
    std::string text;
    if (!WaitFor([&] { return ReadLog(log, text) && CountOf(text, "Copia dei file iniziata") > 0; },
                 kRunBoundMs, 50))
        return process.Kill(), Fail("the copy did not start");
    WaitFor([&] { return ReadLog(log, text) && CountOf(text, "Copiato: ") > 0; }, 10000, 20);
    if (!process.Running())
        return Fail("the program ended before it could be killed");
    process.Kill();
    process.WaitExit(10000);
    ReadLog(log, text);
    Say("killed after files copied", std::to_string(CountOf(text, "Copiato: ")));
    return 0;
}

class Walk {
public:
    Walk(std::string program, std::string exchange, std::string held)
        : m_program(std::move(program)), m_exchange(std::move(exchange)), m_held(std::move(held)) {}
    int Run();

private:
    bool Shot(const std::string& title);
    bool ClickWhenReady(int id) { return e2e::ClickWhenReady(m_wizard, id, kScreenBoundMs); }
    RemoteWindow FinishPage() const { return FinishPageOf(m_wizard); }

    std::string m_program;
    std::string m_exchange;
    std::string m_held;
    RemoteProcess m_process;
    RemoteWindow m_wizard;
    int m_shots = 0;
};

bool Walk::Shot(const std::string& title) {
    Sleep(kSettleMs);
    const std::string name = std::to_string(++m_shots) + "-" + title;
    const std::string done = m_exchange + "\\" + name + ".done";
    if (!WriteBytes(m_exchange + "\\" + name + ".ready", name))
        return Fail("cannot write to the exchange folder"), false;
    if (!WaitFor([&] { return Exists(done); }, kScreenBoundMs))
        return Fail("no screenshot taken of " + name), false;
    Say("screen", name);
    return true;
}

int Walk::Run() {
    m_process = RemoteProcess::Start(m_program, kScreenBoundMs, "", 20);
    if (!m_process.Started())
        return Fail("cannot start " + m_program);
    const ProcessWindows windows(m_process.Id());
    if (!WaitFor(
            [&] {
                m_wizard = windows.Dialog(kCaption, ui::kNext);
                return m_wizard.Visible() && m_wizard.Child(ui::kNext).Visible();
            },
            kScreenBoundMs)) {
        const MessageBoxView box(windows.MessageBox());
        return Fail(box ? "the program says: " + box.Text() : "no welcome screen");
    }
    Say("welcome", m_wizard.PageControl(ui::kWelcomeMarker, ui::kPageText).Text());
    if (!Shot("benvenuto"))
        return 1;

    if (!ClickWhenReady(ui::kNext))
        return Fail("Avanti> cannot be pressed");
    const RemoteWindow tree = m_wizard.PageControl(ui::kTree, ui::kTree);
    if (!WaitFor([&] { return tree.Visible(); }, kScreenBoundMs))
        return Fail("no list screen");
    std::vector<TreeItem> items;
    if (!RemoteTree(tree).Read(items))
        return Fail("the list cannot be read");
    for (const TreeItem& item : items) {
        Say(item.bold ? "update (bold)" : "update", item.text);
        for (const TreeItem& line : item.children)
            Say("  detail", line.text);
    }
    for (const TreeItem& item : items) {
        if (item.bold) {
            RemoteTree(tree).Expand(item.handle);
            break;
        }
    }
    if (!items.empty())
        SendMessageTimeoutA(tree.Handle(), TVM_ENSUREVISIBLE, 0,
                            reinterpret_cast<LPARAM>(items.front().handle), SMTO_ABORTIFHUNG, 3000,
                            nullptr);
    if (!Shot("elenco"))
        return 1;

    // One package file is in use until its question shows; Riprova then goes on.
    ExclusiveHold held(m_held);
    if (!held.IsHeld())
        return Fail("cannot hold " + m_held);
    if (!ClickWhenReady(ui::kNext))
        return Fail("Installa cannot be pressed");
    const RemoteWindow bar = m_wizard.PageControl(ui::kProgressBar, ui::kProgressBar);
    bool progressShot = false;
    bool promptShot = false;
    bool failed = false;
    const bool finished = WaitFor(
        [&] {
            const MessageBoxView prompt(windows.MessageBox());
            if (prompt) {
                if (!promptShot) {
                    Say("question", prompt.Text());
                    promptShot = true;
                    failed = failed || !Shot("file-in-uso");
                }
                held.Release();
                prompt.Answer(IDRETRY);
                WaitFor([&] { return !IsWindow(prompt.Window().Handle()); }, kScreenBoundMs);
                return false;
            }
            ProgressState state;
            // A third of the way, so that the bar shows how far the copy got.
            if (!progressShot && bar.Visible() && RemoteProgressBar(bar).Read(state) &&
                state.position > 0 && state.position >= state.high / 3) {
                // Frozen for the shot: the copy may end sooner than a shot takes.
                SuspendThread(m_process.MainThread());
                progressShot = true;
                failed = failed || !Shot("avanzamento");
                ResumeThread(m_process.MainThread());
            }
            return FinishPage().Visible();
        },
        kRunBoundMs, 5);
    if (failed)
        return 1;
    if (!finished)
        return Fail("no result screen");
    if (!promptShot)
        Say("note", "no question about the file in use");
    if (!progressShot)
        Say("note", "the copy ended before its progress could be seen");
    const std::string result =
        RemoteWindow(GetDlgItem(FinishPage().Handle(), ui::kPageText)).Text();
    Say("result", result);
    if (!Shot("fine"))
        return 1;
    if (!ClickWhenReady(ui::kCancel))
        return Fail("Fine cannot be pressed");
    if (result != kCorrect)
        Say("error", "the result screen does not say it ended correctly");
    return Finish(m_process) || result != kCorrect;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "run" && argc >= 4)
        return Run(argv[2], std::atoi(argv[3]), Arguments(argc, argv, 4));
    if (mode == "hold" && argc >= 5)
        return Hold(argv[2], argv[3], std::atoi(argv[4]), Arguments(argc, argv, 5));
    if (mode == "kill" && argc >= 5)
        return Kill(FromHostPath(argv[2]), argv[3], argv[4], Arguments(argc, argv, 5));
    if (mode == "walk" && argc == 5)
        return Walk(argv[2], FromHostPath(argv[3]), argv[4]).Run();
    std::printf("usage: vm_driver run|hold|kill|walk ... (see the source)\n");
    return 2;
}
