// The copy checked against the package's checksum file, through the real
// installation run and safety net, with real prompts: a damaged, unlisted or
// missing file is asked about as "File danneggiato: ", its data never placed,
// and Abort leaves the installation byte for byte as it was.
#include "FileopsTestSupport.h"
#include "MessageBoxAnswerer.h"
#include "data/ChecksumFile.h"
#include "fileops/CopyQuestions.h"
#include "fileops/CopyReport.h"
#include "fileops/HashWorker.h"
#include "fileops/TreeCopier.h"
#include "fileops/UnattendedQuestions.h"
#include "run/InstallationRun.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <map>

namespace {

struct DamageLog : ICopyReport {
    std::vector<std::string> lines;
    void FileDamaged(const char* path, const char* expected, const char* found) override {
        lines.push_back(std::string(path) + " " + expected + " " + found);
    }
};

const int kBlock = int(CTreeCopier::kBlockSize);

class VerifiedCopy : public ::testing::Test {
protected:
    TempFolder temp;
    CopierWindow window;
    std::string tree = temp.Sub("pkg\\InstDir");
    std::string install = temp.Sub("inst");
    // The package as built: what the checksum file says.
    std::map<std::string, std::string> built = {
        {"big.bin", Bytes(3 * kBlock + 100, 3)},
        {"bin\\a.dll", Bytes(5000, 4)},
        {"leggimi.txt", "ciao"},
        {"vuoto.dat", ""}, // the digest of nothing
    };
    std::shared_ptr<CChecksumList> sums = std::make_shared<CChecksumList>();

    void SetUp() override {
        ASSERT_TRUE(MakeFolders(tree + "\\bin"));
        ASSERT_TRUE(MakeFolders(install + "\\bin"));
        std::vector<ChecksumLine> lines;
        for (const auto& file : built) {
            ASSERT_TRUE(WriteBytes(tree + "\\" + file.first, file.second));
            CSha256 hash;
            hash.Add(file.second.data(), file.second.size());
            ChecksumLine line{"InstDir\\" + file.first, {}};
            ASSERT_TRUE(hash.Finish(line.digest));
            lines.push_back(line);
        }
        std::string text;
        ASSERT_TRUE(FormatChecksumFile(lines, text));
        ChecksumError error;
        ASSERT_TRUE(sums->Parse(text, error));
        ASSERT_TRUE(WriteBytes(install + "\\big.bin", "old big"));
        ASSERT_TRUE(WriteBytes(install + "\\bin\\a.dll", "old a"));
    }

    InstallOutcome Run(ICopyQuestions& questions, ICopyReport& report) {
        InstallationTarget target;
        target.packageTree = tree;
        target.installFolder = install;
        target.stampFilePath = install + "\\Versione.txt";
        target.newest = VersionStamp{50, 40416, 50040416};
        target.packageTotal = 4 * kBlock;
        target.checksums = sums;
        CInstallationRun run(target);
        if (run.Start() != RunStart::Started)
            return InstallOutcome::NotStarted;
        return run.Install(questions, report);
    }
};

TEST_F(VerifiedCopy, DamageIsAskedAboutAndNeverPlaced) {
    const std::string big = "big.bin";
    auto changeByte = [](std::string bytes, size_t at) {
        bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
        return bytes;
    };
    const std::string good = built[big];
    const struct {
        const char* row;
        std::string file;  // the package file damaged (relative), or "" for none
        std::string bytes; // what it holds instead; "<missing>": removed
        int answer;
        InstallOutcome outcome;
        bool mendAtPrompt; // the good bytes are put back while the box is up
    } rows[] = {
        {"first block, Abort", big, changeByte(good, 0), IDABORT, InstallOutcome::Failed, false},
        {"middle block, Ignore", big, changeByte(good, kBlock + 17), IDIGNORE,
         InstallOutcome::Installed, false},
        {"last block, Retry after mending", big, changeByte(good, good.size() - 1), IDRETRY,
         InstallOutcome::Installed, true},
        {"cut short, Abort", big, good.substr(0, 2 * kBlock), IDABORT, InstallOutcome::Failed,
         false},
        {"unlisted file, Ignore", "bin\\extra.dll", "x", IDIGNORE, InstallOutcome::Installed,
         false},
        {"unlisted file, Abort", "bin\\extra.dll", "x", IDABORT, InstallOutcome::Failed, false},
        {"missing file, Ignore", "bin\\a.dll", "<missing>", IDIGNORE, InstallOutcome::Installed,
         false},
        {"missing file, Retry after it is back", "bin\\a.dll", "<missing>", IDRETRY,
         InstallOutcome::Installed, true},
        {"missing file, Abort", "bin\\a.dll", "<missing>", IDABORT, InstallOutcome::Failed, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        // The package as built, then the row's damage.
        for (const auto& file : built)
            ASSERT_TRUE(WriteBytes(tree + "\\" + file.first, file.second));
        DeleteFileA((tree + "\\bin\\extra.dll").c_str());
        const std::string damaged = tree + "\\" + row.file;
        if (row.bytes == "<missing>")
            ASSERT_TRUE(DeleteFileA(damaged.c_str()));
        else
            ASSERT_TRUE(WriteBytes(damaged, row.bytes));
        const std::map<std::string, std::string> before = ReadTree(install);

        MessageBoxAnswerer answerer;
        answerer.Queue(row.answer);
        PromptWatcher mend([&] {
            if (row.mendAtPrompt)
                WriteBytes(damaged, built[row.file]);
        });
        CPromptQuestions person(window.Frame());
        DamageLog report;
        EXPECT_EQ(Run(person, report), row.outcome);

        ASSERT_EQ(answerer.Boxes().size(), 1u);
        EXPECT_EQ(answerer.Boxes()[0].text, "File danneggiato: " + damaged);
        EXPECT_EQ(answerer.Boxes()[0].caption, "Errore");
        EXPECT_EQ(answerer.Boxes()[0].buttons, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
        EXPECT_EQ(answerer.Boxes()[0].defaultButton, IDABORT);
        ASSERT_EQ(report.lines.size(), 1u);
        EXPECT_EQ(report.lines[0].find(damaged + " "), 0u) << report.lines[0];

        std::map<std::string, std::string> after = ReadTree(install);
        if (row.outcome == InstallOutcome::Failed) {
            EXPECT_EQ(after, before);
            continue;
        }
        after.erase("Versione.txt");
        std::map<std::string, std::string> expected = built;
        if (row.answer == IDIGNORE && row.file != "bin\\extra.dll")
            expected[row.file] = before.at(row.file); // left as it was
        EXPECT_EQ(after, expected);
        // Put back for the next row.
        ASSERT_TRUE(RemoveTree(install));
        ASSERT_TRUE(MakeFolders(install + "\\bin"));
        ASSERT_TRUE(WriteBytes(install + "\\big.bin", "old big"));
        ASSERT_TRUE(WriteBytes(install + "\\bin\\a.dll", "old a"));
    }
}

// Unattended: read once more (a disc often reads right the second time),
// then the update is abandoned and undone.
TEST_F(VerifiedCopy, UnattendedReadsOnceMoreThenUndoes) {
    std::string bytes = built["big.bin"];
    bytes[kBlock] ^= 1;
    ASSERT_TRUE(WriteBytes(tree + "\\big.bin", bytes));
    const std::map<std::string, std::string> before = ReadTree(install);
    CUnattendedQuestions rule;
    DamageLog report;
    EXPECT_EQ(Run(rule, report), InstallOutcome::Failed);
    EXPECT_EQ(report.lines.size(), 2u);
    EXPECT_EQ(ReadTree(install), before);
}

// The worker's digest is the library's over the same bytes, whatever the
// blocks: none, one (hashed on the spot), many (on the thread), and a stream
// dropped half way (a read that failed, a Retry) before the next one.
TEST(HashWorker, SameDigestAsTheLibraryForAnyStream) {
    const std::string bytes = Bytes(9 * kBlock + 5, 6);
    const struct {
        const char* row;
        size_t length;
        size_t block;
        size_t droppedFirst; // bytes handed, then dropped by Restart
    } rows[] = {
        {"nothing", 0, kBlock, 0},
        {"one short block", 100, kBlock, 0},
        {"one whole block", kBlock, kBlock, 0},
        {"two blocks", kBlock + 1, kBlock, 0},
        {"many uneven blocks", bytes.size(), 7777, 0},
        {"after a stream dropped on the thread", bytes.size(), kBlock, 6 * kBlock},
        {"after a stream dropped on the spot", 300, kBlock, 200},
    };
    CHashWorker worker;
    for (const auto& row : rows) {
        if (row.droppedFirst > 0) {
            for (size_t at = 0; at < row.droppedFirst; at += row.block)
                worker.Add(bytes.data() + at, std::min(row.block, row.droppedFirst - at));
            worker.Restart();
        }
        for (size_t at = 0; at < row.length; at += row.block)
            worker.Add(bytes.data() + at, std::min(row.block, row.length - at));
        Sha256Digest digest;
        ASSERT_TRUE(worker.Finish(digest)) << row.row;
        CSha256 library;
        library.Add(bytes.data(), row.length);
        Sha256Digest expected;
        ASSERT_TRUE(library.Finish(expected)) << row.row;
        EXPECT_EQ(DigestToHex(digest), DigestToHex(expected)) << row.row;
    }
}

} // namespace
