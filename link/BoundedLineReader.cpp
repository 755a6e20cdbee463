#include "link/BoundedLineReader.h"

#include <algorithm>
#include <cerrno>

namespace quelby {

BoundedLineReader::BoundedLineReader(std::istream& in, std::size_t maxLineLength,
                                     std::uintmax_t maxBytes)
    : m_in(in), m_maxLineLength(maxLineLength), m_maxBytes(maxBytes) {}

int BoundedLineReader::get() {
    if (m_pushedBack >= 0) {
        const int c = m_pushedBack;
        m_pushedBack = -1;
        return c;
    }
    if (m_bufferPos == m_bufferEnd) {
        if (m_atEnd) return -1;
        if (m_bytesRead >= m_maxBytes) {
            // One more byte tells a file of exactly the bound from a longer one.
            m_limitReached = m_in.peek() != std::istream::traits_type::eof();
            m_atEnd = true;
            return -1;
        }
        const auto wanted = std::min<std::uintmax_t>(sizeof m_buffer, m_maxBytes - m_bytesRead);
        errno = 0;
        m_in.read(m_buffer, static_cast<std::streamsize>(wanted));
        const int savedErrno = errno;
        m_bufferPos = 0;
        m_bufferEnd = static_cast<std::size_t>(m_in.gcount());
        m_bytesRead += m_bufferEnd;
        if (m_in.bad()) {
            m_error = std::error_code(savedErrno ? savedErrno : EIO, std::generic_category());
            m_atEnd = true;
            return -1;
        }
        if (m_bufferEnd == 0) {
            m_atEnd = true;
            return -1;
        }
    }
    return static_cast<unsigned char>(m_buffer[m_bufferPos++]);
}

bool BoundedLineReader::next(std::string& line) {
    line.clear();
    m_lineWasCut = false;
    int c = get();
    if (c < 0) return false;
    while (c >= 0 && c != '\n' && c != '\r') {
        if (line.size() < m_maxLineLength)
            line += static_cast<char>(c);
        else
            m_lineWasCut = true;
        c = get();
    }
    if (c == '\r') {
        const int following = get();
        if (following >= 0 && following != '\n') m_pushedBack = following;
    }
    // A read error in the middle of a line ends the reading without that line.
    return !failed();
}

} // namespace quelby
