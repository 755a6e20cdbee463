#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// Programs as Intel HEX text: the strict check of a program before any of it goes to a board,
// and the text an upload writes.
namespace quelby {

// Longest record line: ":" + length, address, type, 255 data bytes and checksum in hex.
inline constexpr std::size_t kHexMaxLineLength = 1 + 2 * (1 + 2 + 1 + 255 + 1);
// Largest program file read: a whole 64 KiB memory in one-byte records fits with room.
inline constexpr std::uintmax_t kHexMaxFileBytes = std::uintmax_t{2} * 1024 * 1024;

inline constexpr std::uint8_t kHexDataRecord = 0x00;
inline constexpr std::uint8_t kHexEndRecord = 0x01;
inline constexpr std::string_view kHexEndOfFileLine = ":00000001FF";

struct HexRecord {
    std::uint16_t address = 0;
    std::uint8_t type = kHexDataRecord;
    std::vector<std::uint8_t> data;
    std::uint8_t length() const { return static_cast<std::uint8_t>(data.size()); }
    bool operator==(const HexRecord&) const = default;
};

struct HexParse {
    std::vector<HexRecord> records; // in file order, the end record last; empty on failure
    std::size_t errorLine = 0;      // 1-based line of the failure; 0 for the file as a whole
    std::string error;              // why the text is refused; empty when it is accepted
    bool ok() const { return error.empty(); }
};

// Accepts only: lines beginning with ":" followed by an even number of hex digits (either
// case), whose length byte matches the line and whose checksum is right; data records (00)
// that stay within FFFF and one end record (01, no data) after which only blank lines follow.
// Lines may end in LF or CR LF. Anything else fails with the line and the reason.
HexParse ParseIntelHex(std::string_view text);

struct HexFileRead {
    enum class Outcome { Read, Missing, Empty, Invalid, ReadError };
    Outcome outcome = Outcome::Missing;
    HexParse parse;        // the records when Read, the reason when Invalid
    std::error_code error; // when ReadError
};
// Reads and checks a program file; files over kHexMaxFileBytes are Invalid without being read.
HexFileRead ReadIntelHexFile(const std::filesystem::path& file);

// The byte the board answers a downloaded record with: length + address high + address low +
// data bytes, mod 256. Never fails.
std::uint8_t BoardRecordSum(const HexRecord& record);
// The Intel HEX record checksum: two's complement of the sum of all record bytes. Never fails.
std::uint8_t IntelHexChecksum(const HexRecord& record);

// A record address as shown during a transfer: four upper-case hex digits and "H" ("4000H").
std::string ProgramAddressText(std::uint16_t address);

// One data record line (no line end): ":" length, four-digit address, "00", the data and the
// checksum, in upper-case hex. `data` holds 1 to 255 bytes (more are not written).
std::string IntelHexDataRecord(std::uint16_t address, std::span<const std::uint8_t> data);
// A whole upload: 16-byte data records of `memory` from `start`, each followed by CR LF, then
// ":00000001FF" without a line end. Bytes that would lie beyond FFFF are not written.
std::string IntelHexText(std::uint16_t start, std::span<const std::uint8_t> memory);

} // namespace quelby
