// Measures the board link's exchanges per second through the real serial port against
// quelby-sim on a pseudo-terminal, next to a bare pty ping-pong and, with --baud, against the
// time the wire itself needs (two 10-bit bytes per exchange).
#include "bench/BarePtyPingPong.h"
#include "bench/BenchSupport.h"
#include "link/PosixSerialPort.h"
#include "link/RSComm.h"
#include "tests/support/SimProcess.h"
#include "link/SystemClock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

using namespace quelby;

namespace {

void usage() {
    std::fprintf(stderr, "usage: quelby-bench-link [--reads N] [--baud 9600|19200] [--still]"
                         " [--trace FILE] [--loss P]\n");
    std::exit(64);
}

} // namespace

int main(int argc, char** argv) {
    long reads = 10000;
    int baud = 0;
    bool still = false;
    std::string tracePath;
    std::string loss;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--reads" && i + 1 < argc) reads = std::atol(argv[++i]);
        else if (arg == "--baud" && i + 1 < argc) baud = std::atoi(argv[++i]);
        else if (arg == "--still") still = true;
        else if (arg == "--trace" && i + 1 < argc) tracePath = argv[++i];
        else if (arg == "--loss" && i + 1 < argc) loss = argv[++i];
        else usage();
    }
    if (reads < 1 || (baud != 0 && baud != 9600 && baud != 19200)) usage();

    const long bareExchanges = 2 * reads;
    const double bareRate = bench::BarePtyExchangesPerSecond(bareExchanges);
    if (bareRate < 0) {
        std::fprintf(stderr, "quelby-bench-link: the bare pty ping-pong failed\n");
        return 1;
    }

    std::vector<std::string> simArgs{"--set", "B1003=42"};
    if (baud) simArgs.insert(simArgs.end(), {"--baud", std::to_string(baud)});
    if (still) simArgs.push_back("--still"); // no line running behind the board
    if (!loss.empty()) simArgs.insert(simArgs.end(), {"--loss", loss}); // bytes lost on the line
    test::SimProcess sim(simArgs);

    bench::ScratchFolder home("quelby-bench-" + std::to_string(getpid()));
    SystemClock clock;
    bench::BenchPrompt prompt;
    RSComm link(clock, prompt, home.path());
    if (baud) link.OverrideSettings(std::nullopt, std::to_string(baud));
    PosixSerialPort port(PortMap{}, sim.devicePath());
    std::unique_ptr<FileLinkTrace> trace;
    if (!tracePath.empty()) {
        std::string error;
        trace = FileLinkTrace::Create(tracePath, error);
        if (!trace) {
            std::fprintf(stderr, "quelby-bench-link: %s\n", error.c_str());
            return 73;
        }
        link.SetTrace(trace.get());
    }
    link.OpenRSComm(port);
    if (!link.OnlineMode) return 1;
    link.RSRead("B1003"); // read mode entered before timing starts

    // A read the link did not trust (a byte lost on the line) is counted; a wrong value it
    // trusted, or a failed link, ends the run.
    long untrusted = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < reads; ++i) {
        const RSComm::ReadResult read = link.RSReadChecked("B1003");
        if (!read.trusted && !link.CommError) {
            ++untrusted;
            continue;
        }
        if (read.text != "42" || link.CommError) {
            std::fprintf(stderr, "quelby-bench-link: read %ld failed (%s)\n", i, read.text.c_str());
            return 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    link.CloseRSComm();
    link.SetTrace(nullptr);

    const long exchanges = 2 * reads; // high address byte, then low byte answered by the data
    const double linkRate = static_cast<double>(exchanges) / seconds;
    std::printf("bare pty ping-pong      %9ld exchanges  %10.0f exchanges/s\n", bareExchanges, bareRate);
    std::printf("link reads (B1003)      %9ld exchanges  %10.0f exchanges/s  (%ld reads in %.3f s)\n",
                exchanges, linkRate, reads, seconds);
    std::printf("link / bare             %.2f%s\n", linkRate / bareRate,
                trace ? "  (with a link trace)" : "");
    if (!loss.empty())
        std::printf("untrusted reads         %ld of %ld (each byte lost with probability %s);"
                    " no wrong value\n",
                    untrusted, reads, loss.c_str());
    if (baud) {
        const double bound = static_cast<double>(exchanges) * 20.0 / baud;
        std::printf("wire-time bound at %d   %.3f s for %ld exchanges (20 bits each)\n", baud, bound, exchanges);
        std::printf("link over the bound     %+.1f %%\n", 100.0 * (seconds / bound - 1.0));
    }
    return 0;
}
