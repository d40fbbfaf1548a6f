#include "StampFile.h"

#include "TestFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace {

const std::string kOld = "@versione=5.0  @build=04.04.16";
const VersionStamp kNext{51, 41130, 51041130};

TEST(StampFileWrite, ReplacesTheFileOnWindows) {
    TempFolder temp("tsd");
    const std::string path = temp.Sub("Versione.txt");
    ASSERT_TRUE(WriteBytes(path, kOld + "\r\n# old comment\r\n"));

    ASSERT_TRUE(WriteStampFile(path.c_str(), kNext));
    EXPECT_EQ("@versione=5.1  @build=04.11.30", ReadBytes(path));
    EXPECT_FALSE(Exists(temp.Sub("Versione.tx~")));
}

TEST(StampFileWrite, LockedOrMissingFileKeepsTheOldStamp) {
    TempFolder temp("tsd");
    const std::string path = temp.Sub("Versione.txt");
    ASSERT_TRUE(WriteBytes(path, kOld));

    const HANDLE locked =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_FALSE(WriteStampFile(path.c_str(), kNext));
    CloseHandle(locked);
    EXPECT_EQ(kOld, ReadBytes(path));
    EXPECT_FALSE(Exists(temp.Sub("Versione.tx~")));

    // A folder where the temporary file would go.
    ASSERT_TRUE(MakeFolder(temp.Sub("Versione.tx~")));
    EXPECT_FALSE(WriteStampFile(path.c_str(), kNext));
    EXPECT_EQ(kOld, ReadBytes(path));

    EXPECT_FALSE(WriteStampFile(temp.Sub("gone\\Versione.txt").c_str(), kNext));
    EXPECT_FALSE(Exists(temp.Sub("gone")));
}

} // namespace
