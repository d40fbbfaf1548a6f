#include "CopierFixture.h"
#include "fileops/FolderSize.h"
#include "fileops/MessagePump.h"
#include "fileops/Paths.h"
#include <gtest/gtest.h>

namespace {

TEST(FolderSize, AddsEveryFileItCanOpenToTheTotal) {
    TempFolder temp;
    const std::string root = temp.Sub("tree");
    for (const char* folder : {"", "\\sub", "\\empty", "\\empty\\inner", "\\held"}) {
        ASSERT_TRUE(MakeFolder(root + folder));
    }
    ASSERT_TRUE(WriteBytes(root + "\\a", Bytes(10)));
    ASSERT_TRUE(WriteBytes(root + "\\sub\\b", Bytes(1500)));
    ASSERT_TRUE(WriteBytes(root + "\\sub\\c", ""));
    ASSERT_TRUE(WriteBytes(root + "\\sub\\locked", Bytes(70)));
    ASSERT_TRUE(WriteBytes(root + "\\held\\inside", Bytes(90)));
    // A file that cannot be opened and a folder that cannot be listed add 0.
    ExclusiveHold lockedFile(root + "\\sub\\locked");
    ExclusiveHold heldFolder(root + "\\held");
    ASSERT_TRUE(lockedFile.IsHeld() && heldFolder.IsHeld());

    int64_t total = 100;
    AddFolderSizeTo(root.c_str(), total);
    EXPECT_EQ(total, 1610);
    int64_t empty = 0;
    AddFolderSizeTo((root + "\\empty").c_str(), empty);
    AddFolderSizeTo(temp.Sub("missing").c_str(), empty);
    EXPECT_EQ(empty, 0);
}

TEST(FolderSize, SizesBeyondThirtyTwoBitsAreCountedInFull) {
    TempFolder temp;
    const std::string root = temp.Sub("sparse");
    ASSERT_TRUE(MakeFolder(root));
    const int64_t sizes[] = {(int64_t(1) << 32) - 1, (int64_t(5) << 30) + 3};
    int64_t expected = 100;
    for (int64_t size : sizes) {
        const std::string path = root + "\\f" + std::to_string(size);
        ASSERT_TRUE(MakeSparseFile(path, size)) << size;
        EXPECT_EQ(FileSizeOrZero(path.c_str()), size) << size;
        expected += size;
    }
    int64_t total = 100;
    AddFolderSizeTo(root.c_str(), total);
    EXPECT_EQ(total, expected);
    EXPECT_EQ(FileSizeOrZero(temp.Sub("missing").c_str()), 0);
}

// The tree the test's CMake made, as Wine names it (drive Z: is the root).
std::string LinkTree() {
    std::string path = std::string("Z:") + TESSARO_LINK_TREE;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

TEST(FolderSize, LinksAreNeitherCountedNorEntered) {
    const std::string root = LinkTree();
    // Wine 8 marks a Unix link to a folder as a reparse point, but not one to
    // a file, and lists no broken link: those two are left to Windows.
    const struct {
        const char* relative;
        bool link;
    } entries[] = {
        {"a", false},      {"sub", false}, {"sub\\b", false},
        {"sub\\up", true}, {"self", true}, {"elsewhere", true},
    };
    for (const auto& entry : entries) {
        const std::string path = root + "\\" + entry.relative;
        EXPECT_EQ(entry.link, PathIsLink(path.c_str())) << entry.relative;
        WIN32_FIND_DATAA found;
        const HANDLE find = FindFirstFileA(path.c_str(), &found);
        ASSERT_NE(find, INVALID_HANDLE_VALUE) << entry.relative;
        FindClose(find);
        EXPECT_EQ(entry.link, IsLink(found)) << entry.relative;
    }
    EXPECT_FALSE(PathIsLink((root + "\\missing").c_str()));

    // The links to the tree's own folders would otherwise be walked until
    // the path limit, and the one leading out would add what is not in it.
    int64_t total = 0;
    AddFolderSizeTo(root.c_str(), total);
    EXPECT_EQ(total, 1510);
}

// Counts the messages it gets; the first WM_APP posts two more in turn.
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static int* count = nullptr;
    if (message == WM_NCCREATE)
        count = static_cast<int*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (message == WM_APP) {
        if (++*count < 3)
            PostMessageA(window, WM_APP, 0, 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class MessagePumpTest : public ::testing::Test {
protected:
    int count = 0;
    HWND window = nullptr;

    void SetUp() override {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = CountingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "FileopsCountingWindow";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, windowClass.hInstance, &count);
        ASSERT_TRUE(window);
        FlushEvents();
    }
    void TearDown() override { DestroyWindow(window); }
};

TEST_F(MessagePumpTest, DispatchesWhatIsWaitingAndWhatTheHandlersPost) {
    PumpPendingMessagesNow();
    PostMessageA(window, WM_APP, 0, 0);
    PumpPendingMessagesNow();
    EXPECT_EQ(count, 3);

    // A copy looks into the queue as it starts, whenever the last look was.
    TempFolder temp;
    ASSERT_TRUE(MakeFolder(temp.Sub("src")));
    NetCopy run(nullptr, temp.Sub("dst"));
    ASSERT_TRUE(run.begun);
    CTreeCopier copier(run.net, run.person, run.report);
    PumpPendingMessagesNow();
    count = 0;
    PostMessageA(window, WM_APP, 0, 0);
    EXPECT_EQ(copier.CopyTree(temp.Sub("src").c_str(), temp.Sub("dst").c_str()), 1);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(run.End(copier, 1));
}

TEST_F(MessagePumpTest, AQuitIsLeftForTheLoopThatOwnsIt) {
    PostMessageA(window, WM_APP, 0, 0);
    PostQuitMessage(7);
    PumpPendingMessagesNow();
    EXPECT_EQ(count, 3);
    // The work goes on and ends; it does not spin on the quit.
    TempFolder temp;
    ASSERT_TRUE(MakeFolder(temp.Sub("src")) && WriteBytes(temp.Sub("src\\f"), Bytes(5000)));
    NetCopy run(nullptr, temp.Sub("dst"));
    ASSERT_TRUE(run.begun);
    CTreeCopier copier(run.net, run.person, run.report);
    EXPECT_EQ(copier.CopyTree(temp.Sub("src").c_str(), temp.Sub("dst").c_str()), 1);
    EXPECT_TRUE(run.End(copier, 1));
    EXPECT_EQ(ReadBytes(temp.Sub("dst\\f")), Bytes(5000));
    int64_t total = 0;
    AddFolderSizeTo(temp.Sub("src").c_str(), total);
    EXPECT_EQ(total, 5000);

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_QUIT));
    EXPECT_EQ(msg.wParam, WPARAM(7));
}

} // namespace
