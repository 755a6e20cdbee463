#pragma once

#include <cstddef>
#include <ostream>
#include <streambuf>

namespace quelby::cli {

// An output stream that passes everything on to another one and counts the characters, so
// the tool can tell whether a command said anything at all.
class CountingStream : public std::ostream {
public:
    explicit CountingStream(std::ostream& target) : std::ostream(&m_buffer), m_buffer(target.rdbuf()) {}
    std::size_t written() const { return m_buffer.count; }
    // While a progress line stands unfinished on the terminal, whatever else is written (a
    // link message, an error) starts on a line of its own.
    void setLineOpen(bool open) { m_buffer.lineOpen = open; }
    bool lineOpen() const { return m_buffer.lineOpen; }

private:
    struct Buffer : std::streambuf {
        explicit Buffer(std::streambuf* to) : target(to) {}
        int_type overflow(int_type c) override {
            if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
            closeLine();
            ++count;
            return target->sputc(traits_type::to_char_type(c));
        }
        std::streamsize xsputn(const char* text, std::streamsize n) override {
            closeLine();
            count += static_cast<std::size_t>(n);
            return target->sputn(text, n);
        }
        void closeLine() {
            if (!lineOpen) return;
            lineOpen = false;
            ++count;
            target->sputc('\n');
        }
        int sync() override { return target->pubsync(); }
        std::streambuf* target;
        std::size_t count = 0;
        bool lineOpen = false;
    };
    Buffer m_buffer;
};

} // namespace quelby::cli
