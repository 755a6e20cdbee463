// The way into and out of program mode during a download, byte for byte and on the fake
// clock, and the messages of each step that can fail.
#include "tests/link/ProgramRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

// The sample program relabelled for board code 58 (':'), which takes a configuration:
// 1 at position 36, 5 at 39, 2 at 40.
struct ConfigRig : ProgramRig {
    std::vector<double> receivedAt; // the clock at each byte the board received

    explicit ConfigRig(char boardCode = ':') {
        std::string hbx = home.read("programs/K650DEMO.hbx");
        hbx[0] = boardCode;
        home.write("programs/K650DEMO.hbx", hbx);
        home.write("programs/K650DEMO.lcf", "@" + std::string(34, '0') + "10052000%");
        board.setTraceSink([this](const sim::TraceEntry&) {
            receivedAt.push_back(clock.monotonicSeconds());
        });
    }
    std::vector<std::string> firstLines() const {
        std::vector<std::string> lines;
        for (const auto& request : prompt.requests()) lines.push_back(request.lines.at(0));
        return lines;
    }
};

// Handshake and ten identity reads come before the question.
constexpr std::size_t kBeforeQuestion = 2 + 10 * 2;

TEST(ProgramModeEntry, armsClearsTheFaultConfiguresAndOpensProgramModeWithItsPauses) {
    ConfigRig rig;
    rig.download();
    ASSERT_EQ(rig.firstLines().back(), "Program Download Complete!");
    const auto trace = rig.takeTrace();
    ASSERT_GT(trace.size(), kBeforeQuestion + 22);
    const std::vector<sim::TraceEntry> entry(trace.begin() + kBeforeQuestion,
                                             trace.begin() + kBeforeQuestion + 22);
    EXPECT_EQ(entry, Exchanges({{0xFF, 0x55}, {0x02, 0x55},             // write mode
                                {0x1F, 0x1F}, {0xF5, 0xF5}, {0x56, 0x56}, // B8181 = 86
                                {0x1F, 0x1F}, {0xF0, 0xF0}, {0x00, 0x00}, // B8176 = 0
                                {0xFF, 0x55},                             // after 0.1 s
                                {0xFF, 0x55}, {0x02, 0x55},               // write mode again
                                {0x1F, 0x1F}, {0xFC, 0xFC}, {0x0A, 0x0A}, // B8188 = 10
                                {0x1F, 0x1F}, {0xFD, 0xFD}, {0x05, 0x05}, // B8189 = 5
                                {0x1F, 0x1F}, {0xFE, 0xFE}, {0x03, 0x03}, // B8190 = 3
                                {0xFF, 0x55}, {0x03, 0x55}}));            // program mode
    const std::size_t pause = kBeforeQuestion + 8;
    EXPECT_NEAR(rig.receivedAt[pause] - rig.receivedAt[pause - 1], 0.1, 1e-9);

    // After the last record: 0xFF leaves program mode, 2.0 s later the identity goes in.
    std::size_t exit = kBeforeQuestion + 22;
    while (exit < trace.size() && !(trace[exit].received == 0xFF && trace[exit].answer == 0x55))
        ++exit;
    ASSERT_LT(exit + 1, trace.size());
    EXPECT_EQ(trace[exit + 1], (sim::TraceEntry{0xFF, 0x55})) << "handshake of the ident write";
    EXPECT_NEAR(rig.receivedAt[exit + 1] - rig.receivedAt[exit], 2.0, 1e-9);
    EXPECT_EQ(rig.board.peek(8188), 10);
}

TEST(ProgramModeEntry, everyBoardWithAConfigurationGetsItsThreeWritesAndNoOtherDoes) {
    // Codes 56, 58..61 and 65 take a configuration; 66 and 68 do not.
    for (const char code : {'8', ':', ';', '<', '=', 'A', 'B', 'D'}) {
        ConfigRig rig(code);
        rig.download();
        ASSERT_EQ(rig.firstLines().back(), "Program Download Complete!") << code;
        const bool configured = code != 'B' && code != 'D';
        EXPECT_EQ(rig.board.peek(8188), configured ? 10 : 0) << code;
        EXPECT_EQ(rig.board.peek(8189), configured ? 5 : 0) << code;
        EXPECT_EQ(rig.board.peek(8190), configured ? 3 : 0) << code;
    }
}

TEST(ProgramModeEntry, eachStepThatFailsSaysSoAndTheDownloadEndsNotComplete) {
    // Find where program mode is left on a clean run.
    std::size_t exit = 0;
    {
        ConfigRig clean;
        clean.download();
        const auto trace = clean.takeTrace();
        exit = kBeforeQuestion + 22;
        while (!(trace.at(exit).received == 0xFF && trace[exit].answer == 0x55)) ++exit;
    }
    {
        ConfigRig rig;
        rig.board.corruptAnswerAt(static_cast<long>(exit));
        rig.download();
        EXPECT_EQ(rig.firstLines().back(), "PLC did not Exit Program Mode!");
        EXPECT_EQ(rig.prompt.requests().back().icon, MessageIcon::Critical);
        EXPECT_FALSE(rig.link.OnlineMode);
    }
    {
        ConfigRig rig;
        rig.board.stopAnsweringAfter(static_cast<long>(exit) + 1);
        rig.download();
        const auto lines = rig.firstLines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 2], "Could Not Send Program Ident and Revision to PLC!");
        EXPECT_EQ(lines.back(), "Program Download Not Complete!");
        EXPECT_EQ(rig.prompt.requests().back().icon, MessageIcon::Critical);
        EXPECT_FALSE(rig.link.OnlineMode);
    }
    {
        ConfigRig rig;
        rig.board.stopAnsweringAfter(static_cast<long>(kBeforeQuestion) + 9); // the config's write
        rig.download();
        const auto lines = rig.firstLines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 2], "Could Not Set Program Configuration in PLC!");
        EXPECT_EQ(rig.prompt.requests()[lines.size() - 2].title, "Program Config Download");
        EXPECT_EQ(lines.back(), "Program Download Not Complete!");
        EXPECT_EQ(rig.board.peek(8188), 0) << "nothing of the configuration arrived";
    }
}

} // namespace
} // namespace quelby::test
