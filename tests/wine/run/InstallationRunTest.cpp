// How a run starts, the same for the wizard and the run without a window:
// room on the installation's disk first, then the safety net, and nothing in
// the installation changes unless both are there.
#include "run/InstallationRun.h"
#include "fileops/CopyReport.h"
#include "fileops/UnattendedQuestions.h"
#include "TempFolder.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const char kOldStamp[] = "@versione=5.0  @build=04.04.15";

class InstallationRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.Made());
        ASSERT_TRUE(WriteBytes(Inst("Versione.txt"), kOldStamp));
        ASSERT_TRUE(WriteBytes(Tree() + "\\bin\\a.dll", "new data"));
    }
    std::string Inst(const std::string& relative) const { return m_root.Sub("inst\\" + relative); }
    std::string Tree() const { return m_root.Sub("InstDir"); }
    // What the start learnt about this installation, with a package of `total` bytes.
    StartupFacts Facts(int64_t total) const {
        StartupFacts facts;
        std::snprintf(facts.installFolder, sizeof facts.installFolder, "%s",
                      m_root.Sub("inst").c_str());
        std::snprintf(facts.stampFilePath, sizeof facts.stampFilePath, "%s",
                      Inst("Versione.txt").c_str());
        facts.installed = {50, 40415, MakeStampKey(50, 40415)};
        facts.newest = {51, 40630, MakeStampKey(51, 40630)};
        facts.totalSize = total;
        return facts;
    }

    TempFolder m_root{"tessaro-run"};
};

TEST_F(InstallationRunTest, ARunThatCannotStartSaysWhyAndChangesNothing) {
    const int64_t mebibyte = 1048576;
    const struct {
        const char* row;
        int64_t total;
        bool netFolderTaken; // a file where the safety net's folder must go
        RunStart start;
    } rows[] = {
        // Far beyond any disk, and beyond 32 bits in MB too.
        {"more than the disk holds", INT64_MAX / 4, false, RunStart::NotEnoughSpace},
        {"no safety net", 8, true, RunStart::CannotPrepare},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        if (row.netFolderTaken) {
            ASSERT_TRUE(WriteBytes(Inst("~kvu"), "not a folder"));
        }
        CInstallationRun run(TargetFor(Facts(row.total), Tree().c_str()));
        EXPECT_EQ(run.Start(), row.start);
        if (row.start == RunStart::NotEnoughSpace) {
            EXPECT_GE(run.NeededBytes(), row.total);
            EXPECT_LT(run.AvailableBytes(), run.NeededBytes());
            EXPECT_EQ(run.StartProblemText(row.start),
                      "Spazio su disco insufficiente per l'aggiornamento: servono " +
                          std::to_string((run.NeededBytes() + mebibyte - 1) / mebibyte) +
                          " MB, disponibili " + std::to_string(run.AvailableBytes() / mebibyte) +
                          " MB.");
        } else {
            EXPECT_EQ(run.StartProblemText(row.start),
                      "Impossibile preparare l'aggiornamento: nessun file è stato modificato.");
        }
        CUnattendedQuestions rule;
        ICopyReport nobody;
        EXPECT_EQ(run.Install(rule, nobody), InstallOutcome::NotStarted);
        EXPECT_EQ(ReadBytes(Inst("Versione.txt")), kOldStamp);
        EXPECT_FALSE(Exists(Inst("bin")));
        if (row.netFolderTaken)
            EXPECT_EQ(ReadBytes(Inst("~kvu")), "not a folder");
        else
            EXPECT_FALSE(Exists(Inst("~kvu")));
    }
}

// The target is built from what the start learnt: the package tree goes
// into the installation folder and the package's newest stamp is recorded.
TEST_F(InstallationRunTest, AStartedRunInstallsWhatTheStartLearnt) {
    CInstallationRun run(TargetFor(Facts(8), Tree().c_str()));
    ASSERT_EQ(run.Start(), RunStart::Started);
    EXPECT_EQ(run.StartProblemText(RunStart::Started), "");
    CUnattendedQuestions rule;
    ICopyReport nobody;
    EXPECT_EQ(run.Install(rule, nobody), InstallOutcome::Installed);
    EXPECT_EQ(ReadBytes(Inst("bin\\a.dll")), "new data");
    EXPECT_EQ(ReadBytes(Inst("Versione.txt")), "@versione=5.1  @build=04.06.30");
    EXPECT_FALSE(Exists(Inst("~kvu")));
}

} // namespace
