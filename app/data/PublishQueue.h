#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace quelby {

// The messages waiting for the broker, oldest first. It never grows past its capacity: a new
// message pushes the oldest out, and that one is counted as dropped, so a broker that is away
// costs a bounded amount of memory and the newest values are the ones sent when it is back.
// Not thread-safe: its owner locks.
class PublishQueue {
public:
    explicit PublishQueue(std::size_t capacity) : m_capacity(capacity > 0 ? capacity : 1) {}

    void push(std::string message) {
        if (m_messages.size() == m_capacity) {
            m_messages.pop_front();
            ++m_dropped;
        }
        m_messages.push_back(std::move(message));
    }
    std::optional<std::string> pop() {
        if (m_messages.empty()) return std::nullopt;
        std::string message = std::move(m_messages.front());
        m_messages.pop_front();
        return message;
    }
    std::size_t size() const { return m_messages.size(); }
    bool empty() const { return m_messages.empty(); }
    std::uint64_t dropped() const { return m_dropped; }

private:
    std::size_t m_capacity;
    std::deque<std::string> m_messages;
    std::uint64_t m_dropped = 0;
};

} // namespace quelby
