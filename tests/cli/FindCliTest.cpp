#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace quelby::test {
namespace {

// Boards at either speed, a silent device and one that is no serial port, under the names
// an adapter's device would have; the port map numbers one of them. The native program runs:
// the Windows build searches COM ports.
TEST(CliFind, listsEachBoardWithItsSpeedAndEveryOtherDeviceWithItsReason) {
    TempFolder home;
    SimProcess slow({"--baud", "9600"});
    SimProcess fast({"--baud", "19200", "--still", "--set", "B8159=7"});
    SimProcess silent({"--silent", "--baud", "9600", "--trace", (home.path() / "silent.trace").string()});
    const std::filesystem::path dev = home.path() / "dev";
    std::filesystem::create_directories(dev / "serial" / "by-id");
    std::filesystem::create_symlink(slow.devicePath(), dev / "serial" / "by-id" / "usb-FTDI_A1-port0");
    std::filesystem::create_symlink(slow.devicePath(), dev / "ttyUSB0");
    std::filesystem::create_symlink(fast.devicePath(), dev / "ttyACM0");
    std::filesystem::create_symlink(silent.devicePath(), dev / "ttyS0");
    std::filesystem::create_directories(dev / "ttyS1"); // not a serial port
    home.write("Support/SerialPorts.cfg", "5=" + (dev / "ttyUSB0").string() + "\r\n");
    ::setenv("QUELBY_DEVICE_FOLDER", dev.c_str(), 1);
    const auto find = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.path().string(), "find"});
        return SimProcess::runProgram(QUELBY_CLI_PROGRAM, args, 120.0);
    };
    const SimProcess::Outcome found = find({});
    const std::string d = dev.string();
    EXPECT_EQ(found.out,
              "port 5 " + d + "/serial/by-id/usb-FTDI_A1-port0: board at 9600 baud, program "
              "K650SIM revision 18, firmware revision 23\n" +
              d + "/ttyACM0: board at 19200 baud, no program ident, firmware revision 7\n" +
              d + "/ttyS0: no board (no answer to the handshake at 9600 or 19200 baud)\n" +
              d + "/ttyS1: cannot be opened: " + d + "/ttyS1 could not be opened: Is a directory.\n");
    EXPECT_EQ(found.status, 0) << found.err;

    const SimProcess::Outcome json = find({"--json"});
    EXPECT_NE(json.out.find("{\"device\":\"" + d + "/ttyACM0\",\"board\":true,\"baud\":19200,"
                            "\"programIdent\":\"\",\"programRevision\":0,\"firmwareRevision\":7}"),
              std::string::npos)
        << json.out;
    EXPECT_TRUE(json.out.starts_with("[{") && json.out.ends_with("}]\n")) << "one array";

    // No board anywhere, then no device that could be tried. The boards' links go with them:
    // a stopped board's terminal may be handed to a board of another test meanwhile.
    for (const char* link : {"serial/by-id/usb-FTDI_A1-port0", "ttyUSB0", "ttyACM0"})
        std::filesystem::remove(dev / link);
    EXPECT_EQ(find({}).status, 1);
    silent.stop();
    EXPECT_EQ(home.read("silent.trace"), "FF --\nFF --\nFF --\n") << "one handshake byte a search";
    std::filesystem::remove_all(dev);
    std::filesystem::create_directories(dev);
    const SimProcess::Outcome none = find({});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "quelby-cli: this machine has no serial device to try.\n");
    ::unsetenv("QUELBY_DEVICE_FOLDER");
}

} // namespace
} // namespace quelby::test
