#pragma once

#include "app/data/PublishSettings.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace quelby {

// What a status display shows of a publisher.
struct PublisherStatus {
    bool connected = false;
    // Why the last connection attempt failed or the connection ended ("the broker refused the
    // user name or password"); cleared when the broker accepts a connection.
    std::string lastError;
    std::uint64_t sent = 0; // live messages written to the broker
    std::uint64_t dropped =
        0;                   // pushed out of the full queue, lost with a connection or at the stop
    std::size_t waiting = 0; // in the queue
};

// The wait before connection attempt `failures` + 1: 1 s after the first failure, doubling
// to 30 s.
std::chrono::milliseconds ReconnectDelay(int failures);

// Publishes the line's live values to a plant's MQTT broker. The network runs on a thread of
// its own, which connects, reconnects after a growing delay and sends what waits in a bounded
// queue; no call but stop() and waitUntilSent() waits for it, so a window's thread may use it.
class LivePublisher {
public:
    static constexpr std::size_t kQueueCapacity = 100;

    // Starts connecting at once.
    explicit LivePublisher(PublishSettings settings, std::size_t queueCapacity = kQueueCapacity);
    // stop() with its default wait.
    ~LivePublisher();
    LivePublisher(const LivePublisher&) = delete;
    LivePublisher& operator=(const LivePublisher&) = delete;

    // Queues one message for the live topic and returns at once; when the queue is full the
    // oldest message is dropped. After stop() messages are dropped.
    void publish(std::string message);
    PublisherStatus status() const;
    // Waits up to `wait` until nothing waits to be sent; true when nothing does.
    bool waitUntilSent(std::chrono::milliseconds wait) const;
    // Sends what waits (while connected), publishes a retained "offline", disconnects and
    // waits up to `wait` for the network thread. A thread still busy then (a host name
    // look-up that hangs) is left to finish on its own.
    void stop(std::chrono::milliseconds wait = std::chrono::seconds(3));

private:
    struct Shared;
    static void run(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

} // namespace quelby
