// A byte lost on its way to the board, at every position of a request: the link reports the
// right value or a failure, and the board never stores a byte it was not sent to store.
#include "tests/link/ProgramRig.h"
#include "sim/SimPls.h"

#include <gtest/gtest.h>

#include <set>

namespace quelby::test {
namespace {

// Bytes 0..n of a clean request and a few beyond, so the repeated pass loses bytes too.
constexpr long kPositions = 24;

// A board with a known pattern in memory that records every byte a write stores.
struct LossRig : LinkRig {
    std::vector<std::pair<std::uint16_t, std::uint8_t>> stored;

    explicit LossRig(long lostAt) {
        for (int a = 0; a < 0x10000; ++a)
            board.poke(static_cast<std::uint16_t>(a), static_cast<std::uint8_t>(a * 7 + 3));
        board.setWriteObserver([this](std::uint16_t address) {
            stored.emplace_back(address, board.peek(address));
        });
        goOnline();
        board.loseByteAt(lostAt);
    }
    // Every byte outside `allowed` still holds its pattern.
    void expectUntouchedBut(const std::set<std::uint16_t>& allowed) const {
        for (int a = 0; a < 0x10000; ++a) {
            if (allowed.count(static_cast<std::uint16_t>(a))) continue;
            ASSERT_EQ(board.peek(static_cast<std::uint16_t>(a)), static_cast<std::uint8_t>(a * 7 + 3))
                << "byte " << a;
        }
    }
};

TEST(LostByte, aByteReadOrAWordReadGivesTheRightValueOrAnUntrustedZero) {
    for (const char* address : {"B1016", "W182"}) {
        int failures = 0;
        for (long lost = 0; lost < kPositions; ++lost) {
            LossRig rig(lost);
            const std::uint32_t expected = *rig.board.value(address);
            RSComm::ReadResult read = rig.link.RSReadChecked(address);
            if (read.trusted) {
                EXPECT_EQ(read.text, std::to_string(expected)) << address << " lost " << lost;
            } else {
                ++failures;
                EXPECT_EQ(read.text, "0");
                read = rig.link.RSReadChecked(address);
                EXPECT_TRUE(read.trusted) << "the link recovers at the next read";
                EXPECT_EQ(read.text, std::to_string(expected));
            }
            EXPECT_FALSE(rig.link.CommError);
            EXPECT_TRUE(rig.stored.empty());
            EXPECT_TRUE(rig.prompt.requests().empty());
        }
        EXPECT_GT(failures, 0) << address << ": some losses must hit the read itself";
    }
}

TEST(LostByte, aBitWriteSetsOnlyItsBitOrWritesNothingAndSaysSo) {
    for (long lost = 0; lost < kPositions; ++lost) {
        LossRig rig(lost);
        const std::uint8_t before = rig.board.peek(1016);
        const auto wanted = static_cast<std::uint8_t>(before | 0x08);
        rig.link.RSWrite("B1016.3", "1");
        for (const auto& [address, value] : rig.stored) {
            EXPECT_EQ(address, 1016) << "lost " << lost;
            EXPECT_EQ(value, wanted) << "lost " << lost << ": the other seven bits stay";
        }
        if (rig.link.WriteConfirmed()) EXPECT_EQ(rig.board.peek(1016), wanted) << lost;
        else EXPECT_EQ(rig.board.peek(1016), before) << lost;
        rig.expectUntouchedBut({1016});
    }
}

TEST(LostByte, aWordWriteStoresOnlyItsTwoBytesAndIsConfirmedOnlyWhenTheyAreThere) {
    int confirmed = 0;
    for (long lost = 0; lost < kPositions; ++lost) {
        LossRig rig(lost);
        rig.link.RSWrite("W182", "1234");
        for (const auto& [address, value] : rig.stored) {
            ASSERT_TRUE(address == 182 || address == 183) << "lost " << lost << " at " << address;
            EXPECT_EQ(value, address == 182 ? 0xD2 : 0x04) << "lost " << lost;
        }
        if (rig.link.WriteConfirmed()) {
            ++confirmed;
            EXPECT_EQ(rig.board.value("W182"), 1234u) << lost;
        }
        EXPECT_FALSE(rig.link.CommError);
        rig.expectUntouchedBut({182, 183});
    }
    EXPECT_EQ(confirmed, kPositions) << "one loss is always mended by the repeated write";
}

TEST(LostByte, aProgramUploadReadsEveryByteRightOrEndsNotCompleteWithoutFiles) {
    // Losses in the identity, at the first program byte and in the middle of the memory.
    for (const long lost : {0L, 3L, 21L, 22L, 23L, 5000L}) {
        ProgramRig rig;
        rig.download();
        ASSERT_EQ(rig.firstLineAt(1), "Program Download Complete!");
        rig.home.write("programs/BACK.hbx", rig.home.read("programs/K650DEMO.hbx"));
        rig.link.UploadFile(rig.home.path() / "programs" / "BACK.hbx");
        rig.link.InUploadMode = true;
        rig.board.loseByteAt(lost);
        rig.link.UploadProgram();
        EXPECT_EQ(rig.prompt.requests().back().lines.at(0), "Program Upload Complete!") << lost;
        EXPECT_EQ(rig.home.read("programs/BACK.rev"), rig.home.read("programs/K650DEMO.rev"));
        const HexFileRead back = ReadIntelHexFile(rig.home.path() / "programs" / "BACK.hex");
        ASSERT_EQ(back.outcome, HexFileRead::Outcome::Read);
        std::vector<std::uint8_t> memory(0x10000);
        for (const auto& record : back.parse.records)
            for (std::size_t i = 0; i < record.data.size(); ++i)
                memory[record.address + i] = record.data[i];
        rig.expectSampleIn([&](std::uint16_t address) { return memory[address]; });
        EXPECT_EQ(rig.board.lostBytes(), 1);
    }
}

TEST(LostByte, anUploadWhoseByteIsSpoiledTwiceEndsNotCompleteAndKeepsThePreviousFiles) {
    ProgramRig rig;
    rig.home.write("programs/K650DEMO.hex", "previous hex");
    rig.home.write("programs/K650DEMO.rev", "previous rev");
    rig.link.UploadFile(rig.hbx());
    rig.link.InUploadMode = true;
    // The echo of the third identity byte's high address byte comes back altered on both
    // tries: handshake (2), two reads (4), the spoiled echo; then the new handshake's first
    // 0xFF ends the board's half-read request and the second one is answered 0x55 (3).
    rig.board.corruptAnswerAt(2 + 4);
    rig.board.corruptAnswerAt(2 + 4 + 1 + 3);
    rig.link.UploadProgram();
    EXPECT_EQ(rig.prompt.requests().back(),
              OkBox("Program Upload", {"Program Upload Not Complete!", "", "HEX file not created."},
                    MessageIcon::Critical));
    EXPECT_EQ(rig.home.read("programs/K650DEMO.hex"), "previous hex");
    EXPECT_EQ(rig.home.read("programs/K650DEMO.rev"), "previous rev");
    EXPECT_TRUE(rig.link.OnlineMode) << "the board still answers";
    EXPECT_FALSE(rig.link.InUploadMode);
}

// The read before a bit write has no echo to check its data byte by: an altered answer there
// would be written back with the other seven bits changed.
TEST(AlteredAnswer, aBitWriteChangesOnlyItsBitWhicheverAnswerComesBackAltered) {
    int confirmed = 0;
    for (long altered = 0; altered < 24; ++altered) {
        LinkRig rig;
        rig.board.poke(1016, 0x90);
        rig.goOnline();
        rig.board.corruptAnswerAt(altered);
        rig.link.RSWrite("B1016.3", "1");
        const std::uint8_t now = rig.board.peek(1016);
        EXPECT_TRUE(now == 0x98 || now == 0x90) << "altered " << altered << ": " << int(now);
        if (rig.link.WriteConfirmed()) {
            ++confirmed;
            EXPECT_EQ(now, 0x98) << "altered " << altered;
        }
        for (int a = 0; a < 0x10000; ++a) {
            if (a == 1016) continue;
            ASSERT_EQ(rig.board.peek(static_cast<std::uint16_t>(a)), 0) << "altered " << altered;
        }
    }
    EXPECT_EQ(confirmed, 24) << "one altered answer is always mended by the repeated write";
}

// PLS data bytes are all answered 0x55, so the 0xFF the link sends after a lost byte's time-out
// is taken as data and answered like any data byte: that answer confirms nothing.
TEST(LostByte, aPlsSetpointIsProgrammedAsAskedOrFailsWithoutASetpointNobodyAskedFor) {
    const std::vector<sim::PlsSetpoint> asked = {{1, 10}, {0, 20}};
    int failures = 0;
    for (long lost = 0; lost < 40; ++lost) {
        LinkRig rig;
        sim::SimPls pls;
        rig.board.addHandler(pls);
        // Each exchange takes its time on the line, so that a ready wait on a board answering
        // 0x00 runs into its time-out as it would on a real line.
        rig.port.setEmulateLineSpeed(true);
        pls.setChannel(3, {{1, 5}, {0, 6}});
        rig.goOnline();
        rig.board.loseByteAt(lost);
        const bool done = rig.link.SingleSetpoint(3, 10, 20, true);
        const auto& channel = pls.channel(3);
        if (done) {
            EXPECT_EQ(channel, asked) << "lost " << lost;
        } else {
            ++failures;
            const bool untouched = channel == std::vector<sim::PlsSetpoint>{{1, 5}, {0, 6}};
            const bool cleared = channel.empty();
            EXPECT_TRUE(untouched || cleared || channel == asked) << "lost " << lost;
        }
        for (int other = 0; other < sim::SimPls::kChannelCount; ++other) {
            if (other == 3) continue;
            EXPECT_TRUE(pls.channel(other).empty()) << "lost " << lost;
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(LostByte, aPlsConfigurationBlockHoldsWhatItHeldOrWhatWasAskedNeverBytesShiftedIntoIt) {
    RSComm::PlsConfigDownloadValues asked{};
    for (std::size_t i = 0; i < asked.size(); ++i) asked[i] = static_cast<std::int16_t>(i + 1);
    for (long lost = 0; lost < 40; ++lost) {
        LinkRig rig;
        sim::SimPls pls;
        rig.board.addHandler(pls);
        rig.port.setEmulateLineSpeed(true);
        rig.goOnline();
        const auto before = pls.downloaded();
        rig.board.loseByteAt(lost);
        const bool done = rig.link.PLSConfigDownload(asked, 360);
        for (std::size_t i = 0; i < asked.size(); ++i) {
            const int held = pls.downloaded()[i];
            if (done) EXPECT_EQ(held, asked[i]) << "lost " << lost << " at " << i;
            else EXPECT_TRUE(held == asked[i] || held == before[i]) << "lost " << lost << " at " << i;
        }
    }
}

} // namespace
} // namespace quelby::test
