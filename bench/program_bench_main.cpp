// Measures a whole K650 program download and upload (0x4000..0xBFFF, 2048 records of 16
// bytes) through the real serial port against quelby-sim, next to the time the wire itself
// needs for the same bytes (10 bits each) plus the pauses the download makes on purpose.
#include "bench/BenchSupport.h"
#include "link/FilePaths.h"
#include "link/IntelHex.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace quelby;

namespace {

constexpr std::uint16_t kProgramStart = 0x4000;
constexpr std::size_t kProgramBytes = 0x8000;
constexpr double kDownloadPauses = 0.1 + 2.0; // arming program mode, letting the board settle

void writeProgramSet(const std::filesystem::path& folder) {
    std::vector<std::uint8_t> program(kProgramBytes);
    for (std::size_t i = 0; i < program.size(); ++i)
        program[i] = static_cast<std::uint8_t>((i * 7 + i / 256) % 256);
    std::error_code error;
    WriteFileAtomically(folder / "BENCH.hbx", "D benchmark program\r\n", error);
    WriteFileAtomically(folder / "BENCH.rev", "BENCHPRG0001\r\n", error);
    WriteFileAtomically(folder / "BENCH.hex", IntelHexText(kProgramStart, program), error);
}

void report(const char* what, double seconds, long bytes, double pauses, int baud) {
    const double bound = static_cast<double>(bytes) * 10.0 / baud + pauses;
    std::printf("%-9s %8.3f s   wire-time bound %8.3f s (%ld bytes at %d baud%s)   %+.1f %%\n",
                what, seconds, bound, bytes, baud, pauses > 0 ? " + 2.1 s of pauses" : "",
                100.0 * (seconds / bound - 1.0));
}

} // namespace

int main(int argc, char** argv) {
    int baud = 19200;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--baud" && i + 1 < argc)
            baud = std::atoi(argv[++i]);
        else
            baud = 0;
    }
    if (baud != 9600 && baud != 19200) {
        std::fprintf(stderr, "usage: quelby-bench-program [--baud 9600|19200]\n");
        return 64;
    }

    bench::BenchPrompt prompt;
    bench::SimLink line({"--still", "--baud", std::to_string(baud)}, baud,
                        "quelby-bench-program-" + std::to_string(getpid()), prompt);
    RSComm& link = line.link;
    bench::CountingSerialPort& port = line.port;
    const std::filesystem::path& scratch = line.home.path();
    if (!link.OnlineMode) return 1;
    writeProgramSet(scratch);

    using Clock = std::chrono::steady_clock;
    link.DownloadFile(scratch / "BENCH.hbx");
    port.resetCounts();
    auto start = Clock::now();
    link.DumpProgram();
    const double download = std::chrono::duration<double>(Clock::now() - start).count();
    if (!link.TransferSucceeded()) return 1;
    const long downloadBytes = port.bytesOnTheLine();

    link.UploadFile(scratch / "BENCH.hbx");
    link.InUploadMode = true;
    port.resetCounts();
    start = Clock::now();
    link.UploadProgram();
    const double upload = std::chrono::duration<double>(Clock::now() - start).count();
    if (!link.TransferSucceeded()) return 1;
    link.CloseRSComm();

    report("download", download, downloadBytes, kDownloadPauses, baud);
    report("upload", upload, port.bytesOnTheLine(), 0, baud);
    return 0;
}
