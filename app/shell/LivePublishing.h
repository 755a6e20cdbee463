#pragma once

#include "app/data/LivePublisher.h"
#include "app/data/LiveRecording.h"
#include "app/data/PasswordStore.h"
#include "app/data/PublishSettingsFile.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quelby {

class MainStatusBar;
struct MessageRequest;

// Edit > Publish Live Values as the shell runs it: while publishing is on and the program is
// online, one LivePublisher gets the Main Display's passes, at most one per interval; the
// status bar says whether the broker is reached. Settings come from Support/Publish.cfg and
// the password from the password store each time publishing starts.
class LivePublishing {
public:
    using Tell = std::function<void(const MessageRequest&)>;
    using DescribeFault = std::function<std::string(int code)>;

    // `tell` shows a message box once the request in progress has ended.
    LivePublishing(std::filesystem::path home, std::unique_ptr<PasswordStore> passwords,
                   MainStatusBar& status, Tell tell);
    // Stops the publisher, leaving the retained "offline" behind.
    ~LivePublishing();
    LivePublishing(const LivePublishing&) = delete;
    LivePublishing& operator=(const LivePublishing&) = delete;

    void setPasswordStore(std::unique_ptr<PasswordStore> passwords);
    PublishConfig config() const;
    // The kept password of `config`'s broker and user, as the store answers.
    void readPassword(const PublishConfig& config, PasswordStore::ReadDone done);

    // Starts publishing when it is on and the program online, stops it otherwise. Starting
    // may wait for the password store; nothing happens while nothing changed.
    void setOnline(bool online);
    // Keeps the settings and, when given, the password; publishing starts again with them.
    // False (told) when the settings cannot be written.
    bool save(const PublishConfig& config, const std::optional<std::string>& password);

    // One Main Display pass with the status poll's latest fault code: published when the
    // interval since the last message is over. `describe` gives a fault code's text.
    void offer(const LiveValues& values, std::optional<int> faultCode,
               const DescribeFault& describe);
    // The status bar's label from the publisher's state; never waits for the network.
    void showStatus();

    const LivePublisher* publisher() const { return m_publisher.get(); }

private:
    // Starts with the settings kept and `password`, or the one kept when none is given.
    void begin(const std::optional<std::string>& password);
    void start(const PublishConfig& config, const std::string& password);
    void stop();
    void notStarted(const std::string& problem);

    std::filesystem::path m_home;
    MainStatusBar& m_status;
    Tell m_tell;
    bool m_online = false;
    bool m_waitingForPassword = false;
    int m_request = 0; // the password read whose answer counts
    std::string m_notStarted; // why publishing that is on did not start
    PublishSettings m_settings;
    std::unique_ptr<LivePublisher> m_publisher;
    std::optional<std::chrono::steady_clock::time_point> m_lastMessage;
    std::optional<int> m_describedCode;
    std::string m_description;
    // Declared last: gone first, so no answer of the store reaches a half-destroyed object.
    std::unique_ptr<PasswordStore> m_passwords;
};

} // namespace quelby
