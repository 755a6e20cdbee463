// quelby-bench-com --echo COMa --board COMb [--reads N]: on Windows, the board link's
// exchanges per second through the Win32 serial port against a board on COMb (quelby-sim
// with B1003=42, reached through a COM port), next to a bare Win32 one-byte ping-pong
// through COMa, whose far side echoes every byte.
#include "bench/BareComPingPong.h"
#include "bench/BenchPrompt.h"
#include "link/RSComm.h"
#include "link/SystemClock.h"
#include "link/UserPrompt.h"
#include "link/WindowsSerialPort.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace quelby;

namespace {

using bench::BenchPrompt;

[[noreturn]] void usage() {
    std::fprintf(stderr, "usage: quelby-bench-com --echo COMa --board COMb [--reads N]\n");
    std::exit(64);
}

} // namespace

int main(int argc, char** argv) {
    long reads = 2000;
    std::string echoPort, boardPort;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--reads" && i + 1 < argc) reads = std::atol(argv[++i]);
        else if (arg == "--echo" && i + 1 < argc) echoPort = argv[++i];
        else if (arg == "--board" && i + 1 < argc) boardPort = argv[++i];
        else usage();
    }
    if (reads < 1 || echoPort.empty() || boardPort.empty()) usage();

    const long exchanges = 2 * reads; // high address byte, then low byte answered by the data
    const double bareRate = bench::BareComExchangesPerSecond(echoPort, exchanges);
    if (bareRate < 0) {
        std::fprintf(stderr, "quelby-bench-com: the bare ping-pong through %s failed\n", echoPort.c_str());
        return 1;
    }

    const std::filesystem::path home = std::filesystem::temp_directory_path() / "quelby-bench-com";
    std::filesystem::create_directories(home);
    SystemClock clock;
    BenchPrompt prompt;
    RSComm link(clock, prompt, home);
    WindowsSerialPort port(PortMap{}, boardPort);
    link.OpenRSComm(port);
    if (!link.OnlineMode) return 1;
    link.RSRead("B1003"); // read mode entered before timing starts
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < reads; ++i) {
        const RSComm::ReadResult read = link.RSReadChecked("B1003");
        if (!read.trusted || read.text != "42" || link.CommError) {
            std::fprintf(stderr, "quelby-bench-com: read %ld failed (%s)\n", i, read.text.c_str());
            return 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    link.CloseRSComm();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);

    const double linkRate = static_cast<double>(exchanges) / seconds;
    std::printf("bare Win32 ping-pong    %9ld exchanges  %10.0f exchanges/s  (%.1f us each)\n",
                exchanges, bareRate, 1e6 / bareRate);
    std::printf("link reads (B1003)      %9ld exchanges  %10.0f exchanges/s  (%.1f us each, %ld reads in %.3f s)\n",
                exchanges, linkRate, 1e6 / linkRate, reads, seconds);
    std::printf("link / bare             %.2f\n", linkRate / bareRate);
    return 0;
}
