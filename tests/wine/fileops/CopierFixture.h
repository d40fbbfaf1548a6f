#pragma once
// The copier under test, its seams, and a window to copy with.
#include "FileopsTestSupport.h"
#include "WineTestSupport.h"
#include "fileops/RetryTimings.h"
#include "fileops/TreeCopier.h"
#include <gtest/gtest.h>
#include <functional>
#include <utility>

inline const std::vector<int> kAbortRetryIgnore{IDABORT, IDRETRY, IDIGNORE};

// The copier with its seams used: positions logged, one read or write made to
// fail, and the platform's refusal to replace a hidden or system file with a
// normal one (which this file system does not make).
class TestCopier : public CTreeCopier {
public:
    using CTreeCopier::CTreeCopier;
    enum class Fault { None, ReadFails, WriteFails, WriteShort };

    PositionLog* log = nullptr;
    std::function<void()> onFirstPosition;
    Fault fault = Fault::None;
    int faultyCall = 0; // which read or write call fails, once
    bool refuseHiddenReplace = false;

protected:
    void PositionComputed(int position) override {
        if (log)
            log->push_back({'c', position});
        if (onFirstPosition)
            std::exchange(onFirstPosition, nullptr)();
    }
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
    HANDLE OpenDestinationFile(const char* path, DWORD flagsAndAttributes) override {
        const DWORD existing = GetFileAttributesA(path);
        const DWORD guarded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if (refuseHiddenReplace && existing != INVALID_FILE_ATTRIBUTES &&
            (existing & guarded & ~flagsAndAttributes)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        return CTreeCopier::OpenDestinationFile(path, flagsAndAttributes);
    }

private:
    int m_reads = 0;
    int m_writes = 0;
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

    int Copy(CTreeCopier& copier, int64_t total, const std::string& from, const std::string& to) {
        copier.SetPackageTotal(total);
        window.Progress().SetRange32(0, CTreeCopier::ProgressRangeFor(total));
        return copier.CopyTree(from.c_str(), to.c_str());
    }

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
