#include "app/data/TransferValues.h"

#include "app/data/PrintedNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace quelby {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The number at the start of a text, taken apart: [sign] digits [. digits] [e [sign] digits].
struct LeadingNumber {
    std::size_t length = 0; // 0 when the mantissa has no digit
    bool negative = false;
    // Power of ten of the first non-zero digit before the exponent; nullopt when every
    // digit is 0.
    std::optional<long> order;
    long exponent = 0; // kept within +-kExponentLimit
};

constexpr long kExponentLimit = 100000;

LeadingNumber Scan(std::string_view text) {
    LeadingNumber number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.negative = text[i++] == '-';
    bool digits = false;
    long integerDigits = 0; // counted from the first non-zero one
    while (i < text.size() && IsDigit(text[i])) {
        if (integerDigits > 0 || text[i] != '0') ++integerDigits;
        digits = true;
        ++i;
    }
    if (integerDigits > 0) number.order = integerDigits - 1;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (long place = -1; i < text.size() && IsDigit(text[i]); ++i, --place) {
            digits = true;
            if (!number.order && text[i] != '0') number.order = place;
        }
    }
    if (!digits) return number;
    number.length = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        const bool negativeExponent = j < text.size() && text[j] == '-';
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j)
                number.exponent = std::min(kExponentLimit, number.exponent * 10 + (text[j] - '0'));
            if (negativeExponent) number.exponent = -number.exponent;
            number.length = j;
        }
    }
    return number;
}

// The leading number of `text`, unrounded: 0 without one or when it rounds to 0 anyway,
// +-1e20 when it lies far beyond the 32-bit range.
double LeadingValue(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    const LeadingNumber number = Scan(text);
    if (number.length == 0 || !number.order) return 0;
    const long order = *number.order + number.exponent;
    if (order < -2) return 0;
    if (order > 20) return number.negative ? -1e20 : 1e20;
    // from_chars takes no '+'; the magnitude now lies well within double's range.
    std::string_view digits = text.substr(0, number.length);
    if (digits.front() == '+') digits.remove_prefix(1);
    double value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

// Nearest integer, halves to even, without depending on the floating-point rounding mode.
double RoundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5) return below + 1;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

} // namespace

std::int32_t ValueFromBoardText(std::string_view text) {
    const double rounded = RoundHalfEven(LeadingValue(text));
    constexpr auto kLow = std::numeric_limits<std::int32_t>::min();
    constexpr auto kHigh = std::numeric_limits<std::int32_t>::max();
    if (rounded <= kLow) return kLow;
    if (rounded >= kHigh) return kHigh;
    return static_cast<std::int32_t>(rounded);
}

std::int16_t WordFromBoardText(std::string_view text) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(ValueFromBoardText(text) & 0xFFFF));
}

std::string BoardTextFromValue(std::int32_t value) {
    return PrintedNumber(value);
}

} // namespace quelby
