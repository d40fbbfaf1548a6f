#include "TextLineReader.h"

#include "data_temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kUntouched[] = "<untouched>";

struct ReadResult {
    int result;
    std::string text;
};

struct ReaderCase {
    const char* name;
    std::string bytes;
    int maxChars;
    std::vector<ReadResult> calls;
};

const std::string kLetters2000(2000, 'q');

TEST(TextLineReader, CleansLinesAndEndsAsTheFileDoes) {
    const ReaderCase cases[] = {
        {"comment and blanks", "  key = 5  # note\r\n", 1023, {{1, "key = 5"}, {0, ""}}},
        {"leading tab", "\t-> x\r\n", 1023, {{1, "-> x"}, {0, ""}}},
        {"inner tab", "a\tb\n", 1023, {{1, "a b"}}},
        {"trailing tab", "x\t\t\n", 1023, {{1, "x"}}},
        {"inner CR", "a\rb\r\n", 1023, {{1, "ab"}}},
        {"empty lines skipped", "\n   \r\n# note\nx\n", 1023, {{1, "x"}, {0, ""}}},
        {"first comment wins", "x # y # z\n", 1023, {{1, "x"}}},
        {"empty file", "", 1023, {{0, ""}, {0, kUntouched}}},
        {"no final LF", "abc", 1023, {{1, "abc"}, {0, kUntouched}, {0, kUntouched}}},
        {"final LF", "abc\n", 1023, {{1, "abc"}, {0, ""}, {0, kUntouched}}},
        {"CR and blanks only", "\r  \ny\n", 1023, {{1, "y"}}},
        {"CR only line ends", "one\rtwo\r", 1023, {{1, "onetwo"}, {0, kUntouched}}},
        {"cut at max",
         kLetters2000 + "\nnext\n",
         1023,
         {{1, std::string(1023, 'q')}, {1, "next"}, {0, ""}}},
        {"NUL first", std::string("\0abc\nz\n", 7), 1023, {{1, "z"}}},
        {"NUL only line", std::string("\0abc\n", 5), 1023, {{0, ""}}},
        {"NUL inside", std::string("ab\0cd\nz\n", 8), 1023, {{1, "ab"}, {1, "z"}}},
        {"high bytes kept", "caf\xE9 \xFF\x80\n", 1023, {{1, "caf\xE9 \xFF\x80"}}},
        {"comment inside quotes", "\"a#b\"\n", 1023, {{1, "\"a"}}},
        {"small max", "abcdef\nxy\n", 3, {{1, "abc"}, {1, "xy"}}},
        {"blanks at cut trimmed", "ab   cd\n", 3, {{1, "ab"}, {0, ""}}},
        {"max zero", "abc\n", 0, {{0, ""}}},
        {"negative max", "abc\n", -5, {{0, ""}}},
    };

    CTempDir dir;
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTextLineReader reader;
        ASSERT_TRUE(reader.Open(dir.Write("lines.txt", c.bytes).c_str()));
        std::vector<char> buffer(c.maxChars > 0 ? c.maxChars + 1 : 1 + sizeof kUntouched);
        for (std::size_t i = 0; i < c.calls.size(); ++i) {
            SCOPED_TRACE("call " + std::to_string(i + 1));
            if (buffer.size() >= sizeof kUntouched)
                std::memcpy(buffer.data(), kUntouched, sizeof kUntouched);
            else
                buffer[0] = '\0';
            const int maxChars = c.maxChars;
            EXPECT_EQ(c.calls[i].result, reader.ReadLine(buffer.data(), maxChars, '#'));
            EXPECT_EQ(c.calls[i].text, std::string(buffer.data()));
        }
    }
}

struct NumberedLine {
    std::string text;
    long lineNumber;
    bool cut;
};

TEST(TextLineReader, ReportsPhysicalLineNumbersAndCuts) {
    const struct {
        const char* name;
        std::string bytes;
        int maxChars;
        std::vector<NumberedLine> lines;
    } cases[] = {
        {"blank and comment lines count",
         "\n# c\r\n  \nfirst\r\n\r\nsecond",
         1023,
         {{"first", 4, false}, {"second", 6, false}}},
        {"CR alone ends no line", "a\rb\nc\n", 1023, {{"ab", 1, false}, {"c", 2, false}}},
        {"letters beyond max", "abcdef\nabc\n", 3, {{"abc", 1, true}, {"abc", 2, false}}},
        {"only blanks beyond max", "abc   \r\n", 3, {{"abc", 1, false}}},
        {"comment at the cut", "abc#def\n", 3, {{"abc", 1, false}}},
        {"blanks then text beyond max", "abc  d\n", 3, {{"abc", 1, true}}},
        {"comment after the cut", "abcd # e\n", 3, {{"abc", 1, true}}},
        {"tab then comment beyond max", "abc\t# e\n", 3, {{"abc", 1, false}}},
    };

    CTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTextLineReader reader;
        ASSERT_TRUE(reader.Open(dir.Write("numbered.txt", c.bytes).c_str()));
        std::vector<char> buffer(c.maxChars + 1);
        for (const NumberedLine& expected : c.lines) {
            ASSERT_EQ(1, reader.ReadLine(buffer.data(), c.maxChars, '#'));
            EXPECT_EQ(expected.text, std::string(buffer.data()));
            EXPECT_EQ(expected.lineNumber, reader.LineNumber()) << expected.text;
            EXPECT_EQ(expected.cut, reader.LastLineCut()) << expected.text;
        }
        EXPECT_EQ(0, reader.ReadLine(buffer.data(), c.maxChars, '#'));
    }
}

// The wizard reads three files in a row with one reader and one buffer.
TEST(TextLineReader, ServesSeveralFilesInTurn) {
    CTempDir dir;
    const std::string first = dir.Write("first.txt", "a\nb\nc\n");
    const std::string second = dir.Write("second.txt", "\n\nz");
    char buffer[16];

    CTextLineReader reader;
    EXPECT_FALSE(reader.IsOpen());
    std::strcpy(buffer, "keep");
    EXPECT_EQ(0, reader.ReadLine(buffer, 15, '#'));
    EXPECT_STREQ("keep", buffer);

    ASSERT_TRUE(reader.Open(first.c_str()));
    ASSERT_EQ(1, reader.ReadLine(buffer, 15, '#'));
    ASSERT_EQ(1, reader.ReadLine(buffer, 15, '#'));
    EXPECT_EQ(2, reader.LineNumber());

    // Left unfinished, then the next file: numbering starts again.
    ASSERT_TRUE(reader.Open(second.c_str()));
    ASSERT_EQ(1, reader.ReadLine(buffer, 15, '#'));
    EXPECT_STREQ("z", buffer);
    EXPECT_EQ(3, reader.LineNumber());

    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    std::strcpy(buffer, "keep");
    EXPECT_EQ(0, reader.ReadLine(buffer, 15, '#'));
    EXPECT_STREQ("keep", buffer);

    EXPECT_FALSE(reader.Open(dir.File("missing.txt").c_str()));
    EXPECT_FALSE(reader.IsOpen());

    reader.Attach(std::fopen(first.c_str(), "rb"));
    ASSERT_TRUE(reader.IsOpen());
    ASSERT_EQ(1, reader.ReadLine(buffer, 15, '#'));
    EXPECT_STREQ("a", buffer);
}

// The list is read twice: the second read must see what the first saw.
TEST(TextLineReader, RewindReadsTheFileAgainFromLineOne) {
    const struct {
        const char* name;
        int readsBefore; // lines read before the rewind; -1: to the end and past it
    } cases[] = {
        {"before the first line", 0},
        {"in the middle, after a cut line", 1},
        {"after the end was reported", -1},
    };
    CTempDir dir;
    const std::string path = dir.Write("again.txt", "\n# c\nabcdef\r\nsecond\nthird");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTextLineReader reader;
        ASSERT_TRUE(reader.Open(path.c_str()));
        char buffer[5];
        if (c.readsBefore < 0) {
            while (reader.ReadLine(buffer, 4, '#') == 1) {
            }
            EXPECT_EQ(0, reader.ReadLine(buffer, 4, '#'));
        }
        for (int i = 0; i < c.readsBefore; ++i)
            ASSERT_EQ(1, reader.ReadLine(buffer, 4, '#'));
        ASSERT_TRUE(reader.Rewind());
        EXPECT_EQ(0, reader.LineNumber());
        EXPECT_FALSE(reader.LastLineCut());
        const NumberedLine lines[] = {{"abcd", 3, true}, {"seco", 4, true}, {"thir", 5, true}};
        for (const NumberedLine& expected : lines) {
            ASSERT_EQ(1, reader.ReadLine(buffer, 4, '#'));
            EXPECT_EQ(expected.text, std::string(buffer));
            EXPECT_EQ(expected.lineNumber, reader.LineNumber()) << expected.text;
            EXPECT_EQ(expected.cut, reader.LastLineCut()) << expected.text;
        }
        EXPECT_EQ(0, reader.ReadLine(buffer, 4, '#'));
    }
    CTextLineReader closed;
    EXPECT_FALSE(closed.Rewind());
}

} // namespace
