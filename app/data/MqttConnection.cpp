#include "app/data/MqttConnection.h"

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string_view>

#ifndef _WIN32
#include <poll.h>
#endif

namespace quelby {
namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kStatusQos = 1;
constexpr std::string_view kOffline = "offline";

// mosquitto_lib_init while any client lives, mosquitto_lib_cleanup after the last.
std::shared_ptr<void> UseLibrary() {
    static std::mutex mutex;
    static std::weak_ptr<void> inUse;
    const std::lock_guard lock(mutex);
    std::shared_ptr<void> library = inUse.lock();
    if (!library) {
        mosquitto_lib_init();
        library = std::shared_ptr<void>(nullptr, [](void*) { mosquitto_lib_cleanup(); });
        inUse = library;
    }
    return library;
}

} // namespace

bool MqttConnection::connectionFailed() const {
#ifdef _WIN32
    return false;
#else
    // A socket still connecting shows no event; one whose connection failed is closed.
    pollfd socket{mosquitto_socket(m_client), POLLOUT, 0};
    return socket.fd >= 0 && ::poll(&socket, 1, 0) == 1 &&
           (socket.revents & (POLLERR | POLLHUP)) != 0;
#endif
}

MqttConnection::MqttConnection(const PublishSettings& settings)
    : m_settings(settings), m_library(UseLibrary()) {
    m_client =
        mosquitto_new(settings.clientId.empty() ? nullptr : settings.clientId.c_str(), true, this);
    if (!m_client) {
        m_setupProblem = std::string("the MQTT client could not be made: ") + std::strerror(errno);
        return;
    }
    mosquitto_int_option(m_client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(m_client, onConnect);
    mosquitto_disconnect_callback_set(m_client, onDisconnect);
    mosquitto_publish_callback_set(m_client, onPublish);
    const std::string status = settings.statusTopic();
    int result = mosquitto_will_set(m_client, status.c_str(), static_cast<int>(kOffline.size()),
                                    kOffline.data(), kStatusQos, true);
    if (result == MOSQ_ERR_SUCCESS && !settings.username.empty())
        result = mosquitto_username_pw_set(
            m_client, settings.username.c_str(),
            settings.password.empty() ? nullptr : settings.password.c_str());
    if (result != MOSQ_ERR_SUCCESS) {
        m_setupProblem =
            std::string("the MQTT client could not be set up: ") + mosquitto_strerror(result);
        return;
    }
    if (!settings.caFile.empty()) {
        const std::string caFile = settings.caFile.string();
        result = mosquitto_tls_set(m_client, caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (result != MOSQ_ERR_SUCCESS)
            m_setupProblem =
                "the CA file " + caFile + " cannot be used for TLS: " + mosquitto_strerror(result);
    }
}

MqttConnection::~MqttConnection() {
    if (m_client) mosquitto_destroy(m_client);
}

std::string MqttConnection::connect() {
    m_refusal.clear();
    m_statusAcknowledged = false;
    errno = 0;
    const int result = mosquitto_connect_async(m_client, m_settings.host.c_str(),
                                               m_settings.brokerPort(), kKeepAliveSeconds);
    const int error = errno;
    if (result != MOSQ_ERR_SUCCESS) return failureText(result, error);
    m_open = true;
    return {};
}

std::string MqttConnection::loop(int timeoutMs) {
    errno = 0;
    const int result = mosquitto_loop(m_client, timeoutMs, 1);
    const int error = errno;
    // The library's TLS handshake goes on trying over a connection that was never made.
    if (result == MOSQ_ERR_SUCCESS && m_open && !m_connected && connectionFailed()) {
        disconnect();
        return "the connection to " + m_settings.host + ":" +
               std::to_string(m_settings.brokerPort()) +
               " could not be made: no broker answers there";
    }
    if (result == MOSQ_ERR_SUCCESS && m_open) {
        // Out of the callback, where the library holds locks of its own.
        if (m_announce && m_connected) publishStatus("online");
        m_announce = false;
        return {};
    }
    m_open = m_connected = false;
    if (!m_refusal.empty()) return m_refusal;
    return failureText(result == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : result, error);
}

bool MqttConnection::publishLive(const std::string& message) {
    const std::string topic = m_settings.liveTopic();
    return mosquitto_publish(m_client, nullptr, topic.c_str(), static_cast<int>(message.size()),
                             message.data(), 0, false) == MOSQ_ERR_SUCCESS;
}

bool MqttConnection::publishStatus(const char* status) {
    const std::string topic = m_settings.statusTopic();
    m_statusAcknowledged = false;
    if (mosquitto_publish(m_client, &m_lastStatusId, topic.c_str(),
                          static_cast<int>(std::strlen(status)), status, kStatusQos,
                          true) != MOSQ_ERR_SUCCESS)
        return false;
    m_statusIds.insert(m_lastStatusId);
    return true;
}

int MqttConnection::takeWritten() {
    const int written = m_written;
    m_written = 0;
    return written;
}

void MqttConnection::disconnect() {
    if (m_open) mosquitto_disconnect(m_client);
    m_open = m_connected = false;
}

void MqttConnection::onConnect(mosquitto*, void* self, int code) {
    auto& connection = *static_cast<MqttConnection*>(self);
    if (code != 0) {
        connection.m_refusal = connection.refusalText(code);
        return;
    }
    connection.m_connected = true;
    connection.m_announce = true;
}

void MqttConnection::onDisconnect(mosquitto*, void* self, int) {
    auto& connection = *static_cast<MqttConnection*>(self);
    connection.m_open = connection.m_connected = false;
}

void MqttConnection::onPublish(mosquitto*, void* self, int messageId) {
    auto& connection = *static_cast<MqttConnection*>(self);
    if (connection.m_statusIds.erase(messageId) == 0)
        ++connection.m_written;
    else if (messageId == connection.m_lastStatusId)
        connection.m_statusAcknowledged = true;
}

std::string MqttConnection::refusalText(int code) const {
    switch (code) {
    case 1:
        return "the broker does not speak MQTT 3.1.1";
    case 2:
        return "the broker refused the client id \"" + m_settings.clientId + "\"";
    case 3:
        return "the broker is unavailable";
    case 4:
    case 5:
        return m_settings.username.empty() ? "the broker wants a user name and password"
                                           : "the broker refused the user name or password";
    default:
        return "the broker refused the connection (" + std::string(mosquitto_connack_string(code)) +
               ")";
    }
}

std::string MqttConnection::failureText(int result, int error) const {
    const std::string broker = m_settings.host + ":" + std::to_string(m_settings.brokerPort());
    switch (result) {
    case MOSQ_ERR_EAI:
        return "the broker's host \"" + m_settings.host + "\" was not found";
    case MOSQ_ERR_ERRNO:
        if (error == ECONNREFUSED)
            return "the connection to " + broker + " was refused: no broker listens there";
        return "the connection to " + broker + " failed: " + std::strerror(error);
    case MOSQ_ERR_TLS:
    case MOSQ_ERR_TLS_HANDSHAKE:
        return "the TLS connection to " + broker +
               " failed: check the CA file and that the "
               "broker's certificate names " +
               m_settings.host;
    case MOSQ_ERR_CONN_LOST:
    case MOSQ_ERR_NO_CONN:
        return "the connection to " + broker + " was lost";
    case MOSQ_ERR_KEEPALIVE:
        return "the broker at " + broker + " stopped answering";
    case MOSQ_ERR_PROTOCOL:
        return "the server at " + broker + " does not answer as an MQTT broker";
    default:
        return "the connection to " + broker + " failed: " + mosquitto_strerror(result);
    }
}

} // namespace quelby
