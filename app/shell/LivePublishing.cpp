#include "app/shell/LivePublishing.h"

#include "app/data/LiveMessage.h"
#include "app/shell/MainStatusBar.h"
#include "app/shell/ShellMessages.h"

namespace quelby {

LivePublishing::LivePublishing(std::filesystem::path home, std::unique_ptr<PasswordStore> passwords,
                               MainStatusBar& status, Tell tell)
    : m_home(std::move(home)), m_status(status), m_tell(std::move(tell)),
      m_passwords(std::move(passwords)) {}

LivePublishing::~LivePublishing() {
    m_passwords.reset();
    stop();
}

void LivePublishing::setPasswordStore(std::unique_ptr<PasswordStore> passwords) {
    m_passwords = std::move(passwords);
    m_waitingForPassword = false;
}

PublishConfig LivePublishing::config() const {
    return ReadPublishConfig(PublishConfigFile(m_home));
}

void LivePublishing::readPassword(const PublishConfig& config, PasswordStore::ReadDone done) {
    if (config.username.empty())
        done({std::nullopt, {}});
    else
        m_passwords->read(config.passwordKey(), std::move(done));
}

void LivePublishing::setOnline(bool online) {
    if (online == m_online) return;
    m_online = online;
    m_waitingForPassword = false;
    m_notStarted.clear();
    stop();
    if (online) begin(std::nullopt);
    showStatus();
}

void LivePublishing::begin(const std::optional<std::string>& password) {
    const PublishConfig config = this->config();
    if (!config.enabled) return;
    if (password) {
        start(config, *password);
        return;
    }
    m_waitingForPassword = true;
    const int request = ++m_request;
    readPassword(config, [this, request, config](const CheckedText& kept) {
        if (request != m_request || !m_waitingForPassword) return;
        m_waitingForPassword = false;
        if (!kept.text && !kept.problem.empty())
            notStarted(kept.problem);
        else
            start(config, kept.text.value_or(std::string()));
    });
}

bool LivePublishing::save(const PublishConfig& config, const std::optional<std::string>& password) {
    const std::filesystem::path file = PublishConfigFile(m_home);
    std::error_code error;
    if (!WritePublishConfig(file, config, error)) {
        m_tell(ShellMessages::PublishSettingsNotSaved(file.string(), error.message()));
        return false;
    }
    if (password)
        m_passwords->write(config.passwordKey(), *password, [tell = m_tell](const std::string& problem) {
            if (!problem.empty()) tell(ShellMessages::PublishPasswordNotKept(problem));
        });
    // Publishing starts again with the settings saved; a keyring may still be taking the
    // password, so the one given is used as it is.
    m_waitingForPassword = false;
    m_notStarted.clear();
    stop();
    if (m_online) begin(password);
    showStatus();
    return true;
}

void LivePublishing::start(const PublishConfig& config, const std::string& password) {
    const PublishSetup setup = MakePublishSettings(config, password);
    if (!setup.settings) {
        notStarted(setup.problem);
        return;
    }
    m_settings = *setup.settings;
    m_lastMessage.reset();
    m_publisher = std::make_unique<LivePublisher>(m_settings);
    showStatus();
}

void LivePublishing::stop() {
    if (!m_publisher) return;
    // The window waits for this: a broker on the plant's network acknowledges the "offline"
    // in milliseconds, and one that does not in half a second has its last will to tell it.
    m_publisher->stop(std::chrono::milliseconds(500));
    m_publisher.reset();
}

void LivePublishing::notStarted(const std::string& problem) {
    m_notStarted = problem;
    m_tell(ShellMessages::PublishingNotStarted(problem));
    showStatus();
}

void LivePublishing::offer(const LiveValues& values, std::optional<int> faultCode,
                           const DescribeFault& describe) {
    if (!m_publisher) return;
    const auto now = std::chrono::steady_clock::now();
    if (m_lastMessage && now - *m_lastMessage < m_settings.interval) return;
    m_lastMessage = now;
    LiveMessage message{std::chrono::system_clock::now(), values, faultCode, std::nullopt};
    if (faultCode) {
        // The text comes from a file: read once for each code.
        if (faultCode != m_describedCode) m_description = describe(*faultCode);
        m_describedCode = faultCode;
        message.faultText = m_description;
    }
    m_publisher->publish(LiveMessageJson(message));
}

void LivePublishing::showStatus() {
    if (!m_publisher) {
        const bool failed = m_online && !m_notStarted.empty();
        m_status.setPublishing(
            failed ? QString::fromStdString(ShellMessages::PublishingNotStartedNotice()) : QString(),
            QString::fromStdString(m_notStarted), !failed);
        return;
    }
    const PublisherStatus status = m_publisher->status();
    const std::string host = m_settings.host.find(':') == std::string::npos
                                 ? m_settings.host
                                 : "[" + m_settings.host + "]";
    const std::string broker = host + ":" + std::to_string(m_settings.brokerPort());
    m_status.setPublishing(
        QString::fromStdString(status.connected
                                   ? ShellMessages::PublishingReachedNotice(m_settings.topicPrefix)
                                   : ShellMessages::PublishingNotReachedNotice()),
        QString::fromStdString(ShellMessages::PublishingTip(broker, m_settings.liveTopic(),
                                                            status.connected, status.lastError,
                                                            status.sent, status.dropped)),
        status.connected);
}

} // namespace quelby
