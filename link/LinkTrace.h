#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace quelby {

// What a trace line says besides the bytes.
enum class LinkTraceMark {
    None,
    Handshake, // a byte of the 0xFF / mode byte handshake
    Timeout,   // no reply came before the deadline
    Resync,    // the byte sent after a time-out, and its reply
    Stray,     // a byte was waiting before this one was sent; it was thrown away
    Message,   // the link showed a message (its first line follows)
};

// One byte exchange as the link saw it.
struct LinkTraceLine {
    double milliseconds = 0; // since tracing started
    int sent = -1;           // the byte sent, -1 for none
    int reply = -1;          // the byte received, -1 for none
    LinkTraceMark mark = LinkTraceMark::None;
    std::string_view text;   // the message's text for Message
};

// Receives every exchange of the link while tracing is on. Called on the link's own path, so
// an implementation does no more than a buffered write.
class LinkTrace {
public:
    virtual ~LinkTrace() = default;
    virtual void line(const LinkTraceLine& line) = 0;
};

// "   12.345 FF 55 handshake", "  1012.000 B6 -- timeout".
std::string FormatLinkTraceLine(const LinkTraceLine& line);

// A trace written to a file through a large buffer, emptied when the buffer fills, on
// flush() and when the trace ends.
class FileLinkTrace : public LinkTrace {
public:
    // Creates (or empties) the file; nullptr with `error` set when it cannot be created.
    static std::unique_ptr<FileLinkTrace> Create(const std::filesystem::path& file,
                                                 std::string& error);
    ~FileLinkTrace() override;
    FileLinkTrace(const FileLinkTrace&) = delete;
    FileLinkTrace& operator=(const FileLinkTrace&) = delete;

    void line(const LinkTraceLine& line) override;
    // Writes out what the buffer holds. Never fails loudly: a full disk shortens the trace.
    void flush();
    const std::filesystem::path& file() const { return m_file; }

private:
    FileLinkTrace(std::FILE* stream, std::filesystem::path file);

    std::FILE* m_stream;
    std::filesystem::path m_file;
};

} // namespace quelby
