#include "CopierFixture.h"
#include "fileops/Paths.h"
#include <climits>
#include <cstdlib>
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

TEST(ProgressRange, IsTwiceTheTotalBelowOneGibibyteAndScaledAbove) {
    const int64_t gib = int64_t(1) << 30;
    const struct {
        int64_t total;
        int range;
    } rows[] = {{0, 0},
                {2500, 5000},
                {gib - 1, INT_MAX - 1},
                {gib, int(gib)},
                {3 * gib, int(3 * gib / 2)},
                {(int64_t(1) << 40) + 7, int(gib)}};
    for (const auto& row : rows) {
        EXPECT_EQ(CTreeCopier::ProgressRangeFor(row.total), row.range) << row.total;
    }
}

TEST_F(TreeCopierTest, PositionsOfOneFileAreTheBytesReadAndWritten) {
    // Two whole blocks and a part: each read and each write moves the total.
    const int block = int(CTreeCopier::kBlockSize);
    const int size = 2 * block + 452;
    const struct {
        int64_t total;
        int shift;
    } rows[] = {{size, 0},
                // Above 1 GiB the same bytes land on a range scaled by 4.
                {int64_t(3) << 30, 2}};
    ASSERT_TRUE(WriteBytes(source + "\\a.bin", Bytes(size)));
    for (const auto& row : rows) {
        const std::vector<int> expected = {block >> row.shift,
                                           (2 * block) >> row.shift,
                                           (3 * block) >> row.shift,
                                           (4 * block) >> row.shift,
                                           (4 * block + 452) >> row.shift,
                                           (4 * block + 904) >> row.shift};
        PositionLog log;
        TestCopier copier(window.Frame(), &window.Progress(), &window.Status());
        copier.log = &log;
        ASSERT_EQ(Copy(copier, row.total, source, destination), 1) << row.total;
        std::vector<int> computed;
        for (const PositionEvent& event : log)
            computed.push_back(event.position);
        EXPECT_EQ(computed, expected) << row.total;
        EXPECT_EQ(window.Progress().GetPos(), expected.back()) << row.total;
    }
}

TEST_F(TreeCopierTest, TheBarMovesOnlyWhenItsDrawnLengthChangesAndEndsOnTheLastPosition) {
    const int64_t bytes = 8 << 20;
    ASSERT_TRUE(WriteBytes(source + "\\big.bin", Bytes(bytes)));
    PositionLog log;
    window.Progress().log = &log;
    TestCopier copier(window.Frame(), &window.Progress(), &window.Status());
    copier.log = &log;
    ASSERT_EQ(Copy(copier, bytes, source, destination), 1);
    window.Progress().log = nullptr;

    RECT bar{};
    GetClientRect(window.Progress().m_hWnd, &bar);
    int computed = 0, given = -1, computedCount = 0, givenCount = 0;
    for (const PositionEvent& event : log) {
        if (event.kind == 'c') {
            computed = event.position;
            ++computedCount;
        } else {
            // The bar shows where the copy is, never where it is not yet.
            EXPECT_EQ(event.position, computed) << "move " << givenCount;
            given = event.position;
            ++givenCount;
        }
    }
    EXPECT_EQ(given, 2 * bytes);
    EXPECT_EQ(window.Progress().GetPos(), 2 * bytes);
    EXPECT_EQ(computedCount, 2 * bytes / CTreeCopier::kBlockSize);
    // At most one move per pixel of the bar, and one to end exactly.
    EXPECT_LE(givenCount, bar.right - bar.left + 1) << "a repaint nobody sees still costs";
}

TEST_F(TreeCopierTest, APositionPastTheEndOfTheRangeIsGivenOnce) {
    // The package said it was far smaller than it is.
    const int64_t bytes = 4 << 20;
    ASSERT_TRUE(WriteBytes(source + "\\big.bin", Bytes(bytes)));
    PositionLog log;
    window.Progress().log = &log;
    TestCopier copier(window.Frame(), &window.Progress(), &window.Status());
    ASSERT_EQ(Copy(copier, 1000, source, destination), 1);
    window.Progress().log = nullptr;
    int pastTheEnd = 0;
    for (const PositionEvent& event : log)
        pastTheEnd += event.kind != 'c' && event.position >= CTreeCopier::ProgressRangeFor(1000);
    EXPECT_EQ(pastTheEnd, 1);
    EXPECT_EQ(copier.RunningTotal(), 2 * bytes);
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

    TestCopier copier(window.Frame(), &window.Progress(), &window.Status());
    ASSERT_EQ(Copy(copier, total, source, destination), 1);
    CTreeCopier bare(nullptr, nullptr, nullptr);
    const std::string plain = temp.Sub("plain");
    ASSERT_EQ(bare.CopyTree(source.c_str(), plain.c_str()), 1);

    for (const std::string& to : {destination, plain}) {
        for (const File& file : files) {
            EXPECT_EQ(ReadBytes(to + "\\" + file.name), Bytes(file.size, file.size))
                << to << "\\" << file.name;
        }
        for (const char* folder : {"emptydir", "nested\\inner"}) {
            EXPECT_TRUE(IsFolder(to + "\\" + folder)) << to << "\\" << folder;
        }
    }
    EXPECT_EQ(copier.RunningTotal(), 2 * total);
    EXPECT_EQ(window.Progress().GetPos(), 2 * total);
    EXPECT_EQ(window.StatusText().rfind("Copia in " + destination + "\\", 0), 0u)
        << window.StatusText();
    EXPECT_FALSE(copier.LeftIncomplete());
    ExpectPrompts(answerer, {}, "no prompt");
}

TEST_F(TreeCopierTest, AnEmptyRootGivesTheDestinationFolder) {
    MessageBoxAnswerer answerer;
    CTreeCopier copier(window.Frame(), &window.Progress(), &window.Status());
    EXPECT_EQ(copier.CopyTree(source.c_str(), destination.c_str()), 1);
    EXPECT_TRUE(IsFolder(destination));
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

        std::vector<std::string> statusAtPrompt;
        PromptWatcher watcher([&] {
            statusAtPrompt.push_back(window.StatusText());
            if (row.clearedAtFirstPrompt && statusAtPrompt.size() == 1) {
                hold.Release();
                if (row.obstacle == Obstacle::FolderAtDestination)
                    RemoveDirectoryA((to + file).c_str());
            }
        });
        for (int answer : row.answers)
            answerer.Queue(answer);
        CTreeCopier copier(window.Frame(), &window.Progress(), &window.Status());
        EXPECT_EQ(copier.CopyTree(from.c_str(), to.c_str()), row.result) << row.row;
        hold.Release();

        const std::string asked = atSource ? from + file : to + file;
        ExpectPrompts(answerer, std::vector<std::string>(row.answers.size(), asked), row.row);
        // Announced before it was opened, also when it is then skipped.
        EXPECT_EQ(statusAtPrompt,
                  std::vector<std::string>(row.answers.size(), "Copia in " + to + file))
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

    CTreeCopier copier(window.Frame(), &window.Progress(), &window.Status());
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
}

TEST_F(TreeCopierTest, AnEntryThatVanishesAfterTheListingStopsTheCopyWithoutAPrompt) {
    MessageBoxAnswerer answerer;
    ASSERT_TRUE(WriteBytes(source + "\\x.dat", Bytes(2000)));
    ASSERT_TRUE(WriteBytes(source + "\\y.dat", Bytes(2000)));
    TestCopier copier(window.Frame(), &window.Progress(), &window.Status());
    copier.onFirstPosition = [&] {
        const bool copyingX = window.StatusText().find("x.dat") != std::string::npos;
        DeleteFileA((source + (copyingX ? "\\y.dat" : "\\x.dat")).c_str());
    };
    EXPECT_EQ(Copy(copier, 4000, source, destination), 0);
    ExpectPrompts(answerer, {}, "no prompt");
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
        CTreeCopier copier(window.Frame(), &window.Progress(), &window.Status());
        EXPECT_EQ(copier.CopyTree(from.c_str(), to.c_str()), row.result) << row.row;
        ExpectPrompts(answerer, {folder}, row.row);
        EXPECT_EQ(copier.LeftIncomplete(), row.incomplete) << row.row;
        EXPECT_TRUE(IsFolder(to)) << row.row;
        EXPECT_EQ(Exists(to + inside), row.answer == IDRETRY) << row.row;
        if (!atRoot && row.result == 1) {
            EXPECT_EQ(ReadBytes(to + "\\sibling.dat"), Bytes(10)) << row.row;
        }
    }
}

} // namespace
