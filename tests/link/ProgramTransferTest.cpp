#include "IntelHex.h"
#include "LinkRig.h"
#include "SimProgramMode.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

namespace fs = std::filesystem;

// The link with a board that has program mode, and a copy of the sample program set.
struct ProgramRig : LinkRig {
    sim::SimProgramMode programMode{board};
    fs::path folder = home.path() / "programs";

    ProgramRig() {
        board.addHandler(programMode);
        fs::create_directories(folder);
        for (const char* name : {"K650DEMO.hbx", "K650DEMO.rev", "K650DEMO.hex"})
            fs::copy_file(fs::path(QUELBY_SAMPLES_DIR) / name, folder / name);
        goOnline();
    }
    fs::path hbx() const { return folder / "K650DEMO.hbx"; }
    std::vector<HexRecord> sampleRecords() const {
        return ReadIntelHexFile(fs::path(QUELBY_SAMPLES_DIR) / "K650DEMO.hex").parse.records;
    }
    std::string titleAt(std::size_t i) const { return prompt.requests().at(i).title; }
    std::string firstLineAt(std::size_t i) const { return prompt.requests().at(i).lines.at(0); }
};

TEST(ProgramDownload, theSampleProgramGoesIntoTheBoardWithItsIdentity) {
    ProgramRig rig;
    rig.link.DownloadFile(rig.hbx());
    ASSERT_TRUE(rig.link.ValidProgram());
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.link.DumpProgram();

    ASSERT_EQ(rig.prompt.requests().size(), 2u);
    EXPECT_EQ(rig.titleAt(0), "Program Download - [QLBYDEMO]");
    EXPECT_EQ(rig.prompt.requests()[1],
              (MessageRequest{"Program Download", {"Program Download Complete!"},
                              MessageButtons::OK, MessageIcon::Information}));
    for (const HexRecord& record : rig.sampleRecords())
        for (std::size_t i = 0; i < record.data.size(); ++i)
            ASSERT_EQ(rig.board.peek(static_cast<std::uint16_t>(record.address + i)), record.data[i]);
    const std::string ident = "QLBYDEMO";
    for (std::size_t i = 0; i < ident.size(); ++i)
        EXPECT_EQ(rig.board.peek(static_cast<std::uint16_t>(0xEFF0 + i)), ident[i]);
    EXPECT_EQ(rig.board.peek(0xEFF8), 0xF6) << "checksum ?6";
    EXPECT_EQ(rig.board.peek(0xEFF9), 0x01) << "revision 01";
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.ValidProgram()) << "each download needs a fresh choice";
    EXPECT_FALSE(rig.link.InProgramMode());
}

TEST(ProgramDownload, answeringNoSendsNothingAfterTheIdentityReads) {
    ProgramRig rig;
    rig.link.DownloadFile(rig.hbx());
    rig.prompt.answerNext(MessageAnswer::No);
    rig.link.DumpProgram();
    const auto trace = rig.takeTrace();
    // Handshake and ten reads of two exchanges.
    EXPECT_EQ(trace.size(), 2u + 10u * 2u);
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_TRUE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.InProgramMode());
}

TEST(ProgramDownload, aCorruptRecordAnywhereRefusesTheWholeFileBeforeAnythingIsSent) {
    for (const char* corruption : {"bad checksum", "no colon", "odd digits", "type 02"}) {
        ProgramRig rig;
        std::ifstream in(rig.folder / "K650DEMO.hex");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        in.close();
        std::string& last = lines.at(lines.size() - 2);
        const std::string what = corruption;
        if (what == "bad checksum") last.back() = last.back() == '0' ? '1' : '0';
        if (what == "no colon") last[0] = ';';
        if (what == "odd digits") last += "0";
        if (what == "type 02") last = ":020000020000FC";
        std::ofstream out(rig.folder / "K650DEMO.hex", std::ios::trunc);
        for (const auto& line : lines) out << line << "\r\n";
        out.close();

        rig.link.DownloadFile(rig.hbx());
        rig.prompt.answerNext(MessageAnswer::Yes);
        rig.link.DumpProgram();
        ASSERT_EQ(rig.prompt.requests().size(), 1u) << what;
        EXPECT_EQ(rig.prompt.requests()[0],
                  (MessageRequest{"Program Dump",
                                  {"Currently Selected Program is Invalid.", "",
                                   "Program Download Halted!"},
                                  MessageButtons::OK, MessageIcon::Exclamation}))
            << what;
        EXPECT_TRUE(rig.takeTrace().empty()) << what;
        EXPECT_TRUE(rig.link.OnlineMode) << what;
    }
}

TEST(ProgramDownload, aWrongRecordSumHaltsTheDownloadAndLeavesTheProgramOffline) {
    ProgramRig rig;
    rig.link.DownloadFile(rig.hbx());
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.programMode.spoilNextRecordSum();
    rig.link.DumpProgram();
    ASSERT_EQ(rig.prompt.requests().size(), 2u);
    EXPECT_EQ(rig.firstLineAt(1), "Checksum Error, Program Download Halted!");
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.InProgramMode());
}

TEST(ProgramDownload, offlineOrWithoutAValidChoiceNothingIsSent) {
    ProgramRig rig;
    rig.link.DumpProgram();
    EXPECT_EQ(rig.firstLineAt(0), "Currently Selected Program is Invalid.");
    rig.link.DownloadFile(rig.hbx());
    rig.link.OnlineMode = false;
    rig.link.DumpProgram();
    EXPECT_EQ(rig.firstLineAt(1), "Program is Currently OFFLINE.");
    EXPECT_TRUE(rig.takeTrace().empty());
}

TEST(ProgramUpload, aDownloadedProgramComesBackWithTheSameBytesAndRevisionFile) {
    ProgramRig rig;
    rig.link.DownloadFile(rig.hbx());
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.link.DumpProgram();
    ASSERT_EQ(rig.firstLineAt(1), "Program Download Complete!");

    const fs::path copy = rig.folder / "BACK.hbx";
    fs::copy_file(rig.hbx(), copy);
    rig.link.UploadFile(copy);
    rig.link.InUploadMode = true;
    rig.link.UploadProgram();
    EXPECT_EQ(rig.prompt.requests().back().lines.at(0), "Program Upload Complete!");
    EXPECT_FALSE(rig.link.InUploadMode);

    EXPECT_EQ(rig.home.read("programs/BACK.rev"), rig.home.read("programs/K650DEMO.rev"));
    const HexFileRead back = ReadIntelHexFile(rig.folder / "BACK.hex");
    ASSERT_EQ(back.outcome, HexFileRead::Outcome::Read) << back.parse.error;
    ASSERT_EQ(back.parse.records.size(), 2048u + 1u) << "0x4000..0xBFFF in 16-byte records";
    EXPECT_EQ(back.parse.records.front().address, 0x4000);
    EXPECT_EQ(back.parse.records[2047].address, 0xBFF0);
    std::vector<std::uint8_t> memory(0x10000);
    for (const auto& record : back.parse.records)
        for (std::size_t i = 0; i < record.data.size(); ++i) memory[record.address + i] = record.data[i];
    for (const HexRecord& record : rig.sampleRecords())
        for (std::size_t i = 0; i < record.data.size(); ++i)
            ASSERT_EQ(memory[record.address + i], record.data[i]);
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
              (MessageRequest{"Program Upload",
                              {"Program Upload Not Complete!", "", "HEX file not created."},
                              MessageButtons::OK, MessageIcon::Critical}));
    EXPECT_EQ(rig.home.read("programs/K650DEMO.hex"), "previous hex");
    EXPECT_EQ(rig.home.read("programs/K650DEMO.rev"), "previous rev");
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.link.InUploadMode);
}

} // namespace
} // namespace quelby::test
