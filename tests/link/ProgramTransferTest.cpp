#include "link/IntelHex.h"
#include "tests/link/ProgramRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace quelby::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramDownload, theSampleProgramGoesIntoTheBoardWithItsIdentity) {
    ProgramRig rig;
    rig.download();
    ASSERT_EQ(rig.prompt.requests().size(), 2u);
    EXPECT_EQ(rig.prompt.requests()[0].title, "Program Download - [QLBYDEMO]");
    EXPECT_EQ(rig.prompt.requests()[1],
              OkBox("Program Download", {"Program Download Complete!"}, MessageIcon::Information));
    rig.expectSampleIn([&](std::uint16_t address) { return rig.board.peek(address); });
    const std::string ident = "QLBYDEMO";
    for (std::size_t i = 0; i < ident.size(); ++i)
        EXPECT_EQ(rig.board.peek(static_cast<std::uint16_t>(0xEFF0 + i)), ident[i]);
    EXPECT_EQ(rig.board.peek(0xEFF8), 0xF6) << "checksum ?6";
    EXPECT_EQ(rig.board.peek(0xEFF9), 0x01) << "revision 01";
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.ValidProgram()) << "each download needs a fresh choice";
    EXPECT_FALSE(rig.link.InProgramMode());
}

TEST(ProgramDownload, theHookRunsThroughBothPausesWhichKeepTheirLengthAndSendNothing) {
    ProgramRig rig;
    struct Call {
        double seconds;
        std::size_t bytes;
    };
    std::vector<Call> calls;
    rig.link.SetEventHook(
        [&] { calls.push_back({rig.clock.monotonicSeconds(), rig.board.trace().size()}); });
    rig.download();
    ASSERT_EQ(rig.firstLineAt(1), "Program Download Complete!");

    // The link's sleeps are the only thing that moves the manual clock between hook calls
    // that saw no new byte: no stretch of them may go without the hook.
    double quietSince = calls.front().seconds;
    std::vector<double> quietStretches;
    for (std::size_t i = 1; i < calls.size(); ++i) {
        if (calls[i].bytes != calls[i - 1].bytes) {
            quietStretches.push_back(calls[i - 1].seconds - quietSince);
            quietSince = calls[i].seconds;
            continue;
        }
        EXPECT_LE(calls[i].seconds - calls[i - 1].seconds, 0.0201) << "call " << i;
    }
    quietStretches.push_back(calls.back().seconds - quietSince);
    std::sort(quietStretches.begin(), quietStretches.end());
    ASSERT_GE(quietStretches.size(), 2u);
    // The 2 s settle pause and the 0.1 s arming pause, each ending on its last slice.
    EXPECT_NEAR(quietStretches.back(), 2.0 - 0.02, 1e-6);
    EXPECT_NEAR(quietStretches[quietStretches.size() - 2], 0.1 - 0.02, 1e-6);
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

TEST(ProgramDownload, aWrongRecordSumHaltsTheDownloadAndLeavesTheProgramOffline) {
    ProgramRig rig;
    rig.programMode.spoilNextRecordSum();
    rig.download();
    ASSERT_EQ(rig.prompt.requests().size(), 2u);
    EXPECT_EQ(rig.firstLineAt(1), "Checksum Error, Program Download Halted!");
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.InProgramMode());
}

TEST(ProgramUpload, aDownloadedProgramComesBackWithTheSameBytesAndRevisionFile) {
    ProgramRig rig;
    rig.download();
    ASSERT_EQ(rig.firstLineAt(1), "Program Download Complete!");

    const fs::path copy = rig.home.path() / "programs" / "BACK.hbx";
    fs::copy_file(rig.hbx(), copy);
    rig.link.UploadFile(copy);
    rig.link.InUploadMode = true;
    rig.link.UploadProgram();
    EXPECT_EQ(rig.prompt.requests().back().lines.at(0), "Program Upload Complete!");
    EXPECT_FALSE(rig.link.InUploadMode);

    EXPECT_EQ(rig.home.read("programs/BACK.rev"), rig.home.read("programs/K650DEMO.rev"));
    const HexFileRead back = ReadIntelHexFile(rig.home.path() / "programs" / "BACK.hex");
    ASSERT_EQ(back.outcome, HexFileRead::Outcome::Read) << back.parse.error;
    ASSERT_EQ(back.parse.records.size(), 2048u + 1u) << "0x4000..0xBFFF in 16-byte records";
    std::vector<std::uint8_t> memory(0x10000);
    for (const auto& record : back.parse.records)
        for (std::size_t i = 0; i < record.data.size(); ++i) memory[record.address + i] = record.data[i];
    rig.expectSampleIn([&](std::uint16_t address) { return memory[address]; });
}

TEST(ProgramUpload, aLinkFailureHalfWayLeavesThePreviousFilesUntouched) {
    ProgramRig rig;
    rig.home.write("programs/K650DEMO.hex", "previous hex");
    rig.home.write("programs/K650DEMO.rev", "previous rev");
    rig.link.UploadFile(rig.hbx());
    rig.link.InUploadMode = true;
    rig.port.setOnSend([&](long sent) {
        if (sent == 5000) rig.port.unplug();
    });
    rig.link.UploadProgram();
    ASSERT_FALSE(rig.prompt.requests().empty());
    EXPECT_EQ(rig.prompt.requests().back(),
              OkBox("Program Upload", {"Program Upload Not Complete!", "", "HEX file not created."},
                    MessageIcon::Critical));
    EXPECT_EQ(rig.home.read("programs/K650DEMO.hex"), "previous hex");
    EXPECT_EQ(rig.home.read("programs/K650DEMO.rev"), "previous rev");
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.InUploadMode);
}

// A file-size limit stands in for a full disk; Windows has none to set.
#ifndef _WIN32
TEST(ProgramUpload, aFileThatCannotBeWrittenLeavesTheWholePreviousSetAsItWas) {
    ProgramRig rig;
    rig.home.write("programs/K650DEMO.hex", "previous hex");
    rig.home.write("programs/K650DEMO.rev", "previous rev");
    rig.link.UploadFile(rig.hbx());
    rig.link.InUploadMode = true;
    // A disk with room for the revision file but not for the hex file, as a size limit.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{4096, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    rig.link.UploadProgram();
    setrlimit(RLIMIT_FSIZE, &old);
    (void)std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(rig.link.TransferSucceeded());
    ASSERT_FALSE(rig.prompt.requests().empty());
    EXPECT_EQ(rig.prompt.requests().back().title, "RSComm-Upload Program");
    EXPECT_EQ(rig.home.read("programs/K650DEMO.hex"), "previous hex");
    EXPECT_EQ(rig.home.read("programs/K650DEMO.rev"), "previous rev") << "no new rev beside the old hex";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(rig.home.path() / "programs"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"K650DEMO.hbx", "K650DEMO.hex", "K650DEMO.rev"}));
}
#endif

} // namespace
} // namespace quelby::test
