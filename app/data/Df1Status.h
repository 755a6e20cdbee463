#pragma once

#include "link/UserPrompt.h"

#include <array>
#include <cstdint>
#include <string>

// The R760 DF1 communication board as the DF1 window sees it: its address table and the texts
// its status codes stand for.
namespace quelby {

// How the DF1 window shows the value read at one address of its table.
enum class Df1Shown {
    ConfigurationStatus, // configuration status text
    TransmitStatus,      // transmit status text
    AsRead,              // the digits as read
    ActiveCommand,       // "Read" / "Write"
    ReceivedCommand,     // "Command" / "Reply"
    LinkLayerStatus,     // link layer status text, with the status codes at B4018 and B4019
    PlcType,             // selection of the PLC type list
    NumberField,         // text of a number field
};

struct Df1Entry {
    const char* address;
    Df1Shown shown;
};

// Read in this order on every online pass; entry i of the status part goes to display i.
inline constexpr std::array<Df1Entry, 12> kDf1Entries{{
    {"B4023", Df1Shown::ConfigurationStatus},
    {"B4021", Df1Shown::TransmitStatus},
    {"B4022", Df1Shown::TransmitStatus},
    {"W4016", Df1Shown::AsRead},
    {"B4014", Df1Shown::ActiveCommand},
    {"B4026", Df1Shown::AsRead},
    {"B4302.6", Df1Shown::ReceivedCommand},
    {"B4303", Df1Shown::LinkLayerStatus},
    {"W4304", Df1Shown::AsRead},
    {"B4001.0", Df1Shown::PlcType},
    {"B4050", Df1Shown::NumberField},
    {"B4011", Df1Shown::NumberField},
}};
inline constexpr int kDf1DisplayCount = 9;   // entries 0..8 have a display
inline constexpr int kDf1PlcTypeEntry = 9;   // entries 10 and 11 are number fields 0 and 1
inline constexpr const char* kDf1StatusCode = "B4018";         // STS, read when B4303 is not 0
inline constexpr const char* kDf1ExtendedStatusCode = "B4019"; // EXT STS, for STS F0
inline constexpr const char* kDf1DriverFlag = "F152";          // the K650's DF1 driver is on
// Data points of the machine data set: the PLC type, then the two number fields.
inline constexpr int kDf1PlcTypeDataPoint = 102;
inline constexpr int kDf1FirstNumberDataPoint = 103;
inline constexpr int kDf1NumberFieldMax = 255; // both number fields take 0..255

// Every value gives a text; the known codes their own, any other "(n) Unknown Status".
std::string Df1ConfigurationStatusText(std::uint32_t value);
std::string Df1TransmitStatusText(std::uint32_t value);
// 0 "Read", 1 "Write", any other "(n) Unknown Command".
std::string Df1ActiveCommandText(std::uint32_t value);
// 0 "Command", 1 "Reply", any other "(n) Unknown Command".
std::string Df1ReceivedCommandText(std::uint32_t value);
// The link layer status when B4303 is 0 (B4018 and B4019 are then not read).
inline constexpr const char* kDf1LinkLayerSuccess = "(00) Success - No Error";
// The link layer status text of STS (B4018), with the extended text of EXT STS (B4019) when
// STS is F0; codes without a text give "(S) - Not Used" / "(F0-E) - Not Used".
std::string Df1LinkLayerStatusText(std::uint32_t status, std::uint32_t extendedStatus);
// Upper-case hexadecimal digits without leading zeros ("0" for 0).
std::string HexDigitsOf(std::uint32_t value);

// "The DF1 Serial Communications Driver is Not Enabled in the K650.", "WARNING!!", OK,
// exclamation icon.
MessageRequest Df1DriverNotEnabledMessage();

} // namespace quelby
