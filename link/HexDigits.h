#pragma once

#include <string>

namespace quelby {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of one hexadecimal digit, either case; -1 for any other character.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The low byte of `value` as two upper-case hexadecimal digits ("0A", "FF").
inline std::string HexByteText(unsigned value) {
    return {kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]};
}

} // namespace quelby
