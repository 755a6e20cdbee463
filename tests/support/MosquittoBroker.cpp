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

// 127.0.0.1:`port` as the socket calls take it.
sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool Accepts(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(port);
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the socket API's address type
    auto* any = reinterpret_cast<sockaddr*>(&address);
    const bool connected = ::connect(socket, any, sizeof address) == 0;
    ::close(socket);
    return connected;
}

} // namespace

int FreeLoopbackPort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the socket API's address type
    auto* any = reinterpret_cast<sockaddr*>(&address);
    const bool bound =
        socket >= 0 && ::bind(socket, any, length) == 0 && ::getsockname(socket, any, &length) == 0;
    if (socket >= 0) ::close(socket);
    if (!bound) throw ChildProcess::Error("no free loopback port");
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
        std::istringstream in(out);
        // Less the client's own lines.
        for (std::string line; std::getline(in, line);)
            if (!line.starts_with("Client ") && !line.starts_with("Subscribed "))
                messages.push_back(line);
        return messages;
    };
    m_process.waitFor(
        [&](const std::string& out, const std::string&) { return received(out).size() >= count; },
        seconds);
    return received(m_process.out());
}

} // namespace quelby::test
