// The publisher against a mosquitto broker of the test's own: what a status display learns of
// a broker that is away or refuses, the bounded queue, and reconnecting.
#include "app/data/LivePublisher.h"
#include "tests/support/MosquittoBroker.h"

#include <gtest/gtest.h>

#include <thread>

namespace quelby::test {
namespace {

using namespace std::chrono_literals;

PublishSettings Settings(int port) {
    PublishSettings settings;
    settings.host = "127.0.0.1";
    settings.port = port;
    settings.topicPrefix = "plant/line1";
    return settings;
}

// The status once `done` holds of it, or after ten seconds (a guard against a hang only).
PublisherStatus StatusWhen(const LivePublisher& publisher,
                           const std::function<bool(const PublisherStatus&)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    PublisherStatus status = publisher.status();
    while (!done(status) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
        status = publisher.status();
    }
    return status;
}

TEST(LivePublisher, reconnectsAfterADelayThatDoublesUpToThirtySeconds) {
    const std::pair<int, std::chrono::milliseconds> delays[] = {
        {0, 0s}, {1, 1s}, {2, 2s}, {3, 4s}, {5, 16s}, {6, 30s}, {40, 30s}};
    for (const auto& [failures, delay] : delays)
        EXPECT_EQ(ReconnectDelay(failures), delay) << failures;
}

TEST(LivePublisher, saysWhyItCannotConnect) {
    if (MosquittoPrograms::broker().empty()) GTEST_SKIP() << "mosquitto is not installed";
    const MosquittoBroker broker;
    TempFolder folder;
    const struct {
        std::function<void(PublishSettings&)> change;
        const char* problem;
    } cases[] = {
        {[](PublishSettings& s) { s.port = FreeLoopbackPort(); },
         "was refused: no broker listens there"},
        {[](PublishSettings& s) { s.host = "no-such-host.invalid"; },
         "the broker's host \"no-such-host.invalid\" was not found"},
        // A broker without TLS answers the TLS handshake with MQTT.
        {[&](PublishSettings& s) { s.caFile = folder.write("ca.crt", "no certificate"); },
         "the TLS connection to 127.0.0.1:"},
    };
    for (const auto& c : cases) {
        PublishSettings settings = Settings(broker.port());
        c.change(settings);
        const LivePublisher publisher(settings);
        const auto status = StatusWhen(publisher, [](auto& s) { return !s.lastError.empty(); });
        EXPECT_FALSE(status.connected);
        EXPECT_NE(status.lastError.find(c.problem), std::string::npos) << status.lastError;
    }
}

TEST(LivePublisher, keepsTheNewestMessagesWhileTheBrokerIsAwayAndSendsThemWhenItIsBack) {
    if (MosquittoPrograms::broker().empty()) GTEST_SKIP() << "mosquitto is not installed";
    const int port = FreeLoopbackPort();
    LivePublisher publisher(Settings(port), 5);
    for (int i = 0; i < 8; ++i)
        publisher.publish(std::to_string(i));
    const auto away = StatusWhen(publisher, [](auto& s) { return !s.lastError.empty(); });
    EXPECT_EQ(away.waiting, 5u);
    EXPECT_EQ(away.dropped, 3u) << "the oldest make room";
    EXPECT_EQ(away.sent, 0u);

    const MosquittoBroker broker(std::nullopt, port);
    EXPECT_TRUE(publisher.waitUntilSent(10s)) << publisher.status().lastError;
    const auto back = publisher.status();
    EXPECT_TRUE(back.connected);
    EXPECT_EQ(back.lastError, "") << "the problem is over";
    EXPECT_EQ(back.sent, 5u);
    EXPECT_EQ(back.dropped, 3u);

    publisher.stop();
    publisher.publish("after the stop");
    const auto stopped = publisher.status();
    EXPECT_FALSE(stopped.connected);
    EXPECT_EQ(stopped.sent + stopped.dropped, 9u) << "every message is sent or counted dropped";
}

} // namespace
} // namespace quelby::test
