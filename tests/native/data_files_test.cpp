#include "PackageFiles.h"
#include "PackageLayout.h"
#include "StampFile.h"
#include "UpdateList.h"

#include "data_temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(ListFile, TellsEntryLinesFromOthers) {
    const struct {
        const char* line;
        int key; // 0: not an entry
    } cases[] = {
        {"-> @versione=5.0  @build=04.04.16", 50040416},
        {"-> @build=04.11.30 and more @versione=5.1", 51041130},
        {"-> see above", 0},
        {"->@versione=5.0  @build=04.04.16", 0},
        {"->", 0},
        {"x -> @versione=5.0  @build=04.04.16", 0},
        {"- > @versione=5.0  @build=04.04.16", 0},
        {"-> @versione=5.0", 0},
        {"-> @versione=5.0  @build=00.00.00", 0},
        {"-> @versione=0.0  @build=04.04.16", 0},
        {"-> @Versione=5.0  @build=04.04.16", 0},
    };
    for (const auto& c : cases) {
        VersionStamp stamp{-1, -1, -1};
        EXPECT_EQ(c.key != 0, IsEntryLine(c.line, stamp)) << c.line;
        EXPECT_EQ(c.key != 0 ? c.key : -1, stamp.key) << c.line;
    }
}

struct SeenLine {
    ListLineKind kind;
    std::string text;
    int key;
};

class CRecordingSink : public CUpdateListSink {
public:
    void OnListLine(const ListLine& line) override {
        seen.push_back({line.kind, line.text, line.stamp.key});
        // The sink may use the line buffer for its own texts.
        std::memset(const_cast<char*>(line.text), 'x', std::strlen(line.text));
    }
    std::vector<SeenLine> seen;
};

const char* KindName(ListLineKind kind) {
    switch (kind) {
    case ListLineKind::Entry:
        return "entry";
    case ListLineKind::Detail:
        return "detail";
    case ListLineKind::Dropped:
        return "dropped";
    }
    return "?";
}

TEST(ListFile, ReadsEntriesDetailsAndTheNewestStamp) {
    const auto E = ListLineKind::Entry;
    const auto D = ListLineKind::Detail;
    const auto X = ListLineKind::Dropped;
    const struct {
        const char* name;
        std::string bytes;
        std::vector<SeenLine> lines;
        int newestKey;
    } cases[] = {
        {"mixed list",
         "free text\n"
         "-> @versione=5.0  @build=04.04.16\n"
         "first detail\n"
         "-> @versione=5.1  @build=04.11.30\n"
         "-> see above\n"
         "-> @versione=5.1  @build=04.11.30\n",
         {{X, "free text", 0},
          {E, "-> @versione=5.0  @build=04.04.16", 50040416},
          {D, "first detail", 0},
          {E, "-> @versione=5.1  @build=04.11.30", 51041130},
          {D, "-> see above", 0},
          {E, "-> @versione=5.1  @build=04.11.30", 51041130}},
         51041130},
        {"tab after marker, blanks before it",
         "  \t->\t@versione=5.0 @build=04.04.16\r\n"
         "->@versione=5.1 @build=04.11.30\r\n",
         {{E, "-> @versione=5.0 @build=04.04.16", 50040416},
          {D, "->@versione=5.1 @build=04.11.30", 0}},
         50040416},
        {"comment hides the stamp",
         "-> @versione=5.0 @build=04.04.16\n"
         "-> # @versione=5.1  @build=04.11.30\n",
         {{E, "-> @versione=5.0 @build=04.04.16", 50040416}, {D, "->", 0}},
         50040416},
        {"older entry after newer",
         "-> @versione=5.1 @build=04.11.30\n-> @versione=5.0 @build=04.04.16\n",
         {{E, "-> @versione=5.1 @build=04.11.30", 51041130},
          {E, "-> @versione=5.0 @build=04.04.16", 50040416}},
         51041130},
        {"no entries", "text\n-> none\n", {{X, "text", 0}, {X, "-> none", 0}}, 0},
        {"empty", "", {}, 0},
    };

    CTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTextLineReader reader;
        ASSERT_TRUE(reader.Open(dir.Write("list.txt", c.bytes).c_str()));
        char line[kLineBufferSize];
        CRecordingSink sink;
        const VersionStamp newest = ReadUpdateList(reader, line, sizeof line, sink);
        EXPECT_EQ(c.newestKey, newest.key);
        ASSERT_EQ(c.lines.size(), sink.seen.size());
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            SCOPED_TRACE("line " + std::to_string(i + 1));
            EXPECT_STREQ(KindName(c.lines[i].kind), KindName(sink.seen[i].kind));
            EXPECT_EQ(c.lines[i].text, sink.seen[i].text);
            EXPECT_EQ(c.lines[i].key, sink.seen[i].key);
        }
    }
}

TEST(ListFile, LoadsWholeListWithLineNumbersAndCuts) {
    CTempDir dir;
    const std::string longDetail(1500, 'd');
    // The stamp stands beyond the 1023rd character: cut away, so no entry.
    const std::string lateStamp =
        "-> " + std::string(1100, ' ') + "x @versione=6.0 @build=05.01.01";
    const std::string path =
        dir.Write("list.txt", "# heading comment\r\n"
                              "orphan\r\n"
                              "\r\n"
                              "-> @versione=5.1 @build=04.11.30\r\n"
                              "   first\r\n" +
                                  longDetail + "\r\n" + "-> @versione=5.1 @build=04.11.30\r\n" +
                                  lateStamp + "\r\n");
    UpdateList list;
    ASSERT_TRUE(LoadUpdateList(path.c_str(), list));

    ASSERT_EQ(1u, list.dropped.size());
    EXPECT_EQ("orphan", list.dropped[0].text);
    EXPECT_EQ(2, list.dropped[0].lineNumber);

    ASSERT_EQ(2u, list.entries.size());
    EXPECT_EQ(4, list.entries[0].line.lineNumber);
    EXPECT_EQ(7, list.entries[1].line.lineNumber);
    EXPECT_EQ(0, list.newestIndex) << "the first of equal keys is the newest";
    EXPECT_EQ(51041130, list.newest.key);

    const auto& details = list.entries[0].details;
    ASSERT_EQ(2u, details.size());
    EXPECT_EQ("first", details[0].text);
    EXPECT_FALSE(details[0].cut);
    EXPECT_EQ(std::string(1023, 'd'), details[1].text);
    EXPECT_TRUE(details[1].cut);
    EXPECT_EQ(6, details[1].lineNumber);

    ASSERT_EQ(1u, list.entries[1].details.size());
    EXPECT_TRUE(list.entries[1].details[0].cut);
    EXPECT_EQ(8, list.entries[1].details[0].lineNumber);

    EXPECT_FALSE(LoadUpdateList(dir.File("missing.txt").c_str(), list));
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(-1, list.newestIndex);
}

TEST(SizeFile, ReadsA64BitCountOrNothing) {
    const struct {
        const char* text;
        std::int64_t size;
    } cases[] = {
        {"1048576", 1048576},
        {"1048576 byte", 1048576},
        {"1.048.576", 1},
        {"abc", 0},
        {"", 0},
        {"0", 0},
        {"-5", 0},
        {"-0", 0},
        {"+12", 12},
        {"3000000000", 3000000000LL},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", 0},
        {"18446744073709551616", 0},
        {"99999999999999999999999999", 0},
        {"0009223372036854775807", INT64_MAX},
        {"+-5", 0},
        {"\v\f42", 42},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.size, ParsePackageSize(c.text)) << '"' << c.text << '"';

    CTempDir dir;
    for (const auto& c : cases) {
        const std::string path =
            dir.Write("size.txt", std::string("# total\r\n  ") + c.text + "\r\n");
        EXPECT_EQ(c.size, ReadPackageSize(path.c_str())) << "file with \"" << c.text << '"';
    }
    EXPECT_EQ(0, ReadPackageSize(dir.File("missing.txt").c_str()));
    EXPECT_EQ(0, ReadPackageSize(dir.Write("empty.txt", "").c_str()));
    EXPECT_EQ(0, ReadPackageSize(dir.Write("blank.txt", "\n  \n# none\n").c_str()));
    EXPECT_EQ(7, ReadPackageSize(dir.Write("more.txt", "7\n8\n").c_str()));
}

TEST(StampFile, ReadsTheFirstLogicalLine) {
    const struct {
        const char* name;
        std::string bytes;
        int version, build, key;
    } cases[] = {
        {"as written", "@versione=5.0  @build=04.04.16", 50, 40416, 50040416},
        {"comments first, more lines after",
         "# installed\r\n\r\n  @versione=5.0  @build=04.04.16\r\n@versione=6.0 @build=05.01.01\r\n",
         50, 40416, 50040416},
        {"first line without tags", "hello\n@versione=5.0  @build=04.04.16\n", 0, 0, 0},
        {"tags on two lines", "@versione=5.0\n@build=04.04.16\n", 0, 0, 0},
        {"both tags, key 0", "@versione=5.0  @build=00.00.00", 50, 0, 0},
        {"empty", "", 0, 0, 0},
        {"byte order mark", "\xEF\xBB\xBF@versione=5.1 @build=04.11.30", 51, 41130, 51041130},
    };
    CTempDir dir;
    CTextLineReader reader;
    char line[kLineBufferSize];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("Versione.txt", c.bytes);
        const VersionStamp stamp = ReadInstalledStamp(reader, path.c_str(), line, sizeof line);
        EXPECT_EQ(c.version, stamp.version);
        EXPECT_EQ(c.build, stamp.build);
        EXPECT_EQ(c.key, stamp.key);
        EXPECT_FALSE(reader.IsOpen());
    }
    EXPECT_EQ(0, ReadInstalledStamp(dir.File("missing.txt").c_str()).key);
}

TEST(StampFile, BuildsItsPathOnlyWhenItFits) {
    const struct {
        std::string folder;
        std::string stripped;
        bool fits;
    } cases[] = {
        {"C:\\Prog\\", "C:\\Prog", true},
        {"C:\\Prog\\\\", "C:\\Prog\\", true},
        {"C:\\Prog", "C:\\Prog", true},
        {"C:\\", "C:", true},
        {"", "", true},
        {std::string(246, 'f'), std::string(246, 'f'), true},
        {std::string(246, 'f') + "\\", std::string(246, 'f'), true},
        {std::string(247, 'f'), std::string(247, 'f'), false},
        {std::string(259, 'f'), std::string(259, 'f'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("folder of " + std::to_string(c.folder.size()) + ": " +
                     c.folder.substr(0, 12));
        std::vector<char> folder(c.folder.begin(), c.folder.end());
        folder.push_back('\0');
        StripOneTrailingBackslash(folder.data());
        EXPECT_EQ(c.stripped, folder.data());

        std::unique_ptr<char[]> path(new char[kPathBufferSize]);
        std::memset(path.get(), 'p', kPathBufferSize);
        EXPECT_EQ(c.fits, BuildStampFilePath(folder.data(), path.get(), kPathBufferSize));
        EXPECT_EQ(c.fits ? c.stripped + "\\Versione.txt" : "", path.get());
    }
}

TEST(StampFile, WritesExactlyOneStampLine) {
    CTempDir dir;
    const std::string path =
        dir.Write("Versione.txt", "# a longer old file\n@versione=4.0  @build=03.01.01\n");

    ASSERT_TRUE(WriteStampFile(path.c_str(), VersionStamp{50, 40416, 50040416}));
    EXPECT_EQ("@versione=5.0  @build=04.04.16", ReadBytes(path));
    EXPECT_EQ(50040416, ReadInstalledStamp(path.c_str()).key);

    ASSERT_TRUE(WriteStampFile(path.c_str(), VersionStamp{}));
    EXPECT_EQ("@versione=0.0  @build=00.00.00", ReadBytes(path));
    EXPECT_EQ(0, ReadInstalledStamp(path.c_str()).key);

    const std::string fresh = dir.File("new/Versione.txt");
    fs::create_directory(dir.File("new"));
    ASSERT_TRUE(WriteStampFile(fresh.c_str(), VersionStamp{7, 50101, 7050101}));
    EXPECT_EQ("@versione=0.7  @build=05.01.01", ReadBytes(fresh));

    // Nothing but the stamp file is left behind.
    EXPECT_EQ(1, std::distance(fs::directory_iterator(dir.File("new")), fs::directory_iterator()));
}

TEST(StampFile, FailedWriteKeepsTheOldStamp) {
    const std::string old = "@versione=5.0  @build=04.04.16";
    const VersionStamp next{51, 41130, 51041130};

    CTempDir dir;
    // The installation folder vanished.
    EXPECT_FALSE(WriteStampFile(dir.File("gone/Versione.txt").c_str(), next));
    EXPECT_FALSE(fs::exists(dir.File("gone")));

    // A folder stands where the temporary file would go: it stays.
    const std::string path = dir.Write("Versione.txt", old);
    fs::create_directory(dir.File("Versione.tx~"));
    EXPECT_FALSE(WriteStampFile(path.c_str(), next));
    EXPECT_EQ(old, ReadBytes(path));
    EXPECT_TRUE(fs::is_directory(dir.File("Versione.tx~")));

    // A folder stands where the stamp file is: the temporary file is removed.
    fs::create_directory(dir.File("other"));
    fs::create_directory(dir.File("other/Versione.txt"));
    EXPECT_FALSE(WriteStampFile(dir.File("other/Versione.txt").c_str(), next));
    EXPECT_FALSE(fs::exists(dir.File("other/Versione.tx~")));

    EXPECT_FALSE(WriteStampFile("", next));
    EXPECT_FALSE(WriteStampFile(dir.File("other/").c_str(), next));
}

// The temporary's bytes meet a file size limit of 0, as a full disk would
// refuse them: the write is refused at the flush, however the close reports
// it, and the old stamp stays.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = limit;
        m_set = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool Set() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_set = false;
};

TEST(StampFile, FullDiskKeepsTheOldStamp) {
    const std::string old = "@versione=5.0  @build=04.04.16";
    CTempDir dir;
    const std::string path = dir.Write("Versione.txt", old);
    {
        FileSizeLimit full(0);
        ASSERT_TRUE(full.Set());
        std::string temporary = "left from before";
        EXPECT_FALSE(
            WriteStampTemporary(path.c_str(), VersionStamp{51, 41130, 51041130}, temporary));
        EXPECT_EQ("", temporary);
        EXPECT_FALSE(WriteStampFile(path.c_str(), VersionStamp{51, 41130, 51041130}));
    }
    EXPECT_EQ(old, ReadBytes(path));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File("Versione.tx~"))))
        << "temporary left behind";
}

// Whatever stands at the temporary's name is never written through: a link
// there makes the write fail, and what it points to keeps its bytes.
TEST(StampFile, ALinkAtTheTemporaryIsNeverWrittenThrough) {
    const std::string old = "@versione=5.0  @build=04.04.16";
    CTempDir dir;
    const std::string path = dir.Write("Versione.txt", old);
    const std::string outside = dir.Write("outside.txt", "someone else's");
    for (const bool hard : {false, true}) {
        const char* row = hard ? "hard link" : "symbolic link";
        fs::remove(dir.File("Versione.tx~"));
        if (hard)
            fs::create_hard_link(outside, dir.File("Versione.tx~"));
        else
            fs::create_symlink(outside, dir.File("Versione.tx~"));
        std::string temporary;
        EXPECT_FALSE(
            WriteStampTemporary(path.c_str(), VersionStamp{51, 41130, 51041130}, temporary))
            << row;
        EXPECT_EQ("someone else's", ReadBytes(outside)) << row;
        EXPECT_EQ(old, ReadBytes(path)) << row;
    }
}

// The two halves another step of the run may call apart: the old file is
// untouched until the temporary replaces it, and a failed replacement
// removes the temporary.
TEST(StampFile, TemporaryThenReplacement) {
    const std::string old = "@versione=5.0  @build=04.04.16";
    CTempDir dir;
    const std::string path = dir.Write("Versione.txt", old);

    std::string temporary;
    ASSERT_TRUE(WriteStampTemporary(path.c_str(), VersionStamp{51, 41130, 51041130}, temporary));
    EXPECT_EQ(dir.File("Versione.tx~"), temporary);
    EXPECT_EQ("@versione=5.1  @build=04.11.30", ReadBytes(temporary));
    EXPECT_EQ(old, ReadBytes(path));
    ASSERT_TRUE(ReplaceWithTemporary(temporary, path.c_str()));
    EXPECT_EQ("@versione=5.1  @build=04.11.30", ReadBytes(path));
    EXPECT_FALSE(fs::exists(temporary));

    // The installation folder vanished between the two steps.
    ASSERT_TRUE(WriteStampTemporary(path.c_str(), VersionStamp{}, temporary));
    EXPECT_FALSE(ReplaceWithTemporary(temporary, dir.File("gone/Versione.txt").c_str()));
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_FALSE(ReplaceWithTemporary("", path.c_str()));
    EXPECT_EQ("@versione=5.1  @build=04.11.30", ReadBytes(path));
}

} // namespace
