// All or nothing, seen from outside: an update that is stopped, fails or is
// killed leaves the installation byte for byte as it was, or whole as the
// package makes it; the next start finishes what a killed run left.
#include "WizardTest.h"

#include "driver/FileSystem.h"
#include "driver/RemoteProgressBar.h"

#include "ExclusiveHold.h"
#include "TestFiles.h"

#include <map>
#include <memory>

using namespace e2e;

namespace {

const char kWithErrors[] = "Programma di Aggiornamento Tessaro Vers. 0002 terminato con errori.";
const char kUndoneAdvice[] = "Tutte le modifiche sono state annullate.\n"
                             "Si prega di contattare il Vs. Fornitore.\n\n"
                             "Premere fine per terminare il programma.";
const char kRecovered[] =
    "Un aggiornamento precedente non è stato completato: tutte le modifiche sono state annullate.";
const char kNewStamp[] = "@versione=5.1  @build=04.06.30";

// Every file and folder under a folder: files with attributes, write time
// and content, folders with attributes (a folder's own times move whenever
// an entry in it is renamed, also by putting the entry back).
using Snapshot = std::map<std::string, std::string>;

void TakeSnapshot(const std::string& folder, const std::string& relative, Snapshot& into) {
    WIN32_FIND_DATAA entry;
    const HANDLE listing = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "\\" + name;
        const std::string key = relative.empty() ? name : relative + "\\" + name;
        std::string facts = "attributes " + std::to_string(entry.dwFileAttributes);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            into[key + "\\"] = facts;
            TakeSnapshot(path, key, into);
        } else {
            std::string bytes;
            ReadBytes(path, bytes);
            into[key] = facts + " written " + std::to_string(entry.ftLastWriteTime.dwHighDateTime) +
                        ":" + std::to_string(entry.ftLastWriteTime.dwLowDateTime) + " bytes " +
                        bytes;
        }
    } while (FindNextFileA(listing, &entry));
    FindClose(listing);
}

Snapshot TakeSnapshot(const std::string& folder) {
    Snapshot snapshot;
    TakeSnapshot(folder, "", snapshot);
    return snapshot;
}

// The differences, for a failure message.
std::string Differences(const Snapshot& expected, const Snapshot& actual) {
    std::string text;
    for (const auto& [path, facts] : expected) {
        const auto found = actual.find(path);
        if (found == actual.end())
            text += "  missing " + path + "\n";
        else if (found->second != facts)
            text += "  changed " + path + "\n";
    }
    for (const auto& [path, facts] : actual) {
        if (!expected.count(path))
            text += "  added " + path + "\n";
    }
    return text;
}

class SafetyNet : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        // Held files are tried again quietly before the prompt: briefly here.
        SetEnvironmentVariableA("KVELMORA_TIME_DIVISOR", "20");
    }
    void TearDown() override {
        WizardTest::TearDown();
        SetEnvironmentVariableA("KVELMORA_TIME_DIVISOR", nullptr);
    }

    // A package of many files over an installation that has some of them,
    // so that a run has many steps to be stopped at.
    void MakeLargeWorld() {
        ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
        for (int i = 0; i < 40; ++i) {
            const std::string name = "moduli\\m" + std::to_string(i) + ".dat";
            AddPackageFile(name, Pattern(40000 + i, char('A' + i % 26)));
            if (i % 3 == 0)
                AddInstalledFile(name, Pattern(100 + i, 'x'));
        }
        WriteSize("");
    }

    void ExpectUnchanged(const Snapshot& before, const std::string& row) {
        ExpectUnchanged(before, row, Install());
    }
    void ExpectUnchanged(const Snapshot& before, const std::string& row,
                         const std::string& install) {
        const Snapshot after = TakeSnapshot(install);
        EXPECT_TRUE(after == before) << row << ":\n" << Differences(before, after);
    }

    // The installation as the package makes it, stamp included.
    void ExpectInstalled(const Snapshot& before, const std::string& row) {
        EXPECT_EQ(kNewStamp, ReadFile(Stamp())) << row;
        const Snapshot package = TakeSnapshot(InstDir());
        for (const auto& entry : package) {
            if (entry.first.back() == '\\')
                continue;
            EXPECT_EQ(ReadFile(InstDir() + "\\" + entry.first),
                      ReadFile(Install() + "\\" + entry.first))
                << row << ": " << entry.first;
        }
        EXPECT_EQ(ReadFile(Install() + "\\Tessaro.ini"), "[Tessaro]\r\nLingua=it\r\n") << row;
        (void)before;
    }
};

enum class Stop { SourcePrompt, DestinationPrompt, UnlistableFolder, LastFile, StampHeld };

struct AbortRow {
    const char* name;
    Stop stop;
};

void PrintTo(const AbortRow& row, std::ostream* out) {
    *out << row.name;
}

const AbortRow kAborts[] = {
    {"AtTheSourcePrompt", Stop::SourcePrompt},
    {"AtTheDestinationPrompt", Stop::DestinationPrompt},
    {"AtAFolderThatCannotBeListed", Stop::UnlistableFolder},
    {"AfterEveryOtherFile", Stop::LastFile},
    {"WhenTheStampCannotBeWritten", Stop::StampHeld},
};

class AbortedRun : public SafetyNet, public ::testing::WithParamInterface<AbortRow> {};

TEST_P(AbortedRun, LeavesTheInstallationByteForByteAsItWas) {
    const AbortRow& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(MakeLargeWorld());
    std::string held;
    switch (row.stop) {
    case Stop::SourcePrompt:
        held = InstDir() + "\\bin\\archivio.dll";
        break;
    case Stop::DestinationPrompt:
        held = Install() + "\\bin\\archivio.dll";
        break;
    case Stop::UnlistableFolder:
        held = InstDir() + "\\moduli";
        break;
    case Stop::LastFile:
        held = InstDir() + "\\moduli\\m39.dat";
        break;
    case Stop::StampHeld:
        held = Stamp();
        break;
    }
    const Snapshot before = TakeSnapshot(Install());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(GoToList());
    ExclusiveHold hold(held);
    ASSERT_TRUE(hold.IsHeld()) << held;
    ASSERT_TRUE(ClickButton(ui::kNext));
    // The stamp file too, held at the commit, is asked about.
    MessageBoxView prompt = WaitMessageBox();
    ASSERT_TRUE(prompt) << "no prompt";
    EXPECT_EQ("Impossibile accedere a: " + held, prompt.Text());
    ASSERT_TRUE(prompt.Answer(IDABORT));
    ASSERT_NO_FATAL_FAILURE(WaitFinish());
    hold.Release();
    EXPECT_EQ(kWithErrors, FinishText(ui::kPageText));
    EXPECT_EQ(kUndoneAdvice, FinishText(ui::kSecondText));
    ExpectUnchanged(before, row.name);
    EXPECT_FALSE(Exists(Install() + "\\~kvu")) << "safety net left behind";
}

INSTANTIATE_TEST_SUITE_P(SafetyNet, AbortedRun, ::testing::ValuesIn(kAborts),
                         [](const auto& info) { return std::string(info.param.name); });

// Killed at many moments of a run, then started again: the installation is
// the old one or the new one, whole, and the stamp agrees.
TEST_F(SafetyNet, AKilledRunIsFinishedByTheNextStart) {
    const int killAtFile[] = {1, 8, 20, 35, 999};
    int undone = 0;
    int completed = 0;
    for (int kill : killAtFile) {
        const std::string row = "killed at file " + std::to_string(kill);
        ASSERT_NO_FATAL_FAILURE(MakeLargeWorld());
        const Snapshot before = TakeSnapshot(Install());
        // A copy this small can end before the kill lands: one package file
        // held keeps the run from ending, so that the kill comes half way.
        std::unique_ptr<ExclusiveHold> hold;
        if (kill != 999)
            hold.reset(new ExclusiveHold(InstDir() + "\\moduli\\m39.dat"));
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(GoToList());
        ASSERT_TRUE(ClickButton(ui::kNext)) << row;
        // Kill once the status line names the file, or the held file is asked
        // about (the last row: once the result is on screen, when the update
        // is complete).
        int seen = 0;
        std::string last;
        WaitFor(
            [&] {
                if (FinishPage() || (hold && WaitMessageBox(0)))
                    return true;
                const std::string text = PageControl(ui::kProgressBar, ui::kCopyStatus).Text();
                if (text != last) {
                    last = text;
                    ++seen;
                }
                return seen >= kill;
            },
            kDefaultBoundMs, 1);
        m_process.Kill();
        ASSERT_TRUE(WaitExit()) << row;
        hold.reset();

        // The next start finishes the job before it shows the list.
        const bool complete = ReadFile(Stamp()) == kNewStamp;
        const bool interrupted = Exists(Install() + "\\~kvu");
        ASSERT_NO_FATAL_FAILURE(Start());
        if (interrupted && !complete) {
            MessageBoxView box = WaitMessageBox();
            ASSERT_TRUE(box) << row << ": no word about the interrupted update";
            EXPECT_EQ(kCaption, box.Caption()) << row;
            EXPECT_EQ(kRecovered, box.Text()) << row;
            box.Answer(IDOK);
        }
        ASSERT_TRUE(WaitWizard()) << row;
        if (complete) {
            ExpectInstalled(before, row);
            ++completed;
        } else {
            ExpectUnchanged(before, row);
            undone += interrupted;
        }
        EXPECT_FALSE(Exists(Install() + "\\~kvu")) << row << ": safety net left behind";
        m_process.Kill();
        WaitExit();
        // Again from the same world, for the next row.
        TearDown();
        SetUp();
    }
    // Both ends were seen: runs killed half way and a run that had finished.
    EXPECT_GE(undone, 1);
    EXPECT_GE(completed, 1);
}

// What a test put on the small disk, removed whatever the outcome.
class DiskContents {
public:
    explicit DiskContents(std::string disk) : m_disk(std::move(disk)) {}
    ~DiskContents() {
        RemoveTree(Install());
        DeleteFileA(Filler().c_str());
    }
    DiskContents(const DiskContents&) = delete;
    DiskContents& operator=(const DiskContents&) = delete;

    std::string Install() const { return m_disk + "\\Tessaro"; }
    std::string Filler() const { return m_disk + "\\riempitivo"; }
    ULONGLONG Free() const {
        ULARGE_INTEGER free{};
        GetDiskFreeSpaceExA((m_disk + "\\").c_str(), &free, nullptr, nullptr);
        return free.QuadPart;
    }
    // Leaves `bytes` free (tmpfs counts whole pages of 4 KiB).
    bool FillLeaving(ULONGLONG bytes) {
        const ULONGLONG free = Free();
        std::string filler;
        ReadBytes(Filler(), filler);
        return free >= bytes && WriteBytes(Filler(), filler + std::string(free - bytes, 'f')) &&
               Free() == bytes;
    }

private:
    std::string m_disk;
};

// The installation on a small disk of its own: not enough room is refused
// before anything changes; a disk filled by something else during the copy
// brings the write failure's prompt, and whatever the answers, the run ends
// undone, the installation and the disk as they were.
TEST_F(SafetyNet, AFullDiskNeverLeavesAHalfUpdate) {
    std::string why;
    if (!SmallDiskMounted(why))
        GTEST_SKIP() << "no small disk to fill: " << why;
    enum class Fill { BeforeTheRun, AtAPromptThenAbort, AtAPromptThenIgnoreAll };
    const struct {
        const char* row;
        Fill fill;
    } rows[] = {
        {"not enough room before the run", Fill::BeforeTheRun},
        {"filled during the copy, Abort", Fill::AtAPromptThenAbort},
        {"filled during the copy, Ignore at every prompt", Fill::AtAPromptThenIgnoreAll},
    };
    const std::string disk = SmallDisk();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        DiskContents contents(disk);
        const std::string install = contents.Install();
        WriteList(StandardList());
        WriteSize("");
        AddPackageFile("bin\\nuovo.dll", Pattern(5000, 'n'));
        AddPackageFile("Tessaro.exe", Pattern(60000, 'a'));
        AddPackageFile("modelli\\fattura.mod", "FATTURA\r\n\r\n");
        ASSERT_TRUE(WriteBytes(install + "\\Tessaro.exe", Pattern(20000, 'z')));
        ASSERT_TRUE(WriteBytes(install + "\\Versione.txt", "@versione=5.0  @build=04.04.15"));
        ASSERT_NO_FATAL_FAILURE(Register(install));
        const Snapshot before = TakeSnapshot(install);
        const ULONGLONG freeBefore = contents.Free();
        if (row.fill == Fill::BeforeTheRun) {
            ASSERT_TRUE(contents.FillLeaving(12 * 1024));
        }

        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(GoToList());
        ExclusiveHold hold(InstDir() + "\\Tessaro.exe");
        ASSERT_TRUE(hold.IsHeld());
        ASSERT_TRUE(ClickButton(ui::kNext));
        MessageBoxView box = WaitMessageBox();
        ASSERT_TRUE(box) << "no message";
        if (row.fill == Fill::BeforeTheRun) {
            EXPECT_EQ(kCaption, box.Caption());
            EXPECT_EQ("Spazio su disco insufficiente per l'aggiornamento: servono 1 MB, "
                      "disponibili 0 MB.",
                      box.Text());
            ASSERT_TRUE(box.Answer(IDOK));
            // Nothing started: the list stays, so that room can be made.
            EXPECT_TRUE(WaitScreen(Screen::List()));
        } else {
            EXPECT_EQ("Impossibile accedere a: " + InstDir() + "\\Tessaro.exe", box.Text());
            // Something else fills the disk while the user reads the prompt.
            ASSERT_TRUE(contents.FillLeaving(0));
            hold.Release();
            ASSERT_TRUE(box.Answer(IDRETRY));
            // The data no longer fits: the prompt names where it goes.
            const HWND first = box.Window().Handle();
            ASSERT_TRUE(WaitFor([&] { return !IsWindow(first); }, kDefaultBoundMs));
            box = WaitMessageBox();
            ASSERT_TRUE(box) << "no prompt for the write that failed";
            EXPECT_EQ("Impossibile accedere a: " + install + "\\Tessaro.exe", box.Text());
            const int answer = row.fill == Fill::AtAPromptThenAbort ? IDABORT : IDIGNORE;
            // Ignore goes on, and whatever else cannot be written is asked about in turn.
            while (box) {
                const HWND shown = box.Window().Handle();
                ASSERT_TRUE(box.Answer(answer));
                ASSERT_TRUE(WaitFor([&] { return !IsWindow(shown); }, kDefaultBoundMs));
                box = FinishPage() ? MessageBoxView(RemoteWindow()) : WaitMessageBox(1000);
            }
            ASSERT_NO_FATAL_FAILURE(WaitFinish());
            EXPECT_EQ(kWithErrors, FinishText(ui::kPageText));
            EXPECT_EQ(kUndoneAdvice, FinishText(ui::kSecondText));
        }
        m_process.Kill();
        WaitExit();
        DeleteFileA(contents.Filler().c_str());
        ExpectUnchanged(before, row.row, install);
        EXPECT_EQ(contents.Free(), freeBefore) << "something was left on the disk";
        EXPECT_FALSE(Exists(install + "\\~kvu"));
    }
}

} // namespace
