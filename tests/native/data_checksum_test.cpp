#include "data/ChecksumFile.h"
#include "data/Cp1252Text.h"
#include "data/PackageVerification.h"

#include "data_temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kHashA = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string kHashE = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(ChecksumFile, WhatTheReaderTakesAndWhatItCallsDamaged) {
    const std::string list = kHashA + "  r2718upd.txt\n";
    const struct {
        const char* name;
        std::string text;
        ChecksumProblem problem;
        long line;
        std::vector<std::string> found; // program paths found (cp1252, '\')
    } cases[] = {
        {"LF",
         list + kHashE + "  InstDir/bin/a.dll\n",
         ChecksumProblem::None,
         0,
         {"r2718upd.txt", "InstDir\\bin\\a.dll"}},
        {"CR LF",
         kHashA + "  r2718upd.txt\r\n" + kHashE + "  InstDir/a\r\n",
         ChecksumProblem::None,
         0,
         {"InstDir\\a"}},
        {"byte order mark", "\xEF\xBB\xBF" + list, ChecksumProblem::None, 0, {"r2718upd.txt"}},
        {"upper-case hex",
         Upper(kHashA) + "  r2718upd.txt\n",
         ChecksumProblem::None,
         0,
         {"r2718upd.txt"}},
        {"binary mark",
         kHashA + " *sizeofupds.txt\n",
         ChecksumProblem::None,
         0,
         {"sizeofupds.txt"}},
        {"blank line at the end, no last line end",
         list + "\n" + kHashE + "  InstDir/x",
         ChecksumProblem::None,
         0,
         {"InstDir\\x"}},
        {"any case of the parts",
         kHashA + "  R2718UPD.TXT\n" + kHashE + "  instdir/A\n",
         ChecksumProblem::None,
         0,
         {"r2718upd.txt", "InstDir\\a"}},
        {"accented name",
         list + kHashE + "  InstDir/perch\xC3\xA9.txt\n",
         ChecksumProblem::None,
         0,
         {"InstDir\\perch\xE9.txt"}},
        {"empty file", "", ChecksumProblem::None, 0, {}},
        {"one blank", list + kHashE + " InstDir/a\n", ChecksumProblem::BadLine, 2, {}},
        {"short hash", kHashA.substr(1) + "  r2718upd.txt\n", ChecksumProblem::BadLine, 1, {}},
        {"not hex", "g" + kHashA.substr(1) + "  r2718upd.txt\n", ChecksumProblem::BadLine, 1, {}},
        {"no path", kHashA + "  \n", ChecksumProblem::BadLine, 1, {}},
        {"words", "this is no checksum file\n", ChecksumProblem::BadLine, 1, {}},
        {"escaped name", "\\" + kHashA + "  r2718upd.txt\n", ChecksumProblem::BadLine, 1, {}},
        {"dot dot", list + kHashE + "  InstDir/../../x\n", ChecksumProblem::BadPath, 2, {}},
        {"dot", list + kHashE + "  InstDir/./x\n", ChecksumProblem::BadPath, 2, {}},
        {"empty part", list + kHashE + "  InstDir//x\n", ChecksumProblem::BadPath, 2, {}},
        {"trailing slash", list + kHashE + "  InstDir/x/\n", ChecksumProblem::BadPath, 2, {}},
        {"drive", list + kHashE + "  C:/x\n", ChecksumProblem::BadPath, 2, {}},
        {"drive inside", list + kHashE + "  InstDir/C:x\n", ChecksumProblem::BadPath, 2, {}},
        {"leading slash", list + kHashE + "  /InstDir/x\n", ChecksumProblem::BadPath, 2, {}},
        {"backslash", list + kHashE + "  \\InstDir\\x\n", ChecksumProblem::BadPath, 2, {}},
        {"tab", list + kHashE + "  InstDir/a\tb\n", ChecksumProblem::BadPath, 2, {}},
        {"wildcard", list + kHashE + "  InstDir/a?b\n", ChecksumProblem::BadPath, 2, {}},
        {"pipe", list + kHashE + "  InstDir/a|b\n", ChecksumProblem::BadPath, 2, {}},
        {"outside InstDir", list + kHashE + "  other/x\n", ChecksumProblem::OutsidePackage, 2, {}},
        {"InstDir itself", list + kHashE + "  InstDir\n", ChecksumProblem::OutsidePackage, 2, {}},
        {"itself", list + kHashE + "  SHA256SUMS\n", ChecksumProblem::OutsidePackage, 2, {}},
        {"twice",
         list + kHashE + "  InstDir/a\n" + kHashE + "  InstDir/a\n",
         ChecksumProblem::Twice,
         3,
         {}},
        {"twice in another case",
         list + kHashE + "  InstDir/A\n" + kHashE + "  instdir/a\n",
         ChecksumProblem::Twice,
         3,
         {}},
        {"not in cp1252",
         list + kHashE + "  InstDir/\xE2\x82\xAC\xE2\x98\x83\n",
         ChecksumProblem::NotCp1252,
         2,
         {}},
        {"not UTF-8", list + kHashE + "  InstDir/perch\xE9\n", ChecksumProblem::NotCp1252, 2, {}},
    };
    for (const auto& c : cases) {
        CChecksumList sums;
        ChecksumError error;
        const bool read = sums.Parse(c.text, error);
        EXPECT_EQ(read, c.problem == ChecksumProblem::None) << c.name;
        EXPECT_EQ(static_cast<int>(error.problem), static_cast<int>(c.problem)) << c.name;
        EXPECT_EQ(error.line, c.line) << c.name;
        if (!read) {
            EXPECT_TRUE(sums.Entries().empty()) << c.name;
            continue;
        }
        for (const std::string& path : c.found)
            EXPECT_NE(sums.Find(path), nullptr) << c.name << ": " << path;
    }
}

TEST(ChecksumFile, WrittenSortedAndReadBackWithTheSameDigests) {
    std::vector<ChecksumLine> lines = {
        {"InstDir\\perch\xE9.txt", {}},
        {"r2718upd.txt", {}},
        {"InstDir\\bin\\b.dll", {}},
        {"sizeofupds.txt", {}},
    };
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i].digest.bytes[0] = static_cast<unsigned char>(i + 1);
    std::string text;
    ASSERT_TRUE(FormatChecksumFile(lines, text));
    const std::string zeros(62, '0');
    EXPECT_EQ(text, "03" + zeros + "  InstDir/bin/b.dll\n" + "01" + zeros +
                        "  InstDir/perch\xC3\xA9.txt\n" + "02" + zeros + "  r2718upd.txt\n" + "04" +
                        zeros + "  sizeofupds.txt\n");
    CChecksumList sums;
    ChecksumError error;
    ASSERT_TRUE(sums.Parse(text, error));
    for (const ChecksumLine& line : lines) {
        const ChecksumEntry* entry = sums.Find(line.path);
        ASSERT_NE(entry, nullptr) << line.path;
        EXPECT_EQ(entry->digest, line.digest) << line.path;
    }
    // Nothing the reader would refuse is written.
    for (const char* bad : {"InstDir\\..\\x", "\\x", "InstDir\\a:b", "elsewhere\\x"}) {
        std::string none;
        EXPECT_FALSE(FormatChecksumFile({{bad, {}}}, none)) << bad;
    }
}

// The standard tool reads what we write, and finds a changed byte.
TEST(ChecksumFile, TheStandardToolChecksWhatIsWritten) {
    if (std::system("command -v sha256sum >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sha256sum is not installed";
    CTempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.File("InstDir/sub"));
    const std::vector<std::pair<std::string, std::string>> files = {
        {"r2718upd.txt", "-> @versione=5.0  @build=04.04.16\r\n"},
        {"InstDir/sub/perch\xC3\xA9.txt", "contenuto"},
        {"InstDir/empty", ""},
    };
    std::vector<ChecksumLine> lines;
    for (const auto& file : files) {
        const std::string path = dir.Write(file.first, file.second);
        ChecksumLine line;
        ASSERT_TRUE(HashFile(path.c_str(), line.digest)) << file.first;
        std::string cp1252;
        ASSERT_TRUE(Utf8ToCp1252(file.first, cp1252));
        std::replace(cp1252.begin(), cp1252.end(), '/', '\\');
        line.path = cp1252;
        lines.push_back(line);
    }
    std::string text;
    ASSERT_TRUE(FormatChecksumFile(lines, text));
    dir.Write("SHA256SUMS", text);
    const std::string check =
        "cd '" + dir.Path() + "' && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0);
    dir.Write("InstDir/empty", "x");
    EXPECT_NE(std::system(check.c_str()), 0);
}

TEST(ChecksumFile, ALargeListIsReadAndFoundQuickly) {
    std::string text = kHashA + "  r2718upd.txt\n";
    const int count = 200000;
    for (int i = 0; i < count; ++i)
        text += kHashE + "  InstDir/folder" + std::to_string(i % 100) + "/file" +
                std::to_string(i) + ".dat\r\n";
    CTempDir dir;
    const std::string path = dir.Write("SHA256SUMS", text);
    CChecksumList sums;
    ChecksumError error;
    ASSERT_TRUE(sums.Read(path.c_str(), error)) << error.line;
    EXPECT_EQ(sums.Entries().size(), static_cast<std::size_t>(count + 1));
    EXPECT_NE(sums.Find("instdir\\FOLDER7\\file199907.dat"), nullptr);
    EXPECT_EQ(sums.Find("InstDir\\folder7\\file199908.dat"), nullptr);
}

// The start's check of the package's own files, before anything is read.
TEST(PackageVerification, TheListAndSizeFileAgainstTheChecksumFile) {
    const std::string list = "-> @versione=5.0  @build=04.04.16\r\n";
    const std::string size = "10\r\n";
    auto line = [](const std::string& bytes, const char* path) {
        CSha256 hash;
        hash.Add(bytes.data(), bytes.size());
        Sha256Digest digest;
        hash.Finish(digest);
        return DigestToHex(digest) + "  " + path + "\n";
    };
    const std::string good = line(list, "r2718upd.txt") + line(size, "sizeofupds.txt");
    const struct {
        const char* name;
        const char* sums; // null: no checksum file
        std::string sumsText;
        bool sizeFile;
        PackageCheck state;
        const char* damagedName;
    } rows[] = {
        {"no checksum file", nullptr, "", true, PackageCheck::NotVerified, ""},
        {"both match", "", good, true, PackageCheck::Verified, ""},
        {"no size file, none listed", "", line(list, "r2718upd.txt"), false, PackageCheck::Verified,
         ""},
        {"size file not listed", "", line(list, "r2718upd.txt"), true, PackageCheck::Damaged,
         "sizeofupds.txt"},
        {"size file listed, missing", "", good, false, PackageCheck::Damaged, "sizeofupds.txt"},
        {"list differs", "", line(list + "x", "r2718upd.txt"), true, PackageCheck::Damaged,
         "r2718upd.txt"},
        {"list not named", "", line(size, "sizeofupds.txt"), true, PackageCheck::Damaged,
         "SHA256SUMS"},
        {"empty checksum file", "", "", true, PackageCheck::Damaged, "SHA256SUMS"},
        {"damaged line", "", good + "junk\n", true, PackageCheck::Damaged, "SHA256SUMS"},
    };
    for (const auto& row : rows) {
        CTempDir dir;
        PackageFilePaths paths{dir.File("SHA256SUMS"), dir.Write("r2718upd.txt", list),
                               dir.File("sizeofupds.txt")};
        if (row.sizeFile)
            dir.Write("sizeofupds.txt", size);
        if (row.sums)
            dir.Write("SHA256SUMS", row.sumsText);
        const PackageVerification result = VerifyPackageStart(paths);
        EXPECT_EQ(static_cast<int>(result.state), static_cast<int>(row.state)) << row.name;
        EXPECT_EQ(result.damagedName, row.damagedName) << row.name << ": " << result.reason;
        EXPECT_EQ(result.sums != nullptr, row.state == PackageCheck::Verified) << row.name;
    }
}

} // namespace
