#include "tests/link/LinkRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

TEST(BoardIdentityLink, faultCodeAndFirmwareComeFromTheBoardOnlyWhileOnline) {
    LinkRig rig;
    EXPECT_EQ(rig.link.FirmwareRev(), -1);
    EXPECT_TRUE(rig.board.trace().empty()) << "offline: no traffic";

    rig.board.setValue("B8176", 0x42);
    rig.board.setValue("B8159", 17);
    rig.goOnline();
    EXPECT_EQ(rig.link.FaultCode(), 0x42);
    EXPECT_EQ(rig.link.FirmwareRev(), 17);
}

TEST(BoardIdentityLink, faultDescriptionsComeFromTheSupportFileWhateverItsCase) {
    LinkRig rig;
    EXPECT_EQ(rig.link.FaultDescription(10), "Fault Code (0AH): --- Fault File Not Found ---");
    rig.home.write("support/faulterrcodes.TXT", "01, \"Low air, check supply\"\r\n0a,Jam at infeed\r\n");
    EXPECT_EQ(rig.link.FaultDescription(10), "Fault Code (0AH): Jam at infeed");
    EXPECT_EQ(rig.link.FaultDescription(1), "Fault Code (01H): Low air, check supply");
    EXPECT_EQ(rig.link.FaultDescription(200), "Fault Code (C8H): ");
    EXPECT_TRUE(rig.prompt.requests().empty());
}

} // namespace
} // namespace quelby::test
