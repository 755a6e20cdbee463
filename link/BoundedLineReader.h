#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <system_error>

namespace quelby {

// Reads a text stream line by line in bounded memory, for files the user hands in. Lines end
// at LF, CR LF or a lone CR; a last line without an end counts. Characters beyond the line
// bound are dropped, and reading stops once the byte bound has been read.
class BoundedLineReader {
public:
    BoundedLineReader(std::istream& in, std::size_t maxLineLength, std::uintmax_t maxBytes);

    // The next line without its end. False at the end of the input, after a read error
    // (see error()) or once the byte bound is reached (see limitReached()).
    bool next(std::string& line);

    // The stream failed while reading; `error` says why (EIO when the system gave no reason).
    bool failed() const { return static_cast<bool>(m_error); }
    const std::error_code& error() const { return m_error; }
    // Reading stopped at the byte bound with more input left.
    bool limitReached() const { return m_limitReached; }
    // The last line returned was longer than the line bound and has been cut.
    bool lineWasCut() const { return m_lineWasCut; }

private:
    // The next byte, or -1 at the end of the input, on a read error or at the byte bound.
    int get();

    std::istream& m_in;
    std::size_t m_maxLineLength;
    std::uintmax_t m_maxBytes;
    std::uintmax_t m_bytesRead = 0;
    char m_buffer[4096]{};
    std::size_t m_bufferPos = 0;
    std::size_t m_bufferEnd = 0;
    int m_pushedBack = -1;
    bool m_atEnd = false;
    bool m_limitReached = false;
    bool m_lineWasCut = false;
    std::error_code m_error;
};

} // namespace quelby
