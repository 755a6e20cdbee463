#pragma once

#include "link/IntelHex.h"
#include "tests/link/LinkRig.h"
#include "sim/SimProgramMode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace quelby::test {

// The link with a board that has program mode, and a copy of the sample program set.
struct ProgramRig : LinkRig {
    sim::SimProgramMode programMode{board};

    ProgramRig() {
        board.addHandler(programMode);
        for (const char* name : {"K650DEMO.hbx", "K650DEMO.rev", "K650DEMO.hex"})
            home.write(std::filesystem::path("programs") / name,
                       ReadWholeFile(std::filesystem::path(QUELBY_SAMPLES_DIR) / name));
        goOnline();
    }
    std::filesystem::path hbx() const { return home.path() / "programs" / "K650DEMO.hbx"; }
    // Chooses the sample, answers the question with `answer` and downloads.
    void download(MessageAnswer answer = MessageAnswer::Yes) {
        link.DownloadFile(hbx());
        prompt.answerNext(answer);
        link.DumpProgram();
    }
    // Chooses the file set of `hbxFile` and uploads the board's program into it.
    void upload(const std::filesystem::path& hbxFile) {
        link.UploadFile(hbxFile);
        link.InUploadMode = true;
        link.UploadProgram();
    }
    // Every data byte of the sample program, as `memory` must hold it.
    void expectSampleIn(const std::function<std::uint8_t(std::uint16_t)>& memory) const {
        const auto sample =
            ReadIntelHexFile(std::filesystem::path(QUELBY_SAMPLES_DIR) / "K650DEMO.hex");
        for (const HexRecord& record : sample.parse.records)
            for (std::size_t i = 0; i < record.data.size(); ++i)
                ASSERT_EQ(memory(static_cast<std::uint16_t>(record.address + i)), record.data[i]);
    }
    std::string firstLineAt(std::size_t i) const { return prompt.requests().at(i).lines.at(0); }
    std::string lastFirstLine() const { return prompt.requests().back().lines.at(0); }
};

} // namespace quelby::test
