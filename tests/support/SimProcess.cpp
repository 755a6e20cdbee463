#include "tests/support/SimProcess.h"

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

// The C library's own environment, which the child inherits.
extern char** environ; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

namespace quelby::test {
namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point after(double seconds) {
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Starts the program with standard input empty and standard output and error going to the
// files "out" and "err" in `output`; throws when it cannot.
pid_t spawn(const std::string& program, const std::vector<std::string>& args,
            const TempFolder& output) {
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(argvText.size() + 1);
    for (auto& arg : argvText)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const std::string out = (output.path() / "out").string(), err = (output.path() / "err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    // The child starts with default signal handling, whatever the caller has set up.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0)
        throw SimProcess::Error("cannot start " + program + ": " + std::strerror(failed));
    return pid;
}

// The child's exit status (or 128 + signal) once it has ended; nullopt while it runs.
std::optional<int> ended(pid_t pid) {
    int waitStatus = 0;
    pid_t got = -1;
    while ((got = ::waitpid(pid, &waitStatus, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (got == 0) return std::nullopt;
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

// Waits for the child's exit, killing it after the deadline; returns its status.
int reap(pid_t pid, Clock::time_point deadline) {
    for (bool killed = false;;) {
        if (const auto status = ended(pid)) return *status;
        if (!killed && Clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace

SimProcess::SimProcess(const std::vector<std::string>& args, double startSeconds) {
    m_pid = spawn(QUELBY_SIM_PROGRAM, args, m_output);
    const auto deadline = after(startSeconds);
    for (;; std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
        const std::string out = m_output.read("out");
        if (out.find('\n') != std::string::npos) {
            m_devicePath = out.substr(0, out.find('\n'));
            return;
        }
        m_status = ended(m_pid);
        if (m_status || Clock::now() >= deadline) {
            const std::string what = m_status ? "ended with status " + std::to_string(*m_status)
                                              : std::string("gave no device path in time");
            stop(SIGKILL);
            throw Error("quelby-sim " + what + ": " + m_output.read("err"));
        }
    }
}

SimProcess::~SimProcess() {
    stop();
}

int SimProcess::stop(int signal, double seconds) {
    if (!m_status) {
        ::kill(m_pid, signal);
        m_status = reap(m_pid, after(seconds));
    }
    return *m_status;
}

std::string SimProcess::cliProgram() {
    const char* other = std::getenv("QUELBY_TEST_CLI");
    return other && *other ? other : QUELBY_CLI_PROGRAM;
}

SimProcess::Outcome SimProcess::runProgram(const std::string& program,
                                           const std::vector<std::string>& args, double seconds) {
    TempFolder output;
    Outcome outcome;
    outcome.status = reap(spawn(program, args, output), after(seconds));
    outcome.out = output.read("out");
    outcome.err = output.read("err");
    return outcome;
}

} // namespace quelby::test
