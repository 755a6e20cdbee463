#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Board type codes are the character codes of a board's type character ('1' = 49 .. 'E' = 69),
// taken from the first character of a program's hbx file.
namespace quelby {

// Model name: "K650(PLC)" for 68; "<character> Is Not Defined." for codes outside the table
// (a code that is not a printable character is written as its number in brackets). Never fails.
std::string TargetboardName(int boardType);

// The board index character that marks a board in configuration (.lcf) data; empty for codes
// outside the table. Never fails.
std::string LCFBoardIndex(int boardType);

// Which program files a board type needs, and whether its programs may be downloaded at all.
enum class BoardGroup { RevisionOnly, RevisionAndConfiguration, PLSVariant, Other };
BoardGroup BoardGroupOf(int boardType);

// Codes 56 to 65 carry the three configuration values B8188..B8190 (download and upload).
bool HasConfiguration(int boardType);

// The program memory an upload reads; byteCount 0 for board types without one.
struct ProgramMemoryRange {
    std::uint32_t start = 0;
    std::uint32_t byteCount = 0;
    bool operator==(const ProgramMemoryRange&) const = default;
};
ProgramMemoryRange ProgramMemoryOf(int boardType);

// The digits at positions 36, 39 and 40 of a configuration file's first line.
struct ConfigDigits {
    int pos36 = 3;
    int pos39 = 0;
    int pos40 = 3;
    bool operator==(const ConfigDigits&) const = default;
};

// One ordinary board write: address text and value as decimal text.
struct BoardWrite {
    std::string address;
    std::string value;
    bool operator==(const BoardWrite&) const = default;
};

// The configuration writes for a set of digits, in the order they are sent: B8188, B8189,
// B8190. Never fails.
std::vector<BoardWrite> ConfigurationWrites(const ConfigDigits& digits);
// The digits read back from the board's B8190, B8189 and B8188 values. Never fails.
ConfigDigits ConfigDigitsFromBoard(int b8190, int b8189, int b8188);
// Addresses read for the configuration digits, in the order the upload reads them.
inline constexpr std::array<std::string_view, 3> kConfigurationReadOrder{"B8190", "B8189", "B8188"};

// The program identity on the board: ten bytes from EFF0H, eight ident characters (padded
// with zero bytes), the checksum and the revision.
inline constexpr int kIdentityAddress = 61424;
inline constexpr int kIdentityLength = 10;
using BoardIdentityBytes = std::array<std::uint8_t, kIdentityLength>;

// The ident as shown to the user: the ident bytes above 31 as characters. Never fails.
std::string BoardIdentText(const BoardIdentityBytes& identity);

// The ten writes that store a program's identity: the ident without surrounding blanks, its
// first eight characters (zero bytes after its end), then checksum and revision as given
// (decimal texts). Never fails.
std::vector<BoardWrite> IdentityWrites(std::string_view ident, std::string_view checksum,
                                       std::string_view revision);

// Board readings: the current fault code and the firmware revision.
inline constexpr std::string_view kFaultCodeAddress = "B8176";
inline constexpr std::string_view kFirmwareRevAddress = "B8159";

} // namespace quelby
