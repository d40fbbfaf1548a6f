#include "StampFile.h"

#include "data_win_folders.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace {

const std::string kOld = "@versione=5.0  @build=04.04.16";
const VersionStamp kNext{51, 41130, 51041130};

TEST(StampFileWrite, ReplacesTheFileOnWindows) {
    CTestFolders folders;
    const std::string path = folders.WriteFile("Versione.txt", kOld + "\r\n# old comment\r\n");
    ASSERT_FALSE(path.empty());

    ASSERT_TRUE(WriteStampFile(path.c_str(), kNext));
    EXPECT_EQ("@versione=5.1  @build=04.11.30", ReadWholeFile(path));
    EXPECT_FALSE(PathExists(folders.Base() + "\\Versione.tx~"));
}

TEST(StampFileWrite, LockedOrMissingFileKeepsTheOldStamp) {
    CTestFolders folders;
    const std::string path = folders.WriteFile("Versione.txt", kOld);
    ASSERT_FALSE(path.empty());

    const HANDLE locked =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_FALSE(WriteStampFile(path.c_str(), kNext));
    CloseHandle(locked);
    EXPECT_EQ(kOld, ReadWholeFile(path));
    EXPECT_FALSE(PathExists(folders.Base() + "\\Versione.tx~"));

    // A folder where the temporary file would go.
    ASSERT_FALSE(folders.MakeFolder("Versione.tx~").empty());
    EXPECT_FALSE(WriteStampFile(path.c_str(), kNext));
    EXPECT_EQ(kOld, ReadWholeFile(path));

    EXPECT_FALSE(WriteStampFile((folders.Base() + "\\gone\\Versione.txt").c_str(), kNext));
    EXPECT_FALSE(PathExists(folders.Base() + "\\gone"));
}

} // namespace
