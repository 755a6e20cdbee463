#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quelby::test {

// The mosquitto programs the tests run (QUELBY_MOSQUITTO, QUELBY_MOSQUITTO_SUB,
// QUELBY_MOSQUITTO_PASSWD); empty where the build found none.
struct MosquittoPrograms {
    static std::string broker() { return QUELBY_MOSQUITTO; }
    static std::string subscriber() { return QUELBY_MOSQUITTO_SUB; }
    static std::string passwordTool() { return QUELBY_MOSQUITTO_PASSWD; }
};

// A free TCP port on 127.0.0.1 as the system hands one out; free until someone takes it.
int FreeLoopbackPort();

// A mosquitto broker of the test's own on a loopback port, anonymous or with one user, from a
// configuration file written for it. Throws ChildProcess::Error when it does not start.
class MosquittoBroker {
public:
    struct User {
        std::string name;
        std::string password;
    };
    explicit MosquittoBroker(std::optional<User> user = std::nullopt,
                             int port = FreeLoopbackPort());

    int port() const { return m_port; }
    // "127.0.0.1:PORT", as --mqtt takes it.
    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }

private:
    TempFolder m_folder;
    int m_port;
    std::unique_ptr<ChildProcess> m_process;
};

// mosquitto_sub on `filter` of `broker`, printing "RETAIN TOPIC PAYLOAD" lines. The
// constructor returns once the broker has confirmed the subscription.
class MqttSubscriber {
public:
    // `extra`: more of mosquitto_sub's options, such as {"-C", "5"}.
    MqttSubscriber(const MosquittoBroker& broker, const std::string& filter,
                   std::vector<std::string> extra = {});
    // The messages, once `count` have come or `seconds` have passed.
    std::vector<std::string> messages(std::size_t count, double seconds = 10.0);

private:
    ChildProcess m_process;
};

} // namespace quelby::test
