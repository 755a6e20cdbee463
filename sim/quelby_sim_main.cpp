// quelby-sim: the simulated target board on a pseudo-terminal, for running the program,
// its tests and its benchmarks without hardware.

#include "sim/BoardDump.h"
#include "sim/DeviceLink.h"
#include "sim/PtyBoardServer.h"
#include "sim/SimulatedLine.h"
#include "sim/SimOptions.h"
#include "link/ProgramVersion.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

using namespace quelby::sim;

namespace {

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "quelby-sim: %s\n", message.c_str());
    return status;
}

} // namespace

int main(int argc, char** argv) {
    // The reader of the device path may be gone by the time anything else is printed.
    (void)std::signal(SIGPIPE, SIG_IGN);

    const auto parsed = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) return fail(kExitUsage, parsed.error + "\nTry 'quelby-sim --help'.");
    const SimOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(SimUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("quelby-sim %s\n", quelby::kVersionString);
        return 0;
    }

    SimulatedLine line;
    SimBoard& board = line.board();
    if (!options.still) line.start(0.0);
    ApplySimOptions(options, board);
    board.setTraceRecording(false); // a long session would keep every exchange in memory

    PtyBoardServer server(board);
    if (!options.still) server.setTick([&line](double now) { line.tick(now); });
    std::string error;
    if (!server.open(error)) return fail(kExitOsError, error);
    server.setLineSpeed(options.baud);
    server.setCloseAfter(options.closeAfter);
    if (!options.tracePath.empty() && !server.openTrace(options.tracePath, error))
        return fail(kExitCantCreate, error);
    DeviceLink link;
    if (!options.linkPath.empty() && !link.create(options.linkPath, server.devicePath(), error))
        return fail(kExitCantCreate, error);

    // The first line out tells scripts and tests the board is ready, and where.
    std::printf("%s\n", server.devicePath().c_str());
    (void)std::fflush(stdout);

    const bool served = server.run(error);
    // The board's state is written however the run ended: it is what a failed session left.
    std::string dumpError;
    if (!options.dumpPath.empty() && !WriteBoardDump(options.dumpPath, board, line.pls(), dumpError))
        return fail(kExitCantCreate, dumpError);
    if (!served) return fail(kExitOsError, error);
    return 0;
}
