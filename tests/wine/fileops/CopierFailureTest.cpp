#include "CopierFixture.h"
#include "fileops/FolderSize.h"
#include <algorithm>

namespace {

TEST_F(TreeCopierTest, AReadOrWriteFailingMidFileIsNeverCountedAsCopied) {
    using Fault = TestCopier::Fault;
    const struct {
        const char* row;
        Fault fault;
        int answer;
        int result;
    } rows[] = {
        {"read Abort", Fault::ReadFails, IDABORT, 0},
        {"read Retry", Fault::ReadFails, IDRETRY, 1},
        {"read Ignore", Fault::ReadFails, IDIGNORE, 1},
        {"write Abort", Fault::WriteFails, IDABORT, 0},
        {"write Retry", Fault::WriteFails, IDRETRY, 1},
        {"write Ignore", Fault::WriteFails, IDIGNORE, 1},
        {"short write Abort", Fault::WriteShort, IDABORT, 0},
        {"short write Retry", Fault::WriteShort, IDRETRY, 1},
        {"short write Ignore", Fault::WriteShort, IDIGNORE, 1},
    };
    // Three blocks: the second read or write is one in the middle of the file.
    const int size = 2 * int(CTreeCopier::kBlockSize) + 952;
    const std::string data = Bytes(size, 7);
    ASSERT_TRUE(WriteBytes(source + "\\f.bin", data));
    int serial = 0;
    for (const auto& row : rows) {
        const std::string to = temp.Sub("d" + std::to_string(++serial));
        ASSERT_TRUE(WriteBytes(to + "\\f.bin", "old")) << row.row;
        MessageBoxAnswerer answerer;
        answerer.Queue(row.answer);
        NetCopy run(window.Frame(), to);
        ASSERT_TRUE(run.begun) << row.row;
        TestCopier copier(run.net, run.person, run.report);
        copier.fault = row.fault;
        copier.faultyCall = 2;
        const int copied = copier.CopyTree(source.c_str(), to.c_str());
        EXPECT_EQ(copied, row.result) << row.row;
        ExpectPrompts(answerer, {(row.fault == Fault::ReadFails ? source : to) + "\\f.bin"},
                      row.row);
        // Ignore skips the file whole: the installation still holds the package.
        EXPECT_FALSE(copier.LeftIncomplete()) << row.row;
        // Ended first: a file just placed is held until its data is on the disk.
        EXPECT_TRUE(run.End(copier, copied)) << row.row;
        if (row.answer == IDRETRY) {
            // Copied again from its start; the total went back with it.
            EXPECT_EQ(ReadBytes(to + "\\f.bin"), data) << row.row;
            EXPECT_EQ(copier.RunningTotal(), 2 * size) << row.row;
            EXPECT_EQ(run.report.total, 2 * size) << row.row;
        } else {
            // Nothing of the part written reaches the installation.
            EXPECT_EQ(ReadBytes(to + "\\f.bin"), "old") << row.row;
        }
    }
}

TEST_F(TreeCopierTest, APromptThatCannotBeShownStopsTheCopy) {
    const std::string file = "\\f.dat";
    ASSERT_TRUE(WriteBytes(source + file, Bytes(100)));
    ASSERT_TRUE(MakeFolder(destination));
    ASSERT_TRUE(WriteBytes(destination + file, Bytes(100)));
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    DestroyWindow(gone);
    for (const std::string& held : {source + file, destination + file}) {
        ExclusiveHold hold(held);
        MessageBoxAnswerer answerer;
        NetCopy run(gone, destination);
        ASSERT_TRUE(run.begun) << held;
        CTreeCopier copier(run.net, run.person, run.report);
        EXPECT_EQ(copier.CopyTree(source.c_str(), destination.c_str()), 0) << held;
        EXPECT_TRUE(answerer.Boxes().empty()) << held;
        hold.Release();
        EXPECT_TRUE(run.End(copier, 0)) << held;
    }
}

TEST_F(TreeCopierTest, PathsTooLongForTheFileCallsAreEntriesThatCannotBeAccessed) {
    // Source and destination roots of the same length: the paths under them match.
    ASSERT_EQ(source.size(), destination.size());
    const std::string folder = PathOfLength(source, "f", 200);
    ASSERT_TRUE(MakeFolder(folder));
    const std::string fits = PathOfLength(folder, "a", MAX_PATH - 1);
    const std::string tooLong = PathOfLength(folder, "b", MAX_PATH);
    // The folder's own path fits, its listing pattern (folder\*.*) does not.
    const std::string unlistable = PathOfLength(source, "g", MAX_PATH - 1);
    ASSERT_TRUE(WriteBytes(fits, Bytes(300)) && WriteBytes(tooLong, Bytes(400)));
    ASSERT_TRUE(MakeFolder(unlistable) && WriteBytes(unlistable + "\\x", Bytes(500)));
    const std::string mirrored = destination + fits.substr(source.size());

    MessageBoxAnswerer answerer;
    answerer.Queue(IDIGNORE);
    answerer.Queue(IDIGNORE);
    NetCopy run(window.Frame(), destination);
    ASSERT_TRUE(run.begun);
    CTreeCopier copier(run.net, run.person, run.report);
    EXPECT_EQ(copier.CopyTree(source.c_str(), destination.c_str()), 1);
    EXPECT_TRUE(run.End(copier, 1));
    EXPECT_EQ(ReadBytes(mirrored), Bytes(300));
    std::vector<std::string> asked;
    for (const MessageBoxRecord& box : answerer.Boxes())
        asked.push_back(box.text);
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"Impossibile accedere a: " + tooLong,
                                               "Impossibile accedere a: " + unlistable}));
    EXPECT_FALSE(copier.LeftIncomplete());

    // The same tree into a root one character longer: a file and a folder
    // whose destinations no longer fit.
    const std::string longer = destination + "2";
    const std::string folderTarget = longer + unlistable.substr(source.size());
    const std::string fileTarget = longer + fits.substr(source.size());
    MessageBoxAnswerer second;
    for (int i = 0; i < 3; ++i)
        second.Queue(IDIGNORE);
    NetCopy longerRun(window.Frame(), longer);
    ASSERT_TRUE(longerRun.begun);
    CTreeCopier longerCopier(longerRun.net, longerRun.person, longerRun.report);
    EXPECT_EQ(longerCopier.CopyTree(source.c_str(), longer.c_str()), 1);
    EXPECT_TRUE(longerRun.End(longerCopier, 1));
    const std::vector<std::string>& startedAtPrompt = longerRun.report.StartedAtQuestions();
    asked.clear();
    for (const MessageBoxRecord& box : second.Boxes())
        asked.push_back(box.text);
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "Impossibile accedere a: " + fileTarget), 1);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "Impossibile accedere a: " + folderTarget), 1);
    const auto fileBox =
        std::find(asked.begin(), asked.end(), "Impossibile accedere a: " + fileTarget);
    ASSERT_NE(fileBox, asked.end());
    EXPECT_EQ(startedAtPrompt.at(fileBox - asked.begin()), fileTarget);

    // The size walk counts only what it can reach.
    int64_t total = 0;
    AddFolderSizeTo(source.c_str(), total);
    EXPECT_EQ(total, 300);
}

} // namespace
