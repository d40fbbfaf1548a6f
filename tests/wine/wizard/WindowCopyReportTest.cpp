// The copy on the progress screen: the bar's range, the position each byte
// read and written maps to, and how often the bar really moves, over real
// copies through the safety net into a real window.
#include "FileopsTestSupport.h"
#include "WineTestSupport.h"
#include "fileops/CopyQuestions.h"
#include "fileops/InstallTransaction.h"
#include "fileops/TreeCopier.h"
#include "wizard/WindowCopyReport.h"
#include <gtest/gtest.h>
#include <climits>

namespace {

// Logs the position every running total maps to ('c'), told before the
// screen so that the bar's own moves ('g') follow the position they show.
class ComputedPositions : public ICopyReport {
public:
    ComputedPositions(PositionLog* log, int64_t total) : m_log(log), m_total(total) {}
    void TotalChanged(int64_t runningTotal) override {
        if (m_log)
            m_log->push_back({'c', CWindowCopyReport::PositionFor(runningTotal, m_total)});
    }

private:
    PositionLog* m_log;
    int64_t m_total;
};

class WindowCopyReportTest : public ::testing::Test {
protected:
    TempFolder temp{"copy-screen"};
    CopierWindow window;
    std::string source = temp.Sub("src");
    std::string destination = temp.Sub("dst");

    void SetUp() override { ASSERT_TRUE(MakeFolder(source) && MakeFolder(destination)); }

    // Copies the source over the destination as the wizard does, the screen
    // told of a package of `total` bytes and every computed position logged
    // to `log`; gives the running total at the end.
    int64_t Copy(int64_t total, PositionLog* log = nullptr) {
        window.Progress().SetRange32(0, CWindowCopyReport::RangeFor(total));
        CWindowCopyReport screen(&window.Progress(), &window.Status());
        screen.SetPackageTotal(total);
        ComputedPositions computed(log, total);
        CCopyReports reports;
        reports.Add(&computed);
        reports.Add(&screen);
        CInstallTransaction net(destination.c_str());
        EXPECT_TRUE(net.Begin());
        CPromptQuestions person(window.Frame());
        CTreeCopier copier(net, person, reports);
        EXPECT_EQ(copier.CopyTree(source.c_str(), destination.c_str()), 1);
        EXPECT_TRUE(net.Commit((destination + "\\Versione.txt").c_str(), VersionStamp{}));
        return copier.RunningTotal();
    }
};

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
        EXPECT_EQ(CWindowCopyReport::RangeFor(row.total), row.range) << row.total;
    }
}

TEST_F(WindowCopyReportTest, PositionsOfOneFileAreTheBytesReadAndWritten) {
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
        Copy(row.total, &log);
        std::vector<int> computed;
        for (const PositionEvent& event : log)
            computed.push_back(event.position);
        EXPECT_EQ(computed, expected) << row.total;
        EXPECT_EQ(window.Progress().GetPos(), expected.back()) << row.total;
    }
}

TEST_F(WindowCopyReportTest, TheBarMovesOnlyWhenItsDrawnLengthChangesAndEndsOnTheLastPosition) {
    const int64_t bytes = 8 << 20;
    ASSERT_TRUE(WriteBytes(source + "\\big.bin", Bytes(bytes)));
    PositionLog log;
    window.Progress().log = &log;
    Copy(bytes, &log);
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
    // At the end the status line names the last file.
    EXPECT_EQ(window.StatusText(), "Copia in " + destination + "\\big.bin");
}

TEST_F(WindowCopyReportTest, APositionPastTheEndOfTheRangeIsGivenOnce) {
    // The package said it was far smaller than it is.
    const int64_t bytes = 4 << 20;
    ASSERT_TRUE(WriteBytes(source + "\\big.bin", Bytes(bytes)));
    PositionLog log;
    window.Progress().log = &log;
    EXPECT_EQ(Copy(1000), 2 * bytes);
    window.Progress().log = nullptr;
    int pastTheEnd = 0;
    for (const PositionEvent& event : log)
        pastTheEnd += event.kind != 'c' && event.position >= CWindowCopyReport::RangeFor(1000);
    EXPECT_EQ(pastTheEnd, 1);
}

} // namespace
