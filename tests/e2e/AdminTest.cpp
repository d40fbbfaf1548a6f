// What an administrator's script sees: the exit code of the real process, the
// log's last lines, and the windows (or none) while the update runs.
#include "WizardTest.h"

#include "ExclusiveHold.h"
#include "driver/FileSystem.h"
#include "TestFiles.h"

#include <sstream>
#include <thread>

using namespace e2e;

namespace {

const char kNewStamp[] = "@versione=5.1  @build=04.06.30";
const char kOldStamp[] = "@versione=5.0  @build=04.04.15";

enum class World {
    Standard,
    NotRegistered,
    NoList,
    NewerInstalled,
    DamagedList,
    DamagedFile,
    NetIsAFile
};

struct ExitRow {
    const char* name;
    World world;
    const char* arguments; // "LOG" stands for the test's log path
    bool firstCopyRunning;
    const char* heldFile; // of the installation, held for the whole run; null: none
    bool cancelWizard;    // Esci on the welcome screen, confirmed
    const char* boxText;  // prefix of the message box it shows, or null for none
    DWORD exitCode;
    const char* logTail; // in the log's last lines; null: the log is not even made
    const char* stampAfter;
};

void PrintTo(const ExitRow& row, std::ostream* out) {
    *out << row.name;
}

const ExitRow kExitRows[] = {
    {"QuietInstalls", World::Standard, "/quiet /log LOG", false, nullptr, false, nullptr, 0,
     "Codice di uscita: 0", kNewStamp},
    {"PassiveInstallsAndCloses", World::Standard, "-PASSIVE /log:LOG", false, nullptr, false,
     nullptr, 0, "Codice di uscita: 0", kNewStamp},
    {"NotInstalled", World::NotRegistered, "/quiet /log LOG", false, nullptr, false, nullptr, 1605,
     "Codice di uscita: 1605", kOldStamp},
    {"NoListFile", World::NoList, "/quiet /log LOG", false, nullptr, false, nullptr, 1619,
     "Codice di uscita: 1619", kOldStamp},
    {"DamagedPackageQuiet", World::DamagedList, "/quiet /log LOG", false, nullptr, false, nullptr,
     1620, "Pacchetto danneggiato: r2718upd.txt: SHA-256 ", kOldStamp},
    // Read once more, then abandoned and undone.
    {"DamagedFileQuiet", World::DamagedFile, "/quiet /log LOG", false, nullptr, false, nullptr,
     1603, "Domanda: file danneggiato", kOldStamp},
    // Held past the unattended wait (a twentieth of 30 s here): aborted.
    {"LockedFileQuietUntilTimeout", World::Standard, "/quiet /log LOG", false, "bin\\archivio.dll",
     false, nullptr, 1603, "risposta automatica: Interrompi", kOldStamp},
    // The stamp file held at the commit: the same quiet retries and wait.
    {"LockedStampQuietUntilTimeout", World::Standard, "/quiet /log LOG", false, "Versione.txt",
     false, nullptr, 1603, "Versione.txt (errore 32); risposta automatica: Interrompi", kOldStamp},
    // Every 1603 says why in the log.
    {"SafetyNetFolderAFile", World::NetIsAFile, "/quiet /log LOG", false, nullptr, false, nullptr,
     1603, "~kvu (al suo posto c'\xE8 un file", kOldStamp},
    {"OlderPackageQuiet", World::NewerInstalled, "/quiet /log LOG", false, nullptr, false, nullptr,
     1638, "Codice di uscita: 1638", "@versione=5.2  @build=05.01.10"},
    {"BadSwitchShowsUsage", World::Standard, "/log LOG /bogus", false, nullptr, false,
     "Argomento non valido: /bogus\n\nUso: kvelmora.exe", 87, nullptr, kOldStamp},
    {"BadSwitchQuietNoBox", World::Standard, "/quiet /log LOG /bogus", false, nullptr, false,
     nullptr, 87, nullptr, kOldStamp},
    {"SecondCopyInteractive", World::Standard, "/log LOG", true, nullptr, false,
     "Il programma di aggiornamento \xE8 gi\xE0 in esecuzione.", 1618, nullptr, kOldStamp},
    {"SecondCopyQuiet", World::Standard, "/quiet /log LOG", true, nullptr, false, nullptr, 1618,
     nullptr, kOldStamp},
    {"InteractiveEsciConfirmed", World::Standard, "/log LOG", false, nullptr, true, nullptr, 1602,
     "Codice di uscita: 1602", kOldStamp},
    {"SecondCopyPassiveNoBox", World::Standard, "/passive /log LOG", true, nullptr, false, nullptr,
     1618, nullptr, kOldStamp},
    {"Help", World::Standard, "/?", false, nullptr, false, "Uso: kvelmora.exe", 0, nullptr,
     kOldStamp},
    // Nothing may wait for a person with /quiet, not even the usage.
    {"HelpQuietNoBox", World::Standard, "/quiet /?", false, nullptr, false, nullptr, 0, nullptr,
     kOldStamp},
    {"HelpLongQuietNoBox", World::Standard, "/help /QUIET", false, nullptr, false, nullptr, 0,
     nullptr, kOldStamp},
};

class Admin : public WizardTest {
protected:
    std::string LogPath() const { return Media() + "\\admin.log"; }

    void MakeWorld(World world) {
        ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
        switch (world) {
        case World::Standard:
            break;
        case World::NotRegistered:
            InstallationKey::Remove();
            break;
        case World::NoList:
            ASSERT_TRUE(DeleteFileA((Media() + "\\r2718upd.dat\\r2718upd.txt").c_str()));
            break;
        case World::NewerInstalled:
            AddInstalledFile("Versione.txt", "@versione=5.2  @build=05.01.10");
            break;
        case World::DamagedFile:
            ASSERT_NO_FATAL_FAILURE(WriteChecksums({"InstDir\\bin\\archivio.dll"}));
            break;
        case World::DamagedList:
            ASSERT_TRUE(WriteBytes(Media() + "\\r2718upd.dat\\SHA256SUMS",
                                   std::string(64, 'a') + "  r2718upd.txt\n"));
            break;
        case World::NetIsAFile:
            AddInstalledFile("~kvu", "not a folder");
            break;
        }
    }

    std::string Arguments(std::string arguments) const {
        const std::string::size_type at = arguments.find("LOG");
        if (at != std::string::npos)
            arguments.replace(at, 3, "\"" + LogPath() + "\"");
        return arguments;
    }

    // The last `count` lines of the log, without their times, one string.
    std::string LogTail(std::size_t count) const {
        std::istringstream in(ReadFile(LogPath()));
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line.size() > 13 ? line.substr(13) : line);
        std::string tail;
        for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i)
            tail += lines[i] + "\n";
        return tail;
    }

    ::testing::AssertionResult EndsWith(RemoteProcess& process, DWORD expected) {
        if (!process.WaitExit(kDefaultBoundMs))
            return ::testing::AssertionFailure() << "still running";
        DWORD code = 0;
        if (!process.ExitCode(code))
            return ::testing::AssertionFailure() << "no exit code";
        if (code != expected)
            return ::testing::AssertionFailure() << "exit code " << code;
        return ::testing::AssertionSuccess();
    }
};

class ExitCodes : public Admin, public ::testing::WithParamInterface<ExitRow> {};

TEST_P(ExitCodes, SayHowTheRunEnded) {
    const ExitRow& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(MakeWorld(row.world));
    RemoteProcess first;
    if (row.firstCopyRunning) {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(WaitWizard());
        first = std::move(m_process);
    }
    ExclusiveHold held(row.heldFile ? Install() + "\\" + row.heldFile : "");
    ASSERT_NO_FATAL_FAILURE(Start(Arguments(row.arguments)));
    if (row.cancelWizard) {
        ASSERT_TRUE(WaitWizard());
        ASSERT_TRUE(ClickButton(ui::kCancel));
        const MessageBoxView confirm = WaitMessageBox();
        ASSERT_TRUE(confirm) << "no confirmation";
        confirm.Answer(IDYES);
    } else if (row.boxText) {
        const MessageBoxView box = WaitMessageBox();
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(kCaption, box.Caption());
        EXPECT_EQ(0u, box.Text().find(row.boxText)) << box.Text();
        EXPECT_EQ(std::vector<int>{IDOK}, box.Buttons());
        box.Answer(IDOK);
    } else {
        // Unattended and refused runs end by themselves, without any box.
        EXPECT_TRUE(NoMessageBoxWithin(row.world == World::Standard ? 0 : 300));
    }
    EXPECT_TRUE(EndsWith(m_process, row.exitCode));
    held.Release();
    if (row.logTail)
        EXPECT_NE(std::string::npos, LogTail(12).find(row.logTail)) << LogTail(12);
    else
        EXPECT_FALSE(Exists(LogPath())) << "log made: " << ReadFile(LogPath());
    EXPECT_EQ(row.stampAfter, ReadFile(Stamp()));
    if (row.firstCopyRunning) {
        EXPECT_TRUE(first.Running()) << "the first copy ended";
        EXPECT_TRUE(WaitScreen(Screen::Welcome(), 0)) << "the first copy left its welcome";
    }
}

INSTANTIATE_TEST_SUITE_P(Admin, ExitCodes, ::testing::ValuesIn(kExitRows),
                         [](const ::testing::TestParamInfo<ExitRow>& info) {
                             return std::string(info.param.name);
                         });

// A first copy that crashed (killed, as a crash would end it) leaves its
// mutex abandoned: that must not keep the next update from running.
TEST_F(Admin, CrashedFirstCopyDoesNotBlockTheNext) {
    ASSERT_NO_FATAL_FAILURE(MakeWorld(World::Standard));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitWizard());
    m_process.Kill();
    ASSERT_NO_FATAL_FAILURE(Start(Arguments("/quiet /log LOG")));
    EXPECT_TRUE(EndsWith(m_process, 0)) << LogTail(5);
    EXPECT_EQ(kNewStamp, ReadFile(Stamp()));
}

// Nobody may be shown anything in /quiet, not even a hidden window: a
// computer with nobody logged on may have no desktop to make one on.
TEST_F(Admin, QuietMakesNoWindowWhileItRuns) {
    ASSERT_NO_FATAL_FAILURE(MakeWorld(World::Standard));
    // Held for the whole unattended wait, so the run lasts long enough to look.
    ExclusiveHold held(Install() + "\\bin\\archivio.dll");
    ASSERT_NO_FATAL_FAILURE(Start(Arguments("/quiet /log LOG")));
    int looks = 0;
    std::string seen;
    while (m_process.Running() && looks < 10000) {
        for (const RemoteWindow& window : ProcessWindows(m_process.Id()).All())
            seen += window.ClassName() + " \"" + window.Text() + "\"\n";
        ++looks;
        Sleep(10);
    }
    EXPECT_TRUE(EndsWith(m_process, 1603));
    EXPECT_GT(looks, 20) << "the run ended before the windows were looked at";
    EXPECT_EQ("", seen);
}

// The copier's quiet retries of a held file, at their real length (2 s),
// in the wizard: a short hold goes unnoticed, a long one asks the person.
TEST_F(Admin, HeldFileInteractiveShortHoldRetriedQuietlyLongHoldAsked) {
    const struct {
        const char* name;
        DWORD holdMs;
        bool prompt;
        const char* logged;
    } rows[] = {
        {"HeldOneSecond", 1000, false, "bin\\archivio.dll: riuscito"},
        {"HeldFiveSeconds", 5000, true, "risposta dell'utente: Riprova"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(MakeWorld(World::Standard));
        ASSERT_TRUE(WriteBytes(Install() + "\\bin\\archivio.dll", "vecchia libreria"));
        ASSERT_TRUE(WriteBytes(Stamp(), kOldStamp));
        ASSERT_NO_FATAL_FAILURE(Start(Arguments("/log LOG"), 1));
        ASSERT_NO_FATAL_FAILURE(GoToList());
        ExclusiveHold held(Install() + "\\bin\\archivio.dll");
        ASSERT_TRUE(held.IsHeld());
        ASSERT_TRUE(ClickButton(ui::kNext));
        std::thread release([&] {
            Sleep(row.holdMs);
            held.Release();
        });
        const MessageBoxView prompt = WaitMessageBox(row.prompt ? kDefaultBoundMs : 2 * row.holdMs);
        release.join();
        EXPECT_EQ(row.prompt, static_cast<bool>(prompt)) << prompt.Text();
        if (prompt) {
            EXPECT_EQ("Errore", prompt.Caption());
            prompt.Answer(IDRETRY);
        }
        ASSERT_NO_FATAL_FAILURE(WaitFinish());
        EXPECT_EQ(Pattern(2500, 'b'), ReadFile(Install() + "\\bin\\archivio.dll"));
        EXPECT_EQ(kNewStamp, ReadFile(Stamp()));
        ASSERT_TRUE(ClickButton(ui::kCancel));
        EXPECT_TRUE(EndsWith(m_process, 0));
        const std::string log = ReadFile(LogPath());
        EXPECT_NE(std::string::npos, log.find("Riprovato senza chiedere")) << log;
        EXPECT_NE(std::string::npos, log.find(row.logged)) << log;
        EXPECT_EQ(std::string::npos, log.find(row.prompt ? "riuscito" : "Domanda")) << log;
    }
}

// Support may lose the log's end; the computer must not lose its update. The
// log goes to a disk with one page left, which a run of many files overflows.
TEST_F(Admin, FullLogDiskDoesNotStopTheUpdate) {
    std::string why;
    if (!SmallDiskMounted(why))
        GTEST_SKIP() << "no small disk to fill: " << why;
    const std::string disk = SmallDisk();
    const std::string log = disk + "\\admin.log";
    const std::string filler = disk + "\\riempitivo-log";
    struct Cleanup {
        std::string a, b;
        ~Cleanup() {
            DeleteFileA(a.c_str());
            DeleteFileA(b.c_str());
        }
    } cleanup{log, filler};
    ASSERT_NO_FATAL_FAILURE(MakeWorld(World::Standard));
    for (int i = 0; i < 80; ++i)
        AddPackageFile("molti\\file-" + std::to_string(i) + ".dat", "x");
    WriteSize("0");

    constexpr ULONGLONG kPage = 4096;
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA((disk + "\\").c_str(), &free, nullptr, nullptr));
    ASSERT_GT(free.QuadPart, kPage);
    ASSERT_TRUE(WriteBytes(filler, std::string(free.QuadPart - kPage, 'f')));

    ASSERT_NO_FATAL_FAILURE(Start("/quiet /log \"" + log + "\""));
    EXPECT_TRUE(EndsWith(m_process, 0));
    EXPECT_EQ(kNewStamp, ReadFile(Stamp()));
    EXPECT_EQ("x", ReadFile(Install() + "\\molti\\file-79.dat"));
    const std::string written = ReadFile(log);
    EXPECT_LE(written.size(), kPage);
    EXPECT_NE(std::string::npos, written.find("Riga di comando:")) << written.substr(0, 300);
    EXPECT_EQ(std::string::npos, written.find("Codice di uscita")) << "the disk was not full";
}

} // namespace
