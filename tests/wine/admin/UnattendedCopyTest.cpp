// The answers when nobody is at the screen, seen through a real copy of real
// files, one of them held by "another program" (a handle without sharing).
#include "fileops/InstallTransaction.h"
#include "fileops/RetryTimings.h"
#include "fileops/TreeCopier.h"
#include "fileops/UnattendedQuestions.h"
#include "WineTestSupport.h"
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Answer {
    std::string path;
    int answer;
    bool automatic;
};

class RecordingReport : public ICopyReport {
public:
    std::vector<Answer> answers;
    std::vector<std::string> copied;
    std::function<void()> onStarted;
    void Answered(const char* path, DWORD, int answer, bool automatic) override {
        answers.push_back({path, answer, automatic});
    }
    void FileStarted(const char*) override {
        if (onStarted)
            onStarted();
    }
    void FileCopied(const char* destination, int64_t) override { copied.push_back(destination); }
};

class UnattendedCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = ProcessRetryTimings();
        RetryTimings t;
        t.heldFileMs = 50;
        t.unattendedMs = 600;
        t.intervalMs = 10;
        SetProcessRetryTimings(t);
        ASSERT_TRUE(WriteBytes(m_root.Sub("src\\a.txt"), "aaa"));
        ASSERT_TRUE(WriteBytes(m_root.Sub("src\\b.txt"), "bbb"));
        ASSERT_TRUE(WriteBytes(m_root.Sub("dst\\b.txt"), "old"));
    }
    void TearDown() override { SetProcessRetryTimings(m_saved); }

    // Through the safety net over dst, committed (no stamp) or rolled back
    // as the run does.
    int Copy(ICopyQuestions& questions, RecordingReport& report, const bool* stop = nullptr) {
        const std::string destination = m_root.Sub("dst");
        CInstallTransaction net(destination.c_str());
        if (!net.Begin()) {
            ADD_FAILURE() << "the safety net cannot begin in " << destination;
            return -1;
        }
        CTreeCopier copier(net, questions, report);
        copier.SetStopFlag(stop);
        const int copied = copier.CopyTree(m_root.Sub("src").c_str(), destination.c_str());
        const bool ended =
            copied ? net.Commit((destination + "\\Versione.txt").c_str(), {}) : net.Rollback();
        EXPECT_TRUE(ended) << "the safety net did not end cleanly";
        return copied;
    }

    TempFolder m_root{"tessaro-unattended"};
    RetryTimings m_saved;
};

TEST_F(UnattendedCopyTest, HeldFileIsRetriedUntilReleasedOrTheWaitEnds) {
    const struct {
        const char* name;
        DWORD releaseAfterMs; // 0: held for the whole test
        int result;
        const char* content;
        int lastAnswer;
    } rows[] = {
        {"ReleasedWithinTheWait", 250, 1, "bbb", IDRETRY},
        {"HeldPastTheWait", 0, 0, "old", IDABORT},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteBytes(m_root.Sub("dst\\b.txt"), "old"));
        ExclusiveHold held(m_root.Sub("dst\\b.txt"));
        ASSERT_TRUE(held.IsHeld()) << row.name;
        std::thread releaser;
        if (row.releaseAfterMs)
            releaser = std::thread([&] {
                Sleep(row.releaseAfterMs);
                held.Release();
            });
        CUnattendedQuestions rule;
        RecordingReport report;
        const ULONGLONG start = GetTickCount64();
        const int result = Copy(rule, report);
        const ULONGLONG took = GetTickCount64() - start;
        if (releaser.joinable())
            releaser.join();
        held.Release();
        EXPECT_EQ(row.result, result) << row.name;
        EXPECT_EQ(row.content, ReadBytes(m_root.Sub("dst\\b.txt"))) << row.name;
        ASSERT_FALSE(report.answers.empty()) << row.name;
        for (const Answer& a : report.answers) {
            EXPECT_EQ(m_root.Sub("dst\\b.txt"), a.path) << row.name;
            EXPECT_TRUE(a.automatic) << row.name;
            EXPECT_NE(IDIGNORE, a.answer) << row.name << ": a rule never skips a file";
        }
        EXPECT_EQ(row.lastAnswer, report.answers.back().answer) << row.name;
        if (!row.releaseAfterMs) {
            // Several tries, spread over the whole wait from the first question.
            EXPECT_GT(report.answers.size(), 3u) << row.name;
            EXPECT_GE(took, 50u + 600u) << row.name;
        }
    }
}

TEST_F(UnattendedCopyTest, WaitingCannotMendALinkOrALongPath) {
    const struct {
        const char* name;
        DWORD error;
        int answer;
    } rows[] = {
        {"PathTooLong", ERROR_FILENAME_EXCED_RANGE, IDABORT},
        {"Link", ERROR_CANT_ACCESS_FILE, IDABORT},
        {"AccessDenied", ERROR_ACCESS_DENIED, IDRETRY},
    };
    for (const auto& row : rows) {
        CUnattendedQuestions rule;
        EXPECT_TRUE(rule.IsAutomatic());
        EXPECT_EQ(row.answer, rule.AskAbout(row.name, row.error)) << row.name;
    }
}

// Each path gets the whole wait from its own first question.
TEST_F(UnattendedCopyTest, EachPathHasItsOwnWait) {
    CUnattendedQuestions rule;
    const ULONGLONG start = GetTickCount64();
    while (rule.AskAbout("a", ERROR_SHARING_VIOLATION) == IDRETRY)
        ASSERT_LT(GetTickCount64() - start, 5000u);
    EXPECT_EQ(IDRETRY, rule.AskAbout("b", ERROR_SHARING_VIOLATION));
}

// Cancel of an unattended run: the copy stops at the next block or entry and
// the stop is told as the person's Abort, whatever the rule would say. What
// was copied before is put in place first (and undone with the rest).
TEST_F(UnattendedCopyTest, StopFlagAbortsAtTheNextBlock) {
    CUnattendedQuestions rule;
    RecordingReport report;
    bool stop = false;
    int started = 0;
    report.onStarted = [&] {
        if (++started == 2)
            stop = true;
    };
    EXPECT_EQ(0, Copy(rule, report, &stop));
    EXPECT_EQ(1u, report.copied.size());
    ASSERT_EQ(1u, report.answers.size());
    EXPECT_EQ(IDABORT, report.answers[0].answer);
    EXPECT_FALSE(report.answers[0].automatic);
}

// Met by a real copy through the safety net, what waiting cannot mend is
// given up at the first question, not after the whole wait: a file where the
// package has a folder, and a package holding the safety net's own folder.
TEST_F(UnattendedCopyTest, WhatWaitingCannotMendIsGivenUpAtOnce) {
    const struct {
        const char* name;
        const char* packageFile;
        const char* fileInTheWay; // in the installation
    } rows[] = {
        {"a file where a folder must go", "src\\sub\\c.txt", "dst\\sub"},
        {"the package holds the safety net's folder", "src\\~kvu\\c.txt", nullptr},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteBytes(m_root.Sub(row.packageFile), "ccc")) << row.name;
        if (row.fileInTheWay) {
            ASSERT_TRUE(WriteBytes(m_root.Sub(row.fileInTheWay), "a file")) << row.name;
        }
        CInstallTransaction txn(m_root.Sub("dst").c_str());
        ASSERT_TRUE(txn.Begin()) << row.name;
        CUnattendedQuestions rule;
        RecordingReport report;
        CTreeCopier copier(txn, rule, report);
        EXPECT_EQ(0, copier.CopyTree(m_root.Sub("src").c_str(), m_root.Sub("dst").c_str()))
            << row.name;
        ASSERT_EQ(1u, report.answers.size()) << row.name << ": asked again and again";
        EXPECT_EQ(IDABORT, report.answers[0].answer) << row.name;
        EXPECT_TRUE(txn.Rollback()) << row.name;
        EXPECT_EQ("old", ReadBytes(m_root.Sub("dst\\b.txt"))) << row.name;
        RemoveTree(m_root.Sub(row.packageFile).substr(0, m_root.Sub(row.packageFile).rfind('\\')));
        if (row.fileInTheWay)
            DeleteFileA(m_root.Sub(row.fileInTheWay).c_str());
    }
}

} // namespace
