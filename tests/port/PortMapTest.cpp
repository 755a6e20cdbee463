#include "link/PortMap.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quelby {
namespace {

namespace fs = std::filesystem;

PortMap parsed(const std::string& text) {
    std::istringstream in(text);
    return PortMap::parse(in);
}

TEST(PortMap, listedNumbersTakeTheirDevicesAndTheRestDefaultToTtyS) {
    const PortMap map = parsed("# adapters on this desk\r\n"
                               "\n"
                               "  1 = /dev/ttyUSB0  # the mill\r\n"
                               "7=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\n"
                               "12=/dev/ttyUSB1\n"
                               "12=/dev/my#adapter\n"
                               "\t99=/dev/ttyACM0");
    EXPECT_EQ(map.deviceFor(1), "/dev/ttyUSB0");
    EXPECT_EQ(map.deviceFor(7), "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(map.deviceFor(12), "/dev/my#adapter");
    EXPECT_EQ(map.deviceFor(99), "/dev/ttyACM0");
    EXPECT_EQ(map.deviceFor(2), "/dev/ttyS1");
    EXPECT_FALSE(map.isListed(2));
    EXPECT_EQ(PortMap{}.deviceFor(1), "/dev/ttyS0");
    EXPECT_EQ(map.deviceFor(0), "");
    EXPECT_EQ(map.deviceFor(100), "");
}

TEST(PortMap, badLinesAreSkippedAndReadingIsBoundedInLineLengthAndFileSize) {
    const PortMap map = parsed("/dev/ttyUSB0\n0=/dev/ttyUSB0\n100=/dev/ttyUSB0\n-1=/dev/ttyUSB0\n"
                               "x=/dev/ttyUSB0\n1.5=/dev/ttyUSB0\n2=\n3=ttyUSB0\n# 4=/dev/ttyUSB0\n"
                               "5 /dev/ttyUSB0\n=/dev/ttyUSB0\n");
    for (int port = PortMap::FirstPort; port <= PortMap::LastPort; ++port)
        EXPECT_FALSE(map.isListed(port)) << port;

    const std::string longPath(PortMap::MaxLineLength, 'x');
    const PortMap longLines = parsed("1=/dev/" + longPath + "\n" + longPath + "\n2=/dev/ttyUSB1\n");
    EXPECT_FALSE(longLines.isListed(1));
    EXPECT_EQ(longLines.deviceFor(2), "/dev/ttyUSB1");

    std::string huge;
    while (huge.size() < PortMap::MaxFileBytes)
        huge += "# filler filler filler\n";
    EXPECT_FALSE(parsed(huge + "3=/dev/ttyUSB2\n").isListed(3));
}

TEST(PortMap, loadsTheFileAndTellsWhichDevicesExist) {
    test::TempFolder folder;
    const fs::path& home = folder.path();
    folder.write("support/serialports.cfg", "1=" + (home / "by-id-adapter").string() + "\n2=" +
                                                (home / "unplugged").string() +
                                                "\n3=/nonexistent/ttyUSB9\n");
    folder.write("adapter", "");
    fs::create_symlink(home / "adapter", home / "by-id-adapter");
    fs::create_symlink(home / "gone", home / "unplugged");

    const PortMap map = PortMap::load(PortMap::FileIn(home));
    EXPECT_TRUE(map.deviceExists(1)) << "a symlink to a present device";
    EXPECT_FALSE(map.deviceExists(2)) << "a symlink left dangling";
    EXPECT_FALSE(map.deviceExists(3));
    const auto entries = map.entries();
    ASSERT_EQ(entries.size(), 99u);
    EXPECT_EQ(entries[0].device, (home / "by-id-adapter").string());
    EXPECT_TRUE(entries[0].listed && entries[0].exists);
    EXPECT_EQ(entries[98].device, "/dev/ttyS98");
    EXPECT_FALSE(entries[98].listed);

    const PortMap missing = PortMap::load(home / "no-such.cfg");
    EXPECT_EQ(missing.deviceFor(1), "/dev/ttyS0");
}

} // namespace
} // namespace quelby
