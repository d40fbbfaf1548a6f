// The name of the stamp temporary, known before it is written: the update's
// safety net records it first, so that a run stopped while writing it leaves
// nothing beside Versione.txt.
#include "StampFile.h"
#include "data_temp_dir.h"

#include <gtest/gtest.h>

namespace {

TEST(StampFile, TheTemporaryIsTheOneNamedBeforehand) {
    CTempDir dir;
    for (const char* name : {"Versione.txt", "Versione.tx~"}) {
        const std::string stamp = dir.Write(name, "@versione=5.0  @build=04.04.15");
        std::string named;
        ASSERT_TRUE(StampTemporaryPath(stamp.c_str(), named)) << name;
        std::string temporary;
        ASSERT_TRUE(
            WriteStampTemporary(stamp.c_str(), VersionStamp{51, 40630, 51040630}, temporary))
            << name;
        EXPECT_EQ(temporary, named) << name;
        EXPECT_NE(temporary, stamp) << name;
    }
    std::string none = "unchanged";
    EXPECT_FALSE(StampTemporaryPath(dir.File("folder/").c_str(), none));
}

} // namespace
