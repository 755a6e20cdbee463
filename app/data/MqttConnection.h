#pragma once

#include "app/data/PublishSettings.h"

#include <memory>
#include <set>
#include <string>

struct mosquitto;

namespace quelby {

// One libmosquitto client that only publishes: it subscribes to nothing, so nothing from the
// broker reaches the board. For the one thread that drives it: every call, and the callbacks
// the library makes inside loop(), run on that thread. The broker's last will is a retained
// "offline" on the status topic; each accepted connection publishes a retained "online" there.
class MqttConnection {
public:
    explicit MqttConnection(const PublishSettings& settings);
    ~MqttConnection();
    MqttConnection(const MqttConnection&) = delete;
    MqttConnection& operator=(const MqttConnection&) = delete;

    // Why the client could not be set up (such as an unusable CA file); empty when it was.
    const std::string& setupProblem() const { return m_setupProblem; }
    // Starts connecting without waiting for the network (a host name is still looked up).
    // Empty, or why the attempt failed at once.
    std::string connect();
    // Runs the network for up to `timeoutMs`. Empty, or why the connection failed or ended
    // (the broker's refusal, TLS, a lost connection); the connection is closed then.
    std::string loop(int timeoutMs);
    // Connecting or connected.
    bool open() const { return m_open; }
    // The broker accepted the connection and it has not ended since.
    bool connected() const { return m_connected; }
    // A live message at QoS 0. False when the library would not take it.
    bool publishLive(const std::string& message);
    // Retained "online" or "offline" at QoS 1.
    bool publishStatus(const char* status);
    // The broker acknowledged the last status message.
    bool statusAcknowledged() const { return m_statusAcknowledged; }
    // Live messages written to the broker since the last call.
    int takeWritten();
    // Ends the connection cleanly, so the broker drops the last will.
    void disconnect();

private:
    static void onConnect(mosquitto*, void* self, int code);
    static void onDisconnect(mosquitto*, void* self, int code);
    static void onPublish(mosquitto*, void* self, int messageId);
    std::string failureText(int result, int error) const;
    // True when the connection being made has failed.
    bool connectionFailed() const;
    std::string refusalText(int code) const;

    const PublishSettings m_settings;
    std::shared_ptr<void> m_library;
    mosquitto* m_client = nullptr;
    std::string m_setupProblem;
    std::string m_refusal; // the broker's answer to the last connection attempt, when a refusal
    bool m_open = false;
    bool m_connected = false;
    bool m_announce = false; // "online" is due
    std::set<int> m_statusIds; // status messages the broker has yet to acknowledge
    int m_lastStatusId = -1;
    bool m_statusAcknowledged = false;
    int m_written = 0;
};

} // namespace quelby
