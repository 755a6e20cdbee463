#include "views/NumericText.h"

#include <charconv>
#include <string>

namespace quelby {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<double> WholeNumericValue(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);

    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t start = i;
    bool digits = false;
    while (i < text.size() && IsDigit(text[i])) {
        digits = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            digits = true;
            ++i;
        }
    }
    if (!digits) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
    }
    if (i != text.size()) return std::nullopt;

    // from_chars takes no sign; a point with no digit after it gets a 0.
    std::string number;
    number.reserve(text.size() - start + 1);
    for (std::size_t j = start; j < text.size(); ++j) {
        number.push_back(text[j]);
        if (text[j] == '.' && (j + 1 == text.size() || !IsDigit(text[j + 1]))) number.push_back('0');
    }
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc()) return std::nullopt;
    return negative ? -value : value;
}

} // namespace quelby
