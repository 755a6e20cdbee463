#pragma once

#include <charconv>
#include <optional>
#include <string>

namespace quelby::cli {

// A whole decimal number in [low, high]; nullopt for anything else.
inline std::optional<int> WholeNumber(const std::string& text, int low, int high) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace quelby::cli
