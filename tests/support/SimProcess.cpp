#include "SimProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quelby::test {
namespace {

using Deadline = std::chrono::steady_clock::time_point;

Deadline after(double seconds) {
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(
               std::chrono::duration<double>(seconds));
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Starts the program with its standard output and error on pipes; throws when it cannot.
pid_t spawn(const std::string& program, const std::vector<std::string>& args, int& out, int& err) {
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) throw SimProcess::Error("pipe failed");
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        ::close(outPipe[0]), ::close(outPipe[1]);
        throw SimProcess::Error("pipe failed");
    }
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argvText)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
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
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (failed != 0) {
        ::close(outPipe[0]), ::close(errPipe[0]);
        throw SimProcess::Error("cannot start " + program + ": " + std::strerror(failed));
    }
    out = outPipe[0];
    err = errPipe[0];
    return pid;
}

// Reads both pipes until `done()` holds or the deadline passes; a pipe at its end is closed
// and set to -1. Returns whether `done()` held.
bool pumpUntil(int& out, std::string& outText, int& err, std::string& errText, Deadline deadline,
               const std::function<bool()>& done) {
    while (!done()) {
        if (out < 0 && err < 0) return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pipes[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
        const int ready = ::poll(pipes, 2, static_cast<int>(std::max<long>(left.count(), 0)));
        if (ready == 0 || (ready < 0 && errno != EINTR)) return done();
        for (auto [fd, text] : {std::pair{&out, &outText}, std::pair{&err, &errText}}) {
            const int index = fd == &out ? 0 : 1;
            if (*fd < 0 || pipes[index].revents == 0) continue;
            char chunk[512];
            const ssize_t got = ::read(*fd, chunk, sizeof chunk);
            if (got > 0)
                text->append(chunk, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR)
                closeFd(*fd);
        }
    }
    return true;
}

int exitStatus(int waitStatus) {
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

// Waits for the child's exit (seen as the end of its standard error), killing it after the
// deadline; returns its status.
int reap(pid_t pid, int& out, std::string& outText, int& err, std::string& errText,
         Deadline deadline) {
    if (!pumpUntil(out, outText, err, errText, deadline, [&] { return out < 0 && err < 0; }))
        ::kill(pid, SIGKILL);
    int waitStatus = 0;
    while (::waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    closeFd(out);
    closeFd(err);
    return exitStatus(waitStatus);
}

} // namespace

SimProcess::SimProcess(const std::vector<std::string>& args, double startSeconds) {
    m_pid = spawn(QUELBY_SIM_PROGRAM, args, m_out, m_err);
    std::string outText;
    const bool gotLine = pumpUntil(m_out, outText, m_err, m_errText, after(startSeconds),
                                   [&] { return outText.find('\n') != std::string::npos; });
    if (!gotLine) {
        const bool ended = m_out < 0;
        const int status = stop(SIGKILL);
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", startSeconds);
        throw Error(ended ? "quelby-sim ended with status " + std::to_string(status) +
                                " before giving its device path: " + m_errText
                          : "quelby-sim gave no device path within " + std::string(seconds) +
                                " s: " + m_errText);
    }
    m_devicePath = outText.substr(0, outText.find('\n'));
}

SimProcess::~SimProcess() {
    stop();
}

int SimProcess::stop(int signal, double seconds) {
    if (!m_status) {
        ::kill(m_pid, signal);
        std::string outText;
        m_status = reap(m_pid, m_out, outText, m_err, m_errText, after(seconds));
    }
    return *m_status;
}

std::string SimProcess::errorOutput() {
    std::string ignored;
    if (!m_status) pumpUntil(m_out, ignored, m_err, m_errText, after(0), [] { return false; });
    return m_errText;
}

SimProcess::Outcome SimProcess::runProgram(const std::string& program,
                                           const std::vector<std::string>& args, double seconds) {
    Outcome outcome;
    int out = -1, err = -1;
    const pid_t pid = spawn(program, args, out, err);
    outcome.status = reap(pid, out, outcome.out, err, outcome.err, after(seconds));
    return outcome;
}

} // namespace quelby::test
