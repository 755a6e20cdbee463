#include "link/LinkTrace.h"

#include "link/SystemServices.h"

#include <cerrno>
#include <cstring>

namespace quelby {
namespace {

constexpr std::size_t kTraceBufferBytes = std::size_t{64} * 1024;

const char* markText(LinkTraceMark mark) {
    switch (mark) {
    case LinkTraceMark::None:
        return "";
    case LinkTraceMark::Handshake:
        return " handshake";
    case LinkTraceMark::Timeout:
        return " timeout";
    case LinkTraceMark::Resync:
        return " resync";
    case LinkTraceMark::Stray:
        return " stray";
    case LinkTraceMark::Message:
        return " message";
    }
    return "";
}

void putByte(char* out, int value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (value < 0) {
        out[0] = out[1] = '-';
    } else {
        out[0] = kDigits[(value >> 4) & 0xF];
        out[1] = kDigits[value & 0xF];
    }
}

} // namespace

std::string FormatLinkTraceLine(const LinkTraceLine& line) {
    char head[32];
    const int length = std::snprintf(head, sizeof head, "%10.3f XX XX", line.milliseconds);
    std::string out(head, static_cast<std::size_t>(length > 0 ? length : 0));
    if (out.size() >= 5) {
        putByte(&out[out.size() - 5], line.sent);
        putByte(&out[out.size() - 2], line.reply);
    }
    out += markText(line.mark);
    if (!line.text.empty()) {
        out += ' ';
        out += line.text;
    }
    return out;
}

std::unique_ptr<FileLinkTrace> FileLinkTrace::Create(const std::filesystem::path& file,
                                                     std::string& error) {
    std::FILE* stream = OpenFileForWriting(file);
    if (!stream) {
        error = "cannot create the trace file " + file.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    // A larger buffer only saves writes; the trace works without it.
    (void)std::setvbuf(stream, nullptr, _IOFBF, kTraceBufferBytes);
    return std::unique_ptr<FileLinkTrace>(new FileLinkTrace(stream, file));
}

FileLinkTrace::FileLinkTrace(std::FILE* stream, std::filesystem::path file)
    : m_stream(stream), m_file(std::move(file)) {}

FileLinkTrace::~FileLinkTrace() { (void)std::fclose(m_stream); }

void FileLinkTrace::line(const LinkTraceLine& line) {
    std::string text = FormatLinkTraceLine(line);
    text += '\n';
    (void)std::fwrite(text.data(), 1, text.size(), m_stream);
}

void FileLinkTrace::flush() { (void)std::fflush(m_stream); }

} // namespace quelby
