#include "LinkRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

using sim::TraceEntry;

TEST(RSCommProtocol, readOfAWordFromNoModeMatchesTheBoardsByteForByte) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setValue("W182", 0x04D2);

    EXPECT_EQ(rig.link.RSRead("W182"), "1234");
    EXPECT_EQ(rig.takeTrace(), Exchanges({{0xFF, 0x55}, {0x01, 0x55}, {0x00, 0x00}, {0xB6, 0xD2},
                                          {0x00, 0x00}, {0xB7, 0x04}}));
}

TEST(RSCommProtocol, writeAfterAReadHandshakesIntoWriteModeAndSendsEachByteEchoed) {
    LinkRig rig;
    rig.goOnline();
    rig.link.RSRead("W182");
    rig.board.clearTrace();

    rig.link.RSWrite("W182", "1234");
    EXPECT_EQ(rig.takeTrace(),
              Exchanges({{0xFF, 0x55}, {0x02, 0x55}, {0x00, 0x00}, {0xB6, 0xB6}, {0xD2, 0xD2},
                         {0x00, 0x00}, {0xB7, 0xB7}, {0x04, 0x04}}));
    EXPECT_EQ(rig.board.value("W182"), 1234u);
    EXPECT_FALSE(rig.link.WriteFailed());
}

TEST(RSCommProtocol, theBoardKeepsItsModeSoOnlyAChangeOfModeHandshakes) {
    LinkRig rig;
    rig.goOnline();
    rig.link.RSRead("W182");
    rig.board.clearTrace();
    rig.link.RSRead("w182");
    EXPECT_EQ(rig.takeTrace().size(), 4u) << "a second read sends only the address bytes";

    auto handshakes = [&] {
        int count = 0;
        for (const auto& entry : rig.takeTrace()) count += entry.received == 0xFF;
        return count;
    };
    rig.link.RSWrite("B1003", "7");
    rig.link.RSRead("B1003");
    EXPECT_EQ(handshakes(), 2);
    EXPECT_EQ(rig.link.CurrentMode(), 1);

    LinkRig fresh;
    fresh.goOnline();
    fresh.link.RSRead("B1003");
    fresh.link.RSWrite("B1003", "9");
    fresh.link.RSRead("B1003");
    int count = 0;
    for (const auto& entry : fresh.takeTrace()) count += entry.received == 0xFF;
    EXPECT_EQ(count, 3);
}

TEST(RSCommProtocol, doubleWordsTravelAsTwoDecimalWords) {
    LinkRig rig;
    rig.goOnline();
    rig.link.RSWrite("D1100", "123456789");
    EXPECT_EQ(rig.board.peek(1100), 0x85);
    EXPECT_EQ(rig.board.peek(1101), 0x1A);
    EXPECT_EQ(rig.board.peek(1102), 0x39);
    EXPECT_EQ(rig.board.peek(1103), 0x30);
    EXPECT_EQ(rig.link.RSRead("D1100"), "123456789");

    for (int a = 1200; a < 1204; ++a) rig.board.poke(static_cast<std::uint16_t>(a), 0xFF);
    rig.board.poke(1200, 0x0F);
    rig.board.poke(1201, 0x27);
    EXPECT_EQ(rig.link.RSRead("D1200"), "655359999");
}

TEST(RSCommProtocol, bitWriteReadsTheWholeByteFirstAndKeepsTheOtherBits) {
    LinkRig rig;
    rig.goOnline();
    rig.board.poke(1016, 0x05);

    rig.link.RSWrite("B1016.3", "1");
    EXPECT_EQ(rig.takeTrace(),
              Exchanges({{0xFF, 0x55}, {0x01, 0x55}, {0x03, 0x03}, {0xF8, 0x05},
                         {0xFF, 0x55}, {0x02, 0x55}, {0x03, 0x03}, {0xF8, 0xF8}, {0x0D, 0x0D}}));
    EXPECT_EQ(rig.board.peek(1016), 0x0D);

    rig.link.RSWrite("B1016.0", "0");
    EXPECT_EQ(rig.board.peek(1016), 0x0C);
    EXPECT_EQ(rig.link.RSRead("B1016.2"), "1");
    EXPECT_EQ(rig.link.RSRead("B1016.0"), "0");
    rig.link.RSWrite("F119", "1");
    EXPECT_EQ(rig.board.peek(46), 0x80);
}

TEST(RSCommProtocol, refusedEntriesShowTheirAlertAndSendNothing) {
    LinkRig rig;
    rig.goOnline();
    struct Case {
        const char* address;
        const char* value;
        const char* message;
    };
    for (auto [address, value, message] :
         {Case{"W182", "-5", "Only Numerical Data Allowed."},
          Case{"B1016.0", "2", "Enter 0 or 1 Only."},
          Case{"B1003", "256", "Entry out of Range (0-255)."},
          Case{"W182", "65536", "Entry out of Range (0-65,535)."},
          Case{"D1100", "655360000", "Entry out of Range (0-655,359,999)."},
          Case{"Q12", "1", "Invalid Board Address (Q12)."}}) {
        rig.prompt.clear();
        rig.link.RSWrite(address, value);
        ASSERT_EQ(rig.prompt.requests().size(), 1u) << address << " " << value;
        EXPECT_EQ(rig.prompt.requests()[0],
                  (MessageRequest{"ENTRY ALERT", {"Error:", message}, MessageButtons::OK,
                                  MessageIcon::Critical}));
    }
    EXPECT_TRUE(rig.takeTrace().empty());
    EXPECT_EQ(rig.link.RSRead("B1016.8"), "0");
    EXPECT_EQ(rig.link.RSRead("W65535"), "0");
    EXPECT_TRUE(rig.takeTrace().empty());
    EXPECT_FALSE(rig.link.CommError);
}

TEST(RSCommProtocol, everyByteValueSurvivesAWriteAndReadBack) {
    LinkRig rig;
    rig.goOnline();
    for (int value = 0; value < 256; ++value) {
        const std::string address = "B" + std::to_string(2000 + value);
        rig.link.RSWrite(address, std::to_string(value));
        ASSERT_EQ(rig.link.RSRead(address), std::to_string(value));
    }
    rig.link.RSWrite("W255", "65535");
    EXPECT_EQ(rig.link.RSRead("W255"), "65535");
    EXPECT_FALSE(rig.link.CommError);
}

} // namespace
} // namespace quelby::test
