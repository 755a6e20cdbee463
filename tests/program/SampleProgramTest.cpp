#include "link/DownloadFileCheck.h"
#include "link/IntelHex.h"

#include <gtest/gtest.h>

namespace quelby {
namespace {

// The sample file set shipped for trying a download on the simulated board must itself be a
// valid K650(PLC) program whose revision checksum matches its data.
TEST(SampleProgram, isAValidK650ProgramWithinItsMemory) {
    const auto samples = std::filesystem::path(QUELBY_SOURCE_DIR) / "samples";
    const auto check = CheckDownloadFile(samples / "K650DEMO.hbx");
    EXPECT_TRUE(check.messages.empty());
    ASSERT_TRUE(check.selection.validProgram);
    EXPECT_EQ(check.selection.boardName, "K650(PLC)");

    const auto hex = ReadIntelHexFile(check.selection.files.hex);
    ASSERT_EQ(hex.outcome, HexFileRead::Outcome::Read) << hex.parse.error;
    const auto memory = ProgramMemoryOf(check.selection.boardType);
    unsigned sum = 0;
    for (const auto& record : hex.parse.records) {
        if (record.type != kHexDataRecord) continue;
        EXPECT_GE(record.address, memory.start);
        EXPECT_LE(record.address + record.length(), memory.start + memory.byteCount);
        for (auto b : record.data)
            sum += b;
    }
    EXPECT_EQ(check.selection.checksum, std::to_string(sum & 0xFF));
}

} // namespace
} // namespace quelby
