#include "CopierFixture.h"
#include "fileops/Paths.h"
#include <cstring>

namespace {

TEST(LastPathComponent, IsTheTextAfterTheLastBackslash) {
    const struct {
        const char* path;
        const char* last;
    } rows[] = {{"C:\\a\\b.txt", "b.txt"}, {"b.txt", "b.txt"}, {"C:\\a\\", ""}, {"a/b", "a/b"}};
    for (const auto& row : rows) {
        const char* last = LastPathComponent(row.path);
        EXPECT_STREQ(last, row.last) << row.path;
        EXPECT_EQ(last + std::strlen(last), row.path + std::strlen(row.path)) << row.path;
    }
}

TEST_F(TreeCopierTest, CopiesTheWholeTreeOverTheDestination) {
    MessageBoxAnswerer answerer;
    struct File {
        const char* name;
        size_t size;
        DWORD attributes;
    };
    const File files[] = {{"a.txt", 3000, 0},
                          {"empty.txt", 0, 0},
                          {"hidden.dat", 700, FILE_ATTRIBUTE_HIDDEN},
                          {"system.dat", 900, FILE_ATTRIBUTE_SYSTEM},
                          {"sub\\b.bin", 5000, 0},
                          {"sub\\deeper\\c.bin", 1, 0}};
    for (const char* folder : {"sub", "sub\\deeper", "emptydir", "nested", "nested\\inner"}) {
        ASSERT_TRUE(MakeFolder(source + "\\" + folder));
    }
    int64_t total = 0;
    for (const File& file : files) {
        ASSERT_TRUE(WriteBytes(source + "\\" + file.name, Bytes(file.size, file.size)));
        if (file.attributes)
            SetFileAttributesA((source + "\\" + file.name).c_str(), file.attributes);
        total += file.size;
    }
    // An existing destination longer than its source keeps no tail.
    ASSERT_TRUE(MakeFolder(destination));
    ASSERT_TRUE(WriteBytes(destination + "\\a.txt", Bytes(10000, 9)));

    NetCopy run(window.Frame(), destination);
    ASSERT_TRUE(run.begun);
    CTreeCopier copier(run.net, run.person, run.report);
    const int copied = copier.CopyTree(source.c_str(), destination.c_str());
    ASSERT_EQ(copied, 1);
    EXPECT_TRUE(run.End(copier, copied));

    for (const File& file : files) {
        EXPECT_EQ(ReadBytes(destination + "\\" + file.name), Bytes(file.size, file.size))
            << file.name;
    }
    for (const char* folder : {"emptydir", "nested\\inner"}) {
        EXPECT_TRUE(IsFolder(destination + "\\" + folder)) << folder;
    }
    EXPECT_EQ(copier.RunningTotal(), 2 * total);
    EXPECT_EQ(run.report.total, 2 * total);
    EXPECT_EQ(run.report.LastStarted().rfind(destination + "\\", 0), 0u)
        << run.report.LastStarted();
    EXPECT_FALSE(copier.LeftIncomplete());
    ExpectPrompts(answerer, {}, "no prompt");
}

TEST_F(TreeCopierTest, AnEmptyRootCopiesNothingWithoutAQuestion) {
    MessageBoxAnswerer answerer;
    NetCopy run(window.Frame(), destination);
    ASSERT_TRUE(run.begun);
    CTreeCopier copier(run.net, run.person, run.report);
    const int copied = copier.CopyTree(source.c_str(), destination.c_str());
    EXPECT_EQ(copied, 1);
    EXPECT_TRUE(run.report.files.empty());
    EXPECT_TRUE(run.End(copier, copied));
    ExpectPrompts(answerer, {}, "no prompt");
}

enum class Obstacle { SourceHeld, DestinationHeld, FolderAtDestination };

TEST_F(TreeCopierTest, AFileThatCannotBeOpenedIsAskedAbout) {
    const struct {
        const char* row;
        Obstacle obstacle;
        std::vector<int> answers;
        bool clearedAtFirstPrompt;
        int result;
        bool copied;
    } rows[] = {
        {"source Abort", Obstacle::SourceHeld, {IDABORT}, false, 0, false},
        {"source Ignore", Obstacle::SourceHeld, {IDIGNORE}, false, 1, false},
        {"source Retry", Obstacle::SourceHeld, {IDRETRY}, true, 1, true},
        {"destination Abort", Obstacle::DestinationHeld, {IDABORT}, false, 0, false},
        {"destination Ignore", Obstacle::DestinationHeld, {IDIGNORE}, false, 1, false},
        {"destination Retry", Obstacle::DestinationHeld, {IDRETRY}, true, 1, true},
        {"folder Abort", Obstacle::FolderAtDestination, {IDABORT}, false, 0, false},
        {"folder Retry Ignore",
         Obstacle::FolderAtDestination,
         {IDRETRY, IDIGNORE},
         false,
         1,
         false},
        {"folder Retry", Obstacle::FolderAtDestination, {IDRETRY}, true, 1, true},
    };
    int serial = 0;
    for (const auto& row : rows) {
        MessageBoxAnswerer answerer;
        const std::string from = temp.Sub("s" + std::to_string(++serial));
        const std::string to = temp.Sub("d" + std::to_string(serial));
        const std::string file = "\\file.dat";
        ASSERT_TRUE(MakeFolder(from) && MakeFolder(to));
        ASSERT_TRUE(WriteBytes(from + file, Bytes(1500, 3)));
        ASSERT_TRUE(WriteBytes(from + "\\other.dat", Bytes(800, 4)));
        const std::string before = Bytes(4000, 5);
        if (row.obstacle == Obstacle::FolderAtDestination) {
            ASSERT_TRUE(MakeFolder(to + file));
        } else {
            ASSERT_TRUE(WriteBytes(to + file, before));
        }
        const bool atSource = row.obstacle == Obstacle::SourceHeld;
        ExclusiveHold hold(atSource ? from + file : to + file);
        ASSERT_TRUE(row.obstacle == Obstacle::FolderAtDestination || hold.IsHeld()) << row.row;

        int prompts = 0;
        PromptWatcher watcher([&] {
            if (row.clearedAtFirstPrompt && ++prompts == 1) {
                hold.Release();
                if (row.obstacle == Obstacle::FolderAtDestination)
                    RemoveDirectoryA((to + file).c_str());
            }
        });
        for (int answer : row.answers)
            answerer.Queue(answer);
        NetCopy run(window.Frame(), to);
        ASSERT_TRUE(run.begun) << row.row;
        CTreeCopier copier(run.net, run.person, run.report);
        const int copied = copier.CopyTree(from.c_str(), to.c_str());
        EXPECT_EQ(copied, row.result) << row.row;
        hold.Release();
        EXPECT_TRUE(run.End(copier, copied)) << row.row;

        const std::string asked = atSource ? from + file : to + file;
        ExpectPrompts(answerer, std::vector<std::string>(row.answers.size(), asked), row.row);
        // Announced before it was opened, also when it is then skipped.
        EXPECT_EQ(run.report.StartedAtQuestions(),
                  std::vector<std::string>(row.answers.size(), to + file))
            << row.row;
        if (row.copied) {
            EXPECT_EQ(ReadBytes(to + file), Bytes(1500, 3)) << row.row;
        } else if (row.obstacle != Obstacle::FolderAtDestination) {
            EXPECT_EQ(ReadBytes(to + file), before) << row.row;
        }
        if (row.result == 1) {
            EXPECT_EQ(ReadBytes(to + "\\other.dat"), Bytes(800, 4)) << row.row;
        }
        EXPECT_FALSE(copier.LeftIncomplete()) << row.row;
        // Nothing left open, whatever the answer.
        ExclusiveHold after(from + file);
        EXPECT_TRUE(after.IsHeld()) << row.row;
    }
}

TEST_F(TreeCopierTest, AbortLeavesTheRestOfEveryEnclosingFolderUnvisited) {
    MessageBoxAnswerer answerer;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(WriteBytes(source + "\\r" + std::to_string(i), Bytes(100)));
    }
    ASSERT_TRUE(MakeFolder(source + "\\sub"));
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(WriteBytes(source + "\\sub\\s" + std::to_string(i), Bytes(100)));
    }
    const std::vector<std::string> rootOrder = ListingOrder(source);
    const std::vector<std::string> subOrder = ListingOrder(source + "\\sub");
    const size_t held = subOrder.size() / 2;
    ExclusiveHold hold(source + "\\sub\\" + subOrder[held]);
    answerer.Queue(IDABORT);

    NetCopy run(window.Frame(), destination);
    ASSERT_TRUE(run.begun);
    CTreeCopier copier(run.net, run.person, run.report);
    EXPECT_EQ(copier.CopyTree(source.c_str(), destination.c_str()), 0);
    ExpectPrompts(answerer, {source + "\\sub\\" + subOrder[held]}, "abort");
    bool beforeSub = true;
    for (const std::string& name : rootOrder) {
        if (name == "sub") {
            beforeSub = false;
            continue;
        }
        EXPECT_EQ(Exists(destination + "\\" + name), beforeSub) << name;
    }
    for (size_t i = 0; i < subOrder.size(); ++i) {
        EXPECT_EQ(Exists(destination + "\\sub\\" + subOrder[i]), i < held) << subOrder[i];
    }
    EXPECT_TRUE(run.End(copier, 0));
}

TEST_F(TreeCopierTest, AnEntryThatVanishesAfterTheListingStopsTheCopyWithoutAPrompt) {
    MessageBoxAnswerer answerer;
    ASSERT_TRUE(WriteBytes(source + "\\x.dat", Bytes(2000)));
    ASSERT_TRUE(WriteBytes(source + "\\y.dat", Bytes(2000)));
    NetCopy run(window.Frame(), destination);
    ASSERT_TRUE(run.begun);
    run.report.onFirstTotal = [&] {
        const bool copyingX = run.report.LastStarted().find("x.dat") != std::string::npos;
        DeleteFileA((source + (copyingX ? "\\y.dat" : "\\x.dat")).c_str());
    };
    CTreeCopier copier(run.net, run.person, run.report);
    EXPECT_EQ(copier.CopyTree(source.c_str(), destination.c_str()), 0);
    ExpectPrompts(answerer, {}, "no prompt");
    EXPECT_TRUE(run.End(copier, 0));
}

TEST_F(TreeCopierTest, AFolderThatCannotBeListedIsAskedAbout) {
    enum class Folder { MissingRoot, HeldSubFolder };
    const struct {
        const char* row;
        Folder folder;
        int answer;
        int result;
        bool incomplete;
    } rows[] = {
        {"missing root Abort", Folder::MissingRoot, IDABORT, 0, false},
        // Skipping the root installs nothing: the caller must not report success.
        {"missing root Ignore", Folder::MissingRoot, IDIGNORE, 1, true},
        {"missing root Retry", Folder::MissingRoot, IDRETRY, 1, false},
        {"held folder Abort", Folder::HeldSubFolder, IDABORT, 0, false},
        {"held folder Ignore", Folder::HeldSubFolder, IDIGNORE, 1, false},
        {"held folder Retry", Folder::HeldSubFolder, IDRETRY, 1, false},
    };
    int serial = 0;
    for (const auto& row : rows) {
        const std::string from = temp.Sub("s" + std::to_string(++serial));
        const std::string to = temp.Sub("d" + std::to_string(serial));
        const bool atRoot = row.folder == Folder::MissingRoot;
        const std::string folder = atRoot ? from : from + "\\sub";
        const std::string inside = atRoot ? "\\inside.dat" : "\\sub\\inside.dat";
        if (!atRoot) {
            ASSERT_TRUE(MakeFolder(from) && MakeFolder(folder));
            ASSERT_TRUE(WriteBytes(from + "\\sibling.dat", Bytes(10)));
            ASSERT_TRUE(WriteBytes(from + inside, Bytes(20)));
        }
        ExclusiveHold hold(folder);
        ASSERT_EQ(hold.IsHeld(), !atRoot) << row.row;
        PromptWatcher watcher([&] {
            if (row.answer != IDRETRY)
                return;
            hold.Release();
            MakeFolder(folder);
            WriteBytes(from + inside, Bytes(20));
        });
        MessageBoxAnswerer answerer;
        answerer.Queue(row.answer);
        NetCopy run(window.Frame(), to);
        ASSERT_TRUE(run.begun) << row.row;
        CTreeCopier copier(run.net, run.person, run.report);
        const int copied = copier.CopyTree(from.c_str(), to.c_str());
        EXPECT_EQ(copied, row.result) << row.row;
        ExpectPrompts(answerer, {folder}, row.row);
        EXPECT_EQ(copier.LeftIncomplete(), row.incomplete) << row.row;
        EXPECT_EQ(Exists(to + inside), row.answer == IDRETRY) << row.row;
        EXPECT_TRUE(run.End(copier, copied)) << row.row;
        if (!atRoot && row.result == 1) {
            EXPECT_EQ(ReadBytes(to + "\\sibling.dat"), Bytes(10)) << row.row;
        }
    }
}

} // namespace
