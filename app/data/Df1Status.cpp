#include "app/data/Df1Status.h"

#include "link/HexDigits.h"

#include <utility>

namespace quelby {
namespace {

struct CodeText {
    std::uint32_t code;
    const char* text;
};

const char* Find(const CodeText* first, const CodeText* last, std::uint32_t code) {
    for (; first != last; ++first)
        if (first->code == code) return first->text;
    return nullptr;
}

template <std::size_t N>
std::string KnownOr(const CodeText (&table)[N], std::uint32_t code, std::string other) {
    const char* text = Find(table, table + N, code);
    return text ? std::string(text) : std::move(other);
}

std::string UnknownStatus(std::uint32_t value) {
    return "(" + std::to_string(value) + ") Unknown Status";
}

std::string UnknownCommand(std::uint32_t value) {
    return "(" + std::to_string(value) + ") Unknown Command";
}

constexpr CodeText kConfigurationStatus[] = {
    {1, "(1) Busy"},
    {2, "(2) Success"},
    {3, "(3) Invalid Parameter"},
    {4, "(4) Timeout - No Response"},
    {32, "(32) Hardware ACK Error"},
    {34, "(34) Invalid Slot ADD"},
};

constexpr CodeText kTransmitStatus[] = {
    {1, "(1) Busy"},
    {2, "(2) Done"},
    {3, "(3) DLE NAK Received"},
    {4, "(4) DLE ENQ Timeout"},
    {5, "(5) No Response Timeout"},
    {6, "(6) Message Packet Error"},
};

constexpr std::uint32_t kExtendedStatusFollows = 0xF0;

constexpr CodeText kLinkLayerStatus[] = {
    {0x01, "(01) Not Used"},
    {0x02, "(02) Cannot Guarantee Delivery: Link Layer"},
    {0x03, "(03) Duplicate Token Holder Detected"},
    {0x04, "(04) Local Port is Disconnected"},
    {0x05, "(05) Application Layer Timed out waiting for a response"},
    {0x06, "(06) Duplicate Node Detected"},
    {0x07, "(07) Station is Off-Line"},
    {0x08, "(08) Hardware Fault"},
    {0x10, "(10) Illegal Command or Format"},
    {0x20, "(20) Host has a Problem and Will Not Communicate"},
    {0x30, "(30) Remote Node Host is Missing, Disconnected or Shut Down"},
    {0x40, "(40) Host Could Not Complete Function Due to Hardware Fault"},
    {0x50, "(50) Addressing Problem or Memory Protect Rungs"},
    {0x60, "(60) Function Disallowed due to Command Protection Selection"},
    {0x70, "(70) Processor is in Program Mode"},
    {0x80, "(80) Compatibility Mode File Missing or Communication Zone Problem"},
    {0x90, "(90) Remote Node Cannot Buffer Command"},
    {0xA0, "(A0) Not Used"},
    {0xB0, "(B0) Remote Node Problem Due to Download"},
    {0xC0, "(C0) Cannot Execute Command Due to Active IPBs"},
    {0xD0, "(D0) Not Used"},
    {0xE0, "(E0) Not Used"},
};

constexpr CodeText kExtendedStatus[] = {
    {0x00, "(F0-0) Not Used"},
    {0x01, "(F0-1) A Field has an Illegal Value"},
    {0x02, "(F0-2) Less Levels Specified in Address than Minimum for any Address"},
    {0x03, "(F0-3) More Levels Specified in Address than System Supports"},
    {0x04, "(F0-4) Symbol Not Found"},
    {0x05, "(F0-5) Symbol is of Improper Format"},
    {0x06, "(F0-6) Address Dosen't Point to Something Usable"},
    {0x07, "(F0-7) File is Wrong Size"},
    {0x08, "(F0-8) Cannot Complete Request, Situation has Changed since the Start of the Command"},
    {0x09, "(F0-9) Data or File is Too Large"},
    {0x0A, "(F0-A) Transaction Size plus Word Address is Too Large"},
    {0x0B, "(F0-B) Access Denied, Improper Privilege"},
    {0x0C, "(F0-C) Condition cannot be Generated - Resource is Not Available"},
    {0x0D, "(F0-D) Condition already exists - Resource is already available"},
    {0x0E, "(F0-E) Command Cannot be Executed"},
    {0x0F, "(F0-F) Histogram Overflow"},
    {0x10, "(F0-10) No Access"},
    {0x11, "(F0-11) Illegal Data Type"},
    {0x12, "(F0-12) Invalid Parameter or Invalid Data"},
    {0x13, "(F0-13) Address Reference exists to Deleted Area"},
    {0x14, "(F0-14) Command Execution Failure for unknown reason; Possible PLC-3 Histogram "
           "Overflow"},
    {0x15, "(F0-15) Data Conversion Error"},
    {0x16, "(F0-16) Scanner Not Able to Communicate with 1771 Rack Adapter"},
    {0x17, "(F0-17) Adapter cannot Communicate with module"},
    {0x18, "(F0-18) 1771 Module Response was not Valid"},
    {0x19, "(F0-19) Duplicate Label"},
    {0x1A, "(F0-1A) File is Open; Another Node Owns it"},
    {0x1B, "(F0-1B) Another Node is the Program Owner"},
};

} // namespace

std::string HexDigitsOf(std::uint32_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), kHexDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return digits;
}

std::string Df1ConfigurationStatusText(std::uint32_t value) {
    return KnownOr(kConfigurationStatus, value, UnknownStatus(value));
}

std::string Df1TransmitStatusText(std::uint32_t value) {
    return KnownOr(kTransmitStatus, value, UnknownStatus(value));
}

std::string Df1ActiveCommandText(std::uint32_t value) {
    if (value == 0) return "Read";
    if (value == 1) return "Write";
    return UnknownCommand(value);
}

std::string Df1ReceivedCommandText(std::uint32_t value) {
    if (value == 0) return "Command";
    if (value == 1) return "Reply";
    return UnknownCommand(value);
}

std::string Df1LinkLayerStatusText(std::uint32_t status, std::uint32_t extendedStatus) {
    if (status == kExtendedStatusFollows)
        return KnownOr(kExtendedStatus, extendedStatus,
                       "(F0-" + HexDigitsOf(extendedStatus) + ") - Not Used");
    return KnownOr(kLinkLayerStatus, status, "(" + HexDigitsOf(status) + ") - Not Used");
}

MessageRequest Df1DriverNotEnabledMessage() {
    return {"WARNING!!",
            {"The DF1 Serial Communications Driver is Not Enabled in the K650."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

} // namespace quelby
