#include "link/IntelHex.h"
#include "tests/link/ProgramRig.h"

#include <gtest/gtest.h>

#include <csignal>
#include <iterator>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace quelby::test {
namespace {

namespace fs = std::filesystem;

// The event hook runs through the settle and arming pauses, which keep their length and send
// nothing.
TEST(ProgramDownload, theSampleProgramGoesIntoTheBoardWithItsIdentityAndTheHookRunsThroughThePauses) {
    ProgramRig rig;
    std::vector<double> calls; // the clock at each call
    rig.link.SetEventHook([&] { calls.push_back(rig.clock.monotonicSeconds()); });
    rig.download();
    ASSERT_EQ(rig.prompt.requests().size(), 2u);
    EXPECT_EQ(rig.prompt.requests()[0].title, "Program Download - [QLBYDEMO]");
    EXPECT_EQ(rig.prompt.requests()[1],
              OkBox("Program Download", {"Program Download Complete!"}, MessageIcon::Information));
    rig.expectSampleIn([&](std::uint16_t address) { return rig.board.peek(address); });
    std::string ident;
    for (std::uint16_t a = 0xEFF0; a < 0xEFFA; ++a)
        ident += static_cast<char>(rig.board.peek(a));
    EXPECT_EQ(ident, "QLBYDEMO\xF6\x01") << "ident, checksum ?6, revision 01";
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.ValidProgram()) << "each download needs a fresh choice";
    EXPECT_FALSE(rig.link.InProgramMode());

    // The link's sleeps alone move the manual clock: the hook runs at least every 20 ms
    // through them. (The pauses' lengths, with nothing sent in them, are checked below.)
    ASSERT_GT(calls.size(), 100u);
    for (std::size_t i = 1; i < calls.size(); ++i)
        EXPECT_LE(calls[i] - calls[i - 1], 0.0201) << "call " << i;
}

TEST(ProgramDownload, withoutAValidChoiceOfflineOrAnsweredNoNothingIsSentButIdentityReads) {
    ProgramRig rig;
    rig.link.DumpProgram();
    EXPECT_EQ(rig.firstLineAt(0), "Currently Selected Program is Invalid.");
    rig.link.DownloadFile(rig.hbx());
    rig.link.OnlineMode = false;
    rig.link.DumpProgram();
    EXPECT_EQ(rig.firstLineAt(1), "Program is Currently OFFLINE.");
    EXPECT_TRUE(rig.takeTrace().empty());

    rig.link.OnlineMode = true;
    rig.download(MessageAnswer::No);
    EXPECT_EQ(rig.takeTrace().size(), 2u + 10u * 2u) << "handshake and ten reads";
    EXPECT_EQ(rig.prompt.requests().size(), 3u);
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.InProgramMode());
}

TEST(ProgramDownload, aCorruptRecordAnywhereRefusesTheWholeFileBeforeAnythingIsSent) {
    ProgramRig rig;
    std::string hex = rig.home.read("programs/K650DEMO.hex");
    // The last data record's checksum digit, just before its line end and the end record.
    char& digit = hex[hex.rfind(":00000001FF") - 3];
    digit = digit == '0' ? '1' : '0';
    rig.home.write("programs/K650DEMO.hex", hex);

    rig.download();
    EXPECT_EQ(rig.prompt.requests(),
              std::vector{OkBox("Program Dump",
                                {"Currently Selected Program is Invalid.", "", "Program Download Halted!"},
                                MessageIcon::Exclamation)});
    EXPECT_TRUE(rig.takeTrace().empty());
    EXPECT_TRUE(rig.link.OnlineMode);
}

// Losses in the handshake, in the identity's last read, in the first program read (its high
// and its low address byte) and in the middle of the memory.
TEST(ProgramUpload, aDownloadedProgramComesBackWithTheSameBytesAndRevisionFileDespiteALostByte) {
    for (const long lost : {-1L, 0L, 21L, 22L, 23L, 5000L}) {
        SCOPED_TRACE(lost);
        ProgramRig rig;
        rig.download();
        ASSERT_EQ(rig.firstLineAt(1), "Program Download Complete!");
        const fs::path copy = rig.home.path() / "programs" / "BACK.hbx";
        fs::copy_file(rig.hbx(), copy);
        if (lost >= 0) rig.board.loseByteAt(lost);
        rig.upload(copy);
        EXPECT_EQ(rig.lastFirstLine(), "Program Upload Complete!");
        EXPECT_FALSE(rig.link.InUploadMode);
        EXPECT_EQ(rig.board.lostBytes(), lost >= 0 ? 1 : 0);

        EXPECT_EQ(rig.home.read("programs/BACK.rev"), rig.home.read("programs/K650DEMO.rev"));
        const HexFileRead back = ReadIntelHexFile(rig.home.path() / "programs" / "BACK.hex");
        ASSERT_EQ(back.outcome, HexFileRead::Outcome::Read) << back.parse.error;
        ASSERT_EQ(back.parse.records.size(), 2048u + 1u) << "0x4000..0xBFFF in 16-byte records";
        std::vector<std::uint8_t> memory(0x10000);
        for (const auto& record : back.parse.records)
            for (std::size_t i = 0; i < record.data.size(); ++i)
                memory[record.address + i] = record.data[i];
        rig.expectSampleIn([&](std::uint16_t address) { return memory[address]; });
    }
}

// A board with configuration values: each of B8190, B8189 and B8188 lands at its own place
// in the configuration file (positions 36, 39 and 40 of its line).
TEST(ProgramUpload, theConfigurationValuesLandAtTheirOwnPlacesInTheConfigurationFile) {
    ProgramRig rig;
    rig.board.setValue("B8188", 10); // position 40: 2
    rig.board.setValue("B8189", 5);  // position 39: 5
    rig.board.setValue("B8190", 3);  // position 36: 1
    const fs::path hbx = rig.home.write("programs/CONF.hbx", "8\r\n");
    rig.upload(hbx);
    EXPECT_EQ(rig.lastFirstLine(), "Program Upload Complete!");
    const std::string line = rig.home.read("programs/CONF.lcf");
    ASSERT_GE(line.size(), 40u) << line;
    EXPECT_EQ(line.substr(35, 5), "10052") << line;
}

TEST(ProgramUpload, anUploadThatFailsHalfWayLeavesThePreviousFilesUntouched) {
    for (const bool unplugged : {true, false}) {
        ProgramRig rig;
        rig.home.write("programs/K650DEMO.hex", "previous hex");
        rig.home.write("programs/K650DEMO.rev", "previous rev");
        if (unplugged) {
            rig.port.setOnSend([&](long sent) {
                if (sent == 5000) rig.port.unplug();
            });
        } else {
            // The echo of the third identity byte's high address byte comes back altered on
            // both tries: handshake (2), two reads (4), the spoiled echo; then the new
            // handshake's first 0xFF ends the board's half-read request and the second one is
            // answered 0x55 (3).
            rig.board.corruptAnswerAt(2 + 4);
            rig.board.corruptAnswerAt(2 + 4 + 1 + 3);
        }
        rig.upload(rig.hbx());
        ASSERT_FALSE(rig.prompt.requests().empty());
        EXPECT_EQ(rig.prompt.requests().back(),
                  OkBox("Program Upload",
                        {"Program Upload Not Complete!", "", "HEX file not created."},
                        MessageIcon::Critical));
        EXPECT_EQ(rig.home.read("programs/K650DEMO.hex"), "previous hex");
        EXPECT_EQ(rig.home.read("programs/K650DEMO.rev"), "previous rev");
        EXPECT_EQ(rig.link.OnlineMode, !unplugged) << "a board that still answers stays online";
        EXPECT_FALSE(rig.link.InUploadMode);
    }
}

// A file-size limit stands in for a full disk; Windows has none to set.
#ifndef _WIN32
TEST(ProgramUpload, aFileThatCannotBeWrittenLeavesTheWholePreviousSetAsItWas) {
    ProgramRig rig;
    rig.home.write("programs/K650DEMO.hex", "previous hex");
    rig.home.write("programs/K650DEMO.rev", "previous rev");
    // A disk with room for the revision file but not for the hex file, as a size limit.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{4096, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    rig.upload(rig.hbx());
    setrlimit(RLIMIT_FSIZE, &old);
    (void)std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(rig.link.TransferSucceeded());
    ASSERT_FALSE(rig.prompt.requests().empty());
    EXPECT_EQ(rig.prompt.requests().back().title, "RSComm-Upload Program");
    EXPECT_EQ(rig.home.read("programs/K650DEMO.hex"), "previous hex");
    EXPECT_EQ(rig.home.read("programs/K650DEMO.rev"), "previous rev")
        << "no new rev beside the old hex";
    EXPECT_EQ(std::distance(fs::directory_iterator(rig.home.path() / "programs"), {}), 3)
        << "no file is left beside the three of the set";
}
#endif

// The way into and out of program mode during a download, byte for byte and on the fake
// clock, and the messages of each step that can fail.

// The sample program relabelled for board code 58 (':'), which takes a configuration:
// 1 at position 36, 5 at 39, 2 at 40. Its last record is one the board answers with the sum
// 0x00.
struct ConfigRig : ProgramRig {
    std::vector<double> receivedAt; // the clock at each byte the board received

    explicit ConfigRig(char boardCode = ':') {
        std::string hbx = home.read("programs/K650DEMO.hbx");
        hbx[0] = boardCode;
        home.write("programs/K650DEMO.hbx", hbx);
        std::string hex = home.read("programs/K650DEMO.hex");
        hex.insert(hex.rfind(":00000001FF"), ":01C000003F00\r\n");
        home.write("programs/K650DEMO.hex", hex);
        home.write("programs/K650DEMO.lcf", "@" + std::string(34, '0') + "10052000%");
        board.setTraceSink([this](const sim::TraceEntry&) {
            receivedAt.push_back(clock.monotonicSeconds());
        });
    }
};

// Handshake and ten identity reads come before the question.
constexpr std::size_t kBeforeQuestion = 2 + 10 * 2;

// After the last record, the 0xFF answered 0x55 that leaves program mode.
std::size_t ExitAt(const std::vector<sim::TraceEntry>& trace) {
    std::size_t exit = kBeforeQuestion + 22;
    while (exit < trace.size() && trace[exit] != sim::TraceEntry{0xFF, 0x55}) ++exit;
    return exit;
}

TEST(ProgramModeEntry, armsClearsTheFaultConfiguresAndOpensProgramModeWithItsPauses) {
    ConfigRig rig;
    rig.download();
    ASSERT_EQ(rig.lastFirstLine(), "Program Download Complete!");
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
    const std::size_t exit = ExitAt(trace);
    ASSERT_LT(exit + 1, trace.size());
    EXPECT_EQ(trace[exit + 1], (sim::TraceEntry{0xFF, 0x55})) << "handshake of the ident write";
    EXPECT_NEAR(rig.receivedAt[exit + 1] - rig.receivedAt[exit], 2.0, 1e-9);
}

TEST(ProgramModeEntry, everyBoardWithAConfigurationGetsItsThreeWritesAndNoOtherDoes) {
    // Codes 56, 58..61 and 65 take a configuration; 66 and 68 do not.
    for (const char code : {'8', '=', 'A', 'B', 'D'}) {
        ConfigRig rig(code);
        rig.download();
        ASSERT_EQ(rig.lastFirstLine(), "Program Download Complete!") << code;
        const bool configured = code != 'B' && code != 'D';
        EXPECT_EQ(rig.board.peek(8188), configured ? 10 : 0) << code;
        EXPECT_EQ(rig.board.peek(8189), configured ? 5 : 0) << code;
        EXPECT_EQ(rig.board.peek(8190), configured ? 3 : 0) << code;
    }
}

TEST(ProgramModeEntry, eachStepThatFailsSaysSoAndTheDownloadEndsNotComplete) {
    long exit = 0; // where program mode is left on a clean run
    {
        ConfigRig clean;
        clean.download();
        exit = static_cast<long>(ExitAt(clean.takeTrace()));
    }
    const auto box = [](const char* title, const char* line) {
        return OkBox(title, {line}, MessageIcon::Critical);
    };
    const MessageRequest notComplete = box("Program Download", "Program Download Not Complete!");
    const MessageRequest checksumError = OkBox(
        "Program Download", {"Checksum Error, Program Download Halted!"}, MessageIcon::Exclamation);
    enum class Spoil { Answer, Silence, RecordSum }; // the answer at `at`, all from `at` on
    struct Case {
        Spoil spoil;
        long at;
        std::vector<MessageRequest> last;
        int configured; // B8188 after the download
    };
    const Case cases[] = {
        {Spoil::Answer, exit, {box("Program Download", "PLC did not Exit Program Mode!")}, 10},
        {Spoil::Silence, exit + 1,
         {box("Program Download", "Could Not Send Program Ident and Revision to PLC!"),
          notComplete},
         10},
        {Spoil::Silence, static_cast<long>(kBeforeQuestion) + 9, // the configuration's write
         {box("Program Config Download", "Could Not Set Program Configuration in PLC!"),
          notComplete},
         0},
        {Spoil::RecordSum, 0, {checksumError}, 10},
        // No answer to the last record: a time-out is no sum, not even 0x00.
        {Spoil::Silence, exit - 1, {checksumError}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last.front().lines.front());
        ConfigRig rig;
        if (c.spoil == Spoil::Answer) rig.board.corruptAnswerAt(c.at);
        if (c.spoil == Spoil::Silence) rig.board.stopAnsweringAfter(c.at);
        if (c.spoil == Spoil::RecordSum) rig.programMode.spoilNextRecordSum();
        rig.download();
        const auto& asked = rig.prompt.requests();
        ASSERT_GT(asked.size(), c.last.size());
        EXPECT_EQ(std::vector(asked.end() - static_cast<long>(c.last.size()), asked.end()),
                  c.last);
        EXPECT_FALSE(rig.link.OnlineMode);
        EXPECT_FALSE(rig.link.InProgramMode());
        EXPECT_EQ(rig.board.peek(8188), c.configured);
    }
}

} // namespace
} // namespace quelby::test
