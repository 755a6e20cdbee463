#include "bench/BarePtyPingPong.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace quelby::bench {
namespace {

bool exchangeOne(int fd, unsigned char byte) {
    if (write(fd, &byte, 1) != 1) return false;
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, 1000) != 1) return false;
    return read(fd, &byte, 1) == 1;
}

// The echoing side: answers every byte until the other side goes away.
[[noreturn]] void echo(int master) {
    unsigned char byte = 0;
    pollfd waiting{master, POLLIN, 0};
    while (poll(&waiting, 1, 5000) == 1 && (waiting.revents & POLLIN) && read(master, &byte, 1) == 1)
        if (write(master, &byte, 1) != 1) break;
    _exit(0);
}

} // namespace

double BarePtyExchangesPerSecond(long exchanges) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    if (slave < 0) return -1;
    termios raw{};
    // A line left cooked would measure the terminal's line discipline, not the bare exchange.
    if (tcgetattr(slave, &raw) != 0) return -1;
    cfmakeraw(&raw);
    if (tcsetattr(slave, TCSANOW, &raw) != 0) return -1;

    pid_t child = fork();
    if (child == 0) {
        close(slave);
        echo(master);
    }
    close(master);
    exchangeOne(slave, 0x55); // both sides awake

    const auto start = std::chrono::steady_clock::now();
    long done = 0;
    for (; done < exchanges; ++done)
        if (!exchangeOne(slave, static_cast<unsigned char>(done))) break;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    close(slave);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return done == exchanges ? static_cast<double>(exchanges) / seconds : -1;
}

} // namespace quelby::bench
