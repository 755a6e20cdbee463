#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quelby {

// Where and how the line's live values go to a plant's MQTT broker.
struct PublishSettings {
    static constexpr int kPlainPort = 1883;
    static constexpr int kTlsPort = 8883;

    std::string host;
    std::optional<int> port; // none: kPlainPort, or kTlsPort with a CA file
    std::string topicPrefix; // as CheckTopicPrefix gives it back
    std::string clientId;    // empty: the library picks one
    std::string username;    // empty: none
    std::string password;
    std::filesystem::path caFile; // empty: no TLS
    std::chrono::milliseconds interval{1000};

    int brokerPort() const { return port.value_or(caFile.empty() ? kPlainPort : kTlsPort); }
    std::string liveTopic() const { return topicPrefix + "/live"; }
    // "online" while connected, "offline" after a clean stop or (the broker's last will) a
    // lost connection; retained, so a newcomer learns it at once.
    std::string statusTopic() const { return topicPrefix + "/status"; }
};

// A checked text, or why it was refused.
struct CheckedText {
    std::optional<std::string> text;
    std::string problem;
};

// The topic prefix as topics are built from it, trailing '/' taken off (a leading one is
// kept: "/plant" and "plant" are different topics on a broker). Refused: empty, a wildcard
// ('+', '#'), a NUL, a leading '$' (the broker's own topics), text that is not UTF-8.
CheckedText CheckTopicPrefix(std::string_view prefix);

// The password on the first line of `file`. On POSIX a file that its group or others may read
// is refused, as is a missing, unreadable or empty file; `problem` names the file.
CheckedText ReadPasswordFile(const std::filesystem::path& file);

// "HOST", "HOST:PORT", "[IPv6]" or "[IPv6]:PORT" (a bare IPv6 address is taken whole as the
// host). nullopt for an empty host or a port outside 1..65535.
struct BrokerAddress {
    std::string host;
    std::optional<int> port;
};
std::optional<BrokerAddress> ParseBrokerAddress(std::string_view text);

} // namespace quelby
