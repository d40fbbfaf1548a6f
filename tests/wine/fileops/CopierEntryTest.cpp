// Entries the copy cannot use as they are: a folder that cannot be made, a
// name outside the code page, links in the package or the installation, a
// file another program holds for a moment.
#include "CopierFixture.h"
#include "UnixLink.h"
#include <algorithm>
#include <memory>

namespace {

TEST_F(TreeCopierTest, EntriesThatCannotBeUsedAreAskedAboutAndNeverWrittenThrough) {
    enum class Case {
        FileWhereFolderGoes,
        NameOutsideCodePage,
        LinkInPackage,
        LoopInPackage,
        LinkedFolderInInstallation
    };
    const struct {
        const char* row;
        Case what;
        int answer;
        int result;
    } rows[] = {
        {"file where a folder goes, Ignore", Case::FileWhereFolderGoes, IDIGNORE, 1},
        {"file where a folder goes, Retry", Case::FileWhereFolderGoes, IDRETRY, 1},
        {"file where a folder goes, Abort", Case::FileWhereFolderGoes, IDABORT, 0},
        {"name outside the code page, Ignore", Case::NameOutsideCodePage, IDIGNORE, 1},
        {"name outside the code page, Abort", Case::NameOutsideCodePage, IDABORT, 0},
        {"link to a folder outside the package, Ignore", Case::LinkInPackage, IDIGNORE, 1},
        {"package folder linking to its parent, Ignore", Case::LoopInPackage, IDIGNORE, 1},
        {"installation folder linking outside, Ignore", Case::LinkedFolderInInstallation, IDIGNORE,
         1},
        {"installation folder linking outside, Abort", Case::LinkedFolderInInstallation, IDABORT,
         0},
    };
    int serial = 0;
    for (const auto& row : rows) {
        const std::string from = temp.Sub("s" + std::to_string(++serial));
        const std::string to = temp.Sub("d" + std::to_string(serial));
        const std::string outside = temp.Sub("outside" + std::to_string(serial));
        ASSERT_TRUE(MakeFolder(from) && MakeFolder(to) && MakeFolder(outside)) << row.row;
        ASSERT_TRUE(WriteBytes(from + "\\plain.dat", Bytes(300, 1))) << row.row;
        ASSERT_TRUE(WriteBytes(outside + "\\secret.dat", Bytes(200, 2))) << row.row;
        std::string asked;
        std::function<void()> clear;
        std::string link; // removed after the row: the temp folder's clean-up cannot
        switch (row.what) {
        case Case::FileWhereFolderGoes:
            ASSERT_TRUE(WriteBytes(from + "\\sub\\inner.dat", Bytes(100, 3)));
            ASSERT_TRUE(WriteBytes(to + "\\sub", "a file"));
            asked = to + "\\sub";
            clear = [&] { DeleteFileA((to + "\\sub").c_str()); };
            break;
        case Case::NameOutsideCodePage: {
            // o with a double acute accent: no cp1252 character.
            const std::wstring wide = WidePath(from) + L"\\\x0151.dat";
            HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            CloseHandle(file);
            const std::vector<std::string> names = ListingOrder(from);
            for (const std::string& name : names) {
                if (name != "plain.dat")
                    asked = from + "\\" + name;
            }
            break;
        }
        case Case::LinkInPackage:
            // The platform here shows only links to folders as links.
            link = from + "\\link.dat";
            ASSERT_TRUE(MakeUnixLink(outside, link));
            asked = link;
            break;
        case Case::LoopInPackage:
            ASSERT_TRUE(MakeFolder(from + "\\sub"));
            link = from + "\\sub\\again";
            ASSERT_TRUE(MakeUnixLink(from, link));
            asked = link;
            break;
        case Case::LinkedFolderInInstallation:
            ASSERT_TRUE(WriteBytes(from + "\\sub\\secret.dat", Bytes(100, 4)));
            link = to + "\\sub";
            ASSERT_TRUE(MakeUnixLink(outside, link));
            asked = link;
            break;
        }
        PromptWatcher watcher([&] {
            if (row.answer == IDRETRY && clear)
                clear();
        });
        MessageBoxAnswerer answerer;
        answerer.Queue(row.answer);
        NetCopy run(window.Frame(), to);
        ASSERT_TRUE(run.begun) << row.row;
        CTreeCopier copier(run.net, run.person, run.report);
        const int copied = copier.CopyTree(from.c_str(), to.c_str());
        EXPECT_EQ(copied, row.result) << row.row;
        ExpectPrompts(answerer, {asked}, row.row);
        if (!link.empty()) {
            EXPECT_TRUE(RemoveUnixLink(link)) << row.row;
        }
        // Ended first: a file just placed is held until its data is on the disk.
        EXPECT_TRUE(run.End(copier, copied)) << row.row;

        // Nothing outside the installation changed, whatever the answer.
        EXPECT_EQ(ReadBytes(outside + "\\secret.dat"), Bytes(200, 2)) << row.row;
        EXPECT_FALSE(Exists(outside + "\\inner.dat")) << row.row;
        if (row.result == 1) {
            EXPECT_EQ(ReadBytes(to + "\\plain.dat"), Bytes(300, 1)) << row.row;
        }
        if (row.what == Case::FileWhereFolderGoes) {
            EXPECT_EQ(ReadBytes(to + "\\sub\\inner.dat"),
                      row.answer == IDRETRY ? Bytes(100, 3) : std::string("<missing>"))
                << row.row;
        }
        if (row.what == Case::LinkInPackage || row.what == Case::LoopInPackage) {
            EXPECT_FALSE(Exists(to + "\\link.dat")) << row.row;
            EXPECT_FALSE(Exists(to + "\\sub\\again")) << row.row;
        }
    }
}

TEST_F(TreeCopierTest, AFileHeldForAMomentIsCopiedWithoutAQuestion) {
    RetryTimings timings;
    timings.heldFileMs = 2000;
    timings.intervalMs = 20;
    SetProcessRetryTimings(timings);
    const struct {
        const char* row;
        bool atSource;
        bool releasedSoon;
    } rows[] = {
        {"source released soon", true, true},
        {"destination released soon", false, true},
        {"source held throughout", true, false},
    };
    int serial = 0;
    for (const auto& row : rows) {
        const std::string from = temp.Sub("s" + std::to_string(++serial));
        const std::string to = temp.Sub("d" + std::to_string(serial));
        ASSERT_TRUE(WriteBytes(from + "\\f.dat", Bytes(500, 5)));
        ASSERT_TRUE(WriteBytes(to + "\\f.dat", "old"));
        const std::string held = (row.atSource ? from : to) + "\\f.dat";
        ExclusiveHold hold(held);
        ASSERT_TRUE(hold.IsHeld()) << row.row;
        // Let go from inside the copy's quiet wait, as another program would.
        UINT_PTR timer = 0;
        static ExclusiveHold* s_hold;
        s_hold = &hold;
        if (row.releasedSoon)
            timer =
                SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) { s_hold->Release(); });
        MessageBoxAnswerer answerer;
        answerer.Queue(IDIGNORE);
        NetCopy run(window.Frame(), to);
        ASSERT_TRUE(run.begun) << row.row;
        const RecordingReport& report = run.report;
        CTreeCopier copier(run.net, run.person, run.report);
        const int copied = copier.CopyTree(from.c_str(), to.c_str());
        EXPECT_EQ(copied, 1) << row.row;
        if (timer)
            KillTimer(nullptr, timer);
        hold.Release();
        EXPECT_TRUE(run.End(copier, copied)) << row.row;
        ExpectPrompts(answerer,
                      row.releasedSoon ? std::vector<std::string>{}
                                       : std::vector<std::string>{held},
                      row.row);
        ASSERT_EQ(report.retries.size(), 1u) << row.row;
        EXPECT_EQ(report.retries[0].path, held) << row.row;
        EXPECT_EQ(report.retries[0].succeeded, row.releasedSoon) << row.row;
        EXPECT_EQ(ReadBytes(to + "\\f.dat"), row.releasedSoon ? Bytes(500, 5) : "old") << row.row;
    }
}

// Through the safety net, copied files are put in place several at a time;
// one that cannot be placed then is asked about on its own, on screen again.
TEST_F(TreeCopierTest, AFileThatCannotBePlacedWithOthersIsAskedAboutAlone) {
    ASSERT_TRUE(MakeFolder(destination));
    for (const char* name : {"f1.dat", "f2.dat", "f3.dat"}) {
        ASSERT_TRUE(WriteBytes(source + "\\" + name, Bytes(700, name[1])));
        ASSERT_TRUE(WriteBytes(destination + "\\" + name, "old"));
    }
    const std::vector<std::string> order = ListingOrder(source);
    ASSERT_EQ(order.size(), 3u);
    const std::string first = destination + "\\" + order[0];
    const std::string last = destination + "\\" + order[2];
    for (const int answer : {IDIGNORE, IDABORT}) {
        const std::string row = answer == IDIGNORE ? "Ignore" : "Abort";
        CInstallTransaction txn(destination.c_str());
        ASSERT_TRUE(txn.Begin()) << row;
        // The first file waits to be placed when the last starts: another
        // program takes it then.
        std::unique_ptr<ExclusiveHold> hold;
        RecordingReport report;
        report.onFileStarted = [&](const std::string& path) {
            if (path == last && !hold)
                hold.reset(new ExclusiveHold(first));
        };
        MessageBoxAnswerer answerer;
        answerer.Queue(answer);
        CPromptQuestions person(window.Frame());
        CTreeCopier copier(txn, person, report);
        EXPECT_EQ(copier.CopyTree(source.c_str(), destination.c_str()), answer == IDIGNORE) << row;
        hold.reset();
        ExpectPrompts(answerer, {first}, row);
        const auto question = std::find(report.events.begin(), report.events.end(), "question");
        ASSERT_NE(question, report.events.begin()) << row;
        EXPECT_EQ(*(question - 1), "started " + first) << row;
        if (answer == IDIGNORE) {
            const std::vector<std::string> placed{destination + "\\" + order[1], last};
            EXPECT_EQ(report.files, placed) << row;
            EXPECT_EQ(ReadBytes(first), "old") << row;
            EXPECT_EQ(ReadBytes(last), Bytes(700, order[2][1])) << row;
        }
        EXPECT_TRUE(txn.Rollback()) << row;
        for (const std::string& name : order)
            EXPECT_EQ(ReadBytes(destination + "\\" + name), "old") << row;
    }
}

} // namespace
