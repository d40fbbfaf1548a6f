#include "VersionStamp.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kUnchanged = -7;

std::string LongForm(int version, int build) {
    char text[1024];
    FormatVersionStamp(version, build, text, sizeof text, true, true);
    return text;
}

TEST(VersionStamp, ParsesStampLines) {
    const struct {
        const char* line;
        int version, build, key;
        const char* longForm; // nullptr when the outputs stay unchanged
    } cases[] = {
        {"@versione=5.0  @build=04.04.16", 50, 40416, 50040416, "5.0 [04.04.16] del 16/4/2004"},
        {"-> @build=04.11.30 @versione=5.1", 51, 41130, 51041130, "5.1 [04.11.30] del 30/11/2004"},
        {"@versione=5 @build=04.04.16", 50, 40416, 50040416, "5.0 [04.04.16] del 16/4/2004"},
        {"@versione=12.5 @build=04.04.16", 12, 40416, 12040416, "1.2 [04.04.16] del 16/4/2004"},
        {"@versione=5.0.1 @build=04.04.16", 50, 40416, 50040416, "5.0 [04.04.16] del 16/4/2004"},
        {"@versione=5.0 @build=040416", 50, 40416, 50040416, "5.0 [04.04.16] del 16/4/2004"},
        {"@versione=5.0 @build=4.4.16", 50, 441600, 50441600, "5.0 [44.16.00] del 0/16/2044"},
        {"@versione=5.0 @build=04.04.1", 50, 40410, 50040410, "5.0 [04.04.10] del 10/4/2004"},
        {"@versione= 5.0 @build=04.04.16", 0, 40416, 0, "0.0 [04.04.16] del 16/4/2004"},
        {"@versione=5.0  @build=00.00.00", 50, 0, 0, "5.0 [00.00.00] del 0/0/2000"},
        {"@versione=9.9 @build=99.12.31", 99, 991231, 99991231, "9.9 [99.12.31] del 31/12/2099"},
        {"x @build=..0.4.0.4.1.6.. y @versione=.5.0", 50, 40416, 50040416,
         "5.0 [04.04.16] del 16/4/2004"},
        {"@versione=5.0 @build=04.04.16 @versione=6.0", 50, 40416, 50040416,
         "5.0 [04.04.16] del 16/4/2004"},
        {"@versione=-5 @build=+04.04.16", 0, 0, 0, "0.0 [00.00.00] del 0/0/2000"},
        {"@versione=5\xB7"
         "0 @build=04.04.16",
         50, 40416, 50040416, "5.0 [04.04.16] del 16/4/2004"},
        {"@versione=5.0", kUnchanged, kUnchanged, kUnchanged, nullptr},
        {"@build=04.04.16", kUnchanged, kUnchanged, kUnchanged, nullptr},
        {"@Versione=5.0 @build=04.04.16", kUnchanged, kUnchanged, kUnchanged, nullptr},
        {"@versione =5.0 @build=04.04.16", kUnchanged, kUnchanged, kUnchanged, nullptr},
        {"", kUnchanged, kUnchanged, kUnchanged, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        int version = kUnchanged, build = kUnchanged, key = kUnchanged;
        const int result = ParseVersionStamp(c.line, version, build, key);
        EXPECT_EQ(c.key == kUnchanged ? 0 : c.key, result);
        EXPECT_EQ(c.version, version);
        EXPECT_EQ(c.build, build);
        EXPECT_EQ(c.key, key);
        if (c.longForm != nullptr) {
            EXPECT_EQ(c.longForm, LongForm(version, build));
        }
    }
}

TEST(VersionStamp, ReadsDigitFields) {
    const struct {
        const char* text;
        int width;
        int value;
    } cases[] = {
        {"5", 2, 50},
        {"", 2, 0},
        {"..1..2", 2, 12},
        {"123", 2, 12},
        {"1x", 6, 100000},
        {"12", 0, 0},
        {"12", -3, 0},
        {"000000001", 9, 1},
        {"999999999", 9, 999999999},
        {"2147483647", 10, INT_MAX},
        {"2147483648", 10, INT_MAX},
        {"1", 10, 1000000000},
        {"3", 10, INT_MAX},
        {"9", 31, INT_MAX},
        {"9", 40, INT_MAX},
        {"0", 40, 0},
        {" 5", 2, 0},
        {"-5", 2, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, ParseDigitField(c.text, c.width))
            << "text \"" << c.text << "\" width " << c.width;
    }
}

TEST(VersionStamp, FormatsDisplayForms) {
    const struct {
        int version, build;
        bool number, date;
        const char* text;
    } cases[] = {
        {50, 40416, true, true, "5.0 [04.04.16] del 16/4/2004"},
        {50, 40416, true, false, "5.0 [04.04.16]"},
        {50, 40416, false, true, " del 16/4/2004"},
        {50, 40416, false, false, ""},
        {0, 0, true, true, "0.0 [00.00.00] del 0/0/2000"},
        {0, 0, true, false, "0.0 [00.00.00]"},
        {0, 0, false, true, " del 0/0/2000"},
        {7, 50101, true, true, "0.7 [05.01.01] del 1/1/2005"},
        {99, 999999, true, true, "9.9 [99.99.99] del 99/99/2099"},
    };
    for (const auto& c : cases) {
        char text[1024];
        std::memset(text, 'x', sizeof text);
        FormatVersionStamp(c.version, c.build, text, sizeof text, c.number, c.date);
        EXPECT_STREQ(c.text, text) << c.version << " " << c.build << " " << c.number << c.date;
    }
}

// A short buffer gets the start of the text, terminated, and nothing beyond it
// (the buffers are exactly as large as stated, so the sanitizer sees overruns).
TEST(VersionStamp, FormatsIntoAnyBufferSize) {
    const std::string full = LongForm(99, 999999);
    ASSERT_EQ(29u, full.size());
    for (const bool number : {true, false}) {
        char expectedFull[64];
        FormatVersionStamp(99, 999999, expectedFull, sizeof expectedFull, number, true);
        for (std::size_t capacity = 1; capacity <= 32; ++capacity) {
            std::unique_ptr<char[]> text(new char[capacity]);
            FormatVersionStamp(99, 999999, text.get(), capacity, number, true);
            EXPECT_EQ(std::string(expectedFull).substr(0, capacity - 1), text.get())
                << "capacity " << capacity << " number part " << number;
        }
    }
    char untouched = 'u';
    FormatVersionStamp(50, 40416, &untouched, 0, true, true);
    EXPECT_EQ('u', untouched);

    char line[8];
    EXPECT_EQ(30, FormatStampLine(VersionStamp{50, 40416, 50040416}, line, sizeof line));
    EXPECT_STREQ("@versio", line);
}

// The stamp file must give back what was written, for every stamp there is.
TEST(VersionStamp, StampLineReadsBackForAllVersionsAndBuilds) {
    std::vector<int> builds = {0,     1,     9,     10,     99,     100,    101,    1231,   10101,
                               40416, 50101, 99999, 100000, 123456, 500101, 999990, 999998, 999999};
    for (int build = 0; build <= 999999; build += 7919)
        builds.push_back(build);

    char line[kStampLineBufferSize];
    for (int version = 0; version <= 99; ++version) {
        for (const int build : builds) {
            const VersionStamp written{version, build, MakeStampKey(version, build)};
            ASSERT_EQ(30, FormatStampLine(written, line, sizeof line)) << version << " " << build;
            VersionStamp read{-1, -1, -1};
            ParseVersionStamp(line, read);
            ASSERT_EQ(version, read.version) << line;
            ASSERT_EQ(build, read.build) << line;
            ASSERT_EQ(written.key, read.key) << line;
        }
    }

    const VersionStamp seven{7, 50101, 7050101};
    FormatStampLine(seven, line, sizeof line);
    EXPECT_STREQ("@versione=0.7  @build=05.01.01", line);
    VersionStamp back;
    EXPECT_EQ(7050101, ParseVersionStamp(line, back));
}

TEST(VersionStamp, KeysOrderByVersionThenBuild) {
    EXPECT_EQ(0, MakeStampKey(0, 40416));
    EXPECT_EQ(0, MakeStampKey(50, 0));
    EXPECT_EQ(1000001, MakeStampKey(1, 1));
    EXPECT_EQ(99999999, MakeStampKey(99, 999999));
    EXPECT_TRUE(
        IsNewerThan({51, 10101, MakeStampKey(51, 10101)}, {50, 991231, MakeStampKey(50, 991231)}));
    EXPECT_FALSE(IsNewerThan({50, 40416, 50040416}, {50, 40416, 50040416}));
    EXPECT_TRUE(IsNewerThan({50, 40416, 50040416}, VersionStamp{}));
}

} // namespace
