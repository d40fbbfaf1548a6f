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
        bool incomplete;
    } rows[] = {
        {"read Abort", Fault::ReadFails, IDABORT, 0, false},
        {"read Retry", Fault::ReadFails, IDRETRY, 1, false},
        {"read Ignore", Fault::ReadFails, IDIGNORE, 1, true},
        {"write Abort", Fault::WriteFails, IDABORT, 0, false},
        {"write Retry", Fault::WriteFails, IDRETRY, 1, false},
        {"write Ignore", Fault::WriteFails, IDIGNORE, 1, true},
        {"short write Abort", Fault::WriteShort, IDABORT, 0, false},
        {"short write Retry", Fault::WriteShort, IDRETRY, 1, false},
        {"short write Ignore", Fault::WriteShort, IDIGNORE, 1, true},
    };
    // Three blocks: the second read or write is one in the middle of the file.
    const int size = 2 * int(CTreeCopier::kBlockSize) + 952;
    const std::string data = Bytes(size, 7);
    ASSERT_TRUE(WriteBytes(source + "\\f.bin", data));
    int serial = 0;
    for (const auto& row : rows) {
        const std::string to = temp.Sub("d" + std::to_string(++serial));
        MessageBoxAnswerer answerer;
        answerer.Queue(row.answer);
        TestCopier copier(window.Frame(), &window.Progress(), &window.Status());
        copier.fault = row.fault;
        copier.faultyCall = 2;
        EXPECT_EQ(Copy(copier, size, source, to), row.result) << row.row;
        ExpectPrompts(answerer, {(row.fault == Fault::ReadFails ? source : to) + "\\f.bin"},
                      row.row);
        EXPECT_EQ(copier.LeftIncomplete(), row.incomplete) << row.row;
        if (row.answer == IDRETRY) {
            // Copied again from its start; the bar went back with it.
            EXPECT_EQ(ReadBytes(to + "\\f.bin"), data) << row.row;
            EXPECT_EQ(copier.RunningTotal(), 2 * size) << row.row;
            EXPECT_EQ(window.Progress().GetPos(), 2 * size) << row.row;
        } else {
            EXPECT_LT(ReadBytes(to + "\\f.bin").size(), data.size()) << row.row;
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
        CTreeCopier copier(gone, &window.Progress(), &window.Status());
        EXPECT_EQ(copier.CopyTree(source.c_str(), destination.c_str()), 0) << held;
        EXPECT_TRUE(answerer.Boxes().empty()) << held;
    }
}

TEST_F(TreeCopierTest, HiddenAndSystemDestinationsAreReplacedLikeAnyOther) {
    ASSERT_TRUE(MakeFolder(destination));
    const struct {
        const char* name;
        DWORD attribute;
    } rows[] = {{"\\hidden.dat", FILE_ATTRIBUTE_HIDDEN}, {"\\system.dat", FILE_ATTRIBUTE_SYSTEM}};
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteBytes(source + row.name, Bytes(500, 1)));
        ASSERT_TRUE(WriteBytes(destination + row.name, Bytes(900, 2)));
        ASSERT_TRUE(SetFileAttributesA((destination + row.name).c_str(), row.attribute));
    }
    MessageBoxAnswerer answerer;
    TestCopier copier(window.Frame(), &window.Progress(), &window.Status());
    copier.refuseHiddenReplace = true;
    EXPECT_EQ(Copy(copier, 1000, source, destination), 1);
    ExpectPrompts(answerer, {}, "no prompt");
    for (const auto& row : rows) {
        EXPECT_EQ(ReadBytes(destination + row.name), Bytes(500, 1)) << row.name;
        EXPECT_TRUE(GetFileAttributesA((destination + row.name).c_str()) & row.attribute)
            << row.name;
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
    CTreeCopier copier(window.Frame(), &window.Progress(), &window.Status());
    EXPECT_EQ(Copy(copier, 300, source, destination), 1);
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
    std::vector<std::string> statusAtPrompt;
    PromptWatcher watcher([&] { statusAtPrompt.push_back(window.StatusText()); });
    EXPECT_EQ(Copy(copier, 300, source, longer), 1);
    asked.clear();
    for (const MessageBoxRecord& box : second.Boxes())
        asked.push_back(box.text);
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "Impossibile accedere a: " + fileTarget), 1);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "Impossibile accedere a: " + folderTarget), 1);
    const auto fileBox =
        std::find(asked.begin(), asked.end(), "Impossibile accedere a: " + fileTarget);
    ASSERT_NE(fileBox, asked.end());
    EXPECT_EQ(statusAtPrompt.at(fileBox - asked.begin()), "Copia in " + fileTarget);

    // The size walk counts only what it can reach.
    int64_t total = 0;
    AddFolderSizeTo(source.c_str(), total);
    EXPECT_EQ(total, 300);
}

} // namespace
