// Walks the wizard through every screen for the demo, and at each screen
// asks the script that started it for a screenshot: it writes NAME.ready
// into the exchange folder and waits for NAME.done.
// Usage: demo_driver MEDIA_FOLDER EXCHANGE_FOLDER HELD_FILE
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
#include <string>

using namespace e2e;

namespace {

constexpr DWORD kScreenBoundMs = 30000;
constexpr DWORD kCopyBoundMs = 180000;
// Lets the last paint of a new screen reach the display before the shot.
constexpr DWORD kSettleMs = 400;

class DemoWalk {
public:
    DemoWalk(std::string media, std::string exchange, std::string held)
        : m_media(std::move(media)), m_exchange(std::move(exchange)), m_held(std::move(held)) {}

    int Run();

private:
    bool Fail(const char* what) {
        std::printf("demo: %s\n", what);
        std::fflush(stdout);
        return false;
    }
    bool Shot(const std::string& name);
    bool ClickWhenReady(int id) { return e2e::ClickWhenReady(m_wizard, id, kScreenBoundMs); }
    bool Welcome();
    bool List();
    // `answer` is given at the prompt for the file in use; `pictures` takes
    // the progress and prompt screenshots.
    bool Copy(int answer, bool pictures);
    bool Finish(const char* title);
    // The same update again, stopped at the file in use: the screen of an
    // update that was undone.
    bool Undone();
    RemoteWindow FinishPage() const { return FinishPageOf(m_wizard); }

    std::string m_media;
    std::string m_exchange;
    std::string m_held;
    RemoteProcess m_process;
    RemoteWindow m_wizard;
    int m_shots = 0;
};

bool DemoWalk::Shot(const std::string& title) {
    const std::string name = std::to_string(++m_shots) + "-" + title;
    const std::string done = m_exchange + "\\" + name + ".done";
    DeleteFileA(done.c_str());
    if (!WriteBytes(m_exchange + "\\" + name + ".ready", name))
        return Fail("cannot write to the exchange folder");
    if (!WaitFor([&] { return Exists(done); }, kScreenBoundMs))
        return Fail("no screenshot taken");
    std::printf("demo: screen %s\n", name.c_str());
    std::fflush(stdout);
    return true;
}

bool DemoWalk::Welcome() {
    const ProcessWindows windows(m_process.Id());
    if (!WaitFor(
            [&] {
                m_wizard = windows.Dialog(kCaption, ui::kNext);
                return m_wizard.Visible() && m_wizard.Child(ui::kNext).Visible();
            },
            kScreenBoundMs)) {
        const MessageBoxView box(windows.MessageBox());
        if (box)
            std::printf("demo: the wizard says: %s\n", box.Text().c_str());
        return Fail("no welcome screen");
    }
    Sleep(kSettleMs);
    return Shot("benvenuto");
}

bool DemoWalk::List() {
    if (!ClickWhenReady(ui::kNext))
        return Fail("Avanti> cannot be pressed");
    const RemoteWindow tree = m_wizard.PageControl(ui::kTree, ui::kTree);
    if (!WaitFor([&] { return tree.Visible(); }, kScreenBoundMs))
        return Fail("no list screen");
    // Open the first update that is new to this installation, as a curious
    // customer would, and keep the top of the list in view.
    std::vector<TreeItem> items;
    if (RemoteTree(tree).Read(items) && !items.empty()) {
        for (const TreeItem& item : items) {
            if (item.bold) {
                RemoteTree(tree).Expand(item.handle);
                break;
            }
        }
        SendMessageTimeoutA(tree.Handle(), TVM_ENSUREVISIBLE, 0,
                            reinterpret_cast<LPARAM>(items.front().handle), SMTO_ABORTIFHUNG, 3000,
                            nullptr);
    }
    Sleep(kSettleMs);
    return Shot("elenco");
}

bool DemoWalk::Copy(int answer, bool pictures) {
    ExclusiveHold held(m_media + "\\" + m_held);
    if (!held.IsHeld())
        return Fail("cannot hold the package file open");
    if (!ClickWhenReady(ui::kNext))
        return Fail("Installa cannot be pressed");
    const ProcessWindows windows(m_process.Id());
    bool progressShot = !pictures;
    bool promptShot = !pictures;
    const RemoteWindow bar = m_wizard.PageControl(ui::kProgressBar, ui::kProgressBar);
    const bool finished = WaitFor(
        [&] {
            const MessageBoxView prompt(windows.MessageBox());
            if (prompt) {
                if (!promptShot) {
                    Sleep(kSettleMs);
                    promptShot = Shot("file-in-uso");
                }
                held.Release();
                prompt.Answer(answer);
                WaitFor([&] { return !IsWindow(prompt.Window().Handle()); }, kScreenBoundMs);
                return false;
            }
            ProgressState state;
            // A third of the way, so that the bar shows how far the copy got.
            if (!progressShot && bar.Visible() && RemoteProgressBar(bar).Read(state) &&
                state.position > 0 && state.position >= state.high / 3) {
                // Frozen for the shot: the copy may well end sooner than a
                // screenshot takes.
                SuspendThread(m_process.MainThread());
                progressShot = Shot("avanzamento");
                ResumeThread(m_process.MainThread());
            }
            return FinishPage().Visible();
        },
        kCopyBoundMs, 5);
    if (!progressShot && pictures)
        std::printf("demo: the copy ended before its progress could be seen\n");
    return finished || Fail("no result screen");
}

bool DemoWalk::Finish(const char* title) {
    Sleep(kSettleMs);
    if (!Shot(title))
        return false;
    if (!ClickWhenReady(ui::kCancel))
        return Fail("Fine cannot be pressed");
    return m_process.WaitExit(kScreenBoundMs) || Fail("the wizard did not close");
}

int DemoWalk::Run() {
    m_process = RemoteProcess::Start(m_media + "\\kvelmora.exe", kScreenBoundMs);
    if (!m_process.Started())
        return Fail("cannot start kvelmora.exe"), 1;
    const bool ok = Welcome() && List() && Copy(IDRETRY, true) && Finish("fine") && Undone();
    return ok ? 0 : 1;
}

bool DemoWalk::Undone() {
    m_process = RemoteProcess::Start(m_media + "\\kvelmora.exe", kScreenBoundMs);
    if (!m_process.Started())
        return Fail("cannot start kvelmora.exe again");
    const ProcessWindows windows(m_process.Id());
    if (!WaitFor(
            [&] {
                m_wizard = windows.Dialog(kCaption, ui::kNext);
                return m_wizard.Visible() && m_wizard.Child(ui::kNext).Visible();
            },
            kScreenBoundMs))
        return Fail("no welcome screen the second time");
    if (!ClickWhenReady(ui::kNext))
        return Fail("Avanti> cannot be pressed the second time");
    return Copy(IDABORT, false) && Finish("annullato");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::printf("usage: demo_driver MEDIA_FOLDER EXCHANGE_FOLDER HELD_FILE\n");
        return 2;
    }
    DemoWalk walk(FromHostPath(argv[1]), FromHostPath(argv[2]), argv[3]);
    return walk.Run();
}
