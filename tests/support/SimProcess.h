#pragma once

#include "tests/support/ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace quelby::test {

// quelby-sim (QUELBY_SIM_PROGRAM) running as a child process, serving the simulated board on
// a pseudo-terminal, and other programs run beside it. Free of any test framework so benchmarks can
// use it too: failures are thrown as SimProcess::Error.
class SimProcess {
public:
    using Error = ChildProcess::Error;
    // How a run that ended on its own went.
    struct Outcome {
        int status = -1; // exit status, or 128 + signal number
        std::string out;
        std::string err;
    };

    // Starts quelby-sim with `args` and waits for its device path. Throws Error when it cannot
    // be started, exits first (the message holds its status and standard error) or prints no
    // path within `startSeconds`.
    explicit SimProcess(const std::vector<std::string>& args, double startSeconds = 10.0);
    // Stops the program with SIGTERM if it still runs. Never throws.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& devicePath() const { return m_devicePath; }

    // Sends `signal` and waits for the exit; returns the exit status, or 128 + signal number.
    // After `seconds` without an exit the program is killed (status 128 + SIGKILL).
    int stop(int signal = 15, double seconds = 10.0);

    // Runs a program (quelby-sim for command lines it refuses, quelby-cli against a running
    // simulated board) to its end, standard input empty, standard output and error collected.
    // Killed after `seconds`. Throws Error when it cannot be started.
    static Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                              double seconds = 30.0);

    // quelby-cli as the tests run it: QUELBY_CLI_PROGRAM, unless the environment variable
    // QUELBY_TEST_CLI names another program taking the same arguments (the Windows build
    // run through Wine).
    static std::string cliProgram();

private:
    std::unique_ptr<ChildProcess> m_process;
    std::string m_devicePath;
};

} // namespace quelby::test
