#pragma once

#include "app/data/PublishSettings.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace quelby {

// What Edit > Publish Live Values keeps in Support/Publish.cfg, as the user typed it. The
// password is kept apart (PasswordStore).
struct PublishConfig {
    static constexpr std::chrono::milliseconds kDefaultInterval{1000};
    static constexpr std::chrono::milliseconds kShortestInterval{100};
    static constexpr std::chrono::milliseconds kLongestInterval{3600000};

    bool enabled = false;
    std::string broker; // "HOST[:PORT]"
    std::string topicPrefix;
    std::string username;
    std::string caFile;
    std::chrono::milliseconds interval = kDefaultInterval;

    bool operator==(const PublishConfig&) const = default;
    // The key of the password: "mqtt/<broker>/<user>".
    std::string passwordKey() const { return "mqtt/" + broker + "/" + username; }
};

// Support/Publish.cfg under the home folder, found whatever the case of its names.
std::filesystem::path PublishConfigFile(const std::filesystem::path& home);

// The file's settings; a missing, unreadable or broken file gives the defaults (publishing
// off), a line it cannot use is skipped and a number out of range is taken as the default.
PublishConfig ReadPublishConfig(const std::filesystem::path& file);
// "key=value" lines; every value on one line.
std::string PublishConfigText(const PublishConfig& config);
// Written whole or not at all. False with `error` set when it cannot be written.
bool WritePublishConfig(const std::filesystem::path& file, const PublishConfig& config,
                        std::error_code& error);

// Which field a refused setting came from, so a dialog can put the focus there.
enum class PublishField { None, Broker, TopicPrefix, Username, Password, CaFile, Interval };

// The settings a publisher runs with, or why there are none.
struct PublishSetup {
    std::optional<PublishSettings> settings;
    std::string problem;
    PublishField field = PublishField::None;
};
// Checks every field: the broker address, the topic prefix, a line break anywhere, a password
// without a user name, a CA file that cannot be read.
PublishSetup MakePublishSettings(const PublishConfig& config, const std::string& password);

} // namespace quelby
