// Start-up refusals and the package size, seen from outside.
#include "WizardTest.h"

#include "driver/RemoteProgressBar.h"

#include "ExclusiveHold.h"
#include "TestFiles.h"

using namespace e2e;

namespace {

enum class Setup {
    NotRegistered,
    FolderMissing,
    NoListFile,
    EmptyTree,
    EmptyFolders,
    EmptyNegative,
    ListNotAsListed
};

struct RefusalRow {
    const char* name;
    Setup setup;
    const char* message;
};

void PrintTo(const RefusalRow& row, std::ostream* out) {
    *out << row.name;
}

const char kNotInstalled[] = "Programma Tessaro non risulta essere installato su questo computer.";

const RefusalRow kRefusals[] = {
    {"NotRegistered", Setup::NotRegistered, kNotInstalled},
    {"RegisteredFolderMissing", Setup::FolderMissing, kNotInstalled},
    {"NoListFile", Setup::NoListFile, "Nessuna informazione di aggiornamento."},
    {"EmptyTreeNoSizeFile", Setup::EmptyTree, "Nessun Aggiornamento da installare."},
    {"OnlyEmptyFoldersSizeZero", Setup::EmptyFolders, "Nessun Aggiornamento da installare."},
    // A negative stated size is no size at all: nothing is added to it.
    {"EmptyTreeNegativeSize", Setup::EmptyNegative, "Nessun Aggiornamento da installare."},
    // The accented letter as code page 1252 has it: the box shows it right.
    {"ListDiffersFromChecksumFile", Setup::ListNotAsListed,
     "Il pacchetto di aggiornamento \xE8 danneggiato: r2718upd.txt. Si prega di contattare il Vs. "
     "Fornitore."},
};

class Refusal : public WizardTest, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(Refusal, ShowsWhyAndEnds) {
    const RefusalRow& row = GetParam();
    const std::string stamp = "@versione=5.0  @build=04.04.15";
    AddInstalledFile("Versione.txt", stamp);
    if (row.setup != Setup::NoListFile)
        WriteList("-> @versione=5.0  @build=04.04.16\r\nCorrezioni\r\n");
    switch (row.setup) {
    case Setup::NotRegistered:
        break;
    case Setup::FolderMissing:
        Register(Install() + "\\Mancante");
        break;
    case Setup::NoListFile:
        Register();
        WriteSize("10");
        AddPackageFile("leggimi.txt", "0123456789");
        break;
    case Setup::EmptyTree:
        Register();
        AddPackageFolder("");
        break;
    case Setup::EmptyFolders:
        Register();
        WriteSize("0");
        AddPackageFolder("bin\\vuota");
        AddPackageFolder("doc");
        break;
    case Setup::EmptyNegative:
        Register();
        WriteSize("-100");
        AddPackageFolder("");
        break;
    case Setup::ListNotAsListed:
        Register();
        WriteSize("10");
        AddPackageFile("leggimi.txt", "0123456789");
        ASSERT_TRUE(WriteBytes(Media() + "\\r2718upd.dat\\SHA256SUMS",
                               std::string(64, '0') + "  r2718upd.txt\n"));
        break;
    }
    ASSERT_NO_FATAL_FAILURE(Start());

    const MessageBoxView box = WaitMessageBox();
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(kCaption, box.Caption());
    EXPECT_EQ(row.message, box.Text());
    EXPECT_EQ(std::vector<int>{IDOK}, box.Buttons());
    ASSERT_TRUE(box.Answer(IDOK));
    EXPECT_TRUE(WaitExit()) << "the program goes on after the message";
    EXPECT_EQ(stamp, ReadFile(Stamp()));
}

INSTANTIATE_TEST_SUITE_P(StartupChecks, Refusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

struct SizeRow {
    const char* name;
    const char* sizeFile; // null: no size file
    int total;            // the size the progress range is made from
};

void PrintTo(const SizeRow& row, std::ostream* out) {
    *out << row.name;
}

const SizeRow kSizes[] = {
    {"NoSizeFile", nullptr, kStandardSize},
    {"Zero", "0\r\n", kStandardSize},
    {"NotANumber", "abc\r\n", kStandardSize},
    // Counted from zero, not from the negative number.
    {"Negative", "-1000\r\n", kStandardSize},
    {"StatedSizeIsTrusted", "5000 byte\r\n", 5000},
};

class PackageSize : public WizardTest, public ::testing::WithParamInterface<SizeRow> {};

// The range is caught while a package file held open stops the copy at its prompt.
TEST_P(PackageSize, SetsTheProgressRange) {
    const SizeRow& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
    const std::string sizeFile = Media() + "\\r2718upd.dat\\sizeofupds.txt";
    if (row.sizeFile)
        WriteSize(row.sizeFile);
    else
        ASSERT_TRUE(DeleteFileA(sizeFile.c_str()));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(GoToList());
    ExclusiveHold held(InstDir() + "\\bin\\archivio.dll");
    ASSERT_TRUE(held.IsHeld());
    ASSERT_TRUE(ClickButton(ui::kNext));

    const MessageBoxView prompt = WaitMessageBox();
    ASSERT_TRUE(prompt) << "no prompt for the held file";
    ProgressState state;
    ASSERT_TRUE(RemoteProgressBar(PageControl(ui::kProgressBar, ui::kProgressBar)).Read(state));
    EXPECT_EQ(0, state.low);
    EXPECT_EQ(2 * row.total, state.high);
    EXPECT_GE(state.position, 0);
    prompt.Answer(IDABORT);
    ASSERT_NO_FATAL_FAILURE(WaitFinish());
    ASSERT_TRUE(ClickButton(ui::kCancel));
    EXPECT_TRUE(WaitExit());
}

INSTANTIATE_TEST_SUITE_P(StartupChecks, PackageSize, ::testing::ValuesIn(kSizes),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
