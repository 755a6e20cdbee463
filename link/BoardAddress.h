#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelby {

// A board address text turned into what goes on the wire.
struct ParsedAddress {
    char addrType = 'B';          // 'B' (1 byte), 'W' (2 bytes) or 'D' (4 bytes)
    std::int32_t byteAddress = 0; // first byte of the item
    std::uint8_t bitMask = 0;     // 1, 2, 4 .. 128; only for bit addresses
    bool isBitAddress = false;

    int byteCount() const { return addrType == 'W' ? 2 : addrType == 'D' ? 4 : 1; }
    bool operator==(const ParsedAddress&) const = default;
};

// Largest values the board keeps in a byte, a word and a double word.
inline constexpr std::uint32_t kMaxByteValue = 255;
inline constexpr std::uint32_t kMaxWordValue = 65535;
inline constexpr std::uint32_t kMaxDoubleValue = 655359999;

// The last byte address a read or write request can name. The board takes 0xFF at the start
// of a request as a handshake, so an address high byte of 0xFF never reaches it as one:
// FF00..FFFF cannot be read or written byte by byte.
inline constexpr std::int64_t kLastRequestAddress = 0xFEFF;

// "B1003", "W182", "D1100", "B1016.0", "F119", "1F40H" (letters in either case, blanks around
// ignored). Returns nullopt for a text the program does not use: another leading letter, a
// number that is not plain digits, a bit number above 7, or an item that does not lie wholly
// within 0..kLastRequestAddress (checked on the whole number, however long). Nothing is ever
// sent for such a text.
std::optional<ParsedAddress> ParseAddress(std::string_view text);

// The bytes of a value as the board stores it, lowest address first. A "D" value keeps
// value mod 10000 in its lower word and value \ 10000 in its upper word.
std::vector<std::uint8_t> EncodeValue(char addrType, std::uint32_t value);
// The inverse of EncodeValue; `bytes` holds 1, 2 or 4 bytes by type.
std::uint32_t DecodeValue(char addrType, const std::vector<std::uint8_t>& bytes);

// The value check that precedes every write. On refusal, `error` holds the message that
// follows "Error:" in the "ENTRY ALERT" box and nothing may be sent.
struct EntryCheck {
    std::optional<std::string> error;
    ParsedAddress address;
    std::uint32_t value = 0;
};
EntryCheck CheckEntry(std::string_view addressText, std::string_view valueText);

// The bytes to send for an accepted entry. For a bit address `currentByte` is the byte's
// present content on the board, which the bit is set in or cleared from.
std::vector<std::uint8_t> BytesToWrite(const EntryCheck& entry, std::uint8_t currentByte);

// I/O point ("X", "Y", "I") to the "B" address holding it on a board type; other texts, and
// points the board type does not have, come back unchanged.
std::string EquateAdd(std::string_view var, int targetBoardIndex);
// Whether an address lies within its type's range on the given board type.
bool ValidAdd(std::string_view var, int targetBoardIndex);

// Two-digit octal conversions; larger inputs give results that are not octal conversions.
int Dec2Octal(int decNum);
int Octal2Dec(int octNum);

// The board's program files write hex digits 10..15 as ":" ";" "<" "=" ">" "?".
std::string MarkHex2HEX(std::string_view markHex);
std::string HEX2MarkHEX(std::string_view hexCode);
// One or two hex digits to 0..255; an empty text gives 0, a text that is not hex gives 0.
int HexTextToNumber(std::string_view hexText);
// A MarkHex pair as decimal digits ("1?" -> "31").
std::string MarkHexPairToDecimal(std::string_view markHexPair);

} // namespace quelby
