#include "tests/link/LinkRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

// An online rig.
struct OnlineRig : LinkRig {
    OnlineRig() { goOnline(); }
};

TEST(RSCommProtocol, readAndWriteMatchTheBoardsBytesAndOnlyAChangeOfModeHandshakes) {
    OnlineRig rig;
    rig.board.setValue("W182", 0x04D2);
    EXPECT_EQ(rig.link.RSRead("W182"), "1234");
    EXPECT_EQ(rig.takeTrace(), Exchanges({{0xFF, 0x55}, {0x01, 0x55}, {0x00, 0x00}, {0xB6, 0xD2},
                                          {0x00, 0x00}, {0xB7, 0x04}}));
    rig.link.RSRead("w182");
    EXPECT_EQ(rig.takeTrace().size(), 4u) << "a second read sends only the address bytes";

    // A write handshakes into write mode and sends each byte echoed.
    rig.link.RSWrite("W182", "4660");
    EXPECT_EQ(rig.takeTrace(),
              Exchanges({{0xFF, 0x55}, {0x02, 0x55}, {0x00, 0x00}, {0xB6, 0xB6}, {0x34, 0x34},
                         {0x00, 0x00}, {0xB7, 0xB7}, {0x12, 0x12}}));
    EXPECT_EQ(rig.board.value("W182"), 4660u);
    EXPECT_FALSE(rig.link.WriteFailed());
    rig.link.RSWrite("B1003", "7");
    rig.link.RSWrite("B1003", "8");
    rig.link.RSRead("B1003");
    EXPECT_EQ(rig.takeCount(0xFF), 1) << "only the read after the writes handshakes";
    EXPECT_EQ(rig.link.CurrentMode(), 1);
}

TEST(RSCommProtocol, bitWriteReadsTheWholeByteTwiceFirstAndKeepsTheOtherBits) {
    OnlineRig rig;
    rig.board.poke(1016, 0x05);
    rig.link.RSWrite("B1016.3", "1");
    EXPECT_EQ(rig.takeTrace(),
              Exchanges({{0xFF, 0x55}, {0x01, 0x55}, {0x03, 0x03}, {0xF8, 0x05}, {0x03, 0x03},
                         {0xF8, 0x05}, {0xFF, 0x55}, {0x02, 0x55}, {0x03, 0x03}, {0xF8, 0xF8}, {0x0D, 0x0D}}));
    EXPECT_EQ(rig.board.peek(1016), 0x0D);

    rig.link.RSWrite("B1016.0", "0");
    EXPECT_EQ(rig.board.peek(1016), 0x0C);
    EXPECT_EQ(rig.link.RSRead("B1016.2"), "1");
    EXPECT_EQ(rig.link.RSRead("B1016.0"), "0");
}

TEST(RSCommProtocol, refusedEntriesShowTheirAlertAndSendNothing) {
    OnlineRig rig;
    rig.link.RSWrite("B1003", "256");
    rig.link.RSWrite("Q12", "1");
    const auto alert = [](const char* line) {
        return OkBox("ENTRY ALERT", {"Error:", line}, MessageIcon::Critical);
    };
    EXPECT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{alert("Entry out of Range (0-255)."),
                                           alert("Invalid Board Address (Q12).")}));
    EXPECT_EQ(rig.link.RSRead("W65535"), "0");
    EXPECT_TRUE(rig.takeTrace().empty());
    EXPECT_FALSE(rig.link.CommError);
}

// Double words travel as two decimal words: 6789 and 12345.
TEST(RSCommProtocol, everyByteValueAndDoubleWordsSurviveAWriteAndReadBack) {
    OnlineRig rig;
    rig.link.RSWrite("D1100", "123456789");
    EXPECT_EQ(rig.board.value("W1100"), 6789u);
    EXPECT_EQ(rig.board.value("W1102"), 12345u);
    EXPECT_EQ(rig.link.RSRead("D1100"), "123456789");
    for (int value = 0; value < 256; ++value) {
        const std::string address = "B" + std::to_string(2000 + value);
        rig.link.RSWrite(address, std::to_string(value));
        ASSERT_EQ(rig.link.RSRead(address), std::to_string(value));
    }
    rig.link.RSWrite("W255", "65535");
    EXPECT_EQ(rig.link.RSRead("W255"), "65535");
    EXPECT_FALSE(rig.link.CommError);
}

// Fault descriptions come from the support file, whatever the case of its name.
TEST(BoardIdentityLink, faultCodeAndFirmwareComeFromTheBoardOnlyWhileOnlineDescriptionsFromTheFile) {
    LinkRig rig;
    EXPECT_EQ(rig.link.FirmwareRev(), -1);
    EXPECT_EQ(rig.link.FaultDescription(10), "Fault Code (0AH): --- Fault File Not Found ---");
    EXPECT_TRUE(rig.board.trace().empty()) << "offline: no traffic";
    rig.home.write("support/faulterrcodes.TXT", "0a,Jam at infeed\r\n");
    EXPECT_EQ(rig.link.FaultDescription(10), "Fault Code (0AH): Jam at infeed");
    EXPECT_EQ(rig.link.FaultDescription(200), "Fault Code (C8H): ");
    EXPECT_TRUE(rig.prompt.requests().empty());

    rig.board.setValue("B8176", 0x42);
    rig.board.setValue("B8159", 17);
    rig.goOnline();
    EXPECT_EQ(rig.link.FaultCode(), 0x42);
    EXPECT_EQ(rig.link.FirmwareRev(), 17);
}

} // namespace
} // namespace quelby::test
