#pragma once

#include "tests/support/TempFolder.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quelby::test {

// A program the test started, running beside it: standard input empty, standard output and
// error collected in files that can be read while it runs. Only this process is ever signalled.
// Free of any test framework so benchmarks can use it too.
class ChildProcess {
public:
    struct Error : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // Throws Error when the program cannot be started.
    ChildProcess(const std::string& program, const std::vector<std::string>& args);
    // Stops the program with SIGTERM if it still runs. Never throws.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // What it has written so far.
    std::string out() const { return m_output.read("out"); }
    std::string err() const { return m_output.read("err"); }
    // Its exit status (or 128 + signal number) once it has ended; nullopt while it runs.
    std::optional<int> ended();
    // Waits up to `seconds` for `done` to hold of its standard output and error; false when it
    // did not (the program may have ended).
    bool waitFor(const std::function<bool(const std::string& out, const std::string& err)>& done,
                 double seconds);
    // Waits up to `seconds` for its exit, then kills it; the exit status or 128 + signal number.
    int wait(double seconds);
    // Sends `signal` and waits as wait() does.
    int stop(int signal = 15, double seconds = 10.0);

private:
    TempFolder m_output;
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

} // namespace quelby::test
