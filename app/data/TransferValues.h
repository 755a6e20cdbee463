#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// How values cross between the data set and the link's decimal texts during a transfer.
namespace quelby {

// The numeric value of the text's leading number (blanks before it skipped; sign, digits, one
// decimal point, an exponent), rounded to the nearest integer with halves to the even
// neighbour. A text that does not start with a number gives 0; a value beyond the 32-bit
// range gives the nearest 32-bit value.
std::int32_t ValueFromBoardText(std::string_view text);
// The same reading kept to 16 bits as the board's 16-bit registers hold them: 40000 reads
// as -25536, so the bits survive in a 16-bit field and go back unchanged.
std::int16_t WordFromBoardText(std::string_view text);
// A value as decimal text with a leading blank when it is not negative (" 5", "-3"). Never
// fails.
std::string BoardTextFromValue(std::int32_t value);

} // namespace quelby
