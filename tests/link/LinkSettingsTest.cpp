#include "tests/link/LinkRig.h"
#include "tests/support/FileSystemTraits.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

const std::filesystem::path kSettings = std::filesystem::path("Support") / "RSPort.cfg";

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
          Case{"\r\n3,19200\r\n", 1, 9600}, Case{"99999999999999999999,19200", 99, 19200},
          Case{"\x01\xff\xfe,\x80\r\n", 1, 9600}}) {
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
    EXPECT_TRUE(std::filesystem::equivalent(rig.link.CommSettingsFile(),
                                            rig.home.path() / "support" / "rsport.CFG"));
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.port.openedWith().portNumber, 4);
    if (!test::kNamesIgnoreCase) {
        EXPECT_FALSE(std::filesystem::exists(rig.home.path() / kSettings));
    }

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
    rig.prompt.onAsk([&](const MessageRequest&) { std::filesystem::remove(rig.home.path() / "Support"); });
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
