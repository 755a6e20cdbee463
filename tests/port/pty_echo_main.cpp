// quelby-pty-echo [--hang-up-after N]: opens a pseudo-terminal, prints its device path and
// sends back every byte that arrives on it. With --hang-up-after it closes its side after
// echoing N bytes, as an unplugged adapter would vanish. Runs until SIGTERM.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

int main(int argc, char** argv) {
    long hangUpAfter = -1;
    if (argc == 3 && std::strcmp(argv[1], "--hang-up-after") == 0) hangUpAfter = std::strtol(argv[2], nullptr, 10);
    else if (argc != 1) {
        std::fprintf(stderr, "usage: quelby-pty-echo [--hang-up-after N]\n");
        return 64;
    }
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return 1;
    const std::string device = ::ptsname(master);
    // Held open here so the device stays usable between the openings of the port under test.
    const int slave = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    if (slave < 0 || ::tcgetattr(slave, &raw) != 0) return 1;
    ::cfmakeraw(&raw);
    if (::tcsetattr(slave, TCSANOW, &raw) != 0) return 1;
    std::printf("%s\n", device.c_str());
    (void)std::fflush(stdout);

    long echoed = 0;
    while (hangUpAfter < 0 || echoed < hangUpAfter) {
        unsigned char bytes[256];
        const ssize_t got = ::read(master, bytes, sizeof bytes);
        if (got <= 0) continue;
        ssize_t take = got;
        if (hangUpAfter >= 0 && take > hangUpAfter - echoed) take = hangUpAfter - echoed;
        if (::write(master, bytes, static_cast<size_t>(take)) != take) return 1;
        echoed += take;
    }
    // A pseudo-terminal drops the input its reader has not taken yet when the master closes:
    // give the last echo time to be read first.
    ::usleep(300 * 1000);
    ::close(slave);
    ::close(master);
    // Kept alive, without the device, until the caller is done: its path must not come back
    // as another pseudo-terminal while the test still runs.
    for (;;)
        ::pause();
}
