// Measures the File menu's "All" data transfers (every data point, the PLS configuration and
// the 16 timing channels) of the built-in data set through the real serial port against
// quelby-sim, next to the time the wire itself needs for the same bytes (10 bits each).
// Neither transfer pauses on purpose: the PLS ready waits poll the board, and their polls are
// bytes on the line, counted with the rest.
#include "bench/BenchSupport.h"
#include "app/data/DataTransfer.h"
#include "app/data/MachineData.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using namespace quelby;

namespace {

// BenchPrompt's answers, counted: a good run shows no message at all.
class CountingPrompt : public bench::BenchPrompt {
public:
    MessageAnswer ask(const MessageRequest& request) override {
        ++m_messages;
        return BenchPrompt::ask(request);
    }
    int messages() const { return m_messages; }

private:
    int m_messages = 0;
};

struct Measured {
    double seconds = 0;
    long bytes = 0;
};

// One transfer of `data`, timed, with the bytes it put on the line both ways. False (with the
// reason on standard error) when the transfer did not run cleanly to its end.
bool measure(RSComm& link, bench::CountingSerialPort& port, CountingPrompt& prompt,
             MachineData& data, TransferDirection direction, Measured& measured) {
    const int messagesBefore = prompt.messages();
    DataTransfer transfer(link, prompt, data, TransferRequest{direction, TransferData::All});
    port.resetCounts();
    const auto start = std::chrono::steady_clock::now();
    const TransferOutcome outcome = transfer.Run();
    measured.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measured.bytes = port.bytesOnTheLine();
    const char* what = direction == TransferDirection::Upload ? "upload" : "download";
    if (outcome.commError || outcome.cancelled || outcome.plsStopped ||
        prompt.messages() != messagesBefore) {
        std::fprintf(stderr, "quelby-bench-transfer: the %s did not run cleanly%s%s%s\n", what,
                     outcome.commError ? " (link failed)" : "",
                     outcome.plsStopped ? " (a PLS command failed)" : "",
                     prompt.messages() != messagesBefore ? " (a message was shown)" : "");
        return false;
    }
    return true;
}

void report(const char* what, const Measured& measured, int baud) {
    const double bound = static_cast<double>(measured.bytes) * 10.0 / baud;
    std::printf("%-12s %8.3f s   wire-time bound %8.3f s (%ld bytes at %d baud)   %+.1f %%\n", what,
                measured.seconds, bound, measured.bytes, baud,
                100.0 * (measured.seconds / bound - 1.0));
}

void usage() {
    std::fprintf(stderr, "usage: quelby-bench-transfer [--baud 9600|19200] [--still]\n");
    std::exit(64);
}

} // namespace

int main(int argc, char** argv) {
    int baud = 19200;
    bool still = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--baud" && i + 1 < argc)
            baud = std::atoi(argv[++i]);
        else if (arg == "--still")
            still = true;
        else
            usage();
    }
    if (baud != 9600 && baud != 19200) usage();

    std::vector<std::string> simArgs{"--baud", std::to_string(baud)};
    if (still) simArgs.push_back("--still"); // no line running behind the board
    CountingPrompt prompt;
    bench::SimLink line(simArgs, baud, "quelby-bench-transfer-" + std::to_string(getpid()), prompt);
    RSComm& link = line.link;
    if (!link.OnlineMode) return 1;

    // The download puts the built-in data set on the board; the upload reads it back into a
    // fresh copy, so both move the same setpoints.
    MachineData downloaded = BuildDefaultData();
    MachineData uploaded = BuildDefaultData();
    Measured download, upload;
    if (!measure(link, line.port, prompt, downloaded, TransferDirection::Download, download))
        return 1;
    if (!measure(link, line.port, prompt, uploaded, TransferDirection::Upload, upload)) return 1;
    link.CloseRSComm();
    if (uploaded.Setpoint != downloaded.Setpoint || uploaded.PLSScale != downloaded.PLSScale) {
        std::fprintf(stderr, "quelby-bench-transfer: the upload did not read back the timing "
                             "channels the download wrote\n");
        return 1;
    }

    report("upload all", upload, baud);
    report("download all", download, baud);
    std::printf(
        "bound = bytes sent + bytes received, 10 bits each at %d baud; these transfers make "
        "no pauses on purpose, and the PLS ready polls are among the bytes\n",
        baud);
    return 0;
}
