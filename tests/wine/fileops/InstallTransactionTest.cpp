// The safety net of an update run, in-process on real files: a crash after
// every change it makes, recovery (also interrupted), rollback with a held
// file, journals it must refuse, the longest installation folder and links.
#include "FileopsTestSupport.h"
#include "StampFile.h"
#include "fileops/InstallTransaction.h"
#include "fileops/RetryTimings.h"
#include "fileops/UpdateJournal.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace {

// What a user could see of a tree: every entry, its bytes, attributes and
// (for files) last-write time. Folder times change with their contents.
struct EntryState {
    bool folder = false;
    std::string bytes;
    DWORD attributes = 0;
    ULONGLONG written = 0;
};
using Snapshot = std::map<std::string, EntryState>;

std::string Narrow(const wchar_t* wide) {
    char text[MAX_PATH * 2];
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return length > 0 ? std::string(text, length - 1) : std::string("?");
}

void AddTree(const std::string& root, const std::string& relative, Snapshot& snapshot) {
    const std::string folder = relative.empty() ? root : root + "\\" + relative;
    WIN32_FIND_DATAW entry;
    const HANDLE listing = FindFirstFileW((WidePath(folder) + L"\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = Narrow(entry.cFileName);
        if (name == "." || name == "..")
            continue;
        const std::string path = relative.empty() ? name : relative + "\\" + name;
        EntryState& state = snapshot[path];
        state.folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        state.attributes = entry.dwFileAttributes;
        if (state.folder) {
            AddTree(root, path, snapshot);
        } else {
            state.bytes = ReadBytes(root + "\\" + path);
            state.written = (ULONGLONG(entry.ftLastWriteTime.dwHighDateTime) << 32) |
                            entry.ftLastWriteTime.dwLowDateTime;
        }
    } while (FindNextFileW(listing, &entry));
    FindClose(listing);
}

Snapshot TakeSnapshot(const std::string& root) {
    Snapshot snapshot;
    AddTree(root, "", snapshot);
    return snapshot;
}

// Times are compared only where the test fixed them (the old installation).
::testing::AssertionResult SameTree(const Snapshot& expected, const Snapshot& actual,
                                    bool withTimes) {
    std::string differences;
    for (const auto& [path, state] : expected) {
        const auto found = actual.find(path);
        if (found == actual.end()) {
            differences += " missing:" + path;
            continue;
        }
        const EntryState& other = found->second;
        if (other.folder != state.folder || other.bytes != state.bytes ||
            other.attributes != state.attributes || (withTimes && other.written != state.written))
            differences += " changed:" + path;
    }
    for (const auto& entry : actual) {
        if (expected.count(entry.first) == 0)
            differences += " extra:" + entry.first;
    }
    if (differences.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "trees differ:" << differences;
}

bool SetWriteTime(const std::string& path, WORD year) {
    SYSTEMTIME system{};
    system.wYear = year;
    system.wMonth = 3;
    system.wDay = 14;
    system.wHour = 9;
    FILETIME time;
    const HANDLE file = CreateFileW(WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    const bool set = file != INVALID_HANDLE_VALUE && SystemTimeToFileTime(&system, &time) &&
                     SetFileTime(file, &time, &time, &time);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return set;
}

const char kOldStamp[] = "@versione=5.0  @build=04.04.15";
const char kNewStamp[] = "@versione=5.1  @build=04.06.30";
const VersionStamp kNext{51, 40630, MakeStampKey(51, 40630)};

// The installed product: some files the package replaces, one with odd
// attributes and an old time, some it leaves alone, every time fixed.
void MakeInstallation(const std::string& install) {
    RemoveTree(install);
    const std::vector<std::pair<std::string, std::string>> files{
        {"Versione.txt", kOldStamp}, {"a.dll", "old a"},          {"bin\\b.dll", "old b"},
        {"bin\\odd.cfg", "old odd"}, {"keep.txt", "not touched"}, {"data\\notes.txt", "notes"}};
    for (const auto& [relative, bytes] : files) {
        ASSERT_TRUE(WriteBytes(install + "\\" + relative, bytes)) << relative;
        ASSERT_TRUE(SetWriteTime(install + "\\" + relative, 2003)) << relative;
    }
    const std::string odd = install + "\\bin\\odd.cfg";
    ASSERT_TRUE(SetWriteTime(odd, 2001));
    ASSERT_TRUE(SetFileAttributesA(odd.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

struct PackageFile {
    std::string relative;
    std::string bytes;
};
const std::vector<std::string> kNewFolders{"plugins", "plugins\\sub"};
const std::vector<PackageFile> kPackage{{"a.dll", "new a"},
                                        {"bin\\b.dll", "new b"},
                                        {"bin\\odd.cfg", "new odd"},
                                        {"new.txt", "brand new"},
                                        {"bin\\c.dll", "new c"},
                                        {"plugins\\p1.dll", "p1"},
                                        {"plugins\\sub\\p2.dll", "p2"}};

bool WriteTemporary(CInstallTransaction& txn, const std::string& bytes, std::string& temporary) {
    const HANDLE file = txn.CreateTemporary(temporary);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    return CloseHandle(file) && ok;
}

// How the files are put in place: each on its own, or as the copier does it,
// several at a time, each renamed through its open handle and flushed in the
// background.
enum class Placing { OneByOne, Together };

// The run as the copier and the wizard make it; stops at the first failure.
bool RunPackage(CInstallTransaction& txn, const std::string& install,
                Placing placing = Placing::OneByOne) {
    if (!txn.Begin())
        return false;
    for (const std::string& folder : kNewFolders) {
        if (txn.MakeFolder((install + "\\" + folder).c_str()) != ERROR_SUCCESS)
            return false;
    }
    std::vector<CInstallTransaction::Placement> batch;
    for (size_t i = 0; i < kPackage.size(); ++i) {
        const PackageFile& file = kPackage[i];
        const std::string destination = install + "\\" + file.relative;
        std::string temporary;
        if (placing == Placing::OneByOne) {
            if (!WriteTemporary(txn, file.bytes, temporary) ||
                txn.Place(temporary, destination.c_str()) != ERROR_SUCCESS)
                return false;
            continue;
        }
        const HANDLE handle = txn.CreateTemporary(temporary);
        DWORD written = 0;
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        batch.push_back({temporary, destination, handle});
        if (!WriteFile(handle, file.bytes.data(), DWORD(file.bytes.size()), &written, nullptr))
            return false;
        // Two batches: three files, then the rest.
        if (i == 2 || i + 1 == kPackage.size()) {
            txn.PlaceSeveral(batch);
            for (const CInstallTransaction::Placement& placed : batch) {
                if (placed.result != ERROR_SUCCESS)
                    return false;
            }
            batch.clear();
        }
    }
    return txn.Commit((install + "\\Versione.txt").c_str(), kNext);
}

const char* StepName(SafetyStep step) {
    switch (step) {
    case SafetyStep::NetFolderMade:
        return "net folder made";
    case SafetyStep::JournalStarted:
        return "journal started";
    case SafetyStep::Journaled:
        return "record on disk";
    case SafetyStep::FolderMade:
        return "folder made";
    case SafetyStep::Preserved:
        return "old file preserved";
    case SafetyStep::Placed:
        return "new file placed";
    case SafetyStep::StampWritten:
        return "stamp temporary written";
    case SafetyStep::StampMoved:
        return "stamp moved (commit point)";
    case SafetyStep::Undone:
        return "one step undone";
    case SafetyStep::Removed:
        return "safety net file removed";
    }
    return "?";
}

// Stops the run (as a crash would) right after its `limit`-th change; 0 never.
class StopAfter : public CSafetyStepObserver {
public:
    explicit StopAfter(int limit) : m_limit(limit) {}
    bool Continue(SafetyStep step) override {
        ++changes;
        last = step;
        steps.push_back(step);
        committed = committed || step == SafetyStep::StampMoved;
        stopped = m_limit != 0 && changes >= m_limit;
        return !stopped;
    }
    int changes = 0;
    bool committed = false;
    bool stopped = false;
    SafetyStep last = SafetyStep::NetFolderMade;
    std::vector<SafetyStep> steps;

private:
    int m_limit;
};

class InstallTransactionTest : public ::testing::Test {
protected:
    TempFolder temp{"kvu-txn"};
    std::string install = temp.Sub("Tessaro");
    Snapshot before;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        MakeInstallation(install);
        before = TakeSnapshot(install);
    }

    // A fresh installation and a run stopped after its `limit`-th change.
    StopAfter CrashAfter(int limit, Placing placing = Placing::OneByOne) {
        MakeInstallation(install);
        StopAfter observer(limit);
        CInstallTransaction txn(install.c_str());
        txn.SetStepObserver(&observer);
        RunPackage(txn, install, placing);
        return observer;
    }

    std::string JournalPath() const { return CInstallTransaction::JournalPath(install.c_str()); }
};

TEST_F(InstallTransactionTest, CrashAfterEveryChangeThenRecoveryRestoresOrCompletes) {
    for (const Placing placing : {Placing::OneByOne, Placing::Together}) {
        const char* mode = placing == Placing::OneByOne ? "one by one" : "placed together";
        const StopAfter whole = CrashAfter(0, placing);
        ASSERT_FALSE(whole.stopped) << mode;
        const Snapshot after = TakeSnapshot(install);
        ASSERT_EQ(ReadBytes(install + "\\Versione.txt"), kNewStamp) << mode;
        ASSERT_EQ(after.count("~kvu"), 0u) << mode;
        ASSERT_EQ(after.at("bin\\odd.cfg").bytes, "new odd") << mode;

        for (int k = 1; k <= whole.changes; ++k) {
            const StopAfter crash = CrashAfter(k, placing);
            const std::string row = std::string(mode) + ", crash after change " +
                                    std::to_string(k) + " of " + std::to_string(whole.changes) +
                                    " (" + StepName(crash.last) + ")";
            const Snapshot& expected = crash.committed ? after : before;
            const RecoveryResult first = RecoverInterruptedUpdate(install.c_str());
            EXPECT_TRUE(first == RecoveryResult::RolledBack || first == RecoveryResult::Completed ||
                        first == RecoveryResult::NothingToDo)
                << row << ": " << int(first);
            EXPECT_TRUE(SameTree(expected, TakeSnapshot(install), !crash.committed)) << row;
            EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::NothingToDo)
                << row;
            EXPECT_TRUE(SameTree(expected, TakeSnapshot(install), !crash.committed)) << row;

            // The recovery itself cut short after each of its changes in turn.
            CrashAfter(k, placing);
            int interruptions = 0;
            for (;;) {
                StopAfter recoveryCrash(1);
                const RecoveryResult result =
                    RecoverInterruptedUpdate(install.c_str(), &recoveryCrash);
                if (!recoveryCrash.stopped) {
                    EXPECT_NE(result, RecoveryResult::Refused) << row;
                    break;
                }
                ASSERT_LT(++interruptions, 100) << row << ": recovery makes no progress";
            }
            EXPECT_TRUE(SameTree(expected, TakeSnapshot(install), !crash.committed))
                << row << ", recovery interrupted " << interruptions << " times";
        }
    }
}

TEST_F(InstallTransactionTest, RollbackPutsEverythingBack) {
    CInstallTransaction txn(install.c_str());
    ASSERT_TRUE(txn.Begin());
    for (const std::string& folder : kNewFolders)
        ASSERT_EQ(txn.MakeFolder((install + "\\" + folder).c_str()), DWORD(ERROR_SUCCESS));
    for (const PackageFile& file : kPackage) {
        std::string temporary;
        ASSERT_TRUE(WriteTemporary(txn, file.bytes, temporary));
        ASSERT_EQ(txn.Place(temporary, (install + "\\" + file.relative).c_str()),
                  DWORD(ERROR_SUCCESS));
    }
    std::string unplaced;
    ASSERT_TRUE(WriteTemporary(txn, "never placed", unplaced));
    EXPECT_TRUE(txn.Rollback());
    EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true));
}

// Counts the journal's flushes.
class CountingTransaction : public CInstallTransaction {
public:
    using CInstallTransaction::CInstallTransaction;
    int flushes = 0;

protected:
    BOOL FlushJournal(HANDLE journal) override {
        ++flushes;
        return CInstallTransaction::FlushJournal(journal);
    }
};

TEST_F(InstallTransactionTest, FilesPlacedTogetherShareOneFlushAndFailOneByOne) {
    CountingTransaction txn(install.c_str());
    ASSERT_TRUE(txn.Begin());
    std::vector<CInstallTransaction::Placement> batch;
    for (const char* relative : {"a.dll", "bin\\b.dll", "new.txt"}) {
        std::string temporary;
        ASSERT_TRUE(WriteTemporary(txn, std::string("new ") + relative, temporary));
        batch.push_back({temporary, install + "\\" + relative});
    }
    ExclusiveHold held(install + "\\bin\\b.dll");
    ASSERT_TRUE(held.IsHeld());
    const int flushesBefore = txn.flushes;
    txn.PlaceSeveral(batch);
    EXPECT_EQ(txn.flushes - flushesBefore, 1);
    EXPECT_EQ(batch[0].result, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(batch[1].result, DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(batch[2].result, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(ReadBytes(install + "\\a.dll"), "new a.dll");
    EXPECT_EQ(ReadBytes(install + "\\new.txt"), "new new.txt");
    held.Release();
    // The one refused is placed on its own once it is free.
    EXPECT_EQ(txn.Place(batch[1].temporaryPath, batch[1].destination.c_str()),
              DWORD(ERROR_SUCCESS));
    EXPECT_EQ(ReadBytes(install + "\\bin\\b.dll"), "new bin\\b.dll");
    EXPECT_TRUE(txn.Rollback());
    EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true));
}

TEST_F(InstallTransactionTest, DataThatCannotReachTheDiskIsNoCommit) {
    CInstallTransaction txn(install.c_str());
    ASSERT_TRUE(txn.Begin());
    std::string temporary;
    ASSERT_TRUE(WriteTemporary(txn, "new a", temporary));
    // A handle that may not write cannot flush either.
    const HANDLE readOnly =
        CreateFileA(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
    txn.FlushInBackground(readOnly);
    ASSERT_EQ(txn.Place(temporary, (install + "\\a.dll").c_str()), DWORD(ERROR_SUCCESS));
    EXPECT_FALSE(txn.Commit((install + "\\Versione.txt").c_str(), kNext));
    EXPECT_EQ(ReadBytes(install + "\\Versione.txt"), kOldStamp);
    EXPECT_TRUE(txn.Rollback());
    EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true));
}

TEST_F(InstallTransactionTest, RecoveryLeavesARunStillGoingAlone) {
    CInstallTransaction txn(install.c_str());
    ASSERT_TRUE(txn.Begin());
    std::string temporary;
    ASSERT_TRUE(WriteTemporary(txn, "new a", temporary));
    ASSERT_EQ(txn.Place(temporary, (install + "\\a.dll").c_str()), DWORD(ERROR_SUCCESS));
    const Snapshot during = TakeSnapshot(install);
    EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::Busy);
    EXPECT_TRUE(SameTree(during, TakeSnapshot(install), true));
    EXPECT_TRUE(txn.Rollback());
}

ExclusiveHold* g_heldDuringRollback = nullptr;

VOID CALLBACK ReleaseHeldFile(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (g_heldDuringRollback != nullptr)
        g_heldDuringRollback->Release();
}

TEST_F(InstallTransactionTest, RollbackWaitsForAHeldFileThenLeavesItToRecovery) {
    const DWORD restoreMs = ProcessRetryTimings().restoreMs;
    ASSERT_LE(restoreMs, 1000u) << "run with KVELMORA_TIME_DIVISOR";
    struct Row {
        const char* name;
        bool releasedDuringRetries;
    };
    for (const Row& row :
         {Row{"released during the retries", true}, Row{"held past the retries", false}}) {
        MakeInstallation(install);
        CInstallTransaction txn(install.c_str());
        ASSERT_TRUE(txn.Begin()) << row.name;
        std::string temporary;
        ASSERT_TRUE(WriteTemporary(txn, "new a", temporary)) << row.name;
        ASSERT_EQ(txn.Place(temporary, (install + "\\a.dll").c_str()), DWORD(ERROR_SUCCESS))
            << row.name;
        ExclusiveHold hold(install + "\\a.dll");
        ASSERT_TRUE(hold.IsHeld()) << row.name;
        g_heldDuringRollback = &hold;
        if (row.releasedDuringRetries)
            SetTimer(nullptr, 0, restoreMs / 4, ReleaseHeldFile);
        const bool rolledBack = txn.Rollback();
        g_heldDuringRollback = nullptr;
        hold.Release();
        EXPECT_EQ(rolledBack, row.releasedDuringRetries) << row.name;
        if (!row.releasedDuringRetries) {
            EXPECT_TRUE(Exists(JournalPath())) << row.name;
            EXPECT_EQ(ReadBytes(install + "\\a.dll"), "new a") << row.name;
            EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::RolledBack)
                << row.name;
        }
        EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true)) << row.name;
    }
}

TEST_F(InstallTransactionTest, RefusesForeignOrDamagedJournalsAndIgnoresATornLastRecord) {
    // A run stopped once the third file is in place: the journal has a
    // header, two folders and three replacements.
    const StopAfter whole = CrashAfter(0);
    int stopAt = 0;
    for (int placed = 0; placed < 3; ++stopAt)
        placed += whole.steps.at(stopAt) == SafetyStep::Placed ? 1 : 0;
    struct Row {
        const char* name;
        std::function<void(std::vector<JournalRecord>&, std::string& tail)> tamper;
        RecoveryResult expected;
    };
    const std::string outside = temp.Sub("outside.dll");
    const std::vector<Row> rows{
        {"header of another installation folder",
         [&](std::vector<JournalRecord>& records, std::string&) {
             records[0].fields[0] = temp.Sub("Altro");
         },
         RecoveryResult::Refused},
        {"header naming this folder in other letter case",
         [&](std::vector<JournalRecord>& records, std::string&) {
             records[0].fields[0] = temp.Sub("TESSARO");
         },
         RecoveryResult::RolledBack},
        {"garbled record in the middle",
         [&](std::vector<JournalRecord>&, std::string& tail) { tail = "garbled"; },
         RecoveryResult::Refused},
        {"destination outside the folder",
         [&](std::vector<JournalRecord>& records, std::string&) {
             records.back().fields.back() = outside;
         },
         RecoveryResult::Refused},
        {"destination climbing out with ..",
         [&](std::vector<JournalRecord>& records, std::string&) {
             records.back().fields.back() = install + "\\bin\\..\\..\\outside.dll";
         },
         RecoveryResult::Refused},
        {"preserved copy named outside the net",
         [&](std::vector<JournalRecord>& records, std::string&) {
             for (JournalRecord& record : records) {
                 if (record.kind == JournalKind::Replace)
                     record.fields[1] = "..\\a.dll";
             }
         },
         RecoveryResult::Refused},
        // Device names and wildcards: the path rules' own table (native).
        {"stamp record naming another file of the installation",
         [&](std::vector<JournalRecord>& records, std::string&) {
             JournalRecord stamp;
             stamp.kind = JournalKind::StampWrite;
             stamp.sequence = static_cast<uint32_t>(records.size());
             stamp.fields = {install + "\\keep.txt"};
             records.push_back(stamp);
         },
         RecoveryResult::Refused},
        {"stamp move naming another file of the installation",
         [&](std::vector<JournalRecord>& records, std::string&) {
             JournalRecord stamp;
             stamp.kind = JournalKind::StampMove;
             stamp.sequence = static_cast<uint32_t>(records.size());
             stamp.fields = {install + "\\keep.txt", install + "\\Versione.txt"};
             records.push_back(stamp);
         },
         RecoveryResult::Refused},
        {"a format version this program does not know",
         [&](std::vector<JournalRecord>& records, std::string&) {
             records[0].fields[1] = std::to_string(kJournalVersion + 1);
         },
         RecoveryResult::Refused},
        {"torn last record",
         [&](std::vector<JournalRecord>& records, std::string& tail) {
             JournalRecord next;
             next.kind = JournalKind::NewFile;
             next.sequence = static_cast<uint32_t>(records.size());
             next.fields = {"000099", install + "\\keep.txt"};
             tail = EncodeJournalRecord(next).substr(0, 20);
         },
         RecoveryResult::RolledBack},
    };
    for (const Row& row : rows) {
        const StopAfter crash = CrashAfter(stopAt);
        ASSERT_TRUE(crash.stopped && !crash.committed) << row.name;
        ASSERT_TRUE(WriteBytes(outside, "someone else's")) << row.name;
        std::vector<JournalRecord> records;
        bool torn = false;
        ASSERT_EQ(ParseJournal(ReadBytes(JournalPath()), records, torn), JournalParse::Complete)
            << row.name;
        ASSERT_GE(records.size(), 6u) << row.name;
        std::string tail;
        row.tamper(records, tail);
        std::string text;
        for (size_t i = 0; i < records.size(); ++i) {
            std::string line = EncodeJournalRecord(records[i]);
            // A change after encoding: the checksum no longer matches.
            if (tail == "garbled" && i == 2)
                line[line.size() / 2] ^= 0x01;
            text += line;
        }
        if (tail != "garbled")
            text += tail;
        ASSERT_TRUE(WriteBytes(JournalPath(), text)) << row.name;
        const Snapshot tampered = TakeSnapshot(install);

        EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), row.expected) << row.name;
        if (row.expected == RecoveryResult::Refused) {
            EXPECT_TRUE(SameTree(tampered, TakeSnapshot(install), true)) << row.name;
            EXPECT_EQ(ReadBytes(JournalPath()), text) << row.name;
        } else {
            EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true)) << row.name;
        }
        EXPECT_EQ(ReadBytes(outside), "someone else's") << row.name;
        RemoveTree(CInstallTransaction::SafetyNetFolder(install.c_str()));
    }
}

TEST_F(InstallTransactionTest, AStampThatCannotBeMovedIsNoCommit) {
    for (const bool crash : {false, true}) {
        const char* row = crash ? "then a crash" : "then rollback";
        MakeInstallation(install);
        {
            CInstallTransaction txn(install.c_str());
            ASSERT_TRUE(txn.Begin()) << row;
            std::string temporary;
            ASSERT_TRUE(WriteTemporary(txn, "new a", temporary)) << row;
            ASSERT_EQ(txn.Place(temporary, (install + "\\a.dll").c_str()), DWORD(ERROR_SUCCESS))
                << row;
            ExclusiveHold held(install + "\\Versione.txt");
            ASSERT_TRUE(held.IsHeld()) << row;
            EXPECT_FALSE(txn.Commit((install + "\\Versione.txt").c_str(), kNext)) << row;
            held.Release();
            if (!crash) {
                EXPECT_TRUE(txn.Rollback()) << row;
            }
        }
        if (crash) {
            EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::RolledBack) << row;
        }
        EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true)) << row;
    }
}

// The journal on a disk that fills up: the `failingWrite`-th write is cut in
// half, or the `failingFlush`-th flush fails, with ERROR_DISK_FULL.
class FullDiskTransaction : public CInstallTransaction {
public:
    using CInstallTransaction::CInstallTransaction;
    int failingWrite = 0;
    int failingFlush = 0;

protected:
    BOOL WriteJournal(HANDLE journal, const void* data, DWORD size, DWORD* written) override {
        if (++m_writes != failingWrite)
            return CInstallTransaction::WriteJournal(journal, data, size, written);
        CInstallTransaction::WriteJournal(journal, data, size / 2, written);
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    BOOL FlushJournal(HANDLE journal) override {
        if (++m_flushes != failingFlush)
            return CInstallTransaction::FlushJournal(journal);
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }

private:
    int m_writes = 0;
    int m_flushes = 0;
};

TEST_F(InstallTransactionTest, AJournalThatCannotBeWrittenStopsTheRunWithNothingChanged) {
    // Records: the header, two folders, then one per file; the third file's
    // record is the sixth.
    struct Row {
        const char* name;
        int failingWrite;
        int failingFlush;
        bool crashInstead; // the run ends with a crash instead of Rollback
    };
    const Row rows[] = {
        {"record cut short, then rollback", 6, 0, false},
        {"flush fails after a whole record, then rollback", 0, 6, false},
        {"record cut short, then a crash", 6, 0, true},
        {"flush fails after a whole record, then a crash", 0, 6, true},
    };
    for (const Row& row : rows) {
        MakeInstallation(install);
        {
            FullDiskTransaction txn(install.c_str());
            txn.failingWrite = row.failingWrite;
            txn.failingFlush = row.failingFlush;
            ASSERT_TRUE(txn.Begin()) << row.name;
            for (const std::string& folder : kNewFolders)
                ASSERT_EQ(txn.MakeFolder((install + "\\" + folder).c_str()), DWORD(ERROR_SUCCESS));
            std::vector<DWORD> results;
            for (const PackageFile& file : kPackage) {
                std::string temporary;
                results.push_back(
                    WriteTemporary(txn, file.bytes, temporary)
                        ? txn.Place(temporary, (install + "\\" + file.relative).c_str())
                        : GetLastError());
            }
            EXPECT_EQ(results[0], DWORD(ERROR_SUCCESS)) << row.name;
            EXPECT_EQ(results[2], DWORD(ERROR_DISK_FULL)) << row.name;
            EXPECT_EQ(ReadBytes(install + "\\bin\\odd.cfg"), "old odd") << row.name;
            EXPECT_NE(results[3], DWORD(ERROR_SUCCESS))
                << row.name << ": no step after a broken journal";
            EXPECT_FALSE(txn.Commit((install + "\\Versione.txt").c_str(), kNext)) << row.name;
            EXPECT_EQ(ReadBytes(install + "\\Versione.txt"), kOldStamp) << row.name;
            if (!row.crashInstead) {
                EXPECT_TRUE(txn.Rollback()) << row.name;
            }
        }
        if (row.crashInstead) {
            EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::RolledBack)
                << row.name;
        }
        EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true)) << row.name;
    }
}

TEST_F(InstallTransactionTest, AHeaderCutShortIsARunThatNeverStartedUnlessItNamesAnotherFolder) {
    struct Row {
        const char* name;
        std::string header;
        RecoveryResult expected;
    };
    JournalRecord header;
    header.fields = {install};
    const std::string ours = EncodeJournalRecord(header);
    header.fields = {temp.Sub("Altro")};
    const std::string theirs = EncodeJournalRecord(header);
    const std::vector<Row> rows{
        {"nothing written", "", RecoveryResult::NothingToDo},
        {"cut inside the folder", ours.substr(0, ours.size() / 2), RecoveryResult::NothingToDo},
        {"cut inside the checksum", ours.substr(0, ours.size() - 4), RecoveryResult::NothingToDo},
        {"zeros after the cut", ours.substr(0, 12) + std::string(64, '\0'),
         RecoveryResult::NothingToDo},
        {"another folder, cut", theirs.substr(0, theirs.size() - 4), RecoveryResult::Refused},
    };
    for (const Row& row : rows) {
        {
            CInstallTransaction txn(install.c_str());
            ASSERT_TRUE(txn.Begin()) << row.name;
        }
        ASSERT_TRUE(WriteBytes(JournalPath(), row.header)) << row.name;
        EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), row.expected) << row.name;
        if (row.expected == RecoveryResult::Refused) {
            EXPECT_EQ(ReadBytes(JournalPath()), row.header) << row.name;
            RemoveTree(CInstallTransaction::SafetyNetFolder(install.c_str()));
        }
        EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true)) << row.name;
    }
}

TEST(InstallTransactionPaths, LongestInstallationFolderWorksOneLongerIsRefusedUntouched) {
    TempFolder temp("kvu-long");
    struct Row {
        size_t length;
        bool begins;
    };
    for (const Row& row : {Row{246, true}, Row{247, false}}) {
        const std::string name = "folder of " + std::to_string(row.length);
        const std::string install = PathOfLength(temp.Path(), "T", row.length);
        ASSERT_EQ(install.size(), row.length);
        ASSERT_TRUE(WriteBytes(install + "\\Versione.txt", kOldStamp)) << name;
        ASSERT_TRUE(WriteBytes(install + "\\a.dll", "old a")) << name;
        const Snapshot before = TakeSnapshot(install);
        {
            CInstallTransaction txn(install.c_str());
            ASSERT_EQ(txn.Begin(), row.begins) << name;
            if (!row.begins) {
                EXPECT_EQ(txn.LastError(), DWORD(ERROR_FILENAME_EXCED_RANGE)) << name;
                EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true)) << name;
                continue;
            }
            std::string temporary;
            ASSERT_TRUE(WriteTemporary(txn, "new a", temporary)) << name;
            EXPECT_EQ(temporary.size(), row.length + 1 + 4 + 1 + 6) << name;
            ASSERT_EQ(txn.Place(temporary, (install + "\\a.dll").c_str()), DWORD(ERROR_SUCCESS))
                << name;
        } // a crash: recovery from the longest paths
        EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::RolledBack) << name;
        EXPECT_TRUE(SameTree(before, TakeSnapshot(install), true)) << name;

        CInstallTransaction txn(install.c_str());
        ASSERT_TRUE(txn.Begin()) << name;
        std::string temporary;
        ASSERT_TRUE(WriteTemporary(txn, "new a", temporary)) << name;
        ASSERT_EQ(txn.Place(temporary, (install + "\\a.dll").c_str()), DWORD(ERROR_SUCCESS))
            << name;
        ASSERT_TRUE(txn.Commit((install + "\\Versione.txt").c_str(), kNext)) << name;
        EXPECT_EQ(ReadBytes(install + "\\a.dll"), "new a") << name;
        EXPECT_EQ(ReadBytes(install + "\\Versione.txt"), kNewStamp) << name;
        EXPECT_FALSE(Exists(CInstallTransaction::SafetyNetFolder(install.c_str()))) << name;
    }
}

// Runs a Unix program (Wine starts those too) on paths of C:, which is the
// prefix's drive_c.
bool RunUnix(const std::string& program, const std::vector<std::string>& paths) {
    char prefix[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    if (length == 0 || length >= sizeof prefix)
        return false;
    std::string command = "Z:\\bin\\" + program;
    for (const std::string& path : paths) {
        if (path[0] == '-') {
            command += " " + path;
            continue;
        }
        std::string converted = std::string(prefix) + "/drive_c" + path.substr(2);
        std::replace(converted.begin(), converted.end(), '\\', '/');
        // Wine passes the words on as they are, quotes included: no blanks here.
        command += " " + converted;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Waits until `path` exists (or is gone): the exit code and the end of a
// Unix program do not reliably reach its Windows parent.
bool AwaitPath(const std::string& path, bool exists) {
    for (int i = 0; i < 500; ++i) {
        if ((GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == exists)
            return true;
        Sleep(10);
    }
    return false;
}

// Unix symbolic links, removed again when the object goes (Wine cannot
// remove a link to a folder, and the test folder's clean-up would follow it).
// Wine 8 shows a link to a folder as a reparse point, one to a file as a file.
class UnixLinks {
public:
    UnixLinks() = default;
    UnixLinks(const UnixLinks&) = delete;
    UnixLinks& operator=(const UnixLinks&) = delete;
    ~UnixLinks() {
        for (const std::string& link : m_links)
            Remove(link);
    }
    bool Make(const std::string& link, const std::string& target) {
        m_links.push_back(link);
        return RunUnix("ln", {"-s", target, link}) && AwaitPath(link, true);
    }
    // A second name of `target`: it looks like a plain file everywhere.
    bool MakeHard(const std::string& link, const std::string& target) {
        m_links.push_back(link);
        return RunUnix("ln", {target, link}) && AwaitPath(link, true);
    }
    bool Remove(const std::string& link) {
        return RunUnix("rm", {"-f", link}) && AwaitPath(link, false);
    }

private:
    std::vector<std::string> m_links;
};

TEST_F(InstallTransactionTest, NothingIsReachedThroughALinkOrAFolderOrAHeldFile) {
    const std::string elsewhere = temp.Sub("elsewhere");
    ASSERT_TRUE(WriteBytes(elsewhere + "\\target.dll", "not ours"));
    const Snapshot elsewhereBefore = TakeSnapshot(elsewhere);
    UnixLinks links;

    // The safety net folder itself a link: no run starts.
    ASSERT_TRUE(links.Make(CInstallTransaction::SafetyNetFolder(install.c_str()), elsewhere));
    {
        CInstallTransaction txn(install.c_str());
        EXPECT_FALSE(txn.Begin());
        EXPECT_EQ(txn.LastError(), DWORD(ERROR_CANT_ACCESS_FILE));
    }
    EXPECT_TRUE(links.Remove(CInstallTransaction::SafetyNetFolder(install.c_str())));

    ASSERT_TRUE(links.Make(install + "\\linked.dll", elsewhere + "\\target.dll"));
    ASSERT_TRUE(links.Make(install + "\\linkdir", elsewhere));
    ExclusiveHold held(install + "\\keep.txt");
    struct Row {
        const char* destination;
        DWORD error;
    };
    const Row rows[] = {
        {"linked.dll", ERROR_CANT_ACCESS_FILE},
        {"linkdir", ERROR_CANT_ACCESS_FILE},
        {"linkdir\\new.dll", ERROR_CANT_ACCESS_FILE},
        {"linkdir\\target.dll", ERROR_CANT_ACCESS_FILE},
        {"bin", ERROR_DIRECTORY},
        {"keep.txt", ERROR_SHARING_VIOLATION},
    };
    CInstallTransaction txn(install.c_str());
    ASSERT_TRUE(txn.Begin());
    for (const Row& row : rows) {
        const std::string destination = install + "\\" + row.destination;
        EXPECT_EQ(txn.CheckReplaceable(destination.c_str()), row.error) << row.destination;
        std::string temporary;
        ASSERT_TRUE(WriteTemporary(txn, "new", temporary)) << row.destination;
        EXPECT_EQ(txn.Place(temporary, destination.c_str()), row.error) << row.destination;
        EXPECT_EQ(ReadBytes(temporary), "new") << row.destination << ": temporary kept";
        txn.Discard(temporary);
        EXPECT_FALSE(Exists(temporary)) << row.destination;
        EXPECT_TRUE(SameTree(elsewhereBefore, TakeSnapshot(elsewhere), true)) << row.destination;
    }
    EXPECT_EQ(txn.MakeFolder((install + "\\linkdir\\sub").c_str()), DWORD(ERROR_CANT_ACCESS_FILE));
    EXPECT_EQ(txn.MakeFolder((install + "\\a.dll").c_str()), DWORD(ERROR_DIRECTORY));
    EXPECT_TRUE(txn.Rollback());
    held.Release();
    EXPECT_TRUE(SameTree(elsewhereBefore, TakeSnapshot(elsewhere), true));

    // The installation folder itself may lie behind a link (a junction on
    // Windows): what is inside it is still its own.
    const std::string behindLink = temp.Sub("Tessaro-link");
    ASSERT_TRUE(links.Make(behindLink, install));
    {
        CInstallTransaction viaLink(behindLink.c_str());
        ASSERT_TRUE(viaLink.Begin());
        std::string temporary;
        ASSERT_TRUE(WriteTemporary(viaLink, "new a", temporary));
        EXPECT_EQ(viaLink.Place(temporary, (behindLink + "\\a.dll").c_str()), DWORD(ERROR_SUCCESS));
        EXPECT_TRUE(viaLink.Rollback());
        EXPECT_EQ(ReadBytes(install + "\\a.dll"), "old a");
    }

    // A journal reached through a link at the next start is not followed.
    {
        CInstallTransaction crashed(install.c_str());
        ASSERT_TRUE(crashed.Begin());
        std::string temporary;
        ASSERT_TRUE(WriteTemporary(crashed, "new a", temporary));
        ASSERT_EQ(crashed.Place(temporary, (install + "\\a.dll").c_str()), DWORD(ERROR_SUCCESS));
    }
    const std::string net = CInstallTransaction::SafetyNetFolder(install.c_str());
    const std::string moved = temp.Sub("moved-net");
    ASSERT_TRUE(MoveFileA(net.c_str(), moved.c_str()));
    ASSERT_TRUE(links.Make(net, moved));
    EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::Refused);
    EXPECT_EQ(ReadBytes(install + "\\a.dll"), "new a");
    EXPECT_TRUE(Exists(moved + "\\journal"));
}

// The file a link of the test points to, outside the installation: its bytes
// and attributes must come through every row unchanged, and it must stay
// where it is.
class OutsideFile {
public:
    explicit OutsideFile(std::string path) : m_path(std::move(path)) {}
    bool Make() {
        SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!WriteBytes(m_path, kBytes) ||
            !SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_READONLY))
            return false;
        m_attributes = GetFileAttributesA(m_path.c_str());
        return true;
    }
    ::testing::AssertionResult Unchanged() const {
        const DWORD attributes = GetFileAttributesA(m_path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return ::testing::AssertionFailure() << "the outside file is gone";
        if (ReadBytes(m_path) != kBytes)
            return ::testing::AssertionFailure() << "its bytes changed: " << ReadBytes(m_path);
        if (attributes != m_attributes)
            return ::testing::AssertionFailure()
                   << "its attributes changed: " << attributes << " for " << m_attributes;
        return ::testing::AssertionSuccess();
    }
    const std::string& Path() const { return m_path; }

private:
    static constexpr const char* kBytes = "someone else's";
    std::string m_path;
    DWORD m_attributes = 0;
};

TEST_F(InstallTransactionTest, NothingOutsideIsWrittenMovedOrDeletedThroughALinkAtANameItUses) {
    const std::string net = CInstallTransaction::SafetyNetFolder(install.c_str());
    OutsideFile outside(temp.Sub("outside.dll"));
    // What the program does with the name, and what it must answer.
    enum class Act {
        WholeRun,
        StartThenWholeRun,
        StartRefused,
        RecoveryRefused,
        RecoveryKeeps,
        PlaceRefused
    };
    struct Row {
        const char* name;
        std::string link;
        Act act;
    };
    const std::vector<Row> rows{
        {"the stamp temporary", install + "\\Versione.tx~", Act::WholeRun},
        {"a temporary's number in the safety net", net + "\\000001", Act::StartThenWholeRun},
        {"an original's number in the safety net", net + "\\500000", Act::StartRefused},
        {"the journal", net + "\\journal", Act::RecoveryRefused},
        {"the original a crashed run kept", net + "\\500000", Act::RecoveryKeeps},
        {"a temporary of this run, before it is placed", net + "\\000001", Act::PlaceRefused},
    };
    const StopAfter whole = CrashAfter(0);
    int firstPreserved = 0;
    while (whole.steps.at(firstPreserved) != SafetyStep::Placed)
        ++firstPreserved;
    for (const Row& row : rows) {
        for (const bool hard : {false, true}) {
            const std::string name = std::string(row.name) + (hard ? ", hard link" : ", symbolic");
            ASSERT_TRUE(outside.Make()) << name;
            MakeInstallation(install);
            if (row.act == Act::RecoveryKeeps) {
                // A run killed once its first file was replaced; its kept
                // original gives way to the link.
                CrashAfter(firstPreserved + 1);
                ASSERT_TRUE(MoveFileExA(row.link.c_str(), temp.Sub("kept-original").c_str(),
                                        MOVEFILE_REPLACE_EXISTING))
                    << name;
            } else {
                ASSERT_TRUE(MakeFolder(net)) << name;
            }
            CInstallTransaction placing(install.c_str());
            std::string temporary;
            if (row.act == Act::PlaceRefused) {
                RemoveTree(net);
                ASSERT_TRUE(placing.Begin()) << name;
                ASSERT_TRUE(WriteTemporary(placing, "new a", temporary)) << name;
                ASSERT_EQ(temporary, row.link) << name;
                ASSERT_TRUE(DeleteFileA(temporary.c_str())) << name;
            }
            UnixLinks links;
            ASSERT_TRUE(hard ? links.MakeHard(row.link, outside.Path())
                             : links.Make(row.link, outside.Path()))
                << name;
            switch (row.act) {
            case Act::WholeRun: {
                CInstallTransaction txn(install.c_str());
                EXPECT_TRUE(RunPackage(txn, install)) << name;
                EXPECT_EQ(ReadBytes(install + "\\Versione.txt"), kNewStamp) << name;
                EXPECT_FALSE(Exists(row.link)) << name << ": a stale name is removed";
                break;
            }
            case Act::StartThenWholeRun: {
                EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::NothingToDo)
                    << name;
                CInstallTransaction txn(install.c_str());
                EXPECT_TRUE(RunPackage(txn, install)) << name;
                EXPECT_EQ(ReadBytes(install + "\\a.dll"), "new a") << name;
                break;
            }
            case Act::StartRefused: {
                EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::NotAllRestored)
                    << name;
                CInstallTransaction txn(install.c_str());
                EXPECT_FALSE(txn.Begin()) << name;
                break;
            }
            case Act::RecoveryRefused:
                EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::Refused)
                    << name;
                break;
            case Act::RecoveryKeeps:
                EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()), RecoveryResult::NotAllRestored)
                    << name;
                break;
            case Act::PlaceRefused:
                EXPECT_EQ(placing.Place(temporary, (install + "\\a.dll").c_str()),
                          DWORD(ERROR_CANT_ACCESS_FILE))
                    << name;
                EXPECT_EQ(ReadBytes(install + "\\a.dll"), "old a") << name;
                EXPECT_TRUE(placing.Rollback()) << name;
                break;
            }
            EXPECT_TRUE(outside.Unchanged()) << name;
            if (hard)
                DeleteFileA(row.link.c_str()); // the name only
        }                                      // the symbolic link goes here
        RemoveTree(net);
    }
}

// Copies a tree with its attributes and times (CopyFile keeps both).
bool CopyTree(const std::string& from, const std::string& to) {
    if (!CreateDirectoryA(to.c_str(), nullptr))
        return false;
    WIN32_FIND_DATAA entry;
    const HANDLE listing = FindFirstFileA((from + "\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return false;
    bool copied = true;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string source = from + "\\" + name;
        const std::string target = to + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            copied = CopyTree(source, target) &&
                     SetFileAttributesA(target.c_str(), entry.dwFileAttributes) && copied;
        else
            copied = CopyFileA(source.c_str(), target.c_str(), TRUE) && copied;
    } while (FindNextFileA(listing, &entry));
    FindClose(listing);
    return copied;
}

// A disk whose cache ignores flushes may lose the end of the journal while
// the renames it recorded survive: whatever is left of it, no original is
// ever deleted, and the run is reported undone only when it is.
TEST_F(InstallTransactionTest, AJournalCutAtAnyLengthNeverCostsAnOriginalNorFeignsAnUndo) {
    const StopAfter whole = CrashAfter(0);
    int stopAt = 0;
    for (int placed = 0; placed < 3; ++stopAt)
        placed += whole.steps.at(stopAt) == SafetyStep::Placed ? 1 : 0;
    CrashAfter(stopAt);
    const std::string crashed = temp.Sub("crashed");
    ASSERT_TRUE(CopyTree(install, crashed));
    const std::string journal = ReadBytes(JournalPath());
    const std::vector<std::pair<std::string, std::string>> originals{
        {"a.dll", "old a"}, {"bin\\b.dll", "old b"}, {"bin\\odd.cfg", "old odd"}};
    const auto restoreCrash = [&] { return RemoveTree(install) && CopyTree(crashed, install); };

    // Each row: how much of the journal is left, or an original lost.
    for (size_t length = 0; length <= journal.size() + 1; ++length) {
        const bool lost = length > journal.size();
        const std::string row = lost ? std::string("whole journal, an original lost")
                                     : "journal cut at " + std::to_string(length) + " of " +
                                           std::to_string(journal.size());
        ASSERT_TRUE(restoreCrash()) << row;
        if (lost)
            ASSERT_TRUE(DeleteFileA(
                (CInstallTransaction::SafetyNetFolder(install.c_str()) + "\\500000").c_str()))
                << row;
        else
            ASSERT_TRUE(WriteBytes(JournalPath(), journal.substr(0, length))) << row;
        const RecoveryResult result = RecoverInterruptedUpdate(install.c_str());
        const Snapshot now = TakeSnapshot(install);
        for (const auto& [relative, bytes] : originals) {
            if (lost && relative == "a.dll")
                continue;
            bool found = false;
            for (const auto& [path, state] : now)
                found = found || (!state.folder && state.bytes == bytes &&
                                  (path == relative || path.compare(0, 5, "~kvu\\") == 0));
            EXPECT_TRUE(found) << row << ": the original of " << relative << " is gone";
        }
        if (result == RecoveryResult::RolledBack || result == RecoveryResult::NothingToDo)
            EXPECT_TRUE(SameTree(before, now, true)) << row << ": reported undone";
        else
            EXPECT_EQ(result, RecoveryResult::NotAllRestored) << row;
        EXPECT_EQ(RecoverInterruptedUpdate(install.c_str()) == RecoveryResult::NotAllRestored,
                  result == RecoveryResult::NotAllRestored)
            << row << ": the next start sees the same";
    }
}

TEST_F(InstallTransactionTest, AReplacedFileKeepsItsHiddenSystemAndArchiveAttributes) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    for (const Placing placing : {Placing::OneByOne, Placing::Together}) {
        const char* mode = placing == Placing::OneByOne ? "one by one" : "placed together";
        MakeInstallation(install);
        const std::string a = install + "\\a.dll";
        ASSERT_TRUE(SetFileAttributesA(a.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            << mode;
        std::map<std::string, DWORD> attributes;
        for (const char* relative : {"a.dll", "bin\\b.dll", "bin\\odd.cfg"})
            attributes[relative] = GetFileAttributesA((install + "\\" + relative).c_str());
        ASSERT_EQ(attributes["a.dll"] & kKept & ~FILE_ATTRIBUTE_ARCHIVE,
                  DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            << mode << ": this file system keeps no such attributes";
        CInstallTransaction txn(install.c_str());
        ASSERT_TRUE(RunPackage(txn, install, placing)) << mode;
        for (const auto& [relative, old] : attributes) {
            const std::string path = install + "\\" + relative;
            EXPECT_EQ(ReadBytes(path).compare(0, 3, "new"), 0) << mode << ": " << relative;
            EXPECT_EQ(GetFileAttributesA(path.c_str()) & kKept, old & kKept)
                << mode << ": " << relative;
        }
    }
}

} // namespace
