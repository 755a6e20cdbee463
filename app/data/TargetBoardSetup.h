#pragma once

#include "link/Clock.h"
#include "link/UserPrompt.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The program identity on disk, the board's network addresses and its clock as the Target
// Board Interface shows and sets them.
namespace quelby {

// The program file set the window was opened for, as its "On Disk:" labels show it.
struct OnDiskIdent {
    // Character code of the hbx file's first character; 68 for an empty hbx file, 0 when
    // the hbx file does not exist.
    int boardType = 0;
    std::string name; // "-" until the revision file was read; empty without an hbx file
    int revision = 0; // from the revision file's last two MarkHex digits
    int checksum = 0; // from the two MarkHex digits before those
    // Last change of the program's Intel HEX file, in seconds since 1970 (UTC); noted only
    // when the revision file was read and the hex file exists.
    std::optional<std::int64_t> hexModified;
    // A file of the set that exists but cannot be read: the "InitializeForm" message.
    std::optional<MessageRequest> failure;
};
// Reads the board type, the revision file and the hex file's date beside `halbixFile`. A
// missing file, an empty or too short revision line leaves the defaults above; only a read
// error gives a failure. Never throws.
OnDiskIdent ReadOnDiskIdent(const std::filesystem::path& halbixFile);

// The eight set-up fields of the network and clock tabs.
struct TargetSetupField {
    const char* caption;
    const char* address;
    int minimum;
    int maximum;
};
inline constexpr std::array<TargetSetupField, 8> kTargetSetupFields{{
    {"Current Network Address 1:", "B8180", 1, 32},
    {"Current Network Address 2:", "B8191", 1, 32},
    {"Hr.", "B43012", 0, 23},
    {"Min.", "B43010", 0, 59},
    {"Sec.", "B43008", 0, 59},
    {"Mo.", "B43016", 1, 12},
    {"Day", "B43015", 1, 31},
    {"Yr.", "B43017", 0, 99},
}};
inline constexpr int kNetworkAddress1Field = 0;
inline constexpr int kNetworkAddress2Field = 1;
inline constexpr int kFirstClockField = 2;
inline constexpr int kLastClockField = 7;

// Board types with a real-time clock (the R704 "6" and the V210 "A").
bool HasBoardClock(int boardType);
// The V210 display module has a second network address.
bool HasSecondNetworkAddress(int boardType);

// The range message's title: "Set-up" followed directly by the caption ("Set-upHr.").
std::string SetupFieldTitle(const TargetSetupField& field);

// A polled value as a field shows it: the last two characters of "00" + text ("7" -> "07",
// "255" -> "55"). Never fails.
std::string PolledFieldText(std::string_view textRead);

// "Each R700 board ... 1 and 32.", "", "System function sfunc19(); ..." as the comment of the
// network tab, one entry per line.
std::array<std::string, 3> NetworkCommentLines();

// The PC clock displays: "09 : 05 : 00" and "12 - 06 - 2026".
std::string CurrentTimeText(const LocalDateTime& now);
std::string CurrentDateText(const LocalDateTime& now);

// One write of Set to Current Time or Set to Current Date: the address and the part of the
// present time it takes, as decimal text without a leading zero, except the year's last two
// digits ("05").
enum class ClockPart { Hour, Minute, Second, Month, Day, Year };
struct ClockWrite {
    const char* address;
    ClockPart part;
};
inline constexpr std::array<ClockWrite, 3> kSetTimeWrites{
    {{"B43012", ClockPart::Hour}, {"B43010", ClockPart::Minute}, {"B43008", ClockPart::Second}}};
inline constexpr std::array<ClockWrite, 3> kSetDateWrites{
    {{"B43016", ClockPart::Month}, {"B43015", ClockPart::Day}, {"B43017", ClockPart::Year}}};
std::string ClockPartText(ClockPart part, const LocalDateTime& now);

// The program identity in the board: ten byte reads from B61424; bytes 0-7 the name
// characters, 8 the checksum, 9 the revision.
inline constexpr int kBoardIdentReads = 10;
std::string BoardIdentAddress(int index);
// The character code (Latin-1) of a name byte read; -1 for the zero bytes that pad a short
// name and other control codes below 32, which show no character. Never fails.
int IdentCharacterCode(std::string_view textRead);

} // namespace quelby
