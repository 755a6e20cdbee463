#pragma once

#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace quelby::test {

// The run ended with `status` and its standard error holds `text`.
inline ::testing::AssertionResult EndedSaying(const SimProcess::Outcome& run, int status,
                                              const std::string& text) {
    if (run.status == status && run.err.find(text) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "status " << run.status << ", standard error: " << run.err;
}

// quelby-sim with a trace of every byte it received, and a home folder for quelby-cli. The
// program is quelby-cli as the tests run it (perhaps the Windows build under Wine), or the
// native build where Windows line ends must reach the test as they are.
class CliRig {
public:
    explicit CliRig(std::vector<std::string> simArgs = {"--still"},
                    std::string program = SimProcess::cliProgram())
        : m_program(std::move(program)) {
        simArgs.insert(simArgs.end(), {"--trace", path("sim.trace")});
        m_sim = std::make_unique<SimProcess>(simArgs);
    }
    // The limit only ends a hang.
    SimProcess::Outcome run(std::vector<std::string> args, double seconds = 120.0) const {
        args.insert(args.begin(),
                    {"--home", home.path().string(), "--device", m_sim->devicePath()});
        return SimProcess::runProgram(m_program, args, seconds);
    }
    std::string path(const std::string& relative) const {
        return (home.path() / relative).string();
    }
    SimProcess& sim() { return *m_sim; }
    // What the board received, once it has stopped.
    std::string stopAndReadTrace() {
        m_sim->stop();
        return home.read("sim.trace");
    }

    TempFolder home;

private:
    std::string m_program;
    std::unique_ptr<SimProcess> m_sim;
};

} // namespace quelby::test
