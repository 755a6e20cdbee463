#include "app/data/LivePublisher.h"

#include "app/data/MqttConnection.h"
#include "app/data/PublishQueue.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <pthread.h>
#endif

namespace quelby {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

// How long one turn of the network loop may wait on the socket, and so how soon the thread
// sees new messages and a stop.
constexpr int kLoopMs = 50;
// Messages handed to the library and not yet written. The rest wait in the bounded queue, so
// a stalled connection cannot pile them up inside the library.
constexpr int kInFlight = 10;
// At a stop: for sending what waits, and for the broker's acknowledgement of "offline".
constexpr auto kStopSendTime = 1s;
// A connection the broker has not accepted by then is given up and tried again later.
constexpr auto kConnectTime = 10s;

// The process's signals go to its other threads, and a write to a connection the broker
// closed fails instead of raising SIGPIPE.
void BlockSignals() {
#ifndef _WIN32
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
#endif
}

} // namespace

std::chrono::milliseconds ReconnectDelay(int failures) {
    if (failures <= 0) return 0ms;
    return std::min<std::chrono::milliseconds>(30s, 1s * (1 << std::min(failures - 1, 5)));
}

struct LivePublisher::Shared {
    Shared(PublishSettings publishSettings, std::size_t capacity)
        : settings(std::move(publishSettings)), queue(capacity) {}

    PublisherStatus snapshot() const {
        PublisherStatus copy = status;
        copy.dropped = queue.dropped() + lost;
        copy.waiting = queue.size();
        return copy;
    }
    bool idle() const { return queue.empty() && unwritten == 0; }
    bool isIdle() const {
        const std::lock_guard lock(mutex);
        return idle();
    }
    // Messages wait and the library may take some.
    bool readyToSend() const {
        const std::lock_guard lock(mutex);
        return !queue.empty() && unwritten < kInFlight;
    }

    // After a turn of the network loop: what was written, and the connection's state.
    void update(MqttConnection& mqtt, const std::string& problem) {
        const std::lock_guard lock(mutex);
        const int written = mqtt.takeWritten();
        status.sent += static_cast<std::uint64_t>(written);
        unwritten -= written;
        if (!mqtt.connected()) {
            lost += static_cast<std::uint64_t>(unwritten);
            unwritten = 0;
        }
        status.connected = mqtt.connected();
        if (status.connected)
            status.lastError.clear();
        else if (!problem.empty())
            status.lastError = problem;
        changed.notify_all();
    }

    // Hands waiting messages to the library while the connection can take them.
    void send(MqttConnection& mqtt) {
        std::vector<std::string> batch;
        {
            // Counted as unwritten from here, so the queue never looks done while they go out.
            const std::lock_guard lock(mutex);
            for (; unwritten < kInFlight; ++unwritten) {
                auto message = queue.pop();
                if (!message) break;
                batch.push_back(std::move(*message));
            }
        }
        int refused = 0;
        for (const auto& message : batch)
            refused += mqtt.publishLive(message) ? 0 : 1;
        if (refused == 0) return;
        const std::lock_guard lock(mutex);
        unwritten -= refused;
        lost += static_cast<std::uint64_t>(refused);
        changed.notify_all();
    }

    // The thread's end: whatever was not written is dropped.
    void finish(MqttConnection& mqtt) {
        const std::lock_guard lock(mutex);
        status.sent += static_cast<std::uint64_t>(mqtt.takeWritten());
        lost += static_cast<std::uint64_t>(std::max(unwritten, 0)) + queue.size();
        unwritten = 0;
        while (queue.pop()) {
        }
        status.connected = false;
        finished = true;
        changed.notify_all();
    }

    const PublishSettings settings;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    PublishQueue queue;
    PublisherStatus status; // `dropped` and `waiting` come from the counts below
    std::uint64_t lost = 0; // handed to the library and lost with the connection, or refused
    int unwritten = 0;      // handed to the library, not yet written
    bool stopping = false;
    bool finished = false;
};

LivePublisher::LivePublisher(PublishSettings settings, std::size_t queueCapacity)
    : m_shared(std::make_shared<Shared>(std::move(settings), queueCapacity)),
      m_thread(run, m_shared) {}

LivePublisher::~LivePublisher() {
    stop();
}

void LivePublisher::publish(std::string message) {
    const std::lock_guard lock(m_shared->mutex);
    if (m_shared->stopping)
        ++m_shared->lost;
    else
        m_shared->queue.push(std::move(message));
}

PublisherStatus LivePublisher::status() const {
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->snapshot();
}

bool LivePublisher::waitUntilSent(std::chrono::milliseconds wait) const {
    std::unique_lock lock(m_shared->mutex);
    m_shared->changed.wait_for(lock, wait, [&] { return m_shared->idle() || m_shared->finished; });
    return m_shared->idle();
}

void LivePublisher::stop(std::chrono::milliseconds wait) {
    if (!m_thread.joinable()) return;
    std::unique_lock lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->changed.notify_all();
    const bool finished =
        m_shared->changed.wait_for(lock, wait, [&] { return m_shared->finished; });
    lock.unlock();
    if (finished)
        m_thread.join();
    else
        m_thread.detach(); // it holds its own share of the state
}

void LivePublisher::run(const std::shared_ptr<Shared>& shared) {
    BlockSignals();
    MqttConnection mqtt(shared->settings);
    int failures = 0;
    auto nextAttempt = SteadyClock::now();
    SteadyClock::time_point attemptStarted;
    // Waits for the next connection attempt while there is no connection.
    const auto stopping = [&] {
        std::unique_lock lock(shared->mutex);
        if (!mqtt.open())
            shared->changed.wait_until(lock, nextAttempt, [&] { return shared->stopping; });
        return shared->stopping;
    };
    if (!mqtt.setupProblem().empty())
        shared->update(mqtt, mqtt.setupProblem());
    else
        while (!stopping()) {
            std::string problem;
            if (!mqtt.open()) {
                problem = mqtt.connect();
                attemptStarted = SteadyClock::now();
            }
            if (problem.empty()) {
                problem = mqtt.loop(mqtt.connected() && shared->readyToSend() ? 0 : kLoopMs);
                if (mqtt.connected()) {
                    failures = 0;
                    shared->send(mqtt);
                } else if (problem.empty() && SteadyClock::now() - attemptStarted > kConnectTime) {
                    mqtt.disconnect();
                    problem = "the broker at " + shared->settings.host + ":" +
                              std::to_string(shared->settings.brokerPort()) + " did not answer";
                }
            }
            shared->update(mqtt, problem);
            if (!problem.empty()) nextAttempt = SteadyClock::now() + ReconnectDelay(++failures);
        }
    if (mqtt.connected()) {
        // What waits goes out, then the retained "offline", which the broker acknowledges.
        const auto deadline = SteadyClock::now() + kStopSendTime;
        while (mqtt.connected() && !shared->isIdle() && SteadyClock::now() < deadline) {
            shared->send(mqtt);
            shared->update(mqtt, mqtt.loop(shared->readyToSend() ? 0 : 10));
        }
        if (mqtt.connected() && mqtt.publishStatus("offline")) {
            const auto acknowledged = SteadyClock::now() + kStopSendTime;
            while (mqtt.connected() && !mqtt.statusAcknowledged() &&
                   SteadyClock::now() < acknowledged)
                mqtt.loop(kLoopMs);
        }
        shared->update(mqtt, {});
        mqtt.disconnect();
    }
    shared->finish(mqtt);
}

} // namespace quelby
