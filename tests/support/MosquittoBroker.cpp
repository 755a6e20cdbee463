#include "tests/support/MosquittoBroker.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace quelby::test {
namespace {

// A socket bound to 127.0.0.1:`port` (0: any free port); -1 when it cannot be had.
int BoundSocket(int port, sockaddr_in& address) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket < 0) return -1;
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the socket API's address type
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

bool Accepts(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): as above
        ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return connected;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

int FreeLoopbackPort() {
    sockaddr_in address{};
    const int socket = BoundSocket(0, address);
    if (socket < 0) throw ChildProcess::Error("no free loopback port");
    socklen_t length = sizeof address;
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the socket API's address type
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(socket);
    return ntohs(address.sin_port);
}

MosquittoBroker::MosquittoBroker(std::optional<User> user, int port) : m_port(port) {
    std::string config = "listener " + std::to_string(port) + " 127.0.0.1\n";
    if (user) {
        const auto passwords = m_folder.path() / "passwords";
        ChildProcess made(MosquittoPrograms::passwordTool(),
                          {"-b", "-c", passwords.string(), user->name, user->password});
        if (made.wait(10.0) != 0)
            throw ChildProcess::Error("mosquitto_passwd failed: " + made.err());
        config += "allow_anonymous false\npassword_file " + passwords.string() + "\n";
    } else {
        config += "allow_anonymous true\n";
    }
    const auto file = m_folder.write("mosquitto.conf", config);
    m_process = std::make_unique<ChildProcess>(MosquittoPrograms::broker(),
                                               std::vector<std::string>{"-c", file.string()});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Accepts(port)) {
        if (m_process->ended() || std::chrono::steady_clock::now() > deadline)
            throw ChildProcess::Error("mosquitto did not start: " + m_process->err());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

MqttSubscriber::MqttSubscriber(const MosquittoBroker& broker, const std::string& filter,
                               std::vector<std::string> extra)
    : m_process(QUELBY_STDBUF, [&] {
          // -d: its own lines, such as the broker's confirmation of the subscription.
          std::vector<std::string> args{"-oL", MosquittoPrograms::subscriber(),
                                        "-h",  "127.0.0.1",
                                        "-p",  std::to_string(broker.port()),
                                        "-t",  filter,
                                        "-F",  "%r %t %p",
                                        "-d"};
          args.insert(args.end(), extra.begin(), extra.end());
          return args;
      }()) {
    if (!m_process.waitFor(
            [](const std::string& out, const std::string&) {
                return out.find("received SUBACK") != std::string::npos;
            },
            10.0))
        throw ChildProcess::Error("mosquitto_sub did not subscribe: " + m_process.out() +
                                  m_process.err());
}

std::vector<std::string> MqttSubscriber::messages(std::size_t count, double seconds) {
    const auto received = [](const std::string& out) {
        std::vector<std::string> messages;
        // Less the client's own lines.
        for (auto& line : Lines(out))
            if (!line.starts_with("Client ") && !line.starts_with("Subscribed "))
                messages.push_back(std::move(line));
        return messages;
    };
    m_process.waitFor(
        [&](const std::string& out, const std::string&) { return received(out).size() >= count; },
        seconds);
    return received(m_process.out());
}

} // namespace quelby::test
