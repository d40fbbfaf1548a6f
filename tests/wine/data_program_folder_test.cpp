#include "ProgramFolder.h"
#include "PackageLayout.h"

#include "TestFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <windows.h>

namespace {

TEST(ProgramFolder, BuildsPackagePathsBesideTheProgram) {
    const struct {
        const char* modulePath;
        const char* relative;
        const char* path;
    } cases[] = {
        {"C:\\Media\\Update\\kvelmora.exe", kListFileRelative,
         "C:\\Media\\Update\\r2718upd.dat\\r2718upd.txt"},
        {"C:\\kvelmora.exe", kInstallTreeRelative, "C:\\r2718upd.dat\\InstDir"},
        {"kvelmora.exe", kSizeFileRelative, ".\\r2718upd.dat\\sizeofupds.txt"},
        {"\\\\server\\share\\kvelmora.exe", kInstallTreeRelative,
         "\\\\server\\share\\r2718upd.dat\\InstDir"},
        {"D:/media/kvelmora.exe", kInstallTreeRelative, "D:/media\\r2718upd.dat\\InstDir"},
        {"C:\\a.b\\c/kvelmora.exe", "x", "C:\\a.b\\c\\x"},
    };
    for (const auto& c : cases) {
        CProgramFolder folder;
        ASSERT_TRUE(folder.RecordProgramFolder(c.modulePath)) << c.modulePath;
        EXPECT_STREQ(c.path, folder.ProgramRelativePath(c.relative)) << c.modulePath;
    }
}

TEST(ProgramFolder, RecordsTheRunningProgram) {
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, sizeof module);
    *std::strrchr(module, '\\') = '\0';

    CProgramFolder folder;
    ASSERT_TRUE(folder.RecordProgramFolder());
    EXPECT_EQ(std::string(module) + "\\" + kListFileRelative,
              folder.ProgramRelativePath(kListFileRelative));
}

// Callers that keep a result see the next one: one buffer serves all.
TEST(ProgramFolder, EachPathReplacesTheLast) {
    CProgramFolder folder;
    ASSERT_TRUE(folder.RecordProgramFolder("C:\\Media\\kvelmora.exe"));
    const char* list = folder.ProgramRelativePath(kListFileRelative);
    const char* size = folder.ProgramRelativePath(kSizeFileRelative);
    EXPECT_EQ(list, size);
    EXPECT_STREQ("C:\\Media\\r2718upd.dat\\sizeofupds.txt", list);
    EXPECT_STREQ("C:\\Media\\r2718upd.dat\\InstDir",
                 folder.ProgramRelativePath(kInstallTreeRelative));
    EXPECT_STREQ("C:\\Media\\r2718upd.dat\\r2718upd.txt",
                 folder.ProgramRelativePath(kListFileRelative));
}

TEST(ProgramFolder, PathThatDoesNotFitNamesNothing) {
    // Folder plus "\r2718upd.dat\r2718upd.txt" (26 characters) is exactly 259
    // characters with a folder of 233, one too many with 234.
    const std::string fits = "C:\\" + std::string(230, 'f');
    const std::string tooLong = fits + "g";

    CProgramFolder folder;
    ASSERT_TRUE(folder.RecordProgramFolder((fits + "\\kvelmora.exe").c_str()));
    const char* kept = folder.ProgramRelativePath(kListFileRelative);
    EXPECT_EQ(fits + "\\" + kListFileRelative, kept);
    EXPECT_EQ(259u, std::strlen(kept));
    EXPECT_STREQ(CProgramFolder::kUnusablePath, folder.ProgramRelativePath(kSizeFileRelative));
    EXPECT_EQ(fits + "\\" + kListFileRelative, kept) << "a failed call leaves the last path";

    ASSERT_TRUE(folder.RecordProgramFolder((tooLong + "\\k.exe").c_str()));
    EXPECT_STREQ(CProgramFolder::kUnusablePath, folder.ProgramRelativePath(kListFileRelative));
    EXPECT_STREQ((tooLong + "\\x").c_str(), folder.ProgramRelativePath("x"));

    // A module path that does not fit, an empty one, or none recorded at all.
    EXPECT_FALSE(folder.RecordProgramFolder(("C:\\" + std::string(257, 'm')).c_str()));
    EXPECT_STREQ(CProgramFolder::kUnusablePath, folder.ProgramRelativePath("x"));
    EXPECT_FALSE(folder.RecordProgramFolder(""));
    EXPECT_STREQ(CProgramFolder::kUnusablePath, folder.ProgramRelativePath("x"));
    CProgramFolder unrecorded;
    EXPECT_STREQ(CProgramFolder::kUnusablePath, unrecorded.ProgramRelativePath("x"));
}

// What the callers do with a package path must fail on the unusable one,
// as it does for a missing package.
TEST(ProgramFolder, UnusablePathFailsEveryUse) {
    const std::string path = CProgramFolder::kUnusablePath;
    ASSERT_FALSE(path.empty());

    FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_EQ(nullptr, file);
    if (file != nullptr)
        std::fclose(file);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));

    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((path + "\\*.*").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, find);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);

    // Not even in a folder full of files, with the current folder set there.
    TempFolder temp("tsd");
    ASSERT_TRUE(WriteBytes(temp.Sub("a.txt"), "a"));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(temp.Path().c_str()));
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((path + "\\*.*").c_str(), &found));
    EXPECT_EQ(nullptr, std::fopen(path.c_str(), "wb"));
    SetCurrentDirectoryA(previous);
}

} // namespace
