#include "link/HomeFolder.h"
#include "tests/support/FileSystemTraits.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace quelby {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::TempFolder;

EnvironmentLookup Environment(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> const char* {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : found->second.c_str();
    };
}

class SharedFolderReset : public ::testing::Test {
public:
    ~SharedFolderReset() override { SetSharedFolder({}); }
};

TEST(HomeFolder, aBuildFolderIsItsOwnHomeAndHomeOverrideWins) {
    TempFolder build;
    build.write("Support/FaultErrCodes.txt", "05,Trip\n");
    const HomeFolders own = ResolveHomeFolders(std::nullopt, build.path(), Environment({}));
    EXPECT_EQ(own.home, build.path());
    EXPECT_EQ(own.shared, build.path());
    EXPECT_TRUE(own.problem.empty());

    const HomeFolders chosen = ResolveHomeFolders(fs::path("/elsewhere"), build.path(), Environment({}));
    EXPECT_EQ(chosen.home, fs::path("/elsewhere"));
    EXPECT_EQ(chosen.shared, build.path());
}

TEST_F(SharedFolderReset, anInstalledProgramWorksInTheUsersFolderSeededWithTheShippedSettings) {
    if (!test::kXdgHomeRules) GTEST_SKIP() << "Windows keeps the settings in %APPDATA%";
    TempFolder root;
    root.write("usr/share/quelby/Support/SerialPorts.cfg", "1=/dev/ttyUSB0\n");
    root.write("usr/share/quelby/Support/FaultErrCodes.txt", "05,Shipped\n");
    root.write("usr/share/quelby/Help/index.html", "<html></html>");
    fs::create_directories(root.path() / "usr/bin");
    const fs::path config = root.path() / "config";
    root.write("config/quelby/Support/RSPort.cfg", "3,19200\n");

    const HomeFolders folders = ResolveHomeFolders(
        std::nullopt, root.path() / "usr/bin", Environment({{"XDG_CONFIG_HOME", config.string()}}));
    ASSERT_TRUE(folders.problem.empty()) << folders.problem;
    EXPECT_EQ(folders.home, config / "quelby");
    EXPECT_EQ(folders.shared, root.path() / "usr/share/quelby");
    EXPECT_EQ(ReadWholeFile(folders.home / "Support/SerialPorts.cfg"), "1=/dev/ttyUSB0\n");
    EXPECT_EQ(ReadWholeFile(folders.home / "Support/RSPort.cfg"), "3,19200\n");
    EXPECT_FALSE(fs::exists(folders.home / "Support/FaultErrCodes.txt"));

    // Shipped files come from the shared folder until the user keeps a copy of their own.
    SetSharedFolder(folders.shared);
    EXPECT_EQ(ReadWholeFile(FindRunTimeFile(folders.home, "Support/FaultErrCodes.txt")),
              "05,Shipped\n");
    EXPECT_EQ(ReadWholeFile(FindRunTimeFile(folders.home, "Help/index.html")), "<html></html>");
    root.write("config/quelby/Support/FaultErrCodes.txt", "05,Own\n");
    EXPECT_EQ(ReadWholeFile(FindRunTimeFile(folders.home, "Support/FaultErrCodes.txt")),
              "05,Own\n");
    EXPECT_EQ(FindRunTimeFile(folders.home, "Support/Missing.txt"), folders.home / "Support/Missing.txt");

    // A user edit is never replaced on the next start; without XDG_CONFIG_HOME, ~/.config.
    root.write("config/quelby/Support/SerialPorts.cfg", "1=/dev/ttyUSB3\n");
    ResolveHomeFolders(std::nullopt, root.path() / "usr/bin",
                       Environment({{"XDG_CONFIG_HOME", config.string()}}));
    EXPECT_EQ(ReadWholeFile(folders.home / "Support/SerialPorts.cfg"), "1=/dev/ttyUSB3\n");
    EXPECT_EQ(ResolveHomeFolders(std::nullopt, root.path() / "usr/bin",
                                 Environment({{"HOME", root.path().string()}}))
                  .home,
              root.path() / ".config/quelby");
}

TEST(HomeFolder, aUserFolderThatCannotBeMadeIsReportedByNameAndStillChosen) {
    if (!test::kXdgHomeRules) GTEST_SKIP() << "Windows keeps the settings in %APPDATA%";
    TempFolder root;
    fs::create_directories(root.path() / "usr/bin");
    const fs::path blocker = root.write("not-a-folder", "x");
    const HomeFolders folders = ResolveHomeFolders(
        std::nullopt, root.path() / "usr/bin", Environment({{"XDG_CONFIG_HOME", blocker.string()}}));
    EXPECT_EQ(folders.home, blocker / "quelby");
    EXPECT_NE(folders.problem.find((blocker / "quelby" / "Support").string()), std::string::npos)
        << folders.problem;
}

} // namespace
} // namespace quelby
