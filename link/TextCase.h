#pragma once

#include <algorithm>
#include <cctype>
#include <string_view>

namespace quelby {

// ASCII upper case of one character; other bytes are kept.
inline char UpperAscii(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Whether two texts are equal when case is ignored ("Support" and "SUPPORT", "w182" and
// "W182").
inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return UpperAscii(x) == UpperAscii(y);
           });
}

// `text` without the characters of `blanks` at either end.
inline std::string_view TrimmedOf(std::string_view text, std::string_view blanks) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace quelby
