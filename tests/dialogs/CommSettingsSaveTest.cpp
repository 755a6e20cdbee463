#include "app/data/CommSettingsSave.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {
namespace fs = std::filesystem;

TEST(CommSettingsSave, WritesSettingsLineAndPortFileIntoEachSystemFolderUnlessTheSettingsFail) {
    TempFolder home;
    fs::create_directories(home.path() / "CORE1");
    home.write("core3/halbix.sfg", "7\r\n"); // another case, written over in place
    const fs::path settings = home.path() / "Support" / "RSPort.cfg";

    std::error_code error;
    ASSERT_TRUE(SaveCommSettings(settings, home.path(), 3, 19200, error)) << error.message();

    EXPECT_EQ(ReadWholeFile(settings), "3, 19200 \r\n");
    EXPECT_EQ(ReadWholeFile(home.path() / "CORE1" / "HALBIX.SFG"), "2\r\n");
    EXPECT_EQ(ReadWholeFile(home.path() / "core3" / "halbix.sfg"), "2\r\n");
    EXPECT_FALSE(fs::exists(home.path() / "core3" / "HALBIX.SFG"));
    EXPECT_FALSE(fs::exists(home.path() / "CORE2"));

    // A settings file that cannot be written stops before the port files.
    TempFolder other;
    other.write("Support", "a file where the folder should be");
    fs::create_directories(other.path() / "CORE1");
    EXPECT_FALSE(
        SaveCommSettings(other.path() / "Support" / "RSPort.cfg", other.path(), 3, 9600, error));
    EXPECT_TRUE(error);
    EXPECT_FALSE(fs::exists(other.path() / "CORE1" / "HALBIX.SFG"));
}

} // namespace
} // namespace quelby::test
