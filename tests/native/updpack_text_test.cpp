// The code page 1252 tables: a wrong entry shows a wrong character to the
// customer or lets a name through that the wizard cannot open.
#include "Cp1252Text.h"

#include <gtest/gtest.h>

TEST(UpdpackText, Utf8ToCp1252) {
    struct Row {
        const char* utf8;
        bool representable;
        const char* cp1252;
    };
    const Row rows[] = {
        {"abc", true, "abc"},
        {"perch\xC3\xA9", true, "perch\xE9"},
        {"\xE2\x82\xAC", true, "\x80"}, // euro sign
        {"\xC5\xB8", true, "\x9F"},     // Y with diaeresis
        {"\xC2\xA0\xC3\xBF", true, "\xA0\xFF"},
        {"\xE2\x86\x92", false, "?"}, // an arrow: no such character
        {"\xC2\x81", false, "?"},     // U+0081: its byte is unassigned
        {"\xF0\x9F\x98\x80", false, "?"},
        {"a\xFF", false, "a?"},         // not UTF-8
        {"\xC0\xAF", false, "??"},      // overlong
        {"\xED\xA0\x80", false, "???"}, // a surrogate
        {"\xE2\x82", false, "??"},      // cut short
    };
    for (const Row& row : rows) {
        std::string out;
        EXPECT_EQ(Utf8ToCp1252(row.utf8, out), row.representable) << row.utf8;
        EXPECT_EQ(out, row.cp1252) << row.utf8;
    }
}

TEST(UpdpackText, EveryAssignedByteRoundTrips) {
    int unassigned = 0;
    for (int byte = 1; byte < 256; ++byte) {
        const std::string original(1, static_cast<char>(byte));
        const std::string utf8 = Cp1252ToUtf8(original);
        std::string back;
        if (Cp1252ToCodePoint(static_cast<unsigned char>(byte)) == 0) {
            ++unassigned;
            EXPECT_EQ(utf8, "\xEF\xBF\xBD") << byte;
            continue;
        }
        EXPECT_TRUE(Utf8ToCp1252(utf8, back)) << byte;
        EXPECT_EQ(back, original) << byte;
    }
    EXPECT_EQ(unassigned, 5);
}

TEST(UpdpackText, FoldsCaseAsWindowsNamesCompare) {
    EXPECT_EQ(FoldCp1252("leggimi.txt"), "LEGGIMI.TXT");
    EXPECT_EQ(FoldCp1252("\xE8\x9A\x9C\x9E\xFF"), "\xC8\x8A\x8C\x8E\x9F"); // è š œ ž ÿ
    EXPECT_EQ(FoldCp1252("\xDF\xF7\xB5"), "\xDF\xF7\xB5"); // ß ÷ µ have no capital here
}
