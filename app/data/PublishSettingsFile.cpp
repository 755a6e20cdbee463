#include "app/data/PublishSettingsFile.h"

#include "link/FilePaths.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <string_view>

namespace quelby {
namespace {

// Nothing a user types into these fields comes near this; a larger file is not ours.
constexpr std::uintmax_t kMaxFileBytes = 65536;

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::optional<bool> OnOff(std::string_view text) {
    for (const char* on : {"on", "yes", "true", "1"})
        if (text == on) return true;
    for (const char* off : {"off", "no", "false", "0"})
        if (text == off) return false;
    return std::nullopt;
}

std::chrono::milliseconds Interval(std::string_view text) {
    long long ms = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (ec != std::errc() || end != text.data() + text.size() ||
        ms < PublishConfig::kShortestInterval.count() || ms > PublishConfig::kLongestInterval.count())
        return PublishConfig::kDefaultInterval;
    return std::chrono::milliseconds(ms);
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

} // namespace

std::filesystem::path PublishConfigFile(const std::filesystem::path& home) {
    return FindPath(home, std::filesystem::path("Support") / "Publish.cfg");
}

PublishConfig ReadPublishConfig(const std::filesystem::path& file) {
    PublishConfig config;
    const BoundedFileRead read = ReadFileBounded(file, kMaxFileBytes);
    if (read.outcome != BoundedFileRead::Outcome::Read || read.beyond(kMaxFileBytes)) return config;
    std::istringstream lines(read.bytes);
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue; // comments among them
        const std::string_view key = Trimmed(std::string_view(line).substr(0, equals));
        const std::string value(Trimmed(std::string_view(line).substr(equals + 1)));
        if (key == "publish") config.enabled = OnOff(value).value_or(false);
        else if (key == "broker") config.broker = value;
        else if (key == "topic_prefix") config.topicPrefix = value;
        else if (key == "username") config.username = value;
        else if (key == "ca_file") config.caFile = value;
        else if (key == "interval_ms") config.interval = Interval(value);
    }
    return config;
}

std::string PublishConfigText(const PublishConfig& config) {
    std::ostringstream text;
    text << "# QUELBY: Edit > Publish Live Values. The password is not kept here.\n"
         << "publish=" << (config.enabled ? "on" : "off") << "\n"
         << "broker=" << config.broker << "\n"
         << "topic_prefix=" << config.topicPrefix << "\n"
         << "username=" << config.username << "\n"
         << "ca_file=" << config.caFile << "\n"
         << "interval_ms=" << config.interval.count() << "\n";
    return text.str();
}

bool WritePublishConfig(const std::filesystem::path& file, const PublishConfig& config,
                        std::error_code& error) {
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) return false;
    return WriteFileAtomically(file, PublishConfigText(config), error);
}

PublishSetup MakePublishSettings(const PublishConfig& config, const std::string& password) {
    const auto refuse = [](PublishField field, std::string problem) {
        return PublishSetup{std::nullopt, std::move(problem), field};
    };
    for (const auto& [text, field] : {std::pair{&config.broker, PublishField::Broker},
                                      {&config.topicPrefix, PublishField::TopicPrefix},
                                      {&config.username, PublishField::Username},
                                      {&password, PublishField::Password},
                                      {&config.caFile, PublishField::CaFile}})
        if (HasLineBreak(*text)) return refuse(field, "a setting holds a line break");

    PublishSettings settings;
    const auto address = ParseBrokerAddress(config.broker);
    if (!address)
        return refuse(PublishField::Broker, "the broker \"" + config.broker +
                                                "\" is not HOST or HOST:PORT (a port from 1 "
                                                "to 65535)");
    settings.host = address->host;
    settings.port = address->port;
    const CheckedText prefix = CheckTopicPrefix(config.topicPrefix);
    if (!prefix.text) return refuse(PublishField::TopicPrefix, prefix.problem);
    settings.topicPrefix = *prefix.text;
    if (!password.empty() && config.username.empty())
        return refuse(PublishField::Username, "a password needs a user name");
    settings.username = config.username;
    settings.password = password;
    if (!config.caFile.empty()) {
        const std::filesystem::path ca(config.caFile);
        std::error_code error;
        if (!std::filesystem::is_regular_file(ca, error) || !std::ifstream(ca))
            return refuse(PublishField::CaFile, "the CA file " + config.caFile + " cannot be read");
        settings.caFile = ca;
    }
    if (config.interval < PublishConfig::kShortestInterval ||
        config.interval > PublishConfig::kLongestInterval)
        return refuse(PublishField::Interval, "the interval is out of range");
    settings.interval = config.interval;
    return {settings, {}, PublishField::None};
}

} // namespace quelby
