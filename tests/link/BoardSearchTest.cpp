#include "link/BoardSearch.h"
#include "sim/ManualClock.h"
#include "sim/SimBoard.h"
#include "sim/SimSerialPort.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

namespace quelby::test {
namespace {

// Devices served by simulated boards in the process, each spoilt as its name says.
struct SearchRig {
    sim::ManualClock clock;
    TempFolder home;
    std::map<std::string, std::unique_ptr<sim::SimBoard>> boards;
    std::map<std::string, std::unique_ptr<sim::SimSerialPort>> ports;

    sim::SimSerialPort& add(const std::string& device) {
        boards[device] = std::make_unique<sim::SimBoard>();
        ports[device] = std::make_unique<sim::SimSerialPort>(*boards[device], clock);
        return *ports[device];
    }
    std::vector<SearchResult> run(const std::vector<std::string>& devices) {
        std::vector<SearchDevice> list;
        for (const auto& device : devices) list.push_back({device, 0});
        // Each open of a device reaches the same simulated port, as reopening a real one does.
        struct Borrowed : SerialPort {
            explicit Borrowed(SerialPort& port) : m_port(port) {}
            bool open(const PortSettings& s, PortError& e) override { return m_port.open(s, e); }
            void close() override { m_port.close(); }
            bool isOpen() const override { return m_port.isOpen(); }
            int bytesWaiting() override { return m_port.bytesWaiting(); }
            void discardInput() override { m_port.discardInput(); }
            void sendByte(std::uint8_t value) override { m_port.sendByte(value); }
            int readByte() override { return m_port.readByte(); }
            bool waitForByte(double seconds) override { return m_port.waitForByte(seconds); }
            SerialPort& m_port;
        };
        BoardSearch search(
            clock, [this](const std::string& device) { return std::make_unique<Borrowed>(*ports.at(device)); },
            home.path());
        return search.run(list);
    }
};

// A device that answers late, answers wrongly, answers twice, vanishes while it is asked or
// cannot be opened is no board, has had the handshake byte at most once a speed, and never
// stops the search: the board behind them is still found.
TEST(BoardSearch, onlyAPromptSingleHandshakeAnswerIsABoardAndNothingElseStopsTheSearch) {
    SearchRig rig;
    rig.add("late").setExtraDelay(1.5);
    rig.add("wrong-first").board().corruptAnswerAt(0);
    sim::SimBoard& wrong = rig.add("wrong").board();
    wrong.corruptAnswerAt(0);
    wrong.corruptAnswerAt(1);
    auto& twice = rig.add("twice");
    twice.setOnSend([&](long) { twice.injectNoise(0x55); });
    auto& vanishing = rig.add("vanishing");
    vanishing.setOnSend([&](long) { vanishing.unplug(); });
    rig.add("missing").setMissing(true);
    rig.add("board").board().setValue("B8159", 23);

    const double started = rig.clock.monotonicSeconds();
    const auto results =
        rig.run({"late", "wrong-first", "wrong", "twice", "vanishing", "missing", "board"});
    using Outcome = SearchResult::Outcome;
    std::vector<std::tuple<const char*, Outcome, int>> expected = {
        {"late", Outcome::NoAnswer, 0},       {"wrong-first", Outcome::Board, 19200},
        {"wrong", Outcome::NoAnswer, 0},      {"twice", Outcome::NoAnswer, 0},
        {"vanishing", Outcome::NoAnswer, 0},  {"missing", Outcome::CannotOpen, 0},
        {"board", Outcome::Board, 9600}};
#ifdef _WIN32
    // Every COM number is tried there: one the machine does not have is left out.
    expected.erase(expected.begin() + 5);
#endif
    ASSERT_EQ(results.size(), expected.size());
    for (std::size_t i = 0; i < results.size(); ++i) {
        const auto& [device, outcome, baud] = expected[i];
        SCOPED_TRACE(device);
        EXPECT_EQ(results[i].where.device, device);
        EXPECT_EQ(results[i].outcome, outcome);
        EXPECT_EQ(results[i].baud, baud);
        if (outcome != Outcome::Board) {
            EXPECT_LE(rig.ports[device]->bytesSent(), 2) << "the handshake byte once a speed";
        }
    }
    EXPECT_EQ(results.back().firmwareRevision, 23);
    EXPECT_EQ(results.back().programRevision, 0);
#ifndef _WIN32
    EXPECT_FALSE(results[5].reason.empty());
#endif
    // A silent device costs the reply time-out at each speed, no more.
    EXPECT_LE(rig.clock.monotonicSeconds() - started, 7 * BoardSearch::SecondsPerSilentDevice());
}

} // namespace
} // namespace quelby::test
