#pragma once

#include <optional>
#include <string_view>

namespace quelby {

// The value of a text that is a number as a whole: blanks around it, an optional sign,
// digits with at most one decimal point, an optional exponent. nullopt for an empty text,
// a text with anything else in it ("12abc") or no digit at all. Never fails.
std::optional<double> WholeNumericValue(std::string_view text);

} // namespace quelby
