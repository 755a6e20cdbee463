// Where the program keeps its files, and the link's settings file there.
#include "link/HomeFolder.h"
#include "tests/link/LinkRig.h"
#include "tests/support/FileSystemTraits.h"

#include <gtest/gtest.h>

#include <map>

namespace quelby::test {
namespace {

namespace fs = std::filesystem;

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
    if (!kXdgHomeRules) GTEST_SKIP() << "Windows keeps the settings in %APPDATA%";
    TempFolder root;
    root.write("usr/share/quelby/Support/SerialPorts.cfg", "1=/dev/ttyUSB0\n");
    root.write("usr/share/quelby/Support/FaultErrCodes.txt", "05,Shipped\n");
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

    // A user folder that cannot be made is reported by name and still chosen.
    const fs::path blocker = root.write("not-a-folder", "x");
    const HomeFolders blocked = ResolveHomeFolders(
        std::nullopt, root.path() / "usr/bin", Environment({{"XDG_CONFIG_HOME", blocker.string()}}));
    EXPECT_EQ(blocked.home, blocker / "quelby");
    EXPECT_NE(blocked.problem.find((blocker / "quelby" / "Support").string()), std::string::npos)
        << blocked.problem;
}

const fs::path kSettings = fs::path("Support") / "RSPort.cfg";

TEST(LinkSettingsFile, aMissingOrEmptyFileIsWrittenWithTheDefaultsBadValuesAreCorrectedOnlyInUse) {
    struct Case {
        const char* contents; // nullptr: no file
        int port;
        int baud;
    };
    for (auto [contents, port, baud] :
         {Case{nullptr, 1, 9600}, Case{"", 1, 9600}, Case{"0,4800\r\n", 1, 9600},
          Case{"150, 19200\r\n", 99, 19200}, Case{"2, 19200 \r\n", 2, 19200},
          Case{"  7 ,9600", 7, 9600}, Case{"abc,xyz\r\n", 1, 9600}, Case{"-4\r\n", 1, 9600},
          Case{"\r\n3,19200\r\n", 1, 9600}, Case{"99999999999999999999,19200", 99, 19200}}) {
        LinkRig rig;
        if (contents) rig.home.write(kSettings, contents);
        rig.link.OpenRSComm(rig.port);
        const std::string shown = contents ? contents : "(none)";
        EXPECT_EQ(rig.port.openedWith().portNumber, port) << shown;
        EXPECT_EQ(rig.port.openedWith().baud, baud) << shown;
        const bool rewritten = !contents || !*contents;
        EXPECT_EQ(rig.home.read(kSettings), rewritten ? "1,9600\r\n" : contents) << shown;
        EXPECT_TRUE(rig.prompt.requests().empty());
        EXPECT_TRUE(rig.link.OnlineMode);
    }
}

TEST(LinkSettingsFile, foundWhateverTheCaseOfItsFolderAndNameAndReadAtEveryOpening) {
    LinkRig rig;
    rig.home.write("support/rsport.CFG", "4,19200\r\n");
    EXPECT_TRUE(
        fs::equivalent(rig.link.CommSettingsFile(), rig.home.path() / "support" / "rsport.CFG"));
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.port.openedWith().portNumber, 4);
    EXPECT_TRUE(kNamesIgnoreCase || !fs::exists(rig.home.path() / kSettings));

    rig.link.CloseRSComm();
    rig.home.write("support/rsport.CFG", "3, 9600 \r\n");
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.port.openedWith().portNumber, 3);
    EXPECT_EQ(rig.link.Settings().portSpeed, "9600");
}

TEST(LinkSettingsFile, aFileThatCannotBeWrittenAsksRetryLoadsAgainAndCancelLeavesThePortClosed) {
    LinkRig rig;
    // A plain file where the Support folder should be: the folder cannot be created.
    rig.home.write("Support", "in the way");
    rig.prompt.answerNext(MessageAnswer::Retry);
    rig.link.OpenRSComm(rig.port);

    ASSERT_EQ(rig.prompt.requests().size(), 2u) << "Retry loads again and fails again";
    const MessageRequest& message = rig.prompt.requests()[0];
    EXPECT_EQ(message.lines.at(0).rfind("Error Number = ", 0), 0u) << message.lines.at(0);
    EXPECT_EQ(message, (MessageRequest{"RSComm InitializeRSComm", message.lines,
                                       MessageButtons::RetryCancel, MessageIcon::Critical}));
    EXPECT_EQ(message.lines.at(1), "");
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.link.OnlineMode);

    // Once the cause is mended, Retry goes online.
    rig.prompt.answerNext(MessageAnswer::Retry);
    rig.prompt.onAsk([&](const MessageRequest&) { fs::remove(rig.home.path() / "Support"); });
    rig.link.OpenRSComm(rig.port);
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_EQ(rig.home.read(kSettings), "1,9600\r\n");
}

TEST(LinkLifecycle, openingProbesWithOneByteNeedingNoParticularAnswerAndClosingLeavesTheBoardIdle) {
    for (const bool oddAnswer : {false, true}) {
        LinkRig rig;
        if (oddAnswer) rig.board.corruptAnswerAt(0);
        rig.link.OpenRSComm(rig.port);
        EXPECT_EQ(rig.takeTrace(), Exchanges({{0xFF, oddAnswer ? 0x54 : 0x55}}));
        EXPECT_TRUE(rig.link.OnlineMode);
    }
    LinkRig rig;
    rig.goOnline();
    rig.link.RSRead("W182");
    rig.board.clearTrace();
    rig.link.CloseRSComm();
    EXPECT_EQ(rig.takeTrace(), Exchanges({{0xFF, 0x55}}));
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_EQ(rig.link.CurrentMode(), 0);

    EXPECT_EQ(rig.link.RSRead("W182"), "0");
    EXPECT_TRUE(rig.link.CommError) << "an exchange on a closed port fails the link";
}

} // namespace
} // namespace quelby::test
