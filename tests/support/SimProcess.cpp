#include "tests/support/SimProcess.h"

#include <csignal>
#include <cstdlib>

namespace quelby::test {

SimProcess::SimProcess(const std::vector<std::string>& args, double startSeconds)
    : m_process(std::make_unique<ChildProcess>(QUELBY_SIM_PROGRAM, args)) {
    const bool started =
        m_process->waitFor([](const std::string& out,
                              const std::string&) { return out.find('\n') != std::string::npos; },
                           startSeconds);
    if (started) {
        const std::string out = m_process->out();
        m_devicePath = out.substr(0, out.find('\n'));
        return;
    }
    const auto status = m_process->ended();
    const std::string what = status ? "ended with status " + std::to_string(*status)
                                    : std::string("gave no device path in time");
    stop(SIGKILL);
    throw Error("quelby-sim " + what + ": " + m_process->err());
}

SimProcess::~SimProcess() {
    stop();
}

int SimProcess::stop(int signal, double seconds) {
    return m_process->stop(signal, seconds);
}

std::string SimProcess::cliProgram() {
    const char* other = std::getenv("QUELBY_TEST_CLI");
    return other && *other ? other : QUELBY_CLI_PROGRAM;
}

SimProcess::Outcome SimProcess::runProgram(const std::string& program,
                                           const std::vector<std::string>& args, double seconds) {
    ChildProcess child(program, args);
    Outcome outcome;
    outcome.status = child.wait(seconds);
    outcome.out = child.out();
    outcome.err = child.err();
    return outcome;
}

} // namespace quelby::test
