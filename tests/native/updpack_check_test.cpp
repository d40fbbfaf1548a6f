// Each trap a vendor can build into a package, found by check: one table per
// file of the package, every row a package made from scratch.
#include "updpack_support.h"

#include "PackageLayout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kNoFile = "<no file>";
const std::string kEntry = "-> @versione=5.0  @build=04.04.16\n";
const std::string kGoodList = kEntry + "Nuovo modulo\n";
const std::string kGoodSize = "100\r\n";
const std::vector<TreeFile> kGoodTree = {{"bin/a.dll", std::string(100, 'x')}};

struct Expected {
    Severity severity;
    ProblemPlace place;
    long line;
    std::string words; // part of the text; for the install tree, the entry's path first
};

Expected Error(ProblemPlace place, long line, std::string words) {
    return Expected{Severity::Error, place, line, std::move(words)};
}
Expected Warning(ProblemPlace place, long line, std::string words) {
    return Expected{Severity::Warning, place, line, std::move(words)};
}

struct PackageCase {
    const char* name;
    std::string list;
    std::vector<Expected> expected;
    std::string size = kGoodSize;
    std::vector<TreeFile> tree = kGoodTree;
    CheckOptions options = CheckOptions{};
};

bool Matches(const Problem& problem, const Expected& expected) {
    const std::string text =
        problem.path.empty() ? problem.text : problem.path + ": " + problem.text;
    return problem.severity == expected.severity && problem.place == expected.place &&
           problem.line == expected.line && text.find(expected.words) != std::string::npos;
}

void MakePackage(const fs::path& package, const PackageCase& row) {
    fs::create_directories(package);
    if (row.list != kNoFile)
        WriteBytes(package / kListFileName, row.list);
    if (row.size != kNoFile)
        WriteBytes(package / kSizeFileName, row.size);
    if (!row.tree.empty())
        WriteTree(package / kInstallTreeName, row.tree);
}

// Every expected problem is reported, and nothing else.
// These packages have no checksum file (build's tests cover it): its
// warning is left out unless a row is about it.
void ExpectProblems(const fs::path& package, const PackageCase& row) {
    std::vector<Problem> found = CheckFolder(package, row.options);
    bool aboutSums = false;
    for (const Expected& expected : row.expected)
        aboutSums = aboutSums || expected.place == ProblemPlace::ChecksumFile;
    if (!aboutSums) {
        found.erase(std::remove_if(found.begin(), found.end(),
                                   [](const Problem& p) {
                                       return p.place == ProblemPlace::ChecksumFile &&
                                              p.severity == Severity::Warning;
                                   }),
                    found.end());
    }
    for (const Expected& expected : row.expected) {
        bool seen = false;
        for (const Problem& problem : found)
            seen = seen || Matches(problem, expected);
        EXPECT_TRUE(seen) << row.name << ": missing \"" << expected.words << "\" at line "
                          << expected.line << "; found:\n"
                          << Describe(found);
    }
    EXPECT_EQ(found.size(), row.expected.size()) << row.name << "; found:\n" << Describe(found);
}

void RunCases(const std::vector<PackageCase>& rows) {
    for (const PackageCase& row : rows) {
        CUpdpackTempDir temp;
        MakePackage(temp.Path() / "pkg", row);
        ExpectProblems(temp.Path() / "pkg", row);
    }
}

const ProblemPlace kList = ProblemPlace::ListFile;
const ProblemPlace kSize = ProblemPlace::SizeFile;
const ProblemPlace kTree = ProblemPlace::InstallTree;
const ProblemPlace kFolder = ProblemPlace::Package;

std::string Stamp51() {
    return "@versione=5.1 @build=04.11.30";
}

} // namespace

TEST(UpdpackCheck, ListLinesThatLoseAnUpdate) {
    const std::string longText(1100, 'x');
    // The 1023rd character of the line is the "1" of "04.1": the build reads 04.10.00.
    const std::string cutInStamp = "-> @versione=5.1 " + std::string(994, 'x') + " @build=04.11.30";
    RunCases({
        {"a clean package", kGoodList, {}},
        {"tab after the marker, blanks before it", "  ->\t@versione=5.0 @build=04.04.16\n", {}},
        {"no blank after the marker",
         kGoodList + "->" + Stamp51() + "\n",
         {Error(kList, 3, "no blank after \"->\"")}},
        {"tags behind a comment",
         kGoodList + "-> # " + Stamp51() + "\n",
         {Error(kList, 3, "'#' hides the stamp tags")}},
        {"a '#' in the text before the tags",
         kGoodList + "-> Fix #12 " + Stamp51() + "\n",
         {Error(kList, 3, "'#' hides the stamp tags")}},
        {"a '#' inside the stamp",
         kGoodList + "-> @versione=5.1 @build=04.#11.30\n",
         {Warning(kList, 3,
                  "is not a date (each of its three groups needs two digits): the "
                  "wizard shows \"5.1 [04.00.00] del 0/0/2004\"")}},
        {"a blank after '='",
         kGoodList + "-> @versione= 5.1 @build=04.11.30\n",
         {Error(kList, 3, "the stamp is not valid: its version reads as 0.0")}},
        {"a tag with a capital letter",
         kGoodList + "-> @Versione=5.1 @build=04.11.30\n",
         {Error(kList, 3, "missing or misspelled")}},
        {"a stamp without the marker",
         kGoodList + Stamp51() + "\n",
         {Error(kList, 3, "does not begin with \"-> \"")}},
        {"a marker and no stamp",
         kGoodList + "-> see above\n",
         {Warning(kList, 3, "carries no stamp: shown as a detail line")}},
        {"stamp beyond the 1023rd character",
         kGoodList + "-> " + longText + " " + Stamp51() + "\n",
         {Error(kList, 3, "its stamp stands beyond them")}},
        {"stamp cut at the 1023rd character",
         kGoodList + cutInStamp + "\n",
         {Error(kList, 3, "reads 5.1 [04.10.00] instead of 5.1 [04.11.30]")}},
        {"a long detail line",
         kGoodList + longText + "\n",
         {Warning(kList, 3, "shows only the first 1023")}},
        {"a build that is no date",
         "-> @versione=5.0 @build=4.4.16\n",
         {Warning(kList, 1, "\"5.0 [44.16.00] del 0/16/2044\"")}},
    });
}

TEST(UpdpackCheck, ListAsAWhole) {
    RunCases({
        {"no update at all", "Solo testo\n", {Error(kList, 0, "holds no update")}},
        {"an empty list", "", {Error(kList, 0, "holds no update")}},
        {"the list is a folder",
         kNoFile,
         {Error(kList, 0, "is a folder, not a file")},
         kGoodSize,
         {{"../r2718upd.txt/", ""}, {"a.dat", std::string(100, 'x')}}},
        {"the list is missing",
         kNoFile,
         {Error(kList, 0, "Nessuna informazione di aggiornamento.")}},
        {"text before the first update",
         "Titolo\nSottotitolo\n" + kGoodList,
         {Warning(kList, 1, "with 1 more line(s)")}},
        {"two newest updates with one stamp",
         kGoodList + "-> @versione=5.0 @build=04.04.16\n",
         {Warning(kList, 3, "same stamp as line 1, the newest")}},
        {"an older update listed twice",
         kEntry + "-> @versione=4.9 @build=03.01.01\n-> @versione=4.9 @build=03.01.01\n",
         {Warning(kList, 3, "listed twice")}},
        {"newest older than the installed stamp",
         kGoodList,
         {Error(kList, 1, "older than the installed 5.1 [04.11.30]")},
         kGoodSize,
         kGoodTree,
         CheckOptions{PathLimits{}, true, VersionStamp{51, 41130, 51041130}}},
        {"newest equal to the installed stamp",
         kGoodList,
         {Warning(kList, 1, "none shows in bold")},
         kGoodSize,
         kGoodTree,
         CheckOptions{PathLimits{}, true, VersionStamp{50, 40416, 50040416}}},
        {"newest newer than the installed stamp",
         kGoodList,
         {},
         kGoodSize,
         kGoodTree,
         CheckOptions{PathLimits{}, true, VersionStamp{50, 40415, 50040415}}},
    });
}

TEST(UpdpackCheck, ListBytes) {
    RunCases({
        {"cp1252 text", kEntry + "Perch\xE9 s\xEC, 5 \x80\n", {}},
        {"UTF-8 text",
         kEntry + "Perch\xC3\xA9\n",
         {Warning(kList, 2, "\"Perch\xC3\x83\xC2\xA9\"")}},
        {"a byte cp1252 does not define",
         kEntry + "a\x81z\n",
         {Warning(kList, 2, "does not define")}},
        {"a control character", kEntry + "a\x01z\n", {Warning(kList, 2, "control character")}},
        {"a NUL byte", kEntry + std::string("ab\0cd\n", 6), {Warning(kList, 2, "NUL byte")}},
        {"byte order mark before an update",
         "\xEF\xBB\xBF" + kEntry + "-> " + Stamp51() + "\n",
         {Error(kList, 1, "byte order mark stands before")}},
        {"byte order mark before a title",
         "\xEF\xBB\xBFTitolo\n" + kGoodList,
         {Warning(kList, 1, "UTF-8 byte order mark"),
          Warning(kList, 1, "before the first update")}},
        {"carriage returns only",
         "-> @versione=5.0 @build=04.04.16\rDettaglio\r",
         {Error(kList, 1, "whole file as one line")}},
        {"one line ending in a carriage return", "-> @versione=5.0 @build=04.04.16\r", {}},
        {"a carriage return inside a line",
         kEntry + "a\rb\r\n",
         {Warning(kList, 2, "carriage return inside the line")}},
    });
}

TEST(UpdpackCheck, SizeFile) {
    const std::vector<TreeFile> emptyFiles = {{"a.txt", ""}, {"sub/", ""}};
    RunCases({
        {"text after the number", kGoodList, {}, "100 byte\n"},
        {"missing", kGoodList, {Warning(kSize, 0, "is missing")}, kNoFile},
        {"empty", kGoodList, {Warning(kSize, 1, "is empty")}, ""},
        {"not a number", kGoodList, {Warning(kSize, 1, "does not start with a number")}, "abc\n"},
        {"negative", kGoodList, {Warning(kSize, 1, "negative")}, "-100\n"},
        {"zero", kGoodList, {Warning(kSize, 1, "the size 0")}, "0\n"},
        {"beyond 64 bits",
         kGoodList,
         {Warning(kSize, 1, "beyond 64 bits")},
         "99999999999999999999999\n"},
        {"too small",
         kGoodList,
         {Error(kSize, 1, "says 99 bytes but the install tree holds 100")},
         "99\n"},
        {"dots in the number",
         kGoodList,
         {Error(kSize, 1, "says 1 byte (the number ends at the '.'")},
         "1.00\n"},
        {"beyond 32 bits and wrong",
         kGoodList,
         {Error(kSize, 1, "says 3000000000 bytes"), Warning(kSize, 1, "32-bit")},
         "3000000000\n"},
        {"a tree of empty files",
         kGoodList,
         {Error(kTree, 0, "Nessun Aggiornamento da installare."), Warning(kSize, 0, "is missing")},
         kNoFile,
         emptyFiles},
    });
}

TEST(UpdpackCheck, SizeOfATreeBeyond32Bits) {
    CUpdpackTempDir temp;
    const fs::path package = temp.Path() / "pkg";
    PackageCase row{"a sparse file of 3,000,000,000 bytes",
                    kGoodList,
                    {Warning(kTree, 0, "3000000000 bytes, beyond a signed 32-bit")},
                    "3000000000\n",
                    {}};
    MakePackage(package, row);
    fs::create_directories(package / kInstallTreeName);
    WriteBytes(package / kInstallTreeName / "big.bin", "");
    fs::resize_file(package / kInstallTreeName / "big.bin", 3000000000u);
    ExpectProblems(package, row);
}

TEST(UpdpackCheck, InstallTreeNamesAndPaths) {
    // Installed under the default 32-character folder: 32 + '\' + 226 = 259.
    const std::string fits = std::string(100, 'a') + "/" + std::string(125, 'b');
    const std::string tooLong = fits + "c";
    const std::string longFolder = std::string(100, 'd') + "/" + std::string(115, 'e'); // 248 + 1
    RunCases({
        {"a path of 259 characters", kGoodList, {}, "100\n", {{fits, std::string(100, 'x')}}},
        {"a path of 260 characters",
         kGoodList,
         {Error(kTree, 0, "bbbc: installs as a path of 260 characters")},
         "100\n",
         {{tooLong, std::string(100, 'x')}}},
        {"a folder of 249 characters",
         kGoodList,
         {Warning(kTree, 0, "eee: installs as a folder path of 249")},
         "100\n",
         {{longFolder + "/f", std::string(100, 'x')}}},
        {"a longer installation folder",
         kGoodList,
         {Error(kTree, 0, "under an installation folder of 200")},
         "100\n",
         {{std::string(60, 'a'), std::string(100, 'x')}},
         CheckOptions{PathLimits{200, 2}, false, VersionStamp{}}},
        {"a long program folder",
         kGoodList,
         {Error(kTree, 0, "when the program folder has 230")},
         "100\n",
         {{std::string(20, 'a'), std::string(100, 'x')}},
         CheckOptions{PathLimits{32, 230}, false, VersionStamp{}}},
        {"names in cp1252",
         kGoodList,
         {},
         "100\n",
         {{"\xE2\x82\xAC"
           "uro/perch\xC3\xA9.txt",
           std::string(100, 'x')}}},
        {"a name beyond cp1252",
         kGoodList,
         {Error(kTree, 0, "freccia\xE2\x86\x92.txt: the name is not in code page 1252")},
         "100\n",
         {{"freccia\xE2\x86\x92.txt", std::string(100, 'x')}}},
        {"a name that is not UTF-8",
         kGoodList,
         {Error(kTree, 0, "not in code page 1252")},
         "100\n",
         {{"a\xFF.txt", std::string(100, 'x')}}},
        {"names Windows refuses",
         kGoodList,
         {Error(kTree, 0, "a:b.txt: the name holds \":\""),
          Error(kTree, 0, "con.txt: the name is a device name"),
          Error(kTree, 0, "punto.: the name ends with a dot")},
         "100\n",
         {{"a:b.txt", std::string(40, 'x')},
          {"con.txt", std::string(30, 'x')},
          {"punto.", std::string(30, 'x')}}},
        {"names that differ in case only",
         kGoodList,
         {Error(kTree, 0, "only in letter case"), Error(kTree, 0, "only in letter case")},
         "100\n",
         {{"Leggimi.txt", std::string(25, 'x')},
          {"LEGGIMI.TXT", std::string(25, 'x')},
          {"\xC3\xA8.txt", std::string(25, 'x')},
          {"\xC3\x88.txt", std::string(25, 'x')}}},
    });
}

TEST(UpdpackCheck, InstallTreeShapes) {
    RunCases({
        {"missing", kGoodList, {Error(kTree, 0, "is missing")}, "100\n", {}},
        {"empty",
         kGoodList,
         {Error(kTree, 0, "holds no data"), Error(kSize, 1,
                                                  "says 100 bytes but the install tree "
                                                  "holds 0")},
         "100\n",
         {{"vuota/", ""}}},
        {"a stamp file in the tree",
         kGoodList,
         {Warning(kTree, 0, "versione.txt: replaces the installed stamp file")},
         "100\n",
         {{"versione.txt", std::string(30, 'x')}, {"sub/Versione.txt", std::string(70, 'x')}}},
        {"an empty folder beside a file",
         kGoodList,
         {},
         "100\n",
         {{"vuota/", ""}, {"a.dat", std::string(100, 'x')}}},
    });
}

TEST(UpdpackCheck, InstallTreeEntriesThatAreNotFiles) {
    CUpdpackTempDir temp;
    const fs::path package = temp.Path() / "pkg";
    // Links are reported, never followed: the size counts the one real file,
    // and a link to a folder above it does not send the walk round in circles.
    PackageCase row{"links and a pipe",
                    kGoodList,
                    {Error(kTree, 0, "cartella: is a symbolic link to a folder"),
                     Error(kTree, 0, "rotto: is a broken symbolic link"),
                     Error(kTree, 0, "collegato.dll: is a symbolic link, which the wizard"),
                     Error(kTree, 0, "bin/su: is a symbolic link to a folder"),
                     Error(kTree, 0, "tubo: is neither a file nor a folder")}};
    MakePackage(package, row);
    const fs::path tree = package / kInstallTreeName;
    fs::create_directory_symlink(tree / "bin", tree / "cartella");
    fs::create_symlink(tree / "manca", tree / "rotto");
    ASSERT_EQ(mkfifo((tree / "tubo").c_str(), 0644), 0);
    fs::create_symlink(tree / "bin" / "a.dll", tree / "collegato.dll");
    fs::create_directory_symlink("..", tree / "bin" / "su");
    ExpectProblems(package, row);
}

TEST(UpdpackCheck, UnreadableFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    CUpdpackTempDir temp;
    PackageCase row{
        "a file nobody may read", kGoodList, {Error(kTree, 0, "a.dll: cannot be read")}};
    MakePackage(temp.Path() / "pkg", row);
    ASSERT_EQ(chmod((temp.Path() / "pkg" / kInstallTreeName / "bin" / "a.dll").c_str(), 0), 0);
    row.expected.push_back(Error(kTree, 0, "holds no data"));
    row.expected.push_back(Error(kSize, 1, "says 100 bytes"));
    ExpectProblems(temp.Path() / "pkg", row);
}

TEST(UpdpackCheck, PackageFolder) {
    CUpdpackTempDir temp;
    PackageCase row{"odd names in the package folder",
                    kGoodList,
                    {Warning(kFolder, 0, "\"note.txt\", which is no part of a package"),
                     Warning(kFolder, 0, "\"instdir\": the wizard finds it only because")},
                    kGoodSize,
                    {}};
    const fs::path package = temp.Path() / "pkg";
    MakePackage(package, row);
    WriteTree(package / "instdir", kGoodTree);
    WriteBytes(package / "note.txt", "x");
    ExpectProblems(package, row);

    const std::vector<Problem> missing = CheckFolder(temp.Path() / "manca");
    ASSERT_EQ(missing.size(), 1u) << Describe(missing);
    EXPECT_EQ(missing[0].severity, Severity::Error);
    EXPECT_NE(missing[0].text.find("does not exist"), std::string::npos);
}
