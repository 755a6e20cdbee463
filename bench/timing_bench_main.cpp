// Measures what the Machine Timing window does with the board when it opens online: read the
// PLS configuration, then recall nine channels with an ON and an OFF setpoint each (two recalls
// per channel), through the real serial port against quelby-sim, next to the time the wire
// itself needs for the same bytes (10 bits each). The window yields to the event loop between
// channels; that costs no line time and is left out here.
#include "app/data/TimingChannels.h"
#include "bench/BenchSupport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using namespace quelby;

namespace {

void usage() {
    std::fprintf(stderr, "usage: quelby-bench-timing [--baud 9600|19200] [--rounds N]\n");
    std::exit(64);
}

} // namespace

int main(int argc, char** argv) {
    int baud = 19200;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--baud" && i + 1 < argc)
            baud = std::atoi(argv[++i]);
        else if (arg == "--rounds" && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else
            usage();
    }
    if ((baud != 9600 && baud != 19200) || rounds < 1) usage();

    bench::BenchPrompt prompt;
    bench::SimLink line({"--baud", std::to_string(baud), "--still"}, baud,
                        "quelby-bench-timing-" + std::to_string(getpid()), prompt);
    RSComm& link = line.link;
    if (!link.OnlineMode) return 1;

    double best = 1e9;
    double total = 0;
    long bytes = 0;
    for (int round = 0; round < rounds; ++round) {
        // Each row's recall starts at the channel's first setpoint, so every round reads the pair.
        for (int channel = 0; channel < timing::kChannelRows; ++channel)
            if (!link.SingleSetpoint(channel, 10 + channel * 20, 20 + channel * 20, true)) return 1;
        line.port.resetCounts();
        const auto start = std::chrono::steady_clock::now();
        link.PLSConfigUpload();
        bool good = !link.CommError;
        for (int channel = 0; channel < timing::kChannelRows && good; ++channel) {
            const timing::RowRecall row = timing::RecallRow(link, channel);
            good = !row.failed && row.on == 10 + channel * 20 && row.off == 20 + channel * 20;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!good) {
            std::fprintf(stderr, "quelby-bench-timing: the recall did not read back the setpoints\n");
            return 1;
        }
        bytes = line.port.bytesOnTheLine();
        best = std::min(best, seconds);
        total += seconds;
    }
    link.CloseRSComm();

    const double bound = static_cast<double>(bytes) * 10.0 / baud;
    std::printf("online preparation (configuration + 9 channels x 3 recalls, one starting each list), %d rounds at %d baud\n",
                rounds, baud);
    std::printf("  mean %.3f s   best %.3f s   wire-time bound %.3f s (%ld bytes)   best %+.1f %%\n",
                total / rounds, best, bound, bytes, 100.0 * (best / bound - 1.0));
    return 0;
}
