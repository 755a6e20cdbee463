// Measures the live-value messages per second that quelby-cli publish sustains against
// quelby-sim at line speed (four board reads a message) and a mosquitto broker of its own,
// next to the same reads made by watch and the time the wire needs for them (two 10-bit bytes
// per exchange), and what one publish() call costs its caller while the broker is away.
#include "app/data/LivePublisher.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/SimProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace quelby;
using namespace quelby::test;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    int messages = 300;
    int baud = 19200;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--messages" && i + 1 < argc)
            messages = std::atoi(argv[++i]);
        else if (arg == "--baud" && i + 1 < argc)
            baud = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr,
                         "usage: quelby-bench-publish [--messages N] [--baud 9600|19200]\n");
            return 64;
        }
    }
    if (MosquittoPrograms::broker().empty() || MosquittoPrograms::subscriber().empty()) {
        std::fprintf(stderr, "quelby-bench-publish: mosquitto and mosquitto_sub are needed\n");
        return 69;
    }
    try {
        TempFolder home;
        const MosquittoBroker broker;
        SimProcess sim({"--baud", std::to_string(baud), "--still", "--set", "W182=1200", "--trace",
                        (home.path() / "sim.trace").string()});
        const std::vector<std::string> link{
            "--home",  home.path().string(), "--device", sim.devicePath(),
            "--speed", std::to_string(baud), "--quiet"};
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.begin(), link.begin(), link.end());
            const auto start = Clock::now();
            const auto outcome = SimProcess::runProgram(SimProcess::cliProgram(), args, 600.0);
            if (outcome.status != 0) throw ChildProcess::Error("quelby-cli failed: " + outcome.err);
            return Since(start);
        };
        const std::string count = std::to_string(messages);

        MqttSubscriber subscriber(broker, "bench/#");
        const double publishing = run({"publish", "--mqtt", broker.address(), "--topic",
                                       "bench/line", "--interval", "0", "--count", count});
        // One line a byte exchange.
        const std::string trace = home.read("sim.trace");
        const auto exchanges = static_cast<long>(std::count(trace.begin(), trace.end(), '\n'));
        long received = 0;
        for (const auto& message : subscriber.messages(static_cast<std::size_t>(messages) + 2))
            received += message.find(" bench/line/live ") != std::string::npos ? 1 : 0;
        const double watching =
            run({"watch", "W182", "D1100", "D1104", "B8176", "--interval", "0", "--count", count});

        PublishSettings away;
        away.host = "127.0.0.1";
        away.port = FreeLoopbackPort();
        away.topicPrefix = "bench";
        LivePublisher publisher(away);
        constexpr int kCalls = 200000;
        const std::string message(160, 'x');
        const auto start = Clock::now();
        for (int i = 0; i < kCalls; ++i)
            publisher.publish(message);
        const double perCall = Since(start) / kCalls;

        const double wire = static_cast<double>(exchanges) * 20.0 / baud;
        std::printf(
            "publish at %d baud    %5d messages in %6.2f s  %6.1f messages/s  (%ld received)\n",
            baud, messages, publishing, messages / publishing, received);
        std::printf("watch, the same reads  %5d passes   in %6.2f s  %6.1f passes/s\n", messages,
                    watching, messages / watching);
        std::printf("wire-time bound        %ld exchanges in %6.2f s  %6.1f messages/s\n",
                    exchanges, wire, messages / wire);
        std::printf("publish() while the broker is away: %.0f ns a call (%d calls, %llu dropped)\n",
                    perCall * 1e9, kCalls,
                    static_cast<unsigned long long>(publisher.status().dropped));
    } catch (const ChildProcess::Error& error) {
        std::fprintf(stderr, "quelby-bench-publish: %s\n", error.what());
        return 1;
    }
    return 0;
}
