// The journal of an update run as text: which damage is a torn last line
// (a step never taken) and which makes the journal unusable, and which paths
// recovery may touch.
#include "fileops/UpdateJournal.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

JournalRecord Record(uint32_t sequence, JournalKind kind, std::vector<std::string> fields) {
    JournalRecord record;
    record.sequence = sequence;
    record.kind = kind;
    record.fields = std::move(fields);
    return record;
}

std::string Line(uint32_t sequence, JournalKind kind, std::vector<std::string> fields) {
    return EncodeJournalRecord(Record(sequence, kind, std::move(fields)));
}

const std::string kHeader = EncodeJournalRecord(JournalHeader("C:\\Programmi\\Caff\xE8", 1));
const std::string kFolder = Line(1, JournalKind::Folder, {"C:\\Programmi\\Caff\xE8\\plugins"});
const std::string kReplace =
    Line(2, JournalKind::Replace, {"000001", "500000", "C:\\Programmi\\Caff\xE8\\a.dll"});

TEST(UpdateJournal, TellsATornLastLineFromDamage) {
    struct Row {
        const char* name;
        std::string text;
        JournalParse expected;
        size_t records;
        bool torn;
    };
    std::string flipped = kFolder;
    flipped[5] ^= 0x20;
    std::string lastFlipped = kReplace;
    lastFlipped[8] ^= 0x01;
    const std::string lfOnly = kFolder.substr(0, kFolder.size() - 2) + "\n";
    const std::vector<Row> rows{
        {"whole journal", kHeader + kFolder + kReplace, JournalParse::Complete, 3, false},
        {"last line cut short", kHeader + kFolder + kReplace.substr(0, 20), JournalParse::Complete,
         2, true},
        {"last line cut before its line end",
         kHeader + kFolder + kReplace.substr(0, kReplace.size() - 1), JournalParse::Complete, 2,
         true},
        {"last line with a wrong checksum", kHeader + kFolder + lastFlipped, JournalParse::Complete,
         2, true},
        {"zeros after the last line", kHeader + kFolder + std::string(512, '\0'),
         JournalParse::Complete, 2, true},
        {"damaged line in the middle", kHeader + flipped + kReplace, JournalParse::Garbled, 0,
         false},
        {"line end without carriage return in the middle", kHeader + lfOnly + kReplace,
         JournalParse::Garbled, 0, false},
        {"a line missing", kHeader + kReplace + kReplace, JournalParse::Garbled, 0, false},
        {"a line repeated", kHeader + kFolder + kFolder + kReplace, JournalParse::Garbled, 0,
         false},
        {"no header", Line(0, JournalKind::Folder, {"C:\\x"}) + kFolder, JournalParse::Garbled, 0,
         false},
        {"first format's header (no version)",
         Line(0, JournalKind::Header, {"C:\\Programmi\\Caff\xE8"}) + kFolder + kReplace,
         JournalParse::Complete, 3, false},
        {"a version this program does not know",
         Line(0, JournalKind::Header, {"C:\\T", std::to_string(kJournalVersion + 1), "1"}) +
             kFolder,
         JournalParse::Garbled, 0, false},
        {"version 0", Line(0, JournalKind::Header, {"C:\\T", "0", "1"}) + kFolder,
         JournalParse::Garbled, 0, false},
        {"version not a number", Line(0, JournalKind::Header, {"C:\\T", "2a", "1"}) + kFolder,
         JournalParse::Garbled, 0, false},
        {"version without the first temporary",
         Line(0, JournalKind::Header, {"C:\\T", "2"}) + kFolder, JournalParse::Garbled, 0, false},
        {"first temporary among the originals' numbers",
         Line(0, JournalKind::Header, {"C:\\T", "2", "500000"}) + kFolder, JournalParse::Garbled, 0,
         false},
        {"a second header", kHeader + Line(1, JournalKind::Header, {"C:\\x"}) + kReplace,
         JournalParse::Garbled, 0, false},
        {"wrong number of fields",
         kHeader + Line(1, JournalKind::Folder, {"C:\\x", "C:\\y"}) + kReplace,
         JournalParse::Garbled, 0, false},
        {"unknown kind", kHeader + Line(1, static_cast<JournalKind>('Z'), {"C:\\x"}) + kReplace,
         JournalParse::Garbled, 0, false},
        {"control character in a field",
         kHeader + Line(1, JournalKind::Folder, {"C:\\\tx"}) + kReplace, JournalParse::Garbled, 0,
         false},
        {"empty", "", JournalParse::Garbled, 0, false},
        {"header cut short", kHeader.substr(0, 9), JournalParse::Garbled, 0, true},
    };
    for (const Row& row : rows) {
        std::vector<JournalRecord> records;
        bool torn = false;
        EXPECT_EQ(ParseJournal(row.text, records, torn), row.expected) << row.name;
        if (row.expected == JournalParse::Complete) {
            EXPECT_EQ(records.size(), row.records) << row.name;
            EXPECT_EQ(torn, row.torn) << row.name;
        }
    }
}

TEST(UpdateJournal, RecordsReadBackAsWritten) {
    std::vector<JournalRecord> records;
    bool torn = true;
    ASSERT_EQ(ParseJournal(kHeader + kFolder + kReplace + Line(3, JournalKind::Void, {"2"}) +
                               Line(4, JournalKind::Committed, {}),
                           records, torn),
              JournalParse::Complete);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_FALSE(torn);
    EXPECT_EQ(records[0].fields, (std::vector<std::string>{"C:\\Programmi\\Caff\xE8", "2", "1"}));
    EXPECT_EQ(JournalVersion(records[0]), kJournalVersion);
    EXPECT_EQ(JournalFirstTemporary(records[0]), 1u);
    EXPECT_EQ(records[2].kind, JournalKind::Replace);
    EXPECT_EQ(records[2].fields,
              (std::vector<std::string>{"000001", "500000", "C:\\Programmi\\Caff\xE8\\a.dll"}));
    EXPECT_EQ(records[4].kind, JournalKind::Committed);
    EXPECT_TRUE(records[4].fields.empty());
}

TEST(UpdateJournal, PathsInsideTheFolderOnly) {
    struct Row {
        const char* folder;
        const char* path;
        bool inside;
    };
    const Row rows[] = {
        {"C:\\T", "C:\\T\\a.dll", true},
        {"C:\\T", "c:\\t\\bin\\A.DLL", true},
        {"C:\\Caff\xE8", "C:\\CAFF\xC8\\x", true},
        {"C:\\T", "C:\\T", false},
        {"C:\\T", "C:\\T\\", false},
        {"C:\\T", "C:\\Tx\\a.dll", false},
        {"C:\\T", "D:\\T\\a.dll", false},
        {"C:\\T", "C:\\T\\..\\x", false},
        {"C:\\T", "C:\\T\\bin\\..\\..\\x", false},
        {"C:\\T", "C:\\T\\...\\x", false},
        {"C:\\T", "C:\\T\\.\\x", false},
        {"C:\\T", "C:\\T\\a.\\x", false},
        {"C:\\T", "C:\\T\\a \\x", false},
        {"C:\\T", "C:\\T\\a/../..\\x", false},
        {"C:\\T", "C:\\T\\a:stream", false},
        {"C:\\T", "C:\\T\\a\\\\b", false},
        {"C:\\T", "C:\\T\\a\x01", false},
        {"", "\\a", false},
        // Device names, with or without an extension, in any letter case,
        // anywhere in the path: they name no file of the folder.
        {"C:\\T", "C:\\T\\NUL", false},
        {"C:\\T", "C:\\T\\con", false},
        {"C:\\T", "C:\\T\\aux.txt", false},
        {"C:\\T", "C:\\T\\bin\\Prn.log.old", false},
        {"C:\\T", "C:\\T\\COM1", false},
        {"C:\\T", "C:\\T\\lpt9.dll", false},
        {"C:\\T", "C:\\T\\com\xB9", false},
        {"C:\\T", "C:\\T\\nul .txt", false},
        {"C:\\T", "C:\\T\\CONIN$", false},
        {"C:\\T", "C:\\T\\nul\\a.dll", false},
        // Near misses are ordinary names.
        {"C:\\T", "C:\\T\\nullo.dll", true},
        {"C:\\T", "C:\\T\\COM10", true},
        {"C:\\T", "C:\\T\\com0", true},
        {"C:\\T", "C:\\T\\auxiliary.txt", true},
        {"C:\\T", "C:\\T\\my.con", true},
        // Wildcards and the other characters Windows forbids in a name.
        {"C:\\T", "C:\\T\\*.*", false},
        {"C:\\T", "C:\\T\\a?.dll", false},
        {"C:\\T", "C:\\T\\a<b", false},
        {"C:\\T", "C:\\T\\a>b", false},
        {"C:\\T", "C:\\T\\a\"b", false},
        {"C:\\T", "C:\\T\\a|b", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsPathInside(row.folder, row.path), row.inside)
            << row.folder << " | " << row.path;
}

TEST(UpdateJournal, SafetyNetNamesAreSixDigitsAndSayWhatTheyHold) {
    EXPECT_EQ(SafetyNetName(7), "000007");
    EXPECT_EQ(SafetyNetName(999999), "999999");
    for (const char* name : {"00001", "0000001", "00000a", "..\\a.", "", "-00001"})
        EXPECT_FALSE(IsSafetyNetName(name)) << name;
    EXPECT_TRUE(IsSafetyNetName("123456"));
    struct Row {
        const char* name;
        bool temporary;
        bool kept;
    };
    for (const Row& row :
         {Row{"000000", false, false}, Row{"000001", true, false}, Row{"499999", true, false},
          Row{"500000", false, true}, Row{"999999", false, true}, Row{"50000a", false, false}}) {
        EXPECT_EQ(IsTemporaryName(row.name), row.temporary) << row.name;
        EXPECT_EQ(IsKeptName(row.name), row.kept) << row.name;
    }
}

} // namespace
