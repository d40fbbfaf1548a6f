// build: the package it leaves reads back, through the data core, exactly as
// its sources; a refused build leaves nothing behind and an old package as it
// was. Also the program's exit codes and what check shows.
#include "updpack_support.h"

#include "PackageFiles.h"
#include "PackageLayout.h"
#include "UpdateList.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

const std::string kList = "Aggiornamenti Tessaro\n"
                          "-> @versione=5.0  @build=04.04.15\n"
                          "Correzione stampa fatture\n"
                          "-> @versione=5.0  @build=04.04.16   # bold for 04.04.15\n"
                          "Perch\xE9 il modulo \xE8 nuovo\r\n"
                          "  Seconda riga\n";

const std::vector<TreeFile> kTree = {
    {"bin/a.dll", std::string(300 * 1024, 'a')}, // more than one copy chunk
    {"bin/vuoto.dat", ""},
    {"dati/perch\xC3\xA9/b.dat", std::string(1500, 'b')},
    {"dati/vuota/", ""},
    {"leggimi.txt", "ciao"},
};

std::uint64_t TreeBytes() {
    std::uint64_t total = 0;
    for (const TreeFile& file : kTree)
        total += file.bytes.size();
    return total;
}

// Names beside a package that a build may have left behind.
std::vector<std::string> Leftovers(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".updpack-") != std::string::npos)
            names.push_back(entry.path().filename().string());
    }
    return names;
}

struct Sources {
    CUpdpackTempDir temp;
    fs::path tree = temp.Path() / "tree";
    fs::path list = temp.Path() / "list.txt";
    fs::path out = temp.Path() / "pkg";

    Sources() {
        WriteTree(tree, kTree);
        WriteBytes(list, kList);
    }
    std::vector<std::string> Build(const fs::path& to, const fs::path& from, const fs::path& with,
                                   bool replace) const {
        std::vector<std::string> args{"build",       "--from", from.string(), "--list",
                                      with.string(), "--out",  to.string(),   "--quiet"};
        if (replace)
            args.push_back("--replace");
        return args;
    }
};

void ExpectSameLines(const std::vector<UpdateListLine>& a, const std::vector<UpdateListLine>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].text, b[i].text) << "line " << i;
        EXPECT_EQ(a[i].lineNumber, b[i].lineNumber) << "line " << i;
    }
}

} // namespace

TEST(UpdpackBuild, PackageReadsBackAsTheWizardReadsIt) {
    Sources s;
    const RunResult run = RunTool(s.Build(s.out, s.tree, s.list, false));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("list.txt:1: warning: stands before the first update"),
              std::string::npos)
        << "warnings name the source list:\n"
        << run.out;

    UpdateList source;
    UpdateList built;
    ASSERT_TRUE(LoadUpdateList(s.list.c_str(), source));
    ASSERT_TRUE(LoadUpdateList((s.out / kListFileName).c_str(), built));
    ASSERT_EQ(built.entries.size(), 2u);
    ASSERT_EQ(built.entries.size(), source.entries.size());
    for (std::size_t i = 0; i < built.entries.size(); ++i) {
        EXPECT_EQ(built.entries[i].stamp.key, source.entries[i].stamp.key) << "entry " << i;
        ExpectSameLines(built.entries[i].details, source.entries[i].details);
    }
    EXPECT_EQ(built.newest.key, 50040416);
    EXPECT_EQ(ReadPackageSize((s.out / kSizeFileName).c_str()),
              static_cast<std::int64_t>(TreeBytes()));

    for (const TreeFile& file : kTree) {
        const fs::path copy = s.out / kInstallTreeName / file.relative;
        if (file.relative.back() == '/')
            EXPECT_TRUE(fs::is_directory(copy)) << file.relative;
        else
            EXPECT_EQ(ReadBytes(copy), file.bytes) << file.relative;
    }
    EXPECT_EQ(ReadBytes(s.out / kListFileName), kList);
    EXPECT_TRUE(Leftovers(s.temp.Path()).empty());

    const RunResult check = RunTool({"check", s.out.string()});
    EXPECT_EQ(check.exitCode, 0) << check.out;
    EXPECT_NE(check.out.find("Total size:      " + std::to_string(TreeBytes()) +
                             " bytes (sizeofupds.txt)"),
              std::string::npos)
        << check.out;
}

TEST(UpdpackBuild, RefusedBuildLeavesNothingBehind) {
    Sources s;
    const fs::path old = s.temp.Path() / "old";
    WriteTree(old / kInstallTreeName, {{"vecchio.dat", "OLD"}});
    WriteBytes(old / kListFileName, "-> @versione=4.0 @build=03.01.01\n");
    const fs::path faultyList = s.temp.Path() / "faulty.txt";
    WriteBytes(faultyList, "->@versione=5.0 @build=04.04.16\n");
    const fs::path faultyTree = s.temp.Path() / "faulty-tree";
    WriteTree(faultyTree, {{"a:b.txt", "x"}});
    const fs::path notPackage = s.temp.Path() / "documenti";
    WriteTree(notPackage, {{"lettera.doc", "caro"}});
    const fs::path plainFile = s.temp.Path() / "file.txt";
    WriteBytes(plainFile, "testo");

    struct Row {
        const char* name;
        std::vector<std::string> args;
        const char* words; // in what the program printed
    };
    const Row rows[] = {
        {"an existing package without --replace", s.Build(old, s.tree, s.list, false),
         "already exists"},
        {"a faulty list replacing a package", s.Build(old, s.tree, faultyList, true),
         "faulty.txt:1: error: no blank after"},
        {"a faulty tree replacing a package", s.Build(old, faultyTree, s.list, true),
         "a:b.txt: error: the name holds"},
        {"the package inside its own tree", s.Build(s.tree / "pkg", s.tree, s.list, false),
         "lies inside the tree"},
        {"a missing tree", s.Build(s.out, s.temp.Path() / "manca", s.list, false),
         "the folder does not exist"},
        {"a missing list", s.Build(s.out, s.tree, s.temp.Path() / "manca.txt", false),
         "the file does not exist"},
        {"a list that is a folder", s.Build(s.out, s.tree, s.tree, false), "is not a file"},
        {"a missing parent folder", s.Build(s.temp.Path() / "manca" / "pkg", s.tree, s.list, false),
         "does not exist"},
        {"replacing a folder that is no package", s.Build(notPackage, s.tree, s.list, true),
         "lettera.doc, so it is no update package"},
        {"replacing a file", s.Build(plainFile, s.tree, s.list, true), "is not a folder"},
    };
    for (const Row& row : rows) {
        const RunResult run = RunTool(row.args);
        EXPECT_EQ(run.exitCode, 1) << row.name;
        EXPECT_NE((run.out + run.err).find(row.words), std::string::npos) << row.name << ":\n"
                                                                          << run.out << run.err;
        EXPECT_EQ(ReadBytes(old / kInstallTreeName / "vecchio.dat"), "OLD") << row.name;
        EXPECT_FALSE(fs::exists(old / kSizeFileName)) << row.name;
        EXPECT_FALSE(fs::exists(s.out)) << row.name;
        EXPECT_FALSE(fs::exists(s.tree / "pkg")) << row.name;
        EXPECT_EQ(ReadBytes(notPackage / "lettera.doc"), "caro") << row.name;
        EXPECT_EQ(ReadBytes(plainFile), "testo") << row.name;
        EXPECT_TRUE(Leftovers(s.temp.Path()).empty()) << row.name;
    }

    const RunResult replaced = RunTool(s.Build(old, s.tree, s.list, true));
    ASSERT_EQ(replaced.exitCode, 0) << replaced.out << replaced.err;
    EXPECT_FALSE(fs::exists(old / kInstallTreeName / "vecchio.dat"));
    EXPECT_EQ(ReadBytes(old / kListFileName), kList);
    EXPECT_TRUE(Leftovers(s.temp.Path()).empty());
}

TEST(UpdpackBuild, ProgressUnlessQuiet) {
    Sources s;
    std::vector<std::string> args = s.Build(s.out, s.tree, s.list, false);
    args.pop_back(); // --quiet
    const RunResult loud = RunTool(args);
    ASSERT_EQ(loud.exitCode, 0) << loud.err;
    EXPECT_NE(loud.out.find("copied: 4 of 4 files, " + std::to_string(TreeBytes()) + " of " +
                            std::to_string(TreeBytes()) + " bytes"),
              std::string::npos)
        << loud.out;

    const RunResult quiet = RunTool(s.Build(s.temp.Path() / "pkg2", s.tree, s.list, false));
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.out.find("copied"), std::string::npos) << quiet.out;
}

TEST(UpdpackProgram, CheckShowsTheWizardsList) {
    Sources s;
    ASSERT_EQ(RunTool(s.Build(s.out, s.tree, s.list, false)).exitCode, 0);
    const RunResult run =
        RunTool({"check", s.out.string(), "--installed", "@versione=5.0  @build=04.04.15"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    const char* const shown[] = {
        "\n    5.0 [04.04.15] del 15/4/2004    (line 2)\n"
        "        Correzione stampa fatture\n"
        "  * 5.0 [04.04.16] del 16/4/2004    (line 4)\n"
        "        Perch\xC3\xA9 il modulo \xC3\xA8 nuovo\n"
        "        Seconda riga\n",
        "Newest update:   5.0 [04.04.16]  (status line \"Aggiornamento del 16/4/2004\")",
        "Installed stamp: 5.0 [04.04.15]",
    };
    for (const char* text : shown)
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\nin:\n" << run.out;
}

TEST(UpdpackProgram, ExitCodes) {
    Sources s;
    ASSERT_EQ(RunTool(s.Build(s.out, s.tree, s.list, false)).exitCode, 0);
    const std::string good = s.out.string();
    const fs::path bad = s.temp.Path() / "bad";
    WriteTree(bad / kInstallTreeName, kTree);
    WriteBytes(bad / kListFileName, "nessun aggiornamento\n");

    struct Row {
        std::vector<std::string> args;
        int exitCode;
    };
    const Row rows[] = {
        {{}, 2},
        {{"frobnicate"}, 2},
        {{"check"}, 2},
        {{"check", good, good}, 2},
        {{"check", good, "--install-dir-length", "0"}, 2},
        {{"check", good, "--install-dir-length", "247"}, 2},
        {{"check", good, "--install-dir-length", "3x"}, 2},
        {{"check", good, "--installed"}, 2},
        {{"check", good, "--installed", "5.0 04.04.15"}, 2},
        {{"check", good, "--replace"}, 2},
        {{"build", "--from", s.tree.string(), "--list", s.list.string()}, 2},
        {{"--help"}, 0},
        {{"check", good}, 0},
        {{"check", good, "--install-dir-length", "200", "--quiet"}, 0},
        {{"check", good, "--install-dir-length", "246"}, 1}, // accepted, and too long here
        {{"check", good, "--installed", "@versione=5.1 @build=04.11.30"}, 1},
        {{"check", bad.string()}, 1},
        {{"check", (s.temp.Path() / "manca").string()}, 1},
    };
    for (const Row& row : rows) {
        std::string line;
        for (const std::string& arg : row.args)
            line += " " + arg;
        const RunResult run = RunTool(row.args);
        EXPECT_EQ(run.exitCode, row.exitCode) << "updpack" << line << "\n" << run.out << run.err;
    }
}

// The checksum file build writes: the standard tool accepts it, and check
// names every kind of damage done to the package afterwards.
TEST(UpdpackBuild, ChecksumFileFindsEveryDamage) {
    const struct {
        const char* name;
        void (*damage)(const fs::path& package);
        Severity severity;
        std::string words; // in the one problem found
    } rows[] = {
        {"as built", [](const fs::path&) {}, Severity::Error, ""},
        {"a byte changed",
         [](const fs::path& p) {
             std::string bytes = ReadBytes(p / "InstDir/bin/a.dll");
             bytes[150 * 1024] = 'b';
             WriteBytes(p / "InstDir/bin/a.dll", bytes);
         },
         Severity::Error, "a.dll: its SHA-256 is "},
        {"a file added", [](const fs::path& p) { WriteBytes(p / "InstDir/bin/nuovo.dll", ""); },
         Severity::Error, "nuovo.dll: is not listed in SHA256SUMS"},
        {"a file removed", [](const fs::path& p) { fs::remove(p / "InstDir/bin/vuoto.dat"); },
         Severity::Error, "names \"InstDir\\bin\\vuoto.dat\", which the package does not hold"},
        {"the list changed",
         [](const fs::path& p) {
             WriteBytes(p / "r2718upd.txt", ReadBytes(p / "r2718upd.txt") + "x");
         },
         Severity::Error, "its SHA-256 is "},
        {"a damaged line",
         [](const fs::path& p) {
             WriteBytes(p / "SHA256SUMS", ReadBytes(p / "SHA256SUMS") + "x\n");
         },
         Severity::Error, "is not a line of the form"},
        {"no SHA256SUMS", [](const fs::path& p) { fs::remove(p / "SHA256SUMS"); },
         Severity::Warning, "is missing: the wizard installs the files unverified"},
    };
    for (const auto& row : rows) {
        Sources s;
        ASSERT_EQ(RunTool(s.Build(s.out, s.tree, s.list, false)).exitCode, 0) << row.name;
        if (row.words.empty() && std::system("command -v sha256sum >/dev/null 2>&1") == 0) {
            const std::string tool =
                "cd '" + s.out.string() + "' && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1";
            EXPECT_EQ(std::system(tool.c_str()), 0) << "sha256sum -c of the built package";
        }
        row.damage(s.out);
        std::vector<Problem> found;
        for (const Problem& problem : CheckFolder(s.out)) {
            // The list's line before its first update: known, and no damage.
            if (!(problem.place == ProblemPlace::ListFile && problem.severity == Severity::Warning))
                found.push_back(problem);
        }
        if (row.words.empty()) {
            EXPECT_TRUE(found.empty()) << row.name << ":\n" << Describe(found);
            continue;
        }
        ASSERT_EQ(found.size(), 1u) << row.name << ":\n" << Describe(found);
        const std::string text =
            (found[0].path.empty() ? "" : found[0].path + ": ") + found[0].text;
        EXPECT_EQ(found[0].severity, row.severity) << row.name;
        EXPECT_NE(text.find(row.words), std::string::npos) << row.name << ":\n" << Describe(found);
    }
}
