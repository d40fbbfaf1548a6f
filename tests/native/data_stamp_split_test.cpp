// The stamp file written in two steps, as the update's safety net uses it:
// the temporary first (on disk, the old stamp untouched), then the move.
#include "StampFile.h"
#include "data_temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const VersionStamp kNext{51, 40630, MakeStampKey(51, 40630)};

TEST(StampFile, TemporaryFirstThenTheMoveOverTheOldStamp) {
    CTempDir dir;
    const std::string stamp = dir.Write("Versione.txt", "@versione=5.0  @build=04.04.15");
    std::string named;
    ASSERT_TRUE(StampTemporaryPath(stamp.c_str(), named));
    std::string temporary;
    ASSERT_TRUE(WriteStampTemporary(stamp.c_str(), kNext, temporary));
    EXPECT_EQ(temporary, named);
    EXPECT_EQ(Read(stamp), "@versione=5.0  @build=04.04.15");
    EXPECT_EQ(Read(temporary), "@versione=5.1  @build=04.06.30");
    ASSERT_TRUE(ReplaceWithTemporary(temporary.c_str(), stamp.c_str()));
    EXPECT_EQ(Read(stamp), "@versione=5.1  @build=04.06.30");
    EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST(StampFile, EachStepFailsWithoutTouchingWhatIsThere) {
    CTempDir dir;
    std::string temporary = "unchanged";
    EXPECT_FALSE(WriteStampTemporary(dir.File("gone/Versione.txt").c_str(), kNext, temporary));
    EXPECT_EQ(temporary, "unchanged");

    // A folder where the stamp goes: the move fails and leaves the
    // temporary for its caller.
    const std::string blocked = dir.File("Versione.txt");
    std::filesystem::create_directory(blocked);
    std::filesystem::create_directory(blocked + "/inside");
    ASSERT_TRUE(WriteStampTemporary(blocked.c_str(), kNext, temporary));
    EXPECT_FALSE(ReplaceWithTemporary(temporary.c_str(), blocked.c_str()));
    EXPECT_EQ(Read(temporary), "@versione=5.1  @build=04.06.30");
    EXPECT_TRUE(std::filesystem::is_directory(blocked + "/inside"));
}

} // namespace
