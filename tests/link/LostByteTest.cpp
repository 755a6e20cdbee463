// A byte lost on its way to the board or an answer altered on its way back, at every position
// of a request: the link reports the right value or a failure, and the board never stores a
// byte it was not sent to store.
#include "tests/link/LinkRig.h"
#include "sim/SimPls.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace quelby::test {
namespace {

// Bytes 0..n of a clean request and a few beyond, so the repeated pass loses bytes too.
constexpr long kPositions = 24;

std::uint8_t Pattern(int address) { return static_cast<std::uint8_t>(address * 7 + 3); }

// A board with a known pattern in memory that records every byte a write stores.
struct LossRig : LinkRig {
    std::vector<std::pair<std::uint16_t, std::uint8_t>> stored;

    LossRig() {
        for (int a = 0; a < 0x10000; ++a) board.poke(static_cast<std::uint16_t>(a), Pattern(a));
        board.setWriteObserver([this](std::uint16_t address) {
            stored.emplace_back(address, board.peek(address));
        });
        goOnline();
    }
};

// After a read, the next one goes without a handshake; its echo comes back altered, its answer
// comes 1.5 s late (after the first resynchronisation has gone out), or its first answer comes
// twice. Such a read, and one that loses a byte, gives the right value or an untrusted zero.
TEST(LostByte, aReadGivesTheRightValueOrAnUntrustedZeroAndTheNextReadHandshakesAgain) {
    struct Fault {
        std::string name;
        std::function<void(LossRig&)> spoil;
        bool spoilsTheRead;
    };
    std::vector<Fault> faults = {{"altered", [](LossRig& r) { r.board.corruptAnswerAt(0); }, true},
                                 {"late", [](LossRig& r) { r.port.setExtraDelay(1.5); }, true},
                                 {"twice", [](LossRig& r) { r.port.injectNoise(0x00); }, true}};
    for (long at = 0; at < kPositions; ++at)
        faults.push_back(
            {"lost " + std::to_string(at), [at](LossRig& r) { r.board.loseByteAt(at); }, false});
    for (const char* address : {"B1016", "W182"}) {
        int failures = 0;
        for (const Fault& fault : faults) {
            SCOPED_TRACE(testing::Message() << address << " " << fault.name);
            LossRig rig;
            const std::string expected = std::to_string(*rig.board.value(address));
            if (fault.spoilsTheRead) rig.link.RSRead(address);
            fault.spoil(rig);
            RSComm::ReadResult read = rig.link.RSReadChecked(address);
            rig.port.setExtraDelay(0);
            EXPECT_FALSE(read.trusted && fault.spoilsTheRead) << "a spoiled read is never trusted";
            if (!read.trusted) {
                ++failures;
                EXPECT_EQ(read.text, "0");
                EXPECT_EQ(rig.link.CurrentMode(), 0);
                rig.clock.advance(3.0); // a late answer still on its way arrives and is dropped
                rig.board.clearTrace();
                read = rig.link.RSReadChecked(address);
                EXPECT_TRUE(read.trusted) << "the link recovers at the next read";
                EXPECT_EQ(rig.takeTrace().front().received, 0xFF) << "with a new handshake";
            }
            EXPECT_EQ(read.text, expected);
            EXPECT_FALSE(rig.link.CommError);
            EXPECT_TRUE(rig.stored.empty());
            EXPECT_TRUE(rig.prompt.requests().empty());
        }
        EXPECT_GT(failures, 3) << address << ": some losses must hit the read itself";
    }
}

// The read before a bit write has no echo to check its data byte by: an altered answer there
// would be written back with the other seven bits changed.
TEST(LostByte, aWriteStoresOnlyItsOwnBytesAndOneLostOrAlteredByteIsMendedByTheRepeat) {
    // The pattern holds 0xCB at 1016 and 0xFD 0x04 at 182: every case changes what it writes.
    struct Case {
        bool alter; // alter the answer rather than lose the byte
        const char* address;
        const char* value;
        std::map<std::uint16_t, std::uint8_t> wanted;
    };
    const Case cases[] = {{false, "B1016.2", "1", {{1016, 0xCF}}},
                          {true, "B1016.2", "1", {{1016, 0xCF}}},
                          {true, "B1016.3", "0", {{1016, 0xC3}}},
                          {false, "W182", "4660", {{182, 0x34}, {183, 0x12}}},
                          {true, "W182", "4660", {{182, 0x34}, {183, 0x12}}}};
    for (const Case& c : cases) {
        for (long at = 0; at < kPositions; ++at) {
            SCOPED_TRACE(testing::Message() << c.address << (c.alter ? " altered " : " lost ")
                                            << at);
            LossRig rig;
            c.alter ? rig.board.corruptAnswerAt(at) : rig.board.loseByteAt(at);
            rig.link.RSWrite(c.address, c.value);
            for (const auto& [address, value] : rig.stored) {
                ASSERT_TRUE(c.wanted.count(address)) << "stored at " << address;
                EXPECT_EQ(value, c.wanted.at(address));
            }
            EXPECT_TRUE(rig.link.WriteConfirmed()) << "one fault is always mended";
            EXPECT_FALSE(rig.link.CommError);
            // Every store passes the observer above, so only the wanted bytes can differ.
            for (const auto& [address, value] : c.wanted)
                EXPECT_EQ(rig.board.peek(address), value) << "byte " << address;
        }
    }
}

// The link with the PLS, each exchange taking its time on the line, so that a ready wait on a
// board answering 0x00 runs into its time-out as it would on a real line.
struct PlsLossRig : LinkRig {
    sim::SimPls pls;
    explicit PlsLossRig(long lost) {
        board.addHandler(pls);
        port.setEmulateLineSpeed(true);
        pls.setChannel(3, {{1, 5}, {0, 6}});
        goOnline();
        board.loseByteAt(lost);
    }
};

// PLS data bytes are all answered 0x55, so the 0xFF the link sends after a lost byte's time-out
// is taken as data and answered like any data byte: that answer confirms nothing. A setpoint
// pair and a configuration block each hold what they held or what was asked, never a setpoint
// nobody asked for nor bytes shifted into them.
TEST(LostByte, aPlsRequestIsCarriedOutAsAskedOrFailsWithoutValuesNobodyAskedFor) {
    const std::vector<sim::PlsSetpoint> asked = {{1, 10}, {0, 20}};
    RSComm::PlsConfigDownloadValues block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::int16_t>(i + 1);
    int failures = 0;
    for (long lost = 0; lost < 40; ++lost) {
        SCOPED_TRACE(lost);
        PlsLossRig rig(lost);
        const auto& channel = rig.pls.channel(3);
        if (rig.link.SingleSetpoint(3, 10, 20, true)) {
            EXPECT_EQ(channel, asked);
        } else {
            ++failures;
            const bool untouched = channel == std::vector<sim::PlsSetpoint>{{1, 5}, {0, 6}};
            EXPECT_TRUE(untouched || channel.empty() || channel == asked);
        }
        for (int other = 0; other < sim::SimPls::kChannelCount; ++other)
            EXPECT_EQ(rig.pls.channel(other).empty(), other != 3 || channel.empty()) << other;

        PlsLossRig config(lost);
        const auto before = config.pls.downloaded();
        const bool done = config.link.PLSConfigDownload(block, 360);
        for (std::size_t i = 0; i < block.size(); ++i) {
            const int held = config.pls.downloaded()[i];
            EXPECT_TRUE(held == block[i] || (!done && held == before[i])) << "block value " << i;
        }
    }
    EXPECT_GT(failures, 0);
}

} // namespace
} // namespace quelby::test
