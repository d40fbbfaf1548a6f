#pragma once
// The copier under test, its seams, what it tells, and a window to copy with.
// Every copy goes through the safety net over its destination, as the
// installation run makes it.
#include "FileopsTestSupport.h"
#include "WineTestSupport.h"
#include "fileops/CopyQuestions.h"
#include "fileops/CopyReport.h"
#include "fileops/InstallTransaction.h"
#include "fileops/RetryTimings.h"
#include "fileops/TreeCopier.h"
#include <gtest/gtest.h>
#include <functional>
#include <utility>

inline const std::vector<int> kAbortRetryIgnore{IDABORT, IDRETRY, IDIGNORE};

// The copier with its seams used: one read or write made to fail.
class TestCopier : public CTreeCopier {
public:
    using CTreeCopier::CTreeCopier;
    enum class Fault { None, ReadFails, WriteFails, WriteShort };

    Fault fault = Fault::None;
    int faultyCall = 0; // which read or write call fails, once

protected:
    BOOL ReadChunk(HANDLE file, void* buffer, DWORD size, DWORD* read) override {
        if (fault == Fault::ReadFails && ++m_reads == faultyCall) {
            *read = 0;
            return FALSE;
        }
        return CTreeCopier::ReadChunk(file, buffer, size, read);
    }
    BOOL WriteChunk(HANDLE file, const void* buffer, DWORD size, DWORD* written) override {
        if (fault != Fault::None && fault != Fault::ReadFails && ++m_writes == faultyCall) {
            if (fault == Fault::WriteFails) {
                *written = 0;
                return FALSE;
            }
            size /= 2;
        }
        return CTreeCopier::WriteChunk(file, buffer, size, written);
    }

private:
    int m_reads = 0;
    int m_writes = 0;
};

// What the copy told, in order: the files started and put in place, the
// questions, the quiet retries and the running total.
class RecordingReport : public ICopyReport {
public:
    struct Retry {
        std::string path;
        bool succeeded;
    };
    std::vector<Retry> retries;
    std::vector<std::string> files;  // put in place
    std::vector<std::string> events; // "started <path>", "question"
    int64_t total = 0;               // the running total last told
    std::function<void(const std::string&)> onFileStarted;
    std::function<void()> onFirstTotal;

    void FileStarted(const char* destination) override {
        events.push_back(std::string("started ") + destination);
        m_started = destination;
        if (onFileStarted)
            onFileStarted(destination);
    }
    void TotalChanged(int64_t runningTotal) override {
        total = runningTotal;
        if (onFirstTotal)
            std::exchange(onFirstTotal, nullptr)();
    }
    void BeforeQuestion() override {
        events.push_back("question");
        m_startedAtQuestions.push_back(m_started);
    }
    void FileCopied(const char* destination, int64_t) override { files.push_back(destination); }
    void RetriedQuietly(const char* path, DWORD, DWORD, bool succeeded) override {
        retries.push_back({path, succeeded});
    }

    // The file last started: the one the screen names.
    const std::string& LastStarted() const { return m_started; }
    // The file the screen named at each question.
    const std::vector<std::string>& StartedAtQuestions() const { return m_startedAtQuestions; }

private:
    std::string m_started;
    std::vector<std::string> m_startedAtQuestions;
};

// One copy as the installation run makes it: the safety net begun over `to`
// (made if missing), the person at `owner` asked, what the copy tells
// recorded. End finishes it as the run does; read the placed files after
// it (each is held until its data is on the disk).
class NetCopy {
public:
    NetCopy(HWND owner, const std::string& folder)
        : to(Made(folder)), net(to.c_str()), person(owner) {
        begun = net.Begin();
    }
    NetCopy(const NetCopy&) = delete;
    NetCopy& operator=(const NetCopy&) = delete;

    // Commit when the copy reached its end with the package whole (no stamp
    // written), else roll back. True when that worked.
    bool End(int copied, bool leftIncomplete) {
        if (copied && !leftIncomplete)
            return net.Commit((to + "\\Versione.txt").c_str(), VersionStamp{});
        return net.Rollback();
    }
    bool End(const CTreeCopier& copier, int copied) { return End(copied, copier.LeftIncomplete()); }

    const std::string to;
    CInstallTransaction net;
    CPromptQuestions person;
    RecordingReport report;
    bool begun = false;

private:
    static const std::string& Made(const std::string& folder) {
        MakeFolder(folder);
        return folder;
    }
};

class TreeCopierTest : public ::testing::Test {
protected:
    TempFolder temp;
    CopierWindow window;
    std::string source = temp.Sub("src");
    std::string destination = temp.Sub("dst");

    void SetUp() override {
        ASSERT_TRUE(MakeFolder(source));
        // A held file is tried again quietly before the prompt: briefly here.
        RetryTimings quick;
        quick.heldFileMs = 40;
        quick.intervalMs = 10;
        SetProcessRetryTimings(quick);
    }
    void TearDown() override { SetProcessRetryTimings(RetryTimings{}); }

    // Every prompt shown: the copier's own box, about these paths, in order.
    void ExpectPrompts(const MessageBoxAnswerer& answerer, const std::vector<std::string>& paths,
                       const std::string& row) {
        SCOPED_TRACE(row);
        ASSERT_EQ(answerer.Boxes().size(), paths.size());
        for (size_t i = 0; i < paths.size(); ++i) {
            const MessageBoxRecord& box = answerer.Boxes()[i];
            EXPECT_EQ(box.caption, "Errore");
            EXPECT_EQ(box.text, "Impossibile accedere a: " + paths[i]);
            EXPECT_EQ(box.buttons, kAbortRetryIgnore);
            EXPECT_EQ(box.defaultButton, IDABORT);
            EXPECT_EQ(box.icon, UINT(MB_ICONERROR));
            EXPECT_EQ(box.owner, window.Frame());
        }
        EXPECT_EQ(answerer.Unexpected(), 0);
    }
};
