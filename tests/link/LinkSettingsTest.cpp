#include "LinkRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

const std::filesystem::path kSettings = std::filesystem::path("Support") / "RSPort.cfg";

TEST(LinkSettingsFile, missingFileAndFolderAreCreatedWithTheDefaults) {
    LinkRig rig;
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.home.read(kSettings), "1,9600\r\n");
    EXPECT_EQ(rig.port.openedWith().portNumber, 1);
    EXPECT_EQ(rig.port.openedWith().baud, 9600);
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.CommError);
}

TEST(LinkSettingsFile, anEmptyFileIsRewrittenWithTheDefaults) {
    LinkRig rig;
    rig.home.write(kSettings, "");
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.home.read(kSettings), "1,9600\r\n");
}

TEST(LinkSettingsFile, outOfRangeAndGarbageValuesAreCorrectedButNotWrittenBack) {
    struct Case {
        const char* contents;
        int port;
        int baud;
    };
    for (auto [contents, port, baud] :
         {Case{"0,4800\r\n", 1, 9600}, Case{"150, 19200\r\n", 99, 19200},
          Case{"2, 19200 \r\n", 2, 19200}, Case{"  7 ,9600", 7, 9600},
          Case{"abc,xyz\r\n", 1, 9600}, Case{"-4\r\n", 1, 9600},
          Case{"\r\n3,19200\r\n", 1, 9600}, Case{"99999999999999999999,19200", 99, 19200},
          Case{"\x01\xff\xfe,\x80\r\n", 1, 9600}}) {
        LinkRig rig;
        rig.home.write(kSettings, contents);
        rig.link.OpenRSComm(rig.port);
        EXPECT_EQ(rig.port.openedWith().portNumber, port) << contents;
        EXPECT_EQ(rig.port.openedWith().baud, baud) << contents;
        EXPECT_EQ(rig.home.read(kSettings), contents) << "the file itself is left unchanged";
        EXPECT_TRUE(rig.prompt.requests().empty());
    }
}

TEST(LinkSettingsFile, foundWhateverTheCaseOfItsFolderAndName) {
    LinkRig rig;
    rig.home.write(std::filesystem::path("support") / "rsport.CFG", "4,19200\r\n");
    EXPECT_EQ(rig.link.CommSettingsFile(), rig.home.path() / "support" / "rsport.CFG");
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.port.openedWith().portNumber, 4);
    EXPECT_FALSE(std::filesystem::exists(rig.home.path() / kSettings));
}

TEST(LinkSettingsFile, aFileThatCannotBeWrittenAsksAndCancelLeavesThePortClosed) {
    LinkRig rig;
    // A plain file where the Support folder should be: the folder cannot be created.
    rig.home.write("Support", "in the way");
    rig.prompt.answerNext(MessageAnswer::Retry);
    rig.prompt.answerNext(MessageAnswer::Cancel);
    rig.link.OpenRSComm(rig.port);

    ASSERT_EQ(rig.prompt.requests().size(), 2u) << "Retry loads again and fails again";
    const MessageRequest& message = rig.prompt.requests()[0];
    EXPECT_EQ(message.title, "RSComm InitializeRSComm");
    EXPECT_EQ(message.lines.at(0).rfind("Error Number = ", 0), 0u);
    EXPECT_EQ(message.lines.at(1), "");
    EXPECT_EQ(message.buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(message.icon, MessageIcon::Critical);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.link.OnlineMode);
}

TEST(LinkSettingsFile, retryAfterTheCauseIsMendedGoesOnline) {
    LinkRig rig;
    rig.home.write("Support", "in the way");
    rig.prompt.answerNext(MessageAnswer::Retry);
    rig.prompt.onAsk([&](const MessageRequest&) { std::filesystem::remove(rig.home.path() / "Support"); });
    rig.link.OpenRSComm(rig.port);
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_EQ(rig.home.read(kSettings), "1,9600\r\n");
}

TEST(LinkSettingsFile, settingsAreReadAgainAtEveryOpening) {
    LinkRig rig;
    rig.link.OpenRSComm(rig.port);
    rig.link.CloseRSComm();
    rig.home.write(kSettings, "3, 19200 \r\n");
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.port.openedWith().portNumber, 3);
    EXPECT_EQ(rig.link.Settings().portSpeed, "19200");
}

TEST(LinkLifecycle, closingAHealthyLinkLeavesTheBoardIdleAndThePortClosed) {
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

TEST(LinkLifecycle, openingProbesWithOneByteAndNeedsNoParticularAnswer) {
    LinkRig rig;
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.takeTrace(), Exchanges({{0xFF, 0x55}}));
    EXPECT_TRUE(rig.link.OnlineMode);

    LinkRig odd;
    odd.board.corruptAnswerAt(0);
    odd.link.OpenRSComm(odd.port);
    EXPECT_TRUE(odd.link.OnlineMode);
}

} // namespace
} // namespace quelby::test
