#include "tests/support/ChildProcess.h"

#include <cerrno>
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

    const std::string out = (output.path() / "out").string(),
                      err = (output.path() / "err").string();
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
        throw ChildProcess::Error("cannot start " + program + ": " + std::strerror(failed));
    return pid;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : m_pid(spawn(program, args, m_output)) {}

ChildProcess::~ChildProcess() {
    stop();
}

std::optional<int> ChildProcess::ended() {
    if (m_status) return m_status;
    int waitStatus = 0;
    pid_t got = -1;
    while ((got = ::waitpid(m_pid, &waitStatus, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (got == 0) return std::nullopt;
    m_status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
    return m_status;
}

bool ChildProcess::waitFor(
    const std::function<bool(const std::string& out, const std::string& err)>& done,
    double seconds) {
    const auto deadline = after(seconds);
    for (;; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
        // Read after checking for the end, so the last words of a program that ended count.
        const bool over = ended().has_value() || Clock::now() >= deadline;
        if (done(out(), err())) return true;
        if (over) return false;
    }
}

int ChildProcess::wait(double seconds) {
    const auto deadline = after(seconds);
    for (bool killed = false;; std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
        if (const auto status = ended()) return *status;
        if (!killed && Clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            killed = true;
        }
    }
}

int ChildProcess::stop(int signal, double seconds) {
    if (!ended()) ::kill(m_pid, signal);
    return wait(seconds);
}

} // namespace quelby::test
