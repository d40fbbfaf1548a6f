// The installation run: files and stamp left behind, the copier's prompts,
// and what the wizard lets the user do while it copies.
#include "WizardTest.h"

#include "driver/KeyPress.h"
#include "driver/RemoteProgressBar.h"

#include "ExclusiveHold.h"
#include "TestFiles.h"

using namespace e2e;

namespace {

const char kOldStamp[] = "@versione=5.0  @build=04.04.15";
const char kNewStamp[] = "@versione=5.1  @build=04.06.30";
const char kCorrect[] = "Programma di Aggiornamento Tessaro Vers. 0002 terminato in modo corretto.";
const char kWithErrors[] = "Programma di Aggiornamento Tessaro Vers. 0002 terminato con errori.";
const char kCloseAdvice[] = "Selezionare Fine per chiudere il programma.";
// An update that ends with errors has been undone.
const char kErrorAdvice[] = "Tutte le modifiche sono state annullate.\n"
                            "Si prega di contattare il Vs. Fornitore.\n\n"
                            "Premere fine per terminare il programma.";

class InstallRun : public WizardTest {
protected:
    // Every message box the program shows right now.
    int MessageBoxCount() const {
        int count = 0;
        for (const RemoteWindow& dialog : ProcessWindows(m_process.Id()).Dialogs())
            count += dialog.Visible() && GetDlgItem(dialog.Handle(), kMessageBoxTextId) ? 1 : 0;
        return count;
    }

    // Next, Enter and Cancel in state 3 leave the result on screen;
    // "Fine" then closes without a question.
    void CloseWithFine() {
        m_wizard.PostCommand(ui::kNext);
        PressKey(m_wizard, VK_RETURN);
        EXPECT_TRUE(NoMessageBoxWithin(300));
        EXPECT_TRUE(WaitScreen(Screen::Finish(), 0)) << "Next on the result screen";
        ASSERT_TRUE(ClickButton(ui::kCancel));
        EXPECT_TRUE(NoMessageBoxWithin(300)) << "Fine asked a question";
        EXPECT_TRUE(WaitExit()) << "Fine did not close the wizard";
    }
};

TEST_F(InstallRun, CopiesThePackageAndWritesTheNewestStamp) {
    ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(GoToList());
    ASSERT_TRUE(ClickButton(ui::kNext));
    ASSERT_NO_FATAL_FAILURE(WaitFinish());
    EXPECT_EQ(kCorrect, FinishText(ui::kPageText));
    EXPECT_EQ(kCloseAdvice, FinishText(ui::kSecondText));
    EXPECT_FALSE(m_wizard.PageWith(ui::kTree)) << "list page left behind";
    EXPECT_FALSE(m_wizard.PageWith(ui::kProgressBar)) << "progress page left behind";

    struct Expected {
        const char* path;
        std::string bytes;
    };
    const Expected files[] = {
        // The old file was longer: nothing of it may stay behind.
        {"Tessaro.exe", Pattern(3000, 'a')},
        {"bin\\archivio.dll", Pattern(2500, 'b')},
        {"bin\\stampa\\moduli.dll", Pattern(1500, 'c')},
        {"modelli\\fattura.mod", "FATTURA\r\n\r\n"},
        {"dati\\vuoto.dat", ""},
        {"Tessaro.ini", "[Tessaro]\r\nLingua=it\r\n"},
        {"Versione.txt", kNewStamp},
    };
    for (const Expected& file : files)
        EXPECT_EQ(file.bytes, ReadFile(Install() + "\\" + file.path)) << file.path;
    const DWORD folder = GetFileAttributesA((Install() + "\\doc\\vuota").c_str());
    EXPECT_TRUE(folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY))
        << "empty folder not recreated";
    EXPECT_EQ(Pattern(3000, 'a'), ReadFile(InstDir() + "\\Tessaro.exe")) << "package changed";
    CloseWithFine();
}

enum class Held { Source, Destination };

struct PromptRow {
    const char* name;
    Held held;
    std::vector<int> answers; // the held file is released before the last one
    bool correct;
    bool copied; // bin\archivio.dll replaced by the package's
};

void PrintTo(const PromptRow& row, std::ostream* out) {
    *out << row.name;
}

const PromptRow kPrompts[] = {
    {"SourceAbort", Held::Source, {IDABORT}, false, false},
    {"SourceIgnore", Held::Source, {IDIGNORE}, true, false},
    {"SourceRetryUntilReleased", Held::Source, {IDRETRY, IDRETRY}, true, true},
    {"DestinationIgnore", Held::Destination, {IDIGNORE}, true, false},
    {"DestinationAbort", Held::Destination, {IDABORT}, false, false},
    {"DestinationRetryAfterRelease", Held::Destination, {IDRETRY}, true, true},
};

class CopyPrompt : public InstallRun, public ::testing::WithParamInterface<PromptRow> {};

TEST_P(CopyPrompt, AnswerDecidesTheOutcome) {
    const PromptRow& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(GoToList());
    const std::string source = InstDir() + "\\bin\\archivio.dll";
    const std::string destination = Install() + "\\bin\\archivio.dll";
    ExclusiveHold held(row.held == Held::Source ? source : destination);
    ASSERT_TRUE(held.IsHeld());
    ASSERT_TRUE(ClickButton(ui::kNext));

    MessageBoxView prompt = WaitMessageBox();
    ASSERT_TRUE(prompt) << "no prompt";
    EXPECT_EQ("Errore", prompt.Caption());
    EXPECT_EQ("Impossibile accedere a: " + (row.held == Held::Source ? source : destination),
              prompt.Text());
    EXPECT_EQ((std::vector<int>{IDABORT, IDRETRY, IDIGNORE}), prompt.Buttons());

    // Behind the prompt: the progress screen, the file named, the range
    // twice the package size.
    EXPECT_TRUE(WaitScreen(Screen::Progress(), 0));
    EXPECT_EQ("Copia in " + destination, PageControl(ui::kProgressBar, ui::kCopyStatus).Text());
    ProgressState state;
    ASSERT_TRUE(RemoteProgressBar(PageControl(ui::kProgressBar, ui::kProgressBar)).Read(state));
    EXPECT_EQ(0, state.low);
    EXPECT_EQ(2 * kStandardSize, state.high);
    EXPECT_GE(state.position, 0);
    EXPECT_LE(state.position, state.high);

    // Cancel, the close box and Next while the copy runs do nothing.
    m_wizard.PostCommand(ui::kCancel);
    m_wizard.Close();
    m_wizard.PostCommand(ui::kNext);
    Sleep(300);
    EXPECT_EQ(1, MessageBoxCount()) << "a command during the copy brought up a box";

    for (std::size_t i = 0; i < row.answers.size(); ++i) {
        if (i + 1 == row.answers.size())
            held.Release();
        const HWND shown = prompt.Window().Handle();
        ASSERT_TRUE(prompt.Answer(row.answers[i]));
        if (i + 1 < row.answers.size()) {
            // Retry while the file is still held brings the prompt back.
            ASSERT_TRUE(WaitFor([&] { return !IsWindow(shown); }, kDefaultBoundMs));
            prompt = WaitMessageBox();
            ASSERT_TRUE(prompt) << "Retry on a held file did not ask again";
            EXPECT_EQ("Errore", prompt.Caption());
        }
    }
    held.Release();
    ASSERT_NO_FATAL_FAILURE(WaitFinish());
    EXPECT_EQ(row.correct ? kCorrect : kWithErrors, FinishText(ui::kPageText));
    EXPECT_EQ(row.correct ? kCloseAdvice : kErrorAdvice, FinishText(ui::kSecondText));
    EXPECT_EQ(row.correct ? kNewStamp : kOldStamp, ReadFile(Stamp()));
    EXPECT_EQ(row.copied ? Pattern(2500, 'b') : std::string("vecchia libreria"),
              ReadFile(destination));
    if (row.correct) {
        EXPECT_EQ(Pattern(1500, 'c'), ReadFile(Install() + "\\bin\\stampa\\moduli.dll"));
        EXPECT_EQ(Pattern(3000, 'a'), ReadFile(Install() + "\\Tessaro.exe"));
    }
    CloseWithFine();
}

INSTANTIATE_TEST_SUITE_P(InstallRun, CopyPrompt, ::testing::ValuesIn(kPrompts),
                         [](const auto& info) { return std::string(info.param.name); });

// A file whose bytes are not the vendor's: asked about, never placed; Abort
// leaves the installation as it was.
TEST_F(InstallRun, DamagedFileAbortLeavesTheInstallationAsItWas) {
    ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
    ASSERT_NO_FATAL_FAILURE(WriteChecksums({"InstDir\\bin\\archivio.dll"}));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(GoToList());
    ASSERT_TRUE(ClickButton(ui::kNext));
    const MessageBoxView prompt = WaitMessageBox();
    ASSERT_TRUE(prompt) << "no prompt";
    EXPECT_EQ("Errore", prompt.Caption());
    EXPECT_EQ("File danneggiato: " + InstDir() + "\\bin\\archivio.dll", prompt.Text());
    EXPECT_EQ((std::vector<int>{IDABORT, IDRETRY, IDIGNORE}), prompt.Buttons());
    ASSERT_TRUE(prompt.Answer(IDABORT));
    ASSERT_NO_FATAL_FAILURE(WaitFinish());
    EXPECT_EQ(kWithErrors, FinishText(ui::kPageText));
    EXPECT_EQ(kOldStamp, ReadFile(Stamp()));
    EXPECT_EQ("vecchia libreria", ReadFile(Install() + "\\bin\\archivio.dll"));
    EXPECT_EQ(Pattern(5000, 'z'), ReadFile(Install() + "\\Tessaro.exe"));
    EXPECT_FALSE(Exists(Install() + "\\bin\\stampa"));
    CloseWithFine();
}

// Held open once the wizard has read it, the stamp file cannot be rewritten
// at the commit: after the quiet retries the person is asked as about any
// held file. Abort: the run must not claim success, and the files it had put
// in place go back; Retry once it is free: the update is installed.
TEST_F(InstallRun, AHeldStampIsAskedAboutLikeAnyHeldFile) {
    for (const int answer : {IDABORT, IDRETRY}) {
        const char* row = answer == IDABORT ? "Abort" : "Retry after release";
        ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(GoToList());
        ExclusiveHold held(Stamp());
        ASSERT_TRUE(held.IsHeld()) << row;
        ASSERT_TRUE(ClickButton(ui::kNext)) << row;
        MessageBoxView prompt = WaitMessageBox();
        ASSERT_TRUE(prompt) << row << ": no prompt";
        EXPECT_EQ("Impossibile accedere a: " + Stamp(), prompt.Text()) << row;
        if (answer == IDRETRY)
            held.Release();
        ASSERT_TRUE(prompt.Answer(answer)) << row;
        ASSERT_NO_FATAL_FAILURE(WaitFinish());
        held.Release();
        if (answer == IDABORT) {
            EXPECT_EQ(kWithErrors, FinishText(ui::kPageText)) << row;
            EXPECT_EQ(kErrorAdvice, FinishText(ui::kSecondText)) << row;
            EXPECT_EQ(kOldStamp, ReadFile(Stamp())) << row;
            EXPECT_EQ("vecchia libreria", ReadFile(Install() + "\\bin\\archivio.dll")) << row;
        } else {
            EXPECT_EQ(kCorrect, FinishText(ui::kPageText)) << row;
            EXPECT_EQ(kNewStamp, ReadFile(Stamp())) << row;
        }
        CloseWithFine();
    }
}

} // namespace
