#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelby {

// A board address that a window's entry field edits, with the field's limits and the title
// of its range message. Writing such an address from anywhere else (the command-line tool)
// applies the same limits.
struct EditedField {
    std::string address;
    int low = 0;
    int high = 0;
    std::string title;
};

// The field that edits `address` (any spelling the link accepts: "b1012", " B1012 "), or
// nullopt for an address no window edits or a text that is no address.
std::optional<EditedField> EditedFieldAt(std::string_view address);

// The value of a text that is a whole number: blanks around it, an optional sign and decimal
// digits, nothing else ("2.5", "5e0", "1 2" and "" are no whole numbers). A number too long
// for 64 bits comes back as the largest (or smallest) 64-bit value, which no field's limits
// reach. Never fails.
std::optional<std::int64_t> WholeNumberValue(std::string_view text);

// "Only a Number Between <low> and <high> can be Entered".
std::string RangeMessageText(int low, int high);

} // namespace quelby
